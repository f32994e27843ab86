#!/usr/bin/env python3
"""End-to-end test of Orca's flat review at twice the size (QT_SCALE_FACTOR=2): a click on a drill button in flat
review presses that button.

Orca clicks where the program says a control lies on the screen. At a scale other than 1, Qt 6.4 said it in the
program's own pixels, half the screen's here, and the click went beside the button. Starts Orca and the program
KARTE at scale 2, moves on to the second card with the drill's key, then goes to the drill bar in flat review and
clicks "First card" there; Orca must say the first card it brought up.

Run it inside a desktop session with a window manager (tests/e2e/xsession.sh with KARTE_XSESSION_WM=openbox).
Exits 0 when the check holds, 1 when it does not.
"""

import os
import sys

from e2esupport import CARD_COUNT, Failure, find_main_window, wait_until

import karte_orca_e2e as spoken


def check(program):
    orca = spoken.orca
    find_main_window(program)
    spoken.activate(program)
    wait_until(program, "Orca reading the word list", lambda: (any("combo box" in t for t in orca.said()), orca.said()))
    spoken.heard("Alt+Right twice", ["alt+Right", "alt+Right"], [f"καί, 2 of {CARD_COUNT}"], program)
    _, mark = spoken.heard("flat review", ["KP_Subtract"], ["Entering flat review"], program)
    orca.press("KP_Insert+KP_Home")
    for _ in range(10):
        if "First card Back Forward Last card" in orca.said(mark):
            break
        before = len(orca.said(mark))
        orca.press("KP_Page_Up")
        wait_until(program, "the next line of flat review", lambda: (len(orca.said(mark)) > before, orca.said(mark)))
    else:
        raise Failure(f"flat review never reached the drill bar: {orca.said(mark)}")
    # The line starts with "First card"; keypad slash clicks where flat review is.
    spoken.heard("a click on First card in flat review", ["KP_Divide"], [f"ὁ, 1 of {CARD_COUNT}"], program)
    orca.press("KP_Subtract")


if __name__ == "__main__":
    os.environ["QT_SCALE_FACTOR"] = "2"
    sys.exit(spoken.run_with_orca(__doc__, check))
