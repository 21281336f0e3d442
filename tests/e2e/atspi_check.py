#!/usr/bin/python3
"""The real program read and driven through AT-SPI, as a screen reader
(Orca) meets it.

    with_atspi_session.sh /usr/bin/python3 atspi_check.py BINARY

Starts BINARY, presses 開始 through its accessible action, enters the
worked example (西暦, 1980-05-15 12 h, 西暦 2005-10) with the keyboard,
presses 決定 with Enter, then checks that the focus is on the chart, read
by its role, its title and its summary, and prints what a screen reader
says on that focus and the whole tree. Last it presses the closing icon and
the exit icon through their actions: the main window goes, then the program
ends with status 0.
"""
import os
import re
import subprocess
import sys
import time

import pyatspi

TITLE = "グレゴリオ暦（西暦） 2005年 10月のバイオリズム"
WORKED_EXAMPLE = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "support", "worked_example.h")


def worked_example_summary():
    """The spoken summary of the worked example, from the one copy that the
    tests share: the string literals of kWorkedExampleSummary, joined."""
    with open(WORKED_EXAMPLE, encoding="utf-8") as header:
        found = re.search(r"kWorkedExampleSummary\s*=\s*((?:\s*\"[^\"]*\")+)\s*;", header.read())
    if not found:
        fail("no kWorkedExampleSummary in " + WORKED_EXAMPLE)
    return "".join(re.findall(r'"([^"]*)"', found.group(1)))


# Labels once read by another text than their caption, with what they stand for.
LABELS = {
    "暦年": "生まれた年", "暦月": "生まれた月", "暦日": "生まれた日", "時刻": "生まれた時刻",
    "＋側": "グラフの上半分はプラス側", "－側": "グラフの下半分はマイナス側",
    "身体リズム": "赤の線は身体リズム（23日周期）",
}

# The name AT-SPI gives the push-button role (Qt's buttons and the icons),
# by the version of libatspi that answers: at-spi2-core 2.53.1 renamed it
# from "push button" (Debian 12: 2.46) to "button" (Debian 13: 2.56).
PUSH_BUTTON_NAMES = [((2, 53, 1), "button"), ((0,), "push button")]


def libatspi_version():
    """The upstream version of the installed libatspi, from its package."""
    owner = subprocess.run(["dpkg-query", "-S", "*/libatspi.so.0"], check=True,
                           capture_output=True, text=True).stdout
    package = owner.split(":")[0]
    version = subprocess.run(["dpkg-query", "-W", "-f=${Version}", package], check=True,
                             capture_output=True, text=True).stdout
    upstream = re.match(r"(?:\d+:)?(\d+(?:\.\d+)*)", version)
    if not upstream:
        fail("cannot read the version %r of %s" % (version, package))
    return tuple(int(n) for n in upstream.group(1).split("."))


def push_button_role():
    version = libatspi_version()
    return next(name for since, name in PUSH_BUTTON_NAMES if version >= since)


def fail(message):
    print("FAIL:", message, file=sys.stderr)
    sys.exit(1)


def wait_for(what, probe, seconds=15):
    deadline = time.monotonic() + seconds
    while time.monotonic() < deadline:
        try:
            found = probe()
        except Exception:  # objects come and go while the tree changes
            found = None
        if found:
            return found
        time.sleep(0.1)
    fail("timed out waiting for " + what)


def children(obj):
    return [c for c in obj if c is not None]


def walk(obj):
    yield obj
    for child in children(obj):
        yield from walk(child)


def states(obj):
    return {pyatspi.stateToString(s) for s in obj.getState().getStates()}


def find(root, role, name):
    """The shown object of that role (any role: None) and name."""
    for obj in walk(root):
        if (role is None or obj.getRoleName() == role) and obj.name == name and "showing" in states(obj):
            return obj
    return None


def focused_in(root, role):
    """The focused object under root, when it has that role."""
    obj = next((o for o in walk(root) if "focused" in states(o)), None)
    return obj if obj is not None and obj.getRole() == role else None


def window(app, name):
    """A top-level window: Qt's window role is AT-SPI's frame."""
    return next((w for w in children(app) if w.name == name and w.getRoleName() == "frame"), None)


def press(obj):
    action = obj.queryAction()
    names = [action.getName(i) for i in range(action.nActions)]
    if "Press" not in names:
        fail("%s %r offers no press action: %r" % (obj.getRoleName(), obj.name, names))
    action.doAction(names.index("Press"))


