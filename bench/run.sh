#!/usr/bin/env bash
# ./kestova bench: start-up time and peak RSS of the trainers beside a bare Qt
# window, each program started from a scratch folder of its own so that no
# user data is touched.
set -euo pipefail
BIN=$(readlink -f "$1")
RUNS=10
WORK=$(mktemp -d)
trap 'kill $XVFB 2>/dev/null; rm -rf "$WORK"' EXIT

Xvfb -displayfd 1 -screen 0 1280x1024x24 -nolisten tcp >"$WORK/display" 2>/dev/null &
XVFB=$!
for _ in $(seq 500); do [ -s "$WORK/display" ] && break; sleep 0.01; done
export DISPLAY=":$(head -n1 "$WORK/display")"
unset QT_QPA_PLATFORM

programs=("$BIN/barewindow" "$BIN/barewindow:label")
for program in KestovaB100 Kestova100; do
    mkdir -p "$WORK/$program"
    cp "$BIN/$program" "$WORK/$program/"
    programs+=("$WORK/$program/$program")
done

echo "== start-up: exec to window mapped, median of $RUNS runs =="
"$BIN/startup" "$RUNS" "${programs[@]}"

echo
"$BIN/inifile_bench"

echo
QT_QPA_PLATFORM=offscreen "$BIN/handlers_bench"

echo
echo "== INI parser fuzzing, 2 minutes =="
mkdir -p "$WORK/corpus"
"$BIN/../fuzz/fuzz_inidocument" -max_total_time=120 -rss_limit_mb=2048 -max_len=4096 \
    -print_final_stats=1 "$WORK/corpus" "$(dirname "$0")/../tests/fuzz/corpus" 2>&1 \
    | grep -E '^(Done|stat::number_of_executed_units|==.*ERROR)' || true
