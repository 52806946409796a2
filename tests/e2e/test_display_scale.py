"""The main window at 100%, 125%, 150% and 200% display scale, read from the
screen: where it appears, how far apart its rows are, where each row's text
lies and how large each row's icon is. The suite runs the program in a Wine
prefix of its own, made fresh once and kept like the tests' own, whose
LogPixels is set before each start."""
import os
import subprocess
import unittest

from korvane_e2e import (BUILD, MAIN_CAPTION, ProgramTestCase, geometry, machine_file, run,
                         screen_size, screenshot, wait_for, wait_no_window, wait_window)

ROOT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..")
PREFIX = os.path.join(os.path.dirname(os.path.abspath(BUILD)), "wineprefix-scaled")
INK = (34, 38, 43)  # the outline of every icon the program draws
WHITE, BLACK = (255, 255, 255), (0, 0, 0)


def in_scaled_prefix(commands):
    """Shell commands with scripts/wine-env.sh sourced for the suite's prefix.
    Their output goes nowhere: a wineserver they start would hold a pipe open."""
    subprocess.run(["bash", "-c", 'source "$0/scripts/wine-env.sh" && ' + commands, ROOT],
                   env=dict(os.environ, KORVANE_WINEPREFIX=PREFIX), check=True, timeout=300,
                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)


def scaled(pixels, dpi):
    """MulDiv(pixels, dpi, 96) for lengths that are not negative."""
    return (pixels * dpi + 48) // 96


def image_rows(path):
    """The image's pixels as rows of (r, g, b)."""
    width, height = map(int, run("identify", "-format", "%w %h", path).stdout.split())
    raw = subprocess.run(["convert", path, "-depth", "8", "rgb:-"], check=True,
                         capture_output=True).stdout
    return [[tuple(raw[3 * (y * width + x):3 * (y * width + x) + 3]) for x in range(width)]
            for y in range(height)]


def icons_down(image, x):
    """(top, height) of each icon that the column crosses: each run of
    non-white pixels that holds the icons' outline (the list's frame and the
    rows' separators hold none)."""
    icons, top, inked = [], None, False
    for y, row in enumerate(image + [[WHITE] * len(image[0])]):
        if row[x] != WHITE:
            top, inked = y if top is None else top, inked or row[x] == INK
        elif top is not None:
            icons += [(top, y - top)] * inked
            top, inked = None, False
    return icons


def rows_seen(image, dpi):
    """For each row wholly in the list: the side of its icon's column run, the
    distance from the row above, and its text's box (left and top from the
    icon's top-left corner, bottom from the row's bottom), black pixels only."""
    height, width = len(image), len(image[0])
    inked = [x for y in range(height // 3, height) for x in range(width // 3) if image[y][x] == INK]
    if not inked:
        return []
    middle = (min(inked) + max(inked)) // 2  # the icons are symmetric about it
    rows, above = [], None
    for top, side in icons_down(image, middle):
        left, row_top = middle - side // 2, top - scaled(2, dpi)
        row_bottom = row_top + scaled(40, dpi)
        text = [(x, y) for y in range(row_top, min(row_bottom, height))
                for x in range(left, width - scaled(40, dpi)) if image[y][x] == BLACK]
        if not text:
            continue
        rows.append((side, None if above is None else top - above,
                     min(x for x, _ in text) - left, min(y for _, y in text) - top,
                     row_bottom - max(y for _, y in text)))
        above = top
    return rows


class DisplayScaleTest(ProgramTestCase):

    @classmethod
    def setUpClass(cls):
        in_scaled_prefix("korvane_prepare_prefix && korvane_start_wineserver")

    @classmethod
    def tearDownClass(cls):
        in_scaled_prefix("korvane_stop_wineserver")

    def test_window_rows_and_icons_take_the_scale_and_stay_on_the_screen(self):
        # Two plain sticks: the generic icon's outline spans its whole height,
        # and the second lines reach down with descenders.
        machine = machine_file(self.scratch, [
            {"devInst": "0x%x01" % disk, "parent": "0x%x00" % disk, "diskNumber": disk,
             "friendlyName": name} for disk, name in ((0x11, "Jumpy Quill"), (0x12, "Gypsy Pig"))], [
            {"guidPath": "\\\\?\\Volume{%08d-0000-0000-0000-000000000000}\\" % disk,
             "mountPaths": [mount], "diskNumber": 0x10 + disk, "label": "DATA",
             "totalBytes": 2**30, "freeBytes": 2**29} for disk, mount in ((1, "E:\\"), (2, "F:\\"))])
        screen_width, screen_height = screen_size()
        for dpi in (96, 120, 144, 192):
            with self.subTest(dpi=dpi):
                in_scaled_prefix("wine reg add 'HKCU\\Control Panel\\Desktop' /v LogPixels "
                                 "/t REG_DWORD /d %d /f" % dpi)
                program = self.start(machine=machine, prefix=PREFIX)
                window = wait_window(MAIN_CAPTION)
                x, y, width, height = geometry(window)
                self.assertEqual((x, y), (screen_width - scaled(400, dpi),
                                          screen_height - scaled(246, dpi)))
                self.assertTrue(x >= 0 and y >= 0 and x + width <= screen_width and
                                y + height <= screen_height, geometry(window))
                shot = os.path.join(self.scratch, "scale-%d.png" % dpi)
                rows = wait_for(lambda: len(rows_seen(image_rows(screenshot(
                    shot, (x, y, width, height))), dpi)) == 2 and rows_seen(image_rows(shot), dpi),
                    what="both rows drawn")
                icon, apart = scaled(32, dpi), scaled(40, dpi)
                for index, (side, distance, left, top, below) in enumerate(rows):
                    self.assertEqual((side, distance), (icon, None if index == 0 else apart))
                    # The text right of the icon's column, from 5 pixels down
                    # at 100%, and clear of the separator at the row's bottom.
                    self.assertTrue(scaled(40, dpi) <= left <= scaled(44, dpi), rows)
                    self.assertTrue(scaled(3, dpi) <= top <= scaled(8, dpi), rows)
                    self.assertGreater(below, 2, rows)
                program.stop()
                wait_no_window(MAIN_CAPTION)


if __name__ == "__main__":
    unittest.main()
