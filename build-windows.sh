#!/bin/sh
# Install what is missing and cross-build the Windows program and its tests into
# build-windows/ with mingw-w64: first the libraries Debian ships for Linux only, from
# Debian's source packages (kept in build-windows/libraries once built). Extra arguments
# go to the CMake configure step.
set -e
root=$(cd "$(dirname "$0")" && pwd)
"$root/tools/install-packages.sh" "$root/tools/packages-windows.txt"
"$root/tools/build-windows-libraries.sh" "$root/build-windows"
cmake -S "$root" -B "$root/build-windows" -G Ninja \
  -DCMAKE_TOOLCHAIN_FILE="$root/cmake/toolchain-mingw-w64-x86_64.cmake" \
  -DCMAKE_BUILD_TYPE=Release -DLUMIBOX_WERROR=ON "$@"
cmake --build "$root/build-windows" -j2
