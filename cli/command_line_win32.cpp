#include "command_line_win32.h"

#include <windows.h>
#include <shellapi.h>

#include "../core/utf16_text_win32.h"

std::vector<std::string> splitCommandLine(const wchar_t* commandLine) {
    std::vector<std::string> arguments;
    int count = 0;
    LPWSTR* vector = CommandLineToArgvW(commandLine, &count);
    if (vector == nullptr) return arguments;
    arguments.reserve(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i) arguments.push_back(utf16ToUtf8(vector[i]));
    LocalFree(vector);
    return arguments;
}

std::vector<std::string> processArguments() { return splitCommandLine(GetCommandLineW()); }
