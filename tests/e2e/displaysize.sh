#!/usr/bin/env bash
# "表示の大きさ": at 150 % every trainer's window maps at 1.5 times its size
# (rounded as Qt rounds) with its caption as ever; at 200 % every program's
# window fits 1280 x 1024 and 1366 x 768, the finger drill on 1024 x 768 at
# the largest size that fits, and says so.
set -u
BIN=$1
. "$(dirname "$0")/lib.sh"
mkdir -p "$XDG_CONFIG_HOME/Kestova"
size() { printf '[General]\ndisplaySize=%s\n' "$1" >"$XDG_CONFIG_HOME/Kestova/Kestova.conf"; }
scaled() { awk -v w="$1" -v h="$2" -v f="$3" 'BEGIN { printf "%dx%d", int(w * f + 0.5), int(h * f + 0.5) }'; }

start_xvfb
size 150
for trainer in "KestovaB100 279 122 KestovaB 1.00" "Kestova100 674 279 Kestova 1.00" "KestovaC100 312 342 KestovaC 1.00"; do
    read -r program width height caption <<<"$trainer"
    start_program "$(scratch_copy "$program")"
    expect_window "$caption" "$(scaled "$width" "$height" 1.5)"
    close_window
done

# At 200 % on screens a little too small for some windows, each program
# measures its window as it will be shown (laid out, for the course and the
# record) and comes out at the largest size that fits, saying so.
size 200
for screen in 1280x1024 1366x768; do
    kill "${E2E_PIDS[@]}" 2>/dev/null
    start_xvfb "$screen"
    for program in Kestova100 KestovaC100 KestovaB100 KestovaCourse KestovaRecord; do
        [ -e "$E2E_TMP/$program/$program" ] || scratch_copy "$program" >/dev/null
        cp -n "$BIN/kana-words.txt" "$E2E_TMP/$program/" 2>/dev/null
        start_program "$E2E_TMP/$program/$program"
        sleep 0.5
        read -r width height < <(window_size | tr x ' ')
        [ "$width" -le "${screen%x*}" ] && [ "$height" -le "${screen#*x}" ] || fail "$program at 200 % on $screen: $(window_size)"
        if [ $((width * 2)) -lt "${screen%x*}" ] && [ $((height * 2)) -lt "${screen#*x}" ]; then
            grep -q 画面に収まらない "$E2E_TMP/program.log" && fail "$program on $screen: made smaller though 200 % fits"
        fi
        close_window
    done
done
start_xvfb 1024x768
start_program "$E2E_TMP/Kestova100/Kestova100"
sleep 0.5
grep -q "画面に収まらないので、表示の大きさを 150" "$E2E_TMP/program.log" || fail "at 200 % on a small screen nothing told of the smaller size"
expect_window "Kestova 1.00" "$(scaled 674 279 1.5)"
close_window
echo "display size end-to-end: ok"
