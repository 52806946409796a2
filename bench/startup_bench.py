#!/usr/bin/env python3
"""Start-up of the sim program against a bare dialog built the same way: time
from launching `wine <exe>` to its main window being visible on X, memory
after start, and the size of the executables. Prints Markdown.

    startup_bench.py [runs per program, default 25]

Runs inside scripts/bench.sh (private Xvfb display, warm wineserver).
"""
import os
import re
import subprocess
import sys
import time

# Importing must leave no __pycache__ folders in bench/ and tests/e2e/.
sys.dont_write_bytecode = True

from bench_support import (  # noqa: E402
    BENCH_PROGRAMS, close_window, e2e, median, percentile)

BARE_CAPTION = "Korvane Bare Dialog"
PROGRAMS = [
    ("Korvane_Safe_Eject_sim.exe", e2e.SIM_PROGRAM, e2e.MAIN_CAPTION),
    ("bare_dialog.exe", os.path.join(BENCH_PROGRAMS, "bare_dialog.exe"), BARE_CAPTION),
]
WORKING_SET = os.path.join(BENCH_PROGRAMS, "working_set.exe")
POLL_SLEEP = 0.005
# The first paint and whatever the program does right after showing its window
# are done by then, so memory is read in the same state for both programs.
SETTLE = 0.5
I686_BUILD = os.path.join(e2e.BUILD, "..", "i686")


def time_to_window(exe, caption):
    """Seconds from the launch to a visible window with the caption, the
    program and its window; xdotool's own run time bounds the resolution."""
    start = time.monotonic()
    program = e2e.Program(exe)
    while True:
        windows = e2e.find_windows(caption)
        if windows:
            return time.monotonic() - start, program, windows[0]
        if not program.running():
            raise RuntimeError("%s exited (%s) before showing its window"
                               % (exe, program.process.returncode))
        if time.monotonic() - start > 30:
            program.stop()
            raise RuntimeError("%s showed no window in 30 s" % exe)
        time.sleep(POLL_SLEEP)


def linux_rss_kib(program, exe):
    """VmRSS of the Wine process running the program. `wine` execs the loader,
    so the launched pid is that process; the name check guards the assumption."""
    pid = program.process.pid
    with open("/proc/%d/cmdline" % pid, "rb") as file:
        if os.path.basename(exe).encode() not in file.read():
            raise RuntimeError("pid %d does not run %s" % (pid, exe))
    with open("/proc/%d/status" % pid) as file:
        return int(re.search(r"^VmRSS:\s+(\d+) kB", file.read(), re.M).group(1))


def windows_memory_kib(caption):
    """(working set, peak working set, private bytes) in KiB, as Windows reports them."""
    result = e2e.run("wine", WORKING_SET, caption, check=False)
    if result.returncode != 0:
        return None
    values = dict(pair.split("=") for pair in result.stdout.split())
    return tuple(int(values[k]) / 1024 for k in ("working_set", "peak_working_set", "private"))


def poll_cost_ms():
    """What one window search costs: the resolution of the start-up times."""
    samples = []
    for _ in range(20):
        start = time.monotonic()
        e2e.find_windows("no window has this caption")
        samples.append((time.monotonic() - start) * 1000)
    return median(samples)


def pe_machine(path):
    with open(path, "rb") as file:
        header = file.read(4096)
    offset = int.from_bytes(header[0x3C:0x40], "little")
    machine = int.from_bytes(header[offset + 4:offset + 6], "little")
    return {0x14C: "i686", 0x8664: "x86_64"}[machine]


def stripped_size(path, machine):
    """Size without the symbol table, which the build keeps and a release would not need."""
    target = "/tmp/korvane-startup-bench-stripped.exe"
    prefix = "i686-w64-mingw32" if machine == "i686" else "x86_64-w64-mingw32"
    subprocess.run([prefix + "-strip", "-o", target, path], check=True)
    size = os.path.getsize(target)
    os.unlink(target)
    return size, prefix


def imported_dlls(path, prefix):
    text = subprocess.run([prefix + "-objdump", "-p", path], check=True, capture_output=True,
                          text=True).stdout
    return sorted(set(re.findall(r"DLL Name: (\S+)", text)), key=str.lower)


