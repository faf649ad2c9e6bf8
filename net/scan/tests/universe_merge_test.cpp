// The merge rules and the lifetimes of records, over scripted datagrams and a scripted clock.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/tests/scan_packets.h"
#include "net/scan/universe_merge.h"
#include "net/scan/universe_state.h"

using namespace scan_packets;

namespace {

constexpr uint64_t kStartUs = 1000000;
uint64_t at(uint64_t ms) { return kStartUs + ms * 1000; }

void take(ScanEngine& scan, DmxProtocol port, const std::vector<uint8_t>& packet, uint64_t ms, uint8_t from = 2) {
    takeScanDatagram(scan, port, packet.data(), packet.size(), Ipv4Address{{10, 77, 0, from}}, at(ms));
}

// One source of a merge case: its 0xDD packet when pap is given (at papAtMs, else atMs),
// then a level packet at atMs.
struct MergeSource {
    uint8_t cid;
    uint8_t priority;
    std::vector<uint8_t> levels;  // also its slot count
    std::vector<uint8_t> pap = {};
    uint8_t options = 0;
    uint64_t atMs = 0;
    int64_t papAtMs = -1;
    int sequence = -1;  // of the level packet; -1: the next one
    uint16_t sync = 0;
};

struct MergeCase {
    const char* rule;
    std::vector<MergeSource> sources;
    uint64_t nowMs;
    std::vector<int> winners;  // cid of the winner of slots 1, 2, …; 0: nobody drives it
    std::vector<int> levels;
};

// The sources' packets in order, then one of another universe at nowMs.
void takeSources(ScanEngine& scan, const std::vector<MergeSource>& sources, uint64_t nowMs) {
    startScan(scan, kStartUs);
    uint8_t sequence = 1;
    for (const MergeSource& s : sources) {
        SacnData data;
        data.cid = cidOf(s.cid);
        data.priority = s.priority;
        data.options = s.options;
        data.syncUniverse = s.sync;
        data.slots = static_cast<int>(s.levels.size());
        data.slotLevels = s.levels;
        if (!s.pap.empty()) {
            SacnData pap = data;
            pap.startCode = kSacnPerAddressPriorityStartCode;
            pap.slotLevels = s.pap;
            pap.slots = static_cast<int>(s.pap.size());
            pap.sequence = sequence++;
            take(scan, DmxProtocol::Sacn, sacnData(pap), s.papAtMs < 0 ? s.atMs : static_cast<uint64_t>(s.papAtMs));
        }
        data.sequence = s.sequence < 0 ? sequence++ : static_cast<uint8_t>(s.sequence);
        take(scan, DmxProtocol::Sacn, sacnData(data), s.atMs);
    }
    SacnData elsewhere;  // the highest priority, on another universe
    elsewhere.universe = 2;
    elsewhere.priority = 200;
    take(scan, DmxProtocol::Sacn, sacnData(elsewhere), nowMs);
}

}  // namespace

