#!/usr/bin/python3
"""compare_picture.py ACTUAL REFERENCE [MAX_FRACTION]: compares a screenshot
of a real window with its committed reference picture.

Screenshots of GTK windows are not byte-stable: the text caret blinks, the
window manager may paint focus a frame late, and a list can settle a few
pixels later than the rest. So the measure is tolerant: a pixel differs when
one of its channels moves by more than 48 of 255, and the pictures match
when they have the same size and at most MAX_FRACTION (default 0.015) of the
pixels differ. A real change (a missing control, moved text, another theme)
moves far more. With VARKO_UPDATE_GOLDENS=1 the reference is rewritten from
ACTUAL instead (look at it before committing)."""
import os
import shutil
import sys

from PIL import Image, ImageChops


def main():
    actual, reference = sys.argv[1], sys.argv[2]
    max_fraction = float(sys.argv[3]) if len(sys.argv) > 3 else 0.015
    if os.environ.get("VARKO_UPDATE_GOLDENS"):
        shutil.copyfile(actual, reference)
        print(f"reference rewritten: {reference}")
        return 0
    a = Image.open(actual).convert("RGB")
    b = Image.open(reference).convert("RGB")
    if a.size != b.size:
        print(f"size {a.size} differs from the reference's {b.size}")
        return 1
    diff = ImageChops.difference(a, b).point(lambda v: 255 if v > 48 else 0).convert("L")
    differing = sum(1 for v in diff.getdata() if v)
    fraction = differing / (a.size[0] * a.size[1])
    print(f"{differing} of {a.size[0] * a.size[1]} pixels differ ({fraction:.4f}, at most {max_fraction})")
    return 0 if fraction <= max_fraction else 1


if __name__ == "__main__":
    sys.exit(main())
