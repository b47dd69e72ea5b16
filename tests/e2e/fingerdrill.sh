#!/usr/bin/env bash
# The finger drill as a user meets it: the real program under Xvfb with a
# Mirelo.ini made here, kana typed with xdotool, the seconds kept on close
# and on SIGTERM.
set -u
BIN=$1
. "$(dirname "$0")/lib.sh"

program=$(scratch_copy Kestova100)
ini="$(dirname "$program")/Mirelo.ini"
# Two entries in play: every line is き か き か ...
write_cp932 "$ini" <<'INI'
[指１本]
文字数=2
左小指=か	き	く
[秒数]
左小指=12.5
INI

start_xvfb

start_program "$program"
expect_window "Kestova 1.00" 674x279
focus_window "$wid"

# The drill line and the echo row under it, without the blinking text box.
rows() { window_sum "$wid" 0 110 674 75; }
fresh=$(rows)

type_char "か"
[ "$(rows)" = "$fresh" ] || fail "a miss changed the drill rows"
type_char "き"
[ "$(rows)" != "$fresh" ] || fail "a hit was not echoed"
for ((i = 1; i < 20; i++)); do
    if ((i % 2)); then type_char "か"; else type_char "き"; fi
done
[ "$(rows)" = "$fresh" ] || fail "the twentieth hit did not bring a fresh line"

sleep 2.2
close_and_wait "$pid" "$wid" || fail "the program did not end cleanly"
after_close=$(ini_value "$ini" 秒数 左小指)
case "$after_close" in
    14.5 | 15.5 | 16.5) ;;
    *) fail "左小指 holds '$after_close' after two seconds and a close" ;;
esac
[ "$(ini_value "$ini" 秒数 右小指)" = "0" ] || fail "右小指 was not saved as 0"
[ "$(ini_value "$ini" 指１本 左小指)" = "か	き	く" ] || fail "the finger list was changed"

for signal in TERM INT; do
    before=$(ini_value "$ini" 秒数 左小指)
    start_program "$program"
    sleep 1.5
    kill -s "$signal" "$pid"
    wait_exit "SIG$signal did not end the program"
    now=$(ini_value "$ini" 秒数 左小指)
    awk -v a="$before" -v b="$now" 'BEGIN { exit !(b >= a + 1) }' \
        || fail "the seconds were not saved on SIG$signal: $before, then $now"
done
echo "fingerdrill end-to-end: ok"
