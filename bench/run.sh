#!/bin/sh
# Builds what the benchmarks need and prints one table: the launcher's start-up and Play-to-game
# times under Wine against floor programs, the settings and argument code's time and instructions
# per call, and the program's footprint. Usage: sh bench/run.sh [RUNS [MAX_RUNS]]   (default 20
# runs, and up to three times as many while a verdict is undecided)
set -eu
cd "$(dirname "$0")/.."
runs=${1:-20}
max_runs=${2:-$((runs * 3))}

tools/setup.sh
cmake --preset bench >/dev/null
cmake --build --preset bench --target settings_benchmark settings_instructions >/dev/null
cmake --preset windows-i686 >/dev/null
cmake --build --preset windows-i686 --target ztlv_launcher wine_probe >/dev/null
# The shipped 32-bit program is timed where it runs natively, else the 64-bit build: a time taken
# under qemu measures the emulator. The floors are built with it for the same architecture, in a
# folder of their own beside the tests' build.
. tools/windows-build.sh
pick_windows_build
timed=$windows_arch
why=""
if [ -n "$windows_emulated" ]; then
    windows_build=build/windows
    windows_preset=windows
    timed=x86_64
    why="(not the shipped i686 program: it runs here only under $windows_emulated, whose times"
    why="$why measure the emulator)"
fi
bench_build=$windows_build-bench
cmake --preset "$windows_preset" -B "$bench_build" -DZTLV_BUILD_TESTS=OFF -DZTLV_STARTUP_CLOCK=ON \
    >/dev/null
cmake --build "$bench_build" --target ztlv_launcher stand_in_game wine_probe window_timing floor_dialog \
    floor_launcher_template floor_play >/dev/null

results=$(mktemp -d)
trap 'rm -rf "$results"' EXIT

# Windows: timings from outside the launcher, under Wine on a virtual display.
win=$PWD/$bench_build
windows_path() { printf 'Z:%s' "$1" | tr / '\\'; }
WITH_WINE_DISPLAY="" sh tools/with-wine.sh "$bench_build" sh -c '"$WINELOADER" "$@"' wine \
    "$win/bench/window_timing.exe" "$(windows_path "$win")" \
    "$(windows_path "$PWD/demo/ztlvlauncher.ini")" "$runs" "$max_runs" >"$results/window"

# Native: time per call, and instructions per Play where valgrind is present.
build/bench/bench/settings_benchmark --benchmark_format=csv --benchmark_min_time=0.3 \
    2>/dev/null >"$results/native"
instructions="(no valgrind)"
if command -v valgrind >/dev/null; then
    folder=$(mktemp -d)
    cp demo/ztlvlauncher.ini "$folder/"
    instructions=$(valgrind --tool=callgrind --collect-atstart=no --callgrind-out-file=/dev/null \
        build/bench/bench/settings_instructions "$folder" 2>&1 | awk '/Collected :/ {print $NF}')
    rm -rf "$folder"
fi

# Footprint of the shipped 32-bit program.
exe="build/windows-i686/ZTLV LAUNCHER.EXE"
i686-w64-mingw32-objdump -h "$exe" >"$results/sections"
i686-w64-mingw32-objdump -p "$exe" | awk '/DLL Name:/ {print $3}' | tr '\n' ' ' >"$results/imports"

awk -v instructions="$instructions" -v exe_bytes="$(stat -c %s "$exe")" -v runs="$runs" \
    -v max_runs="$max_runs" \
    -v timed="$timed" -v why="$why" \
    -v imports="$(cat "$results/imports")" '
# The Windows program writes its lines in text mode: CR LF.
FILENAME ~ /window$/ { sub(/\r$/, "") }
FILENAME ~ /window$/ && $1 == "run" { runs_seen++; for (i = 2; i <= 13; i++) sample[runs_seen, i] = $i; next }
FILENAME ~ /window$/ && $1 == "ratio" { ratio[$2] = $0; next }
FILENAME ~ /window$/ { value[$1] = $2; next }
FILENAME ~ /native$/ && /^"/ { split($0, f, ","); gsub(/"/, "", f[1]);
                               native[f[1]] = f[3]; unit[f[1]] = f[5]; next }
FILENAME ~ /sections$/ && $2 ~ /^\./ { size = hex($3);
                                       if ($2 == ".text") code += size;
                                       else if ($2 == ".rsrc") rsrc += size;
                                       else if ($2 != ".reloc") data += size }
