#!/usr/bin/env python3
"""End-to-end test of the program from the keyboard alone: not one click.

Runs the program KARTE under a window manager (tests/e2e/xsession.sh with KARTE_XSESSION_WM=openbox) and drives it
with keys only, as a user without a mouse does: the drill with its keys, F10, the About box closed with Esc and
Enter, the Progress window's figures reached with Tab and the window closed with Esc, a set of one's own made with
File > New, its cards added, saved and walked through with the editor's navigator keys, the editor closed with Esc,
and a word list imported with Tools > Import Cards, its column changed with the arrow keys and the cards added with
Alt+I. What each step did is read back through the accessibility bus and from the set's file.

Exits 0 when every check holds, 1 on the first that does not.
"""

import os
import sys

import pyatspi

from e2esupport import (
    Failure,
    MainWindow,
    enabled,
    english_sides,
    find_main_window,
    fresh,
    name_of,
    run,
    run_test,
    showing,
    shown_windows,
    wait_until,
    walk,
    x_window_titles,
)

SAMPLES = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "interchange", "data")


def keys(*names):
    """Keys as the user types them, a tenth of a second apart."""
    run("xdotool", "key", "--delay", "100", *names)


def type_text(text):
    run("xdotool", "type", "--delay", "50", text)


def top_window(program, name):
    """The program's window with this name on the screen, or None."""
    return next((window for window in shown_windows(program) if window.name == name), None)


def wait_for_window(program, name):
    return wait_until(program, f"the window '{name}'", lambda: ((window := top_window(program, name)) is not None,
                                                                 window))


def wait_gone(program, name):
    wait_until(program, f"the window '{name}' closed", lambda: (top_window(program, name) is None, None))


def focused(program):
    """The control that has the keyboard focus, as a screen reader finds it."""
    for window in shown_windows(program):
        for node in walk(window, skip_lists=False):
            if node.getState().contains(pyatspi.STATE_FOCUSED):
                return node
    return None


def text_of(node):
    text = fresh(node).queryText()
    return text.getText(0, text.characterCount)


def position_is(program, controls, expected):
    wait_until(program, f"the position '{expected}'",
               lambda: (name_of(controls.position) == expected, name_of(controls.position)))


def check(program):
    home = os.path.dirname(program.data_home)
    window = find_main_window(program)
    controls = MainWindow(program, window)
    run("xdotool", "search", "--sync", "--onlyvisible", "--name", "^NT Frequency$", "windowactivate", "--sync")

    # The drill's keys.
    keys("alt+Right", "alt+Right")
    position_is(program, controls, "2 of 1125")
    keys("alt+End")
    position_is(program, controls, "1125 of 1125")
    keys("alt+Left")
    position_is(program, controls, "1124 of 1125")
    keys("alt+Home")
    position_is(program, controls, "1 of 1125")
    print("drill keys: Alt+Right, Alt+End, Alt+Left and Alt+Home move the card")

    # F10 opens the File menu; Esc twice closes it.
    keys("F10")
    wait_until(program, "the File menu open from F10", lambda: (showing(controls.exit), None))
    keys("Escape", "Escape")
    wait_until(program, "the File menu closed", lambda: (not showing(controls.exit), None))

    # The About box, closed with Esc, then with Enter; the main window is usable again each time.
    for key in ("Escape", "Return"):
        keys("alt+e", "b")
        about = wait_for_window(program, "About")
        ok = focused(program)
        if ok is None or ok.name != "OK":
            raise Failure(f"the About box's button does not have the focus: {ok}")
        keys(key)
        wait_gone(program, "About")
        wait_until(program, "the main window enabled", lambda: (enabled(controls.word_list),) * 2)
        print(f"About: its button has the focus; {key} closes it")
    del about

    # The Progress window: Tab goes through its figures; Esc closes it.
    keys("alt+t", "p")
    wait_for_window(program, "Progress")
    reached = []
    for _ in range(6):
        keys("Tab")
        wait_until(program, "the focus in the Progress window", lambda: (focused(program) is not None,) * 2)
        reached.append(focused(program).name)
    if "New: 1,125" not in reached or "Known: 0" not in reached:
        raise Failure(f"Tab did not reach the figures: {reached}")
    print(f"Progress: Tab reaches {reached}")
    keys("Escape")
    wait_gone(program, "Progress")

    # A set of one's own, and the editor's navigator from the keyboard.
    mine = os.path.join(home, "mine.SDB")
    keys("alt+i", "n")
    wait_until(program, "the New dialog", lambda: ("Save" in x_window_titles(program), x_window_titles(program)))
    type_text(mine)
    keys("Return")
    wait_until(program, "the new set open", lambda: (name_of(window) == mine, name_of(window)))
    keys("alt+t", "a")
    editor = wait_for_window(program, "Add your own words!")
    for greek, english in (("logos", "word"), ("pneuma", "spirit"), ("agape", "love")):
        type_text(greek)
        keys("Tab")
        type_text(english)
        keys("ctrl+s", "alt+Insert", "shift+Tab")
    keys("alt+Home")
    wait_until(program, "three cards in the set", lambda: (len(english_sides(mine)) == 3, english_sides(mine)))
    boxes = {n.name: n for n in walk(editor) if n.getRole() == pyatspi.ROLE_TEXT}
    english_box = boxes["English translation"]
    for key, expected in (("alt+Home", "love"), ("alt+Next", "spirit"), ("alt+End", "word"), ("alt+Prior", "spirit")):
        keys(key)
        wait_until(program, f"{key} bringing up '{expected}'",
                   lambda: (text_of(english_box) == expected, text_of(english_box)))
    keys("alt+Delete")
    wait_for_window(program, "Confirm")
    keys("Return")
    wait_until(program, "the card deleted", lambda: (english_sides(mine) == ["love", "word"], english_sides(mine)))
    print(f"editor: cards added with Ctrl+S and Alt+Ins, walked with the navigator's keys, one deleted: "
          f"{english_sides(mine)}")
    keys("Escape", "Escape")
    wait_gone(program, "Add your own words!")
    wait_until(program, "the main window enabled", lambda: (enabled(controls.word_list),) * 2)

    # Import: the file named in the dialog, the Greek column chosen with the arrow keys, Alt+I to import.
    keys("alt+t", "i")
    wait_until(program, "the Import dialog", lambda: ("Import Cards" in x_window_titles(program),) * 2)
    type_text(os.path.abspath(os.path.join(SAMPLES, "words.tsv")))
    keys("Return")
    importing = wait_for_window(program, "Import Cards")
    greek_box = next(n for n in walk(importing, skip_lists=True) if n.getRole() == pyatspi.ROLE_COMBO_BOX
                     and "Greek side" in n.description)
    keys("alt+g")
    wait_until(program, "the Greek column box focused", lambda: (fresh(greek_box).getState().contains(
        pyatspi.STATE_FOCUSED), None))
    keys("Down", "Up")
    keys("alt+i")
    wait_gone(program, "Import Cards")
    wait_until(program, "the imported cards in the set", lambda: (len(english_sides(mine)) == 6, english_sides(mine)))
    print(f"import: the cards of words.tsv added from the keyboard: {english_sides(mine)}")

    keys("alt+i", "x")
    code = program.process.wait(timeout=30)
    if code != 0:
        raise Failure(f"File > Exit ended the program with exit code {code}")


if __name__ == "__main__":
    sys.exit(run_test(__doc__, check))
