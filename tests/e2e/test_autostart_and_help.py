"""Autostart through the Options menu and a real log-on of the Wine prefix;
the About box from both of its menus; user guide windows."""
import getpass
import os
import subprocess
import time
import unittest

from korvane_e2e import (MAIN_CAPTION, ProgramTestCase, find_windows, help_item, key,
                         options_item, wait_for, wait_no_window, wait_window, wine_processes)
from test_tray import TRAY_CAPTION

ABOUT_CAPTION = "About Korvane Safe Eject"
GUIDE_CAPTION = "User Guide - Korvane Zavo DER Edizu"


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

    def test_switched_off_again_removes_the_shortcut(self):
        self.start(self.program_copy())
        window = wait_window(MAIN_CAPTION)
        options_item(window, 2)
        wait_for(lambda: os.path.exists(self.link), what="the Startup shortcut")
        options_item(window, 2)
        wait_for(lambda: not os.path.exists(self.link), what="the shortcut to go")


class HelpTest(ProgramTestCase):

    def test_about_box_from_the_help_menu_and_the_system_menu(self):
        _, window = self.start_main_window()
        help_item(window, 3)  # "A&bout"
        about = wait_window(ABOUT_CAPTION)
        key(about, "Escape")
        wait_no_window(ABOUT_CAPTION)
        key(window, "alt+space")  # the system menu
        time.sleep(0.4)
        key(window, "Up", "Return")  # its last item: "About ..."
        about = wait_window(ABOUT_CAPTION)
        key(about, "Return")
        wait_no_window(ABOUT_CAPTION)
        self.assertTrue(find_windows(MAIN_CAPTION))

    def test_each_user_guide_command_opens_another_window(self):
        _, window = self.start_main_window()
        help_item(window, 1)  # "User Guide"
        wait_window(GUIDE_CAPTION)
        help_item(window, 1)
        wait_for(lambda: len(find_windows(GUIDE_CAPTION)) == 2, what="two guide windows")


if __name__ == "__main__":
    unittest.main()
