// Windows keeps no count of the datagrams a full receive queue dropped for a socket.
#include "socket_drops.h"

bool receiveQueueDrops(SocketHandle, uint64_t&) { return false; }
