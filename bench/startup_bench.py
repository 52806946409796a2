#!/usr/bin/env python3
"""Start-up of the program against two yardsticks, on both architectures: a
bare dialog of the main window's size, and the floor (the bare dialog
importing the program's DLLs and making the calls every start must make).
The sim program on the machines of bench/machines/ (USBSTOR sticks only, and
the same drives mixed with UAS SSDs and internal SATA and NVMe disks) is timed
beside them, as a start with drives to list.
Time from launching the program under Wine to its main window being visible
on X, memory after start, and the size of the executables. Prints Markdown.

    startup_bench.py [rounds, default 25]

Runs inside scripts/bench.sh (private Xvfb display, warm wineserver).
"""
import os
import re
import subprocess
import sys
import time

# Importing must leave no __pycache__ folders in bench/ and tests/e2e/.
sys.dont_write_bytecode = True

from bench_support import MACHINES, close_window, e2e, median, percentile  # noqa: E402

BUILDS = {"x86_64": e2e.BUILD, "i686": os.path.join(e2e.BUILD, "..", "i686")}
# Started with the loader of their own width: `wine` would start a 64-bit
# program as a second process through a 32-bit start.exe.
LOADERS = {"x86_64": "/usr/lib/wine/wine64", "i686": "wine"}
SIM = os.path.join("src", "Korvane_Safe_Eject_sim.exe")
# (name, path in a build, caption, machine description or None)
PROGRAMS = [
    ("Korvane_Safe_Eject.exe", os.path.join("src", "Korvane_Safe_Eject.exe"), e2e.MAIN_CAPTION,
     None),
    ("floor_dialog.exe", os.path.join("bench", "floor_dialog.exe"), "Korvane Floor Dialog", None),
    ("bare_dialog.exe", os.path.join("bench", "bare_dialog.exe"), "Korvane Bare Dialog", None),
    ("sim on usbstor_only.json", SIM, e2e.MAIN_CAPTION, "usbstor_only.json"),
    ("sim on mixed.json", SIM, e2e.MAIN_CAPTION, "mixed.json"),
]
POLL_SLEEP = 0.005
# The first paint and whatever the program does right after showing its window
# are done by then, so memory is read in the same state for every program.
SETTLE = 0.5


class Started(e2e.Program):
    """A program started by the loader of its own width."""

    def __init__(self, exe, arch, machine=None):  # noqa: super().__init__ starts with `wine`
        environment = dict(os.environ, KORVANE_SIM_MACHINE=machine) if machine else None
        self.process = subprocess.Popen([LOADERS[arch], exe], env=environment,
                                        stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)


def cpu_seconds(pid):
    """Time the process's threads have run on a CPU (schedstat, nanoseconds):
    unlike the wall time, the other work on the machine barely changes it."""
    total = 0
    for task in os.listdir("/proc/%d/task" % pid):
        try:
            with open("/proc/%d/task/%s/schedstat" % (pid, task)) as file:
                total += int(file.read().split()[0])
        except FileNotFoundError:  # a thread that has just ended
            pass
    return total / 1e9


def time_to_window(exe, arch, caption, machine=None):
    """Seconds from the launch to a visible window with the caption, the CPU
    seconds the process used until then, the program and its window;
    xdotool's own run time bounds the resolution."""
    start = time.monotonic()
    program = Started(exe, arch, machine)
    while True:
        windows = e2e.find_windows(caption)
        if windows:
            elapsed = time.monotonic() - start
            return elapsed, cpu_seconds(program.process.pid), program, windows[0]
        if not program.running():
            raise RuntimeError("%s exited (%s) before showing its window"
                               % (exe, program.process.returncode))
        if time.monotonic() - start > 30:
            program.stop()
            raise RuntimeError("%s showed no window in 30 s" % exe)
        time.sleep(POLL_SLEEP)


def linux_rss_kib(program, exe):
    """VmRSS of the Wine process running the program. The loader execs into
    it, so the launched pid is that process; the name check guards that."""
    pid = program.process.pid
    with open("/proc/%d/cmdline" % pid, "rb") as file:
        if os.path.basename(exe).encode() not in file.read():
            raise RuntimeError("pid %d does not run %s" % (pid, exe))
    with open("/proc/%d/status" % pid) as file:
        return int(re.search(r"^VmRSS:\s+(\d+) kB", file.read(), re.M).group(1))


def poll_cost_ms():
    """What one window search costs: the resolution of the start-up times."""
    samples = []
    for _ in range(20):
        start = time.monotonic()
        e2e.find_windows("no window has this caption")
        samples.append((time.monotonic() - start) * 1000)
    return median(samples)


