// The cartesian graph: the plot area from the axes, the grids laid over it,
// and the full drawing order (plot background, grids, texts, axes, curves,
// marks, legend).
#include "xygraca.h"

#include <algorithm>

#include "wd.h"
#include "xyax.h"
#include "xygrid.h"
#include "xymkca.h"

XYCartesianGraph::XYCartesianGraph(IupElement* nativeCanvas, XYCanvasDrivers drivers, XYCoord x,
                                   XYCoord y, double widthFraction, double heightFraction,
                                   bool visible, XYGrid* grid1, XYGrid* grid2)
    : XYGraph(nativeCanvas, drivers, x, y, widthFraction, heightFraction, visible),
      grid1_(grid1),
      grid2_(grid2) {}

XYCartesianGraph::XYCartesianGraph(cdCanvasHandle canvas, XYCanvasDrivers drivers, XYCoord x,
                                   XYCoord y, double widthFraction, double heightFraction,
                                   bool visible, XYGrid* grid1, XYGrid* grid2)
    : XYGraph(canvas, drivers, x, y, widthFraction, heightFraction, visible),
      grid1_(grid1),
      grid2_(grid2) {}

void XYCartesianGraph::setGrid1(XYGrid* grid) {
  grid1_ = grid;
}
XYGrid* XYCartesianGraph::getGrid1() {
  return grid1_;
}
void XYCartesianGraph::setGrid2(XYGrid* grid) {
  grid2_ = grid;
}
XYGrid* XYCartesianGraph::getGrid2() {
  return grid2_;
}

void XYCartesianGraph::computePlotArea() {
  xmin_ = 1.0, xmax_ = 0.0, ymin_ = 1.0, ymax_ = 0.0;
  for (auto* n = axes_; n; n = n->next) {
    XYAxis* axis = n->child;
    double x = 0.0, y = 0.0;
    axis->getRelativePosition(&x, &y);
    const double L = axis->getLength();
    switch (static_cast<int>(axis->getAngle())) {
      case 0:
        xmin_ = std::min(xmin_, x), xmax_ = std::max(xmax_, x + L);
        break;
      case 90:
        ymin_ = std::min(ymin_, y), ymax_ = std::max(ymax_, y + L);
        break;
      case 180:
        xmax_ = std::max(xmax_, x), xmin_ = std::min(xmin_, x - L);
        break;
      case 270:
        ymax_ = std::max(ymax_, y), ymin_ = std::min(ymin_, y - L);
        break;
      default:
        break;
    }
  }
}

void XYCartesianGraph::layout() {
  XYGraph::layout();
  if (grid1_) {
    grid1_->setRelativePosition(xmin_, ymin_);
    grid1_->setLength(xmax_ - xmin_);
    grid1_->setSpan(ymax_ - ymin_);
    grid1_->setViewport(vx0_, vx1_, vy0_, vy1_);
  }
  if (grid2_) {
    grid2_->setRelativePosition(xmin_, ymin_);
    grid2_->setLength(ymax_ - ymin_);
    grid2_->setSpan(xmax_ - xmin_);
    grid2_->setViewport(vx0_, vx1_, vy0_, vy1_);
  }
}

void XYCartesianGraph::draw(int x0, int y0, int x1, int y1) {
  if (!isVisible() || initCanvas() != 0) return;
  layout();
  fillPlotBackground();
  {
    XYSavedClip clip;
    clip.clipTo(x0, x1, y0, y1);
    if (grid1_) grid1_->draw(x0, y0, x1, y1);
    if (grid2_) grid2_->draw(x0, y0, x1, y1);
    drawChildren(x0, y0, x1, y1);
  }
  flushBuffer();
}

void XYCartesianGraph::redraw() {
  if (!isVisible() || initCanvas() != 0) return;
  computeViewport();
  draw(vx0_, vy0_, vx1_, vy1_);
}

XYMarker* XYCartesianGraph::addMarkAt(int x, int y, XYAxis* axis) {
  if (!axis) return nullptr;
  const double v = axis->pixelToValue(x, y);
  auto* mark = new XYCartesianMarker(axis, v, axis->getColour(), 2, 0, true);
  mark->setLength(axis->getAngle() == 0.0 ? ymax_ - ymin_ : xmax_ - xmin_);
  addMark(mark);
  return mark;
}

XYObject* XYCartesianGraph::pick(int x, int y) {
  if (XYObject* hit = XYGraph::pick(x, y)) return hit;
  if (grid1_ && grid1_->pick(x, y)) return grid1_;
  if (grid2_ && grid2_->pick(x, y)) return grid2_;
  return nullptr;
}

std::vector<XYObject*> XYCartesianGraph::selectInRect(int x0, int y0, int x1, int y1) {
  std::vector<XYObject*> found = XYGraph::selectInRect(x0, y0, x1, y1);
  if (grid1_ && grid1_->insideRect(x0, y0, x1, y1)) found.insert(found.begin(), grid1_);
  if (grid2_ && grid2_->insideRect(x0, y0, x1, y1)) found.insert(found.begin(), grid2_);
  return found;
}

void XYCartesianGraph::drawPlot(int x0, int y0, int x1, int y1) {
  {
    XYSavedClip clip;
    clip.clipTo(x0, x1, y0, y1);
    if (grid1_) grid1_->draw(x0, y0, x1, y1);
    if (grid2_) grid2_->draw(x0, y0, x1, y1);
  }
  XYGraph::drawPlot(x0, y0, x1, y1);
}

void XYCartesianGraph::redrawPlot() {
  if (initCanvas() != 0) return;
  layout();
  int x0, y0, x1, y1;
  plotAreaPixels(&x0, &y0, &x1, &y1);
  drawPlot(x0, y0, x1, y1);
}
