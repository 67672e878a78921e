#!/bin/sh
# Side-by-side benchmark of ovcore and the two peer engines (see README.md).
# Installs the peers from package-lock.json when they are missing, then runs
# compare.mjs with the given arguments. Needs no network once installed.
set -eu
HERE=$(cd "$(dirname "$0")" && pwd)

if ! command -v node >/dev/null 2>&1; then
  echo "compare: node is not installed (Debian package nodejs)" >&2
  exit 1
fi
if [ ! -f "$HERE/node_modules/@ghostery/adblocker/package.json" ] ||
   [ ! -f "$HERE/node_modules/@gorhill/ubo-core/package.json" ]; then
  echo "compare: installing the peer engines (npm ci) in $HERE" >&2
  (cd "$HERE" && npm ci --no-audit --no-fund --loglevel=error)
fi

exec node "$HERE/compare.mjs" "$@"
