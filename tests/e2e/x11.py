"""The X11 desktop: a private Xvfb with a window manager (openbox, or
GNOME's mutter for the platform "mutter"), a D-Bus session with the
accessibility bus, and optionally an input method; driven with xdotool,
read with ImageMagick's import. The program runs on Qt's xcb platform."""
import os
import re
import subprocess
import time

import input_methods
from desktop import App, Frame, Platform, Window, settle
from session import RUN_TAG, TAG, Failure, wait_for

SCREEN = "2400x1600x24"      # room for the main window at 1.5x with a frame


def start_xvfb(session):
    """A private Xvfb on a display number it picks itself (-displayfd)."""
    read, write = os.pipe()
    session.spawn(["Xvfb", "-displayfd", str(write), "-screen", "0", SCREEN, "-nolisten", "tcp", "-noreset",
                   "-dpi", "96"], session.path("xvfb.log"), pass_fds=(write,))
    os.close(write)
    number = b""
    deadline = time.monotonic() + 20
    while not number.endswith(b"\n") and time.monotonic() < deadline:
        chunk = os.read(read, 16)
        if not chunk:
            break
        number += chunk
    os.close(read)
    if not number.strip().isdigit():
        raise Failure(f"Xvfb did not start: {open(session.path('xvfb.log'), encoding='utf-8').read()[-500:]}")
    session.env["DISPLAY"] = ":" + number.decode().strip()


# The session bus's own settings, and root (the harness) let in where the
# session belongs to another user. (The accessibility bus lets root in.)
BUS_CONFIG = """<!DOCTYPE busconfig PUBLIC "-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN"
 "http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd">
<busconfig>
  <include>/usr/share/dbus-1/session.conf</include>
  <policy context="default"><allow user="root"/></policy>
</busconfig>
"""


def start_session_bus(session, accessibility=True):
    """A D-Bus session, and the accessibility bus on it."""
    config = session.path("session-bus.conf")
    with open(config, "w", encoding="utf-8") as out:
        out.write(BUS_CONFIG)
    os.chmod(config, 0o644)
    out = session.run(["dbus-launch", "--sh-syntax", f"--config-file={config}"])
    for line in out.splitlines():
        if line.startswith("DBUS_SESSION_BUS_ADDRESS="):
            session.env["DBUS_SESSION_BUS_ADDRESS"] = line.split("=", 1)[1].rstrip(";").strip("'")
    if "DBUS_SESSION_BUS_ADDRESS" not in session.env:
        raise Failure(f"dbus-launch gave no bus address: {out}")
    if not accessibility:
        return
    session.spawn(["/usr/libexec/at-spi-bus-launcher", "--launch-immediately"], session.path("at-spi.log"))
    # Until org.a11y.Bus has an owner, asking for the accessibility bus
    # makes the session bus start a second launcher.
    wait_for("the accessibility bus", lambda: "true" in session.run(
        ["dbus-send", "--session", "--print-reply=literal", "--dest=org.freedesktop.DBus", "/org/freedesktop/DBus",
         "org.freedesktop.DBus.NameHasOwner", "string:org.a11y.Bus"], check=False), seconds=10)


