#pragma once
// Captures UDP on the DMX ports with tshark and reads fields back through Wireshark's own
// dissectors, an implementation of both protocols that we did not write.
#include <string>
#include <vector>

#include "core/tests/run_binary.h"

struct TsharkCapture {
    RunningBinary process;
    std::string pcap;
    std::string log;
};

// Starts capturing `count` packets (UDP ports 5568 and 6454) on the interface and returns
// once the filter is attached; the capture ends by itself after `count` packets or 20 s.
TsharkCapture startTsharkCapture(const std::string& interface, int count);

// Waits for the capture to end; true when it ended normally.
bool finishTsharkCapture(TsharkCapture& capture);

// One row per packet, the fields in the order given (tshark -e options), split at ';'.
std::vector<std::vector<std::string>> dissectFields(const TsharkCapture& capture, const std::string& fields);
