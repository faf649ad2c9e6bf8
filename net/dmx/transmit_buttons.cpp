#include "transmit_buttons.h"

#include "dmx_control_ids.h"
#include "transmit_engine.h"

namespace {

struct LevelRequest {
    int32_t from = 0;
    int32_t to = 0;
    int32_t value = 0;
    int32_t pulseMs = 0;
};

// Reads and checks From, To, Value and Pulse ms; false (with the message) when the
// input is invalid or a pulse is still pending. Otherwise sets the levels and sends.
bool applyLevelRequest(DmxNetworkEngine& engine, DmxUniverseState& state, const DmxView& view, uint64_t now,
                       LevelRequest& request) {
    request.from = fieldInteger(view, kDmxFromField, 0);
    request.to = fieldInteger(view, kDmxToField, 0);
    request.value = fieldInteger(view, kDmxValueField, -1);
    request.pulseMs = fieldInteger(view, kDmxPulseMsField, 200);
    const bool valid = isSlotInRange(request.from) && isSlotInRange(request.to) && request.from <= request.to &&
                       isLevelInRange(request.value) && isPulseInRange(request.pulseMs);
    if (!valid) {
        engine.networkMessage = "Use channels 1–512, value 0–255 and pulse 30–60000 ms.";
        return false;
    }
    if (engine.pulseDeadline != 0) {
        engine.networkMessage = "Wait for the current pulse to finish.";
        return false;
    }
    setLevelRange(state, request.from, request.to, static_cast<uint8_t>(request.value));
    refreshOutputColumn(state, view);
    sendToTarget(engine, state, view, now);
    return true;
}

}  // namespace

void onSendValue(DmxNetworkEngine& engine, DmxUniverseState& state, const DmxView& view, uint64_t now) {
    LevelRequest request;
    applyLevelRequest(engine, state, view, now, request);
}

void onPulseToZero(DmxNetworkEngine& engine, DmxUniverseState& state, const DmxView& view, uint64_t now) {
    LevelRequest request;
    if (!applyLevelRequest(engine, state, view, now, request)) return;
    engine.pulseFirst = request.from - 1;
    engine.pulseLast = request.to - 1;
    engine.pulseDeadline = now + static_cast<uint64_t>(request.pulseMs);
}

void onAllToZero(DmxNetworkEngine& engine, DmxUniverseState& state, const DmxView& view, uint64_t now) {
    engine.pulseDeadline = 0;
    setAllLevels(state, 0);
    refreshOutputColumn(state, view);
    sendToTarget(engine, state, view, now);
}

void onContinuousTx(DmxNetworkEngine& engine, DmxUniverseState& state, const DmxView& view, uint64_t now) {
    if (engine.continuous) {
        stopTransmit(engine, state, view, now);
        return;
    }
    sendToTarget(engine, state, view, now);
    if (engine.transmitEndpoint == kInvalidSocket) return;
    engine.continuous = true;
    view.setControlText(kDmxContinuousTxButton, kDmxStopContinuousTxCaption);
}
