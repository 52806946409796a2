# The tray with real mouse input: a hidden start, the icon's double-click and
# its menu.
import time
import unittest

from korvane_e2e import (MAIN_CAPTION, TRAY_CAPTION, ProgramTestCase, click, find_windows,
                         geometry, machine_file, options_item, screen_size, sim_journal,
                         wait_window)


def tray_icon_point():
    """The first icon of Wine's stand-alone tray window (no taskbar runs here)."""
    x, y, _, _ = geometry(wait_window(TRAY_CAPTION))
    return x + 13, y + 33


def choose_in_tray_menu(icon_point, item):
    """The menu's bottom-left corner is asked for at the cursor; next to the
    screen's top edge Windows pushes it down to start at the edge."""
    x, y = icon_point
    click(x, y, button=3)
    time.sleep(0.5)
    click(x + 27, max(0, y - 48) + {"Restore": 12, "Exit": 37}[item])


class TrayTest(ProgramTestCase):

    def test_min_starts_hidden_and_the_tray_brings_the_window_back_in_its_place(self):
        # Every label readable: no 3-second rebuilds to blur the count.
        machine = machine_file(self.scratch, [{"devInst": "0x1101", "parent": "0x1100",
                                               "diskNumber": 1, "friendlyName": "Stick"}], [])
        refreshes = lambda: sum("SetupDiGetClassDevsA" in line for line in sim_journal())
        for way in ("double-click", "Restore"):
            with self.subTest(way):
                program = self.start(self.program_copy(), "/min", machine=machine)
                point = tray_icon_point()
                time.sleep(1.5)
                self.assertFalse(find_windows(MAIN_CAPTION), "no window at any time after start-up")
                before = refreshes()
                if way == "Restore":
                    choose_in_tray_menu(point, "Restore")
                else:
                    click(*point, repeat=2)
                window = wait_window(MAIN_CAPTION)
                self.assertEqual(refreshes() - before, 1 if way == "double-click" else 0)
                width, height = screen_size()
                self.assertEqual(geometry(window)[:2], (width - 400, height - 246))
                if way == "Restore":  # the icon stayed: its Exit takes it away
                    choose_in_tray_menu(point, "Exit")
                else:
                    options_item(window, 3)  # "Exit"
                self.assertEqual(program.wait_exit(), 0)


if __name__ == "__main__":
    unittest.main()
