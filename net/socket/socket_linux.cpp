#include "socket_linux.h"

#include <ifaddrs.h>
#include <net/if.h>
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/epoll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <ctime>

#include "../../core/clock.h"

namespace {

int fd(SocketHandle socket) { return static_cast<int>(socket); }

// The IPv4 sender of a datagram, also when a shared-port socket gives it as ::ffff:a.b.c.d.
Ipv4Address ipv4Of(const sockaddr_storage& from) {
    Ipv4Address address;
    if (from.ss_family == AF_INET6) {
        std::memcpy(address.bytes, reinterpret_cast<const sockaddr_in6&>(from).sin6_addr.s6_addr + 12, 4);
    } else {
        std::memcpy(address.bytes, &reinterpret_cast<const sockaddr_in&>(from).sin_addr.s_addr, 4);
    }
    return address;
}

uint16_t portOf(const sockaddr_storage& from) {
    return ntohs(from.ss_family == AF_INET6 ? reinterpret_cast<const sockaddr_in6&>(from).sin6_port
                                            : reinterpret_cast<const sockaddr_in&>(from).sin_port);
}

bool setIntOption(SocketHandle socket, int level, int name, int value) {
    return setsockopt(fd(socket), level, name, &value, sizeof value) == 0;
}

}  // namespace

bool setReceiveDestination(SocketHandle socket, bool on) {
    return setIntOption(socket, IPPROTO_IP, IP_PKTINFO, on ? 1 : 0);
}

long receiveDatagramTo(SocketHandle socket, uint8_t* buffer, std::size_t capacity, Ipv4Address& sender,
                       DatagramDestination& destination) {
    sockaddr_storage from{};
    iovec part{buffer, capacity};
    alignas(cmsghdr) char control[CMSG_SPACE(sizeof(in_pktinfo))];
    msghdr message{};
    message.msg_name = &from;
    message.msg_namelen = sizeof from;
    message.msg_iov = &part;
    message.msg_iovlen = 1;
    message.msg_control = control;
    message.msg_controllen = sizeof control;
    const long n = ::recvmsg(fd(socket), &message, 0);
    if (n < 0) return n;
    sender = ipv4Of(from);
    destination = {};
    for (cmsghdr* c = CMSG_FIRSTHDR(&message); c != nullptr; c = CMSG_NXTHDR(&message, c)) {
        if (c->cmsg_level != IPPROTO_IP || c->cmsg_type != IP_PKTINFO) continue;
        in_pktinfo info{};
        std::memcpy(&info, CMSG_DATA(c), sizeof info);
        std::memcpy(destination.address.bytes, &info.ipi_addr.s_addr, 4);
        std::memcpy(destination.localAddress.bytes, &info.ipi_spec_dst.s_addr, 4);
        destination.interfaceIndex = static_cast<unsigned>(info.ipi_ifindex);
    }
    return n;
}

bool setMulticastAll(SocketHandle socket, bool on) { return setIntOption(socket, IPPROTO_IP, IP_MULTICAST_ALL, on ? 1 : 0); }

bool joinMulticastGroupOnInterface(SocketHandle socket, Ipv4Address group, unsigned interfaceIndex) {
    ip_mreqn request{};
    std::memcpy(&request.imr_multiaddr.s_addr, group.bytes, 4);
    request.imr_ifindex = static_cast<int>(interfaceIndex);
    return setsockopt(fd(socket), IPPROTO_IP, IP_ADD_MEMBERSHIP, &request, sizeof request) == 0;
}

std::vector<LocalInterfaceAddress> listInterfaceAddresses() {
    std::vector<LocalInterfaceAddress> found;
    ifaddrs* list = nullptr;
    if (getifaddrs(&list) != 0) return found;
    for (const ifaddrs* entry = list; entry != nullptr; entry = entry->ifa_next) {
        if (entry->ifa_addr == nullptr || entry->ifa_addr->sa_family != AF_INET) continue;
        if ((entry->ifa_flags & IFF_UP) == 0) continue;
        LocalInterfaceAddress item;
        item.interfaceIndex = if_nametoindex(entry->ifa_name);
        if (item.interfaceIndex == 0) continue;
        std::memcpy(item.address.bytes, &reinterpret_cast<const sockaddr_in*>(entry->ifa_addr)->sin_addr.s_addr, 4);
        if ((entry->ifa_flags & IFF_BROADCAST) != 0 && entry->ifa_broadaddr != nullptr) {
            std::memcpy(item.broadcast.bytes, &reinterpret_cast<const sockaddr_in*>(entry->ifa_broadaddr)->sin_addr.s_addr, 4);
        }
        found.push_back(item);
    }
    freeifaddrs(list);
    return found;
}