def main():
    runs = int(sys.argv[1]) if len(sys.argv) > 1 else 25
    if not 1 <= runs <= 1000 or len(sys.argv) > 2:
        sys.exit("usage: startup_bench.py [runs per program, 1..1000]")

    times = {name: [] for name, _, _ in PROGRAMS}
    rss = {name: [] for name, _, _ in PROGRAMS}
    windows_memory = {name: [] for name, _, _ in PROGRAMS}
    exit_codes = {name: set() for name, _, _ in PROGRAMS}
    resolution = poll_cost_ms()

    # One untimed start of each first: the files come into the page cache and
    # Wine's per-program first-start work is done.
    for _, exe, caption in PROGRAMS:
        _, program, window = time_to_window(exe, caption)
        time.sleep(SETTLE)
        close_window(program, window, caption)

    for round_number in range(runs):
        # Alternating which goes first keeps a drift in the machine's load
        # from favouring one of the two.
        order = PROGRAMS if round_number % 2 == 0 else PROGRAMS[::-1]
        for name, exe, caption in order:
            elapsed, program, window = time_to_window(exe, caption)
            times[name].append(elapsed * 1000)
            time.sleep(SETTLE)
            rss[name].append(linux_rss_kib(program, exe))
            memory = windows_memory_kib(caption)
            if memory:
                windows_memory[name].append(memory)
            exit_codes[name].add(close_window(program, window, caption))

    program_name, bare_name = PROGRAMS[0][0], PROGRAMS[1][0]
    ratio = median(times[program_name]) / median(times[bare_name])

    print("# Start-up: the program against a bare dialog\n")
    print("Time from launching `wine <exe>` (a warm wineserver, the Xvfb display of "
          "scripts/bench.sh) until `xdotool search --onlyvisible --name '^<caption>$'` finds "
          "the main window, polled with %d ms sleeps; one search costs %.1f ms (median), which "
          "bounds the resolution. `bare_dialog.exe` is built with the program's own options "
          "(static runtime, hardening, its manifest) and shows, with `DialogBoxParamA`, a modal "
          "dialog of the main window's size, style and font with one list box, and does nothing "
          "else. The sim program runs on its default machine. One untimed start of each, then "
          "%d starts of each, alternating, the order swapped every round; each is closed with "
          "Alt+F4 and its exit awaited before the next start.\n"
          % (POLL_SLEEP * 1000, resolution, runs))
    print("| Program | Starts | Median ms | p90 ms | Min ms | Max ms | Exit codes |")
    print("|---|---:|---:|---:|---:|---:|---|")
    for name, _, _ in PROGRAMS:
        samples = times[name]
        codes = ", ".join("killed" if c is None else str(c) for c in sorted(
            exit_codes[name], key=lambda c: -1 if c is None else c))
        print("| %s | %d | %.1f | %.1f | %.1f | %.1f | %s |" % (
            name, len(samples), median(samples), percentile(samples, 0.9), min(samples),
            max(samples), codes))
    print("\n**Median ratio program / bare: %.2f** (%+.1f ms). Ratio of the fastest starts: "
          "%.2f (%+.1f ms); with other work on the machine the fastest start is the least "
          "disturbed one.\n"
          % (ratio, median(times[program_name]) - median(times[bare_name]),
             min(times[program_name]) / min(times[bare_name]),
             min(times[program_name]) - min(times[bare_name])))

    print("## Memory after start\n")
    print("Read %.1f s after the window showed, in every timed start; medians. *Linux RSS* is "
          "`VmRSS` from `/proc/<pid>/status` of the Wine process running the program: it counts "
          "Wine's own libraries and mappings (ntdll, the Unix side of win32u and x11drv, "
          "fonts...), so it is not what Windows would report. The Windows figures come from "
          "`GetProcessMemoryInfo` (psapi), called by `working_set.exe` on the process that owns "
          "the window; Wine 8 answers the working set from the same Linux figures and does not "
          "count private bytes (0), so the difference between the two programs is the better "
          "guide to what the program itself adds.\n" % SETTLE)
    print("| Program | Linux RSS of the Wine process, KiB | Windows working set, KiB "
          "| Windows peak working set, KiB | Windows private bytes, KiB |")
    print("|---|---:|---:|---:|---:|")
    for name, _, _ in PROGRAMS:
        memory = windows_memory[name]
        columns = ["%.0f" % median([m[i] for m in memory]) if memory else "n/a" for i in range(3)]
        print("| %s | %.0f | %s |" % (name, median(rss[name]), " | ".join(columns)))
    print()

    print("## Executable sizes\n")
    print("As built (Release, `-static`, symbols kept) and as a stripped copy "
          "(`*-w64-mingw32-strip`), with the DLLs each imports.\n")
    print("| Executable | Architecture | Bytes | KiB | Stripped, KiB | DLLs imported |")
    print("|---|---|---:|---:|---:|---|")
    files = [
        ("src/Korvane_Safe_Eject.exe", e2e.REAL_PROGRAM),
        ("src/Korvane_Safe_Eject.exe", os.path.join(I686_BUILD, "src", "Korvane_Safe_Eject.exe")),
        ("src/Korvane_Safe_Eject_sim.exe", e2e.SIM_PROGRAM),
        ("bench/bare_dialog.exe", PROGRAMS[1][1]),
    ]
    for label, path in files:
        if not os.path.isfile(path):
            print("| %s | %s | not built | | | |"
                  % (label, "i686" if I686_BUILD in path else "x86_64"))
            continue
        machine = pe_machine(path)
        size = os.path.getsize(path)
        stripped, prefix = stripped_size(path, machine)
        print("| %s | %s | %d | %.1f | %.1f | %s |" % (
            label, machine, size, size / 1024, stripped / 1024,
            ", ".join(imported_dlls(path, prefix))))
    # scripts/bench.sh takes a run without this line for one that was cut short.
    print("\n<!-- complete -->")


if __name__ == "__main__":
    main()
