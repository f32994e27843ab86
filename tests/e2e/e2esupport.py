"""What the end-to-end tests share: the running program, polling with deadlines, and reading its windows through
the accessibility bus (AT-SPI) and the X server as a user's tools would."""

import argparse
import os
import sqlite3
import subprocess
import sys
import tempfile
import time

import pyatspi
from gi.repository import GLib

CAPTION = "NT Frequency"
CARD_COUNT = 1125
# The longest any one thing may take to show; generous, for a loaded machine.
DEADLINE = 30.0


class Failure(Exception):
    pass


class Program:
    """The running program: its process and its log."""

    def __init__(self, executable, home):
        # Kept, so that a test can start the program again on the same data.
        self.executable = executable
        self.home = home
        # The program's output goes to a folder of its own, out of the folder its file dialogs open on (the working
        # folder): a log growing there kept the dialog's folder list changing, and a screen reader, busy with every
        # change, fell behind for good.
        os.makedirs(os.path.join(home, "output"), exist_ok=True)
        self.log_path = os.path.join(home, "output", "karte.log")
        env = dict(os.environ)
        env.update(
            HOME=os.path.join(home, "home"),
            XDG_CONFIG_HOME=os.path.join(home, "config"),
            XDG_CACHE_HOME=os.path.join(home, "cache"),
            XDG_DATA_HOME=os.path.join(home, "data"),
            QT_QPA_PLATFORM="xcb",
            QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1",
        )
        for variable in ("HOME", "XDG_CONFIG_HOME", "XDG_CACHE_HOME", "XDG_DATA_HOME"):
            os.makedirs(env[variable], exist_ok=True)
        # Nothing of the test's own set-up may answer the program's message boxes for it.
        env.pop("KARTE_MESSAGE_LOG", None)
        self.data_home = env["XDG_DATA_HOME"]
        with open(self.log_path, "wb") as log:
            self.process = subprocess.Popen([executable], env=env, cwd=home, stdout=log, stderr=subprocess.STDOUT)

    def check_running(self, doing):
        code = self.process.poll()
        if code is not None:
            raise Failure(f"the program ended (exit code {code}) while {doing}")

    def stop(self):
        if self.process.poll() is None:
            self.process.terminate()
            try:
                self.process.wait(timeout=5)
            except subprocess.TimeoutExpired:
                self.process.kill()
                self.process.wait()

    def log(self):
        with open(self.log_path, encoding="utf-8", errors="replace") as log:
            return log.read()


def pump_events():
    """Lets the accessibility bus's events reach the listeners."""
    context = GLib.MainContext.default()
    while context.pending():
        context.iteration(False)


def wait_until(program, what, probe, timeout=DEADLINE):
    """Polls probe() -> (done, seen) until done; fails with what was last seen when the deadline passes."""
    deadline = time.monotonic() + timeout
    seen = None
    while True:
        pump_events()
        try:
            done, seen = probe()
        except GLib.Error as error:
            # An object that went away while being read, e.g. a window being rebuilt: try again.
            done, seen = False, f"({error.message})"
        if done:
            return seen
        program.check_running(f"waiting for {what}")
        if time.monotonic() >= deadline:
            raise Failure(f"{what}: not within {timeout:.0f} s; last seen: {seen!r}")
        time.sleep(0.05)


def fresh(node):
    # Read anew from the program rather than from what the bus library kept of earlier answers.
    node.clear_cache()
    return node


def name_of(node):
    return fresh(node).name


def showing(node):
    return fresh(node).getState().contains(pyatspi.STATE_SHOWING)


def enabled(node):
    return fresh(node).getState().contains(pyatspi.STATE_ENABLED)


def walk(node, skip_lists=True):
    """Every object under node, depth first; the word list's 1125 entries are left out."""
    for child in node:
        if child is None:
            continue
        yield child
        if skip_lists and child.getRole() == pyatspi.ROLE_COMBO_BOX:
            continue
        yield from walk(child, skip_lists)


def run(*command):
    subprocess.run(command, check=True, timeout=20)


def x_window_titles(program):
    """The titles of the program's windows that are mapped on the X server."""
    found = subprocess.run(
        ["xdotool", "search", "--onlyvisible", "--pid", str(program.process.pid)],
        capture_output=True,
        text=True,
        timeout=20,
    )
    titles = []
    for window in found.stdout.split():
        name = subprocess.run(["xdotool", "getwindowname", window], capture_output=True, text=True, timeout=20)
        titles.append(name.stdout.strip())
    return titles


