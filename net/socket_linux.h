#pragma once
// Socket operations only Linux offers, for the Linux receive endpoint
// (receive_endpoint_linux.cpp). socket_linux.cpp implements them.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "socket_layer.h"

// Where a datagram was addressed and on which interface it arrived. localAddress is the
// host's own address for the datagram (IP_PKTINFO ipi_spec_dst): the destination itself
// when it was unicast to this host, an interface address for broadcast and multicast.
struct DatagramDestination {
    Ipv4Address address;
    unsigned interfaceIndex = 0;
    Ipv4Address localAddress;
};

// Ask for DatagramDestination with every received datagram (IP_PKTINFO).
bool setReceiveDestination(SocketHandle socket, bool on);
// Like receiveDatagramFrom; destination stays zero unless setReceiveDestination is on.
long receiveDatagramTo(SocketHandle socket, uint8_t* buffer, std::size_t capacity, Ipv4Address& sender,
                       DatagramDestination& destination);

// Off: the socket receives only the groups it joined itself, on the interfaces it joined
// them on (IP_MULTICAST_ALL; elsewhere that is the only behaviour).
bool setMulticastAll(SocketHandle socket, bool on);
bool joinMulticastGroupOnInterface(SocketHandle socket, Ipv4Address group, unsigned interfaceIndex);

// One IPv4 address of a local interface that is up.
struct LocalInterfaceAddress {
    unsigned interfaceIndex = 0;
    Ipv4Address address;
    Ipv4Address broadcast;  // directed broadcast; 0.0.0.0 when the interface has none
};
std::vector<LocalInterfaceAddress> listInterfaceAddresses();

// Only datagrams arriving on this interface reach the socket (SO_BINDTODEVICE).
// Set before bindSocket.
bool bindSocketToInterface(SocketHandle socket, unsigned interfaceIndex);
