#pragma once
// What a user sees in the main window, written down once from the window's description
// and read by the window tests of every front end (ui/qt/tests, ui/win32/tests), so both
// windows are held to the same texts, pages and colours.
#include <cstdint>

struct ExpectedText {
    int id;
    const char* text;
};

// The texts of the fields, selectors, buttons and status texts right after start.
inline constexpr ExpectedText kTextsAtStart[] = {
    {101, "sACN"},        {102, "100"},           {103, "0.0.0.0"},    {104, "127.0.0.1"},
    {109, "1"},           {112, "1"},             {110, "255"},        {113, "200"},
    {105, "Start RX"},    {106, "Continuous TX"}, {107, "Send value"}, {108, "Pulse → 0"},
    {111, "All to 0"},    {116, "Reset network"}, {201, "sACN / Art-Net"}, {202, "MIDI"},
    {115, "Ready. RX and TX are off."},
    {206, "Note On"},     {207, "1"},             {208, "60"},         {209, "127"},
    {210, "200"},         {205, "Start MIDI RX"}, {211, "Send MIDI"},  {212, "Note Off"},
    {213, "All Notes Off (channel)"}, {214, "Close MIDI ports"}, {215, "Refresh ports"},
    {217, "MIDI RX and TX are off."},
};

// The status texts after the first timer tick, line breaks as "\n".
inline constexpr const char* kDmxStatusAfterFirstTick = "RX 0 | TX 0 | Rejected 0 | No signal yet\n";
inline constexpr const char* kMidiStatusAfterFirstTick = "MIDI RX 0 | TX 0 | Rejected 0\n";

// The ids of each page, independent of the table in the code; the page buttons 201
// and 202 belong to neither and are always shown.
inline constexpr int kDmxPageIds[] = {101, 102, 103, 104, 105, 106, 107, 108, 109, 110, 111, 112, 113, 114, 115, 116};
inline constexpr int kMidiPageIds[] = {203, 204, 205, 206, 207, 208, 209, 210, 211, 212, 213, 214, 215, 216, 217};

// The fields that take digit keystrokes only, and those that take any text.
inline constexpr int kDigitOnlyFieldIds[] = {102, 109, 110, 112, 113, 207, 208, 209, 210};
inline constexpr int kFreeTextFieldIds[] = {103, 104};

// A few places checked against the numbers themselves: x, y, width, height.
struct ExpectedPlace {
    int id;
    int x, y, width, height;
};
inline constexpr ExpectedPlace kPlacesAtStart[] = {
    {105, 730, 137, 220, 30},
    {201, 730, 44, 130, 32},
    {202, 875, 44, 75, 32},
    {211, 640, 326, 160, 32},
};

// The entries of the fixed selectors, in order.
inline constexpr const char* kProtocolEntries[] = {"sACN", "Art-Net"};
inline constexpr const char* kMidiTypeEntries[] = {"Note On", "Control Change", "Program Change"};
inline constexpr const char* kLevelColumnTitles[] = {"Channel", "Received (RX)", "Output (TX)"};
inline constexpr const char* kMidiPortPlaceholder = "Select MIDI port …";

// The message a refused send leaves in the DMX status text.
inline constexpr const char* kRangeMessage = "Use channels 1–512, value 0–255 and pulse 30–60000 ms.";
