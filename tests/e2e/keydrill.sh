#!/usr/bin/env bash
# The key position drill as a user meets it: the real program under Xvfb,
# kana typed with xdotool.
set -u
BIN=$1
. "$(dirname "$0")/lib.sh"

start_xvfb
start_program "$BIN/KestovaB100"
expect_window "KestovaB 1.00" 279x122

focus_window "$wid"
start=$(window_sum "$wid")

# A kana that is on no key changes nothing.
type_char "ゔ"
[ "$(window_sum "$wid")" = "$start" ] || fail "a kana on no key changed the drill"

# Typing every kana of the map reaches the shown one, and the drill steps on.
captions="ぁかたこさらちくつ、えりゃれよにるまぇうしてけせはときいんをあなゅもみおのょっ。ひすふへめそねほ・ぅーろやぃぬゆむわぉ"
stepped=
for ((i = 0; i < ${#captions}; i++)); do
    type_char "${captions:i:1}"
    if [ "$(window_sum "$wid")" != "$start" ]; then
        stepped=yes
        break
    fi
done
[ -n "$stepped" ] || fail "no typed kana moved the drill on"

close_and_wait "$pid" "$wid" || fail "the program did not end cleanly"
echo "keydrill end-to-end: ok"
