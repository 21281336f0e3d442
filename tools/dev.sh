#!/usr/bin/env bash
# One entry point for working on the program.
#
#   tools/dev.sh run      install what is missing, build the program alone
#                         (build-run, no tests), start it
#   tools/dev.sh test     install what is missing, build, run the whole test
#                         suite, then again built with AddressSanitizer and
#                         UndefinedBehaviorSanitizer
#
# All are safe to repeat and quick when nothing has changed.
set -euo pipefail
cd "$(dirname "$0")/.."

command=${1:-}
case $command in
run | test) ;;
*)
    echo "usage: $0 run|test" >&2
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
esac
