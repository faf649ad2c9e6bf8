#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "interruption.h"
#include "interruption_posix.h"

// The handler may run on any thread (MIDI services run threads of their own), so it only
// sets flags, writes a byte to a pipe that sleepers wait on, and, when nobody takes the
// interruption, unlinks the named file and re-raises the signal with its default action.
// Every call it makes is async-signal-safe.

namespace {

volatile sig_atomic_t receivedSignal = 0;
volatile sig_atomic_t modeTakesInterruptions = 0;
struct RemovedFile {
    volatile sig_atomic_t named = 0;
    char path[4096];
};
RemovedFile removedFiles[4];
int wakePipe[2] = {-1, -1};

void onInterruption(int signalNumber) {
    const int savedErrno = errno;
    receivedSignal = signalNumber;
    if (wakePipe[1] >= 0) {
        const char byte = 1;
        [[maybe_unused]] const ssize_t written = write(wakePipe[1], &byte, 1);  // a full pipe already wakes
    }
    if (modeTakesInterruptions) {
        errno = savedErrno;
        return;
    }
    for (const RemovedFile& file : removedFiles) {
        if (file.named) unlink(file.path);
    }
    signal(signalNumber, SIG_DFL);
    raise(signalNumber);  // delivered as this handler returns
    errno = savedErrno;
}

}  // namespace

void catchInterruptions() {
    if (wakePipe[0] < 0 && pipe2(wakePipe, O_CLOEXEC | O_NONBLOCK) != 0) wakePipe[0] = wakePipe[1] = -1;
    struct sigaction action {};
    action.sa_handler = onInterruption;
    sigemptyset(&action.sa_mask);
    sigaddset(&action.sa_mask, SIGINT);
    sigaddset(&action.sa_mask, SIGTERM);
    action.sa_flags = SA_RESTART;
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
}

void takeInterruptions(bool on) { modeTakesInterruptions = on ? 1 : 0; }

bool interruptionRequested() { return receivedSignal != 0; }

void endIfInterrupted() {
    const int signalNumber = receivedSignal;
    if (signalNumber == 0) return;
    modeTakesInterruptions = 0;
    signal(signalNumber, SIG_DFL);
    raise(signalNumber);
}

int interruptionWakeDescriptor() { return wakePipe[0]; }

bool removeOnInterruption(const std::filesystem::path& file) {
    const std::string& name = file.native();
    if (name.size() >= sizeof removedFiles[0].path) return false;
    for (RemovedFile& slot : removedFiles) {
        if (slot.named) continue;
        std::memcpy(slot.path, name.c_str(), name.size() + 1);
        slot.named = 1;  // only now does the handler read the path
        return true;
    }
    return false;
}

void keepOnInterruption(const std::filesystem::path& file) {
    for (RemovedFile& slot : removedFiles) {
        if (slot.named && file.native() == slot.path) slot.named = 0;
    }
}
