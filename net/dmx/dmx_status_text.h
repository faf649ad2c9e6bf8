#pragma once
// The DMX status text (115): counters, source status and age on the first line, the
// network message on the second.
#include <cstdint>
#include <string>

#include "../../core/dmx_universe_state.h"
#include "dmx_engine_record.h"
#include "dmx_view.h"

inline constexpr uint64_t kDmxStatusPeriodMs = 200;

// "RX n | TX n | Rejected n | <source status>[ | Alter n ms]\r\n<network message>".
std::string composeDmxStatus(const DmxNetworkEngine& engine, uint64_t now);

// Writes the text into 115 and remembers now as the last refresh.
void refreshDmxStatus(DmxNetworkEngine& engine, const DmxView& view, uint64_t now);

// True when at least 200 ms have passed since the last refresh, or there was none yet.
bool isDmxStatusDue(const DmxNetworkEngine& engine, uint64_t now);
