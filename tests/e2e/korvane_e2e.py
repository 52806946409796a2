# Drives the built programs as a user would: real processes under Wine, real
# mouse and keyboard input through X (xdotool), screenshots (ImageMagick). The
# suites run inside scripts/ctest-in-display.sh: a private Xvfb display, the
# tree's Wine prefix and a warm wineserver are already there.
import json
import os
import re
import shutil
import subprocess
import tempfile
import time
import unittest

BUILD = os.environ.get("KORVANE_BUILD_DIR",
                       os.path.join(os.path.dirname(__file__), "..", "..", "build", "x86_64"))
SIM_PROGRAM = os.path.join(BUILD, "src", "Korvane_Safe_Eject_sim.exe")
SIM_CONTROL = os.path.join(BUILD, "tests", "e2e", "sim_control.exe")
COMPANION = os.path.join(BUILD, "tests", "e2e", "Warden.exe")
MAIN_CAPTION = "Korvane Vuru DIZ Azova v1.43"
TRAY_CAPTION = "Wine System Tray"
ARCH = os.environ.get("KORVANE_ARCH", os.path.basename(os.path.normpath(BUILD)))
# Wine's own `wine` is its 32-bit loader: it would run a 64-bit program as a
# second process behind a 32-bit start.exe, and a test follows the program's
# own process, so 64-bit programs get the 64-bit loader itself.
WINE = "/usr/lib/wine/wine64" if ARCH == "x86_64" else "wine"


def run(*command, check=True, timeout=60):
    return subprocess.run(command, check=check, timeout=timeout, capture_output=True, text=True)


def find_windows(caption):
    """Ids of the visible X windows whose title is exactly `caption`."""
    result = run("xdotool", "search", "--onlyvisible", "--name", "^%s$" % caption, check=False)
    return [int(line) for line in result.stdout.split()]


def wait_for(predicate, timeout=15.0, what="condition"):
    deadline = time.monotonic() + timeout
    while not (value := predicate()):
        if time.monotonic() > deadline:
            raise AssertionError("timed out waiting for %s" % what)
        time.sleep(0.1)
    return value


def wait_window(caption, timeout=15.0):
    return wait_for(lambda: find_windows(caption), timeout, what="window %r" % caption)[0]


def wait_no_window(caption, timeout=10.0):
    wait_for(lambda: not find_windows(caption), timeout, what="no window %r" % caption)


def geometry(window):
    """(x, y, width, height) of a window in root coordinates."""
    values = dict(line.split("=") for line in run(
        "xdotool", "getwindowgeometry", "--shell", str(window)).stdout.split())
    return int(values["X"]), int(values["Y"]), int(values["WIDTH"]), int(values["HEIGHT"])


def screen_size():
    return tuple(int(part) for part in run("xdotool", "getdisplaygeometry").stdout.split())


def click(x, y, button=1, repeat=1):
    run("xdotool", "mousemove", "--sync", str(x), str(y))
    run("xdotool", "click", "--repeat", str(repeat), "--delay", "80", str(button))


def key(window, *names):
    """Real key presses (XTEST) to the window, which gets the focus first."""
    run("xdotool", "windowfocus", "--sync", str(window))
    run("xdotool", "key", *names)


def options_item(window, item):
    """Chooses an item (1-based) of the Options menu with the mouse."""
    x, y, _, _ = geometry(window)
    click(x + 25, y + 30)
    time.sleep(0.4)
    click(x + 60, y + 30 + 19 * item)


def screenshot(path, crop=None):
    """The whole screen, or the (x, y, width, height) part of it."""
    run("import", "-window", "root", path)
    if crop:
        run("convert", path, "-crop", "%dx%d+%d+%d" % (crop[2], crop[3], crop[0], crop[1]),
            "+repage", path)
    return path


def pixel(path, x, y):
    """(r, g, b) of one pixel of an image; ImageMagick prints "0,0: (0,0,200)  #0000C8 ..."."""
    text = run("convert", path, "-crop", "1x1+%d+%d" % (x, y), "-depth", "8", "txt:-").stdout
    values = text.splitlines()[-1].split("(")[1].split(")")[0]
    return tuple(int(float(part)) for part in values.split(",")[:3])


def sim_journal():
    """The running sim program's journal, one call a line, written out by sim_control."""
    with tempfile.TemporaryDirectory() as folder:
        path = os.path.join(folder, "journal.txt")
        run(WINE, SIM_CONTROL, "journal", run("winepath", "-w", path).stdout.strip(), timeout=30)
        with open(path, encoding="latin-1") as file:
            return file.read().splitlines()


def removal_requests(journal):
    return [line for line in journal
            if line.startswith(("CM_Request_Device_EjectA", "CM_Query_And_Remove_SubTreeA"))]


def machine_file(folder, disks, volumes):
    path = os.path.join(folder, "machine.json")
    with open(path, "w") as file:
        json.dump({"disks": disks, "volumes": volumes}, file)
    return path


def wine_processes(exe_name):
    """Linux pids of the Wine processes running the executable of that name."""
    pattern = r"[/\\]%s( |$)" % re.escape(exe_name)
    return [int(pid) for pid in run("pgrep", "-f", pattern, check=False).stdout.split()]


class Program:
    """One running copy of a program under Wine."""

    def __init__(self, exe, *arguments, machine=None, cwd=None, prefix=None):
        environment = dict(os.environ)
        if machine:
            environment["KORVANE_SIM_MACHINE"] = machine
        if prefix:  # another Wine prefix than the tests' own
            environment["WINEPREFIX"] = prefix
        self.process = subprocess.Popen([WINE, exe, *arguments], env=environment, cwd=cwd,
                                        stdout=subprocess.DEVNULL, stderr=subprocess.PIPE)

    def wait_exit(self, timeout=15.0):
        return self.process.wait(timeout=timeout)

    def stop(self):
        if self.process.poll() is None:
            self.process.kill()
            self.process.wait(timeout=15)


class ProgramTestCase(unittest.TestCase):
    """Starts programs, and makes sure none outlives its test."""

    def setUp(self):
        self.programs = []
        self.scratch = tempfile.mkdtemp(prefix="korvane-e2e-")
        self.addCleanup(shutil.rmtree, self.scratch, ignore_errors=True)
        self.addCleanup(lambda: [program.stop() for program in self.programs])

    def start(self, exe=SIM_PROGRAM, *arguments, **options):
        self.programs.append(Program(exe, *arguments, **options))
        return self.programs[-1]

    def program_copy(self, name="Korvane_Safe_Eject.exe"):
        """The sim program under another file name, in a folder of its own."""
        path = os.path.join(tempfile.mkdtemp(dir=self.scratch), name)
        shutil.copy(SIM_PROGRAM, path)
        return path
