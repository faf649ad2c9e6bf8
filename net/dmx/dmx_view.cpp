#include "dmx_view.h"

#include "../../core/decimal_text.h"

std::string boundedFieldText(const DmxView& view, int id) {
    std::string text = view.fieldText(id);
    if (text.size() > static_cast<std::size_t>(kFieldTextCapacity)) text.resize(kFieldTextCapacity);
    return text;
}

int32_t fieldInteger(const DmxView& view, int id, int32_t fallback) {
    return decimalToInt32(boundedFieldText(view, id)).value_or(fallback);
}
