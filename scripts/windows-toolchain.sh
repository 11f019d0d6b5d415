#!/usr/bin/env bash
# Inside a Debian 13 root (scripts/build-windows.sh runs it there): installs the mingw-w64
# cross compilers and Wine, and makes the Windows builds of Qt and ffmpeg that Quillon ships,
# from Debian's own source packages, once. They are kept in $QUILLON_WINDOWS (default
# /opt/quillon-windows): qt6/ (Qt 6.8 qtbase for x86_64-w64-mingw32) and ffmpeg/ (ffmpeg.exe
# and ffprobe.exe, audio only, with lame). Tarballs of the same builds in $QUILLON_WINDOWS/tarballs
# whose checksums match SHA256SUMS there are unpacked instead of building.
set -euo pipefail

W=${QUILLON_WINDOWS:-/opt/quillon-windows}
triple=x86_64-w64-mingw32
export DEBIAN_FRONTEND=noninteractive

packages=(g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64
    mingw-w64-tools cmake ninja-build pkg-config qt6-base-dev qt6-base-dev-tools wine wine64
    xvfb xauth x11-apps imagemagick ffmpeg dpkg-dev xz-utils file perl python3 make nasm
    autoconf automake libtool fonts-dejavu-core nsis xdotool mount)
"$(dirname "${BASH_SOURCE[0]}")/ensure-packages.sh" "${packages[@]}"

mkdir -p "$W"
cat >"$W/toolchain-mingw64.cmake" <<EOF
# Debian's mingw-w64 (posix threads) for 64-bit Windows.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR AMD64)
set(CMAKE_C_COMPILER /usr/bin/$triple-gcc-posix)
set(CMAKE_CXX_COMPILER /usr/bin/$triple-g++-posix)
set(CMAKE_RC_COMPILER /usr/bin/$triple-windres)
set(CMAKE_AR /usr/bin/$triple-gcc-ar-posix CACHE FILEPATH "ar")
set(CMAKE_RANLIB /usr/bin/$triple-gcc-ranlib-posix CACHE FILEPATH "ranlib")
set(CMAKE_FIND_ROOT_PATH /usr/$triple)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
set(PKG_CONFIG_EXECUTABLE /usr/bin/$triple-pkg-config CACHE FILEPATH "pkg-config")
EOF

# Unpacks name's tarball when its checksum is the one listed; false otherwise.
unpack() {
    local tarball=$W/tarballs/$1
    [[ -f $tarball && -f $W/tarballs/SHA256SUMS ]] || return 1
    (cd "$W/tarballs" && grep " $1\$" SHA256SUMS | sha256sum --check --quiet) || return 1
    echo "== unpacking $1"
    tar -C "$W" -xJf "$tarball"
}

sources() {
    mkdir -p "$W/src"
    if [[ ! -f /etc/apt/sources.list.d/quillon-src.sources ]]; then
        sed 's/^Types: deb$/Types: deb-src/' /etc/apt/sources.list.d/*.sources /dev/null \
            >/etc/apt/sources.list.d/quillon-src.sources 2>/dev/null || true
        grep -q deb-src /etc/apt/sources.list.d/quillon-src.sources ||
            sed -n 's/^deb /deb-src /p' /etc/apt/sources.list >/etc/apt/sources.list.d/quillon-src.list
        apt-get update -qq
    fi
    (cd "$W/src" && apt-get source -qq "$@")
}

build_qt() {
    sources qt6-base
    local src
    src=$(echo "$W"/src/qt6-base-*/)
    local b=$W/build/qtbase
    rm -rf "$b" && mkdir -p "$b"
    # Debian's tarball lacks wintab, so no tablet events; direct2d stays on, since the font
    # code needs it, but its separate platform plugin is not built.
    local options=(-G Ninja -S "$src" -B "$b" -DCMAKE_TOOLCHAIN_FILE="$W/toolchain-mingw64.cmake"
        -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$W/qt6" -DBUILD_SHARED_LIBS=ON
        -DQT_HOST_PATH=/usr -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake
        -DQT_BUILD_EXAMPLES=OFF -DQT_BUILD_TESTS=OFF -DQT_BUILD_BENCHMARKS=OFF
        -DQT_GENERATE_SBOM=OFF -DQT_UNITY_BUILD=ON
        -DFEATURE_accessibility=ON -DFEATURE_systemtrayicon=ON -DFEATURE_sessionmanager=ON
        -DFEATURE_freetype=ON -DFEATURE_harfbuzz=ON -DFEATURE_png=ON -DFEATURE_jpeg=ON
        -DFEATURE_system_zlib=OFF -DFEATURE_system_pcre2=OFF -DFEATURE_system_png=OFF
        -DFEATURE_system_jpeg=OFF -DFEATURE_system_freetype=OFF -DFEATURE_system_harfbuzz=OFF
        -DFEATURE_system_doubleconversion=OFF -DFEATURE_system_md4c=OFF
        -DFEATURE_sql=OFF -DFEATURE_dbus=OFF -DFEATURE_opengl=OFF -DINPUT_opengl=no
        -DFEATURE_vulkan=OFF -DFEATURE_tabletevent=OFF -DFEATURE_icu=OFF -DFEATURE_zstd=OFF
        -DFEATURE_glib=OFF -DFEATURE_fontconfig=OFF -DFEATURE_printsupport=OFF
        -DFEATURE_concurrent=OFF -DFEATURE_xml=OFF -DFEATURE_direct2d=ON
        -DFEATURE_direct2d1_1=OFF -DFEATURE_openssl=OFF -DFEATURE_brotli=OFF
        -DFEATURE_libproxy=OFF)
    # Twice: Qt resets a feature that depends on one changed on the first run.
    nice cmake "${options[@]}" >/dev/null
    nice cmake "${options[@]}" >/dev/null
    nice cmake --build "$b" --parallel 2
    cmake --install "$b" --strip >/dev/null
    cp "$W/toolchain-mingw64.cmake" "$W/qt6/lib/cmake/Qt6/"
    # The prefix carries its own chain-loaded toolchain file, wherever it is unpacked.
    sed -i 's|^set(__qt_initially_configured_toolchain_file .*|set(__qt_initially_configured_toolchain_file "${CMAKE_CURRENT_LIST_DIR}/toolchain-mingw64.cmake")|' \
        "$W/qt6/lib/cmake/Qt6/qt.toolchain.cmake"
    cp -r "$src/LICENSES" "$W/qt6/LICENSES"
    rm -rf "$b" "$src" # 1.5 GB that the cache does not need
}

