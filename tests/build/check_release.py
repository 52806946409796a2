#!/usr/bin/env python3
"""Checks a release as scripts/release.sh leaves it: the two zips, each with
exactly the stripped program, README.txt and LICENSE.txt, the program hardened
and carrying its version resource (check_pe.py's checks), the shipped 32-bit
program within its size budget, the debug symbols beside the zips, and
SHA256SUMS naming every file and matching it.

    check_release.py DIST
"""
import hashlib
import os
import struct
import subprocess
import sys
import tempfile
import zipfile

sys.dont_write_bytecode = True  # importing leaves no __pycache__ in tests/build/
import check_pe  # noqa: E402  (beside this file)

DOWNLOADS = {"win32": "i686", "win64": "x86_64"}
ENTRIES = ["Korvane_Safe_Eject.exe", "README.txt", "LICENSE.txt"]
# What a download of the shipped program may weigh; a bigger one is a
# regression to look at before it goes out.
WIN32_BUDGET = 400 * 1024


def sections(objdump, path):
    text = subprocess.run([objdump, "-h", path], check=True, capture_output=True,
                          text=True).stdout
    return [line.split()[1] for line in text.splitlines() if line.split()[:1] and
            line.split()[0].isdigit()]


def header_problems(data):
    """A link time in the header makes two builds differ; a symbol table means
    the program was not stripped."""
    pe = struct.unpack_from("<I", data, 0x3C)[0]
    stamp, _, count = struct.unpack_from("<III", data, pe + 8)
    problems = ["PE header carries link time %d" % stamp] if stamp else []
    if count:
        problems.append("not stripped: %d COFF symbols" % count)
    return problems


def program_problems(exe, arch, debug_name):
    objdump = arch + "-w64-mingw32-objdump"
    with open(exe, "rb") as file:
        data = file.read()
    problems = header_problems(data) + check_pe.check(exe, objdump, arch)
    names = sections(objdump, exe)
    debug = [name for name in names if name.startswith(".debug")]
    if debug:
        problems.append("not stripped: sections %s" % ", ".join(debug))
    if debug_name.encode() not in data:
        problems.append("the program does not name its symbols file %s" % debug_name)
    if arch == "i686" and len(data) > WIN32_BUDGET:
        problems.append("%d bytes, over the %d-byte budget" % (len(data), WIN32_BUDGET))
    return problems


def download_problems(dist, base, arch, work):
    with zipfile.ZipFile(os.path.join(dist, base + ".zip")) as archive:
        names = archive.namelist()
        if names != ENTRIES:
            return ["%s.zip holds %s, not %s" % (base, names, ENTRIES)]
        archive.extractall(work)
    problems = program_problems(os.path.join(work, ENTRIES[0]), arch, base + ".debug")
    if ".debug_info" not in sections(arch + "-w64-mingw32-objdump",
                                     os.path.join(dist, base + ".debug")):
        problems.append("%s.debug holds no debug information" % base)
    return ["%s: %s" % (base, problem) for problem in problems]


def sums_problems(dist, files):
    with open(os.path.join(dist, "SHA256SUMS")) as file:
        listed = dict(reversed(line.split(None, 1)) for line in file.read().splitlines())
    problems = [] if sorted(listed) == sorted(files) else [
        "SHA256SUMS lists %s, not %s" % (sorted(listed), sorted(files))]
    for name, digest in listed.items():
        with open(os.path.join(dist, name), "rb") as file:
            if hashlib.sha256(file.read()).hexdigest() != digest:
                problems.append("SHA256SUMS does not match %s" % name)
    return problems


def main():
    if len(sys.argv) != 2:
        sys.exit(__doc__)
    dist = sys.argv[1]
    version = check_pe.expected_version_strings()["FileVersion"]
    bases = ["Korvane_Safe_Eject-%s-%s" % (version, name) for name in DOWNLOADS]
    files = [base + suffix for base in bases for suffix in (".zip", ".debug")]
    present = sorted(os.listdir(dist)) if os.path.isdir(dist) else []
    if present != sorted(files + ["SHA256SUMS"]):
        print("FAILED: %s holds %s, not %s" % (dist, present, sorted(files + ["SHA256SUMS"])))
        return 1
    problems = sums_problems(dist, files)
    for base, arch in zip(bases, DOWNLOADS.values()):
        with tempfile.TemporaryDirectory() as work:
            problems += download_problems(dist, base, arch, work)
    for problem in problems:
        print("FAILED: " + problem)
    print("release %s in %s: %s" % (version, dist, "FAILED" if problems else "checked"))
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
