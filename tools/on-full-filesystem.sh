#!/bin/sh
# Run a command in DIR while DIR is a tiny tmpfs that is already full, then leave in DIR
# exactly what the command left there. DIR's files are on the tmpfs when the command
# starts. The mount lives in a private mount namespace (a user namespace too when not
# root), so nobody else sees it and nothing needs cleaning up. Exit code: the command's.
# usage: on-full-filesystem.sh DIR command [arguments...]
set -e
if [ "$(id -u)" -eq 0 ]; then unshare_flags=-m; else unshare_flags=-rm; fi
exec unshare $unshare_flags sh -c '
  set -e
  copy_contents() { find "$1" -mindepth 1 -maxdepth 1 -exec cp -R --preserve=mode {} "$2/" \; ; }
  dir=$1; shift
  held=$(mktemp -d)
  copy_contents "$dir" "$held"
  mount -t tmpfs -o size=64k lumibox-full "$dir"
  copy_contents "$held" "$dir"
  dd if=/dev/zero of="$dir/.filler" bs=1024 2>/dev/null || true
  set +e
  (cd "$dir" && exec "$@")
  code=$?
  set -e
  rm -f "$dir/.filler"
  find "$held" -mindepth 1 -delete
  copy_contents "$dir" "$held"
  umount "$dir"
  find "$dir" -mindepth 1 -delete
  copy_contents "$held" "$dir"
  rm -rf "$held"
  exit $code' on-full-filesystem "$@"
