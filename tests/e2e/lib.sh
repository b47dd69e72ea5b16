# The end-to-end harness: a private Xvfb, the real programs started on it
# from scratch folders, and ways to focus, type into, look at and close
# their windows. Callers set BIN to the folder of the built programs.

E2E_TMP=$(mktemp -d)
E2E_PIDS=()
# The programs' per-user settings and data of this test alone.
export XDG_CONFIG_HOME="$E2E_TMP/config" XDG_DATA_HOME="$E2E_TMP/data" XDG_STATE_HOME="$E2E_TMP/state"
# What a script changed on the machine besides its scratch folder, put back
# once its programs are gone: a script that installs or adds a user says how.
undo() { :; }
trap 'kill "${E2E_PIDS[@]}" 2>/dev/null; wait 2>/dev/null; undo; rm -rf "$E2E_TMP"' EXIT

fail() {
    echo "FAIL: $*" >&2
    exit 1
}

# start_xvfb [WxH]: a server on a display number it picks itself, given 20 s
# on a machine busy with the other tests. -noreset:
# a server that resets when its last client leaves refuses the next one.
start_xvfb() {
    Xvfb -displayfd 1 -screen 0 "${1:-1280x1024}x24" -nolisten tcp -noreset >"$E2E_TMP/display" 2>"$E2E_TMP/xvfb.log" &
    E2E_PIDS+=($!)
    for _ in $(seq 2000); do [ -s "$E2E_TMP/display" ] && break; sleep 0.01; done
    export DISPLAY=":$(head -n1 "$E2E_TMP/display")"
    unset QT_QPA_PLATFORM QT_IM_MODULE XMODIFIERS
    for _ in $(seq 2000); do xdotool getdisplaygeometry >/dev/null 2>&1 && return; sleep 0.01; done
    fail "Xvfb on $DISPLAY serves no clients: $(cat "$E2E_TMP/xvfb.log")"
}

# start_program [VAR=value...] PROGRAM: starts it and waits up to 20 s for its
# window; sets pid and wid.
start_program() {
    env "$@" 2>"$E2E_TMP/program.log" &
    pid=$!
    E2E_PIDS+=($pid)
    for _ in $(seq 2000); do
        wid=$(xdotool search --onlyvisible --pid "$pid" 2>/dev/null | head -n1)
        [ -n "$wid" ] && return
        kill -0 "$pid" 2>/dev/null || break
        sleep 0.01
    done
    fail "${*: -1}: no window appeared: $(cat "$E2E_TMP/program.log")"
}

# window_size: the client size of window wid, as WxH.
window_size() {
    xdotool getwindowgeometry "$wid" | sed -n 's/^ *Geometry: //p'
}

# find_window CAPTION: the visible window of process pid with exactly that
# caption, within 4 s; prints its id.
find_window() {
    local id
    for _ in $(seq 200); do
        for id in $(xdotool search --onlyvisible --pid "$pid" 2>/dev/null); do
            [ "$(xdotool getwindowname "$id" 2>/dev/null)" = "$1" ] && { echo "$id"; return 0; }
        done
        sleep 0.02
    done
    return 1
}

# expect_window CAPTION WxH: the caption and client size of window wid.
expect_window() {
    [ "$(xdotool getwindowname "$wid")" = "$1" ] || fail "the caption is '$(xdotool getwindowname "$wid")', not '$1'"
    [ "$(window_size)" = "$2" ] || fail "$1: the client size is $(window_size), not $2"
}

# Gives window wid the keyboard focus, as a window manager would.
focus_window() {
    xdotool windowfocus --sync "$wid" || fail "cannot focus window $wid"
    sleep 0.3
}

# xtool close|sum|keys ...: what xdotool cannot do without a window manager.
xtool() {
    /usr/bin/python3 "$(dirname "${BASH_SOURCE[0]}")/xtool.py" "$@"
}

# A checksum of what window wid shows, or of its part X Y W H.
window_sum() {
    xtool sum "$wid" "$@" || fail "cannot look at window $wid"
}

# wait_exit WHAT: waits up to 10 s for process pid to end.
wait_exit() {
    for _ in $(seq 1000); do
        kill -0 "$pid" 2>/dev/null || { wait "$pid"; return; }
        sleep 0.01
    done
    fail "$1"
}

# Closes window wid as a window manager would; the program must end.
close_window() {
    xtool close "$wid"
    wait_exit "the program did not end after its window was closed"
}

