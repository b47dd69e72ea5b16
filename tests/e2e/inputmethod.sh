#!/usr/bin/env bash
# Kana from a real input method, fcitx5 with Anthy typing thumb-shift
# (NICOLA), reach a trainer as preedit, which it takes at once; the built-in
# keyboard stays out of the way.
# Keys are struck plain and with a thumb key (Muhenkan left, Henkan right).
# Runs in a D-Bus session of its own: dbus-run-session -- bash inputmethod.sh BIN
set -u
BIN=$1
. "$(dirname "$0")/lib.sh"

export XDG_CONFIG_HOME="$E2E_TMP/config" XDG_DATA_HOME="$E2E_TMP/data" XDG_CACHE_HOME="$E2E_TMP/cache" XDG_RUNTIME_DIR="$E2E_TMP/runtime"
mkdir -p "$XDG_CONFIG_HOME/fcitx5/conf" "$XDG_RUNTIME_DIR"
chmod 700 "$XDG_RUNTIME_DIR"
printf '[Groups/0]\nName=Default\nDefault Layout=us\nDefaultIM=anthy\n[Groups/0/Items/0]\nName=keyboard-us\n[Groups/0/Items/1]\nName=anthy\n[GroupOrder]\n0=Default\n' \
    >"$XDG_CONFIG_HOME/fcitx5/profile"
printf '[General]\nTypingMethod=Nicola\nInputMode=Hiragana\n' >"$XDG_CONFIG_HOME/fcitx5/conf/anthy.conf"

start_xvfb
# No panel: its pop-ups would lie over the windows the test looks at.
fcitx5 --disable=wayland,waylandim,kimpanel,notificationitem,notifications,classicui >"$E2E_TMP/fcitx5.log" 2>&1 &
E2E_PIDS+=($!)
# Asked on the bus, not through fcitx5: a question to a name nobody owns yet
# would have D-Bus start a second fcitx5, without these settings.
on_bus() {
    dbus-send --session --print-reply --dest=org.freedesktop.DBus /org/freedesktop/DBus \
        org.freedesktop.DBus.NameHasOwner string:org.fcitx.Fcitx5 2>/dev/null | grep -q 'boolean true'
}
for _ in $(seq 500); do on_bus && break; sleep 0.01; done
on_bus || fail "fcitx5 did not come up: $(cat "$E2E_TMP/fcitx5.log")"

# start PROGRAM: with the input method, focused, Anthy switched on.
start() {
    start_program QT_IM_MODULE=fcitx "$1"
    focus_window
    fcitx5-remote -o
    for _ in $(seq 100); do [ "$(fcitx5-remote)" = 2 ] && return; sleep 0.02; done
    fail "Anthy did not switch on for $1"
}
thumb() { # thumb THUMB KEY: together, well within Anthy's window
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
printf '[テキスト]\n1=うを\n2=のき\n' | write_cp932 "$(dirname "$program")/text.ini"
start "$program"
word() { window_sum 30 66 280 26; }
fresh=$(word)
thumb Henkan k # の
struck=$(word)
[ "$struck" != "$fresh" ] || fail "word trainer: の (Henkan+k) was not struck off"
plain j # あ, not the next kana
[ "$(word)" = "$struck" ] || fail "word trainer: a wrong kana changed the word"
plain k # き ends the word, which comes back whole
[ "$(word)" = "$fresh" ] || fail "word trainer: き (k) did not finish the word"
close_window

echo "input method end-to-end: ok"
