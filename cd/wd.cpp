/* World coordinates: the window-to-viewport transform of each canvas, the
 * world primitives (a driver's world slot when it has one, else the
 * integer primitive on truncated values), world clipping, sizes in
 * millimetres, metrics in world units and wdHardcopy. */
#include "wd.h"

#include <cmath>
#include <cstdlib>
#include <vector>

#include "cdpriv.h"
#include "sim.h"

using namespace cdcore;

namespace cdcore {

namespace {
void UpdateTransform(cdCanvas* cv) {
  // the viewport's corners are ints: their spans are taken in doubles
  cv->wd_sx = (double(cv->wd_vxmax) - cv->wd_vxmin) / (cv->wd_xmax - cv->wd_xmin);
  cv->wd_tx = cv->wd_vxmin - cv->wd_xmin * cv->wd_sx;
  cv->wd_sy = (double(cv->wd_vymax) - cv->wd_vymin) / (cv->wd_ymax - cv->wd_ymin);
  cv->wd_ty = cv->wd_vymin - cv->wd_ymin * cv->wd_sy;
  cv->wd_s = std::sqrt(cv->wd_sx * cv->wd_sx + cv->wd_sy * cv->wd_sy);
}

/* Truncation toward zero; values beyond the int range saturate instead of
 * being undefined (a degenerate window makes the scales infinite). */
int Trunc(double v) {
  if (std::isnan(v)) return 0;
  if (v >= 2147483647.0) return 2147483647;
  if (v <= -2147483648.0) return -2147483647 - 1;
  return int(v);
}
}  // namespace

void InitWorld(cdCanvas* cv) {
  cv->wd_xmin = 0;
  cv->wd_xmax = cv->w_mm;
  cv->wd_ymin = 0;
  cv->wd_ymax = cv->h_mm;
  cv->wd_vxmin = 0;
  cv->wd_vxmax = cv->w - 1;
  cv->wd_vymin = 0;
  cv->wd_vymax = cv->h - 1;
  UpdateTransform(cv);
}

void WorldToDevice(const cdCanvas* cv, double xw, double yw, int& xv, int& yv) {
  xv = Trunc(cv->wd_sx * xw + cv->wd_tx);
  yv = Trunc(cv->wd_sy * yw + cv->wd_ty);
}

void DeviceToWorld(const cdCanvas* cv, int xv, int yv, double& xw, double& yw) {
  xw = (xv - cv->wd_tx) / cv->wd_sx;
  yw = (yv - cv->wd_ty) / cv->wd_sy;
}

}  // namespace cdcore

namespace {

int X(const cdCanvas* cv, double xw) {
  return Trunc(cv->wd_sx * xw + cv->wd_tx);
}
int Y(const cdCanvas* cv, double yw) {
  return Trunc(cv->wd_sy * yw + cv->wd_ty);
}
/* device length of a world distance measured from a position */
int Span(int a, int b) { /* |a - b|, held within int */
  const long long d = std::llabs(static_cast<long long>(a) - b);
  return d > 2147483647LL ? 2147483647 : static_cast<int>(d);
}
int W(const cdCanvas* cv, double x, double w) {
  return Span(Trunc((x + w) * cv->wd_sx + cv->wd_tx), X(cv, x));
}
int H(const cdCanvas* cv, double y, double h) {
  return Span(Trunc((y + h) * cv->wd_sy + cv->wd_ty), Y(cv, y));
}

bool ClipSimOn(const cdCanvas* cv) {
  return (cv->sim_mode & CD_SIM_CLIP) && cv->clip_mode != CD_CLIPOFF;
}

/* the four values of a rectangle handed back, each where asked */
template <typename T>
void GiveRange(T* xmin, T* xmax, T* ymin, T* ymax, T x1, T x2, T y1, T y2) {
  if (xmin) *xmin = x1;
  if (xmax) *xmax = x2;
  if (ymin) *ymin = y1;
  if (ymax) *ymax = y2;
}

/* a rectangle or box: the driver's world slot, or the device primitive when
 * it has none or clipping is simulated */
using WdRangeSlot = void (*)(cdCanvas*, double, double, double, double);
void RangeShape(WdRangeSlot slot, void (*device)(int, int, int, int), double xmin, double xmax,
                double ymin, double ymax) {
  cdCanvas* cv = Active();
  if (!slot || ClipSimOn(cv)) {
    device(X(cv, xmin), X(cv, xmax), Y(cv, ymin), Y(cv, ymax));
    return;
  }
  SetWorldMode(cv, 1);
  slot(cv, xmin, xmax, ymin, ymax);
}

/* an arc or sector: the driver's world slot unless clipping is simulated,
 * else the device primitive with the sizes in pixels (none when empty) */
using WdArcSlot = void (*)(cdCanvas*, double, double, double, double, double, double);
void ArcShape(WdArcSlot slot, void (*device)(int, int, int, int, double, double), double xc,
              double yc, double w, double h, double angle1, double angle2) {
  cdCanvas* cv = Active();
  if (slot && !ClipSimOn(cv)) {
    SetWorldMode(cv, 1);
    slot(cv, xc, yc, w, h, angle1, angle2);
    return;
  }
  int wv = W(cv, xc, w), hv = H(cv, yc, h);
  if (wv == 0 || hv == 0) return;
  device(X(cv, xc), Y(cv, yc), wv, hv, angle1, angle2);
}

}  // namespace

