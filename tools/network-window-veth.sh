#!/bin/sh
# The Network window across a veth pair, for its end-to-end pictures: the window scans on
# 10.77.0.1 and polls; network_peer sends from a second namespace (Desk A 10.77.0.2 at
# priority 100, Desk B 10.77.0.3 at 120 on slots 1-24, Backup 10.77.0.4 at 50 with
# per-address priority 200 on slots 33-48, Desk C 10.77.0.5 at 100, a focus remote
# 10.77.0.7 at 130 on slots 1-12 that stops a second after the poll, all to universe 7's
# group; an Art-Net node at 10.77.0.6 answering the poll).
#   tools/network-window-veth.sh <qt.png> [win32.png]
# Needs build/ (network_peer, network_window_snapshot); the Win32 picture also needs
# build-windows/ and is taken under wine on an Xvfb display of its own.
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
absolute() { echo "$(cd "$(dirname "$1")" && pwd)/$(basename "$1")"; }
# Run in the window's namespace: makes the peer namespace and starts the network there.
peer_setup="unshare -n sleep 40 & peer=\$!; sleep 0.3
  ip link add lbwa type veth peer name lbwb netns /proc/\$peer/ns/net
  ip addr add 10.77.0.1/24 broadcast 10.77.0.255 dev lbwa; ip link set lbwa up
  nsenter --net=/proc/\$peer/ns/net sh -c 'ip link set lo up; ip link set lbwb up
    for a in 2 3 4 5 6 7; do ip addr add 10.77.0.\$a/24 broadcast 10.77.0.255 dev lbwb; done
    ip route add 224.0.0.0/4 dev lbwb'
  nsenter --net=/proc/\$peer/ns/net $root/build/tools/screenshots/network_peer 10.77.0.2 10.77.0.3 10.77.0.4 10.77.0.5 10.77.0.7 10.77.0.6 multicast 35 \
    >/dev/null 2>&1 &"

qt=$(absolute "$1")
"$root/tools/in-private-netns.sh" sh -c "$peer_setup
  QT_QPA_PLATFORM=offscreen $root/build/tools/screenshots/network_window_snapshot $qt 10.77.0.1 5"
[ $# -ge 2 ] || exit 0

win32=$(absolute "$2")
shots=$(mktemp -d)
trap 'rm -rf "$shots"' EXIT
prefix=$root/build-windows/wine-prefix
[ -f "$prefix/system.reg" ] || "$root/tools/wine-run.sh" "$prefix" --init
cat > "$shots/take.sh" <<'TAKE'
set -eu
LUMIBOX_NETNS_SETUP="$peer_setup" "$root/tools/screenshots/grab-from-screen.sh" "$win32" "$shots/ready" "$shots/done" \
    "$root/tools/wine-run.sh" "$prefix" "$root/build-windows/tools/screenshots/win32_network_snapshot.exe" \
    "Z:$shots/ready" "Z:$shots/done" 10.77.0.1
TAKE
# with-xvfb.sh keeps a variable named work for itself.
peer_setup=$peer_setup root=$root prefix=$prefix shots=$shots win32=$win32 "$root/tools/with-xvfb.sh" sh "$shots/take.sh"
