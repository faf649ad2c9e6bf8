#!/bin/sh
# The installer of ./package.sh in a fresh wine prefix, run through
# `tools/wine-run.sh <prefix> --host` (the wine server is running, $WINE starts programs):
# a silent per-user install, the installed program and its console companion run
# --self-test, the shortcut, uninstall entry and PATH entry exist; the silent uninstaller
# then leaves none of it behind. Exits 77 (skipped) when no installer has been built.
#   windows_installer_test.sh <setup.exe>
set -u
setup=$1
[ -f "$setup" ] || { echo "no installer at $setup (run ./package.sh)"; exit 77; }
failures=0
check() {  # check <what> <command...>
    what=$1; shift
    if "$@" >/dev/null 2>&1; then echo "ok: $what"; else echo "FAILED: $what"; failures=$((failures + 1)); fi
}
absent() { ! "$@"; }
unix_path() { winepath -u "$1" 2>/dev/null || "$WINE" winepath.exe -u "$1" 2>/dev/null; }
user_key='HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\Velmora Lumibox'
on_path() { "$WINE" reg query 'HKCU\Environment' /v Path 2>/dev/null | grep -qi 'Velmora Lumibox'; }
user_path() { "$WINE" reg query 'HKCU\Environment' /v Path 2>&1 | tr -d '\r'; }
path_before=$(user_path)

"$WINE" "$setup" /S /CurrentUser
check "installer exits 0" test $? -eq 0
local_programs=$("$WINE" cmd.exe /c echo %LOCALAPPDATA% | tr -d '\r')'\Programs\Velmora Lumibox'
dir=$("$WINE" winepath.exe -u "$local_programs" 2>/dev/null | tr -d '\r')
start_menu=$("$WINE" winepath.exe -u "$("$WINE" cmd.exe /c echo %APPDATA% | tr -d '\r')\\Microsoft\\Windows\\Start Menu\\Programs" | tr -d '\r')
for file in lumibox.exe lumibox.com README.md LICENSE uninstall.exe; do check "installed $file" test -s "$dir/$file"; done
check "Start-menu shortcut" test -s "$start_menu/Velmora Lumibox.lnk"
check "uninstall entry" "$WINE" reg query "$user_key" /v DisplayVersion
check "folder on the user's PATH" on_path
check "installed lumibox.exe --self-test" "$WINE" "$dir/lumibox.exe" --self-test
check "installed lumibox.com --self-test" "$WINE" "$dir/lumibox.com" --self-test

# The uninstaller runs from a copy of itself and returns at once: wait for its work.
"$WINE" "$dir/uninstall.exe" /S
for _ in $(seq 1 600); do [ -e "$dir" ] || break; sleep 0.1; done
check "install folder removed" absent test -e "$dir"
check "shortcut removed" absent test -e "$start_menu/Velmora Lumibox.lnk"
check "uninstall entry removed" absent "$WINE" reg query "$user_key"
check "PATH entry removed" absent on_path
check "the user's PATH as before" test "$(user_path)" = "$path_before"
[ "$failures" -eq 0 ]
