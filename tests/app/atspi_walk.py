#!/usr/bin/env python3
"""Starts the real program with the accessibility bus on and walks what a
screen reader sees: every visible control that can be pressed has a name in
the session's language, a real role and an action; pressing Open through its
action brings up the file dialog; the settings dialog is named likewise.
Then a blind user's road by keyboard and AT-SPI alone: open, play (the
timeline's value moves), mark by typed times reached with Tab, set a fade,
save, read the saved file back, and hear every result (refused, failed,
saved, cancelled) as the events a screen reader is sent. Run inside a
private D-Bus session."""
import math, os, re, shutil, signal, struct, subprocess, sys, tempfile, time, wave

SKIP = 77
if not os.environ.get("DISPLAY") or not os.environ.get("DBUS_SESSION_BUS_ADDRESS"):
    print("SKIP: needs an X display and a D-Bus session bus"); sys.exit(SKIP)
try:
    import pyatspi
    from gi.repository import GLib
except ImportError:
    print("SKIP: python3-pyatspi is not installed"); sys.exit(SKIP)

program, lang = sys.argv[1], sys.argv[2]
CHINESE = lang.startswith("zh")
CJK = re.compile("[\u4e00-\u9fff]")
# What the program says, in English and in Chinese.
WORDS = {
    "open": ("Open a media file", "打开媒体文件"),
    "play": ("Play", "播放"),
    "stop": ("Stop", "停止"),
    "save": ("Save the ringtone", "保存铃声"),
    "random": ("Cut a ringtone at random", "任意剪切铃声"),
    "settings": ("Settings", "设置"),
    "timeline": ("Timeline", "时间线"),
    "begin": ("Selection begin", "选择开始"),
    "end": ("Selection end", "选择结束"),
    "fade in": ("Seconds of fade-in", "铃声开头淡入的秒数"),
    "decoding": ("Decoding", "正在解码"),
    "saving": ("Saving", "正在保存"),
    "opened": ("Opened", "已打开"),
    "play first": ("Please play the music first", "请先播放音乐"),
    "not now": ("Not now: ", "现在不能："),
    "end first": ("Set an end first.", "请先设定结束时间。"),
    "reversed": ("The begin is after the end", "开始时间在结束时间之后"),
    "saved": ("Saved ", "已保存 "),
    "not saved": ("The ringtone was not saved", "铃声没有保存成功"),
    "cancelled": ("Cancelled", "已取消"),
    "after saving": ("After saving", "保存铃声后"),
    "chime": ("Play a chime after saving", "保存后播放提示音"),
    "loudness": ("Loudness normalising", "响度标准化"),
    "ok": ("OK", "确定"),
    "back": ("Back", "返回"),
}


def say(key):
    return WORDS[key][1 if CHINESE else 0]


# Every event a screen reader would be sent, as (kind, role, name, value).
heard = []


# The object that last took the focus, as the events tell it.
focus = [None]


def listen(event):
    if event.type.startswith("object:state-changed:focused"):
        if event.detail1:
            focus[0] = event.source
        return
    try:
        source = event.source
        if event.type.startswith("object:state-changed:"):
            value = event.detail1
        else:
            value = source.queryValue().currentValue if "Value" in pyatspi.listInterfaces(source) else None
        heard.append((event.type, source.getRoleName(), source.name, value))
    except Exception:  # the object may be gone already
        heard.append((event.type, None, None, None))


def pump():
    context = GLib.MainContext.default()
    while context.pending():
        context.iteration(False)


def until(what, probe, seconds=30, soft=False):
    """The probe's first true answer; the state is polled, never waited on
    blindly. Soft: None when it never comes."""
    deadline = time.monotonic() + seconds
    while time.monotonic() < deadline:
        pump()
        try:
            found = probe()
        except Exception:  # the tree changes under a walk
            found = None
        if found:
            return found
        time.sleep(0.02)
    if soft:
        return None
    sys.exit(f"FAIL: {what} within {seconds} s")


def spoken(text, since=0):
    """The live status line said the text: a notification renamed to what it
    says and shown afresh, which screen readers speak whatever has the focus."""
    said = until(f"the spoken {text!r}", lambda: next(
        (name for kind, role, name, _ in heard[since:]
         if kind == "object:property-change:accessible-name" and role == "notification" and text in name), None))
    until(f"the notification {text!r} shown", lambda: any(
        kind == "object:state-changed:showing" and role == "notification" and shown
        for kind, role, _, shown in heard[since:]))
    return said


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


