#!/usr/bin/python3
"""Runs Debian's Orca (/usr/bin/orca) unchanged, except that every line of its debug log reaches the file at once
(Orca writes the --debug-file through a block buffer, and the test reads what Orca said while Orca runs), and that
it starts beside another Orca of the same user: Orca refuses to when one runs anywhere on the machine, but each test
runs its Orca in a desktop session of its own (X server and buses), so tests run in parallel do not disturb each
other."""
import runpy
import sys

sys.path.insert(1, "/usr/lib/python3/dist-packages")
from orca import debug  # noqa: E402  (Orca's own modules, found through the path above)

_println = debug.println


def println(*args, **kwargs):
    _println(*args, **kwargs)
    if debug.debugFile:
        debug.debugFile.flush()


debug.println = println
sys.argv[0] = "/usr/bin/orca"
launcher = runpy.run_path("/usr/bin/orca", run_name="orca_launcher")
launcher["main"].__globals__["otherOrcas"] = lambda: []
sys.exit(launcher["main"]())
