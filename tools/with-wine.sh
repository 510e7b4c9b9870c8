#!/bin/sh
# Runs a command in a Wine environment of the build's own: a 64-bit prefix inside the given build
# folder, one persistent wineserver, and a virtual X display (Xvfb) unless WITH_WINE_DISPLAY names
# a display to use instead. Usage: with-wine.sh BUILD_DIR COMMAND [ARGUMENT...]
set -eu

build_dir=$(cd "$1" && pwd)
shift

export WINEPREFIX="$build_dir/wineprefix"
export WINEARCH=win64
export WINEDEBUG=-all
# No installer dialog for .NET or Gecko may ever wait for a person.
export WINEDLLOVERRIDES="mscoree,mshtml="
export WINELOADER=/usr/lib/wine/wine64
# Wine takes the ANSI code page from the locale; the tests expect Western European (1252).
export LC_ALL=C.UTF-8
# New files get mode 0644, the mode the save's tests give the settings file under Wine.
umask 022

xvfb_pid=""
cleanup() {
    wineserver -k >/dev/null 2>&1 || true
    if [ -n "$xvfb_pid" ]; then
        kill "$xvfb_pid" 2>/dev/null || true
    fi
}
trap cleanup EXIT
trap 'exit 130' INT TERM

if [ -n "${WITH_WINE_DISPLAY:-}" ]; then
    export DISPLAY="$WITH_WINE_DISPLAY"
else
    display_file=$(mktemp)
    Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$display_file" >/dev/null 2>&1 &
    xvfb_pid=$!
    for _ in $(seq 100); do
        [ -s "$display_file" ] && break
        sleep 0.1
    done
    if [ ! -s "$display_file" ]; then
        echo "with-wine: Xvfb did not start" >&2
        exit 1
    fi
    export DISPLAY=":$(cat "$display_file")"
    rm -f "$display_file"
fi

# A prefix made while 32-bit programs could not start has no folder for their system files, and
# 32-bit Wine cannot start in it: once they start, the prefix is made anew.
if [ -d "$WINEPREFIX/drive_c/windows" ] && [ ! -d "$WINEPREFIX/drive_c/windows/syswow64" ] &&
    /usr/lib/wine/wine --version >/dev/null 2>&1; then
    echo "with-wine: making $WINEPREFIX anew, as it was made while 32-bit programs could not" \
        "start" >&2
    wineserver -k >/dev/null 2>&1 || true
    rm -rf "$WINEPREFIX"
fi
mkdir -p "$WINEPREFIX"
wineserver -p
# The first start builds the prefix; Wine's background services would otherwise hold the output
# of whatever runs next open.
"$WINELOADER" cmd /c exit >/dev/null 2>&1 </dev/null
# Debian's Wine does not find its own fonts (fonts-wine) where it looks; in the prefix's font folder
# it does, and draws as Windows does: Marlett's symbols on the caption buttons, MS Sans Serif.
fonts="$WINEPREFIX/drive_c/windows/Fonts"
if [ ! -e "$fonts/marlett.ttf" ]; then
    mkdir -p "$fonts"
    cp /usr/share/wine/fonts/* "$fonts/"
fi

# Wine's desktop process inherits the error output of the program that first needs it, and lives as
# long as any program uses the desktop: started by a test, it would hold the test runner's pipe open
# long after that test ended. It is started here instead, away from every test's output, and kept in
# use until the end.
held="$WINEPREFIX/desktop-held"
rm -f "$held"
if [ -f "$build_dir/wine_probe.exe" ]; then
    "$WINELOADER" "$build_dir/wine_probe.exe" hold "Z:$(printf '%s' "$held" | tr / '\\')" \
        </dev/null >/dev/null 2>&1 &
    holder=$!
    for _ in $(seq 100); do
        [ ! -e "$held" ] && kill -0 "$holder" 2>/dev/null || break
        sleep 0.1
    done
    [ -e "$held" ] || echo "with-wine: Wine's desktop could not be held open; a test that starts" \
        "it may keep its output open until the desktop closes" >&2
fi

"$@"
