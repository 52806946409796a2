"""The main window on the simulated machine, used with the real mouse and
keyboard: where it appears, how rows are chosen, and the close button."""
import os
import unittest

from korvane_e2e import ProgramTestCase, click, geometry, key, pixel, screenshot, wait_for, xdotool

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

    def test_close_button_ends_the_program_with_code_zero(self):
        program, window = self.start_main_window()
        x, y, width, _ = geometry(window)
        click(x + width - 12, y + 10)  # the caption's close button
        self.assertEqual(program.wait_exit(), 0)


if __name__ == "__main__":
    unittest.main()
