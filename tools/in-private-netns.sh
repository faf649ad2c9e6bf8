#!/bin/sh
# Run a command in a fresh network namespace with only loopback up and the
# multicast range routed to it, so multicast and broadcast never leave the machine.
# LUMIBOX_NETNS_SETUP is a shell command run in the namespace first, for example to add
# interfaces (tools/sacn-peer-namespace.sh).
set -e
if [ "$(id -u)" -eq 0 ]; then unshare_flags=-n; else unshare_flags=-rn; fi
exec unshare $unshare_flags sh -c '
  ip link set lo up
  ip route add 224.0.0.0/4 dev lo
  if [ -n "${LUMIBOX_NETNS_SETUP:-}" ]; then sh -c "$LUMIBOX_NETNS_SETUP"; fi
  exec "$@"' in-private-netns "$@"