def keys(*args):
    subprocess.run(["xdotool", "key", "--delay", "60", *args], check=True)
    time.sleep(0.3)


def typed(text):
    subprocess.run(["xdotool", "type", "--delay", "60", text], check=True)
    keys("Return")


def dump(obj, depth=0):
    """One line an object: role, name, description, the states a reader
    mentions."""
    told = sorted(states(obj) & {"focused", "focusable", "editable"})
    line = "%s%s %r" % ("  " * depth, obj.getRoleName(), obj.name)
    if obj.description:
        line += " — " + obj.description
    if told:
        line += " [" + ", ".join(told) + "]"
    if "showing" in states(obj) or depth == 0:
        print(line)
        for child in children(obj):
            dump(child, depth + 1)


def main():
    binary = sys.argv[1]
    button = push_button_role()
    print("libatspi %s names the push-button role %r" % (".".join(map(str, libatspi_version())), button))
    log = open(os.path.join(os.environ.get("XDG_RUNTIME_DIR", "/tmp"), "app.log"), "w")
    program = subprocess.Popen([binary], stdout=log, stderr=subprocess.STDOUT)
    try:
        desktop = pyatspi.Registry.getDesktop(0)
        app = wait_for("the program on the accessibility bus",
                       lambda: next((a for a in children(desktop) if a.name == "biorhythm"), None))
        title = wait_for("the title window", lambda: window(app, "バイオリズム"))
        exit_icon = find(title, button, "終了")
        if not exit_icon or "focusable" in states(exit_icon):
            fail("the exit icon is not an unfocusable %s named 終了" % button)
        press(wait_for("開始", lambda: find(title, button, "開始：バイオリズムの計算画面を開く")))
        main_window = wait_for("the main window", lambda: window(app, "バイオリズム計算"))
        print("windows:", [(w.getRoleName(), w.name) for w in children(app)])

        for caption, description in LABELS.items():
            label = find(main_window, "label", caption)
            if not label or label.description != description:
                fail("no label read as %r with the description %r" % (caption, description))

        press(wait_for("生年の西暦", lambda: find(main_window, button, "生年を西暦で入力")))
        birth_year = find(main_window, "text", "生まれた年（入力後Enter）")
        wait_for("the focus in the birth year", lambda: "focused" in states(birth_year))
        for text in ("1980", "5", "15", "12"):
            typed(text)
        press(find(main_window, button, "求める年を西暦で入力"))
        wait_for("the focus in the target year",
                 lambda: "focused" in states(find(main_window, "text", "求める年（入力後Enter）")))
        for text in ("2005", "10"):
            typed(text)
        decide = find(main_window, button, "決定：グラフを描く")
        wait_for("the focus on 決定", lambda: "focused" in states(decide))
        keys("Return")

        # Where the focus lands is what a screen reader reads at once: the
        # role, the name and the description of the focused object.
        summary = worked_example_summary()
        wait_for("the chart title read as %r" % TITLE, lambda: find(main_window, "label", TITLE))
        focused = wait_for("the focus on the chart", lambda: focused_in(main_window, pyatspi.ROLE_CHART))
        if focused.name != TITLE or focused.description != summary:
            fail("the focused chart is read as %r — %r, expected %r — %r"
                 % (focused.name, focused.description, TITLE, summary))
        print("\nAfter 決定 the focus moves to the chart; a screen reader says:")
        print("  %s, %s. %s" % (focused.name, focused.getRoleName(), focused.description))
        print("\nThe main window after 決定, as a screen reader reads it:")
        dump(main_window)

        close = find(main_window, button, "閉じる")
        if not close or "focusable" in states(close):
            fail("the closing icon is not an unfocusable %s named 閉じる" % button)
        press(close)
        wait_for("the main window to close", lambda: window(app, "バイオリズム計算") is None)
        if window(app, "バイオリズム") is None:
            fail("the title window went away with the main window")
        print("閉じる pressed: the main window closed, the title window stayed")

        press(exit_icon)
        try:
            status = program.wait(timeout=10)
        except subprocess.TimeoutExpired:
            fail("the program did not end within 10 s of pressing 終了")
        if status != 0:
            fail("exit status %d after 終了" % status)
        print("終了 pressed: the program ended with status 0")
        print("PASS")
    finally:
        if program.poll() is None:
            program.kill()
            program.wait()


if __name__ == "__main__":
    main()
