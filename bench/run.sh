#!/usr/bin/env bash
# ./kestova bench: start-up time and peak RSS of the trainers beside a bare Qt
# window, each program started from a scratch folder of its own so that no
# user data is touched.
set -euo pipefail
BIN=$(readlink -f "$1")
RUNS=11
WORK=$(mktemp -d)
trap 'kill $XVFB 2>/dev/null; rm -rf "$WORK"' EXIT

Xvfb -displayfd 1 -screen 0 1280x1024x24 -nolisten tcp -noreset >"$WORK/display" 2>/dev/null &
XVFB=$!
for _ in $(seq 500); do [ -s "$WORK/display" ] && break; sleep 0.01; done
export DISPLAY=":$(head -n1 "$WORK/display")"
unset QT_QPA_PLATFORM
# Nothing of the user's: the course opens the practice record at its start.
export XDG_DATA_HOME="$WORK/data" XDG_CONFIG_HOME="$WORK/config"

# copy_program PROGRAM FOLDER: a scratch copy with the shipped data, if any.
copy_program() {
    mkdir -p "$WORK/$2"
    cp "$BIN/$1" "$WORK/$2/"
    [ "$1" = Kestova100 ] && cp "$BIN/Mirelo.ini" "$WORK/$2/"
    [ "$1" = KestovaCourse ] && cp "$BIN/kana-words.txt" "$WORK/$2/"
    programs+=("$WORK/$2/$1")
}

# word_list COUNT: a text.ini of COUNT words, in code page 932.
word_list() {
    awk -v count="$1" 'BEGIN {
        printf "[システム]\r\n繰り返し回数=10\r\n[テキスト]\r\n"
        split("あ い う え お か き く け こ さ し す せ そ", kana, " ")
        for (n = 1; n <= count; n++) {
            word = ""
            for (i = 0; i < 3 + n % 5; i++) word = word kana[(n * 7 + i * 3) % 15 + 1]
            printf "%d=%s\r\n", n, word
        }
    }' | iconv -f UTF-8 -t CP932
}

programs=("$BIN/barewindow" "$BIN/barewindow:label")
copy_program KestovaB100 keydrill
copy_program KestovaCourse course
copy_program Kestova100 fingerdrill
copy_program KestovaC100 words-2
word_list 2 >"$WORK/words-2/text.ini"
copy_program KestovaC100 words-32766
word_list 32766 >"$WORK/words-32766/text.ini"

echo "== start-up: exec to window mapped, median of $RUNS runs =="
"$BIN/startup" "$RUNS" "${programs[@]}" | tee "$WORK/startup.txt"

# compare WHAT BASE LIMIT: the start-up of WHAT against BASE, as a ratio.
compare() {
    awk -v what="$1" -v base="$2" -v limit="$3" '
        $1 == what { w = $2 } $1 == base { b = $2 }
        END { printf "%-28s %5.2f x %-22s (budget %.2f x): %s\n", what, w / b, base, limit,
                     w / b <= limit ? "ok" : "OVER BUDGET" }' "$WORK/startup.txt"
}
# peak WHAT BASE LIMIT: the peak RSS of WHAT above BASE's, in MiB.
peak() {
    awk -v what="$1" -v base="$2" -v limit="$3" '
        $1 == what { w = $3 } $1 == base { b = $3 }
        END { printf "%-28s %+5.2f MiB %-18s (budget %+.0f MiB): %s\n", what, w - b, base, limit,
                     w - b <= limit ? "ok" : "OVER BUDGET" }' "$WORK/startup.txt"
}
for trainer in keydrill/KestovaB100 fingerdrill/Kestova100 words-2/KestovaC100; do
    compare $trainer bin/barewindow:label 1.05
    peak $trainer bin/barewindow:label 2
done
compare words-32766/KestovaC100 words-2/KestovaC100 1.20
# The course reads its words and the record after its window is up.
compare course/KestovaCourse keydrill/KestovaB100 1.10

echo
"$BIN/inifile_bench"

echo
QT_QPA_PLATFORM=offscreen "$BIN/handlers_bench"

echo
QT_QPA_PLATFORM=offscreen "$BIN/record_bench"

echo
QT_QPA_PLATFORM=offscreen "$BIN/course_bench"

echo
echo "== INI parser fuzzing, 2 minutes =="
mkdir -p "$WORK/corpus"
"$BIN/../fuzz/fuzz_inidocument" -max_total_time=120 -rss_limit_mb=2048 -max_len=4096 \
    -print_final_stats=1 "$WORK/corpus" "$(dirname "$0")/../tests/fuzz/corpus" 2>&1 \
    | grep -E '^(Done|stat::number_of_executed_units|==.*ERROR)' || true
