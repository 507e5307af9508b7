/* The base of the window canvas drivers: the drawing slots over a raster
 * whose row 0 is the top line, as on a window. The simulation draws with
 * device coordinates directly; images, whose row 0 is the bottom line,
 * go in and out one device row at a time. */
#include "cdwin.h"

#include <algorithm>
#include <cstddef>
#include <new>

#include "cdpriv.h"
#include "sim.h"
#include "simraster.h"

namespace cdwin {
namespace {

/* every window driver's record begins with its raster */
cdsim::Raster& Ra(cdCanvas* cv) { return *static_cast<cdsim::Raster*>(cv->driver_data); }

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

/* Row y of the raster as a raster of its own, with the raster's column
 * clip. Images have their bottom line first and are sampled from it: put
 * and read one device row at a time, each at the offset it has from the
 * image's bottom line, they land exactly as on an RGB image canvas. */
cdsim::Raster RowOf(const cdsim::Raster& ra, int y) {
  cdsim::Raster row;
  size_t at = size_t(y) * size_t(ra.w);
  row.w = ra.w, row.h = 1;
  row.r = ra.r + at, row.g = ra.g + at, row.b = ra.b + at;
  row.xmin = ra.xmin, row.xmax = ra.xmax, row.ymin = 0, row.ymax = 0;
  return row;
}

/* The device rows of an image of h rows whose bottom line is on row y,
 * inside the raster's clip; each is handed over with its offset from the
 * bottom line. */
template <typename PutRow>
void EachImageRow(const cdsim::Raster& ra, int y, int h, PutRow put_row) {
  long long top = std::max<long long>((long long)y - h + 1, ra.ymin);
  long long bottom = std::min<long long>(y, ra.ymax);
  for (long long row = top; row <= bottom; row++) {
    cdsim::Raster one = RowOf(ra, int(row));
    put_row(one, int(y - row));
  }
}

void PutImageRectRGB(cdCanvas* cv, int iw, int ih, const unsigned char* r, const unsigned char* g,
                     const unsigned char* b, int x, int y, int w, int h, int xmin, int xmax,
                     int ymin, int ymax) {
  EachImageRow(Ra(cv), y, h, [&](cdsim::Raster& row, int up) {
    cdsim::RasterPutRGB(row, iw, ih, r, g, b, nullptr, x, -up, w, h, xmin, xmax, ymin, ymax,
                        cv->write_mode);
  });
}

void PutImageRectRGBA(cdCanvas* cv, int iw, int ih, const unsigned char* r, const unsigned char* g,
                      const unsigned char* b, const unsigned char* a, int x, int y, int w, int h,
                      int xmin, int xmax, int ymin, int ymax) {
  EachImageRow(Ra(cv), y, h, [&](cdsim::Raster& row, int up) {
    cdsim::RasterPutRGB(row, iw, ih, r, g, b, a, x, -up, w, h, xmin, xmax, ymin, ymax,
                        cv->write_mode);
  });
}

void PutImageRectMap(cdCanvas* cv, int iw, int ih, const unsigned char* index, const long* colors,
                     int x, int y, int w, int h, int xmin, int xmax, int ymin, int ymax) {
  EachImageRow(Ra(cv), y, h, [&](cdsim::Raster& row, int up) {
    cdsim::RasterPutMap(row, iw, ih, index, colors, x, -up, w, h, xmin, xmax, ymin, ymax,
                        cv->write_mode);
  });
}

/* (x, y): device point of the bottom-left corner; the planes get the
 * bottom line first, as every image, and keep what they hold where the
 * rectangle leaves the canvas. */
void GetImageRGB(cdCanvas* cv, unsigned char* r, unsigned char* g, unsigned char* b, int x, int y,
                 int w, int h) {
  cdsim::Raster whole = Ra(cv);
  cdsim::RasterResetClip(whole); /* reading ignores the clip */
  EachImageRow(whole, y, h, [&](cdsim::Raster& row, int up) {
    size_t at = size_t(up) * size_t(w);
    cdsim::RasterGetRGB(row, r + at, g + at, b + at, x, 0, w, 1);
  });
}

void ScrollArea(cdCanvas* cv, int xmin, int xmax, int ymin, int ymax, int dx, int dy) {
  cdsim::RasterScroll(Ra(cv), xmin, xmax, ymin, ymax, dx, dy);
}

/* server images: white pictures kept top row first, like the raster */
void* CreateImage(cdCanvas* cv, int w, int h) {
  Picture* p = new (std::nothrow) Picture;
  if (!p) return nullptr;
  p->xres = cv->xres, p->yres = cv->yres, p->bpp = cv->bpp;
  try {
    size_t n = size_t(w) * size_t(h);
    p->w = w, p->h = h;
    p->r.assign(n, 255), p->g.assign(n, 255), p->b.assign(n, 255);
  } catch (const std::bad_alloc&) {
    delete p;
    return nullptr;
  }
  return p;
}

/* copies the canvas area whose bottom-left corner is (x, y) */
void GetImage(cdCanvas* cv, void* image, int x, int y) {
  Picture* p = static_cast<Picture*>(image);
  cdsim::RasterGetRGB(Ra(cv), p->r.data(), p->g.data(), p->b.data(), x, y - p->h + 1, p->w, p->h);
}

/* the image area xmin..xmax, ymin..ymax (row ymin the bottom one) with its
 * bottom-left corner at (x, y) */
void PutImageRect(cdCanvas* cv, void* image, int x, int y, int xmin, int xmax, int ymin,
                  int ymax) {
  Picture* p = static_cast<Picture*>(image);
  int top = p->h - 1 - ymax, bottom = p->h - 1 - ymin, rows = ymax - ymin + 1;
  cdsim::RasterPutRGB(Ra(cv), p->w, p->h, p->r.data(), p->g.data(), p->b.data(), nullptr, x,
                      y - rows + 1, xmax - xmin + 1, rows, xmin, xmax, top, bottom,
                      cv->write_mode);
}

void KillImage(void* image) { ReleasePicture(static_cast<Picture*>(image)); }

}  // namespace

void FillBaseOperations(cdCanvas* cv) {
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
  cdsim::UseRaster(cv, &Ra(cv));
  cdsim::LoadCurrentFont(cv);
}

bool IsWindowContext(const cdDriver* context) {
  return context != nullptr &&
         (context == cdContextIup() || context == cdContextNativeWindow() ||
          context == cdContextImage());
}

bool ResizePlanes(std::vector<unsigned char>* planes[3], int old_w, int old_h, int w, int h) {
  std::vector<unsigned char> fresh[3];
  try {
    for (auto& f : fresh) f.assign(size_t(w) * size_t(h), 255);
  } catch (const std::bad_alloc&) {
    return false;
  }
  int cw = std::min(old_w, w), ch = std::min(old_h, h);
  for (int p = 0; p < 3; p++) {
    if (planes[p]->size() >= size_t(old_w) * size_t(old_h))
      for (int y = 0; y < ch; y++)
        std::copy_n(planes[p]->begin() + std::ptrdiff_t(y) * old_w, cw,
                    fresh[p].begin() + std::ptrdiff_t(y) * w);
    planes[p]->swap(fresh[p]);
  }
  return true;
}

}  // namespace cdwin

