"""Wayland: the program as a native Wayland client (Qt's wayland platform)
of a private, headless sway, as "nobody" (sway refuses root). Keys come
from wtype, pictures from grim, windows from `swaymsg -t get_tree`.

The headless seat has no pointer, so a journey presses a button through
its accessible action (AT-SPI), as a switch device or a screen reader
does; keys still come from the keyboard. The desktop's close is sway's
kill."""
import json
import os
import re
import time

from desktop import App, Frame, Platform, Window
from input_methods import MULTIARCH
from session import RUN_TAG, Failure, wait_for
from x11 import start_session_bus

OUTPUT = (1400, 1000)
CONFIG = f"""xwayland disable
output * resolution {OUTPUT[0]}x{OUTPUT[1]}
swaybg_command -
# Windows at their own size, as on a desktop, not tiled.
for_window [app_id=".*"] floating enable
"""


class Wayland(Platform):
    user = "nobody"
    pointer = False
    # Qt draws the focus only while the window is active, and on this
    # headless sway, whose only keyboards are wtype's short-lived virtual
    # ones, it is not after the keys.
    shows_focus = False
    accessibility = True
    programs = ("sway", "swaymsg", "wtype", "grim", "setpriv", "dbus-launch", "dbus-send", "at-spi-bus-launcher")
    python_modules = ("pyatspi",)

    @classmethod
    def needs(cls, variant):
        programs, modules, files = super().needs(variant)
        files.append(f"/usr/lib/{MULTIARCH}/qt6/plugins/platforms/libqwayland-generic.so")
        return programs, modules, files

    def start(self):
        session = self.session
        config = session.path("sway.config")
        with open(config, "w", encoding="utf-8") as out:
            out.write(CONFIG)
        os.chmod(config, 0o644)
        start_session_bus(session)
        session.env["SWAYSOCK"] = session.path("run", "sway.sock")
        session.spawn(["sway", "-c", config], session.path("sway.log"),
                      env={"WLR_BACKENDS": "headless", "WLR_LIBINPUT_NO_DEVICES": "1", "WLR_RENDERER": "pixman"})

        def socket():
            names = [n for n in os.listdir(session.path("run")) if n.startswith("wayland-") and not n.endswith(".lock")]
            return names and "sway" in session.run(["swaymsg", "-t", "get_version"], check=False) and names[0]
        session.env["WAYLAND_DISPLAY"] = wait_for("sway", socket, seconds=15)

    def swaymsg(self, *argv):
        return self.session.run(["swaymsg", *argv])

    # ---- The program ------------------------------------------------------------

    def launch(self, program, log, tag, env=None):
        # WAYLAND_DEBUG: the protocol log tells what the program asks of the
        # compositor. The accessibility tree is read to follow the focus.
        process = self.session.spawn([self.program_copy(program)], log, env={
            "QT_QPA_PLATFORM": "wayland", "WAYLAND_DEBUG": "client", "QT_LINUX_ACCESSIBILITY_ALWAYS_ON": "1",
            **(env or {}), RUN_TAG: tag})
        self.last_app = App(process, log, tag)
        return self.last_app

    def tree_windows(self, app):
        tree = json.loads(self.swaymsg("-t", "get_tree"))
        found = []

        def walk(node):
            if node.get("pid") == app.pid:
                found.append(node)
            for child in node.get("nodes", []) + node.get("floating_nodes", []):
                walk(child)
        walk(tree)
        return found

    def windows(self, app):
        return [Window(str(n["id"]), n["rect"]["x"] + n["window_rect"]["x"], n["rect"]["y"] + n["window_rect"]["y"],
                       n["window_rect"]["width"], n["window_rect"]["height"]) for n in self.tree_windows(app)]

    def node(self, app, window):
        """sway's record of the window (border, fullscreen_mode, focused...)."""
        return next((n for n in self.tree_windows(app) if str(n["id"]) == window.id), None)

    def window_name(self, window):
        node = next((n for n in self.tree_windows(self.app_of(window)) if str(n["id"]) == window.id), None)
        return node and node.get("name")

    def app_of(self, window):
        return self.last_app

    def frame(self, app, window):
        node = self.node(app, window)
        with open(app.log, encoding="utf-8", errors="replace") as log:
            requests = re.findall(r"xdg_toplevel[@#][0-9]+\.(set_m(?:in|ax)_size)\(([0-9]+), ([0-9]+)\)", log.read())
        size = (str(window.w), str(window.h))
        told = {name for name, w, h in requests if (w, h) == size}
        # A window without sway's frame whose whole rectangle is its client
        # area: no frame drawn by Qt either.
        bare = node["border"] == "csd" and (node["rect"]["width"], node["rect"]["height"]) == (window.w, window.h)
        return Frame(decorated=not bare and node["border"] == "normal",
                     fixed=told == {"set_min_size", "set_max_size"}, maximisable=False,
                     detail=f"sway border {node['border']}, rect {node['rect']}, told {sorted(requests)}")

    def fullscreen(self, app, window):
        """sway's full screen and back: the window returns at its size."""
        self.swaymsg(f"[con_id={window.id}]", "fullscreen", "enable")
        wait_for("sway's full screen", lambda: (lambda n: n and n["fullscreen_mode"] == 1
                                                and n["window_rect"]["width"] == OUTPUT[0])(self.node(app, window)))
        time.sleep(1)      # time to answer it
        self.swaymsg(f"[con_id={window.id}]", "fullscreen", "disable")
        wait_for(f"the window back at {window.w}x{window.h} after full screen", lambda: (
            lambda n: n and n["fullscreen_mode"] == 0 and (n["window_rect"]["width"], n["window_rect"]["height"])
            == (window.w, window.h))(self.node(app, window)))
        wait_for("the focus back on the window", lambda: self.focused(window), seconds=5)

    def focused(self, window):
        tree = json.loads(self.swaymsg("-t", "get_tree"))
        stack = [tree]
        while stack:
            node = stack.pop()
            if str(node.get("id")) == window.id:
                return bool(node.get("focused"))
            stack += node.get("nodes", []) + node.get("floating_nodes", [])
        return False

    # ---- Input ----------------------------------------------------------------------

    def click(self, window, x, y, button=1):
        raise Failure("the headless seat has no pointer")

    def wtype(self, *argv):
        # Each call is a new virtual keyboard: the leading pause lets the
        # program take it before the first key.
        self.session.run(["wtype", "-s", "400", *argv, "-s", "200"])

    def keys(self, *names):
        argv = []
        for name in names:
            *modifiers, key = name.split("+")
            for modifier in modifiers:
                argv += ["-M", {"alt": "alt", "ctrl": "ctrl", "shift": "shift"}[modifier]]
            argv += ["-k", key]
            for modifier in modifiers:
                argv += ["-m", {"alt": "alt", "ctrl": "ctrl", "shift": "shift"}[modifier]]
            argv += ["-s", "60"]
        self.wtype(*argv)

    def type(self, text):
        self.wtype("-d", "40", text)

    def close(self, window):
        self.swaymsg(f"[con_id={window.id}]", "kill")

    # ---- The screen -----------------------------------------------------------------

    def shoot(self, window):
        return self.session.run(["grim", "-t", "ppm", "-g", f"{window.x},{window.y} {window.w}x{window.h}", "-"],
                                binary=True)
