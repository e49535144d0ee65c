#!/usr/bin/env python3
"""Enters the delay-import table into the PE header of a program that GNU ld has linked.

    delay_directory.py MAP EXE

ld places dlltool's delay-import descriptors (one 32-byte record per DLL, each in a section
.text$2, named _DELAY_IMPORT_DESCRIPTOR_<library>) side by side in .text, followed by the null
record that cmake/delay-import-end.c puts in .text$3; but it leaves data directory 13, the
delay-import directory, empty. Without it, the loader's neighbours (dependency viewers, virus
scanners, `objdump -p`) see a program that imports kernel32 and msvcrt and calls GetProcAddress.

This reads the descriptors' addresses from the link map, checks that they and the null record
form one table, writes its RVA and size into directory 13 and recomputes the header checksum.
Any mismatch removes EXE, so that the next build links it again, and exits 1.
"""
import os
import re
import struct
import sys

DESCRIPTOR = 32
END_SYMBOL = "norvanex_delay_import_end"
DELAY_DIRECTORY = 13


def fail(exe, message):
    print("delay_directory.py: " + message, file=sys.stderr)
    if os.path.exists(exe):
        os.remove(exe)
    sys.exit(1)


def symbols(map_text):
    """The addresses of the descriptors and of the null record, from the map's symbol lines."""
    found = {}
    for match in re.finditer(r"^\s+0x([0-9a-fA-F]+)\s+(_DELAY_IMPORT_DESCRIPTOR_\S+|%s)\s*$" % END_SYMBOL,
                             map_text, re.MULTILINE):
        found[match.group(2)] = int(match.group(1), 16)
    end = found.pop(END_SYMBOL, None)
    return sorted(found.values()), end


def checksum(data, field):
    """The PE header checksum (imagehlp's CheckSumMappedFile): the file's 16-bit words summed with
    the carries folded back, the checksum field counted as 0, plus the file's length."""
    words = bytearray(data)
    words[field:field + 4] = b"\0\0\0\0"
    if len(words) % 2:
        words.append(0)
    total = 0
    for (word,) in struct.iter_unpack("<H", words):
        total += word
        total = (total & 0xFFFF) + (total >> 16)
    return (total + len(data)) & 0xFFFFFFFF


def main(map_path, exe):
    with open(map_path, encoding="utf-8", errors="replace") as f:
        descriptors, end = symbols(f.read())
    if not descriptors:
        fail(exe, "no delay-import descriptor in " + map_path)
    if end is None:
        fail(exe, END_SYMBOL + " missing from " + map_path + " (is cmake/delay-import-end.c linked?)")
    first = descriptors[0]
    expected = [first + DESCRIPTOR * i for i in range(len(descriptors))]
    if descriptors != expected or end != first + DESCRIPTOR * len(descriptors):
        fail(exe, "the descriptors and the null record are not one table: %s, end %s"
             % ([hex(a) for a in descriptors], hex(end)))

    with open(exe, "rb") as f:
        data = bytearray(f.read())
    pe = struct.unpack_from("<I", data, 0x3C)[0]
    optional = pe + 24
    if data[pe:pe + 4] != b"PE\0\0" or struct.unpack_from("<H", data, optional)[0] != 0x10B:
        fail(exe, exe + " is not a PE32 image")
    image_base = struct.unpack_from("<I", data, optional + 28)[0]
    directories = struct.unpack_from("<I", data, optional + 92)[0]
    if directories <= DELAY_DIRECTORY:
        fail(exe, "the optional header has no delay-import directory")

    rva = first - image_base
    size = DESCRIPTOR * (len(descriptors) + 1)
    sections = struct.unpack_from("<H", data, pe + 6)[0]
    table = optional + struct.unpack_from("<H", data, pe + 20)[0]
    offset = None
    for s in range(sections):
        va, raw_size, raw = struct.unpack_from("<I", data, table + 40 * s + 12)[0], \
            struct.unpack_from("<I", data, table + 40 * s + 16)[0], struct.unpack_from("<I", data, table + 40 * s + 20)[0]
        if va <= rva and rva + size <= va + raw_size:
            offset = raw + rva - va
    if offset is None:
        fail(exe, "the delay-import table lies outside the file's sections")
    records = [struct.unpack_from("<8I", data, offset + DESCRIPTOR * i) for i in range(len(descriptors) + 1)]
    # Attribute 1 (dlattrRva): the fields are RVAs, the only form Windows' own helper accepts.
    if any(r[0] != 1 or r[1] == 0 for r in records[:-1]) or any(records[-1]):
        fail(exe, "unexpected delay-import records at RVA %#x" % rva)

    struct.pack_into("<2I", data, optional + 96 + 8 * DELAY_DIRECTORY, rva, size)
    struct.pack_into("<I", data, optional + 64, checksum(data, optional + 64))
    with open(exe, "wb") as f:
        f.write(data)


if __name__ == "__main__":
    if len(sys.argv) != 3:
        print(__doc__, file=sys.stderr)
        sys.exit(2)
    main(sys.argv[1], sys.argv[2])
