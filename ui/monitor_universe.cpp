#include "monitor_universe.h"

#include "../core/packet_codec.h"
#include "../net/dmx/datagram_feed.h"

void applyMonitorRequest(const WindowEngines& engines, const MonitorRequest& request, const MainWindowGestures& gestures) {
    // The fields are locked while receiving: stop first, as a user would have to.
    if (engines.dmx.receiveEndpoint != kInvalidSocket) gestures.click(kDmxStartRxButton);
    gestures.chooseEntry(kDmxProtocolSelector, 0);  // sACN
    gestures.typeText(kDmxUniverseField, std::to_string(request.universe));
    gestures.typeText(kDmxLocalIpv4Field, request.localIpv4);
    gestures.click(kDmxStartRxButton);
}

bool feedsMainWindow(const DmxUniverseState& state, DmxProtocol port, const uint8_t* data, std::size_t length) {
    if (port != state.protocol) return false;
    DmxPacketInfo info;
    return !parseDmxPacket(data, length, state.protocol, info) || info.universe == state.universe;
}

void followNetworkScan(WindowEngines& main, NetworkWindowEngines& network, const MainWindowGestures& gestures) {
    const DatagramFeed* wanted = network.scanning ? &network.feed : nullptr;
    if (wanted) {
        const DmxUniverseState* state = &main.state;
        DatagramFeed* feed = &network.feed;
        network.observer = [state, feed](DmxProtocol port, const ReceivedDatagram& d) {
            if (feedsMainWindow(*state, port, d.buffer, d.length)) pushDatagram(*feed, port, d.buffer, d.length, d.sender);
        };
        if (main.state.protocol == DmxProtocol::Sacn) joinMonitoredUniverse(network, static_cast<uint16_t>(main.state.universe));
    } else {
        network.observer = nullptr;
    }
    if (main.dmx.feed == wanted) return;
    const bool receiving = main.dmx.receiveEndpoint != kInvalidSocket;
    if (receiving) gestures.click(kDmxStartRxButton);  // Stop RX
    main.dmx.feed = wanted;
    if (receiving) gestures.click(kDmxStartRxButton);
}
