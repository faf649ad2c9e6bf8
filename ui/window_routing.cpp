#include "window_routing.h"

#include "../midi/midi_control_ids.h"
#include "../net/dmx_control_ids.h"
#include "window_controls.h"

WindowCommand commandFor(int id, int notification) {
    const bool click = notification == kClickNotification;
    if (id == kDmxPageButtonId) return WindowCommand::ShowDmxPage;
    if (id == kMidiPageButtonId) return WindowCommand::ShowMidiPage;
    if (id >= kMidiInputPortSelector && id <= kMidiStatusText) {
        return click ? WindowCommand::MidiCommand : WindowCommand::Nothing;
    }
    if (id == kDmxResetNetworkButton) return WindowCommand::ResetNetwork;
    if (!click) return WindowCommand::Nothing;
    switch (id) {
        case kDmxStartRxButton: return WindowCommand::ToggleReceive;
        case kDmxContinuousTxButton: return WindowCommand::ContinuousTx;
        case kDmxSendValueButton: return WindowCommand::SendValue;
        case kDmxPulseButton: return WindowCommand::PulseToZero;
        case kDmxAllToZeroButton: return WindowCommand::AllToZero;
        default: return WindowCommand::Nothing;
    }
}
