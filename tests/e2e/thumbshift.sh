#!/usr/bin/env bash
# The built-in thumb-shift keyboard, no input method: physical keys by key
# code with real timing (XTEST), on a US and on a Japanese layout: the key
# drill takes ね and a voiced kana; on French and German layouts dead keys
# and AltGr reach it as keys; a program stalled in a chord, and a thumb a few
# ms off the midpoint of three keys, decide by the keys' own times. (Every
# trainer takes plain and thumb kana in the record's end-to-end test.)
set -u
BIN=$1
. "$(dirname "$0")/lib.sh"
start_xvfb

# typed_now KEYS...: each xtool keys argument typed into a new key drill,
# with a pause between; prints the kana it took, as its record holds them.
typed_now() {
    local before
    before=$(strokes KestovaB100)
    start_program "$BIN/KestovaB100"
    focus_window
    for keys in "$@"; do xtool keys "$keys"; sleep 0.15; done
    close_window
    typed_since KestovaB100 "$before"
}

# ね (comma key) and ぎ (K with the left thumb 10 ms
# ahead: left Alt on us, Muhenkan on jp).
for layout in us jp; do
    if [ $layout = us ]; then
        setxkbmap us && left=64
    else
        setxkbmap -model jp106 -layout jp && left=102
    fi
    took=$(typed_now "d59 w20 u59" "d$left w10 d45 w20 u45 u$left")
    [ "$took" = "ねぎ" ] || fail "$layout: typed $took, not ねぎ"
done

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
took=$(typed_since KestovaB100 $(($(strokes KestovaB100) - 17)))
[ "$took" = "をうぎをきうぎをきうぎをきうぎをき" ] || fail "stalled and three-key timings typed $took, not をうぎをき..."
echo "thumb-shift end-to-end: ok"
