// The socket layer on Windows Sockets 2.2 (ws2_32), with the interface list from the IP
// helper (iphlpapi).
#include <winsock2.h>
#include <ws2tcpip.h>
#include <mswsock.h>
// iphlpapi.h brings naptypes.h, whose Ipv4Address would collide with ours.
#define Ipv4Address NaptypesIpv4Address
#include <iphlpapi.h>
#undef Ipv4Address

#include <climits>
#include <cstring>
#include <vector>

#include "socket_layer.h"
#include "socket_win32.h"

namespace {

SOCKET native(SocketHandle socket) { return static_cast<SOCKET>(socket); }

sockaddr_in toSockaddr(Ipv4Address address, uint16_t port) {
    sockaddr_in sa{};
    sa.sin_family = AF_INET;
    sa.sin_port = htons(port);
    std::memcpy(&sa.sin_addr.s_addr, address.bytes, 4);
    return sa;
}

bool setIntOption(SocketHandle socket, int level, int name, int value) {
    return setsockopt(native(socket), level, name, reinterpret_cast<const char*>(&value), sizeof value) == 0;
}

int bufferLength(std::size_t capacity) { return capacity > INT_MAX ? INT_MAX : static_cast<int>(capacity); }

// A datagram longer than the buffer fills the buffer and fails with WSAEMSGSIZE; POSIX
// returns the truncated length, and so does this layer.
long receivedLength(int result, std::size_t capacity) {
    if (result != SOCKET_ERROR) return result;
    return WSAGetLastError() == WSAEMSGSIZE ? bufferLength(capacity) : -1;
}

// The IPv4 adapter table, grown until it fits (it can change between two calls).
std::vector<unsigned char> adapterTable() {
    constexpr ULONG kFlags = GAA_FLAG_SKIP_ANYCAST | GAA_FLAG_SKIP_MULTICAST | GAA_FLAG_SKIP_DNS_SERVER;
    ULONG size = 16 * 1024;
    for (int attempt = 0; attempt < 4; ++attempt) {
        std::vector<unsigned char> table(size);
        const ULONG result =
            GetAdaptersAddresses(AF_INET, kFlags, nullptr, reinterpret_cast<IP_ADAPTER_ADDRESSES*>(table.data()), &size);
        if (result == ERROR_SUCCESS) return table;
        if (result != ERROR_BUFFER_OVERFLOW) break;
    }
    return {};
}

bool hasBroadcast(const IP_ADAPTER_ADDRESSES& adapter, unsigned prefixLength) {
    const bool pointToPoint = adapter.IfType == IF_TYPE_SOFTWARE_LOOPBACK || adapter.IfType == IF_TYPE_PPP ||
                              adapter.IfType == IF_TYPE_TUNNEL;
    return !pointToPoint && prefixLength > 0 && prefixLength <= 30;
}

}  // namespace

void startSocketLibrary() {
    WSADATA data;
    WSAStartup(MAKEWORD(2, 2), &data);
}

void stopSocketLibrary() { WSACleanup(); }

SocketHandle openUdpSocket() {
    const SOCKET s = ::socket(AF_INET, SOCK_DGRAM, IPPROTO_UDP);
    return s == INVALID_SOCKET ? kInvalidSocket : static_cast<SocketHandle>(s);
}

void closeSocket(SocketHandle socket) {
    if (socket != kInvalidSocket) closesocket(native(socket));
}

bool setReuseAddress(SocketHandle socket, bool on) { return setIntOption(socket, SOL_SOCKET, SO_REUSEADDR, on ? 1 : 0); }
bool setBroadcast(SocketHandle socket, bool on) { return setIntOption(socket, SOL_SOCKET, SO_BROADCAST, on ? 1 : 0); }

bool setReceiveTimeout(SocketHandle socket, int milliseconds) {
    const DWORD timeout = milliseconds < 0 ? 0 : static_cast<DWORD>(milliseconds);
    return setsockopt(native(socket), SOL_SOCKET, SO_RCVTIMEO, reinterpret_cast<const char*>(&timeout),
                      sizeof timeout) == 0;
}

bool setNonBlocking(SocketHandle socket, bool on) {
    u_long mode = on ? 1 : 0;
    return ioctlsocket(native(socket), FIONBIO, &mode) == 0;
}

bool joinMulticastGroup(SocketHandle socket, Ipv4Address group, Ipv4Address interfaceAddress) {
    ip_mreq request{};
    std::memcpy(&request.imr_multiaddr.s_addr, group.bytes, 4);
    std::memcpy(&request.imr_interface.s_addr, interfaceAddress.bytes, 4);
    return setsockopt(native(socket), IPPROTO_IP, IP_ADD_MEMBERSHIP, reinterpret_cast<const char*>(&request),
                      sizeof request) == 0;
}

