#pragma once
// --source's word, options, exit codes and summary keys. The parser takes its defaults and
// ranges from here, and --help prints the same entries.
#include <string_view>

#include "../core/exit_codes.h"
#include "../core/option_lookup.h"

namespace source_options {

inline constexpr std::string_view kSource = "--source";

inline constexpr CommandLineOption kProtocol{"--protocol", "TEXT", "sACN", "sACN or Art-Net, exactly"};
// A list; its range depends on the protocol, so it is in the text.
inline constexpr CommandLineOption kUniverses{"--universes", "LIST", "1",
                                              "Universes to send, numbers and ranges such as 1-64,100: sACN 1 to "
                                              "63999, Art-Net Port-Addresses 0 to 32767"};
inline constexpr CommandLineOption kLocal{"--local", "ADDRESS", "0.0.0.0",
                                          "IPv4 address to send from (any port); multicast leaves by its interface"};
inline constexpr CommandLineOption kTarget{"--target", "ADDRESS", "",
                                           "IPv4 address every datagram but discovery is sent to instead of the "
                                           "protocol's own: sACN each universe's multicast group, Art-Net the "
                                           "directed broadcast of --local's interface (255.255.255.255 for 0.0.0.0)"};
inline constexpr CommandLineOption kRate{"--rate", "N",  "44",
                                         "Frames per second (above 44 only for load tests: DMX512 refreshes at "
                                         "most about 44 times a second)",
                                         1, 1000};
inline constexpr CommandLineOption kPattern{
    "--pattern", "PATTERN", "static:0",
    "static:N every slot at N; levels:1-24=255,25=128 the slots named (the rest 0); chase[:MS] one slot at 255 "
    "stepping every MS (default 1000) through every universe in turn; ramp[:MS] all slots 0 to 255 over MS "
    "(default 5000), again and again; wave[:MS] each slot a sine of period MS (default 5000) offset by its "
    "number; snapshot:FILE the merged levels of each universe of a --scan --levels document, or the universe of "
    "a --listen capture (universes it lacks at 0)"};
inline constexpr CommandLineOption kSlots{"--slots", "N", "512", "Slots per universe (Art-Net sends an odd count with "
                                                               "one more slot at 0)", 1, 512};
inline constexpr CommandLineOption kPriority{"--priority", "N", "100", "sACN universe priority", 0, 200};
inline constexpr CommandLineOption kPerAddress{"--per-address", "LIST", "",
                                               "sACN per-address priorities such as 1-24=150,25-48=0 (each 0 to 200, "
                                               "slots not named 0), sent as start code 0xDD packets at least once a "
                                               "second, sharing each universe's sequence numbers with its levels"};
inline constexpr CommandLineOption kSync{"--sync", "N",  "",
                                         "Synchronisation universe: every sACN data packet names it and a "
                                         "synchronisation packet follows each frame, to its group (or --target); "
                                         "with Art-Net an ArtSync follows each frame instead",
                                         1, 63999};
inline constexpr CommandLineOption kDiscovery{"--discovery", "", "",
                                              "sACN universe discovery: the universes, in pages of at most 512, to "
                                              "239.255.250.214 every 10 s from the start"};
inline constexpr CommandLineOption kName{"--name", "TEXT", "Lumibox",
                                         "sACN source name, UTF-8, cut at a character boundary to 63 bytes"};
inline constexpr CommandLineOption kCid{"--cid", "UUID", "",
                                        "Fixed sACN CID as xxxxxxxx-xxxx-xxxx-xxxx-xxxxxxxxxxxx, so that a run "
                                        "can stand in for the same source again; without it a random one"};
inline constexpr CommandLineOption kPreview{"--preview", "", "", "Set the preview option on every sACN data packet"};
inline constexpr CommandLineOption kDuration{"--duration", "MS",
                                             "0", "Sending time in milliseconds; 0 sends until SIGINT or SIGTERM "
                                                  "(Ctrl+C or Ctrl+Break on Windows)",
                                             0, 86400000};
inline constexpr CommandLineOption kOutput{"--output", "PATH", "",
                                           "JSON summary to write at the end (replaced whole); none without it"};

inline constexpr const CommandLineOption* kOptions[] = {&kProtocol, &kUniverses, &kLocal,    &kTarget,   &kRate,
                                                        &kPattern,  &kSlots,     &kPriority, &kPerAddress, &kSync,
                                                        &kDiscovery, &kName,     &kCid,      &kPreview,  &kDuration,
                                                        &kOutput};

inline constexpr ExitCodeMeaning kExits[] = {
    {kSuccess, "the duration passed or SIGINT or SIGTERM came, every datagram was sent whole and the streams were "
               "terminated"},
    {kInvalidArguments, "invalid arguments: an option does not read or is out of range, no universe, or the "
                        "snapshot file cannot be read or holds no levels"},
    {kSocketNotCreated, "the UDP socket could not be created"},
    {kBindFailed, "--local is not an IPv4 address of this host, or the bind failed"},
    {kSendFailed, "datagrams could not be sent whole; the summary counts them"},
    {kOutputNotWritten, "the summary could not be written"}};

inline constexpr OutputKey kKeys[] = {
    {"protocol", "sACN or Art-Net"},
    {"universes", "universes sent"},
    {"cid", "the sACN CID; null for Art-Net"},
    {"rate", "frames per second asked for"},
    {"frames", "frames sent"},
    {"lateFrames", "frames sent more than 1 ms after their deadline; each went at once"},
    {"skippedFrames", "deadlines passed over meanwhile, never made up"},
    {"maxLatenessMs", "the largest delay of a frame behind its deadline"},
    {"elapsedMs", "from the first deadline to the end"},
    {"stoppedBy", "duration, or signal"},
    {"datagramsSent", "datagrams sent whole, every kind"},
    {"datagramsNotSent", "datagrams the system did not take whole"},
    {"levelPackets", "level packets (start code 0) sent whole, the terminated ones not included"},
    {"perAddressPriorityPackets", "start code 0xDD packets sent whole"},
    {"syncPackets", "synchronisation packets or ArtSync sent whole"},
    {"discoveryPackets", "universe discovery pages sent whole"},
    {"terminatedPackets", "stream-terminated packets sent whole: three per universe"}};

inline constexpr CommandLineMode kModes[] = {
    {kSource,
     "Send many universes at once as sACN or Art-Net, at --rate frames per second on absolute deadlines, with a "
     "test pattern, per-address priorities, synchronisation and universe discovery, for --duration or until "
     "stopped; a late frame goes at once and none is made up. At the end each sACN universe sends three "
     "stream-terminated packets. With --output it writes a JSON summary.",
     kOptions, kExits, {}, kKeys},
};

}  // namespace source_options
