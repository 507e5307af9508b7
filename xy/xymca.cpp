// The curve base and the parts the two curve kinds share.
#include "xymca.h"

#include <algorithm>

#include "wd.h"
#include "xyax.h"
#include "xym.h"
#include "xymath.h"

XYCurve::XYCurve(XYText* label, XYCurveData* data, int colour, bool visible)
    : XYObject(XYCoord(0.0), XYCoord(0.0), visible),
      label_(label),
      curveData_(data),
      colour_(colour) {}

XYCurveData* XYCurve::getCurveData() {
  return curveData_;
}
void XYCurve::setCurveData(XYCurveData* data) {
  curveData_ = data;
}
XYText* XYCurve::getLabel() {
  return label_;
}
void XYCurve::setLabel(XYText* label) {
  label_ = label;
}
int XYCurve::getColour() {
  return colour_;
}
void XYCurve::setColour(int colour) {
  colour_ = colour;
}
void XYCurve::setLegendBox(int lx0, int lx1, int ly0, int ly1) {
  lx0_ = lx0, lx1_ = lx1, ly0_ = ly0, ly1_ = ly1;
}
void XYCurve::getLegendBox(int* lx0, int* lx1, int* ly0, int* ly1) {
  *lx0 = lx0_, *lx1 = lx1_, *ly0 = ly0_, *ly1 = ly1_;
}
void XYCurve::attach(XYGraph*) {}
void XYCurve::detach(XYGraph*) {}

XYAxesCurve::XYAxesCurve(XYText* label, XYCurveData* data, XYAxis* xAxis, XYAxis* yAxis, int colour,
                         bool visible)
    : XYCurve(label, data, colour, visible), xAxis_(xAxis), yAxis_(yAxis) {}

XYAxis* XYAxesCurve::getXAxis() {
  return xAxis_;
}
void XYAxesCurve::setXAxis(XYAxis* axis) {
  xAxis_ = axis;
}
XYAxis* XYAxesCurve::getYAxis() {
  return yAxis_;
}
void XYAxesCurve::setYAxis(XYAxis* axis) {
  yAxis_ = axis;
}

void XYAxesCurve::redraw() {
  draw(vx0_, vy0_, vx1_, vy1_);
}

bool XYAxesCurve::applyCurveWindow() {
  if (!xAxis_ || !yAxis_) return false;
  const double x0 = xAxis_->transform(xAxis_->getMin()), x1 = xAxis_->transform(xAxis_->getMax());
  const double y0 = yAxis_->transform(yAxis_->getMin()), y1 = yAxis_->transform(yAxis_->getMax());
  if (x0 == x1 || y0 == y1) return false;
  setWindow(x0, x1, y0, y1);
  applyViewport();
  return true;
}

bool XYAxesCurve::worldPoint(int i, double* x, double* y) {
  double px, py;
  if (!curveData_->point(i, &px, &py)) return false;
  *x = xAxis_->transform(px);
  *y = yAxis_->transform(py);
  return true;
}

bool XYAxesCurve::insideViewport(int x, int y) const {
  return vx0_ <= x && x <= vx1_ && vy0_ <= y && y <= vy1_;
}

// The pixel box of the visible points in the window current at the call.
// Each edge is kept within the viewport; an empty curve has no box.
void XYAxesCurve::boundingBox(int* x0, int* y0, int* x1, int* y1) {
  if (!isVisible() || !curveData_ || !xAxis_ || !yAxis_) return;
  const int n = curveData_->count();
  bool any = false;
  int a0 = 0, b0 = 0, a1 = 0, b1 = 0;
  for (int i = 0; i < n; i++) {
    double wx, wy;
    if (!worldPoint(i, &wx, &wy)) continue;
    int px, py;
    wdWorld2Canvas(wx, wy, &px, &py);
    if (!any) {
      a0 = a1 = px, b0 = b1 = py;
      any = true;
    }
    a0 = std::min(a0, px), a1 = std::max(a1, px);
    b0 = std::min(b0, py), b1 = std::max(b1, py);
  }
  if (!any) return;
  *x0 = std::clamp(a0, vx0_, std::max(vx0_, vx1_));
  *x1 = std::clamp(a1, vx0_, std::max(vx0_, vx1_));
  *y0 = std::clamp(b0, vy0_, std::max(vy0_, vy1_));
  *y1 = std::clamp(b1, vy0_, std::max(vy0_, vy1_));
}

bool XYAxesCurve::insideRect(int x0, int y0, int x1, int y1) {
  if (!isVisible()) return false;
  int a0 = 0, b0 = 0, a1 = -1, b1 = -1;
  boundingBox(&a0, &b0, &a1, &b1);
  if (a1 < a0) return false;
  return xymath::rectStrictlyInside(a0, b0, a1, b1, x0, y0, x1, y1);
}
