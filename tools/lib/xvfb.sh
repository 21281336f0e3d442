# shellcheck shell=bash
# A private X server for the scripts that run the program under Xvfb
# (end-to-end tests, screenshots, performance). Source it, then:
#
#   start_private_xvfb LOGFILE   starts Xvfb on a free display number,
#                                exports DISPLAY and sets XVFB_PID; returns 1
#                                when no server could be started
#   stop_private_xvfb            stops it again (safe to call twice)

XVFB_PID=

start_private_xvfb() {
    local log=$1 n _ start=$((100 + RANDOM % 400))
    for n in $(seq "$start" $((start + 9))); do
        [[ -e /tmp/.X$n-lock || -e /tmp/.X11-unix/X$n ]] && continue
        # -noreset: the server stays up between the programs that use it.
        Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp -noreset >"$log" 2>&1 &
        XVFB_PID=$!
        for _ in $(seq 50); do
            kill -0 "$XVFB_PID" 2>/dev/null || break
            if DISPLAY=":$n" xdpyinfo >/dev/null 2>&1; then
                export DISPLAY=":$n"
                return 0
            fi
            sleep 0.1
        done
        # Lost a race for this number, or too slow: try the next one.
        stop_private_xvfb
    done
    return 1
}

stop_private_xvfb() {
    if [[ -n $XVFB_PID ]] && kill -0 "$XVFB_PID" 2>/dev/null; then
        kill "$XVFB_PID" 2>/dev/null || true
        wait "$XVFB_PID" 2>/dev/null || true
    fi
    XVFB_PID=
}
