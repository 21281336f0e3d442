"""Windows under Wine: the Windows program (biorhythm.exe and what ships
beside it) in a Wine prefix of the session's own, on a private Xvfb,
driven with xdotool like X11. Differences from X11, all here:

- no window manager: Wine then draws no frames and never learns which
  window has the focus, so every window the journey finds is given the X
  focus, as clicking it would on Windows;
- Wine keeps environment variables named QT_* from a Windows program;
  Windows reads names case-insensitively, so they are passed as Qt_*;
- a Japanese locale (ja_JP.UTF-8, compiled into the session's folder if
  the system has none), as a Japanese Windows has: Wine's IME support
  draws the composition inside the program's box only there;
- the display scale is Windows' own: LogPixels 144 is 150 %;
- the desktop's close is Alt+F4, which Windows' default window procedure
  turns into the window's close;
- an input method reaches the program over XIM.
"""
import os
import subprocess

from desktop import App, settle
from session import RUN_TAG, Failure, wait_for
from x11 import X11

# No Mono or Gecko prompts; no Linux menu entries made from the Start
# menu's shortcuts (Wine's own desktop integration, not Windows').
PREFIX_ENV = {"WINEDEBUG": "-all", "WINEDLLOVERRIDES": "mscoree,mshtml=;winemenubuilder.exe=d"}


