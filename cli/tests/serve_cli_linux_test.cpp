// --serve through the real binary in the test's private network namespace: test sources
// send to it on loopback, a real Prometheus server scrapes it, hostile clients try to hold
// its HTTP server, and its exit codes. Nothing leaves the namespace.
#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <charconv>
#include <chrono>
#include <csignal>
#include <fstream>
#include <functional>
#include <httplib.h>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "cli/tests/peer_namespace_linux.h"
#include "cli/tests/program_under_test.h"
#include "core/tests/scan_packets.h"
#include "net/socket/socket_layer.h"

using namespace scan_packets;
using nlohmann::json;
using Clock = std::chrono::steady_clock;

namespace {

const std::string kBinary = LUMIBOX_BINARY;
constexpr int kHttpPort = 9775;
constexpr int kPrometheusPort = 9090;

// Checks every 100 ms until check holds or the seconds have passed.
bool eventually(const std::function<bool()>& check, int seconds) { return waitFor(check, seconds * 1000, 100); }

// The body of a 200 answer.
std::optional<std::string> httpGet(int port, const std::string& path) {
    httplib::Client client("127.0.0.1", port);
    client.set_connection_timeout(2);
    client.set_read_timeout(10);
    const auto result = client.Get(path.c_str());
    return result && result->status == 200 ? std::optional(result->body) : std::nullopt;
}

std::optional<json> scanDocument() {
    const auto body = httpGet(kHttpPort, "/scan.json");
    if (!body) return std::nullopt;
    return json::parse(*body, nullptr, false);
}

uint64_t datagramsHeard() {
    const auto document = scanDocument();
    return document && document->contains("datagrams") ? (*document)["datagrams"].get<uint64_t>() : 0;
}

// One sACN source on loopback, unicast to the scan.
struct TestSource {
    SocketHandle socket = openUdpSocket();
    SacnData data;
    int sent = 0;

    TestSource(uint8_t cidSeed, const std::string& name) {
        data.universe = 1;
        data.cid = cidOf(cidSeed);
        data.name = name;
    }
    ~TestSource() { closeSocket(socket); }
    bool send(uint8_t options = 0) {
        data.sequence = static_cast<uint8_t>(++sent);
        data.options = options;
        const auto packet = sacnData(data);
        return sendDatagram(socket, packet.data(), packet.size(), Ipv4Address{{127, 0, 0, 1}}, kSacnPort) ==
               static_cast<long>(packet.size());
    }
};

// A source that sends 20 packets a second from its own thread until stopped, at most a minute.
struct BackgroundSource {
    TestSource source;
    std::atomic<bool> stop{false};
    std::thread thread;

    BackgroundSource(uint8_t cidSeed, const std::string& name) : source(cidSeed, name) {
        thread = std::thread([this] {
            for (int i = 0; i < 1200 && !stop; ++i) {
                source.send();
                std::this_thread::sleep_for(std::chrono::milliseconds(50));
            }
        });
    }
    ~BackgroundSource() {
        stop = true;
        thread.join();
    }
};

// lumibox --serve, stopped with SIGTERM at the end of the test.
struct ServeProcess {
    RunningBinary running = startProgram(kBinary, {"--serve", "--http", "127.0.0.1:" + std::to_string(kHttpPort)});

    bool ready() {
        return eventually([] { return httpGet(kHttpPort, "/healthz").has_value(); }, 30);
    }
    int stop(int signal = SIGTERM) {
        stopProgram(running, signal);
        return waitForExit(running, 20000);
    }
    ~ServeProcess() {
        if (!exitCodeIfEnded(running)) stop(SIGKILL);
    }
};

// A Prometheus server of the test's own: storage in a temporary folder, loopback only,
// scraping --serve every second.
struct PrometheusServer {
    std::string folder = makeTempDirectory();
    RunningBinary running;

    PrometheusServer() {
        std::ofstream(folder + "/prometheus.yml") << "global:\n  scrape_interval: 1s\n  scrape_timeout: 1s\n"
                                                     "scrape_configs:\n  - job_name: lumibox\n    static_configs:\n"
                                                     "      - targets: ['127.0.0.1:"
                                                  << kHttpPort << "']\n";
        ChildOptions options;
        options.errorPath = folder + "/prometheus.log";
        running = startBinary("/usr/bin/prometheus",
                              {"--config.file=" + folder + "/prometheus.yml", "--storage.tsdb.path=" + folder + "/data",
                               "--web.listen-address=127.0.0.1:" + std::to_string(kPrometheusPort), "--log.level=warn"},
                              options);
    }
    ~PrometheusServer() {
        signalBinary(running, SIGTERM);
        waitForExit(running, 30000);
    }
    bool ready() {
        return eventually([] { return httpGet(kPrometheusPort, "/-/ready").has_value(); }, 60);
    }
    // The value of an instant query with one result, or nothing.
    std::optional<double> query(const std::string& promql) const {
        httplib::Client client("127.0.0.1", kPrometheusPort);
        const auto result = client.Get("/api/v1/query", httplib::Params{{"query", promql}}, httplib::Headers{});
        if (!result || result->status != 200) return std::nullopt;
        const json answer = json::parse(result->body, nullptr, false);
        if (answer.is_discarded() || answer["data"]["result"].size() != 1) return std::nullopt;
        return std::stod(answer["data"]["result"][0]["value"][1].get<std::string>());
    }
    std::string log() const { return readWholeFile(folder + "/prometheus.log"); }
};

const json* sourceNamed(const json& document, const std::string& name) {
    for (const json& source : document["sacnSources"]) {
        if (source["sourceName"] == name) return &source;
    }
    return nullptr;
}

}  // namespace

