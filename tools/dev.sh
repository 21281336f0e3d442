#!/usr/bin/env bash
# One entry point for working on the program.
#
#   tools/dev.sh run      install what is missing, build the program alone
#                         (build-run, no tests), start it
#   tools/dev.sh test     install what is missing, build, run the whole test
#                         suite, then again built with AddressSanitizer and
#                         UndefinedBehaviorSanitizer
#   tools/dev.sh package  install what is missing, build the Debian package
#                         (build-package) with Debian's build flags, check it
#                         with lintian; the last line printed is the path of
#                         the .deb
#   tools/dev.sh windows  install what is missing, build Qt for Windows once
#                         (tools/windows/build-qt.sh), cross-build the program
#                         (build-windows), run its tests under Wine, make the
#                         installer and the zip and run them under Wine; the
#                         last line printed is the path of the installer
#   tools/dev.sh debian13 the whole test suite again on Debian 13, in a chroot
#                         (as root; tools/debian13.sh)
#   tools/dev.sh package-check
#                         the package built, checked with Debian 12's and 13's
#                         lintian, installed with apt into a fresh Debian 13,
#                         run there and purged again (as root;
#                         tools/package_check.sh)
#
# All are safe to repeat and quick when nothing has changed.
# shellcheck source=SCRIPTDIR/lib/strict.sh
source "$(dirname "${BASH_SOURCE[0]}")/lib/strict.sh"
cd "$(dirname "$0")/.."

command=${1:-}
case $command in
run | test | package | windows) ;;
debian13) exec tools/debian13.sh ;;
package-check) exec tools/package_check.sh ;;
*)
    echo "usage: $0 run|test|package|windows|debian13|package-check" >&2
    exit 2
    ;;
esac

tools/setup.sh "$command"

# Configures a preset's build folder once, then builds what changed.
build() {
    local dir=build
    [[ $1 == default ]] || dir=build-$1
    [[ -f $dir/CMakeCache.txt ]] || cmake --preset "$1"
    cmake --build --preset "$1"
}

case $command in
run)
    build run
    exec build-run/src/biorhythm
    ;;
test)
    build default
    ctest --preset default
    build asan
    ctest --preset asan
    ;;
package)
    # The flags a Debian package build uses (hardening included). CMake
    # reads them at configure time only, so configure afresh every time.
    eval "$(dpkg-buildflags --export=sh)"
    cmake --preset package --fresh
    cmake --build --preset package
    rm -f build-package/*.deb
    cpack --preset package
    debs=(build-package/*.deb)
    [[ ${#debs[@]} -eq 1 && -f ${debs[0]} ]] || { echo "error: expected one .deb in build-package" >&2; exit 1; }
    deb=$PWD/${debs[0]}
    # Errors and warnings fail the package; informational tags are shown.
    lintian --info --display-info --fail-on error,warning "$deb"
    echo "$deb"
    ;;
windows)
    BIORHYTHM_QT_WINDOWS=$(tools/windows/build-qt.sh | tail -1)
    export BIORHYTHM_QT_WINDOWS
    # The preset finds Qt through this variable at configure time only: a
    # new Qt folder needs a fresh configure.
    if ! grep -qF "$BIORHYTHM_QT_WINDOWS/" build-windows/CMakeCache.txt 2>/dev/null; then
        cmake --preset windows --fresh
    fi
    # Wine needs an X display even for the offscreen tests and for making
    # the build's prefix: the end-to-end harness's, private.
    /usr/bin/python3 tests/e2e/e2e.py within x11 -- sh -c 'cmake --build --preset windows && ctest --preset windows'
    ls "$PWD"/build-windows/biorhythm-*-setup.exe
    ;;
esac
