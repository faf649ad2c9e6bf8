#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <iterator>

#include "socket_layer.h"

namespace {

sockaddr_in toSockaddr(Ipv4Address address, uint16_t port) {
    sockaddr_in sa{};
    sa.sin_family = AF_INET;
    sa.sin_port = htons(port);
    std::memcpy(&sa.sin_addr.s_addr, address.bytes, 4);
    return sa;
}

int fd(SocketHandle socket) { return static_cast<int>(socket); }

bool setIntOption(SocketHandle socket, int level, int name, int value) {
    return setsockopt(fd(socket), level, name, &value, sizeof value) == 0;
}

}  // namespace

void startSocketLibrary() {}
void stopSocketLibrary() {}

SocketHandle openUdpSocket() {
    const int s = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, IPPROTO_UDP);
    return s < 0 ? kInvalidSocket : SocketHandle{s};
}

void closeSocket(SocketHandle socket) {
    if (socket != kInvalidSocket) ::close(fd(socket));
}

bool setReuseAddress(SocketHandle socket, bool on) { return setIntOption(socket, SOL_SOCKET, SO_REUSEADDR, on ? 1 : 0); }
bool setBroadcast(SocketHandle socket, bool on) { return setIntOption(socket, SOL_SOCKET, SO_BROADCAST, on ? 1 : 0); }

bool setReceiveTimeout(SocketHandle socket, int milliseconds) {
    timeval tv{};
    tv.tv_sec = milliseconds / 1000;
    tv.tv_usec = (milliseconds % 1000) * 1000;
    return setsockopt(fd(socket), SOL_SOCKET, SO_RCVTIMEO, &tv, sizeof tv) == 0;
}

bool setNonBlocking(SocketHandle socket, bool on) {
    const int flags = fcntl(fd(socket), F_GETFL, 0);
    if (flags < 0) return false;
    return fcntl(fd(socket), F_SETFL, on ? (flags | O_NONBLOCK) : (flags & ~O_NONBLOCK)) == 0;
}

bool joinMulticastGroup(SocketHandle socket, Ipv4Address group, Ipv4Address interfaceAddress) {
    ip_mreq request{};
    std::memcpy(&request.imr_multiaddr.s_addr, group.bytes, 4);
    std::memcpy(&request.imr_interface.s_addr, interfaceAddress.bytes, 4);
    return setsockopt(fd(socket), IPPROTO_IP, IP_ADD_MEMBERSHIP, &request, sizeof request) == 0;
}

bool setMulticastInterface(SocketHandle socket, Ipv4Address interfaceAddress) {
    in_addr address{};
    std::memcpy(&address.s_addr, interfaceAddress.bytes, 4);
    return setsockopt(fd(socket), IPPROTO_IP, IP_MULTICAST_IF, &address, sizeof address) == 0;
}

bool bindSocket(SocketHandle socket, Ipv4Address address, uint16_t port) {
    const sockaddr_in sa = toSockaddr(address, port);
    return ::bind(fd(socket), reinterpret_cast<const sockaddr*>(&sa), sizeof sa) == 0;
}

int waitForDatagram(const SocketHandle* sockets, std::size_t count, int timeoutMs) {
    pollfd waiting[8];
    if (count == 0 || count > std::size(waiting)) return -1;
    for (std::size_t i = 0; i < count; ++i) waiting[i] = pollfd{fd(sockets[i]), POLLIN, 0};
    if (::poll(waiting, static_cast<nfds_t>(count), timeoutMs) <= 0) return -1;
    for (std::size_t i = 0; i < count; ++i) {
        if ((waiting[i].revents & POLLIN) != 0) return static_cast<int>(i);
    }
    return -1;
}

long sendDatagram(SocketHandle socket, const uint8_t* data, std::size_t length, Ipv4Address to, uint16_t port) {
    const sockaddr_in sa = toSockaddr(to, port);
    return ::sendto(fd(socket), data, length, MSG_NOSIGNAL, reinterpret_cast<const sockaddr*>(&sa), sizeof sa);
}

long receiveDatagram(SocketHandle socket, uint8_t* buffer, std::size_t capacity) {
    return ::recvfrom(fd(socket), buffer, capacity, 0, nullptr, nullptr);
}

long receiveDatagramFrom(SocketHandle socket, uint8_t* buffer, std::size_t capacity, Ipv4Address& sender) {
    sockaddr_in sa{};
    socklen_t size = sizeof sa;
    const long n = ::recvfrom(fd(socket), buffer, capacity, 0, reinterpret_cast<sockaddr*>(&sa), &size);
    if (n >= 0) std::memcpy(sender.bytes, &sa.sin_addr.s_addr, 4);
    return n;
}

int lastSocketError() { return errno; }
