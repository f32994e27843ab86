#!/usr/bin/env python3
"""End-to-end test of the Reader with the keyboard alone, under a window manager.

Starts the program KARTE on the built-in set of a fresh data directory: Tools > Read..., Ctrl+G and "John 1", where
nothing is known yet, then Esc. Three cards are answered Easy in the Study window (Tools > Study, Space and 4 for
each), which makes their words known, and the Reader opened again comes back to John 1. Each time the sentence of how
much of the chapter is known and the glosses under the text must be those a count made here from the Greek text's
source file gives for the words known: the three words have left the glosses. A glossed word is chosen with the arrow
keys and its panel read; Prepare This Chapter opens the Study window on John 1's words; Save as PDF writes the
chapter, whose text pdftotext reads back with its glosses.

Run it inside a desktop session with an accessibility bus and a window manager (tests/e2e/xsession.sh with
KARTE_XSESSION_WM=openbox). Exits 0 when every check holds, 1 on the first that does not.
"""

import collections
import gzip
import os
import subprocess
import sys

import pyatspi

from e2esupport import (
    Failure,
    MainWindow,
    enabled,
    find_main_window,
    fresh,
    name_of,
    run,
    run_test,
    showing,
    wait_until,
    walk,
    x_window_titles,
)

SOURCE = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "data", "sblgnt-morphgnt.tsv.gz")
# The built-in set's first three cards, answered Easy: their words are known.
KNOWN = {"ὁ", "καί", "αὐτός"}


def keys(*names):
    """Keys as the user types them, a tenth of a second apart."""
    run("xdotool", "key", "--delay", "100", *names)


def text_of(node):
    text = fresh(node).queryText()
    return text.getText(0, text.characterCount)


def source_chapter(book, chapter):
    """The words of a chapter as the source gives them: (verse, word as it stands, lemma)."""
    words = []
    with gzip.open(SOURCE, "rt", encoding="utf-8") as source:
        next(source)
        for line in source:
            columns = line.rstrip("\n").split("\t")
            if columns[0] == book and int(columns[1]) == chapter:
                words.append((int(columns[2]), columns[4], columns[5]))
    return words


def expected_glosses(words, known):
    """Each lemma not known where it first occurs, as "verse form"."""
    seen, lines = set(), []
    for verse, word, lemma in words:
        if lemma not in known and lemma not in seen:
            seen.add(lemma)
            lines.append(f"{verse} {word}")
    return lines


def expected_coverage(words, name, lemmas):
    total = len(words)
    known = sum(1 for _, _, lemma in words if lemma in lemmas)
    unknown = sorted(collections.Counter(lemma for _, _, lemma in words if lemma not in lemmas).values(), reverse=True)
    more, reached = 0, known
    while reached * 100 < total * 95:
        reached += unknown[more]
        more += 1
    return f"You know {known * 100 // total}% of the {total:,} words of {name}. {more} more words for 95%."


def window_named(program, name):
    """The program's window with this name, once it is on the screen."""

    def probe():
        for app in pyatspi.Registry.getDesktop(0):
            if app is None or app.get_process_id() != program.process.pid:
                continue
            for window in app:
                if window is not None and window.name == name and showing(window):
                    return True, window
        return False, f"no {name} window on the screen"

    return wait_until(program, f"the {name} window", probe)


def reader_controls(program, window):
    wanted = {
        "coverage": ("description", "How much of the chapter you know"),
        "glosses": ("name", "Glosses of the chapter"),
        "form": ("description", "The word as it stands"),
        "panel": ("description", "The word chosen: lexical form, gloss, parsing, counts and your progress (Ctrl+I)"),
    }

    def probe():
        found = {}
        for node in walk(window):
            for key, (attribute, value) in wanted.items():
                if getattr(node, attribute) == value:
                    found[key] = node
        missing = sorted(set(wanted) - set(found))
        return not missing, (found if not missing else f"missing {', '.join(missing)}")

    return wait_until(program, "the Reader's controls", probe)