bool bindSocketToInterface(SocketHandle socket, unsigned interfaceIndex) {
    char name[IF_NAMESIZE] = {};
    if (if_indextoname(interfaceIndex, name) == nullptr) return false;
    return setsockopt(fd(socket), SOL_SOCKET, SO_BINDTODEVICE, name, static_cast<socklen_t>(std::strlen(name))) == 0;
}

SocketHandle openSharedPortSocket(uint16_t port) {
    const int socket = ::socket(AF_INET6, SOCK_DGRAM | SOCK_CLOEXEC, IPPROTO_UDP);
    if (socket < 0) return kInvalidSocket;
    sockaddr_in6 any{};
    any.sin6_family = AF_INET6;
    any.sin6_port = htons(port);
    if (!setIntOption(socket, IPPROTO_IPV6, IPV6_V6ONLY, 0) || !setIntOption(socket, SOL_SOCKET, SO_REUSEADDR, 1) ||
        !setIntOption(socket, SOL_SOCKET, SO_REUSEPORT, 1) ||
        ::bind(socket, reinterpret_cast<const sockaddr*>(&any), sizeof any) != 0) {
        ::close(socket);
        return kInvalidSocket;
    }
    return socket;
}

bool prepareBatchReceive(SocketHandle socket) {
    constexpr int kQueueBytes = 4 << 20;
    setIntOption(socket, SOL_SOCKET, SO_RCVBUF, kQueueBytes);  // silently capped by the system
    return setIntOption(socket, SOL_SOCKET, SO_TIMESTAMPNS, 1);
}

namespace {

constexpr int kBatchLimit = 64;
constexpr std::size_t kControlSpace = CMSG_SPACE(sizeof(in_pktinfo)) + CMSG_SPACE(sizeof(timespec));

uint64_t microseconds(const timespec& t) {
    return static_cast<uint64_t>(t.tv_sec) * 1000000u + static_cast<uint64_t>(t.tv_nsec) / 1000u;
}

// The kernel stamps arrivals on the wall clock; they are carried over to the monotonic
// clock by the distance between the two read once per batch.
struct ClockPair {
    uint64_t monotonic = monotonicMicroseconds();
    uint64_t wall = 0;
    ClockPair() {
        timespec now{};
        clock_gettime(CLOCK_REALTIME, &now);
        wall = microseconds(now);
    }
    uint64_t monotonicOf(const timespec& stamp) const {
        const uint64_t age = wall - microseconds(stamp);
        return age > wall || age > monotonic ? monotonic : monotonic - age;
    }
};

void readControl(msghdr& message, const ClockPair& clocks, ReceivedDatagram& datagram) {
    datagram.destination = {};
    datagram.arrivalUs = clocks.monotonic;
    for (cmsghdr* c = CMSG_FIRSTHDR(&message); c != nullptr; c = CMSG_NXTHDR(&message, c)) {
        if (c->cmsg_level == IPPROTO_IP && c->cmsg_type == IP_PKTINFO) {
            in_pktinfo info{};
            std::memcpy(&info, CMSG_DATA(c), sizeof info);
            std::memcpy(datagram.destination.address.bytes, &info.ipi_addr.s_addr, 4);
            std::memcpy(datagram.destination.localAddress.bytes, &info.ipi_spec_dst.s_addr, 4);
            datagram.destination.interfaceIndex = static_cast<unsigned>(info.ipi_ifindex);
        } else if (c->cmsg_level == SOL_SOCKET && c->cmsg_type == SCM_TIMESTAMPNS) {
            timespec stamp{};
            std::memcpy(&stamp, CMSG_DATA(c), sizeof stamp);
            datagram.arrivalUs = clocks.monotonicOf(stamp);
        }
    }
}

int receiveBatch(SocketHandle socket, ReceivedDatagram* datagrams, int count) {
    mmsghdr messages[kBatchLimit] = {};
    iovec parts[kBatchLimit];
    sockaddr_storage senders[kBatchLimit];
    alignas(cmsghdr) char control[kBatchLimit][kControlSpace];
    for (int i = 0; i < count; ++i) {
        parts[i] = {datagrams[i].buffer, datagrams[i].capacity};
        msghdr& header = messages[i].msg_hdr;
        header.msg_name = &senders[i];
        header.msg_namelen = sizeof senders[i];
        header.msg_iov = &parts[i];
        header.msg_iovlen = 1;
        header.msg_control = control[i];
        header.msg_controllen = kControlSpace;
    }
    const int received = ::recvmmsg(fd(socket), messages, static_cast<unsigned>(count), MSG_DONTWAIT, nullptr);
    if (received < 0) return errno == EAGAIN || errno == EWOULDBLOCK ? 0 : -1;
    const ClockPair clocks;
    for (int i = 0; i < received; ++i) {
        ReceivedDatagram& datagram = datagrams[i];
        datagram.length = messages[i].msg_len;
        datagram.sender = ipv4Of(senders[i]);
        datagram.senderPort = portOf(senders[i]);
        readControl(messages[i].msg_hdr, clocks, datagram);
    }
    return received;
}

}  // namespace

