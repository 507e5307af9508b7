#!/usr/bin/env python3
"""Writes the crafted bad files beside this script (run once; the files are committed)."""
import os
import struct

here = os.path.dirname(os.path.abspath(__file__))


def put(name, data):
    with open(os.path.join(here, name), "wb") as f:
        f.write(data)


def bmp(width, height, bits, compression=0, colours=0, header=40, pixels=b"", palette=None, offset=None):
    if palette is None:
        palette = b"\0\0\0\0" * (colours or (1 << bits if bits <= 8 else 0))
    info = struct.pack("<IiiHHIIiiII", header, width, height, 1, bits, compression, len(pixels), 2835, 2835, colours, 0)
    info = info[:header] if header < 40 else info + b"\0" * (header - 40)
    off = offset if offset is not None else 14 + len(info) + len(palette)
    return b"BM" + struct.pack("<IHHI", off + len(pixels), 0, 0, off) + info + palette + pixels


put("bmp_truncated_pixels.bmp", bmp(16, 16, 24, pixels=b"\1" * 100))
put("bmp_huge_dimensions.bmp", bmp(70000, 70000, 24))
put("bmp_zero_width.bmp", bmp(0, 4, 24))
put("bmp_colours_used_300.bmp", bmp(4, 4, 8, colours=300, pixels=b"\0" * 16))
put("bmp_rle8_run_past_row.bmp", bmp(4, 2, 8, 1, pixels=bytes([9, 1, 0, 0, 0, 1])))
put("bmp_rle8_delta_past_row.bmp", bmp(4, 2, 8, 1, pixels=bytes([2, 1, 0, 2, 5, 0, 0, 1])))
put("bmp_rle8_no_end.bmp", bmp(4, 3, 8, 1, pixels=bytes([4, 1, 0, 0, 2, 1])))
put("bmp_header_64.bmp", bmp(4, 4, 24, header=64, pixels=b"\0" * 48))
put("bmp_wide_lines_tiny_file.bmp", bmp(0x08000007, 5, 24))  # 400 MB lines in 54 bytes
put("bmp_depth_2.bmp", bmp(4, 4, 2, pixels=b"\0" * 16))
put("bmp_bitfields_24bit.bmp", bmp(4, 4, 24, 3, pixels=b"\0" * 48))
put("bmp_jpeg_compression.bmp", bmp(4, 4, 24, 4, pixels=b"\0" * 48))


def pcx(width, height, bits=8, planes=1, encoding=1, version=5, stride=None, data=b""):
    stride = stride if stride is not None else (width * bits + 15) // 16 * 2
    h = struct.pack("<BBBBHHHHHH", 10, version, encoding, bits, 0, 0, width - 1, height - 1, 72, 72)
    h += b"\0" * 48 + bytes([0, planes]) + struct.pack("<HH", stride, 1)
    return h + b"\0" * (128 - len(h)) + data


put("pcx_first_byte_only.pcx", b"\x0a" + b"\x63" * 200)
put("pcx_run_past_row.pcx", pcx(4, 2, data=bytes([0xC8, 7]) + b"\0" * 800))
put("pcx_truncated.pcx", pcx(40, 40, data=bytes([0xC5, 1]) * 10))
put("pcx_short_bytes_per_line.pcx", pcx(40, 2, stride=4, data=b"\1" * 100))
put("pcx_depth_16.pcx", pcx(4, 2, 8, 2, data=b"\1" * 100))


def gif(width, height, min_size, data, blocks=True):
    g = b"GIF89a" + struct.pack("<HHBBB", width, height, 0x80, 0, 0) + b"\0\0\0\xff\xff\xff"
    g += b"\x21\xf9\x04\0\0\0\0\0"  # an extension to skip
    g += b"\x2c" + struct.pack("<HHHHB", 0, 0, width, height, 0) + bytes([min_size])
    if blocks:
        g += bytes([len(data)]) + data + b"\0"
    return g + b"\x3b"


def codes(values, size):
    acc, n, out = 0, 0, bytearray()
    for v, s in values:
        acc |= v << n
        n += s
        while n >= 8:
            out.append(acc & 255)
            acc >>= 8
            n -= 8
    if n:
        out.append(acc)
    return bytes(out)