def click(node):
    """A left click in the middle of the object, where a user would click."""
    box = fresh(node).queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
    if box.width <= 0 or box.height <= 0:
        raise Failure(f"'{node.name}' has no area on the screen to click: {box}")
    run("xdotool", "mousemove", str(box.x + box.width // 2), str(box.y + box.height // 2), "click", "1")


class NameChanges:
    """The name-change events the bus delivers, as a screen reader receives them."""

    def __init__(self):
        self.sources = []
        pyatspi.Registry.registerEventListener(self._record, "object:property-change:accessible-name")

    def _record(self, event):
        self.sources.append(event.source)

    def clear(self):
        pump_events()
        self.sources.clear()

    def seen_for(self, node):
        return any(source == node for source in self.sources)


def find_main_window(program):
    def probe():
        for app in pyatspi.Registry.getDesktop(0):
            if app is None or app.get_process_id() != program.process.pid:
                continue
            for window in app:
                if window is not None and window.getRole() == pyatspi.ROLE_FRAME and showing(window):
                    return True, window
            return False, "the program is on the bus, without a window on the screen"
        return False, "the program is not on the accessibility bus"

    return wait_until(program, "the main window", probe)


class MainWindow:
    """The controls of the main window, found as a screen reader finds them."""

    def __init__(self, program, window):
        self.window = window
        wanted = {
            "greek": (pyatspi.ROLE_LABEL, "description", "Card, Greek side"),
            "english": (pyatspi.ROLE_LABEL, "description", "Card, English side"),
            "position": (pyatspi.ROLE_LABEL, "description", "Card position"),
            "word_list": (pyatspi.ROLE_COMBO_BOX, "description", "Word list"),
            "forward": (pyatspi.ROLE_PUSH_BUTTON, "name", "Forward"),
            "file_menu": (pyatspi.ROLE_MENU_ITEM, "name", "File"),
            "exit": (pyatspi.ROLE_MENU_ITEM, "name", "Exit"),
        }

        def probe():
            found = {}
            for node in walk(window):
                for key, (role, attribute, value) in wanted.items():
                    if key not in found and node.getRole() == role and getattr(node, attribute) == value:
                        found[key] = node
            missing = sorted(set(wanted) - set(found))
            return not missing, (found if not missing else f"missing {', '.join(missing)}")

        for key, node in wait_until(program, "the main window's controls", probe).items():
            setattr(self, key, node)


def find_named(program, window, role, name):
    """The object under window with this role and name, once it is there."""

    def probe():
        for node in walk(window):
            if node.getRole() == role and node.name == name:
                return True, node
        return False, f"no {name}"

    return wait_until(program, f"'{name}'", probe)


def shown_windows(program):
    """The program's windows on the screen, as a screen reader finds them."""
    for app in pyatspi.Registry.getDesktop(0):
        if app is None or app.get_process_id() != program.process.pid:
            continue
        for window in app:
            if window is not None and showing(window):
                yield window


def english_sides(path):
    """The English sides of the set's cards, read straight from its file."""
    connection = sqlite3.connect(f"file:{path}?mode=ro", uri=True)
    try:
        fields = dict(connection.execute("SELECT name, position FROM karte_fields"))
        return sorted(row[0] for row in connection.execute(f"SELECT f{fields['English']} FROM cards"))
    finally:
        connection.close()


def windows_on_screen(program):
    """What the program shows, for the report of a failure: an error box would be among these."""
    lines = []
    try:
        for window in shown_windows(program):
            texts = [n.name for n in walk(window) if n.getRole() == pyatspi.ROLE_LABEL and n.name]
            lines.append(f"  {window.getRoleName()} '{window.name}': {texts[:10]}")
    except Exception as error:  # the report must not hide the failure it reports
        lines.append(f"  (could not list the windows: {error})")
    return "\n".join(lines) or "  (none)"


def run_test(description, check):
    """The command line of an end-to-end test: --karte PROGRAM; runs check(program) on a fresh data directory."""
    parser = argparse.ArgumentParser(description=description.splitlines()[0])
    parser.add_argument("--karte", required=True, help="the program to test, as installed")
    args = parser.parse_args()
    if not os.access(args.karte, os.X_OK):
        print(f"FAILED: {args.karte} is not an executable program", file=sys.stderr)
        return 1

    with tempfile.TemporaryDirectory(prefix="karte-e2e-") as home:
        program = Program(args.karte, home)
        try:
            check(program)
        except (Failure, subprocess.SubprocessError, OSError) as failure:
            # A missing or failing xdotool is a failure of the test's machinery, reported the same way.
            print(f"FAILED: {failure}", file=sys.stderr)
            print("windows on the screen:\n" + windows_on_screen(program), file=sys.stderr)
            program.stop()
            print("program output:\n" + program.log(), file=sys.stderr)
            return 1
        finally:
            program.stop()
    print("PASSED")
    return 0
