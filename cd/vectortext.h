/* Vector text: strings drawn as polylines of a stroke font, at any size,
 * in any direction and through an affine matrix, on every driver. Each
 * canvas has its own vector text state; the calls act on the active canvas
 * and do nothing while no canvas is active.
 *
 * The built-in font is "Simplex II" (cell top 28, bottom -7 font units);
 * cdVectorFont reads other fonts from text files, looked up as named and
 * then in the folder named by CDDIR (default "."). Integer forms work in
 * device pixels, the wd forms in world units. A driver with vector-text
 * slots receives the calls instead (setters update the state first). */
#ifndef VARKO_CD_VECTORTEXT_H
#define VARKO_CD_VECTORTEXT_H

#include "cd.h"

#ifdef __cplusplus
extern "C" {
#endif

/* null restores the built-in font; returns the font name, or null when the
 * file cannot be read (the built-in font is then in force) */
const char* cdVectorFont(const char* file);
void cdVectorTextDirection(int x1, int y1, int x2, int y2);
/* six values m0..m5: x' = m3 x + m4 y + m5, y' = m0 x + m1 y + m2; null clears */
void cdVectorTextTransform(const double* matrix);
void cdVectorTextSize(int w, int h, const char* s);
int cdVectorCharSize(int size);
void cdGetVectorTextSize(const char* s, int* w, int* h);
void cdVectorText(int x, int y, const char* s);
void cdMultiLineVectorText(int x, int y, const char* s);

const char* wdVectorFont(const char* file);
void wdVectorTextDirection(double x1, double y1, double x2, double y2);
void wdVectorTextSize(double w, double h, const char* s);
double wdVectorCharSize(double size);
void wdGetVectorTextSize(const char* s, double* w, double* h);
void wdVectorText(double x, double y, const char* s);
void wdMultiLineVectorText(double x, double y, const char* s);

#ifdef __cplusplus
}
#endif

#endif
