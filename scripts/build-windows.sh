#!/usr/bin/env bash
# Builds Quillon for 64-bit Windows into build-windows/Quillon/: Quillon.exe with the Qt and
# mingw DLLs it loads, ffmpeg.exe and ffprobe.exe beside it, and the licences; and its setup.
#
#   scripts/build-windows.sh [--test | --bench]
#
# Everything happens in the Debian 13 root of scripts/test-on-debian.sh: Debian's mingw-w64,
# and Qt, lame and ffmpeg built from Debian's source packages once (scripts/windows-toolchain.sh,
# kept in the root; the tarballs in ../shared/windows-toolchain are used where they are).
# It also makes the setup, build-windows/Quillon-VERSION-setup.exe, with Debian's nsis. With --test
# it runs the Windows tests and the setup's round trip under Debian's Wine; with --bench it times
# the start-up of Quillon and of bare Qt windows under Wine (bench/run.sh calls it so).
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."

W=/opt/quillon-windows
triple=x86_64-w64-mingw32

if [[ ${1:-} != --in-root ]]; then
    if [[ $(id -u) -ne 0 ]]; then
        exec sudo --preserve-env=QUILLON_ROOTS,QUILLON_MIRROR "$0" "$@"
    fi
    root=${QUILLON_ROOTS:-/var/cache/quillon/roots}/trixie
    scripts/test-on-debian.sh --root-only trixie
    shared=../shared/windows-toolchain
    if [[ -f $shared/SHA256SUMS && ! -f $root$W/qt6/lib/cmake/Qt6/qt.toolchain.cmake ]]; then
        mkdir -p "$root$W/tarballs"
        cp "$shared"/*.tar.xz "$shared/SHA256SUMS" "$root$W/tarballs/"
    fi
    scripts/test-on-debian.sh trixie scripts/build-windows.sh --in-root "$@"
    rm -rf build-windows/Quillon build-windows/Quillon-*-setup.exe
    mkdir -p build-windows
    cp -a "$root/work/quillon/build-windows/Quillon" "$root"/work/quillon/build-windows/Quillon-*-setup.exe \
        build-windows/
    if [[ -f $root/work/quillon/build-windows/bench-wine.txt ]]; then
        cp "$root/work/quillon/build-windows/bench-wine.txt" build-windows/
    fi
    if [[ -d $root/work/quillon/build-windows/screenshots ]]; then
        cp -a "$root/work/quillon/build-windows/screenshots" build-windows/
    fi
    du -sh build-windows/Quillon
    exit 0
fi
shift

start=$SECONDS
scripts/windows-toolchain.sh
echo "== toolchain: $((SECONDS - start)) s"

B=build-windows/cmake
D=build-windows/Quillon
start=$SECONDS
cmake -S . -B "$B" -G Ninja -DCMAKE_TOOLCHAIN_FILE=$W/qt6/lib/cmake/Qt6/qt.toolchain.cmake \
    -DCMAKE_BUILD_TYPE=Release -DQUILLON_BUILD_BENCH="$([[ ${1:-} == --bench ]] && echo ON || echo OFF)" \
    -DBUILD_TESTING="$([[ ${1:-} == --test ]] && echo ON || echo OFF)" \
    -DQUILLON_WINDOWS_FFMPEG=Z:$W/ffmpeg/bin >/dev/null
nice cmake --build "$B" --parallel 2
echo "== cross build: $((SECONDS - start)) s"

# The DLLs a program or library imports, lower case.
imports() {
    $triple-objdump -p "$1" | sed -n 's/^\s*DLL Name: //p' | tr 'A-Z' 'a-z'
}
runtime_dirs=("$W/qt6/bin" "/usr/lib/gcc/$triple/$(ls /usr/lib/gcc/$triple | grep posix | sort -V | tail -1)"
    "/usr/$triple/lib")
# Copies into $2 every DLL that $1 needs from Qt and the mingw runtime, and what those need.
deploy() {
    local dll dir
    for dll in $(imports "$1"); do
        [[ -e $2/$dll || -n $(find "$2" -maxdepth 1 -iname "$dll" -print -quit) ]] && continue
        for dir in "${runtime_dirs[@]}"; do
            local found
            found=$(find "$dir" -maxdepth 1 -iname "$dll" -print -quit)
            if [[ -n $found ]]; then
                # Debian ships the runtime DLLs with their debugging information.
                $triple-strip --strip-unneeded -o "$2/$(basename "$found")" "$found"
                deploy "$2/$(basename "$found")" "$2"
                break
            fi
        done
    done
}

rm -rf "$D"
mkdir -p "$D/platforms" "$D/imageformats" "$D/licenses"
cp "$B/Quillon.exe" "$D/"
$triple-strip "$D/Quillon.exe"
cp $W/qt6/plugins/platforms/qwindows.dll "$D/platforms/"
cp $W/qt6/plugins/imageformats/qjpeg.dll $W/qt6/plugins/imageformats/qico.dll "$D/imageformats/"
for program in "$D/Quillon.exe" "$D"/*/*.dll; do
    deploy "$program" "$D"
done
cp $W/ffmpeg/bin/ffmpeg.exe $W/ffmpeg/bin/ffprobe.exe "$D/"
mkdir -p "$D/licenses/Qt" "$D/licenses/ffmpeg"
cp -r $W/qt6/LICENSES/. "$D/licenses/Qt/"
cp -r $W/ffmpeg/licenses/. "$D/licenses/ffmpeg/"
cp packaging/copyright "$D/licenses/Quillon.txt"
{
    echo "Quillon 1.0.0 for Windows x86_64."
    echo "Qt $(sed -n 's/.*"version": "\(.*\)".*/\1/p' $W/qt6/modules/Core.json | head -1) (qtbase), built from"
    echo "Debian's qt6-base source package (apt-get source qt6-base) with Debian's mingw-w64;"
    echo "its licences are in Qt/. ffmpeg and lame: see ffmpeg/SOURCES.txt."
} >"$D/licenses/SOURCES.txt"

scripts/check-windows-layout.sh "$D"

# The setup. The uninstaller removes the files listed here, the folders deepest first.
version=$(sed -n 's/^project(Quillon VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
setup=build-windows/Quillon-$version-setup.exe
list=$PWD/build-windows/setup-files.nsh
(
    cd "$D"
    find . -mindepth 1 -type f | sort | sed -e 's|^\./||' -e 's|/|\\|g' -e 's/.*/!insertmacro Quillon_File "&"/'
    find . -mindepth 1 -type d | sort -r | sed -e 's|^\./||' -e 's|/|\\|g' -e 's/.*/!insertmacro Quillon_Folder "&"/'
) >"$list"
rm -f build-windows/Quillon-*-setup.exe
nice makensis -V2 -DVERSION="$version" -DSOURCE="$PWD/$D" -DICON="$PWD/$B/generated/quillon.ico" \
    -DFILES="$list" -DOUTFILE="$PWD/$setup" packaging/windows/Quillon.nsi
echo "== setup: $setup, $(du -k "$setup" | cut -f1) KiB"

if [[ ${1:-} == --bench ]]; then
    scripts/bench-windows.sh "$B" "$D" build-windows/bench-wine.txt
fi
if [[ ${1:-} == --test ]]; then
    status=0
    scripts/test-windows.sh "$B" "$D" || status=1
    scripts/test-windows-setup.sh "$setup" "$D" "$B/clips" build-windows/screenshots || status=1
    exit $status
fi
