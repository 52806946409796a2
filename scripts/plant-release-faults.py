#!/usr/bin/python3
"""Proves the release check: plants one fault at a time in a copy of a release
(both programs of dist/, zips and SHA256SUMS made anew around them), runs
tests/build/check_release.py on the copy and requires it to fail, naming the
fault. Prints one line per fault; exits 1 when a fault went unseen.

    plant-release-faults.py DIST      (after scripts/release.sh)
"""
import hashlib
import os
import shutil
import subprocess
import sys
import tempfile
import zipfile

import pefile

CHECK = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests", "build",
                     "check_release.py")
PROGRAM = "Korvane_Safe_Eject.exe"


def replaced(old, new):
    def plant(data):
        assert len(old) == len(new) and old in data, old
        return data.replace(old, new, 1)
    return plant


def without_flag(flag):
    def plant(data):
        pe = pefile.PE(data=data)
        pe.OPTIONAL_HEADER.DllCharacteristics &= ~pefile.DLL_CHARACTERISTICS[flag]
        return bytes(pe.write())
    return plant


# What each plant breaks, how, and the words the check must fail with.
FAULTS = [
    ("imports a DLL that is no KnownDLL", replaced(b"KERNEL32.dll\0", b"COMCTL32.dll\0"),
     "imports COMCTL32.dll"),
    ("does not name the call that narrows the DLL search",
     replaced(b"SetDefaultDllDirectories\0", b"\0" * 25), "SetDefaultDllDirectories"),
    ("not terminal-server aware", without_flag("IMAGE_DLLCHARACTERISTICS_TERMINAL_SERVER_AWARE"),
     "TERMINAL_SERVER_AWARE"),
    ("declares no Windows 10 and 11", replaced(b"8e0f7a12-", b"00000000-"), "supportedOS"),
]


def plant_in_copy(dist, copy, plant):
    shutil.copytree(dist, copy)
    for name in sorted(os.listdir(copy)):
        if not name.endswith(".zip"):
            continue
        path = os.path.join(copy, name)
        with zipfile.ZipFile(path) as archive:
            entries = [(info, archive.read(info)) for info in archive.infolist()]
        with zipfile.ZipFile(path, "w") as archive:
            for info, data in entries:
                archive.writestr(info, plant(data) if info.filename == PROGRAM else data)
    with open(os.path.join(copy, "SHA256SUMS"), "w") as sums:
        for name in sorted(os.listdir(copy)):
            if name.endswith((".zip", ".debug")):
                with open(os.path.join(copy, name), "rb") as file:
                    sums.write("%s  %s\n" % (hashlib.sha256(file.read()).hexdigest(), name))


def main():
    if len(sys.argv) != 2:
        sys.exit(__doc__)
    unseen = 0
    for what, plant, words in FAULTS:
        with tempfile.TemporaryDirectory() as work:
            copy = os.path.join(work, "dist")
            plant_in_copy(sys.argv[1], copy, plant)
            result = subprocess.run([sys.executable, CHECK, copy], capture_output=True, text=True)
        named = [line for line in result.stdout.splitlines()
                 if line.startswith("FAILED") and words in line]
        seen = result.returncode != 0 and len(named) == 2  # in both programs
        unseen += not seen
        print("%-8s %s%s" % ("caught" if seen else "UNSEEN", what,
                             "".join("\n         " + line for line in named)))
    return 1 if unseen else 0


if __name__ == "__main__":
    sys.exit(main())
