# Shared by the end-to-end scripts: a private Xvfb, the programs started on
# it, and ways to find, type into, look at and close their windows.
# Callers set BIN to the folder of the built programs.

E2E_TMP=$(mktemp -d)
E2E_PIDS=()

e2e_cleanup() {
    local pid
    for pid in "${E2E_PIDS[@]}"; do
        kill "$pid" 2>/dev/null
    done
    wait 2>/dev/null
    rm -rf "$E2E_TMP"
}
trap e2e_cleanup EXIT

fail() {
    echo "FAIL: $*" >&2
    exit 1
}

# Starts Xvfb on a display number it picks itself and exports DISPLAY; SIZE
# (WxH) is the screen, 1280x1024 unless given. -noreset: a server that resets
# when its last client leaves refuses the next one for a moment.
start_xvfb() {
    local size=${1:-1280x1024} i
    Xvfb -displayfd 1 -screen 0 "${size}x24" -nolisten tcp -noreset \
        >"$E2E_TMP/display" 2>"$E2E_TMP/xvfb.log" &
    E2E_PIDS+=($!)
    for i in $(seq 500); do
        [ -s "$E2E_TMP/display" ] && break
        sleep 0.01
    done
    [ -s "$E2E_TMP/display" ] || fail "Xvfb did not start: $(cat "$E2E_TMP/xvfb.log")"
    export DISPLAY=":$(head -n1 "$E2E_TMP/display")"
    unset QT_QPA_PLATFORM QT_IM_MODULE XMODIFIERS
    # The display number comes a moment before clients are served.
    for i in $(seq 500); do
        xdotool getdisplaygeometry >/dev/null 2>&1 && return 0
        sleep 0.01
    done
    fail "Xvfb on $DISPLAY serves no clients"
}

# Prints the id of the first visible window of process $1, waiting up to 20 s.
wait_window() {
    local pid=$1 wid i
    for i in $(seq 2000); do
        wid=$(xdotool search --onlyvisible --pid "$pid" 2>/dev/null | head -n1)
        [ -n "$wid" ] && { echo "$wid"; return 0; }
        kill -0 "$pid" 2>/dev/null || return 1
        sleep 0.01
    done
    return 1
}

# start_program PROGRAM: starts it in the background and waits for its
# window; sets pid and wid. Environment settings may come first, as in
# `start_program QT_IM_MODULE=fcitx path/to/program`.
start_program() {
    env "$@" 2>"$E2E_TMP/program.log" &
    pid=$!
    E2E_PIDS+=($pid)
    wid=$(wait_window "$pid") || fail "${*: -1}: no window appeared: $(cat "$E2E_TMP/program.log")"
}

# expect_window CAPTION SIZE: the caption and client size (WxH) of window wid.
expect_window() {
    local caption size
    caption=$(xdotool getwindowname "$wid")
    size=$("$BIN/xtool" size "$wid")
    [ "$caption" = "$1" ] || fail "the caption is '$caption', not '$1'"
    [ "$size" = "$2" ] || fail "the client size is $size, not $2"
}

# wait_exit MESSAGE: waits up to 10 s for process pid to end, else fails.
wait_exit() {
    local i
    for i in $(seq 1000); do
        kill -0 "$pid" 2>/dev/null || { wait "$pid"; return 0; }
        sleep 0.01
    done
    fail "$1"
}

# Gives the window the keyboard focus, as a window manager would.
focus_window() {
    xdotool windowfocus --sync "$1" || fail "cannot focus window $1"
    sleep 0.3
}

# Types one character and lets the program read it. xdotool remaps a spare
# keycode for every non-ASCII character; with no delay the key arrives before
# Qt has read the new keymap and comes without text.
type_char() {
    xdotool type --delay 40 "$1"
    sleep 0.05
}

# A checksum of what window $1 shows now, or the part X Y W H of it.
window_sum() {
    local wid=$1
    shift
    "$BIN/xtool" grab "$wid" "$E2E_TMP/grab.png" "$@" || fail "cannot grab window $wid"
    md5sum <"$E2E_TMP/grab.png" | cut -d' ' -f1
}

# Asks window $2 of process $1 to close and checks that the program ends well.
close_and_wait() {
    local pid=$1
    "$BIN/xtool" close "$2"
    wait_exit "process $pid did not end after its window was closed"
}

# Puts a copy of program $1 into a scratch folder of its own, so that it
# keeps its INI file there, and prints the copy's path.
scratch_copy() {
    local folder="$E2E_TMP/$1"
    mkdir -p "$folder"
    cp "$BIN/$1" "$folder/"
    echo "$folder/$1"
}

# Writes UTF-8 text from stdin to file $1 in code page 932 with CR LF ends.
write_cp932() {
    sed 's/$/\r/' | iconv -f UTF-8 -t CP932 >"$1"
}

# The value of key $3 in section [$2] of the code page 932 INI file $1.
ini_value() {
    iconv -f CP932 -t UTF-8 "$1" | tr -d '\r' | awk -v section="[$2]" -v key="$3" '
        /^\[/ { inside = ($0 == section); next }
        inside && index($0, key "=") == 1 { print substr($0, length(key) + 2); exit }'
}
