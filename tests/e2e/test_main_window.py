"""The main window on the simulated machine, used with the real mouse and
keyboard: where it appears, what its rows show, how rows are chosen, and how
the window ends."""
import os
import time
import unittest

from korvane_e2e import (MAIN_CAPTION, ProgramTestCase, SimControl, click, find_windows,
                         geometry, key, options_item, pixel, screenshot, wait_for, wait_window, xdotool)

SELECTED_BLUE = (0, 0, 200)
WHITE = (255, 255, 255)


def screen_size():
    width, height = xdotool("getdisplaygeometry").split()
    return int(width), int(height)


class MainWindowLayout:
    """Where the parts of the window are, in root coordinates."""

    def __init__(self, window):
        self.x, self.y, self.width, self.height = geometry(window)
        # Under the caption, the menu bar and the hint strip, as measured with
        # the test bed's dialog font (Wine's Tahoma); each row is 40 pixels.
        self.first_row_top = self.y + 67

    def row_point(self, row):
        return self.x + self.width // 2, self.first_row_top + 40 * row + 20

    def row_colour_point(self, row):
        # Below the icon and the two text lines, above the separator.
        return self.x + self.width // 2, self.first_row_top + 40 * row + 35


class MainWindowTest(ProgramTestCase):

    def shot(self, name):
        return screenshot(os.path.join(self.scratch, name + ".png"))

    def row_colour(self, layout, row):
        return pixel(self.shot("rows"), *layout.row_colour_point(row))

    def test_appears_near_the_lower_right_corner_with_its_rows(self):
        _, window = self.start_main_window()
        x, y, width, _ = geometry(window)
        screen_width, screen_height = screen_size()
        self.assertEqual((x, y), (screen_width - 400, screen_height - 246))
        self.assertLessEqual(x + width, screen_width, "the whole window is on the screen")
        layout = MainWindowLayout(window)
        self.assertEqual(self.row_colour(layout, 0), WHITE, "no row is chosen at start")

    def test_click_and_arrow_keys_choose_rows(self):
        _, window = self.start_main_window()
        layout = MainWindowLayout(window)
        click(*layout.row_point(0))
        wait_for(lambda: self.row_colour(layout, 0) == SELECTED_BLUE, what="row 0 chosen")
        key(window, "Down")
        wait_for(lambda: self.row_colour(layout, 1) == SELECTED_BLUE, what="row 1 chosen")
        self.assertEqual(self.row_colour(layout, 0), WHITE)
        key(window, "Up")
        wait_for(lambda: self.row_colour(layout, 0) == SELECTED_BLUE, what="row 0 again")

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

    def test_escape_does_nothing(self):
        program, window = self.start_main_window()
        key(window, "Escape")
        time.sleep(1)
        self.assertTrue(program.running())
        self.assertTrue(find_windows(MAIN_CAPTION))

    def test_close_button_ends_the_program_with_code_zero(self):
        program, window = self.start_main_window()
        x, y, width, _ = geometry(window)
        click(x + width - 12, y + 10)  # the caption's close button
        self.assertEqual(program.wait_exit(), 0)

    def test_alt_f4_ends_the_program_with_code_zero(self):
        program, window = self.start_main_window()
        key(window, "alt+F4")
        self.assertEqual(program.wait_exit(), 0)

    def test_exit_in_the_options_menu_ends_the_program(self):
        program, window = self.start_main_window()
        options_item(window, 3)  # "Exit"
        self.assertEqual(program.wait_exit(), 0)

    def test_a_plugged_drive_appears_in_the_list(self):
        _, window = self.start_main_window()
        control = SimControl()
        before = control.journal()
        self.assertTrue(control.plug("""{
            "disks": [{"devInst": "0x9901", "parent": "0x9900", "diskNumber": 9,
                       "friendlyName": "Plugged Test USB Device"}],
            "volumes": [{"guidPath": "\\\\\\\\?\\\\Volume{99999999-0000-0000-0000-000000000009}\\\\",
                         "label": "PLUGGED", "mountPaths": ["P:\\\\"], "diskNumber": 9,
                         "totalBytes": 1048576000, "freeBytes": 524288000}]}"""))
        after = control.journal()[len(before):]
        # The arrival is announced to the window, which rebuilds twice, and
        # finds the new disk's volume each time.
        self.assertEqual(sum("SetupDiGetClassDevsA" in line for line in after), 2)
        self.assertEqual(sum('GetDiskFreeSpaceExA("P:\\"' in line for line in after), 2)
        layout = MainWindowLayout(window)
        self.assertEqual(self.row_colour(layout, 0), WHITE)


if __name__ == "__main__":
    unittest.main()
