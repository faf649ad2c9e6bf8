#include "scan_sockets.h"

#include <sys/resource.h>

#include <algorithm>
#include <fstream>

#include "../../core/clock.h"
#include "../../core/scan_codec.h"
#include "../socket/socket_linux.h"

// Linux delivers a datagram to the sockets whose bound address matches its destination:
// unicast to one socket only (the most specific bind, an IPv4 socket before an IPv6 one,
// else the one bound last), broadcast and multicast to every socket bound to that address
// or to every address, multicast only where the socket joined the group (IP_MULTICAST_ALL
// off). A socket bound to an interface address therefore never sees a group, and a socket
// may hold only so many memberships (igmp_max_memberships, 20).
//
// Unicast: per port one IPv4 socket, bound without address reuse to --local, so the bind
// succeeds only where no other program holds the port; address reuse is switched on after
// the bind, so that programs started later may still share the port (and, bound later,
// take its unicast). Where the bind is refused the port's unicast is not heard.
//
// Everything else comes from sockets that never take unicast from anyone: IPv6 sockets
// bound to [::] (openSharedPortSocket), or IPv4 ones bound to a broadcast or group address.
//
// Every interface (0.0.0.0): one shared socket per port keeps multicast and broadcast, the
// sACN one also holding the first memberships; further shared sockets hold the rest and
// keep multicast only.
//
// One interface address A: the directed broadcast of A's interface and 255.255.255.255 per
// port for broadcast (the latter checked for arriving on A's interface), the discovery group
// bound by its own address, and shared sockets for the universes' groups joined on A's
// interface, keeping multicast only.

