#pragma once
// How both UDP endpoints are made, below the operations that open them (dmx_endpoint.cpp,
// receive_endpoint_*.cpp).
#include <cstdint>

#include "../socket/socket_layer.h"
#include "dmx_engine_record.h"

// A non-blocking UDP socket with address reuse and broadcast, bound to local and port;
// prepare sets the platform's own options before the bind. kInvalidSocket when it
// cannot be had, with "UDP bind failed: <code>" as the network message when the bind
// failed. Both endpoints are made this way.
SocketHandle openEndpointSocket(DmxEndpoints& endpoints, Ipv4Address local, uint16_t port,
                                void (*prepare)(SocketHandle socket, Ipv4Address local));