# clear (4), literal 1, then code 9 while the table holds only up to 6
put("gif_lzw_code_beyond_table.gif", gif(4, 4, 2, codes([(4, 3), (1, 3), (7, 3)], 3)))
# 16 pixels wanted, two given, then the end code
put("gif_lzw_ends_early.gif", gif(4, 4, 2, codes([(4, 3), (1, 3), (1, 3), (5, 3)], 3)))
put("gif_code_size_12.gif", gif(4, 4, 12, b"\0\0\0"))
put("gif_no_image.gif", b"GIF89a" + struct.pack("<HHBBB", 4, 4, 0, 0, 0) + b"\x3b")
put("gif_zero_width.gif", gif(0, 4, 2, codes([(4, 3), (5, 3)], 3)))


def ras(width, height, depth, type_=1, map_type=0, map_=b"", data=b""):
    return struct.pack(">8I", 0x59A66A95, width, height, depth, len(data), type_, map_type, len(map_)) + map_ + data


put("ras_huge_dimensions.ras", ras(100000, 100000, 8))
put("ras_map_300_entries.ras", ras(4, 4, 8, map_type=1, map_=b"\0" * 900, data=b"\0" * 16))
put("ras_rle_past_end.ras", ras(4, 2, 8, 2, data=bytes([0x80, 20, 3])))
put("ras_truncated.ras", ras(40, 40, 24, data=b"\0" * 100))


def sgi(width, height, depth, storage=0, bpc=1, rest=b""):
    h = struct.pack(">HBBHHHHiii", 474, storage, bpc, 3, width, height, depth, 0, 255, 0)
    return h + b"\0" * (512 - len(h)) + rest


def tables(starts, lengths):
    return struct.pack(">%dI" % len(starts), *starts) + struct.pack(">%dI" % len(lengths), *lengths)


put("sgi_rle_run_past_row.sgi", sgi(4, 1, 1, 1, rest=tables([520], [3]) + bytes([0x0A, 5, 0])))
put("sgi_rle_offset_past_end.sgi", sgi(4, 1, 1, 1, rest=tables([99999], [3]) + bytes([4, 5, 0])))
put("sgi_tables_truncated.sgi", sgi(4, 60000, 3, 1, rest=b"\0" * 64))
put("sgi_two_bytes_per_channel.sgi", sgi(4, 4, 1, 0, 2, rest=b"\0" * 32))

put("led_no_equals.led", b"LEDImage IMAGE[\n](2,1\n,0,0\n)")
put("led_only_title.led", b"LEDImage = IMAGE[\n](2,1\n,0,0\n)")
put("led_index_beyond_palette.led", b'LEDImage = IMAGE[\n0 = "1 2 3",\n1 = "4 5 6"]\n(2,1\n,0,2\n)')
put("led_eleven_digits.led", b'LEDImage = IMAGE[\n0 = "1 2 3"]\n(2,1\n,0,00000000000\n)')
put("led_missing_pixels.led", b'LEDImage = IMAGE[\n0 = "1 2 3"]\n(3,2\n,0,0,0\n,0\n)')
put("led_huge_dimensions.led", b'LEDImage = IMAGE[\n0 = "1 2 3"]\n(100000,100000\n,0\n)')


def tga(type_, width, height, bits, map_type=0, map_len=0, map_bits=0, desc=0, data=b""):
    h = struct.pack("<BBBHHBHHHHBB", 0, map_type, type_, 0, map_len, map_bits, 0, 0, width, height, bits, desc)
    return h + b"\0" * (map_len * ((map_bits + 7) // 8)) + data


put("tga_grey_16bit.tga", tga(3, 4, 4, 16, data=b"\0" * 32))
put("tga_map_16bit_pixels.tga", tga(1, 4, 4, 16, 1, 2, 24, data=b"\0" * 32))
put("tga_map_missing.tga", tga(1, 4, 4, 8, data=b"\0" * 16))
put("tga_map_300_entries.tga", tga(1, 4, 4, 8, 1, 300, 24, data=b"\0" * 16))
put("tga_rle_packet_past_row.tga", tga(10, 4, 2, 24, data=bytes([0x87, 1, 2, 3]) + b"\0" * 40))
put("tga_truncated.tga", tga(2, 40, 40, 24, data=b"\0" * 100))
put("tga_type_4.tga", tga(4, 4, 4, 8, data=b"\0" * 16))
