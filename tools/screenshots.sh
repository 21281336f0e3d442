#!/usr/bin/env bash
# Takes the pictures for the documentation from the real program, through
# the end-to-end harness (its "screenshots" journey, tests/e2e/journeys.py):
#   docs/screenshot-title.png  the title window
#   docs/screenshot-main.png   the main window as it opens
#   docs/screenshot-chart.png  the chart for a birth on 昭和55 (1980) 5/15
#                              at 12 o'clock, for October 2005
#
#   tools/screenshots.sh [BINARY [PLATFORM]]
#
# BINARY defaults to build/src/biorhythm, PLATFORM to x11 (x11@2: the
# screen scaled by 2, pictures named screenshot-*-2x.png). A BINARY ending
# in .exe is the Windows build, run under Wine (PLATFORM wine, pictures
# named screenshot-*-windows.png). Builds nothing; build the program first.
# shellcheck source=SCRIPTDIR/lib/strict.sh
source "$(dirname "${BASH_SOURCE[0]}")/lib/strict.sh"
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
binary=${1:-$root/build/src/biorhythm}
platform=${2:-x11}
[[ $binary == *.exe ]] && platform=${2:-wine}
[[ -e $binary ]] || { echo "error: $binary does not exist (build the program first)" >&2; exit 2; }
exec /usr/bin/python3 "$root/tests/e2e/e2e.py" run screenshots "$platform" --program "$binary" --out "$root/docs"
