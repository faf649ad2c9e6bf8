#pragma once
// A second network namespace joined to the test's by a veth pair: 10.78.0.1 on rra here,
// 10.78.0.2 on rrb there, multicast routed out of rrb. The tests' peers (the Linux binary,
// npm sacn) run there, so that their traffic crosses an interface.
#include <signal.h>
#include <unistd.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "core/tests/run_binary.h"

inline std::string namespaceOf(const std::string& process) {
    char link[64] = {};
    return readlink(("/proc/" + process + "/ns/net").c_str(), link, sizeof link - 1) > 0 ? link : "";
}

// A child still running when a check gives up is killed, so that it holds no port after;
// one already reaped (no such process any more) is left alone.
struct EndsWithTheTest {
    RunningBinary& child;
    ~EndsWithTheTest() {
        if (kill(static_cast<pid_t>(child.pid), 0) != 0 || exitCodeIfEnded(child)) return;
        signalBinary(child, SIGKILL);
        waitForExit(child, 5000);
    }
};

// The peer namespace, held by a sleeping process; commands enter it with nsenter.
struct PeerNamespace {
    RunningBinary holder = startBinary("/usr/bin/unshare", {"-n", "sleep", "600"});
    const EndsWithTheTest endsHolder{holder};
    std::string enter = "--net=/proc/" + std::to_string(holder.pid) + "/ns/net";
    bool ready = false;

    PeerNamespace() {
        waitFor([&] { return namespaceOf(std::to_string(holder.pid)) != namespaceOf("self"); }, 2000);
        // The pair of a namespace that just ended may still be on its way out.
        ready = std::system(("ip link del rra 2>/dev/null; ip link add rra type veth peer name rrb netns " + enter.substr(6) +
                             " && ip addr add 10.78.0.1/24 broadcast 10.78.0.255 dev rra && ip link set rra up"
                             " && nsenter " + enter + " sh -c 'ip link set lo up && ip link set rrb up &&"
                             " ip addr add 10.78.0.2/24 broadcast 10.78.0.255 dev rrb && ip route add 224.0.0.0/4 dev rrb'")
                                .c_str()) == 0;
    }
    int run(std::vector<std::string> command) const {
        command.insert(command.begin(), enter);
        return runBinary("/usr/bin/nsenter", command);
    }
};
