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

. "$(dirname "$0")/install-packages.sh"
# shellcheck disable=SC2086
install_missing $packages

# 32-bit Wine's loader is itself a 32-bit Linux program. Where this kernel does not run 32-bit code,
# qemu-user runs it under user-mode emulation, handed every 32-bit x86 program by a binfmt_misc
# entry. Decided by trying: an entry of ours is switched off while the kernel is tried on its own.
# The registration lasts until the machine restarts, so every run checks it.
binfmt=/proc/sys/fs/binfmt_misc
entry=$binfmt/qemu-i386
loader_runs() { /usr/lib/wine/wine --version >/dev/null 2>&1; }

if [ "$(id -u)" -ne 0 ]; then
    loader_runs || echo "setup: 32-bit programs do not run here and only root can set up their" \
        "emulation; the Windows tests run on the 64-bit build"
else
    if [ -e "$entry" ]; then
        echo 0 >"$entry"
    fi
    if loader_runs; then
        # The kernel runs them itself: an emulating entry would only slow them down.
        if [ -e "$entry" ]; then
            echo -1 >"$entry"
        fi
    elif ! { [ -e "$binfmt/register" ] ||
        mount -t binfmt_misc binfmt_misc "$binfmt" 2>/dev/null; }; then
        echo "setup: 32-bit programs do not run here and this kernel has no binfmt_misc to" \
            "emulate them; the Windows tests run on the 64-bit build"
    else
        # Bookworm's qemu-user 7.2 takes some 45 s to start Wine; the backported one well under
        # a second. Backports are pinned low by the archive, so only this package comes from there.
        if ! dpkg-query -W -f='${Version}' qemu-user 2>/dev/null | grep -q '~bpo12'; then
            echo "setup: installing qemu-user from bookworm-backports for 32-bit programs"
            printf '%s\n' "Types: deb" "URIs: http://deb.debian.org/debian" \
                "Suites: bookworm-backports" "Components: main" \
                "Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg" \
                >/etc/apt/sources.list.d/bookworm-backports.sources
            install_packages qemu-user/bookworm-backports
        fi
        # Registered anew each time: with F the kernel holds the interpreter file it was given,
        # which an upgrade of qemu-user would otherwise leave behind.
        if [ -e "$entry" ]; then
            echo -1 >"$entry"
        fi
        printf '%s' ':qemu-i386:M::\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00:\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff:/usr/bin/qemu-i386:F' \
            >"$binfmt/register"
        if loader_runs; then
            echo "setup: 32-bit programs run under user-mode emulation (qemu-i386), as this" \
                "kernel does not run them itself"
        else
            echo "setup: 32-bit programs do not run here even under qemu-i386; the Windows" \
                "tests run on the 64-bit build"
        fi
    fi
fi
