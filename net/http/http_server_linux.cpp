#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <pthread.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <httplib.h>
#include <mutex>
#include <system_error>
#include <thread>

#include "http_server.h"

namespace {

using Clock = std::chrono::steady_clock;

// What one connection's worker knows about it between the library's calls: set by the
// request handler, read by the connection loop.
struct ConnectionState {
    bool closeAfterResponse = false;
};
thread_local ConnectionState* currentConnection = nullptr;
// Set while the accepting thread runs a connection it has no room for: it is closed unread.
thread_local bool refusing = false;

int millisecondsUntil(Clock::time_point deadline) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    return static_cast<int>(std::clamp<long long>(left, 0, 60000));
}

enum class Wait { Ready, TimedOut, Stopped };

// Waits until the socket can be read (POLLIN) or written (POLLOUT), the deadline passes or
// the server stops (its stop pipe becomes readable).
Wait waitFor(int socket, short events, int stopFd, Clock::time_point deadline) {
    while (true) {
        pollfd fds[2] = {{socket, events, 0}, {stopFd, POLLIN, 0}};
        const int n = poll(fds, 2, millisecondsUntil(deadline));
        if (n < 0 && errno == EINTR) continue;
        if (n < 0 || (fds[1].revents & POLLIN) != 0) return Wait::Stopped;
        if (n == 0) return Wait::TimedOut;
        return (fds[0].revents & (events | POLLHUP | POLLERR)) != 0 ? Wait::Ready : Wait::Stopped;
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
    BudgetedStream(int socket, int stopFd, const HttpServerLimits& limits, const std::atomic<int>& othersWaiting)
        : socket_(socket), stopFd_(stopFd), limits_(limits), othersWaiting_(othersWaiting) {}

    // Waits for the first byte of the next request, then starts its budgets. Gives up
    // early when the connection idles while others wait for a worker.
    bool awaitRequest(int timeoutMs) {
        const auto start = Clock::now();
        const auto end = start + std::chrono::milliseconds(timeoutMs);
        while (buffered_ == taken_) {
            const Wait wait = waitFor(socket_, POLLIN, stopFd_, std::min(end, Clock::now() + kIdleCheck));
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

    bool is_readable() const override {
        return buffered_ > taken_ || waitFor(socket_, POLLIN, stopFd_, readDeadline_) == Wait::Ready;
    }
    bool is_writable() const override {
        if (!responseStarted_) {  // the response's time runs from its first write
            writeDeadline_ = Clock::now() + std::chrono::milliseconds(limits_.writeTimeoutMs);
            responseStarted_ = true;
        }
        return waitFor(socket_, POLLOUT, stopFd_, writeDeadline_) == Wait::Ready;
    }

    ssize_t read(char* ptr, size_t size) override {
        if (requestBytes_ >= limits_.requestBytes) return -1;
        if (buffered_ == taken_ && !fill()) return -1;
        const std::size_t n = std::min({size, buffered_ - taken_, limits_.requestBytes - requestBytes_});
        std::copy_n(buffer_ + taken_, n, ptr);
        taken_ += n;
        requestBytes_ += n;
        return static_cast<ssize_t>(n);
    }

    ssize_t write(const char* ptr, size_t size) override {
        if (!is_writable()) return -1;
        const ssize_t n = send(socket_, ptr, size, MSG_NOSIGNAL | MSG_DONTWAIT);
        return n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK) ? 0 : n;
    }

    void get_remote_ip_and_port(std::string& ip, int& port) const override { addressOf(getpeername, ip, port); }
    void get_local_ip_and_port(std::string& ip, int& port) const override { addressOf(getsockname, ip, port); }
    socket_t socket() const override { return socket_; }

private:
    bool fill() {
        if (waitFor(socket_, POLLIN, stopFd_, readDeadline_) != Wait::Ready) return false;
        const ssize_t n = recv(socket_, buffer_, sizeof buffer_, MSG_DONTWAIT);
        if (n <= 0) return false;
        buffered_ = static_cast<std::size_t>(n);
        taken_ = 0;
        return true;
    }

    void addressOf(int (*name)(int, sockaddr*, socklen_t*), std::string& ip, int& port) const {
        sockaddr_in address{};
        socklen_t length = sizeof address;
        char text[INET_ADDRSTRLEN] = "";
        if (name(socket_, reinterpret_cast<sockaddr*>(&address), &length) == 0) {
            inet_ntop(AF_INET, &address.sin_addr, text, sizeof text);
            port = ntohs(address.sin_port);
        }
        ip = text;
    }

    int socket_;
    int stopFd_;
    const HttpServerLimits& limits_;
    const std::atomic<int>& othersWaiting_;
    Clock::time_point readDeadline_ = Clock::now();
    mutable Clock::time_point writeDeadline_ = Clock::now();
    mutable bool responseStarted_ = false;
    std::size_t requestBytes_ = 0;
    char buffer_[4096];
    std::size_t buffered_ = 0;
    std::size_t taken_ = 0;
};

// The server's threads run below the priority of the thread that started it (nice +10), so
// that rendering and compressing pages never delays the work that feeds them on a busy
// machine. Raising one's own nice value needs no privilege.
void yieldToCaller() { setpriority(PRIO_PROCESS, static_cast<id_t>(gettid()), getpriority(PRIO_PROCESS, 0) + 10); }

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
        yieldToCaller();
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

}  // namespace

// The library's server with this file's connection handling in place of its own.
struct HttpServer : httplib::Server {
    HttpServerLimits limits;
    std::vector<HttpPage> pages;
    int stopPipe[2] = {-1, -1};  // readable once the server stops: every wait ends
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
        set_socket_options([](socket_t socket) {
            const int on = 1;
            setsockopt(socket, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
        });
        set_payload_max_length(limits.requestBytes);
        // What the Keep-Alive header of each response announces; serve() keeps to it.
        set_keep_alive_max_count(static_cast<std::size_t>(limits.requestsPerConnection));
        set_keep_alive_timeout(std::max(1, limits.idleTimeoutMs / 1000));
        set_pre_routing_handler([this](const httplib::Request& request, httplib::Response& response) {
            answer(request, response);
            return HandlerResponse::Handled;
        });
    }

    ~HttpServer() override {
        for (int fd : stopPipe) {
            if (fd >= 0) close(fd);
        }
    }

    void answer(const httplib::Request& request, httplib::Response& response) const {
        if (!isServedMethod(request.method)) {
            response.status = 405;
            response.set_header("Allow", "GET, HEAD");
            if (currentConnection != nullptr) currentConnection->closeAfterResponse = true;  // its body is unread
            return;
        }
        const auto page = std::find_if(pages.begin(), pages.end(), [&](const HttpPage& p) { return p.path == request.path; });
        if (page == pages.end()) {
            response.status = 404;
            return;
        }
        HttpReply reply;
        if (page->answerQuery) {
            reply = page->answerQuery(HttpQuery(request.params.begin(), request.params.end()));
        } else {
            reply = page->answer();
        }
        response.status = reply.status;
        response.set_content(std::move(reply.body), reply.contentType.c_str());
    }

private:
    bool process_and_close_socket(socket_t socket) override {
        if (!refusing) serve(socket);
        ::shutdown(socket, SHUT_RDWR);
        close(socket);
        return true;
    }

    void serve(int socket) {
        ConnectionState state;
        currentConnection = &state;
        BudgetedStream stream(socket, stopPipe[0], limits, waitingConnections);
        for (int served = 0; served < limits.requestsPerConnection; ++served) {
            if (!stream.awaitRequest(limits.idleTimeoutMs)) break;
            const bool last = served + 1 == limits.requestsPerConnection;
            bool closed = false;
            if (!process_request(stream, last, closed, [](httplib::Request&) {})) break;
            if (closed || state.closeAfterResponse) break;
        }
        currentConnection = nullptr;
    }
};

void HttpServerDeleter::operator()(HttpServer* server) const {
    if (server->stopPipe[1] >= 0) {
        const char byte = 1;
        [[maybe_unused]] const ssize_t written = write(server->stopPipe[1], &byte, 1);
    }
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
    if (pipe2(made->stopPipe, O_CLOEXEC | O_NONBLOCK) != 0) return HttpStartResult::ThreadsNotStarted;
    const std::string host = formatIpv4(address);
    if (port == 0) {
        const int bound = made->bind_to_any_port(host);
        if (bound <= 0) return HttpStartResult::BindFailed;
        made->port = static_cast<uint16_t>(bound);
    } else {
        if (!made->bind_to_port(host, port)) return HttpStartResult::BindFailed;
        made->port = port;
    }
    // The server's threads take no process signals: those stay with the caller's threads
    // (a stop signal landing in accept() would end the library's accept loop).
    sigset_t all, previous;
    sigfillset(&all);
    pthread_sigmask(SIG_SETMASK, &all, &previous);
    try {
        HttpServer* running = made.get();
        made->listener = std::thread([running] {  // its workers inherit the mask
            yieldToCaller();
            running->listen_after_bind();
            running->listenerEnded = true;
        });
    } catch (const std::system_error&) {
        pthread_sigmask(SIG_SETMASK, &previous, nullptr);
        return HttpStartResult::ThreadsNotStarted;
    }
    pthread_sigmask(SIG_SETMASK, &previous, nullptr);
    server = std::move(made);
    return HttpStartResult::Started;
}

uint16_t httpServerPort(const HttpServer& server) { return server.port; }
