#!/usr/bin/python3
"""Checks a release as scripts/release.sh leaves it: the two zips, each with
exactly the stripped program, README.txt and LICENSE.txt; each program
hardened and self-contained (ASLR and DEP, on i686 the relocations ASLR needs;
imports from Windows' own DLLs only; one manifest asking for no elevation and
declaring per-monitor DPI awareness;
one version resource naming the file, its version and its maker as the
sources do); the shipped 32-bit program within its size budget; the debug
symbols beside the zips; and SHA256SUMS naming every file and matching it.

    check_release.py DIST
"""
import fnmatch
import os
import re
import subprocess
import sys
import tempfile
import xml.etree.ElementTree as ElementTree
import zipfile

import pefile

SOURCE = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "src", "res")
DOWNLOADS = {"win32": "i686", "win64": "x86_64"}
ENTRIES = ["Korvane_Safe_Eject.exe", "README.txt", "LICENSE.txt"]
# A bigger download is a regression to look at before it goes out.
WIN32_BUDGET = 400 * 1024
# Windows' own DLLs, compared ignoring case. MinGW's runtime DLLs would have to
# ship beside the program, so the build links them statically.
SYSTEM_DLLS = ["kernel32.dll", "user32.dll", "gdi32.dll", "advapi32.dll", "shell32.dll",
               "ole32.dll", "oleaut32.dll", "comctl32.dll", "setupapi.dll", "msvcrt.dll",
               "api-ms-win-crt-*.dll"]
FLAGS_BY_ARCH = {"i686": ["DYNAMIC_BASE", "NX_COMPAT"],
                 "x86_64": ["DYNAMIC_BASE", "NX_COMPAT", "HIGH_ENTROPY_VA"]}


def expected_version_strings():
    """The version from version.h and the copyright line the licence ends with."""
    with open(os.path.join(SOURCE, "version.h")) as file:
        version = re.search(r'KORVANE_VERSION_TEXT "([^"]+)"', file.read()).group(1)
    with open(os.path.join(SOURCE, "license.txt")) as file:
        copyright_line = file.read().strip().splitlines()[-1]
    return {"FileVersion": version, "ProductVersion": version,
            "ProductName": "Korvane Safe Eject", "CompanyName": "Korvane",
            "OriginalFilename": "Korvane_Safe_Eject.exe", "LegalCopyright": copyright_line}


def version_problems(pe):
    count = len(getattr(pe, "VS_VERSIONINFO", []))
    if count != 1:
        return ["%d version resources, not one" % count]
    wanted = expected_version_strings()
    strings = {key.decode(): value.decode() for info in pe.FileInfo[0]
               for table in getattr(info, "StringTable", [])
               for key, value in table.entries.items()}
    problems = ["the version resource has no %s %r" % item for item in wanted.items()
                if strings.get(item[0]) != item[1]]
    numbers = (tuple(int(part) for part in wanted["FileVersion"].split(".")) + (0,) * 4)[:4]
    fixed = pe.VS_FIXEDFILEINFO[0]
    for name in ("File", "Product"):
        ms, ls = getattr(fixed, name + "VersionMS"), getattr(fixed, name + "VersionLS")
        if (ms >> 16, ms & 0xFFFF, ls >> 16, ls & 0xFFFF) != numbers:
            problems.append("fixed %s version disagrees with %s" % (name, wanted["FileVersion"]))
    return problems


# Per-Monitor v2 where Windows knows it, the first per-monitor mode on Windows
# 10 1607, and for Windows 7 and 8 dpiAware, all Windows 7 and 8 read.
DPI_SETTINGS = {"{http://schemas.microsoft.com/SMI/2005/WindowsSettings}dpiAware": "true/pm",
                "{http://schemas.microsoft.com/SMI/2016/WindowsSettings}dpiAwareness":
                    "PerMonitorV2, PerMonitor"}


def dpi_problems(manifest):
    """Windows reads the settings in asm.v3's windowsSettings only."""
    settings = "{0}application/{0}windowsSettings/".format("{urn:schemas-microsoft-com:asm.v3}")
    return ["the manifest's %s is not %r" % (tag.split("}")[1], value)
            for tag, value in DPI_SETTINGS.items()
            if [(e.text or "").strip() for e in manifest.findall(settings + tag)] != [value]]


def manifest_problems(pe):
    manifests = [(resource.id, resource.directory.entries[0].data.struct)
                 for kind in pe.DIRECTORY_ENTRY_RESOURCE.entries
                 if kind.id == pefile.RESOURCE_TYPE["RT_MANIFEST"]
                 for resource in kind.directory.entries]
    if [id for id, _ in manifests] != [1]:
        return ["manifest resources %s, not exactly one with id 1" % manifests]
    data = manifests[0][1]
    manifest = ElementTree.fromstring(pe.get_data(data.OffsetToData, data.Size))
    levels = [(element.get("level"), element.get("uiAccess")) for element in manifest.iter()
              if element.tag.endswith("}requestedExecutionLevel")]
    return dpi_problems(manifest) + ([] if levels == [("asInvoker", "false")] else [
        "the manifest asks for (level, uiAccess) %s, not asInvoker without UI access" % levels])


def hardening_problems(pe, arch):
    flags = pe.OPTIONAL_HEADER.DllCharacteristics
    problems = ["DllCharacteristics 0x%04x lacks %s" % (flags, name) for name in FLAGS_BY_ARCH[arch]
                if not flags & pefile.DLL_CHARACTERISTICS["IMAGE_DLLCHARACTERISTICS_" + name]]
    # Without relocations the loader cannot move a 32-bit image, whatever
    # DYNAMIC_BASE says.
    if arch == "i686" and (pe.FILE_HEADER.IMAGE_FILE_RELOCS_STRIPPED or
                           not pe.OPTIONAL_HEADER.DATA_DIRECTORY[5].Size):
        problems.append("relocations stripped or no base relocation directory")
    dlls = [entry.dll.decode() for entry in getattr(pe, "DIRECTORY_ENTRY_IMPORT", [])]
    return problems + ["no imported DLL at all"] * (not dlls) + [
        "imports %s, which is not one of Windows' own DLLs" % dll for dll in dlls
        if not any(fnmatch.fnmatch(dll.lower(), known) for known in SYSTEM_DLLS)]


def sections(arch, path):
    text = subprocess.run([arch + "-w64-mingw32-objdump", "-h", path], check=True,
                          capture_output=True, text=True).stdout
    return [line.split()[1] for line in text.splitlines() if line.split()[:1] and
            line.split()[0].isdigit()]


def program_problems(exe, arch, debug_name):
    pe = pefile.PE(exe)
    header, data = pe.FILE_HEADER, pe.__data__
    # A link time makes two builds differ; symbols mean the program was not stripped.
    debug = [name for name in sections(arch, exe) if name.startswith(".debug")]
    return hardening_problems(pe, arch) + manifest_problems(pe) + version_problems(pe) + [
        problem for problem, fault in (
            ("PE header carries link time %d" % header.TimeDateStamp, header.TimeDateStamp),
            ("not stripped: %d COFF symbols, sections %s" % (header.NumberOfSymbols, debug),
             header.NumberOfSymbols or debug),
            ("the program does not name its symbols file " + debug_name,
             data.find(debug_name.encode()) < 0),
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
    version = expected_version_strings()["FileVersion"]
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
