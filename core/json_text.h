#pragma once
// Port names inside JSON strings.
#include <string>
#include <string_view>

// The UTF-8 name escaped for a JSON string: a backslash before '"' and '\', U+0000..U+001F
// as \u00xx, and every invalid UTF-8 sequence replaced by U+FFFD. Other text stays as is.
std::string toUtf8Json(std::string_view name);

// The text with every invalid UTF-8 sequence replaced by U+FFFD, nothing escaped.
std::string toValidUtf8(std::string_view text);
