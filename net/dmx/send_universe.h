#pragma once
#include "../../core/dmx_universe_state.h"
#include "../socket/socket_layer.h"

// Transmit the universe once: advance the sequence, build, send as one datagram. Used by
// --send and the transmit engine. True exactly when the whole packet was sent; after a
// failed send lastSocketError() tells why.
bool sendUniverse(DmxUniverseState& state, SocketHandle socket, Ipv4Address to, uint16_t port);
