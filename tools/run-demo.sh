#!/bin/sh
# Builds the launcher and opens it on the demo installation, whose two stand-in games show what
# they were started with: the shipped 32-bit program where this machine runs it under Wine, else
# the 64-bit build. On the user's display when there is one; otherwise on a virtual display, where
# pictures of the window and its About box are saved, "Play Zerbs 3D" is pressed, and what the
# stand-in game received is printed and its window saved as a picture too.
set -eu
cd "$(dirname "$0")/.."

tools/setup.sh
cmake --preset windows-i686 >/dev/null
cmake --build --preset windows-i686 --target wine_probe
. tools/windows-build.sh
pick_windows_build
cmake --preset "$windows_preset" >/dev/null
cmake --build --preset "$windows_preset" --target ztlv_launcher stand_in_game post_message wine_probe

build=$windows_build
launcher="$PWD/$build/ZTLV LAUNCHER.EXE"
if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then
    WITH_WINE_DISPLAY="$DISPLAY" sh tools/with-wine.sh "$build" \
        sh -c 'cd "$1" && "$WINELOADER" "$2"' run-demo "$build/demo-installation" "$launcher"
else
    echo "run-demo: no display; opening the launcher on a virtual one"
    WITH_WINE_DISPLAY="" sh tools/with-wine.sh "$build" \
        sh tools/screenshot.sh "$launcher" "$PWD/$build/demo-installation" "$PWD/$build/screenshots" \
        "$PWD/$build/post_message.exe"
fi
