#pragma once
// The DMX page's buttons routed to the engine's operations, and Reset network, which
// takes both directions down.
#include <cstdint>
#include <functional>

#include "../../core/dmx_universe_state.h"
#include "dmx_engine_record.h"
#include "dmx_view.h"

// The monotonic millisecond tick count, read only by operations that need the time.
using DmxClock = std::function<uint64_t()>;

// Reset network (116), any notification: stopTransmit, stopReceive, clear the message.
void resetNetwork(DmxNetworkEngine& engine, DmxUniverseState& state, const DmxView& view, uint64_t now);

// Runs the operation of button id (105..108, 111, 116); other ids do nothing. The window
// decides which notifications reach here (a plain click, any for Reset network).
void handleDmxCommand(DmxNetworkEngine& engine, DmxUniverseState& state, const DmxView& view, int id,
                      const DmxClock& clock);