namespace {

constexpr Ipv4Address kAnyAddress{};
constexpr Ipv4Address kLimitedBroadcast{{255, 255, 255, 255}};

bool isMulticast(Ipv4Address address) { return address.bytes[0] >= 224 && address.bytes[0] <= 239; }

void prepareScanSocket(SocketHandle socket, ScanSocketRole role) {
    setBroadcast(socket, true);
    setMulticastAll(socket, false);
    prepareBatchReceive(socket);
    setNonBlocking(socket, true);
    if (role != ScanSocketRole::Everything) setReceiveDestination(socket, true);
}

ScanSocket* keep(ScanSockets& set, SocketHandle socket, DmxProtocol port, ScanSocketRole role) {
    prepareScanSocket(socket, role);
    set.sockets.push_back({socket, port, role, 0});
    return &set.sockets.back();
}

// keep, for a socket bound to the port itself.
ScanSocket* keepListening(ScanSockets& set, SocketHandle socket, DmxProtocol port, ScanSocketRole role) {
    set.unicast[portSlot(port)].listened = true;
    return keep(set, socket, port, role);
}

// Adds an IPv4 socket bound with address reuse to a broadcast or group address; null (and
// nothing added) when it cannot be had.
ScanSocket* addSocket(ScanSockets& set, Ipv4Address address, DmxProtocol port, ScanSocketRole role) {
    const SocketHandle socket = openUdpSocket();
    if (socket == kInvalidSocket) return nullptr;
    setReuseAddress(socket, true);
    if (!bindSocket(socket, address, protocolPort(port))) {
        closeSocket(socket);
        return nullptr;
    }
    return keepListening(set, socket, port, role);
}

// Adds a socket of the port that hears no other program's unicast; null when it cannot be had.
ScanSocket* addSharedSocket(ScanSockets& set, DmxProtocol port, ScanSocketRole role) {
    const SocketHandle socket = openSharedPortSocket(protocolPort(port));
    return socket == kInvalidSocket ? nullptr : keepListening(set, socket, port, role);
}

// The port's unicast socket, bound to local only where no other program holds the port.
// False for a failure that ends the scan: no socket at all, or a bind refused for another
// reason than the port being in use (an address this host does not have).
bool addUnicastSocket(ScanSockets& set, DmxProtocol port, ScanSocketRole role) {
    ScanPortUnicast& unicast = set.unicast[portSlot(port)];
    const SocketHandle socket = openUdpSocket();
    if (socket == kInvalidSocket) return false;
    if (!bindSocket(socket, set.local, protocolPort(port))) {
        unicast.bindError = lastSocketError();
        unicast.heldElsewhere = unicast.bindError == socketErrorCode(SocketError::AddressInUse);
        closeSocket(socket);
        return unicast.heldElsewhere;
    }
    setReuseAddress(socket, true);  // from now on others may share the port
    unicast.heard = true;
    keepListening(set, socket, port, role);
    if (port == DmxProtocol::ArtNet) set.pollSocket = socket;
    return true;
}

// The socket ArtPoll leaves from: the Art-Net port's unicast socket where there is one,
// else one of its own on an ephemeral port, which also keeps the replies sent back to it.
void choosePollSocket(ScanSockets& set) {
    if (set.pollSocket != kInvalidSocket) return;
    const SocketHandle socket = openUdpSocket();
    if (socket == kInvalidSocket) return;
    if (!bindSocket(socket, set.local, 0)) {
        closeSocket(socket);
        return;
    }
    set.pollSocket = keep(set, socket, DmxProtocol::ArtNet, ScanSocketRole::Everything)->handle;
}

struct Membership {
    Ipv4Address group;
    unsigned interfaceIndex = 0;  // with every interface
    Ipv4Address interfaceAddress;  // with one address
};

bool join(SocketHandle socket, const Membership& m, bool everyInterface) {
    return everyInterface ? joinMulticastGroupOnInterface(socket, m.group, m.interfaceIndex)
                          : joinMulticastGroup(socket, m.group, m.interfaceAddress);
}

// Joins on the last group socket, or on a new one when that one is full. A join that fails
// on a socket of its own fails for a reason other than the limit.
bool joinSomewhere(ScanSockets& set, std::size_t& current, const Membership& m, bool everyInterface, ScanSocketRole role) {
    if (current < set.sockets.size() && join(set.sockets[current].handle, m, everyInterface)) {
        ++set.sockets[current].memberships;
        return true;
    }
    if (current < set.sockets.size() && set.sockets[current].memberships == 0) return false;
    if (addSharedSocket(set, DmxProtocol::Sacn, role) == nullptr) return false;
    current = set.sockets.size() - 1;
    if (!join(set.sockets[current].handle, m, everyInterface)) return false;
    ++set.sockets[current].memberships;
    return true;
}

std::vector<unsigned> interfaceIndexes(const std::vector<LocalInterfaceAddress>& interfaces) {
    std::vector<unsigned> indexes;
    for (const LocalInterfaceAddress& item : interfaces) {
        bool seen = false;
        for (unsigned index : indexes) seen = seen || index == item.interfaceIndex;
        if (!seen) indexes.push_back(item.interfaceIndex);
    }
    return indexes;
}

// Joins every interface (everyInterface) or local's; true when at least one join held.
bool joinUniverse(ScanSockets& set, uint16_t universe) {
    if (!set.unicast[portSlot(DmxProtocol::Sacn)].listened) return false;  // another program holds the port alone
    const uint64_t start = monotonicMicroseconds();
    const bool everyInterface = set.local == kAnyAddress;
    bool joined = false;
    if (everyInterface) {
        for (unsigned index : set.interfaceIndexes) {
            joined = joinSomewhere(set, set.groupSocket, {sacnGroupAddress(universe), index, {}}, true, set.groupRole) || joined;
        }
    } else {
        joined = joinSomewhere(set, set.groupSocket, {sacnGroupAddress(universe), 0, set.local}, false, set.groupRole);
    }
    if (joined && universe < set.joined.size()) set.joined.set(universe);
    set.joinUs += monotonicMicroseconds() - start;
    return joined;
}

void joinAskedUniverses(ScanSockets& set, const std::vector<uint16_t>& universes) {
    for (uint16_t universe : universes) {
        if (joinUniverse(set, universe)) {
            ++set.joinedUniverses;
        } else {
            set.unjoinedUniverses.push_back(universe);
        }
    }
}

// A number from a /proc/sys file; fallback when it cannot be read.
long systemSetting(const char* path, long fallback) {
    std::ifstream in(path);
    long value = 0;
    return in >> value ? value : fallback;
}

ScanOpenResult openEveryInterface(ScanSockets& set, const std::vector<uint16_t>& universes,
                                  const std::vector<LocalInterfaceAddress>& interfaces) {
    for (DmxProtocol port : {DmxProtocol::Sacn, DmxProtocol::ArtNet}) {
        if (!addUnicastSocket(set, port, ScanSocketRole::UnicastOnly)) return ScanOpenResult::BindFailed;
    }
    set.groupSocket = set.sockets.size();  // the shared sACN socket takes the first memberships
    set.groupRole = ScanSocketRole::GroupsOnly;
    for (DmxProtocol port : {DmxProtocol::Sacn, DmxProtocol::ArtNet}) {
        if (addSharedSocket(set, port, ScanSocketRole::GroupsAndBroadcast) != nullptr) continue;
        // Only a program holding the port without address reuse leaves the port unheard.
        const bool refused = set.unicast[portSlot(port)].heldElsewhere &&
                             lastSocketError() == socketErrorCode(SocketError::AddressInUse);
        if (!refused) return ScanOpenResult::BindFailed;
    }
    for (const LocalInterfaceAddress& item : interfaces) {
        set.interfaces.push_back(item.address);
        const bool directed = item.broadcast != kAnyAddress && item.broadcast != kLimitedBroadcast;
        if (directed && std::find(set.pollTargets.begin(), set.pollTargets.end(), item.broadcast) == set.pollTargets.end()) {
            set.pollTargets.push_back(item.broadcast);
        }
    }
    set.pollTargets.push_back(kLimitedBroadcast);
    choosePollSocket(set);
    joinUniverse(set, kSacnDiscoveryUniverse);
    joinAskedUniverses(set, universes);
    return ScanOpenResult::Opened;
}

ScanOpenResult openOneInterface(ScanSockets& set, const std::vector<uint16_t>& universes,
                                const std::vector<LocalInterfaceAddress>& interfaces) {
    Ipv4Address directedBroadcast;
    for (const LocalInterfaceAddress& item : interfaces) {
        // Any 127.x address is loopback's, though only 127.0.0.1 is listed.
        const bool loopback = set.local.bytes[0] == 127 && item.address.bytes[0] == 127;
        if (item.address != set.local && !(loopback && set.scopeInterface == 0)) continue;
        set.scopeInterface = item.interfaceIndex;
        directedBroadcast = item.broadcast;
    }
    for (DmxProtocol port : {DmxProtocol::Sacn, DmxProtocol::ArtNet}) {
        if (!addUnicastSocket(set, port, ScanSocketRole::Everything)) return ScanOpenResult::BindFailed;
    }
    set.interfaces.push_back(set.local);
    const bool hasDirected = directedBroadcast != kAnyAddress && directedBroadcast != kLimitedBroadcast;
    set.pollTargets.push_back(hasDirected ? directedBroadcast : kLimitedBroadcast);
    choosePollSocket(set);
    // Broadcast and discovery sockets are extras: a platform that refuses them still scans.
    for (DmxProtocol port : {DmxProtocol::Sacn, DmxProtocol::ArtNet}) {
        if (hasDirected) addSocket(set, directedBroadcast, port, ScanSocketRole::Everything);
        addSocket(set, kLimitedBroadcast, port, ScanSocketRole::LimitedBroadcast);
    }
    if (ScanSocket* discovery = addSocket(set, sacnGroupAddress(kSacnDiscoveryUniverse), DmxProtocol::Sacn,
                                          ScanSocketRole::Everything)) {
        if (joinMulticastGroup(discovery->handle, sacnGroupAddress(kSacnDiscoveryUniverse), set.local)) discovery->memberships = 1;
    }
    set.groupSocket = set.sockets.size();  // groups start on a socket of their own
    set.groupRole = ScanSocketRole::GroupsOnly;
    joinAskedUniverses(set, universes);
    return ScanOpenResult::Opened;
}

}  // namespace

