// The HTTP server's own life: started and stopped at once, again and again (the library
// ignores a stop that comes before its accept loop has begun, and the owner would wait
// forever), and a second server refused the port the first one holds.
#include <gtest/gtest.h>

#include "net/http/http_server.h"
#include "net/http/request_head.h"

namespace {

const Ipv4Address kLoopback{{127, 0, 0, 1}};

HttpPage page() {
    return {"/page", [] { return HttpReply{200, "text/plain", "page\n"}; }};
}

}  // namespace

TEST(HttpServer, StopsRightAfterStarting) {
    for (int i = 0; i < 200; ++i) {
        HttpServerHandle server;
        ASSERT_EQ(startHttpServer(server, kLoopback, 0, {page()}), HttpStartResult::Started);
        server.reset();  // must return: ctest's time-out catches a hang
    }
}

TEST(HttpServer, SecondServerOnTheSamePortFailsToBind) {
    HttpServerHandle first;
    ASSERT_EQ(startHttpServer(first, kLoopback, 0, {page()}), HttpStartResult::Started);
    HttpServerHandle second;
    EXPECT_EQ(startHttpServer(second, kLoopback, httpServerPort(*first), {page()}), HttpStartResult::BindFailed);
}

// Every line under its limit can still add up past the head's budget: that is refused
// however the bytes happened to arrive.
TEST(HttpServer, RequestHeadJudgedBeforeTheLibrary) {
    const RequestHeadLimits limits{32, 64};
    const std::string line = "GET / HTTP/1.1\r\n";
    const std::string header = "X: " + std::string(22, 'a') + "\r\n";
    const struct {
        std::string received;
        RequestHead head;
    } cases[] = {
        {line + header + "\r\n", RequestHead::Complete},
        {line + header, RequestHead::Incomplete},
        {"GET /" + std::string(40, 'a') + " HTTP/1.1\r\n", RequestHead::LineTooLong},
        {line + "X: " + std::string(40, 'a') + "\r\n", RequestHead::HeadersTooLarge},
        {line + header + header + header + "\r\n", RequestHead::HeadersTooLarge},
    };
    for (const auto& c : cases) EXPECT_EQ(judgeRequestHead(c.received, limits), c.head) << c.received;
}
