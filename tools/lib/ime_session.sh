# shellcheck shell=bash
# A Japanese input method with mozc, Japanese input on in hiragana mode (as
# most Japanese users type), in a private D-Bus session, for running the
# program as a Japanese user does. Two frameworks: ibus (ibus-daemon with
# ibus-mozc) and fcitx5 (fcitx5 with fcitx5-mozc and its Qt 6 frontend).
# Source it, then, with DISPLAY set (tools/lib/xvfb.sh):
#
#   start_ime_session [ibus|fcitx5]
#                              starts the session bus, the framework and
#                              mozc (ibus when not said); returns 1 when
#                              mozc did not come up
#   ime_install_program BINARY copies the program where the session's user
#                              can run it; prints the copy's path
#   ime_run COMMAND [ARGS...]  runs a command inside the session, with the
#                              framework's input module for Qt; with
#                              IME_EXEC=1 the command replaces the shell, so
#                              that "IME_EXEC=1 ime_run PROGRAM &" leaves the
#                              program's own PID in $!
#   ime_on, ime_off            Japanese input on (mozc) or off (plain keys)
#   stop_ime_session           stops every process the session started
#
# mozc refuses to run as root, so as root the session and the programs run
# as the user "nobody". Every process of the session carries
# BIORHYTHM_IME_SESSION=<tag> in its environment; stopping ends exactly
# those, by their PID.

# shellcheck source=SCRIPTDIR/tagged_processes.sh
source "$(dirname "${BASH_SOURCE[0]}")/tagged_processes.sh"

IME_DIR=
IME_TAG=
IME_BUS=
IME_FRAMEWORK=ibus

ime_as_user() {
    local replace=
    [[ ${IME_EXEC:-} == 1 ]] && replace="exec"
    if [[ $(id -u) -eq 0 ]]; then
        $replace setpriv --reuid=nobody --regid=nogroup --clear-groups "$@"
    else
        $replace "$@"
    fi
}

