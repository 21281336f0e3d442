#!/usr/bin/python3
"""Qt's own texts in the real program are Japanese, whatever the system's
language: the context menu of an entry box, opened with a real right click,
read through AT-SPI.

    with_atspi_session.sh /usr/bin/python3 translation_check.py BINARY

Starts BINARY in the C locale, presses 開始 and 生年's 西暦 through their
actions, right-clicks the birth-year box (xdotool, at the box's place as
AT-SPI gives it) and reads the items of the menu that opens. Each of Qt's
entry-box commands must be there in Japanese, and none in English.
"""
import os
import re
import subprocess
import sys
import time

import pyatspi

from atspi_check import children, fail, find, press, push_button_role, states, wait_for, walk, window

# Qt's commands of an entry box's context menu: the English source text and
# the Japanese of Qt's qtbase_ja, as a menu reads them (without the
# mnemonic's ampersand).
COMMANDS = [
    ("Undo", "元に戻す"),
    ("Redo", "やり直す"),
    ("Cut", "切り取り"),
    ("Copy", "コピー"),
    ("Paste", "貼り付け"),
    ("Delete", "削除"),
    ("Select All", "すべてを選択"),
]


def bare(name):
    """A menu item's text without its mnemonic: "元に戻す(U)" and "Undo"
    read as themselves, "(U)" dropped."""
    return re.sub(r"\s*\([A-Za-z]\)$", "", name.replace("&", ""))


def menu_items(app):
    return [bare(obj.name) for obj in walk(app)
            if obj.getRoleName() == "menu item" and "showing" in states(obj) and obj.name]


def main():
    binary = sys.argv[1]
    button = push_button_role()
    log = open(os.path.join(os.environ.get("XDG_RUNTIME_DIR", "/tmp"), "app.log"), "w")
    # A system in English (the C locale): Qt alone would speak English.
    environment = {k: v for k, v in os.environ.items() if not k.startswith(("LC_", "LANG"))}
    environment.update(LANG="C.UTF-8", LC_ALL="C.UTF-8")
    program = subprocess.Popen([binary], stdout=log, stderr=subprocess.STDOUT, env=environment)
    try:
        desktop = pyatspi.Registry.getDesktop(0)
        app = wait_for("the program on the accessibility bus",
                       lambda: next((a for a in children(desktop) if a.name == "biorhythm"), None))
        title = wait_for("the title window", lambda: window(app, "バイオリズム"))
        press(wait_for("開始", lambda: find(title, button, "開始：バイオリズムの計算画面を開く")))
        main_window = wait_for("the main window", lambda: window(app, "バイオリズム計算"))
        press(wait_for("生年の西暦", lambda: find(main_window, button, "生年を西暦で入力")))
        box = wait_for("the birth year box", lambda: find(main_window, "text", "生まれた年（入力後Enter）"))
        wait_for("the focus in the birth year", lambda: "focused" in states(box))

        extents = box.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
        x, y = extents.x + extents.width // 2, extents.y + extents.height // 2
        subprocess.run(["xdotool", "mousemove", str(x), str(y)], check=True)
        time.sleep(0.2)
        subprocess.run(["xdotool", "click", "3"], check=True)
        items = wait_for("the context menu's items", lambda: menu_items(app) if len(menu_items(app)) >= 5 else None)
        print("context menu of the birth year box:", items)

        english = [source for source, _ in COMMANDS if source in items]
        if english:
            fail("Qt's commands in English: %r (menu: %r)" % (english, items))
        missing = [japanese for _, japanese in COMMANDS if japanese not in items]
        if missing:
            fail("Qt's commands missing in Japanese: %r (menu: %r)" % (missing, items))
        print("the context menu is Japanese in the C locale")

        subprocess.run(["xdotool", "key", "Escape"], check=True)
        print("PASS")
    finally:
        if program.poll() is None:
            program.kill()
            program.wait()


if __name__ == "__main__":
    main()
