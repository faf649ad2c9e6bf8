#pragma once
// The socket interface: the few IPv4 UDP operations the DMX side needs, on every
// platform. socket_posix.cpp implements them with BSD sockets, socket_win32.cpp with
// Winsock; what only Linux offers is in socket_linux.h. Nothing here throws or prints.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "../../core/ipv4_address.h"

using SocketHandle = std::intptr_t;
constexpr SocketHandle kInvalidSocket = -1;

// Library start and stop (Winsock needs them; no-ops on POSIX).
void startSocketLibrary();
void stopSocketLibrary();

// IPv4, datagram, UDP. kInvalidSocket on failure.
SocketHandle openUdpSocket();
void closeSocket(SocketHandle socket);

bool setReuseAddress(SocketHandle socket, bool on);
bool setBroadcast(SocketHandle socket, bool on);
bool setReceiveTimeout(SocketHandle socket, int milliseconds);
bool setNonBlocking(SocketHandle socket, bool on);
bool joinMulticastGroup(SocketHandle socket, Ipv4Address group, Ipv4Address interfaceAddress);

// False when the bind failed; lastSocketError() then tells why.
bool bindSocket(SocketHandle socket, Ipv4Address address, uint16_t port);

// Waits up to timeoutMs until one of the sockets holds a datagram: its position in
// sockets, or -1 when none did in time or the wait failed.
int waitForDatagram(const SocketHandle* sockets, std::size_t count, int timeoutMs);

// Sockets (or, on Linux, any readable handle such as a pipe) waited on together, for as
// many sockets as a scan opens. Linux keeps them in an epoll set; Windows polls up to
// kSocketWaitSetLimit of them.
constexpr std::size_t kSocketWaitSetLimit = 64;
struct SocketWaitSet {
    SocketHandle handle = kInvalidSocket;  // the epoll instance; unused on Windows
    std::vector<SocketHandle> members;     // a member's position is its number in waitForSockets
};
bool openSocketWaitSet(SocketWaitSet& set);
bool addToSocketWaitSet(SocketWaitSet& set, SocketHandle socket);
void closeSocketWaitSet(SocketWaitSet& set);
// Waits up to timeoutMs until members hold data, and writes the positions of up to capacity
// of them to ready. Returns how many; 0 when none did in time or a signal interrupted the
// wait, -1 when the wait failed.
int waitForSockets(SocketWaitSet& set, int timeoutMs, int* ready, int capacity);

// Whole datagram in one call. Returns the byte count, or -1 on failure (lastSocketError).
long sendDatagram(SocketHandle socket, const uint8_t* data, std::size_t length, Ipv4Address to, uint16_t port);

// One datagram of a batch send, its bytes owned by the caller.
struct OutgoingDatagram {
    const uint8_t* data = nullptr;
    std::size_t length = 0;
    Ipv4Address to;
    uint16_t port = 0;
};

// Sends the datagrams in order on a blocking socket, waiting while the system's queue is
// full; a datagram the system refuses is passed over and the rest still go. Returns how
// many were sent whole. Linux hands them to sendmmsg in batches; elsewhere a loop of
// single sends implements the same contract.
std::size_t sendDatagrams(SocketHandle socket, const OutgoingDatagram* datagrams, std::size_t count);

// Room for any datagram the system accepts: larger ones never validate anyway.
inline constexpr std::size_t kReceiveBufferSize = 1500;

// Byte count of one datagram, or -1 when none is waiting, the time-out passed or an error occurred.
long receiveDatagram(SocketHandle socket, uint8_t* buffer, std::size_t capacity);
long receiveDatagramFrom(SocketHandle socket, uint8_t* buffer, std::size_t capacity, Ipv4Address& sender);

// Where a datagram was addressed and on which interface it arrived. localAddress is the
// host's own address for the datagram (IP_PKTINFO ipi_spec_dst): the destination itself
// when it was unicast to this host, an interface address for broadcast and multicast;
// Windows does not report it (zero there).
struct DatagramDestination {
    Ipv4Address address;
    unsigned interfaceIndex = 0;
    Ipv4Address localAddress;
};

// The interface multicast leaves by, named by one of its addresses (IP_MULTICAST_IF).
bool setMulticastInterface(SocketHandle socket, Ipv4Address interfaceAddress);

// Ask for DatagramDestination with every received datagram (IP_PKTINFO).
bool setReceiveDestination(SocketHandle socket, bool on);
// Like receiveDatagramFrom; destination stays zero unless setReceiveDestination is on.
long receiveDatagramTo(SocketHandle socket, uint8_t* buffer, std::size_t capacity, Ipv4Address& sender,
                       DatagramDestination& destination);

// One datagram of a batch read. The caller points buffer at capacity bytes of its own.
struct ReceivedDatagram {
    uint8_t* buffer = nullptr;
    std::size_t capacity = 0;
    std::size_t length = 0;  // bytes received; a longer datagram is cut to capacity
    Ipv4Address sender;
    uint16_t senderPort = 0;
    DatagramDestination destination;  // zero unless setReceiveDestination is on
    uint64_t arrivalUs = 0;           // on the clock of monotonicMicroseconds (core/clock.h)
};

// Reads up to count datagrams that are already waiting, never waiting for more; the socket
// must be non-blocking. Returns how many were read: 0 when none is waiting, -1 on an error.
// arrivalUs is the time the datagram reached the host where the platform stamps it (Linux,
// after prepareBatchReceive), otherwise the time of the read. Linux reads the batch in one
// recvmmsg call; elsewhere a loop of single receives implements the same contract.
int receiveDatagrams(SocketHandle socket, ReceivedDatagram* datagrams, int count);
// Sets a socket up for receiveDatagrams under heavy traffic: a receive queue of a few
// megabytes, as far as the system allows (Linux caps it at net.core.rmem_max), and arrival
// time stamps where the platform has them. False when there are no stamps.
bool prepareBatchReceive(SocketHandle socket);

// Off: the socket receives only the groups it joined itself, on the interfaces it joined
// them on (Linux IP_MULTICAST_ALL; elsewhere that is the only behaviour, and this is a no-op).
bool setMulticastAll(SocketHandle socket, bool on);
bool joinMulticastGroupOnInterface(SocketHandle socket, Ipv4Address group, unsigned interfaceIndex);

// One IPv4 address of a local interface that is up.
struct LocalInterfaceAddress {
    unsigned interfaceIndex = 0;
    Ipv4Address address;
    Ipv4Address broadcast;  // directed broadcast; 0.0.0.0 when the interface has none
};
std::vector<LocalInterfaceAddress> listInterfaceAddresses();

// The error code of the last failed socket call on this thread: the platform's own
// number (errno, WSAGetLastError), shown in decimal in the engine's messages.
int lastSocketError();

// The platform's code for a failure the engine reports, so that a message can be
// checked without knowing one platform's numbers.
enum class SocketError { AddressInUse, AddressNotAvailable, NetworkUnreachable };
int socketErrorCode(SocketError error);
