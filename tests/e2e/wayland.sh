#!/usr/bin/env bash
# The trainers as Wayland clients of a headless sway, typed at through its
# virtual keyboard (wlkeys) with real timing: each takes a held key once, a
# plain kana, one with its own and one with the other thumb, three keys as
# under X, a chord held into auto-repeat, no kana for Ctrl+A, and keeps them
# in the record when sway closes its window; the keyboard check judges the
# chords from the key events, with no device name. Skipped only where no
# compositor can be started.
set -u
BIN=$1
# A compositor and its clients are an ordinary user's: as root, this runs
# again as nobody, from copies that user can read.
if [ "$(id -u)" -eq 0 ]; then
    copy=$(mktemp -d)
    cp "$0" "$(dirname "$0")/lib.sh" "$BIN"/{Kestova100,KestovaC100,KestovaB100,KestovaCourse,KestovaRecord,wlkeys,chordsteps,Mirelo.ini,text.ini,kana-words.txt} "$copy" || exit 1
    chown -R nobody: "$copy"
    setpriv --reuid=nobody --regid=nogroup --init-groups bash "$copy/wayland.sh" "$copy"
    status=$?
    rm -rf "$copy"
    exit $status
fi
. "$(dirname "$0")/lib.sh"
skip() { echo "wayland end-to-end: skipped, $*" >&2; exit 77; }
command -v sway >/dev/null || skip "sway is not installed"
export HOME=$E2E_TMP XDG_RUNTIME_DIR=$E2E_TMP/runtime SWAYSOCK=$E2E_TMP/runtime/sway.sock
mkdir -m 700 "$XDG_RUNTIME_DIR"
# Alt+Space a shortcut of the compositor's, as on most desktops.
printf 'xwayland disable\ninput type:keyboard repeat_delay 250\nbindsym Mod1+space exec touch %s/shortcut\n' "$E2E_TMP" >"$E2E_TMP/sway.conf"
env -u DISPLAY -u WAYLAND_DISPLAY WLR_BACKENDS=headless WLR_RENDERER=pixman WLR_LIBINPUT_NO_DEVICES=1 \
    sway -c "$E2E_TMP/sway.conf" >"$E2E_TMP/sway.log" 2>&1 &
E2E_PIDS+=($!)
for _ in $(seq 2000); do
    swaymsg -t get_version >/dev/null 2>&1 && break
    kill -0 $! 2>/dev/null || skip "sway cannot start: $(grep -v '^ *$' "$E2E_TMP/sway.log" | tail -n1)"
    sleep 0.01
done
socket=$(ls "$XDG_RUNTIME_DIR" | grep -xm1 'wayland-[0-9]*') || skip "sway made no Wayland socket in 20 s"
export WAYLAND_DISPLAY=$socket
# A keyboard there from the start, as on a desktop: one that comes with its
# first key gives the seat a keyboard only then, and the program meets that
# key already down.
"$BIN/wlkeys" w600000 &
E2E_PIDS+=($!)
for _ in $(seq 500); do swaymsg -t get_inputs | grep -q '"type": "keyboard"' && break; sleep 0.01; done

# A learner's window of 300 ms, longer than the repeat delay. A held into
# auto-repeat (う), Ctrl+A, A (う); left Alt 10 ms ahead of A (を) and of K
# (ぎ); the thumb 60 ms after A and 52 before K goes with K (うぎ), and the
# other way round (をき); A with the thumb 150 ms later, held on into A's
# repeats, which Qt stamps with A's press (を, as under X); left Alt (を)
# still down as K and Space come: の, no shortcut of the compositor's.
mkdir -p "$XDG_CONFIG_HOME/Kestova"
printf '[ThumbShift]\nwindowMs=300\n' >"$XDG_CONFIG_HOME/Kestova/Kestova.conf"
keys="d38 w1000 u38 w30 d37 w10 d38 w20 u38 u37 w30 d38 w20 u38 w30 d64 w10 d38 w20 u38 u64 w30 d64 w10 d45 w20 u45 u64 w30
      d38 w60 d102 w52 d45 w20 u45 u38 u102 w150 d38 w52 d102 w60 d45 w20 u45 u38 u102 w150 d38 w150 d64 w400 u38 u64 w150
      d64 w10 d38 w40 u38 w30 d45 w5 d65 w10 u64 w40 u45 u65"
for program in Kestova100 KestovaC100 KestovaB100; do
    QT_QPA_PLATFORM=wayland "$(scratch_copy $program)" 2>"$E2E_TMP/program.log" &
    pid=$!
    E2E_PIDS+=($pid)
    for _ in $(seq 2000); do swaymsg "[pid=$pid] focus" >/dev/null 2>&1 && break; sleep 0.01; done
    swaymsg "[pid=$pid] focus" >/dev/null || fail "$program: no window appeared: $(cat "$E2E_TMP/program.log")"
    sleep 0.3
    "$BIN/wlkeys" "$keys" || fail "$program: wlkeys could not type"
    sleep 0.2
    swaymsg "[pid=$pid] kill" >/dev/null || fail "$program: sway cannot close its window"
    wait_exit "$program did not end after sway closed its window"
    rows=$("$BIN/KestovaRecord" --csv - | grep ",$program,")
    [ "$(cut -d, -f4 <<<"$rows" | tr -d '\n')" = "ううをぎうぎをきををの" ] || fail "$program: the record holds $(cut -d, -f4 <<<"$rows" | tr -d '\n')"
    [ -e "$E2E_TMP/shortcut" ] && fail "$program: Alt+Space in a chord reached the compositor"
    # The key events' own times: Alt 10 ms ahead, a chord.
    awk -F, '(NR == 3 || NR == 4) && ($6 < -20 || $6 > 0 || $7 != 1) { exit 1 }' <<<"$rows" || fail "$program: the thumbs were recorded as: $rows"
done

# キーボードの確認 on a laptop whose Space loses the right half of the home
# row, kept for the keyboard Wayland does not name.
conf=$XDG_CONFIG_HOME/Kestova/Kestova.conf
printf '[ThumbShift]\nleftThumbKeys=102\nrightThumbKeys=65,100\n' >"$conf"
QT_QPA_PLATFORM=wayland "$BIN/KestovaCourse" --check-keyboard 2>"$E2E_TMP/program.log" &
pid=$!
E2E_PIDS+=($pid)
for _ in $(seq 2000); do swaymsg '[title="キーボードの確認"] focus' >/dev/null 2>&1 && break; sleep 0.01; done
swaymsg '[title="キーボードの確認"] focus' >/dev/null || fail "no window キーボードの確認: $(cat "$E2E_TMP/program.log")"
sleep 0.3
"$BIN/wlkeys" "$(strike_chords 65 43,44,45,46,47 9)" || fail "wlkeys could not strike the chords"
for _ in $(seq 200); do grep -q 'checked=' "$conf" && break; sleep 0.05; done
result=$(missing_of "$conf" 2>&1)
[ "$result" = ": 43/R/65 44/R/65 45/R/65 46/R/65 47/R/65 44.45/R/65 46.47/R/65" ] || fail "the laptop's chords kept as missing: $result"
swaymsg "[pid=$pid] kill" >/dev/null
echo "wayland end-to-end: ok"
