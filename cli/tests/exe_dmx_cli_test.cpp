// lumibox.exe's DMX command-line modes under wine, end to end: the exit codes of the Linux
// binary's table, and --send and --listen across a veth pair with the Linux binary as the
// peer in a second network namespace, in both directions and both protocols, with the
// capture files and the packets on the wire compared byte for byte.
// Runs through `tools/wine-run.sh <prefix> --host` (see cli/tests/win32_exe_tests.cmake).
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "core/tests/run_binary.h"
#include "dmx_cli_cases.h"
#include "tshark_capture.h"
#include "wine_program.h"

namespace {

const std::string kLinuxBinary = LUMIBOX_BINARY;
const std::string kWindowsBinary = environmentText("LUMIBOX_WINDOWS_BINARY");

int runExe(const std::vector<std::string>& args, int timeoutMs = 30000) {
    return runWindowsProgram(kWindowsBinary, args, timeoutMs);
}

std::string namespaceOf(const std::string& pid) {
    std::error_code error;
    return std::filesystem::read_symlink("/proc/" + pid + "/ns/net", error).string();
}

// Waits until a UDP socket on address:port shows in a namespace's socket table (read
// through a process of that namespace). A probe bind would race with the program.
bool waitUntilBound(const std::string& pid, const char* hexAddress, int port) {
    char wanted[32];
    std::snprintf(wanted, sizeof wanted, "%s:%04X", hexAddress, port);
    for (int i = 0; i < 3000; ++i) {
        if (readWholeFile("/proc/" + pid + "/net/udp").find(wanted) != std::string::npos) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return false;
}

TEST(ExeDmxCli, ArgumentValidationExitCodes) {
    ASSERT_FALSE(kWindowsBinary.empty()) << "LUMIBOX_WINDOWS_BINARY is not set: run through ctest";
    for (const DmxExitCodeCase& c : kDmxExitCodeCases) {
        if (c.needsABindToFail) continue;  // wine binds it on 0.0.0.0 instead
        EXPECT_EQ(runExe(c.args), c.expected) << joinArguments(c.args);
    }
}

// lumibox.com runs lumibox.exe as a console would see it: its output on the console's
// handles and its exit code as the companion's own. The first case of each exit code of the
// table, an argument holding spaces, and the information modes with their text.
TEST(ExeDmxCli, ConsoleCompanionRelaysOutputAndExitCodes) {
    ASSERT_FALSE(kWindowsBinary.empty()) << "LUMIBOX_WINDOWS_BINARY is not set: run through ctest";
    const std::string companion = kWindowsBinary.substr(0, kWindowsBinary.size() - 4) + ".com";
    std::vector<int> seen;
    for (const DmxExitCodeCase& c : kDmxExitCodeCases) {
        if (c.needsABindToFail || std::find(seen.begin(), seen.end(), c.expected) != seen.end()) continue;
        seen.push_back(c.expected);
        EXPECT_EQ(runWindowsProgram(companion, c.args), c.expected) << joinArguments(c.args);
    }
    EXPECT_GE(seen.size(), 4u);
    // A path with spaces stays one argument (split, it would make no icon export at all).
    const std::string icon = makeTempDirectory() + "/an icon.ico";
    EXPECT_EQ(runWindowsProgram(companion, {"--export-icon", windowsPath(icon)}), 0);
    EXPECT_FALSE(readWholeFile(icon).empty());
    const std::vector<std::vector<std::string>> informationModes = {{"--help"}, {"--version"}, {"--help", "--listen"}};
    for (const std::vector<std::string>& args : informationModes) {
        std::vector<std::string> direct = {kWindowsBinary}, relayed = {companion};
        direct.insert(direct.end(), args.begin(), args.end());
        relayed.insert(relayed.end(), args.begin(), args.end());
        const BinaryRun expected = runBinaryCapturing(environmentText("WINE"), direct, "", 30000);
        const BinaryRun got = runBinaryCapturing(environmentText("WINE"), relayed, "", 30000);
        EXPECT_FALSE(expected.standardOutput.empty() && expected.standardError.empty()) << joinArguments(args);
        EXPECT_EQ(got.exitCode, expected.exitCode) << joinArguments(args);
        EXPECT_EQ(got.standardOutput, expected.standardOutput) << joinArguments(args);
        EXPECT_EQ(got.standardError, expected.standardError) << joinArguments(args);
    }
}

// This test's namespace holds lumibox.exe and 10.77.0.1 on lbxw; the peer namespace holds
// the Linux lumibox and 10.77.0.2 on lbxl. Wine sockets and Linux sockets never share a
// port in one namespace, where wine's binds could collide with the peer's.
class ExeExchange : public ::testing::TestWithParam<const char*> {
protected:
    static void SetUpTestSuite() {
        holder = startBinary("/usr/bin/unshare", {"-n", "/bin/sleep", "600"});
        peerPid = std::to_string(holder.pid);
        const std::string own = namespaceOf("self");
        for (int i = 0; i < 500 && (namespaceOf(peerPid).empty() || namespaceOf(peerPid) == own); ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        const std::string script =
            "ip link add lbxw type veth peer name lbxl netns " + peerPid +
            " && ip addr add 10.77.0.1/24 dev lbxw && ip link set lbxw up"
            " && nsenter -t " + peerPid + " -n sh -c 'ip link set lo up && ip addr add 10.77.0.2/24 dev lbxl && ip link set lbxl up'";
        ready = namespaceOf(peerPid) != own && std::system(script.c_str()) == 0;
    }
    static void TearDownTestSuite() { waitForExit(holder, 0); }  // the pair goes with the namespace
    void SetUp() override {
        ASSERT_TRUE(ready) << "no peer namespace with a veth pair";
        ASSERT_FALSE(kWindowsBinary.empty()) << "LUMIBOX_WINDOWS_BINARY is not set: run through ctest";
    }

    // The Linux lumibox, run in the peer namespace.
    RunningBinary startPeer(const std::vector<std::string>& args) {
        std::vector<std::string> all = {"-t", peerPid, "-n", kLinuxBinary};
        all.insert(all.end(), args.begin(), args.end());
        return startBinary("/usr/bin/nsenter", all);
    }

    static inline RunningBinary holder;
    static inline std::string peerPid;
    static inline bool ready = false;
};

// /proc/net/udp shows addresses as the 32-bit word in host order. Wine makes a UDP bind to
// an interface address (10.77.0.1) on 0.0.0.0, as it does for an address no interface has.
constexpr const char* kWindowsSideHex = "00000000";
constexpr const char* kLinuxSideHex = "02004D0A";  // 10.77.0.2

TEST_P(ExeExchange, SendAndListenAcrossTheVethPairInBothDirections) {
    const std::string protocol = GetParam();
    const bool sacn = protocol == "sACN";
    const int port = sacn ? 5568 : 6454;
    const std::string universe = sacn ? "4660" : "300";
    const std::vector<std::string> sendOptions = {"--protocol", protocol, "--universe", universe,
                                                  "--channel", "5", "--value", "99", "--pulse", "30"};
    const std::string dir = makeTempDirectory();
    TsharkCapture capture = startTsharkCapture("lbxw", 6);

    // Windows sends, Linux listens.
    const std::string linuxCapture = dir + "/from-windows.json";
    RunningBinary linuxListener =
        startPeer({"--listen", "--local", "10.77.0.2", "--protocol", protocol, "--universe", universe, "--output", linuxCapture});
    ASSERT_TRUE(waitUntilBound(peerPid, kLinuxSideHex, port));
    std::vector<std::string> windowsSend = {"--send", "--local", "10.77.0.1", "--target", "10.77.0.2"};
    windowsSend.insert(windowsSend.end(), sendOptions.begin(), sendOptions.end());
    EXPECT_EQ(runExe(windowsSend), 0);
    ASSERT_EQ(waitForExit(linuxListener, 10000), 0);

    // Linux sends, Windows listens, writing to a name beyond ASCII.
    const std::string windowsCapture = dir + "/aufnahme-\xC3\xBC\xE2\x86\x92.json";
    RunningBinary windowsListener = startWindowsProgram(
        kWindowsBinary, {"--listen", "--local", "10.77.0.1", "--protocol", protocol, "--universe", universe, "--output",
                         windowsPath(windowsCapture)});
    ASSERT_TRUE(waitUntilBound("self", kWindowsSideHex, port));
    std::vector<std::string> linuxSend = {"--send", "--local", "10.77.0.2", "--target", "10.77.0.1"};
    linuxSend.insert(linuxSend.end(), sendOptions.begin(), sendOptions.end());
    RunningBinary linuxSender = startPeer(linuxSend);
    EXPECT_EQ(waitForExit(linuxSender, 10000), 0);
    ASSERT_EQ(waitForExit(windowsListener, 30000), 0);

    // Both listeners took the sender's first packet, the all-zero one.
    const std::string expected = captureText(std::stoi(universe), 1, {});
    EXPECT_EQ(readWholeFile(linuxCapture), expected);
    EXPECT_EQ(readWholeFile(windowsCapture), expected);

    // On the wire: three packets each way; Wireshark reads the same fields from both
    // senders, and the bytes are the same but for the sACN CID, which each process makes.
    ASSERT_TRUE(finishTsharkCapture(capture)) << readWholeFile(capture.log);
    const std::string fields = sacn ? "-e acn.dmx.universe -e acn.dmx.seq_number -e acn.dmx.priority -e acn.dmx.source_name "
                                      "-e acn.dmx.count -e acn.dmx.start_code2 -e acn.dmx.options"
                                    : "-e artnet.output.universe -e artnet.output.length -e artnet.output.sequence "
                                      "-e artnet.header.opcode";
    const auto rows = dissectFields(capture, "-e ip.src -e udp.payload " + fields);
    std::vector<std::vector<std::string>> fromWindows, fromLinux;
    for (const auto& row : rows) {
        ASSERT_GE(row.size(), 3u);
        (row[0] == "10.77.0.1" ? fromWindows : fromLinux).push_back(row);
    }
    ASSERT_EQ(fromWindows.size(), 3u);
    ASSERT_EQ(fromLinux.size(), 3u);
    for (std::size_t i = 0; i < 3; ++i) {
        SCOPED_TRACE("packet " + std::to_string(i));
        std::vector<std::string> windowsRow = fromWindows[i], linuxRow = fromLinux[i];
        ASSERT_EQ(windowsRow.size(), linuxRow.size());
        EXPECT_EQ(fromLinux[i][0], "10.77.0.2");
        if (sacn) {  // the CID: bytes 22 to 37, hex digits 44 to 75
            ASSERT_GT(windowsRow[1].size(), 76u);
            EXPECT_NE(windowsRow[1].substr(44, 32), linuxRow[1].substr(44, 32)) << "each process makes its own CID";
            windowsRow[1].replace(44, 32, 32, '-');
            linuxRow[1].replace(44, 32, 32, '-');
        }
        for (std::size_t f = 1; f < windowsRow.size(); ++f) EXPECT_EQ(windowsRow[f], linuxRow[f]) << "field " << f;
        EXPECT_EQ(windowsRow[2], universe);
        if (sacn) {
            EXPECT_EQ(windowsRow[3], std::to_string(i + 1));
            EXPECT_EQ(windowsRow[4], "100");
            EXPECT_EQ(windowsRow[5], "Velmora Lumibox");
            EXPECT_EQ(windowsRow[6], "513") << "start code plus 512 slots";
        } else {
            EXPECT_EQ(windowsRow[3], "512");
            EXPECT_EQ(windowsRow[4], std::to_string(i + 1));
        }
    }
}

INSTANTIATE_TEST_SUITE_P(BothProtocols, ExeExchange, ::testing::Values("sACN", "Art-Net"),
                         [](const auto& param) { return std::string(param.param) == "sACN" ? "Sacn" : "ArtNet"; });

}  // namespace