bool bindSocket(SocketHandle socket, Ipv4Address address, uint16_t port) {
    const sockaddr_in sa = toSockaddr(address, port);
    return ::bind(native(socket), reinterpret_cast<const sockaddr*>(&sa), sizeof sa) == 0;
}

long sendDatagram(SocketHandle socket, const uint8_t* data, std::size_t length, Ipv4Address to, uint16_t port) {
    if (length > INT_MAX) return -1;
    const sockaddr_in sa = toSockaddr(to, port);
    const int sent = ::sendto(native(socket), reinterpret_cast<const char*>(data), static_cast<int>(length), 0,
                              reinterpret_cast<const sockaddr*>(&sa), sizeof sa);
    return sent == SOCKET_ERROR ? -1 : sent;
}

long receiveDatagram(SocketHandle socket, uint8_t* buffer, std::size_t capacity) {
    const int n = ::recvfrom(native(socket), reinterpret_cast<char*>(buffer), bufferLength(capacity), 0, nullptr, nullptr);
    return receivedLength(n, capacity);
}

long receiveDatagramFrom(SocketHandle socket, uint8_t* buffer, std::size_t capacity, Ipv4Address& sender) {
    sockaddr_in sa{};
    int size = sizeof sa;
    const int n = ::recvfrom(native(socket), reinterpret_cast<char*>(buffer), bufferLength(capacity), 0,
                             reinterpret_cast<sockaddr*>(&sa), &size);
    const long length = receivedLength(n, capacity);
    if (length >= 0) std::memcpy(sender.bytes, &sa.sin_addr.s_addr, 4);
    return length;
}

bool setReceiveDestination(SocketHandle socket, bool on) { return setIntOption(socket, IPPROTO_IP, IP_PKTINFO, on ? 1 : 0); }

// WSARecvMsg is reached through its extension pointer. Windows gives the destination and
// the interface (IN_PKTINFO) but not the host's own address for it: localAddress stays zero.
long receiveDatagramWithPort(SocketHandle socket, uint8_t* buffer, std::size_t capacity, Ipv4Address& sender,
                             uint16_t& senderPort, DatagramDestination& destination) {
    destination = {};
    // Looked up once, through the first socket that asks (any socket serves).
    static const LPFN_WSARECVMSG receiveMessage = [socket] {
        LPFN_WSARECVMSG found = nullptr;
        GUID id = WSAID_WSARECVMSG;
        DWORD size = 0;
        WSAIoctl(native(socket), SIO_GET_EXTENSION_FUNCTION_POINTER, &id, sizeof id, &found, sizeof found, &size,
                 nullptr, nullptr);
        return found;
    }();
    sockaddr_in from{};
    if (receiveMessage == nullptr) {
        int size = sizeof from;
        const int n = ::recvfrom(native(socket), reinterpret_cast<char*>(buffer), bufferLength(capacity), 0,
                                 reinterpret_cast<sockaddr*>(&from), &size);
        const long length = receivedLength(n, capacity);
        if (length >= 0) std::memcpy(sender.bytes, &from.sin_addr.s_addr, 4);
        senderPort = ntohs(from.sin_port);
        return length;
    }
    char control[WSA_CMSG_SPACE(sizeof(IN_PKTINFO))] = {};
    WSABUF data{static_cast<ULONG>(bufferLength(capacity)), reinterpret_cast<char*>(buffer)};
    WSAMSG message{};
    message.name = reinterpret_cast<sockaddr*>(&from);
    message.namelen = sizeof from;
    message.lpBuffers = &data;
    message.dwBufferCount = 1;
    message.Control = WSABUF{sizeof control, control};
    DWORD received = 0;
    const int result = receiveMessage(native(socket), &message, &received, nullptr, nullptr);
    const long length = receivedLength(result == SOCKET_ERROR ? SOCKET_ERROR : static_cast<int>(received), capacity);
    if (length < 0) return length;
    std::memcpy(sender.bytes, &from.sin_addr.s_addr, 4);
    senderPort = ntohs(from.sin_port);
    for (WSACMSGHDR* header = WSA_CMSG_FIRSTHDR(&message); header != nullptr; header = WSA_CMSG_NXTHDR(&message, header)) {
        if (header->cmsg_level != IPPROTO_IP || header->cmsg_type != IP_PKTINFO) continue;
        const auto* info = reinterpret_cast<const IN_PKTINFO*>(WSA_CMSG_DATA(header));
        std::memcpy(destination.address.bytes, &info->ipi_addr.s_addr, 4);
        destination.interfaceIndex = info->ipi_ifindex;
    }
    return length;
}

long receiveDatagramTo(SocketHandle socket, uint8_t* buffer, std::size_t capacity, Ipv4Address& sender,
                       DatagramDestination& destination) {
    uint16_t senderPort = 0;
    return receiveDatagramWithPort(socket, buffer, capacity, sender, senderPort, destination);
}

