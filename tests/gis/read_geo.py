#!/usr/bin/python3
"""Reads a raster or vector file with GDAL/OGR and prints what the geodata
script test compares, one item per line.

  read_geo.py raster FILE   -> "size W H", "gt g0 .. g5", "colours N",
                               "alpha 0|1", then "row v v v" top row first
                               (band 1; with alpha, "mask m m m" rows follow)
  read_geo.py vector FILE   -> "crs AUTH CODE" then per feature
                               "feature NAME", "field KEY VALUE", "vertex X Y"
"""
import sys
from osgeo import gdal, ogr

gdal.UseExceptions()


def raster(path):
    ds = gdal.Open(path)
    band = ds.GetRasterBand(1)
    print("size", ds.RasterXSize, ds.RasterYSize)
    print("gt", " ".join(repr(g) for g in ds.GetGeoTransform()))
    table = band.GetColorTable()
    print("colours", table.GetCount() if table else 0)
    rows = band.ReadAsArray().tolist()
    for row in rows:
        print("row", " ".join(str(int(v)) for v in row))
    if ds.RasterCount > 1:
        for row in ds.GetRasterBand(ds.RasterCount).ReadAsArray().tolist():
            print("mask", " ".join(str(int(v)) for v in row))


def vector(path):
    ds = ogr.Open(path)
    layer = ds.GetLayer(0)
    srs = layer.GetSpatialRef()
    if srs is not None:
        srs.AutoIdentifyEPSG()
        print("crs", srs.GetAuthorityName(None), srs.GetAuthorityCode(None))
    definition = layer.GetLayerDefn()
    for feature in layer:
        print("feature", feature.GetField("name"))
        for i in range(definition.GetFieldCount()):
            name = definition.GetFieldDefn(i).GetName()
            value = feature.GetField(i) if feature.IsFieldSetAndNotNull(i) else "null"
            print("field", name, repr(value) if isinstance(value, float) else value)
        geometry = feature.GetGeometryRef()
        if geometry is not None:
            for x, y in geometry.GetPoints():
                print("vertex", repr(x), repr(y))


{"raster": raster, "vector": vector}[sys.argv[1]](sys.argv[2])
