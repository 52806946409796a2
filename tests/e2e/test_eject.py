"""A Warden drive ejected with the real keyboard while a real companion
process holds its volume: the program ends the companion, then asks."""
import time
import unittest

from korvane_e2e import (COMPANION, ProgramTestCase, click, key, machine_file, removal_requests,
                         sim_journal, wait_for)
from test_main_window import row_point


class EjectTest(ProgramTestCase):

    def test_enter_ejects_the_chosen_locked_warden_after_ending_its_companion(self):
        # While the companion runs, Windows refuses the removal of the volume it holds.
        machine = machine_file(self.scratch, [
            {"devInst": "0x1301", "parent": "0x1300", "diskNumber": 3,
             "friendlyName": "QN Warden USB Device"}], [
            {"guidPath": "\\\\?\\Volume{33333333-0000-0000-0000-000000000003}\\",
             "mountPaths": ["G:\\"], "diskNumber": 3, "totalBytes": 8 * 2**30,
             "freeBytes": 5 * 2**30, "heldBy": "Warden.exe", "label": None,
             "freeSpaceFails": True}])
        companion = self.start(COMPANION)
        time.sleep(1)
        self.assertTrue(companion.running())
        _, window = self.start_main_window(machine=machine)
        click(*row_point(window, 0))
        key(window, "Return")
        request = wait_for(lambda: removal_requests(sim_journal()), what="the eject request")
        self.assertEqual(companion.wait_exit(timeout=10), 0, "Warden.exe was ended")
        self.assertEqual([line.split(",")[0] for line in request],
                         ["CM_Request_Device_EjectA(0x1300"])
        self.assertTrue(request[0].endswith("-> CR_SUCCESS, system notice"), request[0])


if __name__ == "__main__":
    unittest.main()
