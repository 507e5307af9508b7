"""Writes the hostile Windows metafiles of bad/, each named after what it
breaks. Run from this folder: python3 make_bad.py"""
import struct


def placeable(w=100, h=100):
    words = [0xCDD7, 0x9AC6, 0, 0, 0, w, h, 100, 0, 0]
    s = 0
    for v in words:
        s ^= v
    return struct.pack("<10H", *words) + struct.pack("<H", s)


def header(objects=4, size_words=0):
    return struct.pack("<HHHIHIH", 1, 9, 0x300, size_words, objects, 0, 0)


def record(function, payload):
    return struct.pack("<IH", 3 + len(payload) // 2, function) + payload


def pen():
    return record(0x02FA, struct.pack("<HhhI", 0, 1, 0, 0))


def eof():
    return record(0, b"")


line = record(0x0214, struct.pack("<hh", 10, 10)) + record(0x0213, struct.pack("<hh", 90, 90))

files = {
    "record_size_beyond_file.wmf": placeable() + header() + pen() + line
    + struct.pack("<IH", 0x7FFFFFFF, 0x0324) + struct.pack("<h", 3) + b"\0" * 8,
    "zero_record_size.wmf": placeable() + header() + line + struct.pack("<IH", 0, 0x0213) + b"\0" * 8
    + line,
    "huge_bitmap.wmf": placeable() + header()
    + record(0x0F43, struct.pack("<IHhhhhhhhh", 0xCC0020, 0, 30000, 30000, 0, 0, 50, 50, 0, 0)
             + struct.pack("<IiiHHIIiiII", 40, 30000, 30000, 1, 24, 0, 0, 0, 0, 0, 0) + b"\0" * 64)
    + eof(),
    "object_index_beyond_table.wmf": placeable() + header(objects=1) + pen()
    + record(0x012D, struct.pack("<H", 7)) + record(0x01F0, struct.pack("<H", 65535)) + line + eof(),
    "polygon_count_beyond_record.wmf": placeable() + header()
    + record(0x0324, struct.pack("<H", 30000) + struct.pack("<4h", 0, 0, 50, 50)) + eof(),
    "truncated_header.wmf": placeable() + header()[:10],
    "header_size_beyond_file.wmf": placeable() + struct.pack("<HHH", 1, 60000, 0x300) + b"\0" * 12,
}
for name, data in files.items():
    with open("bad/" + name, "wb") as f:
        f.write(data)
