#!/bin/sh
# The Network window across a veth pair, for its end-to-end picture: the window scans on
# 10.77.0.1 in a private namespace, network_peer sends from a second one (Desk A 10.77.0.2
# at priority 100, Desk B 10.77.0.3 at 120 on slots 1-24, Backup 10.77.0.4 at 50 with
# per-address priority 200 on slots 33-48, all on universe 7's group; an Art-Net node at
# 10.77.0.6 answering the window's poll).
#   tools/network-window-veth.sh <out.png>      (needs build/ with network_peer and the snapshot)
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
out=$(cd "$(dirname "$1")" && pwd)/$(basename "$1")
exec "$root/tools/in-private-netns.sh" sh -eu -c '
  unshare -n sleep 30 &
  peer=$!
  sleep 0.3
  ip link add lbwa type veth peer name lbwb netns /proc/$peer/ns/net
  ip addr add 10.77.0.1/24 broadcast 10.77.0.255 dev lbwa
  ip link set lbwa up
  nsenter --net=/proc/$peer/ns/net sh -eu -c "ip link set lo up; ip link set lbwb up
    for a in 2 3 4 6; do ip addr add 10.77.0.\$a/24 broadcast 10.77.0.255 dev lbwb; done
    ip route add 224.0.0.0/4 dev lbwb"
  nsenter --net=/proc/$peer/ns/net "$1/build/ui/network_peer" 10.77.0.2 10.77.0.3 10.77.0.4 10.77.0.6 multicast 8 &
  QT_QPA_PLATFORM=offscreen "$1/build/ui/qt/network_window_snapshot" "$2" 10.77.0.1 5
  kill $peer' veth "$root" "$out"
