#include <algorithm>
#include <atomic>
#include <charconv>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <httplib.h>
#include <mutex>
#include <string_view>
#include <thread>

#include "http_server.h"
#include "http_socket.h"
#include "request_head.h"

namespace {

using Clock = std::chrono::steady_clock;

class BudgetedStream;

// What one connection's worker knows about it between the library's calls: the handlers
// read its stream and mark it for closing, the connection loop reads the mark.
struct ConnectionState {
    BudgetedStream* stream = nullptr;
    bool closeAfterResponse = false;
};
thread_local ConnectionState* currentConnection = nullptr;
// Set while the accepting thread runs a connection it has no room for: it is closed unread.
thread_local bool refusing = false;

int millisecondsUntil(Clock::time_point deadline) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    return static_cast<int>(std::clamp<long long>(left, 0, 60000));
}

using Wait = HttpWait;
constexpr bool kReading = false;
constexpr bool kWriting = true;

// Waits until the socket can be read or written, the deadline passes or the server stops
// (its stop signal rises).
Wait waitFor(socket_t socket, bool forWriting, const HttpStopSignal& stop, Clock::time_point deadline) {
    while (true) {
        const Wait wait = waitForHttpSocket(static_cast<SocketHandle>(socket), forWriting, stop, millisecondsUntil(deadline));
        if (wait != Wait::TimedOut || Clock::now() >= deadline) return wait;
    }
}

// A connection that has sent nothing yet gives its worker up after this much idleness
// when other connections wait for one.
constexpr auto kIdleWhileOthersWait = std::chrono::milliseconds(250);
constexpr auto kIdleCheck = std::chrono::milliseconds(50);

// The library's stream over one accepted socket, with this server's budgets: reads stop at
// the request's deadline or byte budget, writes at the response's deadline.
class BudgetedStream : public httplib::Stream {
public:
    BudgetedStream(socket_t socket, const HttpStopSignal& stop, const HttpServerLimits& limits,
                   const std::atomic<int>& othersWaiting)
        : socket_(socket), stop_(stop), limits_(limits), othersWaiting_(othersWaiting) {
        received_.reserve(limits.requestBytes + kReceiveChunk);
    }

    // Waits for the first byte of the next request, then starts its budgets. Gives up
    // early when the connection idles while others wait for a worker.
    bool awaitRequest(int timeoutMs) {
        const auto start = Clock::now();
        const auto end = start + std::chrono::milliseconds(timeoutMs);
        while (unread() == 0) {
            const Wait wait = waitFor(socket_, kReading, stop_, std::min(end, Clock::now() + kIdleCheck));
            if (wait == Wait::Ready) break;
            const auto now = Clock::now();
            if (wait == Wait::Stopped || now >= end || (othersWaiting_ > 0 && now - start >= kIdleWhileOthersWait))
                return false;
        }
        readDeadline_ = Clock::now() + std::chrono::milliseconds(limits_.requestTimeoutMs);
        responseStarted_ = false;
        requestBytes_ = 0;
        return true;
    }

    // Receives until the request's head is whole or too long, or its time is up (the library
    // then meets the end of what came, as for any short request). The library's own line
    // limits hold for every line, so that it never meets a longer one.
    RequestHead receiveHead() {
        constexpr std::size_t kLineBytes = std::min(CPPHTTPLIB_REQUEST_URI_MAX_LENGTH, CPPHTTPLIB_HEADER_MAX_LENGTH);
        while (true) {
            const std::string_view unreadBytes(received_.data() + taken_, unread());
            const RequestHead head = judgeRequestHead(unreadBytes, {kLineBytes, limits_.requestBytes});
            if (head != RequestHead::Incomplete || !fill()) return head;
        }
    }

    // Reads and drops this many bytes of the request.
    bool skip(std::size_t bytes) {
        char sink[1024];
        while (bytes > 0) {
            const ssize_t n = read(sink, std::min(bytes, sizeof sink));
            if (n <= 0) return false;
            bytes -= static_cast<std::size_t>(n);
        }
        return true;
    }

    // Writes the whole of bytes within the response's time.
    bool writeAll(std::string_view bytes) {
        while (!bytes.empty()) {
            const ssize_t n = write(bytes.data(), bytes.size());
            if (n < 0) return false;
            bytes.remove_prefix(static_cast<std::size_t>(n));
        }
        return true;
    }