def load_average():
    with open("/proc/loadavg") as file:
        return float(file.read().split()[0])


def stripped_size(path, arch):
    """Size without the symbol table, as the release ships it."""
    target = "/tmp/korvane-startup-bench-stripped-%d.exe" % os.getpid()
    subprocess.run([arch + "-w64-mingw32-strip", "-o", target, path], check=True)
    size = os.path.getsize(target)
    os.unlink(target)
    return size


def imported_dlls(path, arch):
    text = subprocess.run([arch + "-w64-mingw32-objdump", "-p", path], check=True,
                          capture_output=True, text=True).stdout
    return sorted(set(re.findall(r"DLL Name: (\S+)", text)), key=str.lower)


def measure(runs):
    """Start times (ms) and RSS (KiB) of every (arch, program), interleaved."""
    machines = {machine: e2e.windows_path(os.path.join(MACHINES, machine))
                for _, _, _, machine in PROGRAMS if machine}
    cases = [(arch, name, os.path.join(BUILDS[arch], path), caption, machines.get(machine))
             for arch in BUILDS for name, path, caption, machine in PROGRAMS]
    times = {case[:2]: [] for case in cases}
    cpu_times = {case[:2]: [] for case in cases}
    rss = {case[:2]: [] for case in cases}
    codes = {case[:2]: set() for case in cases}
    loads = [load_average()]
    # One untimed start of each first: the files come into the page cache and
    # Wine's per-program first-start work is done.
    for arch, _, exe, caption, machine in cases:
        _, _, program, window = time_to_window(exe, arch, caption, machine)
        close_window(program, window, caption)
    for round_number in range(runs):
        # Each round starts every case once, beginning one case further on, so
        # that a drift in the machine's load favours none of them.
        shift = round_number % len(cases)
        for arch, name, exe, caption, machine in cases[shift:] + cases[:shift]:
            elapsed, cpu, program, window = time_to_window(exe, arch, caption, machine)
            times[arch, name].append(elapsed * 1000)
            cpu_times[arch, name].append(cpu * 1000)
            time.sleep(SETTLE)
            rss[arch, name].append(linux_rss_kib(program, exe))
            codes[arch, name].add(close_window(program, window, caption))
        loads.append(load_average())
    return times, cpu_times, rss, codes, loads


def print_times(times, codes, runs, resolution, loads):
    print("# Start-up: the program against the floor and a bare dialog\n")
    print("Time from launching the program under Wine (`wine` for i686, `wine64` for x86_64; "
          "a warm wineserver, the Xvfb display of scripts/bench.sh) until `xdotool search "
          "--onlyvisible --name '^<caption>$'` finds its main window, polled with %d ms sleeps; "
          "one search costs %.1f ms (median), which bounds the resolution. `bare_dialog.exe` is "
          "built with the program's own options (static runtime, hardening, its manifest) and "
          "shows, with `DialogBoxParamA`, a modal dialog of the main window's size, style and "
          "font with one list box, and does nothing else. `floor_dialog.exe` is that dialog "
          "importing the program's DLLs and making, in its WM_INITDIALOG, the calls every "
          "start of the program must make: one process snapshot walked to its end, one "
          "disk-interface device set queried, the Startup folder looked up, COM initialised. "
          "`Korvane_Safe_Eject.exe` is the real program (Wine shows it no disks); *sim on ...* is "
          "`Korvane_Safe_Eject_sim.exe` on a machine of bench/machines/, listing its four "
          "drives. One untimed start of each, then %d rounds that start each of the %d once, "
          "each round beginning "
          "one further on; each start is closed with Alt+F4 and its exit awaited before the "
          "next. The machine is shared: load average %.2f at the start, %.2f at the end, "
          "median %.2f over the rounds (2 cores).\n"
          % (POLL_SLEEP * 1000, resolution, runs, len(times), loads[0], loads[-1],
             median(loads)))
    print("Where the time goes, step by step, is traced in startup-steps.md beside this file.\n")
    print("| Architecture | Program | Starts | Median ms | p90 ms | Min ms | Max ms | Exit codes |")
    print("|---|---|---:|---:|---:|---:|---:|---|")
    for (arch, name), samples in times.items():
        exits = ", ".join("killed" if c is None else str(c) for c in sorted(
            codes[arch, name], key=lambda c: -1 if c is None else c))
        print("| %s | %s | %d | %.1f | %.1f | %.1f | %.1f | %s |" % (
            arch, name, len(samples), median(samples), percentile(samples, 0.9), min(samples),
            max(samples), exits))
    print("\n| Architecture | Program / floor (medians) | Floor / bare | Program / bare "
          "| Program − floor, ms | Program / floor (fastest starts) |")
    print("|---|---:|---:|---:|---:|---:|")
    program, floor, bare, usbstor, mixed = (entry[0] for entry in PROGRAMS)
    for arch in BUILDS:
        p, f, b = (median(times[arch, name]) for name in (program, floor, bare))
        print("| %s | **%.2f** | %.2f | %.2f | %+.1f | %.2f |" % (
            arch, p / f, f / b, p / b, p - f,
            min(times[arch, program]) / min(times[arch, floor])))
    print("\nWith drives to list: the sim program on each machine against the floor, and the "
          "mixed machine (whose SCSI disks cost a parent lookup and a device ID read each) "
          "against the USBSTOR one.\n")
    print("| Architecture | usbstor_only / floor | mixed / floor | mixed / usbstor_only "
          "| mixed − usbstor_only, ms |")
    print("|---|---:|---:|---:|---:|")
    for arch in BUILDS:
        f, u, m = (median(times[arch, name]) for name in (floor, usbstor, mixed))
        print("| %s | **%.2f** | **%.2f** | %.2f | %+.1f |" % (arch, u / f, m / f, m / u, m - u))
    print()


