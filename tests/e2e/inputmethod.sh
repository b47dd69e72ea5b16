#!/usr/bin/env bash
# Kana from a real input method, fcitx5 with Anthy, typing romaji (a stray
# letter counted once), kana (a kana made voiced one attempt) and
# thumb-shift (NICOLA) with overlapping keys: each kana it shows reaches the
# trainers once, in order, whether it came as preedit or as commit (read
# back from the record); the built-in keyboard stays out of the way. With
# Anthy off, fcitx5's French keyboard leaves the keys to the built-in one.
# Runs in a D-Bus session of its own: dbus-run-session -- bash inputmethod.sh BIN
set -u
BIN=$1
. "$(dirname "$0")/lib.sh"

export XDG_CONFIG_HOME="$E2E_TMP/config" XDG_DATA_HOME="$E2E_TMP/data" XDG_CACHE_HOME="$E2E_TMP/cache" XDG_RUNTIME_DIR="$E2E_TMP/runtime"
mkdir -p "$XDG_CONFIG_HOME/fcitx5/conf" "$XDG_RUNTIME_DIR"
chmod 700 "$XDG_RUNTIME_DIR"
start_xvfb

# Asked on the bus, not through fcitx5: a question to a name nobody owns yet
# would have D-Bus start a second fcitx5, without these settings.
on_bus() {
    dbus-send --session --print-reply --dest=org.freedesktop.DBus /org/freedesktop/DBus \
        org.freedesktop.DBus.NameHasOwner string:org.fcitx.Fcitx5 2>/dev/null | grep -q 'boolean true'
}
# anthy METHOD [LAYOUT]: fcitx5 started afresh, Anthy typing by METHOD
# (Romaji, Kana or Nicola), beside the keyboard of LAYOUT (us where none).
# No panel: its pop-ups would lie over the windows.
fcitx=
anthy() {
    [ -n "$fcitx" ] && { kill "$fcitx"; wait "$fcitx" 2>/dev/null; for _ in $(seq 500); do on_bus || break; sleep 0.01; done; }
    printf '[Groups/0]\nName=Default\nDefault Layout=%s\nDefaultIM=anthy\n[Groups/0/Items/0]\nName=keyboard-%s\n[Groups/0/Items/1]\nName=anthy\n[GroupOrder]\n0=Default\n' \
        "${2:-us}" "${2:-us}" >"$XDG_CONFIG_HOME/fcitx5/profile"
    printf '[General]\nTypingMethod=%s\nInputMode=Hiragana\n' "$1" >"$XDG_CONFIG_HOME/fcitx5/conf/anthy.conf"
    fcitx5 --disable=wayland,waylandim,kimpanel,notificationitem,notifications,classicui >"$E2E_TMP/fcitx5.log" 2>&1 &
    fcitx=$!
    E2E_PIDS+=($fcitx)
    for _ in $(seq 500); do on_bus && return; sleep 0.01; done
    fail "fcitx5 did not come up: $(cat "$E2E_TMP/fcitx5.log")"
}

# typed PROGRAM KEYS...: PROGRAM started with the input method switched on
# (unless ANTHY=off), each xtool keys argument typed (=WORD: typed by
# xdotool), then Return to confirm; prints the kana the program took, as its
# record holds them.
typed() {
    local program=$1 before keys
    shift
    before=$(strokes "$program")
    start_program QT_IM_MODULE=fcitx "$(scratch_copy "$program")"
    focus_window
    if [ "${ANTHY:-on}" = on ]; then
        # Switched on as a learner does, with its key (Ctrl+Space) in the
        # window: fcitx5 tells the program at once that it types Japanese.
        for _ in $(seq 250); do [ "$(fcitx5-remote)" = 1 ] && break; sleep 0.02; done
        xtool keys "d37 w20 d65 w20 u65 w10 u37"
        for _ in $(seq 100); do [ "$(fcitx5-remote)" = 2 ] && break; sleep 0.02; done
        [ "$(fcitx5-remote)" = 2 ] || fail "Anthy did not switch on for $program"
    fi
    for keys in "$@"; do
        case "$keys" in
            =*) xdotool type --delay 150 "${keys#=}" ;;
            *) xtool keys "$keys" ;;
        esac
        sleep 0.3
    done
    xdotool key Return
    sleep 0.3
    close_window
    typed_since "$program" "$before"
}
expect() { # expect WHAT TOOK WANTED
    [ "$2" = "$3" ] || fail "$1: the trainer took '$2', not '$3'"
}

anthy Romaji
expect "romaji" "$(typed Kestova100 =sakura)" さくら
expect "romaji, a stray letter" "$(typed Kestova100 =ksakura)" さくらk
anthy Kana
expect "kana" "$(typed Kestova100 =qwer)" たていす
setxkbmap -model jp106 -layout jp
anthy Kana jp
# The key drill asks a random key: where it asked か, か was right and the
# ゛ after it a kana of its own.
before=$(strokes KestovaB100)
took=$(typed KestovaB100 "d28 w40 u28 w200 d34 w40 u34")
first_asked=$("$BIN/KestovaRecord" --csv - | grep ",KestovaB100," | sed -n "$((before + 1))p" | cut -d, -f3)
if [ "$first_asked" = か ]; then expect "kana, か asked, then ゛" "$took" かが; else expect "kana, か then ゛" "$took" が; fi
setxkbmap -model pc105 -layout fr
anthy Nicola fr
expect "Anthy off, French keyboard" "$(ANTHY=off typed KestovaB100 "d34 w20 u34" "d34 w20 u34 w30 d26 w20 u26" "d65 w10 d45 w30 u45 u65")" 、、たの
setxkbmap us
# NICOLA: A down, S down 60 ms later, A up, S up (うし); then Muhenkan with
# A (を), Henkan with K (の), and A and S overlapping again.
anthy Nicola
overlap="d38 w60 d39 w40 u38 w40 u39"
for program in Kestova100 KestovaB100; do
    expect "NICOLA, $program" "$(typed $program "$overlap" "d102 w10 d38 w40 u38 u102" "d100 w10 d45 w40 u45 u100" "$overlap")" うしをのうし
done
echo "input method end-to-end: ok"
