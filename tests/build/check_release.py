#!/usr/bin/python3
"""Checks a release as scripts/release.sh leaves it: the two zips, each with
exactly the stripped program, README.txt and LICENSE.txt; each program
hardened and self-contained (ASLR, DEP and terminal-server aware, on i686 the
relocations ASLR needs; imports from Windows' KnownDLLs only, the DLL search
narrowed by name at run time; one manifest asking for no elevation and naming
Windows 7 to 11;
one version resource naming the file, its version and its maker as the
sources do); the shipped 32-bit program within its size budget; the debug
symbols beside the zips; and SHA256SUMS naming every file and matching it.

    check_release.py DIST
"""
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
# The program is started from a Downloads folder, where anyone may have left a
# DLL. Windows takes a DLL the program imports from the program's folder unless
# it is one of the KnownDLLs, which it maps from the system folder (for 32-bit
# programs from SysWOW64, by the same list). So the program imports only DLLs
# that are KnownDLLs on every Windows it runs on: those below are on both lists.
# MinGW's runtime is linked statically, COMCTL32 loaded at run time.
# - Windows 7, the values of HKLM\SYSTEM\CurrentControlSet\Control\Session
#   Manager\KnownDLLs as it ships (rpcrt4 among them, as lucasg/Dependencies
#   issue 113 notes): advapi32 clbcatq comdlg32 difxapi gdi32 iertutil imagehlp
#   imm32 kernel32 lpk msctf msvcrt normaliz nsi ole32 oleaut32 psapi rpcrt4
#   sechost setupapi shell32 shlwapi urlmon user32 usp10 wininet wldap32 ws2_32.
# - Windows 10 and 11, the \KnownDlls sections that `Dependencies -knowndll`
#   lists in lucasg/Dependencies issue 113 (2020) and microsoft/ebpf-for-windows
#   issue 2861 (2023), as far as both show them: advapi32 bcryptprimitives
#   clbcatq combase comctl32 comdlg32 coml2 crypt32 difxapi gdi32 gdi32full
#   gdiplus imagehlp imm32 kernel32 kernelbase msctf msvcp_win msvcrt normaliz
#   nsi ntdll ole32 oleaut32 psapi rpcrt4 sechost setupapi shcore shell32
#   shlwapi ucrtbase user32 win32u. The sections hold more than the registry
#   names: the dependencies mapped with them, COMCTL32 among them.
KNOWN_DLLS = {name + ".dll" for name in (
    "advapi32 clbcatq comdlg32 difxapi gdi32 imagehlp imm32 kernel32 msctf msvcrt normaliz nsi "
    "ole32 oleaut32 psapi rpcrt4 sechost setupapi shell32 shlwapi user32").split()}
# Resolved by name at run time: Windows 7 has it only with update KB2533623, and
# an import of it would keep the program from starting without that update.
DLL_SEARCH_CALL = "SetDefaultDllDirectories"
FLAGS_BY_ARCH = {"i686": ["DYNAMIC_BASE", "NX_COMPAT", "TERMINAL_SERVER_AWARE"],
                 "x86_64": ["DYNAMIC_BASE", "NX_COMPAT", "HIGH_ENTROPY_VA",
                            "TERMINAL_SERVER_AWARE"]}
# supportedOS: Windows 7, 8, 8.1, and 10 with 11. Without them Windows 8.1 and
# later run the program in a compatibility mode that reports an older version.
SUPPORTED_OS = {"{35138b9a-5d96-4fbd-8e2d-a2440225f93a}", "{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}",
                "{1f676c76-80e1-4239-95bb-83d0f6d0da78}", "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}"}


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
    return ([] if levels == [("asInvoker", "false")] else [
        "the manifest asks for (level, uiAccess) %s, not asInvoker without UI access" % levels]) + \
        supported_os_problems(manifest)


def supported_os_problems(manifest):
    ids = sorted(element.get("Id") for element in manifest.iter()
                 if element.tag.endswith("}supportedOS"))
    return [] if ids == sorted(SUPPORTED_OS) else [
        "the manifest's supportedOS ids are %s, not %s" % (ids, sorted(SUPPORTED_OS))]


def hardening_problems(pe, arch):
    flags = pe.OPTIONAL_HEADER.DllCharacteristics
    problems = ["DllCharacteristics 0x%04x lacks %s" % (flags, name) for name in FLAGS_BY_ARCH[arch]
                if not flags & pefile.DLL_CHARACTERISTICS["IMAGE_DLLCHARACTERISTICS_" + name]]
    # Without relocations the loader cannot move a 32-bit image, whatever
    # DYNAMIC_BASE says.
    if arch == "i686" and (pe.FILE_HEADER.IMAGE_FILE_RELOCS_STRIPPED or
                           not pe.OPTIONAL_HEADER.DATA_DIRECTORY[5].Size):
        problems.append("relocations stripped or no base relocation directory")
    return problems + import_problems(pe)


def import_problems(pe):
    imports = getattr(pe, "DIRECTORY_ENTRY_IMPORT", [])
    dlls = [entry.dll.decode() for entry in imports]
    imported_calls = [call.name for entry in imports for call in entry.imports]
    return ["no imported DLL at all"] * (not dlls) + [
        "imports %s, which is not one of the KnownDLLs of Windows 7 to 11" % dll for dll in dlls
        if dll.lower() not in KNOWN_DLLS] + [
        problem for problem, fault in (
            ("imports %s, which Windows 7 may lack" % DLL_SEARCH_CALL,
             DLL_SEARCH_CALL.encode() in imported_calls),
            ("does not name %s, to resolve it at run time" % DLL_SEARCH_CALL,
             pe.__data__.find(DLL_SEARCH_CALL.encode() + b"\0") < 0),
        ) if fault]


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
