#!/bin/sh
# Install what is missing, build Release and write the packages into dist/:
#   dist/lumibox_<version>_amd64.deb    Linux; its dependencies computed from the binary
#   dist/lumibox-<version>-win64.zip    lumibox.exe, its console companion lumibox.com,
#                                       README.md and LICENSE, once ./build-windows.sh exists
#   dist/lumibox-<version>-setup.exe    the same as an NSIS installer (packaging/windows/lumibox.nsi)
set -e
root=$(cd "$(dirname "$0")" && pwd)
cd "$root"
tools/install-packages.sh tools/packages-build.txt tools/packages-package.txt

# Linux: the Release tree of ./run.sh. Only what is installed is built, not the tests.
cmake -S . -B build-release -G Ninja -DCMAKE_BUILD_TYPE=Release -DLUMIBOX_WITH_BENCHMARKS=OFF \
  -DCMAKE_SKIP_INSTALL_ALL_DEPENDENCY=ON -DLUMIBOX_DEFAULTS_DIR=/etc/default >/dev/null
cmake --build build-release -j2 --target lumibox lumibox_desktop_icons
version=$(build-release/lumibox --version | sed 's/.* //')
mkdir -p dist
rm -rf build-release/cpack
(cd build-release && cpack -G DEB -B "$root/build-release/cpack")
deb="lumibox_${version}_amd64.deb"
cp "build-release/cpack/$deb" "dist/$deb"
echo "Wrote dist/$deb"

# Windows: cross-built by ./build-windows.sh; the native lumibox above exports the icon
# that goes into the exe's resources (packaging/windows/resources.cmake).
zip="lumibox-${version}-win64.zip"
if [ ! -x ./build-windows.sh ]; then
  echo "No ./build-windows.sh yet: dist/$zip is not written." >&2
  exit 0
fi
LUMIBOX_HOST_LUMIBOX="$root/build-release/lumibox" ./build-windows.sh
exe=build-windows/lumibox.exe
# A zip whose exe lacks its icon or version would look like a different program.
resources=$(wrestool --list "$exe")
for type in 3 14 16; do  # icon, icon group, version
  echo "$resources" | grep -q -- "--type=$type " || { echo "$exe has no resource of type $type" >&2; exit 1; }
done
stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT
folder="$stage/lumibox-${version}-win64"
mkdir "$folder"
cp "$exe" build-windows/lumibox.com README.md "$folder/"
for licence in LICENSE LICENSE.txt LICENSE.md COPYING; do
  if [ -f "$licence" ]; then cp "$licence" "$folder/"; fi
done
rm -f "dist/$zip"
(cd "$stage" && zip -q -r -X "$root/dist/$zip" "lumibox-${version}-win64")
echo "Wrote dist/$zip"

setup="lumibox-${version}-setup.exe"
rm -f "dist/$setup"
makensis -V2 -DVERSION="$version" -DBUILD="$root/build-windows" -DSOURCE="$root" -DOUTFILE="$root/dist/$setup" \
  packaging/windows/lumibox.nsi
echo "Wrote dist/$setup"
