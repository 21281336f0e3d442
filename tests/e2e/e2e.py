#!/usr/bin/python3
"""The end-to-end harness: the real program, driven and read on a real
desktop, one journey at a time.

  e2e.py list [--windows]           every "JOURNEY PLATFORM" pair, one a line
  e2e.py needs PLATFORM             what the platform's tests need, for CMake
  e2e.py session start|stop PLATFORM DIR
                                    a platform's session (display, buses, ...)
                                    kept in DIR for the journeys that share it
  e2e.py run JOURNEY PLATFORM --program PATH [--session DIR] [--work DIR]
             [--setup SETUP.exe --zip ZIP]
                                    one journey; without --session in a
                                    session of its own, ended afterwards
  e2e.py within PLATFORM -- COMMAND...
                                    COMMAND on the platform's display and
                                    buses, in a session of its own; its status

journeys.py holds the journeys; desktop.py names the platforms; x11.py,
wayland.py and wine.py are the platforms. A failing journey keeps its
pictures and the program's output in its work folder and names them.
"""
import argparse
import os
import shutil
import subprocess
import sys
import tempfile
import traceback

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
sys.dont_write_bytecode = True          # nothing written into the sources

from desktop import Variant                    # noqa: E402
from journeys import JOURNEYS                  # noqa: E402
from picture import to_png                     # noqa: E402
from session import Failure, Session           # noqa: E402
from ui import UI                              # noqa: E402
from wayland import Wayland                    # noqa: E402
from wine import Wine                          # noqa: E402
from x11 import X11, Mutter                    # noqa: E402

DESKTOPS = {"x11": X11, "mutter": Mutter, "wayland": Wayland, "wine": Wine}


def platform_class(variant):
    try:
        return DESKTOPS[variant.desktop]
    except KeyError:
        raise SystemExit(f"e2e.py: no desktop {variant.desktop!r}; there are {sorted(DESKTOPS)}") from None


def make_platform(session, variant):
    platform = platform_class(variant)(session, variant)
    session.user = platform.user
    return platform


def start_session(name, folder):
    variant = Variant.parse(name)
    session = Session(folder, variant.session_name)
    platform = make_platform(session, variant)
    session.create()
    try:
        platform.start()
    except BaseException:
        session.stop()
        raise
    session.save()
    return session


def command_list(args):
    """Grouped by session, so that each session's journeys run together."""
    pairs = [(name, platform) for name, (_, platforms) in JOURNEYS.items() for platform in platforms
             if platform_class(Variant.parse(platform)).windows_program == args.windows]
    sessions = list(dict.fromkeys(Variant.parse(platform).session_name for _, platform in pairs))
    for name, platform in sorted(pairs, key=lambda pair: sessions.index(Variant.parse(pair[1]).session_name)):
        print(name, platform)


def command_needs(args):
    variant = Variant.parse(args.platform)
    programs, modules, files = platform_class(variant).needs(variant)
    print(",".join(programs))
    print(",".join(modules))
    print(",".join(files))


def command_session(args):
    if args.action == "start":
        session = start_session(args.platform, args.dir)
        print(f"session {session.platform} in {session.folder}: {session.env.get('DISPLAY') or ''}"
              f"{session.env.get('WAYLAND_DISPLAY') or ''}")
    else:
        try:
            session = Session.load(args.dir)
        except Failure:
            return
        session.stop()
        shutil.rmtree(args.dir, ignore_errors=True)


