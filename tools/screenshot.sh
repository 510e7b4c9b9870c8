#!/bin/sh
# Opens the launcher on a demo installation inside a Wine virtual desktop, saves a picture of it
# and one of its About box, then presses "Play Zerbs 3D" as a player would, prints what the
# stand-in game received and saves a picture of the game's window. Runs inside with-wine.sh.
# Usage: screenshot.sh LAUNCHER_EXE DEMO_DIR OUTPUT_DIR POST_MESSAGE_EXE
set -eu

launcher=$1
demo=$2
output=$3
poster=$4
mkdir -p "$output"
desktop=ZTLVLauncher

windows_path() { printf 'Z:%s' "$1" | tr / '\\'; }

# Runs a program on the launcher's virtual desktop.
# The desktop is large enough for the stand-in game's message box; each picture is cut down to the
# windows on it, with a margin of the desktop's colour.
on_desktop() { "$WINELOADER" explorer "/desktop=$desktop,800x600" "$@"; }

# Saves a picture once the window with the given caption exists and the windows have painted: two
# captures half a second apart agree and no undrawn (black) window is left, which a busy machine
# can take seconds to reach. Fails rather than save a half-drawn picture, or a bare desktop where
# a slow start has not shown the window yet. Usage: capture FILE CAPTION
capture() {
    # post_message waits for the window; the message itself (WM_NULL) does nothing.
    if ! on_desktop "$(windows_path "$poster")" "$2" 0 0; then
        echo "screenshot: no window \"$2\" for $1" >&2
        exit 1
    fi
    previous=""
    for _ in $(seq 30); do
        sleep 0.5
        /usr/bin/import -window "$window" "$output/desktop.png"
        current=$(/usr/bin/convert "$output/desktop.png" -format '%#' info:)
        undrawn=$(/usr/bin/convert "$output/desktop.png" -fill white +opaque black \
            -colorspace gray -format '%[fx:mean < 0.95]' info:)
        [ "$current" = "$previous" ] && [ "$undrawn" = 0 ] && break
        previous=$current
    done
    if [ "$current" != "$previous" ] || [ "$undrawn" != 0 ]; then
        echo "screenshot: the windows for $1 did not finish painting" >&2
        exit 1
    fi
    background=$(/usr/bin/convert "$output/desktop.png" -format '%[pixel:p{0,0}]' info:)
    /usr/bin/convert "$output/desktop.png" -trim +repage -bordercolor "$background" -border 12 \
        "$output/$1"
    rm -f "$output/desktop.png"
    echo "screenshot: $output/$1"
}

cd "$demo"
on_desktop "$(windows_path "$launcher")" >/dev/null 2>&1 &
session=$!
# However this script ends, the session's shell ends with it, so that a failure never leaves the
# test waiting on its output; Wine's processes on the desktop end with the wineserver.
trap 'kill "$session" 2>/dev/null || true' EXIT

window=""
for _ in $(seq 100); do
    window=$(xwininfo -root -tree 2>/dev/null | grep "\"$desktop - Wine desktop\"" | awk '{print $1}')
    [ -n "$window" ] && break
    sleep 0.1
done
if [ -z "$window" ]; then
    echo "screenshot: the launcher's desktop did not appear" >&2
    exit 1
fi
capture launcher.png "ZTLV/Z3D Launcher"

# The About entry of the system menu (WM_SYSCOMMAND 0x0010), then OK (WM_COMMAND IDOK).
on_desktop "$(windows_path "$poster")" "ZTLV/Z3D Launcher" 0x0112 0x0010
capture about.png "About ZTLV Launcher"
on_desktop "$(windows_path "$poster")" "About ZTLV Launcher" 0x0111 1

# A click on "Play Zerbs 3D" (BM_CLICK to button 1000): the launcher saves its settings and the
# stand-in game takes its place, records what it received in its folder and shows it.
record="$demo/Zerbs 3D/received.txt"
rm -f "$record"
on_desktop "$(windows_path "$poster")" "ZTLV/Z3D Launcher" 0x00F5 0 1000
for _ in $(seq 100); do
    [ -s "$record" ] && break
    sleep 0.1
done
if [ ! -s "$record" ]; then
    echo "screenshot: the stand-in game did not start" >&2
    exit 1
fi
grep -E '^(command line|working directory): ' "$record" | sed 's/^/the game received /'
capture game.png "Stand-in game"
on_desktop "$(windows_path "$poster")" "Stand-in game" 0x0111 1

# The game's end leaves the desktop empty, and the desktop then closes by itself. Nothing is killed
# by name: the launchers of tests running beside this one share the name and the wineserver.
for _ in $(seq 100); do
    kill -0 "$session" 2>/dev/null || break
    sleep 0.1
done
if kill -0 "$session" 2>/dev/null; then
    echo "screenshot: a window stayed open on the launcher's desktop after the game ended" >&2
    exit 1
fi
