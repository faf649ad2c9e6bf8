#pragma once
// Two more sources on universe 7 for the Network window's pictures, so that its Events
// list shows what a technician looks for: Desk C at Desk A's priority (a priorityConflict;
// the higher level wins each slot, Desk C's full 257-320), and Focus remote at 130 on
// slots 1-12, which its caller stops after a while (sourceLost 2.5 s later, its slots
// going back to Desk B).
#include <cstddef>
#include <cstdint>
#include <vector>

#include "ui/tests/network_traffic.h"

namespace picture_sources {

inline std::vector<uint8_t> deskC(uint8_t sequence) {
    std::vector<uint8_t> levels(512, 0);
    for (std::size_t slot = 256; slot < 320; ++slot) levels[slot] = 255;
    return network_traffic::source(7, 5, 100, "Desk C", 512, 0, sequence, levels);
}

inline std::vector<uint8_t> focusRemote(uint8_t sequence) {
    return network_traffic::source(7, 6, 130, "Focus remote", 12, 0, sequence, std::vector<uint8_t>(12, 255));
}

// Rounds (at 44 a second) the remote sends before it stops, when sent from the start.
inline constexpr int kFocusRemoteRounds = 20;

}  // namespace picture_sources
