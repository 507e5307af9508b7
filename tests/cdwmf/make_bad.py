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


# enhanced metafiles
def emf_header(handles=4):
    h = struct.pack("<II", 1, 88) + struct.pack("<4i", 0, 0, 99, 99) + struct.pack("<4i", 0, 0, 2600, 2600)
    h += struct.pack("<IIIIHHIIIiiii", 0x464D4520, 0x10000, 0, 0, handles, 0, 0, 0, 0, 100, 100, 26, 26)
    return h


def emf(kind, *values):
    payload = b"".join(struct.pack("<I", v & 0xFFFFFFFF) for v in values)
    return struct.pack("<II", kind, 8 + len(payload)) + payload


emf_line = emf(27, 10, 10) + emf(54, 90, 90)
emf_eof = emf(14, 0, 16, 20)
emf_files = {
    "emf_record_size_beyond_file.emf": emf_header() + emf(38, 1, 0, 1, 0, 0) + emf_line
    + struct.pack("<II", 3, 0x7FFFFFF0) + b"\0" * 24,
    "emf_zero_record_size.emf": emf_header() + emf_line + struct.pack("<II", 54, 0) + emf_line,
    "emf_huge_bitmap.emf": emf_header()
    + emf(81, 0, 0, 50, 50, 0, 0, 0, 0, 30000, 30000, 80, 40, 120, 0x7FFFFFFF, 0, 0xCC0020, 50, 50)
    + struct.pack("<IiiHHIIiiII", 40, 30000, 30000, 1, 24, 0, 0, 0, 0, 0, 0) + b"\0" * 64 + emf_eof,
    "emf_object_index_beyond_table.emf": emf_header(handles=2) + emf(38, 9, 0, 1, 0, 0)
    + emf(37, 7) + emf(40, 0x7FFFFFFF) + emf(37, 0x80000063) + emf_line + emf_eof,
    "emf_point_count_beyond_record.emf": emf_header() + emf(3, 0, 0, 0, 0, 0x40000000, 5, 5) + emf_eof,
    "emf_text_offset_beyond_record.emf": emf_header()
    + emf(84, 0, 0, 0, 0, 1, 0, 0, 10, 10, 50, 0x7FFFFFF0, 0, 0, 0, 0, 0, 0) + emf_eof,
    "emf_truncated_header.emf": emf_header()[:60],
}
for name, data in emf_files.items():
    with open("bad/" + name, "wb") as f:
        f.write(data)
