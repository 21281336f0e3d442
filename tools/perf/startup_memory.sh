#!/bin/bash
# Start-up time and peak memory of the program against a bare Qt Widgets
# program (tools/perf/bare), side by side under one private Xvfb server.
#
#   (a) start-up: process start to the first window mapped, median of RUNS
#       runs of each, the two programs alternating;
#   (b) peak resident memory (VmHWM) of the program at its title window, and
#       after its main window has drawn a chart (driven with xdotool), each
#       against the bare program idle after mapping its window.
#
# Exits 1 when start-up exceeds START_LIMIT (1.3) times the bare program's,
# peak memory at the title window TITLE_MEMORY_LIMIT (1.4) times, or peak
# memory after a chart CHART_MEMORY_LIMIT (1.5) times; 2 when it cannot
# measure.
#
#   tools/perf/startup_memory.sh [BUILD_DIR]      (default: build-bench)
#   env: RUNS=10  START_LIMIT=1.3  TITLE_MEMORY_LIMIT=1.4  CHART_MEMORY_LIMIT=1.5
#
# With the Windows build's folder (build-windows) both programs are the
# Windows ones, run under Wine in that build's Wine prefix; the probe is
# then the one of build-bench.
set -uo pipefail

here=$(cd "$(dirname "$0")" && pwd)
build=${1:-$here/../../build-bench}
runs=${RUNS:-10}
start_limit=${START_LIMIT:-1.3}
title_limit=${TITLE_MEMORY_LIMIT:-1.4}
chart_limit=${CHART_MEMORY_LIMIT:-1.5}

die() { echo "startup_memory: $*" >&2; exit 2; }
if [[ -f $build/biorhythm.exe ]]; then
    # wine-run.sh sets up the build's Wine prefix and runs the program in
    # the process it was started as, so times and memory are the program's.
    program=$build/biorhythm.exe
    bare=$build/biorhythm_bare.exe
    probe=$here/../../build-bench/bench/perf/perf_xprobe
    launcher=("$build/wine-run.sh")
    [[ -f $program && -f $bare ]] || die "missing $program or $bare (tools/dev.sh windows)"
    [[ -x $probe ]] || die "missing $probe (cmake --preset bench && cmake --build --preset bench)"
else
    program=$build/src/biorhythm
    bare=$build/bench/perf/bare/biorhythm_bare
    probe=$build/bench/perf/perf_xprobe
    launcher=()
    for f in "$program" "$bare" "$probe"; do
        [[ -x $f ]] || die "missing $f (build the project with BIORHYTHM_BUILD_BENCH=ON)"
    done
fi
for tool in Xvfb xdotool xdpyinfo; do
    command -v "$tool" >/dev/null || die "$tool is needed"
done

# ---- A private X server ------------------------------------------------------

# shellcheck source=SCRIPTDIR/../lib/xvfb.sh
source "$here/../lib/xvfb.sh"
kept_pids=()
work=$(mktemp -d)
cleanup() {
    for p in "${kept_pids[@]}"; do kill "$p" 2>/dev/null && wait "$p" 2>/dev/null; done
    stop_private_xvfb
    rm -rf "$work"
}
trap cleanup EXIT
start_private_xvfb "$work/xvfb.log" || die "Xvfb did not start: $(cat "$work/xvfb.log")"

unset QT_QPA_PLATFORM
export XDG_RUNTIME_DIR=$work/runtime
mkdir -m 700 "$XDG_RUNTIME_DIR"

# ---- (a) Start-up time ---------------------------------------------------------

# Prints the milliseconds from the start of the program to its first mapped window.
startup_ms() {
    local out
    out=$("$probe" run "${launcher[@]}" "$1") || return 1
    echo "${out%% *}"
}

