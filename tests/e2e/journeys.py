"""The journeys: what a user does with the real program, and what must then
be seen, heard or ended. Each names the platforms it runs on
(desktop.py says how the names read; x11.py, mutter in it, wayland.py and
wine.py say how each platform does what a journey asks). CTest runs each
journey on each of its platforms as a test of its own, e2e.JOURNEY.PLATFORM.
"""
import filecmp
import os
import re
import struct
import subprocess
import time

import input_methods
import layout
from chart import check_focus_frame, check_worked_example_chart
from desktop import require, settle
from picture import Picture
from reader import Orca
from session import Failure, wait_for

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.join(HERE, "..", "..")
JOURNEYS = {}


def journey(*platforms):
    def register(function):
        JOURNEYS[function.__name__] = (function, platforms)
        return function
    return register


# ---- Start, chart, close ------------------------------------------------------

@journey("x11", "mutter", "wine")
def start_exit(ui):
    """The title window shows the title picture from its top-left corner
    (no frame drawn into it); its exit icon ends the program with 0."""
    title = ui.launch()
    expect_title_picture(ui)
    ui.click(title, *layout.EXIT.centre)
    ui.expect_exit("the exit icon")


@journey("x11", "x11@1.25", "x11@1.5", "mutter", "wayland", "wine", "wine@1.5")
def chart(ui):
    """The worked example entered with its era buttons and Enter, 決定: the
    chart, its grid, curves, day numbers and title where they belong, and
    the focus on it."""
    ui.start()
    ui.enter_worked_example()
    shot = ui.decide()
    check_worked_example_chart(shot)
    if ui.platform.shows_focus:
        check_focus_frame(shot)
    ui.log(f"the worked example's chart at {ui.scale:g}x: {shot.path}")
    ui.quit()


@journey("x11", "mutter", "wayland", "wine")
def reopen(ui):
    """Closed with its icon and with the desktop's close, the main window
    comes back with 開始 as it first opened, without the chart, while the
    entries committed before stay: only the month entered again, 決定
    draws the worked example once more."""
    ui.start()
    ui.enter_worked_example()
    ui.decide()
    for by in (("icon", "desktop") if ui.platform.pointer else ("desktop",)):
        ui.close_main(by)
        if ui.platform.focused(ui.title) is not None:
            wait_for("the focus back on the title window", lambda: ui.platform.focused(ui.title), seconds=5)
        main = ui.start()
        shot = ui.shoot(main, f"reopened-{by}")
        require(shot.only(50, 400, layout.NAVY), f"the reopened main window shows a chart: {shot.path}")
        ui.log(f"closed by the {by}, reopened without a chart")
    ui.press(layout.BOXES[5])
    ui.enter(layout.WORKED_EXAMPLE_TARGET[1])
    check_worked_example_chart(ui.decide("chart-again"))
    ui.log("the month entered again: the worked example's chart from the entries kept")
    ui.quit()


@journey("x11", "mutter", "wayland", "wine")
def input_error(ui):
    """Enter in the empty month box and on 決定: the warning box over the
    main window; Enter answers it and the program ends with 0."""
    ui.start()
    ui.press(layout.BOXES[5])
    ui.keys("Return")          # commits the empty month; 決定 appears with the focus
    ui.keys("Return")          # 決定
    box = wait_for("the warning box after 決定", lambda: next(iter(ui.other_windows()), None), seconds=10)
    ui.platform.window_shown(box)
    name = ui.platform.window_name(box)
    require(name == layout.MESSAGE_CAPTION, f"the warning box's caption is {name!r}, not {layout.MESSAGE_CAPTION!r}")
    shot = ui.shoot(box, "warning")
    w, h = shot.size
    require(150 <= w < layout.MAIN_SIZE[0] and 50 <= h < layout.MAIN_SIZE[1], f"a warning box of {w}x{h}?")
    light = shot.count_where(0, 0, w, h, lambda p: min(p) > 200)
    dark = shot.count_where(0, 0, w, h, lambda p: max(p) < 80)
    require(shot.count(0, 0, w, h, layout.NAVY) == 0 and light * 2 > w * h,
            f"the warning box does not look like a dialog ({light:.0f} light of {w * h}): {shot.path}")
    require(dark >= 100, f"the warning box shows almost no text ({dark:.0f} dark pixels): {shot.path}")
    require(ui.app.running() and ui.main.id in {x.id for x in ui.windows()},
            "the main window or the program went before the warning was answered")
    ui.log(f"warning box {name!r}, {w}x{h}, over the main window")
    ui.keys("Return")
    ui.expect_exit("answering the warning box")


