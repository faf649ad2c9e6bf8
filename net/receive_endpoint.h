#pragma once
// The receive endpoint as it has to be built on Linux, where a socket bound to a unicast
// address never sees multicast or broadcast datagrams, and the unicast datagrams Linux
// hands to the transmit endpoint instead. See receive_endpoint.cpp.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "../core/dmx_universe_state.h"
#include "dmx_engine_record.h"
#include "socket_layer.h"

// Opens the receive endpoint bound to local (the Local IPv4 field; 0.0.0.0: every
// interface) and the protocol's port, and for an interface address the broadcast
// listeners of its interface as companions. kInvalidSocket on failure, with
// "UDP bind failed: <code>" as the network message when the bind failed.
SocketHandle openReceiveEndpoint(DmxNetworkEngine& engine, const DmxUniverseState& state, Ipv4Address local);

// With 0.0.0.0 joins the group on the receive endpoint on every interface that is up;
// with an interface address opens a companion bound to the group and joined on local's
// interface. False when no membership at all could be had.
bool joinReceiveGroup(DmxNetworkEngine& engine, Ipv4Address group, Ipv4Address local, uint16_t port);

// Closes the receive endpoint and its companions; closing ends the group memberships.
void closeReceiveEndpoint(DmxNetworkEngine& engine);

// Sockets bound to the directed broadcast of local's interface and to 255.255.255.255,
// each tied to that interface, with address reuse and non-blocking: what a socket bound
// to local itself would receive elsewhere. None for 0.0.0.0, for an address that no
// interface has, or where a socket cannot be tied to an interface.
std::vector<SocketHandle> openBroadcastListeners(Ipv4Address local, uint16_t port);

// One datagram from the transmit endpoint bound to 0.0.0.0, as receiveDatagramFrom;
// toHost is true only for unicast to this host: broadcast reaches the receive endpoint
// as well and is to be ignored here.
long receiveUnicastToHost(SocketHandle socket, uint8_t* buffer, std::size_t capacity, Ipv4Address& sender,
                          bool& toHost);

// Drops what the transmit endpoint holds when receiving starts: it arrived while nobody
// was listening, so the receive monitor must not count it.
void discardWaitingDatagrams(SocketHandle socket);