build_ffmpeg() {
    sources lame ffmpeg
    local lame ffsrc
    lame=$(echo "$W"/src/lame-*/)
    ffsrc=$(echo "$W"/src/ffmpeg-*/)
    (cd "$lame" && nice autoreconf -fi >/dev/null 2>&1)
    rm -rf "$W/build/lame" "$W/build/ffmpeg" && mkdir -p "$W/build/lame" "$W/build/ffmpeg"
    (cd "$W/build/lame" && nice "$lame/configure" --host=$triple CC=$triple-gcc-posix \
        CFLAGS=-O2 --prefix="$W/deps" --enable-static --disable-shared --disable-frontend \
        --disable-decoder --disable-gtktest --disable-rpath >/dev/null &&
        nice make -j2 >/dev/null && make install >/dev/null)
    # Every audio decoder that Debian's own ffmpeg has, and only what an MP3 needs besides.
    local decoders
    decoders=$(ffmpeg -hide_banner -decoders 2>/dev/null | awk '$1 ~ /^A/ && $2 !~ /^lib/ {print $2}' |
        sed -e 's/^8svx_/eightsvx_/' -e 's/^g722$/adpcm_g722/' -e 's/^real_144$/ra_144/' \
            -e 's/^real_288$/ra_288/' -e 's/^wavesynth$/ffwavesynth/' | paste -sd,)
    (cd "$W/build/ffmpeg" && nice "$ffsrc/configure" --prefix="$W/ffmpeg-install" \
        --target-os=mingw32 --arch=x86_64 --enable-cross-compile --cross-prefix=$triple- \
        --cc=$triple-gcc-posix --cxx=$triple-g++-posix --pkg-config=$triple-pkg-config \
        --pkg-config-flags=--static --extra-cflags="-I$W/deps/include" \
        --extra-ldflags="-L$W/deps/lib -static" --disable-shared --enable-static \
        --disable-autodetect --enable-w32threads --disable-debug --disable-doc \
        --disable-network --disable-swscale --disable-postproc --disable-everything \
        --enable-libmp3lame --enable-demuxers --enable-decoder="$decoders" \
        --enable-parser=aac,aac_latm,ac3,adx,amr,cook,dca,dolby_e,dvaudio,flac,ftr,g723_1,g729,gsm,misc4,mlp,mpegaudio,opus,sbc,sipr,tak,vorbis,xma \
        --enable-encoder=libmp3lame,pcm_s16le --enable-muxer=mp3,wav,null \
        --enable-filter=aresample,anull,aformat,atrim,asetpts,anullsrc,sine \
        --enable-indev=lavfi --enable-protocol=file,pipe >/dev/null &&
        nice make -j2 >/dev/null && make install >/dev/null)
    mkdir -p "$W/ffmpeg/bin" "$W/ffmpeg/licenses"
    cp "$W/ffmpeg-install/bin/ffmpeg.exe" "$W/ffmpeg-install/bin/ffprobe.exe" "$W/ffmpeg/bin/"
    cp "$ffsrc"/COPYING.LGPLv2.1 "$ffsrc"/LICENSE.md "$W/ffmpeg/licenses/"
    cp "$lame/COPYING" "$W/ffmpeg/licenses/lame-COPYING"
    cp "$lame/LICENSE" "$W/ffmpeg/licenses/lame-LICENSE"
    {
        echo "ffmpeg.exe and ffprobe.exe for Windows x86_64, statically linked, LGPL-2.1-or-later."
        echo "Built from Debian's source packages (apt-get source ffmpeg lame):"
        dpkg-parsechangelog -l "$ffsrc/debian/changelog" -S Version | sed 's/^/  ffmpeg /'
        dpkg-parsechangelog -l "$lame/debian/changelog" -S Version | sed 's/^/  lame /'
        echo "with Debian's mingw-w64 GCC (gcc-mingw-w64-x86-64-posix)."
    } >"$W/ffmpeg/licenses/SOURCES.txt"
    rm -rf "$W/build/lame" "$W/build/ffmpeg" "$W/ffmpeg-install" "$lame" "$ffsrc"
}

if [[ ! -f $W/qt6/lib/cmake/Qt6/qt.toolchain.cmake ]]; then
    unpack qt6-6.8.2-mingw-x86_64.tar.xz || build_qt
fi
if [[ ! -f $W/ffmpeg/bin/ffmpeg.exe ]]; then
    unpack ffmpeg-7.1-mingw-x86_64.tar.xz || build_ffmpeg
fi
echo "Windows toolchain ready in $W"
