#!/usr/bin/env python3
"""Prints what a screen reader sees of a running Karte: the accessibility tree of its main window.

Starts nothing itself. Run it in the desktop session of the program, with the program started with
QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 (Qt joins the accessibility bus only when asked to), for example:

    QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 karte &
    /usr/bin/python3 tools/a11y-tree.py
    /usr/bin/python3 tools/a11y-tree.py --window About     # a side window, by its caption, once it is shown

Each line is one object: its role, its name in quotes, then its description after a dash; objects that are
not on screen (a hidden card side, a closed menu's items) are marked "hidden". An object a screen reader could
not read, one with neither name nor description where one is expected, is marked "UNNAMED".

Needs the Debian package python3-pyatspi (Debian's own python3; a python3 of its own, e.g. from pyenv, does
not see it: run /usr/bin/python3).
"""

import argparse
import sys
import time

import pyatspi
from gi.repository import GLib

# Roles whose objects only group others; a screen reader reads their contents, not them.
GROUPING_ROLES = {
    pyatspi.ROLE_FILLER,
    pyatspi.ROLE_PANEL,
    pyatspi.ROLE_SEPARATOR,
    pyatspi.ROLE_SCROLL_BAR,
    pyatspi.ROLE_LIST,
    pyatspi.ROLE_WINDOW,
    # An empty status line has nothing to read; its message, when there is one, is its name.
    pyatspi.ROLE_STATUS_BAR,
}


def find_application(name, pid):
    desktop = pyatspi.Registry.getDesktop(0)
    for app in desktop:
        if app is None:
            continue
        try:
            if pid is not None and app.get_process_id() == pid:
                return app
            if pid is None and app.name == name:
                return app
        except GLib.Error:
            # An application that quit while being listed.
            continue
    return None


def main_window(app, title):
    frames = []
    for child in app:
        if child is None:
            continue
        # The side windows are plain top-level widgets, which the bus shows as fillers; a caption finds them.
        if child.name == title or (title is None and child.getRole() == pyatspi.ROLE_FRAME):
            frames.append(child)
    return frames[0] if frames else None


def describe(node, depth):
    role = node.getRoleName()
    name = node.name or ""
    description = node.description or ""
    line = f"{role} '{name}'"
    if description:
        line += f" - {description}"
    # Below the window, a frame is a panel that groups controls.
    is_frame = node.getRole() == pyatspi.ROLE_FRAME
    states = node.getState()
    if not states.contains(pyatspi.STATE_SHOWING):
        line += "  (hidden)"
    if not name and not description and node.getRole() not in GROUPING_ROLES and not (depth and is_frame):
        line += "  UNNAMED"
    return line


def print_tree(node, depth, args, out):
    out.write("  " * depth + describe(node, depth) + "\n")
    if depth >= args.depth:
        return
    # A list of all the cards would bury the window's controls: lists are cut short.
    limit = args.items if node.getRole() in (pyatspi.ROLE_LIST, pyatspi.ROLE_LIST_BOX) else None
    count = node.childCount
    for index in range(count if limit is None else min(count, limit)):
        child = node.getChildAtIndex(index)
        if child is not None:
            print_tree(child, depth + 1, args, out)
    if limit is not None and count > limit:
        out.write("  " * (depth + 1) + f"... {count - limit} more items\n")


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--app", default="karte", help="the application's name on the bus (default: karte)")
    parser.add_argument("--pid", type=int, help="the program's process id, instead of its name")
    parser.add_argument("--window", help="the caption of the window to list (default: the main window)")
    parser.add_argument("--wait", type=float, default=10.0, help="seconds to wait for the window (default: 10)")
    parser.add_argument("--depth", type=int, default=30, help="deepest level printed (default: 30)")
    parser.add_argument("--items", type=int, default=5, help="items printed of each list (default: 5)")
    args = parser.parse_args()

    deadline = time.monotonic() + args.wait
    window = None
    while True:
        app = find_application(args.app, args.pid)
        if app is not None:
            window = main_window(app, args.window)
        if window is not None or time.monotonic() >= deadline:
            break
        time.sleep(0.1)
    if window is None:
        who = f"process {args.pid}" if args.pid is not None else f"'{args.app}'"
        sys.stderr.write(
            f"a11y-tree: no {repr(args.window) if args.window else 'main'} window of {who} on the accessibility bus "
            "(is it running, with QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1, in this session?)\n"
        )
        return 1
    print_tree(window, 0, args, sys.stdout)
    return 0


if __name__ == "__main__":
    sys.exit(main())
