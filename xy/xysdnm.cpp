// Numeric tick labels: every label is the stamp text placed at the outer
// end of its tick mark; labels are thinned to every k-th tick so that the
// widest of them never overlaps its neighbour.
#include "xysdnm.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "wd.h"
#include "xyax.h"
#include "xymath.h"
#include "xytext.h"

XYSubdivision::~XYSubdivision() = default;

XYNumericSubdivision::XYNumericSubdivision(const char* format, XYText* labelText)
    : format_(format), labelText_(labelText) {}

XYNumericSubdivision::XYNumericSubdivision(const char* format, XYText* labelText, double divisor)
    : format_(format), labelText_(labelText), divisor_(divisor) {}

const char* XYNumericSubdivision::getFormat() {
  return format_;
}
void XYNumericSubdivision::setFormat(const char* format) {
  format_ = format;
}

void XYNumericSubdivision::labelText(double value, char* out) {
  std::snprintf(out, 80, format_ ? format_ : "%g", value / divisor_);
}

struct XYNumericSubdivision::Layout {
  double sx, sy;  // step vector
  double tx, ty;  // outer end of the first tick mark
  int n;          // index of the last tick
  int k;          // label interval
  char widest[80];
};

namespace {
struct Box {
  int x0 = 0, y0 = 0, x1 = 0, y1 = 0;
};

Box StampBox(XYText* stamp, const char* text, double x, double y) {
  stamp->setText(text);
  stamp->setRelativePosition(x, y);
  Box b;
  stamp->boundingBox(&b.x0, &b.y0, &b.x1, &b.y1);
  return b;
}
}  // namespace

bool XYNumericSubdivision::prepare(XYAxis* axis, Layout* l) {
  if (labelText_ == nullptr || !(axis->getStep() > 0.0)) return false;
  axis->stepVector(&l->sx, &l->sy);
  double bx, by;
  axis->firstTickSegment(&bx, &by, &l->tx, &l->ty);
  int vx0, vx1, vy0, vy1;
  axis->getViewport(&vx0, &vx1, &vy0, &vy1);
  labelText_->setViewport(vx0, vx1, vy0, vy1);
  l->n = axis->lastTickIndex();
  char first[80], last[80];
  labelText(axis->firstTick(), first);
  labelText(axis->getMax(), last);
  const Box a = StampBox(labelText_, first, l->tx, l->ty);
  const Box b = StampBox(labelText_, last, l->tx + l->n * l->sx, l->ty + l->n * l->sy);
  std::snprintf(l->widest, sizeof l->widest, "%s", b.x1 - b.x0 > a.x1 - a.x0 ? last : first);
  const Box w = StampBox(labelText_, l->widest, l->tx, l->ty);
  l->k = 1;
  // beyond the last tick no label is left to collide with
  const int most = std::max(l->n, 0) + 1;
  Box next = StampBox(labelText_, l->widest, l->tx + l->sx, l->ty + l->sy);
  while (l->k < most &&
         xymath::rectsOverlap(w.x0, w.y0, w.x1, w.y1, next.x0, next.y0, next.x1, next.y1)) {
    l->k++;
    next = StampBox(labelText_, l->widest, l->tx + l->k * l->sx, l->ty + l->k * l->sy);
  }
  return true;
}

void XYNumericSubdivision::drawLabels(XYAxis* axis, int, int) {
  Layout l;
  if (!prepare(axis, &l)) return;
  int vx0, vx1, vy0, vy1;
  axis->getViewport(&vx0, &vx1, &vy0, &vy1);
  const double max = axis->getMax(), step = axis->getStep();
  double v = axis->firstTick(), x = l.tx, y = l.ty;
  char text[80];
  for (int counter = 0; xymath::atMost(v, max) && counter <= l.n + 1; counter++) {
    labelText(v, text);
    labelText_->setText(text);
    labelText_->setRelativePosition(x, y);
    if (counter % l.k == 0) labelText_->draw(vx0, vy0, vx1, vy1);
    x += l.sx, y += l.sy;
    if (v + step == v) break;
    v += step;
  }
}

void XYNumericSubdivision::labelsBox(XYAxis* axis, int* x0, int* y0, int* x1, int* y1) {
  Layout l;
  if (!prepare(axis, &l)) return;
  XYSavedWorld saved;
  axis->setWindow(0, 1, 0, 1);
  axis->applyViewport();
  double xmin = l.tx, xmax = l.tx, ymin = l.ty, ymax = l.ty;
  const double max = axis->getMax(), step = axis->getStep();
  double v = axis->firstTick(), x = l.tx, y = l.ty;
  char text[80];
  for (int counter = 0; v <= max && counter <= l.n + 1; counter++) {
    if (counter % l.k == 0) {
      labelText(v, text);
      int b0 = 0, c0 = 0, b1 = -1, c1 = -1;
      labelText_->setText(text);
      labelText_->setRelativePosition(x, y);
      labelText_->boundingBox(&b0, &c0, &b1, &c1);
      if (b1 >= b0) {
        double a0, e0, a1, e1;
        wdCanvas2World(b0, c0, &a0, &e0);
        wdCanvas2World(b1, c1, &a1, &e1);
        xmin = std::fmin(xmin, std::fmin(a0, a1)), xmax = std::fmax(xmax, std::fmax(a0, a1));
        ymin = std::fmin(ymin, std::fmin(e0, e1)), ymax = std::fmax(ymax, std::fmax(e0, e1));
      }
    }
    x += l.sx, y += l.sy;
    if (v + step == v) break;
    v += step;
  }
  int px0, py0, px1, py1;
  wdWorld2Canvas(xmin, ymin, &px0, &py0);
  wdWorld2Canvas(xmax, ymax, &px1, &py1);
  *x0 = std::min(px0, px1), *x1 = std::max(px0, px1);
  *y0 = std::min(py0, py1), *y1 = std::max(py0, py1);
}
