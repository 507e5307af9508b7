#!/usr/bin/env python3
"""Writes the CGM player's fixtures (run from anywhere; the files land beside
this script and are committed):

- hostile/<what it breaks>.cgm|.cgmt: each file draws a line (10,10)-(90,10),
  then holds the hostile part, then a line (10,90)-(90,90) where the player
  can still reach it; hostile_test.cpp says how many lines each must draw.
- variety.cgm: a binary metafile in a profile our writer never uses (real
  VDC in floating point, indexed colour with a colour table, 16-bit colour
  precision, scaled widths, circles, circular arcs, polygon sets, ellipses,
  run-length cell arrays, restricted and appended text).
- seeds for the fuzz targets in tests/fuzz/seeds/cgmb and cgmt.
"""
import os
import struct

HERE = os.path.dirname(os.path.abspath(__file__))


def i16(*v):
    return b"".join(struct.pack(">h", x) for x in v)


def u16(*v):
    return b"".join(struct.pack(">H", x) for x in v)


def i32(*v):
    return b"".join(struct.pack(">i", x) for x in v)


def f32(*v):
    return b"".join(struct.pack(">f", x) for x in v)


def s(text):
    b = text.encode("latin-1")
    return bytes([len(b)]) + b


def el(cls, cid, params=b"", long_form=False):
    head = cls << 12 | cid << 5
    if len(params) <= 30 and not long_form:
        out = u16(head | len(params))
    else:
        out = u16(head | 31) + u16(len(params))
    out += params
    if len(params) & 1:
        out += b"\0"
    return out


def line(x1, y1, x2, y2):
    return el(4, 1, i16(x1, y1, x2, y2))


START = el(0, 1, s("hostile")) + el(0, 3, s("p")) + el(2, 6, i16(0, 0, 100, 100)) + el(0, 4)
FIRST = line(10, 10, 90, 10)
LAST = line(10, 90, 90, 90)
END = el(0, 5) + el(0, 2)


def framed(middle):
    return START + FIRST + middle + LAST + END


