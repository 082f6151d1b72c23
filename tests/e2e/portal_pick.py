#!/usr/bin/python3
# SPDX-License-Identifier: MIT
# A desktop's colour picker for the tests: the back-end of the desktop portal's Screenshot
# portal (org.freedesktop.impl.portal.Screenshot) on the session bus, whose PickColor gives
# the answers named on the command line, one per call: "cancel", or a colour as three numbers
# from 0 to 1. Each call's parent window goes to standard output.
# Usage: portal_pick.py <bus name> <answer>...
#        portal_pick.py --portal
# With --portal it stands in for the portal itself (org.freedesktop.portal.Desktop), as any
# program of the session can: its one answer comes first with a body of another signature,
# then as the portal gives it, pure green.
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


PORTAL = """
<node>
  <interface name="org.freedesktop.portal.Screenshot">
    <method name="PickColor">
      <arg type="s" name="parent_window" direction="in"/>
      <arg type="a{sv}" name="options" direction="in"/>
      <arg type="o" name="handle" direction="out"/>
    </method>
    <property name="version" type="u" access="read"/>
  </interface>
</node>
"""


def respond(connection, path, signature, body):
    connection.emit_signal(None, path, "org.freedesktop.portal.Request", "Response",
                           GLib.Variant(signature, body))
    return False


def on_portal_call(connection, sender, path, interface, method, parameters, invocation):
    token = parameters[1].get("handle_token", "t")
    request = "/org/freedesktop/portal/desktop/request/%s/%s" % (
        sender[1:].replace(".", "_"), token)
    print(f"PickColor {request}", flush=True)
    invocation.return_value(GLib.Variant("(o)", (request,)))
    GLib.timeout_add(200, respond, connection, request, "(ua{ss})", (0, {"color": "green"}))
    GLib.timeout_add(400, respond, connection, request, "(ua{sv})",
                     (0, {"color": GLib.Variant("(ddd)", (0.0, 1.0, 0.0))}))


def on_property(connection, sender, path, interface, name):
    return GLib.Variant("u", 2)


def on_bus(connection, name):
    if name == "org.freedesktop.portal.Desktop":
        node = Gio.DBusNodeInfo.new_for_xml(PORTAL)
        connection.register_object("/org/freedesktop/portal/desktop", node.interfaces[0],
                                   on_portal_call, on_property, None)
        return
    node = Gio.DBusNodeInfo.new_for_xml(INTERFACE)
    connection.register_object("/org/freedesktop/portal/desktop", node.interfaces[0], on_call,
                               on_property, None)


loop = GLib.MainLoop()
name = "org.freedesktop.portal.Desktop" if sys.argv[1] == "--portal" else sys.argv[1]
Gio.bus_own_name(Gio.BusType.SESSION, name, Gio.BusNameOwnerFlags.NONE, on_bus,
                 lambda *_: print("ready", flush=True), lambda *_: loop.quit())
loop.run()
