#pragma once
// The process's command line as the command-line modes read it: split by Windows' own rules
// (CommandLineToArgvW) and each argument converted from UTF-16 to UTF-8. Exact comparison
// of the UTF-8 text is exact comparison of the UTF-16 code units for any valid text; an
// unpaired surrogate, which no valid file name or option holds, becomes U+FFFD.
#include <string>
#include <vector>

// Element 0 is the program path. Empty when the line cannot be split.
std::vector<std::string> splitCommandLine(const wchar_t* commandLine);

// splitCommandLine of GetCommandLineW.
std::vector<std::string> processArguments();
