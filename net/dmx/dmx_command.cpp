#include "dmx_command.h"

#include "dmx_control_ids.h"
#include "dmx_endpoint.h"
#include "transmit_buttons.h"
#include "transmit_engine.h"

void resetNetwork(DmxNetworkEngine& engine, DmxUniverseState& state, const DmxView& view, uint64_t now) {
    stopTransmit(engine, state, view, now);
    stopReceive(engine, view);
    engine.networkMessage.clear();
}

void handleDmxCommand(DmxNetworkEngine& engine, DmxUniverseState& state, const DmxView& view, int id,
                      const DmxClock& clock) {
    switch (id) {
        case kDmxResetNetworkButton: resetNetwork(engine, state, view, clock()); break;
        case kDmxStartRxButton: toggleReceive(engine, state, view); break;
        case kDmxContinuousTxButton: onContinuousTx(engine, state, view, clock()); break;
        case kDmxSendValueButton: onSendValue(engine, state, view, clock()); break;
        case kDmxPulseButton: onPulseToZero(engine, state, view, clock()); break;
        case kDmxAllToZeroButton: onAllToZero(engine, state, view, clock()); break;
        default: break;
    }
}