HOSTILE = {
    # the file ends inside things: nothing after them can be read
    "truncated_header.cgm": START + FIRST + b"\x00",
    "truncated_short_element.cgm": START + FIRST + u16(4 << 12 | 1 << 5 | 20) + i16(1, 2, 3),
    "long_length_beyond_file.cgm": START + FIRST + u16(4 << 12 | 1 << 5 | 31) + u16(30000) + i16(1, 2, 3, 4),
    "partition_header_missing.cgm": START + FIRST + u16(4 << 12 | 1 << 5 | 31) + u16(0x8000 | 4) + i16(1, 2),
    "string_beyond_element.cgm": framed(el(4, 4, i16(5, 5, 1) + bytes([40]) + b"short")),
    # counts that claim more than the file holds are refused, the play goes on
    "huge_cell_array.cgm": framed(el(4, 9, i16(0, 0, 10, 10, 10, 0, 32767, 32767, 8, 1) + b"\1\2\3\4")),
    "huge_run_length_cells.cgm": framed(
        el(4, 9, i16(0, 0, 10, 10, 10, 0, 32767, 32767, 8, 0) + i16(32767) + b"\1\2\3\0")),
    "huge_pattern_table.cgm": framed(el(5, 32, i16(1, 32767, 32767, 8) + b"\1\2\3\4")),
    "huge_point_count_text.cgmt": (
        "BEGMF 'h'; BEGPIC 'p'; VDCEXT (0,0) (100,100); BEGPICBODY; LINE (10,10) (90,10);\n"
        "CELLARRAY (0,0) (10,10) (10,0) 2000000000 2000000000 8 (1 2 3);\n"
        "PATTABLE 1 100000 100000 8 1 2 3;\n"
        "LINE (10,90) (90,90); ENDPIC; ENDMF;\n"),
    # colour indices beyond the table are black; a table entry beyond the bound is dropped
    "colour_index_beyond_table.cgm": framed(
        el(1, 8, i16(32)) + el(5, 4, u16(0xFFFF, 0xFFFF)) + el(5, 34, u16(0x7FFF, 0xFFFF) + b"\xff\0\0")),
    "colour_extent_zero.cgm": framed(el(1, 10, b"\0" * 6) + el(2, 2, i16(1)) + el(5, 4, b"\x80\x80\x80")),
    # picture structure
    "nested_pictures.cgm": START + FIRST + el(0, 3, s("inner")) + el(0, 3, s("inner2")) + el(0, 4) + LAST + END,
    "unterminated_picture.cgm": START + FIRST + LAST,
    "nested_defaults.cgm": framed(el(1, 12, el(1, 12, el(5, 2, i16(3)), True) + el(5, 2, i16(2)), True)),
    # precisions the player does not know are ignored
    "wrong_precisions.cgm": framed(
        el(1, 4, i16(7)) + el(1, 5, i16(2, 5, 5)) + el(1, 6, i16(12)) + el(1, 7, i16(3)) + el(3, 1, i16(12))
        + el(3, 2, i16(0, 1, 1))),
    "unknown_classes.cgm": framed(
        el(9, 5, b"\1\2\3") + el(15, 127, b"\xff" * 40) + el(7, 2, b"junk") + el(1, 0, b"x") + el(6, 1, b"yy")),
    "unknown_enumerations.cgm": framed(
        el(5, 22, i16(77)) + el(5, 24, i16(99)) + el(1, 3, i16(9)) + el(2, 2, i16(5)) + el(5, 18, i16(9, 9) + b"\0" * 16)
        + el(4, 7, i16(20, 20, 30, 20, 25, 30))),
    # degenerate or extreme geometry
    "zero_vdc_extent.cgm": el(0, 1, s("h")) + el(0, 3, s("p")) + el(2, 6, i16(5, 5, 5, 5)) + el(0, 4)
    + FIRST + LAST + END,
    "nan_real_vdc.cgm": el(0, 1, s("h")) + el(1, 3, i16(1)) + el(3, 2, i16(0, 9, 23)) + el(0, 3, s("p"))
    + el(2, 6, f32(0, 0, 100, 100)) + el(0, 4) + el(4, 1, f32(10, 10, 90, 10))
    + el(4, 1, f32(float("nan"), 1, float("inf"), -float("inf"))) + el(4, 12, f32(50, 50, float("inf")))
    + el(2, 6, f32(float("nan"), 0, 1e38, 1e38)) + el(4, 1, f32(10, 90, 90, 90)) + END,
    "huge_sizes.cgm": framed(
        el(2, 3, i16(1)) + el(5, 3, i32(2000000000, 0)) + el(5, 15, i16(32767)) + el(4, 4, i16(50, 50, 1) + s("big"))
        + el(2, 4, i16(1)) + el(5, 7, i32(2000000000, 0)) + el(4, 3, i16(50, 50)) + el(5, 3, i32(1, 0))),
    "huge_coordinates.cgm": framed(
        el(3, 1, i16(32)) + el(4, 1, i32(-2147483648, -2147483648, 2147483647, 2147483647))
        + el(4, 7, i32(-2147483648, 0, 2147483647, 0, 0, 2147483647)) + el(3, 1, i16(16))),
    "collinear_arc.cgm": framed(el(4, 13, i16(10, 10, 20, 20, 30, 30)) + el(4, 17, i16(50, 50, 50, 50, 50, 50))),
    "bad_cell_precision.cgm": framed(el(4, 9, i16(0, 0, 10, 10, 10, 0, 2, 2, 3, 1) + b"\xff" * 8)),
    # clear text that never ends its tokens
    "unterminated_string.cgmt": "BEGMF 'h'; BEGPIC 'p; VDCEXT (0,0) (100,100); LINE (10,10) (90,10);",
    "unclosed_comment.cgmt": "BEGMF 'h'; BEGPIC 'p'; VDCEXT (0,0) (100,100); BEGPICBODY; LINE (10,10) (90,10); % LINE (10,90) (90,90);",
    "unknown_words.cgmt": (
        "BEGMF 'h'; BEGPIC 'p'; VDCEXT (0,0) (100,100); BEGPICBODY; LINE (10,10) (90,10);\n"
        "INTSTYLE plaid; LINE (10,90) (90,90); ENDPIC; ENDMF;\n"),
    "brackets_and_junk.cgmt": (
        "BEGMF 'h'; BEGPIC 'p'; VDCEXT (0,0) (100,100); BEGPICBODY; LINE (10,10) (90,10);\n"
        + "(" * 5000 + ")" * 5000 + " ;;;; //// \"\" '' 12 ab\x01\x02\xff;\n"
        "LINE ((((10,90)))) (90,90); ENDPIC; ENDMF;\n"),
}

