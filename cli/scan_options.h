#pragma once
// --scan's word, options and exit codes. The parser takes its defaults and ranges from
// here, and --help prints the same entries.
#include <string_view>

#include "../core/exit_codes.h"
#include "../core/option_lookup.h"

namespace scan_options {

inline constexpr std::string_view kScan = "--scan";

inline constexpr CommandLineOption kLocal{"--local", "ADDRESS", "0.0.0.0",
                                          "IPv4 address of the interface to listen on; 0.0.0.0 listens on every "
                                          "interface"};
inline constexpr CommandLineOption kListenMs{"--listen-ms", "MS", "3000",
                                             "Listening time in milliseconds (with --follow, 0: until SIGINT or "
                                             "SIGTERM)",
                                             100, 60000};
// Not a number but a list; the range bounds each universe in it. No list joins no group.
inline constexpr CommandLineOption kUniverses{"--universes", "LIST", "",
                                              "sACN universes whose multicast groups are joined, such as 1-16,100: "
                                              "numbers and ranges",
                                              1, 63999};
inline constexpr CommandLineOption kPoll{"--poll", "", "",
                                         "Send an ArtPoll at the start, and with --follow every 3 s, to the directed "
                                         "broadcast of --local's interface (for 0.0.0.0: of every interface that is up, "
                                         "and 255.255.255.255)"};
inline constexpr CommandLineOption kLevels{"--levels", "", "",
                                           "Add the merged levels of every universe, the winning source of each slot, "
                                           "and each source's levels and per-address priorities"};
inline constexpr CommandLineOption kFollow{"--follow", "", "",
                                           "Write one whole document per --interval-ms as a line of JSON, flushed, "
                                           "until --listen-ms has passed"};
inline constexpr CommandLineOption kIntervalMs{"--interval-ms", "MS", "1000", "With --follow: time between lines", 100,
                                               60000};
inline constexpr CommandLineOption kOutput{"--output", "PATH", "dmx-scan.json",
                                           "Scan report to write; - writes to standard output"};

inline constexpr const CommandLineOption* kOptions[] = {&kLocal, &kListenMs, &kUniverses, &kPoll,
                                                        &kLevels, &kFollow, &kIntervalMs, &kOutput};

inline constexpr ExitCodeMeaning kExits[] = {
    {kSuccess, "the report was written (with --follow: every line, up to the end or a stop signal)"},
    {kInvalidArguments,
     "invalid arguments: --listen-ms, --interval-ms or --universes does not read or is out of range, or the "
     "system cannot hold the memberships of that many universes"},
    {kSocketNotCreated, "a UDP socket could not be created"},
    {kBindFailed, "--local is not an IPv4 address, a port could not be bound for another reason than another "
                  "program holding it, or other programs hold both ports so that neither is listened on"},
    {kOutputNotWritten, "the report could not be written, or the reader of --follow's lines closed them, or after a "
                        "stop signal did not take the last one within 750 ms"},
    {kNothingReceived, "nothing at all was heard; the document (empty lists) is written all the same"}};

inline constexpr CommandLineMode kModes[] = {
    {kScan,
     "Listen on both DMX ports at once (5568 sACN, 6454 Art-Net) for the listening time and write one JSON "
     "document: every sACN source and universe, synchronisation and universe discovery, every Art-Net sender and "
     "Port-Address, the nodes that answered an ArtPoll, counts of the other datagrams, packet-interval percentiles "
     "of every source, and the events of the run (sources appearing, lost, returning; priority changes and conflicts; "
     "sequence errors; missing sync; wrong multicast groups; bad discovery pages; nodes appearing and gone; more "
     "than two Art-Net senders on a Port-Address); with --levels, every universe merged as a receiver outputs it. "
     "Following (--follow), it streams one document per interval, each with the events since the line before. "
     "Unicast is heard only on a port no other program holds (\"ports\" in the document says, per port); "
     "multicast and broadcast also beside other programs, unless they hold the port without sharing it: then "
     "the scan goes on with the other port.",
     kOptions, kExits},
};

}  // namespace scan_options
