#pragma once
// Socket operations only Linux offers, for the Linux receive endpoint
// (receive_endpoint_linux.cpp). socket_linux.cpp implements them, together with the
// socket interface's calls that Linux makes through Linux-only options (IP_PKTINFO,
// IP_MULTICAST_ALL, recvmmsg with arrival stamps).
#include "socket_layer.h"

// Only datagrams arriving on this interface reach the socket (SO_BINDTODEVICE).
// Set before bindSocket.
bool bindSocketToInterface(SocketHandle socket, unsigned interfaceIndex);

// A socket that shares a port without ever taking another program's unicast: IPv6 with
// IPv4 delivered to it too (IPV6_V6ONLY off), bound to [::]:port with address and port reuse.
// For IPv4 unicast Linux ranks any IPv4 socket of the port above it and lists it after them,
// so it gets unicast only where no IPv4 socket would; multicast and broadcast reach it as
// any other socket of the port. The IPv4 options (groups, IP_PKTINFO, IP_MULTICAST_ALL)
// apply to it. kInvalidSocket when it cannot be had (no IPv6, or the port held without reuse).
SocketHandle openSharedPortSocket(uint16_t port);
