#!/usr/bin/env bash
# Builds the Debian package into folder OUT and prints its path. The build
# runs on a copy of the project in a scratch folder: dpkg-buildpackage writes
# into the folder above the source and leaves its build files in the source,
# and neither is the developer's to clutter. Only the .deb comes back.
#   deb.sh OUT
set -euo pipefail
SOURCE=$(cd "$(dirname "$0")/.." && pwd)
mkdir -p "$1"
OUT=$(cd "$1" && pwd)
WORK=$(mktemp -d)
trap 'rm -rf "$WORK"' EXIT

# The project as it stands, edits included, less what .gitignore keeps out.
mkdir "$WORK/kestova"
tar -C "$SOURCE" --exclude=./.git --exclude=./build --exclude='./build-*' -cf - . | tar -C "$WORK/kestova" -xf -
# The compiler's command lines only when asked for.
export DEB_BUILD_OPTIONS=${DEB_BUILD_OPTIONS-terse}
(cd "$WORK/kestova" && dpkg-buildpackage --build=binary --no-sign -jauto) >&2
deb=$(cd "$WORK" && echo kestova_*.deb)
mv "$WORK/$deb" "$OUT/"
echo "$OUT/$deb"