def check_chapter(program, found, words, known):
    """The Reader shows John 1 with the coverage and glosses the source gives for the lemmas known."""
    coverage = expected_coverage(words, "John 1", known)
    wait_until(program, "John 1's coverage", lambda: (name_of(found["coverage"]) == coverage,
                                                      name_of(found["coverage"])))
    print(f"coverage: {coverage}")
    shown = [line.split(" — ")[0] for line in text_of(found["glosses"]).split("\n")]
    if shown != expected_glosses(words, known):
        raise Failure(f"the glosses of John 1 are not the source's for {sorted(known)}: {shown[:8]}...")
    print(f"glosses: {len(shown)}, as the source counts them for {sorted(known)} known")


def check(program):
    window = find_main_window(program)
    controls = MainWindow(program, window)
    words = source_chapter("Jn", 1)

    # Tools > Read... (Tools is Alt+T), and John 1 by its reference.
    keys("alt+t", "r")
    reader = window_named(program, "Reader")
    found = reader_controls(program, reader)
    wait_until(program, "the Reader's first chapter", lambda: (name_of(found["coverage"]).startswith("You know"),
                                                               name_of(found["coverage"])))
    keys("ctrl+g")
    run("xdotool", "type", "--delay", "60", "John 1")
    keys("Return")
    check_chapter(program, found, words, set())
    keys("Escape")
    wait_until(program, "the main window usable again", lambda: (enabled(controls.word_list), None))

    # Three cards answered Easy in the Study window (Study... is Tools' S).
    keys("alt+t", "s")
    window_named(program, "Study")
    for _ in range(3):
        keys("space")
        keys("4")
    keys("Escape")
    wait_until(program, "the main window usable again", lambda: (enabled(controls.word_list), None))
    print("Study: ὁ, καί and αὐτός answered Easy")

    # The Reader opens where it was left, and the words known have left the glosses.
    keys("alt+t", "r")
    reader = window_named(program, "Reader")
    found = reader_controls(program, reader)
    check_chapter(program, found, words, KNOWN)

    # The second word, ἀρχῇ, is glossed; its panel tells its lexical form, counts and progress.
    keys("Right")
    wait_until(program, "the second word chosen", lambda: (name_of(found["form"]) == "ἀρχῇ", name_of(found["form"])))
    panel = name_of(found["panel"])
    for part in ("ἀρχή, -ῆς, ἡ:", "times in the New Testament", "in John", "In this set: new"):
        if part not in panel:
            raise Failure(f"the panel of ἀρχῇ lacks '{part}': {panel!r}")
    print(f"panel: {panel!r}")

    # Prepare This Chapter (Alt+P): the Study window studies John 1's words.
    keys("alt+p")
    study = window_named(program, "Study")

    def words_choice():
        for node in walk(study):
            # The box the Study window's "Words:" names, its value first in its description.
            if node.getRole() == pyatspi.ROLE_COMBO_BOX and "one book of the New Testament" in node.description:
                return fresh(node).description.startswith("John 1."), node.description
        return False, "no Words box"

    print(f"Prepare This Chapter: Words: {wait_until(program, 'Words: John 1', words_choice)!r}")
    keys("Escape")
    wait_until(program, "the Reader back", lambda: (enabled(found["form"]), None))

    # Save as PDF (Alt+D), Save PDF (Alt+A), the file's name typed in the dialog.
    path = os.path.join(program.home, "John 1.pdf")
    keys("alt+d")
    keys("alt+a")
    wait_until(program, "the Save as PDF dialog",
               lambda: ("Save as PDF" in x_window_titles(program), x_window_titles(program)))
    keys("ctrl+a")
    run("xdotool", "type", "--delay", "40", path)
    keys("Return")
    wait_until(program, "the PDF written", lambda: (os.path.exists(path), None))
    printed = subprocess.run(["pdftotext", "-layout", path, "-"], capture_output=True, text=True, check=True).stdout
    for line in ["John 1"] + [f"{gloss} — " for gloss in expected_glosses(words, KNOWN)[:5]]:
        if line not in printed:
            raise Failure(f"the PDF's text lacks '{line}': {printed[:400]!r}")
    print(f"PDF: {os.path.getsize(path)} bytes, John 1 with its glosses")
    keys("Escape")
    wait_until(program, "the main window usable again", lambda: (enabled(controls.word_list), None))


if __name__ == "__main__":
    sys.exit(run_test(__doc__, check))
