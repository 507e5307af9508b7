#!/usr/bin/env python3
"""CostSurface (bench_route's BM_PeerCostSurface) against scikit-image's MCP_Geometric
full surface on the same n x n cost raster, from the same corner, in one run:
the computation's time inside each process and each process's peak memory,
and the largest relative difference between the two surfaces.
Usage: cost_surface_peer.py <build dir> [size]

At 4000 x 4000 on two shared cores (RelWithDebInfo, other builds running):
CostSurface 2.68 s and 175 MiB peak at radius 1 (4.91 s at radius 2),
MCP_Geometric 78.0 s and 1254 MiB: 29x faster in 0.14 of the memory; every
cell reached by both, the largest relative difference 1.2e-5 (the search
keeps its costs in single precision, MCP_Geometric in double)."""
import os, subprocess, sys, tempfile, time
import numpy as np

build, n = sys.argv[1], int(sys.argv[2]) if len(sys.argv) > 2 else 4000
work = tempfile.mkdtemp(prefix="surface_peer_")
rng = np.random.default_rng(7)
# blocks of 16 x 16 random values, a few of them impassable
blocks = rng.integers(0, 255, size=(n // 16 + 1, n // 16 + 1), dtype=np.uint8)
values = np.repeat(np.repeat(blocks, 16, axis=0), 16, axis=1)[:n, :n].copy()
values[values > 245] = 255
values[:16, :16] = 0  # the source stands on open ground
scale, offset = 0.01, 1.0
raster = os.path.join(work, "values.u8")
values.tofile(raster)
ours_out = os.path.join(work, "ours.f32")


def run(cmd, env=None):
    """Output and peak resident memory (KiB) of a child process."""
    out = subprocess.run(["/usr/bin/time", "-f", "%M"] + cmd, env=env, capture_output=True, text=True)
    if out.returncode != 0:
        sys.exit(out.stdout + out.stderr)
    return out.stdout, int(out.stderr.strip().splitlines()[-1])


env = dict(os.environ, VARKO_PEER_RASTER=raster, VARKO_PEER_SIZE=str(n), VARKO_PEER_SCALE=str(scale),
           VARKO_PEER_OFFSET=str(offset), VARKO_PEER_SURFACE=ours_out)
bench = os.path.join(build, "bench", "bench_route")
ours = {}
for radius in (1, 2):
    text, peak = run([bench, f"--benchmark_filter=BM_PeerCostSurface/{radius}/",
                      "--benchmark_format=csv"], env)
    line = [l for l in text.splitlines() if l.startswith('"BM_PeerCostSurface')][0]
    ms = float(line.split(",")[3])  # real_time, in the benchmark's unit (ms)
    ours[radius] = (ms / 1000, peak)
    print(f"CostSurface r=1 i={radius}: {ms / 1000:.2f} s, peak {peak / 1024:.0f} MiB")
    if radius == 1:
        surface = np.fromfile(ours_out, dtype=np.float32).reshape(n, n)

theirs_out = os.path.join(work, "theirs.npy")
script = f"""
import time, numpy as np
from skimage.graph import MCP_Geometric
values = np.fromfile({raster!r}, dtype=np.uint8).reshape({n}, {n})
costs = values * {scale!r} + {offset!r}
costs[values == 255] = np.inf
del values
start = time.perf_counter()
cumulative, _ = MCP_Geometric(costs, fully_connected=True).find_costs([(0, 0)])
print(time.perf_counter() - start)
np.save({theirs_out!r}, cumulative)
"""
text, peak = run(["/usr/bin/python3", "-c", script])
seconds = float(text.split()[0])
print(f"MCP_Geometric: {seconds:.2f} s, peak {peak / 1024:.0f} MiB")
print(f"ratio (r=1 i=1): time {seconds / ours[1][0]:.1f}x faster, memory {ours[1][1] / peak:.2f} of the peer's")
theirs = np.load(theirs_out)
reached = np.isfinite(theirs) & (surface < 100000)
a, b = surface[reached].astype(np.float64), theirs[reached]
rel = np.abs(a - b) / np.maximum(np.maximum(a, b), 1e-300)
print(f"cells compared {reached.sum()}, unreached by one only {int((np.isfinite(theirs) != (surface < 100000)).sum())}, "
      f"largest relative difference {rel.max():.3g}")
