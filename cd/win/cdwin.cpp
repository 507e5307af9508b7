/* What the window canvas drivers share: canvases on toolkit windows
 * (CD_IUP, CD_NATIVEWINDOW) following their element's size, over the
 * raster base with row 0 at the top. */
#include "cdwin.h"

#include <algorithm>
#include <cstddef>
#include <new>
#include <type_traits>

#include "iupcanvasfb.h"

namespace cdwin {

bool IsWindowContext(const cdDriver* context) {
  return context != nullptr && (context == cdContextIup() || context == cdContextNativeWindow() ||
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

WindowRecord* Win(cdCanvas* cv) {
  return static_cast<WindowRecord*>(cv->driver_data);
}

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
    rec.fb.damaged = true;
    host->Damaged(rec.serial); /* the new parts must be shown */
  } else {
    TakeGeometry(cv, g);
  }
  return CD_OK;
}

int Activate(cdCanvas* cv) {
  return Refresh(cv);
}

/* Only what was drawn into needs showing: activating one window canvas
 * after another must not repaint the other (whose repaint would activate
 * it again, and so on for ever). */
void Damage(cdCanvas* cv) {
  if (!Win(cv)->fb.damaged) return;
  if (const iup::canvasfb::Host* host = iup::canvasfb::CurrentHost())
    host->Damaged(Win(cv)->serial);
}

/* The raster base's drawing slots, called through wrappers that mark the
 * framebuffer drawn into: the first drawing since it was shown reports the
 * damage. */
cdOperations base_ops;

template <auto Slot, typename F>
struct Marking;
template <auto Slot, typename... A>
struct Marking<Slot, void (*)(cdCanvas*, A...)> {
  static void Call(cdCanvas* cv, A... a) {
    if (!Win(cv)->fb.damaged) {
      Win(cv)->fb.damaged = true;
      Damage(cv);
    }
    (base_ops.*Slot)(cv, a...);
  }
};

template <auto Slot>
void MarkDrawing(cdOperations& o) {
  using Function = std::remove_reference_t<decltype(o.*Slot)>;
  if (o.*Slot != nullptr) o.*Slot = &Marking<Slot, Function>::Call;
}

void Flush(cdCanvas* cv) {
  Damage(cv);
}
void Deactivate(cdCanvas* cv) {
  Damage(cv);
}

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
  cdraster::FillOperations(cv);
  cdOperations& o = cv->ops;
  base_ops = o;
  MarkDrawing<&cdOperations::Clear>(o);
  MarkDrawing<&cdOperations::Pixel>(o);
  MarkDrawing<&cdOperations::Mark>(o);
  MarkDrawing<&cdOperations::Line>(o);
  MarkDrawing<&cdOperations::Poly>(o);
  MarkDrawing<&cdOperations::Rect>(o);
  MarkDrawing<&cdOperations::Box>(o);
  MarkDrawing<&cdOperations::Arc>(o);
  MarkDrawing<&cdOperations::Sector>(o);
  MarkDrawing<&cdOperations::Text>(o);
  MarkDrawing<&cdOperations::PutImageRectRGB>(o);
  MarkDrawing<&cdOperations::PutImageRectMap>(o);
  MarkDrawing<&cdOperations::ScrollArea>(o);
  MarkDrawing<&cdOperations::VectorText>(o);
  MarkDrawing<&cdOperations::MultiLineVectorText>(o);
  MarkDrawing<&cdOperations::WdMark>(o);
  MarkDrawing<&cdOperations::WdLine>(o);
  MarkDrawing<&cdOperations::WdPoly>(o);
  MarkDrawing<&cdOperations::WdRect>(o);
  MarkDrawing<&cdOperations::WdBox>(o);
  MarkDrawing<&cdOperations::WdArc>(o);
  MarkDrawing<&cdOperations::WdSector>(o);
  MarkDrawing<&cdOperations::WdText>(o);
  MarkDrawing<&cdOperations::WdVectorText>(o);
  MarkDrawing<&cdOperations::WdMultiLineVectorText>(o);
  MarkDrawing<&cdOperations::PutImageRectRGBA>(o);
  MarkDrawing<&cdOperations::PutImageRect>(o);
  o.Flush = Flush;
  o.Activate = Activate;
  o.Reactivate = Activate;
  o.Deactivate = Deactivate;
  o.KillCanvas = KillCanvas;
}

}  // namespace cdwin