@journey("x11", "mutter", "wayland")
def frames(ui):
    """Both windows as the desktop shows them: the title window without a
    frame, the main window with its title bar; neither can be resized or
    maximised; back from full screen the main window has its size."""
    ui.launch()
    frame = ui.platform.frame(ui.app, ui.title)
    require(not frame.decorated and frame.fixed, f"the title window: {frame}")
    expect_title_picture(ui)
    main = ui.start()
    frame = ui.platform.frame(ui.app, main)
    require(frame.decorated and frame.fixed and not frame.maximisable, f"the main window: {frame}")
    ui.log(f"title window without a frame, main window {frame}")
    if hasattr(ui.platform, "fullscreen"):
        ui.platform.fullscreen(ui.app, main)
        ui.log("full screen and back: the main window at its size again")
    ui.quit()


# ---- Windows: the installer ---------------------------------------------------------

SHIPPED = sorted(["Qt6Core.dll", "Qt6Gui.dll", "Qt6Widgets.dll", "biorhythm.exe", "imageformats/qico.dll",
                  "libgcc_s_seh-1.dll", "libstdc++-6.dll", "libwinpthread-1.dll", "platforms/qwindows.dll",
                  "qt.conf", "translations/qtbase_ja.qm"])
UNINSTALL_KEY = r"HKEY_CURRENT_USER\Software\Microsoft\Windows\CurrentVersion\Uninstall\io.github.biorhythm.biorhythm"


@journey("wine")
def installer(ui):
    """The Windows user's whole road: the installer run silently installs
    for the user alone the zip's very files, a Start-menu entry and the
    uninstaller's registration; the installed program draws the chart;
    the zip's program runs where it is unpacked; the uninstaller leaves
    nothing behind, after Windows' restart."""
    wine, work = ui.platform, ui.work
    before = wine.files()
    require(wine.run_to_end([ui.artefacts["setup"], "/S"], work, "setup") == 0, "the silent install failed")
    folder = os.path.join(wine.profile(), "AppData", "Local", "Programs", "Biorhythm")
    require(os.path.isfile(os.path.join(folder, "biorhythm.exe")), f"no biorhythm.exe in {folder} after the install")

    unpacked = os.path.join(work, "unzipped")
    subprocess.run(["unzip", "-q", "-o", ui.artefacts["zip"], "-d", unpacked], check=True)
    portable = os.path.join(unpacked, os.path.basename(ui.artefacts["zip"])[:-len("-win64.zip")])
    shipped = sorted(os.path.relpath(os.path.join(d, n), portable) for d, _, names in os.walk(portable) for n in names)
    require(shipped == SHIPPED, f"the zip holds {shipped}, expected {SHIPPED}")
    installed = sorted(os.path.relpath(os.path.join(d, n), folder) for d, _, names in os.walk(folder) for n in names)
    require(installed == sorted(SHIPPED + ["uninstall.exe"]), f"installed {installed}: not the zip's files and the uninstaller")
    differ = [n for n in SHIPPED if not filecmp.cmp(os.path.join(portable, n), os.path.join(folder, n), shallow=False)]
    require(not differ, f"installed files that differ from the zip's: {differ}")
    ui.log(f"installed the zip's {len(SHIPPED)} files and the uninstaller into {folder}")

    shortcut = os.path.join(wine.profile(), "AppData", "Roaming", "Microsoft", "Windows", "Start Menu", "Programs",
                            "バイオリズム.lnk")
    require(os.path.isfile(shortcut), "no Start-menu entry バイオリズム.lnk")
    key = wine.registry(work, UNINSTALL_KEY)
    values = dict(re.findall(r'^"([^"]+)"=(.*)$', key, re.M))
    for name, value in (("DisplayName", '"バイオリズム"'), ("DisplayVersion", '"1.00"'),
                        ("Publisher", '"The Biorhythm developers"'), ("NoModify", "dword:00000001")):
        require(values.get(name) == value, f"the uninstall key's {name} is {values.get(name)}, expected {value}: {values}")
    require(re.fullmatch(r'".*\\\\biorhythm\.exe,0"', values.get("DisplayIcon", "")), f"DisplayIcon {values.get('DisplayIcon')}")
    require(re.fullmatch(r'"\\".*\\\\uninstall\.exe\\""', values.get("UninstallString", "")),
            f"UninstallString {values.get('UninstallString')}")
    size_kb = int(values.get("EstimatedSize", "dword:0").split(":")[1], 16)
    on_disk = sum(os.path.getsize(os.path.join(d, n)) for d, _, names in os.walk(folder) for n in names) // 1024
    require(0.9 * on_disk < size_kb < 1.1 * on_disk, f"EstimatedSize {size_kb} KB, but {on_disk} KB are installed")
    ui.log(f"Start-menu entry and uninstall key: バイオリズム 1.00, {size_kb} KB")

    # The installed program, and the one unpacked from the zip.
    journey_program = ui.program
    ui.program = os.path.join(folder, "biorhythm.exe")
    chart(ui)
    ui.program = os.path.join(portable, "biorhythm.exe")
    start_exit(ui)
    ui.program = journey_program

    require(wine.run_to_end([os.path.join(folder, "uninstall.exe"), "/S"], work, "uninstall") == 0,
            "the silent uninstall failed")
    # The uninstaller runs from a copy of itself in %TEMP%, which Windows
    # deletes at the next restart.
    wine.restart(work)
    require(not os.path.exists(folder), f"the program's folder is left: {os.listdir(folder) if os.path.isdir(folder) else folder}")
    require(not os.path.exists(shortcut), "the Start-menu entry is left")
    left = [line for line in wine.registry(work).splitlines() if "biorhythm" in line.lower() or "バイオリズム" in line]
    require(not left, f"the registry still names the program: {left[:5]}")
    new = sorted(wine.files() - before)
    require(not new, f"files left on drive C: after the uninstall: {new[:10]}")
    ui.log("uninstalled: no file, shortcut or registry entry left")