TEST(ServePrometheus, RealServerScrapesTheScansNumbers) {
    const PeerNamespace peer;
    ASSERT_TRUE(peer.ready);
    ServeProcess serve;
    ASSERT_TRUE(serve.ready());
    TestSource ending(1, "Desk A");
    for (int i = 0; i < 30; ++i) ASSERT_TRUE(ending.send());
    ASSERT_TRUE(ending.send(0x40));  // stream terminated: down at once
    // The Linux binary from the other end of a veth pair, on universe 2.
    ASSERT_EQ(peer.run({kBinary, "--send", "--universe", "2", "--local", "10.78.0.2", "--target", "10.78.0.1", "--pulse", "100"}), 0);
    BackgroundSource running(2, "Desk B");
    PrometheusServer prometheus;
    ASSERT_TRUE(prometheus.ready()) << prometheus.log();

    // Prometheus has the terminated source's final count once a scrape after it came in.
    json document;
    const bool scraped = eventually(
        [&] {
            const auto scan = scanDocument();
            const auto count = prometheus.query("lumibox_sacn_packets_total{source_name=\"Desk A\"}");
            const auto peerCount = prometheus.query("lumibox_sacn_packets_total{sender=\"10.78.0.2\"}");
            if (!scan || !count || !peerCount || !sourceNamed(*scan, "Desk A") || !sourceNamed(*scan, "Velmora Lumibox"))
                return false;
            document = *scan;
            return *count == (*sourceNamed(document, "Desk A"))["packets"].get<double>() &&
                   *peerCount == (*sourceNamed(document, "Velmora Lumibox"))["packets"].get<double>();
        },
        60);
    ASSERT_TRUE(scraped) << prometheus.log();
    EXPECT_EQ((*sourceNamed(document, "Desk A"))["packets"], 31);
    EXPECT_GE((*sourceNamed(document, "Velmora Lumibox"))["packets"], 3);
    EXPECT_EQ((*sourceNamed(document, "Velmora Lumibox"))["sender"], "10.78.0.2");
    EXPECT_EQ(document["ports"], json::parse(R"([{"port":5568,"listening":true,"notListening":null,"unicast":true,"unicastNotHeard":null},
                                                  {"port":6454,"listening":true,"notListening":null,"unicast":true,"unicastNotHeard":null}])"));
    EXPECT_TRUE(eventually([&] { return prometheus.query("up{job=\"lumibox\"}") == 1.0; }, 30));
    EXPECT_EQ(prometheus.query("lumibox_sacn_source_up{source_name=\"Desk A\"}"), 0.0);
    EXPECT_TRUE(eventually([&] { return prometheus.query("lumibox_sacn_source_up{source_name=\"Desk B\"}") == 1.0; }, 30));
    EXPECT_TRUE(eventually([&] { return prometheus.query("lumibox_sacn_sources{universe=\"1\"}") == 1.0; }, 30));
    // The running source's count as Prometheus last scraped it: some, and no more than the scan has now.
    const auto scrapedB = prometheus.query("lumibox_sacn_packets_total{source_name=\"Desk B\"}");
    const auto scanNow = scanDocument();
    ASSERT_TRUE(scrapedB && scanNow && sourceNamed(*scanNow, "Desk B") != nullptr);
    EXPECT_GT(*scrapedB, 0.0);
    EXPECT_LE(*scrapedB, (*sourceNamed(*scanNow, "Desk B"))["packets"].get<double>());
    EXPECT_EQ(serve.stop(), 0);
}

