# shellcheck shell=bash
# Reading the program's pictures: pixel helpers (ImageMagick) and the checks
# of the worked example's chart (born 1980-05-15 at 12:00, charted for
# October 2005; tests/support/worked_example.h), shared by the end-to-end
# tests on X11 (run_e2e.sh) and on Wayland (run_wayland.sh). Source it; the
# caller defines fail MESSAGE (ends the test) and log MESSAGE.

# Pixels of the rectangle X Y W H in FILE as "x y r g b" lines (image
# coordinates).
pixels() {
    local file=$1 x=$2 y=$3 w=$4 h=$5
    convert "$file" -alpha off -depth 8 -crop "${w}x${h}+${x}+${y}" +repage txt:- |
        awk -F'[ ,:()]+' -v ox="$x" -v oy="$y" 'NR > 1 { print $1 + ox, $2 + oy, $3, $4, $5 }'
}

# Number of pixels of colour R G B in the rectangle.
count_colour() {
    local file=$1 x=$2 y=$3 w=$4 h=$5 r=$6 g=$7 b=$8
    pixels "$file" "$x" "$y" "$w" "$h" | awk -v r="$r" -v g="$g" -v b="$b" \
        '$3 == r && $4 == g && $5 == b { n++ } END { print n + 0 }'
}

# Number of pixels in the rectangle for which the awk condition on r, g, b
# holds (for anti-aliased text, e.g. 'r > 150 && g > 150 && b > 150').
count_where() {
    local file=$1 x=$2 y=$3 w=$4 h=$5 cond=$6
    pixels "$file" "$x" "$y" "$w" "$h" | awk "{ r = \$3; g = \$4; b = \$5 } $cond { n++ } END { print n + 0 }"
}

# Start x of every run of colour R G B along row Y (whole image width W).
runs_in_row() {
    local file=$1 y=$2 w=$3 r=$4 g=$5 b=$6
    pixels "$file" 0 "$y" "$w" 1 | awk -v r="$r" -v g="$g" -v b="$b" '
        { on = ($3 == r && $4 == g && $5 == b) }
        on && !prev { printf "%s%d", sep, $1; sep = " " }
        { prev = on }
        END { print "" }'
}

