// The HTTP server's own life: started and stopped at once, again and again (the library
// ignores a stop that comes before its accept loop has begun, and the owner would wait
// forever), and a second server refused the port the first one holds.
#include <gtest/gtest.h>

#include "net/http/http_server.h"

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
