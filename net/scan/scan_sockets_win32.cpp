#include "scan_sockets.h"

#include <cstdint>

#include "../../core/clock.h"
#include "../../core/scan_codec.h"

// Windows hands a socket bound to one unicast address (or to 0.0.0.0) the unicast to it,
// the broadcast of its interface and the groups it joined itself, and tells nothing of a
// datagram's destination. So each port has one socket, bound to --local, that keeps all it
// gets, and the groups are joined on the sACN one. A second socket of the port would get
// every broadcast again and could not tell them apart, so universes whose join that one
// socket refuses are reported as not joined instead.
//
// Of sockets sharing a port with address reuse, Windows hands unicast to any one, so a
// shared bind could take another program's unicast. Each socket is therefore bound without
// reuse: where another program holds the port, the scan does not listen on it at all.
//
// A group joined "on any interface" is joined only where Windows' routes point, so with
// 0.0.0.0 a source on any other interface would never be heard: each group is joined by one
// address of every interface that is up instead, as the receive endpoint does.

namespace {

constexpr Ipv4Address kAnyAddress{};
constexpr Ipv4Address kLimitedBroadcast{{255, 255, 255, 255}};

void noteInterface(ScanSockets& set, const LocalInterfaceAddress& item) {
    for (unsigned index : set.interfaceIndexes) {
        if (index == item.interfaceIndex) return;
    }
    set.interfaceIndexes.push_back(item.interfaceIndex);
    set.interfaceJoinAddresses.push_back(item.address);
}

bool joinGroup(const ScanSockets& set, SocketHandle socket, Ipv4Address group) {
    if (set.local != kAnyAddress || set.interfaceJoinAddresses.empty()) return joinMulticastGroup(socket, group, set.local);
    bool joined = false;
    for (Ipv4Address address : set.interfaceJoinAddresses) joined = joinMulticastGroup(socket, group, address) || joined;
    return joined;
}

}  // namespace

ScanOpenResult openScanSockets(ScanSockets& set, Ipv4Address local, const std::vector<uint16_t>& universes) {
    closeScanSockets(set);
    set = ScanSockets();
    set.local = local;
    Ipv4Address directed;
    for (const LocalInterfaceAddress& item : listInterfaceAddresses()) {
        set.hostAddresses.push_back(item.address);
        if (local == kAnyAddress) {
            set.interfaces.push_back(item.address);
            noteInterface(set, item);
            if (item.broadcast != kAnyAddress && item.broadcast != kLimitedBroadcast) set.pollTargets.push_back(item.broadcast);
        }
        if (item.address != local) continue;
        set.scopeInterface = item.interfaceIndex;
        directed = item.broadcast;
    }
    if (local != kAnyAddress) set.interfaces.push_back(local);
    if (local == kAnyAddress || directed == kAnyAddress) set.pollTargets.push_back(kLimitedBroadcast);
    if (local != kAnyAddress && directed != kAnyAddress) set.pollTargets.push_back(directed);
    for (DmxProtocol port : {DmxProtocol::Sacn, DmxProtocol::ArtNet}) {
        const SocketHandle socket = openUdpSocket();
        if (socket == kInvalidSocket) {
            closeScanSockets(set);
            return ScanOpenResult::SocketNotCreated;
        }
        setBroadcast(socket, true);
        prepareBatchReceive(socket);
        setNonBlocking(socket, true);
        ScanPortUnicast& unicast = set.unicast[portSlot(port)];
        if (!bindSocket(socket, local, protocolPort(port))) {
            unicast.bindError = lastSocketError();
            unicast.heldElsewhere = unicast.bindError == socketErrorCode(SocketError::AddressInUse);
            closeSocket(socket);
            if (unicast.heldElsewhere) continue;
            closeScanSockets(set);
            return ScanOpenResult::BindFailed;
        }
        unicast.heard = unicast.listened = true;
        set.sockets.push_back({socket, port, ScanSocketRole::Everything, 0});
    }
    if (set.sockets.empty()) return ScanOpenResult::BindFailed;
    for (const ScanSocket& socket : set.sockets) {
        if (socket.port == DmxProtocol::ArtNet) set.pollSocket = socket.handle;
    }
    ScanSocket& sacn = set.sockets[0];
    const bool hasSacn = sacn.port == DmxProtocol::Sacn;
    if (hasSacn && joinGroup(set, sacn.handle, sacnGroupAddress(kSacnDiscoveryUniverse))) ++sacn.memberships;
    for (uint16_t universe : universes) {
        if (joinScanUniverse(set, universe)) {
            ++set.joinedUniverses;
        } else {
            set.unjoinedUniverses.push_back(universe);
        }
    }
    return ScanOpenResult::Opened;
}

bool joinScanUniverse(ScanSockets& set, uint16_t universe) {
    const uint64_t start = monotonicMicroseconds();
    ScanSocket& sacn = set.sockets[0];
    if (sacn.port != DmxProtocol::Sacn) return false;  // another program holds the sACN port
    const bool joined = joinGroup(set, sacn.handle, sacnGroupAddress(universe));
    if (joined) {
        ++sacn.memberships;
        if (universe < set.joined.size()) set.joined.set(universe);
    }
    set.joinUs += monotonicMicroseconds() - start;
    return joined;
}

std::size_t raiseScanUniverseCapacity(Ipv4Address) { return SIZE_MAX; }

bool acceptsScanDatagram(ScanSocketRole, unsigned, const DatagramDestination&) { return true; }
