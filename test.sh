#!/bin/sh
# Install what is missing, check the include rules, build, and run every test: the main
# build, then the unit tests again under AddressSanitizer/UBSan, the MIDI hand-over under
# ThreadSanitizer, every fuzz target for a few seconds (fuzz.sh), then the Windows build
# and its tests under wine.
set -e
root=$(cd "$(dirname "$0")" && pwd)
cd "$root"
tools/install-packages.sh tools/packages-build.txt tools/packages-test.txt
tools/install-npm-packages.sh tools/packages-npm.txt

# The folders stay one way and platform code stays in platform files.
tools/check-includes.sh

cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DLUMIBOX_WERROR=ON
cmake --build build
ctest --test-dir build --output-on-failure

cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DLUMIBOX_WERROR=ON \
  -DLUMIBOX_WITH_UI=OFF -DLUMIBOX_WITH_BENCHMARKS=OFF -DLUMIBOX_SANITIZE=address,undefined
cmake --build build-asan
ctest --test-dir build-asan -L unit --output-on-failure

cmake -S . -B build-tsan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DLUMIBOX_WERROR=ON \
  -DLUMIBOX_WITH_UI=OFF -DLUMIBOX_WITH_BENCHMARKS=OFF -DLUMIBOX_SANITIZE=thread
cmake --build build-tsan
if ctest --test-dir build-tsan -N -L tsan | grep -q 'Total Tests: [1-9]'; then
  ctest --test-dir build-tsan -L tsan --output-on-failure
fi
# The fuzz targets, a few seconds each, so that they keep building and keep passing.
"$root/fuzz.sh" 5

./build-windows.sh
ctest --test-dir build-windows --output-on-failure
echo "All tests passed."
