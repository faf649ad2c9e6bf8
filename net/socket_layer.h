#pragma once
// The socket interface: the few IPv4 UDP operations the DMX side needs, on every
// platform. socket_posix.cpp implements them with BSD sockets, socket_win32.cpp with
// Winsock; what only Linux offers is in socket_linux.h. Nothing here throws or prints.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

using SocketHandle = std::intptr_t;
constexpr SocketHandle kInvalidSocket = -1;

// An IPv4 address as its four bytes in network order (a.b.c.d is {a, b, c, d}).
struct Ipv4Address {
    uint8_t bytes[4] = {0, 0, 0, 0};
    friend bool operator==(const Ipv4Address&, const Ipv4Address&) = default;
};

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

// Whole datagram in one call. Returns the byte count, or -1 on failure (lastSocketError).
long sendDatagram(SocketHandle socket, const uint8_t* data, std::size_t length, Ipv4Address to, uint16_t port);

// Room for any datagram the system accepts: larger ones never validate anyway.
inline constexpr std::size_t kReceiveBufferSize = 1500;

// Byte count of one datagram, or -1 when none is waiting, the time-out passed or an error occurred.
long receiveDatagram(SocketHandle socket, uint8_t* buffer, std::size_t capacity);
long receiveDatagramFrom(SocketHandle socket, uint8_t* buffer, std::size_t capacity, Ipv4Address& sender);

// Dotted-decimal text to address, strict like inet_pton: "1.2.3.4" only.
bool parseIpv4(std::string_view text, Ipv4Address& address);
std::string formatIpv4(Ipv4Address address);

// The error code of the last failed socket call on this thread: the platform's own
// number (errno, WSAGetLastError), shown in decimal in the engine's messages.
int lastSocketError();

// The platform's code for a failure the engine reports, so that a message can be
// checked without knowing one platform's numbers.
enum class SocketError { AddressInUse, AddressNotAvailable, NetworkUnreachable };
int socketErrorCode(SocketError error);
