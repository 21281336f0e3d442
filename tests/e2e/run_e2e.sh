#!/usr/bin/env bash
# End-to-end test of the real biorhythm program: starts a private Xvfb,
# drives the program with real mouse clicks and key presses (xdotool) and
# checks what appears on the screen (ImageMagick).
#
#   run_e2e.sh BINARY CASE
#
# CASE is one of:
#   chart        開始, 西暦 in both groups, 1980-05-15 12:00 and 2005-10, 決定;
#                checks the grid, the axis, the three curves, the day numbers
#                and the chart title; closes the main window with its icon,
#                opens it again with 開始 and closes it again, then ends
#                through the exit icon (status 0).
#   start_exit   the title window appears; its exit icon ends the program
#                with status 0.
#   input_error  開始, Enter in the target-month box, Enter on 決定; checks
#                the warning box, answers it with Enter and expects the
#                program to end with status 0.
#   ime          with a real Japanese input method (ibus + mozc, Japanese
#                on): a composition in 生年 stays there when a click moves
#                the focus into 暦月, one in 暦月 when 西暦 of the target
#                group focuses its year box, and neither receiving box gets
#                anything; the compositions are marked inside the boxes;
#                the entries committed with Enter give the worked example's
#                chart. Then with the input method off, typing gives the
#                same chart again: full-width digits read as half-width.
#   ime_fcitx5   the same with fcitx5 + mozc (fcitx5's own Qt 6 frontend).
#
# Positions are relative to the window under test (xdotool getwindowgeometry),
# so the test also runs with a window manager.
#
# A BINARY ending in .exe is the Windows program: it runs under Wine, in the
# prefix WINEPREFIX names.
set -euo pipefail

