#!/bin/sh
# Installs what building, testing and running the launcher needs on Debian 12, as root. Installs
# only what is missing, so running it again costs nothing.
set -eu

# Native build and tests, the fuzzer, the Windows cross-compilers, 64-bit and 32-bit Wine (one
# prefix runs both where the kernel can execute 32-bit code), a virtual display and the tools that
# find and photograph its windows.
packages="cmake ninja-build g++ clang clang-format libclang-rt-14-dev libgtest-dev libgmock-dev googletest
libbenchmark-dev valgrind
mingw-w64 g++-mingw-w64-i686-posix g++-mingw-w64-x86-64-posix wine wine64 wine32:i386 fonts-wine
libxrender1 libxrandr2 libxcursor1 libxi6 libxinerama1 libxcomposite1 libxfixes3 xvfb x11-utils
imagemagick"

# 32-bit Wine comes from Debian's i386 packages.
if ! dpkg --print-foreign-architectures | grep -qx i386; then
    dpkg --add-architecture i386
fi

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
