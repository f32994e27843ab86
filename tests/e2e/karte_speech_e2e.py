#!/usr/bin/env python3
"""End-to-end test of reading the Greek aloud on a computer without sound.

Starts the program KARTE where no sound server can be reached (PULSE_SERVER points nowhere), so there is no sound
device, and studies as a user would: Tools > Study, then Ctrl+R twice on the first card. The Study window's note line
must say plainly, once, that the Greek cannot be read aloud for want of a sound device, and the review must go on:
Space shows the answer, 3 answers Good and the next card comes up; Esc closes the window.

Run it inside a desktop session with an accessibility bus and a window manager (tests/e2e/xsession.sh with
KARTE_XSESSION_WM=openbox). Exits 0 when every check holds, 1 on the first that does not.
"""

import os
import sys

from e2esupport import Failure, MainWindow, enabled, find_main_window, name_of, run, run_test, showing, wait_until, walk
from karte_study_e2e import card_on_show, open_study, study_window

NO_SOUND = "Greek cannot be read aloud: there is no sound device."


def note_line(program, main_window):
    """The Study window's note line, found by its description as a screen reader finds it."""

    def probe():
        for window in main_window.get_application():
            if window is None or window.name != "Study" or not showing(window):
                continue
            for node in walk(window):
                if node.description == "About this study":
                    return True, node
            return False, "the Study window without its note line"
        return False, "no Study window on the screen"

    return wait_until(program, "the Study window's note line", probe)


def check(program):
    window = find_main_window(program)
    controls = MainWindow(program, window)
    open_study(program)
    study = study_window(program, window)
    note = note_line(program, window)
    card_on_show(program, study, "ὁ", None, "New 20")

    run("xdotool", "key", "ctrl+r")
    said = wait_until(program, "the note that nothing can be heard", lambda: (NO_SOUND in name_of(note), name_of(note)))
    print(f"Ctrl+R: the note line says {said!r}")
    run("xdotool", "key", "ctrl+r")
    # Keys are handled in turn: once Space has shown the answer, the second Ctrl+R has been handled too.
    run("xdotool", "key", "space")
    card_on_show(program, study, "ὁ", "the", "New 20")
    if name_of(note).count(NO_SOUND) != 1:
        raise Failure(f"the note line after a second Ctrl+R: {name_of(note)!r}")
    print("Ctrl+R again: the note line still says it once; Space showed the answer")
    run("xdotool", "key", "3")
    card_on_show(program, study, "καί", None, "New 19")
    print("the review goes on: 3 answered Good and καί came up")
    run("xdotool", "key", "Escape")
    wait_until(program, "the main window usable again", lambda: (enabled(controls.word_list), None))


if __name__ == "__main__":
    # No sound server, whatever the machine running the test has: PulseAudio's clients find none at this address.
    os.environ["PULSE_SERVER"] = "unix:/nonexistent/karte-e2e-no-sound"
    sys.exit(run_test(__doc__, check))
