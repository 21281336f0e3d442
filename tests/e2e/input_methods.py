"""A Japanese input method with mozc, Japanese input on in hiragana mode (as
most Japanese users type), inside a session: ibus (ibus-daemon with
ibus-mozc) or fcitx5 (fcitx5 with fcitx5-mozc). The Linux program talks to
them through their own Qt 6 input modules; the Windows program under Wine
through X's input method protocol (XIM), which Wine turns into Windows'
IME messages. mozc refuses root: the session belongs to "nobody"."""
import os
import sysconfig

from session import wait_for

MULTIARCH = sysconfig.get_config_var("MULTIARCH") or "x86_64-linux-gnu"
HELPERS = ("/usr/libexec", "/usr/lib/ibus-mozc", "/usr/lib/mozc")


def needs(framework, xim=False):
    """The programs and files a framework needs."""
    if framework == "ibus":
        return ["ibus-daemon", "ibus", "ibus-engine-mozc", "mozc_server"], []
    if framework == "fcitx5":
        files = [f"/usr/lib/{MULTIARCH}/fcitx5/fcitx5-mozc.so"]
        if xim:
            files.append(f"/usr/lib/{MULTIARCH}/fcitx5/libxim.so")
        else:
            files.append(f"/usr/lib/{MULTIARCH}/qt6/plugins/platforminputcontexts/"
                         "libfcitx5platforminputcontextplugin.so")
        return ["fcitx5", "fcitx5-remote", "mozc_server"], files
    raise ValueError(f"no input method {framework}")


def program_env(framework):
    """What a program needs in its environment to use the framework."""
    module = "fcitx" if framework == "fcitx5" else "ibus"
    return {"QT_IM_MODULE": module, "XMODIFIERS": f"@im={module}", "GTK_IM_MODULE": module}


def write(session, path, text):
    path = os.path.join(session.env["HOME"], path)
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "w", encoding="utf-8") as out:
        out.write(text)


def start(session, framework, xim=False):
    session.env["PATH"] += ":" + ":".join(HELPERS)
    session.state["input_method"] = framework
    if framework == "ibus":
        # Japanese input on as soon as mozc is the engine.
        write(session, ".config/mozc/ibus_config.textproto",
              'engines {\n  name : "mozc-jp"\n  longname : "Mozc"\n  layout : "default"\n'
              '  layout_variant : ""\n  layout_option : ""\n  rank : 80\n}\nactive_on_launch: True\n')
        own(session)
        session.run(["ibus-daemon", "--daemonize", "--replace"] + (["--xim"] if xim else []))
        wait_for("ibus to list mozc", lambda: "mozc-jp" in session.run(["ibus", "list-engine"], check=False),
                 seconds=20)
    else:
        # One group, plain keys when inactive and mozc when active; every
        # window starts active and all share one state, so that on() and
        # off() reach the program whichever of its windows has the focus.
        write(session, ".config/fcitx5/profile",
              "[Groups/0]\nName=Default\nDefault Layout=us\nDefaultIM=mozc\n\n"
              "[Groups/0/Items/0]\nName=keyboard-us\nLayout=\n\n[Groups/0/Items/1]\nName=mozc\nLayout=\n\n"
              "[GroupOrder]\n0=Default\n")
        write(session, ".config/fcitx5/config", "[Behavior]\nActiveByDefault=True\nShareInputState=All\n")
        # Over XIM the composition is drawn inside the program's box.
        write(session, ".config/fcitx5/conf/xim.conf", "UseOnTheSpot=True\n")
        own(session)
        addons = "dbus,dbusfrontend,xcb,keyboard,mozc,classicui" + (",xim" if xim else "")
        # The addons a program on X11 needs, and mozc: no tray, panel or
        # notifications looking for a desktop.
        session.spawn(["fcitx5", "--disable", "all", "--enable", addons], session.path("fcitx5.log"))
    # The first switch may come before mozc is ready.
    wait_for(f"mozc under {framework}", lambda: (on(session), current(session) in ("mozc-jp", "mozc"))[1],
             seconds=30, interval=0.3)


def own(session):
    """The configuration written as root belongs to the session's user."""
    for folder, _, files in os.walk(session.env["HOME"]):
        session.give(folder, *(os.path.join(folder, f) for f in files))


def on(session):
    """Japanese input on (mozc)."""
    if session.state["input_method"] == "fcitx5":
        session.run(["fcitx5-remote", "-o"], check=False)
    else:
        session.run(["ibus", "engine", "mozc-jp"], check=False)


def off(session):
    """Japanese input off: keys go to the program as they are."""
    if session.state["input_method"] == "fcitx5":
        session.run(["fcitx5-remote", "-c"])
        wait_for("fcitx5 off", lambda: current(session) == "keyboard-us", seconds=5)
    else:
        session.run(["ibus", "engine", "xkb:us::eng"])
        wait_for("ibus off", lambda: current(session) == "xkb:us::eng", seconds=5)


def current(session):
    """The active engine: mozc-jp or xkb:us::eng (ibus), mozc or keyboard-us (fcitx5)."""
    if session.state["input_method"] == "fcitx5":
        return session.run(["fcitx5-remote", "-n"], check=False).strip()
    return session.run(["ibus", "engine"], check=False).strip()


def switch_on(session):
    """Japanese input on, as a journey begins (the one before may have left
    it off)."""
    wait_for("Japanese input on (mozc)", lambda: (on(session), current(session) in ("mozc-jp", "mozc"))[1],
             seconds=15, interval=0.3)
