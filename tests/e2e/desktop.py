"""What every platform offers the journeys, and the names of the platforms.

A platform is named like "x11", "x11@1.5", "x11+ibus" or "wine+fcitx5":
the desktop (x11 with openbox, mutter, wayland, wine), then optionally an
input method and a display scale. Platforms of one desktop and input
method share one session (display, buses, Wine prefix); the scale is set
for each start of the program.
"""
import os
import re
import subprocess
import time
from dataclasses import dataclass

from session import Failure


@dataclass
class Window:
    id: str
    x: int           # the client area on the screen, device pixels
    y: int
    w: int
    h: int


@dataclass
class Frame:
    """How the desktop frames a window."""
    decorated: bool      # a frame with a title bar around it
    fixed: bool          # its minimum and maximum size are its size: no resizing
    maximisable: bool    # the desktop offers to maximise it
    detail: str = ""     # what the platform read, for the failure's message


class App:
    """One start of the program."""

    def __init__(self, process, log, tag):
        self.process, self.log, self.tag = process, log, tag
        self.status = None

    @property
    def pid(self):
        return self.process.pid

    def running(self):
        if self.status is None and self.process.poll() is not None:
            self.status = self.process.returncode
        return self.status is None



@dataclass(frozen=True)
class Variant:
    desktop: str
    input_method: str = None
    scale: float = 1.0

    @classmethod
    def parse(cls, name):
        found = re.fullmatch(r"([a-z0-9]+)(?:\+([a-z0-9]+))?(?:@([0-9.]+))?", name)
        if not found:
            raise ValueError(f"not a platform name: {name}")
        return cls(found.group(1), found.group(2), float(found.group(3) or 1))

    @property
    def session_name(self):
        """The session it runs in: the scale does not need one of its own."""
        return self.desktop + (f"+{self.input_method}" if self.input_method else "")


class Platform:
    """How one desktop starts, runs the program, takes input and shows
    what is on the screen. Subclasses fill in the rest."""

    user = None                 # the session's user; "nobody" where a program refuses root
    pointer = True              # a pointer to click with
    windows_program = False     # runs biorhythm.exe, not the Linux program
    accessibility = False       # the accessibility bus, read with pyatspi
    shows_focus = True          # the chart's focus frame shows after the journey's keys
    # What its tests need, checked when CMake configures them.
    programs = ()
    python_modules = ()

    def __init__(self, session, variant):
        self.session, self.variant = session, variant

    @classmethod
    def needs(cls, variant):
        return list(cls.programs), list(cls.python_modules), []

    # ---- The session ----------------------------------------------------------

    def start(self):
        """Starts what the session needs (display, window manager, buses,
        input method); every process through self.session."""
        raise NotImplementedError

    # ---- The program ------------------------------------------------------------

    def launch(self, program, log, tag, env=None):
        """Starts the program; returns its App."""
        raise NotImplementedError

    def windows(self, app):
        """The program's visible top-level windows."""
        raise NotImplementedError

    def window_shown(self, window):
        """Called when a journey first finds a window (Wine without a window
        manager has to be given the focus)."""

    def focused(self, window):
        """Whether the window has the keyboard focus, or None where the
        platform cannot tell."""
        return None

    def window_name(self, window):
        """The window's title as the desktop has it."""
        raise NotImplementedError

    def frame(self, app, window):
        """The window's Frame."""
        raise NotImplementedError

    # ---- Input --------------------------------------------------------------------

    def click(self, window, x, y, button=1):
        """A click at device pixels (x, y) of the window's client area."""
        raise NotImplementedError

    def keys(self, *names):
        """Key presses, by X keysym names (Return, Tab, space, alt+F4)."""
        raise NotImplementedError

    def type(self, text):
        raise NotImplementedError

    def close(self, window):
        """The desktop's own command to close a window (Alt+F4, a
        compositor's close)."""
        raise NotImplementedError

    def clipboard(self):
        """The clipboard's text, or None."""
        return None

    def results_delivered(self, app):
        """Where the platform's input method can lose a confirmed
        composition before the program sees it: how many it has handed
        the program so far. None where it cannot (wine.py says why)."""
        return None

    # ---- The screen -----------------------------------------------------------

    def shoot(self, window):
        """A binary PPM of the window's client area, as it is on the screen."""
        raise NotImplementedError

    # ---- Helpers for the platforms ------------------------------------------------

    def program_copy(self, program):
        """The program where the session's user can run it: the harness's
        build folders may be closed to other users."""
        if not self.user:
            return program
        folder = self.session.path("program")
        copy = os.path.join(folder, os.path.basename(program))
        if not os.path.exists(copy) or os.path.getmtime(copy) < os.path.getmtime(program):
            os.makedirs(folder, exist_ok=True)
            source = os.path.dirname(program) if self.windows_program else program
            subprocess.run(["cp", "-a", "-T" if self.windows_program else "--", source,
                            folder if self.windows_program else copy], check=True)
            subprocess.run(["chmod", "-R", "a+rX", folder], check=True)
            self.session.give(folder)
        return copy


def settle(seconds):
    """A pause for the desktop to catch up with input (a real user's pace)."""
    time.sleep(seconds)


def require(condition, message):
    if not condition:
        raise Failure(message)
