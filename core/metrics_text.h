#pragma once
// Prometheus text exposition, format 0.0.4: a family's HELP and TYPE lines, then one line
// per sample, `name{label="value",...} number`.
#include <cstdint>
#include <initializer_list>
#include <span>
#include <string>
#include <string_view>

inline constexpr std::string_view kMetricsContentType = "text/plain; version=0.0.4; charset=utf-8";

enum class MetricType : uint8_t { Counter, Gauge, Histogram };

struct MetricLabel {
    std::string_view name;
    std::string_view value;  // any bytes; written as valid UTF-8, escaped
};

void appendMetricFamily(std::string& out, std::string_view name, MetricType type, std::string_view help);
void appendMetricSample(std::string& out, std::string_view name, std::span<const MetricLabel> labels, uint64_t value);
void appendMetricSample(std::string& out, std::string_view name, std::initializer_list<MetricLabel> labels,
                        uint64_t value);

// `name="value",…` for labels that many samples share, escaped once (no braces).
void appendMetricLabelList(std::string& out, std::span<const MetricLabel> labels);
// name{labelList,more} value, labelList from appendMetricLabelList and more written as is
// (such as a histogram's le="0.5").
void appendMetricSampleOf(std::string& out, std::string_view name, std::string_view labelList, std::string_view more,
                          uint64_t value);

// A sample whose value is not a whole number (a histogram's sum), in the shortest form
// that reads back as the same double.
void appendMetricDecimalSampleOf(std::string& out, std::string_view name, std::string_view labelList, double value);

// A label value as the format wants it: invalid UTF-8 replaced by U+FFFD, and a backslash
// before '\' and '"'; a line feed becomes \n.
void appendMetricLabelValue(std::string& out, std::string_view value);
