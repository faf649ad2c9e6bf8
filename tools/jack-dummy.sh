#!/bin/sh
# Start or stop a JACK server with the dummy driver, for the MIDI tests and benchmarks.
#   jack-dummy.sh start <server-name> <pid-file> [period-frames] [realtime]
#   jack-dummy.sh stop <pid-file>
# start returns once the server answers; stop ends exactly the server it started, by pid.
set -u
case "${1:-}" in
start)
    name=$2 pidfile=$3 period=${4:-512} scheduling="--no-realtime --sync --timeout 5000 --port-max 128"
    # Realtime scheduling only on request: containers and CI runners rarely grant it.
    # Without it, on a loaded machine, a client's cycle can run late: in synchronous mode
    # with a long client time-out the server waits for it instead of losing its MIDI.
    # The small port table lets a test fill it.
    [ "${5:-}" = realtime ] && scheduling=--realtime
    if [ -s "$pidfile" ] && kill -0 "$(cat "$pidfile")" 2>/dev/null; then
        echo "a server from $pidfile is still running" >&2
        exit 1
    fi
    export JACK_DEFAULT_SERVER="$name"
    jackd $scheduling --name "$name" -d dummy -r 48000 -p "$period" >"$pidfile.log" 2>&1 &
    echo $! >"$pidfile"
    if ! jack_wait --server "$name" --wait --timeout 10 >/dev/null 2>&1; then
        echo "JACK server $name did not answer; its log:" >&2
        cat "$pidfile.log" >&2
        kill "$(cat "$pidfile")" 2>/dev/null
        exit 1
    fi
    ;;
stop)
    pidfile=$2
    [ -s "$pidfile" ] || exit 0
    pid=$(cat "$pidfile")
    kill "$pid" 2>/dev/null
    # Wait up to 5 s for it to go, then force it.
    i=0
    while kill -0 "$pid" 2>/dev/null && [ $i -lt 50 ]; do sleep 0.1; i=$((i + 1)); done
    kill -9 "$pid" 2>/dev/null
    rm -f "$pidfile" "$pidfile.log"
    ;;
*)
    echo "usage: $0 start <server-name> <pid-file> [period-frames] [realtime] | stop <pid-file>" >&2
    exit 2
    ;;
esac
