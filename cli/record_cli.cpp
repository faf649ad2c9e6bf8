#include <chrono>

#include "../core/clock.h"
#include "../core/exit_codes.h"
#include "../net/capture/record_receive.h"
#include "capture_options.h"
#include "record_cli.h"
#include "stop_signals.h"
#include "../core/universe_list.h"

namespace {

int64_t wallMinusMonotonicUs() {
    using namespace std::chrono;
    const auto wall = duration_cast<microseconds>(system_clock::now().time_since_epoch()).count();
    return static_cast<int64_t>(wall) - static_cast<int64_t>(monotonicMicroseconds());
}

int recordInto(const ArgumentVector& args, const ScanSockets& sockets, int32_t listenMs, const std::atomic<bool>& stop) {
    RecordingFile file;
    const uint64_t start = monotonicMicroseconds();
    if (!openRecordingFile(file, optionValue(args, capture_options::kOutput), start)) {
        closeRecordingFile(file);
        return kOutputNotWritten;
    }
    const uint64_t deadline = listenMs == 0 ? 0 : start + static_cast<uint64_t>(listenMs) * 1000;
    recordDatagrams(sockets, file, deadline, stop, wallMinusMonotonicUs());
    const uint64_t recorded = file.datagrams;
    if (!closeRecordingFile(file)) return kOutputNotWritten;
    return recorded == 0 ? kNothingReceived : kSuccess;
}

}  // namespace

int runRecord(const ArgumentVector& args) {
    const auto listenMs = numericOptionValue(args, capture_options::kListenMs);
    const auto universes = parseUniverseList(optionValue(args, capture_options::kUniverses));
    if (!listenMs || !universes) return kInvalidArguments;
    Ipv4Address local;
    if (!parseIpv4(optionValue(args, capture_options::kLocal), local)) return kBindFailed;

    // From here a stop request ends the recording in order, even one that comes while the
    // many group sockets are still being opened.
    watchStopSignals();
    ScanSockets sockets;
    const ScanOpenResult opened = openScanSockets(sockets, local, *universes);
    int result = opened == ScanOpenResult::SocketNotCreated ? kSocketNotCreated : kBindFailed;
    if (opened == ScanOpenResult::Opened) {
        // Every datagram's destination goes into the file, not only where a socket's role needs it.
        for (const ScanSocket& socket : sockets.sockets) setReceiveDestination(socket.handle, true);
        result = recordInto(args, sockets, *listenMs, stopFlag());
        closeScanSockets(sockets);
    }
    restoreStopSignals();
    return result;
}
