#!/usr/bin/env python3
"""A plain re-statement of the median cut with serpentine Floyd-Steinberg
dithering, used as the golden for imRGB2Map. Prints the palette size, the
palette (hex) and the map indices of the picture built by picture()."""
import sys

W, H, N = 12, 9, 6

def picture():
    return [((x * 23 + y * 5) % 256, (y * 29) % 256, (x * y * 7) % 256)
            for y in range(H) for x in range(W)]

def quantize(pixels, n):
    hist = {}
    for r, g, b in pixels:
        key = (r >> 3, g >> 2, b >> 3)
        hist[key] = min(hist.get(key, 0) + 1, 65535)
    scale = (16, 12, 8)

    def shrink(lo, hi):
        cells = [c for c in hist if all(lo[i] <= c[i] <= hi[i] for i in range(3))]
        lo = [min(c[i] for c in cells) for i in range(3)]
        hi = [max(c[i] for c in cells) for i in range(3)]
        norm = sum(((hi[i] - lo[i]) * scale[i]) ** 2 for i in range(3))
        return {"lo": lo, "hi": hi, "norm": norm, "pop": len(cells)}

    boxes = [shrink([0, 0, 0], [31, 63, 31])]
    while len(boxes) < n:
        candidates = [b for b in boxes if b["norm"] > 0]
        if not candidates:
            break
        key = "norm" if n < 2 * len(boxes) else "pop"
        box = max(candidates, key=lambda b: b[key])  # first one wins a tie
        sides = [(box["hi"][i] - box["lo"][i]) * scale[i] for i in range(3)]
        axis = 1
        if sides[0] > sides[axis]:
            axis = 0
        if sides[2] > sides[axis]:
            axis = 2
        mid = (box["lo"][axis] + box["hi"][axis]) // 2
        upper_lo = list(box["lo"]); upper_lo[axis] = mid + 1
        lower_hi = list(box["hi"]); lower_hi[axis] = mid
        index = boxes.index(box)
        boxes[index] = shrink(box["lo"], lower_hi)
        boxes.append(shrink(upper_lo, box["hi"]))
    palette = []
    for box in boxes:
        total, sums = 0, [0, 0, 0]
        for c, w in hist.items():
            if all(box["lo"][i] <= c[i] <= box["hi"][i] for i in range(3)):
                total += w
                centre = (8 * c[0] + 4, 4 * c[1] + 2, 8 * c[2] + 4)
                for i in range(3):
                    sums[i] += w * centre[i]
        palette.append(tuple((s + total // 2) // total for s in sums))

    def nearest(cell):
        centre = (8 * cell[0] + 4, 4 * cell[1] + 2, 8 * cell[2] + 4)
        dist = [(2 * (centre[0] - p[0])) ** 2 + (3 * (centre[1] - p[1])) ** 2 + (centre[2] - p[2]) ** 2
                for p in palette]
        return dist.index(min(dist))

    def limit(e):
        m = abs(e)
        m = m if m < 16 else 16 + (m - 16) // 2 if m <= 47 else 32
        return m if e >= 0 else -m

    out = [0] * (W * H)
    below = [[0, 0, 0] for _ in range(W + 2)]  # sixteenths for the line being made
    for y in range(H):
        here, below = below, [[0, 0, 0] for _ in range(W + 2)]
        d = 1 if y % 2 == 0 else -1
        carry = [0, 0, 0]
        for x in (range(W) if d == 1 else range(W - 1, -1, -1)):
            src = pixels[x + y * W]
            value = [min(255, max(0, src[c] + limit((here[x + 1][c] + carry[c] + 8) >> 4))) for c in range(3)]
            index = nearest((value[0] >> 3, value[1] >> 2, value[2] >> 3))
            out[x + y * W] = index
            for c in range(3):
                e = value[c] - palette[index][c]
                carry[c] = 7 * e
                below[x + 1 - d][c] += 3 * e
                below[x + 1][c] += 5 * e
                below[x + 1 + d][c] += e
    return palette, out

palette, indices = quantize(picture(), N)
print(len(palette))
print(" ".join("%06X" % (r << 16 | g << 8 | b) for r, g, b in palette))
print(" ".join(str(i) for i in indices))
