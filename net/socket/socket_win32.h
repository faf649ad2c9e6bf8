#pragma once
// The Windows socket layer's own receive, under receiveDatagramTo and the batch read.
#include "socket_layer.h"

// receiveDatagramTo with the sender's port.
long receiveDatagramWithPort(SocketHandle socket, uint8_t* buffer, std::size_t capacity, Ipv4Address& sender,
                             uint16_t& senderPort, DatagramDestination& destination);