TEST(UniverseMerge, RulesOfReceiversWithPerAddressPriority) {
    const MergeCase cases[] = {
        {"universe priority", {{1, 100, {10, 20}}, {2, 120, {5, 5}}}, 100, {2, 2}, {5, 5}},
        {"per-address priority replaces the universe priority",
         {{1, 100, {10, 20}, {150, 50}}, {2, 120, {5, 5}}}, 100, {1, 2}, {10, 5}},
        {"per-address priority 0 does not drive the slot", {{1, 100, {10, 20}, {0, 100}}}, 100, {0, 1}, {0, 20}},
        {"equal priorities: highest level", {{1, 100, {10, 200}}, {2, 100, {50, 20}}}, 100, {2, 1}, {50, 200}},
        {"equal priority and level: the earlier source", {{1, 100, {7, 7}}, {2, 100, {7, 7}}}, 100, {1, 1}, {7, 7}},
        {"preview takes no part", {{1, 200, {10, 10}, {}, kSacnOptionPreview}, {2, 50, {1, 1}}}, 100, {2, 2}, {1, 1}},
        {"a lost source leaves", {{1, 200, {9, 9}, {}, 0, 0}, {2, 100, {3, 3}, {}, 0, 2500}}, 2500, {2, 2}, {3, 3}},
        {"still live just before the loss time", {{1, 200, {9, 9}, {}, 0, 0}, {2, 100, {3, 3}, {}, 0, 2499}}, 2499, {1, 1}, {9, 9}},
        {"a terminated source leaves at once", {{1, 200, {9, 9}, {}, kSacnOptionStreamTerminated}, {2, 100, {3, 3}}}, 100, {2, 2}, {3, 3}},
        {"a stale per-address priority gives way to the universe priority",
         {{1, 100, {10, 10}, {200, 200}, 0, 2500, 0}, {2, 150, {4, 4}, {}, 0, 2500}}, 2500, {2, 2}, {4, 4}},
        {"slots beyond a source's count are not driven", {{1, 100, {7}}, {2, 50, {1, 1}}}, 100, {1, 2}, {7, 1}},
        {"universe priority 0 still drives", {{1, 0, {4, 4}}}, 100, {1, 1}, {4, 4}},
        {"an out-of-order packet is discarded",
         {{1, 100, {9, 9}, {}, 0, 0, -1, 10}, {1, 100, {1, 1}, {}, 0, 10, -1, 5}}, 100, {1, 1}, {9, 9}},
        {"nobody live", {{1, 100, {4, 4}, {}, kSacnOptionStreamTerminated}}, 100, {0, 0}, {0, 0}},
        {"per-address priority for more slots than levels drives only the levels",
         {{1, 100, {10, 20}, {150, 150, 150, 150}}, {2, 100, {5, 6, 7, 8}}}, 100, {1, 1, 2, 2}, {10, 20, 7, 8}},
        {"a source out of preview takes part again",
         {{1, 200, {9, 9}, {}, kSacnOptionPreview}, {1, 200, {8, 8}, {}, 0, 10}, {2, 100, {3, 3}, {}, 0, 10}}, 100, {1, 1}, {8, 8}},
    };
    for (const MergeCase& c : cases) {
        ScanEngine scan;
        takeSources(scan, c.sources, c.nowMs);
        std::vector<const SacnStreamRecord*> sources;
        collectUniverseSources(scan, 1, sources);
        MergedUniverse merged;
        mergeUniverse(sources, at(c.nowMs), merged);
        for (std::size_t slot = 0; slot < c.winners.size(); ++slot) {
            const int16_t w = merged.winners[slot];
            const int winner = w == kNoWinner ? 0 : sources[static_cast<std::size_t>(w)]->cid[0] / 16;
            EXPECT_EQ(winner, c.winners[slot]) << c.rule << ", slot " << slot + 1;
            EXPECT_EQ(merged.levels[slot], c.levels[slot]) << c.rule << ", slot " << slot + 1;
        }
    }
}

TEST(UniverseMerge, ConditionOfAUniverse) {
    const struct {
        std::vector<MergeSource> sources;
        uint64_t nowMs;
        std::string condition;
    } cases[] = {
        {{{1, 100, {10, 20}}, {2, 100, {5, 5}}}, 100, "live conflict"},
        {{{1, 100, {10, 20}}, {2, 120, {5, 5}}}, 100, "live"},
        {{{1, 100, {10, 20}, {150, 50}}, {2, 100, {5, 5}, {50, 150}}}, 100, "live"},
        {{{1, 100, {10, 20}, {150, 50}}, {2, 100, {5, 5}, {50, 50}}}, 100, "live conflict"},
        {{{1, 100, {10, 20}, {150, 0}}, {2, 100, {5, 5}, {50, 0}}}, 100, "live"},
        {{{1, 100, {9, 9}, {}, kSacnOptionPreview}, {2, 100, {3, 3}}}, 100, "live"},
        {{{1, 100, {9, 9}}, {2, 100, {3, 3}, {}, 0, 2500}}, 2500, "live"},
        {{{1, 100, {9}}}, 3000, "lost"},
        {{{1, 100, {9}, {}, kSacnOptionStreamTerminated}, {2, 100, {9}, {}, 0, 0}}, 3000, "lost"},
        {{{1, 100, {9}, {}, kSacnOptionStreamTerminated}}, 100, "ended"},
        {{{1, 100, {9}, {}, 0, 0, -1, -1, 7}}, 100, "live sync missing"},
    };
    for (const auto& c : cases) {
        ScanEngine scan;
        takeSources(scan, c.sources, c.nowMs);
        std::vector<const SacnStreamRecord*> sources;
        collectUniverseSources(scan, 1, sources);
        const UniverseCondition condition = universeCondition(scan, sources, at(c.nowMs));
        std::string text = universeLivenessName(condition.liveness);
        if (condition.priorityConflict) text += " conflict";
        if (condition.syncMissing) text += " sync missing";
        EXPECT_EQ(text, c.condition) << "case " << &c - cases;
    }
}
