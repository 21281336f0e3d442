"""A session: the processes one platform needs (a display, a window manager,
buses, an input method), started once, shared by the journeys that run on
it, and ended together.

Every process a session starts carries BIORHYTHM_E2E=<tag> in its
environment. Daemons leave their parents, so following the process tree
would miss them; the tag finds them all, and stop() ends exactly those.

Some programs refuse to run as root (mozc, sway). A session can belong to
another user ("nobody"): then everything it starts runs as that user, in
its own home and runtime folders, while the harness itself stays root
(root may use that user's display, compositor and buses).
"""
import json
import os
import pwd
import re
import secrets
import shutil
import signal
import subprocess
import time

TAG = "BIORHYTHM_E2E"
RUN_TAG = "BIORHYTHM_E2E_RUN"     # what one start of the program brought along

# What the harness passes from its own environment to what it starts: the
# sanitizers' settings (ctest's asan preset sets them) and Qt's logging.
PASSED_ON = ("ASAN_OPTIONS", "UBSAN_OPTIONS", "LSAN_OPTIONS", "QT_LOGGING_RULES", "QT_MESSAGE_PATTERN")


class Failure(Exception):
    """What a journey saw go wrong; the test fails with this message."""


def wait_for(what, probe, seconds=10, interval=0.1, tolerate=Exception):
    """Calls probe until it returns something true and returns that; fails
    after `seconds`. The exceptions `tolerate` names count as "not yet"
    (windows and accessible objects come and go); Failure never does."""
    deadline = time.monotonic() + seconds
    while True:
        try:
            found = probe()
        except Failure:
            raise
        except tolerate:  # pylint: disable=broad-except
            found = None
        if found:
            return found
        if time.monotonic() > deadline:
            raise Failure(f"{what}: not within {seconds} s")
        time.sleep(interval)


