#!/usr/bin/env bash
# Makes the .deb from build/, unpacks it into a temporary root, validates its desktop entry and
# metainfo, and starts the installed program there.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/../build"

cpack -G DEB >/dev/null
deb=$(ls quillon_*_amd64.deb)
echo "package: $deb"
dpkg-deb -f "$deb" Depends Recommends
# Debian's own checker: any error or warning fails.
lintian --fail-on error,warning "$deb"
echo "lintian: clean"

root=$(mktemp -d)
pid=
trap '[[ -n $pid ]] && kill "$pid" 2>/dev/null; rm -rf "$root"' EXIT
dpkg -x "$deb" "$root"
desktop-file-validate "$root/usr/share/applications/io.quillon.Quillon.desktop"
appstreamcli validate --no-net "$root/usr/share/metainfo/io.quillon.Quillon.metainfo.xml"

# Started through its link on the path, as a desktop would.
QT_QPA_PLATFORM=offscreen "$root/usr/bin/quillon" &
pid=$!
sleep 3
if ! kill -0 "$pid" 2>/dev/null; then
    echo "the installed program did not stay up" >&2
    exit 1
fi
# The program looks for its converter in its own folder: the one it really runs from.
folder=$(dirname "$(readlink "/proc/$pid/exe")")
[[ $folder == "$root/usr/lib/quillon" ]] || { echo "runs from $folder" >&2; exit 1; }
# The link is relative, as Debian wants: once installed it names the system's converter.
converter=$(realpath -m "$folder/ffmpeg")
converter=${converter#"$root"}
"$converter" -version | head -1
echo "installed program is up; its converter link in $folder names $converter"
