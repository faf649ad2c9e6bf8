#include "console_companion.h"

std::wstring companionProgramPath(const std::wstring& companionPath) {
    const std::size_t dot = companionPath.find_last_of(L'.');
    const std::size_t separator = companionPath.find_last_of(L"\\/");
    if (dot == std::wstring::npos || (separator != std::wstring::npos && dot < separator)) return {};
    return companionPath.substr(0, dot) + L".exe";
}

std::wstring argumentsAfterProgramName(const std::wstring& commandLine) {
    std::size_t end = 0;
    if (!commandLine.empty() && commandLine[0] == L'"') {
        end = commandLine.find(L'"', 1);
        end = end == std::wstring::npos ? commandLine.size() : end + 1;
    } else {
        while (end < commandLine.size() && commandLine[end] != L' ' && commandLine[end] != L'\t') ++end;
    }
    while (end < commandLine.size() && (commandLine[end] == L' ' || commandLine[end] == L'\t')) ++end;
    return end < commandLine.size() ? L" " + commandLine.substr(end) : std::wstring();
}
