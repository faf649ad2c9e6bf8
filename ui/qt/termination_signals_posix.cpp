#include "termination_signals.h"

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <QApplication>
#include <QSocketNotifier>
#include <QWidget>
#include <cerrno>

namespace {

// The self-pipe: a signal handler may only write to it; the event loop reads it.
int wakePipe[2] = {-1, -1};

void onTerminationSignal(int) {
    const int savedErrno = errno;
    const char byte = 1;
    [[maybe_unused]] const ssize_t written = write(wakePipe[1], &byte, 1);  // full pipe: a close is pending anyway
    errno = savedErrno;
}

bool setHandler(void (*handler)(int)) {
    struct sigaction action {};
    action.sa_handler = handler;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    return sigaction(SIGTERM, &action, nullptr) == 0 && sigaction(SIGINT, &action, nullptr) == 0;
}

void drainWakePipe() {
    char bytes[64];
    while (read(wakePipe[0], bytes, sizeof bytes) > 0) {
    }
}

}  // namespace

bool closeWindowOnTerminationSignals(QWidget& window) {
    if (wakePipe[0] < 0 && pipe2(wakePipe, O_NONBLOCK | O_CLOEXEC) != 0) return false;
    drainWakePipe();
    auto* notifier = new QSocketNotifier(wakePipe[0], QSocketNotifier::Read, &window);
    QObject::connect(notifier, &QSocketNotifier::activated, &window, [notifier, &window] {
        drainWakePipe();
        notifier->setEnabled(false);
        restoreTerminationSignals();
        // Windows it opened first (a main window opened from the Network window), then
        // itself; the process ends with the last window.
        for (QWidget* other : QApplication::topLevelWidgets()) {
            if (other != &window && other->isVisible()) other->close();
        }
        window.close();
    });
    return setHandler(onTerminationSignal);
}

void restoreTerminationSignals() { setHandler(SIG_DFL); }
