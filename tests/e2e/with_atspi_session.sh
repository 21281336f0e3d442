#!/usr/bin/env bash
# Runs a command on a private Xvfb inside a private D-Bus session with the
# accessibility bus, the way a screen reader meets the program, and stops
# everything it started afterwards. Qt programs started by the command use
# the X platform and join the accessibility bus.
#
#   with_atspi_session.sh COMMAND [ARGS...]
#
# Exits with the command's status.
set -euo pipefail
[[ $# -ge 1 ]] || { echo "usage: $0 COMMAND [ARGS...]" >&2; exit 2; }

here=$(dirname "${BASH_SOURCE[0]}")
# shellcheck source=SCRIPTDIR/../../tools/lib/xvfb.sh
source "$here/../../tools/lib/xvfb.sh"
# shellcheck source=SCRIPTDIR/../../tools/lib/atspi_session.sh
source "$here/../../tools/lib/atspi_session.sh"

WORK=$(mktemp -d "${TMPDIR:-/tmp}/biorhythm-atspi.XXXXXX")
STATUS=1
cleanup() {
    stop_atspi_session
    stop_private_xvfb
    if [[ $STATUS -eq 0 ]]; then
        rm -rf "$WORK"
    else
        echo "logs kept in $WORK" >&2
    fi
}
trap cleanup EXIT

start_private_xvfb "$WORK/xvfb.log" || { echo "FAIL: could not start Xvfb" >&2; exit 1; }
start_atspi_session "$WORK" || { echo "FAIL: the accessibility bus did not start" >&2; exit 1; }
mkdir -m 700 "$WORK/runtime"

STATUS=0
env -u WAYLAND_DISPLAY -u AT_SPI_BUS_ADDRESS QT_QPA_PLATFORM=xcb QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 \
    XDG_RUNTIME_DIR="$WORK/runtime" "$@" || STATUS=$?
exit "$STATUS"
