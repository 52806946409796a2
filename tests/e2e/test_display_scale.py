# The main window at 100%, 125%, 150% and 200% scale, read from the screen, in
# a Wine prefix of the suite's own (made fresh once, then kept like the tests'
# own) whose LogPixels is set before each start.
import os
import subprocess
import unittest

from korvane_e2e import (BUILD, MAIN_CAPTION, ProgramTestCase, geometry, machine_file, run,
                         screen_size, screenshot, wait_for, wait_no_window, wait_window)

PREFIX = os.path.join(os.path.dirname(os.path.abspath(BUILD)), "wineprefix-scaled")
INK, WHITE, BLACK = (34, 38, 43), (255, 255, 255), (0, 0, 0)  # INK: every icon's outline


def in_prefix(commands):
    # No output kept: a wineserver that the commands start would hold the pipe.
    subprocess.run(["bash", "-c", 'source "$0/../../scripts/wine-env.sh" && ' + commands,
                    os.path.dirname(os.path.abspath(__file__))], check=True, timeout=300,
                   env=dict(os.environ, KORVANE_WINEPREFIX=PREFIX), stdout=subprocess.DEVNULL,
                   stderr=subprocess.DEVNULL)


def scaled(pixels, dpi):
    return (pixels * dpi + 48) // 96  # as MulDiv rounds


def rows_seen(path, dpi):
    """(icon top, icon height, text left and top from the icon's corner, room
    under the text to the row's end) of each row: an icon is a run of non-white
    pixels with INK down the icons' middle column, text is black."""
    width = int(run("identify", "-format", "%w", path).stdout)
    raw = subprocess.run(["convert", path, "-depth", "8", "rgb:-"], check=True,
                         capture_output=True).stdout
    image = [[tuple(raw[i:i + 3]) for i in range(row, row + 3 * width, 3)]
             for row in range(0, len(raw), 3 * width)]
    inked = [x for row in image[len(image) // 3:] for x in range(width // 3) if row[x] == INK]
    middle = (min(inked, default=0) + max(inked, default=0)) // 2
    column, runs, start = [row[middle] for row in image] + [WHITE], [], None
    for y, pixel in enumerate(column):
        if (pixel == WHITE) == (start is None):
            continue
        if pixel == WHITE and INK in column[start:y]:
            runs.append((start, y - start))
        start = None if pixel == WHITE else y
    seen = []
    for top, side in runs:
        left, end = middle - side // 2, top - scaled(2, dpi) + scaled(40, dpi)
        text = [(x, y) for y in range(top, min(end, len(image)))
                for x in range(left, width - scaled(40, dpi)) if image[y][x] == BLACK]
        seen += [(top, side, min(text)[0] - left, text[0][1] - top, end - text[-1][1])] * bool(text)
    return seen


class DisplayScaleTest(ProgramTestCase):

    def test_window_rows_and_icons_take_the_scale_whole_on_the_screen(self):
        in_prefix("korvane_prepare_prefix && korvane_start_wineserver")
        self.addCleanup(in_prefix, "korvane_stop_wineserver")
        # Plain sticks: the generic icon's outline spans its height, and the
        # second lines reach down with descenders.
        machine = machine_file(self.scratch, [
            {"devInst": "0x%d01" % n, "parent": "0x%d00" % n, "diskNumber": n, "friendlyName": name}
            for n, name in ((11, "Jumpy Quill"), (12, "Gypsy Pig"))], [
            {"guidPath": "\\\\?\\Volume{%08d-0000-0000-0000-000000000000}\\" % n, "label": "DATA",
             "mountPaths": ["%s:\\" % drive], "diskNumber": n} for n, drive in ((11, "E"), (12, "F"))])
        screen_width, screen_height = screen_size()
        for dpi in (96, 120, 144, 192):
            with self.subTest(dpi=dpi):
                for program in self.programs:  # the window of the scale before
                    program.stop()
                wait_no_window(MAIN_CAPTION)
                in_prefix("wine reg add 'HKCU\\Control Panel\\Desktop' /v LogPixels "
                          "/t REG_DWORD /d %d /f" % dpi)
                self.start(machine=machine, prefix=PREFIX)
                place = geometry(wait_window(MAIN_CAPTION))
                x, y, width, height = place
                self.assertEqual((x, y, x + width <= screen_width, y + height <= screen_height),
                                 (screen_width - scaled(400, dpi),
                                  screen_height - scaled(246, dpi), True, True))
                shot = os.path.join(self.scratch, "%d.png" % dpi)
                rows = wait_for(lambda: (lambda seen: len(seen) == 2 and seen)(
                    rows_seen(screenshot(shot, place), dpi)), what="both rows drawn")
                self.assertEqual([(top - rows[0][0], side) for top, side, *_ in rows],
                                 [(0, scaled(32, dpi)), (scaled(40, dpi), scaled(32, dpi))])
                # The text right of the icon, 5 pixels down at 100%, and clear
                # of the separator at the row's end.
                for *_, left, top, under in rows:
                    self.assertTrue(scaled(40, dpi) <= left <= scaled(44, dpi) and
                                    scaled(3, dpi) <= top <= scaled(8, dpi) and under > 2, rows)


if __name__ == "__main__":
    unittest.main()