ScanOpenResult openScanSockets(ScanSockets& set, Ipv4Address local, const std::vector<uint16_t>& universes) {
    closeScanSockets(set);
    set = ScanSockets();
    set.local = local;
    const std::vector<LocalInterfaceAddress> interfaces = listInterfaceAddresses();
    for (const LocalInterfaceAddress& item : interfaces) set.hostAddresses.push_back(item.address);
    set.interfaceIndexes = interfaceIndexes(interfaces);
    ScanOpenResult result =
        local == kAnyAddress ? openEveryInterface(set, universes, interfaces) : openOneInterface(set, universes, interfaces);
    for (ScanPortUnicast& port : set.unicast) port.sharingRefused = port.heldElsewhere && !port.listened;
    // With both ports held that way nothing at all could be heard.
    if (set.unicast[0].sharingRefused && set.unicast[1].sharingRefused) result = ScanOpenResult::BindFailed;
    if (result != ScanOpenResult::Opened) closeScanSockets(set);
    return result;
}

bool joinScanUniverse(ScanSockets& set, uint16_t universe) { return joinUniverse(set, universe); }

std::size_t raiseScanUniverseCapacity(Ipv4Address local) {
    rlimit files{};
    if (getrlimit(RLIMIT_NOFILE, &files) == 0 && files.rlim_cur < files.rlim_max) {
        files.rlim_cur = files.rlim_max;
        setrlimit(RLIMIT_NOFILE, &files);
        getrlimit(RLIMIT_NOFILE, &files);
    }
    // Room for the standard streams, the output, the ports' other sockets and the wait set.
    constexpr rlim_t kOtherFiles = 32;
    const rlim_t fileLimit = files.rlim_cur == RLIM_INFINITY ? rlim_t{1} << 20 : files.rlim_cur;
    const auto groupSockets = static_cast<std::size_t>(fileLimit > kOtherFiles ? fileLimit - kOtherFiles : 0);
    const auto perSocket = static_cast<std::size_t>(std::max(1L, systemSetting("/proc/sys/net/ipv4/igmp_max_memberships", 20)));
    const std::size_t perUniverse = local == kAnyAddress ? std::max<std::size_t>(1, interfaceIndexes(listInterfaceAddresses()).size()) : 1;
    const std::size_t memberships = groupSockets * perSocket / perUniverse;
    return memberships > 0 ? memberships - 1 : 0;  // the discovery group takes one
}

bool acceptsScanDatagram(ScanSocketRole role, unsigned scopeInterface, const DatagramDestination& destination) {
    // The host's own address for a datagram equals its destination exactly when it was
    // unicast to this host.
    const bool unicastToHost = destination.address != kAnyAddress && destination.address == destination.localAddress;
    switch (role) {
        case ScanSocketRole::Everything: return true;
        case ScanSocketRole::GroupsOnly: return isMulticast(destination.address);
        case ScanSocketRole::GroupsAndBroadcast: return destination.address != kAnyAddress && !unicastToHost;
        case ScanSocketRole::UnicastOnly: return unicastToHost;
        case ScanSocketRole::LimitedBroadcast: return scopeInterface != 0 && destination.interfaceIndex == scopeInterface;
    }
    return false;
}
