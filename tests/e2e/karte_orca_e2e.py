#!/usr/bin/env python3
"""End-to-end test of the program as a blind user hears it, through Orca, the desktop's screen reader.

Starts Orca (Debian's, with settings of its own and a debug log that holds everything it would speak), then the
program KARTE, and drives both with synthetic keys and clicks (xdotool) as the user would: the card said with the
window at start, Orca's "read the status bar", flat review of the window line by line, the drill buttons and their
keys, an arrow key in the closed word list, the menus (F10 too) with each first item said once, the About box, the
Study window's review (the intervals said with the answer, an answer taken back, the card said again, flat review of
the card and the answer, keys that go where the focus is), its search box word by word (Ctrl+Left froze the program)
and its combo boxes' values, the Progress window's figures in flat review and with Tab, the Reader's chapter, words,
verses and panel, and the custom card editor from the keyboard. Each check is on what Orca said, not on what the
accessibility tree holds: a text the tree shows but Orca never speaks helps nobody.

Run it inside a desktop session with a window manager (tests/e2e/xsession.sh with KARTE_XSESSION_WM=openbox).
Exits 0 when every check holds, 1 on the first that does not.
"""

import os
import re
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


def never_said(what, said, texts):
    """Fails if Orca said any of the texts on its own (as one utterance, with or without its full stop)."""
    for text in texts:
        if text in said or text + "." in said:
            raise Failure(f"{what}: Orca said '{text}' on its own; it said {said}")


def typed(text):
    """Types text as the user does, once Orca is idle."""

    def action():
        subprocess.run(["xdotool", "type", "--delay", "100", text], check=True, timeout=60)

    return action


def heard(what, keys_or_action, expected, program, prefix=False):
    """Does one thing and waits for Orca to say what is expected of it (with prefix, an utterance that starts with
    the one text expected); prints what it said."""
    if callable(keys_or_action):
        orca.settle()
        mark = orca.mark()
        keys_or_action()
    else:
        orca.settle()
        mark = orca.mark()
        orca.press(*keys_or_action)
    if prefix:
        said = wait_until(program, f"Orca saying {expected[0]!r}... ({what})",
                          lambda: (any(t.startswith(expected[0]) for t in orca.said(mark)), orca.said(mark)))
    else:
        said = orca.wait_to_say(program, what, expected, mark)
    print(f"{what}: Orca said {said}")
    return said, mark


def coverage_said(said, chapter, words):
    """Orca said the Reader's coverage sentence for the chapter of so many words."""
    pattern = re.compile(rf"You know \d+% of the {words} words of {chapter}\. \d+ more words for 95%")
    if not any(pattern.match(text) for text in said):
        raise Failure(f"Orca did not say how much of {chapter} is known: {said}")


