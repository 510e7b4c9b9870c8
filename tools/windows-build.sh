# Chooses the Windows build that the Wine tests, the demo and the benchmark run: the shipped 32-bit
# program when this machine starts a 32-bit program under Wine, the 64-bit build otherwise. Decided
# by trying, not from the kernel's name. Source it from the repository's folder once
# build/windows-i686 holds wine_probe.exe; pick_windows_build then sets windows_build (the build
# folder), windows_preset, windows_arch and windows_emulated (qemu-i386 when the 32-bit program runs
# under user-mode emulation, else empty), and prints one line saying which build and why.

pick_windows_build() {
    probe_log=$(mktemp)
    probe_status=0
    windows_emulated=""
    WITH_WINE_DISPLAY="" sh tools/with-wine.sh build/windows-i686 \
        sh -c '"$WINELOADER" "$1"' probe "$PWD/build/windows-i686/wine_probe.exe" \
        >"$probe_log" 2>&1 || probe_status=$?
    if [ "$probe_status" -eq 32 ]; then
        windows_build=build/windows-i686
        windows_preset=windows-i686
        windows_arch=i686
        # binfmt_misc comes before the kernel's own loader: with the set-up's entry enabled,
        # every 32-bit program runs under qemu.
        if head -n 1 /proc/sys/fs/binfmt_misc/qemu-i386 2>/dev/null | grep -qx enabled; then
            windows_emulated=qemu-i386
            how="under user-mode emulation (qemu-i386), because this kernel does not run"
            how="$how 32-bit code itself (tools/setup.sh found that and registered the emulator)"
        else
            how="natively, because this kernel runs 32-bit code"
        fi
        echo "Windows build: the shipped 32-bit program ($windows_build), because a 32-bit" \
            "program starts under Wine on this machine; it runs $how."
    else
        windows_build=build/windows
        windows_preset=windows
        windows_arch=x86_64
        # Name the cause where it can be seen: the kernel refusing Wine's 32-bit loader is the
        # usual one.
        if ! loader_error=$(/usr/lib/wine/wine --version 2>&1); then
            probe_cause="Wine's 32-bit loader /usr/lib/wine/wine does not run: ${loader_error##*: }"
        else
            probe_cause="the probe exited with $probe_status: $(grep -v '^$' "$probe_log" | tail -n 1)"
        fi
        echo "Windows build: the 64-bit build ($windows_build), NOT the shipped 32-bit program," \
            "because a 32-bit program does not start under Wine on this machine ($probe_cause);" \
            "it runs natively."
    fi
    rm -f "$probe_log"
    export ZTLV_WINDOWS_ARCH="$windows_arch"
}
