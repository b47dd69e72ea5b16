#!/usr/bin/env bash
# The built-in thumb-shift keyboard, no input method: physical keys by key
# code with real timing (XTEST), on a US and on a Japanese layout. The key
# drill steps on for plain and thumb kana; the word trainer takes a voiced
# kana and ね.
set -u
BIN=$1
. "$(dirname "$0")/lib.sh"
start_xvfb

# plain KEY, thumb THUMB KEY: a keystroke, the thumb 10 ms ahead of the key.
plain() { xtool keys "d$1 w20 u$1"; sleep 0.05; }
thumb() { xtool keys "d$1 w10 d$2 w20 u$2 u$1"; sleep 0.05; }

words=$(scratch_copy KestovaC100)
printf '[システム]\n繰り返し回数=2\n[テキスト]\n1=はね\n2=ねぎ\n' | write_cp932 "$(dirname "$words")/text.ini"
drill=$(scratch_copy KestovaB100)

for layout in us jp; do
    if [ $layout = us ]; then
        setxkbmap us && left=64 right=65 # left Alt, Space
    else
        setxkbmap -model jp106 -layout jp && left=102 right=100 # Muhenkan, Henkan
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

    # Every key plain and with its own hand's thumb, until the drill has
    # stepped on for a plain kana and for a thumb kana.
    start_program "$drill"
    focus_window
    stepped=
    for step in $(seq 12); do
        before=$(window_sum)
        for key in $(seq 24 34) $(seq 38 47) $(seq 52 61); do
            column=$(((key - 24) % 14))
            [ "$column" -lt 5 ] && own=$left || own=$right
            plain $key
            [ "$(window_sum)" != "$before" ] && { stepped="$stepped plain"; break; }
            thumb $own $key
            [ "$(window_sum)" != "$before" ] && { stepped="$stepped thumb"; break; }
        done
        case "$stepped" in *plain*thumb* | *thumb*plain*) break ;; esac
    done
    case "$stepped" in *plain*thumb* | *thumb*plain*) ;; *) fail "$layout: the key drill stepped on for:$stepped" ;; esac
    close_window
done
echo "thumb-shift end-to-end: ok"
