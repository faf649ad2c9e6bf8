#pragma once
// The main window, described once for every front end: its class and title, every
// control with its id, kind, text at creation, rectangle in client pixels, page and
// style flags, the fixed selector entries and the level table's columns. A front end
// creates its controls from this table in table order and adds no control of its own.
#include <cstdint>
#include <span>
#include <string>

#include "../core/product_identity.h"
#include "../midi/midi_control_ids.h"
#include "../net/dmx/dmx_control_ids.h"


// The page buttons, always visible; every other id belongs to the DMX page
// (dmx_control_ids.h) or the MIDI page (midi_control_ids.h).
inline constexpr int kDmxPageButton = 201;   // "sACN / Art-Net"
inline constexpr int kMidiPageButton = 202;  // "MIDI"

enum class ControlPage { None, Dmx, Midi };

// What a control is. The Win32 class of each (ui/win32/win32_controls.cpp): Label
// STATIC, Selector COMBOBOX with CBS_DROPDOWNLIST, Field EDIT with WS_EX_CLIENTEDGE and
// ES_AUTOHSCROLL, Button BUTTON with BS_OWNERDRAW, LevelTable SysListView32 (report
// view, single selection), MessageList LISTBOX with LBS_NOINTEGRALHEIGHT.
enum class ControlKind { Label, Selector, Field, Button, LevelTable, MessageList };

// Style flags beyond what the kind implies.
enum ControlStyle : uint32_t {
    kPlainStyle = 0,
    kDigitsOnly = 1u << 0,      // a field that takes digit keystrokes only (ES_NUMBER)
    kVerticalScroll = 1u << 1,  // WS_VSCROLL
    kBorder = 1u << 2,          // WS_BORDER
};

struct ControlDefinition {
    ControlPage page;
    ControlKind kind;
    int id;  // 0 for the unnamed labels
    const char* text;
    int x;
    int y;
    int width;
    int height;  // for a selector: the height of its dropped-down list
    uint32_t style = kPlainStyle;
};

// The whole table in creation order.
std::span<const ControlDefinition> controlTable();

// Entries of the Protocol (101) and Type (206) selectors, index 0 selected at start;
// empty for other ids. The port selectors are filled by refreshMidiPorts.
std::span<const char* const> fixedSelectorEntries(int id);

// The level table (114): one row per DMX slot, column 0 its number.
struct LevelColumn {
    const char* title;
    int initialWidth;
};
std::span<const LevelColumn> levelTableColumns();
inline constexpr int kLevelRowCount = 512;

// "id101" for 101: tests and accessibility tools find a control by this name.
std::string controlObjectName(int id);
