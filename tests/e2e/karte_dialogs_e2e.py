#!/usr/bin/env python3
"""End-to-end test of the file dialogs answered from the keyboard, under a window manager.

Runs the program KARTE in a session with openbox and opens a set by typing its name into File > Open...: a prefix
first, so that the name box's completion list really shows, then the rest and Enter. Afterwards nothing of the
dialog may be left on the screen, and the very first click and key in the main window must do what they say: a
click on the File menu opens it, a click on the Open button of the toolbar opens the dialog again, Esc cancels it,
Alt+T opens the Tools menu and a click on >> goes to the last card.
"""

import os
import shutil
import subprocess
import sys

import pyatspi

from e2esupport import (
    Failure,
    MainWindow,
    click,
    find_main_window,
    find_named,
    name_of,
    run,
    run_test,
    showing,
    wait_until,
    x_window_titles,
)

SET_NAME = "alpha.SDB"


def popups(program):
    """The program's windows on the screen that bypass the window manager: menus, completion lists, tooltips."""
    found = subprocess.run(
        ["xdotool", "search", "--onlyvisible", "--pid", str(program.process.pid)],
        capture_output=True,
        text=True,
        timeout=20,
    )
    windows = []
    for window in found.stdout.split():
        info = subprocess.run(["xwininfo", "-id", window], capture_output=True, text=True, timeout=20).stdout
        if "Override Redirect State: yes" in info:
            windows.append(window)
    return windows


def wait_for_dialog(program, title, present=True):
    wait_until(
        program,
        f"the dialog '{title}' {'up' if present else 'gone'}",
        lambda: ((title in x_window_titles(program)) == present, x_window_titles(program)),
    )


def check(program):
    window = find_main_window(program)
    controls = MainWindow(program, window)
    share = os.path.join(os.path.dirname(os.path.dirname(os.path.abspath(program.executable))), "share", "karte")
    shutil.copyfile(os.path.join(share, "cardsfrq.db"), os.path.join(program.home, SET_NAME))

    # File is Alt+I, Open... its O; the dialog starts in the program's working folder, where the set is.
    run("xdotool", "key", "--delay", "150", "alt+i", "o")
    wait_for_dialog(program, "Open")
    run("xdotool", "type", "--delay", "60", SET_NAME[:3])
    wait_until(program, "the name box's completion list", lambda: (len(popups(program)) > 0, popups(program)))
    run("xdotool", "type", "--delay", "60", SET_NAME[3:])
    run("xdotool", "key", "Return")
    path = os.path.join(program.home, SET_NAME)
    wait_until(program, "the typed set open", lambda: (path in x_window_titles(program), x_window_titles(program)))
    wait_until(program, "no popup of the dialog left", lambda: (not popups(program), popups(program)))
    print("Open by typed name: the set is open and nothing of the dialog is left")

    click(controls.file_menu)
    wait_until(program, "the File menu open at the first click", lambda: (showing(controls.exit), "closed"))
    run("xdotool", "key", "Escape")
    wait_until(program, "the File menu closed", lambda: (not showing(controls.exit), "open"))
    print("the first click after the dialog opens the File menu")

    click(find_named(program, window, pyatspi.ROLE_PUSH_BUTTON, "Open"))
    wait_for_dialog(program, "Open")
    run("xdotool", "key", "Escape")
    wait_for_dialog(program, "Open", present=False)
    print("the toolbar's Open button opens the dialog at the first click; Esc cancels it")

    study = find_named(program, window, pyatspi.ROLE_MENU_ITEM, "Study...")
    run("xdotool", "key", "alt+t")
    wait_until(program, "the Tools menu open at the first key", lambda: (showing(study), "closed"))
    run("xdotool", "key", "Escape")
    wait_until(program, "the Tools menu closed", lambda: (not showing(study), "open"))
    print("the first key after the cancelled dialog opens the Tools menu")

    click(find_named(program, window, pyatspi.ROLE_PUSH_BUTTON, "Last card"))
    wait_until(
        program,
        "the last card after one click on >>",
        lambda: (name_of(controls.position) == "1125 of 1125", name_of(controls.position)),
    )
    print("one click on >> goes to the last card")


if __name__ == "__main__":
    sys.exit(run_test(__doc__, check))
