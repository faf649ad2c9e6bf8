#!/bin/sh
# Build the libraries that Debian ships for Linux only from Debian's source packages,
# with this project's mingw-w64 toolchain, into <build-dir>/libraries (include/, lib/):
#   cpp-httplib  the HTTP server of --serve, a header
#   libpcap      capture files for --record and --replay; no capture driver (read and
#                write files only)
# Static libraries only, so that lumibox.exe needs nothing beyond Windows' own DLLs. The
# result is kept until this script or the toolchain changes.
#   build-windows-libraries.sh <build-dir>
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(mkdir -p "$1" && cd "$1" && pwd)
prefix=$build/libraries
toolchain=$root/cmake/toolchain-mingw-w64-x86_64.cmake
key=$(cat "$0" "$toolchain" | cksum | cut -d' ' -f1)
if [ "$(cat "$prefix/.built" 2>/dev/null | head -1)" = "$key" ]; then
    exit 0
fi

sources=$build/libraries-src
work=$build/libraries-build
"$root/tools/debian-sources.sh" "$sources" cpp-httplib libpcap
rm -rf "$prefix" "$work"
# Host pkg-config files describe Linux libraries: none is offered to the cross builds.
export PKG_CONFIG_LIBDIR=/nonexistent
configure() {
    folder=$1 name=$2
    shift 2
    nice cmake -S "$folder" -B "$work/$name" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
        -DCMAKE_BUILD_TYPE=Release "$@" >"$work/$name.log" 2>&1 || { cat "$work/$name.log" >&2; exit 1; }
}
compile() {
    name=$1
    shift
    nice cmake --build "$work/$name" -j2 "$@" >>"$work/$name.log" 2>&1 || { tail -40 "$work/$name.log" >&2; exit 1; }
}
mkdir -p "$work" "$prefix/include" "$prefix/lib"
# libpcap's configure step writes a file named NUL: (Windows' null device) where it runs.
cd "$work"
# The Windows version the program is built for (cmake/LumiboxWindows.cmake): WSAPoll needs it.
windows10="-D_WIN32_WINNT=0x0A00 -DWINVER=0x0A00"

# libpcap with the "null" capture type: without a packet driver it reads and writes capture
# files and captures nothing; no remote capture, no optional capture modules. Only its
# static library is built.
pcap=$(ls -d "$sources"/libpcap-*/)
configure "$pcap" libpcap -DPCAP_TYPE=null -DENABLE_REMOTE=OFF -DDISABLE_DBUS=ON -DDISABLE_RDMA=ON \
    -DDISABLE_DAG=ON -DDISABLE_SEPTEL=ON -DDISABLE_SNF=ON -DDISABLE_TC=ON -DDISABLE_BLUETOOTH=ON \
    -DDISABLE_NETMAP=ON -DDISABLE_DPDK=ON "-DCMAKE_C_FLAGS=$windows10"
compile libpcap --target pcap_static
cp "$work/libpcap/libpcap.a" "$prefix/lib/"
cp -r "$pcap/pcap" "$pcap/pcap.h" "$prefix/include/"

# cpp-httplib as its header: the split build (a header and a compiled part, as Debian
# builds it) loses its WSAPoll mapping on Windows, so the one source file that includes it
# compiles it (net/http/CMakeLists.txt, with Debian's define CPPHTTPLIB_USE_POLL).
httplib=$(ls -d "$sources"/cpp-httplib-*/)
cp "$httplib/httplib.h" "$prefix/include/"

{
    echo "$key"
    ls "$sources"/*.dsc | xargs -n1 basename
} >"$prefix/.built"
echo "Built from Debian sources into $prefix: $(ls "$sources"/*.dsc | xargs -n1 basename | tr '\n' ' ')"
