#include "network_controls.h"

#include <algorithm>

namespace {

using K = NetworkControlKind;

constexpr int kGridWidth = kGridColumns * kGridCellWidth;
constexpr int kGridHeight = kGridRows * kGridCellHeight;

const NetworkControl kControls[] = {
    {K::Label, 0, "Local IPv4", {20, 112, 150, 22}},
    {K::Field, kNetworkLocalIpv4Field, "0.0.0.0", {20, 137, 180, 28}},
    {K::Label, 0, "Universes to join (e.g. 1-16,100)", {220, 112, 250, 22}},
    {K::Field, kNetworkUniversesField, "1-16", {220, 137, 240, 28}},
    {K::Button, kNetworkScanButton, "Start scan", {480, 136, 160, 30}},
    {K::Button, kNetworkPollButton, "Poll nodes", {655, 136, 140, 30}},
    {K::Button, kNetworkMonitorButton, "Monitor this universe", {810, 136, 220, 30}},
    {K::Label, 0, "sACN sources", {20, 176, 300, 22}},
    {K::Table, kNetworkSourcesTable, "", {20, 200, 720, 170}},
    {K::Label, 0, "Art-Net senders", {760, 176, 300, 22}},
    {K::Table, kNetworkSendersTable, "", {760, 200, 470, 70}},
    {K::Label, kNetworkNodesTitle, "Art-Net nodes", {760, 276, 300, 22}},
    {K::Table, kNetworkNodesTable, "", {760, 298, 470, 72}},
    {K::Label, kNetworkGridTitle, "Select a source to see its universe's merged levels", {20, 378, 760, 22}},
    {K::LevelGrid, kNetworkLevelGrid, "", {20, 400, kGridWidth, kGridHeight}},
    // The legend starts level with the grid's title, so six sources (a universe's usual
    // two to six) fit above the events.
    {K::Legend, kNetworkLegend, "", {808, 378, 422, 124}},
    {K::Label, kNetworkEventsTitle, "Events (select a priority conflict to see its universe)", {808, 506, 422, 22}},
    {K::Table, kNetworkEventsTable, "", {808, 528, 422, 96}},
    {K::Label, kNetworkStatusText, "Ready. The scan is off.", {20, 632, 1210, 40}},
};

// Within the table's width less a vertical scroll bar, so that more rows than fit bring
// no horizontal one over the last row.
const NetworkColumn kSourceColumns[] = {{"Universe", 74},  {"Source name", 150}, {"Sender", 110},
                                        {"Priority", 130}, {"Rate/s", 56},       {"Seq. errors", 88},
                                        {"Status", 90}};
const NetworkColumn kSenderColumns[] = {{"Port-Address", 150}, {"Sender", 130}, {"Rate/s", 70}, {"Seq. errors", 90}};
const NetworkColumn kNodeColumns[] = {{"IP", 100}, {"Short name", 120}, {"DMX out", 85}, {"DMX in", 75},
                                      {"Last reply", 80}};
const NetworkColumn kEventColumns[] = {{"UTC", 76}, {"Kind", 170}, {"Who", 157}};

const NetworkControl* find(int id) {
    for (const NetworkControl& control : kControls) {
        if (control.id == id) return &control;
    }
    return nullptr;
}

}  // namespace

std::span<const NetworkControl> networkControlTable() { return kControls; }

ControlDefinition asControlDefinition(const NetworkControl& control) {
    ControlKind kind = ControlKind::Label;
    if (control.kind == K::Field) kind = ControlKind::Field;
    if (control.kind == K::Button) kind = ControlKind::Button;
    return {ControlPage::None, kind, control.id, control.text, control.rect.x, control.rect.y, control.rect.width,
            control.rect.height};
}

std::span<const NetworkColumn> networkTableColumns(int tableId) {
    if (tableId == kNetworkSourcesTable) return kSourceColumns;
    if (tableId == kNetworkSendersTable) return kSenderColumns;
    if (tableId == kNetworkNodesTable) return kNodeColumns;
    if (tableId == kNetworkEventsTable) return kEventColumns;
    return {};
}

PixelRect networkControlRect(int id, int clientWidth, int clientHeight) {
    const NetworkControl* control = find(id);
    if (!control) return {};
    const int dx = std::max(clientWidth, kNetworkMinimumClientWidth) - kNetworkInitialClientWidth;
    const int dy = std::max(clientHeight, kNetworkMinimumClientHeight) - kNetworkInitialClientHeight;
    // Height lost below the first size comes half from the senders, half from the nodes.
    const int sendersLoss = std::min(dy, 0) / 2;
    PixelRect rect = control->rect;
    switch (id) {
        case kNetworkSourcesTable: rect.height += dy; break;
        case kNetworkSendersTable:
            rect.width += dx;
            rect.height += sendersLoss;
            break;
        case kNetworkNodesTitle: rect.y += sendersLoss; break;
        case kNetworkNodesTable:
            rect.y += sendersLoss;
            rect.width += dx;
            rect.height += dy - sendersLoss;
            break;
        case kNetworkGridTitle:
        case kNetworkLevelGrid: rect.y += dy; break;
        case kNetworkLegend:
        case kNetworkEventsTable:
            rect.y += dy;
            rect.width += dx;
            break;
        case kNetworkEventsTitle: rect.y += dy; break;
        case kNetworkStatusText:
            rect.y += dy;
            rect.width += dx;
            break;
        default: break;
    }
    return rect;
}

int gridSlotAt(int x, int y) {
    if (x < 0 || y < 0) return -1;
    const int column = x / kGridCellWidth;
    const int row = y / kGridCellHeight;
    if (column >= kGridColumns || row >= kGridRows) return -1;
    return row * kGridColumns + column;
}

PixelRect gridCellRect(int slot) {
    return {(slot % kGridColumns) * kGridCellWidth, (slot / kGridColumns) * kGridCellHeight, kGridCellWidth,
            kGridCellHeight};
}
