"""The program as a screen reader meets it: its accessibility tree read
through AT-SPI (pyatspi, the library Orca itself reads it with), and Orca,
the screen reader, run for real with everything it says written down."""
import os
import re
import subprocess
import time

from session import RUN_TAG, Failure, wait_for

_pyatspi = None


def atspi(session):
    """pyatspi, on the session's accessibility bus. (The bus is found
    through the session bus when the module is first loaded: one session a
    process.)"""
    global _pyatspi  # pylint: disable=global-statement
    if _pyatspi is None:
        os.environ["DBUS_SESSION_BUS_ADDRESS"] = session.env["DBUS_SESSION_BUS_ADDRESS"]
        os.environ.pop("AT_SPI_BUS_ADDRESS", None)
        import pyatspi  # pylint: disable=import-outside-toplevel
        _pyatspi = pyatspi
    return _pyatspi


# The name AT-SPI gives the push-button role, by the version of libatspi
# that answers: at-spi2-core 2.53.1 renamed it from "push button"
# (Debian 12: 2.46) to "button" (Debian 13: 2.56).
PUSH_BUTTON_NAMES = [((2, 53, 1), "button"), ((0,), "push button")]


def libatspi_version():
    """The upstream version of the installed libatspi, from its package."""
    owner = subprocess.run(["dpkg-query", "-S", "*/libatspi.so.0"], check=True, capture_output=True,
                           text=True).stdout
    version = subprocess.run(["dpkg-query", "-W", "-f=${Version}", owner.split(":")[0]], check=True,
                             capture_output=True, text=True).stdout
    upstream = re.match(r"(?:\d+:)?(\d+(?:\.\d+)*)", version)
    if not upstream:
        raise Failure(f"cannot read the version {version!r} of libatspi")
    return tuple(int(n) for n in upstream.group(1).split("."))


def push_button_role():
    version = libatspi_version()
    return next(name for since, name in PUSH_BUTTON_NAMES if version >= since)


class Tree:
    """The accessibility tree of one start of the program."""

    def __init__(self, session, app):
        self.a = atspi(session)
        self.app = app
        self.button = push_button_role()

    def root(self):
        desktop = self.a.Registry.getDesktop(0)

        def ours():
            return next((a for a in self.children(desktop) if a.get_process_id() == self.app.pid), None)
        return wait_for("the program on the accessibility bus", ours, seconds=20)

    @staticmethod
    def children(obj):
        return [c for c in obj if c is not None]

    def walk(self, obj):
        yield obj
        for child in self.children(obj):
            yield from self.walk(child)

    def states(self, obj):
        return {self.a.stateToString(s) for s in obj.getState().getStates()}

    def window(self, name):
        """A top-level window by its name: Qt's window role is AT-SPI's frame."""
        return wait_for(f"the window {name!r} in the accessibility tree", lambda: next(
            (w for w in self.children(self.root()) if w.name == name and w.getRoleName() == "frame"), None))

    def find(self, root, role, name):
        """The shown object of that role (None: any) and name."""
        for obj in self.walk(root):
            if (role is None or obj.getRoleName() == role) and obj.name == name and "showing" in self.states(obj):
                return obj
        return None

    def focused(self, root):
        """The focused object under root, if any."""
        return next((o for o in self.walk(root) if "focused" in self.states(o)), None)

    def actions(self, obj):
        action = obj.queryAction()
        return [action.getName(i) for i in range(action.nActions)]

    def act(self, obj, action):
        names = self.actions(obj)
        if action not in names:
            raise Failure(f"{obj.getRoleName()} {obj.name!r} offers no {action} action: {names}")
        obj.queryAction().doAction(names.index(action))


class Orca:
    """The screen reader, headless, with its debug log: every utterance is
    written there before Orca looks for a voice, so no sound is needed.
    Orca tells Qt that a screen reader is on (org.a11y.Status), so the
    program joins the accessibility bus as on a real desktop."""

    def __init__(self, session, folder):
        self.session, self.folder = session, folder
        self.log = os.path.join(folder, "orca-debug.log")
        self.process = None
        self.run = f"{session.tag}-orca"

    def start(self):
        settings = os.path.join(self.folder, "orca-settings")
        os.makedirs(settings, exist_ok=True)
        # Orca's own hook for a user's customizations: its debug log written
        # line by line, so that what it has said can be read while it runs.
        with open(os.path.join(settings, "orca-customizations.py"), "w", encoding="utf-8") as out:
            out.write("import orca.debug\nif orca.debug.debugFile:\n"
                      "    orca.debug.debugFile.reconfigure(line_buffering=True)\n")
        self.session.give(self.folder, settings)
        if os.path.exists(self.log):
            os.remove(self.log)
        self.process = self.session.spawn(
            ["orca", "--debug-file", self.log, "-u", settings], os.path.join(self.folder, "orca.log"),
            env={"GSETTINGS_BACKEND": "memory", RUN_TAG: self.run})
        wait_for("Orca to say that the screen reader is on", lambda: "Screen reader on." in self.said(),
                 seconds=30, interval=0.3)

    def said(self):
        """Everything Orca has said so far, one utterance an item."""
        try:
            with open(self.log, encoding="utf-8", errors="replace") as log:
                text = log.read()
        except FileNotFoundError:
            return []
        return re.findall(r"SPEECH OUTPUT: '((?:[^'\\]|\\.)*)'", text)

    def stop(self):
        if self.process and self.process.poll() is None:
            self.process.terminate()
            try:
                self.process.wait(timeout=5)
            except subprocess.TimeoutExpired:
                self.process.kill()
        self.session.stop(self.run)
        time.sleep(0.2)