usage() { echo "usage: $0 BINARY chart|start_exit|input_error|ime|ime_fcitx5" >&2; exit 2; }
[[ $# -eq 2 ]] || usage
BIN=$1
CASE=$2
WINE=false
if [[ $BIN == *.exe ]]; then
    WINE=true
    [[ -f $BIN && -n ${WINEPREFIX:-} ]] || { echo "FAIL: $BIN needs a WINEPREFIX" >&2; exit 2; }
else
    [[ -x $BIN ]] || { echo "FAIL: $BIN is not an executable" >&2; exit 2; }
fi

tools=(Xvfb xdotool xdpyinfo convert import)
[[ $CASE == ime* ]] && tools+=(xclip)
for tool in "${tools[@]}"; do
    command -v "$tool" >/dev/null || { echo "FAIL: $tool is not installed" >&2; exit 2; }
done

WORK=$(mktemp -d "${TMPDIR:-/tmp}/biorhythm-e2e.XXXXXX")
# shellcheck source=SCRIPTDIR/../../tools/lib/xvfb.sh
source "$(dirname "${BASH_SOURCE[0]}")/../../tools/lib/xvfb.sh"
# shellcheck source=SCRIPTDIR/../../tools/lib/ime_session.sh
source "$(dirname "${BASH_SOURCE[0]}")/../../tools/lib/ime_session.sh"
# shellcheck source=SCRIPTDIR/worked_example_chart.sh
source "$(dirname "${BASH_SOURCE[0]}")/worked_example_chart.sh"
APP_PID=
APP_STATUS=
RESULT=1

cleanup() {
    if [[ -n $APP_PID ]] && kill -0 "$APP_PID" 2>/dev/null; then
        kill "$APP_PID" 2>/dev/null || true
        wait "$APP_PID" 2>/dev/null || true
    fi
    stop_ime_session
    stop_private_xvfb
    if [[ $RESULT -eq 0 ]]; then
        rm -rf "$WORK"
    else
        echo "e2e [$CASE]: screenshots and logs kept in $WORK" >&2
        local png
        for png in "$WORK"/*.png; do
            if [[ -e $png ]]; then echo "  screenshot: $png" >&2; fi
        done
        if [[ -s $WORK/app.log ]]; then
            echo "  program output:" >&2
            sed 's/^/    /' "$WORK/app.log" >&2
        fi
    fi
}
trap cleanup EXIT

fail() {
    echo "FAIL [$CASE]: $*" >&2
    exit 1
}

log() { echo "[$CASE] $*"; }

# ---- Display ------------------------------------------------------------

start_xvfb() {
    start_private_xvfb "$WORK/xvfb.log" || fail "could not start Xvfb"
    log "Xvfb on $DISPLAY"
}

# ---- Program and windows --------------------------------------------------

start_app() {
    if [[ $CASE == ime* ]]; then
        # Inside the input method's session, as its user.
        local program
        program=$(ime_install_program "$BIN") || fail "could not copy $BIN for the input method's session"
        IME_EXEC=1 ime_run "$program" >"$WORK/app.log" 2>&1 &
        APP_PID=$!
        return
    fi
    if $WINE; then
        # `wine` runs the program in its own process and returns its status.
        WINEDEBUG=-all wine "$BIN" >"$WORK/app.log" 2>&1 &
        APP_PID=$!
        return
    fi
    mkdir -m 700 "$WORK/runtime"
    env -u WAYLAND_DISPLAY QT_QPA_PLATFORM=xcb XDG_RUNTIME_DIR="$WORK/runtime" \
        "$BIN" >"$WORK/app.log" 2>&1 &
    APP_PID=$!
}

# Visible top-level windows of the program, one id a line.
app_windows() { xdotool search --onlyvisible --pid "$APP_PID" 2>/dev/null || true; }

# "X Y W H" of a window.
window_geometry() {
    local out
    out=$(xdotool getwindowgeometry --shell "$1") || return 1
    local X Y WIDTH HEIGHT
    eval "$(grep -E '^(X|Y|WIDTH|HEIGHT)=[0-9]+$' <<<"$out")"
    echo "$X $Y $WIDTH $HEIGHT"
}

# Waits up to SECONDS for a visible window of the program with client size
# W×H that is not in the EXCLUDE list; prints its id.
wait_window() {
    local w=$1 h=$2 seconds=$3 exclude=${4:-}
    local deadline=$((SECONDS + seconds)) id geo
    while ((SECONDS < deadline)); do
        kill -0 "$APP_PID" 2>/dev/null || fail "the program ended while waiting for a ${w}x${h} window"
        for id in $(app_windows); do
            [[ " $exclude " == *" $id "* ]] && continue
            geo=$(window_geometry "$id" 2>/dev/null) || continue
            read -r _ _ gw gh <<<"$geo"
            if [[ $gw -eq $w && $gh -eq $h ]]; then
                echo "$id"
                return 0
            fi
        done
        sleep 0.1
    done
    return 1
}

# Waits up to SECONDS until window ID is no longer visible.
wait_gone() {
    local id=$1 seconds=$2
    local deadline=$((SECONDS + seconds))
    while ((SECONDS < deadline)); do
        app_windows | grep -qx "$id" || return 0
        sleep 0.1
    done
    return 1
}

# Waits up to SECONDS for the program to end; sets APP_STATUS.
wait_exit() {
    local seconds=$1
    local deadline=$((SECONDS + seconds))
    while ((SECONDS < deadline)); do
        if ! kill -0 "$APP_PID" 2>/dev/null; then
            APP_STATUS=0
            wait "$APP_PID" || APP_STATUS=$?
            APP_PID=
            return 0
        fi
        sleep 0.1
    done
    return 1
}

# A real left click at window-relative X Y.
click() {
    xdotool mousemove --window "$1" "$2" "$3"
    sleep 0.1
    xdotool click 1
    sleep 0.2
}

key() { xdotool key --delay 50 "$@"; sleep 0.15; }
type_text() { xdotool type --delay 40 "$1"; sleep 0.1; }

# Screenshot of window ID into FILE (cropped from the root window so that the
# picture is what is really on the screen).
shoot() {
    local id=$1 file=$2 geo x y w h
    geo=$(window_geometry "$id") || fail "window $id has gone"
    read -r x y w h <<<"$geo"
    import -window root -crop "${w}x${h}+${x}+${y}" +repage "$file"
}

# ---- Layout (client coordinates) -------------------------------------------

TITLE_W=802 TITLE_H=632
MAIN_W=959 MAIN_H=687
START_BUTTON=(696 488)        # 開始 664,464 65×49
EXIT_ICON=(728 32)            # title window's exit icon 712,16 32×32
CLOSE_ICON=(760 32)           # main window's knob 744,16 32×32
BIRTH_WESTERN=(316 52)        # 西暦 288,40 57×25
TARGET_WESTERN=(684 52)       # 西暦 656,40 57×25
TEXT6=(540 105)               # 520,96 41×18
TEXT1_BOX=(96 88 49 18)
TEXT2_BOX=(160 88 49 18)
TEXT5_BOX=(448 96 49 18)
RECALCULATE=(844 580)         # 再計算 816,560 57×41
COMPOSITION="255 236 160"     # the tint under a composition

open_main_window() {
    TITLE=$(wait_window $TITLE_W $TITLE_H 10) || fail "the ${TITLE_W}x${TITLE_H} title window did not appear within 10 s"
    log "title window $TITLE"
    shoot "$TITLE" "$WORK/title.png"
    click "$TITLE" "${START_BUTTON[@]}"
    MAIN=$(wait_window $MAIN_W $MAIN_H 10 "$TITLE") ||
        fail "開始 did not open the ${MAIN_W}x${MAIN_H} main window within 10 s"
    log "main window $MAIN"
    # Wait until the window is painted (navy background).
    local deadline=$((SECONDS + 5))
    until shoot "$MAIN" "$WORK/main.png" && [[ $(count_colour "$WORK/main.png" 400 300 40 40 0 0 128) -eq 1600 ]]; do
        ((SECONDS < deadline)) || fail "the main window is not navy (0,0,128) at (400..439,300..339): see $WORK/main.png"
        sleep 0.2
    done
}

# ---- Cases -----------------------------------------------------------------

case_chart() {
    open_main_window

    click "$MAIN" "${BIRTH_WESTERN[@]}"
    type_text 1980; key Return
    type_text 5;    key Return
    type_text 15;   key Return
    type_text 12;   key Return
    click "$MAIN" "${TARGET_WESTERN[@]}"
    type_text 2005; key Return
    type_text 10;   key Return
    # Enter in the target-month box shows 決定 and focuses it: Enter presses it.
    key Return

    # Wait for the axis (yellow at (50,400)), then take the picture to check.
    local shot=$WORK/chart.png deadline=$((SECONDS + 5))
    until shoot "$MAIN" "$shot" && [[ $(count_colour "$shot" 50 400 1 1 255 255 0) -eq 1 ]]; do
        ((SECONDS < deadline)) || fail "no chart after 決定: no yellow axis at (50,400) in $shot"
        sleep 0.2
    done
    log "chart drawn: $shot"

    check_worked_example_chart "$shot"
    check_chart_focus_frame "$shot"

    # The knob closes the main window; the title window stays.
    click "$MAIN" "${CLOSE_ICON[@]}"
    wait_gone "$MAIN" 5 || fail "the knob at (744,16) did not close the main window"
    app_windows | grep -qx "$TITLE" || fail "the title window went away with the main window"
    kill -0 "$APP_PID" 2>/dev/null || fail "the program ended when the main window closed"
    log "main window closed, title window still shown"

    # 開始 opens it again, and the knob closes it again.
    click "$TITLE" "${START_BUTTON[@]}"
    MAIN=$(wait_window $MAIN_W $MAIN_H 10 "$TITLE") || fail "開始 did not open the main window a second time"
    click "$MAIN" "${CLOSE_ICON[@]}"
    wait_gone "$MAIN" 5 || fail "the knob did not close the reopened main window"
    log "開始 again: main window reopened and closed"

    # The exit icon ends the program with status 0.
    click "$TITLE" "${EXIT_ICON[@]}"
    wait_exit 5 || fail "the program did not end within 5 s of clicking the exit icon"
    [[ $APP_STATUS -eq 0 ]] || fail "exit status $APP_STATUS after the exit icon, expected 0"
    log "exit icon: program ended with status 0"
}

case_start_exit() {
    TITLE=$(wait_window $TITLE_W $TITLE_H 10) || fail "the ${TITLE_W}x${TITLE_H} title window did not appear within 10 s"
    shoot "$TITLE" "$WORK/title.png"
    click "$TITLE" "${EXIT_ICON[@]}"
    wait_exit 10 || fail "the program did not end within 10 s of clicking the exit icon"
    [[ $APP_STATUS -eq 0 ]] || fail "exit status $APP_STATUS after the exit icon, expected 0"
    log "title window shown; exit icon: program ended with status 0"
}

case_input_error() {
    open_main_window

    # Nothing committed but the (empty) target month: 決定 must refuse.
    click "$MAIN" "${TEXT6[@]}"
    key Return
    key Return

    # The warning box: a third visible window of the program.
    local box='' deadline=$((SECONDS + 5)) id
    while [[ -z $box ]] && ((SECONDS < deadline)); do
        for id in $(app_windows); do
            [[ $id == "$TITLE" || $id == "$MAIN" ]] && continue
            box=$id
        done
        [[ -n $box ]] || sleep 0.1
    done
    [[ -n $box ]] || fail "no message box within 5 s of Enter on 決定 (visible windows: $(app_windows | tr '\n' ' '))"
    local name geo
    name=$(xdotool getwindowname "$box")
    geo=$(window_geometry "$box")
    log "message box $box '$name' at $geo"
    [[ $name == "バイオリズム" ]] || fail "message box caption is '$name', expected 'バイオリズム'"

    # A light dialog face, not the navy main window.
    local bw bh
    read -r _ _ bw bh <<<"$geo"
    ((bw >= 150 && bh >= 50 && bw < MAIN_W && bh < MAIN_H)) || fail "message box size ${bw}x${bh} is implausible"
    shoot "$box" "$WORK/message_box.png"
    local navy light
    navy=$(count_colour "$WORK/message_box.png" 0 0 "$bw" "$bh" 0 0 128)
    light=$(pixels "$WORK/message_box.png" 0 0 "$bw" "$bh" | awk '$3 > 200 && $4 > 200 && $5 > 200 { n++ } END { print n + 0 }')
    ((navy == 0 && light * 2 > bw * bh)) || fail "message box does not look like a dialog (navy=$navy, light=$light of $((bw * bh)) px)"
    # Its text is dark on the light face.
    local dark
    dark=$(pixels "$WORK/message_box.png" 0 0 "$bw" "$bh" | awk '$3 < 80 && $4 < 80 && $5 < 80 { n++ } END { print n + 0 }')
    ((dark >= 100)) || fail "message box shows almost no text ($dark dark pixels)"

    # The main window stays behind the modal box until it is answered.
    kill -0 "$APP_PID" 2>/dev/null || fail "the program ended before the message box was answered"

    # OK by Enter ends the program with status 0.
    key Return
    wait_exit 5 || fail "the program did not end within 5 s of answering the message box"
    [[ $APP_STATUS -eq 0 ]] || fail "exit status $APP_STATUS after the message box, expected 0"
    log "message box answered: program ended with status 0"
}

case_ime() {
    open_main_window

    # Columns of the box's inside that hold dark (text) pixels: none or one
    # (the caret) for an empty box.
    text_columns() {
        local file=$1 x=$2 y=$3 w=$4 h=$5
        pixels "$file" $((x + 2)) $((y + 2)) $((w - 4)) $((h - 4)) |
            awk '$3 < 100 && $4 < 100 && $5 < 100 { c[$1] = 1 } END { print length(c) }'
    }
    # Waits until the box shows the composition tint; FILE keeps the picture.
    wait_composition() {
        local file=$1 x=$2 y=$3 w=$4 h=$5 deadline=$((SECONDS + 5))
        # shellcheck disable=SC2086
        until shoot "$MAIN" "$file" && (($(count_colour "$file" "$x" "$y" "$w" "$h" $COMPOSITION) > 40)); do
            ((SECONDS < deadline)) || fail "no marked composition in the box at $x,$y: see $file"
            sleep 0.2
        done
    }
    # The box got nothing: checked a while after the click, when anything the
    # input method sends late has arrived.
    expect_empty() {
        local name=$1 file=$2; shift 2
        sleep 1
        shoot "$MAIN" "$file"
        local n
        n=$(text_columns "$file" "$@")
        ((n <= 1)) || fail "$name received text ($n columns of dark pixels): see $file"
    }
    expect_text() {
        local name=$1 file=$2; shift 2
        local n
        n=$(text_columns "$file" "$@")
        ((n >= 6)) || fail "$name lost its text (only $n columns of dark pixels): see $file"
        # shellcheck disable=SC2086
        (($(count_colour "$file" "$@" $COMPOSITION) == 0)) || fail "$name is still marked as composing: see $file"
    }
    # The text 生年 holds, read back through X11's primary selection after
    # a double click selects it: full-width digits with the input method
    # on, half-width ones with it off.
    expect_held() {
        local name=$1 expected=$2 held
        xdotool mousemove --window "$MAIN" 120 97 click --repeat 2 --delay 80 1
        sleep 0.3
        held=$(xclip -o -selection primary 2>/dev/null) || true
        [[ $held == "$expected" ]] || fail "$name holds '$held', expected '$expected'"
        log "$name holds '$held'"
    }
    wait_chart() {
        local file=$1 deadline=$((SECONDS + 5))
        until shoot "$MAIN" "$file" && [[ $(count_colour "$file" 50 400 1 1 255 255 0) -eq 1 ]]; do
            ((SECONDS < deadline)) || fail "no chart after 決定 (an input error?): see $file; windows: $(app_windows | tr '\n' ' ')"
            sleep 0.2
        done
        (($(app_windows | wc -l) == 2)) || fail "a third window (the input-error message?) after 決定"
    }

    # Japanese input on: 1980 is composed as １９８０ until Enter confirms it.
    click "$MAIN" "${BIRTH_WESTERN[@]}"
    type_text 1980
    wait_composition "$WORK/composing.png" "${TEXT1_BOX[@]}"
    log "composition marked in 生年: $WORK/composing.png"
    click "$MAIN" 184 97   # into 暦月, without Enter
    expect_empty 暦月 "$WORK/clicked_month.png" "${TEXT2_BOX[@]}"
    expect_text 生年 "$WORK/clicked_month.png" "${TEXT1_BOX[@]}"
    log "click into 暦月: the composition stayed in 生年, 暦月 stayed empty"

    type_text 5
    wait_composition "$WORK/composing_month.png" "${TEXT2_BOX[@]}"
    click "$MAIN" "${TARGET_WESTERN[@]}"   # focuses the target year box
    expect_empty "the target year" "$WORK/clicked_era.png" "${TEXT5_BOX[@]}"
    expect_text 暦月 "$WORK/clicked_era.png" "${TEXT2_BOX[@]}"
    log "click on 西暦: the composition stayed in 暦月, the target year stayed empty"

    # Commit everything with Enter. 生年 and 暦月 hold their text, nothing
    # composing: Enter reaches the box at once. Elsewhere the first Enter
    # confirms the composition and the second commits the box.
    click "$MAIN" 120 97
    key End Return
    key End Return
    local entry
    for entry in 15 12 2005 10; do
        type_text "$entry"
        key Return Return
    done
    key Return   # 決定
    wait_chart "$WORK/chart_ime.png"
    log "entries committed with Enter: the worked example's chart, $WORK/chart_ime.png"
    expect_held 生年 "１９８０"

    # The input method off: typed digits go straight into the boxes.
    ime_off || fail "could not switch the input method off"
    click "$MAIN" "${RECALCULATE[@]}"
    type_text 1980
    shoot "$MAIN" "$WORK/typing_off.png"
    # shellcheck disable=SC2086
    (($(count_colour "$WORK/typing_off.png" "${TEXT1_BOX[@]}" $COMPOSITION) == 0)) ||
        fail "a composition with the input method off: see $WORK/typing_off.png"
    key Return
    for entry in 5 15 12 2005 10; do
        type_text "$entry"
        key Return
    done
    key Return   # 決定
    wait_chart "$WORK/chart_off.png"
    expect_held 生年 1980
    # The same entries, so the same title and chart (left of 再計算, which
    # has the focus only now).
    local a b
    a=$(convert "$WORK/chart_ime.png" -crop 800x500+0+150 +repage -depth 8 rgb:- | md5sum)
    b=$(convert "$WORK/chart_off.png" -crop 800x500+0+150 +repage -depth 8 rgb:- | md5sum)
    [[ $a == "$b" ]] || fail "the chart typed with the input method off differs: $WORK/chart_ime.png, $WORK/chart_off.png"
    log "input method off: typing gave the same chart (full-width and half-width digits alike)"

    click "$MAIN" "${CLOSE_ICON[@]}"
    wait_gone "$MAIN" 5 || fail "the knob did not close the main window"
    click "$TITLE" "${EXIT_ICON[@]}"
    wait_exit 10 || fail "the program did not end within 10 s of clicking the exit icon"
    [[ $APP_STATUS -eq 0 ]] || fail "exit status $APP_STATUS after the exit icon, expected 0"
    log "exit icon: program ended with status 0"
}

# ---- Main ------------------------------------------------------------------

case $CASE in
    chart | start_exit | input_error | ime | ime_fcitx5) ;;
    *) usage ;;
esac

start_xvfb
if [[ $CASE == ime* ]]; then
    framework=ibus
    [[ $CASE == ime_fcitx5 ]] && framework=fcitx5
    start_ime_session "$framework" || fail "the input method ($framework with mozc) did not start"
    log "$framework with mozc, Japanese input on"
fi
start_app
"case_${CASE%_fcitx5}"
RESULT=0
echo "PASS [$CASE]"