# scratch_copy PROGRAM: a copy in a folder of its own, with the shipped INI
# files, where it keeps them; prints its path.
scratch_copy() {
    mkdir -p "$E2E_TMP/$1"
    cp "$BIN/$1" "$BIN"/*.ini "$E2E_TMP/$1/"
    echo "$E2E_TMP/$1/$1"
}

# write_cp932 FILE: UTF-8 text from stdin as code page 932 with CR LF ends.
write_cp932() {
    sed 's/$/\r/' | iconv -f UTF-8 -t CP932 >"$1"
}

# ini_value FILE SECTION KEY: a value of a code page 932 INI file.
ini_value() {
    iconv -f CP932 -t UTF-8 "$1" | tr -d '\r' | awk -v section="[$2]" -v key="$3" '
        /^\[/ { inside = ($0 == section); next }
        inside && index($0, key "=") == 1 { print substr($0, length(key) + 2); exit }'
}

# strokes PROGRAM: how many strokes of PROGRAM the practice record holds.
strokes() { "$BIN/KestovaRecord" --csv - | grep -c ",$1,"; }

# typed_since PROGRAM N: what PROGRAM took after its first N strokes, as the
# record holds it.
typed_since() { "$BIN/KestovaRecord" --csv - | grep ",$1," | tail -n +$(($2 + 1)) | cut -d, -f4 | tr -d '\n'; }

# The course, typed at as a learner would, reading each lesson off the clipboard.
# The home row's plain kana, where the course begins, and す of the bottom
# row, the seventh kana to come into play.
declare -A key=([う]=38 [し]=39 [て]=40 [け]=41 [せ]=42 [は]=43 [と]=44 [き]=45 [い]=46 [ん]=47 [す]=54)

# course_state: the units in play and the lessons taken, as the record keeps them.
course_state() {
    python3 -c 'import sqlite3, sys
print(*sqlite3.connect("file:" + sys.argv[1] + "?mode=ro", uri=True).execute("SELECT units_in_play, lessons FROM course").fetchone())' \
        "$XDG_DATA_HOME/Kestova/record.sqlite" 2>/dev/null
}
# read_lesson: sets words to the lesson's 15 words, one a line, and focus to
# the kana every one of them holds.
read_lesson() {
    printf '' | xclip -selection clipboard
    for _ in $(seq 100); do
        xtool keys "d37 w10 d54 w10 u54 u37"
        words=$(xclip -selection clipboard -o 2>/dev/null)
        [ "$(grep -c . <<<"$words")" -eq 15 ] && break
        sleep 0.1
    done
    [ "$(grep -c . <<<"$words")" -eq 15 ] || fail "no lesson of 15 words on the clipboard: $words"
    focus=$(python3 -c 'import sys; print("".join(set.intersection(*map(set, sys.stdin.read().split()))))' <<<"$words")
}
# type_lesson [MISS]: types the lesson, each kana 60 ms, and counts the
# keystrokes, the lessons and each kana's tries; MISS, where given, is missed
# 19 times at its last place before it is typed right.
type_lesson() {
    local text=${words//$'\n'/} miss=${1:-} last=-1 i k
    [ -n "$miss" ] && { last=${text%"$miss"*}; last=${#last}; }
    for ((i = 0; i < ${#text}; i++)); do
        k=${key[${text:i:1}]:-} || true
        [ -n "$k" ] || fail "a kana off the home row in a first lesson: ${text:i:1}"
        keys=""
        if [ "$i" -eq "$last" ]; then
            for _ in $(seq 19); do keys+="d$([ "$miss" = う ] && echo 39 || echo 38) w20 u$([ "$miss" = う ] && echo 39 || echo 38) w30 "; done
            keystrokes=$((keystrokes + 19))
        fi
        xtool keys "${keys}d$k w20 u$k w40"
        tries[${text:i:1}]=$((${tries[${text:i:1}]:-0} + 1)) keystrokes=$((keystrokes + 1))
    done
    lessons=$((lessons + 1))
    for _ in $(seq 100); do [ "$(course_state | cut -d' ' -f2)" = "$lessons" ] && break; sleep 0.05; done
}
# Return on the lesson result: the next lesson.
next_lesson() { xtool keys "d36 w20 u36"; }


# キーボードの確認 as a learner meets it on a simulated keyboard.
# strike_chords THUMB LOST ROLLOVER: every chord asked, with thumb key
# THUMB for the right hand (Muhenkan for the left): the thumb, the keys,
# then all up. The keyboard loses the keys LOST (codes) struck while Space
# is down, and any key past ROLLOVER down at once. A chord lost is tried
# twice, as the check asks.
strike_chords() {
    "$BIN/chordsteps" | python3 -c '
import sys
thumb, lost, rollover = int(sys.argv[1]), set(map(int, sys.argv[2].split(","))), int(sys.argv[3])
keys = []
for line in sys.stdin:
    *chord, hand = line.split()
    struck = [102 if hand == "L" else thumb] + [int(k) for k in chord]
    down = []
    for key in struck:
        if (key in lost and 65 in down) or len(down) >= rollover:
            continue
        down.append(key)
    press = " w15 ".join("d%d" % k for k in down)
    release = " w5 ".join("u%d" % k for k in reversed(down))
    keys.append(press + " w30 " + release + " w40")
    if len(down) < len(struck):
        keys.append(keys[-1])
print(" ".join(keys))' "$@"
}

# missing_of CONF: the chords the last keyboard checked was found not to send,
# as "NAME: CHORD...".
missing_of() { python3 -c '
import configparser, sys
conf = configparser.RawConfigParser(); conf.read(sys.argv[1], encoding="utf-8")
section = conf["ChordCheck"]
last = section["last"]
for key, value in section.items():
    if key.endswith("\\name") and value == last:
        print(last + ":", section[key[:-len("name")] + "missing"])' "$1"; }