namespace {

// A raw TCP connection to --serve, for what no well-behaved client sends.
struct RawConnection {
    int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    RawConnection() {
        sockaddr_in to{};
        to.sin_family = AF_INET;
        to.sin_port = htons(kHttpPort);
        to.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        if (connect(fd, reinterpret_cast<sockaddr*>(&to), sizeof to) != 0) {
            close(fd);
            fd = -1;
        }
    }
    ~RawConnection() {
        if (fd >= 0) close(fd);
    }
    bool send(const std::string& bytes) const {
        return fd >= 0 && ::send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL) == static_cast<ssize_t>(bytes.size());
    }
    // What the server writes until it closes the connection or the time is up; closed
    // tells which.
    std::string answer(int seconds, bool& closed) const {
        std::string text;
        closed = false;
        const auto end = Clock::now() + std::chrono::seconds(seconds);
        while (fd >= 0 && Clock::now() < end) {
            pollfd p{fd, POLLIN, 0};
            if (poll(&p, 1, 100) <= 0) continue;
            char buffer[4096];
            const ssize_t n = recv(fd, buffer, sizeof buffer, 0);
            if (n <= 0) {
                closed = true;
                break;
            }
            text.append(buffer, static_cast<std::size_t>(n));
        }
        return text;
    }
};

constexpr const char* kClosedUnanswered = "";
constexpr std::size_t kAnswerBytesAtMost = 65536;  // the test's pages are a few KiB

struct HostileCase {
    const char* name;
    int connections;            // opened at once and held through the row
    std::string request;        // sent whole on each of them
    const char* expectedStart;  // the answer's start on the first, or kClosedUnanswered
    int answers = 1;            // whole answers on the first, when it is answered
    bool dripped = false;       // sent a byte every 300 ms instead
    int readAfterMs = 0;        // the client starts taking its answers this late
};

// How many whole answers text holds, each a header block and the body its Content-Length
// gives (none after HEAD), or -1 when bytes are left over.
int wholeAnswers(std::string_view text, bool head) {
    int answers = 0;
    for (; !text.empty(); ++answers) {
        const std::size_t end = text.find("\r\n\r\n");
        if (end == std::string_view::npos) return -1;
        const std::size_t at = text.substr(0, end).find("\r\nContent-Length:");
        const std::size_t length = at == std::string_view::npos || head ? 0 : std::stoul(std::string(text.substr(at + 17, 20)));
        if (text.size() < end + 4 + length) return -1;
        text.remove_prefix(end + 4 + length);
    }
    return answers;
}

}  // namespace

