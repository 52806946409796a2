#!/usr/bin/env python3
"""Bursts of 50 WM_DEVICECHANGE/DBT_DEVICEARRIVAL sent to the running sim
program's main window by burst_sender.exe, on the default machine and on a
bigger one: how long a burst takes and how long the window goes without
answering sent and posted messages. Prints Markdown.

    burst_bench.py [program starts per machine, default 3] [bursts per start, default 5]

Runs inside scripts/bench.sh (private Xvfb display, warm wineserver).
"""
import os
import sys
import time

# Importing must leave no __pycache__ folders in bench/ and tests/e2e/.
sys.dont_write_bytecode = True

from bench_support import (  # noqa: E402
    BENCH_PROGRAMS, MACHINES, close_window, e2e, median)

MESSAGES = 50
SENDER = os.path.join(BENCH_PROGRAMS, "burst_sender.exe")
# (label, machine description or None for the embedded default, rows the list must show)
MACHINE_RUNS = [
    ("default machine: 4 USBSTOR disks, a UAS SSD + 2 internal disks, 7 volumes", None, 5),
    ("thirteen-disks.json: 13 USB disks + system disk, 45 volumes",
     os.path.join(MACHINES, "thirteen-disks.json"), 13),
]



def column(figures, key):
    """One figure of every burst."""
    return [f[key] for f in figures]

def parse(line):
    return {key: float(value) for key, value in
            (pair.split("=") for pair in line.split() if "=" in pair)}


def run_start(machine, rows, bursts):
    """One start of the sim program and `bursts` bursts sent to it; the bursts' figures."""
    program = e2e.Program(e2e.SIM_PROGRAM,
                          machine=e2e.windows_path(machine) if machine else None)
    try:
        window = e2e.wait_window(e2e.MAIN_CAPTION)
        time.sleep(0.5)  # the first paint, as the end-to-end suites wait for it
        result = e2e.run("wine", SENDER, str(MESSAGES), str(bursts), check=False, timeout=1800)
    finally:
        if program.running() and e2e.find_windows(e2e.MAIN_CAPTION):
            close_window(program, e2e.find_windows(e2e.MAIN_CAPTION)[0], e2e.MAIN_CAPTION)
        program.stop()
    if result.returncode != 0:
        raise RuntimeError("burst_sender exited %d: %s" % (result.returncode, result.stderr))
    lines = result.stdout.splitlines()
    counts = parse(next(line for line in lines if line.startswith("rows_before=")))
    # A burst that left the list other than the machine's disks measured
    # something else than the program's refresh.
    if counts["rows_before"] != rows or counts["rows_after"] != rows:
        raise RuntimeError("the list showed %d then %d rows, not %d"
                           % (counts["rows_before"], counts["rows_after"], rows))
    idle = parse(next(line for line in lines if line.startswith("idle ")))
    return [parse(line) for line in lines if line.startswith("burst=")], idle


def main():
    arguments = [int(a) for a in sys.argv[1:]]
    if len(arguments) > 2 or any(not 1 <= a <= 100 for a in arguments):
        sys.exit("usage: burst_bench.py [starts per machine, 1..100] [bursts per start, 1..100]")
    starts, bursts = (arguments + [3, 5][len(arguments):])[:2]

    rows = []
    for label, machine, expected_rows in MACHINE_RUNS:
        figures, idles = [], []
        for _ in range(starts):
            burst_figures, idle = run_start(machine, expected_rows, bursts)
            figures += burst_figures
            idles.append(idle)
        rows.append((label, figures, idles))

    print("# Device-change bursts\n")
    print("`burst_sender.exe` finds the sim program's main window by its caption and, from one "
          "thread, sends it %d `WM_DEVICECHANGE`/`DBT_DEVICEARRIVAL` messages back to back with "
          "`SendMessageTimeoutA`; the program rebuilds its drive list twice for each. The window "
          "is shown (Wine draws it on the Xvfb display of scripts/bench.sh); its list is checked "
          "to hold the machine's USB disks before and after. %d program starts per machine, %d "
          "bursts per start, 300 ms apart; medians over all bursts, and the worst burst.\n"
          % (MESSAGES, starts, bursts))
    print("| Machine | Bursts | Total ms, median | Total ms, worst | Per message ms, median "
          "| Per message ms, p90 | A message pending, % of the burst |")
    print("|---|---:|---:|---:|---:|---:|---:|")
    for label, figures, _ in rows:
        print("| %s | %d | %.1f | %.1f | %.2f | %.2f | %.1f |" % (
            label, len(figures),
            median(column(figures, "total_ms")), max(column(figures, "total_ms")),
            median(column(figures, "median_ms")), median(column(figures, "p90_ms")),
            median(column(figures, "pending_percent"))))
    print("\nPer message: the median (and p90) of one burst's %d send times, then the median "
          "over the bursts. *Pending*: the share of the burst during which the sender had a "
          "message waiting for its answer.\n" % MESSAGES)

    print("## How long the window does not answer\n")
    print("Two probes run from a second and third thread during each burst. *Sent probe*: "
          "`WM_NULL` sent with `SendMessageTimeoutA` every 5 ms (at once after a late answer); "
          "the figure is the longest time between two answers, from the last answer before the "
          "burst to the first probe sent after it. Sent messages are served between the burst's "
          "own, so this is the longest the window stays inside its handlers at a stretch. "
          "*Posted probe*: `LB_SETLOCALE` posted to the drive list every 5 ms and read back with "
          "sent `LB_GETLOCALE` every 1 ms; the figure is the longest a posted message waited to "
          "be handled. Posted messages, like keyboard and mouse input and paints, are handled "
          "only when no sent message is pending, so this is how long a key press or click waits. "
          "*Idle*: the same figures before the bursts, with nothing else sent: the probes' own "
          "resolution.\n")
    print("| Machine | Sent probe: longest gap ms, median | worst | Posted probe: longest wait "
          "ms, median | worst | Idle: sent gap / posted wait ms |")
    print("|---|---:|---:|---:|---:|---|")
    for label, figures, idles in rows:
        print("| %s | %.1f | %.1f | %.1f | %.1f | %.1f / %.1f |" % (
            label, median(column(figures, "sent_gap_ms")), max(column(figures, "sent_gap_ms")),
            median(column(figures, "posted_wait_ms")), max(column(figures, "posted_wait_ms")),
            median(column(idles, "sent_gap_ms")), median(column(idles, "posted_wait_ms"))))
    # scripts/bench.sh takes a run without this line for one that was cut short.
    print("\n<!-- complete -->")


if __name__ == "__main__":
    main()
