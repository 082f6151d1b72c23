#!/usr/bin/python3
# SPDX-License-Identifier: MIT
# A desktop's colour picker for the tests: the back-end of the desktop portal's Screenshot
# portal (org.freedesktop.impl.portal.Screenshot) on the session bus, whose PickColor gives
# the answers named on the command line, one per call: "cancel", or a colour as three numbers
# from 0 to 1. Each call's parent window goes to standard output.
# Usage: portal_pick.py <bus name> <answer>...
import sys

from gi.repository import Gio, GLib

INTERFACE = """
<node>
  <interface name="org.freedesktop.impl.portal.Screenshot">
    <method name="Screenshot">
      <arg type="o" name="handle" direction="in"/>
      <arg type="s" name="app_id" direction="in"/>
      <arg type="s" name="parent_window" direction="in"/>
      <arg type="a{sv}" name="options" direction="in"/>
      <arg type="u" name="response" direction="out"/>
      <arg type="a{sv}" name="results" direction="out"/>
    </method>
    <method name="PickColor">
      <arg type="o" name="handle" direction="in"/>
      <arg type="s" name="app_id" direction="in"/>
      <arg type="s" name="parent_window" direction="in"/>
      <arg type="a{sv}" name="options" direction="in"/>
      <arg type="u" name="response" direction="out"/>
      <arg type="a{sv}" name="results" direction="out"/>
    </method>
    <property name="version" type="u" access="read"/>
  </interface>
</node>
"""

answers = sys.argv[2:]


def on_call(connection, sender, path, interface, method, parameters, invocation):
    if method != "PickColor" or not answers:
        invocation.return_value(GLib.Variant("(ua{sv})", (2, {})))
        return
    print(f"PickColor for window {parameters[2]!r}", flush=True)
    answer = answers.pop(0)
    if answer == "cancel":
        invocation.return_value(GLib.Variant("(ua{sv})", (1, {})))
        return
    color = tuple(float(channel) for channel in answer.split(","))
    invocation.return_value(
        GLib.Variant("(ua{sv})", (0, {"color": GLib.Variant("(ddd)", color)})))


def on_property(connection, sender, path, interface, name):
    return GLib.Variant("u", 2)


def on_bus(connection, name):
    node = Gio.DBusNodeInfo.new_for_xml(INTERFACE)
    connection.register_object("/org/freedesktop/portal/desktop", node.interfaces[0], on_call,
                               on_property, None)


loop = GLib.MainLoop()
Gio.bus_own_name(Gio.BusType.SESSION, sys.argv[1], Gio.BusNameOwnerFlags.NONE, on_bus,
                 lambda *_: print("ready", flush=True), lambda *_: loop.quit())
loop.run()
