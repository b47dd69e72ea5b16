#!/usr/bin/env bash
# The portable install: the trainers run from a folder of the user's (a name
# with a space), keep their data there, and a reinstall or an uninstall
# never touches the user's INI files.
set -u
BIN=$1
SOURCE=$(cd "$(dirname "$0")/../.." && pwd)
. "$(dirname "$0")/lib.sh"

export XDG_DATA_HOME="$E2E_TMP/data"
DIR="$E2E_TMP/My Trainers"
bundle() { bash "$SOURCE/tools/bundle.sh" "$@" >/dev/null || fail "bundle.sh $1 failed"; }

bundle install "$BIN" "$SOURCE" "$DIR"
cmp -s "$DIR/text.ini" "$SOURCE/wordtype/text.ini" || fail "text.ini was not installed"
for icon in kestova-fingerdrill kestova-wordtype kestova-keydrill; do
    desktop="$XDG_DATA_HOME/applications/$icon.desktop"
    desktop-file-validate "$desktop" || fail "$icon.desktop is not a valid desktop entry"
    [ -f "$XDG_DATA_HOME/icons/hicolor/scalable/apps/$icon.svg" ] || fail "no icon $icon"
done
grep -qx "Exec=\"$DIR/Kestova100\"" "$XDG_DATA_HOME/applications/kestova-fingerdrill.desktop" \
    || fail "the finger drill's menu entry does not start $DIR/Kestova100"

# Run from the folder: each starts, and the finger drill writes its seconds there.
start_xvfb
for program in Kestova100 KestovaC100 KestovaB100; do
    start_program "$DIR/$program"
    close_window
done
[ "$(ini_value "$DIR/Mirelo.ini" 秒数 左小指)" = 0 ] || fail "the finger drill kept no seconds in its folder"

# The user's own word list and seconds survive a reinstall and an uninstall.
write_cp932 "$DIR/text.ini" <<'INI'
[システム]
繰り返し回数=3
[テキスト]
1=わたし
2=あなた
INI
cp "$DIR"/*.ini "$E2E_TMP/"
kept() { cmp -s "$DIR/text.ini" "$E2E_TMP/text.ini" && cmp -s "$DIR/Mirelo.ini" "$E2E_TMP/Mirelo.ini"; }
bundle install "$BIN" "$SOURCE" "$DIR"
kept || fail "a reinstall replaced the user's INI files"

# A folder with no install: nothing touched, and it says so.
mkdir -p "$E2E_TMP/Typo"
bash "$SOURCE/tools/bundle.sh" uninstall "$E2E_TMP/Typo" 2>"$E2E_TMP/typo.log" && fail "uninstall of a folder with no install succeeded"
grep -q "no Kestova install" "$E2E_TMP/typo.log" && [ -f "$XDG_DATA_HOME/applications/kestova-fingerdrill.desktop" ] \
    || fail "uninstall of a folder with no install touched the real one or said nothing"
bundle uninstall "$DIR"
for program in Kestova100 KestovaC100 KestovaB100; do
    [ -e "$DIR/$program" ] && fail "uninstall left $program"
done
ls "$XDG_DATA_HOME/applications/"kestova-*.desktop >/dev/null 2>&1 && fail "uninstall left menu entries"
ls "$XDG_DATA_HOME/icons/hicolor/scalable/apps/"kestova-*.svg >/dev/null 2>&1 && fail "uninstall left icons"
kept || fail "uninstall did not keep the user's INI files"
echo "install end-to-end: ok"
