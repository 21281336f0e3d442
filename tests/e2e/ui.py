"""What a journey does and sees, on whichever platform it runs: the program
started, its windows found by their size, controls pressed by the
layout's positions (or, without a pointer, by Tab and Space), pictures of
the windows read at the layout's pixels, and the program's end."""
import os
import time

import layout
from desktop import require, settle
from picture import Picture
from session import Failure, wait_for


class UI:
    def __init__(self, platform, program, work, name, env=None):
        self.platform, self.program, self.work, self.name = platform, program, work, name
        self.env = env or {}          # for every start of the program
        self.scale = platform.variant.scale
        self.app = None
        self.title = self.main = None
        self.starts = 0
        self.tree = None
        self.pictures = []

    # ---- The program ------------------------------------------------------------

    def launch(self, program=None, env=None):
        """Starts the program (another one than the journey's, if given) and
        waits for its title window."""
        self.starts += 1
        log = os.path.join(self.work, f"program-{self.starts}.log")
        tag = f"{self.platform.session.tag}-{self.name}-{self.starts}"
        self.app = self.platform.launch(program or self.program, log, tag, {**self.env, **(env or {})})
        self.tree = None
        self.title = self.wait_window(layout.TITLE_SIZE, "the title window", seconds=30)
        self.main = None
        return self.title

    def accessible(self):
        """The running program's accessibility tree."""
        if self.tree is None:
            from reader import Tree  # pylint: disable=import-outside-toplevel
            self.tree = Tree(self.platform.session, self.app)
        return self.tree

    def expect_exit(self, what, status=0, seconds=10):
        wait_for(f"the program's end after {what}", lambda: not self.app.running(), seconds=seconds)
        require(self.app.status == status, f"exit status {self.app.status} after {what}, expected {status}")
        self.title = self.main = None

    def kill(self):
        """Whatever of this start still runs (after a failure)."""
        if self.app is not None:
            if self.app.running():
                self.app.process.kill()
                self.app.process.wait()
            self.platform.session.stop(self.app.tag)

    # ---- Windows ------------------------------------------------------------------

    def device_size(self, size):
        return tuple(round(n * self.scale) for n in size)

    def windows(self):
        return self.platform.windows(self.app)

    def wait_window(self, size, what, seconds=10, exclude=()):
        """The program's window of that layout size, not one of exclude."""
        wanted = self.device_size(size)
        excluded = {w.id for w in exclude if w}

        def found():
            if not self.app.running():
                raise Failure(f"the program ended (status {self.app.status}) while waiting for {what}")
            return next((w for w in self.windows() if w.id not in excluded
                         and abs(w.w - wanted[0]) <= 1 and abs(w.h - wanted[1]) <= 1), None)
        window = wait_for(f"{what} ({wanted[0]}x{wanted[1]}); windows: {self.windows()}", found, seconds=seconds)
        self.platform.window_shown(window)
        return window

    def wait_gone(self, window, what, seconds=5):
        wait_for(what, lambda: window.id not in {w.id for w in self.windows()}, seconds=seconds)

    def other_windows(self):
        known = {w.id for w in (self.title, self.main) if w}
        return [w for w in self.windows() if w.id not in known]

    def shoot(self, window, name):
        """A picture of the window as it is on the screen, kept in the work
        folder as NAME.png."""
        fresh = next((w for w in self.windows() if w.id == window.id), None)
        require(fresh is not None, f"the window {window.id} has gone ({name})")
        picture = Picture.from_ppm(self.platform.shoot(fresh), self.scale)
        picture.keep(os.path.join(self.work, f"{name}.png"))
        self.pictures.append(picture.path)
        return picture

    def wait_picture(self, window, name, what, condition, seconds=10):
        """Pictures of the window until one meets the condition."""
        shots = []

        def taken():
            shots.append(self.shoot(window, name))
            return condition(shots[-1]) and shots[-1]
        try:
            return wait_for(what, taken, seconds=seconds, interval=0.3, tolerate=())
        except Failure as failure:
            raise Failure(f"{failure}: see {shots[-1].path if shots else 'no picture'}") from None

    # ---- Input ----------------------------------------------------------------------

    def at(self, window, x, y):
        """Device pixels of the layout point (x, y) in the window."""
        return round((x + 0.5) * self.scale), round((y + 0.5) * self.scale)

    def click(self, window, x, y):
        self.platform.click(window, *self.at(window, x, y))

    def press(self, control, window=None):
        """Presses a button or puts the focus into a box: a click on it, or
        where there is no pointer, its accessible action (Press, or SetFocus
        for a box), as a switch device or a screen reader presses it."""
        window = window or self.main
        if self.platform.pointer:
            self.click(window, *control.centre)
            return
        tree = self.accessible()
        frame = tree.window(layout.MAIN_NAME if window is self.main else layout.TITLE_NAME)
        obj = wait_for(f"{control.name} ({control.accessible!r}) shown in the accessibility tree",
                       lambda: tree.find(frame, None, control.accessible))
        tree.act(obj, "SetFocus" if control.name.startswith("Text") else "Press")
        settle(0.3)

    def keys(self, *names):
        self.platform.keys(*names)

    def type(self, text):
        self.platform.type(text)

    def enter(self, *texts):
        """Each text typed into the box with the focus, then Enter."""
        for text in texts:
            self.type(text)
            self.keys("Return")

    # ---- Steps of many journeys -----------------------------------------------------

    def start(self):
        """開始 on the title window: the main window, painted."""
        if self.title is None:
            self.launch()
        if self.platform.pointer:
            self.click(self.title, *layout.START.centre)
        else:
            self.keys("Return")                # 開始 has the focus
        self.main = self.wait_window(layout.MAIN_SIZE, "the main window after 開始", exclude=[self.title])
        self.wait_picture(self.main, "main", "the main window painted navy", lambda p: p.count(
            400, 300, 40, 40, layout.NAVY) == 1600)
        return self.main

    def enter_worked_example(self):
        """Both era groups on 西暦, the worked example's entries each
        committed with Enter; 決定 then has the focus."""
        self.press(layout.BIRTH_ERAS["西暦"])
        self.enter(*layout.WORKED_EXAMPLE_BIRTH)
        self.press(layout.TARGET_ERAS["西暦"])
        self.enter(*layout.WORKED_EXAMPLE_TARGET)

    def decide(self, name="chart"):
        """Enter on 決定: the chart, drawn (yellow axis at (50,400)) in the
        main window alone."""
        self.keys("Return")
        shot = self.wait_picture(self.main, name, "a chart after 決定 (yellow axis at (50,400))",
                                 lambda p: p.has(50, 400, layout.YELLOW))
        require(not self.other_windows(), f"a window besides the two after 決定 (the input error?): {self.windows()}")
        return shot

    def close_main(self, by="icon"):
        """Closes the main window with its knob icon or the desktop's close:
        the title window stays, the program goes on."""
        if by == "icon":
            self.click(self.main, *layout.CLOSE.centre)
        else:
            self.platform.close(self.main)
        self.wait_gone(self.main, f"the main window closing ({by})")
        require(self.title.id in {w.id for w in self.windows()}, "the title window went away with the main window")
        require(self.app.running(), "the program ended when the main window closed")
        self.main = None

    def quit(self):
        """Ends the program as its user does: the main window closed, then
        the exit icon (or, without a pointer, the desktop's close of the
        title window); it must end with status 0."""
        if self.main is not None:
            self.close_main("icon" if self.platform.pointer else "desktop")
        if self.platform.pointer:
            self.click(self.title, *layout.EXIT.centre)
            self.expect_exit("the exit icon")
        else:
            self.platform.close(self.title)
            self.expect_exit("the desktop's close of the title window")

    def log(self, message):
        print(f"[{self.name}] {message}", flush=True)


def pause(seconds):
    settle(seconds)


def monotonic():
    return time.monotonic()
