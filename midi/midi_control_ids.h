#pragma once
// Control ids of the MIDI page, shared by the engine and the window.

inline constexpr int kMidiInputPortSelector = 203;
inline constexpr int kMidiOutputPortSelector = 204;
inline constexpr int kMidiStartRxButton = 205;
inline constexpr int kMidiTypeSelector = 206;  // entries 0 "Note On", 1 "Control Change", 2 "Program Change"
inline constexpr int kMidiChannelField = 207;
inline constexpr int kMidiNumberField = 208;
inline constexpr int kMidiValueField = 209;
inline constexpr int kMidiPulseField = 210;
inline constexpr int kMidiSendButton = 211;
inline constexpr int kMidiNoteOffButton = 212;
inline constexpr int kMidiAllNotesOffButton = 213;
inline constexpr int kMidiCloseButton = 214;
inline constexpr int kMidiRefreshButton = 215;
inline constexpr int kMidiMessageList = 216;
inline constexpr int kMidiStatusText = 217;

// Captions of the button whose text follows the engine's state: the window creates it with
// the first, the engine switches between the two.
inline constexpr const char* kMidiStartRxCaption = "Start MIDI RX";
inline constexpr const char* kMidiStopRxCaption = "Stop MIDI RX";
