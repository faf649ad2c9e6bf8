#pragma once
// Receive monitor: drains the receive endpoint once per timer tick, validates every
// datagram, keeps the levels of the last accepted packet of the configured universe and
// describes its source in one line.
#include <cstdint>
#include <string>

#include "../../core/dmx_universe_state.h"
#include "../../core/packet_codec.h"
#include "dmx_engine_record.h"
#include "dmx_view.h"

inline constexpr int kMaxDatagramsPerPoll = 128;

// Takes at most 128 waiting datagrams, from the receive endpoint, its companions and then
// from an open transmit endpoint (unicast to this host only); now becomes the last receive
// time of accepted ones. Does nothing while the receive endpoint is closed.
void pollReceive(DmxNetworkEngine& engine, DmxUniverseState& state, const DmxView& view, uint64_t now);

// Writes all 512 cells of column 1 ("Received (RX)") from the received levels; after
// that pollReceive writes only the cells whose level changed.
void refreshReceivedColumn(DmxReceiveRecord& received, const DmxView& view);

// The source status line of an accepted packet: address, universe, sequence, priority
// when there is one, and for sACN the stream-ended, preview and sync-universe notes.
std::string composeSourceStatus(Ipv4Address sender, const DmxPacketInfo& info, DmxProtocol protocol,
                                uint8_t sacnOptions, int32_t syncUniverse);
