#pragma once
// The network fields and the two UDP endpoints: validation, opening, Start RX / Stop RX
// and the lock that keeps the fields fixed while an endpoint is open.
#include <cstdint>

#include "../../core/dmx_universe_state.h"
#include "dmx_engine_record.h"
#include "dmx_view.h"
#include "../socket/socket_layer.h"

// Reads Protocol (101) and Universe (102) into the state (stored even when rejected),
// checks the universe range and the Local IPv4 field (103). On failure the network
// message says why and the result is false; success leaves the message alone.
bool validateNetworkFields(DmxNetworkEngine& engine, DmxUniverseState& state, const DmxView& view);

// The transmit endpoint: openEndpointSocket on the Local IPv4 field (0.0.0.0 when it does
// not convert) and the protocol's port. The receive endpoint: openReceiveEndpoint.
SocketHandle openEndpoint(DmxNetworkEngine& engine, const DmxUniverseState& state, const DmxView& view);

// Start RX / Stop RX (105), plain click only.
void toggleReceive(DmxNetworkEngine& engine, DmxUniverseState& state, const DmxView& view);

// Closes the receive endpoint (if open), restores "Start RX" and the field lock.
// Counters, levels, source status and message stay.
void stopReceive(DmxNetworkEngine& engine, const DmxView& view);

// Fields 101..104 are enabled exactly when both endpoints are closed.
void updateNetworkFieldLock(const DmxEndpoints& endpoints, const DmxView& view);
