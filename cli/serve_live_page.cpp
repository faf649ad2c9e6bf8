#include "serve_live_page.h"

#include <cstdio>
#include <memory>
#include <mutex>
#include <string>

#include "../core/clock.h"
#include "../core/decimal_text.h"
#include "../ui/network_texts.h"
#include "../ui/window_style.h"
#include "live_page_assets.h"
#include "live_page_data.h"

namespace {

constexpr const char* kContentSecurityPolicy =
    "default-src 'none'; script-src 'self'; style-src 'self'; connect-src 'self'; img-src 'self'; "
    "base-uri 'none'; form-action 'none'; frame-ancestors 'none'";

// The overview of the latest snapshot, made by the first request that finds it missing.
struct LivePageCache {
    std::mutex mutex;
    NetworkRates rates;                                // under mutex
    std::shared_ptr<const LivePageOverview> overview;  // under mutex
};

std::shared_ptr<const LivePageOverview> overviewOf(LivePageCache& cache, const ServeSnapshot& snapshot) {
    std::lock_guard lock(cache.mutex);
    if (!cache.overview || cache.overview->takenUs != snapshot.takenUs) {
        cache.overview = std::make_shared<const LivePageOverview>(livePageOverview(snapshot, cache.rates));
    }
    return cache.overview;
}

HttpReply pageReply(std::string contentType, std::string body, const char* caching) {
    HttpReply reply{200, std::move(contentType), std::move(body)};
    reply.headers = {{"Content-Security-Policy", kContentSecurityPolicy},
                     {"X-Content-Type-Options", "nosniff"},
                     {"Referrer-Policy", "no-referrer"},
                     {"Cache-Control", caching}};
    return reply;
}

std::string cssColour(uint32_t rgb) {
    char text[8];
    std::snprintf(text, sizeof text, "#%06x", static_cast<unsigned>(rgb & 0xFFFFFF));
    return text;
}

// The windows' palette as CSS variables, and a class per level and per source colour for
// the grid's cells, from the same definitions the windows paint with.
std::string paletteStyle() {
    const std::pair<const char*, uint32_t> colours[] = {
        {"background", kBackgroundColour},      {"text", kControlTextColour},
        {"table", kTableBackgroundColour},      {"table-text", kTableTextColour},
        {"header", kTableHeaderBackgroundColour}, {"header-text", kTableHeaderTextColour},
        {"button", kButtonFaceColour},          {"button-outline", kButtonOutlineColour},
        {"button-text", kButtonTextColour},     {"title", kTitleTextColour},
        {"subtitle", kSubtitleTextColour},      {"grid-line", kGridLineColour},
        {"field-outline", kFieldOutlineColour}, {"selection", kSelectionColour},
        {"scroll-track", kScrollTrackColour},   {"scroll-handle", kScrollHandleColour}};
    std::string css = ":root{";
    for (const auto& [name, rgb] : colours) css += std::string("--") + name + ':' + cssColour(rgb) + ';';
    css += "--marker:" + std::to_string(kGridMarkerHeight) + "px;--font:";
    for (const char* family : kUiFontFamilies) css += std::string("\"") + family + "\",";
    css += std::string("\"") + kUiFontLastResort + "\",sans-serif}\n";
    for (int8_t i = 0; i < kSourceColourCount; ++i) {
        css += ".w" + std::to_string(i) + "{--winner:" + cssColour(sourceColour(i)) + "}\n";
    }
    for (int level = 0; level < 256; ++level) {
        const auto l = static_cast<uint8_t>(level);
        css += ".l" + std::to_string(level) + "{background:" + cssColour(gridCellFill(l)) +
               ";color:" + cssColour(gridCellTextColour(l)) + "}\n";
    }
    return css;
}

std::string pageHtml() {
    std::string html(kLivePageHtml);
    const std::pair<std::string_view, std::string_view> fields[] = {{"@TITLE@", kTitleText}, {"@SUBTITLE@", kSubtitleText}};
    for (const auto& [field, value] : fields) {
        for (std::size_t at = html.find(field); at != std::string::npos; at = html.find(field, at + value.size())) {
            html.replace(at, field.size(), value);
        }
    }
    return html;
}

std::string_view parameter(const HttpQuery& query, const std::string& name) {
    const auto found = query.find(name);
    return found == query.end() ? std::string_view() : std::string_view(found->second);
}

uint16_t universeParameter(const HttpQuery& query) {
    const auto number = decimalToInt32(parameter(query, "universe"));
    return number && *number >= 1 && *number < static_cast<int32_t>(kSacnUniverseCount) ? static_cast<uint16_t>(*number) : 0;
}

HttpReply liveReply(ServeSnapshotExchange& exchange, LivePageCache& cache, const HttpQuery& query) {
    const auto snapshot = latestServeSnapshot(exchange);
    if (!snapshot) return {503, "text/plain; charset=utf-8", "no scan yet\n"};
    const auto overview = overviewOf(cache, *snapshot);
    const LivePageRequest request{universeParameter(query), parameter(query, "universes"), parameter(query, "nodes"),
                                  parameter(query, "events")};
    HttpReply reply = pageReply("application/json", livePageJson(*snapshot, *overview, request, monotonicMicroseconds()),
                                "no-store");
    reply.closeConnection = true;  // a poll every 250 ms would otherwise keep a worker per phone
    return reply;
}

}  // namespace

std::vector<HttpPage> liveServePages(ServeSnapshotExchange& exchange) {
    ServeSnapshotExchange* shared = &exchange;
    auto cache = std::make_shared<LivePageCache>();
    static const std::string html = pageHtml();
    static const std::string style = paletteStyle() + std::string(kLivePageStyle);
    return {
        {"/", [] { return pageReply("text/html; charset=utf-8", html, "no-cache"); }},
        {"/page.css", [] { return pageReply("text/css; charset=utf-8", style, "no-cache"); }},
        {"/page.js", [] { return pageReply("text/javascript; charset=utf-8", std::string(kLivePageScript), "no-cache"); }},
        {"/live.json", [shared, cache](const HttpQuery& query) { return liveReply(*shared, *cache, query); }},
    };
}
