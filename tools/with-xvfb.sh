#!/bin/sh
# Run a command with a display of its own: a fresh Xvfb that picks a free display number
# and reports it (-displayfd), ended when the command ends. Listens on no TCP port, so
# its clients reach it through its socket file, also from inside a private network
# namespace. LUMIBOX_XVFB_SCREEN sets the screen (default 1280x1024x24).
set -eu
[ $# -ge 1 ] || { echo "usage: $0 command [arguments...]" >&2; exit 2; }
work=$(mktemp -d)
xvfb=
cleanup() {
    if [ -n "$xvfb" ]; then kill "$xvfb" 2>/dev/null || true; wait "$xvfb" 2>/dev/null || true; fi
    rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 129' HUP INT TERM
mkfifo "$work/display"
Xvfb -displayfd 3 -screen 0 "${LUMIBOX_XVFB_SCREEN:-1280x1024x24}" -nolisten tcp 3>"$work/display" 2>"$work/log" &
xvfb=$!
# The read ends with the number once the server accepts clients, or empty if it failed.
display=$(head -n 1 "$work/display" || true)
if [ -z "$display" ]; then
    echo "Xvfb did not start:" >&2
    cat "$work/log" >&2
    exit 1
fi
status=0
DISPLAY=":$display" "$@" || status=$?
exit $status
