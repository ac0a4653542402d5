#!/usr/bin/env python3
"""Starts the real program with the accessibility bus on and walks what a
screen reader sees: every visible control that can be pressed has a name in
the session's language, a real role and an action; pressing Open through its
action brings up the file dialog. Run inside a private D-Bus session."""
import os, re, subprocess, sys, tempfile, time

SKIP = 77
if not os.environ.get("DISPLAY") or not os.environ.get("DBUS_SESSION_BUS_ADDRESS"):
    print("SKIP: needs an X display and a D-Bus session bus"); sys.exit(SKIP)
try:
    import pyatspi
except ImportError:
    print("SKIP: python3-pyatspi is not installed"); sys.exit(SKIP)

program, lang = sys.argv[1], sys.argv[2]
CJK = re.compile("[\u4e00-\u9fff]")


def until(what, probe, seconds=30):
    """The probe's first true answer; the state is polled, never waited on blindly."""
    deadline = time.monotonic() + seconds
    while time.monotonic() < deadline:
        try:
            found = probe()
        except Exception:  # the tree changes under a walk
            found = None
        if found:
            return found
        time.sleep(0.05)
    sys.exit(f"FAIL: {what} within {seconds} s")


def walk(node):
    for child in node:
        if child is None:
            continue
        yield child
        yield from walk(child)


def application(pid):
    for app in pyatspi.Registry.getDesktop(0):
        if app is not None and app.get_process_id() == pid:
            return app
    return None


def main_window(app):
    for window in app:
        if window is not None and any(c.name for c in walk(window) if c.getRoleName() == "push button"):
            return window
    return None


home = tempfile.mkdtemp()
env = dict(os.environ, QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1", QT_ACCESSIBILITY="1",
           LANG=lang, LANGUAGE="", LC_ALL="", LC_MESSAGES="", HOME=home,
           XDG_CONFIG_HOME=home + "/config", XDG_CACHE_HOME=home + "/cache", KESMARIN_AUDIO="silent")
child = subprocess.Popen([program], env=env)
try:
    try:
        until("the bus registry", lambda: pyatspi.Registry.getDesktop(0) is not None, 10)
    except SystemExit:
        print("SKIP: the accessibility bus does not start here"); sys.exit(SKIP)
    app = until("the program on the accessibility bus", lambda: application(child.pid))
    window = until("the main window with its buttons", lambda: main_window(app))
    assert window.getRoleName() != "filler", "the main window is a filler"

    pressable = []
    for node in walk(window):
        states = node.getState()
        if not (states.contains(pyatspi.STATE_VISIBLE) and states.contains(pyatspi.STATE_SHOWING)):
            continue
        role = node.getRoleName()
        actions = node.queryAction() if "Action" in pyatspi.listInterfaces(node) else None
        clickable = role in ("push button", "push button menu", "check box", "toggle button", "combo box") \
            or (actions is not None and actions.nActions > 0 and role in ("filler", "unknown", "image"))
        if not clickable:
            continue
        pressable.append(node)
        label = f"{role} {node.name!r}"
        assert node.name.strip(), f"nameless {label}"
        assert role not in ("filler", "unknown"), f"{label} has no real role"
        assert actions is not None and actions.nActions > 0, f"{label} has no action"
        if not lang.startswith("zh"):
            assert not CJK.search(node.name), f"{label} is not in the session's language"
    assert len(pressable) >= 15, f"only {len(pressable)} pressable controls"
    names = [node.name for node in pressable]
    print("pressable:", ", ".join(f"{n.getRoleName()}={n.name}" for n in pressable))
    assert not any(n.name == "Text1" for n in walk(window)), "the command box is exposed"
    if lang.startswith("zh"):
        assert "最小化" in names and "退出" in names, "minimise and close are not in Chinese"

    opener = "打开媒体文件" if lang.startswith("zh") else "Open a media file"
    button = next(n for n in pressable if n.name == opener)
    action = button.queryAction()
    action.doAction([action.getName(i) for i in range(action.nActions)].index("Press"))
    dialog = until("the file dialog after Open", lambda: next(
        (w for w in application(child.pid) if w is not None and w.getRoleName() in ("dialog", "file chooser")
         and w.getState().contains(pyatspi.STATE_SHOWING)), None))
    print("opened:", dialog.getRoleName(), repr(dialog.name))
finally:
    child.terminate()
    try:
        child.wait(10)
    except subprocess.TimeoutExpired:
        child.kill()
print("PASS")
