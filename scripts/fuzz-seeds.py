#!/usr/bin/env python3
"""Writes small valid item files and project files as fuzzing seeds."""
import os
import struct
import sys


def sjis(text):
    return text.encode("cp932")


def string(text):
    b = sjis(text)
    return struct.pack("<i", len(b)) + b + b"\0"


def record(kind, text, font="", align=True):
    out = struct.pack("<ii", kind, 1)
    out += struct.pack("<7i", 0, 100, -50, 300, 200, 0, 0)
    out += struct.pack("<4I", 0, 0xFF0000, 0x0200FF00 if kind == 2 else 0, 1 if kind == 2 else 0)
    out += string(font)
    out += struct.pack("<3i", 1, 35, 53)
    if align:
        out += struct.pack("<i", 4)
    out += string(text)
    out += struct.pack("<I", 0)
    return out


def item_file(align=True):
    recs = [record(1, "ab", "ＭＳ Ｐゴシック", align), record(4, "図形3", "", align), record(2, "写真4", "", align)]
    return struct.pack("<i", len(recs)) + b"".join(recs)


def entry(name, content):
    n = name.encode("ascii")
    return struct.pack("<i", len(n)) + n + b"\0" + struct.pack("<i", len(content)) + content


def project(version=3):
    out = b"QorPALM".ljust(16, b" ") + b"\0"
    out += b"Version\0" + struct.pack("<4i", version, 0, 0, 0)
    out += b"PageInfo\0"
    for i in range(17):
        out += struct.pack("<i", i) + entry("qor.dat", item_file(version == 3) if i in (0, 2) else b"")
    out += b"PageImage\0"
    for i in range(17):
        k = 1 if i == 2 else 0
        out += struct.pack("<ii", i, k)
        if k:
            out += entry("1.bmp", b"BM" + bytes(60)) + entry("t1.bmp", b"BM" + bytes(30))
    out += b"OriginalImage\0" + struct.pack("<i", 1)
    out += entry("0_.jpg", b"\xff\xd8\xff\xd9") + entry("t0_.bmp", b"BM" + bytes(20))
    out += b"Thumb\0" + struct.pack("<i", 1) + entry("cache.bin", b"x" * 10)
    return out


def main():
    target, folder = sys.argv[1], sys.argv[2]
    os.makedirs(folder, exist_ok=True)
    seeds = {}
    if target == "fuzz_item_file":
        seeds = {"items.dat": item_file(), "items_v2.dat": item_file(False), "empty.dat": struct.pack("<i", 0)}
    else:
        seeds = {"book.qvb": project(), "book_v2.qvb": project(2)}
    for name, data in seeds.items():
        with open(os.path.join(folder, name), "wb") as f:
            f.write(data)


if __name__ == "__main__":
    main()
