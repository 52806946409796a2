"""Ejecting with the real mouse and keyboard on the sim program: the request
the simulated machine receives, the row gone after the removal broadcast, the
Warden guard with a real companion process, and the newest start surviving."""
import json
import os
import time
import unittest

from korvane_e2e import (COMPANION, MAIN_CAPTION, ProgramTestCase, SimControl, click,
                         find_windows, key, wait_for, wait_window)
from test_main_window import MainWindowLayout

WARNING_CAPTION = "QN Warden Drive currently active!"


def machine_file(folder, disks, volumes):
    path = os.path.join(folder, "machine.json")
    with open(path, "w") as file:
        json.dump({"disks": disks, "volumes": volumes}, file)
    return path


def warden_machine(folder, locked):
    # The companion holds the volume open: while it runs, Windows refuses the removal.
    volume = {"guidPath": "\\\\?\\Volume{33333333-0000-0000-0000-000000000003}\\",
              "mountPaths": ["G:\\"], "diskNumber": 3, "totalBytes": 8 * 2**30,
              "freeBytes": 5 * 2**30, "heldBy": "Warden.exe",
              "label": None if locked else "VAULT", "freeSpaceFails": locked}
    return machine_file(folder, [{"devInst": "0x1301", "parent": "0x1300", "diskNumber": 3,
                                  "friendlyName": "QN Warden USB Device"}], [volume])


def requests(journal):
    return [line for line in journal
            if line.startswith(("CM_Request_Device_EjectA", "CM_Query_And_Remove_SubTreeA"))]


class EjectTest(ProgramTestCase):

    def test_double_click_ejects_the_row_and_the_row_goes(self):
        _, window = self.start_main_window()
        layout = MainWindowLayout(window)
        control = SimControl()
        click(*layout.row_point(0), repeat=2)  # row 0: the generic stick, newest found
        journal = wait_for(lambda: requests(control.journal()) and control.journal(),
                           what="a removal request")
        # The stick's parent is not marked removable: its subtree is removed.
        self.assertEqual([line.split(",")[0] for line in requests(journal)],
                         ["CM_Query_And_Remove_SubTreeA(0x1400"])
        after = journal[journal.index(requests(journal)[0]):]
        # The request's own refresh, then two for the removal broadcast.
        wait_for(lambda: sum("SetupDiGetClassDevsA" in line
                             for line in control.journal()[len(journal) - len(after):]) >= 3,
                 what="the rebuilds after the removal")
        self.assertFalse(any('"H:\\"' in line for line in control.journal()[-60:]),
                         "the stick's volume is no longer looked at")

    def test_enter_ejects_the_chosen_locked_warden_after_ending_its_companion(self):
        machine = warden_machine(self.scratch, locked=True)
        companion = self.start(COMPANION)
        time.sleep(1)
        self.assertTrue(companion.running())
        _, window = self.start_main_window(machine=machine)
        click(*MainWindowLayout(window).row_point(0))
        key(window, "Return")
        control = SimControl()
        wait_for(lambda: requests(control.journal()), what="the eject request")
        self.assertEqual(companion.wait_exit(timeout=10), 0, "Warden.exe was ended")
        request = requests(control.journal())
        self.assertEqual([line.split(",")[0] for line in request],
                         ["CM_Request_Device_EjectA(0x1300"])
        self.assertTrue(request[0].endswith("-> CR_SUCCESS, system notice"), request[0])

    def test_active_warden_drive_is_only_warned_about(self):
        _, window = self.start_main_window(machine=warden_machine(self.scratch, locked=False))
        click(*MainWindowLayout(window).row_point(0))
        key(window, "Return")
        warning = wait_window(WARNING_CAPTION)
        key(warning, "Return")
        wait_for(lambda: not find_windows(WARNING_CAPTION), what="the warning to close")
        self.assertEqual(requests(SimControl().journal()), [])
        self.assertTrue(find_windows(MAIN_CAPTION))

    def test_newest_start_is_the_copy_that_stays(self):
        program = self.program_copy()
        first = self.start(program)
        wait_window(MAIN_CAPTION)
        second = self.start(program)
        self.assertEqual(first.wait_exit(timeout=15), 0, "the older copy was ended")
        time.sleep(1)
        self.assertTrue(second.running())
        self.assertEqual(len(find_windows(MAIN_CAPTION)), 1)


if __name__ == "__main__":
    unittest.main()