TEST(ServeHostileHttp, ServerKeepsAnsweringAndTheScanKeepsReceiving) {
    const std::string get = "GET /metrics HTTP/1.1\r\nHost: lumibox\r\n";
    const std::string health = "GET /healthz HTTP/1.1\r\nHost: lumibox\r\n\r\n";
    std::string manyHeaders = get;
    for (int i = 0; i < 400; ++i) manyHeaders += "X-Filler-" + std::to_string(i) + ": " + std::string(40, 'x') + "\r\n";
    std::string ranges = "0-";
    for (int i = 1; i < 2600; ++i) ranges += ",0-";
    std::string pipelined;
    for (int i = 0; i < 150; ++i) pipelined += get + "\r\n";
    char chunkSize[8] = "";
    std::to_chars(chunkSize, chunkSize + 7, health.size(), 16);
    const HostileCase cases[] = {
        {"slow client that never finishes its request", 1, get, "HTTP/1.1 400"},
        {"client dripping its request a byte at a time", 1, get + "X-Slow: " + std::string(40, 'x'), kClosedUnanswered,
         0, true},
        {"oversized header line", 1, get + "X-Big: " + std::string(20000, 'a') + "\r\n\r\n", "HTTP/1.1 431"},
        {"headers past the request's byte budget", 1, manyHeaders + "\r\n", "HTTP/1.1 431"},
        {"oversized request line", 1, "GET /" + std::string(10000, 'a') + " HTTP/1.1\r\n\r\n", "HTTP/1.1 414"},
        {"request line past the request's byte budget", 1, "GET /" + std::string(20000, 'a') + " HTTP/1.1\r\n\r\n",
         "HTTP/1.1 414"},
        {"GET whose body is a request", 1,
         "GET /nothing HTTP/1.1\r\nContent-Length: " + std::to_string(health.size()) + "\r\n\r\n" + health, "HTTP/1.1 404"},
        {"GET whose chunked body is a request", 1,
         "GET /nothing HTTP/1.1\r\nTransfer-Encoding: chunked\r\n\r\n" + std::string(chunkSize) + "\r\n" + health +
             "\r\n0\r\n\r\n",
         "HTTP/1.1 400"},
        {"GET with a body, then two requests", 1,
         "GET /healthz HTTP/1.1\r\nContent-Length: 10\r\n\r\n0123456789" + health + health, "HTTP/1.1 200", 3},
        {"2,600 ranges of the whole page", 1, get + "Range: bytes=" + ranges + "\r\n\r\n", "HTTP/1.1 200"},
        {"150 pipelined requests, answers taken late", 1, pipelined, "HTTP/1.1 200", 100, false, 500},
        {"HEAD", 1, "HEAD /metrics HTTP/1.1\r\nHost: lumibox\r\n\r\n", "HTTP/1.1 200"},
        {"wrong method", 1, "DELETE /metrics HTTP/1.1\r\nHost: lumibox\r\n\r\n", "HTTP/1.1 405"},
        {"wrong method with a body", 1, "POST /metrics HTTP/1.1\r\nHost: lumibox\r\nContent-Length: 5\r\n\r\nhello",
         "HTTP/1.1 405"},
        {"wrong method whose body is a request", 1,
         "POST /metrics HTTP/1.1\r\nContent-Length: " + std::to_string(health.size()) + "\r\n\r\n" + health, "HTTP/1.1 405"},
        {"unknown method", 1, "BREW /metrics HTTP/1.1\r\nHost: lumibox\r\n\r\n", "HTTP/1.1 400"},
        {"path with ..", 1, "GET /../metrics HTTP/1.1\r\nHost: lumibox\r\n\r\n", "HTTP/1.1 404"},
        {"path with .. inside", 1, "GET /metrics/../scan.json HTTP/1.1\r\nHost: lumibox\r\n\r\n", "HTTP/1.1 404"},
        {"path with encoded ..", 1, "GET /%2e%2e/%2e%2e/etc/passwd HTTP/1.1\r\nHost: lumibox\r\n\r\n", "HTTP/1.1 404"},
        {"many parallel connections that send nothing", 64, "", kClosedUnanswered},
    };
    ServeProcess serve;
    ASSERT_TRUE(serve.ready());
    BackgroundSource source(3, "Hostile row source");
    for (const HostileCase& c : cases) {
        SCOPED_TRACE(c.name);
        const uint64_t heardBefore = datagramsHeard();
        std::vector<std::unique_ptr<RawConnection>> held;
        for (int i = 0; i < c.connections; ++i) {
            held.push_back(std::make_unique<RawConnection>());
            ASSERT_GE(held.back()->fd, 0);
            if (!c.dripped) held.back()->send(c.request);
        }
        // The server answers others while these are held (the many-connections row may
        // wait for its idle ones to time out).
        EXPECT_TRUE(eventually([] { return httpGet(kHttpPort, "/metrics").has_value(); }, 30));
        bool closed = false;
        std::string answer;
        if (c.dripped) {
            // Sending fails soon after the server has closed the connection.
            for (std::size_t i = 0; i < c.request.size() && held[0]->send(c.request.substr(i, 1)); ++i) {
                std::this_thread::sleep_for(std::chrono::milliseconds(300));
            }
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(c.readAfterMs));
        answer += held[0]->answer(20, closed);
        EXPECT_TRUE(closed);  // no request holds a connection for long
        if (c.expectedStart == kClosedUnanswered) {
            EXPECT_EQ(answer, "");
        } else {
            EXPECT_EQ(answer.substr(0, std::string(c.expectedStart).size()), c.expectedStart) << answer.substr(0, 200);
            EXPECT_EQ(wholeAnswers(answer, c.request.starts_with("HEAD ")), c.answers) << answer.substr(0, 200);
            EXPECT_LE(answer.size(), static_cast<std::size_t>(c.answers) * kAnswerBytesAtMost);
        }
        EXPECT_TRUE(eventually([&] { return datagramsHeard() > heardBefore; }, 30));
    }
    EXPECT_TRUE(httpGet(kHttpPort, "/healthz"));
    EXPECT_EQ(serve.stop(SIGINT), 0);
}

TEST(ServeExitCodes, OptionsSocketsAndTheHttpAddress) {
    // Something already listening where one row asks to serve.
    const int busy = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(9776);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ASSERT_EQ(bind(busy, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    ASSERT_EQ(listen(busy, 1), 0);
    struct Case {
        std::vector<std::string> args;
        int exitCode;
    };
    const Case cases[] = {
        {{"--serve", "--http", "127.0.0.1"}, 2},
        {{"--serve", "--http", "127.0.0.1:0"}, 2},
        {{"--serve", "--http", "127.0.0.1:65536"}, 2},
        {{"--serve", "--http", "localhost:9775"}, 2},
        {{"--serve", "--http", "127.0.0.1:97x5"}, 2},
        {{"--serve", "--universes", "0"}, 2},
        {{"--serve", "--universes", "1-64000"}, 2},
        {{"--serve", "--local", "not-an-address"}, 4},
        {{"--serve", "--http", "127.0.0.1:9776"}, 4},  // in use
        {{"--serve", "--http", "192.0.2.1:9775"}, 4},  // not an address of this machine
    };
    for (const Case& c : cases) EXPECT_EQ(runProgram(kBinary, c.args), c.exitCode) << c.args.back();
    close(busy);
}
