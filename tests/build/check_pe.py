#!/usr/bin/env python3
"""Checks one built Windows program for what a hardened, self-contained
executable needs: ASLR and DEP flags, a relocation table where ASLR depends on
one, imports from Windows' own DLLs only, a manifest that asks for no
elevation, and a version resource that names the file, its version and its
maker as the sources do.

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
RT_VERSION = 16
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


SOURCE = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "src", "res")


def expected_version_strings():
    """What Windows should show of the file: the version from version.h and the
    copyright line the licence text ends with."""
    with open(os.path.join(SOURCE, "version.h")) as file:
        version = re.search(r'KORVANE_VERSION_TEXT "([^"]+)"', file.read()).group(1)
    with open(os.path.join(SOURCE, "license.txt")) as file:
        copyright_line = file.read().strip().splitlines()[-1]
    return {"FileVersion": version, "ProductVersion": version,
            "ProductName": "Korvane Safe Eject", "CompanyName": "Korvane",
            "OriginalFilename": "Korvane_Safe_Eject.exe", "LegalCopyright": copyright_line}


def version_nodes(data, start=0, end=None):
    """The VS_VERSIONINFO tree: (key, value bytes, children) for each node."""
    end = len(data) if end is None else end
    nodes = []
    while start + 6 <= end:
        length, value_length, is_text = struct.unpack_from("<HHH", data, start)
        if length == 0:
            break
        key_end = start + 6
        while data[key_end:key_end + 2] != b"\0\0":
            key_end += 2
        key = data[start + 6:key_end].decode("utf-16-le")
        value_start = (key_end + 2 + 3) & ~3
        value_end = value_start + value_length * (2 if is_text else 1)
        children = version_nodes(data, (value_end + 3) & ~3, start + length)
        nodes.append((key, data[value_start:value_end], children))
        start = (start + length + 3) & ~3
    return nodes


def version_info(data):
    """(file version, product version, {name: text}) of a version resource."""
    (key, fixed, children), = version_nodes(data)
    signature, _, file_ms, file_ls, product_ms, product_ls = struct.unpack_from("<6I", fixed)
    if key != "VS_VERSION_INFO" or signature != 0xFEEF04BD:
        raise AssertionError("not a VS_VERSIONINFO resource")
    strings = {name: text.decode("utf-16-le").rstrip("\0")
               for block, _, tables in children if block == "StringFileInfo"
               for _, _, values in tables for name, text, _ in values}
    as_tuple = lambda ms, ls: (ms >> 16, ms & 0xFFFF, ls >> 16, ls & 0xFFFF)  # noqa: E731
    return as_tuple(file_ms, file_ls), as_tuple(product_ms, product_ls), strings


def version_problems(image):
    resources = image.resources(RT_VERSION)
    if [resource_id for resource_id, _ in resources] != [1]:
        return ["version resources %s, not exactly one with id 1"
                % [resource_id for resource_id, _ in resources]]
    file_version, product_version, strings = version_info(resources[0][1])
    problems = []
    for name, wanted in expected_version_strings().items():
        if strings.get(name) != wanted:
            problems.append("version resource %s is %r, not %r" % (name, strings.get(name), wanted))
    numbers = tuple(int(part) for part in strings.get("FileVersion", "0").split("."))
    for name, fixed in (("file", file_version), ("product", product_version)):
        if fixed != (numbers + (0, 0, 0, 0))[:4]:
            problems.append("fixed %s version %s disagrees with %r"
                            % (name, ".".join(map(str, fixed)), strings.get("FileVersion")))
    return problems


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

    problems += version_problems(image)

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
