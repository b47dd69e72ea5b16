#!/usr/bin/env bash
# ./kestova screenshots: pictures of the trainers' windows under Xvfb for the
# user's guide. Fails when a window does not map or has the wrong size.
set -u
BIN=$(readlink -f "$1")
OUT=$(readlink -f "$2")
SOURCE=$(readlink -f "$(dirname "$0")/../..")
. "$(dirname "$0")/lib.sh"
mkdir -p "$OUT"

# shoot PROGRAM SIZE PICTURE [DATA...]: runs the program from a scratch folder
# with a fresh copy of its shipped data files, focuses its window (the key
# drill then shows its first kana) and saves a picture.
shoot() {
    local program=$1 size=$2 picture=$3 pid wid data
    shift 3
    mkdir -p "$E2E_TMP/$program"
    cp "$BIN/$program" "$E2E_TMP/$program/"
    for data in "$@"; do
        cp "$SOURCE/$data" "$E2E_TMP/$program/"
    done
    "$E2E_TMP/$program/$program" &
    pid=$!
    E2E_PIDS+=($pid)
    wid=$(wait_window "$pid") || fail "$program: the window never appeared"
    [ "$("$BIN/xtool" size "$wid")" = "$size" ] || fail "$program: size is $("$BIN/xtool" size "$wid"), not $size"
    focus_window "$wid"
    "$BIN/xtool" grab "$wid" "$OUT/$picture" || fail "$program: cannot grab the window"
    close_and_wait "$pid" "$wid" || fail "$program: did not end cleanly"
    echo "$OUT/$picture"
}

start_xvfb
shoot Kestova100 674x279 fingerdrill.png fingerdrill/Mirelo.ini
shoot KestovaC100 312x342 wordtype.png wordtype/text.ini
shoot KestovaB100 279x122 keydrill.png