HOSTILE_LINES = {}  # kept in hostile_test.cpp


def variety():
    out = el(0, 1, s("variety"))
    out += el(1, 1, i16(2))
    out += el(1, 3, i16(1))                      # VDC real
    out += el(1, 5, i16(0, 9, 23))               # reals: IEEE single
    out += el(1, 7, i16(16))                     # colour precision 16
    out += el(1, 9, b"\x3f")                     # maximum colour index 63
    out += el(1, 10, u16(0, 0, 0, 65535, 65535, 65535))
    out += el(1, 12, el(3, 2, i16(0, 9, 23)), True)  # VDC reals: IEEE single
    out += el(1, 13, s("HELVETICA_BOLD") + s("TIMES_ROMAN_ITALIC"))
    out += el(0, 3, s("variety picture"))
    out += el(2, 1, i16(0) + f32(1.0))
    out += el(2, 2, i16(0))                      # indexed colour
    out += el(2, 3, i16(1)) + el(2, 5, i16(1))   # scaled line and edge widths
    out += el(2, 6, f32(-50, -30, 150, 120))
    out += el(2, 7, u16(65535, 65535, 56000))
    out += el(0, 4)
    out += el(5, 34, b"\x02" + u16(65535, 0, 0, 0, 40000, 0, 0, 0, 65535, 50000, 30000, 0,
                                   20000, 20000, 20000, 65535, 65535, 0))
    out += el(5, 4, b"\x05") + el(5, 3, f32(3))
    out += el(4, 1, f32(-40, -20, 0, 40, 40, -20, 80, 40))
    out += el(5, 2, i16(4)) + el(5, 4, b"\x06") + el(5, 3, f32(1))
    out += el(4, 2, f32(-40, 60, 0, 60, 10, 60, 50, 60, 60, 60))
    out += el(5, 22, i16(1)) + el(5, 23, b"\x03") + el(5, 30, i16(1)) + el(5, 29, b"\x06") + el(5, 28, f32(2))
    out += el(4, 12, f32(110, 80, 25))
    out += el(5, 23, b"\x04") + el(5, 22, i16(3)) + el(5, 24, i16(4))
    out += el(4, 8, f32(90, -20) + i16(1) + f32(140, -20) + i16(1) + f32(140, 20) + i16(1) + f32(90, 20) + i16(3)
              + f32(100, -10) + i16(0) + f32(130, -10) + i16(0) + f32(115, 10) + i16(2))
    out += el(5, 22, i16(1)) + el(5, 23, b"\x02") + el(5, 30, i16(0))
    out += el(4, 16, f32(30, 90, 20, 0, 0, 20, 20) + i16(0))
    out += el(5, 4, b"\x03")
    out += el(4, 13, f32(-40, 100, -20, 115, 0, 100))
    out += el(5, 23, b"\x05")
    out += el(4, 17, f32(60, 100, 80, 110, 55, 110))
    # a run-length cell array of 4 x 3 indexed cells (local precision 8)
    runs = b""
    for row in ((2, 2, 3, 3), (4, 4, 4, 2), (6, 5, 5, 5)):
        packed = b""
        x = 0
        while x < 4:
            n = 1
            while x + n < 4 and row[x + n] == row[x]:
                n += 1
            packed += i16(n) + bytes([row[x]])
            x += n
        if len(packed) & 1:
            packed += b"\0"
        runs += packed
    out += el(4, 9, f32(-45, 20, -5, -10, -5, 20) + i16(4, 3, 8, 0) + runs)
    out += el(5, 14, b"\x06") + el(5, 15, f32(12)) + el(5, 10, i16(1))
    out += el(5, 18, i16(1, 4) + f32(0, 0))
    out += el(4, 4, f32(-40, -28) + i16(0) + s("Appended "))
    out += el(4, 6, i16(1) + s("text"))
    out += el(5, 10, i16(2)) + el(5, 14, b"\x02")
    out += el(4, 5, f32(60, 10, 60, -28) + i16(1) + s("Restricted"))
    out += el(0, 5) + el(0, 2)
    return out


