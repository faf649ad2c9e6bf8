#!/bin/sh
# Checks what Windows programs import, read with mingw's objdump.
#   pe-imports.sh system <objdump> <file>...      each file imports only Windows' own DLLs
#   pe-imports.sh stand-in <objdump> <program> <dll>
#       the stand-in DLL exports everything the program imports from the DLL of its name
#       (it may offer more: it stands in for several programs)
set -eu
mode=$1 objdump=$2
shift 2

# "DLL function" per imported function, DLL names in upper case.
imports() {
    "$objdump" -p "$1" | awk '
        /DLL Name:/ { dll = toupper($3); next }
        dll != "" && NF == 3 && $1 ~ /^[0-9a-f]+$/ && $2 ~ /^[0-9]+$/ { print dll, $3 }
        /^$/ { dll = "" }' | sort -u
}

exports() {
    "$objdump" -p "$1" | sed -n '/^\[Ordinal\/Name Pointer\] Table/,/^$/p' | awk 'NR > 1 && NF == 3 { print $3 }' | sort -u
}

case "$mode" in
system)
    allowed=" ADVAPI32.DLL COMCTL32.DLL DWMAPI.DLL GDI32.DLL GDIPLUS.DLL IPHLPAPI.DLL KERNEL32.DLL MSVCRT.DLL OLE32.DLL SHELL32.DLL USER32.DLL UXTHEME.DLL WINMM.DLL WS2_32.DLL "
    status=0
    for file in "$@"; do
        for dll in $(imports "$file" | cut -d' ' -f1 | sort -u); do
            case "$allowed" in
            *" $dll "*) ;;
            *) echo "$file imports $dll, which Windows does not ship" >&2; status=1 ;;
            esac
        done
        [ -n "$(imports "$file")" ] || { echo "no imports read from $file" >&2; status=1; }
    done
    exit $status
    ;;
stand-in)
    program=$1 dll=$2
    name=$(basename "$dll" | tr '[:lower:]' '[:upper:]')
    wanted=$(imports "$program" | awk -v n="$name" '$1 == n { print $2 }')
    offered=$(exports "$dll")
    [ -n "$wanted" ] || { echo "$program imports nothing from $name" >&2; exit 1; }
    missing=$(printf '%s\n' "$wanted" | while read -r function; do
        printf '%s\n' "$offered" | grep -qx "$function" || echo "$function"; done)
    if [ -n "$missing" ]; then
        echo "$program imports from $name what $dll does not export:" >&2; echo "$missing" >&2
        exit 1
    fi
    ;;
*)
    echo "usage: $0 system <objdump> <file>... | stand-in <objdump> <program> <dll>" >&2
    exit 2
    ;;
esac
