#!/usr/bin/python3
"""Listens, as a screen reader does, for the focus moving between the items
of the list named NAME in the running program PROGRAM, and prints one line
per item that gains the focus: "FOCUSED <index> <name>" when the item also
says it is focused in its state, "FOCUS-EVENT <index> <name>" when only the
event says so. Writes READY_FILE once it listens. Ends after TIMEOUT_SECONDS.
Usage: watch_focus.py PROGRAM NAME READY_FILE TIMEOUT_SECONDS"""
import sys
import time

import pyatspi
from gi.repository import GLib

from read_rows import find_list


def find_program_list(program, name, deadline):
    while True:
        for app in pyatspi.Registry.getDesktop(0):
            if app is not None and app.name == program:
                found = find_list(app, name)
                if found is not None:
                    return found
        if time.monotonic() > deadline:
            return None
        time.sleep(0.2)


def main():
    program, name, ready_file = sys.argv[1], sys.argv[2], sys.argv[3]
    timeout = float(sys.argv[4])
    the_list = find_program_list(program, name, time.monotonic() + timeout)
    if the_list is None:
        print("no list %r in %r" % (name, program), flush=True)
        return 1

    def on_focus(event):
        try:
            if event.detail1 != 1:
                return
            item = event.source
            if item.getRole() != pyatspi.ROLE_LIST_ITEM or item.parent.name != name:
                return
            word = "FOCUSED" if item.getState().contains(pyatspi.STATE_FOCUSED) else "FOCUS-EVENT"
            print("%s %d %s" % (word, item.getIndexInParent(), item.name), flush=True)
        except Exception as error:  # an item that went away meanwhile
            print("ERROR %s" % error, flush=True)

    pyatspi.Registry.registerEventListener(on_focus, "object:state-changed:focused")
    GLib.timeout_add(int(timeout * 1000), pyatspi.Registry.stop)
    with open(ready_file, "w") as ready:
        ready.write("listening\n")
    pyatspi.Registry.start()
    return 0


if __name__ == "__main__":
    sys.exit(main())
