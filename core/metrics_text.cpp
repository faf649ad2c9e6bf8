#include "metrics_text.h"

#include <charconv>

#include "json_text.h"

namespace {

bool needsRepair(std::string_view value) {
    for (char c : value) {
        if (static_cast<unsigned char>(c) >= 0x80) return true;
    }
    return false;
}

}  // namespace

void appendMetricFamily(std::string& out, std::string_view name, MetricType type, std::string_view help) {
    out += "# HELP ";
    out += name;
    out += ' ';
    out += help;  // written by this program: no backslash or line feed to escape
    out += "\n# TYPE ";
    out += name;
    out += type == MetricType::Counter ? " counter\n" : type == MetricType::Gauge ? " gauge\n" : " histogram\n";
}

void appendMetricLabelValue(std::string& out, std::string_view value) {
    // Names are mostly ASCII: only text with high bytes goes through the UTF-8 repair.
    std::string repaired;
    if (needsRepair(value)) {
        repaired = toValidUtf8(value);
        value = repaired;
    }
    for (char c : value) {
        if (c == '\\' || c == '"') {
            out += '\\';
            out += c;
        } else if (c == '\n') {
            out += "\\n";
        } else {
            out += c;
        }
    }
}

void appendMetricSample(std::string& out, std::string_view name, std::initializer_list<MetricLabel> labels,
                        uint64_t value) {
    appendMetricSample(out, name, std::span<const MetricLabel>(labels.begin(), labels.size()), value);
}

void appendMetricLabelList(std::string& out, std::span<const MetricLabel> labels) {
    for (std::size_t i = 0; i < labels.size(); ++i) {
        if (i > 0) out += ',';
        out += labels[i].name;
        out += "=\"";
        appendMetricLabelValue(out, labels[i].value);
        out += '"';
    }
}

namespace {

void appendNameAndLabels(std::string& out, std::string_view name, std::span<const MetricLabel> labels) {
    out += name;
    if (!labels.empty()) {
        out += '{';
        appendMetricLabelList(out, labels);
        out += '}';
    }
    out += ' ';
}

void appendValue(std::string& out, uint64_t value) {
    char digits[24];
    const auto end = std::to_chars(digits, digits + sizeof digits, value).ptr;
    out.append(digits, end);
    out += '\n';
}

}  // namespace

void appendMetricSample(std::string& out, std::string_view name, std::span<const MetricLabel> labels, uint64_t value) {
    appendNameAndLabels(out, name, labels);
    appendValue(out, value);
}

void appendMetricSampleOf(std::string& out, std::string_view name, std::string_view labelList, std::string_view more,
                          uint64_t value) {
    out += name;
    out += '{';
    out += labelList;
    if (!more.empty()) {
        out += ',';
        out += more;
    }
    out += "} ";
    appendValue(out, value);
}

void appendMetricDecimalSampleOf(std::string& out, std::string_view name, std::string_view labelList, double value) {
    out += name;
    out += '{';
    out += labelList;
    out += "} ";
    char digits[32];
    const auto end = std::to_chars(digits, digits + sizeof digits, value).ptr;
    out.append(digits, end);
    out += '\n';
}