def showing(node):
    states = node.getState()
    return states.contains(pyatspi.STATE_VISIBLE) and states.contains(pyatspi.STATE_SHOWING)


def main_window(app):
    for window in app:
        if window is not None and any(c.name for c in walk(window) if c.getRoleName() == "push button"):
            return window
    return None


def top_window(role_names, title=None):
    return next((w for w in application(child.pid) if w is not None and w.getRoleName() in role_names
                 and showing(w) and (title is None or w.name == title)), None)


def toplevel(node):
    while node is not None and node.parent is not None and node.parent.getRoleName() != "application":
        node = node.parent
    return node


def keyboard_in(window):
    """Keys go where the user sees them: wait until the window has the focus."""
    until(f"the focus in the {window.getRoleName()} {window.name!r}", lambda: focused(window))
    return window


def key(*keys):
    subprocess.run(["xdotool", "key", "--clearmodifiers", *keys], check=True)


def type_text(text):
    subprocess.run(["xdotool", "type", "--delay", "20", text], check=True)


def named(window, role, prefix):
    return next((n for n in walk(window) if n.getRoleName() == role and n.name.startswith(prefix)
                 and n.getState().contains(pyatspi.STATE_SHOWING)), None)


def press(node):
    action = node.queryAction()
    action.doAction([action.getName(i) for i in range(action.nActions)].index("Press"))


def focused(window):
    """The focused control: the last one an event named, else found by a walk."""
    node = focus[0]
    try:
        if node is not None and node.getState().contains(pyatspi.STATE_FOCUSED) and toplevel(node) == window:
            return node
    except Exception:  # gone with its dialog
        focus[0] = None
    return next((n for n in walk(window) if n.getState().contains(pyatspi.STATE_FOCUSED)), None)


def tab_to(window, prefix):
    for _ in range(80):
        node = until("a focused control", lambda: focused(window), 2, soft=True)
        if node is not None and node.name.startswith(prefix):
            return node
        before = node.name if node is not None else None
        key("Tab")
        until("the focus to move", lambda: (focused(window) or node).name != before, 5, soft=True)
    sys.exit(f"FAIL: Tab never reaches {prefix!r}")


def type_cell(window, cell, text, expect=None):
    tab_to(window, cell + " ")  # the cell, named with its time; not a button named alike
    key("Return")
    until("the typed-time editor", lambda: named(window, "text", cell))
    key("ctrl+a")
    type_text(text)
    key("Return")
    if expect:
        until(f"{cell} to read {expect}", lambda: named(window, "label", f"{cell} {expect}"))


def check_pressable(window, least):
    """Every visible control that can be pressed: named in the session's
    language, a real role, an action."""
    pressable = []
    for node in walk(window):
        if not showing(node):
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
        for text in (node.name, node.description):
            if text and CHINESE:
                assert CJK.search(text), f"{label} says {text!r}, not Chinese"
            elif text:
                assert not CJK.search(text), f"{label} says {text!r}, not English"
    assert len(pressable) >= least, f"only {len(pressable)} pressable controls"
    print("pressable:", ", ".join(f"{n.getRoleName()}={n.name}" for n in pressable))
    return pressable


def check_settings(window):
    """The settings dialog: its lists named by what they choose, OK and Back
    buttons that press."""
    press(next(n for n in walk(window) if n.getRoleName() == "push button" and n.name == say("settings")))
    dialog = until("the settings dialog", lambda: top_window(("window", "dialog", "frame"), say("settings")))
    controls = check_pressable(dialog, 5)
    lists = [n for n in controls if n.getRoleName() == "combo box"]
    assert sorted(n.name for n in lists) == sorted([say("after saving"), say("chime"), say("loudness")]), [n.name for n in lists]
    for node in lists:
        values = [item.name for item in walk(node)]
        assert node.name not in values, f"the list {node.name!r} is named by its value"
    buttons = {n.name: n for n in controls if n.getRoleName() == "push button"}
    assert say("ok") in buttons and say("back") in buttons, list(buttons)
    press(buttons[say("back")])
    until("the settings dialog to close", lambda: top_window(("window", "dialog", "frame"), say("settings")) is None)


def write_song(path, seconds):
    """A 440 Hz tone, 8 kHz mono."""
    one = b"".join(struct.pack("<h", int(8000 * math.sin(2 * math.pi * 440 * i / 8000))) for i in range(8000))
    with wave.open(path, "wb") as out:
        out.setnchannels(1); out.setsampwidth(2); out.setframerate(8000)
        for _ in range(seconds):
            out.writeframes(one)


def peak(samples, rate, begin, end):
    return max(abs(s) for s in samples[int(begin * rate):int(end * rate)])


