/* The base of the raster drivers: every drawing slot over three 8-bit
 * planes the driver keeps in memory, drawn by the rasteriser. The RGB
 * image driver keeps row 0 at the bottom; the window drivers (cd/win/)
 * keep row 0 at the top, as a window shows it, and set y_inverted. The
 * canvas' y_inverted is the base's one parameter: images, whose row 0 is
 * always the bottom line, are put and read in the row order it gives. */
#ifndef VARKO_CDRASTER_H
#define VARKO_CDRASTER_H

#include <vector>

#include "cddriver.h"
#include "simraster.h"

namespace cdraster {

/* A server image made by a raster canvas, rows in its creator's order. */
struct Picture {
  int w = 0, h = 0;
  double xres = 3.78, yres = 3.78; /* the creating canvas' */
  int bpp = 24;
  std::vector<unsigned char> r, g, b;
  int holders = 1; /* its creator, and each canvas drawing into it */
};
/* A canvas drawing into a picture holds it, so killing the image first
 * leaves the canvas drawing into live memory; the last release frees it. */
inline void HoldPicture(Picture* p) {
  p->holders++;
}
inline void ReleasePicture(Picture* p) {
  if (--p->holders == 0) delete p;
}

/* Fills every drawing slot over the raster the driver keeps in
 * driver_data, whose first member is a cdsim::Raster, and hands the raster
 * to the simulation. The driver adds its own KillCanvas, Activate and the
 * like. CreateCanvas must have set y_inverted before. */
void FillOperations(cdCanvas* cv);

}  // namespace cdraster

#endif
