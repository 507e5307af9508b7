/* The RGB image driver (CD_IMAGERGB): a canvas drawing into three 8-bit
 * planes, the caller's or its own, row 0 at the bottom, with every
 * primitive drawn by the raster base (cdraster.h) and text by FreeType. */
#include <cstdio>
#include <cstring>
#include <new>
#include <vector>

#include "cdraster.h"

namespace {

struct RgbCanvas {
  cdsim::Raster raster;
  bool caller_planes = false;
  std::vector<unsigned char> r, g, b; /* own planes, when the caller gave none */
};

RgbCanvas* Rec(cdCanvas* cv) {
  return static_cast<RgbCanvas*>(cv->driver_data);
}

/* "%dx%d %p %p %p" with an optional "-r%g"; "%dx%d" alone allocates */
void CreateCanvas(cdCanvas* cv, void* data) {
  const char* text = static_cast<const char*>(data);
  if (!text) return;
  int w = 0, h = 0, used = 0;
  if (std::sscanf(text, "%dx%d%n", &w, &h, &used) != 2) return;
  if (w <= 0 || h <= 0 || (long long)w * h > (1LL << 30)) return;
  void *pr = nullptr, *pg = nullptr, *pb = nullptr;
  const char* rest = text + used;
  int planes = std::sscanf(rest, " %p %p %p", &pr, &pg, &pb);
  bool given = planes == 3 && pr && pg && pb;
  double res = 3.78;
  if (const char* opt = std::strstr(rest, "-r")) {
    double v;
    if (std::sscanf(opt + 2, "%lg", &v) == 1 && v > 0) res = v;
  }
  RgbCanvas* rec = new (std::nothrow) RgbCanvas;
  if (!rec) return;
  cdsim::Raster& ra = rec->raster;
  ra.w = w, ra.h = h;
  if (given) {
    rec->caller_planes = true;
    ra.r = static_cast<unsigned char*>(pr);
    ra.g = static_cast<unsigned char*>(pg);
    ra.b = static_cast<unsigned char*>(pb);
  } else {
    try {
      size_t n = size_t(w) * size_t(h);
      rec->r.assign(n, 255);
      rec->g.assign(n, 255);
      rec->b.assign(n, 255);
    } catch (const std::bad_alloc&) {
      delete rec;
      return;
    }
    ra.r = rec->r.data(), ra.g = rec->g.data(), ra.b = rec->b.data();
  }
  cdsim::RasterResetClip(ra);
  cv->w = w, cv->h = h;
  cv->xres = cv->yres = res;
  cv->w_mm = w / res, cv->h_mm = h / res;
  cv->bpp = 24;
  cv->y_inverted = 0;
  cv->driver_data = rec;
}

void KillCanvas(cdCanvas* cv) {
  delete Rec(cv);
}
int Activate(cdCanvas*) {
  return CD_OK;
}
void Deactivate(cdCanvas*) {}

void FillOperations(cdCanvas* cv) {
  cdraster::FillOperations(cv);
  cdOperations& o = cv->ops;
  o.KillCanvas = KillCanvas;
  o.Activate = Activate;
  o.Deactivate = Deactivate;
}

cdDriver image_rgb_driver = {
    CD_CAP_ALL & ~(CD_CAP_PLAY | CD_CAP_YAXIS | CD_CAP_CLIPPOLY | CD_CAP_WD | CD_CAP_VECTORTEXT |
                   CD_CAP_PALETTE | CD_CAP_FONTDIM | CD_CAP_TEXTSIZE | CD_CAP_TEXTORIENTATION |
                   CD_CAP_FLUSH),
    CreateCanvas,
    FillOperations,
    nullptr,
    nullptr,
    "CD_IMAGERGB",
    CD_DATA_IMAGERGB};

}  // namespace

cdDriver* cdContextImageRGB(void) {
  return &image_rgb_driver;
}

int cdImageRGBPlanes(cdCanvasHandle canvas, int* w, int* h, unsigned char** r, unsigned char** g,
                     unsigned char** b) {
  bool ok = canvas && canvas->context == &image_rgb_driver;
  const cdsim::Raster* ra = ok ? &Rec(canvas)->raster : nullptr;
  if (w) *w = ok ? ra->w : 0;
  if (h) *h = ok ? ra->h : 0;
  if (r) *r = ok ? ra->r : nullptr;
  if (g) *g = ok ? ra->g : nullptr;
  if (b) *b = ok ? ra->b : nullptr;
  return ok ? 1 : 0;
}