# ---- Not a test: the pictures of the documents ---------------------------------------------

@journey()
def screenshots(ui):
    """The pictures in docs/ (tools/screenshots.sh): the title window, the
    main window as it opens, and the chart of a birth on 昭和55 (1980)
    5/15 at 12 o'clock for October 2005, with the pointer parked on an
    empty spot each time. Named screenshot-title.png and so on, with
    "-windows" for the Windows program and "-2x" (etc.) for a scale."""
    suffix = ("-windows" if ui.platform.windows_program else "") + (f"-{ui.scale:g}x" if ui.scale != 1 else "")
    out = ui.artefacts["out"]

    def keep(window, name):
        ui.platform.hover(window, *ui.at(window, 400 if window is ui.title else 940, 600 if window is ui.title else 670))
        settle(0.8)
        path = os.path.join(out, f"screenshot-{name}{suffix}.png")
        ui.shoot(window, name).save(path)
        ui.log(f"wrote {path}")

    ui.launch()
    keep(ui.title, "title")
    main = ui.start()
    keep(main, "main")
    ui.press(layout.BIRTH_ERAS["昭和"])
    ui.enter("55", "5", "15", "12")
    ui.press(layout.TARGET_ERAS["西暦"])
    ui.enter("2005", "10")
    ui.decide()
    keep(main, "chart")
    ui.quit()


