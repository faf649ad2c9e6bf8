#include "tshark_capture.h"

#include <chrono>
#include <sstream>
#include <thread>

namespace {

std::vector<std::vector<std::string>> splitRows(const std::string& text) {
    std::vector<std::vector<std::string>> rows;
    std::istringstream lines(text);
    std::string line;
    while (std::getline(lines, line)) {
        std::vector<std::string> fields;
        std::istringstream parts(line);
        std::string field;
        while (std::getline(parts, field, ';')) fields.push_back(field);
        if (line.ends_with(';')) fields.emplace_back();
        rows.push_back(fields);
    }
    return rows;
}

}  // namespace

TsharkCapture startTsharkCapture(const std::string& interface, int count) {
    const std::string dir = makeTempDirectory();
    TsharkCapture capture;
    capture.pcap = dir + "/wire.pcap";
    capture.log = dir + "/tshark.log";
    capture.process = startBinary("/bin/sh", {"-c", "exec tshark -i " + interface +
                                                        " -f 'udp port 5568 or udp port 6454' -a duration:20 -c " +
                                                        std::to_string(count) + " -w " + capture.pcap + " 2>" + capture.log});
    for (int i = 0; i < 300 && readWholeFile(capture.log).find("Capturing on") == std::string::npos; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    // dumpcap announces the interface a moment before its filter is attached.
    std::this_thread::sleep_for(std::chrono::milliseconds(1000));
    return capture;
}

bool finishTsharkCapture(TsharkCapture& capture) { return waitForExit(capture.process, 30000) == 0; }

std::vector<std::vector<std::string>> dissectFields(const TsharkCapture& capture, const std::string& fields) {
    const std::string out = capture.pcap + ".fields";
    runBinary("/bin/sh", {"-c", "tshark -r " + capture.pcap +
                                    " --enable-heuristic acn -o acn.dmx_enable:TRUE -T fields -E separator=';' " + fields +
                                    " >" + out + " 2>/dev/null"});
    return splitRows(readWholeFile(out));
}
