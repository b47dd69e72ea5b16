#!/usr/bin/env bash
# Puts the trainers into one folder the user owns, with menu entries, or
# takes them out again. The programs keep their data next to themselves, so
# the folder stays writable and the user's Mirelo.ini and text.ini are never
# replaced or removed.
#   bundle.sh install BIN SOURCE DIR   BIN: the built programs, SOURCE: the project
#   bundle.sh uninstall DIR
set -euo pipefail

DATA_HOME=${XDG_DATA_HOME:-$HOME/.local/share}
APPLICATIONS=$DATA_HOME/applications
ICONS=$DATA_HOME/icons/hicolor/scalable/apps

# program|icon|English name|Japanese name|what it drills|shipped data file
TRAINERS=(
    "Kestova100|kestova-fingerdrill|Kestova finger drill|Kestova 指別練習|Type random kana of one finger, strictly from the left|fingerdrill/Mirelo.ini"
    "KestovaC100|kestova-wordtype|Kestova word typing|Kestova 単語練習|Type words in kana with the keyboard map as a guide|wordtype/text.ini"
    "KestovaB100|kestova-keydrill|Kestova key positions|Kestova キー位置練習|Find each kana's key on the thumb-shift keyboard|"
)

# A path as the Exec key of a desktop entry takes it: quoted, with the
# characters that are special inside quotes escaped.
desktop_quoted() {
    local path=$1
    path=${path//\\/\\\\\\\\}
    path=${path//\"/\\\\\"}
    path=${path//\`/\\\\\`}
    path=${path//\$/\\\\\$}
    path=${path//%/%%}
    printf '"%s"' "$path"
}

# Copies $1 to $2 through a temporary name, so that a trainer running from
# the folder keeps its old program file until it ends.
replace_file() {
    cp "$1" "$2.new"
    mv -f "$2.new" "$2"
}

install_bundle() {
    local bin=$1 source=$2 dir=$3 entry program icon name name_ja comment data
    case "$dir" in
        *$'\n'*) echo "kestova: a folder name with a line break cannot go into a menu entry" >&2; exit 2 ;;
    esac
    mkdir -p "$dir" "$APPLICATIONS" "$ICONS"
    dir=$(cd "$dir" && pwd)
    for entry in "${TRAINERS[@]}"; do
        IFS='|' read -r program icon name name_ja comment data <<<"$entry"
        replace_file "$bin/$program" "$dir/$program"
        chmod 755 "$dir/$program"
        if [ -n "$data" ] && [ ! -e "$dir/${data##*/}" ]; then
            cp "$source/$data" "$dir/${data##*/}"
        fi
        replace_file "$source/data/icons/$icon.svg" "$ICONS/$icon.svg"
        cat >"$APPLICATIONS/$icon.desktop.new" <<DESKTOP
[Desktop Entry]
Type=Application
Version=1.0
Name=$name
Name[ja]=$name_ja
Comment=$comment
Exec=$(desktop_quoted "$dir/$program")
Icon=$icon
Terminal=false
Categories=Education;
Keywords=kana;thumb-shift;NICOLA;typing;親指シフト;タイピング;
DESKTOP
        mv -f "$APPLICATIONS/$icon.desktop.new" "$APPLICATIONS/$icon.desktop"
    done
    refresh_menus
    echo "kestova: installed into $dir"
}

uninstall_bundle() {
    local dir=$1 entry program icon rest found=
    for entry in "${TRAINERS[@]}"; do
        IFS='|' read -r program icon rest <<<"$entry"
        [ -f "$dir/$program" ] && found=yes
    done
    if [ -z "$found" ]; then
        echo "kestova: there is no Kestova install in $dir; nothing was changed" >&2
        exit 1
    fi
    dir=$(cd "$dir" && pwd)
    for entry in "${TRAINERS[@]}"; do
        IFS='|' read -r program icon rest <<<"$entry"
        rm -f "$dir/$program"
        # The menu entries and icons go only when they belong to this install.
        if grep -qxF "Exec=$(desktop_quoted "$dir/$program")" "$APPLICATIONS/$icon.desktop" 2>/dev/null; then
            rm -f "$APPLICATIONS/$icon.desktop" "$ICONS/$icon.svg"
        fi
    done
    refresh_menus
    # The folder goes only when nothing of the user's is left in it.
    rmdir "$dir" 2>/dev/null || echo "kestova: kept your files in $dir"
}

refresh_menus() {
    if command -v update-desktop-database >/dev/null; then
        update-desktop-database -q "$APPLICATIONS" || true
    fi
    if command -v gtk-update-icon-cache >/dev/null; then
        gtk-update-icon-cache -q -t "$DATA_HOME/icons/hicolor" 2>/dev/null || true
    fi
}

case "${1:-}" in
    install) [ $# -eq 4 ] || { echo "usage: bundle.sh install BIN SOURCE DIR" >&2; exit 2; }; install_bundle "$2" "$3" "$4" ;;
    uninstall) [ $# -eq 2 ] || { echo "usage: bundle.sh uninstall DIR" >&2; exit 2; }; uninstall_bundle "$2" ;;
    *) echo "usage: bundle.sh install BIN SOURCE DIR | uninstall DIR" >&2; exit 2 ;;
esac
