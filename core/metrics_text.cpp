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

namespace {

void appendNameAndLabels(std::string& out, std::string_view name, std::span<const MetricLabel> labels) {
    out += name;
    if (!labels.empty()) {
        char separator = '{';
        for (const MetricLabel& label : labels) {
            out += separator;
            out += label.name;
            out += "=\"";
            appendMetricLabelValue(out, label.value);
            out += '"';
            separator = ',';
        }
        out += '}';
    }
    out += ' ';
}

}  // namespace

void appendMetricSample(std::string& out, std::string_view name, std::span<const MetricLabel> labels, uint64_t value) {
    appendNameAndLabels(out, name, labels);
    char digits[24];
    const auto end = std::to_chars(digits, digits + sizeof digits, value).ptr;
    out.append(digits, end);
    out += '\n';
}

void appendMetricDecimalSample(std::string& out, std::string_view name, std::span<const MetricLabel> labels, double value) {
    appendNameAndLabels(out, name, labels);
    char digits[32];
    const auto end = std::to_chars(digits, digits + sizeof digits, value).ptr;
    out.append(digits, end);
    out += '\n';
}
