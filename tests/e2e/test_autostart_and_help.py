"""Autostart through the Options menu and a real log-on of the Wine prefix."""
import getpass
import os
import subprocess
import time
import unittest

from korvane_e2e import (MAIN_CAPTION, ProgramTestCase, find_windows, options_item, wait_for,
                         wait_no_window, wait_window, wine_processes)
from test_tray import TRAY_CAPTION



def startup_folder():
    return os.path.join(os.environ["WINEPREFIX"], "drive_c", "users", getpass.getuser(),
                        "AppData", "Roaming", "Microsoft", "Windows", "Start Menu", "Programs",
                        "StartUp")


class AutostartTest(ProgramTestCase):

    def setUp(self):
        super().setUp()
        self.link = os.path.join(startup_folder(), "Korvane_Safe_Eject.lnk")
        self.addCleanup(lambda: os.path.exists(self.link) and os.remove(self.link))

    def test_switched_on_in_the_menu_then_the_log_on_starts_it_hidden(self):
        program = self.program_copy()
        first = self.start(program)
        window = wait_window(MAIN_CAPTION)
        self.assertFalse(os.path.exists(self.link))
        options_item(window, 2)  # "Autostart with Windows"
        wait_for(lambda: os.path.exists(self.link), what="the Startup shortcut")
        first.stop()
        wait_no_window(MAIN_CAPTION)

        # The prefix's log-on runs the Startup folder's shortcuts.
        # Its output goes nowhere: the programs it starts would hold a pipe open.
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
