"""What the Python benchmark drivers share: the end-to-end helpers (how the
programs are started and their windows found), the bench programs' paths and
the statistics, computed as refresh_bench.cpp computes them."""
import math
import os
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests", "e2e"))
import korvane_e2e as e2e  # noqa: E402  (found through the path above)

BENCH_PROGRAMS = os.path.join(e2e.BUILD, "bench")
MACHINES = os.path.join(os.path.dirname(os.path.abspath(__file__)), "machines")


def median(samples):
    ordered = sorted(samples)
    n = len(ordered)
    return ordered[n // 2] if n % 2 else (ordered[n // 2 - 1] + ordered[n // 2]) / 2


def percentile(samples, fraction):
    """Nearest rank: the smallest sample with at least `fraction` of them at or below it."""
    ordered = sorted(samples)
    return ordered[max(math.ceil(fraction * len(ordered)), 1) - 1]


def close_window(program, window, caption):
    """Closes the window with Alt+F4, so that the program's own exit path runs as a user's
    would; one that outlives it is killed (exit code None) so the next start is alone."""
    try:
        e2e.key(window, "alt+F4")
        code = program.wait_exit(timeout=15)
    except Exception:  # noqa: BLE001  (any failure to close ends in a kill)
        program.stop()
        code = None
    e2e.wait_no_window(caption)
    return code
