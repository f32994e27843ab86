#!/usr/bin/env python3
"""End-to-end test of importing cards through the real windows.

Starts the program KARTE on the built-in set and imports the three sample files of tests/interchange/data as a user
would, through Tools > Import Cards, the file dialog and the import window: the spreadsheet's CSV into a new set
(the built-in set takes no cards), which the main window then opens, then the TSV file and the flashcard program's
text into that open set. Each time the import window must show the file's first card in its preview and the plan's
sentence, and afterwards the cards must be in the set's file and the main window must show the set.

Run it inside a desktop session with an accessibility bus (tests/e2e/xsession.sh makes one). Exits 0 when every
check holds, 1 on the first that does not.
"""

import os
import sys

import pyatspi

from e2esupport import (
    Failure,
    MainWindow,
    click,
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

# Each file in turn: its first card as the preview shows it (Greek, English, Frequency), the plan, and how many cards
# the set holds afterwards.
IMPORTS = [
    ("spreadsheet.csv", ("λόγος", "word, message", "330"), "6 cards to add", 6),
    ("words.tsv", ("λόγος", "word", "330"), "4 cards to add", 10),
    ("flashcards.txt", ("λόγος", "word, message saying", ""), "4 cards to add", 14),
]


def type_into_file_dialog(program, title, path):
    """Waits for the file dialog with this caption and types the name into its name box, which has the focus."""
    wait_until(program, f"the file dialog '{title}'", lambda: (title in x_window_titles(program), None))
    run("xdotool", "type", "--delay", "20", path)
    run("xdotool", "key", "Return")


def find_import_window(program):
    """The import window's plan, preview and Import button, found as a screen reader finds them."""

    def probe():
        for window in shown_windows(program):
            if window.name != "Import Cards":
                continue
            found = {}
            for node in walk(window, skip_lists=False):
                role = node.getRole()
                if role == pyatspi.ROLE_LABEL and node.description == "What the import will do":
                    found["plan"] = node
                elif role == pyatspi.ROLE_TABLE and node.name == "Preview":
                    found["preview"] = node
                elif role == pyatspi.ROLE_PUSH_BUTTON and node.name == "Import":
                    found["import"] = node
            if len(found) == 3:
                return True, found
        return False, "no import window with its plan, preview and Import button"

    return wait_until(program, "the import window", probe)


def first_card(preview):
    """The first row of the preview table, as the table tells a screen reader."""
    table = fresh(preview).queryTable()
    return tuple(name_of(table.getAccessibleAt(0, column)) for column in range(3))


def check(program):
    home = os.path.dirname(program.data_home)
    new_set = os.path.join(home, "greek.SDB")
    window = find_main_window(program)
    controls = MainWindow(program, window)
    tools = next(n for n in walk(window) if n.getRole() == pyatspi.ROLE_MENU_ITEM and n.name == "Tools")
    import_item = next(n for n in walk(tools) if n.getRole() == pyatspi.ROLE_MENU_ITEM and n.name == "Import Cards...")

    for file, card, plan, count in IMPORTS:
        click(tools)
        wait_until(program, "the Tools menu to open", lambda: (showing(import_item), "closed"))
        click(import_item)
        type_into_file_dialog(program, "Import Cards", os.path.abspath(os.path.join(SAMPLES, file)))
        found = find_import_window(program)
        wait_until(program, f"the preview of {file}", lambda: (first_card(found["preview"]) == card,) * 2)
        wait_until(program, f"the plan '{plan}'", lambda: (name_of(found["plan"]) == plan, name_of(found["plan"])))
        print(f"{file}: the preview shows {card[0]} / {card[1]}; {plan}")
        click(found["import"])
        if not os.path.exists(new_set):
            type_into_file_dialog(program, "New Card Set", new_set)
        wait_until(program, f"the caption '{new_set}'", lambda: (name_of(window) == new_set, name_of(window)))
        wait_until(
            program,
            f"the status line '1 of {count}'",
            lambda: (name_of(controls.position) == f"1 of {count}", name_of(controls.position)),
        )
        cards = english_sides(new_set)
        if len(cards) != count:
            raise Failure(f"after {file} the set holds {len(cards)} cards, not {count}: {cards}")
        print(f"{file}: {count} cards in {os.path.basename(new_set)}, shown in the main window")

    for english in ("spirit, wind, breath", "love", "I shine <intr.>"):
        if english not in english_sides(new_set):
            raise Failure(f"no card '{english}' in the set: {english_sides(new_set)}")
    click(controls.file_menu)
    wait_until(program, "the File menu to open", lambda: (showing(controls.exit), "closed"))
    click(controls.exit)
    code = program.process.wait(timeout=30)
    if code != 0:
        raise Failure(f"File > Exit ended the program with exit code {code}")


if __name__ == "__main__":
    sys.exit(run_test(__doc__, check))
