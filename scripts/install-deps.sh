#!/bin/sh
# Installs every Debian package the project needs that is not installed yet.
# Silent when everything is present; runs `apt-get update` only when it has
# something to install.
set -eu

PACKAGES="
  build-essential cmake ninja-build pkg-config g++-12 clang-14 libclang-rt-14-dev valgrind
  clang-format
  libgtest-dev libgmock-dev libbenchmark-dev
  libpcre2-dev libsqlite3-dev libevent-dev libnghttp2-dev libhttp-parser-dev
  libc-ares-dev zlib1g-dev libbrotli-dev libssl-dev libthread-pool-dev
  openssl publicsuffix webext-ublock-origin-chromium nodejs chromium
"

missing=""
for p in $PACKAGES; do
  status=$(dpkg-query -W -f='${Status}' "$p" 2>/dev/null || true)
  case "$status" in
    *"ok installed"*) ;;
    *) missing="$missing $p" ;;
  esac
done

# npm comes with some Node.js builds; Debian's own is a package of its own.
command -v npm >/dev/null 2>&1 || missing="$missing npm"

[ -z "$missing" ] && exit 0

if [ "$(id -u)" -ne 0 ]; then
  echo "install-deps: missing packages:$missing (run as root to install them)" >&2
  exit 1
fi
echo "install-deps: installing$missing"
export DEBIAN_FRONTEND=noninteractive
apt-get update -qq
# shellcheck disable=SC2086
apt-get install -y -qq --no-install-recommends $missing >/dev/null
