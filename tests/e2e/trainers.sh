#!/usr/bin/env bash
# The three trainers as a user meets them: the real programs under Xvfb,
# kana typed through X, and the files they keep written on a close and on
# SIGTERM or SIGINT.
set -u
BIN=$1
. "$(dirname "$0")/lib.sh"
start_xvfb

# The key drill: typed kana reach the window itself, which holds no text box.
start_program "$BIN/KestovaB100"
expect_window "KestovaB 1.00" 279x122
focus_window
start=$(window_sum)
type_char "ゔ"
[ "$(window_sum)" = "$start" ] || fail "key drill: a kana on no key changed the drill"
captions="ぁかたこさらちくつ、えりゃれよにるまぇうしてけせはときいんをあなゅもみおのょっ。ひすふへめそねほ・ぅーろやぃぬゆむわぉ"
for ((i = 0; i < ${#captions}; i++)); do
    type_char "${captions:i:1}"
    [ "$(window_sum)" != "$start" ] && break
done
[ "$(window_sum)" != "$start" ] || fail "key drill: no typed kana moved the drill on"
close_window

# The finger drill: with two entries in play every line is き か き か ...
program=$(scratch_copy Kestova100)
ini="$(dirname "$program")/Mirelo.ini"
write_cp932 "$ini" <<'INI'
[指１本]
文字数=2
左小指=か	き	く
[秒数]
左小指=12.5
INI
start_program "$program"
expect_window "Kestova 1.00" 674x279
focus_window
rows() { window_sum 0 110 674 75; } # the drill and echo rows, not the blinking box
fresh=$(rows)
type_char "か"
[ "$(rows)" = "$fresh" ] || fail "finger drill: a miss changed the rows"
type_char "き"
[ "$(rows)" != "$fresh" ] || fail "finger drill: a hit was not echoed"
sleep 2.2
close_window
case "$(ini_value "$ini" 秒数 左小指)" in
    14.5 | 15.5 | 16.5) ;;
    *) fail "finger drill: 左小指 holds '$(ini_value "$ini" 秒数 左小指)' after two seconds and a close" ;;
esac
[ "$(ini_value "$ini" 秒数 右小指)" = 0 ] && [ "$(ini_value "$ini" 指１本 左小指)" = "か	き	く" ] \
    || fail "finger drill: the other seconds or the lists are not as they should be"
for signal in TERM INT; do
    before=$(ini_value "$ini" 秒数 左小指)
    start_program "$program"
    sleep 1.5
    kill -s "$signal" "$pid"
    wait_exit "finger drill: SIG$signal did not end the program"
    awk -v a="$before" -v b="$(ini_value "$ini" 秒数 左小指)" 'BEGIN { exit !(b >= a + 1) }' \
        || fail "finger drill: the seconds were not saved on SIG$signal"
done

# The word trainer: without a word list a box, the end and no file.
program=$(scratch_copy KestovaC100)
ini="$(dirname "$program")/text.ini"
start_program "$program"
[ "$(xdotool getwindowname "$wid")" = "KestovaC" ] || fail "word trainer: no message box but '$(xdotool getwindowname "$wid")'"
focus_window
xdotool key Return
wait_exit "word trainer: the program did not end after the message"
[ -e "$ini" ] && fail "word trainer: text.ini was created"
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
focus_window
word() { window_sum 30 66 280 26; }
first=$(word)
type_char "う"
[ "$(word)" != "$first" ] || fail "word trainer: a typed kana was not struck off"
xdotool mousemove --window "$wid" 122 103 click 1 # ▲, then a close writes 3
sleep 0.2
close_window
[ "$(ini_value "$ini" システム 繰り返し回数)" = 3 ] || fail "word trainer: the count is not 3 after ▲ and a close"
start_program "$program"
focus_window
xdotool mousemove --window "$wid" 122 113 click 1 # ▼, then SIGTERM writes 2
sleep 0.2
kill -TERM "$pid"
wait_exit "word trainer: SIGTERM did not end the program"
cmp -s "$ini" "$E2E_TMP/words.ini" || fail "word trainer: the file is not as it was, with the count back at 2"
echo "trainers end-to-end: ok"
