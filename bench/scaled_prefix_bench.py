#!/usr/bin/env python3
"""What a Wine prefix at another display scale costs the end-to-end tests:
making one fresh per scale, copying a prepared one (whole, or hard-linked),
or keeping one and setting its LogPixels before each start; and the time
from launching the sim program to its window at each scale. Prints Markdown.

    scaled_prefix_bench.py [rounds, default 3]

Runs inside scripts/bench.sh (private Xvfb display).
"""
import os
import shutil
import subprocess
import sys
import tempfile
import time

sys.dont_write_bytecode = True

from bench_support import e2e, median  # noqa: E402

ROOT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..")
SCALES = (96, 120, 144, 192)


def in_prefix(prefix, commands):
    """Seconds that shell commands take with scripts/wine-env.sh sourced for the prefix."""
    started = time.monotonic()
    subprocess.run(["bash", "-c", 'source "$0/scripts/wine-env.sh" && ' + commands, ROOT],
                   env=dict(os.environ, KORVANE_WINEPREFIX=prefix), check=True, timeout=600,
                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    return time.monotonic() - started


def set_scale(prefix, dpi):
    return in_prefix(prefix, "wine reg add 'HKCU\\Control Panel\\Desktop' /v LogPixels "
                             "/t REG_DWORD /d %d /f" % dpi)


def timed_copy(source, target, *options):
    started = time.monotonic()
    subprocess.run(["cp", "-a", *options, source, target], check=True)
    return time.monotonic() - started


def window_seconds(prefix):
    """From launching the sim program to its window on X; the program is then ended."""
    started = time.monotonic()
    program = e2e.Program(e2e.SIM_PROGRAM, prefix=prefix)
    e2e.wait_window(e2e.MAIN_CAPTION, timeout=60)
    seconds = time.monotonic() - started
    program.stop()
    e2e.wait_no_window(e2e.MAIN_CAPTION)
    return seconds


def main():
    rounds = int(sys.argv[1]) if len(sys.argv) > 1 else 3
    work = tempfile.mkdtemp(prefix="korvane-prefix-bench-")
    load = [os.getloadavg()[0]]
    times = {name: [] for name in ("fresh", "copy", "link", "server", "scale")}
    starts = {dpi: [] for dpi in SCALES}
    try:
        kept = os.path.join(work, "kept")
        for round_ in range(rounds):
            fresh = os.path.join(work, "fresh")
            # A new user's prefix: made, its fonts and window settings put in, its scale set.
            times["fresh"].append(in_prefix(fresh, "korvane_prepare_prefix") + set_scale(fresh, 144))
            in_prefix(fresh, "korvane_stop_wineserver")
            if round_ == 0:
                timed_copy(fresh, kept)
            for name, options in (("copy", ()), ("link", ("-l",))):
                target = os.path.join(work, name)
                # A copy needs its own wineserver, started and warmed before its first program.
                times[name].append(timed_copy(fresh, target, *options) +
                                   in_prefix(target, "korvane_start_wineserver"))
                in_prefix(target, "korvane_stop_wineserver")
                shutil.rmtree(target)
            shutil.rmtree(fresh)
        times["server"].append(in_prefix(kept, "korvane_start_wineserver"))
        for _ in range(rounds):
            for dpi in SCALES:
                times["scale"].append(set_scale(kept, dpi))
                starts[dpi].append(window_seconds(kept))
        in_prefix(kept, "korvane_stop_wineserver")
    finally:
        shutil.rmtree(work, ignore_errors=True)
    load.append(os.getloadavg()[0])

    print("# A Wine prefix per display scale\n")
    print("Seconds, median of %d rounds (the kept prefix's wineserver start: once). The "
          "machine is shared: load average %.2f at the start, %.2f at the end (2 cores). A "
          "prefix holds %s.\n" % (rounds, load[0], load[1], "about 1.3 GB of Wine's DLLs"))
    print("| Way to a prefix at a new scale | Median s | Min s | Max s |")
    print("|---|---:|---:|---:|")
    rows = (("fresh", "made fresh (wineboot, fonts, settings, LogPixels)"),
            ("copy", "a prepared one copied (`cp -a`), its wineserver started"),
            ("link", "a prepared one hard-linked (`cp -al`), its wineserver started"),
            ("server", "one kept: its wineserver started, once for all scales"),
            ("scale", "one kept: LogPixels set before a start (warm wineserver)"))
    for name, label in rows:
        print("| %s | %.2f | %.2f | %.2f |" % (label, median(times[name]), min(times[name]),
                                              max(times[name])))
    print("\nThree scales: fresh prefixes %.1f s, copies %.1f s, one kept prefix %.1f s "
          "(its first run adds one fresh prefix).\n" % (
              3 * median(times["fresh"]), 3 * median(times["copy"]),
              median(times["server"]) + 3 * median(times["scale"])))
    print("| LogPixels | Launch to window, median s | Min s | Max s |")
    print("|---:|---:|---:|---:|")
    for dpi in SCALES:
        print("| %d | %.2f | %.2f | %.2f |" % (dpi, median(starts[dpi]), min(starts[dpi]),
                                               max(starts[dpi])))
    print("\n<!-- complete -->")


if __name__ == "__main__":
    main()
