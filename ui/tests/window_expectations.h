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
// The MIDI page's hint, a label without an id: it names the platform on Windows only.
#ifdef _WIN32
inline constexpr const char* kMidiPortsHint = "Windows MIDI ports: USB / DIN or virtual network MIDI ports";
#else
inline constexpr const char* kMidiPortsHint = "MIDI ports: USB / DIN or virtual network MIDI ports";
#endif

// The message a refused send leaves in the DMX status text.
inline constexpr const char* kRangeMessage = "Use channels 1–512, value 0–255 and pulse 30–60000 ms.";

// The look, read back from a picture of the client area. Colours as 0xRRGGBB.
struct ExpectedPixel {
    const char* what;
    int x, y;
    uint32_t colour;
    bool same;  // false: anything but this colour
};
inline constexpr ExpectedPixel kPixelsAtStart[] = {
    {"background", 5, 5, 0x0A111E, true},
    {"background beside the page buttons", 600, 20, 0x0A111E, true},
    // The icon fills 76 x 76 from (20, 15): drawn inside, background just outside.
    {"icon", 58, 53, 0x0A111E, false},
    {"left of the icon", 18, 53, 0x0A111E, true},
    {"right of the icon", 100, 53, 0x0A111E, true},
    // Start RX at (730, 137) 220 x 30: outline on its edge, face inside.
    {"Start RX outline, top left", 730, 137, 0x30809A, true},
    {"Start RX outline, bottom right", 949, 166, 0x30809A, true},
    {"Start RX face", 735, 142, 0x182334, true},
    {"page button outline", 730, 44, 0x30809A, true},
    {"page button face", 733, 47, 0x182334, true},
    // The level table from (20, 344): its flat header band first, then the rows.
    {"table header, left", 22, 346, 0x172335, true},
    {"table header, middle", 600, 346, 0x172335, true},
    {"first row, channel cell", 100, 380, 0x0E1928, true},
};

// How many pixels of an area are within `tolerance` of a colour in every channel. Text
// is anti-aliased, so glyph pixels are counted with some tolerance.
struct ExpectedColourCount {
    const char* what;
    int x, y, width, height;
    uint32_t colour;
    int tolerance;
    int atLeast;
    int atMost;  // -1: no limit
};
inline constexpr ExpectedColourCount kColourCountsAtStart[] = {
    // Title from (116, 27), subtitle from (116, 54), each in its colour and nowhere else.
    {"title", 116, 27, 200, 22, 0x46E7F5, 24, 20, -1},
    {"subtitle", 116, 54, 300, 22, 0xB797E8, 24, 20, -1},
    {"no title colour left of the texts", 100, 0, 16, 100, 0x46E7F5, 24, 0, 0},
    {"no title colour in the subtitle", 116, 54, 300, 22, 0x46E7F5, 24, 0, 0},
    {"Start RX text", 800, 140, 80, 24, 0xD2F0F9, 24, 10, -1},
    // Column titles start 8 pixels in: nothing drawn before, header text after.
    {"header band before the first title", 20, 344, 8, 20, 0x172335, 0, 8 * 20, -1},
    {"title Channel", 28, 344, 80, 20, 0x59DDEA, 24, 10, -1},
    {"title Received (RX)", 138, 344, 120, 20, 0x59DDEA, 24, 10, -1},
    {"first rows' texts", 20, 370, 100, 22, 0xE1EDF9, 24, 5, -1},
};

// Start RX held down shows the pressed face; a disabled field keeps its colours.
inline constexpr ExpectedPixel kPressedStartRxFace = {"pressed Start RX face", 735, 142, 0x1B4150, true};
inline constexpr ExpectedPixel kDisabledLocalIpv4Background = {"disabled Local IPv4", 300, 140, 0x0A111E, true};
inline constexpr ExpectedColourCount kDisabledLocalIpv4Text = {"disabled Local IPv4 text", 290, 137, 180, 28, 0xE4EEF9, 24, 5, -1};
