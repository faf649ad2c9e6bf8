#pragma once
// The command-line rules written a second time, plainly and from their description, for the
// fuzz targets to hold the program's own code against: numbers read like strtol, options
// looked up by the first name after the mode word.
#include <cerrno>
#include <climits>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

// strtol in base 10 on the text up to its first NUL; empty without digits or outside 32 bits.
inline std::optional<int32_t> referenceDecimal(const std::string& text) {
    const std::string cText(text.c_str());
    char* end = nullptr;
    errno = 0;
    const long value = std::strtol(cText.c_str(), &end, 10);
    if (end == cText.c_str() || errno == ERANGE || value < INT32_MIN || value > INT32_MAX) return std::nullopt;
    return static_cast<int32_t>(value);
}

// The value after the first element equal to name among elements 2 … count − 2.
inline std::string referenceOption(const std::vector<std::string>& args, const std::string& name,
                                   const std::string& fallback) {
    for (std::size_t i = 2; i + 1 < args.size(); ++i) {
        if (args[i] == name) return args[i + 1];
    }
    return fallback;
}
