#pragma once
// The sockets a scan listens on: both DMX ports, the universe discovery group and the
// groups of the universes asked for, spread over as many sockets as the system's
// per-socket membership limit needs (20 on Linux by default). Which sockets are bound
// where follows the platform's delivery rules; scan_sockets_posix.cpp has Linux's.
#include <bitset>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "../../core/dmx_universe_state.h"
#include "../socket/socket_layer.h"

// What a socket keeps of the datagrams the system hands it.
enum class ScanSocketRole : uint8_t {
    Everything,        // bound to exactly what it is for
    GroupsOnly,        // bound to every address for its groups: multicast only
    GroupsAndBroadcast,  // the same, also keeping broadcast: unicast is the unicast socket's
    UnicastOnly,       // bound to 0.0.0.0 for unicast to this host; broadcast is kept elsewhere
    LimitedBroadcast,  // bound to 255.255.255.255: only what arrived on the scope's interface
};

// Whether the scan hears unicast on a port. The system hands a unicast datagram to one
// socket of the port only, so the scan listens for it only where no other program holds
// the port; multicast and broadcast it hears beside them, unless the other program lets
// no socket share the port (or, on Windows, holds it at all): then the scan does not
// listen on that port.
struct ScanPortUnicast {
    bool heard = false;
    bool heldElsewhere = false;  // another program holds the port
    int bindError = 0;           // otherwise the system's code for the refused bind
    bool listened = false;       // a socket of the scan is bound to the port
    bool sharingRefused = false;  // not listened on: the other program bound without address reuse
};

struct ScanSocket {
    SocketHandle handle = kInvalidSocket;
    DmxProtocol port = DmxProtocol::Sacn;
    ScanSocketRole role = ScanSocketRole::Everything;
    int memberships = 0;
};

struct ScanSockets {
    std::vector<ScanSocket> sockets;
    Ipv4Address local;            // 0.0.0.0: every interface
    unsigned scopeInterface = 0;  // the interface of local, when it is not 0.0.0.0
    SocketHandle pollSocket = kInvalidSocket;  // the Art-Net socket polls are sent from
    // Where an ArtPoll goes: the directed broadcast of local's interface, or with 0.0.0.0
    // that of every interface that is up and 255.255.255.255.
    std::vector<Ipv4Address> pollTargets;
    std::vector<Ipv4Address> interfaces;  // the addresses listened on
    int joinedUniverses = 0;  // universes asked for with at least one membership
    std::vector<uint16_t> unjoinedUniverses;
    std::vector<Ipv4Address> hostAddresses;  // this host's own, to know its own datagrams
    ScanPortUnicast unicast[2];              // sACN, Art-Net
    std::bitset<64000> joined;               // universes with at least one membership
    uint64_t joinUs = 0;                     // time spent in joins
    // Where the next group goes: the socket holding the latest memberships and the role of
    // sockets made for more, and the interfaces joined on with 0.0.0.0.
    std::size_t groupSocket = 0;
    ScanSocketRole groupRole = ScanSocketRole::GroupsOnly;
    std::vector<unsigned> interfaceIndexes;
    std::vector<Ipv4Address> interfaceJoinAddresses;  // Windows: one address of each of those interfaces
};

inline std::size_t portSlot(DmxProtocol port) { return port == DmxProtocol::Sacn ? 0 : 1; }

enum class ScanOpenResult { Opened, SocketNotCreated, BindFailed };

// Opens every socket of the scan on local (0.0.0.0 or one interface address) and joins the
// discovery group and the groups of universes (1 to 63999, no duplicates). A failed join
// is recorded, not fatal; so is a port held by another program, whose unicast is then not
// heard, or which is not listened on at all (with the sACN port, no group is joined) while
// the other port is. Any other failure to bind a port is fatal.
ScanOpenResult openScanSockets(ScanSockets& set, Ipv4Address local, const std::vector<uint16_t>& universes);
// Closes the sockets in the reverse order of opening: the system finds each group it
// leaves at the head of its list then, instead of searching every group joined before it.
void closeScanSockets(ScanSockets& set);

// Joins one more universe's group on an open set, as openScanSockets joins them (sockets
// may be added at the end of set.sockets); false when no membership could be had.
bool joinScanUniverse(ScanSockets& set, uint16_t universe);

// Raises the open-file limit as far as the system lets this process, and returns how many
// universes a scan on local can then join (the discovery group aside). Linux: memberships
// per socket (net.ipv4.igmp_max_memberships) times the sockets the open-file limit leaves,
// divided by the interfaces each group is joined on. Windows joins every group on one
// socket and has no limit to read: it says SIZE_MAX, and refused joins are reported.
std::size_t raiseScanUniverseCapacity(Ipv4Address local);

// Whether a socket of this role keeps a datagram with this destination.
bool acceptsScanDatagram(ScanSocketRole role, unsigned scopeInterface, const DatagramDestination& destination);
