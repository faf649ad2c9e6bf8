#pragma once
// Socket operations only Linux offers, for the Linux receive endpoint
// (receive_endpoint_linux.cpp). socket_linux.cpp implements them, together with the
// socket interface's calls that Linux makes through Linux-only options (IP_PKTINFO,
// IP_MULTICAST_ALL, recvmmsg with arrival stamps).
#include "socket_layer.h"

// Only datagrams arriving on this interface reach the socket (SO_BINDTODEVICE).
// Set before bindSocket.
bool bindSocketToInterface(SocketHandle socket, unsigned interfaceIndex);
