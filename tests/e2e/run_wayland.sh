#!/usr/bin/env bash
# End-to-end test of the real program as a native Wayland client
# (QT_QPA_PLATFORM=wayland) on a private, headless sway, driven by keyboard
# only (wtype; the headless seat has no pointer) and read through the
# compositor: window sizes and frames from `swaymsg -t get_tree`, pixels from
# grim's screenshots, what the program tells the compositor from its
# protocol log (WAYLAND_DEBUG).
#
#   run_wayland.sh BINARY
#
#   1. The title window: 802 × 632, no frame from sway nor from Qt (its
#      pixels start with the title picture), told to the compositor as not
#      resizable (minimum = maximum size).
#   2. Enter on 開始: the main window, 959 × 687 inside sway's title bar,
#      not resizable either; full screen (sway's command) and back, it
#      returns at that size.
#   3. 西暦 by keyboard, the worked example typed with Enter, 決定: the
#      worked example's chart (worked_example_chart.sh, as on X11).
#   4. sway's close command on the main window returns to the title window,
#      which has the focus again: Enter opens the main window afresh, without
#      a chart. Closing both windows through sway ends the program with 0.
#
# sway refuses to run as root: as root, the session and the program run as
# "nobody". Every process of the session carries BIORHYTHM_WAYLAND_SESSION=<tag>
# in its environment; at the end exactly those are ended, by their PID. Only
# /tmp (or TMPDIR), /proc and /dev are used, so it runs in a chroot too.
set -euo pipefail

