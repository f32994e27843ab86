#!/usr/bin/env python3
"""End-to-end test of the real program, as a user meets it.

Starts the program KARTE (the installed executable) on a data and configuration directory of its own, finds its
window through the accessibility bus (AT-SPI), clicks and types with synthetic input (xdotool), and checks what is
on the screen: the caption, the first card, ">" twice, a choice in the word list, and File > Exit, after which the
program has ended cleanly and has written the display font into the per-user built-in set.

Run it inside a desktop session with an accessibility bus (tests/e2e/xsession.sh makes one). Every wait polls
with a deadline; nothing waits a fixed time. Exits 0 when every check holds, 1 on the first that does not.
"""

import os
import sqlite3
import subprocess
import sys

from e2esupport import (
    CAPTION,
    CARD_COUNT,
    DEADLINE,
    Failure,
    MainWindow,
    NameChanges,
    click,
    find_main_window,
    name_of,
    run,
    run_test,
    showing,
    wait_until,
    x_window_titles,
)


def card_shown(window, greek, english_showing, position, english=None):
    """A probe: the card side(s) and status line a user should see."""

    def probe():
        seen = {
            "Greek": name_of(window.greek) if showing(window.greek) else None,
            "English": name_of(window.english) if showing(window.english) else None,
            "status": name_of(window.position),
        }
        expected = {
            "Greek": greek,
            "English": (english if english_showing else None),
            "status": position,
        }
        return seen == expected, seen

    return probe


def stored_fonts(path):
    """(English, FontName, FontSize) of every card that holds a font, read straight from the file."""
    connection = sqlite3.connect(f"file:{path}?mode=ro", uri=True)
    try:
        fields = connection.execute("SELECT position, name FROM karte_fields")
        columns = {name: f"f{position}" for position, name in fields}
        query = (
            f"SELECT {columns['English']}, {columns['FontName']}, {columns['FontSize']} FROM cards "
            f"WHERE COALESCE({columns['FontName']}, '') <> '' ORDER BY id"
        )
        return connection.execute(query).fetchall()
    finally:
        connection.close()


def check(program):
    built_in_set = os.path.join(program.data_home, "karte32", "cardsfrq.db")
    names = NameChanges()

    window = find_main_window(program)
    print("main window on the screen")
    wait_until(program, f"the caption '{CAPTION}'", lambda: (name_of(window) == CAPTION, name_of(window)))
    # The title the X server holds for the window, which is what a window manager draws.
    wait_until(program, f"an X window titled '{CAPTION}'", lambda: (CAPTION in x_window_titles(program), None))
    print(f"caption: {CAPTION}")

    controls = MainWindow(program, window)
    wait_until(program, "the first card, Greek side only", card_shown(controls, "ὁ", False, f"1 of {CARD_COUNT}"))
    print("first card: ὁ, Greek side only, 1 of 1125")

    # The per-user built-in set is made at start-up, without a font in it; closing writes the font.
    if not os.path.exists(built_in_set):
        raise Failure(f"no per-user built-in set at {built_in_set} once the window shows")
    if stored_fonts(built_in_set):
        raise Failure(f"a font is stored before the program closes: {stored_fonts(built_in_set)}")

    names.clear()
    click(controls.forward)
    wait_until(program, "> revealing the English side", card_shown(controls, "ὁ", True, f"1 of {CARD_COUNT}", "the"))
    print("> : ὁ / the, 1 of 1125")
    names.clear()
    click(controls.forward)
    wait_until(program, "> moving on to the second card", card_shown(controls, "καί", False, f"2 of {CARD_COUNT}"))
    print("> : καί, Greek side only, 2 of 1125")
    # A screen reader hears of the new card and position from the bus, not by reading everything again.
    wait_until(
        program,
        "name-change events of the card and the status line",
        lambda: (names.seen_for(controls.greek) and names.seen_for(controls.position), len(names.sources)),
    )

    click(controls.word_list)
    popup = wait_until(
        program,
        "the word list to open",
        lambda: next(((True, c) for c in controls.word_list if c is not None and showing(c)), (False, "closed")),
    )
    # Typing in the open list goes to the first entry that starts with what was typed; Return chooses it.
    run("xdotool", "type", "--delay", "80", "Jesus")
    run("xdotool", "key", "Return")
    wait_until(program, "the word list to close", lambda: (not showing(popup), "open"))
    jumped = card_shown(controls, "Ἰησοῦς", False, f"20 of {CARD_COUNT}")
    wait_until(program, "the jump to 'Jesus; Joshua'", jumped)
    chosen = name_of(controls.word_list)
    if chosen != "Jesus; Joshua":
        raise Failure(f"the word list shows '{chosen}' after 'Jesus; Joshua' was chosen")
    print("word list 'Jesus; Joshua': Ἰησοῦς, 20 of 1125")

    click(controls.file_menu)
    wait_until(program, "the File menu to open", lambda: (showing(controls.exit), "closed"))
    click(controls.exit)
    try:
        code = program.process.wait(timeout=DEADLINE)
    except subprocess.TimeoutExpired:
        raise Failure(f"the program still runs {DEADLINE:.0f} s after File > Exit")
    if code != 0:
        raise Failure(f"File > Exit ended the program with exit code {code}")
    print("File > Exit: exit code 0")

    fonts = stored_fonts(built_in_set)
    if len(fonts) != 1 or fonts[0][0] != "the" or fonts[0][1] != "Greek Parse" or fonts[0][2] != "16":
        raise Failure(f"the display font (Greek Parse, 16, on the first card) is not stored as it should be: {fonts}")
    print(f"font stored in {built_in_set}: {fonts[0][1]} {fonts[0][2]}")


if __name__ == "__main__":
    sys.exit(run_test(__doc__, check))