def command_run(args):
    if args.journey not in JOURNEYS:
        raise SystemExit(f"e2e.py: no journey {args.journey!r}; there are {sorted(JOURNEYS)}")
    function, platforms = JOURNEYS[args.journey]
    if args.platform not in platforms:
        print(f"note: {args.journey} is not meant for {args.platform} (it runs on {', '.join(platforms)})")
    variant = Variant.parse(args.platform)
    name = f"{args.journey}.{args.platform}"
    work = args.work or tempfile.mkdtemp(prefix=f"biorhythm-e2e-{name}-")
    os.makedirs(work, exist_ok=True)
    os.chmod(work, 0o755)            # a session of another user's lives in it, or writes to it
    own = args.session is None
    session = start_session(args.platform, os.path.join(work, "session")) if own else Session.load(args.session)
    platform = make_platform(session, variant)
    if session.user:
        session.give(work)
    ui = UI(platform, os.path.abspath(args.program), work, name, dict(e.split("=", 1) for e in args.env))
    ui.artefacts = {"setup": args.setup, "zip": args.zip, "out": args.out}
    passed = False
    try:
        function(ui)
        passed = True
    except Failure as failure:
        print(f"FAIL [{name}]: {failure}", file=sys.stderr)
    except Exception:  # pylint: disable=broad-except
        print(f"FAIL [{name}]: the harness broke:", file=sys.stderr)
        traceback.print_exc()
    finally:
        ui.kill()
        if own:
            session.stop()
    if passed:
        print(f"PASS [{name}]")
        if not args.work:
            shutil.rmtree(work, ignore_errors=True)
        return 0
    to_png(work)
    print(f"[{name}] pictures and logs kept in {work}:", file=sys.stderr)
    for path in ui.pictures[-6:]:
        print(f"  picture: {path}", file=sys.stderr)
    for start in range(1, ui.starts + 1):
        log = os.path.join(work, f"program-{start}.log")
        output = open(log, encoding="utf-8", errors="replace").read() if os.path.exists(log) else ""
        lines = [line for line in output.splitlines() if not line.startswith("[")]   # not Wayland's protocol log
        if lines:
            print(f"  program output ({log}):", file=sys.stderr)
            for line in lines[-30:]:
                print(f"    {line}", file=sys.stderr)
    return 1


def command_within(args):
    command = args.command_line[1:] if args.command_line[:1] == ["--"] else args.command_line
    if not command:
        raise SystemExit("e2e.py within: no command")
    folder = tempfile.mkdtemp(prefix="biorhythm-within-")
    session = start_session(args.platform, os.path.join(folder, "session"))
    env = dict(os.environ)
    for name in ("WAYLAND_DISPLAY", "AT_SPI_BUS_ADDRESS", "DISPLAY", "DBUS_SESSION_BUS_ADDRESS"):
        env.pop(name, None)
    env.update({k: v for k, v in session.env.items()
                if k in ("DISPLAY", "DBUS_SESSION_BUS_ADDRESS", "XDG_RUNTIME_DIR", "WAYLAND_DISPLAY")})
    try:
        return subprocess.run(command, env=env, check=False).returncode
    finally:
        session.stop()
        shutil.rmtree(folder, ignore_errors=True)


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    commands = parser.add_subparsers(dest="command", required=True)
    listing = commands.add_parser("list")
    listing.add_argument("--windows", action="store_true", help="the Windows program's platforms")
    needs = commands.add_parser("needs")
    needs.add_argument("platform")
    session = commands.add_parser("session")
    session.add_argument("action", choices=["start", "stop"])
    session.add_argument("platform")
    session.add_argument("dir")
    run = commands.add_parser("run")
    run.add_argument("journey")
    run.add_argument("platform")
    run.add_argument("--program", required=True)
    run.add_argument("--session")
    run.add_argument("--work")
    run.add_argument("--setup")
    run.add_argument("--zip")
    run.add_argument("--out", help="where the screenshots journey puts its pictures")
    run.add_argument("--env", action="append", default=[], metavar="NAME=VALUE",
                     help="for every start of the program (WINEDEBUG=+imm, QT_LOGGING_RULES=...)")
    within = commands.add_parser("within")
    within.add_argument("platform")
    within.add_argument("command_line", nargs=argparse.REMAINDER)
    args = parser.parse_args()
    handler = {"list": command_list, "needs": command_needs, "session": command_session, "run": command_run,
               "within": command_within}
    sys.exit(handler[args.command](args) or 0)


if __name__ == "__main__":
    main()
