#!/usr/bin/env python3
"""End-to-end test of the program's windows under a window manager.

Runs the program KARTE in a session with openbox (tests/e2e/xsession.sh with KARTE_XSESSION_WM=openbox) and checks
what only a window manager brings about: each window that is centred on the screen is centred by its frame, title
bar included; the About box closes on the window manager's close as on its own button, and gives the main window
back each time; the custom card editor, closed by the window manager or destroyed by another program, gives the
main window back, and opens again afterwards.
"""

import subprocess
import sys

import pyatspi

from e2esupport import (
    DEADLINE,
    Failure,
    MainWindow,
    click,
    enabled,
    find_main_window,
    find_named,
    fresh,
    run,
    run_test,
    showing,
    wait_until,
    walk,
)

EDITOR_CAPTION = "Add your own words!"


def output(*command):
    return subprocess.run(command, check=True, capture_output=True, text=True, timeout=20).stdout


def x_window(program, caption):
    """The X window of the program's that is mapped with this caption, or None."""
    found = subprocess.run(
        ["xdotool", "search", "--all", "--onlyvisible", "--pid", str(program.process.pid), "--name", f"^{caption}$"],
        capture_output=True,
        text=True,
        timeout=20,
    )
    windows = found.stdout.split()
    return windows[0] if windows else None


def frame_of(window):
    """(left, top, width, height) of the window with the frame the window manager put around it."""
    info = output("xwininfo", "-id", window)
    field = {}
    for line in info.splitlines():
        key, _, value = line.strip().partition(":")
        field[key] = value.strip()
    left, top = int(field["Absolute upper-left X"]), int(field["Absolute upper-left Y"])
    width, height = int(field["Width"]), int(field["Height"])
    extents = output("xprop", "-id", window, "_NET_FRAME_EXTENTS").partition("=")[2]
    if not extents.strip():
        raise Failure(f"the window manager put no frame around window {window}")
    frame_left, frame_right, frame_top, frame_bottom = (int(n) for n in extents.split(","))
    return left - frame_left, top - frame_top, width + frame_left + frame_right, height + frame_top + frame_bottom


def screen_size():
    info = output("xwininfo", "-root")
    sizes = {}
    for line in info.splitlines():
        key, _, value = line.strip().partition(":")
        if key in ("Width", "Height"):
            sizes[key] = int(value)
    return sizes["Width"], sizes["Height"]


def check_centred(program, caption):
    """The window's frame lies in the middle of the screen, to the pixel that halving may cost."""
    window = wait_until(program, f"the window '{caption}' on the screen", lambda: (x_window(program, caption),) * 2)

    def probe():
        left, top, width, height = frame_of(window)
        screen_width, screen_height = screen_size()
        off = (left - (screen_width - width) // 2, top - (screen_height - height) // 2)
        return max(abs(n) for n in off) <= 1, {"frame": (left, top, width, height), "off centre by": off}

    seen = wait_until(program, f"'{caption}' centred on the screen by its frame", probe, timeout=5)
    print(f"{caption}: centred by its frame {seen['frame']}")
    return window


def double_click(node):
    box = fresh(node).queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
    x, y = str(box.x + box.width // 2), str(box.y + box.height // 2)
    run("xdotool", "mousemove", x, y, "click", "--repeat", "2", "--delay", "80", "1")


def check(program):
    window = find_main_window(program)
    controls = MainWindow(program, window)
    check_centred(program, "NT Frequency")

    # The About box: centred on its first showing, closed by the window manager as by its own button.
    click(find_named(program, window, pyatspi.ROLE_MENU_ITEM, "Help"))
    click(find_named(program, window, pyatspi.ROLE_MENU_ITEM, "About"))
    check_centred(program, "About")
    wait_until(program, "the main window disabled under the About box", lambda: (not enabled(controls.word_list),) * 2)
    run("wmctrl", "-c", "About")
    wait_until(program, "the About box gone after the window manager's close", lambda: (x_window(program, "About") is None,) * 2)
    wait_until(program, "the main window enabled again", lambda: (enabled(controls.word_list),) * 2)
    print("About: the window manager's close closes it and gives the main window back")

    click(find_named(program, window, pyatspi.ROLE_MENU_ITEM, "Help"))
    click(find_named(program, window, pyatspi.ROLE_MENU_ITEM, "About"))
    wait_until(program, "the About box up again", lambda: (x_window(program, "About") is not None,) * 2)
    application = window.get_application()
    ok = next(
        node
        for top in application
        if top is not None and top.name == "About"
        for node in walk(top)
        if node.getRole() == pyatspi.ROLE_PUSH_BUTTON and node.name == "OK"
    )
    click(ok)
    wait_until(program, "the About box gone", lambda: (x_window(program, "About") is None,) * 2)
    wait_until(program, "the main window enabled again", lambda: (enabled(controls.word_list),) * 2)
    print("About: OK closes it and gives the main window back")

    # The editor, opened from the hot spot that is never disabled.
    hot_spot = find_named(program, window, pyatspi.ROLE_LABEL, "Custom card editor")
    double_click(hot_spot)
    editor = check_centred(program, EDITOR_CAPTION)
    wait_until(program, "the main window disabled under the editor", lambda: (not enabled(controls.word_list),) * 2)
    run("xdotool", "windowclose", editor)
    wait_until(program, "the main window enabled after the editor was destroyed", lambda: (enabled(controls.word_list),) * 2)
    print("editor destroyed by another program: the main window is usable again")

    double_click(hot_spot)
    wait_until(program, "the editor open again", lambda: (x_window(program, EDITOR_CAPTION) is not None,) * 2)
    wait_until(program, "the main window disabled again", lambda: (not enabled(controls.word_list),) * 2)
    run("wmctrl", "-c", EDITOR_CAPTION)
    wait_until(program, "the editor closed", lambda: (x_window(program, EDITOR_CAPTION) is None,) * 2)
    wait_until(program, "the main window enabled after the editor closed", lambda: (enabled(controls.word_list),) * 2)
    print("editor opened again and closed by the window manager: the main window is usable again")

    click(controls.file_menu)
    wait_until(program, "the File menu to open", lambda: (showing(controls.exit), "closed"))
    click(controls.exit)
    code = program.process.wait(timeout=DEADLINE)
    if code != 0:
        raise Failure(f"File > Exit ended the program with exit code {code}")


if __name__ == "__main__":
    sys.exit(run_test(__doc__, check))
