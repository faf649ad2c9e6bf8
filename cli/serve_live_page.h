#pragma once
// The live page of --serve, for a phone on the venue's network: GET / gives one page, whose
// style sheet (/page.css) and script (/page.js) the program carries, and the script polls
// /live.json. Read-only: nothing here changes the scan. Every answer carries a
// Content-Security-Policy that lets the page run only its own script and style and connect
// only back to this server, so a source name that holds markup stays text.
#include <vector>

#include "../net/http/http_server.h"
#include "serve_snapshot.h"

std::vector<HttpPage> liveServePages(ServeSnapshotExchange& exchange);
