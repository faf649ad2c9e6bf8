#include "source_pattern.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <numbers>

#include "json_reader.h"
#include "universe_list.h"

namespace {

constexpr int32_t kLongestPeriodMs = 3600000;
constexpr std::size_t kSineSteps = 1024;

// A full sine cycle as levels 0 to 255, made once.
const std::array<uint8_t, kSineSteps>& sineLevels() {
    static const auto table = [] {
        std::array<uint8_t, kSineSteps> levels{};
        for (std::size_t i = 0; i < kSineSteps; ++i) {
            const double angle = 2.0 * std::numbers::pi * static_cast<double>(i) / kSineSteps;
            levels[i] = static_cast<uint8_t>(std::lround(127.5 + 127.5 * std::sin(angle)));
        }
        return levels;
    }();
    return table;
}

// "chase" or "chase:MS": the period, the fallback when there is no ":MS".
std::optional<uint32_t> periodOf(std::string_view rest, uint32_t fallback) {
    if (rest.empty()) return fallback;
    if (rest.front() != ':') return std::nullopt;
    const auto ms = parseListNumber(rest.substr(1), 1, kLongestPeriodMs);
    return ms ? std::optional<uint32_t>(static_cast<uint32_t>(*ms)) : std::nullopt;
}

std::optional<SourcePattern> timedPattern(PatternKind kind, std::string_view rest, uint32_t fallback) {
    const auto period = periodOf(rest, fallback);
    if (!period) return std::nullopt;
    SourcePattern pattern;
    pattern.kind = kind;
    pattern.periodMs = *period;
    return pattern;
}

// A level array of a document: whole numbers 0 to 255, at most 512 of them.
bool readLevels(const JsonValue* array, SlotValues& levels) {
    if (array == nullptr || array->kind != JsonValue::Kind::Array || array->items.size() > kDmxSlotCount) return false;
    levels.fill(0);
    for (std::size_t i = 0; i < array->items.size(); ++i) {
        const JsonValue& v = array->items[i];
        if (v.kind != JsonValue::Kind::Number || v.number < 0 || v.number > 255 || v.number != std::floor(v.number)) return false;
        levels[i] = static_cast<uint8_t>(v.number);
    }
    return true;
}

bool readUniverse(const JsonValue& object, SnapshotUniverse& universe) {
    const JsonValue* number = object.member("universe");
    if (number == nullptr || number->kind != JsonValue::Kind::Number || number->number < 0 || number->number > 65535 ||
        number->number != std::floor(number->number))
        return false;
    universe.universe = static_cast<uint16_t>(number->number);
    return readLevels(object.member("levels"), universe.levels);
}

}  // namespace

std::optional<SourcePattern> parseSourcePattern(std::string_view text) {
    const std::size_t colon = text.find(':');
    const std::string_view name = text.substr(0, colon);
    const std::string_view value = colon == std::string_view::npos ? std::string_view() : text.substr(colon + 1);
    const std::string_view rest = colon == std::string_view::npos ? std::string_view() : text.substr(colon);
    SourcePattern pattern;
    if (name == "static" && colon != std::string_view::npos) {
        const auto level = parseListNumber(value, 0, 255);
        if (!level) return std::nullopt;
        pattern.level = static_cast<uint8_t>(*level);
        return pattern;
    }
    if (name == "levels" && colon != std::string_view::npos) {
        const auto levels = parseSlotValues(value, 255);
        if (!levels) return std::nullopt;
        pattern.kind = PatternKind::Levels;
        pattern.levels = *levels;
        return pattern;
    }
    if (name == "snapshot" && !value.empty()) {
        pattern.kind = PatternKind::Snapshot;
        pattern.file = std::string(value);
        return pattern;
    }
    if (name == "chase") return timedPattern(PatternKind::Chase, rest, kChaseStepMs);
    if (name == "ramp") return timedPattern(PatternKind::Ramp, rest, kRampCycleMs);
    if (name == "wave") return timedPattern(PatternKind::Wave, rest, kWaveCycleMs);
    return std::nullopt;
}

bool readSnapshotLevels(std::string_view json, SourcePattern& pattern) {
    const auto document = parseJson(json);
    if (!document) return false;
    pattern.snapshot.clear();
    if (const JsonValue* universes = document->member("universes")) {
        if (universes->kind != JsonValue::Kind::Array) return false;
        for (const JsonValue& item : universes->items) {
            if (!readUniverse(item, pattern.snapshot.emplace_back())) return false;
        }
    } else if (!readUniverse(*document, pattern.snapshot.emplace_back())) {
        return false;
    }
    std::stable_sort(pattern.snapshot.begin(), pattern.snapshot.end(),
                     [](const SnapshotUniverse& a, const SnapshotUniverse& b) { return a.universe < b.universe; });
    return true;
}

bool patternIsConstant(const SourcePattern& pattern) {
    return pattern.kind == PatternKind::Static || pattern.kind == PatternKind::Levels || pattern.kind == PatternKind::Snapshot;
}

bool patternIsShared(const SourcePattern& pattern) {
    return pattern.kind != PatternKind::Chase && pattern.kind != PatternKind::Snapshot;
}

void fillPatternLevels(const SourcePattern& pattern, const PatternPlace& place, uint64_t timeMs, uint8_t* out) {
    const std::size_t slots = place.slots;
    switch (pattern.kind) {
    case PatternKind::Static:
        std::memset(out, pattern.level, slots);
        return;
    case PatternKind::Levels:
        std::memcpy(out, pattern.levels.data(), slots);
        return;
    case PatternKind::Snapshot: {
        const auto found = std::lower_bound(pattern.snapshot.begin(), pattern.snapshot.end(), place.universe,
                                            [](const SnapshotUniverse& s, uint16_t u) { return s.universe < u; });
        const bool held = found != pattern.snapshot.end() && found->universe == place.universe;
        if (held) std::memcpy(out, found->levels.data(), slots);
        if (!held) std::memset(out, 0, slots);
        return;
    }
    case PatternKind::Chase: {
        // One lit slot walks through every universe in turn.
        const uint64_t position = (timeMs / pattern.periodMs) % (place.count * slots);
        std::memset(out, 0, slots);
        if (position / slots == place.index) out[position % slots] = 255;
        return;
    }
    case PatternKind::Ramp:
        std::memset(out, static_cast<int>((timeMs % pattern.periodMs) * 256 / pattern.periodMs), slots);
        return;
    case PatternKind::Wave: {
        const uint64_t phase = (timeMs % pattern.periodMs) * kSineSteps / pattern.periodMs;
        const auto& sine = sineLevels();
        for (std::size_t slot = 0; slot < slots; ++slot) out[slot] = sine[(phase + slot * kSineSteps / slots) % kSineSteps];
        return;
    }
    }
}