class Wine(X11):
    window_manager = None
    accessibility = False        # Wine 8's UI Automation cannot read Qt's tree
    windows_program = True
    programs = ("Xvfb", "xdotool", "xprop", "xwininfo", "import", "convert", "xclip", "dbus-launch", "wine", "wineboot",
                "wineserver", "localedef")
    python_modules = ()

    def start(self):
        super().start()
        self.japanese_locale()
        prefix = self.session.path("prefix")
        self.session.env.update(PREFIX_ENV, WINEPREFIX=prefix)
        # The prefix is made without a display (no windows of its own), by
        # the session's user, who must own it; then a wineserver that stays
        # for the journeys.
        self.session.run(["wineboot", "-i"], env={"DISPLAY": None}, timeout=300)
        self.session.run(["wineserver", "-w"], timeout=300)
        self.session.spawn(["wineserver", "-p", "-f"], self.session.path("wineserver.log"))
        # The first program on the display starts Wine's services and its
        # desktop, which stay with the server: started here with their
        # output in a file, so that no later command waits for them to close
        # its pipes.
        first = self.session.spawn(["wine", "cmd", "/c", "exit"], self.session.path("wine-services.log"))
        try:
            first.wait(timeout=120)
        except subprocess.TimeoutExpired as error:
            raise Failure("Wine's first program did not end within 120 s") from error

    def japanese_locale(self):
        installed = subprocess.run(["locale", "-a"], capture_output=True, text=True, check=False).stdout.split()
        if not any(name.lower() in ("ja_jp.utf8", "ja_jp.utf-8") for name in installed):
            folder = self.session.path("locale")
            os.makedirs(folder, exist_ok=True)
            subprocess.run(["localedef", "-i", "ja_JP", "-f", "UTF-8", os.path.join(folder, "ja_JP.UTF-8")],
                           check=True, capture_output=True)
            subprocess.run(["chmod", "-R", "a+rX", folder], check=True)
            self.session.env["LOCPATH"] = folder
        self.session.env.update(LANG="ja_JP.UTF-8", LC_ALL="ja_JP.UTF-8")

    # ---- The program ------------------------------------------------------------

    def set_scale(self, scale):
        """Windows' display scale for the programs started from now on."""
        dpi = round(96 * scale)
        self.session.run(["wine", "reg", "add", r"HKCU\Control Panel\Desktop", "/v", "LogPixels", "/t", "REG_DWORD",
                          "/d", str(dpi), "/f"])

    def launch(self, program, log, tag, env=None):
        self.set_scale(self.variant.scale)
        extra = {}
        for name, value in {**self.program_env(), **(env or {})}.items():
            extra["Qt_" + name[3:] if name.startswith("QT_") else name] = value
        extra[RUN_TAG] = tag
        process = self.session.spawn(["wine", self.program_copy(program)], log, env=extra)
        return App(process, log, tag)

    def program_env(self):
        env = super().program_env()
        env.pop("QT_QPA_PLATFORM")              # Windows' own platform
        env.pop("QT_SCALE_FACTOR", None)        # the scale is Windows'
        if self.variant.input_method:
            # XIM, not a Qt input module; and Wine's trace of what its IME
            # hands the program (see results_delivered).
            env = {"XMODIFIERS": env["XMODIFIERS"], "WINEDEBUG": "+imm"}
        return env

    def results_delivered(self, app):
        """How many compositions Wine's IME has handed the program as
        results so far, from its trace.

        Wine 8 loses some compositions confirmed with Enter before they
        reach the program: fcitx5's XIM frontend sends the end of the
        composition before its commit (it holds commits back while it
        handles a key), Wine turns that end into WM_IME_ENDCOMPOSITION,
        Qt answers it with ImmNotifyIME(CPS_CANCEL) as it answers every
        end, and Wine passes the cancel on as XmbResetIC, which throws away
        the commit arriving just then. (Windows' own input methods hand
        the result over before they end the composition, and a cancel
        after the end has nothing to throw away.) A journey tells such a
        loss from one of the program's own by this count."""
        with open(app.log, encoding="utf-8", errors="replace") as log:
            return log.read().count('trace:imm:updateResultStr L"')

    def window_shown(self, window):
        self.x(["xdotool", "windowfocus", "--sync", window.id], check=False)
        settle(0.5)

    def focused(self, window):
        return None                              # Wine keeps the focus to itself

    def click(self, window, x, y, button=1):
        super().click(window, x, y, button)
        if self.variant.input_method:
            # A click that ends a composition makes Qt commit it and cancel
            # it in the input method (ImmNotifyIME CPS_CANCEL), which Wine
            # passes on as a reset of the X input context. fcitx5 sends
            # that reset's end of the composition only with the next key,
            # and Qt answers it with one more cancel: a second reset, which
            # takes whatever composition that key began. (Real Windows
            # input methods end a composition at once; there is no late
            # end to answer.) So after a click the harness taps Ctrl, a key
            # mozc ignores, for the late end to come and go first.
            self.keys("Control_L")
            settle(0.3)

    def close(self, window):
        self.window_shown(window)
        self.keys("alt+F4")

    # ---- For the installer's journey --------------------------------------------

    def run_to_end(self, argv, work, name, seconds=300):
        """A Windows program in the prefix, and whatever it starts, to their
        end (an uninstaller copies itself and runs the copy)."""
        run = f"{self.session.tag}-{name}"
        process = self.session.spawn(["wine", *argv], os.path.join(work, f"{name}.log"), env={RUN_TAG: run})
        try:
            process.wait(timeout=seconds)
        except subprocess.TimeoutExpired as error:
            raise Failure(f"{name} did not end within {seconds} s") from error
        wait_for(f"what {name} started to end", lambda: not self.session.tagged(run), seconds=seconds)
        return process.returncode

    def drive_c(self):
        return os.path.join(self.session.env["WINEPREFIX"], "drive_c")

    def profile(self):
        """The Windows user's profile folder."""
        users = os.path.join(self.drive_c(), "users")
        return os.path.join(users, next(n for n in sorted(os.listdir(users)) if n != "Public"))

    def files(self):
        """Every file on drive C:, as paths below it."""
        found = set()
        for folder, _, names in os.walk(self.drive_c()):
            found.update(os.path.relpath(os.path.join(folder, n), self.drive_c()) for n in names)
        return found

    def registry(self, work, key=None):
        """The registry (or one key of it) as regedit exports it: the text
        of a .reg file, with the server's values as they are now."""
        out = os.path.join(work, "registry.reg")
        if os.path.exists(out):
            os.remove(out)
        windows_out = "Z:" + out.replace("/", "\\")
        self.run_to_end(["regedit", "/E", windows_out] + ([key] if key else []), work, "regedit")
        if not os.path.exists(out):
            return ""
        with open(out, "rb") as exported:
            data = exported.read()
        text = data.decode("utf-16" if data[:2] in (b"\xff\xfe", b"\xfe\xff") else "utf-8", errors="replace")
        return text.replace("\r\n", "\n")

    def restart(self, work):
        """Windows' restart (wineboot -r): what was left to delete then goes."""
        self.run_to_end(["wineboot", "-r"], work, "restart")
