#!/bin/sh
# Runs a Windows test program under Wine for CTest and streams its output until it ends. Usage:
# wine-run.sh WINE_LOADER PROGRAM [ARGUMENT...]
# A program that the test started in turn can outlive it: under Wine, a game whose launcher a kill
# cut off while starting it may wait in its start until the session ends. With the output going
# straight to CTest, it would hold CTest's pipe open and turn a passed test into a timeout, so the
# output goes through a file that is read until the test program itself ends.
set -u
output=$(mktemp)
"$@" >"$output" 2>&1 </dev/null &
program=$!
tail -n +1 -f --pid="$program" "$output"
wait "$program"
status=$?
rm -f "$output"
exit "$status"
