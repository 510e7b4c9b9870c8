#!/bin/sh
# Installs what building and testing the launcher needs on Debian 12, as root. Installs only what
# is missing, so running it again costs nothing.
set -eu

packages="cmake ninja-build g++ clang libclang-rt-14-dev libgtest-dev libgmock-dev"

missing=""
for package in $packages; do
    dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" ||
        missing="$missing $package"
done
if [ -n "$missing" ]; then
    echo "setup: installing$missing"
    export DEBIAN_FRONTEND=noninteractive
    apt-get update -qq
    # shellcheck disable=SC2086
    apt-get install -y -qq --no-install-recommends $missing
fi
