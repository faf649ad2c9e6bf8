#!/bin/sh
# Screenshots of both pages of both builds' windows and of their Network windows, for the
# README and for comparing the two front ends by eye:
#   tools/window-screenshots.sh [out-dir [full-size-dir]]   (default docs/screenshots)
# Needs the Linux build in build/ and the Windows build in build-windows/. The Qt window
# is grabbed on Qt's offscreen platform; the Win32 window is shown under wine on an Xvfb
# display of its own and taken from the screen with ImageMagick's import, its client
# area only. Writes window-dmx.png and window-midi.png to out-dir: each page of both
# windows side by side at half size (Qt left, Win32 right), in 128 colours; and
# window-network.png (the small network over loopback) and window-network-veth.png
# (tools/network-window-veth.sh): Qt above Win32 at full size, as their tables are dense.
# The full-size pictures (qt-dmx.png, win32-dmx.png, ...) go to full-size-dir when given.
# Prints how many pixels of the header band and of the first rows differ by more than 8 %.
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/tools/install-packages.sh" "$root/tools/packages-screenshots.txt"
out=$(mkdir -p "${1:-$root/docs/screenshots}" && cd "${1:-$root/docs/screenshots}" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
full=$work
if [ $# -ge 2 ]; then full=$(mkdir -p "$2" && cd "$2" && pwd); fi
prefix=$root/build-windows/wine-prefix
snapshot=$root/build-windows/tools/screenshots/win32_window_snapshot.exe
[ -x "$root/build/tools/screenshots/window_snapshot" ] || { echo "build the Linux tree in build/ first" >&2; exit 1; }
[ -f "$snapshot" ] || { echo "build the Windows tree in build-windows/ first" >&2; exit 1; }
[ -f "$prefix/system.reg" ] || "$root/tools/wine-run.sh" "$prefix" --init

QT_QPA_PLATFORM=offscreen "$root/build/tools/screenshots/window_snapshot" "$full/qt-dmx.png" "$full/qt-midi.png" 2>/dev/null
# The Network window binds both DMX ports: a namespace of its own.
QT_QPA_PLATFORM=offscreen "$root/tools/in-private-netns.sh" "$root/build/tools/screenshots/network_window_snapshot" \
    "$full/qt-network.png" 2>/dev/null

# On the display: the program reports where its client area is, waits for the picture.
cat > "$work/take.sh" <<'TAKE'
set -eu
for page in dmx midi; do
    "$root/tools/screenshots/grab-from-screen.sh" "$full/win32-$page.png" "$work/ready" "$work/done" \
        "$root/tools/wine-run.sh" "$prefix" "$snapshot" "$page" "Z:$work/ready" "Z:$work/done"
done
"$root/tools/screenshots/grab-from-screen.sh" "$full/win32-network.png" "$work/ready" "$work/done" \
    "$root/tools/wine-run.sh" "$prefix" "$root/build-windows/tools/screenshots/win32_network_snapshot.exe" \
    "Z:$work/ready" "Z:$work/done"
TAKE
work=$work root=$root prefix=$prefix snapshot=$snapshot full=$full "$root/tools/with-xvfb.sh" sh "$work/take.sh"

for page in dmx midi; do
    convert "$full/qt-$page.png" "$full/win32-$page.png" -resize 50% -background '#0A111E' -splice 8x0 +append \
        -chop 8x0 -strip -dither None -colors 128 "PNG8:$out/window-$page.png"
    for region in 990x100+0+0 990x230+0+100; do
        convert "$full/qt-$page.png" -crop "$region" +repage "$work/qt.png"
        convert "$full/win32-$page.png" -crop "$region" +repage "$work/win32.png"
        differing=$(compare -fuzz 8% -metric AE "$work/qt.png" "$work/win32.png" null: 2>&1 || true)
        echo "$page page, $region: $differing pixels differ"
    done
done
"$root/tools/network-window-veth.sh" "$full/qt-network-veth.png" "$full/win32-network-veth.png"
for picture in network network-veth; do
    convert "$full/qt-$picture.png" "$full/win32-$picture.png" -background '#0A111E' -splice 0x8 -append \
        -chop 0x8 -strip -dither None -colors 128 "PNG8:$out/window-$picture.png"
done
ls -l "$out"
