#!/usr/bin/python3
"""Reads the rows of the list named NAME in the running program PROGRAM
through the accessibility bus, the way a screen reader finds them, and
prints one line per row: "ROW <index> <name>", then "ROWS <count>"; the
focused row, when there is one, as "FOCUSED <index>".
Usage: read_rows.py PROGRAM NAME [TIMEOUT_SECONDS]"""
import sys
import time

import pyatspi


def find_list(node, name, depth=0):
    if node is None or depth > 40:
        return None
    try:
        if node.getRole() == pyatspi.ROLE_LIST and node.name == name:
            return node
        for i in range(node.childCount):
            found = find_list(node.getChildAtIndex(i), name, depth + 1)
            if found is not None:
                return found
    except Exception:  # a window that went away while we walked
        return None
    return None


def main():
    program, name = sys.argv[1], sys.argv[2]
    timeout = float(sys.argv[3]) if len(sys.argv) > 3 else 20
    deadline = time.monotonic() + timeout
    while True:
        desktop = pyatspi.Registry.getDesktop(0)
        for app in desktop:
            if app is not None and app.name == program:
                rows = find_list(app, name)
                if rows is not None and rows.childCount > 0:
                    for i in range(rows.childCount):
                        item = rows.getChildAtIndex(i)
                        print("ROW %d %s" % (i, item.name))
                        if item.getState().contains(pyatspi.STATE_FOCUSED):
                            print("FOCUSED %d" % i)
                    print("ROWS %d" % rows.childCount)
                    return 0
        if time.monotonic() > deadline:
            names = [a.name for a in desktop if a is not None]
            print("no list %r with rows in %r (programs: %s)" % (name, program, names))
            return 1
        time.sleep(0.2)


if __name__ == "__main__":
    sys.exit(main())
