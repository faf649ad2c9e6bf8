#!/bin/sh
# Install what is missing, build Release and run lumibox with the given arguments.
set -e
root=$(cd "$(dirname "$0")" && pwd)
"$root/tools/install-packages.sh" "$root/tools/packages-build.txt" >&2
cmake -S "$root" -B "$root/build-release" -G Ninja -DCMAKE_BUILD_TYPE=Release -DLUMIBOX_WITH_BENCHMARKS=OFF >/dev/null
cmake --build "$root/build-release" --target lumibox >&2
exec "$root/build-release/lumibox" "$@"
