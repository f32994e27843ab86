#!/usr/bin/env python3
"""End-to-end test of the program as a blind user hears it, through Orca, the desktop's screen reader.

Starts Orca (Debian's, with settings of its own and a debug log that holds everything it would speak), then the
program KARTE, and drives both with synthetic keys and clicks (xdotool) as the user would: Orca's "read the status
bar", flat review of the window line by line, the drill buttons, an arrow key in the closed word list, and the
menus. Each check is on what Orca said, not on what the accessibility tree holds: a text the tree shows but Orca
never speaks helps nobody.

Run it inside a desktop session with a window manager (tests/e2e/xsession.sh with KARTE_XSESSION_WM=openbox).
Exits 0 when every check holds, 1 on the first that does not.
"""

import subprocess
import sys

from e2esupport import CARD_COUNT, Failure, MainWindow, click, find_main_window, run_test, wait_until
from screenreader import Orca

orca = None


def activate(program):
    """Brings the main window to the front with the keyboard focus, where the window manager put the user."""
    found = subprocess.run(
        ["xdotool", "search", "--onlyvisible", "--pid", str(program.process.pid), "--name", "^NT Frequency$"],
        capture_output=True, text=True, timeout=20,
    ).stdout.split()
    if not found:
        raise Failure("no X window titled 'NT Frequency'")
    subprocess.run(["xdotool", "windowactivate", "--sync", found[0]], check=True, timeout=20)


def heard(what, keys_or_action, expected, program):
    """Does one thing and waits for Orca to say what is expected of it; prints what it said."""
    if callable(keys_or_action):
        orca.settle()
        mark = orca.mark()
        keys_or_action()
    else:
        orca.settle()
        mark = orca.mark()
        orca.press(*keys_or_action)
    said = orca.wait_to_say(program, what, expected, mark)
    print(f"{what}: Orca said {said}")
    return said, mark


def check(program):
    window = find_main_window(program)
    controls = MainWindow(program, window)
    activate(program)
    # Orca follows the program once it has spoken the word list, where the keyboard focus starts.
    wait_until(program, "Orca reading the word list", lambda: (any("combo box" in t for t in orca.said()), orca.said()))

    # "Read the status bar" (Orca key + keypad Enter, twice): the position and the frequency of the first card.
    heard("the status bar", ["KP_Insert+KP_Enter", "KP_Insert+KP_Enter"],
          ["Status line statusbar", f"1 of {CARD_COUNT}", "19769"], program)

    # Flat review reads the whole window line by line: the card, the drill bar by its buttons' names, the status line.
    said, mark = heard("flat review", ["KP_Subtract"], ["Entering flat review"], program)
    orca.press("KP_Insert+KP_Home")
    for _ in range(10):
        if any(text.startswith(f"1 of {CARD_COUNT}") for text in orca.said(mark)):
            break
        before = len(orca.said(mark))
        orca.press("KP_Page_Up")
        wait_until(program, "the next line of flat review", lambda: (len(orca.said(mark)) > before, orca.said(mark)))
    lines = orca.said(mark)
    print(f"flat review: {lines}")
    for line in ("ὁ", "First card Back Forward Last card", f"1 of {CARD_COUNT} 19769"):
        if line not in lines:
            raise Failure(f"flat review never read the line '{line}'; it read {lines}")
    found = orca.log_lines(mark, "FLAT REVIEW: ")
    if not any("found for [frame | NT Frequency]" in line for line in found):
        raise Failure(f"flat review did not take the main window as the window: {found}")
    # Back on the drill bar, the first button read as an object: its name and role, then what it does.
    heard("a drill button", ["KP_Home", "KP_Insert+KP_Begin"], ["First card push button", "Goes to the first card"],
          program)
    heard("leaving flat review", ["KP_Subtract"], ["Leaving flat review"], program)

    # The drill: ">" reveals the English side, the next ">" brings up the next card with its position.
    heard("> revealing the English side", lambda: click(controls.forward), ["the"], program)
    heard("> moving on to the next card", lambda: click(controls.forward), [f"καί, 2 of {CARD_COUNT}"], program)

    # An arrow key in the closed word list: the entry, then the card it brought up. The list still shows its first
    # entry, the drill having moved on without it.
    heard("Down in the word list", ["Down"], [f"and, even, also: καί, 2 of {CARD_COUNT}"], program)
    heard("Down again", ["Down"], [f"he, she, it; self; same: αὐτός, 3 of {CARD_COUNT}"], program)

    # The menus say their names as they open and as Right moves on; the unavailable item is reached and read so.
    heard("Alt+I", ["alt+i"], ["File menu, New..."], program)
    heard("Right", ["Right"], ["Card Set menu, NT Frequency"], program)
    heard("Right twice more", ["Right", "Right"], ["Tools menu, Font"], program)
    heard("Down in the Tools menu", ["Down"], ["Add/Edit Custom Cards grayed"], program)
    orca.press("Escape", "Escape")

    # The Study window is the keyboard's way through the cards: each card that comes up and each answer shown is
    # spoken, with what is left of the day.
    heard("Tools > Study", ["alt+t", "s"], ["ὁ. New 20 · Learning 0 · Due 0"], program)
    heard("Space showing the answer", ["space"], ["the. Frequency: 19769"], program)
    heard("3 grading it Good", ["3"], ["καί. New 19 · Learning 1 · Due 0"], program)
    orca.press("Escape")


def main():
    global orca
    try:
        with Orca() as listening:
            orca = listening
            return run_test(__doc__, check)
    except Failure as failure:
        print(f"FAILED: {failure}", file=sys.stderr)
        return 1


if __name__ == "__main__":
    sys.exit(main())