class X11(Platform):
    window_manager = ["openbox", "--sm-disable"]
    accessibility = True
    programs = ("Xvfb", "xdotool", "xprop", "xwininfo", "import", "convert", "xclip", "dbus-launch", "dbus-send",
                "at-spi-bus-launcher", "openbox")
    python_modules = ("pyatspi",)

    @classmethod
    def needs(cls, variant):
        programs, modules, files = super().needs(variant)
        if variant.input_method:
            more_programs, more_files = input_methods.needs(variant.input_method, xim=cls.windows_program)
            programs += more_programs
            files += more_files
        return programs, modules, files

    def __init__(self, session, variant):
        super().__init__(session, variant)
        if variant.input_method:
            self.user = "nobody"          # mozc refuses root

    # ---- The session ----------------------------------------------------------

    def start(self):
        start_xvfb(self.session)
        start_session_bus(self.session, self.accessibility)
        self.start_window_manager()
        if self.variant.input_method:
            input_methods.start(self.session, self.variant.input_method, xim=self.windows_program)

    def start_window_manager(self):
        if not self.window_manager:
            return
        self.session.spawn(self.window_manager, self.session.path("window-manager.log"))
        # A window manager announces itself on the root window.
        wait_for(f"{self.window_manager[0]} managing the display",
                 lambda: "window id" in self.x(["xprop", "-root", "_NET_SUPPORTING_WM_CHECK"], check=False),
                 seconds=20)

    def x(self, argv, check=True):
        """An X client of the session's display, as the harness's user."""
        done = subprocess.run(argv, env=dict(os.environ, DISPLAY=self.session.env["DISPLAY"]),
                              capture_output=True, text=True, check=False, timeout=30)
        if check and done.returncode != 0:
            raise Failure(f"{' '.join(argv)} failed: {done.stderr.strip()}")
        return done.stdout

    # ---- The program ------------------------------------------------------------

    def program_env(self):
        env = {"QT_QPA_PLATFORM": "xcb"}
        if self.variant.scale != 1:
            env["QT_SCALE_FACTOR"] = f"{self.variant.scale:g}"
        if self.variant.input_method:
            env.update(input_methods.program_env(self.variant.input_method))
        return env

    def launch(self, program, log, tag, env=None):
        command = [self.program_copy(program)]
        process = self.session.spawn(command, log, env={**self.program_env(), **(env or {}), RUN_TAG: tag})
        return App(process, log, tag)

    def windows(self, app):
        return self.windows_of(["--pid", str(app.pid)])

    def windows_named(self, pattern):
        """The visible windows whose title matches the pattern, whichever
        program shows them (an uninstaller runs from a copy of itself)."""
        return self.windows_of(["--name", pattern])

    def windows_of(self, search):
        ids = self.x(["xdotool", "search", "--onlyvisible", *search], check=False).split()
        found = []
        for wid in ids:
            # xwininfo's absolute corner is the client area's, also inside
            # a window manager's frame (xdotool's geometry is not).
            out = self.x(["xwininfo", "-id", wid], check=False)
            values = dict(re.findall(r"^\s*(Absolute upper-left X|Absolute upper-left Y|Width|Height):\s*(-?\d+)",
                                     out, re.M))
            if len(values) == 4:
                found.append(Window(wid, int(values["Absolute upper-left X"]), int(values["Absolute upper-left Y"]),
                                    int(values["Width"]), int(values["Height"])))
        return found

    def window_name(self, window):
        return self.x(["xdotool", "getwindowname", window.id], check=False).strip()

    def focused(self, window):
        return self.x(["xdotool", "getwindowfocus", "-f"], check=False).strip() == window.id

    def property(self, window, name):
        """An X property of the window, as xprop prints it."""
        return self.x(["xprop", "-id", window.id, name], check=False).strip()

    def frame(self, app, window):
        extents = self.property(window, "_NET_FRAME_EXTENTS")
        hints = self.property(window, "WM_NORMAL_HINTS")
        actions = self.property(window, "_NET_WM_ALLOWED_ACTIONS")
        size = f"{window.w} by {window.h}"
        sides = [int(n) for n in re.findall(r"\d+", extents.split("=", 1)[-1])] if "=" in extents else []
        return Frame(decorated=any(sides), fixed=f"minimum size: {size}" in hints and f"maximum size: {size}" in hints,
                     maximisable="_NET_WM_ACTION_MAXIMIZE" in actions,
                     detail=f"{extents}; {' '.join(hints.split())}; {actions}")

    # ---- Input ----------------------------------------------------------------------

    def click(self, window, x, y, button=1):
        # A press held as long as a person holds it: an instant click was
        # sometimes lost under Wine.
        self.x(["xdotool", "mousemove", "--window", window.id, str(x), str(y)])
        settle(0.05)
        self.x(["xdotool", "mousedown", str(button)])
        settle(0.08)
        self.x(["xdotool", "mouseup", str(button)])
        settle(0.15)

    def hover(self, window, x, y):
        self.x(["xdotool", "mousemove", "--window", window.id, str(x), str(y)])

    def keys(self, *names):
        self.x(["xdotool", "key", "--delay", "60", *names])
        settle(0.1)

    def type(self, text):
        self.x(["xdotool", "type", "--delay", "50", text])
        settle(0.05)

    def close(self, window):
        # The window manager's own shortcut (openbox and mutter alike).
        self.keys("alt+F4")

    def copy_all(self):
        """Select all and copy in the box with the focus. The keys are held
        and released one by one: a quick ctrl+a may reach an input method
        as a plain "a"."""
        self.x(["xdotool", "keydown", "Control_L", "key", "--delay", "80", "a", "c", "keyup", "Control_L"])
        settle(0.4)

    def clipboard(self, selection="clipboard"):
        done = subprocess.run(["xclip", "-o", "-selection", selection],
                              env=dict(os.environ, DISPLAY=self.session.env["DISPLAY"]),
                              capture_output=True, text=True, check=False, timeout=10)
        return done.stdout if done.returncode == 0 else None

    def set_clipboard(self, text):
        """Puts text on the clipboard; xclip stays behind to serve it, as a
        process of the session."""
        subprocess.run(["xclip", "-i", "-selection", "clipboard"], input=text, text=True, check=True, timeout=10,
                       env=dict(os.environ, DISPLAY=self.session.env["DISPLAY"], **{TAG: self.session.tag}),
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)

    # ---- The screen -----------------------------------------------------------------

    def shoot(self, window):
        # The window's own contents as the screen shows them (Xvfb keeps
        # no backing store: a window over it would show).
        done = subprocess.run(["import", "-window", window.id, "-depth", "8", "ppm:-"],
                              env=dict(os.environ, DISPLAY=self.session.env["DISPLAY"]),
                              capture_output=True, check=False, timeout=30)
        if done.returncode != 0:
            raise Failure(f"import could not take the screen: {done.stderr.decode(errors='replace')}")
        return done.stdout


class Mutter(X11):
    """GNOME's window manager on X11, as a GNOME on Xorg session has it."""
    window_manager = ["mutter", "--x11", "--replace", "--sm-disable"]
    programs = tuple(p for p in X11.programs if p != "openbox") + ("mutter",)
