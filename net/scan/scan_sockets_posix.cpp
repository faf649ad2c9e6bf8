#include "scan_sockets.h"

#include <sys/resource.h>

#include <algorithm>
#include <fstream>

#include "../../core/clock.h"
#include "../../core/scan_codec.h"

// Linux delivers a datagram to the sockets whose bound address matches its destination:
// unicast to the most specific bind (one socket only), broadcast and multicast to every
// socket bound to that address or to 0.0.0.0, multicast only where the socket joined the
// group (IP_MULTICAST_ALL off). A socket bound to an interface address therefore never
// sees a group, and a socket may hold only so many memberships (igmp_max_memberships, 20).
//
// Every interface (0.0.0.0): one 0.0.0.0 socket per port takes everything, the sACN one
// also holds the first memberships; further 0.0.0.0 sockets hold the rest and drop the
// broadcasts the first one already has.
//
// One interface address A: A itself per port for unicast, the directed broadcast of A's
// interface and 255.255.255.255 per port for broadcast (the latter checked for arriving on
// A's interface), the discovery group bound by its own address, and 0.0.0.0 sockets for
// the universes' groups joined on A's interface, keeping multicast only. Nothing is bound
// to 0.0.0.0 unless universes are asked for, so other programs may bind other addresses
// of the ports without address reuse.

namespace {

constexpr Ipv4Address kAnyAddress{};
constexpr Ipv4Address kLimitedBroadcast{{255, 255, 255, 255}};

bool isMulticast(Ipv4Address address) { return address.bytes[0] >= 224 && address.bytes[0] <= 239; }

SocketHandle openBound(Ipv4Address address, uint16_t port, bool& bound) {
    bound = false;
    const SocketHandle socket = openUdpSocket();
    if (socket == kInvalidSocket) return socket;
    setReuseAddress(socket, true);
    setBroadcast(socket, true);
    setMulticastAll(socket, false);
    prepareBatchReceive(socket);
    setNonBlocking(socket, true);
    bound = bindSocket(socket, address, port);
    return socket;
}

// Adds a socket bound to address; kInvalidSocket (and nothing added) when it cannot be had.
ScanSocket* addSocket(ScanSockets& set, Ipv4Address address, DmxProtocol port, ScanSocketRole role, bool& bindFailed) {
    bool bound = false;
    const SocketHandle socket = openBound(address, protocolPort(port), bound);
    bindFailed = socket != kInvalidSocket && !bound;
    if (!bound) {
        closeSocket(socket);
        return nullptr;
    }
    if (role != ScanSocketRole::Everything) setReceiveDestination(socket, true);
    set.sockets.push_back({socket, port, role, 0});
    return &set.sockets.back();
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
    bool bindFailed = false;
    if (addSocket(set, kAnyAddress, DmxProtocol::Sacn, role, bindFailed) == nullptr) return false;
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
    bool bindFailed = false;
    for (DmxProtocol port : {DmxProtocol::Sacn, DmxProtocol::ArtNet}) {
        ScanSocket* main = addSocket(set, kAnyAddress, port, ScanSocketRole::Everything, bindFailed);
        if (main == nullptr) return bindFailed ? ScanOpenResult::BindFailed : ScanOpenResult::SocketNotCreated;
    }
    set.pollSocket = set.sockets[1].handle;
    for (const LocalInterfaceAddress& item : interfaces) {
        set.interfaces.push_back(item.address);
        const bool directed = item.broadcast != kAnyAddress && item.broadcast != kLimitedBroadcast;
        if (directed && std::find(set.pollTargets.begin(), set.pollTargets.end(), item.broadcast) == set.pollTargets.end()) {
            set.pollTargets.push_back(item.broadcast);
        }
    }
    set.pollTargets.push_back(kLimitedBroadcast);
    set.groupSocket = 0;  // the main sACN socket takes the first memberships
    set.groupRole = ScanSocketRole::GroupsAndUnicast;
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
    bool bindFailed = false;
    for (DmxProtocol port : {DmxProtocol::Sacn, DmxProtocol::ArtNet}) {
        ScanSocket* main = addSocket(set, set.local, port, ScanSocketRole::Everything, bindFailed);
        if (main == nullptr) return bindFailed ? ScanOpenResult::BindFailed : ScanOpenResult::SocketNotCreated;
    }
    set.pollSocket = set.sockets[1].handle;
    set.interfaces.push_back(set.local);
    const bool hasDirected = directedBroadcast != kAnyAddress && directedBroadcast != kLimitedBroadcast;
    set.pollTargets.push_back(hasDirected ? directedBroadcast : kLimitedBroadcast);
    // Broadcast and discovery sockets are extras: a platform that refuses them still scans.
    for (DmxProtocol port : {DmxProtocol::Sacn, DmxProtocol::ArtNet}) {
        if (hasDirected) addSocket(set, directedBroadcast, port, ScanSocketRole::Everything, bindFailed);
        addSocket(set, kLimitedBroadcast, port, ScanSocketRole::LimitedBroadcast, bindFailed);
    }
    if (ScanSocket* discovery = addSocket(set, sacnGroupAddress(kSacnDiscoveryUniverse), DmxProtocol::Sacn,
                                          ScanSocketRole::Everything, bindFailed)) {
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
    const ScanOpenResult result =
        local == kAnyAddress ? openEveryInterface(set, universes, interfaces) : openOneInterface(set, universes, interfaces);
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
    switch (role) {
        case ScanSocketRole::Everything: return true;
        case ScanSocketRole::GroupsOnly: return isMulticast(destination.address);
        case ScanSocketRole::GroupsAndUnicast:
            // The host's own address for a datagram equals its destination exactly when it
            // was unicast to this host; broadcast reached the main socket as well.
            return isMulticast(destination.address) ||
                   (destination.address != kAnyAddress && destination.address == destination.localAddress);
        case ScanSocketRole::LimitedBroadcast: return scopeInterface != 0 && destination.interfaceIndex == scopeInterface;
    }
    return false;
}
