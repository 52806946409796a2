"""Takes the main window's pictures (see make-screenshots.sh)."""
import os
import sys
import tempfile
import time

root = sys.argv[1]
sys.path.insert(0, os.path.join(root, "tests", "e2e"))
from korvane_e2e import (MAIN_CAPTION, SIM_PROGRAM, Program, click, geometry, run,  # noqa: E402
                         screenshot, wait_window)

program = Program(SIM_PROGRAM)
try:
    window = wait_window(MAIN_CAPTION)
    time.sleep(0.5)
    x, y, width, height = geometry(window)
    click(x + width // 2, y + 67 + 20)  # the first row
    click(x + width // 2, y + 5)  # the caption: the window active, the row still chosen
    time.sleep(0.5)
    with tempfile.TemporaryDirectory() as folder:
        shot = screenshot(os.path.join(folder, "window.png"), (x, y, width, height))
        run("cp", shot, os.path.join(root, "docs", "main-window.png"))
        # The guide's picture: the window on a plain desktop, 422 by 198 pixels.
        run("convert", "-size", "422x198", "xc:#3a6ea5", shot, "-gravity", "center",
            "-composite", "-strip", os.path.join(root, "src", "res", "user_guide.png"))
finally:
    program.stop()
