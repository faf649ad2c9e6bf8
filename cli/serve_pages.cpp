#include "serve_pages.h"

#include <charconv>

#include "../core/clock.h"
#include "../core/metrics_text.h"
#include "scan_events_json.h"
#include "scan_metrics.h"
#include "serve_live_page.h"

namespace {

HttpReply unavailable() { return {503, "text/plain; charset=utf-8", "no scan yet\n"}; }

}  // namespace

HttpReply metricsReply(const ServeSnapshot& snapshot) {
    const ScanMetricsContext context{LUMIBOX_VERSION, snapshot.dropsKnown, snapshot.receiveDrops};
    return {200, std::string(kMetricsContentType), scanMetricsText(snapshot.scan, context, snapshot.takenUs)};
}

HttpReply scanDocumentReply(const ServeSnapshot& snapshot) {
    return {200, "application/json", scanReportJson(snapshot.scan, snapshot.settings, snapshot.takenUs) + '\n'};
}

HttpReply eventsReply(const ServeSnapshot& snapshot, const HttpQuery& query) {
    uint64_t since = 0;
    for (const auto& [name, value] : query) {
        if (name != "since") continue;
        const auto [end, error] = std::from_chars(value.data(), value.data() + value.size(), since);
        if (error != std::errc() || end != value.data() + value.size() || value.empty()) {
            return {400, "text/plain; charset=utf-8", "since takes an event number\n"};
        }
    }
    return {200, "application/json", scanEventsDocument(snapshot.scan, snapshot.settings.startUnixMs, since) + '\n'};
}

HttpReply healthReply(const ServeSnapshot* snapshot, uint64_t nowUs) {
    if (snapshot == nullptr || (nowUs > snapshot->takenUs && nowUs - snapshot->takenUs >= kServeHealthyAgeUs)) {
        return {503, "text/plain; charset=utf-8", "not receiving\n"};
    }
    return {200, "text/plain; charset=utf-8", "receiving\n"};
}

std::vector<HttpPage> servePages(ServeSnapshotExchange& exchange) {
    ServeSnapshotExchange* shared = &exchange;
    std::vector<HttpPage> pages = liveServePages(exchange);
    pages.insert(pages.end(), {
        {"/metrics",
         [shared] {
             const auto snapshot = latestServeSnapshot(*shared);
             return snapshot ? metricsReply(*snapshot) : unavailable();
         }},
        {"/scan.json",
         [shared] {
             const auto snapshot = latestServeSnapshot(*shared);
             return snapshot ? scanDocumentReply(*snapshot) : unavailable();
         }},
        {"/events.json",
         [shared](const HttpQuery& query) {
             const auto snapshot = latestServeSnapshot(*shared);
             return snapshot ? eventsReply(*snapshot, query) : unavailable();
         }},
        {"/healthz",
         [shared] {
             const auto snapshot = latestServeSnapshot(*shared);
             return healthReply(snapshot.get(), monotonicMicroseconds());
         }},
    });
    return pages;
}