def check(program):
    window = find_main_window(program)
    controls = MainWindow(program, window)
    activate(program)
    # Orca follows the program once it has spoken the word list, where the keyboard focus starts; the card the
    # program starts on is said with the window, before it.
    wait_until(program, "Orca reading the word list", lambda: (any("combo box" in t for t in orca.said()), orca.said()))
    start = orca.said()
    print(f"start: Orca said {start}")
    orca.wait_to_say(program, "the card at start", ["NT Frequency frame", f"ὁ, 1 of {CARD_COUNT}", "Word list"], 0)

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

    # The drill from the keyboard: each button's key does what the button does, said the same way.
    heard("Alt+Right revealing the English side", ["alt+Right"], ["he, she, it; self; same"], program)
    heard("Alt+Right moving on", ["alt+Right"], [f"σύ, 4 of {CARD_COUNT}"], program)
    heard("Alt+Left going back", ["alt+Left"], [f"he, she, it; self; same, 3 of {CARD_COUNT}"], program)
    heard("Alt+Left revealing the Greek side too", ["alt+Left"], ["αὐτός"], program)
    heard("Alt+End", ["alt+End"], [f"ᾅδης, Hades, realm of the dead, {CARD_COUNT} of {CARD_COUNT}"], program)
    heard("Alt+Home", ["alt+Home"], [f"ὁ, the, 1 of {CARD_COUNT}"], program)

    # The menus say their names as they open and as Right moves on, with the first item, which is said once; the
    # unavailable item is reached and read so.
    said, _ = heard("Alt+I", ["alt+i"], ["File menu, New..."], program)
    never_said("Alt+I", said, ["New...", "File"])
    heard("Right", ["Right"], ["Card Set menu, NT Frequency"], program)
    said, _ = heard("Right twice more", ["Right", "Right"], ["Tools menu, Font"], program)
    never_said("Right twice more", said, ["Font"])
    heard("Down in the Tools menu", ["Down"], ["Add/Edit Custom Cards grayed"], program)
    heard("Esc back to the menu bar", ["Escape"], ["Tools"], program)
    orca.press("Escape")
    said, _ = heard("F10", ["F10"], ["File menu, New..."], program)
    never_said("F10", said, ["New..."])
    orca.press("Escape", "Escape")

    # The About box: a dialog that says the words of its picture, its button has the focus, and Esc closes it.
    heard("Help > About", ["alt+e", "b"],
          ["About dialog Karte Cards. Version 2.0. New Testament Greek vocabulary. Quarn Software. Two word cards: "
           "word, λόγος.", "OK push button"], program)
    heard("Esc closing the About box", ["Escape"], ["NT Frequency frame", f"ὁ, the, 1 of {CARD_COUNT}"], program)

    # The Progress window: its figures in flat review, and each reached with Tab.
    heard("Tools > Progress", ["alt+t", "p"], ["Progress frame", "NT Frequency label"], program)
    heard("Tab to the first figure", ["Tab"], [f"New: {CARD_COUNT:,} label"], program)
    heard("Tab to the next", ["Tab"], ["Learning: 0 label"], program)
    said, mark = heard("flat review of the Progress window", ["KP_Subtract"], ["Entering flat review"], program)
    orca.press("KP_Insert+KP_Home")
    orca.press("KP_Page_Up")
    orca.press("KP_Page_Up")
    orca.wait_to_say(program, "the figures in flat review", [f"New: {CARD_COUNT:,} Learning: 0 Known: 0 Due today: 0"],
                     mark)
    orca.press("KP_Subtract", "Escape")

    # The Study window is the keyboard's way through the cards: each card that comes up and each answer shown is
    # spoken, with what is left of the day.
    heard("Tools > Study", ["alt+t", "s"], ["ὁ. New 20 · Learning 0 · Due 0"], program)
    # The answer is said with the intervals the four buttons show (Easy's is fuzzed by a day or so).
    heard("Space showing the answer", ["space"],
          ["the. Frequency: 19769. Again 1 minute, Hard 6 minutes, Good 10 minutes, Easy "], program, prefix=True)
    heard("3 grading it Good", ["3"], ["καί. New 19 · Learning 1 · Due 0"], program)
    study_review(program)

    # A combo box named by its label says its value as it gets the focus, and as the arrow keys change it.
    heard("Tab to Words", ["Tab"],
          ["Words: combo box", "All words. All words, or the words of one book of the New Testament"], program)
    heard("Down in Words", ["Down"], ["Matthew"], program, prefix=True)
    heard("Up in Words", ["Up"], ["All words"], program, prefix=True)

    # The search box word by word and to both ends: Ctrl+Left froze the program for good while Orca ran.
    heard("Ctrl+F", ["ctrl+f"], ["Find a card text"], program)
    orca.settle()
    typed("logos kai")()
    heard("Ctrl+Left", ["ctrl+Left"], ["kai"], program)
    heard("Ctrl+Left again", ["ctrl+Left"], ["logos"], program, prefix=True)
    heard("Ctrl+Right", ["ctrl+Right"], ["logos"], program, prefix=True)
    heard("End", ["End"], ["blank"], program)
    heard("Home", ["Home"], ["l"], program)
    heard("Shift+End", ["shift+End"], ["logos kai", "selected"], program)
    # Esc leaves the search, then closes the window.
    mark = orca.mark()
    for _ in range(3):
        orca.press("Escape")
        if "NT Frequency frame" in [t.rstrip(".") for t in orca.said(mark)]:
            break
    orca.wait_to_say(program, "the Study window closed", ["NT Frequency frame"], mark)

    # The Reader: the coverage sentence as a chapter opens (its share is what the answers above made known, which the
    # window tests check); word by word, each word with its gloss (a word not known yet); Down a verse whole; Ctrl+I
    # the panel; Esc closes it.
    said, _ = heard("Tools > Read", ["alt+t", "r"], ["You know "], program, prefix=True)
    coverage_said(said, "Matthew 1", 436)
    heard("Right to the next word", ["Right"], ["γενέσεως: "], program, prefix=True)
    heard("Down to the next verse", ["Down"], ["Verse 2. Ἀβραὰμ ἐγέννησεν τὸν Ἰσαάκ,"], program, prefix=True)
    heard("Ctrl+I for the panel", ["ctrl+i"], ["Ἀβραὰμ. Ἀβραάμ, ὁ"], program, prefix=True)
    said, _ = heard("Ctrl+G and a reference", lambda: (orca.press("ctrl+g"), typed("Jn 1")(), orca.press("Return")),
                    ["You know "], program, prefix=True)
    coverage_said(said, "John 1", 826)
    heard("Esc closing the Reader", ["Escape"], ["NT Frequency frame"], program)

    # The custom card editor, on a set of one's own made with File > New, from the keyboard alone.
    home = os.path.dirname(program.data_home)
    heard("File > New", ["alt+i", "n"], ["File name: text"], program)
    orca.settle()
    typed(os.path.join(home, "mine.SDB"))()
    heard("the new set", ["Return"], ["0 of 0"], program)
    heard("Tools > Add/Edit Custom Cards", ["alt+t", "a"], ["Add your own words!", "Word or phrase text"], program)
    orca.settle()
    typed("logos")()
    heard("Tab", ["Tab"], ["English translation text"], program)
    orca.settle()
    typed("word")()
    heard("Ctrl+S saving the card", ["ctrl+s"], ["logos, word, 1 of 1"], program)
    heard("Alt+Ins adding a card", ["alt+Insert"], ["New card"], program)
    orca.settle()
    typed("speech")()
    heard("Shift+Tab", ["shift+Tab"], ["Word or phrase text"], program)
    orca.settle()
    typed("logos")()
    heard("Alt+Home", ["alt+Home"], ["logos, speech, 1 of 2"], program)
    heard("Alt+PgDown", ["alt+Next"], ["logos, word, 2 of 2"], program)
    # Each box is read whole, as it gets the focus: the last letter was missing.
    heard("Tab back to the English box", ["Tab"], ["English translation text", "word"], program)
    heard("Esc in a box", ["Escape"], ["word"], program)
    heard("Esc again closing the editor", ["Escape"], ["Word list"], program)


