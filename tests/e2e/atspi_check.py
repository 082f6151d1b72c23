# SPDX-License-Identifier: MIT
# Reads the running editor through the accessibility bus (AT-SPI), as a screen reader does:
# every control by role and name, the scroll bars' values, one of them set through the value
# interface, and the sample's description and the channel box following it. Ends by pressing
# Exit through its action. Expects the editor started with Red=10, Green=20, Blue=30.
# Usage: atspi_check.py (under the same D-Bus session as the editor)
import sys
import time

import pyatspi
from gi.repository import GLib

failures = []


def check(what, actual, expected):
    if actual == expected:
        print(f"ok: {what} = {expected!r}")
    else:
        print(f"FAIL: {what}: got {actual!r}, expected {expected!r}")
        failures.append(what)


def find_app(seconds=30):
    deadline = time.monotonic() + seconds
    while time.monotonic() < deadline:
        for app in pyatspi.Registry.getDesktop(0):
            if app is not None and app.name == "hueloft" and app.childCount > 0:
                return app
        time.sleep(0.2)
    return None


def walk(node):
    yield node
    for child in node:
        if child is not None:
            yield from walk(child)


def dump(node, depth=0):
    print("  " * depth + f"{node.getRoleName()} {node.name!r} {node.description!r}")
    for child in node:
        if child is not None:
            dump(child, depth + 1)


def pump_until(condition, seconds=5):
    """Runs the event loop (for the listeners) until condition() holds or time runs out."""
    context = GLib.MainContext.default()
    deadline = time.monotonic() + seconds
    while time.monotonic() < deadline:
        while context.pending():
            context.iteration(False)
        if condition():
            return True
        time.sleep(0.05)
    return condition()


app = find_app()
if app is None:
    print("FAIL: no application named hueloft on the accessibility bus")
    sys.exit(1)

frames = [c for c in app if c is not None and c.getRole() == pyatspi.ROLE_FRAME]
check("frames of the application", [f.name for f in frames], ["RGB Tintora"])
if not frames:
    sys.exit(1)
frame = frames[0]

controls = {}
unnamed = []
for node in walk(frame):
    if node is frame:
        continue
    showing = node.getState().contains(pyatspi.STATE_SHOWING)
    if showing and not node.name:
        unnamed.append(node.getRoleName())
    controls.setdefault((node.getRoleName(), node.name), []).append(node)
check("shown controls without a name", unnamed, [])

channels = ["Red", "Green", "Blue"]
expected = [("scroll bar", c) for c in channels] + [("text", c) for c in channels]
expected += [("label", c) for c in channels] + [("label", "Color sample")]
expected += [("text", "Width"), ("text", "Height"), ("check box", "Always On Top")]
expected += [("push button", n) for n in ("Copy RGB Macro", "Copy Hexadecimal",
                                          "Copy HTML Macro", "Copy Color Sample",
                                          "Edit color...", "About", "Exit")]
expected += [("radio button", n) for n in ("C/C++", "Pascal", "Basic", "Asm")]
found = 0
for key in expected:
    count = len(controls.get(key, []))
    if count == 1:
        found += 1
    else:
        print(f"FAIL: {key[0]} {key[1]!r} found {count} times")
        failures.append(key)
print(f"controls found by role and name: {found} of {len(expected)}")
if failures:
    dump(frame)
    sys.exit(1)


def one(role, name):
    return controls[(role, name)][0]


bars = [one("scroll bar", c) for c in channels]
check("scroll bar values", [b.queryValue().currentValue for b in bars], [10.0, 20.0, 30.0])
check("scroll bar range", [(b.queryValue().minimumValue, b.queryValue().maximumValue)
                           for b in bars], [(0.0, 255.0)] * 3)
sample = one("label", "Color sample")
check("sample description at start", sample.description, "RGB(10, 20, 30)")

descriptions = []


def on_description(event):
    if event.source == sample:
        descriptions.append(event.source.description)


pyatspi.Registry.registerEventListener(on_description,
                                       "object:property-change:accessible-description")
pump_until(lambda: False, 0.5)

# Set as a screen reader's user sets it, through the value interface.
bars[1].queryValue().currentValue = 99
green_box = one("text", "Green").queryText()
pump_until(lambda: "RGB(10, 99, 30)" in descriptions)
check("description announced after the value was set", descriptions[-1:], ["RGB(10, 99, 30)"])
sample.clearCache()
check("sample description after the value was set", sample.description, "RGB(10, 99, 30)")
check("green box after the value was set", green_box.getText(0, -1), "99")
check("green scroll bar after the value was set", bars[1].queryValue().currentValue, 99.0)

# The notation through its option's action; the hexadecimal text reads as it shows.
basic = one("radio button", "Basic").queryAction()
basic.doAction(0)
hexa = None


def hexa_shown():
    global hexa
    for node in walk(frame):
        if node.getRole() == pyatspi.ROLE_LABEL and node.name.startswith("&H"):
            hexa = node.name
            return True
    return False


pump_until(hexa_shown)
check("hexadecimal text in Basic", hexa, "&H001E630A&")

exit_action = one("push button", "Exit").queryAction()
names = [exit_action.getName(i) for i in range(exit_action.nActions)]
print(f"Exit actions: {names}")
exit_action.doAction(0)
sys.exit(1 if failures else 0)
