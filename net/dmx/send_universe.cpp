#include "send_universe.h"

#include "../../core/packet_codec.h"

bool sendUniverse(DmxUniverseState& state, SocketHandle socket, Ipv4Address to, uint16_t port) {
    nextSequence(state);
    const DmxPacket packet = buildDmxPacket(state);
    const long sent = sendDatagram(socket, packet.data(), packet.size(), to, port);
    return sent == static_cast<long>(packet.size());
}
