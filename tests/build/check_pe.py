#!/usr/bin/env python3
"""Checks one built Windows program for what a hardened, self-contained
executable needs: ASLR and DEP flags, a relocation table where ASLR depends on
one, imports from Windows' own DLLs only, and a manifest that asks for no
elevation.

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

SKIPPED = 77

IMAGE_DLLCHARACTERISTICS_HIGH_ENTROPY_VA = 0x0020
IMAGE_DLLCHARACTERISTICS_DYNAMIC_BASE = 0x0040
IMAGE_DLLCHARACTERISTICS_NX_COMPAT = 0x0100
IMAGE_FILE_RELOCS_STRIPPED = 0x0001
RT_MANIFEST = 24
CREATEPROCESS_MANIFEST_RESOURCE_ID = 1

# Windows' own DLLs, compared ignoring case. The C runtime is the system's
# msvcrt (or the Universal CRT's API sets); MinGW's own runtime DLLs
# (libstdc++, libgcc, libwinpthread, libssp) would have to ship beside the
# program, and the build links them statically.
SYSTEM_DLLS = [
    "kernel32.dll", "user32.dll", "gdi32.dll", "advapi32.dll", "shell32.dll", "ole32.dll",
    "oleaut32.dll", "comctl32.dll", "setupapi.dll", "msvcrt.dll", "api-ms-win-crt-*.dll",
]


def objdump_headers(objdump, program):
    return subprocess.run([objdump, "-p", program], check=True, capture_output=True,
                          text=True).stdout


def dll_characteristics(headers):
    match = re.search(r"^DllCharacteristics\s+([0-9a-fA-F]+)", headers, re.MULTILINE)
    if not match:
        raise AssertionError("objdump shows no DllCharacteristics")
    return int(match.group(1), 16)


def file_characteristics(headers):
    match = re.search(r"^Characteristics\s+0x([0-9a-fA-F]+)", headers, re.MULTILINE)
    if not match:
        raise AssertionError("objdump shows no file Characteristics")
    return int(match.group(1), 16)


def relocation_directory_size(headers):
    match = re.search(r"^Entry 5 ([0-9a-fA-F]+) ([0-9a-fA-F]+) Base Relocation Directory",
                      headers, re.MULTILINE)
    return int(match.group(2), 16) if match else 0


def imported_dlls(headers):
    return re.findall(r"^\s*DLL Name: (\S+)", headers, re.MULTILINE)


def is_system_dll(name):
    return any(fnmatch.fnmatch(name.lower(), pattern) for pattern in SYSTEM_DLLS)


class PeImage:
    """Just enough of the PE format to find a resource by type and id."""

    def __init__(self, data):
        self.data = data
        if data[:2] != b"MZ":
            raise AssertionError("not an MZ executable")
        pe = struct.unpack_from("<I", data, 0x3C)[0]
        if data[pe:pe + 4] != b"PE\0\0":
            raise AssertionError("no PE signature")
        sections, optional_size = struct.unpack_from("<H12xH", data, pe + 6)
        optional = pe + 24
        magic = struct.unpack_from("<H", data, optional)[0]
        directories = optional + {0x10B: 96, 0x20B: 112}[magic]
        self.resource_rva, self.resource_size = struct.unpack_from("<II", data, directories + 16)
        self.sections = []
        table = optional + optional_size
        for index in range(sections):
            virtual_size, rva, raw_size, raw_offset = struct.unpack_from(
                "<IIII", data, table + 40 * index + 8)
            self.sections.append((rva, max(virtual_size, raw_size), raw_offset))

    def offset(self, rva):
        for start, size, raw in self.sections:
            if start <= rva < start + size:
                return raw + rva - start
        raise AssertionError("RVA 0x%x lies in no section" % rva)

    def _entries(self, directory):
        base = self.offset(self.resource_rva) + directory
        named, numbered = struct.unpack_from("<HH", self.data, base + 12)
        for index in range(named + numbered):
            name, target = struct.unpack_from("<II", self.data, base + 16 + 8 * index)
            yield name, target

    def resources(self, resource_type):
        """(id, bytes) of every resource of the type, first language of each."""
        if self.resource_size == 0:
            return []
        found = []
        for type_id, type_dir in self._entries(0):
            if type_id != resource_type or not type_dir & 0x80000000:
                continue
            for resource_id, name_dir in self._entries(type_dir & 0x7FFFFFFF):
                language = next(self._entries(name_dir & 0x7FFFFFFF))[1]
                rva, size = struct.unpack_from(
                    "<II", self.data, self.offset(self.resource_rva) + language)
                start = self.offset(rva)
                found.append((resource_id, self.data[start:start + size]))
        return found


def check(program, objdump, arch):
    problems = []
    headers = objdump_headers(objdump, program)

    flags = dll_characteristics(headers)
    wanted = {"DYNAMIC_BASE": IMAGE_DLLCHARACTERISTICS_DYNAMIC_BASE,
              "NX_COMPAT": IMAGE_DLLCHARACTERISTICS_NX_COMPAT}
    if arch == "x86_64":
        wanted["HIGH_ENTROPY_VA"] = IMAGE_DLLCHARACTERISTICS_HIGH_ENTROPY_VA
    for name, bit in wanted.items():
        if not flags & bit:
            problems.append("DllCharacteristics 0x%04x lacks %s" % (flags, name))

    # Without relocations the loader cannot move a 32-bit image, whatever
    # DYNAMIC_BASE says.
    if arch == "i686":
        if file_characteristics(headers) & IMAGE_FILE_RELOCS_STRIPPED:
            problems.append("the file header says its relocations are stripped")
        if relocation_directory_size(headers) == 0:
            problems.append("no base relocation directory")

    dlls = imported_dlls(headers)
    if not dlls:
        problems.append("objdump lists no imported DLL at all")
    for dll in dlls:
        if not is_system_dll(dll):
            problems.append("imports %s, which is not one of Windows' own DLLs" % dll)

    with open(program, "rb") as file:
        image = PeImage(file.read())
    manifests = image.resources(RT_MANIFEST)
    if [resource_id for resource_id, _ in manifests] != [CREATEPROCESS_MANIFEST_RESOURCE_ID]:
        problems.append("manifest resources %s, not exactly one with id 1"
                        % [resource_id for resource_id, _ in manifests])
    for _, manifest in manifests:
        levels = [element for element in ElementTree.fromstring(manifest).iter()
                  if element.tag.endswith("}requestedExecutionLevel")]
        if len(levels) != 1:
            problems.append("the manifest has %d requestedExecutionLevel elements" % len(levels))
        for level in levels:
            if level.get("level") != "asInvoker" or level.get("uiAccess") != "false":
                problems.append("the manifest asks for level=%r uiAccess=%r"
                                % (level.get("level"), level.get("uiAccess")))

    print("%s (%s): DllCharacteristics 0x%04x, imports %s"
          % (program, arch, flags, ", ".join(dlls)))
    return problems


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--objdump", required=True)
    parser.add_argument("--arch", required=True, choices=["x86_64", "i686"])
    parser.add_argument("program")
    arguments = parser.parse_args()

    if not os.path.isfile(arguments.program):
        print("SKIPPED: %s is not built (scripts/build.sh %s builds it)"
              % (arguments.program, arguments.arch))
        return SKIPPED
    if not arguments.objdump or arguments.objdump.endswith("NOTFOUND"):
        print("SKIPPED: no objdump for %s" % arguments.arch)
        return SKIPPED

    problems = check(arguments.program, arguments.objdump, arguments.arch)
    for problem in problems:
        print("FAILED: " + problem)
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
