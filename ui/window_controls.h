#pragma once
// Every control of the main window: id, kind, text at creation, geometry in client
// pixels and page. Tests and accessibility tools find a control by the object name
// "id<N>" made from its id.
#include <span>
#include <string>

enum class ControlPage { None, Dmx, Midi };
enum class ControlKind { Label, Selector, Field, Button, LevelTable, MessageList };

struct ControlDefinition {
    ControlPage page;
    ControlKind kind;
    int id;  // 0 for the unnamed labels
    const char* text;
    int x;
    int y;
    int width;
    int height;  // for a selector: the height of its dropped-down list
    bool digitsOnly = false;
};

// Ids the window itself refers to; the engines name the rest.
inline constexpr int kProtocolSelectorId = 101;
inline constexpr int kLevelTableId = 114;
inline constexpr int kDmxStatusId = 115;
inline constexpr int kDmxPageButtonId = 201;
inline constexpr int kMidiPageButtonId = 202;
inline constexpr int kMidiTypeSelectorId = 206;
inline constexpr int kMidiMessageListId = 216;
inline constexpr int kMidiStatusId = 217;

// The whole table in creation order.
std::span<const ControlDefinition> controlTable();

// nullptr for 0 and for ids that name no control.
const ControlDefinition* findControlDefinition(int id);

// Entries of the Protocol (101) and Type (206) selectors; empty for other ids.
std::span<const char* const> fixedSelectorEntries(int id);

struct LevelColumn {
    const char* title;
    int initialWidth;
};
std::span<const LevelColumn> levelTableColumns();

inline constexpr int kLevelRowCount = 512;

// "id101" for 101.
std::string controlObjectName(int id);
