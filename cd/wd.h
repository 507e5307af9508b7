/* World coordinates of the canvas library: a window in the caller's real
 * units mapped onto a viewport of device pixels, the primitives in world
 * units, sizes in millimetres, and replaying a drawing into another canvas
 * (wdHardcopy). World to device conversion truncates toward zero. */
#ifndef VARKO_WD_H
#define VARKO_WD_H

#include "cd.h"

#ifdef __cplusplus
extern "C" {
#endif

void wdWindow(double xmin, double xmax, double ymin, double ymax);
void wdGetWindow(double* xmin, double* xmax, double* ymin, double* ymax);
void wdViewport(int xmin, int xmax, int ymin, int ymax);
void wdGetViewport(int* xmin, int* xmax, int* ymin, int* ymax);
void wdWorld2Canvas(double xw, double yw, int* xv, int* yv);
void wdCanvas2World(int xv, int yv, double* xw, double* yw);

void wdClipArea(double xmin, double xmax, double ymin, double ymax);
int wdGetClipArea(double* xmin, double* xmax, double* ymin, double* ymax);
/* x, y pairs in a static buffer (valid until the next call), or null */
double* wdGetClipPoly(int* n);

void wdPixel(double x, double y, long color);
void wdMark(double x, double y);
void wdLine(double x1, double y1, double x2, double y2);
void wdRect(double xmin, double xmax, double ymin, double ymax);
void wdBox(double xmin, double xmax, double ymin, double ymax);
void wdArc(double xc, double yc, double w, double h, double angle1, double angle2);
void wdSector(double xc, double yc, double w, double h, double angle1, double angle2);
void wdText(double x, double y, const char* s);
void wdVertex(double x, double y);

void wdPutImageRect(cdImage* image, double x, double y, int xmin, int xmax, int ymin, int ymax);
void wdPutImageRectRGB(int iw, int ih, const unsigned char* r, const unsigned char* g,
                       const unsigned char* b, double x, double y, double w, double h, int xmin,
                       int xmax, int ymin, int ymax);
void wdPutImageRectRGBA(int iw, int ih, const unsigned char* r, const unsigned char* g,
                        const unsigned char* b, const unsigned char* a, double x, double y,
                        double w, double h, int xmin, int xmax, int ymin, int ymax);
void wdPutImageRectMap(int iw, int ih, const unsigned char* index, const long* colors, double x,
                       double y, double w, double h, int xmin, int xmax, int ymin, int ymax);
void wdPutImageEx(cdImageEx* image, double x, double y, double w, double h);

double wdLineWidth(double width_mm);
double wdMarkSize(double size_mm);
void wdFont(int type_face, int style, double size_mm);

void wdFontDim(double* max_width, double* height, double* ascent, double* descent);
void wdTextSize(const char* s, double* width, double* height);
void wdTextBox(double x, double y, const char* s, double* xmin, double* xmax, double* ymin,
               double* ymax);

void wdPattern(int w, int h, const long* colors, double w_mm, double h_mm);
void wdStipple(int w, int h, const unsigned char* stipple, double w_mm, double h_mm);

/* Creates a canvas of `context` with `data`, fits the world window of
 * `canvas` onto it keeping the aspect ratio, calls draw and kills the new
 * canvas. Returns CD_OK, or CD_ERROR when the canvas cannot be created or
 * an activation fails (0 would read as success). */
int wdHardcopy(cdDriver* context, void* data, cdCanvasHandle canvas, void (*draw)(void));

/* the same operations under their world names */
#define wdActivate cdActivate
#define wdClip cdClip
#define wdBegin cdBegin
#define wdEnd cdEnd
#define wdMM2Pixel cdMM2Pixel
#define wdPixel2MM cdPixel2MM

#ifdef __cplusplus
}
#endif

#endif
