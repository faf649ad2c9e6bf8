// net/socket/socket_layer.h, core/clock.h and the interruptible sleep over FakeNetwork (see fake_network.h).
#include <cerrno>
#include <cstring>

#include "core/clock.h"
#include "core/interruption.h"
#include "fake_network.h"
#include "net/socket/socket_linux.h"

FakeNetwork& fakeNetwork() {
    static FakeNetwork network;
    return network;
}

void resetFakeNetwork() { fakeNetwork() = FakeNetwork{}; }

namespace {

FakeSocket* find(SocketHandle socket) {
    auto found = fakeNetwork().sockets.find(socket);
    return found == fakeNetwork().sockets.end() ? nullptr : &found->second;
}

bool fail(int code) {
    fakeNetwork().lastError = code;
    return false;
}

// One datagram off the queue, cut to the buffer like a datagram socket does.
long takeDatagram(SocketHandle socket, uint8_t* buffer, std::size_t capacity, FakeDatagram* taken) {
    FakeSocket* s = find(socket);
    if (s == nullptr) return fail(EBADF), -1;
    if (s->incoming.empty()) {
        // Blocking with a time-out: the time passes; without one the call would never return.
        if (!s->nonBlocking) fakeNetwork().now += static_cast<uint64_t>(s->receiveTimeoutMs > 0 ? s->receiveTimeoutMs : 1000000);
        return fail(EAGAIN), -1;
    }
    FakeDatagram& next = s->incoming.front();
    if (!s->nonBlocking && next.delayMs > 0) {
        const uint64_t timeout = s->receiveTimeoutMs > 0 ? static_cast<uint64_t>(s->receiveTimeoutMs) : next.delayMs;
        const uint64_t waited = next.delayMs < timeout ? next.delayMs : timeout;
        fakeNetwork().now += waited;
        next.delayMs -= waited;
        if (next.delayMs > 0) return fail(EAGAIN), -1;
    }
    FakeDatagram datagram = std::move(next);
    s->incoming.pop_front();
    if (datagram.error) return fail(ECONNREFUSED), -1;
    const std::size_t length = datagram.bytes.size() < capacity ? datagram.bytes.size() : capacity;
    if (length > 0) std::memcpy(buffer, datagram.bytes.data(), length);
    if (taken) *taken = std::move(datagram);
    return static_cast<long>(length);
}

}  // namespace

uint64_t tickCountMs() { return fakeNetwork().now; }
void sleepMs(uint32_t milliseconds) {
    if (fakeNetwork().onSleep) fakeNetwork().onSleep(milliseconds);
    fakeNetwork().now += milliseconds;
}

// Nothing interrupts a scripted run.
bool sleepUnlessInterrupted(uint32_t milliseconds) {
    sleepMs(milliseconds);
    return true;
}

void startSocketLibrary() {}
void stopSocketLibrary() {}

SocketHandle openUdpSocket() {
    FakeNetwork& network = fakeNetwork();
    if (network.failOpen) return fail(EMFILE), kInvalidSocket;
    const SocketHandle handle = network.nextHandle++;
    network.sockets[handle].incoming = std::move(network.incomingForNextSocket);
    network.incomingForNextSocket.clear();
    return handle;
}

void closeSocket(SocketHandle socket) { fakeNetwork().sockets.erase(socket); }

bool setReuseAddress(SocketHandle socket, bool) { return find(socket) != nullptr || fail(EBADF); }
bool setBroadcast(SocketHandle socket, bool) { return find(socket) != nullptr || fail(EBADF); }

bool setReceiveTimeout(SocketHandle socket, int milliseconds) {
    FakeSocket* s = find(socket);
    if (s == nullptr) return fail(EBADF);
    s->receiveTimeoutMs = milliseconds;
    return true;
}

bool setNonBlocking(SocketHandle socket, bool on) {
    FakeSocket* s = find(socket);
    if (s == nullptr) return fail(EBADF);
    s->nonBlocking = on;
    return true;
}

bool joinMulticastGroup(SocketHandle socket, Ipv4Address, Ipv4Address) { return find(socket) != nullptr || fail(EBADF); }

bool bindSocket(SocketHandle socket, Ipv4Address address, uint16_t port) {
    FakeSocket* s = find(socket);
    if (s == nullptr) return fail(EBADF);
    if (fakeNetwork().failBind || s->bound) return fail(EADDRINUSE);
    s->bound = true;
    s->address = address;
    s->port = port;
    return true;
}

long sendDatagram(SocketHandle socket, const uint8_t* data, std::size_t length, Ipv4Address to, uint16_t port) {
    FakeNetwork& network = fakeNetwork();
    if (find(socket) == nullptr) return fail(EBADF), -1;
    // Every attempt is recorded, whatever the script makes of it.
    network.sent.push_back({socket, std::string(reinterpret_cast<const char*>(data), length), to, port});
    if (network.sendResults.empty()) return static_cast<long>(length);
    const long scripted = network.sendResults.front();
    network.sendResults.pop_front();
    if (scripted == -1) return fail(ENETUNREACH), -1;
    return scripted >= 0 && static_cast<std::size_t>(scripted) < length ? scripted : static_cast<long>(length);
}

