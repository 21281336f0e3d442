#!/usr/bin/python3
"""Qt's own texts in the real program are Japanese, whatever the system's
language: the context menu of an entry box, opened with a real right click,
read through AT-SPI.

    with_atspi_session.sh /usr/bin/python3 translation_check.py BINARY

Starts BINARY in the C locale, presses 開始 and 生年's 西暦 through their
actions, types into the birth-year box, right-clicks it (xdotool, at the
box's place as AT-SPI gives it) and moves into the menu with the Down key.
Qt leaves its popup menus out of the application's tree, so the menu is
read as a screen reader meets it: from the item that takes the focus, its
menu and all its items. Each of Qt's entry-box commands must be there in
Japanese, and none in English.
"""
import os
import re
import subprocess
import sys
import time

import pyatspi
from gi.repository import GLib

from atspi_check import children, fail, find, press, push_button_role, states, wait_for, window

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
    """A menu item's text without its shortcut and mnemonic:
    "元に戻す(U)\tCtrl+Z" reads "元に戻す"."""
    return re.sub(r"\s*\([A-Za-z]\)$", "", name.split("\t")[0].replace("&", ""))


class FocusedMenu:
    """The items of the menu whose item last took the focus, from AT-SPI's
    focus events."""

    def __init__(self):
        self.items = None
        pyatspi.Registry.registerEventListener(self.on_focus, "object:state-changed:focused")

    def on_focus(self, event):
        if event.detail1 and event.source.getRoleName() == "menu item":
            menu = event.source.parent
            self.items = [bare(item.name) for item in children(menu) if item.getRoleName() == "menu item"]

    def wait(self, seconds=10):
        context = GLib.MainContext.default()
        deadline = time.monotonic() + seconds
        while self.items is None and time.monotonic() < deadline:
            while context.pending():
                context.iteration(False)
            time.sleep(0.05)
        if self.items is None:
            fail("no menu item took the focus within %d s of the right click and Down" % seconds)
        return self.items


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
        # Some text, so that the commands on it are enabled and can take the
        # focus.
        subprocess.run(["xdotool", "type", "--delay", "60", "1980"], check=True)
        menu = FocusedMenu()

        extents = box.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
        x, y = extents.x + extents.width // 2, extents.y + extents.height // 2
        subprocess.run(["xdotool", "mousemove", str(x), str(y)], check=True)
        time.sleep(0.2)
        subprocess.run(["xdotool", "click", "3"], check=True)
        time.sleep(0.5)
        subprocess.run(["xdotool", "key", "Down"], check=True)
        items = menu.wait()
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