[[ $# -eq 1 ]] || { echo "usage: $0 BINARY" >&2; exit 2; }
BIN=$1
[[ -x $BIN ]] || { echo "FAIL: $BIN is not an executable" >&2; exit 2; }
HERE=$(dirname "${BASH_SOURCE[0]}")
TITLE_PICTURE=$HERE/../../assets/title.bmp

for tool in sway swaymsg wtype grim jq convert setpriv pgrep; do
    command -v "$tool" >/dev/null || { echo "FAIL: $tool is not installed" >&2; exit 2; }
done

# shellcheck source=SCRIPTDIR/worked_example_chart.sh
source "$HERE/worked_example_chart.sh"
# shellcheck source=SCRIPTDIR/../../tools/lib/tagged_processes.sh
source "$HERE/../../tools/lib/tagged_processes.sh"

WORK=$(mktemp -d "${TMPDIR:-/tmp}/biorhythm-wayland.XXXXXX")
chmod 755 "$WORK"
TAG=biorhythm-wayland-$$-$RANDOM$RANDOM
USERS=$(id -u)
APP_PID=
APP_STATUS=
RESULT=1

# The session's user: nobody when run as root.
AS_USER=()
if [[ $(id -u) -eq 0 ]]; then
    AS_USER=(setpriv --reuid=nobody --regid=nogroup --clear-groups)
    USERS+=,$(id -u nobody)
fi
mkdir -m 700 "$WORK/run" "$WORK/home"
if [[ $(id -u) -eq 0 ]]; then chown nobody:nogroup "$WORK/run" "$WORK/home"; fi

# Sanitizer options pass through; a suppressions file is read from a copy
# the session's user can read.
LSAN=${LSAN_OPTIONS:-}
if [[ $LSAN =~ suppressions=([^:]*) && -r ${BASH_REMATCH[1]} ]]; then
    cp "${BASH_REMATCH[1]}" "$WORK/lsan.supp" && chmod 644 "$WORK/lsan.supp"
    LSAN=${LSAN//suppressions=${BASH_REMATCH[1]}/suppressions=$WORK/lsan.supp}
fi

# The command prefix that runs something inside the session, as its user.
SESSION=("${AS_USER[@]}" env -i HOME="$WORK/home" XDG_RUNTIME_DIR="$WORK/run" PATH=/usr/bin:/bin:/usr/sbin:/sbin
         LANG=C.UTF-8 SWAYSOCK="$WORK/run/sway.sock" BIORHYTHM_WAYLAND_SESSION="$TAG")

cleanup() {
    if [[ -n $APP_PID ]] && kill -0 "$APP_PID" 2>/dev/null; then
        kill "$APP_PID" 2>/dev/null || true
        wait "$APP_PID" 2>/dev/null || true
    fi
    stop_tagged "BIORHYTHM_WAYLAND_SESSION=$TAG" "$USERS"
    if [[ $RESULT -eq 0 ]]; then
        rm -rf "$WORK"
    else
        echo "e2e [wayland]: screenshots and logs kept in $WORK" >&2
        local png
        for png in "$WORK"/*.png; do
            if [[ -e $png ]]; then echo "  screenshot: $png" >&2; fi
        done
        if [[ -s $WORK/app.log ]]; then
            echo "  program output (without the protocol log):" >&2
            grep -v -E '^\[ *[0-9]+\.[0-9]+\] ' "$WORK/app.log" | sed 's/^/    /' >&2 || true
        fi
    fi
}
trap cleanup EXIT

fail() {
    echo "FAIL [wayland]: $*" >&2
    exit 1
}

log() { echo "[wayland] $*"; }

# ---- The compositor --------------------------------------------------------

start_sway() {
    cat >"$WORK/sway.config" <<'EOF'
xwayland disable
output * resolution 1400x1000
swaybg_command -
# Windows at their own size, as on a desktop, not tiled.
for_window [app_id=".*"] floating enable
EOF
    chmod 644 "$WORK/sway.config"
    "${SESSION[@]}" WLR_BACKENDS=headless WLR_LIBINPUT_NO_DEVICES=1 WLR_RENDERER=pixman \
        sway -c "$WORK/sway.config" >"$WORK/sway.log" 2>&1 &
    local socket deadline=$((SECONDS + 10))
    until socket=$(find "$WORK/run" -maxdepth 1 -name 'wayland-*' ! -name '*.lock' -printf '%f\n' | head -n 1) &&
        [[ -n $socket ]] && "${SESSION[@]}" swaymsg -t get_version >/dev/null 2>&1; do
        ((SECONDS < deadline)) || { sed 's/^/    /' "$WORK/sway.log" >&2; fail "sway did not start within 10 s"; }
        sleep 0.1
    done
    SESSION+=(WAYLAND_DISPLAY="$socket")
    log "sway on $socket"
}

swaymsg_() { "${SESSION[@]}" swaymsg "$@"; }

# Keys through a new virtual keyboard; the leading pause lets the program
# take the keyboard before the first key.
keys() { "${SESSION[@]}" wtype -s 500 "$@" -s 300; }

# ---- Windows ---------------------------------------------------------------

# The program's windows, one a line: "id x y w h border focused fullscreen
# ww wh" (x, y: the client area on the screen; w, h: its size; ww, wh: the
# whole window with its frame, if any).
app_windows() {
    swaymsg_ -t get_tree 2>/dev/null | jq -r --argjson pid "$APP_PID" '
        .. | objects | select(.pid? == $pid) |
        "\(.id) \(.rect.x + .window_rect.x) \(.rect.y + .window_rect.y) \(.window_rect.width) \(.window_rect.height) \(.border) \(.focused) \(.fullscreen_mode) \(.rect.width) \(.rect.height)"'
}

# The line of window ID, or nothing.
window_line() { app_windows | awk -v id="$1" '$1 == id'; }

# Waits up to SECONDS for a window of client size W×H other than EXCLUDE;
# prints its id.
wait_window() {
    local w=$1 h=$2 exclude=${4:-} deadline=$((SECONDS + $3))
    while ((SECONDS < deadline)); do
        kill -0 "$APP_PID" 2>/dev/null || fail "the program ended while waiting for a ${w}x${h} window"
        local id
        id=$(app_windows | awk -v w="$w" -v h="$h" -v x="$exclude" '$4 == w && $5 == h && $1 != x { print $1; exit }')
        if [[ -n $id ]]; then echo "$id"; return 0; fi
        sleep 0.1
    done
    return 1
}

wait_gone() {
    local id=$1 deadline=$((SECONDS + $2))
    while [[ -n $(window_line "$id") ]]; do
        ((SECONDS < deadline)) || return 1
        sleep 0.1
    done
}

wait_focused() {
    local id=$1 deadline=$((SECONDS + $2))
    until [[ $(window_line "$id" | awk '{ print $7 }') == true ]]; do
        ((SECONDS < deadline)) || return 1
        sleep 0.1
    done
}

# Screenshot of window ID's client area into FILE.
shoot() {
    local id=$1 file=$2 x y w h
    read -r _ x y w h _ < <(window_line "$id") || fail "window $id has gone"
    "${SESSION[@]}" grim -g "$x,$y ${w}x${h}" - >"$file" || fail "grim could not take $file"
}

# The program told the compositor that the window of the given size cannot
# be resized: minimum and maximum size equal to it (xdg-shell). The protocol
# log writes an object as interface@id, or interface#id since libwayland
# 1.23 (Debian 13).
expect_fixed_size_told() {
    local w=$1 h=$2 name=$3 request
    for request in set_min_size set_max_size; do
        grep -q -E "xdg_toplevel[@#][0-9]+\.$request\($w, $h\)" "$WORK/app.log" ||
            fail "the $name did not ask the compositor for $request($w, $h); its requests: $(grep -o -E 'xdg_toplevel[@#][0-9]+\.set_m[a-z_]+\([0-9, ]*\)' "$WORK/app.log" | tr '\n' ' ')"
    done
}

# ---- The journey -------------------------------------------------------------

TITLE_W=802 TITLE_H=632
MAIN_W=959 MAIN_H=687

start_app() {
    cp "$BIN" "$WORK/biorhythm" && chmod 755 "$WORK/biorhythm"
    "${SESSION[@]}" QT_QPA_PLATFORM=wayland WAYLAND_DEBUG=client \
        ASAN_OPTIONS="${ASAN_OPTIONS:-}" UBSAN_OPTIONS="${UBSAN_OPTIONS:-}" LSAN_OPTIONS="$LSAN" \
        "$WORK/biorhythm" >"$WORK/app.log" 2>&1 &
    APP_PID=$!
}

open_main_window() {
    keys -k Return   # 開始 has the focus
    local main
    main=$(wait_window $MAIN_W $MAIN_H 10 "$TITLE") || fail "Enter on 開始 did not open the ${MAIN_W}x${MAIN_H} main window within 10 s"
    wait_focused "$main" 5 || fail "the main window did not get the focus"
    # Painted: navy at (400..439, 300..339).
    local deadline=$((SECONDS + 5))
    until shoot "$main" "$WORK/main.png" && [[ $(count_colour "$WORK/main.png" 400 300 40 40 0 0 128) -eq 1600 ]]; do
        ((SECONDS < deadline)) || fail "the main window is not navy (0,0,128) at (400..439,300..339): see $WORK/main.png"
        sleep 0.2
    done
    echo "$main"
}

journey() {
    TITLE=$(wait_window $TITLE_W $TITLE_H 10) || fail "the ${TITLE_W}x${TITLE_H} title window did not appear within 10 s (windows: $(app_windows | tr '\n' ';'))"
    local border ww wh
    read -r _ _ _ _ _ border _ _ ww wh < <(window_line "$TITLE")
    [[ $border == csd && $ww == "$TITLE_W" && $wh == "$TITLE_H" ]] ||
        fail "the title window has a frame: sway border '$border', whole window ${ww}x${wh}"
    wait_focused "$TITLE" 5 || fail "the title window did not get the focus"
    # No frame drawn by Qt either: the client area begins with the title
    # picture, pixel for pixel (its left 650 columns, where no control lies
    # on it).
    local deadline=$((SECONDS + 5)) picture
    picture=$(convert "$TITLE_PICTURE" -crop 650x629+0+0 +repage -depth 8 rgb:- | md5sum)
    until shoot "$TITLE" "$WORK/title.png" &&
        [[ $(convert "$WORK/title.png" -crop 650x629+0+0 +repage -alpha off -depth 8 rgb:- | md5sum) == "$picture" ]]; do
        ((SECONDS < deadline)) || fail "the title window does not begin with the title picture at (0,0): see $WORK/title.png"
        sleep 0.2
    done
    expect_fixed_size_told $TITLE_W $TITLE_H "title window"
    log "title window $TITLE: ${TITLE_W}x${TITLE_H}, no frame, the title picture at (0,0), not resizable"

    MAIN=$(open_main_window)
    local fullscreen
    read -r _ _ _ _ _ border _ fullscreen ww wh < <(window_line "$MAIN")
    [[ $border == normal ]] || fail "the main window has no title bar from sway (border '$border')"
    expect_fixed_size_told $MAIN_W $MAIN_H "main window"
    log "main window $MAIN: ${MAIN_W}x${MAIN_H} in sway's frame (${ww}x${wh}), not resizable"

    # sway's full-screen command and back: the window returns at its size.
    # (What it draws meanwhile depends on Qt: 6.4 keeps drawing 959 × 687,
    # 6.8 fills the screen.)
    local w h
    swaymsg_ "[con_id=$MAIN] fullscreen enable" >/dev/null || fail "swaymsg fullscreen enable failed"
    deadline=$((SECONDS + 5))
    until read -r _ _ _ w h _ _ fullscreen _ < <(window_line "$MAIN") && [[ $fullscreen == 1 && $w == 1400 ]]; do
        ((SECONDS < deadline)) || fail "sway did not make the main window full screen (${w}x${h}, mode '$fullscreen')"
        sleep 0.1
    done
    sleep 1   # time to answer the full screen
    swaymsg_ "[con_id=$MAIN] fullscreen disable" >/dev/null || fail "swaymsg fullscreen disable failed"
    deadline=$((SECONDS + 5))
    until read -r _ _ _ w h _ _ fullscreen _ < <(window_line "$MAIN") &&
        [[ $fullscreen == 0 && $w == "$MAIN_W" && $h == "$MAIN_H" ]]; do
        ((SECONDS < deadline)) || fail "back from full screen the main window is ${w}x${h} (mode '$fullscreen')"
        sleep 0.1
    done
    wait_focused "$MAIN" 5 || fail "the main window lost the focus after full screen"
    log "full screen and back: ${w}x${h} again"

    # The focus starts on the picture area; four Tabs reach 西暦 of the
    # birth group, space presses it. The target year goes without an era
    # (taken as written).
    keys -d 40 -k Tab -k Tab -k Tab -k Tab -k space -s 200 \
        1980 -k Return 5 -k Return 15 -k Return 12 -k Return 2005 -k Return 10 -k Return -s 200 -k Return
    local shot=$WORK/chart.png
    deadline=$((SECONDS + 5))
    until shoot "$MAIN" "$shot" && [[ $(count_colour "$shot" 50 400 1 1 255 255 0) -eq 1 ]]; do
        ((SECONDS < deadline)) || fail "no chart after 決定: no yellow axis at (50,400) in $shot (windows: $(app_windows | tr '\n' ';'))"
        sleep 0.2
    done
    (($(app_windows | wc -l) == 2)) || fail "a third window (the input-error message?) after 決定"
    log "chart drawn: $shot"
    check_worked_example_chart "$shot"
    # No check of the chart's focus frame here: on this headless sway, whose
    # only keyboards are wtype's short-lived virtual ones, no frame shows
    # after the keys (Qt draws it only while the window is active), neither
    # on the empty chart nor after 決定. Under X11 (e2e_chart) it is checked.

    # sway's close command on the main window: back to the title window.
    swaymsg_ "[con_id=$MAIN] kill" >/dev/null || fail "swaymsg kill failed"
    wait_gone "$MAIN" 5 || fail "sway's close command did not close the main window"
    [[ -n $(window_line "$TITLE") ]] || fail "the title window went away with the main window"
    kill -0 "$APP_PID" 2>/dev/null || fail "the program ended when the main window closed"
    wait_focused "$TITLE" 5 || fail "the title window did not get the focus back"
    log "main window closed by sway, title window shown and focused"

    # Enter on 開始 again: the main window afresh, without a chart.
    MAIN=$(open_main_window)
    [[ $(count_colour "$WORK/main.png" 50 400 1 1 0 0 128) -eq 1 ]] || fail "the reopened main window still shows a chart: see $WORK/main.png"
    log "reopened main window $MAIN without a chart"

    # Both windows closed through sway: the program ends with status 0.
    swaymsg_ "[con_id=$MAIN] kill" >/dev/null
    wait_gone "$MAIN" 5 || fail "sway's close command did not close the reopened main window"
    swaymsg_ "[con_id=$TITLE] kill" >/dev/null
    deadline=$((SECONDS + 5))
    while kill -0 "$APP_PID" 2>/dev/null; do
        ((SECONDS < deadline)) || fail "the program did not end within 5 s of its last window's closing"
        sleep 0.1
    done
    APP_STATUS=0
    wait "$APP_PID" || APP_STATUS=$?
    APP_PID=
    [[ $APP_STATUS -eq 0 ]] || fail "exit status $APP_STATUS after both windows closed, expected 0"
    log "both windows closed by sway: program ended with status 0"
}

start_sway
start_app
journey
RESULT=0
echo "PASS [wayland]"
