/* The Computer Graphics Metafile driver (CD_CGM): a canvas that writes
 * ISO 8632 metafiles in the binary encoding or our clear text, and the
 * player that draws such files into the active canvas, with its callbacks.
 *
 * Creation data: "file [WxH] [res] [-t] [-pBITS]" (size in millimetres,
 * pixels per millimetre, clear text, VDC integer precision in bits).
 * cdPlay (CD_CGM, xmin, xmax, ymin, ymax, file name) fits the pictures into
 * the rectangle; all four zero means the active canvas' size. */
#ifndef VARKO_CDCGM_H
#define VARKO_CDCGM_H

#include <stddef.h>

#include "cd.h"

#ifdef __cplusplus
extern "C" {
#endif

/* CD_CGM itself (cdContextCGM) is declared in cd.h with the other drivers. */

/* Play callbacks of CD_CGM (CD_SIZECB is 0, a cdSizeCallback that receives
 * the active canvas); the others receive the CD_CGM context first. Each
 * stops the play by returning CDPLAY_ABORT. */
enum {
  CD_CGMCOUNTERCB = 1,
  CD_CGMSCLMDECB = 2,
  CD_CGMVDCEXTCB = 3,
  CD_CGMBEGPICTCB = 4,
  CD_CGMBEGPICTBCB = 5,
  CD_CGMBEGMTFCB = 6
};

/* the file position as a percentage of the file size */
typedef int (*cdCGMCounterCB)(void* context, double percent);
/* may change the draw mode and the metric factor */
typedef int (*cdCGMSclMdeCB)(void* context, short scaling_mode, short* draw_mode, double* factor);
/* may change the extent before it is applied */
typedef int (*cdCGMVdcExtCB)(void* context, short vdc_type, double* x1, double* y1, double* x2,
                             double* y2);
typedef int (*cdCGMBegPictCB)(void* context, char* name);
typedef int (*cdCGMBegPictBCB)(void* context, double one_x, double one_y, double sx, double sy,
                               double factor_x, double factor_y, int draw_mode, double vxmin,
                               double vymin, double vxmax, double vymax);
/* may change the cull rectangle */
typedef int (*cdCGMBegMtfCB)(void* context, int* xmin, int* ymin, int* xmax, int* ymax);

/* Plays a metafile held in memory into the active canvas, as cdPlay does
 * with a file. Returns CD_OK, or CD_ERROR for an empty rectangle on a
 * canvas without size. */
int cdPlayCGMMemory(const unsigned char* data, size_t size, int xmin, int xmax, int ymin, int ymax);

#ifdef __cplusplus
}
#endif

#endif
