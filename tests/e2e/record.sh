#!/usr/bin/env bash
# The practice record as the trainers keep it: real keystrokes in each
# trainer, exported with KestovaRecord --csv after a close; a kill -9 loses
# the last second at most; two trainers write at once; a broken record is
# set aside, the learner told, and practice goes on.
set -u
BIN=$1
. "$(dirname "$0")/lib.sh"
start_xvfb
# A three times alone (う), the first held long enough for the keyboard to
# repeat it, then with the left thumb 10 ms ahead (を).
type_kana() {
    xtool keys "d38 w1000 u38 w30 d38 w20 u38 w30 d38 w20 u38 w30"
    xtool keys "d102 w10 d38 w20 u38 u102"
    sleep 0.1
}

"$BIN/KestovaRecord" --csv - >/dev/null && [ ! -e "$XDG_DATA_HOME/Kestova" ] || fail "an export of no record failed, or made one"
for program in Kestova100 KestovaC100 KestovaB100; do
    start_program "$(scratch_copy $program)"
    focus_window
    type_kana
    close_window
    rows=$("$BIN/KestovaRecord" --csv - | grep ",$program,")
    [ "$(cut -d, -f4 <<<"$rows" | tr -d '\n')" = "うううを" ] || fail "$program: the record holds $(cut -d, -f4 <<<"$rows" | tr -d '\n')"
    thumb=$(tail -n1 <<<"$rows" | cut -d, -f6)
    [ -n "$thumb" ] && [ "$thumb" -ge -20 ] && [ "$thumb" -le 0 ] || fail "$program: the thumb came $thumb ms after the key, not about -10"
    awk -F, '{ if (($3 == $4) != $5) exit 1 }' <<<"$rows" || fail "$program: a stroke's hit is not what it typed"
done

# Control keys are no attempts; a thumb 130 ms late and one 130 ms early
# make no chord, and the record keeps how far off they were.
before=$(strokes KestovaB100)
start_program "$E2E_TMP/KestovaB100/KestovaB100"
focus_window
xdotool key Return BackSpace Escape Tab
xtool keys "d38 w20 u38 w110 d102 w20 u102 w300 d102 w20 u102 w110 d38 w20 u38"
sleep 0.5
close_window
rows=$("$BIN/KestovaRecord" --csv - | grep ",KestovaB100," | tail -n +$((before + 1)))
[ "$(cut -d, -f4 <<<"$rows" | tr -d '\n')" = "うう" ] || fail "control keys and stray thumbs: the record holds $(cut -d, -f4 <<<"$rows" | tr -d '\n')"
awk -F, 'NR == 1 && ($6 < 115 || $6 > 145 || $7 != 0 || $8 != "left") { exit 1 }
         NR == 2 && ($6 > -115 || $6 < -145 || $7 != 0 || $8 != "left") { exit 1 }' <<<"$rows" || fail "the late and early thumb were recorded as: $rows"

# The export as a Unix tool: into a pipe as it is read, never replacing a
# device or a pipe, a folder refused.
mkfifo "$E2E_TMP/pipe"
cat "$E2E_TMP/pipe" >"$E2E_TMP/piped.csv" &
"$BIN/KestovaRecord" --csv "$E2E_TMP/pipe" && wait $! || fail "an export into a pipe failed"
[ -p "$E2E_TMP/pipe" ] && [ "$(wc -l <"$E2E_TMP/piped.csv")" -gt 1 ] || fail "an export into a pipe replaced it or wrote nothing"
"$BIN/KestovaRecord" --csv /dev/null && [ -c /dev/null ] || fail "an export to /dev/null failed or replaced it"
! "$BIN/KestovaRecord" --csv "$E2E_TMP" 2>/dev/null || fail "an export into a folder did not fail"
# Brought into another machine's record (--import): the same strokes, and
# none twice when brought again; a file that is no export refused, exit 1.
for time in 1 2; do
    XDG_DATA_HOME="$E2E_TMP/other" "$BIN/KestovaRecord" --import "$E2E_TMP/piped.csv" >/dev/null || fail "the import failed"
done
cmp -s <(XDG_DATA_HOME="$E2E_TMP/other" "$BIN/KestovaRecord" --csv -) "$E2E_TMP/piped.csv" || fail "the imported record does not export as the record it came from"
echo "no,csv" >"$E2E_TMP/bad.csv"
"$BIN/KestovaRecord" --import "$E2E_TMP/bad.csv" 2>"$E2E_TMP/import.log"
[ $? -eq 1 ] && grep -q "bad.csv の 1 行目" "$E2E_TMP/import.log" || fail "a file that is no export was not refused: $(cat "$E2E_TMP/import.log")"

# Killed hard: what was written a second before is there.
start_program "$E2E_TMP/Kestova100/Kestova100"
focus_window
type_kana
sleep 1.5
type_kana
kill -9 "$pid"
wait "$pid" 2>/dev/null
kept=$(strokes Kestova100)
[ "$kept" -ge 8 ] && [ "$kept" -le 12 ] || fail "after kill -9 the record holds $kept finger-drill strokes, not 8 to 12"

# Two key drills at once, each typed at in turn.
start_program "$E2E_TMP/KestovaB100/KestovaB100"
drills=("$pid $wid")
start_program "$E2E_TMP/KestovaB100/KestovaB100"
drills+=("$pid $wid")
for round in 1 2 close; do
    for drill in "${drills[@]}"; do
        read -r pid wid <<<"$drill"
        focus_window
        [ $round = close ] && close_window || type_kana
    done
done
[ "$(strokes KestovaB100)" = 22 ] || fail "two key drills at once: $(strokes KestovaB100) strokes, not 4 + 2 + 16"

# A record that is no database.
head -c 8192 /dev/urandom >"$XDG_DATA_HOME/Kestova/record.sqlite"
echo kept >"$E2E_TMP/old.csv"
! "$BIN/KestovaRecord" --csv "$E2E_TMP/old.csv" 2>/dev/null && [ "$(cat "$E2E_TMP/old.csv")" = kept ] || fail "a failed export touched its file"
start_program "$E2E_TMP/KestovaB100/KestovaB100"
focus_window
xtool keys "d38 w20 u38 w30 d38 w20 u38 w30 d38 w20 u38" # opens the record, which is found broken
sleep 1.5
grep -q 壊れていた "$E2E_TMP/program.log" || fail "a broken record was not told"
[ "$(xdotool search --onlyvisible --pid "$pid" | wc -l)" = 1 ] || fail "the notice came as a window of its own"
xtool keys "d38 w20 u38 w30 d38 w20 u38 w30 d38 w20 u38" # practice goes on under the notice
close_window
ls "$XDG_DATA_HOME/Kestova/"record.sqlite.broken-* >/dev/null 2>&1 || fail "the broken record was not set aside"
[ "$(strokes KestovaB100)" = 6 ] || fail "after a broken record the practice was not recorded afresh: $(strokes KestovaB100) strokes, not 6"

# Locked by another program through the end: closing takes under a second,
# with no box, the strokes safe in the pending file for the next start.
python3 - "$XDG_DATA_HOME/Kestova/record.sqlite" "$E2E_TMP/locked" <<'LOCK' &
import os, sqlite3, sys, time
connection = sqlite3.connect(sys.argv[1], isolation_level=None)
connection.execute("BEGIN EXCLUSIVE")
open(sys.argv[2], "w").close()
while os.path.exists(sys.argv[2]):
    time.sleep(0.05)
LOCK
locker=$!
for _ in $(seq 200); do [ -e "$E2E_TMP/locked" ] && break; sleep 0.05; done
start_program "$E2E_TMP/KestovaB100/KestovaB100"
focus_window
type_kana
started=$(date +%s%N)
xtool close "$wid"
wait_exit "a trainer with the record locked did not end"
closed=$((($(date +%s%N) - started) / 1000000))
[ "$closed" -le 1000 ] || fail "a trainer with the record locked took $closed ms to close"
rm "$E2E_TMP/locked"
wait $locker
[ "$(grep -c . "$XDG_DATA_HOME/Kestova/record.sqlite.pending")" = 4 ] || fail "the locked record's strokes are not in the pending file"

# Kept nowhere (no file may grow): the box at the end says so, and a
# logout's SIGTERM ends the program under it at once.
(trap '' XFSZ; ulimit -f 0; exec "$E2E_TMP/KestovaB100/KestovaB100") 2> >(cat >"$E2E_TMP/program.log") & # a pipe grows no file
pid=$!
E2E_PIDS+=($pid)
for _ in $(seq 2000); do wid=$(xdotool search --onlyvisible --pid "$pid" 2>/dev/null | head -n1); [ -n "$wid" ] && break; sleep 0.01; done
focus_window
type_kana
sleep 1.5
xtool close "$wid"
sleep 1
kill -0 "$pid" && grep -q 保存できなかった "$E2E_TMP/program.log" || fail "strokes kept nowhere were not told at the end"
kill -TERM "$pid"
wait_exit "SIGTERM did not end a program under its last box"

# The export's causes in words, the record named where it is at fault.
"$BIN/KestovaRecord" --csv /dev/full 2>"$E2E_TMP/csv.log" && fail "an export to a full disk did not fail"
grep -q "/dev/full に書き出せません（ディスクがいっぱいです）" "$E2E_TMP/csv.log" || fail "a full disk was told as: $(cat "$E2E_TMP/csv.log")"
mv "$XDG_DATA_HOME/Kestova/record.sqlite" "$E2E_TMP/aside.sqlite"
mkdir "$XDG_DATA_HOME/Kestova/record.sqlite"
"$BIN/KestovaRecord" --csv - 2>"$E2E_TMP/csv.log" >/dev/null && fail "an export of a record that is a folder did not fail"
grep -q "練習の記録 .*record.sqlite がフォルダーになって" "$E2E_TMP/csv.log" || fail "a record that is a folder was told as: $(cat "$E2E_TMP/csv.log")"
echo "record end-to-end: ok"
