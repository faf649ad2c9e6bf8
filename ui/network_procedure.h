#pragma once
// Where the Network window's events meet the scan, for every front end: which operation a
// control's command runs, the tick (read what is waiting, expire, poll, refresh at most
// four times a second) and the shutdown on close. The front end forwards notifications
// here and paints; it holds no scan logic.
#include <array>
#include <bitset>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "../core/scan_codec.h"
#include "../net/dmx/datagram_feed.h"
#include "../net/scan/scan_receive.h"
#include "../net/scan/scan_sockets.h"
#include "network_controls.h"
#include "network_texts.h"
#include "network_view.h"

inline constexpr uint64_t kNetworkRefreshUs = 250000;  // at most four refreshes a second
inline constexpr uint64_t kArtPollRepeatUs = 3000000;  // as Art-Net controllers poll
inline constexpr uint64_t kScanExpiryUs = 1000000;
inline constexpr int kNetworkTickPeriodMs = 10;
inline constexpr std::size_t kNetworkEventRows = 500;  // the latest events listed

// What "Monitor this universe" hands the main window: its fields as the user would type them.
struct MonitorRequest {
    uint16_t universe = 0;
    std::string localIpv4;
};

struct NetworkWindowEngines {
    NetworkWindowEngines() = default;
    NetworkWindowEngines(const NetworkWindowEngines&) = delete;
    NetworkWindowEngines& operator=(const NetworkWindowEngines&) = delete;

    ScanEngine scan;
    ScanSockets sockets;
    ScanReceiver receiver;
    bool scanning = false;
    std::array<uint8_t, kArtPollLength> poll = buildArtPoll();
    bool pollSent = false;  // the host's own copy of a sent poll is not counted
    std::size_t universeCapacity = 0;           // memberships the system can hold
    std::bitset<kSacnUniverseCount> tried;      // asked for, or announced and joined or refused
    uint64_t announcedChanges = 0;

    NetworkView view;
    std::function<uint64_t()> clockUs;  // monotonicMicroseconds in the window
    std::function<void(const MonitorRequest&)> openMonitor;  // the front end's main window
    std::function<void(DmxProtocol port, const ReceivedDatagram& datagram)> observer;  // another receiver of the process
    DatagramFeed feed;  // what the main window receives while this window holds the ports

    NetworkRates rates;
    bool universesDescending = false;
    uint16_t selectedUniverse = 0;
    StreamKey selectedSource;
    std::vector<StreamKey> shownSources;  // the source of each row shown
    NetworkTableRows shownRows[4];        // sources, senders, nodes, events as last handed over
    int64_t startUnixMs = 0;              // the scan's start, dating its events
    std::vector<uint64_t> shownEvents;    // the event number of each row shown
    uint64_t selectedEvent = 0;           // 0: none
    NetworkGrid shownGrid;
    std::string message;  // the last failure, second line of the status
    uint64_t lastRefreshUs = 0;
    uint64_t lastPollUs = 0;
    uint64_t lastExpiryUs = 0;
    bool stopped = false;
};

enum class NetworkCommand { Nothing, ToggleScan, PollNodes, MonitorUniverse };
NetworkCommand networkCommandFor(int id, int notification);

// After building the window: the locked state of the controls, the status and empty views.
void fillNetworkViews(NetworkWindowEngines& engines);

// A button's command with its notification code.
void runNetworkCommand(NetworkWindowEngines& engines, int id, int notification);

// The user selected row (-1: none) of a table; a source row selects its universe for
// the grid and for "Monitor this universe", and so does a priorityConflict event (its
// first source then selected).
void selectNetworkRow(NetworkWindowEngines& engines, int tableId, int row);

// A click on a column header: the sources table's universe column flips its order.
void clickNetworkHeader(NetworkWindowEngines& engines, int tableId, int column);

// One timer tick: the datagrams waiting, the groups of newly announced universes joined,
// once a second the expiry, every 3 s an ArtPoll after Poll nodes while scanning, and the
// views when a refresh is due.
void runNetworkTick(NetworkWindowEngines& engines);
void refreshNetworkViews(NetworkWindowEngines& engines, uint64_t nowUs);

// Joins the group of a universe another window of the process monitors, when the scan
// has not joined it yet.
void joinMonitoredUniverse(NetworkWindowEngines& engines, uint16_t universe);

// Close: the sockets. Runs once; false when the engines had stopped already.
bool stopNetworkEngines(NetworkWindowEngines& engines);
