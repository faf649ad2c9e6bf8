#pragma once
// A scripted network and clock behind net/socket/socket_layer.h and core/clock.h, linked into
// a fuzz target instead of net/socket/socket_posix.cpp and core/clock.cpp (the MIDI target uses
// only the clock). Nothing touches a
// real socket: datagrams wait in per-socket queues, sends are recorded, and time moves
// only when the code sleeps or a receive waits out its time-out.
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "net/socket/socket_layer.h"

// One entry of a socket's receive queue.
struct FakeDatagram {
    std::string bytes;
    Ipv4Address sender;
    DatagramDestination destination;
    bool error = false;  // the receive call fails instead (ECONNREFUSED and the like)
    // Milliseconds until it arrives, for a blocking socket: a receive whose time-out is
    // shorter returns nothing after the time-out, and the rest of the wait remains.
    uint64_t delayMs = 0;
};

struct FakeSocket {
    bool bound = false;
    Ipv4Address address;
    uint16_t port = 0;
    bool nonBlocking = false;
    int receiveTimeoutMs = 0;  // 0: a blocking receive waits for ever
    bool receiveDestination = false;
    std::deque<FakeDatagram> incoming;
};

struct FakeSentDatagram {
    SocketHandle socket;
    std::string bytes;
    Ipv4Address to;
    uint16_t port;
};

struct FakeNetwork {
    std::map<SocketHandle, FakeSocket> sockets;  // open sockets
    SocketHandle nextHandle = 100;               // handles are 100, 101, ... in order of opening
    bool failOpen = false;
    bool failBind = false;
    // Results of the next sends, front first: -1 a failure, -2 the whole datagram, any other
    // value a short count. Whole once the script runs out.
    std::deque<long> sendResults;
    std::vector<FakeSentDatagram> sent;  // every send attempt, failed ones too
    // Datagrams for the socket opened next (the command-line modes open one).
    std::deque<FakeDatagram> incomingForNextSocket;
    int lastError = 0;
    uint64_t now = 1000000;  // milliseconds, the fake tickCountMs
    // Runs at the start of every sleep, with its length: what happens meanwhile.
    std::function<void(uint32_t milliseconds)> onSleep;
};

// The one network of the process; reset before every input.
FakeNetwork& fakeNetwork();
void resetFakeNetwork();