def print_cpu(cpu_times):
    print("## CPU time to the window\n")
    print("What the Wine process running the program spent on a CPU, all its threads, from "
          "its start until its window was found (`/proc/<pid>/task/*/schedstat`). The other "
          "work on the machine stretches the wall times above but hardly this; the "
          "wineserver's and the X server's share is not in it.\n")
    print("| Architecture | Program | Median CPU ms | Min CPU ms | Program / floor | Floor / bare |")
    print("|---|---|---:|---:|---:|---:|")
    program, floor, bare, *sims = (entry[0] for entry in PROGRAMS)
    for arch in BUILDS:
        f, b = (median(cpu_times[arch, name]) for name in (floor, bare))
        for name in (program, floor, bare, *sims):
            value = median(cpu_times[arch, name])
            ratios = (" | %.2f |" % (f / b) if name == floor else " | |" if name == bare
                      else "**%.2f** | |" % (value / f))
            print("| %s | %s | %.1f | %.1f | %s" % (arch, name, value,
                                                    min(cpu_times[arch, name]), ratios))
    print()


def print_memory(rss):
    print("## Memory after start\n")
    print("`VmRSS` of the Wine process running the program, read %.1f s after its window "
          "showed, in every timed start; medians. It counts Wine's own libraries and mappings "
          "(ntdll, the Unix side of win32u and x11drv, fonts...), so it is not what Windows "
          "would report (Wine 8 answers `GetProcessMemoryInfo`'s working set from these same "
          "figures); the differences between the programs are what the program adds.\n"
          % SETTLE)
    print("| Architecture | Program | Linux RSS, KiB |")
    print("|---|---|---:|")
    for (arch, name), samples in rss.items():
        print("| %s | %s | %.0f |" % (arch, name, median(samples)))
    print()


def print_sizes():
    print("## Executable sizes\n")
    print("As built (Release, `-static`, symbol table kept) and stripped as the release "
          "ships them, with the DLLs each imports.\n")
    print("| Executable | Architecture | Bytes | Stripped bytes | Stripped KiB | DLLs imported |")
    print("|---|---|---:|---:|---:|---|")
    for arch, build in BUILDS.items():
        for name, path, _, machine in PROGRAMS:
            if machine:
                continue  # the sim program is no yardstick of size
            full = os.path.join(build, path)
            size = os.path.getsize(full)
            stripped = stripped_size(full, arch)
            print("| %s | %s | %d | %d | %.1f | %s |" % (
                name, arch, size, stripped, stripped / 1024,
                ", ".join(imported_dlls(full, arch))))


def main():
    runs = int(sys.argv[1]) if len(sys.argv) > 1 else 25
    if not 1 <= runs <= 1000 or len(sys.argv) > 2:
        sys.exit("usage: startup_bench.py [rounds, 1..1000]")
    resolution = poll_cost_ms()
    times, cpu_times, rss, codes, loads = measure(runs)
    print_times(times, codes, runs, resolution, loads)
    print_cpu(cpu_times)
    print_memory(rss)
    print_sizes()
    # scripts/bench.sh takes a run without this line for one that was cut short.
    print("\n<!-- complete -->")


if __name__ == "__main__":
    main()
