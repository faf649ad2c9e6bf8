#pragma once
// The receive side of the UDP endpoints as each platform has to build it, because what a
// socket bound to the Local IPv4 address receives differs: on Linux it never sees
// multicast or broadcast, and unicast to the port may land on the transmit endpoint
// instead (receive_endpoint_linux.cpp); on Windows one socket bound to the address and
// joined to the group takes it all. The engine (dmx_endpoint.cpp, receive_monitor.cpp)
// and --listen use only these operations.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "../../core/dmx_universe_state.h"
#include "dmx_engine_record.h"
#include "../socket/socket_layer.h"

// Runs on the transmit endpoint's socket before its bind to local: what the platform
// needs so that the receive monitor can read the unicast it may be handed.
void prepareTransmitEndpoint(SocketHandle socket, Ipv4Address local);

// Opens the receive endpoint bound to local (the Local IPv4 field; 0.0.0.0: every
// interface) and the protocol's port, with what the platform needs beside it.
// kInvalidSocket on failure, with "UDP bind failed: <code>" as the network message when
// the bind failed.
SocketHandle openReceiveEndpoint(DmxNetworkEngine& engine, const DmxUniverseState& state, Ipv4Address local);

// Joins the sACN group for the open receive endpoint: with 0.0.0.0 on every interface
// that is up, otherwise on local's interface. False when no membership could be had.
bool joinReceiveGroup(DmxNetworkEngine& engine, Ipv4Address group, Ipv4Address local, uint16_t port);

// Closes the receive endpoint and whatever was opened beside it; closing ends the group
// memberships.
void closeReceiveEndpoint(DmxEndpoints& endpoints);

// Where pollReceive reads, in order, within its one budget of datagrams per tick.
struct ReceiveSource {
    SocketHandle socket = kInvalidSocket;
    bool unicastToHostOnly = false;  // take only datagrams unicast to this host
};
inline constexpr std::size_t kMaxReceiveSources = kReceiveCompanionCount + 2;
using ReceiveSources = ReceiveSource[kMaxReceiveSources];

// The open receive sockets and, where unicast may land there, the transmit endpoint.
// Returns how many entries of sources it filled.
std::size_t listReceiveSources(const DmxNetworkEngine& engine, ReceiveSources& sources);

// One datagram from a source, as receiveDatagramFrom; take is false for a datagram the
// source receives but must not count.
long receiveFromSource(const ReceiveSource& source, uint8_t* buffer, std::size_t capacity, Ipv4Address& sender,
                       bool& take);

// For --listen, bound to local without address reuse: the sockets to wait on beside it
// for the broadcasts of local's interface, where the platform does not hand them to a
// socket bound to a unicast address (Linux). Non-blocking; the caller closes them.
std::vector<SocketHandle> openBroadcastListeners(Ipv4Address local, uint16_t port);