    std::size_t budgetLeft() const { return limits_.requestBytes - requestBytes_; }
    bool answered() const { return answered_; }

    bool is_readable() const override {
        return unread() > 0 || waitFor(socket_, kReading, stop_, readDeadline_) == Wait::Ready;
    }
    bool is_writable() const override {
        if (!responseStarted_) {  // the response's time runs from its first write
            writeDeadline_ = Clock::now() + std::chrono::milliseconds(limits_.writeTimeoutMs);
            responseStarted_ = true;
        }
        return waitFor(socket_, kWriting, stop_, writeDeadline_) == Wait::Ready;
    }

    ssize_t read(char* ptr, size_t size) override {
        if (requestBytes_ >= limits_.requestBytes) return -1;
        if (unread() == 0 && !fill()) return -1;
        const std::size_t n = std::min({size, unread(), limits_.requestBytes - requestBytes_});
        std::copy_n(received_.data() + taken_, n, ptr);
        taken_ += n;
        requestBytes_ += n;
        return static_cast<ssize_t>(n);
    }

    ssize_t write(const char* ptr, size_t size) override {
        if (!is_writable()) return -1;
        const long n = sendWithoutWaiting(static_cast<SocketHandle>(socket_), ptr, size);
        if (n > 0) answered_ = true;
        return n == kHttpSocketFailed ? -1 : n;
    }

    void get_remote_ip_and_port(std::string& ip, int& port) const override {
        httpSocketAddress(static_cast<SocketHandle>(socket_), false, ip, port);
    }
    void get_local_ip_and_port(std::string& ip, int& port) const override {
        httpSocketAddress(static_cast<SocketHandle>(socket_), true, ip, port);
    }
    socket_t socket() const override { return socket_; }

private:
    static constexpr std::size_t kReceiveChunk = 4096;

    std::size_t unread() const { return received_.size() - taken_; }

    // Appends what the socket holds to the unread bytes.
    bool fill() {
        if (waitFor(socket_, kReading, stop_, readDeadline_) != Wait::Ready) return false;
        received_.erase(0, taken_);
        taken_ = 0;
        const std::size_t kept = received_.size();
        received_.resize(kept + kReceiveChunk);
        const long n = receiveWithoutWaiting(static_cast<SocketHandle>(socket_), received_.data() + kept, kReceiveChunk);
        received_.resize(kept + static_cast<std::size_t>(std::max<long>(n, 0)));
        return n > 0;
    }

    socket_t socket_;
    const HttpStopSignal& stop_;
    const HttpServerLimits& limits_;
    const std::atomic<int>& othersWaiting_;
    Clock::time_point readDeadline_ = Clock::now();
    mutable Clock::time_point writeDeadline_ = Clock::now();
    mutable bool responseStarted_ = false;
    std::size_t requestBytes_ = 0;
    bool answered_ = false;
    std::string received_;  // from the socket; the library has taken its first taken_ bytes
    std::size_t taken_ = 0;
};

// Closing a socket that still holds unread bytes resets the connection, and the reset
// destroys answers the client has not yet taken. So after its last answer a connection is
// only shut for writing, and what the client still sends is read and dropped until it
// closes its side, within a time and a byte bound.
void drainBeforeClosing(socket_t socket, const HttpStopSignal& stop, const HttpServerLimits& limits) {
    shutdownHttpSocket(static_cast<SocketHandle>(socket), true);
    const auto deadline = Clock::now() + std::chrono::milliseconds(limits.drainTimeoutMs);
    std::size_t drained = 0;
    char sink[4096];
    while (drained < limits.drainBytes && waitFor(socket, kReading, stop, deadline) == Wait::Ready) {
        const long n = receiveWithoutWaiting(static_cast<SocketHandle>(socket), sink, sizeof sink);
        if (n == 0 || n == kHttpSocketFailed) return;
        drained += static_cast<std::size_t>(std::max<long>(n, 0));
    }
}

