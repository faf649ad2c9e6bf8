#!/bin/sh
# Install the npm packages of the given lists into build-npm/node_modules, once: the
# tests find them there (NODE_PATH). Needs node and npm on the machine.
set -e
cd "$(dirname "$0")/.."
wanted=$(grep -hv '^#' "$@" | tr '\n' ' ')
stamp=build-npm/installed.txt
[ -f "$stamp" ] && [ "$(cat "$stamp")" = "$wanted" ] && exit 0
mkdir -p build-npm
npm install --prefix build-npm --no-save --no-audit --no-fund --no-package-lock $wanted
echo "$wanted" >"$stamp"
