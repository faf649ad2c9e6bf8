#pragma once
// The transmit buttons of the DMX page; each acts on the plain click notification only.
#include <cstdint>

#include "../../core/dmx_universe_state.h"
#include "dmx_engine_record.h"
#include "dmx_view.h"

// Send value (107): channels From (109) to To (112) at Value (110), then one send.
void onSendValue(DmxNetworkEngine& engine, DmxUniverseState& state, const DmxView& view, uint64_t now);

// Pulse → 0 (108): as Send value, then the channels fall back to 0 after Pulse ms (113).
void onPulseToZero(DmxNetworkEngine& engine, DmxUniverseState& state, const DmxView& view, uint64_t now);

// All to 0 (111): drops a pending pulse, zeroes all 512 levels, one send.
void onAllToZero(DmxNetworkEngine& engine, DmxUniverseState& state, const DmxView& view, uint64_t now);

// Continuous TX (106): stopTransmit when on; otherwise one send and, when the transmit
// endpoint is open after it, continuous transmission on and "Stop continuous TX".
void onContinuousTx(DmxNetworkEngine& engine, DmxUniverseState& state, const DmxView& view, uint64_t now);
