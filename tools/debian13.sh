#!/usr/bin/env bash
# The whole test suite again on Debian 13 (trixie), in a chroot that this
# script makes with debootstrap and keeps in the cache folder
# (${XDG_CACHE_HOME:-~/.cache}/biorhythm/debian13), as root:
#
#   tools/debian13.sh
#
# The chroot "test" is a copy of a pristine minbase system ("base"); both
# are reused while current (made by the same recipe, less than 30 days ago)
# and brought up to date with apt first; otherwise they are made afresh.
# Inside, with CI=true, the project's own tools/setup.sh installs the test
# set, and the suite is built in build-debian13 of the checkout (mounted at
# /checkout) and run with ctest in a private network namespace. The
# sanitizer build is Debian 12's alone.
# shellcheck source=SCRIPTDIR/lib/strict.sh
source "$(dirname "${BASH_SOURCE[0]}")/lib/strict.sh"
cd "$(dirname "$0")/.."
checkout=$PWD

[[ $(id -u) -eq 0 ]] || { echo "error: $0 makes and enters chroots: run it as root" >&2; exit 1; }
tools/setup.sh chroot
# shellcheck source=SCRIPTDIR/lib/chroot.sh
source tools/lib/chroot.sh

started=$SECONDS
chroot_test_system "$checkout" test
root=$TEST_ROOT
chroot_log "set-up done after $((SECONDS - started)) s"

chroot_run "$root" --checkout "$checkout" --no-network -- env CI=true sh -c '
    set -e
    cd /checkout
    [ -f build-debian13/CMakeCache.txt ] || cmake --preset default -B build-debian13
    cmake --build build-debian13 --parallel 2
    ctest --test-dir build-debian13 --output-on-failure --parallel 2 --timeout 300'
chroot_log "Debian 13 leg passed in $((SECONDS - started)) s"