class Session:
    """The folder, user and environment of one platform's session."""

    def __init__(self, folder, platform, user=None):
        self.folder = os.path.abspath(folder)
        self.platform = platform
        self.user = user                 # None: the harness's own user
        self.tag = f"{platform}-{os.getpid()}-{secrets.token_hex(4)}"
        self.env = {}                    # what the platform's processes share
        self.state = {}                  # anything else the platform keeps

    # ---- Folders ------------------------------------------------------------

    def create(self):
        """Makes the session's folder with a home and a runtime folder that
        belong to its user."""
        if os.path.exists(self.folder):
            shutil.rmtree(self.folder)
        os.makedirs(self.folder)
        os.chmod(self.folder, 0o755)
        home, run = self.path("home"), self.path("run")
        os.makedirs(home)
        os.makedirs(run, mode=0o700)
        self.give(self.folder, home, run)
        self.env.update(HOME=home, XDG_RUNTIME_DIR=run, XDG_CONFIG_HOME=os.path.join(home, ".config"),
                        PATH="/usr/local/bin:/usr/bin:/bin:/usr/sbin:/sbin", LANG="C.UTF-8")

    def path(self, *parts):
        return os.path.join(self.folder, *parts)

    def give(self, *paths):
        """Hands files and folders to the session's user."""
        if self.user and os.geteuid() == 0:
            entry = pwd.getpwnam(self.user)
            for path in paths:
                os.chown(path, entry.pw_uid, entry.pw_gid)

    def user_ids(self):
        ids = {os.geteuid()}
        if self.user:
            ids.add(pwd.getpwnam(self.user).pw_uid)
        return ids

    # ---- Running things -----------------------------------------------------

    def command(self, argv, env=None):
        """argv as it runs in the session: as its user, in a clean
        environment of the session's variables, env and the tag."""
        full = dict(self.env)
        for name in PASSED_ON:
            if name in os.environ:
                full[name] = os.environ[name]
        if self.user and "suppressions=" in full.get("LSAN_OPTIONS", ""):
            full["LSAN_OPTIONS"] = self.readable_suppressions(full["LSAN_OPTIONS"])
        full.update(env or {})
        full[TAG] = self.tag
        prefix = []
        if self.user and os.geteuid() == 0:
            prefix = ["setpriv", f"--reuid={self.user}", f"--regid={pwd.getpwnam(self.user).pw_gid}",
                      "--clear-groups"]
        return prefix + ["env", "-i"] + [f"{k}={v}" for k, v in full.items() if v is not None] + list(argv)

    def readable_suppressions(self, options):
        """LeakSanitizer's options with its suppressions file copied where
        the session's user can read it."""
        found = re.search(r"suppressions=([^:]*)", options)
        copy = self.path("lsan.supp")
        if found and os.path.exists(found.group(1)):
            if not os.path.exists(copy):
                shutil.copy(found.group(1), copy)
                os.chmod(copy, 0o644)
            options = options.replace(found.group(0), f"suppressions={copy}")
        return options

    def run(self, argv, env=None, check=True, timeout=120, binary=False):
        """Runs argv in the session to its end; returns its standard output
        (text, or bytes when binary)."""
        done = subprocess.run(self.command(argv, env), stdin=subprocess.DEVNULL, capture_output=True,
                              timeout=timeout, check=False)
        if not binary:
            # Windows programs under Wine write their console's code page.
            done.stdout, done.stderr = (done.stdout.decode(errors="replace"), done.stderr.decode(errors="replace"))
        if check and done.returncode != 0:
            error = done.stderr if not binary else done.stderr.decode(errors="replace")
            raise Failure(f"{' '.join(argv)} failed with status {done.returncode}: {error.strip()[-600:]}")
        return done.stdout

    def spawn(self, argv, log, env=None, pass_fds=()):
        """Starts argv in the session, in the background and detached from
        the harness (its own process group, its output in the file `log`),
        so that it may outlive the harness's process."""
        with open(log, "ab") as out:
            return subprocess.Popen(self.command(argv, env), stdin=subprocess.DEVNULL, stdout=out,
                                    stderr=subprocess.STDOUT, start_new_session=True, pass_fds=pass_fds)

    # ---- Ending it ----------------------------------------------------------

    def tagged(self, run=None):
        """PIDs of the live processes of the session, or of one run in it
        (those started with RUN_TAG=run)."""
        wanted = (f"{RUN_TAG}={run}" if run else f"{TAG}={self.tag}").encode()
        found = []
        uids = self.user_ids()
        for entry in os.listdir("/proc"):
            if not entry.isdigit() or int(entry) == os.getpid():
                continue
            try:
                if os.stat(f"/proc/{entry}").st_uid not in uids:
                    continue
                with open(f"/proc/{entry}/environ", "rb") as environ:
                    if wanted in environ.read().split(b"\0"):
                        found.append(int(entry))
            except OSError:
                continue
        return found

    def stop(self, run=None):
        """Ends every process of the session, or of the run: TERM, up to
        3 s, then KILL."""
        for sig, grace in ((signal.SIGTERM, 3.0), (signal.SIGKILL, 1.0)):
            pids = self.tagged(run)
            for pid in pids:
                try:
                    os.kill(pid, sig)
                except OSError:
                    pass
            deadline = time.monotonic() + grace
            while self.tagged(run) and time.monotonic() < deadline:
                time.sleep(0.05)
            if not self.tagged(run):
                return

    # ---- Kept between the harness's runs ------------------------------------

    def save(self):
        with open(self.path("session.json"), "w", encoding="utf-8") as out:
            json.dump({"platform": self.platform, "user": self.user, "tag": self.tag, "env": self.env,
                       "state": self.state}, out, indent=1, ensure_ascii=False)

    @classmethod
    def load(cls, folder):
        try:
            with open(os.path.join(folder, "session.json"), encoding="utf-8") as saved:
                data = json.load(saved)
        except OSError as error:
            raise Failure(f"no session in {folder} ({error.strerror}): its set-up test did not run or failed")
        session = cls(folder, data["platform"], data["user"])
        session.tag, session.env, session.state = data["tag"], data["env"], data["state"]
        return session
