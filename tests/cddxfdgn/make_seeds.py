"""Writes the seed design files of the DGN tests: seeds/seed2d.dgn, a
two-dimensional design file holding only its header element (type 9,
level 8, 766 words, all fields zero: one unit per pixel, origin 0) and the
end-of-design word; and the crafted bad seeds in bad/, named after what
they break. Run once; the files are committed."""
import os

here = os.path.dirname(os.path.abspath(__file__))
header = bytes([0x08, 0x09, 0xFE, 0x02]) + bytes(1532)
end = b"\xff\xff"


def write(name, data):
    with open(os.path.join(here, name), "wb") as f:
        f.write(data)


write("seeds/seed2d.dgn", header + end)
write("bad/empty.dgn", b"")
write("bad/element_past_end.dgn", header[:100])
write("bad/no_end_marker.dgn", header)
write("bad/three_d_header.dgn", bytes([0xC8, 0x09, 0xFE, 0x02]) + bytes(1532) + end)
write("bad/half_element_header.dgn", header + b"\x03")
write("bad/word_count_past_end.dgn", bytes([0x01, 0x03, 0xFF, 0xFF]) + bytes(6) + end)
