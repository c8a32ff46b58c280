#!/usr/bin/env bash
# smoke.sh <fuzz executable> <target name> <seconds> <work folder>
# Runs one fuzz target for a fixed time from a fresh seed corpus (written by
# fuzz_seeds next to the executable). Any crash, leak, undefined behaviour,
# time-out or failed check fails the run; the input is left in
# <work folder>/<target>/ as crash-*, leak-*, timeout-* or oom-*.
set -euo pipefail
exe=$1 name=$2 seconds=$3 work=$4/$2
# scripts/test passes its leak suppressions down through CTest; a bare ctest
# run gets the same ones, so memory that SDL and the window system keep until
# exit is not reported as a leak of the first input.
root=$(cd "$(dirname "$0")/.." && pwd)
export LSAN_OPTIONS=${LSAN_OPTIONS:-suppressions=$root/cmake/SanitizeLeaks.supp:print_suppressions=0}
rm -rf "$work"
mkdir -p "$work/corpus" "$work/seeds"
"$(dirname "$exe")/fuzz_seeds" "$name" "$work/seeds"
cd "$work"
status=0
"$exe" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
    -artifact_prefix="$work/" corpus seeds >log.txt 2>&1 || status=$?
if [ "$status" -ne 0 ]; then
    cat log.txt
    exit "$status"
fi
grep -E '^#[0-9]+.*(DONE|INITED)|stat::number_of_executed_units|stat::peak_rss' log.txt || tail -n 5 log.txt
