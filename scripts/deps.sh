#!/usr/bin/env bash
# Installs the Debian packages the build and the tests need, once.
# Quiet when everything is already there.
set -euo pipefail
PACKAGES=(g++ cmake ninja-build pkg-config libgtest-dev libgmock-dev qt6-base-dev
          libxlsxwriter-dev libminizip-dev libexpat1-dev libbenchmark-dev xvfb xauth
          libgsf-1-dev poppler-utils)
missing=()
for p in "${PACKAGES[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if ((${#missing[@]})); then
    echo "Installing: ${missing[*]}" >&2
    SUDO=""
    [ "$(id -u)" -eq 0 ] || SUDO=sudo
    export DEBIAN_FRONTEND=noninteractive
    $SUDO apt-get update -qq >/dev/null
    $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi
