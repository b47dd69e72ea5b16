#!/usr/bin/env bash
# ./kestova screenshots: pictures of the trainers' windows under Xvfb for the
# user's guide. Fails when a window does not map or has the wrong size.
set -u
BIN=$(readlink -f "$1")
OUT=$(readlink -f "$2")
SOURCE=$(readlink -f "$(dirname "$0")/..")
. "$SOURCE/tests/e2e/lib.sh"
mkdir -p "$OUT"

# shoot SCALE PROGRAM WIDTH HEIGHT PICTURE [DATA...]: runs the program from a
# scratch folder with a fresh copy of its shipped data files at the given
# scale, checks the size of its window, focuses it (the key drill then shows
# its first kana), runs $BEFORE_SHOT if set and saves a picture. The
# program's arguments are $ARGS.
shoot() {
    local scale=$1 program=$2 size="$(($3 * $1))x$(($4 * $1))" picture=$5 data
    shift 5
    rm -rf "$E2E_TMP/$program"
    mkdir -p "$E2E_TMP/$program"
    cp "$BIN/$program" "$E2E_TMP/$program/"
    for data in "$@"; do
        cp "$SOURCE/$data" "$E2E_TMP/$program/"
    done
    start_program QT_SCALE_FACTOR="$scale" "$E2E_TMP/$program/$program" ${ARGS:-}
    [ "$(window_size)" = "$size" ] || fail "$program: size is $(window_size), not $size"
    focus_window
    [ -z "${BEFORE_SHOT:-}" ] || eval "$BEFORE_SHOT"
    import -window "$wid" "PNG24:$OUT/$picture" || fail "$program: cannot grab the window"
    close_window
    echo "$OUT/$picture"
}

# Room for the windows at twice their size.
start_xvfb 2560x1600
for scale in 1 2; do
    suffix=$([ "$scale" = 1 ] || echo "@${scale}x")
    shoot "$scale" Kestova100 674 279 "fingerdrill$suffix.png" fingerdrill/Mirelo.ini
    shoot "$scale" KestovaC100 312 342 "wordtype$suffix.png" wordtype/text.ini
    shoot "$scale" KestovaB100 279 122 "keydrill$suffix.png"
done
# The course at its start, with its first lesson's words read in, and after
# a lesson typed through.
declare -A tries=()
lessons=0 keystrokes=0
BEFORE_SHOT=read_lesson shoot 1 KestovaCourse 700 412 course.png data/kana-words.txt
BEFORE_SHOT="read_lesson; type_lesson; sleep 0.5" shoot 1 KestovaCourse 700 412 course-result.png data/kana-words.txt
# 文の練習 on a text of the learner's own, its first kana (き) typed.
printf '今日は駅まで歩いて、友達と公園でお弁当を食べました。\n' >"$E2E_TMP/text.txt"
for scale in 1 2; do
    suffix=$([ "$scale" = 1 ] || echo "@${scale}x")
    ARGS="--text $E2E_TMP/text.txt" BEFORE_SHOT="sleep 0.5; xtool keys 'd45 w20 u45'; sleep 0.3" \
        shoot "$scale" KestovaCourse 700 412 "sentences$suffix.png" data/kana-words.txt data/sentences.txt
done
# キーボードの確認 from the course: two chords struck, and a try on the
# third with the thumb alone.
start_program "$BIN/KestovaCourse" --check-keyboard
wid=$(find_window "キーボードの確認") || fail "no window キーボードの確認"
focus_window
xtool keys "d102 w20 d24 w40 u24 u102 w300 d102 w20 d25 w40 u25 u102 w300 d102 w40 u102"
sleep 0.5
import -window "$wid" "PNG24:$OUT/chordcheck.png" || fail "cannot grab キーボードの確認"
echo "$OUT/chordcheck.png"
xtool close "$wid"
wid=$(find_window "練習コース") || fail "no window 練習コース"
close_window
# The practice record's days, with forty days of a learner on a learning
# curve brought in through --import, a target speed still ahead and a
# former input method already passed.
python3 - >"$E2E_TMP/learner.csv" <<'PY'
import datetime, math, random
random.seed(4)
print("time,program,expected,typed,hit,thumb_ms,chord,thumb_hand,thumb_needed,reason")
today = datetime.date.today()
for day in range(40, 0, -1):
    if random.random() < 0.2:
        continue
    speed = 130 - 100 * math.exp(-(40 - day) / 20) + random.gauss(0, 4)
    at = datetime.datetime.combine(today - datetime.timedelta(days=day), datetime.time(19, 0))
    for _ in range(int(random.choice([5, 10, 15, 20, 30]) * speed)):
        at += datetime.timedelta(milliseconds=60000 / speed)
        kana = random.choice("うしてけせはときいん")
        hit = random.random() < 0.95
        print(f"{at.isoformat(timespec='milliseconds')}+00:00,KestovaCourse,{kana},{kana if hit else 'x'},{int(hit)},,,,none,typed")
PY
mkdir -p "$XDG_CONFIG_HOME/Kestova"
printf '[Course]\ntargetSpeed=120\n[Practice]\nFormerSpeed=100\n' >"$XDG_CONFIG_HOME/Kestova/Kestova.conf"
"$BIN/KestovaRecord" --import "$E2E_TMP/learner.csv" >/dev/null || fail "the learner's strokes were not imported"
BEFORE_SHOT='xdotool mousemove --window "$wid" 143 51 click 1; sleep 0.5' shoot 1 KestovaRecord 764 635 record-days.png
