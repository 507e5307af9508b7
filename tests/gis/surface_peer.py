#!/usr/bin/python3
"""Compares a cost surface written by ExportGeoRaster with scikit-image's
MCP_Geometric cumulative costs over the same cells.

  surface_peer.py COMBINED SURFACE SCALE OFFSET X,Y [X,Y ...]

COMBINED is the quantised combined theme (GeoTIFF, bytes), SURFACE the
Float32 surface; a cell of value v costs v * SCALE + OFFSET per unit length
and 255 is impassable. The sources are pixels with row 0 the bottom line.
MCP_Geometric charges a move between neighbours its length times the mean of
the two cells' costs, as the search does at step 1 and radius 1 (half of each
cell's crossing). Prints "cells N", "maxrel R" (the largest relative
difference where either cost is not 0), "start A B" (both costs at the first
source) and "unreached U" (cells unreached by one of the two but not both).
"""
import sys

import numpy as np
from osgeo import gdal
from skimage.graph import MCP_Geometric

gdal.UseExceptions()
combined_file, surface_file = gdal.Open(sys.argv[1]), gdal.Open(sys.argv[2])  # kept open for their bands
combined = combined_file.GetRasterBand(1).ReadAsArray()
band = surface_file.GetRasterBand(1)
ours = band.ReadAsArray().astype(np.float64)
nodata = band.GetNoDataValue()
scale, offset = float(sys.argv[3]), float(sys.argv[4])
h = combined.shape[0]
starts = []
for arg in sys.argv[5:]:
    x, y = (int(v) for v in arg.split(","))
    starts.append((h - 1 - y, x))  # file rows run from the top
costs = combined.astype(np.float64) * scale + offset
costs[combined == 255] = np.inf
theirs, _ = MCP_Geometric(costs, fully_connected=True).find_costs(starts)
reached_ours = ours != nodata
reached_theirs = np.isfinite(theirs)
both = reached_ours & reached_theirs
a, b = ours[both], theirs[both]
scale_of = np.maximum(np.abs(a), np.abs(b))
nonzero = scale_of > 0
rel = np.abs(a - b)[nonzero] / scale_of[nonzero]
print("cells", int(both.sum()))
print("maxrel", repr(float(rel.max()) if rel.size else 0.0))
print("start", repr(float(ours[starts[0]])), repr(float(theirs[starts[0]])))
print("unreached", int((reached_ours ^ reached_theirs).sum()))
