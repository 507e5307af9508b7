/* The DXF driver (CD_DXF): writes the drawing as an AutoCAD DXF text file
 * in millimetres, with line types, text styles, polylines, points and
 * texts; each cdFlush moves later entities to a new layer.
 *
 * Creation data: "NAME [WxH] [RES]": the file name, the size in
 * millimetres and the resolution in pixels per millimetre (3.78 when
 * absent). Without a size the canvas is unlimited (2147483647 pixels
 * square). The file is complete when the canvas is killed. */
#ifndef VARKO_CDDXF_H
#define VARKO_CDDXF_H

#include "cd.h"

#ifdef __cplusplus
extern "C" {
#endif

cdDriver* cdContextDXF(void);
#define CD_DXF cdContextDXF()

#ifdef __cplusplus
}
#endif

#endif
