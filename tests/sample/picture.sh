#!/usr/bin/env bash
# picture.sh VARKO OUT.png: runs the sample test with SAMPLE_PICTURE set and
# draws its routes over the combined theme (left) and the land use with
# roads and reserves darkened (right), for looking at after retuning.
set -eu
varko=$(realpath "$1"); out=$(realpath "$2")
here=$(cd "$(dirname "$0")" && pwd)
sample=$here/../../examples/sample
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp "$here/sample_project.lua" "$work/varko.lua"
cp "$here/../lua/harness.lua" "$sample/sample.vrk" "$sample/slope.png" "$sample/slope.hdr" "$work/"
cp -r "$sample/themes" "$work/"
(cd "$work" && SAMPLE_PICTURE=1 IUP_DRIVER=headless "$varko") || true
/usr/bin/python3 - "$work" "$out" <<'PY'
import glob, sys
import numpy as np
from PIL import Image, ImageDraw
work, out = sys.argv[1], sys.argv[2]
combined = Image.open(work + "/combined.bmp").convert("RGB")
land = np.array(Image.open(work + "/themes/landuse.png").convert("RGB"))
roads = np.array(Image.open(work + "/themes/roads.png"))
reserves = np.array(Image.open(work + "/themes/protected.png"))
land[roads == 1] = land[roads == 1] // 2
land[reserves == 2] = land[reserves == 2] // 2 + np.array([0, 60, 0], dtype=np.uint8)
height = combined.size[1]
picture = Image.new("RGB", (2 * combined.size[0], height))
for k, image in enumerate((combined, Image.fromarray(land))):
    draw = ImageDraw.Draw(image)
    for name, colour in zip(sorted(glob.glob(work + "/route*.txt")), [(255, 0, 255), (0, 255, 255)]):
        points = [tuple(map(int, line.split())) for line in open(name)]
        draw.line([(x, height - 1 - y) for x, y in points], fill=colour, width=3)  # row 0 is the bottom line
    picture.paste(image, (k * combined.size[0], 0))
picture.save(out)
PY
