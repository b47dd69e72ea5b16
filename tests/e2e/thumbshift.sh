#!/usr/bin/env bash
# The built-in thumb-shift keyboard, no input method: physical keys by key
# code with real timing (XTEST), on a US and on a Japanese layout: the word
# trainer takes ね and a voiced kana; on French and German layouts dead keys
# and AltGr reach it as keys; a program stalled in a chord, and a thumb a few
# ms off the midpoint of three keys, decide by the keys' own times. (Every
# trainer takes plain and thumb kana in the record's end-to-end test.)
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
# typed_now KEYS...: each xtool keys argument typed into a new key drill,
# with a pause between; prints the kana it took, as its record holds them.
typed_now() {
    local before
    before=$("$BIN/KestovaRecord" --csv - | grep -c ',KestovaB100,')
    start_program "$BIN/KestovaB100"
    focus_window
    for keys in "$@"; do xtool keys "$keys"; sleep 0.15; done
    close_window
    "$BIN/KestovaRecord" --csv - | grep ',KestovaB100,' | tail -n +$((before + 1)) | cut -d, -f4 | tr -d '\n'
}

# The key right of P (a dead circumflex on fr), alone, before T and before a
# thumb chord; right Alt (AltGr on both) with J, then K.
for layout in fr de; do
    setxkbmap $layout
    took=$(typed_now "d34 w20 u34" "d34 w20 u34 w30 d26 w20 u26" "d34 w20 u34 w30 d65 w10 d44 w20 u44 u65" \
        "d108 w10 d44 w20 u44 u108 w30 d45 w20 u45")
    [ "$took" = "、、た、おおき" ] || fail "$layout: dead keys and AltGr typed $took, not 、、た、おおき"
done
setxkbmap us

# Stalled for 300 ms just after A went down, the Muhenkan press 30 ms later
# is still taken with it: を. Three keys, the thumb 60 ms after A and 52
# before K goes with K, and the other way round.
start_program "$BIN/KestovaB100"
focus_window
STALL_PID=$pid xtool keys "d38 w5 s w25 d102 w60 u38 w10 u102 w300 c"
sleep 0.2
for _ in 1 2 3 4; do
    xtool keys "d38 w60 d102 w52 d45 w20 u45 u38 u102"
    sleep 0.15
    xtool keys "d38 w52 d102 w60 d45 w20 u45 u38 u102"
    sleep 0.15
done
close_window
took=$("$BIN/KestovaRecord" --csv - | grep ',KestovaB100,' | tail -n 17 | cut -d, -f4 | tr -d '\n')
[ "$took" = "をうぎをきうぎをきうぎをきうぎをき" ] || fail "stalled and three-key timings typed $took, not をうぎをき..."
echo "thumb-shift end-to-end: ok"
