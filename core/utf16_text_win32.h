#pragma once
// Text at the Windows API boundary: the program keeps UTF-8, Windows speaks UTF-16.
// Invalid input (bad UTF-8, lone surrogates) comes out as U+FFFD; nothing fails.
#include <string>
#include <string_view>

std::wstring utf8ToUtf16(std::string_view text);
std::string utf16ToUtf8(std::wstring_view text);
