#include <fcntl.h>
#include <limits.h>
#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

#include "../core/clock.h"
#include "follow_output.h"
#include "stop_signals.h"

namespace {

// Waits for room in the output, or for a stop signal while none has come; the descriptor's
// poll events, 0 when the wait ended without them, -1 when the grace has passed.
short waitForRoom(FollowOutput& output) {
    const SocketHandle wake = stopWakeHandle();
    pollfd waits[2] = {{output.descriptor, POLLOUT, 0}, {static_cast<int>(wake), POLLIN, 0}};
    int timeoutMs = wake == kInvalidSocket ? kStopCheckMs : -1;
    nfds_t count = wake == kInvalidSocket ? 1 : 2;
    if (stopRequested()) {
        const uint64_t now = monotonicMicroseconds();
        if (output.stopDeadlineUs == 0) output.stopDeadlineUs = now + kStopGraceMs * uint64_t{1000};
        if (now >= output.stopDeadlineUs) return -1;
        timeoutMs = static_cast<int>((output.stopDeadlineUs - now + 999) / 1000);
        count = 1;  // the wake handle stays readable from now on
    }
    return poll(waits, count, timeoutMs) > 0 ? waits[0].revents : 0;
}

}  // namespace

bool openFollowOutput(FollowOutput& output, const std::string& path) {
    if (path == "-") {
        output.descriptor = STDOUT_FILENO;
        return true;
    }
    output.descriptor = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    output.ownsDescriptor = output.descriptor >= 0;
    return output.ownsDescriptor;
}

bool writeFollowLine(FollowOutput& output, std::string_view line) {
    std::string whole(line);
    whole += '\n';
    std::string_view rest = whole;
    while (!rest.empty()) {
        const short events = waitForRoom(output);
        if (events < 0) return false;
        if (events == 0) continue;
        // Room is at least PIPE_BUF bytes, so a write of no more than that does not block.
        const ssize_t written = write(output.descriptor, rest.data(), std::min<std::size_t>(rest.size(), PIPE_BUF));
        if (written < 0 && errno != EINTR && errno != EAGAIN) return false;
        if (written > 0) rest.remove_prefix(static_cast<std::size_t>(written));
    }
    return true;
}

void closeFollowOutput(FollowOutput& output) {
    if (output.ownsDescriptor) close(output.descriptor);
    output.descriptor = -1;
    output.ownsDescriptor = false;
}
