#include "window_procedure.h"

WindowCommand commandFor(int id, int notification) {
    const bool click = notification == kClickNotification;
    if (id == kDmxPageButton) return WindowCommand::ShowDmxPage;
    if (id == kMidiPageButton) return WindowCommand::ShowMidiPage;
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

void fillEngineViews(WindowEngines& engines) {
    refreshReceivedColumn(engines.dmx, engines.dmxView);
    refreshOutputColumn(engines.state, engines.dmxView);
    refreshMidiPorts(engines.midi);
}

ControlPage runWindowCommand(WindowEngines& engines, int id, int notification) {
    if (engines.stopped) return ControlPage::None;
    switch (commandFor(id, notification)) {
        case WindowCommand::Nothing: break;
        case WindowCommand::ShowDmxPage: return ControlPage::Dmx;
        case WindowCommand::ShowMidiPage: return ControlPage::Midi;
        case WindowCommand::MidiCommand: handleMidiCommand(engines.midi, id, engines.clock); break;
        case WindowCommand::ResetNetwork:
        case WindowCommand::ToggleReceive:
        case WindowCommand::ContinuousTx:
        case WindowCommand::SendValue:
        case WindowCommand::PulseToZero:
        case WindowCommand::AllToZero: handleDmxCommand(engines.dmx, engines.state, engines.dmxView, id, engines.clock); break;
    }
    return ControlPage::None;
}

void runWindowTick(WindowEngines& engines) {
    if (engines.stopped) return;
    // Rows handed over before this tick come first, as posted messages do.
    drainMidiInput(engines.midi);
    const uint64_t t1 = engines.clock();
    endMidiPulse(engines.midi, t1);
    refreshMidiStatus(engines.midi, t1);
    pollReceive(engines.dmx, engines.state, engines.dmxView, engines.clock());
    const uint64_t t2 = engines.clock();
    transmitTick(engines.dmx, engines.state, engines.dmxView, t2);
    if (isDmxStatusDue(engines.dmx, t2)) refreshDmxStatus(engines.dmx, engines.dmxView, t2);
}

bool stopWindowEngines(WindowEngines& engines) {
    if (engines.stopped) return false;
    engines.stopped = true;
    closeMidiPorts(engines.midi);
    setMidiInputWakeUp(engines.midi, nullptr, nullptr);
    stopTransmit(engines.dmx, engines.state, engines.dmxView, engines.clock());
    stopReceive(engines.dmx, engines.dmxView);
    return true;
}
