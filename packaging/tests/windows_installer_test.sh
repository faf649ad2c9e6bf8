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
# What a Windows program prints, through a file: wine's helper processes inherit the
# output and would hold a pipe open, so a $(...) of the program itself never ends.
scratch=$(mktemp)
trap 'rm -f "$scratch"' EXIT
windows_output() { "$WINE" "$@" >"$scratch" 2>&1 </dev/null; tr -d '\r' <"$scratch"; }
user_key='HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\Velmora Lumibox'
user_path() { windows_output reg query 'HKCU\Environment' /v Path; }
on_path() { user_path | grep -qi 'Velmora Lumibox'; }
path_before=$(user_path)

"$WINE" "$setup" /S /CurrentUser </dev/null >/dev/null 2>&1
check "installer exits 0" test $? -eq 0
dir=$(windows_output winepath.exe -u "$(windows_output cmd.exe /c echo %LOCALAPPDATA%)\\Programs\\Velmora Lumibox")
start_menu=$(windows_output winepath.exe -u "$(windows_output cmd.exe /c echo %APPDATA%)\\Microsoft\\Windows\\Start Menu\\Programs")
for file in lumibox.exe lumibox.com README.md LICENSE uninstall.exe; do check "installed $file" test -s "$dir/$file"; done
for link in "Velmora Lumibox" "Velmora Lumibox Network monitor"; do check "shortcut $link" test -s "$start_menu/$link.lnk"; done
check "uninstall entry" "$WINE" reg query "$user_key" /v DisplayVersion
check "folder on the user's PATH" on_path
check "installed lumibox.exe --self-test" "$WINE" "$dir/lumibox.exe" --self-test
check "installed lumibox.com --self-test" "$WINE" "$dir/lumibox.com" --self-test

# The uninstaller runs from a copy of itself and returns at once; removing the folder is
# its last step.
"$WINE" "$dir/uninstall.exe" /S </dev/null >/dev/null 2>&1
for _ in $(seq 1 600); do [ -e "$dir" ] || break; sleep 0.1; done
check "install folder removed" absent test -e "$dir"
for link in "Velmora Lumibox" "Velmora Lumibox Network monitor"; do check "$link removed" absent test -e "$start_menu/$link.lnk"; done
check "uninstall entry removed" absent "$WINE" reg query "$user_key"
check "PATH entry removed" absent on_path
check "the user's PATH as before" test "$(user_path)" = "$path_before"
[ "$failures" -eq 0 ]
