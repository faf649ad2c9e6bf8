// lumibox.com, the console companion of lumibox.exe. lumibox.exe is a windowed program, so
// a console neither waits for it nor shows what it writes; typed as `lumibox`, cmd and
// PowerShell find lumibox.com first (.COM comes before .EXE in PATHEXT). It starts the
// lumibox.exe beside it with the same arguments, hands it its own standard handles (so
// output, errors and input go where the console's would), waits, and ends with its exit
// code. The program shares the console, so Ctrl+C and Ctrl+Break reach it as console
// events; the companion only waits for it to act on them.
#include <windows.h>

#include <cwchar>
#include <string>

#include "console_companion.h"

namespace {

// The companion's own failures, beyond the codes lumibox.exe uses.
constexpr int kProgramNotStarted = 126;

// Ctrl+C and Ctrl+Break are the program's to handle; the companion keeps waiting for it.
BOOL WINAPI keepWaiting(DWORD event) { return event == CTRL_C_EVENT || event == CTRL_BREAK_EVENT; }

std::wstring companionPath() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length == 0) return {};
        if (length < path.size()) {
            path.resize(length);
            return path;
        }
        path.resize(path.size() * 2);
    }
}

// An inheritable copy of a standard handle, or nullptr when the companion has none.
HANDLE inheritable(DWORD which) {
    const HANDLE original = GetStdHandle(which);
    if (original == nullptr || original == INVALID_HANDLE_VALUE) return nullptr;
    HANDLE copy = nullptr;
    if (!DuplicateHandle(GetCurrentProcess(), original, GetCurrentProcess(), &copy, 0, TRUE, DUPLICATE_SAME_ACCESS))
        return nullptr;
    return copy;
}

void report(const std::wstring& text) {
    const HANDLE errors = GetStdHandle(STD_ERROR_HANDLE);
    const std::wstring line = text + L"\n";
    DWORD written = 0;
    if (GetConsoleMode(errors, &written)) {
        WriteConsoleW(errors, line.c_str(), static_cast<DWORD>(line.size()), &written, nullptr);
        return;
    }
    const int bytes = WideCharToMultiByte(CP_UTF8, 0, line.c_str(), static_cast<int>(line.size()), nullptr, 0, nullptr, nullptr);
    std::string utf8(static_cast<std::size_t>(bytes), '\0');
    WideCharToMultiByte(CP_UTF8, 0, line.c_str(), static_cast<int>(line.size()), utf8.data(), bytes, nullptr, nullptr);
    WriteFile(errors, utf8.data(), static_cast<DWORD>(utf8.size()), &written, nullptr);
}

}  // namespace

int wmain() {
    const std::wstring self = companionPath();
    const std::wstring program = companionProgramPath(self);
    if (program.empty()) {
        report(L"lumibox: cannot tell where lumibox.com is");
        return kProgramNotStarted;
    }
    std::wstring commandLine = L"\"" + program + L"\"" + argumentsAfterProgramName(GetCommandLineW());

    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = inheritable(STD_INPUT_HANDLE);
    startup.hStdOutput = inheritable(STD_OUTPUT_HANDLE);
    startup.hStdError = inheritable(STD_ERROR_HANDLE);
    // The program joins this console (kConsoleCompanionVariable), for its Ctrl+C handling.
    SetEnvironmentVariableW(kConsoleCompanionVariable, L"1");
    SetConsoleCtrlHandler(keepWaiting, TRUE);

    PROCESS_INFORMATION child{};
    const BOOL started = CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr,
                                        &startup, &child);
    for (HANDLE handle : {startup.hStdInput, startup.hStdOutput, startup.hStdError}) {
        if (handle) CloseHandle(handle);
    }
    if (!started) {
        report(L"lumibox: cannot start " + program + L": error " + std::to_wstring(GetLastError()));
        return kProgramNotStarted;
    }
    CloseHandle(child.hThread);
    WaitForSingleObject(child.hProcess, INFINITE);
    DWORD exitCode = kProgramNotStarted;
    GetExitCodeProcess(child.hProcess, &exitCode);
    CloseHandle(child.hProcess);
    return static_cast<int>(exitCode);
}
