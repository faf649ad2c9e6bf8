#pragma once
// --record's and --replay's words, options, exit codes and printed keys. The parsers take
// their defaults and ranges from here, and --help prints the same entries.
#include <string_view>

#include "../core/exit_codes.h"
#include "../core/option_lookup.h"
#include "scan_options.h"

namespace capture_options {

inline constexpr std::string_view kRecord = "--record";
inline constexpr std::string_view kReplay = "--replay";

inline constexpr const CommandLineOption& kLocal = scan_options::kLocal;
inline constexpr const CommandLineOption& kUniverses = scan_options::kUniverses;
inline constexpr CommandLineOption kListenMs{"--listen-ms", "MS", "0",
                                            "Recording time in milliseconds; 0 records until SIGINT or SIGTERM", 0,
                                            86400000};
inline constexpr CommandLineOption kOutput{"--output", "PATH", "dmx-record.pcapng",
                                           "pcapng file to write, created or replaced; - writes to standard "
                                           "output, each round of datagrams at once (lumibox --record --output - "
                                           "| tshark -i -)"};

inline constexpr CommandLineOption kReplayLocal{"--local", "ADDRESS", "0.0.0.0",
                                                "IPv4 address to send from; 0.0.0.0 lets the routes choose"};
inline constexpr CommandLineOption kTarget{"--target", "ADDRESS", "",
                                           "IPv4 address every datagram is sent to instead of its recorded "
                                           "destination; the port stays"};
// A decimal number, so its range is part of the text.
inline constexpr CommandLineOption kSpeed{"--speed", "X", "1",
                                          "Divides every recorded gap: 2 plays twice as fast; a decimal number from "
                                          "0.01 to 100 with up to three decimals"};
inline constexpr CommandLineOption kLoop{"--loop", "", "",
                                         "Start again from the first datagram after the last, one mean gap later, "
                                         "until SIGINT or SIGTERM"};

inline constexpr const CommandLineOption* kRecordOptions[] = {&kLocal, &kUniverses, &kListenMs, &kOutput};
inline constexpr const CommandLineOption* kReplayOptions[] = {&kReplayLocal, &kTarget, &kSpeed, &kLoop};

inline constexpr ExitCodeMeaning kRecordExits[] = {
    {kSuccess, "datagrams were recorded and the file is complete"},
    {kInvalidArguments, "invalid arguments: --listen-ms or --universes does not read or is out of range"},
    {kSocketNotCreated, "a UDP socket could not be created"},
    {kBindFailed, "--local is not an IPv4 address, a port could not be bound for another reason than another program "
                  "holding it, or other programs hold both ports so that neither is listened on"},
    {kOutputNotWritten, "the file could not be created or not be written whole (a full disk, a reader of "
                        "standard output or a pipe that left); a file ends after its last whole block"},
    {kNothingReceived, "nothing at all was heard; the file is still written, without packets"}};
inline constexpr ExitCodeMeaning kReplayExits[] = {
    {kSuccess, "every datagram was sent whole (also when SIGINT or SIGTERM ends --loop)"},
    {kInvalidArguments, "invalid arguments, or the file is unreadable, not a capture file or malformed "
                        "(truncated blocks, wrong lengths, absurd time stamps, huge snap lengths): nothing is "
                        "sent, and standard error says why"},
    {kSocketNotCreated, "the UDP socket could not be created"},
    {kBindFailed, "--local is not an IPv4 address of this host"},
    {kSendFailed, "at least one datagram was not sent whole"}};

inline constexpr OutputKey kReplayKeys[] = {
    {"records", "records in the file"},
    {"sent", "datagrams sent whole, over every pass"},
    {"notSentWhole", "datagrams the system did not take whole"},
    {"loops", "passes through the file begun"},
    {"latestUs", "the most any datagram went out after its send time, in microseconds"},
    {"skipped",
     "what is not sent, by reason: notIpv4 (other link layers and protocols), notUdp, fragments, cutShort (a small "
     "snap length), damaged (headers that do not fit), otherPorts (not to 5568 or 6454), notDmx (no sACN or "
     "Art-Net header)"}};

inline constexpr CommandLineMode kModes[] = {
    {kRecord,
     "Record every datagram reaching the DMX ports (5568 sACN data, synchronisation and discovery; 6454 "
     "Art-Net), whole, with its arrival time (the kernel's stamp; on Windows the time it was read), source and "
     "destination address and port, as IPv4/UDP packets in a pcapng file that Wireshark and tshark dissect. "
     "--local and --universes choose the sockets and groups as for --scan. The file is written in whole blocks "
     "at least every 500 ms, and is complete after SIGINT or SIGTERM (Ctrl+C on Windows); a failed write ends "
     "the recording at once.",
     kRecordOptions, kRecordExits},
    {kReplay,
     "Check the whole pcap or pcapng FILE (Ethernet, raw IP or Linux cooked link types) first, then "
     "send its sACN datagrams to 5568 and Art-Net datagrams to 6454 again, payloads unchanged, to their "
     "recorded destination (multicast group, broadcast or unicast) or to --target, keeping the recorded gaps "
     "divided by --speed. Other traffic is skipped and counted. Prints one line of JSON on standard output at "
     "the end.",
     kReplayOptions, kReplayExits, "FILE", kReplayKeys},
};

}  // namespace capture_options
