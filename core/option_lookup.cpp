#include "option_lookup.h"

#include "decimal_text.h"

std::string optionValue(const ArgumentVector& args, std::string_view name, std::string_view fallback) {
    // The last element has no value after it, so it never counts as an option name.
    for (std::size_t i = 2; i + 1 < args.size(); ++i) {
        if (args[i] == name) return args[i + 1];
    }
    return std::string(fallback);
}

std::string optionValue(const ArgumentVector& args, const CommandLineOption& option) {
    return optionValue(args, option.name, option.fallback);
}

bool flagIsSet(const ArgumentVector& args, const CommandLineOption& flag) {
    for (std::size_t i = 2; i < args.size(); ++i) {
        if (args[i] == flag.name) return true;
    }
    return false;
}

std::optional<int32_t> numericOptionValue(const ArgumentVector& args, std::string_view name, std::string_view fallback) {
    return decimalToInt32(optionValue(args, name, fallback));
}

std::optional<int32_t> numericOptionValue(const ArgumentVector& args, const CommandLineOption& option) {
    const std::optional<int32_t> value = numericOptionValue(args, option.name, option.fallback);
    if (value && option.hasRange() && (*value < option.min || *value > option.max)) return std::nullopt;
    return value;
}
