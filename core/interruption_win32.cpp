#include <windows.h>

#include <atomic>
#include <mutex>
#include <string>
#include <vector>

#include "interruption.h"

// The console runs the handler on a thread of its own. Returning FALSE passes the event on
// to the default handler, which ends the process with STATUS_CONTROL_C_EXIT; a mode that
// takes interruptions gets the event instead and ends itself with the same code. The
// temporary file of a whole-file write is opened with FILE_SHARE_DELETE, so that it can be
// removed here while the writer still holds it.

namespace {

std::atomic<bool> interrupted{false};
std::atomic<bool> modeTakesInterruptions{false};
std::mutex fileMutex;
std::vector<std::wstring> removedFiles;
HANDLE wakeEvent = nullptr;

BOOL WINAPI onConsoleEvent(DWORD event) {
    if (event != CTRL_C_EVENT && event != CTRL_BREAK_EVENT && event != CTRL_CLOSE_EVENT) return FALSE;
    interrupted = true;
    if (wakeEvent != nullptr) SetEvent(wakeEvent);
    if (modeTakesInterruptions) {
        // Closing the console ends the process once this returns: give the mode time to release.
        if (event == CTRL_CLOSE_EVENT) Sleep(5000);
        return TRUE;
    }
    std::lock_guard lock(fileMutex);
    for (const std::wstring& file : removedFiles) DeleteFileW(file.c_str());
    return FALSE;
}

}  // namespace

void catchInterruptions() {
    if (wakeEvent == nullptr) wakeEvent = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    SetConsoleCtrlHandler(onConsoleEvent, TRUE);  // no console: never called
}

void takeInterruptions(bool on) { modeTakesInterruptions = on; }

bool interruptionRequested() { return interrupted; }

void endIfInterrupted() {
    if (interrupted) ExitProcess(static_cast<UINT>(STATUS_CONTROL_C_EXIT));
}

bool sleepUnlessInterrupted(uint32_t milliseconds) {
    if (interrupted) return false;
    if (wakeEvent == nullptr) {
        Sleep(milliseconds);
    } else {
        WaitForSingleObject(wakeEvent, milliseconds);
    }
    return !interrupted;
}

bool removeOnInterruption(const std::filesystem::path& file) {
    std::lock_guard lock(fileMutex);
    removedFiles.push_back(file.native());
    return true;
}

void keepOnInterruption(const std::filesystem::path& file) {
    std::lock_guard lock(fileMutex);
    std::erase(removedFiles, file.native());
}
