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
inline constexpr CommandLineOption kListenMs{"--listen-ms", "MS", "3000", "Listening time in milliseconds", 100, 60000};
// Not a number but a list; the range bounds each universe in it. No list joins no group.
inline constexpr CommandLineOption kUniverses{"--universes", "LIST", "",
                                              "sACN universes whose multicast groups are joined, such as 1-16,100: "
                                              "numbers and ranges",
                                              1, 63999};
inline constexpr CommandLineOption kPoll{"--poll", "", "",
                                         "Send one ArtPoll at the start, to the directed broadcast of --local's "
                                         "interface (255.255.255.255 for 0.0.0.0)"};
inline constexpr CommandLineOption kOutput{"--output", "PATH", "dmx-scan.json", "Scan report to write"};

inline constexpr const CommandLineOption* kOptions[] = {&kLocal, &kListenMs, &kUniverses, &kPoll, &kOutput};

inline constexpr ExitCodeMeaning kExits[] = {
    {kSuccess, "the report was written"},
    {kInvalidArguments, "invalid arguments: --listen-ms or --universes does not read or is out of range"},
    {kSocketNotCreated, "a UDP socket could not be created"},
    {kBindFailed, "--local is not an IPv4 address, or a port could not be bound for another reason than another "
                  "program holding it (on Windows: other programs hold both ports)"},
    {kOutputNotWritten, "the report could not be written"},
    {kNothingReceived, "nothing at all was heard; no file is written"}};

inline constexpr CommandLineMode kModes[] = {
    {kScan,
     "Listen on both DMX ports at once (5568 sACN, 6454 Art-Net) for the listening time and write one JSON "
     "document: every sACN source and universe, synchronisation and universe discovery, every Art-Net sender and "
     "port-address, the nodes that answered an ArtPoll, and counts of the other datagrams. Unicast is heard only "
     "on a port no other program holds (\"ports\" in the document says, per port); multicast and broadcast also "
     "beside other programs.",
     kOptions, kExits},
};

}  // namespace scan_options
