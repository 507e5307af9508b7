"""Reads a DXF file with ezdxf and prints what it holds, one line each:
"audit_errors N", then "entity KIND layer=L color=C ..." per entity in
file order, and with --render PNG "dark_pixels N" for the picture ezdxf's
own renderer draws of it. Exit status 2 when ezdxf cannot read the file."""
import sys

import ezdxf


def main():
    path = sys.argv[1]
    try:
        doc = ezdxf.readfile(path)
    except Exception as error:  # any reader failure is the finding
        print("read_error", type(error).__name__, error)
        return 2
    auditor = doc.audit()
    print("audit_errors", len(auditor.errors))
    for error in auditor.errors:
        print("audit_error", error.message)
    for e in doc.modelspace():
        d = e.dxf
        words = ["entity", e.dxftype(), "layer=%s" % d.layer, "color=%d" % d.color]
        kind = e.dxftype()
        if kind == "POLYLINE":
            words.append("ltype=%s" % d.get("linetype", "BYLAYER"))
            words.append("vertices=%d" % len(e))
            words.append("closed=%d" % int(e.is_closed))
            for v in e.vertices:
                words.append("%.6f,%.6f,%.6f" % (v.dxf.location.x, v.dxf.location.y,
                                                 v.dxf.get("bulge", 0)))
        elif kind == "TEXT":
            words.append("style=%s" % d.style)
            words.append("height=%.6f" % d.height)
            words.append("rotation=%.6f" % d.rotation)
            words.append("at=%.6f,%.6f" % (d.insert.x, d.insert.y))
            words.append("text=%s" % d.text)
        elif kind == "POINT":
            words.append("at=%.6f,%.6f" % (d.location.x, d.location.y))
        print(" ".join(words))
    if len(sys.argv) > 3 and sys.argv[2] == "--render":
        import matplotlib
        matplotlib.use("Agg")
        import logging
        logging.getLogger("matplotlib").setLevel(logging.ERROR)
        from ezdxf.addons.drawing import matplotlib as backend
        from PIL import Image
        backend.qsave(doc.modelspace(), sys.argv[3], bg="#FFFFFF", dpi=50)
        picture = Image.open(sys.argv[3]).convert("L")
        print("dark_pixels", sum(1 for p in picture.getdata() if p < 128))
    return 0


sys.exit(main())