bool setMulticastInterface(SocketHandle socket, Ipv4Address interfaceAddress) {
    in_addr address{};
    std::memcpy(&address.s_addr, interfaceAddress.bytes, 4);
    return setsockopt(native(socket), IPPROTO_IP, IP_MULTICAST_IF, reinterpret_cast<const char*>(&address),
                      sizeof address) == 0;
}

// A Windows socket receives only the groups it joined itself: nothing to switch off.
bool setMulticastAll(SocketHandle, bool) { return true; }

// Joined through one of the interface's addresses, which every Windows version and wine
// accept (the 0.0.0.<index> form of the membership request is not understood everywhere).
bool joinMulticastGroupOnInterface(SocketHandle socket, Ipv4Address group, unsigned interfaceIndex) {
    for (const LocalInterfaceAddress& item : listInterfaceAddresses()) {
        if (item.interfaceIndex == interfaceIndex) return joinMulticastGroup(socket, group, item.address);
    }
    WSASetLastError(WSAEADDRNOTAVAIL);
    return false;
}

std::vector<LocalInterfaceAddress> listInterfaceAddresses() {
    std::vector<LocalInterfaceAddress> found;
    const std::vector<unsigned char> table = adapterTable();
    if (table.empty()) return found;
    for (auto* adapter = reinterpret_cast<const IP_ADAPTER_ADDRESSES*>(table.data()); adapter != nullptr;
         adapter = adapter->Next) {
        if (adapter->OperStatus != IfOperStatusUp || adapter->IfIndex == 0) continue;
        for (const IP_ADAPTER_UNICAST_ADDRESS* entry = adapter->FirstUnicastAddress; entry != nullptr; entry = entry->Next) {
            const SOCKADDR* sa = entry->Address.lpSockaddr;
            if (sa == nullptr || sa->sa_family != AF_INET) continue;
            LocalInterfaceAddress item;
            item.interfaceIndex = adapter->IfIndex;
            std::memcpy(item.address.bytes, &reinterpret_cast<const sockaddr_in*>(sa)->sin_addr.s_addr, 4);
            const unsigned prefix = entry->OnLinkPrefixLength;
            if (hasBroadcast(*adapter, prefix)) {
                for (int i = 0; i < 4; ++i) {
                    const int bitsInByte = static_cast<int>(prefix) - 8 * i;
                    const uint8_t hostMask = bitsInByte >= 8 ? 0 : bitsInByte <= 0 ? 0xFF : static_cast<uint8_t>(0xFF >> bitsInByte);
                    item.broadcast.bytes[i] = static_cast<uint8_t>(item.address.bytes[i] | hostMask);
                }
            }
            found.push_back(item);
        }
    }
    return found;
}

int lastSocketError() { return WSAGetLastError(); }

int socketErrorCode(SocketError error) {
    switch (error) {
        case SocketError::AddressInUse: return WSAEADDRINUSE;
        case SocketError::AddressNotAvailable: return WSAEADDRNOTAVAIL;
        case SocketError::NetworkUnreachable: return WSAENETUNREACH;
    }
    return 0;
}

int waitForDatagram(const SocketHandle* sockets, std::size_t count, int timeoutMs) {
    WSAPOLLFD waiting[8];
    if (count == 0 || count > sizeof waiting / sizeof waiting[0]) return -1;
    for (std::size_t i = 0; i < count; ++i) waiting[i] = WSAPOLLFD{static_cast<SOCKET>(sockets[i]), POLLRDNORM, 0};
    if (WSAPoll(waiting, static_cast<ULONG>(count), timeoutMs) <= 0) return -1;
    for (std::size_t i = 0; i < count; ++i) {
        if ((waiting[i].revents & POLLRDNORM) != 0) return static_cast<int>(i);
    }
    return -1;
}

bool openSocketWaitSet(SocketWaitSet& set) {
    set.members.clear();
    return true;
}

bool addToSocketWaitSet(SocketWaitSet& set, SocketHandle socket) {
    if (set.members.size() == kSocketWaitSetLimit) return false;
    set.members.push_back(socket);
    return true;
}

void closeSocketWaitSet(SocketWaitSet& set) { set.members.clear(); }

int waitForSockets(SocketWaitSet& set, int timeoutMs, int* ready, int capacity) {
    WSAPOLLFD waiting[kSocketWaitSetLimit];
    const std::size_t count = set.members.size();
    for (std::size_t i = 0; i < count; ++i) waiting[i] = WSAPOLLFD{static_cast<SOCKET>(set.members[i]), POLLRDNORM, 0};
    if (count == 0) {
        Sleep(static_cast<DWORD>(timeoutMs));
        return 0;
    }
    const int n = WSAPoll(waiting, static_cast<ULONG>(count), timeoutMs);
    if (n <= 0) return n;
    int found = 0;
    for (std::size_t i = 0; i < count && found < capacity; ++i) {
        if ((waiting[i].revents & (POLLRDNORM | POLLERR | POLLHUP)) != 0) ready[found++] = static_cast<int>(i);
    }
    return found;
}
