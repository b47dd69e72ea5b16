#!/usr/bin/env bash
# The course as a learner meets it, typed at with real key codes and timing:
# each lesson read from the clipboard (Ctrl+C) and typed; a kana missed over
# and over is the focus of the next lesson, the kana every word holds; typed
# cleanly, the first kana are learnt and another comes into play; closing in
# the middle of a lesson keeps every keystroke; a text of the learner's own
# is typed as its kana.
set -u
BIN=$1
. "$(dirname "$0")/lib.sh"
start_xvfb
keystrokes=0 lessons=0
declare -A tries=()

mkdir -p "$E2E_TMP/course" && cp "$BIN/KestovaCourse" "$BIN/kana-words.txt" "$E2E_TMP/course/"
start_program "$E2E_TMP/course/KestovaCourse"
focus_window
# Clean lessons until each of the six first kana has a few attempts.
while :; do
    read_lesson
    [ ${#tries[@]} -eq 6 ] && [ "$lessons" -ge 2 ] && [ "$(printf '%s\n' "${tries[@]}" | sort -n | head -n1)" -ge 3 ] && break
    [ "$lessons" -lt 8 ] || fail "after 8 lessons the first kana were still not all practised: ${!tries[*]}"
    type_lesson
    next_lesson
done
# The most practised kana of this lesson besides its focus, missed.
miss=$(for kana in "${!tries[@]}"; do [[ $words == *$kana* && $focus != *$kana* ]] && echo "${tries[$kana]} $kana"; done | sort -n | tail -n1 | cut -d' ' -f2)
[ -n "$miss" ] || fail "no kana to miss in: $words"
type_lesson "$miss"
next_lesson
read_lesson
[[ $focus == *$miss* ]] || fail "$miss, missed 19 times, is not the next lesson's focus ($focus): $words"
# Clean lessons until a kana new in play is a lesson's focus, once the
# missed one is sure again.
new=""
while [ -z "$new" ]; do
    [ "$lessons" -lt 20 ] || fail "after 20 lessons no new kana was a lesson's focus: $(course_state) $focus"
    type_lesson
    next_lesson
    read_lesson
    new=$(for ((i = 0; i < ${#focus}; i++)); do [ -n "${tries[${focus:i:1}]:-}" ] || echo "${focus:i:1}"; done)
done
[ "$(course_state | cut -d' ' -f1)" -gt 6 ] || fail "a new kana is the focus, but the record holds $(course_state)"
text=${words//$'\n'/} # three keystrokes into the lesson, a miss where a kana is on no key mapped here
for ((i = 0; i < 3; i++)); do k=${key[${text:i:1}]:-${key[う]}} && xtool keys "d$k w20 u$k w40"; done
keystrokes=$((keystrokes + 3))
close_window
[ "$(strokes KestovaCourse)" -eq "$keystrokes" ] || fail "the record holds $(strokes KestovaCourse) of the course's $keystrokes keystrokes"
# A text of the learner's own, opened from the command line: its kanji read
# by MeCab (牛 うし, 椅子 いす), typed key by key into the record under the
# sentences' own name.
printf '牛と椅子\n' >"$E2E_TMP/text.txt"
start_program "$E2E_TMP/course/KestovaCourse" --text "$E2E_TMP/text.txt"
focus_window
sleep 0.5
for kana in う し と い す; do xtool keys "d${key[$kana]} w20 u${key[$kana]} w60"; done
close_window
[ "$(typed_since KestovaSentences 0)" = うしといす ] || fail "the sentence's keystrokes in the record: '$(typed_since KestovaSentences 0)', not うしといす"
echo "course end-to-end: ok after $lessons lessons"
