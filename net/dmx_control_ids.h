#pragma once
// Control ids of the DMX page that the network engine reads or writes.

enum DmxControlId : int {
    kProtocolSelector = 101,   // entry 0 "sACN", entry 1 "Art-Net"
    kUniverseField = 102,
    kLocalIpv4Field = 103,
    kTargetField = 104,        // "Target IPv4 / multicast"
    kStartRxButton = 105,      // "Start RX" / "Stop RX"
    kContinuousTxButton = 106, // "Continuous TX" / "Stop continuous TX"
    kSendValueButton = 107,
    kPulseButton = 108,        // "Pulse → 0"
    kFromField = 109,
    kValueField = 110,
    kAllToZeroButton = 111,
    kToField = 112,
    kPulseMsField = 113,
    kLevelTable = 114,
    kDmxStatusText = 115,
    kResetNetworkButton = 116,
};

// Columns of the level table (114); row r shows slot r + 1.
constexpr int kChannelColumn = 0;
constexpr int kReceivedColumn = 1;
constexpr int kOutputColumn = 2;
