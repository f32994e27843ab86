"""Orca, the Linux desktop's screen reader, listening while the end-to-end test drives the program. Under Xvfb it has
no voice, but its debug log holds every text it hands to speech: what a blind user would hear."""

import os
import re
import shutil
import subprocess
import sys
import tempfile
import time

from e2esupport import DEADLINE, Failure, wait_until

HERE = os.path.dirname(os.path.abspath(__file__))
ORCA = "/usr/bin/orca"
# One line for each text Orca speaks: "SPEECH OUTPUT: 'ὁ, 1 of 1125.'{...}", the voice in braces or a list of them.
SPOKEN = re.compile(r"SPEECH OUTPUT: '(.*?)'(?: voice=\w+)?\s*(?:\[?\{|$)")


class Orca:
    """Orca with settings of its own (its defaults: desktop keyboard layout, Insert as the Orca key), started before
    the program and stopped after it."""

    def __enter__(self):
        if not os.access(ORCA, os.X_OK):
            raise Failure(f"{ORCA} is not installed (Debian packages orca and speech-dispatcher)")
        self.home = tempfile.mkdtemp(prefix="karte-orca-")
        self.log_path = os.path.join(self.home, "orca.log")
        with open(os.path.join(self.home, "orca.out"), "wb") as out:
            self.process = subprocess.Popen(
                [sys.executable, os.path.join(HERE, "orca_flushed.py"), "-u", os.path.join(self.home, "settings"),
                 f"--debug-file={self.log_path}"],
                stdout=out,
                stderr=subprocess.STDOUT,
            )
        # Orca is listening once it has said so.
        deadline = time.monotonic() + DEADLINE
        while not any("Screen reader on" in text for text in self.said()):
            if self.process.poll() is not None:
                raise Failure(f"Orca ended at start-up (exit code {self.process.returncode}): {self.output()}")
            if time.monotonic() >= deadline:
                raise Failure(f"Orca did not start within {DEADLINE:.0f} s: {self.output()}")
            time.sleep(0.1)
        return self

    def __exit__(self, *exc):
        if self.process.poll() is None:
            self.process.terminate()
            try:
                self.process.wait(timeout=10)
            except subprocess.TimeoutExpired:
                self.process.kill()
                self.process.wait()
        shutil.rmtree(self.home, ignore_errors=True)

    def output(self):
        with open(os.path.join(self.home, "orca.out"), encoding="utf-8", errors="replace") as out:
            return out.read()[-2000:]

    def mark(self):
        """Where the log ends now: what Orca says from here on is said after this moment."""
        return os.path.getsize(self.log_path) if os.path.exists(self.log_path) else 0

    def said(self, since=0):
        """The texts Orca handed to speech since the mark, in order."""
        if not os.path.exists(self.log_path):
            return []
        with open(self.log_path, "rb") as log:
            log.seek(since)
            text = log.read().decode("utf-8", "replace")
        return [m.group(1) for m in map(SPOKEN.search, text.splitlines()) if m]

    def log_lines(self, since, containing):
        """Orca's own account of what it did, for the test's report: the log lines since the mark with this text."""
        with open(self.log_path, "rb") as log:
            log.seek(since)
            text = log.read().decode("utf-8", "replace")
        return [line.strip() for line in text.splitlines() if containing in line]

    def wait_to_say(self, program, what, expected, since):
        """Waits until Orca has said each expected text, in that order, since the mark (each as one utterance, with
        or without the full stop Orca adds); returns all it said."""

        def probe():
            said = self.said(since)
            position = 0
            for text in expected:
                position = next((i + 1 for i in range(position, len(said)) if said[i] in (text, text + ".")), None)
                if position is None:
                    return False, said
            return True, said

        return wait_until(program, f"Orca saying {expected!r} ({what})", probe)

    def settle(self, quiet=0.5):
        """Waits until Orca has been idle for a while (its log no longer grows). The program hands every key to
        the screen reader first and waits a tenth of a second for its answer, as Qt does; a busy Orca answers
        late, and the key then reaches the program as well (a review key would move the word list)."""
        deadline = time.monotonic() + DEADLINE
        size, since = self.mark(), time.monotonic()
        while time.monotonic() - since < quiet:
            if time.monotonic() >= deadline:
                raise Failure(f"Orca was not idle for {quiet} s within {DEADLINE:.0f} s")
            time.sleep(0.05)
            if self.mark() != size:
                size, since = self.mark(), time.monotonic()

    def press(self, *keys):
        """Keys as the user types them, one after the other (xdotool's names, a tenth of a second apart, quick
        enough for a double press), once Orca is idle; Orca hears them through the X server as the program does."""
        self.settle()
        subprocess.run(["xdotool", "key", "--delay", "100", *keys], check=True, timeout=20)
