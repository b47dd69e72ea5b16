#!/usr/bin/env bash
# The built-in thumb-shift keyboard, no input method: physical keys by key
# code with real timing (XTEST), on a US and on a Japanese layout: the word
# trainer takes ね and a voiced kana. (Every trainer takes plain and thumb
# kana in the record's end-to-end test.)
set -u
BIN=$1
. "$(dirname "$0")/lib.sh"
start_xvfb

# plain KEY, thumb THUMB KEY: a keystroke, the thumb 10 ms ahead of the key.
plain() { xtool keys "d$1 w20 u$1"; sleep 0.05; }
thumb() { xtool keys "d$1 w10 d$2 w20 u$2 u$1"; sleep 0.05; }

words=$(scratch_copy KestovaC100)
printf '[システム]\n繰り返し回数=2\n[テキスト]\n1=はね\n2=ねぎ\n' | write_cp932 "$(dirname "$words")/text.ini"

for layout in us jp; do
    if [ $layout = us ]; then
        setxkbmap us && left=64 # left Alt
    else
        setxkbmap -model jp106 -layout jp && left=102 # Muhenkan
    fi
    # "ねぎ" comes first; ね on the comma key, ぎ on K with the left thumb. Typed
    # twice over, the word comes back whole.
    start_program "$words"
    focus_window
    fresh=$(window_sum 30 66 280 26)
    plain 59
    [ "$(window_sum 30 66 280 26)" != "$fresh" ] || fail "$layout: ね (comma key) was not struck off"
    thumb $left 45
    [ "$(window_sum 30 66 280 26)" = "$fresh" ] || fail "$layout: ぎ (K with the left thumb) did not finish the word"
    close_window
done
echo "thumb-shift end-to-end: ok"
