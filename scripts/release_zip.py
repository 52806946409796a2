#!/usr/bin/env python3
"""Writes one release zip whose bytes depend only on what goes in: the entries
in the order given, every one dated SOURCE_DATE_EPOCH (the commit's time), with
fixed attributes and compression, and text files with Windows line ends.

    release_zip.py OUTPUT.zip NAME=PATH [NAME=PATH ...]
"""
import os
import sys
import time
import zipfile

# The earliest time a zip can hold, for a tree with no commit to date it by.
ZIP_EPOCH = 315532800


def windows_text(data):
    """CR LF line ends, so Notepad on older Windows shows the lines apart."""
    return data.replace(b"\r\n", b"\n").replace(b"\n", b"\r\n")


def entry(name, date_time):
    info = zipfile.ZipInfo(name, date_time)
    info.compress_type = zipfile.ZIP_DEFLATED
    info.create_system = 0  # MS-DOS: no Unix owner or permission bits
    info.external_attr = 0x20  # FILE_ATTRIBUTE_ARCHIVE, as Windows' own zips have it
    return info


def main():
    if len(sys.argv) < 3 or not all("=" in a for a in sys.argv[2:]):
        sys.exit(__doc__)
    epoch = max(int(os.environ.get("SOURCE_DATE_EPOCH", ZIP_EPOCH)), ZIP_EPOCH)
    date_time = time.gmtime(epoch)[:6]
    with zipfile.ZipFile(sys.argv[1], "w") as archive:
        for pair in sys.argv[2:]:
            name, path = pair.split("=", 1)
            with open(path, "rb") as file:
                data = file.read()
            if name.endswith(".txt"):
                data = windows_text(data)
            archive.writestr(entry(name, date_time), data, compresslevel=9)


if __name__ == "__main__":
    main()
