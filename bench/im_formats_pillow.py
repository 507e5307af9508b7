"""Pillow's side of bench/im_formats.sh: loads the raw pictures written by
bench_im_formats --raw-dir, then saves and loads each format variant with
Pillow's defaults (the settings our writers use where they differ: JPEG at
quality 100, PCX and TIFF LZW compressed, PNG at level 6) and prints
"save/<variant>/<kind> <min seconds>" per case; for the JPEG map also
"grey/jpg/map", the save of a picture already turned grey.

Files are loaded through a Python file object, as our side reads them
through its file layer: opened by name, Pillow would memory-map
uncompressed BMP, TGA and TIFF files and its load would copy nothing.
Every loaded picture is checked for its mode and size, so a lazy or
failed decode cannot pass for a fast one."""
import os
import sys
import time

from PIL import Image

SIDE = 4000
VARIANTS = [  # name, Pillow format, save options, writes maps, writes RGB
    ("bmp", "BMP", {}, True, True),
    ("pcx", "PCX", {}, True, True),
    ("gif", "GIF", {}, True, False),
    ("tif_none", "TIFF", {"compression": None}, True, True),
    ("tif_lzw", "TIFF", {"compression": "tiff_lzw"}, True, True),
    ("tga", "TGA", {}, True, True),
    ("jpg", "JPEG", {"quality": 100}, True, True),
    ("png", "PNG", {"compress_level": 6}, True, True),
]


def pictures(raw):
    def plane(name):
        with open(os.path.join(raw, name), "rb") as f:
            return Image.frombytes("L", (SIDE, SIDE), f.read())

    indexed = Image.frombytes("P", (SIDE, SIDE), plane("map.raw").tobytes())
    indexed.putpalette(open(os.path.join(raw, "palette.raw"), "rb").read())
    rgb = Image.merge("RGB", [plane("red.raw"), plane("green.raw"), plane("blue.raw")])
    return indexed, rgb


def load_checked(path, mode):
    with open(path, "rb") as f:
        im = Image.open(f)
        im.load()
    if im.mode != mode or im.size != (SIDE, SIDE):
        sys.exit("%s loaded as %s %s, not %s" % (path, im.mode, im.size, mode))
    return im


def best(repeat, action):
    times = []
    for _ in range(repeat):
        start = time.perf_counter()
        action()
        times.append(time.perf_counter() - start)
    return min(times)


def main():
    raw, tmp, repeat = sys.argv[1], sys.argv[2], int(sys.argv[3])
    indexed, rgb = pictures(raw)
    for name, fmt, options, maps, rgbs in VARIANTS:
        for kind, image, wanted in (("map", indexed, maps), ("rgb", rgb, rgbs)):
            if not wanted:
                continue
            mode = image.mode
            path = os.path.join(tmp, "pillow_%s_%s" % (name, kind))
            if fmt == "JPEG" and kind == "map":
                # Pillow cannot store a palette image as JPEG: saving the map
                # means turning it into grey through its palette first, as our
                # writer does, so that conversion is part of the save
                mode = "L"
                save = best(repeat, lambda: image.convert("L").save(path, fmt, **options))
                grey = image.convert("L")
                print("grey/%s/%s %.6f" % (name, kind, best(repeat, lambda: grey.save(path, fmt, **options))))
            else:
                save = best(repeat, lambda: image.save(path, fmt, **options))
            load = best(repeat, lambda: load_checked(path, mode))
            os.remove(path)
            print("save/%s/%s %.6f" % (name, kind, save))
            print("load/%s/%s %.6f" % (name, kind, load))
            sys.stdout.flush()


main()
