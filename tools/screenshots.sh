#!/usr/bin/env bash
# Takes the pictures for the documentation from the real program under a
# private Xvfb:
#   docs/screenshot-title.png  the title window
#   docs/screenshot-main.png   the main window as it opens
#   docs/screenshot-chart.png  the chart for a birth on 昭和55 (1980) 5/15
#                              at 12 o'clock, for October 2005
#
#   tools/screenshots.sh [BINARY]     (default: build/src/biorhythm)
#
# A BINARY ending in .exe is the Windows build, run under Wine in a fresh
# prefix; its pictures are called screenshot-*-windows.png.
#
# Builds nothing; build the program first.
set -euo pipefail

ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
BIN=${1:-$ROOT/build/src/biorhythm}
OUT=$ROOT/docs
SUFFIX=
if [[ $BIN == *.exe ]]; then
    SUFFIX=-windows
    [[ -f $BIN ]] || { echo "error: $BIN does not exist (tools/dev.sh windows)" >&2; exit 2; }
else
    [[ -x $BIN ]] || { echo "error: $BIN is not an executable (build the program first)" >&2; exit 2; }
fi
for tool in Xvfb xdotool xdpyinfo import; do
    command -v "$tool" >/dev/null || { echo "error: $tool is not installed" >&2; exit 2; }
done

WORK=$(mktemp -d "${TMPDIR:-/tmp}/biorhythm-shots.XXXXXX")
# shellcheck source=SCRIPTDIR/lib/xvfb.sh
source "$ROOT/tools/lib/xvfb.sh"
APP_PID=
cleanup() {
    if [[ -n $APP_PID ]] && kill -0 "$APP_PID" 2>/dev/null; then
        kill "$APP_PID" 2>/dev/null || true
        wait "$APP_PID" 2>/dev/null || true
    fi
    stop_private_xvfb
    rm -rf "$WORK"
}
trap cleanup EXIT

die() { echo "error: $*" >&2; exit 1; }

start_xvfb() { start_private_xvfb "$WORK/xvfb.log" || die "could not start Xvfb"; }

# Id of a visible window of the program with client size W×H, other than
# EXCLUDE; waits up to 10 s.
wait_window() {
    local w=$1 h=$2 exclude=${3:-} id deadline=$((SECONDS + 10))
    while ((SECONDS < deadline)); do
        kill -0 "$APP_PID" 2>/dev/null || die "the program ended unexpectedly"
        for id in $(xdotool search --onlyvisible --pid "$APP_PID" 2>/dev/null || true); do
            [[ $id == "$exclude" ]] && continue
            if xdotool getwindowgeometry "$id" 2>/dev/null | grep -q "Geometry: ${w}x${h}$"; then
                echo "$id"
                return 0
            fi
        done
        sleep 0.1
    done
    die "no ${w}x${h} window appeared"
}

# The window's area of the screen, as it is shown.
shoot() {
    local id=$1 file=$2 X Y WIDTH HEIGHT
    eval "$(xdotool getwindowgeometry --shell "$id" | grep -E '^(X|Y|WIDTH|HEIGHT)=[0-9]+$')"
    import -window root -crop "${WIDTH}x${HEIGHT}+${X}+${Y}" +repage "$file"
    echo "wrote $file (${WIDTH}x${HEIGHT})"
}

click() {
    xdotool mousemove --window "$1" "$2" "$3"
    sleep 0.1
    xdotool click 1
    sleep 0.3
}
enter() { xdotool type --delay 40 "$1"; xdotool key Return; sleep 0.15; }

# The pointer is parked over an empty spot of the window before each picture,
# so no button shows its hover look.
park() { xdotool mousemove --window "$1" 940 670; sleep 0.5; }

start_xvfb
mkdir -m 700 "$WORK/runtime"
if [[ -n $SUFFIX ]]; then
    export WINEPREFIX=$WORK/prefix WINEDEBUG=-all WINEDLLOVERRIDES='mscoree,mshtml='
    wineboot -i >/dev/null 2>&1 && wineserver -w
    wine "$BIN" >"$WORK/app.log" 2>&1 &
else
    env -u WAYLAND_DISPLAY QT_QPA_PLATFORM=xcb XDG_RUNTIME_DIR="$WORK/runtime" "$BIN" >"$WORK/app.log" 2>&1 &
fi
APP_PID=$!

TITLE=$(wait_window 802 632)
xdotool mousemove --window "$TITLE" 400 600
sleep 1
shoot "$TITLE" "$OUT/screenshot-title$SUFFIX.png"

click "$TITLE" 696 488                 # 開始
MAIN=$(wait_window 959 687 "$TITLE")
park "$MAIN"
shoot "$MAIN" "$OUT/screenshot-main$SUFFIX.png"

click "$MAIN" 184 52                   # birth era 昭和
enter 55; enter 5; enter 15; enter 12
click "$MAIN" 684 52                   # target era 西暦
enter 2005; enter 10
xdotool key Return                     # 決定
park "$MAIN"
shoot "$MAIN" "$OUT/screenshot-chart$SUFFIX.png"

kill "$APP_PID"
wait "$APP_PID" 2>/dev/null || true
APP_PID=