/* ---- canvases on toolkit windows ---- */
namespace cdwin {
namespace {

WindowRecord* Win(cdCanvas* cv) { return static_cast<WindowRecord*>(cv->driver_data); }

void PointRaster(WindowRecord& rec) {
  rec.raster.w = rec.fb.width, rec.raster.h = rec.fb.height;
  rec.raster.r = rec.fb.r.data(), rec.raster.g = rec.fb.g.data(), rec.raster.b = rec.fb.b.data();
}

void TakeGeometry(cdCanvas* cv, const iup::canvasfb::Geometry& g) {
  cv->w = g.width, cv->h = g.height;
  cv->xres = g.xres, cv->yres = g.yres;
  cv->w_mm = g.width / g.xres, cv->h_mm = g.height / g.yres;
  cv->bpp = g.bpp;
}

/* Follows the window's size: the picture keeps what fits, new parts are
 * white (the window would show them blank until the next repaint). */
int Refresh(cdCanvas* cv) {
  WindowRecord& rec = *Win(cv);
  const iup::canvasfb::Host* host = iup::canvasfb::CurrentHost();
  if (host == nullptr) return CD_OK;
  iup::canvasfb::Geometry g = host->GeometryOf(rec.serial);
  if (g.width != rec.fb.width || g.height != rec.fb.height) {
    std::vector<unsigned char>* planes[3] = {&rec.fb.r, &rec.fb.g, &rec.fb.b};
    if (!ResizePlanes(planes, rec.fb.width, rec.fb.height, g.width, g.height)) return CD_ERROR;
    rec.fb.width = g.width, rec.fb.height = g.height;
    PointRaster(rec);
    cdsim::RasterResetClip(rec.raster);
    TakeGeometry(cv, g);
    /* the clip rectangle keeps its place; only the raster's bound moves */
    if (cv->clip_mode == CD_CLIPAREA) {
      int xmin = cv->clip_xmin, xmax = cv->clip_xmax, ymin = cv->clip_ymin, ymax = cv->clip_ymax;
      cv->ops.ClipArea(cv, &xmin, &xmax, &ymin, &ymax);
    }
  } else {
    TakeGeometry(cv, g);
  }
  host->Damaged(rec.serial);
  return CD_OK;
}

int Activate(cdCanvas* cv) { return Refresh(cv); }

void Damage(cdCanvas* cv) {
  if (const iup::canvasfb::Host* host = iup::canvasfb::CurrentHost()) host->Damaged(Win(cv)->serial);
}

void Flush(cdCanvas* cv) { Damage(cv); }
void Deactivate(cdCanvas* cv) { Damage(cv); }

void KillCanvas(cdCanvas* cv) {
  WindowRecord* rec = Win(cv);
  if (const iup::canvasfb::Host* host = iup::canvasfb::CurrentHost())
    host->Attach(rec->serial, nullptr, nullptr);
  delete rec;
}

}  // namespace

void CreateWindowCanvas(cdCanvas* cv, int serial) {
  const iup::canvasfb::Host* host = iup::canvasfb::CurrentHost();
  if (host == nullptr || serial == 0) return;
  WindowRecord* rec = new (std::nothrow) WindowRecord;
  if (!rec) return;
  iup::canvasfb::Geometry g = host->GeometryOf(serial);
  try {
    size_t n = size_t(g.width) * size_t(g.height);
    rec->fb.r.assign(n, 255), rec->fb.g.assign(n, 255), rec->fb.b.assign(n, 255);
  } catch (const std::bad_alloc&) {
    delete rec;
    return;
  }
  rec->serial = serial;
  rec->fb.width = g.width, rec->fb.height = g.height;
  PointRaster(*rec);
  cdsim::RasterResetClip(rec->raster);
  TakeGeometry(cv, g);
  cv->y_inverted = 1;
  cv->driver_data = rec;
  host->Attach(serial, &rec->fb, cv->handle);
}

void FillWindowOperations(cdCanvas* cv) {
  FillBaseOperations(cv);
  cdOperations& o = cv->ops;
  o.Flush = Flush;
  o.Activate = Activate;
  o.Reactivate = Activate;
  o.Deactivate = Deactivate;
  o.KillCanvas = KillCanvas;
}

}  // namespace cdwin
