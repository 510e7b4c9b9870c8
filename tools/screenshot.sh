#!/bin/sh
# Opens the launcher on a demo installation inside a Wine virtual desktop, saves a picture of it,
# and closes it. Runs inside with-wine.sh. Usage: screenshot.sh LAUNCHER_EXE DEMO_DIR OUTPUT_DIR
set -eu

launcher=$1
demo=$2
output=$3
mkdir -p "$output"
picture="$output/launcher.png"
desktop=ZTLVLauncher

cd "$demo"
"$WINELOADER" explorer "/desktop=$desktop,320x460" "$(printf 'Z:%s' "$launcher" | tr / '\\')" >/dev/null 2>&1 &
session=$!

window=""
for _ in $(seq 100); do
    window=$(xwininfo -root -tree 2>/dev/null | grep "\"$desktop - Wine desktop\"" | awk '{print $1}')
    [ -n "$window" ] && break
    sleep 0.1
done
if [ -z "$window" ]; then
    echo "screenshot: the launcher's desktop did not appear" >&2
    kill "$session" 2>/dev/null || true
    exit 1
fi
# Let the window paint before it is captured.
sleep 2
/usr/bin/import -window "$window" "$picture"
echo "screenshot: $picture"

"$WINELOADER" taskkill /im "$(basename "$launcher")" >/dev/null 2>&1 || true
for _ in $(seq 50); do
    kill -0 "$session" 2>/dev/null || break
    sleep 0.1
done
kill "$session" 2>/dev/null || true
