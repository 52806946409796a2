#!/usr/bin/python3
"""Checks one built Windows program for what a hardened, self-contained
executable needs: ASLR and DEP flags (and on i686 the relocations ASLR needs),
imports from Windows' own DLLs only, one manifest that asks for no elevation,
and one version resource that names the file, its version and its maker as
the sources do.

    check_pe.py x86_64|i686 PROGRAM.exe

Exits 0 when every check holds, 1 when one does not, and 77 (a skipped test
for CTest) when the program is not there to check.
"""
import fnmatch
import os
import re
import sys
import xml.etree.ElementTree as ElementTree

import pefile

SOURCE = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "src", "res")
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


def resources(pe, wanted_type):
    """{id: bytes} of every resource of one type, first language of each."""
    found, root = {}, getattr(pe, "DIRECTORY_ENTRY_RESOURCE", None)
    for kind in root.entries if root else []:
        for resource in kind.directory.entries if kind.id == wanted_type else []:
            data = resource.directory.entries[0].data.struct
            found[resource.id] = pe.get_data(data.OffsetToData, data.Size)
    return found


def version_problems(pe):
    count = len(resources(pe, pefile.RESOURCE_TYPE["RT_VERSION"]))
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
    found = resources(pe, pefile.RESOURCE_TYPE["RT_MANIFEST"])
    if list(found) != [1]:
        return ["manifest resources %s, not exactly one with id 1" % list(found)]
    levels = [(element.get("level"), element.get("uiAccess"))
              for element in ElementTree.fromstring(found[1]).iter()
              if element.tag.endswith("}requestedExecutionLevel")]
    return [] if levels == [("asInvoker", "false")] else [
        "the manifest asks for (level, uiAccess) %s, not asInvoker without UI access" % levels]


def check(program, arch):
    pe = pefile.PE(program)
    flags = pe.OPTIONAL_HEADER.DllCharacteristics
    problems = ["DllCharacteristics 0x%04x lacks %s" % (flags, name) for name in FLAGS_BY_ARCH[arch]
                if not flags & pefile.DLL_CHARACTERISTICS["IMAGE_DLLCHARACTERISTICS_" + name]]
    # Without relocations the loader cannot move a 32-bit image, whatever
    # DYNAMIC_BASE says.
    if arch == "i686" and (pe.FILE_HEADER.IMAGE_FILE_RELOCS_STRIPPED or
                           not pe.OPTIONAL_HEADER.DATA_DIRECTORY[5].Size):
        problems.append("relocations stripped or no base relocation directory")
    dlls = [entry.dll.decode() for entry in getattr(pe, "DIRECTORY_ENTRY_IMPORT", [])]
    problems += ["imports %s, which is not one of Windows' own DLLs" % dll for dll in dlls
                 if not any(fnmatch.fnmatch(dll.lower(), known) for known in SYSTEM_DLLS)]
    if not dlls:
        problems.append("no imported DLL at all")
    print("%s (%s): DllCharacteristics 0x%04x, imports %s"
          % (program, arch, flags, ", ".join(dlls)))
    return problems + manifest_problems(pe) + version_problems(pe)


def main():
    valid = len(sys.argv) == 3 and sys.argv[1] in FLAGS_BY_ARCH
    arch, program = sys.argv[1:] if valid else sys.exit(__doc__)
    if not os.path.isfile(program):
        print("SKIPPED: %s is missing (scripts/build.sh %s builds it)" % (program, arch))
        return 77
    problems = check(program, arch)
    for problem in problems:
        print("FAILED: " + problem)
    return 1 if problems else 0

if __name__ == "__main__":
    sys.exit(main())
