// The mark curve: one canvas mark per visible data point.
#include "xymcamk.h"

#include "cd.h"
#include "wd.h"
#include "xym.h"
#include "xymath.h"

XYMarkCurve::XYMarkCurve(XYText* label, XYCurveData* data, XYAxis* xAxis, XYAxis* yAxis, int colour,
                         int markSize, int markType, bool visible)
    : XYAxesCurve(label, data, xAxis, yAxis, colour, visible),
      markSize_(markSize),
      markType_(markType) {}

XYMarkCurve::XYMarkCurve(XYCurveData* data, XYAxis* xAxis, XYAxis* yAxis, int colour, int markSize,
                         int markType, bool visible)
    : XYMarkCurve(nullptr, data, xAxis, yAxis, colour, markSize, markType, visible) {}

int XYMarkCurve::getMarkSize() {
  return markSize_;
}
void XYMarkCurve::setMarkSize(int size) {
  markSize_ = size;
}
int XYMarkCurve::getMarkType() {
  return markType_;
}
void XYMarkCurve::setMarkType(int type) {
  markType_ = type;
}

void XYMarkCurve::draw(int x0, int y0, int x1, int y1) {
  (void)y0, (void)y1;
  if (!isVisible() || !curveData_) return;
  double xmin = 0, xmax = 0;
  curveData_->xRange(&xmin, &xmax);
  if (!applyCurveWindow()) return;
  double wx0, wx1, wy;
  wdCanvas2World(x0, 0, &wx0, &wy);
  wdCanvas2World(x1, 0, &wx1, &wy);
  if (wx0 > xmax || wx1 < xmin) return;
  if (wx0 < xmin) wx0 = xmin;
  if (wx1 > xmax) wx1 = xmax;
  curveData_->setXWindow(wx0, wx1);
  const int n = curveData_->count();
  if (n >= 1) {
    cdMarkType(markType_);
    cdMarkSize(markSize_);
    cdForeground(colour_);
    XYSavedClip clip;
    clip.clipTo(vx0_, vx1_, vy0_, vy1_);
    cdWriteMode(CD_REPLACE);
    for (int i = 0; i < n; i++) {
      double px, py;
      if (!worldPoint(i, &px, &py)) continue;
      int mx, my;
      wdWorld2Canvas(px, py, &mx, &my);
      cdMark(mx, my);
    }
  }
  curveData_->setXWindow(xmin, xmax);
}

bool XYMarkCurve::pick(int x, int y) {
  if (!isVisible() || !curveData_ || curveData_->count() < 1 || !insideViewport(x, y)) return false;
  XYSavedWorld world;
  if (!applyCurveWindow()) return false;
  XYSavedClip clip;
  clip.clipTo(vx0_, vx1_, vy0_, vy1_);
  const int n = curveData_->count();
  for (int i = 0; i < n; i++) {
    double px, py;
    if (!worldPoint(i, &px, &py)) continue;
    int mx, my;
    wdWorld2Canvas(px, py, &mx, &my);
    if (xymath::pointNearPoint(x, y, mx, my, markSize_)) return true;
  }
  return false;
}

void XYMarkCurve::drawLegendSymbol(int x0, int y0, int x1, int y1) {
  cdMarkType(markType_);
  cdMarkSize(2 * (y1 - y0) / 3);
  cdForeground(colour_);
  cdMark(xymath::Trunc((x0 + x1) * 0.5), xymath::Trunc((y0 + y1) * 0.5));
}

void XYMarkCurve::getStyleValues(int* first, int* second) {
  *first = markSize_;
  *second = markType_;
}

void XYMarkCurve::setStyleValues(int first, int second) {
  markSize_ = first;
  markType_ = second;
}
