#pragma once
// What the live page of --serve reads (/live.json), from one snapshot. The overview (every
// universe's condition, the Art-Net nodes) is made once per snapshot and shared by every
// client; each part carries a tag, and a client that already holds a part with that tag
// is not sent it again. The selected universe (its sources and merged levels) is made
// per request: that is all a client polling a steady network costs.
#include <cstdint>
#include <string>
#include <string_view>

#include "../ui/network_texts.h"
#include "serve_pages.h"
#include "serve_snapshot.h"

// The page asks as often as the scan publishes, at most four times a second.
constexpr uint64_t kLivePagePollMs = kServeSnapshotPeriodUs / 1000;
static_assert(kLivePagePollMs >= 250);

// The page lists the latest events, newest first; /events.json has them all.
constexpr uint64_t kLivePageEvents = 50;

struct LivePagePart {
    std::string json;
    std::string tag;  // changes whenever json does
};

struct LivePageOverview {
    uint64_t takenUs = 0;  // of the snapshot it was made from
    uint16_t firstUniverse = 0;
    LivePagePart universes;
    LivePagePart nodes;
    LivePagePart events;  // the latest kLivePageEvents, oldest first
    std::string status;
    NetworkRates rates;  // as they stood at the snapshot
};

// rates: the caller's, kept across snapshots; sampled here once a second.
LivePageOverview livePageOverview(const ServeSnapshot& snapshot, NetworkRates& rates);

struct LivePageRequest {
    uint16_t universe = 0;        // 0: the first universe of the list
    std::string_view universesTag;  // the parts the client holds
    std::string_view nodesTag;
    std::string_view eventsTag;
};

// The document: the run's start (a new one means the server restarted), the snapshot's
// age, the status, the parts whose tags differ, and the selected universe.
std::string livePageJson(const ServeSnapshot& snapshot, const LivePageOverview& overview, const LivePageRequest& request,
                         uint64_t nowUs);
