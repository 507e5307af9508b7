"""Writes a W x H project of six themes into a folder (bench/workflow.sh):
themes/t1.png .. t6.png, 8-bit images of eight classes each (smooth fields
with noise, every theme different), and big.vrk naming them."""
import os
import sys

import numpy as np
from PIL import Image


def main():
    folder, w, h = sys.argv[1], int(sys.argv[2]), int(sys.argv[3])
    os.makedirs(os.path.join(folder, "themes"), exist_ok=True)
    rng = np.random.default_rng(7)
    y, x = np.mgrid[0:h, 0:w].astype(np.float32)
    themes = []
    for t in range(6):
        fx, fy = rng.uniform(2, 9, 2) * np.pi / max(w, h)
        field = np.sin(x * fx + t) + np.cos(y * fy - t) + rng.normal(0, 0.15, (h, w)).astype(np.float32)
        classes = np.clip(((field + 2.5) / 5 * 8).astype(np.int32), 0, 7).astype(np.uint8)
        image = Image.fromarray(classes, "P")
        palette = []
        for c in range(256):
            palette += [(c * 37 + t * 50) % 256, (c * 91 + 30) % 256, (c * 53 + t * 20) % 256]
        image.putpalette(palette)
        name = "themes/t%d.png" % (t + 1)
        image.save(os.path.join(folder, name))
        # small weights: a route's cost must stay below 100000 (the ceiling that
        # stands for impassable) across the whole raster
        weights = [0.01, 0.02, 0.03, 0.05, 0.08, 0.13, 0.21, 0.34]
        cls = ",\n".join('      { colorindex = %d, weight = %g, description = "Class %d" }' % (c, weights[c], c)
                         for c in range(8))
        themes.append('    { name = "Theme %d", map = "Theme %d", weight = 1, file = "%s", Classes = {\n%s } }'
                      % (t + 1, t + 1, name, cls))
    with open(os.path.join(folder, "big.vrk"), "w") as f:
        f.write("return {\n  format = \"Varko project\", version = 1,\n")
        f.write("  StudyArea = { left = 0, right = %d, bottom = 0, top = %d },\n" % (w * 25, h * 25))
        f.write("  Scale = { sx = 25, sy = 25 }, Dimension = { w = %d, h = %d },\n" % (w, h))
        f.write("  WeightLimits = { minWeight = 0, maxWeight = 100 }, i = 3, r = 4, slopeDataFormat = -1,\n")
        f.write("  Themes = {\n%s },\n  Paths = {},\n}\n" % ",\n".join(themes))


if __name__ == "__main__":
    main()
