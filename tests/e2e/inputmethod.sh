#!/usr/bin/env bash
# Kana from a real input method: fcitx5 with Anthy typing thumb-shift
# (NICOLA) reach all three trainers. Physical keys are pressed with xdotool,
# plain and together with the thumb key of the same hand (Muhenkan left,
# Henkan right); Anthy turns them into kana and hands them to the program,
# as preedit, which the trainers take at once.
# Runs inside a private D-Bus session: dbus-run-session -- bash inputmethod.sh BIN
set -u
BIN=$1
. "$(dirname "$0")/lib.sh"

# fcitx5 reads its profile and Anthy's settings from a private home.
export XDG_CONFIG_HOME="$E2E_TMP/config" XDG_DATA_HOME="$E2E_TMP/data"
export XDG_CACHE_HOME="$E2E_TMP/cache" XDG_RUNTIME_DIR="$E2E_TMP/runtime"
mkdir -p "$XDG_CONFIG_HOME/fcitx5/conf" "$XDG_RUNTIME_DIR"
chmod 700 "$XDG_RUNTIME_DIR"
cat >"$XDG_CONFIG_HOME/fcitx5/profile" <<'PROFILE'
[Groups/0]
Name=Default
Default Layout=us
DefaultIM=anthy

[Groups/0/Items/0]
Name=keyboard-us
Layout=

[Groups/0/Items/1]
Name=anthy
Layout=

[GroupOrder]
0=Default
PROFILE
cat >"$XDG_CONFIG_HOME/fcitx5/conf/anthy.conf" <<'ANTHY'
[General]
TypingMethod=Nicola
InputMode=Hiragana
ANTHY

start_xvfb
# No panel: its pop-ups would lie over the windows the test looks at.
fcitx5 --disable=wayland,waylandim,kimpanel,notificationitem,notifications,classicui \
    >"$E2E_TMP/fcitx5.log" 2>&1 &
E2E_PIDS+=($!)
# Wait for it on the bus without asking fcitx5 itself: a question to a name
# nobody owns yet would have D-Bus start a second fcitx5, without our settings.
fcitx5_on_bus() {
    dbus-send --session --print-reply --dest=org.freedesktop.DBus /org/freedesktop/DBus \
        org.freedesktop.DBus.NameHasOwner string:org.fcitx.Fcitx5 2>/dev/null | grep -q 'boolean true'
}
for i in $(seq 500); do
    fcitx5_on_bus && break
    sleep 0.01
done
fcitx5_on_bus || fail "fcitx5 did not come up: $(cat "$E2E_TMP/fcitx5.log")"

# start PROGRAM: runs a scratch copy with the input method, focuses its
# window and switches Anthy on; sets pid and wid.
start() {
    start_program QT_IM_MODULE=fcitx "$1"
    focus_window "$wid"
    fcitx5-remote -o
    for i in $(seq 100); do
        [ "$(fcitx5-remote)" = 2 ] && return 0
        sleep 0.02
    done
    fail "Anthy did not switch on for $1"
}

# thumb THUMB KEY: the key struck together with a thumb key, well within
# Anthy's simultaneity window.
thumb() {
    xdotool keydown "$1" keydown "$2"
    sleep 0.05
    xdotool keyup "$2" keyup "$1"
    sleep 0.3
}

plain() {
    xdotool key "$1"
    sleep 0.3
}

# The word trainer: "のき" comes first (the first draw never takes word 1).
program=$(scratch_copy KestovaC100)
write_cp932 "$(dirname "$program")/text.ini" <<'INI'
[テキスト]
1=うを
2=のき
INI
start "$program"
word() { window_sum "$wid" 30 66 280 26; }
fresh=$(word)
thumb Henkan k                       # right thumb + k: の
struck=$(word)
[ "$struck" != "$fresh" ] || fail "word trainer: の (Henkan+k) was not struck off"
plain j                              # あ, not the next character
[ "$(word)" = "$struck" ] || fail "word trainer: a wrong kana changed the word"
plain k                              # き ends the word, which comes back whole
[ "$(word)" = "$fresh" ] || fail "word trainer: き (k) did not finish the word"
close_and_wait "$pid" "$wid" || fail "word trainer did not end cleanly"

# The finger drill: with two entries in play the line is を う を う ...
program=$(scratch_copy Kestova100)
write_cp932 "$(dirname "$program")/Mirelo.ini" <<'INI'
[指１本]
文字数=2
左小指=う	を
INI
start "$program"
rows() { window_sum "$wid" 0 110 674 75; }
fresh=$(rows)
plain a                              # う: not the first character
[ "$(rows)" = "$fresh" ] || fail "finger drill: a miss was echoed"
thumb Muhenkan a                     # left thumb + a: を
echoed=$(rows)
[ "$echoed" != "$fresh" ] || fail "finger drill: を (Muhenkan+a) was not echoed"
plain a                              # う
[ "$(rows)" != "$echoed" ] || fail "finger drill: う (a) was not echoed"
close_and_wait "$pid" "$wid" || fail "finger drill did not end cleanly"

# The key drill shows a kana at random: strike keys, plain and with the
# thumb key of their hand, until it steps on. A few kana are on no key of a
# US keyboard's thumb-shift table (ね), so a drill that shows one is started
# again, with a new first key.
# key_drill_steps: whether one of the keys moved the drill on.
key_drill_steps() {
    local before key side
    before=$(window_sum "$wid")
    for key in a s d f g q w e r t z x c v b h j k l semicolon y u i o p n m comma period slash; do
        case $key in
            [asdfgqwertzxcvb]) side=Muhenkan ;;
            *) side=Henkan ;;
        esac
        plain "$key"
        [ "$(window_sum "$wid")" != "$before" ] && return 0
        thumb "$side" "$key"
        [ "$(window_sum "$wid")" != "$before" ] && return 0
    done
    return 1
}
program=$(scratch_copy KestovaB100)
stepped=
for attempt in 1 2 3; do
    start "$program"
    key_drill_steps && stepped=yes
    close_and_wait "$pid" "$wid" || fail "key drill did not end cleanly"
    [ -n "$stepped" ] && break
done
[ -n "$stepped" ] || fail "key drill: no kana from Anthy moved the drill on"
echo "input method end-to-end: ok"
