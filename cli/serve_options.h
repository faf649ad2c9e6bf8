#pragma once
// --serve's word, options and exit codes: the parser and --help read the same entries.
// --local and --universes are --scan's own.
#include <string_view>

#include "../core/exit_codes.h"
#include "../core/option_lookup.h"
#include "scan_options.h"

namespace serve_options {

inline constexpr std::string_view kServe = "--serve";

inline constexpr CommandLineOption kPoll{"--poll", "", "",
                                         "Send an ArtPoll every 3 s to the directed broadcast of --local's interface "
                                         "(for 0.0.0.0: of every interface that is up, and 255.255.255.255)"};
inline constexpr CommandLineOption kHttp{"--http", "ADDRESS:PORT", "127.0.0.1:9775",
                                         "IPv4 address and TCP port (1 to 65535) the HTTP server listens on; only an "
                                         "address other than loopback makes it reachable from other machines"};

inline constexpr const CommandLineOption* kOptions[] = {&scan_options::kLocal, &scan_options::kUniverses, &kPoll, &kHttp};

inline constexpr ExitCodeMeaning kExits[] = {
    {kSuccess, "stopped by SIGINT or SIGTERM"},
    {kInvalidArguments, "invalid arguments: --universes does not read or is out of range, the system cannot hold "
                        "the memberships of that many universes, or --http is not ADDRESS:PORT"},
    {kSocketNotCreated, "a UDP socket could not be created, or the HTTP server could not start its threads"},
    {kBindFailed, "--local is not an IPv4 address, a DMX port could not be bound for another reason than another "
                  "program holding it, other programs hold both DMX ports so that neither is listened on, or the "
                  "HTTP address could not be bound"}};

inline constexpr CommandLineMode kModes[] = {
    {kServe,
     "Run the scan continuously and answer HTTP until SIGINT or SIGTERM (Ctrl+C on Windows): GET /metrics gives "
     "Prometheus metrics of every source, universe, Art-Net sender and node and the count of events by kind, GET "
     "/scan.json the scan document of --scan, GET /events.json the latest 10,000 events (?since=N: those after "
     "event N), GET /healthz 200 while the scan is receiving, GET / a live page of the universes, sources, merged "
     "levels and nodes for a phone's browser (read-only; with --http on a network address, everyone on that "
     "network can read it).",
     kOptions, kExits},
};

}  // namespace serve_options
