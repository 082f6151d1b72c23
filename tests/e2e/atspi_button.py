# SPDX-License-Identifier: MIT
# Waits until the running editor's button of that name, read through the accessibility bus,
# is in the state asked for, or its description (the tooltip) begins with the text given; prints
# "enabled" or "disabled" and the description either way.
# Usage: atspi_button.py <name> enabled|disabled [description prefix]
import sys
import time

import pyatspi

name, wanted = sys.argv[1], sys.argv[2]
prefix = sys.argv[3] if len(sys.argv) > 3 else ""


def buttons():
    for app in pyatspi.Registry.getDesktop(0):
        if app is None or app.name != "hueloft":
            continue
        found = pyatspi.findAllDescendants(
            app, lambda node: node.getRole() == pyatspi.ROLE_PUSH_BUTTON and node.name == name)
        yield from found


state, description = "missing", ""
deadline = time.monotonic() + 15
while time.monotonic() < deadline:
    for button in buttons():
        sensitive = button.getState().contains(pyatspi.STATE_SENSITIVE)
        state, description = ("enabled" if sensitive else "disabled"), button.description
    if state == wanted and description.startswith(prefix):
        break
    time.sleep(0.2)
print(f"{state}: {description}")
if state == "missing":  # what the bus shows instead, for the failure's reader
    for app in pyatspi.Registry.getDesktop(0):
        print(app.name, [n.name for n in pyatspi.findAllDescendants(app, lambda n: True)],
              file=sys.stderr)
