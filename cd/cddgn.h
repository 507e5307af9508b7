/* The DGN driver (CD_DGN): writes a two-dimensional MicroStation version 7
 * (IGDS) design file in device pixels: the elements of an optional seed
 * file, the drawing's elements, a colour table and the end-of-design
 * marker.
 *
 * Creation data: "NAME [WxH] [RES] [-f] [-sSEED]": the file name, the size
 * in millimetres, the resolution in pixels per millimetre (3.78 when
 * absent), "-f" to fill only convex polygons (others become outlines) and
 * "-s" joined to the name of a seed design file, looked up in $CDDIR
 * (default ".") and then as given. The file is complete when the canvas is
 * killed. */
#ifndef VARKO_CDDGN_H
#define VARKO_CDDGN_H

#include "cd.h"

#ifdef __cplusplus
extern "C" {
#endif

cdDriver* cdContextDGN(void);
#define CD_DGN cdContextDGN()

#ifdef __cplusplus
}
#endif

#endif