ime_run() {
    # Sanitizer options pass through; a suppressions file is read from a
    # copy the session's user can read.
    local lsan=${LSAN_OPTIONS:-} supp
    if [[ $lsan =~ suppressions=([^:]*) ]]; then
        supp=${BASH_REMATCH[1]}
        if [[ -r $supp ]]; then
            cp "$supp" "$IME_DIR/lsan.supp" && chmod 644 "$IME_DIR/lsan.supp"
            lsan=${lsan//suppressions=$supp/suppressions=$IME_DIR/lsan.supp}
        fi
    fi
    ime_as_user env -i HOME="$IME_DIR/home" DISPLAY="$DISPLAY" PATH=/usr/bin:/bin:/usr/sbin:/sbin LANG=C.UTF-8 \
        XDG_CONFIG_HOME="$IME_DIR/home/.config" XDG_RUNTIME_DIR="$IME_DIR/run" \
        DBUS_SESSION_BUS_ADDRESS="$IME_BUS" BIORHYTHM_IME_SESSION="$IME_TAG" \
        QT_QPA_PLATFORM=xcb QT_IM_MODULE="$(ime_qt_module)" XMODIFIERS="@im=$(ime_qt_module)" \
        GTK_IM_MODULE="$(ime_qt_module)" \
        QT_LOGGING_RULES="${QT_LOGGING_RULES:-}" QT_MESSAGE_PATTERN="${QT_MESSAGE_PATTERN:-}" \
        ASAN_OPTIONS="${ASAN_OPTIONS:-}" UBSAN_OPTIONS="${UBSAN_OPTIONS:-}" LSAN_OPTIONS="$lsan" \
        "$@"
}

# Qt's name for the framework's input module (QT_IM_MODULE).
ime_qt_module() { if [[ $IME_FRAMEWORK == fcitx5 ]]; then echo fcitx; else echo ibus; fi; }

ime_on() {
    if [[ $IME_FRAMEWORK == fcitx5 ]]; then ime_run fcitx5-remote -o; else ime_run ibus engine mozc-jp; fi
}
ime_off() {
    if [[ $IME_FRAMEWORK == fcitx5 ]]; then ime_run fcitx5-remote -c; else ime_run ibus engine xkb:us::eng; fi
}
# The active engine: mozc-jp or xkb:us::eng (ibus); mozc or keyboard-us (fcitx5).
ime_current() {
    if [[ $IME_FRAMEWORK == fcitx5 ]]; then ime_run fcitx5-remote -n; else ime_run ibus engine; fi
}

ime_install_program() {
    cp "$1" "$IME_DIR/biorhythm" && chmod 755 "$IME_DIR/biorhythm" && echo "$IME_DIR/biorhythm"
}

start_ime_session() {
    IME_FRAMEWORK=${1:-ibus}
    IME_DIR=$(mktemp -d "${TMPDIR:-/tmp}/biorhythm-ime.XXXXXX") || return 1
    IME_TAG=biorhythm-ime-$$-$RANDOM$RANDOM
    chmod 755 "$IME_DIR"
    mkdir -p "$IME_DIR/home/.config" "$IME_DIR/run"
    chmod 700 "$IME_DIR/run"
    "ime_configure_$IME_FRAMEWORK" || return 1
    if [[ $(id -u) -eq 0 ]]; then chown -R nobody:nogroup "$IME_DIR/home" "$IME_DIR/run"; fi
    local out
    out=$(ime_run dbus-launch --sh-syntax 2>>"$IME_DIR/dbus.log") || return 1
    IME_BUS=$(sed -n "s/^DBUS_SESSION_BUS_ADDRESS='\(.*\)';/\1/p" <<<"$out")
    [[ -n $IME_BUS ]] || return 1
    "ime_start_$IME_FRAMEWORK"
}

ime_configure_ibus() {
    # Japanese input on (hiragana) as soon as mozc is the engine.
    mkdir -p "$IME_DIR/home/.config/mozc"
    cat >"$IME_DIR/home/.config/mozc/ibus_config.textproto" <<'EOF'
engines {
  name : "mozc-jp"
  longname : "Mozc"
  layout : "default"
  layout_variant : ""
  layout_option : ""
  rank : 80
}
active_on_launch: True
EOF
}

ime_start_ibus() {
    local _
    ime_run ibus-daemon --daemonize --replace >"$IME_DIR/ibus.log" 2>&1 || return 1
    for _ in $(seq 100); do
        ime_run ibus list-engine 2>/dev/null | grep -q mozc-jp && break
        sleep 0.2
    done
    # The first switch may come before mozc is ready.
    for _ in $(seq 25); do
        ime_on >>"$IME_DIR/ibus.log" 2>&1
        [[ $(ime_current 2>/dev/null) == mozc-jp ]] && return 0
        sleep 0.2
    done
    return 1
}

ime_configure_fcitx5() {
    # One group: plain keys when inactive, mozc when active; every window
    # starts active and all share one state, so that ime_on and ime_off
    # reach the program whichever of its windows has the focus.
    mkdir -p "$IME_DIR/home/.config/fcitx5"
    cat >"$IME_DIR/home/.config/fcitx5/profile" <<'EOF'
[Groups/0]
Name=Default
Default Layout=us
DefaultIM=mozc

[Groups/0/Items/0]
Name=keyboard-us
Layout=

[Groups/0/Items/1]
Name=mozc
Layout=

[GroupOrder]
0=Default
EOF
    cat >"$IME_DIR/home/.config/fcitx5/config" <<'EOF'
[Behavior]
ActiveByDefault=True
ShareInputState=All
EOF
}

ime_start_fcitx5() {
    local _
    # The addons a Qt program on X11 needs, and mozc: no tray, panel or
    # notifications looking for a desktop.
    ime_run fcitx5 -d --disable all --enable dbus,dbusfrontend,xcb,keyboard,mozc,classicui \
        >"$IME_DIR/fcitx5.log" 2>&1 || return 1
    for _ in $(seq 50); do
        ime_on >>"$IME_DIR/fcitx5.log" 2>&1
        [[ $(ime_current 2>/dev/null) == mozc ]] && return 0
        sleep 0.2
    done
    return 1
}

stop_ime_session() {
    [[ -n $IME_TAG ]] || return 0
    if [[ $IME_FRAMEWORK == ibus ]]; then ime_run ibus exit >/dev/null 2>&1 || true; fi
    stop_tagged "BIORHYTHM_IME_SESSION=$IME_TAG" "$(id -u),$(id -u nobody)"
    rm -rf "$IME_DIR"
    IME_TAG=
}
