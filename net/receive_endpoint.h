#pragma once
// The receive endpoint as it has to be built on Linux, where a socket bound to a unicast
// address never sees multicast or broadcast datagrams, and the unicast datagrams Linux
// hands to the transmit endpoint instead. See receive_endpoint.cpp.
#include <cstddef>
#include <cstdint>

#include "../core/dmx_universe_state.h"
#include "dmx_engine_record.h"
#include "socket_layer.h"

// Opens the receive endpoint for the protocol's port and records its scope in the engine.
// local is the Local IPv4 field (0.0.0.0: every interface). kInvalidSocket on failure,
// with "UDP bind failed: <code>" as the network message when a bind failed.
SocketHandle openReceiveEndpoint(DmxNetworkEngine& engine, const DmxUniverseState& state, Ipv4Address local);

// Joins the group on local's interface, or with 0.0.0.0 on every interface that is up.
// False when no membership at all could be had.
bool joinReceiveGroup(SocketHandle socket, Ipv4Address group, Ipv4Address local);

// Whether a datagram with this destination belongs to the endpoint's scope.
bool isInReceiveScope(const ReceiveScope& scope, const DatagramDestination& destination);

// One datagram from the receive endpoint, as receiveDatagramFrom; inScope tells whether
// it was addressed to this endpoint (datagrams outside the scope are to be ignored).
long receiveScopedDatagram(const DmxNetworkEngine& engine, uint8_t* buffer, std::size_t capacity,
                           Ipv4Address& sender, bool& inScope);

// One datagram from the transmit endpoint, as receiveScopedDatagram. inScope is true only
// for unicast to this host that is in the receive scope: broadcast and multicast reach the
// receive endpoint as well and are to be ignored here.
long receiveTransmitEndpointDatagram(const DmxNetworkEngine& engine, uint8_t* buffer, std::size_t capacity,
                                     Ipv4Address& sender, bool& inScope);

// Drops what the transmit endpoint holds when receiving starts: it arrived while nobody
// was listening, so the receive monitor must not count it.
void discardWaitingDatagrams(SocketHandle socket);