void wdWindow(double xmin, double xmax, double ymin, double ymax) {
  cdCanvas* cv = Active();
  cv->wd_xmin = xmin, cv->wd_xmax = xmax, cv->wd_ymin = ymin, cv->wd_ymax = ymax;
  UpdateTransform(cv);
  if (cv->ops.WdWindow) cv->ops.WdWindow(cv, xmin, xmax, ymin, ymax);
}

void wdGetWindow(double* xmin, double* xmax, double* ymin, double* ymax) {
  const cdCanvas* cv = Active();
  GiveRange(xmin, xmax, ymin, ymax, cv->wd_xmin, cv->wd_xmax, cv->wd_ymin, cv->wd_ymax);
}

void wdViewport(int xmin, int xmax, int ymin, int ymax) {
  cdCanvas* cv = Active();
  cv->wd_vxmin = xmin, cv->wd_vxmax = xmax, cv->wd_vymin = ymin, cv->wd_vymax = ymax;
  UpdateTransform(cv);
  if (cv->ops.WdViewport) cv->ops.WdViewport(cv, xmin, xmax, ymin, ymax);
}

void wdGetViewport(int* xmin, int* xmax, int* ymin, int* ymax) {
  const cdCanvas* cv = Active();
  GiveRange(xmin, xmax, ymin, ymax, cv->wd_vxmin, cv->wd_vxmax, cv->wd_vymin, cv->wd_vymax);
}

void wdWorld2Canvas(double xw, double yw, int* xv, int* yv) {
  cdCanvas* cv = Active();
  if (xv) *xv = X(cv, xw);
  if (yv) *yv = Y(cv, yw);
}

void wdCanvas2World(int xv, int yv, double* xw, double* yw) {
  double x, y;
  DeviceToWorld(Active(), xv, yv, x, y);
  if (xw) *xw = x;
  if (yw) *yw = y;
}

/* ---- clipping ---- */

void wdClipArea(double xmin, double xmax, double ymin, double ymax) {
  cdCanvas* cv = Active();
  if (cv->ops.WdClipArea) {
    SetWorldMode(cv, 1);
    cv->ops.WdClipArea(cv, &xmin, &xmax, &ymin, &ymax);
    int x1 = X(cv, xmin), x2 = X(cv, xmax), y1 = Y(cv, ymin), y2 = Y(cv, ymax);
    RangeToDevice(cv, x1, x2, y1, y2);
    cv->clip_xmin = x1, cv->clip_xmax = x2, cv->clip_ymin = y1, cv->clip_ymax = y2;
    return;
  }
  cdClipArea(X(cv, xmin), X(cv, xmax), Y(cv, ymin), Y(cv, ymax));
}

