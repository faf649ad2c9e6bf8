#pragma once
// The Network window, described once for every front end: its title, every control with
// its id, kind, text at creation and rectangle in client pixels, the columns of its four
// tables, the level grid's geometry and the resize rule. A front end creates the controls
// from this table in table order and adds none of its own.
#include <cstdint>
#include <span>

#include "window_controls.h"
#include "window_layout.h"

inline constexpr const char* kNetworkTitleSuffix = " · Network";

inline constexpr int kNetworkLocalIpv4Field = 301;
inline constexpr int kNetworkUniversesField = 302;
inline constexpr int kNetworkScanButton = 303;     // "Start scan" / "Stop scan"
inline constexpr int kNetworkPollButton = 304;     // "Poll nodes"
inline constexpr int kNetworkMonitorButton = 305;  // "Monitor this universe"
inline constexpr int kNetworkSourcesTable = 306;
inline constexpr int kNetworkSendersTable = 307;   // Art-Net senders
inline constexpr int kNetworkNodesTable = 308;     // Art-Net nodes
inline constexpr int kNetworkGridTitle = 309;
inline constexpr int kNetworkLevelGrid = 310;
inline constexpr int kNetworkLegend = 311;
inline constexpr int kNetworkStatusText = 312;
inline constexpr int kNetworkNodesTitle = 313;     // moves with the nodes table
inline constexpr int kNetworkEventsTitle = 314;
inline constexpr int kNetworkEventsTable = 315;    // the scan's events, newest first

// Labels, fields and buttons are the main window's kinds; the tables are report lists
// with a header, the grid and the legend are painted by the front end from the views.
enum class NetworkControlKind { Label, Field, Button, Table, LevelGrid, Legend };

struct NetworkControl {
    NetworkControlKind kind;
    int id;  // 0 for the unnamed labels
    const char* text;
    PixelRect rect;  // at the first client size
};

std::span<const NetworkControl> networkControlTable();

// The same control as the main window's kinds describe it, for the labels, fields and
// buttons a front end already knows how to make.
ControlDefinition asControlDefinition(const NetworkControl& control);

struct NetworkColumn {
    const char* title;
    int width;
};
// Empty for an id that is not a table.
std::span<const NetworkColumn> networkTableColumns(int tableId);
inline constexpr int kSourcesUniverseColumn = 0;  // a click on its header flips the order

// 512 slots as 32 columns by 16 rows, slot 1 at the top left.
inline constexpr int kGridColumns = 32;
inline constexpr int kGridRows = 16;
inline constexpr int kGridCellWidth = 24;
inline constexpr int kGridCellHeight = 14;
inline constexpr int kGridTextPixelHeight = 11;
inline constexpr int kLegendRowHeight = 20;

// Client size at creation: every table rectangle above. It fits, with a frame and a
// task bar, a 1366 x 768 screen at 100 %.
inline constexpr int kNetworkInitialClientWidth = 1250;
inline constexpr int kNetworkInitialClientHeight = 680;
// The least client size, where the tables have given up the height they can: a
// 1920 x 1080 screen at 150 % (1280 x 720 logical, less a task bar and the frame) still
// shows the window whole, status line included.
inline constexpr int kNetworkMinimumClientWidth = 1250;
inline constexpr int kNetworkMinimumClientHeight = 630;
inline constexpr int kNetworkMinimumOuterWidth = 1266;
inline constexpr int kNetworkMinimumOuterHeight = 669;

// Where a control sits at a client size: the tables take the width and height gained
// against the first size, and the height lost (the Art-Net tables share it), the grid,
// legend and events move with it, the status text stays at the bottom. A size below the minimum
// is laid out as the minimum. Every other control keeps its place.
PixelRect networkControlRect(int id, int clientWidth, int clientHeight);

// The slot (0 to 511) under a point of the grid, -1 outside it.
int gridSlotAt(int x, int y);
// A cell's rectangle inside the grid.
PixelRect gridCellRect(int slot);
