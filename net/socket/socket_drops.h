#pragma once
// Datagrams the system dropped because a socket's receive queue was full, where the
// system counts them per socket (Linux: SO_MEMINFO).
#include <cstdint>

#include "socket_layer.h"

// False where the system does not say.
bool receiveQueueDrops(SocketHandle socket, uint64_t& drops);
