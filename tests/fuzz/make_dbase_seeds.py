#!/usr/bin/env python3
"""Writes fuzz seeds for the dBASE layouts the sample tables lack: dBASE II, dBASE 7 with a memo file,
Visual FoxPro with backlink, auto-increment, varchar/varbinary and _NullFlags, and a Mazovia-marked
table. A seed is the table's length (4 bytes, little-endian), the table, then its memo file.

usage: make_dbase_seeds.py OUTPUT_FOLDER"""
import os
import struct
import sys


def header(version, fields, records, driver=0, fox=False, dbase7=False):
    start, size = (68, 48) if dbase7 else (32, 32)
    reclen = 1 + sum(f[2] for f in fields)
    hlen = start + size * len(fields) + 1 + (263 if fox else 0)
    out = bytearray(hlen)
    out[0] = version
    out[1:4] = bytes([124, 1, 1])
    struct.pack_into("<IHH", out, 4, len(records), hlen, reclen)
    out[29] = driver
    offset = 1
    for i, (name, ftype, length, dec, flags, nxt) in enumerate(fields):
        at = start + size * i
        if dbase7:
            out[at:at + len(name)] = name
            out[at + 32:at + 35] = bytes([ord(ftype), length, dec])
            struct.pack_into("<I", out, at + 40, nxt)
        else:
            out[at:at + len(name)] = name
            out[at + 11] = ord(ftype)
            struct.pack_into("<IBBBIB", out, at + 12, offset, length, dec, flags, nxt, 1)
        offset += length
    out[start + size * len(fields)] = 0x0D
    for r in records:
        assert len(r) == reclen, (r, reclen)
        out += r
    return bytes(out) + b"\x1a"


def dbase2():
    out = bytearray(521)
    out[0] = 2
    struct.pack_into("<H3BH", out, 1, 2, 7, 1, 85, 1 + 10 + 5)
    for i, (name, ftype, length) in enumerate([(b"NAME", "C", 10), (b"QTY", "N", 5)]):
        at = 8 + 16 * i
        out[at:at + len(name)] = name
        out[at + 11] = ord(ftype)
        out[at + 12] = length
    out[8 + 32] = 0x0D
    return bytes(out) + b" Anna         42*Gone          1\x1a"


def dbt4(texts):
    out = bytearray(512)
    struct.pack_into("<I", out, 0, 1 + len(texts))
    struct.pack_into("<H", out, 20, 512)
    for t in texts:
        block = b"\xff\xff\x08\x00" + struct.pack("<I", 8 + len(t)) + t
        out += block.ljust(512, b"\0")
    return bytes(out)


def fpt(texts):
    out = bytearray(512)
    struct.pack_into(">I", out, 0, 8 + len(texts))
    struct.pack_into(">H", out, 6, 64)
    for t in texts:
        out += (struct.pack(">II", 1, len(t)) + t).ljust(64, b"\0")
    return bytes(out)


def be_long(v):
    return struct.pack(">I", (v ^ 0x80000000) & 0xFFFFFFFF)


def sortable(d):
    bits = struct.unpack(">Q", struct.pack(">d", d))[0]
    bits = (~bits & 0xFFFFFFFFFFFFFFFF) if d < 0 else bits | (1 << 63)
    return struct.pack(">Q", bits)


def main():
    out = sys.argv[1]
    os.makedirs(out, exist_ok=True)
    seeds = {
        "dbase2": (dbase2(), b""),
        "dbase7": (header(0x8C, [(b"A_LONG_FIELD_NAME", "C", 6, 0, 0, 0), (b"ID", "+", 4, 0, 0, 3),
                                 (b"N", "I", 4, 0, 0, 0), (b"R", "O", 8, 0, 0, 0), (b"S", "@", 8, 0, 0, 0),
                                 (b"M", "M", 10, 0, 0, 0)],
                          [b" Zebra " + be_long(1) + be_long(-7) + sortable(-2.5)
                           + sortable(2460370 * 86400000.0) + b"         1"], driver=0xC8, dbase7=True),
                   dbt4([b"Notka"])),
        "vfp_autoinc": (header(0x31, [(b"ID", "I", 4, 0, 0x0C, 10), (b"NAME", "C", 8, 0, 0, 0),
                                      (b"PRICE", "Y", 8, 0, 0, 0), (b"WHEN", "T", 8, 0, 0, 0),
                                      (b"SIZE", "B", 8, 3, 0, 0), (b"NOTE", "M", 4, 0, 0, 0)],
                                [b" " + struct.pack("<i", 9) + b"Pies    " + struct.pack("<q", 123456)
                                 + struct.pack("<ii", 2458987, 25200000) + struct.pack("<d", -0.75)
                                 + struct.pack("<I", 8)], driver=0x03, fox=True),
                        fpt([b"Notatka"])),
        "vfp_varchar": (header(0x32, [(b"NAME", "V", 10, 0, 0x02, 0), (b"DATA", "Q", 6, 0, 0, 0),
                                      (b"NOTE", "C", 5, 0, 0x02, 0), (b"_NullFlags", "0", 1, 0, 0x05, 0)],
                                [b" Ala\0\0\0\0\0\0\x03ABCDEF     \x09",
                                 b" " + bytes(10) + b"\x01\x02\0\0\0\x02abc  \x06"], driver=0xC8, fox=True),
                        b""),
        "mazovia": (header(0x03, [(b"TEXT", "C", 12, 0, 0, 0)],
                           [b" Za\xa7\xa2\x92\x8d g\x91\x9el\x86"], driver=0x69), b""),
    }
    for name, (table, companion) in seeds.items():
        with open(os.path.join(out, name), "wb") as f:
            f.write(struct.pack("<I", len(table)) + table + companion)


main()
