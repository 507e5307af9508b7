// The legend. Each draw stores the entries' boxes in the curves, so that
// pickEntry answers for the layout last drawn.
#include "xyleg.h"

#include <algorithm>

#include "cd.h"
#include "xymath.h"
#include "xymca.h"
#include "xytext.h"

XYLegend::XYLegend(XYCoord x, XYCoord y, int rows, int columns, bool frame, bool visible)
    : XYObject(x, y, visible), rows_(rows), columns_(columns), frame_(frame) {}

XYListNode<XYCurve>** XYLegend::getCurveList() {
  return curveList_;
}
void XYLegend::setCurveList(XYListNode<XYCurve>** list) {
  curveList_ = list;
}
int XYLegend::getBackground() {
  return background_;
}
void XYLegend::setBackground(int colour) {
  background_ = colour;
}
int XYLegend::getFrameColour() {
  return frameColour_;
}
void XYLegend::setFrameColour(int colour) {
  frameColour_ = colour;
}
int XYLegend::getRows() {
  return rows_;
}
void XYLegend::setRows(int rows) {
  rows_ = rows;
}
int XYLegend::getColumns() {
  return columns_;
}
void XYLegend::setColumns(int columns) {
  columns_ = columns;
}
bool XYLegend::getFrame() {
  return frame_;
}
void XYLegend::setFrame(bool frame) {
  frame_ = frame;
}
void XYLegend::redraw() {
  draw(vx0_, vy0_, vx1_, vy1_);
}

void XYLegend::boundingBox(int* x0, int* y0, int* x1, int* y1) {
  if (!isVisible()) return;
  int px = 0, py = 0;
  getPixelPosition(&px, &py);
  int right = px, top = py;
  bool labelled = false;
  for (XYListNode<XYCurve>* node = curveList_ ? *curveList_ : nullptr; node; node = node->next) {
    XYText* label = node->child->getLabel();
    if (!label) continue;
    label->setAlignment(CD_SOUTH_WEST);
    label->setViewport(vx0_, vx1_, vy0_, vy1_);
    label->setPixelPosition(px, py);
    int a0 = px, b0 = py, a1 = px, b1 = py;
    label->boundingBox(&a0, &b0, &a1, &b1);
    right = std::max(right, a1), top = std::max(top, b1);
    labelled = true;
  }
  if (labelled) {
    right = right + 44;
    right = right + (right - px) * (columns_ - 1);
    top = top + (top - py) * (rows_ - 1);
    right += 4, top += 4;
  }
  *x0 = px, *y0 = py, *x1 = right, *y1 = top;
}

void XYLegend::draw(int, int, int, int) {
  if (!isVisible()) return;
  int bx0 = 0, by0 = 0, bx1 = 0, by1 = 0;
  boundingBox(&bx0, &by0, &bx1, &by1);
  if (bx0 == bx1 && by0 == by1) return;
  if (frame_) {
    cdForeground(frameColour_);
    cdInteriorStyle(CD_SOLID);
    cdBox(bx0, bx1, by0, by1);
  }
  fillBox(bx0 + 2, by0 + 2, bx1 - 2, by1 - 2);
  if (rows_ <= 0 || columns_ <= 0) return;
  const int cellW = (bx1 - bx0 - 4) / columns_, cellH = (by1 - by0 - 4) / rows_;
  int y = by1 - cellH - 2, ys = y + 4;
  XYListNode<XYCurve>* node = curveList_ ? *curveList_ : nullptr;
  const auto nextLabelled = [&]() -> XYCurve* {
    while (node && !node->child->getLabel()) node = node->next;
    if (!node) return nullptr;
    XYCurve* curve = node->child;
    node = node->next;
    return curve;
  };
  for (int row = 0; row < rows_; row++) {
    int x = bx0 + 6;
    for (int column = 0; column < columns_; column++) {
      XYCurve* curve = nextLabelled();
      if (!curve) break;
      XYText* label = curve->getLabel();
      label->setAlignment(CD_SOUTH_WEST);
      label->setPixelPosition(x + 36, y);
      int tx0 = x, ty0 = y, tx1 = x, ty1 = y;
      label->boundingBox(&tx0, &ty0, &tx1, &ty1);
      label->draw(x, y, tx1, ty1);
      curve->setLegendBox(x, tx1, y, ty1);
      curve->drawLegendSymbol(x, ys, x + 32, ty1 - 4);
      x += cellW;
    }
    y -= cellH, ys -= cellH;
  }
}

bool XYLegend::pick(int x, int y) {
  if (!isVisible()) return false;
  int x0 = 0, y0 = 0, x1 = -1, y1 = -1;
  boundingBox(&x0, &y0, &x1, &y1);
  return xymath::pointInRect(x, y, x0, y0, x1, y1);
}

XYCurve* XYLegend::pickEntry(int x, int y) {
  if (!isVisible()) return nullptr;
  for (XYListNode<XYCurve>* node = curveList_ ? *curveList_ : nullptr; node; node = node->next) {
    int lx0, lx1, ly0, ly1;
    node->child->getLegendBox(&lx0, &lx1, &ly0, &ly1);
    if (lx0 <= x && x <= lx1 && ly0 <= y && y <= ly1) return node->child;
  }
  return nullptr;
}

bool XYLegend::insideRect(int x0, int y0, int x1, int y1) {
  if (!isVisible()) return false;
  int a0 = 0, b0 = 0, a1 = 0, b1 = 0;
  boundingBox(&a0, &b0, &a1, &b1);
  return xymath::rectStrictlyInside(a0, b0, a1, b1, x0, y0, x1, y1);
}

void XYLegend::fillBox(int x0, int y0, int x1, int y1) {
  cdForeground(background_);
  cdInteriorStyle(CD_SOLID);
  cdBox(x0, x1, y0, y1);
}

void XYLegend::fillBackground() {
  fillBox(vx0_, vy0_, vx1_, vy1_);
}
