#!/usr/bin/env python3
"""Starts the real program with the accessibility bus on and walks what a
screen reader sees: every visible control that can be pressed has a name in
the session's language, a real role and an action; pressing Open through its
action brings up the file dialog. Run inside a private D-Bus session."""
import os, re, shutil, subprocess, sys, tempfile, time

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


def key(*keys):
    subprocess.run(["xdotool", "key", "--clearmodifiers", *keys], check=True)


def type_text(text):
    subprocess.run(["xdotool", "type", "--delay", "20", text], check=True)


def named(window, role, prefix):
    return next((n for n in walk(window) if n.getRoleName() == role and n.name.startswith(prefix)
                 and n.getState().contains(pyatspi.STATE_SHOWING)), None)


def focused(window):
    return next((n for n in walk(window) if n.getState().contains(pyatspi.STATE_FOCUSED)), None)


def tab_to(window, prefix):
    for _ in range(60):
        node = until("a focused control", lambda: focused(window), 10)
        if node.name.startswith(prefix):
            return node
        before = node.name
        key("Tab")
        until("the focus to move", lambda: (focused(window) or node).name != before or None, 10)
    sys.exit(f"FAIL: Tab never reaches {prefix!r}")


def type_cell(window, cell, text, expect):
    tab_to(window, cell)
    key("Return")
    until("the typed-time editor", lambda: named(window, "text", cell))
    key("ctrl+a")
    type_text(text)
    key("Return")
    until(f"{cell} to read {expect}", lambda: named(window, "label", f"{cell} {expect}"))


def keyboard_road(window, home):
    """The open dialog is up: finish opening, mark 2 s to 5 s by typed times
    reached with Tab, save by Ctrl+S, and read the saved file back."""
    import wave
    song = os.path.join(home, "tone.wav")
    with wave.open(song, "wb") as out:
        out.setnchannels(1); out.setsampwidth(2); out.setframerate(8000)
        out.writeframes(b"\x00\x10\x00\xf0" * 4000 * 10)
    type_text(song)
    key("Return")
    strip = until("the timeline after the decode", lambda: named(window, "slider", "Timeline"), 60)
    until("the timeline's length", lambda: strip.queryValue().maximumValue >= 9000)
    until("the spoken open", lambda: named(window, "status bar", "Opened"))
    type_cell(window, "Selection begin", "2", "00:00:02")
    type_cell(window, "Selection end", "5", "00:00:05")
    assert "00:00:02" in strip.description and "00:00:05" in strip.description, strip.description
    target = os.path.join(home, "ring.wav")
    key("ctrl+s")
    until("the save dialog", lambda: any(w.getRoleName() == "dialog" and w.getState().contains(pyatspi.STATE_SHOWING)
                                        for w in application(child.pid)))
    key("ctrl+a")
    type_text(target)
    key("Return")
    until("the saved ringtone", lambda: os.path.exists(target) and os.path.getsize(target) > 0, 60)
    with wave.open(target) as saved:
        seconds = saved.getnframes() / saved.getframerate()
    assert abs(seconds - 3.0) < 0.05, f"saved {seconds} s, not 3"
    print("keyboard road: saved", seconds, "s")


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
    if lang.startswith("en"):
        keyboard_road(window, home)
finally:
    child.terminate()
    try:
        child.wait(10)
    except subprocess.TimeoutExpired:
        child.kill()
    shutil.rmtree(home, ignore_errors=True)
print("PASS")
