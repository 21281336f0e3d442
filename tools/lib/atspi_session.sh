# shellcheck shell=bash
# A private D-Bus session with the accessibility bus (AT-SPI), so that the
# program can be read as a screen reader reads it. Source it, then, with
# DISPLAY set (tools/lib/xvfb.sh):
#
#   start_atspi_session LOGDIR   starts a session bus and at-spi-bus-launcher,
#                                exports DBUS_SESSION_BUS_ADDRESS and waits
#                                until the accessibility bus is there;
#                                returns 1 when it is not
#   stop_atspi_session           stops every process the session started,
#                                at-spi2-registryd included, which the bus
#                                starts on first use and which outlives it
#
# Every process of the session carries BIORHYTHM_ATSPI_SESSION=<tag> in its
# environment; stopping ends those processes of this user by their PID.
# The program itself must not get AT_SPI_BUS_ADDRESS: with it set, Qt never
# joins the accessibility bus (it finds the bus through org.a11y.Bus).

# shellcheck source=SCRIPTDIR/tagged_processes.sh
source "$(dirname "${BASH_SOURCE[0]}")/tagged_processes.sh"

ATSPI_SESSION_TAG=

start_atspi_session() {
    local log=$1 _
    ATSPI_SESSION_TAG=biorhythm-$$-$RANDOM$RANDOM
    local out
    out=$(BIORHYTHM_ATSPI_SESSION=$ATSPI_SESSION_TAG dbus-launch --sh-syntax 2>>"$log/dbus.log") || return 1
    eval "$out"
    export DBUS_SESSION_BUS_ADDRESS
    BIORHYTHM_ATSPI_SESSION=$ATSPI_SESSION_TAG /usr/libexec/at-spi-bus-launcher --launch-immediately \
        >>"$log/at-spi-bus-launcher.log" 2>&1 &
    # Wait until org.a11y.Bus has an owner: asking for the accessibility bus
    # before that makes the session bus start a second launcher.
    for _ in $(seq 100); do
        if dbus-send --session --print-reply=literal --dest=org.freedesktop.DBus /org/freedesktop/DBus \
            org.freedesktop.DBus.NameHasOwner string:org.a11y.Bus 2>/dev/null | grep -q true; then
            return 0
        fi
        sleep 0.1
    done
    return 1
}

stop_atspi_session() {
    [[ -n $ATSPI_SESSION_TAG ]] || return 0
    stop_tagged "BIORHYTHM_ATSPI_SESSION=$ATSPI_SESSION_TAG" "$(id -u)"
    ATSPI_SESSION_TAG=
}
