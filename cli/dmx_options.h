#pragma once
// The DMX modes' words, options and exit codes. The parser takes its defaults and ranges
// from here, and --help prints the same entries.
#include <string_view>

#include "../core/packet_codec.h"
#include "../core/exit_codes.h"
#include "../core/option_lookup.h"

namespace dmx_options {

inline constexpr std::string_view kSelfTest = "--self-test";
inline constexpr std::string_view kSend = "--send";
inline constexpr std::string_view kListen = "--listen";

// The universe's range depends on the protocol, so it is checked in code.
inline constexpr CommandLineOption kProtocol{"--protocol", "TEXT", "sACN",
                                             "Exactly \"sACN\" selects sACN, any other text Art-Net"};
inline constexpr CommandLineOption kUniverse{"--universe", "N", "100", "Universe number: sACN 1 to 63999, Art-Net 0 to 32767"};
inline constexpr CommandLineOption kLocal{"--local", "ADDRESS", "127.0.0.3",
                                          "IPv4 address to bind to, on the protocol's port: 5568 sACN, 6454 Art-Net"};
inline constexpr CommandLineOption kTarget{"--target", "ADDRESS", "127.0.0.1",
                                           "IPv4 destination, unicast or multicast; names are not resolved"};
inline constexpr CommandLineOption kChannel{"--channel", "N", "1", "Slot that is pulsed", 1, kDmxSlotCount};
inline constexpr CommandLineOption kValue{"--value", "N", "255", "Level held during the pulse", 0, 255};
inline constexpr CommandLineOption kPulse{"--pulse", "MS", "200", "Pulse length in milliseconds", 30, 60000};
inline constexpr CommandLineOption kOutput{"--output", "PATH", "dmx-capture.json", "Capture file to write"};

inline constexpr const CommandLineOption* kSelfTestOptions[] = {&kProtocol, &kUniverse};
inline constexpr const CommandLineOption* kSendOptions[] = {&kProtocol, &kUniverse, &kLocal, &kTarget,
                                                            &kChannel,  &kValue,    &kPulse};
inline constexpr const CommandLineOption* kListenOptions[] = {&kProtocol, &kUniverse, &kLocal, &kOutput};

inline constexpr ExitCodeMeaning kInvalid{kInvalidArguments, "invalid arguments: a number or address that does not "
                                                             "read, a value out of range"};
inline constexpr ExitCodeMeaning kNoSocket{kSocketNotCreated, "the UDP socket could not be created"};
inline constexpr ExitCodeMeaning kNoBind{kBindFailed, "--local is not an IPv4 address, or the bind failed"};
inline constexpr ExitCodeMeaning kSelfTestExits[] = {
    {kSuccess, "both packets passed"}, kInvalid, {kSelfTestFailed, "a built packet failed validation"}};
inline constexpr ExitCodeMeaning kSendExits[] = {
    {kSuccess, "every packet was sent whole"}, kInvalid, kNoSocket, kNoBind,
    {kSendFailed, "at least one packet was not sent whole"}};
inline constexpr ExitCodeMeaning kListenExits[] = {
    {kSuccess, "a packet was captured"}, kInvalid, kNoSocket, kNoBind,
    {kOutputNotWritten, "the capture file could not be written"},
    {kNothingReceived, "no acceptable packet within 5000 ms"}};

inline constexpr CommandLineMode kModes[] = {
    {kSelfTest, "Build an Art-Net and an sACN packet for the universe in memory and validate both. Opens no socket.",
     kSelfTestOptions, kSelfTestExits},
    {kSend,
     "Send all 512 levels at 0, wait 40 ms, send the channel at the value every 33 ms until the pulse length has "
     "passed, then the channel at 0 once. Interrupted (SIGINT, SIGTERM), it sends the channel at 0 at once and then "
     "ends by the signal.",
     kSendOptions, kSendExits},
    {kListen,
     "Wait up to 5000 ms for the first valid packet of the universe addressed to --local and write it as one line "
     "of JSON: {\"universe\":N,\"sequence\":N,\"levels\":[512 levels]}.",
     kListenOptions, kListenExits},
};

}  // namespace dmx_options
