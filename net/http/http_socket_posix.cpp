#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <pthread.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <system_error>

#include "http_socket.h"

bool openHttpStopSignal(HttpStopSignal& stop) {
    int ends[2] = {-1, -1};
    if (pipe2(ends, O_CLOEXEC | O_NONBLOCK) != 0) return false;
    stop = {ends[0], ends[1]};
    return true;
}

void raiseHttpStopSignal(const HttpStopSignal& stop) {
    if (stop.writeEnd == kInvalidSocket) return;
    const char byte = 1;
    [[maybe_unused]] const ssize_t written = write(static_cast<int>(stop.writeEnd), &byte, 1);
}

void closeHttpStopSignal(HttpStopSignal& stop) {
    for (SocketHandle end : {stop.readEnd, stop.writeEnd}) {
        if (end != kInvalidSocket) close(static_cast<int>(end));
    }
    stop = {};
}

HttpWait waitForHttpSocket(SocketHandle socket, bool forWriting, const HttpStopSignal& stop, int timeoutMs) {
    const short events = forWriting ? POLLOUT : POLLIN;
    pollfd fds[2] = {{static_cast<int>(socket), events, 0}, {static_cast<int>(stop.readEnd), POLLIN, 0}};
    const int n = poll(fds, 2, timeoutMs);
    if (n < 0 && errno == EINTR) return HttpWait::TimedOut;
    if (n < 0 || (fds[1].revents & POLLIN) != 0) return HttpWait::Stopped;
    if (n == 0) return HttpWait::TimedOut;
    return (fds[0].revents & (events | POLLHUP | POLLERR)) != 0 ? HttpWait::Ready : HttpWait::Stopped;
}

long receiveWithoutWaiting(SocketHandle socket, char* buffer, std::size_t size) {
    const ssize_t n = recv(static_cast<int>(socket), buffer, size, MSG_DONTWAIT);
    if (n >= 0) return static_cast<long>(n);
    return errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR ? kHttpNothingYet : kHttpSocketFailed;
}

long sendWithoutWaiting(SocketHandle socket, const char* bytes, std::size_t size) {
    const ssize_t n = send(static_cast<int>(socket), bytes, size, MSG_NOSIGNAL | MSG_DONTWAIT);
    if (n >= 0) return static_cast<long>(n);
    return errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR ? 0 : kHttpSocketFailed;
}

void shutdownHttpSocket(SocketHandle socket, bool sendingOnly) {
    ::shutdown(static_cast<int>(socket), sendingOnly ? SHUT_WR : SHUT_RDWR);
}

void closeHttpSocket(SocketHandle socket) { close(static_cast<int>(socket)); }

void httpSocketAddress(SocketHandle socket, bool local, std::string& ip, int& port) {
    sockaddr_in address{};
    socklen_t length = sizeof address;
    char text[INET_ADDRSTRLEN] = "";
    auto* name = reinterpret_cast<sockaddr*>(&address);
    const int got = local ? getsockname(static_cast<int>(socket), name, &length)
                          : getpeername(static_cast<int>(socket), name, &length);
    if (got == 0) {
        inet_ntop(AF_INET, &address.sin_addr, text, sizeof text);
        port = ntohs(address.sin_port);
    }
    ip = text;
}

// SO_REUSEADDR only: the library's default also sets SO_REUSEPORT, which would let a second
// server share the port instead of failing to bind it.
void refuseSharingTheAddress(SocketHandle socket) {
    const int on = 1;
    setsockopt(static_cast<int>(socket), SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
}

// nice +10 for the calling thread alone; raising one's own nice value needs no privilege.
void lowerThisThreadsPriority() {
    setpriority(PRIO_PROCESS, static_cast<id_t>(gettid()), getpriority(PRIO_PROCESS, 0) + 10);
}

// A stop signal landing in accept() would end the library's accept loop.
bool startThreadWithoutSignals(std::thread& thread, std::function<void()> body) {
    sigset_t all, previous;
    sigfillset(&all);
    pthread_sigmask(SIG_SETMASK, &all, &previous);
    bool started = true;
    try {
        thread = std::thread(std::move(body));  // the threads it starts inherit the mask
    } catch (const std::system_error&) {
        started = false;
    }
    pthread_sigmask(SIG_SETMASK, &previous, nullptr);
    return started;
}