def tab_to(program, what, starts, tabs=12):
    """Presses Tab until Orca says a text that starts so, as a user tabs to a control by ear."""
    for _ in range(tabs):
        orca.settle()
        mark = orca.mark()
        orca.press("Tab")
        orca.settle()
        if any(text.startswith(starts) for text in orca.said(mark)):
            return
    raise Failure(f"Tab never reached {what}: Orca never said a text starting '{starts}'")


def study_review(program):
    """The Study window's review by ear, on καί after ὁ was answered Good: an answer taken back, the card said again,
    Orca's own keypad keys, flat review of the card and the answer, Space on a focused grade button, and a settings
    box that takes what is typed until Esc gives the keys back to the review."""
    heard("Ctrl+Z taking the answer back", ["ctrl+z"], ["Answer taken back: ὁ. New 20 · Learning 0 · Due 0"], program)
    heard("S saying the card again", ["s"], ["ὁ. New 20 · Learning 0 · Due 0"], program)
    # Orca's where-am-I, twice: Orca's own keys; the card is neither shown (S would say the answer) nor graded.
    orca.press("KP_Enter", "KP_Enter")
    said, _ = heard("S after where-am-I", ["s"], ["ὁ. New 20 · Learning 0 · Due 0"], program)
    never_said("where-am-I", said, ["καί. New 19 · Learning 1 · Due 0"])

    # Flat review reads the counts, the card, and once shown the answer, the frequency and the verses, down to the
    # settings row below them.
    heard("Space showing the answer again", ["space"], ["the. Frequency: 19769"], program, prefix=True)
    said, mark = heard("flat review of the Study window", ["KP_Subtract"], ["Entering flat review"], program)
    orca.press("KP_Insert+KP_Home")
    for _ in range(20):
        if any(text.startswith("First side:") for text in orca.said(mark)):
            break
        before = len(orca.said(mark))
        orca.press("KP_Page_Up")
        wait_until(program, "the next line of flat review", lambda: (len(orca.said(mark)) > before, orca.said(mark)))
    lines = [text.rstrip(".") for text in orca.said(mark)]
    print(f"flat review of the Study window: {lines}")
    for line in ("New 20 · Learning 0 · Due 0", "ὁ", "the", "Frequency: 19769"):
        if line not in lines:
            raise Failure(f"flat review of the Study window never read the line '{line}'; it read {lines}")
    if not any("Mark\xa01:1" in line for line in lines):
        raise Failure(f"flat review of the Study window never read the verses; it read {lines}")
    heard("leaving flat review", ["KP_Subtract"], ["Leaving flat review"], program)

    # Space on the grade button that has the focus answers with that button: Easy takes the new card to review,
    # where Good, which Space gives elsewhere, would keep it learning.
    tab_to(program, "the Easy button", "Easy, next in")
    heard("Space on Easy", ["space"], ["καί. New 19 · Learning 0 · Due 0"], program)

    # What is typed into a settings box goes into it; Esc gives the keys back to the review, which says the card.
    tab_to(program, "the retention box", "Desired retention")
    said, _ = heard("typing 9 0 and Space into the box", ["9", "0", "space"], ["0"], program, prefix=True)
    never_said("typing into the box", said, ["and, even, also"])
    heard("Esc back to the review", ["Escape"], ["καί. New 19 · Learning 0 · Due 0"], program)
    heard("Space in the review", ["space"], ["and, even, also"], program, prefix=True)


def run_with_orca(description, checks):
    """Runs checks(program) while Orca listens, as run_test runs a check; heard() and the others use this Orca."""
    global orca
    try:
        with Orca() as listening:
            orca = listening
            return run_test(description, checks)
    except Failure as failure:
        print(f"FAILED: {failure}", file=sys.stderr)
        return 1


if __name__ == "__main__":
    sys.exit(run_with_orca(__doc__, check))
