#include "transmit_engine.h"

#include <algorithm>
#include <string>

#include "../../core/packet_codec.h"
#include "dmx_control_ids.h"
#include "dmx_endpoint.h"
#include "level_text.h"
#include "send_universe.h"
#include "../socket/socket_layer.h"

namespace {

bool ensureTransmitEndpoint(DmxNetworkEngine& engine, DmxUniverseState& state, const DmxView& view) {
    if (engine.transmitEndpoint != kInvalidSocket) return true;
    if (!validateNetworkFields(engine, state, view)) return false;
    engine.transmitEndpoint = openEndpoint(engine, state, view);
    updateNetworkFieldLock(engine, view);
    return engine.transmitEndpoint != kInvalidSocket;
}

bool resolveTarget(const DmxUniverseState& state, const DmxView& view, Ipv4Address& target) {
    const std::string text = boundedFieldText(view, kDmxTargetField);
    if (text == "multicast" && state.protocol == DmxProtocol::Sacn) {
        target = sacnGroupAddress(state.universe);
        return true;
    }
    return parseIpv4(text, target);
}

void endPulse(DmxNetworkEngine& engine, DmxUniverseState& state, const DmxView& view, uint64_t now) {
    setLevelRange(state, engine.pulseFirst + 1, engine.pulseLast + 1, 0);
    engine.pulseDeadline = 0;
    sendToTarget(engine, state, view, now);
    refreshOutputColumn(state, view);
}

}  // namespace

void sendToTarget(DmxNetworkEngine& engine, DmxUniverseState& state, const DmxView& view, uint64_t now) {
    if (!ensureTransmitEndpoint(engine, state, view)) return;
    Ipv4Address target;
    if (!resolveTarget(state, view, target)) {
        engine.networkMessage = "Target: enter IPv4 or 'multicast' for sACN";
        return;
    }
    if (sendUniverse(state, engine.transmitEndpoint, target, protocolPort(state.protocol))) {
        engine.networkMessage.clear();
        ++engine.txCount;
    } else {
        engine.networkMessage = "Send failed: " + std::to_string(lastSocketError());
    }
    engine.lastSendTime = now;
}

void stopTransmit(DmxNetworkEngine& engine, DmxUniverseState& state, const DmxView& view, uint64_t now) {
    if (engine.pulseDeadline != 0) endPulse(engine, state, view, now);
    engine.continuous = false;
    if (engine.transmitEndpoint != kInvalidSocket) {
        closeSocket(engine.transmitEndpoint);
        engine.transmitEndpoint = kInvalidSocket;
    }
    view.setControlText(kDmxContinuousTxButton, kDmxContinuousTxCaption);
    updateNetworkFieldLock(engine, view);
}

void refreshOutputColumn(const DmxUniverseState& state, const DmxView& view) {
    for (int row = 0; row < kDmxSlotCount; ++row) {
        view.setCellText(row, kDmxOutputColumn, levelText(state.levels[static_cast<std::size_t>(row)]));
    }
}

void transmitTick(DmxNetworkEngine& engine, DmxUniverseState& state, const DmxView& view, uint64_t now) {
    const bool pulsePending = engine.pulseDeadline != 0;
    if (pulsePending && now >= engine.pulseDeadline) {
        endPulse(engine, state, view, now);
        return;
    }
    if (!pulsePending && !engine.continuous) return;
    // Written as a sum so that a reading older than the last send is simply not due.
    if (now <= engine.lastSendTime + (kFramePeriodMs - 1)) return;
    const uint64_t previous = engine.lastSendTime;
    sendToTarget(engine, state, view, now);
    // Keep the 33 ms grid through late ticks; after a stall restart it one period back.
    engine.lastSendTime = std::max(now - kFramePeriodMs, previous + kFramePeriodMs);
}
