#!/bin/sh
# Run a Windows program under Debian's wine, inside a private network namespace.
#   wine-run.sh <prefix-dir> --init             make a fresh wine prefix there (10-20 s)
#   wine-run.sh <prefix-dir> <program.exe> [arguments...]
#   wine-run.sh <prefix-dir> --host <program> [arguments...]
#       a Linux program (a test that starts Windows programs itself with $WINE) in the
#       namespace, with the wine server kept running until it ends
# The wine server is started inside the program's namespace, so every socket the program
# opens lives there. A server still running for the prefix (left by a program that was
# killed, in another namespace) is never joined: it is ended first, with a note.
# LUMIBOX_WINE_DLL_OVERRIDES adds overrides such as winmm=n,b; LUMIBOX_WINE_DPI, given to
# --init, sets the prefix's screen DPI (LogPixels; 144 is 150 % scaling);
# LUMIBOX_NETNS_SETUP is a shell command that in-private-netns.sh runs in the namespace
# first (a Windows program cannot run ip itself), for example to add interfaces.
set -eu
here=$(cd "$(dirname "$0")" && pwd)
[ $# -ge 2 ] || { echo "usage: $0 <prefix-dir> --init | <program.exe> [arguments...]" >&2; exit 2; }
prefix=$1
shift
# Wine takes only an absolute prefix path.
case "$prefix" in /*) ;; *) prefix=$PWD/$prefix ;; esac

export WINEPREFIX="$prefix" WINEARCH=win64 WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d;winealsa.drv=d${LUMIBOX_WINE_DLL_OVERRIDES:+;$LUMIBOX_WINE_DLL_OVERRIDES}"
export WINE=/usr/lib/wine/wine64 WINESERVER=/usr/lib/wine/wineserver64

marker=.lumibox-test-prefix
if [ "$1" = --init ]; then
    # Only a prefix this script made is ever removed.
    if [ -d "$prefix" ] && [ -n "$(ls -A "$prefix")" ] && [ ! -f "$prefix/$marker" ]; then
        echo "$prefix is not a test prefix made here; not replacing it" >&2
        exit 1
    fi
    "$WINESERVER" -k 2>/dev/null || true
    "$WINESERVER" -w 2>/dev/null || true
    rm -rf "$prefix"
    mkdir -p "$prefix"
    touch "$prefix/$marker"
    "$WINE" wineboot.exe --init >/dev/null 2>&1
    if [ -n "${LUMIBOX_WINE_DPI:-}" ]; then
        for key in 'HKCU\Control Panel\Desktop' 'HKCC\Software\Fonts'; do
            "$WINE" reg.exe add "$key" /v LogPixels /t REG_DWORD /d "$LUMIBOX_WINE_DPI" /f >/dev/null 2>&1
        done
    fi
    # Wait until the server has written the registry and gone.
    "$WINESERVER" -w
    [ -f "$prefix/system.reg" ] || { echo "wine did not create the prefix $prefix" >&2; exit 1; }
    exit 0
fi

[ -f "$prefix/system.reg" ] || { echo "no wine prefix at $prefix (run: $0 $prefix --init)" >&2; exit 1; }
# Windows file names beyond ASCII cross wine's command line and file system as UTF-8.
export LC_ALL=C.UTF-8
exec "$here/in-private-netns.sh" sh -c '
    persistence=-p0
    if [ "$1" = --host ]; then persistence=-p; fi
    if ! "$WINESERVER" $persistence 2>/dev/null; then
        echo "note: ending a wine server left running for $WINEPREFIX" >&2
        "$WINESERVER" -k 2>/dev/null || true
        "$WINESERVER" -w 2>/dev/null || true
        "$WINESERVER" $persistence || { echo "cannot start a wine server for $WINEPREFIX" >&2; exit 1; }
    fi
    status=0
    if [ "$1" = --host ]; then
        shift
        "$@" || status=$?
        "$WINESERVER" -k 2>/dev/null || true
    else
        "$WINE" "$@" || status=$?
    fi
    "$WINESERVER" -w
    exit $status' wine-run "$@"
