#!/usr/bin/env python3
"""End-to-end test of studying with the keyboard alone.

Starts the program KARTE on the built-in set of a fresh data directory and studies as a user would, keys only:
Tools > Study, then Space to see the answer and 4 (Easy) for three cards, and Esc. The Study window must show each
card's Greek side, then its English side, with the day's counts, and for the first the word's verses and forms;
after Esc the main window is usable again. The program is then closed and started again on the same data: the
answers must have been kept, which the Study window's counts show, and Tools > Progress must count the three words
known with their share of the New Testament.

Run it inside a desktop session with an accessibility bus and a window manager (tests/e2e/xsession.sh with
KARTE_XSESSION_WM=openbox), which gives the keyboard to the program as a desktop does. Exits 0 when every check
holds, 1 on the first that does not.
"""

import sys

from e2esupport import (
    DEADLINE,
    Failure,
    MainWindow,
    Program,
    click,
    enabled,
    find_main_window,
    fresh,
    name_of,
    run,
    run_test,
    showing,
    wait_until,
    walk,
)

# The first cards of the built-in set, most frequent first.
FIRST_CARDS = [("ὁ", "the"), ("καί", "and, even, also"), ("αὐτός", "he, she, it; self; same")]


def study_window(program, main_window):
    """The Study window's card sides and counts, found as a screen reader finds them."""
    application = main_window.get_application()

    def probe():
        for window in application:
            if window is None or window.name != "Study" or not showing(window):
                continue
            found = {}
            for node in walk(window):
                description = node.description
                if description == "Card, side shown first":
                    found["front"] = node
                elif description == "Card, answer side":
                    found["back"] = node
                elif description == "Cards left today":
                    found["counts"] = node
                elif node.name == "In the New Testament":
                    found["verses"] = node
            if len(found) == 4:
                return True, found
            return False, f"the Study window without {sorted({'front', 'back', 'counts', 'verses'} - set(found))}"
        return False, "no Study window on the screen"

    return wait_until(program, "the Study window", probe)


def shown(node):
    return name_of(node) if showing(node) else None


def card_on_show(program, study, front, back, counts_start):
    def probe():
        seen = (shown(study["front"]), shown(study["back"]), name_of(study["counts"]))
        return seen[0] == front and seen[1] == back and seen[2].startswith(counts_start), seen

    return wait_until(program, f"the card {front} / {back} ({counts_start}...)", probe)


def open_study(program):
    # Tools is Alt+T, Study... is its S.
    run("xdotool", "key", "--delay", "150", "alt+t", "s")


def progress_sentence(main_window, expected):
    """A probe: the Progress window's sentence of the New Testament's words known."""
    for window in main_window.get_application():
        if window is None or window.name != "Progress" or not showing(window):
            continue
        for node in walk(window):
            if node.description.startswith("The share of the New Testament"):
                return name_of(node) == expected, name_of(node)
        return False, "the Progress window without its sentence"
    return False, "no Progress window on the screen"


def check(program):
    window = find_main_window(program)
    controls = MainWindow(program, window)

    open_study(program)
    study = study_window(program, window)
    wait_until(program, "the main window disabled", lambda: (not enabled(controls.word_list),) * 2)
    new_left = 20
    for index, (greek, english) in enumerate(FIRST_CARDS):
        card_on_show(program, study, greek, None, f"New {new_left} · Learning 0 · Due 0")
        run("xdotool", "key", "space")
        card_on_show(program, study, greek, english, f"New {new_left}")
        if index == 0:
            # The answer side shows the word in its verses, with their references (held on one line by no-break
            # spaces), and its commonest forms.
            def verses():
                text = fresh(study["verses"]).queryText()
                shown_text = text.getText(0, text.characterCount).replace("\xa0", " ")
                return "— Mark 1:1" in shown_text and "Commonest forms" in shown_text, shown_text[:200]

            print(f"{greek}: the verses and forms shown: {wait_until(program, 'the verses of ὁ', verses)!r}")
        run("xdotool", "key", "4")
        new_left -= 1
        print(f"{greek}: Space showed '{english}', 4 answered Easy")
    card_on_show(program, study, "σύ", None, "New 17 · Learning 0 · Due 0")
    run("xdotool", "key", "Escape")
    wait_until(program, "the Study window closed and the main window usable again",
               lambda: (enabled(controls.word_list), None))
    print("Esc: the Study window closed, the main window usable")

    click(controls.file_menu)
    wait_until(program, "the File menu to open", lambda: (showing(controls.exit), "closed"))
    click(controls.exit)
    if program.process.wait(timeout=DEADLINE) != 0:
        raise Failure("File > Exit did not end the program cleanly")

    # The same data again: the three answers were kept in the set.
    again = Program(program.executable, program.home)
    try:
        window = find_main_window(again)
        MainWindow(again, window)
        open_study(again)
        study = study_window(again, window)
        card_on_show(again, study, "σύ", None, "New 17 · Learning 0 · Due 0")
        print("started again: the Study window goes on at σύ")
        run("xdotool", "key", "Escape")
        wait_until(again, "the Study window closed", lambda: (enabled(MainWindow(again, window).word_list), None))

        # Tools > Progress counts the three words known: 19,769 + 8,973 + 5,546 of the 137,554 running words.
        run("xdotool", "key", "--delay", "150", "alt+t", "p")
        expected = "You know 3 words, 24.9% of the words you will read in the New Testament"
        sentence = wait_until(again, "the Progress window's coverage", lambda: progress_sentence(window, expected))
        print(f"Progress: {sentence}")
        run("xdotool", "key", "Escape")
    finally:
        again.stop()


if __name__ == "__main__":
    sys.exit(run_test(__doc__, check))
