#!/usr/bin/env bash
# The course as a learner meets it, typed at with real key codes and timing:
# each lesson read from the clipboard (Ctrl+C) and typed; a kana missed over
# and over is the focus of the next lesson, the kana every word holds; typed
# cleanly, the first kana are learnt and another comes into play; closing in
# the middle of a lesson keeps every keystroke.
set -u
BIN=$1
. "$(dirname "$0")/lib.sh"
start_xvfb
# The home row alone, where the course begins.
declare -A key=([う]=38 [し]=39 [て]=40 [け]=41 [せ]=42 [は]=43 [と]=44 [き]=45 [い]=46 [ん]=47)
declare -A tries=()
keystrokes=0 lessons=0

# course_state: the units in play and the lessons taken, as the record keeps them.
course_state() {
    python3 -c 'import sqlite3, sys
print(*sqlite3.connect("file:" + sys.argv[1] + "?mode=ro", uri=True).execute("SELECT units_in_play, lessons FROM course").fetchone())' \
        "$XDG_DATA_HOME/Kestova/record.sqlite" 2>/dev/null
}
# read_lesson: sets words to the lesson's 15 words, one a line, and focus to
# the kana every one of them holds.
read_lesson() {
    printf '' | xclip -selection clipboard
    for _ in $(seq 100); do
        xtool keys "d37 w10 d54 w10 u54 u37"
        words=$(xclip -selection clipboard -o 2>/dev/null)
        [ "$(grep -c . <<<"$words")" -eq 15 ] && break
        sleep 0.1
    done
    [ "$(grep -c . <<<"$words")" -eq 15 ] || fail "no lesson of 15 words on the clipboard: $words"
    focus=$(python3 -c 'import sys; print("".join(set.intersection(*map(set, sys.stdin.read().split()))))' <<<"$words")
}
# type_lesson [MISS]: types the lesson, each kana 60 ms; MISS, where given,
# is missed 19 times at its last place before it is typed right.
type_lesson() {
    local text=${words//$'\n'/} miss=${1:-} last=-1 i k
    [ -n "$miss" ] && { last=${text%"$miss"*}; last=${#last}; }
    for ((i = 0; i < ${#text}; i++)); do
        k=${key[${text:i:1}]:-} || true
        [ -n "$k" ] || fail "a kana off the home row in a first lesson: ${text:i:1}"
        keys=""
        if [ "$i" -eq "$last" ]; then
            for _ in $(seq 19); do keys+="d$([ "$miss" = う ] && echo 39 || echo 38) w20 u$([ "$miss" = う ] && echo 39 || echo 38) w30 "; done
            keystrokes=$((keystrokes + 19))
        fi
        xtool keys "${keys}d$k w20 u$k w40"
        tries[${text:i:1}]=$((${tries[${text:i:1}]:-0} + 1)) keystrokes=$((keystrokes + 1))
    done
    lessons=$((lessons + 1))
    for _ in $(seq 100); do [ "$(course_state | cut -d' ' -f2)" = "$lessons" ] && break; sleep 0.05; done
    xtool keys "d36 w20 u36" # Return: the next lesson
}

mkdir -p "$E2E_TMP/course" && cp "$BIN/KestovaCourse" "$BIN/kana-words.txt" "$E2E_TMP/course/"
start_program "$E2E_TMP/course/KestovaCourse"
focus_window
# Clean lessons until each of the six first kana has a few attempts.
while :; do
    read_lesson
    [ ${#tries[@]} -eq 6 ] && [ "$lessons" -ge 2 ] && [ "$(printf '%s\n' "${tries[@]}" | sort -n | head -n1)" -ge 3 ] && break
    [ "$lessons" -lt 8 ] || fail "after 8 lessons the first kana were still not all practised: ${!tries[*]}"
    type_lesson
done
# The most practised kana of this lesson besides its focus, missed.
miss=$(for kana in "${!tries[@]}"; do [[ $words == *$kana* && $focus != *$kana* ]] && echo "${tries[$kana]} $kana"; done | sort -n | tail -n1 | cut -d' ' -f2)
[ -n "$miss" ] || fail "no kana to miss in: $words"
type_lesson "$miss"
read_lesson
[[ $focus == *$miss* ]] || fail "$miss, missed 19 times, is not the next lesson's focus ($focus): $words"
# Clean lessons until a seventh kana comes into play: the next lesson's focus.
while [ "$(course_state | cut -d' ' -f1)" = 6 ]; do
    [ "$lessons" -lt 20 ] || fail "after 20 lessons no kana came into play: $(course_state)"
    type_lesson
    read_lesson
done
new=$(for ((i = 0; i < ${#focus}; i++)); do [ -n "${tries[${focus:i:1}]:-}" ] || echo "${focus:i:1}"; done)
[ -n "$new" ] || fail "the kana that came into play is not the next lesson's focus: $focus"
close_window
[ "$(strokes KestovaCourse)" -eq "$keystrokes" ] || fail "the record holds $(strokes KestovaCourse) of the course's $keystrokes keystrokes"
echo "course end-to-end: ok after $lessons lessons"
