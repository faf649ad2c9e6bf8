#pragma once
// A small HTTP server for a monitoring endpoint: GET and HEAD of a few fixed paths, nothing
// else (other methods 405, other paths 404, no files). The protocol is the library's; this
// server adds the limits a hostile client meets: a bounded number of connections (more
// are closed at once), a time and byte budget for each request and a time budget for each
// response, so that no client can hold a worker for long. Pages are rendered on the
// server's threads by the callbacks given; nothing here knows what they show.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "../socket/socket_layer.h"

struct HttpReply {
    int status = 200;
    std::string contentType;
    std::string body;
};

// The query's parameters, decoded, in the order sent.
using HttpQuery = std::vector<std::pair<std::string, std::string>>;

struct HttpPage {
    std::string path;  // matched exactly, without the query
    std::function<HttpReply()> answer;
    std::function<HttpReply(const HttpQuery& query)> answerQuery = {};  // instead of answer, where set
};

struct HttpServerLimits {
    int workers = 8;                   // connections served at once
    int waiting = 16;                  // accepted connections waiting for a worker; more are closed
    int requestTimeoutMs = 5000;       // from a request's first byte to its last header
    int idleTimeoutMs = 2000;          // for the first byte of a request
    int writeTimeoutMs = 5000;         // for the whole of a response
    std::size_t requestBytes = 16384;  // request line, headers and any body together
    int requestsPerConnection = 100;
};

struct HttpServer;
struct HttpServerDeleter {
    void operator()(HttpServer* server) const;  // stops the server and waits for its threads
};
using HttpServerHandle = std::unique_ptr<HttpServer, HttpServerDeleter>;

enum class HttpStartResult { Started, BindFailed, ThreadsNotStarted };

// Binds address:port (port 0: any free port) and serves pages on threads of its own until
// the handle is reset.
HttpStartResult startHttpServer(HttpServerHandle& server, Ipv4Address address, uint16_t port,
                                std::vector<HttpPage> pages, const HttpServerLimits& limits = {});

// The port bound, for a server started on port 0.
uint16_t httpServerPort(const HttpServer& server);