int wdGetClipArea(double* xmin, double* xmax, double* ymin, double* ymax) {
  cdCanvas* cv = Active();
  int x1, x2, y1, y2;
  int mode = cdGetClipArea(&x1, &x2, &y1, &y2);
  double a1, b1, a2, b2;
  DeviceToWorld(cv, x1, y1, a1, b1);
  DeviceToWorld(cv, x2, y2, a2, b2);
  GiveRange(xmin, xmax, ymin, ymax, a1, a2, b1, b2);
  return mode;
}

double* wdGetClipPoly(int* n) {
  static double points[2 * 200];
  cdCanvas* cv = Active();
  if (n) *n = 0;
  if (cv->wd_clip_poly_n == 0 || cv->wd_clip_poly_n >= 200) return nullptr;
  for (int i = 0; i < cv->wd_clip_poly_n; i++) {
    points[2 * i] = cv->wd_clip_poly[i].x;
    points[2 * i + 1] = cv->wd_clip_poly[i].y;
  }
  if (n) *n = cv->wd_clip_poly_n;
  return points;
}

/* ---- primitives ---- */

void wdPixel(double x, double y, long color) {
  cdPixel(X(Active(), x), Y(Active(), y), color);
}

void wdMark(double x, double y) {
  cdCanvas* cv = Active();
  if (!cv->ops.WdMark) {
    cdMark(X(cv, x), Y(cv, y));
    return;
  }
  if (ClipSimOn(cv)) {
    int xv = X(cv, x), yv = Y(cv, y);
    ToDevice(cv, xv, yv);
    if (cv->clip_mode == CD_CLIPAREA && !cdsim::PointInClipRect(cv, xv, yv)) return;
    if (cv->clip_mode == CD_CLIPPOLYGON && !cdsim::PointInClipPoly(cv, xv, yv)) return;
  }
  SetWorldMode(cv, 1);
  cv->ops.WdMark(cv, x, y);
}

void wdLine(double x1, double y1, double x2, double y2) {
  cdCanvas* cv = Active();
  if (!cv->ops.WdLine || ClipSimOn(cv)) {
    cdLine(X(cv, x1), Y(cv, y1), X(cv, x2), Y(cv, y2));
    return;
  }
  SetWorldMode(cv, 1);
  cv->ops.WdLine(cv, x1, y1, x2, y2);
}

void wdRect(double xmin, double xmax, double ymin, double ymax) {
  RangeShape(Active()->ops.WdRect, cdRect, xmin, xmax, ymin, ymax);
}

void wdBox(double xmin, double xmax, double ymin, double ymax) {
  if (Active()->interior_style == CD_HOLLOW)
    wdRect(xmin, xmax, ymin, ymax);
  else
    RangeShape(Active()->ops.WdBox, cdBox, xmin, xmax, ymin, ymax);
}

void wdArc(double xc, double yc, double w, double h, double angle1, double angle2) {
  ArcShape(Active()->ops.WdArc, cdArc, xc, yc, w, h, angle1, angle2);
}

void wdSector(double xc, double yc, double w, double h, double angle1, double angle2) {
  if (Active()->interior_style == CD_HOLLOW)
    wdArc(xc, yc, w, h, angle1, angle2);
  else
    ArcShape(Active()->ops.WdSector, cdSector, xc, yc, w, h, angle1, angle2);
}

void wdText(double x, double y, const char* s) {
  cdCanvas* cv = Active();
  if (!cv->ops.WdText || ((cv->sim_mode & CD_SIM_CLIPAREA) && cv->clip_mode == CD_CLIPAREA)) {
    cdText(X(cv, x), Y(cv, y), s);
    return;
  }
  if (!s || !s[0]) return;
  SetWorldMode(cv, 1);
  cv->ops.WdText(cv, x, y, s);
}

void wdVertex(double x, double y) {
  cdCanvas* cv = Active();
  if (!cv->ops.WdPoly) {
    cdVertex(X(cv, x), Y(cv, y));
    return;
  }
  SetWorldMode(cv, 1);
  if (cv->poly_n >= cv->poly_capacity && !GrowPoly(cv)) return;
  cv->wd_poly[cv->poly_n] = {x, y};
  /* keep the integer buffer complete too: simulations draw from it */
  int xv = X(cv, x), yv = Y(cv, y);
  ToDevice(cv, xv, yv);
  cv->poly[cv->poly_n] = {xv, yv};
  cv->poly_n++;
  cv->poly_world = 1;
}

