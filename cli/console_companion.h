#pragma once
// The pieces of lumibox.com (console_companion_win32.cpp) that need no process: where the
// program is, and what of the command line goes to it.
#include <string>

// Set in lumibox.exe's environment by the companion: the program then joins the
// companion's console, so console control events (Ctrl+C, Ctrl+Break) reach it.
inline constexpr const wchar_t* kConsoleCompanionVariable = L"LUMIBOX_CONSOLE_COMPANION";

// lumibox.exe beside the companion: its path with the extension replaced. Empty when
// the path has no extension to replace.
std::wstring companionProgramPath(const std::wstring& companionPath);

// The command line after the program name, exactly as typed (the quoting of every
// argument kept), with its leading space: the program name ends at the closing quote when
// it starts with one, else at the first space or tab, as Windows splits it.
std::wstring argumentsAfterProgramName(const std::wstring& commandLine);
