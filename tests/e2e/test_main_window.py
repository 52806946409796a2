# The main window on the simulated machine with the real mouse and keyboard:
# rows chosen by click and by key, a UAS drive ejected through its USB parent
# by double-click, the close button, and a locked Warden drive ejected by
# Enter after its real companion process, which holds its volume, is ended
# (where the window appears is test_display_scale's).
import os
import time
import unittest

from korvane_e2e import (COMPANION, MAIN_CAPTION, ProgramTestCase, click, geometry, key,
                         machine_file, pixel, removal_requests, screenshot, sim_journal, wait_for,
                         wait_no_window, wait_window)

SELECTED_BLUE = (0, 0, 200)


def row_point(window, row, dy=20):
    """The row's centre in root coordinates; with dy=35 a point below its text,
    above the separator. The first row starts 67 pixels down, under the caption,
    menu bar and hint strip (Wine's Tahoma); each is 40 high."""
    x, y, width, _ = geometry(window)
    return x + width // 2, y + 67 + 40 * row + dy


class MainWindowTest(ProgramTestCase):

    def chosen_rows(self, window):
        shot = screenshot(os.path.join(self.scratch, "rows.png"))
        return [row for row in (0, 1) if pixel(shot, *row_point(window, row, 35)) == SELECTED_BLUE]

    def test_rows_are_chosen_by_mouse_and_keys_a_double_click_ejects_and_close_ends(self):
        program = self.start()
        window = wait_window(MAIN_CAPTION)
        self.assertEqual(self.chosen_rows(window), [], "no row is chosen at start")
        click(*row_point(window, 0))
        wait_for(lambda: self.chosen_rows(window) == [0], what="row 0 chosen")
        key(window, "Down")
        wait_for(lambda: self.chosen_rows(window) == [1], what="row 1 chosen, row 0 not")

        click(*row_point(window, 0), repeat=2)  # row 0: the UAS SSD, newest found
        # A SCSI disk, listed because its parent is a USB device: that device is
        # ejected, once, and the user sees the system's notice.
        wait_for(lambda: removal_requests(sim_journal()), what="a removal request")
        self.assertEqual(removal_requests(sim_journal()), [
            "CM_Request_Device_EjectA(0x1500, NULL, NULL, 0, 0x0) -> CR_SUCCESS, system notice"])

        x, y, width, _ = geometry(window)
        click(x + width - 12, y + 10)  # the caption's close button
        self.assertEqual(program.wait_exit(), 0)

    def test_enter_ejects_the_chosen_locked_warden_after_ending_its_companion(self):
        # While the companion runs, Windows refuses the removal of the volume it holds.
        machine = machine_file(self.scratch, [
            {"devInst": "0x1601", "parent": "0x1600", "diskNumber": 6, "eject": "accessDenied"},
            {"devInst": "0x1301", "parent": "0x1300", "diskNumber": 3,
             "friendlyName": "QN Warden USB Device"}], [
            {"guidPath": "\\\\?\\Volume{33333333-0000-0000-0000-000000000003}\\",
             "mountPaths": ["G:\\"], "diskNumber": 3, "totalBytes": 8 * 2**30,
             "freeBytes": 5 * 2**30, "heldBy": "Warden.exe", "label": None,
             "freeSpaceFails": True}])
        companion = self.start(COMPANION)
        time.sleep(1)
        self.assertIsNone(companion.process.poll(), "the companion runs")
        # Renamed, in the ANSI code page's letters: the name every box carries.
        self.start(self.program_copy("\u00c9jecter cl\u00e9.exe"), machine=machine)
        window = wait_window(MAIN_CAPTION)
        click(*row_point(window, 0))
        key(window, "Return")
        request = wait_for(lambda: removal_requests(sim_journal()), what="the eject request")
        self.assertEqual(companion.wait_exit(timeout=10), 0, "Warden.exe was ended")
        self.assertEqual(request, ["CM_Request_Device_EjectA(0x1300, NULL, NULL, 0, 0x0) -> "
                                   "CR_SUCCESS, system notice"])
        # A session that may not eject is told so in a box of the program's own.
        click(*row_point(window, 0))
        key(window, "Return")
        key(wait_window("\u00c9jecter cl\u00e9"), "Return")
        wait_no_window("\u00c9jecter cl\u00e9")


if __name__ == "__main__":
    unittest.main()
