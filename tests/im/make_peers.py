#!/usr/bin/env python3
"""Writes image files with Pillow (an independent writer) into DIR, each with
the RGB picture it must load as (binary PPM, top row first), and a manifest
line: file, expected format code, comparison (exact or psnr), PPM."""
import sys, os
from PIL import Image

out = sys.argv[1]
W, H = 37, 23
lines = []

def rgb_source():
    im = Image.new("RGB", (W, H))
    im.putdata([((x * 7) % 256, (y * 11) % 256, (x * y) % 256) for y in range(H) for x in range(W)])
    return im

def grey_source(levels=256):
    im = Image.new("L", (W, H))
    step = 255 // (levels - 1)
    im.putdata([((x + 3 * y) % levels) * step for y in range(H) for x in range(W)])
    return im

def pal_source(colors=16):
    im = Image.new("P", (W, H))
    pal = []
    for i in range(colors):
        pal += [(i * 37) % 256, (i * 91) % 256, (i * 13 + 5) % 256]
    im.putpalette(pal + [0, 0, 0] * (256 - colors))
    im.putdata([(x + y) % colors for y in range(H) for x in range(W)])
    return im

def add(name, image, code, kind, expected=None, **options):
    path = os.path.join(out, name)
    image.save(path, **options)
    (expected or image).convert("RGB").save(path + ".ppm")
    lines.append(f"{name} {code} {kind} {name}.ppm")

TIF, JPG, PNG = 3, 6, 9
rgb, grey, pal = rgb_source(), grey_source(), pal_source()
add("rgb_none.tif", rgb, TIF, "exact", compression=None)
add("rgb_lzw.tif", rgb, TIF | 256, "exact", compression="tiff_lzw")
add("rgb_deflate.tif", rgb, TIF | 512, "exact", compression="tiff_adobe_deflate")
add("grey_none.tif", grey, TIF, "exact", compression=None)
add("grey_lzw.tif", grey, TIF | 256, "exact", compression="tiff_lzw")
add("pal_packbits.tif", pal, TIF | 512, "exact", compression="packbits")
add("bilevel.tif", grey_source(2).convert("1"), TIF, "exact", compression=None)
add("rgb.png", rgb, PNG | 256, "exact")
add("grey.png", grey, PNG | 256, "exact")
add("pal.png", pal, PNG | 256, "exact")
add("pal4.png", pal, PNG | 256, "exact", bits=4)
add("bilevel.png", grey_source(2).convert("1"), PNG | 256, "exact")
rgba = rgb.copy(); rgba.putalpha(Image.new("L", (W, H), 90))
add("rgba.png", rgba, PNG | 256, "exact", expected=rgb)
la = grey.copy().convert("LA")
add("la.png", la, PNG | 256, "exact", expected=grey)
wide = Image.new("I;16", (W, H))
wide.putdata([((x * 1800 + y * 97) % 65536) for y in range(H) for x in range(W)])
wide_expected = Image.new("L", (W, H))
wide_expected.putdata([((x * 1800 + y * 97) % 65536) >> 8 for y in range(H) for x in range(W)])
add("grey16.png", wide, PNG | 256, "exact", expected=wide_expected)
# JPEG is lossy: a smooth picture, compared by PSNR
smooth = Image.new("RGB", (W, H))
smooth.putdata([(x * 255 // (W - 1), y * 255 // (H - 1), 128 + (x - y)) for y in range(H) for x in range(W)])
add("rgb.jpg", smooth, JPG | 256, "psnr", quality=95)
add("grey.jpg", smooth.convert("L"), JPG | 256, "psnr", quality=95)
# Pillow writes Adobe CMYK, whose values are stored inverted
add("cmyk.jpg", smooth.convert("CMYK"), JPG | 256, "psnr", expected=smooth, quality=95)
with open(os.path.join(out, "manifest.txt"), "w") as f:
    f.write("\n".join(lines) + "\n")
