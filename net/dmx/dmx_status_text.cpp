#include "dmx_status_text.h"

#include "dmx_control_ids.h"
#include "receive_endpoint.h"

namespace {

std::string secondLine(const DmxNetworkEngine& engine, uint64_t now) {
    const bool quiet = engine.receiveEndpoint != kInvalidSocket && engine.lastArrivalTime != 0 &&
                       now >= engine.lastArrivalTime + kQuietReceiveMs;
    if (!engine.networkMessage.empty() || !quiet) return engine.networkMessage;
    return std::string(quietReceiveHint());
}

}  // namespace

std::string composeDmxStatus(const DmxNetworkEngine& engine, uint64_t now) {
    std::string text = "RX " + std::to_string(engine.rxCount) + " | TX " + std::to_string(engine.txCount) +
                       " | Rejected " + std::to_string(engine.rejectedCount) + " | " + engine.sourceStatus;
    if (engine.lastReceiveTime != 0) {
        // A caller's clock reading older than the last packet shows age 0, not a wrapped count.
        const uint64_t age = now > engine.lastReceiveTime ? now - engine.lastReceiveTime : 0;
        text += " | Alter " + std::to_string(age) + " ms";
    }
    return text + "\r\n" + secondLine(engine, now);
}

void refreshDmxStatus(DmxNetworkEngine& engine, const DmxView& view, uint64_t now) {
    view.setControlText(kDmxStatusText, composeDmxStatus(engine, now));
    engine.lastStatusRefresh = now;
}

bool isDmxStatusDue(const DmxNetworkEngine& engine, uint64_t now) {
    return engine.lastStatusRefresh == 0 || now >= engine.lastStatusRefresh + kDmxStatusPeriodMs;
}
