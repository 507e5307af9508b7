"""Overlap of two pictures of the same scene: both are cut to the box of
their ink (a reader may place the picture on a page), the second is scaled
to the first's box, ink is any pixel whose grey is below 200, and each
picture's ink counts as matched where the other has ink within 2 pixels.
Prints the two matched fractions (ours matched, theirs matched)."""
import sys
from PIL import Image, ImageFilter



def ink(img):
    return img.convert("L").point(lambda v: 255 if v < 200 else 0)


def flat(name):
    img = Image.open(name).convert("RGBA")
    white = Image.new("RGBA", img.size, (255, 255, 255, 255))
    return Image.alpha_composite(white, img).convert("RGB")


ours, theirs = flat(sys.argv[1]), flat(sys.argv[2])
ours = ours.crop(ink(ours).getbbox())
theirs = theirs.crop(ink(theirs).getbbox()).resize(ours.size, Image.BILINEAR)
a, b = ink(ours), ink(theirs)
grow_a, grow_b = a.filter(ImageFilter.MaxFilter(5)), b.filter(ImageFilter.MaxFilter(5))


def matched(mask, other):
    m, o = mask.getdata(), other.getdata()
    total = sum(1 for v in m if v)
    hit = sum(1 for v, w in zip(m, o) if v and w)
    return hit / total if total else 0.0


print("%.4f %.4f" % (matched(a, grow_b), matched(b, grow_a)))
