#!/usr/bin/env bash
# Builds Qt for 64-bit Windows from Debian's own qt6-base source package, the
# same version as the Qt of the Linux build, and installs it into a cache
# folder outside the checkout. The last line printed is that folder.
#
#   tools/windows/build-qt.sh
#
# It builds again only when an input changed: the Qt version, the options
# below or the toolchain. They are recorded in the folder's stamp file, which
# is written last, so an interrupted build is never taken for a finished one.
#
# Only QtCore, QtGui, QtWidgets and QtTest, the Windows platform plugin and
# the .ico reader are built; whatever the program does not use is off.
# Debian's own Qt tools (moc, rcc, uic) serve as the host tools.
# shellcheck source=SCRIPTDIR/../lib/strict.sh
source "$(dirname "${BASH_SOURCE[0]}")/../lib/strict.sh"
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
toolchain=$root/cmake/mingw-w64-x86_64.cmake

version=$(dpkg-query -W -f='${source:Version}' qt6-base-dev)   # e.g. 6.4.2+dfsg-10
upstream=${version%%+*}
cache=${XDG_CACHE_HOME:-$HOME/.cache}/biorhythm
prefix=$cache/qt-$upstream-mingw
stamp=$prefix/biorhythm-stamp.txt

options=(
    -G Ninja
    -DCMAKE_BUILD_TYPE=Release
    -DBUILD_SHARED_LIBS=ON
    -DQT_BUILD_EXAMPLES=OFF -DQT_BUILD_TESTS=OFF -DQT_BUILD_BENCHMARKS=OFF
    -DQT_HOST_PATH=/usr -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake
    # Modules and features the program does not use.
    -DFEATURE_dbus=OFF -DFEATURE_sql=OFF -DFEATURE_network=OFF
    -DFEATURE_printsupport=OFF -DFEATURE_concurrent=OFF -DFEATURE_xml=OFF
    -DFEATURE_openssl=OFF -DFEATURE_vulkan=OFF
    -DFEATURE_jpeg=OFF -DFEATURE_gif=OFF
    # Debian's source has no src/3rdparty/wintab, which tablet events need.
    -DFEATURE_tabletevent=OFF
    # OpenGL (dynamic) and Direct2D stay at their defaults: the Windows
    # platform plugin of 6.4 does not link without them.
)

toolchain_id=$(
    x86_64-w64-mingw32-g++-posix --version | head -1
    sha256sum "$toolchain" | cut -d' ' -f1
)
wanted=$(printf 'qt6-base %s\n%s\ntoolchain:\n%s\n' "$version" "${options[*]}" "$toolchain_id")

# Qt's own texts in Japanese come with Debian's qt6-translations-l10n, not
# with qtbase: the same file serves the Windows Qt (its tests load it from
# Qt's translations folder, as on Linux).
ship_translation() {
    mkdir -p "$prefix/translations"
    cp -u /usr/share/qt6/translations/qtbase_ja.qm "$prefix/translations/"
}

if [[ -f $stamp && $(cat "$stamp") == "$wanted" ]]; then
    ship_translation
    echo "$prefix"
    exit 0
fi

# Debian's source package of the installed Qt. apt needs a deb-src entry for
# it; tools/setup.sh windows adds one.
sources=$cache/qt-source-$version
if [[ ! -d $sources/src ]]; then
    rm -rf "$sources" "$cache/qt-download"
    mkdir -p "$cache/qt-download"
    # Unpacked with Debian's patches applied, as the Linux build's Qt was.
    echo "Fetching Debian's source package qt6-base $version" >&2
    if ! (cd "$cache/qt-download" && apt-get source --only-source "qt6-base=$version") >"$cache/qt-source.log" 2>&1; then
        tail -20 "$cache/qt-source.log" >&2
        echo "error: apt-get source qt6-base=$version failed (above; the whole log is $cache/qt-source.log)." >&2
        echo "       apt needs a deb-src entry for Debian's main archive: tools/setup.sh windows adds one." >&2
        exit 1
    fi
    mv "$cache/qt-download/qt6-base-$upstream"*/ "$sources"
    rm -rf "$cache/qt-download"
fi

build=$cache/qt-build-$upstream-mingw
rm -rf "$build" "$prefix"
launcher=()
if command -v ccache >/dev/null; then
    export CCACHE_DIR=$cache/ccache
    launcher=(-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
fi
echo "Building Qt $upstream for Windows into $prefix (about 25 minutes on two cores the first time)" >&2
cmake -S "$sources" -B "$build" "${options[@]}" "${launcher[@]}" \
    -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DCMAKE_INSTALL_PREFIX="$prefix" >"$cache/qt-configure.log" 2>&1 \
    || { tail -40 "$cache/qt-configure.log" >&2; exit 1; }
cmake --build "$build" --parallel "$(nproc)" >"$cache/qt-build.log" 2>&1 \
    || { tail -40 "$cache/qt-build.log" >&2; exit 1; }
cmake --install "$build" >/dev/null
ship_translation
rm -rf "$build"
printf '%s\n' "$wanted" >"$stamp"
echo "$prefix"
