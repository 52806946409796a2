# Autostart through the Options menu and a real log-on of the Wine prefix.
# The Startup shortcut is the program's only persistent state: the session
# writes no other new or changed file in the Wine prefix, beside the program,
# or in the user's shell folders.
import getpass
import glob
import os
import subprocess
import time
import unittest

from korvane_e2e import (MAIN_CAPTION, TRAY_CAPTION, ProgramTestCase, find_windows, options_item,
                         wait_for, wait_no_window, wait_window, wine_processes)

# The wineserver saves its registry files on a timer of its own, whichever
# process changed the registry; the program writes no registry value. No
# folder of drive_c is left out, Wine's temp folders included.
WINE_REGISTRY_FILES = {"system.reg", "user.reg", "userdef.reg"}


def snapshot(root, recurse=True):
    """{path: (size, mtime)} of the files under root (or only in it), but the
    registry files. Links are not followed: dosdevices' drive links lead
    through the whole host."""
    files = {}
    for folder, subfolders, names in os.walk(root, followlinks=False):
        subfolders[:] = subfolders if recurse else []
        for path in (os.path.join(folder, name) for name in names
                     if name not in WINE_REGISTRY_FILES and (recurse or name[0] != ".")):
            if not os.path.islink(path):
                files[path] = (os.lstat(path).st_size, os.lstat(path).st_mtime_ns)
    return files


def snapshot_all(prefix, program_folder):
    files = snapshot(prefix) | snapshot(program_folder)
    # The host folders the user's shell folders (Desktop, Documents, ...) link
    # to; the host's own dot-files there are not the program's.
    for user in glob.glob(os.path.join(prefix, "drive_c", "users", "*")):
        for entry in os.scandir(user):
            if entry.is_symlink() and os.path.isdir(entry.path):
                files |= snapshot(os.path.realpath(entry.path), recurse=False)
    return files


class AutostartTest(ProgramTestCase):

    def test_switched_on_in_the_menu_writes_one_shortcut_then_the_log_on_starts_it_hidden(self):
        prefix = os.environ["WINEPREFIX"]
        link = os.path.join(prefix, "drive_c", "users", getpass.getuser(), "AppData", "Roaming",
                            "Microsoft", "Windows", "Start Menu", "Programs", "StartUp",
                            "Korvane_Safe_Eject.lnk")
        self.addCleanup(lambda: os.path.exists(link) and os.remove(link))
        program_path = self.program_copy()
        folder = os.path.dirname(program_path)
        before = snapshot_all(prefix, folder)
        # Started from its own folder, where a relative path would land.
        program = self.start(program_path, cwd=folder)
        window = wait_window(MAIN_CAPTION)
        time.sleep(0.3)
        self.assertFalse(os.path.exists(link))
        options_item(window, 2)  # "Autostart with Windows"
        wait_for(lambda: os.path.exists(link), what="the Startup shortcut")
        options_item(window, 3)  # "Exit"
        self.assertEqual(program.wait_exit(), 0)
        wait_no_window(MAIN_CAPTION)
        after = snapshot_all(prefix, folder)
        self.assertEqual(sorted(set(before.items()) ^ set(after.items())), [(link, after[link])])

        # The prefix's log-on runs the Startup folder's shortcuts. Its output
        # goes nowhere: the programs it starts would hold a pipe open.
        subprocess.run(["wine", "wineboot"], stdout=subprocess.DEVNULL,
                       stderr=subprocess.DEVNULL, timeout=120, check=True)
        wait_for(lambda: wine_processes("Korvane_Safe_Eject.exe"), what="the autostarted copy")
        wait_window(TRAY_CAPTION)
        time.sleep(1.5)
        self.assertFalse(find_windows(MAIN_CAPTION), "it starts hidden in the tray")
        for pid in wine_processes("Korvane_Safe_Eject.exe"):
            os.kill(pid, 9)


if __name__ == "__main__":
    unittest.main()
