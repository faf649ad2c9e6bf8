#pragma once
// Which operation a control's command runs. Most buttons act on a plain click only;
// Reset network and the two page buttons act on any notification.

// Notification codes a button reports with its command.
inline constexpr int kClickNotification = 0;
inline constexpr int kDoubleClickNotification = 5;

enum class WindowCommand {
    Nothing,
    ShowDmxPage,
    ShowMidiPage,
    MidiCommand,  // handed to the MIDI engine with the id
    ResetNetwork,
    ToggleReceive,
    ContinuousTx,
    SendValue,
    PulseToZero,
    AllToZero,
};

WindowCommand commandFor(int id, int notification);
