#!/usr/bin/env bash
# キーボードの確認 on keyboards simulated through XTEST: a learner strikes
# each chord it asks for, and the keyboard sends what such a keyboard
# would. A keyboard that sends every key, a laptop whose Space loses the
# right half of the home row, and a keyboard that sends no third key while
# two are down: the chords each cannot report are the check's result, kept
# under the device's name as the X server tells it, a later check's
# replacing an earlier one's. Under a window manager (openbox), Alt+Tab
# with the left Alt thumb key held takes the keyboard mid-try: the keys
# held are forgotten, and the check goes on.
set -u
BIN=$1
. "$(dirname "$0")/lib.sh"
start_xvfb

mkdir -p "$E2E_TMP/course" "$XDG_CONFIG_HOME/Kestova" && cp "$BIN/KestovaCourse" "$BIN/kana-words.txt" "$E2E_TMP/course/"
conf=$XDG_CONFIG_HOME/Kestova/Kestova.conf
printf '[ThumbShift]\nrightThumbKeys=65,100\n' >"$conf"
openbox >/dev/null 2>&1 &
E2E_PIDS+=($!)
for _ in $(seq 500); do xdotool get_desktop >/dev/null 2>&1 && break; sleep 0.02; done

# check_keyboard THUMB LOST ROLLOVER: the whole check, from the course's
# command line, until its result is kept.
check_keyboard() {
    local before
    before=$(grep 'checked=' "$conf")
    start_program "$E2E_TMP/course/KestovaCourse" --check-keyboard
    wid=$(find_window "キーボードの確認") || fail "no window キーボードの確認"
    focus_window
    if [ -n "${ALT_TAB:-}" ]; then
        xtool keys "d64 w30 d23 w30 u23 w30 u64 w300"
        focus_window
    fi
    xtool keys "$(strike_chords "$@")"
    for _ in $(seq 200); do [ "$(grep 'checked=' "$conf")" != "$before" ] && break; sleep 0.05; done
    [ "$(grep 'checked=' "$conf")" != "$before" ] || fail "the check did not end: $(cat "$E2E_TMP/program.log")"
    xtool close "$wid"
    wid=$(find_window "練習コース") || fail "no window 練習コース"
    close_window
}

ALT_TAB=1 check_keyboard 100 0 9
result=$(missing_of "$conf")
[ "$result" = "Virtual core XTEST keyboard: " ] || fail "a keyboard that sends every key has chords kept as missing: $result"

check_keyboard 65 43,44,45,46,47 9
result=$(missing_of "$conf")
[ "$result" = "Virtual core XTEST keyboard: 43/R/65 44/R/65 45/R/65 46/R/65 47/R/65 44.45/R/65 46.47/R/65" ] \
    || fail "the laptop's chords kept as missing: $result"

check_keyboard 100 0 2
result=$(missing_of "$conf")
expected="Virtual core XTEST keyboard:$("$BIN/chordsteps" | awk 'NF == 3 { printf " %s.%s/%s/%s", $1, $2, $3, $3 == "L" ? 102 : 100 }')"
[ "$result" = "$expected" ] || fail "the two-key keyboard's chords kept as missing: $result, not $expected"
grep -q '連続シフト' "$conf" || fail "no advice of continuous shift for a two-key keyboard: $(cat "$conf")"
echo "PASS: the chord check's verdicts on three simulated keyboards"
