"""Drives PASS with xdotool and reads what the accessibility bus carries, as
pyatspi shows it: the events every listener gets, the answers to queries, and
the keys a keystroke listener registered as Orca registers one is handed.
Every wait is bounded; every program started is ended."""
import os
import subprocess
import sys
import tempfile
import time

import pyatspi
from gi.repository import GLib

program, plain_field = sys.argv[1:3]
wait_limit = 30
# None of these may ever travel on the bus; U+200C is a format character that
# some layouts type.
typed = "qz\u200cjx7!"
prompt = "パスワードが一致しません"
hint = "Caps Lock がオンになっています"
events = []
keys = []  # (pressed, text, keysym, keycode) of each key a keystroke listener got
passed = failed = 0


def pump_until(condition, seconds=wait_limit):
    """Delivers the bus's messages until `condition` gives something true."""
    context = GLib.MainContext.default()
    deadline = time.monotonic() + seconds
    while True:
        while context.iteration(False):
            pass
        try:
            result = condition()
        except Exception:  # an object that went away while it was looked at
            result = None
        if result or time.monotonic() > deadline:
            return result
        time.sleep(0.05)


def check(what, ok):
    global passed, failed
    if ok:
        passed += 1
    else:
        failed += 1
        print(f"FAIL: {what}", flush=True)


def descendants(node):
    for child in node:
        if child is not None:
            yield child
            yield from descendants(child)


def application(pid):
    for app in pyatspi.Registry.getDesktop(0):
        if app is not None and app.get_process_id() == pid:
            return app
    return None


def find(node, role):
    return next((a for a in descendants(node) if a.getRole() == role), None) if node else None


def texts_of(node):
    yield node.name or ""
    yield node.description or ""
    try:
        text = node.queryText()
        yield text.getText(0, -1)
    except NotImplementedError:
        pass


def carries_typed_text(value):
    return isinstance(value, str) and any(c in value for c in typed)


class Pass:
    """One run of the program in a folder of its own."""

    def __init__(self, password_file="himitsu\n/bin/true\n"):
        self.folder = tempfile.mkdtemp()
        with open(os.path.join(self.folder, "PASSWORD.INI"), "w", encoding="utf-8") as file:
            file.write(password_file)
        self.process = subprocess.Popen([program], cwd=self.folder)
        self.app = pump_until(lambda: application(self.process.pid))
        self.field = pump_until(lambda: find(self.app, pyatspi.ROLE_PASSWORD_TEXT))
        pump_until(lambda: self.field.getState().contains(pyatspi.STATE_FOCUSED))

    def end(self):
        if self.process.poll() is None:
            self.process.terminate()
        try:
            self.process.wait(timeout=wait_limit)
        except subprocess.TimeoutExpired:
            self.process.kill()
            self.process.wait()
        subprocess.run(["rm", "-rf", self.folder], check=False)


def key(*names):
    subprocess.run(["xdotool", "key", "--delay", "40", *names], check=True, timeout=wait_limit)


def xdotool(*arguments):
    """Runs xdotool while the bus's messages are delivered, so that the
    keystroke listener answers as it would in a screen reader."""
    process = subprocess.Popen(["xdotool", *arguments])
    pump_until(lambda: process.poll() is not None)
    if process.poll() is None:
        process.kill()
    process.wait()
    pump_until(lambda: False, 0.5)  # the keys still on their way


def record(event):
    events.append(event.any_data)


def keystroke(event):
    keys.append((event.type == pyatspi.KEY_PRESSED_EVENT, event.event_string, event.id, event.hw_code))
    return False


def keycodes_of(characters):
    """The keycodes whose keysyms type any of `characters` here."""
    names = {"!": "exclam", "\u200c": "U200C"}
    wanted = {names.get(c, c) for c in characters}
    table = subprocess.run(["xmodmap", "-pke"], capture_output=True, text=True, check=True).stdout
    codes = set()
    for line in table.splitlines():
        number, _, syms = line.partition("=")
        if wanted & set(syms.split()):
            codes.add(int(number.split()[1]))
    return codes


def carries_typed_key(key, keycodes):
    _, text, keysym, keycode = key  # a keysym is a character's code point, beyond Latin-1 plus 0x1000000
    keysyms = {ord(c) for c in typed} | {0x1000000 + ord(c) for c in typed}
    return carries_typed_text(text) or keysym in keysyms or keycode in keycodes


pyatspi.Registry.registerEventListener(record, "object", "window", "focus")
# As Orca 43 registers its listener: every modifier mask, presses and releases, synchronous.
pyatspi.Registry.registerKeystrokeListener(keystroke, mask=list(range(256)),
                                           kind=(pyatspi.KEY_PRESSED_EVENT, pyatspi.KEY_RELEASED_EVENT),
                                           synchronous=True, preemptive=True)

print("case: a plain field's keys reach the keystroke listener (the control)", flush=True)
control = subprocess.Popen([plain_field], stdout=subprocess.PIPE, text=True)
control_field = pump_until(lambda: find(application(control.pid), pyatspi.ROLE_TEXT))
pump_until(lambda: control_field.getState().contains(pyatspi.STATE_FOCUSED))
keys.clear()
xdotool("type", "--delay", "40", "ab\u200cc")
check("the listener gets a, b, U+200C and c", all(any(k[0] and k[1] == c for k in keys) for c in "ab\u200cc"))
check("U+200C comes with its keysym", any(k[0] and k[2] == 0x100200C for k in keys))
xdotool("key", "Return")
try:
    control.wait(timeout=wait_limit)
except subprocess.TimeoutExpired:
    control.kill()

print("case: the field is a password text named after its label", flush=True)
run = Pass()
check("the field is a password text", run.field is not None)
check("the field is named パスワード", run.field is not None and run.field.name == "パスワード")

print("case: typing and Return send no typed character and answer none", flush=True)
events.clear()
keys.clear()
xdotool("type", "--delay", "40", typed)
typed_keycodes = keycodes_of(typed)
check("the listener was handed a key for each one typed", sum(1 for k in keys if k[0]) >= len(typed))
check("no key the listener got names a typed character by text, keysym or keycode",
      not any(carries_typed_key(k, typed_keycodes) for k in keys))
text = run.field.queryText() if run.field else None
check("the field counts the characters", pump_until(lambda: text.characterCount == len(typed), 5))
check("the field's text answers no typed character", text is not None and not carries_typed_text(text.getText(0, -1)))
inserts = len(events)
key("Return")
alert = pump_until(lambda: find(run.app, pyatspi.ROLE_ALERT))
check("the bus told of each character typed", inserts >= len(typed))
check("no event carries a typed character", not any(carries_typed_text(value) for value in events))

print("case: the mismatch box is an alert whose text can be read", flush=True)
check("an alert shows", alert is not None)
check("its text reads パスワードが一致しません",
      alert is not None and any(prompt in t for node in [alert, *descendants(alert)] for t in texts_of(node)))
key("Return")
check("the program ends once the box is dismissed", pump_until(lambda: run.process.poll() is not None))
run.end()

print("case: the Caps Lock hint is the field's description while it shows", flush=True)
run = Pass()
key("Caps_Lock")
check("the description is the hint with Caps Lock on", pump_until(lambda: run.field.description == hint))
key("Caps_Lock")
check("the description goes with the hint", pump_until(lambda: run.field.description == ""))
run.end()

print(f"{passed} passed, {failed} failed", flush=True)
sys.exit(1 if failed else 0)
