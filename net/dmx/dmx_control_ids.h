#pragma once
// Control ids of the DMX page, shared by the network engine and the window.

inline constexpr int kDmxProtocolSelector = 101;    // entry 0 "sACN", entry 1 "Art-Net"
inline constexpr int kDmxUniverseField = 102;
inline constexpr int kDmxLocalIpv4Field = 103;
inline constexpr int kDmxTargetField = 104;         // "Target IPv4 / multicast"
inline constexpr int kDmxStartRxButton = 105;
inline constexpr int kDmxContinuousTxButton = 106;
inline constexpr int kDmxSendValueButton = 107;
inline constexpr int kDmxPulseButton = 108;         // "Pulse → 0"
inline constexpr int kDmxFromField = 109;
inline constexpr int kDmxValueField = 110;
inline constexpr int kDmxAllToZeroButton = 111;
inline constexpr int kDmxToField = 112;
inline constexpr int kDmxPulseMsField = 113;
inline constexpr int kDmxLevelTable = 114;
inline constexpr int kDmxStatusText = 115;
inline constexpr int kDmxResetNetworkButton = 116;

// Columns of the level table (114); row r shows slot r + 1.
inline constexpr int kDmxChannelColumn = 0;
inline constexpr int kDmxReceivedColumn = 1;
inline constexpr int kDmxOutputColumn = 2;

// Captions of the buttons whose text follows the engine's state: the window creates them
// with the first, the engine switches between the two.
inline constexpr const char* kDmxStartRxCaption = "Start RX";
inline constexpr const char* kDmxStopRxCaption = "Stop RX";
inline constexpr const char* kDmxContinuousTxCaption = "Continuous TX";
inline constexpr const char* kDmxStopContinuousTxCaption = "Stop continuous TX";