median() { sort -g | awk '{ v[NR] = $1 } END { if (NR == 0) exit 1; print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }

# One run of each first, for the page cache and fontconfig's cache.
startup_ms "$program" >/dev/null || die "the program did not map a window"
startup_ms "$bare" >/dev/null || die "the bare program did not map a window"

: >"$work/program.ms"
: >"$work/bare.ms"
for i in $(seq "$runs"); do
    if ((i % 2)); then order=(program bare); else order=(bare program); fi
    for which in "${order[@]}"; do
        if [[ $which == program ]]; then exe=$program; else exe=$bare; fi
        ms=$(startup_ms "$exe") || die "$which did not map a window"
        echo "$ms" >>"$work/$which.ms"
    done
done
program_ms=$(median <"$work/program.ms")
bare_ms=$(median <"$work/bare.ms")

# ---- (b) Peak memory -----------------------------------------------------------

vmhwm_kib() { awk '/^VmHWM:/ { print $2 }' "/proc/$1/status"; }

# Visible windows of a process with the given size.
window_of_size() {
    local pid=$1 width=$2 height=$3 w
    for w in $(xdotool search --onlyvisible --pid "$pid" 2>/dev/null); do
        eval "$(xdotool getwindowgeometry --shell "$w")"
        if [[ $WIDTH == "$width" && $HEIGHT == "$height" ]]; then echo "$w"; return 0; fi
    done
    return 1
}

click() { xdotool mousemove --sync --window "$1" "$2" "$3" click 1; sleep 0.15; }
type_entry() { xdotool type --delay 20 "$1"; xdotool key Return; sleep 0.1; }

read -r _ pid title_wid < <("$probe" run --keep "${launcher[@]}" "$program") || die "the program did not map a window"
kept_pids+=("$pid")
sleep 1
title_kib=$(vmhwm_kib "$pid")              # the title window alone, settled
click "$title_wid" 696 488                 # 開始
main_wid=
for _ in $(seq 100); do
    main_wid=$(window_of_size "$pid" 959 687) && break
    sleep 0.05
done
[[ -n $main_wid ]] || die "the main window did not appear after 開始"
sleep 0.3
xdotool windowfocus --sync "$main_wid" 2>/dev/null || xdotool windowfocus "$main_wid"
yellow_before=$("$probe" count "$main_wid" ffff00) || die "cannot read the main window"
click "$main_wid" 316 52                   # 西暦 (birth)
for entry in 1980 5 15 12; do type_entry "$entry"; done
click "$main_wid" 684 52                   # 西暦 (target)
for entry in 2005 10; do type_entry "$entry"; done
xdotool key Return                         # 決定 has the focus
yellow_after=0
for _ in $(seq 100); do
    sleep 0.05
    yellow_after=$("$probe" count "$main_wid" ffff00) || die "cannot read the main window"
    ((yellow_after >= yellow_before + 5000)) && break
done
((yellow_after >= yellow_before + 5000)) ||
    die "no chart on the main window (yellow pixels $yellow_before -> $yellow_after)"
sleep 0.3
kill -0 "$pid" 2>/dev/null || die "the program ended while being driven"
program_kib=$(vmhwm_kib "$pid")
program_rss=$(awk '/^VmRSS:/ { print $2 }' "/proc/$pid/status")
kill "$pid"; wait "$pid" 2>/dev/null

read -r _ bare_pid _ < <("$probe" run --keep "${launcher[@]}" "$bare") || die "the bare program did not map a window"
kept_pids+=("$bare_pid")
sleep 1
bare_kib=$(vmhwm_kib "$bare_pid")
bare_rss=$(awk '/^VmRSS:/ { print $2 }' "/proc/$bare_pid/status")
kill "$bare_pid"; wait "$bare_pid" 2>/dev/null

# ---- Report ------------------------------------------------------------------------

awk -v pm="$program_ms" -v bm="$bare_ms" -v pk="$program_kib" -v bk="$bare_kib" -v tk="$title_kib" \
    -v pr="$program_rss" -v br="$bare_rss" -v n="$runs" -v sl="$start_limit" -v tl="$title_limit" -v cl="$chart_limit" \
    -v ys="$yellow_after" -v pall="$(paste -sd' ' "$work/program.ms")" -v ball="$(paste -sd' ' "$work/bare.ms")" 'BEGIN {
    if (bm <= 0 || bk <= 0) { print "startup_memory: a bare figure is zero" > "/dev/stderr"; exit 2 }
    rs = pm / bm; rt = tk / bk; rc = pk / bk
    printf "start-up to first window mapped (median of %d, ms)\n", n
    printf "  biorhythm      %8.1f   runs: %s\n", pm, pall
    printf "  bare Qt        %8.1f   runs: %s\n", bm, ball
    printf "  ratio          %8.3f   (limit %.2f) %s\n", rs, sl, (rs <= sl ? "OK" : "MISSED")
    printf "peak resident memory, VmHWM (KiB)\n"
    printf "  biorhythm      %8d   at the title window\n", tk
    printf "  biorhythm      %8d   after drawing a chart (%d yellow px; VmRSS %d)\n", pk, ys, pr
    printf "  bare Qt        %8d   idle after mapping (VmRSS %d)\n", bk, br
    printf "  ratio, title   %8.3f   (limit %.2f) %s\n", rt, tl, (rt <= tl ? "OK" : "MISSED")
    printf "  ratio, chart   %8.3f   (limit %.2f) %s\n", rc, cl, (rc <= cl ? "OK" : "MISSED")
    exit (rs <= sl && rt <= tl && rc <= cl) ? 0 : 1
}'
