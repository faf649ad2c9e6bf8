#!/bin/sh
# Run inside a test's private namespace (LUMIBOX_NETNS_SETUP): adds a second namespace
# joined to it by a veth pair (10.77.0.1 here, 10.77.0.2 there) and starts two npm sacn
# sources there, which end by themselves after about a minute: universe 9 to its multicast
# group and universe 10 by unicast to 10.77.0.1. The second namespace goes when its
# holder ends.
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
unshare -n sleep 90 >/dev/null 2>&1 &
holder=$!
for _ in $(seq 50); do
    [ "$(readlink /proc/$holder/ns/net)" != "$(readlink /proc/self/ns/net)" ] && break
    sleep 0.1
done
ip link add lbpa type veth peer name lbpb netns /proc/$holder/ns/net
ip addr add 10.77.0.1/24 broadcast 10.77.0.255 dev lbpa
ip link set lbpa up
nsenter --net=/proc/$holder/ns/net sh -c 'ip link set lo up && ip link set lbpb up &&
    ip addr add 10.77.0.2/24 broadcast 10.77.0.255 dev lbpb && ip route add 224.0.0.0/4 dev lbpb'
for source in "9 6000 10.77.0.2" "10 6000 10.77.0.2 10.77.0.1"; do
    # shellcheck disable=SC2086 # the words are the sender's arguments
    nsenter --net=/proc/$holder/ns/net env NODE_PATH="$root/build-npm/node_modules" \
        node "$root/tools/sacn-send.js" $source >/dev/null 2>&1 &
done
