#pragma once
// Where --scan --follow writes its lines: standard output ("-") or a file, one whole
// document a line. A reader that stops reading holds a write up only while the run goes
// on: once a stop signal has come, the line under way and the last one have until
// kStopGraceMs after it, so that the run still ends soon, and when the reader has not
// taken them by then they count as not written.
#include <cstdint>
#include <fstream>
#include <string>
#include <string_view>

struct FollowOutput {
    int descriptor = -1;          // POSIX: standard output or the file opened here
    bool ownsDescriptor = false;
    std::ofstream file;           // Windows: the file, when not standard output
    bool toStandardOutput = false;
    uint64_t stopDeadlineUs = 0;  // 0 until a stop signal has been seen
};

constexpr int kStopGraceMs = 750;

// False when the file cannot be created.
bool openFollowOutput(FollowOutput& output, const std::string& path);
// The line and a newline, whole; false when they could not be written (the reader left,
// a write error, or a stop signal's grace passed first).
bool writeFollowLine(FollowOutput& output, std::string_view line);
void closeFollowOutput(FollowOutput& output);
