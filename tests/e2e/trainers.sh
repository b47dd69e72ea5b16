#!/usr/bin/env bash
# The two trainers that keep files, as the desktop meets them: the real
# programs under Xvfb, their windows, clicks, and the files they keep written
# on a close and on SIGTERM or SIGINT. Typing through X is the thumb-shift and
# input-method tests'.
set -u
BIN=$1
. "$(dirname "$0")/lib.sh"
start_xvfb

# The finger drill keeps its seconds on a close, SIGTERM and SIGINT, in a
# folder whose name is no UTF-8.
folder="$E2E_TMP/finger"$'\xff\xfe'
mkdir "$folder" && cp "$BIN/Kestova100" "$folder/"
program="$folder/Kestova100"
ini="$folder/Mirelo.ini"
write_cp932 "$ini" <<'INI'
[指１本]
文字数=2
左小指=か	き	く
[秒数]
左小指=12.5
INI
start_program "$program"
sleep 2.2
close_window
case "$(ini_value "$ini" 秒数 左小指)" in
    14.5 | 15.5 | 16.5) ;;
    *) fail "finger drill: 左小指 holds '$(ini_value "$ini" 秒数 左小指)' after two seconds and a close" ;;
esac
for signal in TERM INT; do
    before=$(ini_value "$ini" 秒数 左小指)
    start_program "$program"
    sleep 1.5
    kill -s "$signal" "$pid"
    wait_exit "finger drill: SIG$signal did not end the program"
    awk -v a="$before" -v b="$(ini_value "$ini" 秒数 左小指)" 'BEGIN { exit !(b >= a + 1) }' \
        || fail "finger drill: the seconds were not saved on SIG$signal"
done
# A file it cannot write: told on standard error after a signal, in a box
# after an ordinary close.
chmod 444 "$ini"
start_program "$program"
kill -TERM "$pid"
wait_exit "finger drill: SIGTERM did not end the program"
grep -q "保存できなかったものがあります" "$E2E_TMP/program.log" || fail "finger drill: an unsaved file was not told after SIGTERM"
start_program "$program"
xtool close "$wid"
wid=$(find_window Kestova) || fail "finger drill: no box told of the unsaved file after a close"
focus_window
xdotool key Return
wait_exit "finger drill: the box did not end the program"

# The word trainer keeps its count on SIGTERM.
program=$(scratch_copy KestovaC100)
ini="$(dirname "$program")/text.ini"
write_cp932 "$ini" <<'INI'
[システム]
繰り返し回数=2
[テキスト]
1=あい
2=うえ
INI
start_program "$program"
xdotool mousemove --window "$wid" 122 103 click 1 # ▲, then SIGTERM writes 3
sleep 0.2
kill -TERM "$pid"
wait_exit "word trainer: SIGTERM did not end the program"
[ "$(ini_value "$ini" システム 繰り返し回数)" = 3 ] || fail "word trainer: the count is not 3 after ▲ and SIGTERM"
echo "trainers end-to-end: ok"
