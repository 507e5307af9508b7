/* The RGB image driver (CD_IMAGERGB): a canvas drawing into three 8-bit
 * planes, the caller's or its own, with every primitive drawn by the
 * rasteriser and text by FreeType. */
#include <cstdio>
#include <cstring>
#include <new>
#include <vector>

#include "cdpriv.h"
#include "sim.h"
#include "simraster.h"

namespace {

struct RgbCanvas {
  cdsim::Raster raster;
  bool caller_planes = false;
  std::vector<unsigned char> r, g, b; /* own planes, when the caller gave none */
};

struct ServerImage {
  int w, h;
  std::vector<unsigned char> r, g, b;
};

RgbCanvas* Rec(cdCanvas* cv) { return static_cast<RgbCanvas*>(cv->driver_data); }
cdsim::Raster& Ra(cdCanvas* cv) { return Rec(cv)->raster; }

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

void KillCanvas(cdCanvas* cv) { delete Rec(cv); }
int Activate(cdCanvas*) { return CD_OK; }
void Deactivate(cdCanvas*) {}

void Clear(cdCanvas* cv) { cdsim::RasterFill(Ra(cv), cv->background); }
void Pixel(cdCanvas* cv, int x, int y, long color) { cdsim::ClippedPixel(cv, x, y, color); }

int Clip(cdCanvas* cv, int mode) {
  cdsim::Raster& ra = Ra(cv);
  if (mode == CD_CLIPAREA) {
    ra.xmin = cv->clip_xmin, ra.xmax = cv->clip_xmax;
    ra.ymin = cv->clip_ymin, ra.ymax = cv->clip_ymax;
  } else {
    cdsim::RasterResetClip(ra);
  }
  return mode;
}

int Clamp(int v, int size) { return v < 0 ? 0 : (v >= size ? size - 1 : v); }

void ClipArea(cdCanvas* cv, int* xmin, int* xmax, int* ymin, int* ymax) {
  *xmin = Clamp(*xmin, cv->w), *xmax = Clamp(*xmax, cv->w);
  *ymin = Clamp(*ymin, cv->h), *ymax = Clamp(*ymax, cv->h);
  if (cv->clip_mode == CD_CLIPAREA) {
    cdsim::Raster& ra = Ra(cv);
    ra.xmin = *xmin, ra.xmax = *xmax, ra.ymin = *ymin, ra.ymax = *ymax;
  }
}

void PutImageRectRGB(cdCanvas* cv, int iw, int ih, const unsigned char* r, const unsigned char* g,
                     const unsigned char* b, int x, int y, int w, int h, int xmin, int xmax,
                     int ymin, int ymax) {
  cdsim::RasterPutRGB(Ra(cv), iw, ih, r, g, b, nullptr, x, y, w, h, xmin, xmax, ymin, ymax,
                      cv->write_mode);
}

void PutImageRectRGBA(cdCanvas* cv, int iw, int ih, const unsigned char* r,
                      const unsigned char* g, const unsigned char* b, const unsigned char* a,
                      int x, int y, int w, int h, int xmin, int xmax, int ymin, int ymax) {
  cdsim::RasterPutRGB(Ra(cv), iw, ih, r, g, b, a, x, y, w, h, xmin, xmax, ymin, ymax,
                      cv->write_mode);
}

void PutImageRectMap(cdCanvas* cv, int iw, int ih, const unsigned char* index,
                     const long* colors, int x, int y, int w, int h, int xmin, int xmax,
                     int ymin, int ymax) {
  cdsim::RasterPutMap(Ra(cv), iw, ih, index, colors, x, y, w, h, xmin, xmax, ymin, ymax,
                      cv->write_mode);
}

void GetImageRGB(cdCanvas* cv, unsigned char* r, unsigned char* g, unsigned char* b, int x, int y,
                 int w, int h) {
  cdsim::RasterGetRGB(Ra(cv), r, g, b, x, y, w, h);
}

void ScrollArea(cdCanvas* cv, int xmin, int xmax, int ymin, int ymax, int dx, int dy) {
  cdsim::RasterScroll(Ra(cv), xmin, xmax, ymin, ymax, dx, dy);
}

void* CreateImage(cdCanvas*, int w, int h) {
  ServerImage* image = new (std::nothrow) ServerImage;
  if (!image) return nullptr;
  try {
    size_t n = size_t(w) * size_t(h);
    image->w = w, image->h = h;
    image->r.assign(n, 255);
    image->g.assign(n, 255);
    image->b.assign(n, 255);
  } catch (const std::bad_alloc&) {
    delete image;
    return nullptr;
  }
  return image;
}

void GetImage(cdCanvas* cv, void* image, int x, int y) {
  ServerImage* im = static_cast<ServerImage*>(image);
  cdsim::RasterGetRGB(Ra(cv), im->r.data(), im->g.data(), im->b.data(), x, y, im->w, im->h);
}

void PutImageRect(cdCanvas* cv, void* image, int x, int y, int xmin, int xmax, int ymin,
                  int ymax) {
  ServerImage* im = static_cast<ServerImage*>(image);
  cdsim::RasterPutRGB(Ra(cv), im->w, im->h, im->r.data(), im->g.data(), im->b.data(), nullptr, x,
                      y, xmax - xmin + 1, ymax - ymin + 1, xmin, xmax, ymin, ymax,
                      cv->write_mode);
}

void KillImage(void* image) { delete static_cast<ServerImage*>(image); }

void FillOperations(cdCanvas* cv) {
  cdOperations& o = cv->ops;
  o.Clear = Clear;
  o.Pixel = Pixel;
  cdsim::UseRasterPrimitives(o);
  o.Clip = Clip;
  o.ClipArea = ClipArea;
  o.PutImageRectRGB = PutImageRectRGB;
  o.PutImageRectRGBA = PutImageRectRGBA;
  o.PutImageRectMap = PutImageRectMap;
  o.GetImageRGB = GetImageRGB;
  o.ScrollArea = ScrollArea;
  o.CreateImage = CreateImage;
  o.GetImage = GetImage;
  o.PutImageRect = PutImageRect;
  o.KillImage = KillImage;
  o.KillCanvas = KillCanvas;
  o.Activate = Activate;
  o.Deactivate = Deactivate;
  cdsim::UseRaster(cv, &Rec(cv)->raster);
  cdsim::LoadCurrentFont(cv);
}

cdDriver image_rgb_driver = {
    CD_CAP_ALL & ~(CD_CAP_PLAY | CD_CAP_YAXIS | CD_CAP_CLIPPOLY | CD_CAP_WD | CD_CAP_VECTORTEXT |
                   CD_CAP_PALETTE | CD_CAP_FONTDIM | CD_CAP_TEXTSIZE | CD_CAP_TEXTORIENTATION |
                   CD_CAP_FLUSH),
    CreateCanvas, FillOperations, nullptr, nullptr};

}  // namespace

cdDriver* cdContextImageRGB(void) { return &image_rgb_driver; }

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
