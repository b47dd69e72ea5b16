#!/usr/bin/env bash
# The word typing trainer as a user meets it: the real program under Xvfb,
# kana typed with xdotool, the repeat count kept on close and on SIGTERM.
set -u
BIN=$1
. "$(dirname "$0")/lib.sh"

program=$(scratch_copy KestovaC100)
ini="$(dirname "$program")/text.ini"
start_xvfb

# No word list: the message, then the end, and no file left behind.
start_program "$program"
[ "$(xdotool getwindowname "$wid")" = "KestovaC" ] || fail "expected the message box, found '$(xdotool getwindowname "$wid")'"
focus_window "$wid"
xdotool key Return
wait_exit "the program did not end after the message"
[ -e "$ini" ] && fail "text.ini was created"

write_cp932 "$ini" <<'INI'
[システム]
繰り返し回数=2
[テキスト]
1=あい
2=うえ
INI
cp "$ini" "$E2E_TMP/words.ini"

start_program "$program"
expect_window "KestovaC 1.00" 312x342
focus_window "$wid"

# The word being typed, without the blinking text box.
word() { window_sum "$wid" 30 66 280 26; }
first=$(word)
type_char "あ"
[ "$(word)" = "$first" ] || fail "a wrong kana changed the word"
type_char "う"
[ "$(word)" != "$first" ] || fail "a typed kana was not struck off"
type_char "え"
[ "$(word)" = "$first" ] || fail "the word did not come back whole for its second round"
type_char "う"
type_char "え"
[ "$(word)" != "$first" ] || fail "after two rounds the other word did not come"

# ▲ on the count, then close.
xdotool mousemove --window "$wid" 122 103 click 1
sleep 0.2
close_and_wait "$pid" "$wid" || fail "the program did not end cleanly"
[ "$(ini_value "$ini" システム 繰り返し回数)" = "3" ] || fail "the count holds '$(ini_value "$ini" システム 繰り返し回数)', not 3"
[ "$(ini_value "$ini" テキスト 1)" = "あい" ] && [ "$(ini_value "$ini" テキスト 2)" = "うえ" ] \
    || fail "the words were changed"

# ▼, then SIGTERM: the count is written all the same.
start_program "$program"
focus_window "$wid"
xdotool mousemove --window "$wid" 122 113 click 1
sleep 0.2
kill -TERM "$pid"
wait_exit "SIGTERM did not end the program"
[ "$(ini_value "$ini" システム 繰り返し回数)" = "2" ] || fail "after SIGTERM the count holds '$(ini_value "$ini" システム 繰り返し回数)', not 2"
cmp -s "$ini" "$E2E_TMP/words.ini" || fail "the file differs from the one written at the start"
echo "wordtype end-to-end: ok"
