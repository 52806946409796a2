"""The tray: a hidden start, the icon's double-click, and its menu, with real
mouse and keyboard input."""
import time
import unittest

from korvane_e2e import (MAIN_CAPTION, ProgramTestCase, SimControl, click, find_windows,
                         geometry, options_item, wait_no_window, wait_window)

TRAY_CAPTION = "Wine System Tray"


def tray_icon_point():
    """The first icon of Wine's stand-alone tray window (no taskbar runs here)."""
    x, y, _, _ = geometry(wait_window(TRAY_CAPTION))
    return x + 13, y + 33


def tray_menu_item(icon_point, item):
    """Where an item of the tray menu lies once it is open. Its bottom-left corner
    is asked for at the cursor; next to the screen's top edge Windows pushes it
    down to start at the edge."""
    x, y = icon_point
    top = max(0, y - 48)
    return x + 27, top + {"Restore": 12, "Exit": 37}[item]


class TrayTest(ProgramTestCase):

    def refreshes(self):
        return sum("SetupDiGetClassDevsA" in line for line in SimControl().journal())

    def test_min_starts_hidden_and_a_double_click_brings_the_window_back(self):
        program = self.start(self.program_copy(), "/min")
        point = tray_icon_point()
        time.sleep(1.5)
        self.assertFalse(find_windows(MAIN_CAPTION), "no window at any time after start-up")
        self.assertTrue(program.running())
        before = self.refreshes()
        click(*point, repeat=2)
        wait_window(MAIN_CAPTION)
        self.assertEqual(self.refreshes() - before, 1, "a fresh list")

    def test_tray_menu_restores_and_exits(self):
        program, window = self.start_main_window()
        options_item(window, 1)  # "Minimize to tray"
        wait_no_window(MAIN_CAPTION)
        point = tray_icon_point()
        click(*point, button=3)
        time.sleep(0.5)
        click(*tray_menu_item(point, "Restore"))
        wait_window(MAIN_CAPTION)
        self.assertTrue(program.running())
        click(*point, button=3)  # the icon stayed in the tray
        time.sleep(0.5)
        click(*tray_menu_item(point, "Exit"))
        self.assertEqual(program.wait_exit(), 0)

    def test_minimise_button_goes_to_the_taskbar_not_the_tray(self):
        program, window = self.start_main_window()
        x, y, width, _ = geometry(window)
        click(x + width - 44, y + 10)  # the caption's minimise button
        time.sleep(1)
        self.assertTrue(program.running())
        self.assertFalse(find_windows(TRAY_CAPTION), "no tray icon")


if __name__ == "__main__":
    unittest.main()