def write(path, data):
    if isinstance(data, str):
        data = data.encode("latin-1")
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "wb") as f:
        f.write(data)


def main():
    for name, data in HOSTILE.items():
        write(os.path.join(HERE, "hostile", name), data)
    write(os.path.join(HERE, "variety.cgm"), variety())
    seeds = os.path.join(HERE, "..", "fuzz", "seeds")
    write(os.path.join(seeds, "cgmb", "variety.cgm"), variety())
    write(os.path.join(seeds, "cgmb", "nested_defaults.cgm"), HOSTILE["nested_defaults.cgm"])
    with open(os.path.join(HERE, "golden", "small.cgm"), "rb") as f:
        write(os.path.join(seeds, "cgmb", "small.cgm"), f.read())
    with open(os.path.join(HERE, "golden", "small.cgmt"), "rb") as f:
        write(os.path.join(seeds, "cgmt", "small.cgmt"), f.read())
    write(os.path.join(seeds, "cgmt", "keywords.cgmt"),
          "BEGMF 'k'; MFVERSION 1; VDCTYPE real; FONTLIST 'TIMES_BOLD' 'COURIER';\n"
          "BEGPIC 'p'; SCALEMODE metric 0.5; COLRMODE indexed; VDCEXT (0,0) (100.5,80);\n"
          "BEGPICBODY; COLRTABLE 2 255 0 0 0 255 0; LINECOLR 2; LINEWIDTH 2.5; LINETYPE 3;\n"
          "INCRLINE (10,10) (5,5) (5,-5); DISJT_LINE (1,1)(2,2)(3,3)(4,4); MARKERTYPE 4;\n"
          "MARKERSIZE 8; INCRMARKER (50,50) (3,0); INTSTYLE hatch; HATCHINDEX 3; FILLCOLR 3;\n"
          "EDGEVIS on; INCRPOLYGONSET (60,10) vis (20,0) vis (0,20) closevis;\n"
          "CELLARRAY (0,0) (10,10) (10,0) 2 2 8 (2 3 3 2); PATTABLE 1 2 1 8 2 3;\n"
          "INTSTYLE pat; PATINDEX 1; RECT (20,60) (40,75); CIRCLE (70,70) 8;\n"
          "ARC3PTCLOSE (80,20) (90,30) (95,20) chord; ARCCTR_CLOSE (30,40) (1,0) (0,1) 10 pie;\n"
          "ELLIPARCCLOSE (50,30) (60,30) (50,35) (1,1) (-1,1) chord; TEXTALIGN ctr half 0 0;\n"
          "CHARHEIGHT 6; TEXTFONTINDEX 1; TEXT (50,5) notfinal 'split '; APNDTEXT final \"text\";\n"
          "RESTRTEXT 20 8 (5,70) final 'r'; TRANSPARENCY off; CLIPRECT (5,5) (95,75); CLIP on;\n"
          "BACKCOLR 255 255 200; ASF linetype indiv; MESSAGE noaction 'm'; ENDPIC; ENDMF;\n")


if __name__ == "__main__":
    main()
