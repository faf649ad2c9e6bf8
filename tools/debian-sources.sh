#!/bin/sh
# Fetch and unpack Debian source packages with apt-get source.
#   debian-sources.sh <folder> <source-package>...
# Each package is unpacked into <folder>, which is made empty first. apt-get source needs
# deb-src entries: when the machine has none for a Debian archive and suite it installs
# binary packages from, the same archive and suite are added as deb-src in a file of our
# own (the entry is printed), once, and the package lists are updated.
set -eu
[ $# -ge 2 ] || { echo "usage: $0 <folder> <source-package>..." >&2; exit 2; }
folder=$1
shift
if [ "$(id -u)" -eq 0 ]; then sudo=""; else sudo="sudo"; fi

targets() {
    apt-get indextargets --format '$(REPO_URI) $(RELEASE) $(COMPONENT)' "Created-By: $1" 'Origin: Debian' | sort -u
}

list=/etc/apt/sources.list.d/lumibox-deb-src.list
missing=$(targets Packages | while read -r uri suite component; do
    targets Sources | grep -qx "$uri $suite $component" || echo "$uri $suite $component"
done)
if [ -n "$missing" ]; then
    keyring=/usr/share/keyrings/debian-archive-keyring.gpg
    options=""
    [ -f "$keyring" ] && options="[signed-by=$keyring] "
    entries=$(printf '%s\n' "$missing" | while read -r uri suite component; do
        echo "deb-src $options$uri $suite $component"
    done)
    echo "Adding to $list the source entries of the Debian archives this machine installs from:"
    printf '%s\n' "$entries"
    printf '# Added by lumibox tools/debian-sources.sh for apt-get source.\n%s\n' "$entries" | $sudo tee -a "$list" >/dev/null
    $sudo env DEBIAN_FRONTEND=noninteractive apt-get -o DPkg::Lock::Timeout=600 update -q
fi
# Entries that were there already may not have been read yet.
for package in "$@"; do
    if [ -z "$(apt-cache showsrc --only-source "$package" 2>/dev/null)" ]; then
        $sudo env DEBIAN_FRONTEND=noninteractive apt-get -o DPkg::Lock::Timeout=600 update -q
        break
    fi
done

rm -rf "$folder"
mkdir -p "$folder"
# apt-get source verifies each file against the signed source index; unpacking applies
# Debian's patches, so the code is what Debian builds.
cd "$folder"
# As root, apt would first try to download as its own user, who may not reach this folder.
sandbox=""
[ "$(id -u)" -eq 0 ] && sandbox="-o APT::Sandbox::User=root"
for package in "$@"; do
    # shellcheck disable=SC2086
    apt-get source -q $sandbox --only-source "$package"
done
