#!/usr/bin/python3
"""Generates the sample project of examples/sample: five theme images, the
slope image with its header and the project file sample.vrk.

    /usr/bin/python3 tools/gensample.py [output folder]   (default examples/sample)

The landscape is deterministic: every random number comes from one PCG64
stream with a fixed seed, and the arithmetic on whole rasters uses only
+, -, *, / and sqrt (correctly rounded everywhere), so that the files come out
the same byte for byte on every run. Arrays are indexed [y, x] with row 0 the
bottom line, as in the program; they are flipped only when written.
"""
import heapq
import math
import os
import sys

import numpy as np
from numpy.random import Generator, PCG64
from PIL import Image

W, H = 1000, 800
PIXEL = 25.0  # metres
LEFT, BOTTOM = 500000, 4100000
SEED = 20261210

ROAD_STEP = 4  # grid step (pixels) of the road planner


# ---------------------------------------------------------------- noise

def value_noise(rng, cell, octaves=4, persistence=0.5):
    """Smooth fractal value noise in 0..1: random lattice values every `cell`
    pixels, blended with a quintic fade, summed over octaves."""
    total = np.zeros((H, W))
    amplitude, norm = 1.0, 0.0
    for _ in range(octaves):
        gw, gh = W // cell + 2, H // cell + 2
        lattice = rng.random((gh, gw))
        xs = np.arange(W) / cell
        ys = np.arange(H) / cell
        x0 = xs.astype(int)
        y0 = ys.astype(int)
        fx = fade(xs - x0)[None, :]
        fy = fade(ys - y0)[:, None]
        a = lattice[y0][:, x0]
        b = lattice[y0][:, x0 + 1]
        c = lattice[y0 + 1][:, x0]
        d = lattice[y0 + 1][:, x0 + 1]
        top = a + (b - a) * fx
        bottom = c + (d - c) * fx
        total += amplitude * (top + (bottom - top) * fy)
        norm += amplitude
        amplitude *= persistence
        cell = max(cell // 2, 2)
    return total / norm


def fade(t):
    return t * t * t * (t * (t * 6 - 15) + 10)


def noise_1d(rng, count, cell):
    """A smooth random sequence of `count` values in -1..1 (Python floats)."""
    knots = [rng.random() * 2 - 1 for _ in range(count // cell + 2)]
    out = []
    for k in range(count):
        i, f = divmod(k / cell, 1.0)
        i = int(i)
        f = f * f * (3 - 2 * f)
        out.append(knots[i] + (knots[i + 1] - knots[i]) * f)
    return out


# ---------------------------------------------------------------- geometry

def distance_to_polylines(polylines, limit):
    """Distance in pixels from every pixel to the nearest polyline, capped at
    `limit`: each segment is measured only inside its box grown by `limit`."""
    dist = np.full((H, W), float(limit))
    for line in polylines:
        for (ax, ay), (bx, by) in zip(line, line[1:]):
            x_lo = max(int(min(ax, bx) - limit), 0)
            x_hi = min(int(max(ax, bx) + limit) + 2, W)
            y_lo = max(int(min(ay, by) - limit), 0)
            y_hi = min(int(max(ay, by) + limit) + 2, H)
            if x_lo >= x_hi or y_lo >= y_hi:
                continue
            px = np.arange(x_lo, x_hi, dtype=float)[None, :]
            py = np.arange(y_lo, y_hi, dtype=float)[:, None]
            dx, dy = bx - ax, by - ay
            length2 = dx * dx + dy * dy
            if length2 > 0:
                t = np.clip(((px - ax) * dx + (py - ay) * dy) / length2, 0.0, 1.0)
            else:
                t = np.zeros((1, 1))
            ex = px - (ax + t * dx)
            ey = py - (ay + t * dy)
            d = np.sqrt(ex * ex + ey * ey)
            view = dist[y_lo:y_hi, x_lo:x_hi]
            np.minimum(view, d, out=view)
    return dist


def meander(rng, start, end, steps, amplitude, cell):
    """A polyline from start to end whose points wander sideways smoothly."""
    (sx, sy), (ex, ey) = start, end
    nx, ny = -(ey - sy), ex - sx
    norm = math.hypot(nx, ny)
    nx, ny = nx / norm, ny / norm
    wobble = noise_1d(rng, steps + 1, cell)
    points = []
    for k in range(steps + 1):
        t = k / steps
        taper = math.sin(math.pi * t) if 0 < t < 1 else 0.0
        off = amplitude * wobble[k] * (0.3 + 0.7 * taper)
        points.append((sx + (ex - sx) * t + nx * off, sy + (ey - sy) * t + ny * off))
    return points


def blob(rng, cx, cy, radius, roughness):
    """A round patch with a ragged border, as a boolean raster."""
    field = value_noise(rng, 32, octaves=4)
    xs = np.arange(W, dtype=float)[None, :] - cx
    ys = np.arange(H, dtype=float)[:, None] - cy
    d = np.sqrt(xs * xs + ys * ys)
    return d < radius * (1 + roughness * (field * 2 - 1))


def ellipse(cx, cy, rx, ry, angle_deg, ragged):
    """A tilted ellipse with a ragged border (ragged: noise field -1..1)."""
    c, s = math.cos(math.radians(angle_deg)), math.sin(math.radians(angle_deg))
    xs = np.arange(W, dtype=float)[None, :] - cx
    ys = np.arange(H, dtype=float)[:, None] - cy
    u = (xs * c + ys * s) / rx
    v = (-xs * s + ys * c) / ry
    return u * u + v * v < (1 + 0.12 * ragged) ** 2


def steps_from(mask, limit):
    """How many 4-neighbour steps each pixel lies from the mask, capped at limit."""
    steps = np.full((H, W), float(limit))
    reached = mask.copy()
    steps[reached] = 0
    for k in range(1, limit):
        reached = dilate(reached, 1)
        steps[reached & (steps > k)] = k
    return steps


def hill_bumps(rng, count):
    """Steep round hills in metres: count bumps h / (1 + (d / s)^2)^2 of
    height h 250..650 m and spread s 14..34 pixels at random places."""
    total = np.zeros((H, W))
    xs = np.arange(W, dtype=float)[None, :]
    ys = np.arange(H, dtype=float)[:, None]
    for _ in range(count):
        cx, cy = rng.random() * W, rng.random() * H
        height, spread = 250 + 400 * rng.random(), 14 + 20 * rng.random()
        q = ((xs - cx) * (xs - cx) + (ys - cy) * (ys - cy)) / (spread * spread)
        total += height / ((1 + q) * (1 + q))
    return total


def dilate(mask, steps):
    out = mask.copy()
    for _ in range(steps):
        grown = out.copy()
        grown[1:, :] |= out[:-1, :]
        grown[:-1, :] |= out[1:, :]
        grown[:, 1:] |= out[:, :-1]
        grown[:, :-1] |= out[:, 1:]
        out = grown
    return out


# ---------------------------------------------------------------- terrain

def slope_degrees_byte(elevation):
    """Slope as the byte of slope.png (0..255 for 0..90 degrees), from
    central differences; thresholds from scalar math.tan, so the raster
    arithmetic stays exact."""
    gx = np.zeros((H, W))
    gy = np.zeros((H, W))
    gx[:, 1:-1] = (elevation[:, 2:] - elevation[:, :-2]) / (2 * PIXEL)
    gx[:, 0], gx[:, -1] = gx[:, 1], gx[:, -2]
    gy[1:-1, :] = (elevation[2:, :] - elevation[:-2, :]) / (2 * PIXEL)
    gy[0, :], gy[-1, :] = gy[1, :], gy[-2, :]
    gradient = np.sqrt(gx * gx + gy * gy)
    # byte b stands for b * 90 / 255 degrees; round to the nearest byte
    edges = [math.tan(math.radians((b + 0.5) * 90 / 255)) for b in range(254)]
    return np.searchsorted(np.array(edges), gradient).astype(np.uint8)


def degrees_of_byte(byte):
    return byte * 90.0 / 255.0


# ---------------------------------------------------------------- roads

def plan_road(cost, start, goal):
    """Least-cost 8-neighbour path on the coarse grid (Dijkstra)."""
    gh, gw = cost.shape
    best = {start: 0.0}
    came = {}
    heap = [(0.0, start)]
    steps = [(1, 0, 1.0), (-1, 0, 1.0), (0, 1, 1.0), (0, -1, 1.0),
             (1, 1, math.sqrt(2)), (1, -1, math.sqrt(2)), (-1, 1, math.sqrt(2)), (-1, -1, math.sqrt(2))]
    while heap:
        c, node = heapq.heappop(heap)
        if node == goal:
            break
        if c > best[node]:
            continue
        x, y = node
        for dx, dy, length in steps:
            nx, ny = x + dx, y + dy
            if 0 <= nx < gw and 0 <= ny < gh:
                nc = c + length * 0.5 * (cost[y, x] + cost[ny, nx])
                if nc < best.get((nx, ny), math.inf):
                    best[(nx, ny)] = nc
                    came[(nx, ny)] = node
                    heapq.heappush(heap, (nc, (nx, ny)))
    path = [goal]
    while path[-1] != start:
        path.append(came[path[-1]])
    path.reverse()
    return path


def smooth(points, passes=2):
    for _ in range(passes):
        points = [points[0]] + [((a[0] + 2 * b[0] + c[0]) / 4, (a[1] + 2 * b[1] + c[1]) / 4)
                                for a, b, c in zip(points, points[1:], points[2:])] + [points[-1]]
    return points


# ---------------------------------------------------------------- the landscape

def build():
    # one stream per feature, so that retuning one feature leaves the others alone
    def stream(feature):
        return Generator(PCG64([SEED, feature]))

    # rivers: a main river from the north-west to the east, a tributary from the north
    main_river = meander(stream(1), (-10, 700), (1010, 260), 260, 70, 24)
    join = main_river[150]
    tributary = meander(stream(2), (760, 810), join, 120, 40, 20)
    rivers = [main_river, tributary]
    river_dist = distance_to_polylines(rivers, 120)

    # elevation in metres: rolling noise, higher to the south-west and north-east, valleys along the rivers
    hills = value_noise(stream(3), 160, octaves=5, persistence=0.5)
    ridges = value_noise(stream(4), 90, octaves=3, persistence=0.45)
    peaks = hill_bumps(stream(5), 16)
    xs = np.arange(W, dtype=float)[None, :] / W
    ys = np.arange(H, dtype=float)[:, None] / H
    elevation = peaks + 180 + 600 * hills + 420 * ridges * ridges + 60 * (xs - ys) * (xs - ys)
    valley = river_dist / 110.0
    valley = np.where(valley < 1, (1 - valley * valley) ** 2, 0.0)
    floor = 150 + 40 * xs  # the river runs downhill to the east
    elevation = elevation + (floor - elevation) * valley * 0.85

    # lakes along the main river and one in the hills, each held level at the
    # height of its centre, with banks that rise gently over 20 pixels
    lake_sites = [(main_river[60], 26, 0.35), (main_river[205], 20, 0.3), ((180, 200), 22, 0.35)]
    lakes = np.zeros((H, W), dtype=bool)
    for site, ((cx, cy), radius, roughness) in enumerate(lake_sites):
        lake = blob(stream(10 + site), cx, cy, radius, roughness)
        level = elevation[int(cy), int(cx)]
        bank = steps_from(lake, 20) / 20.0
        weight = (1 - bank) * (1 - bank)
        elevation = elevation + (level - elevation) * weight
        lakes |= lake
    near_lake = dilate(lakes, 6)
    lake_steps = steps_from(lakes, 50)

    slope = slope_degrees_byte(elevation)
    degrees = degrees_of_byte(slope.astype(float))

    # water: the main river widens downstream; the tributary is narrow
    width = np.full((H, W), 1.6)
    width += 1.4 * xs * np.ones((H, 1))
    main_dist = distance_to_polylines([main_river], 10)
    trib_dist = distance_to_polylines([tributary], 10)
    water = (main_dist < width) | (trib_dist < 1.3) | lakes

    # nature reserves across the diagonal, so that a corner-to-corner route must go round
    ragged = value_noise(stream(6), 24, octaves=2) * 2 - 1
    reserve = ellipse(520, 410, 190, 70, -40, ragged) | ellipse(250, 560, 70, 45, 20, ragged)
    buffer_zone = dilate(reserve, 12) & ~reserve

    # towns on flat dry ground, away from the reserves and from each other
    towns = []
    rng = stream(30)
    candidates = [(int(rng.random() * (W - 120)) + 60, int(rng.random() * (H - 120)) + 60) for _ in range(400)]
    for x, y in candidates:
        if len(towns) == 6:
            break
        if degrees[y, x] > 6 or river_dist[y, x] < 18 or buffer_zone[y, x] or reserve[y, x] or lake_steps[y, x] < 50:
            continue
        if any(math.hypot(x - tx, y - ty) < 220 for tx, ty, _ in towns):
            continue
        towns.append((x, y, 22 + int(rng.random() * 18)))
    urban = np.zeros((H, W), dtype=bool)
    town_noise = value_noise(stream(7), 10, octaves=2) * 2 - 1
    for x, y, radius in towns:
        px = np.arange(W, dtype=float)[None, :] - x
        py = np.arange(H, dtype=float)[:, None] - y
        urban |= np.sqrt(px * px + py * py) < radius * (1 + 0.35 * town_noise)
    urban &= ~water & ~reserve

    # roads: planned on a coarse grid over slope, crossing water only where they must (bridges)
    grid = (slice(ROAD_STEP // 2, None, ROAD_STEP), slice(ROAD_STEP // 2, None, ROAD_STEP))
    road_cost = 1 + (degrees[grid] / 6.0) ** 2
    road_cost = road_cost + np.where(water[grid], 60.0, 0.0) + np.where(near_lake[grid], 400.0, 0.0)
    road_cost = road_cost + np.where(reserve[grid], 2000.0, 0.0)
    links = spanning_links(towns)
    roads = []
    for a, b in links:
        start = (towns[a][0] // ROAD_STEP, towns[a][1] // ROAD_STEP)
        goal = (towns[b][0] // ROAD_STEP, towns[b][1] // ROAD_STEP)
        cells = plan_road(road_cost, start, goal)
        for cx, cy in cells:  # later roads prefer to share earlier ones
            road_cost[cy, cx] = min(road_cost[cy, cx], 0.7)
        roads.append(smooth([(cx * ROAD_STEP + ROAD_STEP // 2, cy * ROAD_STEP + ROAD_STEP // 2)
                             for cx, cy in cells]))
    # through roads leaving the area at the west and east edges, from the nearest town
    for edge_start in ((0, 120), (W - 1, 680)):
        near = min(range(len(towns)), key=lambda k: math.hypot(towns[k][0] - edge_start[0],
                                                                 towns[k][1] - edge_start[1]))
        cells = plan_road(road_cost, (edge_start[0] // ROAD_STEP, edge_start[1] // ROAD_STEP),
                          (towns[near][0] // ROAD_STEP, towns[near][1] // ROAD_STEP))
        for cx, cy in cells:
            road_cost[cy, cx] = min(road_cost[cy, cx], 0.7)
        roads.append(smooth([(cx * ROAD_STEP + ROAD_STEP // 2, cy * ROAD_STEP + ROAD_STEP // 2)
                             for cx, cy in cells]))
    road_dist = distance_to_polylines(roads, 1000 / PIXEL + 2) * PIXEL

    # land use
    patches = value_noise(stream(8), 40, octaves=3)
    wet = value_noise(stream(9), 20, octaves=2)
    water_steps = steps_from(water, 20)
    landuse = np.full((H, W), FARMLAND, dtype=np.uint8)
    high = np.quantile(elevation, 0.7)
    forest = (elevation > high + 120 * (patches - 0.5)) | (degrees > 12) | (patches > 0.72)
    landuse[forest] = FOREST
    landuse[reserve & (patches > 0.3)] = FOREST
    landuse[(water_steps < 30 * (wet - 0.3)) & (degrees < 6) & ~water] = WETLAND
    landuse[urban] = URBAN
    landuse[water] = WATER

    # soils: alluvium in the valleys, rock on steep ground, the rest from a coarse noise field
    soil_field = value_noise(stream(20), 120, octaves=3)
    soils = np.full((H, W), LOAM, dtype=np.uint8)
    soils[soil_field < 0.42] = CLAY
    soils[soil_field > 0.6] = SAND
    soils[(river_dist < 30 + 25 * soil_field) | near_lake] = ALLUVIUM
    soils[degrees > 16] = ROCK

    # slope classes from the slope image's own bytes
    slope_classes = np.full((H, W), 1, dtype=np.uint8)
    for index, (low, _high) in enumerate(SLOPE_BANDS):
        slope_classes[degrees >= low] = index + 1

    distance_classes = np.full((H, W), 1, dtype=np.uint8)
    for index, (low, _high) in enumerate(DISTANCE_BANDS):
        distance_classes[road_dist >= low] = index + 1

    protection = np.full((H, W), 1, dtype=np.uint8)
    protection[buffer_zone] = 3
    protection[reserve] = 2

    return {
        "landuse": landuse, "roads": distance_classes, "protected": protection,
        "soils": soils, "slopeclasses": slope_classes, "slope": slope,
    }


def spanning_links(towns):
    """Links of the minimum spanning tree of the towns (Prim), plus the
    shortest link that closes a loop, so that the network has one ring."""
    n = len(towns)
    dist = lambda a, b: math.hypot(towns[a][0] - towns[b][0], towns[a][1] - towns[b][1])
    inside, links = {0}, []
    while len(inside) < n:
        a, b = min(((a, b) for a in inside for b in range(n) if b not in inside), key=lambda ab: dist(*ab))
        links.append((a, b))
        inside.add(b)
    extra = [(a, b) for a in range(n) for b in range(a + 1, n) if (a, b) not in links and (b, a) not in links]
    if extra:
        links.append(min(extra, key=lambda ab: dist(*ab)))
    return links


# ---------------------------------------------------------------- themes and classes

FOREST, FARMLAND, URBAN, WATER, WETLAND = 1, 2, 3, 4, 5
ALLUVIUM, LOAM, CLAY, SAND, ROCK = 1, 2, 3, 4, 5
SLOPE_BANDS = [(0, 5), (5, 10), (10, 20), (20, 30), (30, 90)]
DISTANCE_BANDS = [(0, 100), (100, 300), (300, 1000), (1000, None)]
IMPASSABLE = 100000

# Theme weights are shares that add up to 1 and class weights lie on a
# 0 to 10 scale, so a pixel's combined cost is a weighted mean between 0 and
# 10 per metre: a route of 30 to 40 km then stays far below the ceiling of
# 100000 that the search treats as impassable.
# name, map, theme weight, classes (colorindex, weight, description, colour)
THEMES = [
    ("Land use", "landuse", 0.4, [
        (FOREST, 3, "Forest", (46, 125, 50)),
        (FARMLAND, 0.5, "Farmland", (236, 216, 140)),
        (URBAN, 10, "Urban", (198, 62, 58)),
        (WATER, 8, "Water", (52, 110, 214)),
        (WETLAND, 6, "Wetland", (120, 196, 180)),
    ]),
    ("Distance to roads", "roads", 0.15, [
        (1, 0.5, "0-100 m", (90, 40, 20)),
        (2, 1, "100-300 m", (170, 100, 60)),
        (3, 2, "300-1000 m", (225, 175, 120)),
        (4, 3, "> 1000 m", (248, 236, 214)),
    ]),
    ("Protected areas", "protected", 0.1, [
        (1, 0, "Unprotected", (240, 240, 240)),
        (2, IMPASSABLE, "Nature reserve", (30, 100, 40)),
        (3, 4, "Reserve buffer zone", (160, 210, 120)),
    ]),
    ("Soils", "soils", 0.1, [
        (ALLUVIUM, 2, "Alluvium", (110, 150, 200)),
        (LOAM, 0.5, "Loam", (190, 150, 90)),
        (CLAY, 1, "Clay", (160, 90, 60)),
        (SAND, 0.8, "Sand", (240, 220, 130)),
        (ROCK, 3, "Rock", (130, 130, 130)),
    ]),
    ("Slope", "slopeclasses", 0.25, [
        (1, 0.5, "0-5 degrees", (255, 255, 204)),
        (2, 1.5, "5-10 degrees", (194, 230, 153)),
        (3, 4, "10-20 degrees", (120, 198, 121)),
        (4, 8, "20-30 degrees", (230, 120, 50)),
        (5, 10, "> 30 degrees", (150, 30, 30)),
    ]),
]
THEME_FILE = "themes/%s.png"
SLOPE_HEADER = "0 255 0 90\n"


def save_palette_png(raster, colours, path):
    """Writes an 8-bit palette PNG; the palette always has 256 entries so the
    file stays 8 bits deep. Row 0 of the raster is the bottom line."""
    image = Image.fromarray(np.flipud(raster).astype(np.uint8), mode="P")
    palette = [0] * 768
    for index, rgb in colours.items():
        palette[3 * index:3 * index + 3] = rgb
    image.putpalette(palette)
    image.save(path, format="PNG", optimize=False)


def lua_string(text):
    return '"' + text.replace("\\", "\\\\").replace('"', '\\"') + '"'


def project_text():
    right, top = LEFT + int(W * PIXEL), BOTTOM + int(H * PIXEL)
    lines = [
        "-- Varko project",
        "return {",
        '  format = "Varko project", version = 1,',
        "  StudyArea = { left = %d, right = %d, bottom = %d, top = %d }," % (LEFT, right, BOTTOM, top),
        "  Scale = { sx = %g, sy = %g }," % (PIXEL, PIXEL),
        "  Dimension = { w = %d, h = %d }," % (W, H),
        "  WeightLimits = { minWeight = 0, maxWeight = %d }," % IMPASSABLE,
        "  i = %d, r = %d, slopeDataFormat = 0," % (SEARCH_RADIUS, SEARCH_STEP),
        '  Slope = { file = "slope.png" },',
        "  Themes = {",
    ]
    for name, map_name, weight, classes in THEMES:
        lines.append("    { name = %s, map = %s, weight = %g, file = %s," % (
            lua_string(name), lua_string(map_name), weight, lua_string(THEME_FILE % map_name)))
        lines.append("      Classes = {")
        for index, class_weight, description, _rgb in classes:
            lines.append("        { colorindex = %d, weight = %g, description = %s }," % (
                index, class_weight, lua_string(description)))
        lines.append("      } },")
    lines.append("  },")
    lines.append("}")
    return "\n".join(lines) + "\n"


SEARCH_STEP = 5    # r: grid step in pixels
SEARCH_RADIUS = 3  # i: neighbourhood radius in grid nodes


def main():
    out = sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(os.path.abspath(__file__)),
                                                           "..", "examples", "sample")
    os.makedirs(os.path.join(out, "themes"), exist_ok=True)
    rasters = build()
    for _name, map_name, _weight, classes in THEMES:
        colours = {index: rgb for index, _w, _d, rgb in classes}
        save_palette_png(rasters[map_name], colours, os.path.join(out, THEME_FILE % map_name))
    grey = {v: (v, v, v) for v in range(256)}
    save_palette_png(rasters["slope"], grey, os.path.join(out, "slope.png"))
    with open(os.path.join(out, "slope.hdr"), "w", newline="\n") as f:
        f.write(SLOPE_HEADER)
    with open(os.path.join(out, "sample.vrk"), "w", newline="\n") as f:
        f.write(project_text())


if __name__ == "__main__":
    main()
