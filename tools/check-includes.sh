#!/bin/sh
# Keeps the source folders one way and the platform code in platform files:
#  - a file includes only files of its own folder or of a lower one:
#    core < net, midi < ui < cli (net and midi never include each other);
#  - net/ holds six folders, one job each: socket/ (the socket interface and its platform
#    files) below dmx/ (the window's DMX engine), scan/ (the --scan engine), source/ (the
#    --source sender) and http/ (the HTTP server of --serve), which never include each
#    other, and capture/ (--record and --replay) above scan/, whose sockets it records
#    from; no file sits in net/ itself;
#  - no two files include each other round a circle;
#  - a platform's own headers (Qt, POSIX/Linux, ALSA, JACK, Windows) are included only by
#    files whose path names that platform (ui/qt/, socket_posix, service_jack, _win32 ...);
#    a POSIX header also in an ALSA or JACK file, which are Linux files. cpp-httplib and
#    libpcap serve both platforms (built from Debian's sources for Windows) and are no
#    platform's own.
# Reads the #include lines of core/ net/ midi/ ui/ cli/, tests included. Prints every
# breach and exits 1 when there is one.
set -e
cd "$(dirname "$0")/.."

files=$(find core net midi ui cli -type f \( -name '*.h' -o -name '*.cpp' \) | LC_ALL=C sort)
{
  for f in $files; do echo "FILE $f"; done
  for f in $files; do
    grep -n '^[[:space:]]*#[[:space:]]*include' "$f" | sed "s|^|INCLUDE $f:|" || true
  done
} | awk '
function normalise(path,    parts, n, i, out, k, result) {
  n = split(path, parts, "/")
  k = 0
  for (i = 1; i <= n; ++i) {
    if (parts[i] == "" || parts[i] == ".") continue
    if (parts[i] == "..") { if (k > 0) --k; continue }
    out[++k] = parts[i]
  }
  result = ""
  for (i = 1; i <= k; ++i) result = result (i > 1 ? "/" : "") out[i]
  return result
}
function folderOf(path,    parts) { split(path, parts, "/"); return parts[1] }
function netPartOf(path,    parts, n) { n = split(path, parts, "/"); return n > 2 ? parts[2] : "" }
function dirOf(path) { sub(/\/[^\/]*$/, "", path); return path }
function fail(message) { print message; ++failures }

# Which platform a system header belongs to; "" for the standard library and the test tools.
function platformOf(header) {
  if (header ~ /^Q[A-Za-z]*(\/|$)/ || header ~ /^Qt/) return "qt"
  if (header ~ /^jack\//) return "jack"
  if (header ~ /^(RtMidi\.h|alsa\/)/) return "alsa"
  if (header ~ /^(sys\/|arpa\/|netinet\/|net\/if\.h|ifaddrs\.h|unistd\.h|fcntl\.h|signal\.h|poll\.h|pthread\.h|dlfcn\.h|spawn\.h|netdb\.h|linux\/)/) return "posix"
  if (tolower(header) ~ /^(windows\.h|winsock2\.h|ws2tcpip\.h|mmsystem\.h|mmeapi\.h|gdiplus\.h|objidl\.h|commctrl\.h|dwmapi\.h|shellapi\.h|windowsx\.h|winuser\.h)$/) return "win32"
  return ""
}
# Whether the path names the platform: a folder or a file name part.
function pathNames(path, platform) {
  if (platform == "qt") return path ~ /(^|\/)qt\// || path ~ /_qt[._]/
  if (platform == "jack") return path ~ /jack/
  if (platform == "alsa") return path ~ /alsa/
  if (platform == "posix") return path ~ /(posix|linux|alsa|jack)/  # ALSA and JACK exist on Linux only
  if (platform == "win32") return path ~ /(win32|winmm|gdiplus)/
  return 1
}

$1 == "FILE" {
  known[$2] = 1
  if (folderOf($2) == "net" && !(netPartOf($2) in netLevel)) fail($2 ": not in net/socket/, net/dmx/, net/scan/, net/source/, net/http/ or net/capture/")
  next
}
$1 == "INCLUDE" {
  line = substr($0, 9)
  split(line, head, ":")
  file = head[1]
  where = file ":" head[2]
  if (match(line, /"[^"]*"/)) {
    name = substr(line, RSTART + 1, RLENGTH - 2)
    target = normalise(dirOf(file) "/" name)
    if (!(target in known)) target = normalise(name)
    if (!(target in known)) { fail(where ": \"" name "\" is not a file of core/ net/ midi/ ui/ cli/"); next }
    from = folderOf(file); to = folderOf(target)
    if (from != to && level[to] >= level[from])
      fail(where ": " from "/ may not include " target " (core < net, midi < ui < cli)")
    if (from == "net" && to == "net") {
      fromPart = netPartOf(file); toPart = netPartOf(target)
      if (fromPart != toPart && netLevel[toPart] >= netLevel[fromPart])
        fail(where ": net/" fromPart "/ may not include " target " (socket < dmx, scan, source, http; scan < capture)")
    }
    edges[file] = edges[file] " " target
  } else if (match(line, /<[^>]*>/)) {
    header = substr(line, RSTART + 1, RLENGTH - 2)
    platform = platformOf(header)
    if (platform != "" && !pathNames(file, platform))
      fail(where ": <" header "> is a " platform " header; only a file whose path names " platform " includes it")
  }
  next
}

# Depth-first search; state 1 = on the current path, 2 = done.
function visit(node,    list, n, i, next_) {
  state[node] = 1
  path[++depth] = node
  n = split(edges[node], list, " ")
  for (i = 1; i <= n; ++i) {
    next_ = list[i]
    if (state[next_] == 1) reportCycle(next_)
    else if (state[next_] == 0) visit(next_)
  }
  --depth
  state[node] = 2
}
function reportCycle(node,    i, start, text) {
  for (i = depth; i >= 1; --i) if (path[i] == node) start = i
  text = ""
  for (i = start; i <= depth; ++i) text = text path[i] " -> "
  fail("include cycle: " text node)
}

BEGIN {
  level["core"] = 0; level["net"] = 1; level["midi"] = 1; level["ui"] = 2; level["cli"] = 3
  netLevel["socket"] = 0; netLevel["dmx"] = 1; netLevel["scan"] = 1; netLevel["source"] = 1; netLevel["http"] = 1; netLevel["capture"] = 2
}
END {
  for (node in known) if (state[node] == 0) visit(node)
  if (failures > 0) { print failures " include rule(s) broken"; exit 1 }
}
'
