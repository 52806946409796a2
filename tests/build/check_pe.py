#!/usr/bin/env python3
"""Checks one built Windows program for what a hardened, self-contained
executable needs: ASLR and DEP flags (and on i686 the relocations ASLR needs),
imports from Windows' own DLLs only, one manifest that asks for no elevation,
and one version resource that names the file, its version and its maker as
the sources do.

    check_pe.py --objdump OBJDUMP --arch x86_64|i686 PROGRAM.exe

Exits 0 when every check holds, 1 when one does not, and 77 (a skipped test
for CTest) when the program or the tool is not there to check.
"""
import argparse
import fnmatch
import os
import re
import struct
import subprocess
import sys
import xml.etree.ElementTree as ElementTree

SOURCE = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "src", "res")
RT_VERSION, RT_MANIFEST = 16, 24
# Windows' own DLLs, compared ignoring case. MinGW's runtime DLLs would have to
# ship beside the program, so the build links them statically.
SYSTEM_DLLS = ["kernel32.dll", "user32.dll", "gdi32.dll", "advapi32.dll", "shell32.dll",
               "ole32.dll", "oleaut32.dll", "comctl32.dll", "setupapi.dll", "msvcrt.dll",
               "api-ms-win-crt-*.dll"]
# DllCharacteristics bits each architecture's program must carry.
FLAGS = {"DYNAMIC_BASE": 0x40, "NX_COMPAT": 0x100, "HIGH_ENTROPY_VA": 0x20}
FLAGS_BY_ARCH = {"i686": ["DYNAMIC_BASE", "NX_COMPAT"], "x86_64": list(FLAGS)}


def number(headers, pattern):
    match = re.search(pattern, headers, re.MULTILINE)
    return int(match.group(1), 16) if match else 0


def resources(data, wanted_type):
    """{id: bytes} of every resource of one type, first language of each."""
    pe = struct.unpack_from("<I", data, 0x3C)[0]
    if data[:2] != b"MZ" or data[pe:pe + 4] != b"PE\0\0":
        raise AssertionError("not a PE executable")
    count, optional_size = struct.unpack_from("<H12xH", data, pe + 6)
    optional = pe + 24
    directories = optional + {0x10B: 96, 0x20B: 112}[struct.unpack_from("<H", data, optional)[0]]
    table = [struct.unpack_from("<IIII", data, optional + optional_size + 40 * i + 8)
             for i in range(count)]

    def offset(rva):
        for virtual_size, start, raw_size, raw in table:
            if start <= rva < start + max(virtual_size, raw_size):
                return raw + rva - start
        raise AssertionError("RVA 0x%x lies in no section" % rva)

    rsrc = struct.unpack_from("<I", data, directories + 16)[0]
    root = offset(rsrc) if rsrc else None

    def entries(directory):
        named, numbered = struct.unpack_from("<HH", data, root + (directory & 0x7FFFFFFF) + 12)
        return [struct.unpack_from("<II", data, root + (directory & 0x7FFFFFFF) + 16 + 8 * i)
                for i in range(named + numbered)]

    found = {}
    for type_id, ids in entries(0) if root is not None else []:
        for resource_id, languages in entries(ids) if type_id == wanted_type else []:
            rva, size = struct.unpack_from("<II", data, root + entries(languages)[0][1])
            found[resource_id] = data[offset(rva):offset(rva) + size]
    return found


def expected_version_strings():
    """The version from version.h and the copyright line the licence ends with."""
    with open(os.path.join(SOURCE, "version.h")) as file:
        version = re.search(r'KORVANE_VERSION_TEXT "([^"]+)"', file.read()).group(1)
    with open(os.path.join(SOURCE, "license.txt")) as file:
        copyright_line = file.read().strip().splitlines()[-1]
    return {"FileVersion": version, "ProductVersion": version,
            "ProductName": "Korvane Safe Eject", "CompanyName": "Korvane",
            "OriginalFilename": "Korvane_Safe_Eject.exe", "LegalCopyright": copyright_line}