END {
    printf "timed under Wine: the %s build of the launcher and of its floors\n", timed
    if (why != "") print why
    printf "%-44s %9s %9s %7s %13s  %s\n", "measure", "launcher", "floor", "ratio", "95% interval", "against 1.05"
    split("startup_launcher startup_floor startup_template_floor play_launcher play_floor " \
          "play_saving_floor painted_launcher painted_floor painted_template_floor " \
          "processor_launcher processor_floor processor_template_floor", column, " ")
    for (i = 1; i in column; i++) { summarise(i + 1); index_of[column[i]] = i + 1 }
    row("start-up to a usable window (ms)", "startup_floor")
    row("  the same, floor with its template and icon", "startup_template_floor")
    row("  own clock, entry to first paint (ms)", "painted_template_floor")
    row("  processor time, with the Wine server (ms)", "processor_template_floor")
    row("Play click to running game (ms)", "play_floor")
    row("  the same, floor that saves the file first", "play_saving_floor")
    printf "  (times: medians of %d runs after %d warm-ups, at least %d, more only while a verdict was\n",
        runs_seen, value["warm_ups"], runs
    printf "  undecided or its interval wider than 0.06, up to %d; spread min..max and quartiles below;\n", max_runs
    printf "  ratio: the median of the run-by-run ratios, each run timing the launcher beside its floor;\n"
    printf "  own clock and processor time: inside each program, from its entry and its creation to the\n"
    printf "  end of its first paint, against the floor with its template and icon)\n"
    for (i = 1; i in column; i++)
        printf "  %-24s min %7.1f  q1 %7.1f  q3 %7.1f  max %7.1f\n", column[i], at[i + 1, 0], at[i + 1, 0.25],
            at[i + 1, 0.75], at[i + 1, 1]
    printf "%-44s %12s\n", "settings and arguments, natively", "per call"
    for (name in native) printf "  %-42s %9.0f %s\n", name, native[name], unit[name]
    printf "  %-42s %12s\n", "LoadSettings + both BuildLaunchArguments", instructions " instr"
    printf "%-44s\n", "footprint of ZTLV LAUNCHER.EXE (i686)"
    printf "  %-42s %9d bytes\n", "file", exe_bytes
    printf "  %-42s %9d bytes\n", "code (.text)", code
    printf "  %-42s %9d bytes\n", "data (all other sections but .rsrc)", data
    printf "  %-42s %9d bytes (%.1f KiB)\n", "code and data, without resources", code + data, (code + data) / 1024
    printf "  %-42s %9d bytes\n", "resources (.rsrc)", rsrc
    printf "  %-42s %s\n", "imported DLLs", imports
    printf "  %-42s %9d KiB (%s build under Wine)\n", "peak working set at the idle dialog", value["peak_working_set_kib"], timed
}
function hex(text,    i, value) {
    value = 0
    for (i = 1; i <= length(text); i++) value = value * 16 + index("0123456789abcdef", tolower(substr(text, i, 1))) - 1
    return value
}
function sorted(r, n,    i, j, v) {
    for (i = 2; i <= n; i++) {
        v = r[i]
        for (j = i - 1; j >= 1 && r[j] > v; j--) r[j + 1] = r[j]
        r[j + 1] = v
    }
}
function middle(r, n) { return n % 2 ? r[(n + 1) / 2] : (r[n / 2] + r[n / 2 + 1]) / 2 }
# One column of the run lines: its median, range and quartiles, kept in at[column, quantile].
function summarise(c,    n, i, r, q) {
    n = runs_seen
    for (i = 1; i <= n; i++) r[i] = sample[i, c]
    sorted(r, n)
    split("0 0.25 0.75 1", q, " ")
    for (i = 1; i in q; i++) at[c, q[i]] = r[int(q[i] * (n - 1) + 0.5) + 1]
    at[c, 0.5] = middle(r, n)
}
# A row of medians beside the ratio the timing program worked out: its median, 95% interval and
# verdict. The ratio is named after its floor column, whose first word also names the launcher
# column it is taken against.
function row(label, name,    f, n, i, verdict, launcher, ia, ib) {
    launcher = name
    sub(/_.*/, "_launcher", launcher)
    ia = index_of[launcher]
    ib = index_of[name]
    n = split(ratio[name], f, " ")
    verdict = f[6]
    for (i = 7; i <= n; i++) verdict = verdict " " f[i]
    printf "%-44s %9.1f %9.1f %7.2f %6.2f..%5.2f  %s\n", label, at[ia, 0.5], at[ib, 0.5], f[3], f[4], f[5],
        verdict
}
' "$results/window" "$results/native" "$results/sections"
