#!/bin/sh
# Builds the launcher and opens it on the demo installation, whose two stand-in games show what
# they were started with. On the user's display when there is one; otherwise on a virtual display,
# where a picture of the window is saved and the window closed again.
set -eu
cd "$(dirname "$0")/.."

tools/setup.sh
cmake --preset windows >/dev/null
cmake --build --preset windows --target ztlv_launcher stand_in_game post_message

build=build/windows
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
