#!/usr/bin/python3
"""Prints, as JSON, the accessible objects the programs on this session's AT-SPI bus expose:
role, name, description and (for text objects) text, one list entry per object.

Runs under Debian's python3 (it needs python3-dbus). Bounded: depth 12, 2000 objects, 5 s per
D-Bus call. Exits 3 when there is no accessibility bus.
"""

import json
import sys

import dbus

ACCESSIBLE = "org.a11y.atspi.Accessible"
MAX_DEPTH = 12
MAX_NODES = 2000
TIMEOUT = 5


def main():
    try:
        session = dbus.SessionBus()
        address = session.get_object("org.a11y.Bus", "/org/a11y/bus").GetAddress(
            dbus_interface="org.a11y.Bus", timeout=TIMEOUT)
    except dbus.DBusException as e:
        print(f"no accessibility bus: {e}", file=sys.stderr)
        return 3
    bus = dbus.bus.BusConnection(str(address))
    found = []
    pending = [("org.a11y.atspi.Registry", "/org/a11y/atspi/accessible/root", 0)]
    while pending and len(found) < MAX_NODES:
        name, path, depth = pending.pop(0)
        try:
            found.append(describe(bus, name, path, depth))
            if depth < MAX_DEPTH:
                children = bus.get_object(name, path).GetChildren(
                    dbus_interface=ACCESSIBLE, timeout=TIMEOUT)
                pending += [(str(n), str(p), depth + 1) for n, p in children]
        except dbus.DBusException:
            continue
    json.dump(found, sys.stdout)
    return 0


def describe(bus, name, path, depth):
    obj = bus.get_object(name, path)
    props = dbus.Interface(obj, "org.freedesktop.DBus.Properties")
    entry = {
        "depth": depth,
        "role": str(obj.GetRoleName(dbus_interface=ACCESSIBLE, timeout=TIMEOUT)),
        "name": str(props.Get(ACCESSIBLE, "Name", timeout=TIMEOUT)),
        "description": str(props.Get(ACCESSIBLE, "Description", timeout=TIMEOUT)),
    }
    try:
        entry["text"] = str(obj.GetText(0, -1, dbus_interface="org.a11y.atspi.Text",
                                        timeout=TIMEOUT))
    except dbus.DBusException:
        pass
    return entry


if __name__ == "__main__":
    sys.exit(main())
