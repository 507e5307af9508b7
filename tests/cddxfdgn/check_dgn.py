"""Reads a DGN file with GDAL/OGR and prints one line per feature in file
order: "feature type=T color=C rgb=#RRGGBB fill=0|1 text=... geometry=WKT".
Exit status 2 when OGR cannot open the file."""
import re
import sys

from osgeo import ogr

ogr.UseExceptions()


def main():
    try:
        source = ogr.Open(sys.argv[1])
    except Exception as error:
        print("read_error", error)
        return 2
    if source is None:
        print("read_error none")
        return 2
    layer = source.GetLayer(0)
    for feature in layer:
        style = feature.GetStyleString() or ""
        fill = re.search(r"fc:#([0-9a-fA-F]{6})", style)
        pen = re.search(r"\bc:#([0-9a-fA-F]{6})", style)
        rgb = (fill or pen).group(1).lower() if (fill or pen) else "none"
        geometry = feature.GetGeometryRef()
        wkt = geometry.ExportToIsoWkt() if geometry is not None else "none"
        text = feature.GetField("Text") if feature.GetField("Text") is not None else ""
        print("feature type=%d color=%d weight=%d style=%d rgb=#%s fill=%d text=%s geometry=%s" % (
            feature.GetField("Type"), feature.GetField("ColorIndex"), feature.GetField("Weight"),
            feature.GetField("Style"), rgb, 1 if fill else 0, text.replace(" ", "_"), wkt))
    return 0


sys.exit(main())
