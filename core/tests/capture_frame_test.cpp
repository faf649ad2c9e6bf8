#include <gtest/gtest.h>

#include <functional>

#include "core/captured_frame.h"
#include "core/replay_plan.h"

namespace {

using Bytes = std::vector<uint8_t>;

Bytes operator+(Bytes front, const Bytes& back) {
    front.insert(front.end(), back.begin(), back.end());
    return front;
}

const Bytes kPayload = {'A', 'r', 't', '-', 'N', 'e', 't', 0, 0x00, 0x50};

Bytes ipPacket() {
    Bytes ip;
    appendIpv4UdpPacket(ip, {{10, 1, 2, 3}, {10, 1, 2, 255}, 40000, 6454, kPayload});
    return ip;
}

}  // namespace

TEST(CapturedFrame, FindsTheDatagramUnderEachLinkLayerAndNamesWhatItIsNot) {
    struct Case {
        const char* name;
        LinkLayer link;
        Bytes header;
        std::function<void(Bytes&)> change;
        FrameContent expected;
    } cases[] = {
        {"raw IP", LinkLayer::RawIp, {}, {}, FrameContent::Udp},
        {"Ethernet", LinkLayer::Ethernet, Bytes(12, 0xEE) + Bytes{0x08, 0x00}, {}, FrameContent::Udp},
        {"Ethernet, VLAN tag", LinkLayer::Ethernet, Bytes(12, 0xEE) + Bytes{0x81, 0x00, 0, 7, 0x08, 0x00}, {}, FrameContent::Udp},
        {"Ethernet, 802.1ad then 802.1Q tag", LinkLayer::Ethernet, Bytes(12, 0xEE) + Bytes{0x88, 0xA8, 0, 5, 0x81, 0x00, 0, 7, 0x08, 0x00}, {}, FrameContent::Udp},
        {"Ethernet, IPv6", LinkLayer::Ethernet, Bytes(12, 0xEE) + Bytes{0x86, 0xDD}, {}, FrameContent::NotIpv4},
        {"Linux cooked", LinkLayer::LinuxCooked, Bytes(14, 0) + Bytes{0x08, 0x00}, {}, FrameContent::Udp},
        {"Linux cooked 2", LinkLayer::LinuxCooked2, Bytes{0x08, 0x00} + Bytes(18, 0), {}, FrameContent::Udp},
        {"BSD loopback", LinkLayer::BsdLoopback, Bytes{2, 0, 0, 0}, {}, FrameContent::Udp},
        {"BSD loopback, IPv6", LinkLayer::BsdLoopback, Bytes{30, 0, 0, 0}, {}, FrameContent::NotIpv4},
        {"IPv6 in raw IP", LinkLayer::RawIp, {}, [](Bytes& p) { p[0] = 0x60; }, FrameContent::NotIpv4},
        {"TCP", LinkLayer::RawIp, {}, [](Bytes& p) { p[9] = 6; }, FrameContent::NotUdp},
        {"first fragment", LinkLayer::RawIp, {}, [](Bytes& p) { p[6] = 0x20; }, FrameContent::Fragment},
        {"later fragment", LinkLayer::RawIp, {}, [](Bytes& p) { p[7] = 0x10; }, FrameContent::Fragment},
        {"cut by the snap length", LinkLayer::RawIp, {}, [](Bytes& p) { p.pop_back(); }, FrameContent::CutShort},
        {"header shorter than 20", LinkLayer::RawIp, {}, [](Bytes& p) { p[0] = 0x44; }, FrameContent::Damaged},
        {"UDP shorter than its header", LinkLayer::RawIp, {}, [](Bytes& p) { p[25] = 4; }, FrameContent::Damaged},
        {"UDP beyond the packet", LinkLayer::RawIp, {}, [](Bytes& p) { p[25] = 200; }, FrameContent::Damaged},
    };
    for (const Case& c : cases) {
        Bytes ip = ipPacket();
        if (c.change) c.change(ip);
        const Bytes frame = c.header + ip;
        UdpDatagramView found;
        EXPECT_EQ(findUdpDatagram(c.link, frame, found), c.expected) << c.name;
        if (c.expected != FrameContent::Udp) continue;
        EXPECT_EQ(found.source, (Ipv4Address{{10, 1, 2, 3}})) << c.name;
        EXPECT_EQ(found.destination, (Ipv4Address{{10, 1, 2, 255}})) << c.name;
        EXPECT_EQ(found.sourcePort, 40000) << c.name;
        EXPECT_EQ(found.destinationPort, 6454) << c.name;
        EXPECT_EQ(Bytes(found.payload.begin(), found.payload.end()), kPayload) << c.name;
    }
}

TEST(ReplayPlan, SpeedReadsAsADecimalNumberWithinItsRange) {
    const std::pair<const char*, std::optional<uint32_t>> cases[] = {
        {"1", 1000}, {"0.5", 500}, {"2.25", 2250}, {"100", 100000}, {"0.01", 10}, {".5", 500},
        {"", {}}, {".", {}}, {"1.", {}}, {"0", {}}, {"0.009", {}}, {"100.001", {}}, {"1.2345", {}},
        {"-1", {}}, {"1e2", {}}, {" 1", {}}, {"1,5", {}}};
    for (const auto& [text, expected] : cases) EXPECT_EQ(parseReplaySpeed(text), expected) << text;
}

TEST(ReplayPlan, SendTimesFollowTheFirstDatagramSentAndLoopOneMeanGapLater) {
    ReplayPlan plan;
    const Bytes packet = ipPacket();
    UdpDatagramView datagram;
    for (int64_t ms : {0, 5, 10, 30}) {  // the first record is no DMX: another port
        Bytes frame = packet;
        if (ms == 0) frame[23] = 99;
        const RecordUse use = takeCaptureRecord(plan, {100, ms * 1000000, LinkLayer::RawIp, frame}, datagram);
        EXPECT_EQ(use, ms == 0 ? RecordUse::Skip : RecordUse::Send) << ms;
    }
    // Sent at 5, 10 and 30 ms: 25 ms from first to last, a mean gap of 12.5 ms; at speed 2 half.
    EXPECT_EQ(replayLoopUs(plan, 2000), 18750u);
    EXPECT_EQ(replayDeadlineUs(plan, 2000, 1000, 1, 100 * 1000000000LL + 30000000), 1000u + 18750u + 12500u);
    EXPECT_EQ(replayDeadlineUs(plan, 1000, 1000, 0, 100 * 1000000000LL), 1000u) << "before the first: at once";
}
