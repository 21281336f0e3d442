"""What the worked example's chart must show on the screen (born 1980-05-15
at 12:00, charted for October 2005), read from a screenshot of the main
window at any scale. The expected places are worked out below from the
chart's geometry, not taken from the program."""
import math

from layout import GREEN, MAIN_SIZE, NAVY, RED, WHITE, YELLOW
from session import Failure

WIDTH, HEIGHT = MAIN_SIZE
AXIS_Y = 400
GRID_X = list(range(120, 741, 20))        # 32 vertical lines for a 31-day month
GRID_ROWS = (210, 590)                    # above and below the curves


def lit(p):
    return p[0] > 150 and p[1] > 150 and p[2] > 150


def pale_green(p):
    r, g, b = p
    return g > 180 and r > 100 and g - r > 30 and g - b > 30


def line_width(scale):
    """How many device pixels a one-pixel line may cover: Qt draws it
    `scale` device pixels wide, unsmoothed, so it covers the pixels whose
    centres it spans: at most ceil(scale) of them."""
    return math.ceil(scale - 1e-9)


def check_worked_example_chart(shot):
    """Grid, axis, the three curves, the day numbers and the title."""
    if shot.size != MAIN_SIZE:
        raise Failure(f"{shot.path}: {shot.size} layout pixels, not the main window's {MAIN_SIZE}")
    widest = line_width(shot.scale)

    # Grid: 32 yellow lines at x = 120, 140, ..., 740.
    for row in GRID_ROWS:
        runs = shot.runs(row, YELLOW)
        starts = [start for start, _ in runs]
        if starts != GRID_X or any(w > widest for _, w in runs):
            raise Failure(f"grid along y={row}: expected {len(GRID_X)} yellow lines at x={GRID_X} at most "
                          f"{widest} device pixels wide, got {runs} (x, width) in {shot.path}")

    # Axis: yellow across the window at y=400, one layout pixel high. At
    # the window's edges the focus frame lies beside it.
    for x in (0, 50, 90, 850, WIDTH - 1):
        runs = shot.runs(x, YELLOW, across=False)
        at_axis = [(start, w) for start, w in runs if abs(start - AXIS_Y) <= 1]
        if len(at_axis) != 1 or at_axis[0][0] != AXIS_Y or at_axis[0][1] > widest:
            raise Failure(f"axis at x={x}: expected one yellow line at y={AXIS_Y}, at most {widest} device "
                          f"pixels high; yellow runs down that column: {runs} in {shot.path}")
        if 2 <= x <= WIDTH - 3 and not (shot.only(x, AXIS_Y - 2, NAVY) and shot.only(x, AXIS_Y + 2, NAVY)):
            raise Failure(f"axis at x={x}: not navy two pixels above and below (thicker than a line?) in {shot.path}")

    # The curves at points where no other curve is near: 400 + 100 * value.
    #   white (emotional) day 1:       x=120, y = 400 + 100 * -0.330279 = 367.0
    #   green (intellectual) day 1:    x=120, y = 400 + 100 *  0.618159 = 461.8
    #   red (physical) point 32:       x=740, y = 400 + 100 * -0.730836 = 326.9
    for name, x, y, colour in (("white", 120, 367, WHITE), ("green", 120, 462, GREEN), ("red", 740, 327, RED)):
        if not shot.count(x, y - 1, 1, 3, colour):
            column = [shot.colour_at(x, y + d) for d in range(-4, 5)]
            raise Failure(f"{name} curve: no {colour} at x={x}, y={y - 1}..{y + 1}; "
                          f"the column y={y - 4}..{y + 4} there: {column} in {shot.path}")
    if shot.count(120, 440, 1, 40, WHITE):
        raise Failure(f"white on x=120, y=440..479, near the green curve's point, in {shot.path}")

    # Day numbers in white, from (120, 610): "1" and "31", nothing after 31.
    for what, x, w, least in (("1", 120, 15, 5), ("31", 720, 20, 10)):
        found = shot.count_where(x, 610, w, 15, lit)
        if found < least:
            raise Failure(f"day number {what}: only {found:.0f} light pixels in x={x}..{x + w - 1}, "
                          f"y=610..624 in {shot.path}")
    if shot.count_where(742, 606, 60, 22, lit):
        raise Failure(f"light pixels after day 31 in x=742..801, y=606..627 (a 32nd day?) in {shot.path}")

    # The title in pale green (192, 255, 192) from (80, 160), nothing of it
    # left of there.
    title = shot.count_where(80, 158, 500, 22, pale_green)
    if title < 100:
        raise Failure(f"chart title: only {title:.0f} pale green pixels in x=80..579, y=158..179 in {shot.path}")
    if shot.count_where(0, 140, 78, 50, pale_green):
        raise Failure(f"chart title: pale green left of x=78 (not at x=80?) in {shot.path}")


def check_focus_frame(shot):
    """The chart's focus as 決定 leaves it: a frame two layout pixels wide
    along the window's edges, in one colour that is not the navy, the navy
    just inside it. Qt draws it only while the window is active. (At a
    fractional scale the window is up to a device pixel wider than the
    layout, and the frame fills that too.)"""
    mark = tuple(shot.device(0, 0))
    if mark == NAVY:
        raise Failure(f"no focus frame: (0,0) is navy in {shot.path}")
    least, most = math.floor(2 * shot.scale), math.ceil(2 * shot.scale) + 1
    w, h = shot.width, shot.height
    across, down = round(300 * shot.scale), round(500 * shot.scale)
    edges = {
        "left": [(i, across) for i in range(w)], "right": [(w - 1 - i, across) for i in range(w)],
        "top": [(down, i) for i in range(h)], "bottom": [(down, h - 1 - i) for i in range(h)],
        "top-left corner": [(i, i) for i in range(h)], "bottom-right corner": [(w - 1 - i, h - 1 - i) for i in range(h)],
    }
    for edge, line in edges.items():
        colours = [tuple(shot.device(x, y)) for x, y in line[:most + 2]]
        thickness = next((i for i, c in enumerate(colours) if c != mark), len(colours))
        if not least <= thickness <= most or colours[thickness] != NAVY:
            raise Failure(f"focus frame at the {edge}: {thickness} device pixels of {mark} then {colours[thickness]}, "
                          f"expected {least} to {most} then navy, in {shot.path}")