// A fixed number of workers and a bounded queue of accepted connections. A connection that
// finds the queue full is run at once on the accepting thread, which only closes it.
class BoundedWorkers : public httplib::TaskQueue {
public:
    BoundedWorkers(const HttpServerLimits& limits, std::atomic<int>& queued)
        : waiting_(static_cast<std::size_t>(limits.waiting)), queued_(queued) {
        for (int i = 0; i < limits.workers; ++i) threads_.emplace_back([this] { work(); });
    }
    ~BoundedWorkers() override { shutdown(); }

    void enqueue(std::function<void()> job) override {
        {
            std::lock_guard lock(mutex_);
            if (!stopping_ && jobs_.size() < waiting_) {
                jobs_.push_back(std::move(job));
                queued_ = static_cast<int>(jobs_.size());
                wake_.notify_one();
                return;
            }
        }
        refusing = true;
        job();
        refusing = false;
    }

    void shutdown() override {
        {
            std::lock_guard lock(mutex_);
            stopping_ = true;
        }
        wake_.notify_all();
        for (std::thread& thread : threads_) {
            if (thread.joinable()) thread.join();
        }
    }

private:
    void work() {
        lowerThisThreadsPriority();
        while (true) {
            std::function<void()> job;
            {
                std::unique_lock lock(mutex_);
                wake_.wait(lock, [this] { return stopping_ || !jobs_.empty(); });
                if (jobs_.empty()) return;
                job = std::move(jobs_.front());
                jobs_.pop_front();
                queued_ = static_cast<int>(jobs_.size());
                refusing = stopping_;  // a connection still waiting at the stop is only closed
            }
            job();
        }
    }

    std::size_t waiting_;
    std::atomic<int>& queued_;  // jobs_.size(), for the workers' connections to read
    std::vector<std::thread> threads_;
    std::deque<std::function<void()>> jobs_;
    bool stopping_ = false;
    std::mutex mutex_;
    std::condition_variable wake_;
};

bool isServedMethod(const std::string& method) { return method == "GET" || method == "HEAD"; }

// A body on GET or HEAD means nothing here. It is read and dropped within the request's byte
// budget, so that its bytes are never taken for the next request; a chunked body, a length
// that does not read or one past the budget is refused instead. The status of the refusal,
// or 0.
int dropBody(const httplib::Request& request, BudgetedStream& stream) {
    if (request.has_header("Transfer-Encoding")) return 400;
    const std::size_t lengths = request.get_header_value_count("Content-Length");
    if (lengths == 0) return 0;
    const std::string text = request.get_header_value("Content-Length");
    std::size_t length = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), length);
    if (lengths > 1 || error == std::errc::invalid_argument || end != text.data() + text.size()) return 400;
    if (error == std::errc::result_out_of_range || length > stream.budgetLeft()) return 413;
    return stream.skip(length) ? 0 : 400;
}

}  // namespace

// The library's server with this file's connection handling in place of its own.
struct HttpServer : httplib::Server {
    HttpServerLimits limits;
    std::vector<HttpPage> pages;
    HttpStopSignal stopSignal;  // raised once the server stops: every wait ends
    std::thread listener;
    std::atomic<bool> listenerEnded{false};
    uint16_t port = 0;
    std::atomic<int> waitingConnections{0};

    HttpServer(const HttpServerLimits& serverLimits, std::vector<HttpPage> served)
        : limits(serverLimits), pages(std::move(served)) {
        new_task_queue = [this] { return new BoundedWorkers(limits, waitingConnections); };
        set_address_family(AF_INET);
        // SO_REUSEADDR only: the library's default also sets SO_REUSEPORT, which would let a
        // second server share the port instead of failing to bind it.
        set_socket_options([](socket_t socket) { refuseSharingTheAddress(static_cast<SocketHandle>(socket)); });
        set_payload_max_length(limits.requestBytes);
        // What the Keep-Alive header of each response announces; serve() keeps to it.
        set_keep_alive_max_count(static_cast<std::size_t>(limits.requestsPerConnection));
        set_keep_alive_timeout(std::max(1, limits.idleTimeoutMs / 1000));
        set_pre_routing_handler([this](const httplib::Request& request, httplib::Response& response) {
            answer(request, response);
            return HandlerResponse::Handled;
        });
        // After a refusal, what follows in the connection cannot be trusted to start the next
        // request (an unread body, a line the library did not take), so it closes.
        set_logger([](const httplib::Request&, const httplib::Response& response) {
            if (currentConnection != nullptr && response.status / 100 == 4 && response.status != 404)
                currentConnection->closeAfterResponse = true;
        });
    }