/* ---- images ---- */

void wdPutImageRect(cdImage* image, double x, double y, int xmin, int xmax, int ymin, int ymax) {
  cdCanvas* cv = Active();
  cdPutImageRect(image, X(cv, x), Y(cv, y), xmin, xmax, ymin, ymax);
}

void wdPutImageRectRGB(int iw, int ih, const unsigned char* r, const unsigned char* g,
                       const unsigned char* b, double x, double y, double w, double h, int xmin,
                       int xmax, int ymin, int ymax) {
  cdCanvas* cv = Active();
  cdPutImageRectRGB(iw, ih, r, g, b, X(cv, x), Y(cv, y), W(cv, x, w), H(cv, y, h), xmin, xmax, ymin,
                    ymax);
}

void wdPutImageRectRGBA(int iw, int ih, const unsigned char* r, const unsigned char* g,
                        const unsigned char* b, const unsigned char* a, double x, double y,
                        double w, double h, int xmin, int xmax, int ymin, int ymax) {
  cdCanvas* cv = Active();
  cdPutImageRectRGBA(iw, ih, r, g, b, a, X(cv, x), Y(cv, y), W(cv, x, w), H(cv, y, h), xmin, xmax,
                     ymin, ymax);
}

void wdPutImageRectMap(int iw, int ih, const unsigned char* index, const long* colors, double x,
                       double y, double w, double h, int xmin, int xmax, int ymin, int ymax) {
  cdCanvas* cv = Active();
  cdPutImageRectMap(iw, ih, index, colors, X(cv, x), Y(cv, y), W(cv, x, w), H(cv, y, h), xmin, xmax,
                    ymin, ymax);
}

void wdPutImageEx(cdImageEx* image, double x, double y, double w, double h) {
  cdCanvas* cv = Active();
  cdPutImageEx(image, X(cv, x), Y(cv, y), W(cv, x, w), H(cv, y, h));
}

/* ---- sizes in millimetres ---- */

double wdLineWidth(double width_mm) {
  cdCanvas* cv = Active();
  double previous = cv->line_width / cv->xres;
  if (width_mm != -1 && cv->ops.LineWidth) {
    int px = Trunc(width_mm * cv->xres);
    if (px < 1) px = 1;
    cv->line_width = cv->ops.LineWidth(cv, px);
  }
  return previous;
}

double wdMarkSize(double size_mm) {
  cdCanvas* cv = Active();
  double previous = cv->mark_size / cv->xres;
  if (size_mm != -1) {
    int px = Trunc(size_mm * cv->xres);
    cv->mark_size = px < 1 ? 1 : px;
  }
  return previous;
}

void wdFont(int type_face, int style, double size_mm) {
  cdFont(type_face, style, Trunc(size_mm * CD_MM2PT));
}

/* ---- metrics ---- */

namespace {
double WorldDX(const cdCanvas* cv, int d) {
  return std::fabs((d - cv->wd_tx) / cv->wd_sx - (0 - cv->wd_tx) / cv->wd_sx);
}
double WorldDY(const cdCanvas* cv, int d) {
  return std::fabs((d - cv->wd_ty) / cv->wd_sy - (0 - cv->wd_ty) / cv->wd_sy);
}
}  // namespace

void wdFontDim(double* max_width, double* height, double* ascent, double* descent) {
  cdCanvas* cv = Active();
  int mw, ht, as, ds;
  cdFontDim(&mw, &ht, &as, &ds);
  if (max_width) *max_width = WorldDX(cv, mw);
  if (height) *height = WorldDY(cv, ht);
  if (ascent) *ascent = WorldDY(cv, as);
  if (descent) *descent = WorldDY(cv, ds);
}

void wdTextSize(const char* s, double* width, double* height) {
  cdCanvas* cv = Active();
  int w, h;
  cdTextSize(s, &w, &h);
  if (width) *width = WorldDX(cv, w);
  if (height) *height = WorldDY(cv, h);
}

