#include "window_style.h"

const char* chooseUiFontFamily(const std::function<bool(const char* family)>& installed) {
    for (const char* family : kUiFontFamilies) {
        if (installed(family)) return family;
    }
    return kUiFontLastResort;
}
