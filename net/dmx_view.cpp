#include "dmx_view.h"

#include "../core/decimal_text.h"

namespace {
constexpr std::size_t kFieldCapacity = 255;
}

std::string boundedFieldText(const DmxView& view, int id) {
    std::string text = view.fieldText(id);
    if (text.size() > kFieldCapacity) text.resize(kFieldCapacity);
    return text;
}

int32_t fieldInteger(const DmxView& view, int id, int32_t fallback) {
    return decimalToInt32(boundedFieldText(view, id)).value_or(fallback);
}
