#!/usr/bin/env bash
# The Debian package as a user meets it: built as ./kestova deb builds it,
# clean for the lint tools, installed with apt; every menu entry's command
# started by an ordinary user with an empty home, whose trainers keep their
# files in the user's data folder, since they cannot write next to
# themselves; a purge takes the programs and leaves those files.
set -u
BIN=$1
SOURCE=$(cd "$(dirname "$0")/../.." && pwd)
. "$(dirname "$0")/lib.sh"
# Installing takes root; a developer who is not is not asked for a password.
[ "$(id -u)" -eq 0 ] || { echo "package end-to-end: skipped, not root"; exit 77; }

user=kestova-e2e
home="$E2E_TMP/home"
data="$home/.local/share/Kestova"
undo() {
    apt-get purge -y -qq kestova >/dev/null 2>&1
    userdel "$user" 2>/dev/null
}

deb=$("$SOURCE/kestova" deb) || fail "the package did not build"
lintian --fail-on error,warning "$deb" || fail "lintian finds fault with the package"
DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "$deb" >/dev/null || fail "apt-get cannot install $deb"
for desktop in /usr/share/applications/kestova-*.desktop; do
    report=$(desktop-file-validate "$desktop" 2>&1)
    [ -z "$report" ] || fail "$desktop: $report"
done
appstreamcli validate --no-net --strict /usr/share/metainfo/io.github.kestova.kestova.metainfo.xml \
    || fail "appstreamcli finds fault with the AppStream file"
[ ! -d "$SOURCE/record" ] || [ -x /usr/bin/KestovaRecord ] || fail "KestovaRecord is not in the package"

useradd --no-create-home --home-dir "$home" --shell /usr/sbin/nologin "$user" || fail "cannot add user $user"
chmod 711 "$E2E_TMP"
mkdir -m 700 "$home" && chown "$user:" "$home"
start_xvfb
for desktop in /usr/share/applications/kestova-*.desktop; do
    program=$(sed -n 's/^Exec=//p' "$desktop")
    # The user's own environment, not this test's folders; the home serves
    # as the runtime folder too, so that Qt leaves none behind in /tmp.
    start_program setpriv --reuid="$user" --regid="$user" --init-groups \
        env -i HOME="$home" XDG_RUNTIME_DIR="$home" DISPLAY="$DISPLAY" PATH=/usr/bin:/bin LANG=C.UTF-8 "$program"
    xtool close "$wid"
    wait_exit "$program did not end after its window was closed"
done
for file in Mirelo.ini text.ini; do
    [ -f "$data/$file" ] || fail "$file is not in the user's data folder $data"
done
iconv -f UTF-8 -t UTF-8 "$data/Mirelo.ini" >/dev/null 2>&1 && fail "Mirelo.ini is not in code page 932"
[[ $(ini_value "$data/Mirelo.ini" 秒数 左小指) =~ ^[0-9] ]] || fail "the finger drill kept no seconds in $data/Mirelo.ini"
[ -n "$(ini_value "$data/text.ini" テキスト 1)" ] || fail "the word trainer has no words in $data/text.ini"

apt-get purge -y -qq kestova >/dev/null || fail "apt-get cannot purge the package"
[ -e /usr/bin/Kestova100 ] && fail "the purge left the programs"
[ -f "$data/Mirelo.ini" ] && [ -f "$data/text.ini" ] || fail "the purge took the user's files"
echo "package end-to-end: ok"
