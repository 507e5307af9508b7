#!/usr/bin/env python3
"""MinimumPath at r = 1 corner to corner against scikit-image's MCP_Geometric
and GRASS r.cost on the same per-pixel cost raster (quantised values turned
back into costs). Prints time and peak-memory ratios.
Usage: route_peer.py <build dir> [size]"""
import os, subprocess, sys, tempfile, time, resource
import numpy as np

build, n = sys.argv[1], int(sys.argv[2]) if len(sys.argv) > 2 else 4000
work = tempfile.mkdtemp(prefix="route_peer_")
rng = np.random.default_rng(42)
coarse = rng.integers(0, 255, size=(n // 16 + 1, n // 16 + 1), dtype=np.uint8)
values = np.kron(coarse, np.ones((16, 16), dtype=np.uint8))[:n, :n].copy()
values[values > 240] = 255  # impassable blobs
values[:16, :16] = values[-16:, -16:] = 0  # both route ends in open blocks: a walled-in corner leaves no route
scale, offset = 0.01, 1.0  # a corner-to-corner route stays below the 100000 cost ceiling
raster = os.path.join(work, "values.u8")
values.tofile(raster)
costs = values.astype(np.float64) * scale + offset
costs[values == 255] = np.inf


def measured(cmd, env=None):
    """Wall time and peak resident memory (KiB) of a child process."""
    start = time.perf_counter()
    out = subprocess.run(["/usr/bin/time", "-f", "%M"] + cmd, env=env, capture_output=True, text=True)
    elapsed = time.perf_counter() - start
    peak = int(out.stderr.strip().splitlines()[-1])
    return elapsed, peak, out


env = dict(os.environ, VARKO_PEER_RASTER=raster, VARKO_PEER_SIZE=str(n), VARKO_PEER_SCALE=str(scale),
           VARKO_PEER_OFFSET=str(offset))
ours = {}
for radius in (1, 2):
    t, m, out = measured([os.path.join(build, "bench", "bench_route"), f"--benchmark_filter=BM_PeerCornerToCorner/{radius}/"], env)
    ours[radius] = (t, m)
    print(f"varko r=1 i={radius}: {t:.2f} s, peak {m / 1024:.0f} MiB")

np.save(os.path.join(work, "costs.npy"), costs)
script = f"""
import numpy as np
from skimage.graph import MCP_Geometric
c = np.load({os.path.join(work, 'costs.npy')!r})
m = MCP_Geometric(c, fully_connected=True)
m.find_costs([(0, 0)], [({n - 1}, {n - 1})])
"""
t, m, _ = measured([sys.executable, "-c", script])
print(f"MCP_Geometric: {t:.2f} s, peak {m / 1024:.0f} MiB; ratio time {t / ours[1][0]:.1f}x, memory {ours[1][1] / m:.2f}")

if subprocess.run(["which", "grass"], capture_output=True).returncode == 0:
    ascii_grid = os.path.join(work, "cost.asc")
    with open(ascii_grid, "w") as f:
        f.write(f"north: {n}\nsouth: 0\neast: {n}\nwest: 0\nrows: {n}\ncols: {n}\nnull: *\n")
        for row in costs[::-1]:
            f.write(" ".join("*" if not np.isfinite(v) else f"{v:g}" for v in row) + "\n")
    for radius, knight in ((1, ""), (2, "-k")):
        # only r.cost itself is timed, not the session start or the import
        timing = os.path.join(work, f"rcost{radius}.time")
        cmd = ["grass", "--tmp-location", "XY", "--exec", "bash", "-c",
               f"r.in.ascii input={ascii_grid} output=c >/dev/null 2>&1 && g.region raster=c && "
               f"/usr/bin/time -f '%e %M' -o {timing} "
               f"r.cost {knight} input=c output=acc start_coordinates=0.5,{n - 0.5} stop_coordinates={n - 0.5},0.5 --quiet"]
        subprocess.run(cmd, capture_output=True)
        try:
            t, m = (float(v) for v in open(timing).read().split()[-2:])
        except (OSError, ValueError):
            print(f"r.cost i={radius}: did not run")
            continue
        print(f"r.cost i={radius}: {t:.2f} s, peak {m / 1024:.0f} MiB; ratio time {t / ours[radius][0]:.1f}x, "
              f"memory {ours[radius][1] / m:.2f}")
else:
    print("GRASS not installed: r.cost skipped")
