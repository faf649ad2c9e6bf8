#pragma once
// The live page's files (cli/page/), built into the program by CMake.
#include <string_view>

extern const std::string_view kLivePageHtml;
extern const std::string_view kLivePageStyle;
extern const std::string_view kLivePageScript;
