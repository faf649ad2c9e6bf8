#include "midi_wake_signal.h"

#include <sys/eventfd.h>
#include <unistd.h>

#include <QSocketNotifier>
#include <cstdint>

bool openMidiWakeSignal(MidiWakeSignal& signal, QObject& parent, std::function<void()> onWake) {
    signal.fd = eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
    if (signal.fd < 0) return false;
    signal.notifier = new QSocketNotifier(signal.fd, QSocketNotifier::Read, &parent);
    const int fd = signal.fd;
    QObject::connect(signal.notifier, &QSocketNotifier::activated, &parent, [fd, wake = std::move(onWake)] {
        uint64_t count = 0;
        [[maybe_unused]] const ssize_t got = read(fd, &count, sizeof count);  // reset before draining
        wake();
    });
    return true;
}

void closeMidiWakeSignal(MidiWakeSignal& signal) {
    if (signal.notifier) signal.notifier->setEnabled(false);
    delete signal.notifier;
    signal.notifier = nullptr;
    if (signal.fd >= 0) close(signal.fd);
    signal.fd = -1;
}

void raiseMidiWakeSignal(void* context) {
    const int fd = static_cast<MidiWakeSignal*>(context)->fd;
    const uint64_t one = 1;
    // EAGAIN only when the counter is saturated: a wake-up is pending anyway.
    [[maybe_unused]] const ssize_t written = write(fd, &one, sizeof one);
}