@journey()
def installer_pages(ui):
    """The pictures of the installer's pages in docs/ (wine, with --setup
    and --out): the installer's welcome, folder, progress and finish pages
    and the uninstaller's welcome, confirmation and finish pages, walked
    through with Enter as the Windows user would. Named
    screenshot-installer-*.png. The welcome and finish pages must show
    their side picture (assets/installer-side.bmp, uninstaller-side.bmp)
    pixel for pixel in the window's top-left corner: unscaled, crisp."""
    wine, work, out = ui.platform, ui.work, ui.artefacts["out"]
    require(wine.windows_program and ui.scale == 1, "installer_pages runs on wine, unscaled")
    sides = {who: bmp_rows(os.path.join(ROOT, "assets", f"{who}-side.bmp")) for who in ("installer", "uninstaller")}

    def strip(picture, who):
        """Whether the picture begins with the side picture at its top-left."""
        rows = sides[who]
        width = len(rows[0]) // 3
        return picture.width >= width and picture.height >= len(rows) and all(
            picture.rgb[3 * y * picture.width:3 * (y * picture.width + width)] == row for y, row in enumerate(rows))

    def shoot(window):
        return Picture.from_ppm(wine.shoot(window), 1)

    def keep(picture, name):
        path = os.path.join(out, f"screenshot-installer-{name}.png")
        picture.save(path)
        ui.log(f"wrote {path}")

    def page(window, name, what, condition, seconds=20):
        """The window's picture once it shows the page, kept as NAME.png in the work folder."""
        shots = []

        def taken():
            shots.append(shoot(window))
            return condition(shots[-1]) and shots[-1]
        try:
            wait_for(what, taken, seconds=seconds, interval=0.2, tolerate=())
        except Failure as failure:
            last = shots[-1].keep(os.path.join(work, f"{name}.png")) if shots else "no picture"
            raise Failure(f"{failure}: see {last}") from None
        settle(0.8)                              # the page drawn to its end
        return shoot(window)

    def window_named(title, what):
        window = wait_for(f"{what} (a window named {title})",
                          lambda: max(wine.windows_named(title), key=lambda w: w.w * w.h, default=None), seconds=60)
        wine.window_shown(window)
        return window

    # The installer.
    setup = wine.session.spawn(["wine", ui.artefacts["setup"]], os.path.join(work, "setup.log"))
    window = window_named("バイオリズム セットアップ", "the installer")
    welcome = page(window, "welcome", "the welcome page with its picture", lambda p: strip(p, "installer"))
    require(strip(welcome, "installer"), "the welcome page's picture is not the installer's side picture")
    keep(welcome, "welcome")
    wine.keys("Return")
    folder_page = page(window, "directory", "the folder page", lambda p: not strip(p, "installer"))
    keep(folder_page, "directory")
    wine.keys("Return")
    # Files are copied for a few seconds; the finish page follows by itself.
    progress = []

    def finished():
        picture = shoot(window)
        if strip(picture, "installer"):
            return picture
        if picture.rgb != folder_page.rgb:
            progress.append(picture)
        return None
    wait_for("the finish page after the files", finished, seconds=120, interval=0.15, tolerate=())
    require(progress, "no picture of the progress page between the folder page and the finish page")
    keep(progress[len(progress) // 2], "progress")
    finish = page(window, "finish", "the finish page with its picture", lambda p: strip(p, "installer"))
    keep(finish, "finish")
    installed = os.path.join(wine.profile(), "AppData", "Local", "Programs", "Biorhythm")
    require(os.path.isfile(os.path.join(installed, "uninstall.exe")), f"no uninstall.exe in {installed}")
    wine.keys("alt+r")                         # 「バイオリズム を実行」 off: the program is not started
    settle(0.5)
    wine.keys("Return")
    wait_for("the installer's end", lambda: setup.poll() is not None, seconds=30)

    # The uninstaller: it copies itself to %TEMP% and runs the copy.
    wine.session.spawn(["wine", os.path.join(installed, "uninstall.exe")], os.path.join(work, "uninstall.log"))
    window = window_named("バイオリズム アンインストール", "the uninstaller")
    welcome = page(window, "uninstall-welcome", "the uninstaller's welcome page with its picture",
                   lambda p: strip(p, "uninstaller"))
    keep(welcome, "uninstall-welcome")
    wine.keys("Return")
    keep(page(window, "uninstall-confirm", "the confirmation page", lambda p: not strip(p, "uninstaller")),
         "uninstall-confirm")
    wine.keys("Return")
    keep(page(window, "uninstall-finish", "the uninstaller's finish page with its picture",
              lambda p: strip(p, "uninstaller"), seconds=60), "uninstall-finish")
    require(not os.path.exists(os.path.join(installed, "biorhythm.exe")), "biorhythm.exe is left after the uninstall")
    wine.keys("Return")
    wait_for("the uninstaller's window to close", lambda: not wine.windows_named("バイオリズム アンインストール"),
             seconds=30)


def bmp_rows(path):
    """A 24-bit bottom-up BMP's rows, top row first, each as RGB bytes."""
    with open(path, "rb") as bmp:
        data = bmp.read()
    offset, = struct.unpack_from("<I", data, 10)
    width, height, _, bits = struct.unpack_from("<iiHH", data, 18)
    require(bits == 24 and height > 0, f"{path}: not a 24-bit bottom-up BMP")
    stride = (width * 3 + 3) & ~3
    rows = []
    for y in range(height - 1, -1, -1):
        bgr = data[offset + y * stride:offset + y * stride + 3 * width]
        rgb = bytearray(len(bgr))
        rgb[0::3], rgb[1::3], rgb[2::3] = bgr[2::3], bgr[1::3], bgr[0::3]
        rows.append(bytes(rgb))
    return rows


# ---- Input methods --------------------------------------------------------------

@journey("x11+ibus", "x11+fcitx5", "wine+fcitx5")
def ime(ui):
    """With Japanese input on: a composition stays in its box when a click
    takes the focus elsewhere, and the box clicked gets nothing; compositions
    confirmed with Enter read back full-width; the worked example typed so
    draws its chart, the same as typed with the input method off."""
    session = ui.platform.session
    input_methods.switch_on(session)
    main = ui.start()
    text1, text2, text5 = layout.BOXES[0], layout.BOXES[1], layout.BOXES[4]

    def composing(box, name):
        ui.wait_picture(main, name, f"a marked composition in {box.name}",
                        lambda shot: shot.count(box.x, box.y, box.w, box.h, layout.COMPOSITION) > 40)

    def text_columns(shot, box):
        """Columns of the box's inside with dark (text) pixels: at most one,
        the caret, in an empty box."""
        columns = {x for x in range(box.x + 2, box.x + box.w - 2)
                   if any(max(p) < 100 for p in shot.pixels(x, box.y + 2, 1, box.h - 4))}
        return len(columns)

    def after_click(name, holds, empty):
        # A while after the click, when whatever the input method sends late
        # has arrived.
        settle(1.0)
        shot = ui.shoot(main, name)
        require(text_columns(shot, empty) <= 1, f"{empty.name} received text: {shot.path}")
        require(text_columns(shot, holds) >= 6, f"{holds.name} lost its text: {shot.path}")
        require(shot.count(holds.x, holds.y, holds.w, holds.h, layout.COMPOSITION) == 0,
                f"{holds.name} is still marked as composing: {shot.path}")

    # 1980 is composed as １９８０ until something confirms it.
    ui.press(layout.BIRTH_ERAS["西暦"])
    ui.type("1980")
    composing(text1, "composing-year")
    ui.click(main, *text2.centre)                      # into 暦月, without Enter
    after_click("clicked-month", text1, text2)
    ui.log("a click into 暦月: the composition stayed in 生年, 暦月 stayed empty")

    ui.type("5")
    composing(text2, "composing-month")
    ui.press(layout.TARGET_ERAS["西暦"])               # focuses the target year box
    after_click("clicked-era", text2, text5)
    ui.log("a click on 西暦: the composition stayed in 暦月, the target year stayed empty")

    # Everything committed with Enter. 生年 and 暦月 hold plain text: Enter
    # reaches the box at once. Elsewhere the first Enter confirms the
    # composition, which the user sees land in the box, and the second
    # commits the box.
    ui.click(main, *text1.centre)
    ui.keys("End", "Return")
    ui.keys("End", "Return")
    def confirmed(shot, box):
        return text_columns(shot, box) >= 4 and shot.count(box.x, box.y, box.w, box.h, layout.COMPOSITION) == 0

    lost_by_platform = 0
    for entry, box in zip(("15", "12", "2005", "10"), layout.BOXES[2:]):
        for attempt in range(5):
            delivered = ui.platform.results_delivered(ui.app)
            ui.type(entry)
            composing(box, f"composing-{box.name}")
            ui.keys("Return")
            try:
                ui.wait_picture(main, f"confirmed-{box.name}", f"{entry} confirmed in {box.name}",
                                lambda shot: confirmed(shot, box), seconds=5)
                break
            except Failure:
                # Only a composition the platform's input method never
                # handed over is typed again; one the program lost fails.
                if delivered is None or ui.platform.results_delivered(ui.app) != delivered or attempt == 4:
                    raise
                lost_by_platform += 1
                ui.log(f"the input method never handed over {entry!r} confirmed in {box.name} "
                       f"(Wine's reset; see wine.py): typed again")
        ui.keys("Return")
    with_ime = ui.decide("chart-ime")
    check_worked_example_chart(with_ime)
    held = read_box(ui, text1)
    require(held == "１９８０", f"生年 holds {held!r}, expected '１９８０'")
    ui.log(f"entries confirmed with Enter: 生年 holds {held!r}, and the worked example's chart"
           + (f"; {lost_by_platform} confirmation(s) lost by the platform and typed again" if lost_by_platform else ""))

    # The input method off: the same entries typed plainly give the same chart.
    input_methods.off(session)
    ui.press(layout.RECALCULATE)
    ui.type("1980")
    shot = ui.shoot(main, "typing-off")
    require(shot.count(text1.x, text1.y, text1.w, text1.h, layout.COMPOSITION) == 0,
            f"a composition with the input method off: {shot.path}")
    ui.keys("Return")
    ui.enter("5", "15", "12", "2005", "10")
    without = ui.decide("chart-off")
    held = read_box(ui, text1)
    require(held == "1980", f"生年 holds {held!r} with the input method off, expected '1980'")
    # The title and chart left of 再計算, which has the focus only now.
    same = all(with_ime.colour_at(x, y) == without.colour_at(x, y) for x in range(0, 800, 2) for y in range(150, 650, 2))
    require(same, f"the chart typed with the input method off differs: {with_ime.path}, {without.path}")
    ui.log("input method off: the same chart (full-width and half-width digits alike)")
    ui.quit()


def read_box(ui, box):
    """The text a box holds, through the clipboard: Ctrl+A, Ctrl+C in it."""
    ui.platform.set_clipboard("(nothing copied)")
    ui.click(ui.main, *box.centre)
    ui.platform.copy_all()
    return wait_for(f"the text of {box.name} on the clipboard",
                    lambda: (ui.platform.clipboard() or "(nothing copied)") != "(nothing copied)"
                    and ui.platform.clipboard(), seconds=5)


# ---- Qt's own texts -----------------------------------------------------------------

# Qt's commands of an entry box's context menu: the English source and the
# Japanese of Qt's qtbase_ja, as a menu reads them (without the mnemonic).
MENU_COMMANDS = [("Undo", "元に戻す"), ("Redo", "やり直す"), ("Cut", "切り取り"), ("Copy", "コピー"),
                 ("Paste", "貼り付け"), ("Delete", "削除"), ("Select All", "すべてを選択")]


@journey("x11")
def menu(ui):
    """In a system in English (the C locale), an entry box's context menu,
    opened with a real right click, holds Qt's commands in Japanese, read
    through AT-SPI from the item that takes the focus (Qt leaves popup
    menus out of the application's tree)."""
    from gi.repository import GLib  # pylint: disable=import-outside-toplevel
    ui.launch(env={"LANG": "C.UTF-8", "LC_ALL": "C.UTF-8", "QT_LINUX_ACCESSIBILITY_ALWAYS_ON": "1"})
    main = ui.start()
    tree = ui.accessible()
    ui.press(layout.BIRTH_ERAS["西暦"])
    ui.type("1980")                       # something for the commands to act on
    items = []

    def on_focus(event):
        if event.detail1 and event.source.getRoleName() == "menu item":
            items[:] = [bare(i.name) for i in tree.children(event.source.parent) if i.getRoleName() == "menu item"]
    tree.a.Registry.registerEventListener(on_focus, "object:state-changed:focused")
    ui.platform.click(main, *ui.at(main, *layout.BOXES[0].centre), button=3)
    settle(0.5)
    ui.keys("Down")
    context = GLib.MainContext.default()
    deadline = time.monotonic() + 10
    while not items and time.monotonic() < deadline:
        while context.pending():
            context.iteration(False)
        time.sleep(0.05)
    tree.a.Registry.deregisterEventListener(on_focus, "object:state-changed:focused")
    require(items, "no menu item took the focus within 10 s of the right click and Down")
    english = [source for source, _ in MENU_COMMANDS if source in items]
    missing = [japanese for _, japanese in MENU_COMMANDS if japanese not in items]
    require(not english and not missing, f"the context menu {items}: in English {english}, missing {missing}")
    ui.log(f"context menu in the C locale: {items}")
    ui.keys("Escape")
    ui.quit()


def bare(name):
    """A menu item's text without its shortcut and mnemonic:
    "元に戻す(U)\tCtrl+Z" reads "元に戻す"."""
    return re.sub(r"\s*\([A-Za-z]\)$", "", name.split("\t")[0].replace("&", ""))


# ---- The screen reader ------------------------------------------------------------------

@journey("x11")
def reader(ui):
    """Orca, the screen reader, hears the chart at once after 決定: its title
    with its role, then its summary; after 再計算 it says nothing of the old
    chart. The accessibility tree then gives every label its caption and
    description, and the icons their press action."""
    orca = Orca(ui.platform.session, ui.work)
    orca.start()
    try:
        ui.launch()
        ui.start()
        ui.enter_worked_example()
        heard_before = len(orca.said())
        ui.decide()
        # What Orca says next, but for its echo of the Enter key: the chart's
        # title with its role, then its summary.
        expected = [f"{layout.WORKED_EXAMPLE_TITLE} chart.", worked_example_summary()]

        def spoken():
            return [s for s in orca.said()[heard_before:] if s.strip() != "return"]
        try:
            wait_for("two utterances", lambda: len(spoken()) >= 2, seconds=10)
        except Failure:
            pass
        require(spoken()[:2] == expected, f"after 決定 Orca said {spoken()}, expected {expected} first")
        ui.log(f"after 決定 Orca said: {spoken()}")
        summary = expected[1]

        heard_before = len(orca.said())
        ui.press(layout.RECALCULATE)
        settle(2.0)
        said = orca.said()[heard_before:]
        old = [s for s in said if layout.WORKED_EXAMPLE_TITLE in s or summary[:20] in s]
        require(not old, f"after 再計算 Orca spoke of the old chart: {old}")
        ui.log(f"after 再計算 Orca said: {said}")
        check_accessible_names(ui)
        ui.quit()
    finally:
        orca.stop()


def check_accessible_names(ui):
    """What Orca does not say in the journey: every label's caption and
    description, and the press action of the icons, which take no focus."""
    tree = ui.accessible()
    main = tree.window(layout.MAIN_NAME)
    for caption, description in layout.LABEL_DESCRIPTIONS.items():
        label = tree.find(main, "label", caption)
        require(label is not None and label.description == description,
                f"no label read as {caption!r} with the description {description!r}")
    title = tree.window(layout.TITLE_NAME)
    for window, icon in ((main, layout.CLOSE), (title, layout.EXIT)):
        obj = tree.find(window, tree.button, icon.accessible)
        require(obj is not None and "focusable" not in tree.states(obj) and "Press" in tree.actions(obj),
                f"{icon.accessible}: not an unfocusable {tree.button} with a press action")


def worked_example_summary():
    """The worked example's spoken summary, from the one copy the tests
    share: the string literals of kWorkedExampleSummary, joined."""
    with open(os.path.join(ROOT, "tests", "support", "worked_example.h"), encoding="utf-8") as header:
        found = re.search(r"kWorkedExampleSummary\s*=\s*((?:\s*\"[^\"]*\")+)\s*;", header.read())
    require(found, "no kWorkedExampleSummary in tests/support/worked_example.h")
    return "".join(re.findall(r'"([^"]*)"', found.group(1)))


def expect_title_picture(ui):
    """The title window's client area begins with the title picture,
    assets/title.bmp, at (0,0): nothing drawn over or around it (its left
    650 columns, where no control lies on it; every 7th pixel)."""
    data = subprocess.run(["convert", os.path.join(ROOT, "assets", "title.bmp"), "-depth", "8", "ppm:-"],
                          capture_output=True, check=True).stdout
    picture = Picture.from_ppm(data)
    ui.wait_picture(ui.title, "title", "the title picture at (0,0) of the title window",
                    lambda shot: all(shot.colour_at(x, y) == picture.colour_at(x, y)
                                     for x in range(0, 650, 7) for y in range(0, 629, 7)))


__all__ = ["JOURNEYS", "Failure"]
