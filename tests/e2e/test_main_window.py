"""The main window on the simulated machine, used with the real mouse and
keyboard: where it appears, how rows are chosen, and how the window ends."""
import os
import time
import unittest

from korvane_e2e import (ProgramTestCase, SimControl, click, geometry, key, options_item, pixel,
                         screenshot, wait_for, xdotool)

SELECTED_BLUE = (0, 0, 200)
WHITE = (255, 255, 255)


def screen_size():
    width, height = xdotool("getdisplaygeometry").split()
    return int(width), int(height)


class MainWindowLayout:
    """Where the rows are, in root coordinates: the first starts 67 pixels down,
    under the caption, menu bar and hint strip (Wine's Tahoma); each is 40 high."""

    def __init__(self, window):
        self.x, self.y, self.width, _ = geometry(window)

    def row_point(self, row, dy=20):
        """The row's centre; with dy=35 a point below its text, above the separator."""
        return self.x + self.width // 2, self.y + 67 + 40 * row + dy


class MainWindowTest(ProgramTestCase):

    def row_colour(self, window, row):
        return pixel(screenshot(os.path.join(self.scratch, "rows.png")),
                     *MainWindowLayout(window).row_point(row, 35))

    def test_appears_near_the_lower_right_corner_and_rows_are_chosen_by_mouse_and_keys(self):
        _, window = self.start_main_window()
        screen_width, screen_height = screen_size()
        self.assertEqual(geometry(window)[:2], (screen_width - 400, screen_height - 246))
        self.assertEqual(self.row_colour(window, 0), WHITE, "no row is chosen at start")
        click(*MainWindowLayout(window).row_point(0))
        wait_for(lambda: self.row_colour(window, 0) == SELECTED_BLUE, what="row 0 chosen")
        key(window, "Down")
        wait_for(lambda: self.row_colour(window, 1) == SELECTED_BLUE, what="row 1 chosen")
        self.assertEqual(self.row_colour(window, 0), WHITE)

    def test_a_chosen_row_outlives_the_label_retry_rebuilds(self):
        # The default machine's locked Warden keeps the 3-second timer running.
        _, window = self.start_main_window()
        click(*MainWindowLayout(window).row_point(0))  # the generic stick, disk 4
        time.sleep(7)
        before = len(SimControl().journal())
        key(window, "Return")
        after = SimControl().journal()[before:]
        self.assertTrue(any("CM_Get_Parent" in line and "0x1401" in line for line in after),
                        "Enter ejects the row chosen 7 seconds earlier")

    def test_close_button_alt_f4_and_exit_end_the_program_with_code_zero(self):
        for way in ("close button", "alt+F4", "Exit"):
            with self.subTest(way):
                program, window = self.start_main_window()
                x, y, width, _ = geometry(window)
                if way == "close button":
                    click(x + width - 12, y + 10)
                elif way == "alt+F4":
                    key(window, "alt+F4")
                else:
                    options_item(window, 3)
                self.assertEqual(program.wait_exit(), 0)


if __name__ == "__main__":
    unittest.main()
