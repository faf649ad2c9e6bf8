#include "socket_linux.h"

#include <ifaddrs.h>
#include <net/if.h>
#include <netinet/in.h>
#include <sys/socket.h>

#include <cstring>

namespace {

int fd(SocketHandle socket) { return static_cast<int>(socket); }

bool setIntOption(SocketHandle socket, int level, int name, int value) {
    return setsockopt(fd(socket), level, name, &value, sizeof value) == 0;
}

}  // namespace

bool setReceiveDestination(SocketHandle socket, bool on) {
    return setIntOption(socket, IPPROTO_IP, IP_PKTINFO, on ? 1 : 0);
}

long receiveDatagramTo(SocketHandle socket, uint8_t* buffer, std::size_t capacity, Ipv4Address& sender,
                       DatagramDestination& destination) {
    sockaddr_in from{};
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
    std::memcpy(sender.bytes, &from.sin_addr.s_addr, 4);
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
