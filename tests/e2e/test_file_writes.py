"""The program's only persistent state is the Startup shortcut: a session in
which the user switches autostart on and exits leaves no
other new or changed file in the Wine prefix, beside the program, or in the
user's shell folders."""
import glob
import os
import time
import unittest

from korvane_e2e import MAIN_CAPTION, ProgramTestCase, options_item, wait_for, wait_window
from test_autostart_and_help import startup_folder

# Left out of the comparison: the wineserver's registry files beside drive_c.
# The server saves the registry on a timer of its own and at shutdown,
# whichever process changed it, so whether a save falls inside the test is a
# matter of timing; the program itself writes no registry value. No folder of
# drive_c is left out, Wine's temp folders included: in measured runs Wine
# wrote nothing under drive_c during such a session, and a file the program
# left in a temp folder would be exactly what this test is for.
WINE_REGISTRY_FILES = {"system.reg", "user.reg", "userdef.reg"}


def snapshot(root, recurse=True):
    """{path relative to root: (size, mtime)} of every file under root (or
    only in it). Links are not followed: dosdevices' drive links would lead
    through the whole host."""
    files = {}
    for folder, subfolders, names in os.walk(root, followlinks=False):
        if not recurse:
            subfolders[:] = []
        for name in names:
            path = os.path.join(folder, name)
            if os.path.islink(path):
                continue
            status = os.lstat(path)
            files[os.path.relpath(path, root)] = (status.st_size, status.st_mtime_ns)
    return files


def shell_folder_targets(prefix):
    """The host folders the prefix's user shell folders (Desktop, Documents,
    ...) link to."""
    targets = set()
    for user in glob.glob(os.path.join(prefix, "drive_c", "users", "*")):
        for entry in os.scandir(user):
            if entry.is_symlink() and os.path.isdir(entry.path):
                targets.add(os.path.realpath(entry.path))
    return sorted(targets)


def changes(before, after):
    """Paths that are new, changed or gone."""
    return sorted(path for path in set(before) | set(after) if before.get(path) != after.get(path))


class FileWritesTest(ProgramTestCase):

    def setUp(self):
        super().setUp()
        self.prefix = os.environ["WINEPREFIX"]
        self.link = os.path.join(startup_folder(), "Korvane_Safe_Eject.lnk")
        self.addCleanup(lambda: os.path.exists(self.link) and os.remove(self.link))

    def snapshot_all(self, program_folder):
        places = {
            "prefix": {name: value for name, value in snapshot(self.prefix, False).items()
                       if name not in WINE_REGISTRY_FILES},
            "drive_c": snapshot(os.path.join(self.prefix, "drive_c")),
            "program folder": snapshot(program_folder),
        }
        # What lands directly in a shell folder is looked at; the host's own
        # dot-files in the home folder they lead to are not the program's.
        for target in shell_folder_targets(self.prefix):
            places[target] = {name: value for name, value in snapshot(target, False).items()
                              if not name.startswith(".")}
        return places

    def test_only_the_startup_shortcut_is_written(self):
        program_path = self.program_copy()
        program_folder = os.path.dirname(program_path)
        before = self.snapshot_all(program_folder)
        # Started from its own folder, which is then also where a relative
        # path would land.
        previous = os.getcwd()
        os.chdir(program_folder)
        try:
            program = self.start(program_path)
        finally:
            os.chdir(previous)
        window = wait_window(MAIN_CAPTION)
        time.sleep(0.3)

        options_item(window, 2)  # "Autostart with Windows"
        wait_for(lambda: os.path.exists(self.link), what="the Startup shortcut")
        options_item(window, 3)  # "Exit"
        self.assertEqual(program.wait_exit(), 0)

        after = self.snapshot_all(program_folder)
        written = {place: changes(before[place], after[place]) for place in before}
        link = os.path.relpath(self.link, os.path.join(self.prefix, "drive_c"))
        self.assertEqual(written, {place: [link] if place == "drive_c" else [] for place in before})


if __name__ == "__main__":
    unittest.main()