def read_mono(path):
    with wave.open(path) as saved:
        assert saved.getsampwidth() == 2, "not 16-bit"
        rate, channels = saved.getframerate(), saved.getnchannels()
        data = saved.readframes(saved.getnframes())
    samples = struct.unpack(f"<{len(data) // 2}h", data)[::channels]
    return samples, rate


def save_as(target):
    key("ctrl+s")
    dialog = keyboard_in(until("the save dialog", lambda: top_window(("dialog", "file chooser"))))
    key("ctrl+a")
    type_text(target)
    key("Return")
    return dialog


def coder_of(pid):
    """Our program's running coder, if any."""
    for entry in os.listdir("/proc"):
        if entry.isdigit():
            try:
                with open(f"/proc/{entry}/stat") as stat:
                    fields = stat.read().rsplit(")", 1)[1].split()
                with open(f"/proc/{entry}/comm") as comm:
                    name = comm.read().strip()
            except OSError:
                continue
            if int(fields[1]) == pid and name == "coder":
                return int(entry)
    return None


def step(text):
    print(f"{time.monotonic() - started:6.2f} s: {text}", flush=True)


def road(window, home):
    """A blind user's road, with every result heard."""
    # Refused: the random cut before any song, and Save with nothing open.
    mark = len(heard)
    press(named(window, "push button", say("random")))
    spoken(say("play first"), mark)
    keyboard_in(until("the warning", lambda: top_window(("alert", "dialog"))))
    key("Return")
    until("the warning to close", lambda: top_window(("alert", "dialog")) is None)
    mark = len(heard)
    press(next(n for n in walk(window) if n.getRoleName() == "push button" and n.name == say("save")
               and showing(n)))
    spoken(say("not now") + say("save"), mark)

    step("open")
    # Open a 20-minute song by the Open button's action and the file dialog.
    song = os.path.join(home, "tone.wav")
    write_song(song, 20 * 60)
    mark = len(heard)
    press(named(window, "push button", say("open")))
    keyboard_in(until("the file dialog", lambda: top_window(("dialog", "file chooser"))))
    type_text(song)
    key("Return")
    strip = until("the timeline after the decode", lambda: named(window, "slider", say("timeline")), 60)
    until("the timeline's length", lambda: strip.queryValue().maximumValue >= 1199000)
    spoken(say("opened"), mark)
    bars = {(role, name) for kind, role, name, _ in heard[mark:] if role == "progress bar"}
    assert ("progress bar", say("decoding")) in bars, f"no decoding bar heard: {bars}"
    bar = next(n for n in walk(window) if n.getRoleName() == "progress bar" and n.name == say("decoding"))
    # The song shows at its first decoded block; the bar ends with the decode.
    until("the decode's end on its bar", lambda: bar.queryValue().currentValue == 100, 60)
    assert bar.queryValue().maximumValue == 100, "the bar's value"

    step("play")
    # Play: the timeline's value moves and its changes are sent; Stop.
    mark = len(heard)
    press(named(window, "push button", say("play")))
    first = until("the play position to move", lambda: strip.queryValue().currentValue > 0 and
                  strip.queryValue().currentValue)
    until("the play position to move on", lambda: strip.queryValue().currentValue > first)
    until("a value change sent", lambda: any(kind == "object:property-change:accessible-value" and role == "slider"
                                              for kind, role, _, _ in heard[mark:]))
    press(named(window, "push button", say("stop")))

    step("save refused")
    # Save with no end: refused, and said.
    mark = len(heard)
    key("ctrl+s")
    spoken(say("end first"), mark)

    step("typed times")
    # Mark 2 s to 5 s by typed times; an end before the begin is refused and said.
    type_cell(window, say("begin"), "2", "00:00:02")
    mark = len(heard)
    type_cell(window, say("end"), "1")
    spoken(say("reversed"), mark)
    key("Escape")
    type_cell(window, say("end"), "5", "00:00:05")
    assert "00:00:02" in strip.description and "00:00:05" in strip.description, strip.description

    step("fade")
    # A one-second fade-in, typed into its box and applied by Tab.
    box = tab_to(window, say("fade in"))
    key("ctrl+a")
    type_text("1")
    key("Tab")
    until("the fade to be taken", lambda: "1" in box.queryText().getText(0, -1))

    step("failing save")
    # A save that fails: its folder is not there.
    mark = len(heard)
    save_as(os.path.join(home, "gone", "ring.wav"))
    spoken(say("not saved"), mark)
    alert = keyboard_in(until("the failure message", lambda: top_window(("alert", "dialog"))))
    said = [name for kind, role, name, _ in heard[mark:] if role == "notification"]
    texts = [n.name for n in walk(alert) if n.getRoleName() == "label"]
    assert any(t and t in said for t in texts), f"the message {texts} was not said: {said}"
    key("Return")
    until("the failure message to close", lambda: top_window(("alert", "dialog")) is None)

    step("save")
    # The save that works, heard, its bar named, its file read back with the fade.
    target = os.path.join(home, "ring.wav")
    mark = len(heard)
    save_as(target)
    spoken(say("saved"), mark)
    assert ("progress bar", say("saving")) in {(role, name) for _, role, name, _ in heard[mark:]}, "no saving bar"
    samples, rate = read_mono(target)
    seconds = len(samples) / rate
    assert abs(seconds - 3.0) < 0.05, f"saved {seconds} s, not 3"
    start, middle = peak(samples, rate, 0, 0.1), peak(samples, rate, 1.5, 2.5)
    assert middle > 1000 and start < 0.2 * middle, f"no fade-in: {start} at the start, {middle} later"
    print("keyboard road: saved", seconds, "s, peak", start, "at the start and", middle, "later")

    step("cancel")
    # A long save cancelled by Escape: its coder is held still, so the job
    # cannot end by itself before the key.
    type_cell(window, say("end"), "19:00", "00:19:00")
    mark = len(heard)
    save_as(os.path.join(home, "long.mp3"))
    coder = until("the export's coder", lambda: coder_of(child.pid), 60)
    os.kill(coder, signal.SIGSTOP)
    try:
        key("Escape")
        spoken(say("cancelled"), mark)
    finally:
        try:
            os.kill(coder, signal.SIGCONT)
        except ProcessLookupError:
            pass
    assert not os.path.exists(os.path.join(home, "long.mp3")), "a cancelled save left its file"


