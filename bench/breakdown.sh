#!/bin/sh
# Where the launcher's start-up and Play time goes, step by step, against its floors: the timing
# program runs under Wine's relay trace, which stamps each chosen call, window message and DLL load
# with the millisecond and the process. The trace slows every program, so compare the steps of one
# run with each other, not with bench/run.sh. Usage: sh bench/breakdown.sh [RUNS]   (default 10)
# Run bench/run.sh once before, which builds what this needs.
set -eu
cd "$(dirname "$0")/.."
runs=${1:-10}

. tools/windows-build.sh
pick_windows_build
# As bench/run.sh: the 64-bit build where the shipped program runs only under emulation.
if [ -n "$windows_emulated" ]; then
    windows_build=build/windows
    windows_arch=x86_64
fi
bench=$PWD/$windows_build-bench
[ -x "$bench/bench/window_timing.exe" ] || { echo "breakdown: run sh bench/run.sh first" >&2; exit 1; }
trace=${BREAKDOWN_TRACE:-$(mktemp)}
[ -n "${BREAKDOWN_TRACE:-}" ] || trap 'rm -f "$trace"' EXIT

# The calls whose moments the table shows; every traced call slows the programs a little more.
calls="user32.LoadIconA;user32.DialogBoxParamA;user32.SendMessageA;kernel32.MoveFileExA"
calls="$calls;kernel32.FlushFileBuffers;kernel32.CreateProcessA;kernel32.CreateProcessW"
calls="$calls;user32.GetSystemMenu;user32.AppendMenuA;msvcrt.fopen;msvcrt.fclose"
calls="$calls${BREAKDOWN_CALLS:-}"
windows_path() { printf 'Z:%s' "$1" | tr / '\\'; }
warm_ups=$(TRACE=$trace WITH_WINE_DISPLAY="" sh tools/with-wine.sh "$bench" sh -c '
    "$WINELOADER" reg add "HKCU\\Software\\Wine\\Debug" /v RelayInclude /d "$1" /f >/dev/null 2>&1
    shift
    WINEDEBUG=+timestamp,+pid,+relay,+loaddll "$WINELOADER" "$@" 2>"$TRACE"' \
    breakdown "$calls" "$bench/bench/window_timing.exe" "$(windows_path "$bench")" \
    "$(windows_path "$PWD/demo/ztlvlauncher.ini")" "$runs" "$runs" | awk '$1 == "warm_ups" { print $2 }')
[ -n "$warm_ups" ] || { echo "breakdown: the timing program did not finish" >&2; exit 1; }

# The warm-up runs are left out of the medians, as bench/run.sh leaves them out.
awk -F: -v skip="$warm_ups" '
function stamp(key) { if (!((pid, key) in at)) at[pid, key] = $1 * 1000 }
function add(kind, key, value) { n = ++count[kind, key]; sample[kind, key, n] = value }
function median(kind, key,    n, i, j, v, sorted) {
    n = count[kind, key]
    if (!n) return "-"
    for (i = 1; i <= n; i++) {
        v = sample[kind, key, i]
        for (j = i - 1; j >= 1 && sorted[j] > v; j--) sorted[j + 1] = sorted[j]
        sorted[j + 1] = v
    }
    return sprintf("%.0f", n % 2 ? sorted[(n + 1) / 2] : (sorted[n / 2] + sorted[n / 2 + 1]) / 2)
}
{ pid = $2 }
/trace:loaddll:build_module Loaded/ {
    name = $0; sub(/.*\\\\/, "", name); sub(/" at .*/, "", name)
    if (name ~ /\.(exe|EXE)$/) {
        program[pid] = name == "Zerbs3D.exe" ? (parent_pid == "" ? "direct" : "game") : name
        started[pid] = pending[name]; stamp("mapped")
        if (program[pid] == "game") game_of[parent_pid] = pid
        if (program[pid] == "direct") { direct = pid; if (created > started[pid]) at[pid, "created"] = created }
        if (program[pid] == "direct" || program[pid] == "game") parent_pid = ""
    }
    if (name == "USER32.dll") stamp("user32")
    if (name == "winex11.drv") stamp("driver")
}
/Call KERNEL32.CreateProcessA\(/ { exe = $0; sub(/^[^"]*"/, "", exe); sub(/".*/, "", exe)
                                    sub(/.*\\\\/, "", exe); pending[exe] = $1 * 1000; last = exe }
/Ret  KERNEL32.CreateProcessA/ && last == "Zerbs3D.exe" {
    created = $1 * 1000; if (direct != "" && started[direct] == pending[last]) at[direct, "created"] = created }
/Starting thread proc/ { stamp("entry") }
/Call user32.LoadIconA/ { stamp("icon") }
# The launcher loads the display driver and theming inside LoadIconA, the floors inside
# DialogBoxParamA: the end of the later of the two loads splits the time in LoadIconA.
/Ret  PE DLL .*L"(winex11.drv|uxtheme.dll)",reason=PROCESS_ATTACH/ { at[pid, "driver ready"] = $1 * 1000 }
/Ret  user32.LoadIconA/ { stamp("icon done") }
/Call user32.GetSystemMenu/ { stamp("menu") }
/Ret  user32.AppendMenuA/ && !((pid, "seticon") in at) { at[pid, "menu done"] = $1 * 1000 }
/Call msvcrt.fopen/ { stamp("read") }
/Ret  msvcrt.fclose/ { stamp("read done") }
/Call user32.DialogBoxParamA/ { stamp("dialog") }
/Call dialog proc .*msg=WM_INITDIALOG/ { stamp("init") }
/Ret  dialog proc .*msg=WM_INITDIALOG/ { stamp("init done") }
/Call user32.SendMessageA\([0-9a-f]*,00000080,/ { stamp("seticon") }
/Ret  user32.SendMessageA/ && (pid, "seticon") in at && !((pid, "seticon done") in at) {
    if (++seticon_rets[pid] == 2) stamp("seticon done") }
/msg=BM_CLICK/ { stamp("click") }
/msg=WM_COMMAND,wp=000003e8/ { stamp("handler") }
/Call KERNEL32.FlushFileBuffers/ { stamp("flush") }
/Ret  KERNEL32.MoveFileExA/ && program[pid] != "game" && program[pid] != "direct" { stamp("saved") }
/Call KERNEL32.CreateProcessW/ { stamp("create"); parent_pid = pid; pending["Zerbs3D.exe"] = $1 * 1000 }
/Ret  KERNEL32.CreateProcessW/ { stamp("created") }
/Call KERNEL32.MoveFileExA/ && (program[pid] == "game" || program[pid] == "direct") { stamp("record") }
END {
    for (p in program) order[++programs] = p
    for (i = 1; i <= programs; i++) for (j = i; j > 1 && order[j - 1] + 0 > order[j] + 0; j--) {
        t = order[j]; order[j] = order[j - 1]; order[j - 1] = t }
    for (i = 1; i <= programs; i++) {
        p = order[i]; kind = program[p]
        if (++seen[kind] <= skip * (kind == "ZTLV LAUNCHER.EXE" ? 2 : 1)) continue
        for (s in at) { split(s, key, SUBSEP); if (key[1] == p) add(kind, key[2], at[s] - started[p]) }
        if ((p, "icon done") in at) {
            add(kind, "in LoadIconA", at[p, "icon done"] - at[p, "icon"])
            ready = at[p, "driver ready"]
            if (ready < at[p, "icon"] || ready > at[p, "icon done"]) ready = at[p, "icon"]
            add(kind, "driver in LoadIconA", ready - at[p, "icon"])
            add(kind, "icon in LoadIconA", at[p, "icon done"] - ready)
        }
        if ((p, "init done") in at && (p, "menu") in at) {
            add(kind, "system menu", at[p, "menu done"] - at[p, "menu"])
            add(kind, "icons", at[p, "seticon done"] - at[p, "seticon"])
            add(kind, "file", at[p, "read done"] - at[p, "read"])
            add(kind, "controls", at[p, "init done"] - at[p, "read done"])
        }
        if ((p, "click") in at) {
            for (s in at) { split(s, key, SUBSEP); if (key[1] == p) add("play " kind, key[2], at[s] - at[p, "click"]) }
            g = game_of[p]
            add("play " kind, "game mapped", at[g, "mapped"] - at[p, "click"])
            add("play " kind, "game running", at[g, "record"] - at[p, "click"])
        }
        if (kind == "direct") {
            add("direct", "created", at[p, "created"] - started[p])
            add("direct", "game mapped", at[p, "mapped"] - started[p])
            add("direct", "game running", at[p, "record"] - started[p])
        }
    }
    L = "ZTLV LAUNCHER.EXE"; F = "floor_dialog.exe"; T = "floor_launcher_template.exe"; S = "floor_play.exe"
    printf "under Wine'"'"'s relay trace, the %s build (%s); medians over the timed runs, in ms\n",
        arch, folder
    printf "%-46s %9s %9s %9s\n", "start-up, from the start request", "launcher", "floor", "template"
    split("mapped:program file mapped|user32:system DLLs loaded (USER32)|entry:program entry|" \
          "driver:display driver loaded|icon:LoadIconA called|dialog:dialog requested (DialogBoxParamA)|" \
          "init:WM_INITDIALOG reached|seticon:first WM_SETICON|init done:WM_INITDIALOG returned", \
          rows, "|")
    for (r = 1; r in rows; r++) { split(rows[r], f, ":")
        printf "  %-44s %9s %9s %9s\n", f[2], median(L, f[1]), median(F, f[1]), median(T, f[1]) }
    split("in LoadIconA:time in LoadIconA|driver in LoadIconA:  loading the display driver and theming|" \
          "icon in LoadIconA:  the icon itself|system menu:OnInitDialog, the system menu entry|" \
          "icons:OnInitDialog, the two WM_SETICON|file:OnInitDialog, reading the settings file|" \
          "controls:OnInitDialog, filling the controls", rows, "|")
    for (r = 1; r in rows; r++) { split(rows[r], f, ":")
        printf "  %-44s %9s\n", f[2], median(L, f[1]) }
    printf "%-46s %9s %9s %9s\n", "Play, from the click (direct: from its start)", "launcher", "saving", "direct"
    split("handler:Play handler reached|flush:settings file flushed|saved:settings file replaced|" \
          "create:game start requested|created:game process created|game mapped:game program mapped|" \
          "game running:game running (its record written)", rows, "|")
    for (r = 1; r in rows; r++) { split(rows[r], f, ":")
        printf "  %-44s %9s %9s %9s\n", f[2], median("play " L, f[1]), median("play " S, f[1]),
            median("direct", f[1]) }
}' arch="$windows_arch" folder="$windows_build-bench" "$trace"
