#include "window_controls.h"

namespace {

using P = ControlPage;
using K = ControlKind;

// The MIDI page's hint names the platform's MIDI service only where it is Windows'.
#ifdef _WIN32
constexpr const char* kMidiPortsHint = "Windows MIDI ports: USB / DIN or virtual network MIDI ports";
#else
constexpr const char* kMidiPortsHint = "MIDI ports: USB / DIN or virtual network MIDI ports";
#endif

const ControlDefinition kControls[] = {
    {P::Dmx, K::Label, 0, "Protocol", 20, 112, 150, 22},
    {P::Dmx, K::Selector, kDmxProtocolSelector, "", 20, 137, 145, 100},
    {P::Dmx, K::Label, 0, "Universe", 180, 112, 150, 22},
    {P::Dmx, K::Field, kDmxUniverseField, "100", 180, 137, 90, 28, kDigitsOnly},
    {P::Dmx, K::Label, 0, "Local IPv4", 290, 112, 150, 22},
    {P::Dmx, K::Field, kDmxLocalIpv4Field, "0.0.0.0", 290, 137, 180, 28},
    {P::Dmx, K::Label, 0, "Target IPv4 / multicast", 490, 112, 220, 22},
    {P::Dmx, K::Field, kDmxTargetField, "127.0.0.1", 490, 137, 220, 28},
    {P::Dmx, K::Button, kDmxStartRxButton, kDmxStartRxCaption, 730, 137, 220, 30},
    {P::Dmx, K::Button, kDmxResetNetworkButton, "Reset network", 730, 175, 220, 30},
    {P::Dmx, K::Label, 0, "Set individual channels or ranges — TX is independent of RX", 20, 190, 680, 22},
    {P::Dmx, K::Label, 0, "From", 20, 220, 55, 22},
    {P::Dmx, K::Field, kDmxFromField, "1", 65, 216, 65, 28, kDigitsOnly},
    {P::Dmx, K::Label, 0, "to", 140, 220, 40, 22},
    {P::Dmx, K::Field, kDmxToField, "1", 175, 216, 65, 28, kDigitsOnly},
    {P::Dmx, K::Label, 0, "Value", 255, 220, 50, 22},
    {P::Dmx, K::Field, kDmxValueField, "255", 305, 216, 65, 28, kDigitsOnly},
    {P::Dmx, K::Button, kDmxSendValueButton, "Send value", 390, 215, 140, 30},
    {P::Dmx, K::Label, 0, "Pulse ms", 550, 220, 65, 22},
    {P::Dmx, K::Field, kDmxPulseMsField, "200", 620, 216, 80, 28, kDigitsOnly},
    {P::Dmx, K::Button, kDmxPulseButton, "Pulse → 0", 720, 215, 110, 30},
    {P::Dmx, K::Button, kDmxAllToZeroButton, "All to 0", 840, 215, 110, 30},
    {P::Dmx, K::Button, kDmxContinuousTxButton, kDmxContinuousTxCaption, 20, 261, 160, 32},
    {P::Dmx, K::Label, 0, "30 Hz · sACN priority 100 · all 512 channels", 200, 268, 650, 22},
    {P::Dmx, K::Label, 0, "Use isolated test universes. Applications sharing IP/UDP ports may conflict.", 20, 308, 940, 22},
    {P::Dmx, K::LevelTable, kDmxLevelTable, "", 20, 344, 930, 380},
    {P::Dmx, K::Label, kDmxStatusText, "Ready. RX and TX are off.", 20, 738, 930, 60},
    {P::None, K::Button, kDmxPageButton, "sACN / Art-Net", 730, 44, 130, 32},
    {P::None, K::Button, kMidiPageButton, "MIDI", 875, 44, 75, 32},
    {P::Midi, K::Label, 0, kMidiPortsHint, 20, 112, 930, 22},
    {P::Midi, K::Label, 0, "Input port", 20, 151, 150, 22},
    {P::Midi, K::Selector, kMidiInputPortSelector, "", 20, 177, 430, 230, kVerticalScroll},
    {P::Midi, K::Button, kMidiStartRxButton, kMidiStartRxCaption, 470, 176, 230, 32},
    {P::Midi, K::Label, 0, "Output port", 20, 224, 150, 22},
    {P::Midi, K::Selector, kMidiOutputPortSelector, "", 20, 250, 430, 230, kVerticalScroll},
    {P::Midi, K::Button, kMidiRefreshButton, "Refresh ports", 470, 249, 230, 32},
    {P::Midi, K::Label, 0, "Type", 20, 302, 70, 22},
    {P::Midi, K::Selector, kMidiTypeSelector, "", 20, 328, 140, 150},
    {P::Midi, K::Label, 0, "Channel 1–16", 170, 302, 100, 22},
    {P::Midi, K::Field, kMidiChannelField, "1", 170, 328, 80, 28, kDigitsOnly},
    {P::Midi, K::Label, 0, "No. 0–127", 290, 302, 90, 22},
    {P::Midi, K::Field, kMidiNumberField, "60", 290, 328, 75, 28, kDigitsOnly},
    {P::Midi, K::Label, 0, "Value / Velocity", 385, 302, 110, 22},
    {P::Midi, K::Field, kMidiValueField, "127", 385, 328, 95, 28, kDigitsOnly},
    {P::Midi, K::Label, 0, "Pulse ms (0 = hold)", 500, 302, 170, 22},
    {P::Midi, K::Field, kMidiPulseField, "200", 500, 328, 110, 28, kDigitsOnly},
    {P::Midi, K::Button, kMidiSendButton, "Send MIDI", 640, 326, 160, 32},
    {P::Midi, K::Button, kMidiNoteOffButton, "Note Off", 20, 380, 130, 32},
    {P::Midi, K::Button, kMidiAllNotesOffButton, "All Notes Off (channel)", 170, 380, 230, 32},
    {P::Midi, K::Button, kMidiCloseButton, "Close MIDI ports", 420, 380, 260, 32},
    {P::Midi, K::Label, 0, "Note/CC pulses return to 0 automatically. PC uses the number as program.", 20, 428, 930, 22},
    {P::Midi, K::Label, 0, "MSC, MTC, SysEx and a built-in RTP-MIDI server are not included.", 20, 454, 930, 22},
    {P::Midi, K::MessageList, kMidiMessageList, "", 20, 490, 930, 230, kBorder | kVerticalScroll},
    {P::Midi, K::Label, kMidiStatusText, "MIDI RX and TX are off.", 20, 738, 930, 60},
};

const char* const kProtocolEntries[] = {"sACN", "Art-Net"};
const char* const kMidiTypeEntries[] = {"Note On", "Control Change", "Program Change"};

const LevelColumn kLevelColumns[] = {{"Channel", 180}, {"Received (RX)", 310}, {"Output (TX)", 310}};

}  // namespace

std::span<const ControlDefinition> controlTable() { return kControls; }

std::span<const char* const> fixedSelectorEntries(int id) {
    if (id == kDmxProtocolSelector) return kProtocolEntries;
    if (id == kMidiTypeSelector) return kMidiTypeEntries;
    return {};
}

std::span<const LevelColumn> levelTableColumns() { return kLevelColumns; }

std::string controlObjectName(int id) { return "id" + std::to_string(id); }