started = time.monotonic()
home = tempfile.mkdtemp()
env = dict(os.environ, QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1", QT_ACCESSIBILITY="1",
           LANG=lang, LANGUAGE="", LC_ALL="", LC_MESSAGES="", HOME=home,
           XDG_CONFIG_HOME=home + "/config", XDG_CACHE_HOME=home + "/cache", KESMARIN_AUDIO="silent")
# After a save nothing opens a folder or plays a chime on the test's desktop.
os.makedirs(home + "/config/kesmarin")
with open(home + "/config/kesmarin/setup.ini", "wb") as setup:
    setup.write(b"1\r\n1\r\n")
# Under the leak checker, Qt's accessibility bridge has leaks of its own.
if "suppressions=" in env.get("LSAN_OPTIONS", ""):
    here = os.path.dirname(os.path.abspath(__file__))
    supp = os.path.join(here, "..", "..", "scripts", "lsan-atspi.supp")
    env["LSAN_OPTIONS"] = re.sub(r"(^|:)suppressions=[^:]*",
                                 lambda m: m.group(1) + "suppressions=" + os.path.abspath(supp),
                                 env["LSAN_OPTIONS"])
# The listener is in the registry before the program starts: a program
# learns at its start which events anyone listens to.
try:
    until("the bus registry", lambda: pyatspi.Registry.getDesktop(0) is not None, 10)
except SystemExit:
    print("SKIP: the accessibility bus does not start here"); sys.exit(SKIP)
pyatspi.Registry.registerEventListener(
    listen, "object:property-change:accessible-name", "object:property-change:accessible-value",
    "object:state-changed:showing", "object:state-changed:focused", "object:announcement")
child = subprocess.Popen([program], env=env)
try:
    app = until("the program on the accessibility bus", lambda: application(child.pid))
    window = until("the main window with its buttons", lambda: main_window(app))
    assert window.getRoleName() != "filler", "the main window is a filler"

    names = [node.name for node in check_pressable(window, 15)]
    assert not any(n.name == "Text1" for n in walk(window)), "the command box is exposed"
    if CHINESE:
        assert "最小化" in names and "退出" in names, "minimise and close are not in Chinese"
    check_settings(window)
    road(window, home)
finally:
    child.terminate()
    try:
        child.wait(10)
    except subprocess.TimeoutExpired:
        child.kill()
    shutil.rmtree(home, ignore_errors=True)
    kinds = sorted({(kind, role) for kind, role, _, _ in heard if role})
    print("heard:", "; ".join(f"{kind} on {role}" for kind, role in kinds))
    print("said:", " | ".join(name for kind, role, name, _ in heard
                              if kind.endswith("accessible-name") and role == "notification"))
print("PASS")
