#include <winsock2.h>
#include <ws2tcpip.h>

#include <system_error>

#include "http_socket.h"

namespace {

SOCKET native(SocketHandle socket) { return static_cast<SOCKET>(socket); }

// The library's sockets block; each call here must not.
bool setNonBlockingNow(SOCKET socket) {
    u_long on = 1;
    return ioctlsocket(socket, FIONBIO, &on) == 0;
}

}  // namespace

// One UDP socket on loopback, bound to a port of its own: raising it sends it a datagram,
// which no one reads, so it stays readable.
bool openHttpStopSignal(HttpStopSignal& stop) {
    const SOCKET socket = ::socket(AF_INET, SOCK_DGRAM, IPPROTO_UDP);
    if (socket == INVALID_SOCKET) return false;
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (::bind(socket, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
        closesocket(socket);
        return false;
    }
    stop.readEnd = stop.writeEnd = static_cast<SocketHandle>(socket);
    return true;
}

void raiseHttpStopSignal(const HttpStopSignal& stop) {
    if (stop.writeEnd == kInvalidSocket) return;
    sockaddr_in address{};
    int length = sizeof address;
    if (getsockname(native(stop.writeEnd), reinterpret_cast<sockaddr*>(&address), &length) != 0) return;
    const char byte = 1;
    sendto(native(stop.writeEnd), &byte, 1, 0, reinterpret_cast<const sockaddr*>(&address), length);
}

void closeHttpStopSignal(HttpStopSignal& stop) {
    if (stop.readEnd != kInvalidSocket) closesocket(native(stop.readEnd));
    stop = {};
}

HttpWait waitForHttpSocket(SocketHandle socket, bool forWriting, const HttpStopSignal& stop, int timeoutMs) {
    const SHORT events = forWriting ? POLLWRNORM : POLLRDNORM;
    WSAPOLLFD fds[2] = {{native(socket), events, 0}, {native(stop.readEnd), POLLRDNORM, 0}};
    const int n = WSAPoll(fds, 2, timeoutMs);
    if (n == SOCKET_ERROR || (fds[1].revents & POLLRDNORM) != 0) return HttpWait::Stopped;
    if (n == 0) return HttpWait::TimedOut;
    return (fds[0].revents & (events | POLLHUP | POLLERR)) != 0 ? HttpWait::Ready : HttpWait::Stopped;
}

long receiveWithoutWaiting(SocketHandle socket, char* buffer, std::size_t size) {
    if (!setNonBlockingNow(native(socket))) return kHttpSocketFailed;
    const int n = recv(native(socket), buffer, size > INT_MAX ? INT_MAX : static_cast<int>(size), 0);
    if (n != SOCKET_ERROR) return n;
    const int error = WSAGetLastError();
    return error == WSAEWOULDBLOCK || error == WSAEINTR ? kHttpNothingYet : kHttpSocketFailed;
}

long sendWithoutWaiting(SocketHandle socket, const char* bytes, std::size_t size) {
    if (!setNonBlockingNow(native(socket))) return kHttpSocketFailed;
    const int n = send(native(socket), bytes, size > INT_MAX ? INT_MAX : static_cast<int>(size), 0);
    if (n != SOCKET_ERROR) return n;
    const int error = WSAGetLastError();
    return error == WSAEWOULDBLOCK || error == WSAEINTR ? 0 : kHttpSocketFailed;
}

void shutdownHttpSocket(SocketHandle socket, bool sendingOnly) { ::shutdown(native(socket), sendingOnly ? SD_SEND : SD_BOTH); }

void closeHttpSocket(SocketHandle socket) { closesocket(native(socket)); }

void httpSocketAddress(SocketHandle socket, bool local, std::string& ip, int& port) {
    sockaddr_in address{};
    int length = sizeof address;
    char text[INET_ADDRSTRLEN] = "";
    auto* name = reinterpret_cast<sockaddr*>(&address);
    const int got = local ? getsockname(native(socket), name, &length) : getpeername(native(socket), name, &length);
    if (got == 0) {
        inet_ntop(AF_INET, &address.sin_addr, text, sizeof text);
        port = ntohs(address.sin_port);
    }
    ip = text;
}

// Windows lets a socket with SO_REUSEADDR take over a port in use; an exclusive one cannot
// be joined, so a second server's bind fails as it does on Linux.
void refuseSharingTheAddress(SocketHandle socket) {
    const BOOL on = TRUE;
    setsockopt(native(socket), SOL_SOCKET, SO_EXCLUSIVEADDRUSE, reinterpret_cast<const char*>(&on), sizeof on);
}

void lowerThisThreadsPriority() { SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_BELOW_NORMAL); }

bool startThreadWithoutSignals(std::thread& thread, std::function<void()> body) {
    try {
        thread = std::thread(std::move(body));
    } catch (const std::system_error&) {
        return false;
    }
    return true;
}
