#pragma once
// What `--serve` answers on /metrics: the scan's records as Prometheus metrics. A pure
// function of the records and the moment, like the scan document beside it; series come
// and go with the records, so a dropped source's series disappear.
#include <cstdint>
#include <string>
#include <string_view>

#include "../net/scan/scan_engine.h"

struct ScanMetricsContext {
    std::string_view version;
    bool dropsKnown = false;  // whether the system reports datagrams its queues dropped
    uint64_t receiveDrops = 0;
};

std::string scanMetricsText(const ScanEngine& scan, const ScanMetricsContext& context, uint64_t nowUs);
