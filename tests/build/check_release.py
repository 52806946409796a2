#!/usr/bin/python3
"""Checks a release as scripts/release.sh leaves it: the two zips, each with
exactly the stripped program, README.txt and LICENSE.txt, the program passing
check_pe.py's checks, the shipped 32-bit program within its size budget, the
debug symbols beside the zips, and SHA256SUMS naming every file and matching it.

    check_release.py DIST
"""
import os
import subprocess
import sys
import tempfile
import zipfile

import pefile

sys.dont_write_bytecode = True  # importing leaves no __pycache__ in tests/build/
import check_pe  # noqa: E402  (beside this file)

DOWNLOADS = {"win32": "i686", "win64": "x86_64"}
ENTRIES = ["Korvane_Safe_Eject.exe", "README.txt", "LICENSE.txt"]
# A bigger download is a regression to look at before it goes out.
WIN32_BUDGET = 400 * 1024


def sections(arch, path):
    text = subprocess.run([arch + "-w64-mingw32-objdump", "-h", path], check=True,
                          capture_output=True, text=True).stdout
    return [line.split()[1] for line in text.splitlines() if line.split()[:1] and
            line.split()[0].isdigit()]


def program_problems(exe, arch, debug_name):
    header = pefile.PE(exe).FILE_HEADER
    with open(exe, "rb") as file:
        data = file.read()
    # A link time makes two builds differ; symbols mean the program was not stripped.
    debug = [name for name in sections(arch, exe) if name.startswith(".debug")]
    return check_pe.check(exe, arch) + [problem for problem, fault in (
        ("PE header carries link time %d" % header.TimeDateStamp, header.TimeDateStamp),
        ("not stripped: %d COFF symbols, sections %s" % (header.NumberOfSymbols, debug),
         header.NumberOfSymbols or debug),
        ("the program does not name its symbols file " + debug_name,
         debug_name.encode() not in data),
        ("%d bytes, over the budget" % len(data), arch == "i686" and len(data) > WIN32_BUDGET),
    ) if fault]


def download_problems(dist, base, arch):
    with zipfile.ZipFile(os.path.join(dist, base + ".zip")) as archive, \
            tempfile.TemporaryDirectory() as work:
        if archive.namelist() != ENTRIES:
            return ["%s.zip holds %s, not %s" % (base, archive.namelist(), ENTRIES)]
        archive.extractall(work)
        problems = program_problems(os.path.join(work, ENTRIES[0]), arch, base + ".debug")
    if ".debug_info" not in sections(arch, os.path.join(dist, base + ".debug")):
        problems.append("%s.debug holds no debug information" % base)
    return ["%s: %s" % (base, problem) for problem in problems]


def sums_problems(dist, files):
    with open(os.path.join(dist, "SHA256SUMS")) as file:
        listed = sorted(line.split(None, 1)[1] for line in file.read().splitlines())
    checked = subprocess.run(["sha256sum", "--check", "--quiet", "--strict", "SHA256SUMS"],
                             cwd=dist, capture_output=True, text=True)
    return ["SHA256SUMS lists %s, not %s" % (listed, files)] * (listed != files) + \
        ["SHA256SUMS: " + checked.stdout.strip()] * (checked.returncode != 0)


def main():
    if len(sys.argv) != 2:
        sys.exit(__doc__)
    dist = sys.argv[1]
    version = check_pe.expected_version_strings()["FileVersion"]
    bases = {"Korvane_Safe_Eject-%s-%s" % (version, name): arch for name, arch in DOWNLOADS.items()}
    files = sorted(base + suffix for base in bases for suffix in (".zip", ".debug"))
    present = sorted(os.listdir(dist)) if os.path.isdir(dist) else []
    if present != sorted(files + ["SHA256SUMS"]):
        problems = ["%s holds %s, not %s" % (dist, present, files + ["SHA256SUMS"])]
    else:
        problems = sums_problems(dist, files)
        for base, arch in bases.items():
            problems += download_problems(dist, base, arch)
    for problem in problems:
        print("FAILED: " + problem)
    print("release %s in %s: %s" % (version, dist, "FAILED" if problems else "checked"))
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