int receiveDatagrams(SocketHandle socket, ReceivedDatagram* datagrams, int count) {
    int total = 0;
    while (total < count) {
        const int chunk = count - total < kBatchLimit ? count - total : kBatchLimit;
        const int received = receiveBatch(socket, datagrams + total, chunk);
        if (received < 0) return total > 0 ? total : -1;
        total += received;
        if (received < chunk) break;
    }
    return total;
}

namespace {

constexpr std::size_t kSendBatchLimit = 256;

// Sends one batch, counting the datagrams sent whole into whole.
void sendBatch(SocketHandle socket, const OutgoingDatagram* datagrams, std::size_t count, std::size_t& whole) {
    mmsghdr messages[kSendBatchLimit];
    iovec parts[kSendBatchLimit];
    sockaddr_in targets[kSendBatchLimit];
    for (std::size_t i = 0; i < count; ++i) {
        targets[i] = sockaddr_in{};
        targets[i].sin_family = AF_INET;
        targets[i].sin_port = htons(datagrams[i].port);
        std::memcpy(&targets[i].sin_addr.s_addr, datagrams[i].to.bytes, 4);
        parts[i] = {const_cast<uint8_t*>(datagrams[i].data), datagrams[i].length};
        messages[i] = mmsghdr{};
        messages[i].msg_hdr.msg_name = &targets[i];
        messages[i].msg_hdr.msg_namelen = sizeof targets[i];
        messages[i].msg_hdr.msg_iov = &parts[i];
        messages[i].msg_hdr.msg_iovlen = 1;
    }
    std::size_t done = 0;
    while (done < count) {
        const int sent = ::sendmmsg(fd(socket), messages + done, static_cast<unsigned>(count - done), 0);
        if (sent < 0 && errno == EINTR) continue;
        if (sent <= 0) {
            ++done;  // the first of the rest was refused
            continue;
        }
        for (int i = 0; i < sent; ++i) whole += messages[done + static_cast<std::size_t>(i)].msg_len == datagrams[done + static_cast<std::size_t>(i)].length;
        done += static_cast<std::size_t>(sent);
    }
}

}  // namespace

std::size_t sendDatagrams(SocketHandle socket, const OutgoingDatagram* datagrams, std::size_t count) {
    std::size_t whole = 0;
    for (std::size_t at = 0; at < count; at += kSendBatchLimit) {
        sendBatch(socket, datagrams + at, count - at < kSendBatchLimit ? count - at : kSendBatchLimit, whole);
    }
    return whole;
}

bool openSocketWaitSet(SocketWaitSet& set) {
    set.members.clear();
    set.handle = epoll_create1(EPOLL_CLOEXEC);
    return set.handle >= 0;
}

bool addToSocketWaitSet(SocketWaitSet& set, SocketHandle socket) {
    epoll_event event{};
    event.events = EPOLLIN;
    event.data.u32 = static_cast<uint32_t>(set.members.size());
    if (epoll_ctl(fd(set.handle), EPOLL_CTL_ADD, fd(socket), &event) != 0) return false;
    set.members.push_back(socket);
    return true;
}

void closeSocketWaitSet(SocketWaitSet& set) {
    if (set.handle >= 0) ::close(fd(set.handle));
    set.handle = kInvalidSocket;
    set.members.clear();
}

int waitForSockets(SocketWaitSet& set, int timeoutMs, int* ready, int capacity) {
    epoll_event events[kSocketWaitSetLimit];
    const int most = capacity < static_cast<int>(kSocketWaitSetLimit) ? capacity : static_cast<int>(kSocketWaitSetLimit);
    const int n = epoll_wait(fd(set.handle), events, most, timeoutMs);
    if (n < 0) return errno == EINTR ? 0 : -1;
    for (int i = 0; i < n; ++i) ready[i] = static_cast<int>(events[i].data.u32);
    return n;
}