    ~HttpServer() override {
        closeHttpStopSignal(stopSignal);
    }

    void answer(const httplib::Request& request, httplib::Response& response) const {
        response.set_header("Accept-Ranges", "none");  // the library would announce bytes on HEAD
        if (!isServedMethod(request.method)) {
            response.status = 405;
            response.set_header("Allow", "GET, HEAD");
            return;
        }
        if (const int refused = dropBody(request, *currentConnection->stream); refused != 0) {
            response.status = refused;
            return;
        }
        const auto page = std::find_if(pages.begin(), pages.end(), [&](const HttpPage& p) { return p.path == request.path; });
        if (page == pages.end()) {
            response.status = 404;
            return;
        }
        HttpReply reply = page->answer(request.params);
        response.status = reply.status;
        for (const auto& [name, value] : reply.headers) response.set_header(name, value);
        if (reply.closeConnection && currentConnection != nullptr) {
            response.set_header("Connection", "close");
            currentConnection->closeAfterResponse = true;
        }
        response.set_content(std::move(reply.body), reply.contentType.c_str());
    }

private:
    bool process_and_close_socket(socket_t socket) override {
        if (!refusing && serve(socket)) drainBeforeClosing(socket, stopSignal, limits);
        shutdownHttpSocket(static_cast<SocketHandle>(socket), false);
        closeHttpSocket(static_cast<SocketHandle>(socket));
        return true;
    }

    // Serves the connection's requests; tells whether the client was sent anything.
    bool serve(socket_t socket) {
        BudgetedStream stream(socket, stopSignal, limits, waitingConnections);
        ConnectionState state{&stream};
        currentConnection = &state;
        for (int served = 0; served < limits.requestsPerConnection; ++served) {
            if (!stream.awaitRequest(limits.idleTimeoutMs)) break;
            if (const RequestHead head = stream.receiveHead();
                head == RequestHead::LineTooLong || head == RequestHead::HeadersTooLarge) {
                stream.writeAll(refusalOf(head));
                break;
            }
            const bool last = served + 1 == limits.requestsPerConnection;
            bool closed = false;
            if (!process_request(stream, last, closed, ignoreRanges)) break;
            if (closed || state.closeAfterResponse) break;
        }
        currentConnection = nullptr;
        return stream.answered();
    }

    // Pages are whole and small: a Range header is not honoured (many overlapping ranges would
    // multiply the page).
    static void ignoreRanges(httplib::Request& request) { request.ranges.clear(); }
};

void HttpServerDeleter::operator()(HttpServer* server) const {
    raiseHttpStopSignal(server->stopSignal);
    // stop() does nothing until the listener has entered its accept loop: a server
    // stopped right after it started is told again until the loop has ended.
    while (server->listener.joinable() && !server->listenerEnded) {
        server->stop();
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    if (server->listener.joinable()) server->listener.join();
    delete server;
}

HttpStartResult startHttpServer(HttpServerHandle& server, Ipv4Address address, uint16_t port,
                                std::vector<HttpPage> pages, const HttpServerLimits& limits) {
    HttpServerHandle made(new HttpServer(limits, std::move(pages)));
    if (!openHttpStopSignal(made->stopSignal)) return HttpStartResult::ThreadsNotStarted;
    const std::string host = formatIpv4(address);
    if (port == 0) {
        const int bound = made->bind_to_any_port(host);
        if (bound <= 0) return HttpStartResult::BindFailed;
        made->port = static_cast<uint16_t>(bound);
    } else {
        if (!made->bind_to_port(host, port)) return HttpStartResult::BindFailed;
        made->port = port;
    }
    HttpServer* running = made.get();
    const bool started = startThreadWithoutSignals(made->listener, [running] {
        lowerThisThreadsPriority();
        running->listen_after_bind();
        running->listenerEnded = true;
    });
    if (!started) return HttpStartResult::ThreadsNotStarted;
    server = std::move(made);
    return HttpStartResult::Started;
}

uint16_t httpServerPort(const HttpServer& server) { return server.port; }