# The worked example's chart in FILE, a picture of exactly the main window's
# client area at 1× (959 × 687): grid, axis, the three curves, day numbers
# and title.
check_worked_example_chart() {
    local shot=$1 width=959 size
    size=$(convert "$shot" -format '%w %h' info:) || fail "cannot read $shot"
    [[ $size == "959 687" ]] || fail "$shot is $size pixels, not the main window's 959 687"
    # Grid: 32 vertical lines for a 31-day month at x = 120, 140, ..., 740,
    # above and below the curves.
    local expected row got
    expected=$(seq -s ' ' 120 20 740)
    for row in 210 590; do
        got=$(runs_in_row "$shot" "$row" "$width" 255 255 0)
        [[ $got == "$expected" ]] ||
            fail "grid lines along y=$row: expected 32 yellow lines at x=[$expected], got x=[$got] ($(wc -w <<<"$got") lines)"
    done
    log "grid: 32 lines at x=120..740 on rows 210 and 590"

    # Axis: one pixel high at y=400, across the whole window. At the window's
    # edges the focus frame of the chart lies beside it, in another colour.
    local x
    for x in 0 50 90 850 958; do
        [[ $(count_colour "$shot" "$x" 400 1 1 255 255 0) -eq 1 ]] || fail "axis: ($x,400) is not yellow"
        if ((x == 0 || x == width - 1)); then
            [[ $(count_colour "$shot" "$x" 399 1 1 255 255 0) -eq 0 && $(count_colour "$shot" "$x" 401 1 1 255 255 0) -eq 0 ]] ||
                fail "axis: ($x,399) or ($x,401) is yellow (axis thicker than 1 px?)"
        else
            [[ $(count_colour "$shot" "$x" 399 1 1 0 0 128) -eq 1 && $(count_colour "$shot" "$x" 401 1 1 0 0 128) -eq 1 ]] ||
                fail "axis: ($x,399) or ($x,401) is not navy (axis thicker than 1 px?)"
        fi
    done
    log "axis: 1 px yellow at y=400 from x=0 to 958"


    # Curves at points where they do not meet another curve:
    #   white (emotional) k=1:   x=120, y = 400 + 100*(-0.330279) = 367.0
    #   green (intellectual) k=1: x=120, y = 400 + 100*( 0.618159) = 461.8
    #   red (physical) k=32:     x=740, y = 400 + 100*(-0.730836) = 326.9
    check_point() {
        local name=$1 px=$2 py=$3 r=$4 g=$5 b=$6
        local n
        n=$(count_colour "$shot" "$px" $((py - 1)) 1 3 "$r" "$g" "$b")
        ((n > 0)) || fail "$name curve: no ($r,$g,$b) pixel at x=$px, y=$((py - 1))..$((py + 1)); column there: $(pixels "$shot" "$px" $((py - 4)) 1 9 | awk '{printf "%d:(%d,%d,%d) ", $2, $3, $4, $5}')"
    }
    check_point white 120 367 255 255 255
    check_point green 120 462 0 255 0
    check_point red 740 327 255 0 0
    # The curves are far apart there: no white on x=120 around the green point.
    [[ $(count_colour "$shot" 120 440 1 40 255 255 255) -eq 0 ]] || fail "white pixels on x=120, y=440..479 near the green point"
    log "curves: white (120,367±1), green (120,462±1), red (740,327±1)"

    # Day numbers (white, anti-aliased): "1" printed from (120,610); nothing
    # after day 31.
    local white light='r > 150 && g > 150 && b > 150'
    white=$(count_where "$shot" 120 610 15 15 "$light")
    ((white >= 5)) || fail "day number 1: only $white light pixels in x=120..134, y=610..624"
    white=$(count_where "$shot" 720 610 20 15 "$light")
    ((white >= 10)) || fail "day number 31: only $white light pixels in x=720..739, y=610..624"
    white=$(count_where "$shot" 742 606 60 22 "$light")
    ((white == 0)) || fail "$white light pixels after day 31 in x=742..801, y=606..627 (a 32nd day number?)"
    log "day numbers: 1 and 31 present, none after 31"

    # Chart title in pale green (192,255,192, anti-aliased) at (80,160), and
    # nothing of it above or left of there.
    local title pale='g > 180 && r > 100 && g - r > 30 && g - b > 30'
    title=$(count_where "$shot" 80 158 500 22 "$pale")
    ((title >= 100)) || fail "chart title: only $title pale green pixels in x=80..579, y=158..179"
    local stray
    stray=$(count_where "$shot" 0 140 78 50 "$pale")
    ((stray == 0)) || fail "chart title: $stray pale green pixels left of x=78 (title not at x=80?)"
    log "title: $title pale green pixels"
}

# The focus on the chart, as 決定 leaves it, in FILE (as above): a 2-px
# frame along the window's edges, in one colour that is not the navy, with
# the navy just inside it. Qt draws it only while the window is active.
check_chart_focus_frame() {
    local shot=$1
    local mark
    mark=$(pixels "$shot" 0 0 1 1 | awk '{ print $3, $4, $5 }')
    [[ $mark != "0 0 128" ]] || fail "no focus frame: (0,0) is navy"
    local -a corner=(0 0 1 1 957 685 958 686 500 0 500 686 0 300 958 300)
    local i
    for ((i = 0; i < ${#corner[@]}; i += 2)); do
        # shellcheck disable=SC2086
        [[ $(count_colour "$shot" "${corner[i]}" "${corner[i + 1]}" 1 1 $mark) -eq 1 ]] ||
            fail "focus frame: (${corner[i]},${corner[i + 1]}) is not ($mark) like (0,0)"
    done
    [[ $(count_colour "$shot" 2 2 1 1 0 0 128) -eq 1 && $(count_colour "$shot" 956 684 1 1 0 0 128) -eq 1 ]] ||
        fail "focus frame wider than 2 px: (2,2) or (956,684) is not navy"
    log "focus frame: 2 px of ($mark) along the edges"
}
