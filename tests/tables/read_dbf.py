#!/usr/bin/env python3
"""An independent reader of dBASE files, written from the format description with struct only.

usage: read_dbf.py FILE.dbf CODEPAGE  ->  JSON list of the records that are not deleted, each a list of
values: text, numbers, "yyyy-mm-dd" dates, true/false, memo text, null for empty fields."""
import json
import os
import struct
import sys


def memo_reader(path, version):
    base = os.path.splitext(path)[0]
    for ext in (".dbt", ".DBT", ".fpt", ".FPT"):
        if os.path.exists(base + ext):
            data = open(base + ext, "rb").read()
            break
    else:
        return None
    fox = ext.lower() == ".fpt"
    if fox:
        block_size = struct.unpack(">H", data[6:8])[0]
    elif version in (0x8B, 0xCB, 0x8C):
        block_size = struct.unpack("<H", data[20:22])[0] or 512
    else:
        block_size = 512

    def read(block):
        at = block * block_size
        if fox:
            length = struct.unpack(">I", data[at + 4:at + 8])[0]
            return data[at + 8:at + 8 + length]
        if data[at:at + 4] == b"\xff\xff\x08\x00":
            length = struct.unpack("<I", data[at + 4:at + 8])[0] - 8
            return data[at + 8:at + 8 + length]
        return data[at:data.index(b"\x1a", at)]

    return read


def main():
    path, codepage = sys.argv[1], sys.argv[2]
    data = open(path, "rb").read()
    version = data[0]
    count, header_len, record_len = struct.unpack("<IHH", data[4:12])
    fields = []
    at, offset = 32, 1
    while at + 32 <= header_len and data[at] != 0x0D:
        name = data[at:at + 11].split(b"\0")[0].decode("ascii")
        ftype = chr(data[at + 11])
        length, decimals = data[at + 16], data[at + 17]
        if ftype == "C":
            length |= decimals << 8
        fields.append((name, ftype, offset, length, decimals))
        offset += length
        at += 32
    memo = memo_reader(path, version)
    records = []
    for i in range(count):
        rec = data[header_len + i * record_len:header_len + (i + 1) * record_len]
        if rec[0:1] == b"*":
            continue
        row = []
        for name, ftype, off, length, decimals in fields:
            raw = rec[off:off + length]
            if ftype == "C":
                text = raw.decode(codepage).rstrip(" ")
                row.append(text or None)
            elif ftype in "NF":
                text = raw.strip()
                row.append(float(text) if text else None)
            elif ftype == "D":
                text = raw.decode("ascii").strip()
                row.append(f"{text[0:4]}-{text[4:6]}-{text[6:8]}" if text else None)
            elif ftype == "L":
                row.append({b"T": True, b"Y": True, b"F": False, b"N": False}.get(raw.upper()))
            elif ftype == "M":
                block = struct.unpack("<I", raw)[0] if length == 4 else int(raw.strip() or 0)
                row.append(memo(block).decode(codepage) if block and memo else None)
            elif ftype == "I":
                row.append(struct.unpack("<i", raw)[0])
            elif ftype == "Y":
                row.append(struct.unpack("<q", raw)[0] / 10000)
            elif ftype == "B" and length == 8:
                row.append(struct.unpack("<d", raw)[0])
            else:
                row.append(raw.hex())
        records.append(row)
    json.dump({"fields": [f[0] for f in fields], "records": records}, sys.stdout, ensure_ascii=False)


main()
