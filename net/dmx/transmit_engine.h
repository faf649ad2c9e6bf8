#pragma once
// Transmit engine: sends the 512 transmit levels of the state as one sACN or Art-Net
// packet from the transmit endpoint to the Target field, once per button press, on the
// 33 ms grid while a pulse is pending or continuous transmission is on, and counts sends.
#include <cstdint>

#include "../../core/dmx_universe_state.h"
#include "dmx_engine_record.h"
#include "dmx_view.h"

// Opens the transmit endpoint if needed (validating the fields), resolves the target
// (IPv4 text, or "multicast" with sACN), advances the sequence, builds and sends once.
// A good send clears the network message and counts; now becomes the last send time
// whenever a send was attempted.
void sendToTarget(DmxNetworkEngine& engine, DmxUniverseState& state, const DmxView& view, uint64_t now);

// Ends a pending pulse with its zero send, stops continuous transmission, closes the
// transmit endpoint, restores "Continuous TX" and the field lock.
void stopTransmit(DmxNetworkEngine& engine, DmxUniverseState& state, const DmxView& view, uint64_t now);

// Writes all 512 cells of column 2 ("Output (TX)") from the transmit levels.
void refreshOutputColumn(const DmxUniverseState& state, const DmxView& view);

// The timer step, with the tick count read after pollReceive: the end of a due pulse, or
// one send on the 33 ms grid while a pulse is pending or continuous transmission is on.
void transmitTick(DmxNetworkEngine& engine, DmxUniverseState& state, const DmxView& view, uint64_t now);
