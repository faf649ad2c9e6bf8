#pragma once
// The window's DMX network state in three parts: the endpoints, what the receive monitor
// has seen and what the transmit engine is doing. One instance, owned by the
// user-interface thread; the operations in dmx_network_engine.h work on it.
#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

#include "../../core/dmx_universe_state.h"
#include "../socket/socket_layer.h"

// Sockets the platform may open beside the receive endpoint, for what it does not hand to
// a socket bound to a unicast address: on Linux the sACN group and two broadcasts (see
// receive_endpoint_linux.cpp). Unused ones stay kInvalidSocket.
inline constexpr std::size_t kReceiveCompanionCount = 3;

struct DatagramFeed;

// The endpoints: both UDP sockets, what was opened beside the receive endpoint, and the
// network message.
struct DmxEndpoints {
    SocketHandle receiveEndpoint = kInvalidSocket;
    SocketHandle transmitEndpoint = kInvalidSocket;
    std::array<SocketHandle, kReceiveCompanionCount> receiveCompanions{kInvalidSocket, kInvalidSocket, kInvalidSocket};
    bool receiveOnEveryInterface = true;  // Local IPv4 was 0.0.0.0 when receiving started
    std::string networkMessage;  // last failure; second line of the DMX status text
    // Set while another receiver of the process holds the ports (datagram_feed.h): Start
    // RX then reads from it and binds nothing.
    const DatagramFeed* feed = nullptr;
    uint64_t feedNext = 0;
    uint64_t feedLost = 0;
};

// What the receive monitor has seen. None of these is reset by Stop RX or Reset network.
struct DmxReceiveRecord {
    std::array<uint8_t, kDmxSlotCount> receivedLevels{};
    std::array<uint8_t, kDmxSlotCount> shownReceivedLevels{};  // what the Received (RX) column shows
    bool receivedColumnShown = false;                          // false until it was written whole
    uint64_t rxCount = 0;
    uint64_t rejectedCount = 0;
    uint64_t lastReceiveTime = 0;  // 0: never
    // First poll after Start RX, then each poll that read a datagram; reset by Stop RX.
    uint64_t lastArrivalTime = 0;
    std::string sourceStatus = "No signal yet";
    uint64_t lastStatusRefresh = 0;  // 0: never
};

// What the transmit engine is doing.
struct DmxTransmitRecord {
    uint64_t txCount = 0;
    uint64_t lastSendTime = 0;  // last send attempt; base of the 33 ms grid
    bool continuous = false;
    uint64_t pulseDeadline = 0;  // 0: no pulse pending
    int32_t pulseFirst = 0;      // level indexes 0..511 of the pending pulse
    int32_t pulseLast = 0;
};

// The three parts in one record, so that an operation can take the part it works on and
// the window holds one engine.
struct DmxNetworkEngine : DmxEndpoints, DmxReceiveRecord, DmxTransmitRecord {};
