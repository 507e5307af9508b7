/* A raster surface of three 8-bit planes (row 0 at the bottom, pixel
 * x + y * w) with a clip rectangle: pixel, span and image writes through
 * the write modes, reads, scrolling. Any driver that keeps its picture in
 * memory (the RGB image driver, window canvases) draws through it; the
 * simulation writes into it directly once UseRaster is called. */
#ifndef VARKO_SIMRASTER_H
#define VARKO_SIMRASTER_H

#include "cddriver.h"

namespace cdsim {

struct Raster {
  int w = 0, h = 0;
  unsigned char *r = nullptr, *g = nullptr, *b = nullptr;
  int xmin = 0, ymin = 0, xmax = -1, ymax = -1; /* clip rectangle, inclusive */
};

/* the simulation of cv writes into raster from now on */
void UseRaster(cdCanvas* cv, Raster* raster);
/* the primitives and TrueType text a raster-backed driver takes from the
 * rasteriser as they are */
void UseRasterPrimitives(cdOperations& o);

void RasterResetClip(Raster& raster);
void RasterPixel(Raster& raster, int x, int y, long color, int write_mode);
void RasterSpan(Raster& raster, int xmin, int xmax, int y, long color, int write_mode);
void RasterFill(Raster& raster, long color); /* whole surface, clip ignored */

/* images: the target rectangle (x, y, w, h) is clipped; source rectangle
 * xmin..xmax × ymin..ymax of an iw × ih image, stretched by nearest
 * sampling when the sizes differ */
void RasterPutRGB(Raster& raster, int iw, int ih, const unsigned char* r, const unsigned char* g,
                  const unsigned char* b, const unsigned char* a, int x, int y, int w, int h,
                  int xmin, int xmax, int ymin, int ymax, int write_mode);
void RasterPutMap(Raster& raster, int iw, int ih, const unsigned char* index, const long* colors,
                  int x, int y, int w, int h, int xmin, int xmax, int ymin, int ymax,
                  int write_mode);
/* copies the rectangle (clamped to the surface) into w × h planes */
void RasterGetRGB(const Raster& raster, unsigned char* r, unsigned char* g, unsigned char* b,
                  int x, int y, int w, int h);
void RasterScroll(Raster& raster, int xmin, int xmax, int ymin, int ymax, int dx, int dy);

}  // namespace cdsim

#endif