def version_problems(found):
    if list(found) != [1]:
        return ["version resources %s, not exactly one with id 1" % list(found)]
    data, wanted = found[1], expected_version_strings()
    # A String node: its key, NUL, padding to 4 bytes, its value, NUL (UTF-16).
    problems = ["the version resource has no %s %r" % (name, text) for name, text in wanted.items()
                if not re.search(re.escape(name.encode("utf-16-le")) + b"\0\0(\0\0)?" +
                                 re.escape(text.encode("utf-16-le")) + b"\0\0", data)]
    fixed = data.find(struct.pack("<I", 0xFEEF04BD))  # VS_FIXEDFILEINFO
    numbers = (tuple(int(part) for part in wanted["FileVersion"].split(".")) + (0,) * 4)[:4]
    versions = struct.unpack_from("<4I", data, fixed + 8) if fixed >= 0 else (0,) * 4
    for name, ms, ls in (("file", *versions[:2]), ("product", *versions[2:])):
        if (ms >> 16, ms & 0xFFFF, ls >> 16, ls & 0xFFFF) != numbers:
            problems.append("fixed %s version disagrees with %s" % (name, wanted["FileVersion"]))
    return problems


def manifest_problems(found):
    if list(found) != [1]:
        return ["manifest resources %s, not exactly one with id 1" % list(found)]
    levels = [(element.get("level"), element.get("uiAccess"))
              for element in ElementTree.fromstring(found[1]).iter()
              if element.tag.endswith("}requestedExecutionLevel")]
    return [] if levels == [("asInvoker", "false")] else [
        "the manifest asks for (level, uiAccess) %s, not asInvoker without UI access" % levels]


def check(program, objdump, arch):
    headers = subprocess.run([objdump, "-p", program], check=True, capture_output=True,
                             text=True).stdout
    flags = number(headers, r"^DllCharacteristics\s+([0-9a-fA-F]+)")
    problems = ["DllCharacteristics 0x%04x lacks %s" % (flags, name)
                for name in FLAGS_BY_ARCH[arch] if not flags & FLAGS[name]]
    # Without relocations the loader cannot move a 32-bit image, whatever
    # DYNAMIC_BASE says.
    if arch == "i686" and (number(headers, r"^Characteristics\s+0x([0-9a-fA-F]+)") & 1 or
                           not number(headers, r"^Entry 5 \S+ ([0-9a-fA-F]+) Base Relocation")):
        problems.append("relocations stripped or no base relocation directory")
    dlls = re.findall(r"^\s*DLL Name: (\S+)", headers, re.MULTILINE)
    problems += ["imports %s, which is not one of Windows' own DLLs" % dll for dll in dlls
                 if not any(fnmatch.fnmatch(dll.lower(), known) for known in SYSTEM_DLLS)]
    if not dlls:
        problems.append("objdump lists no imported DLL at all")
    with open(program, "rb") as file:
        data = file.read()
    problems += manifest_problems(resources(data, RT_MANIFEST))
    problems += version_problems(resources(data, RT_VERSION))
    print("%s (%s): DllCharacteristics 0x%04x, imports %s"
          % (program, arch, flags, ", ".join(dlls)))
    return problems


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--objdump", required=True)
    parser.add_argument("--arch", required=True, choices=list(FLAGS_BY_ARCH))
    parser.add_argument("program")
    arguments = parser.parse_args()
    if not os.path.isfile(arguments.program) or arguments.objdump.endswith("NOTFOUND"):
        print("SKIPPED: %s or its objdump is missing (scripts/build.sh %s builds it)"
              % (arguments.program, arguments.arch))
        return 77
    problems = check(arguments.program, arguments.objdump, arguments.arch)
    for problem in problems:
        print("FAILED: " + problem)
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
