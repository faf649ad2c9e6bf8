#pragma once
// What --serve answers: /metrics, /scan.json, /events.json, /healthz and the live page, each
// rendered on the HTTP thread that asks, from the latest snapshot the scan published.
#include <cstdint>
#include <vector>

#include "../net/http/http_server.h"
#include "serve_snapshot.h"

// The scan publishes four times a second, as often as the live page asks; a snapshot older than this means it is not receiving.
constexpr uint64_t kServeSnapshotPeriodUs = 250000;
constexpr uint64_t kServeHealthyAgeUs = 5000000;

std::vector<HttpPage> servePages(ServeSnapshotExchange& exchange);

HttpReply metricsReply(const ServeSnapshot& snapshot);
HttpReply scanDocumentReply(const ServeSnapshot& snapshot);
// The events after number ?since= (0 or none: every event held); 400 when since is not a number.
HttpReply eventsReply(const ServeSnapshot& snapshot, const HttpQuery& query);
HttpReply healthReply(const ServeSnapshot* snapshot, uint64_t nowUs);
