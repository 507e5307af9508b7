/* Playing CD metafiles from memory. The metafile driver (CD_METAFILE, in
 * cd.h) writes a text file with one line per canvas call ("CDMF w h", then
 * a record code and its fields per line); its player replays a file into
 * the active canvas, scaled into a rectangle (all zero: the recorded size).
 * The size callback (cdRegisterCallback (CD_METAFILE, CD_SIZECB, f))
 * receives the canvas played into, the recorded width and height in pixels
 * and the same two values as reals; non-zero aborts the play. */
#ifndef VARKO_CDMF_H
#define VARKO_CDMF_H

#include <stddef.h>

#include "cd.h"

#ifdef __cplusplus
extern "C" {
#endif

/* Plays a metafile held in memory into the active canvas, as cdPlay does
 * with a file. Returns CD_OK, or CD_ERROR for a wrong header, a record it
 * cannot read or an aborting size callback (what came before stays drawn). */
int cdPlayMetafileBuffer(int xmin, int xmax, int ymin, int ymax, const char* data, size_t size);

#ifdef __cplusplus
}
#endif

#endif
