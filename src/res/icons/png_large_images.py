#!/usr/bin/env python3
"""Stores the 40 px and larger images of .ico files as PNG, in place. Windows
reads PNG icon images since Vista, and a flat 48 px image shrinks from 9.6 KB
of 32-bit pixels to a few hundred bytes. The sizes of 100% display scale (32
px and smaller) stay bitmaps, as every version of Windows reads those. The
output depends only on the input.

    png_large_images.py FILE.ico [...]
"""
import struct
import sys
import zlib

PNG_FROM = 40


def png_chunk(kind, data):
    return (struct.pack(">I", len(data)) + kind + data
            + struct.pack(">I", zlib.crc32(kind + data)))


def dib_to_png(dib):
    """A 32-bit BGRA icon bitmap (rows bottom-up, AND mask after) as an RGBA PNG."""
    header, width, height, _, bits, compression = struct.unpack_from("<IiiHHI", dib)
    if bits != 32 or compression != 0:
        raise ValueError("only 32-bit uncompressed icon images are converted")
    height //= 2  # the height counts the AND mask too
    rows = [dib[header + 4 * width * y:header + 4 * width * (y + 1)] for y in range(height)]
    raw = b"".join(b"\0" + b"".join(bytes((row[x + 2], row[x + 1], row[x], row[x + 3]))
                                      for x in range(0, len(row), 4))
                   for row in reversed(rows))
    return (b"\x89PNG\r\n\x1a\n"
            + png_chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 6, 0, 0, 0))
            + png_chunk(b"IDAT", zlib.compress(raw, 9)) + png_chunk(b"IEND", b""))


def convert(path):
    with open(path, "rb") as file:
        data = file.read()
    count = struct.unpack_from("<HHH", data)[2]
    entries = [list(struct.unpack_from("<BBBBHHII", data, 6 + 16 * i)) for i in range(count)]
    images = []
    for entry in entries:
        image = data[entry[7]:entry[7] + entry[6]]
        size = entry[0] or 256
        if size >= PNG_FROM and not image.startswith(b"\x89PNG"):
            image = dib_to_png(image)
        images.append(image)
    offset = 6 + 16 * count
    out = bytearray(data[:6])
    for entry, image in zip(entries, images):
        entry[6], entry[7] = len(image), offset
        out += struct.pack("<BBBBHHII", *entry)
        offset += len(image)
    with open(path, "wb") as file:
        file.write(bytes(out) + b"".join(images))


if __name__ == "__main__":
    for name in sys.argv[1:]:
        convert(name)