void wdTextBox(double x, double y, const char* s, double* xmin, double* xmax, double* ymin,
               double* ymax) {
  cdCanvas* cv = Active();
  int x1, x2, y1, y2;
  cdTextBox(X(cv, x), Y(cv, y), s, &x1, &x2, &y1, &y2);
  double a, b;
  DeviceToWorld(cv, x1, y1, a, b);
  if (xmin) *xmin = a;
  if (ymin) *ymin = b;
  DeviceToWorld(cv, x2, y2, a, b);
  if (xmax) *xmax = a;
  if (ymax) *ymax = b;
}

/* ---- fills sized in millimetres ---- */

namespace {
/* nearest source cell; a one-cell target takes the first source cell */
int SourceCell(int i, int source, int target) {
  if (target <= 1) return 0;
  return int(std::floor(i * double(source - 1) / (target - 1) + 0.5));
}
}  // namespace

void wdPattern(int w, int h, const long* colors, double w_mm, double h_mm) {
  if (w <= 0 || h <= 0 || !colors) return;
  int pw, ph;
  cdMM2Pixel(w_mm, h_mm, &pw, &ph);
  if (pw <= 0 || ph <= 0) return;
  std::vector<long> scaled;
  try {
    scaled.resize(size_t(pw) * size_t(ph));
  } catch (const std::exception&) {
    return;
  }
  for (int i = 0; i < ph; i++)
    for (int j = 0; j < pw; j++)
      scaled[size_t(i) * pw + j] = colors[size_t(SourceCell(i, h, ph)) * w + SourceCell(j, w, pw)];
  cdPattern(pw, ph, scaled.data());
}

void wdStipple(int w, int h, const unsigned char* stipple, double w_mm, double h_mm) {
  if (w <= 0 || h <= 0 || !stipple) return;
  int pw, ph;
  cdMM2Pixel(w_mm, h_mm, &pw, &ph);
  if (pw <= 0 || ph <= 0) return;
  std::vector<unsigned char> scaled;
  try {
    scaled.resize(size_t(pw) * size_t(ph));
  } catch (const std::exception&) {
    return;
  }
  for (int i = 0; i < ph; i++)
    for (int j = 0; j < pw; j++)
      scaled[size_t(i) * pw + j] = stipple[size_t(SourceCell(i, h, ph)) * w + SourceCell(j, w, pw)];
  cdStipple(pw, ph, scaled.data());
}

/* ---- hardcopy ---- */

int wdHardcopy(cdDriver* context, void* data, cdCanvasHandle canvas, void (*draw)(void)) {
  /* a canvas that cannot be made is an error, never 0 (CD_OK) */
  cdCanvasHandle target = cdCreateCanvas(context, data);
  if (!target) return CD_ERROR;
  int result = cdActivate(canvas);
  if (result != CD_OK) {
    cdKillCanvas(target);
    return result;
  }
  double xmin, xmax, ymin, ymax;
  wdGetWindow(&xmin, &xmax, &ymin, &ymax);
  int w, h;
  cdGetCanvasSize(&w, &h, nullptr, nullptr);
  result = cdActivate(target);
  if (result != CD_OK) {
    cdActivate(canvas);
    cdKillCanvas(target);
    return result;
  }
  wdWindow(xmin, xmax, ymin, ymax);
  int w2, h2;
  cdGetCanvasSize(&w2, &h2, nullptr, nullptr);
  double a = double(h) / w, a2 = double(h2) / w2;
  int xc = int(w2 / 2.0), yc = int(h2 / 2.0);
  int vx1, vx2, vy1, vy2;
  if (a2 > a) {
    int d = int(w2 * a / 2);
    vx1 = 0, vx2 = w2, vy1 = yc - d, vy2 = yc + d;
  } else {
    int d = int(h2 / a / 2);
    vx1 = xc - d, vx2 = xc + d, vy1 = 0, vy2 = h2;
  }
  cdClipArea(vx1, vx2, vy1, vy2);
  cdClip(CD_CLIPAREA);
  wdViewport(vx1, vx2, vy1, vy2);
  if (draw) draw();
  result = cdActivate(canvas);
  cdKillCanvas(target);
  return result;
}
