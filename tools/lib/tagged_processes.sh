# shellcheck shell=bash
# The processes a private session started, found by a tag in their
# environment: daemons leave their parents, so following the process tree
# misses them. Source it, then:
#
#   tagged_pids VAR=TAG USERS     PIDs of the processes of USERS (user names
#                                 or ids, comma-separated) whose environment
#                                 holds VAR=TAG
#   stop_tagged VAR=TAG USERS     ends them: TERM, up to 2 s, then KILL

tagged_pids() {
    local tag=$1 users=$2 pid
    for pid in $(pgrep -u "$users"); do
        if { tr '\0' '\n' <"/proc/$pid/environ"; } 2>/dev/null | grep -qx "$tag"; then
            echo "$pid"
        fi
    done
}

stop_tagged() {
    local tag=$1 users=$2 pid _
    for pid in $(tagged_pids "$tag" "$users"); do kill "$pid" 2>/dev/null || true; done
    for _ in $(seq 20); do
        [[ -z $(tagged_pids "$tag" "$users") ]] && return 0
        sleep 0.1
    done
    for pid in $(tagged_pids "$tag" "$users"); do kill -9 "$pid" 2>/dev/null || true; done
}
