#!/bin/sh
# Takes a program's window from the X display it runs on, for the screenshot scripts:
#   tools/screenshots/grab-from-screen.sh <out.png> <ready-file> <done-file> <command...>
# Runs the command, which writes its client area's place on the screen ("x y width
# height") to the ready file once painted and then waits for the done file; crops that
# area from the screen with ImageMagick's import and waits for the program to end.
set -eu
out=$1 ready=$2 done=$3
shift 3
rm -f "$ready" "$done"
"$@" &
program=$!
waited=0
while [ ! -s "$ready" ] && [ $waited -lt 900 ]; do sleep 0.1; waited=$((waited + 1)); done
[ -s "$ready" ] || { echo "the window did not come up" >&2; kill $program; exit 1; }
read -r x y width height < "$ready"
import -window root -crop "${width}x${height}+${x}+${y}" +repage "$out"
touch "$done"
wait $program
