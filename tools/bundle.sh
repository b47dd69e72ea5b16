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

# program|menu entry and icon, as the Debian package names them too|shipped data file
# One name for both installs: a user who has both sees each trainer once in
# the menu, from this folder, until it is uninstalled.
TRAINERS=(
    "Kestova100|kestova-fingerdrill|fingerdrill/Mirelo.ini"
    "KestovaC100|kestova-wordtype|wordtype/text.ini"
    "KestovaB100|kestova-keydrill|"
    "KestovaRecord|kestova-record|"
    "KestovaCourse|kestova-course|"
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
    local bin=$1 source=$2 dir=$3 entry program icon data line
    case "$dir" in
        *$'\n'*) echo "kestova: a folder name with a line break cannot go into a menu entry" >&2; exit 2 ;;
    esac
    mkdir -p "$dir" "$APPLICATIONS" "$ICONS"
    dir=$(cd "$dir" && pwd)
    for entry in "${TRAINERS[@]}"; do
        IFS='|' read -r program icon data <<<"$entry"
        replace_file "$bin/$program" "$dir/$program"
        chmod 755 "$dir/$program"
        if [ -n "$data" ] && [ ! -e "$dir/${data##*/}" ]; then
            cp "$source/$data" "$dir/${data##*/}"
        fi
        replace_file "$source/data/icons/$icon.svg" "$ICONS/$icon.svg"
        # The package's menu entry, started from this folder.
        while IFS= read -r line; do
            case "$line" in
                Exec=*) line="Exec=$(desktop_quoted "$dir/$program")" ;;
            esac
            printf '%s\n' "$line"
        done <"$source/data/$icon.desktop" >"$APPLICATIONS/$icon.desktop.new"
        mv -f "$APPLICATIONS/$icon.desktop.new" "$APPLICATIONS/$icon.desktop"
    done
    # The course's words and sentences, ours rather than the user's: always
    # the latest.
    replace_file "$source/data/kana-words.txt" "$dir/kana-words.txt"
    replace_file "$source/data/sentences.txt" "$dir/sentences.txt"
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
    rm -f "$dir/kana-words.txt" "$dir/sentences.txt"
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
