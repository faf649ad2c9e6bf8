// Checks what --send puts on the wire against Wireshark's dissectors, an implementation
// of both protocols that we did not write. Runs inside a private network namespace.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/tests/run_binary.h"
#include "tshark_capture.h"

namespace {

const std::string kBinary = LUMIBOX_BINARY;

// Captures `count` packets on lo while the sends run, then dissects the given fields.
std::vector<std::vector<std::string>> captureAndDissect(int count, const std::vector<std::vector<std::string>>& sends,
                                                        const std::string& fields, int expectedExit = 0) {
    TsharkCapture capture = startTsharkCapture("lo", count);
    for (const auto& args : sends) EXPECT_EQ(runBinary(kBinary, args), expectedExit);
    EXPECT_TRUE(finishTsharkCapture(capture)) << readWholeFile(capture.log);
    return dissectFields(capture, fields);
}

}  // namespace

TEST(WireDissect, SacnFieldsAsWiresharkReadsThem) {
    const auto rows = captureAndDissect(
        9, {{"--send", "--universe", "4660", "--channel", "3", "--value", "77"}},
        "-e acn.dmx.universe -e acn.dmx.seq_number -e acn.dmx.priority -e acn.dmx.source_name -e acn.dmx.count "
        "-e acn.dmx.start_code2 -e acn.dmx.options");
    ASSERT_EQ(rows.size(), 9u);
    for (std::size_t i = 0; i < rows.size(); ++i) {
        ASSERT_EQ(rows[i].size(), 7u) << "packet " << i << " not dissected as E1.31";
        EXPECT_EQ(rows[i][0], "4660");
        EXPECT_EQ(rows[i][1], std::to_string(i + 1));
        EXPECT_EQ(rows[i][2], "100");
        EXPECT_EQ(rows[i][3], "Velmora Lumibox");
        EXPECT_EQ(rows[i][4], "513") << "start code plus 512 slots";
        EXPECT_EQ(rows[i][5], "0") << "null start code";
        EXPECT_EQ(rows[i][6], "0") << "no preview, not terminated";
    }
}

TEST(WireDissect, ArtDmxFieldsAsWiresharkReadsThem) {
    // Two runs: the second's counter starts again at 1 in a new process; 300 spans Net and SubUni.
    const auto rows = captureAndDissect(
        6, {{"--send", "--protocol", "Art-Net", "--universe", "300", "--pulse", "30"},
            {"--send", "--protocol", "Art-Net", "--universe", "7", "--pulse", "30"}},
        "-e artnet.output.universe -e artnet.output.length -e artnet.output.sequence -e artnet.header.opcode");
    ASSERT_EQ(rows.size(), 6u);
    const char* universes[] = {"300", "300", "300", "7", "7", "7"};
    const char* sequences[] = {"1", "2", "3", "1", "2", "3"};
    for (std::size_t i = 0; i < rows.size(); ++i) {
        ASSERT_GE(rows[i].size(), 3u) << "packet " << i << " not dissected as ArtDmx";
        EXPECT_EQ(rows[i][0], universes[i]) << "packet " << i;
        EXPECT_EQ(rows[i][1], "512");
        EXPECT_EQ(rows[i][2], sequences[i]);
    }
}

TEST(WireDissect, ScanPollAsWiresharkReadsIt) {
    // Its own poll is all the scan hears on loopback, and that is not counted: exit 7.
    const auto rows = captureAndDissect(1, {{"--scan", "--local", "127.0.0.1", "--listen-ms", "300", "--poll"}},
                                        "-e artnet.header.opcode -e artnet.header.protver -e artnet.poll.talktome "
                                        "-e artnet.poll.diag_priority -e udp.srcport -e ip.dst",
                                        7);
    ASSERT_EQ(rows.size(), 1u);
    ASSERT_EQ(rows[0].size(), 6u) << "not dissected as ArtPoll";
    EXPECT_EQ(rows[0][0], "0x2000");
    EXPECT_EQ(rows[0][1], "14");
    EXPECT_EQ(rows[0][2], "0x00");
    EXPECT_EQ(rows[0][3], "0");
    EXPECT_EQ(rows[0][4], "6454");
    EXPECT_EQ(rows[0][5], "255.255.255.255");
}