std::size_t sendDatagrams(SocketHandle socket, const OutgoingDatagram* datagrams, std::size_t count) {
    std::size_t whole = 0;
    for (std::size_t i = 0; i < count; ++i) {
        const OutgoingDatagram& d = datagrams[i];
        whole += sendDatagram(socket, d.data, d.length, d.to, d.port) == static_cast<long>(d.length);
    }
    return whole;
}

bool setMulticastInterface(SocketHandle socket, Ipv4Address) { return find(socket) != nullptr || fail(EBADF); }

long receiveDatagram(SocketHandle socket, uint8_t* buffer, std::size_t capacity) {
    return takeDatagram(socket, buffer, capacity, nullptr);
}

long receiveDatagramFrom(SocketHandle socket, uint8_t* buffer, std::size_t capacity, Ipv4Address& sender) {
    FakeDatagram taken;
    const long n = takeDatagram(socket, buffer, capacity, &taken);
    if (n >= 0) sender = taken.sender;
    return n;
}

bool setReceiveDestination(SocketHandle socket, bool on) {
    FakeSocket* s = find(socket);
    if (s == nullptr) return fail(EBADF);
    s->receiveDestination = on;
    return true;
}

long receiveDatagramTo(SocketHandle socket, uint8_t* buffer, std::size_t capacity, Ipv4Address& sender,
                       DatagramDestination& destination) {
    FakeDatagram taken;
    const long n = takeDatagram(socket, buffer, capacity, &taken);
    if (n < 0) return n;
    sender = taken.sender;
    const FakeSocket* s = find(socket);
    destination = s != nullptr && s->receiveDestination ? taken.destination : DatagramDestination{};
    return n;
}

bool setMulticastAll(SocketHandle socket, bool) { return find(socket) != nullptr || fail(EBADF); }
bool joinMulticastGroupOnInterface(SocketHandle socket, Ipv4Address, unsigned) { return find(socket) != nullptr || fail(EBADF); }

std::vector<LocalInterfaceAddress> listInterfaceAddresses() {
    LocalInterfaceAddress loopback;
    loopback.interfaceIndex = 1;
    loopback.address = Ipv4Address{{127, 0, 0, 1}};
    LocalInterfaceAddress ethernet;
    ethernet.interfaceIndex = 2;
    ethernet.address = Ipv4Address{{192, 0, 2, 10}};
    ethernet.broadcast = Ipv4Address{{192, 0, 2, 255}};
    return {loopback, ethernet};
}

int lastSocketError() { return fakeNetwork().lastError; }

int receiveDatagrams(SocketHandle socket, ReceivedDatagram* datagrams, int count) {
    int received = 0;
    for (; received < count; ++received) {
        ReceivedDatagram& d = datagrams[received];
        const long length = receiveDatagramTo(socket, d.buffer, d.capacity, d.sender, d.destination);
        if (length < 0) return received > 0 || fakeNetwork().lastError == EAGAIN ? received : -1;
        d.length = static_cast<std::size_t>(length);
        d.arrivalUs = fakeNetwork().now * 1000;
    }
    return received;
}

bool prepareBatchReceive(SocketHandle) { return false; }  // no arrival stamps, as on Windows

bool bindSocketToInterface(SocketHandle socket, unsigned) { return find(socket) != nullptr || fail(EBADF); }

// The wait set over the same fake: one ready member at a time, time passing as above.
bool openSocketWaitSet(SocketWaitSet& set) {
    set.members.clear();
    return true;
}
bool addToSocketWaitSet(SocketWaitSet& set, SocketHandle socket) {
    set.members.push_back(socket);
    return true;
}
void closeSocketWaitSet(SocketWaitSet& set) { set.members.clear(); }
int waitForSockets(SocketWaitSet& set, int timeoutMs, int* ready, int capacity) {
    const int first = capacity > 0 ? waitForDatagram(set.members.data(), set.members.size(), timeoutMs) : -1;
    if (first < 0) return 0;
    ready[0] = first;
    return 1;
}

// The scan's shared socket of a port: here a socket bound to every address of it.
SocketHandle openSharedPortSocket(uint16_t port) {
    const SocketHandle socket = openUdpSocket();
    if (socket != kInvalidSocket && !bindSocket(socket, Ipv4Address{}, port)) {
        closeSocket(socket);
        return kInvalidSocket;
    }
    return socket;
}

// The first socket whose next datagram arrives within the time-out; the time passes.
int waitForDatagram(const SocketHandle* sockets, std::size_t count, int timeoutMs) {
    const uint64_t timeout = timeoutMs > 0 ? static_cast<uint64_t>(timeoutMs) : 0;
    int first = -1;
    uint64_t soonest = timeout + 1;
    for (std::size_t i = 0; i < count; ++i) {
        const FakeSocket* s = find(sockets[i]);
        if (s == nullptr || s->incoming.empty()) continue;
        if (s->incoming.front().delayMs < soonest) {
            soonest = s->incoming.front().delayMs;
            first = static_cast<int>(i);
        }
    }
    const uint64_t waited = first >= 0 ? soonest : timeout;
    fakeNetwork().now += waited;
    for (std::size_t i = 0; i < count; ++i) {
        FakeSocket* s = find(sockets[i]);
        if (s == nullptr || s->incoming.empty()) continue;
        FakeDatagram& next = s->incoming.front();
        next.delayMs = next.delayMs > waited ? next.delayMs - waited : 0;
    }
    return first;
}
