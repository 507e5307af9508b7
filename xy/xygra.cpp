// The graph base: canvas and buffer handling, child lists, viewport and
// plot area arithmetic, picking, scrolling and the drawing of children.
// Without a canvas nothing is drawn: there may be no active canvas then.
#include "xygra.h"

#include <algorithm>
#include <new>

#include "wd.h"
#include "xyax.h"
#include "xyleg.h"
#include "xymath.h"
#include "xymca.h"
#include "xymk.h"
#include "xytext.h"

namespace {

template <class T>
void Prepend(XYListNode<T>** head, T* child) {
  auto* node = new (std::nothrow) XYListNode<T>{*head, child};
  if (node) *head = node;  // an allocation failure leaves the child unlisted
}

template <class T>
void Unlink(XYListNode<T>** head, T* child) {
  for (XYListNode<T>** link = head; *link; link = &(*link)->next) {
    if ((*link)->child == child) {
      XYListNode<T>* node = *link;
      *link = node->next;
      delete node;
      return;
    }
  }
}

template <class T>
void FreeList(XYListNode<T>** head) {
  while (*head) {
    XYListNode<T>* node = *head;
    *head = node->next;
    delete node;
  }
}

template <class T>
bool Holds(XYListNode<T>* head, XYObject* object) {
  for (; head; head = head->next)
    if (static_cast<XYObject*>(head->child) == object) return true;
  return false;
}

template <class T, class F>
T* FirstOf(XYListNode<T>* head, F hit) {
  for (; head; head = head->next)
    if (hit(head->child)) return head->child;
  return nullptr;
}

}  // namespace

XYGraph::XYGraph(IupElement* nativeCanvas, XYCanvasDrivers drivers, XYCoord x, XYCoord y,
                 double widthFraction, double heightFraction, bool visible)
    : XYObject(x, y, visible),
      nativeCanvas_(nativeCanvas),
      widthFraction_(widthFraction),
      heightFraction_(heightFraction),
      drivers_(drivers) {
  if (initCanvas() == 0) {
    setWindow(0, 1, 0, 1);
    computeViewport();
    XYGraph::layout();
  }
}

XYGraph::XYGraph(cdCanvasHandle canvas, XYCanvasDrivers drivers, XYCoord x, XYCoord y,
                 double widthFraction, double heightFraction, bool visible)
    : XYObject(x, y, visible),
      canvas_(canvas),
      widthFraction_(widthFraction),
      heightFraction_(heightFraction),
      drivers_(drivers) {
  if (initCanvas() == 0) {
    setWindow(0, 1, 0, 1);
    computeViewport();
    XYGraph::layout();
  }
}

XYGraph::~XYGraph() {
  if (bufferCanvas_) cdKillCanvas(bufferCanvas_);
  if (bufferImage_) cdKillImage(bufferImage_);
  if (canvas_ && ownsCanvas_) cdKillCanvas(canvas_);
  FreeList(&texts_);
  FreeList(&axes_);
  FreeList(&curves_);
  FreeList(&marks_);
}

bool XYGraph::canvasSize(int* w, int* h, double* wmm, double* hmm) {
  cdCanvasHandle active = cdActiveCanvas();
  if (active == nullptr || (active != canvas_ && active != bufferCanvas_)) {
    if (canvas_ == nullptr || cdActivate(canvas_) == CD_ERROR) return false;
  }
  cdGetCanvasSize(w, h, wmm, hmm);
  return true;
}

void XYGraph::getPixelPosition(int* x, int* y) {
  const int saved[4] = {vx0_, vx1_, vy0_, vy1_};
  int w = 1, h = 1;
  if (!canvasSize(&w, &h, nullptr, nullptr)) w = h = 1;
  vx0_ = 0, vx1_ = w - 1, vy0_ = 0, vy1_ = h - 1;
  XYObject::getPixelPosition(x, y);
  vx0_ = saved[0], vx1_ = saved[1], vy0_ = saved[2], vy1_ = saved[3];
}

void XYGraph::getRelativePosition(double* x, double* y) {
  const int saved[4] = {vx0_, vx1_, vy0_, vy1_};
  int w = 1, h = 1;
  if (!canvasSize(&w, &h, nullptr, nullptr)) w = h = 1;
  vx0_ = 0, vx1_ = w - 1, vy0_ = 0, vy1_ = h - 1;
  XYObject::getRelativePosition(x, y);
  vx0_ = saved[0], vx1_ = saved[1], vy0_ = saved[2], vy1_ = saved[3];
}

void XYGraph::setPixelPosition(int x, int y) {
  XYObject::setPixelPosition(x, y);
  computeViewport();
}

void XYGraph::setRelativePosition(double x, double y) {
  XYObject::setRelativePosition(x, y);
  computeViewport();
}

void XYGraph::boundingBox(int*, int*, int*, int*) {}
void XYGraph::setCanvas(cdCanvasHandle canvas) {
  canvas_ = canvas;
}
cdCanvasHandle XYGraph::getCanvas() {
  return canvas_;
}
cdCanvasHandle XYGraph::getBufferCanvas() {
  return bufferCanvas_;
}
cdCanvasHandle XYGraph::setBufferCanvas(cdCanvasHandle canvas) {
  cdCanvasHandle previous = bufferCanvas_;
  bufferCanvas_ = canvas;
  return previous;
}

void XYGraph::createBufferImage(int w, int h) {
  bufferWidth_ = w, bufferHeight_ = h;
  bufferImage_ = cdCreateImage(w, h);
}

void XYGraph::addMark(XYMarker* mark) {
  mark->attach(this);
  Prepend(&marks_, mark);
}
void XYGraph::addCurve(XYCurve* curve) {
  curve->attach(this);
  Prepend(&curves_, curve);
}
void XYGraph::addAxis(XYAxis* axis) {
  axis->attach(this);
  Prepend(&axes_, axis);
}
void XYGraph::addText(XYText* text) {
  text->attach(this);
  Prepend(&texts_, text);
}
void XYGraph::removeMark(XYMarker* mark) {
  mark->detach(this);
  Unlink(&marks_, mark);
}
void XYGraph::removeCurve(XYCurve* curve) {
  curve->detach(this);
  Unlink(&curves_, curve);
}
void XYGraph::removeAxis(XYAxis* axis) {
  axis->detach(this);
  Unlink(&axes_, axis);
}
void XYGraph::removeText(XYText* text) {
  text->detach(this);
  Unlink(&texts_, text);
}
XYListNode<XYText>** XYGraph::textList() {
  return &texts_;
}
XYListNode<XYAxis>** XYGraph::axisList() {
  return &axes_;
}
XYListNode<XYCurve>** XYGraph::curveList() {
  return &curves_;
}
XYListNode<XYMarker>** XYGraph::markList() {
  return &marks_;
}

XYCurve* XYGraph::curveAt(int p) {
  if (p <= 1) return nullptr;
  XYListNode<XYCurve>* node = curves_;
  for (int i = 2; node && i < p; i++) node = node->next;
  return node ? node->child : nullptr;
}

XYLegend* XYGraph::getLegend() {
  return legend_;
}
void XYGraph::setLegend(XYLegend* legend) {
  if (legend) legend->setCurveList(&curves_);
  legend_ = legend;
}
int XYGraph::getBackground() {
  return background_;
}
void XYGraph::setBackground(int colour) {
  background_ = colour;
}
double XYGraph::getWidthFraction() {
  return widthFraction_;
}
void XYGraph::setWidthFraction(double fraction) {
  widthFraction_ = fraction;
  computeViewport();
}
double XYGraph::getHeightFraction() {
  return heightFraction_;
}
void XYGraph::setHeightFraction(double fraction) {
  heightFraction_ = fraction;
  computeViewport();
}
bool XYGraph::getStretch() {
  return stretch_;
}
void XYGraph::setStretch(bool stretch) {
  stretch_ = stretch;
}
bool XYGraph::getDoubleBuffer() {
  return doubleBuffer_;
}
bool XYGraph::setDoubleBuffer(bool on) {
  const bool previous = doubleBuffer_;
  doubleBuffer_ = on;
  return previous;
}
int XYGraph::getPlotBackground() {
  return plotBackground_;
}
void XYGraph::setPlotBackground(int colour) {
  plotBackground_ = colour;
}
void XYGraph::setPlotArea(double xmin, double xmax, double ymin, double ymax) {
  xmin_ = xmin, xmax_ = xmax, ymin_ = ymin, ymax_ = ymax;
}
void XYGraph::getPlotArea(double* xmin, double* xmax, double* ymin, double* ymax) {
  *xmin = xmin_, *xmax = xmax_, *ymin = ymin_, *ymax = ymax_;
}

void XYGraph::plotAreaPixels(int* x0, int* y0, int* x1, int* y1) {
  const int W = vx1_ - vx0_, H = vy1_ - vy0_;
  *x0 = xymath::Trunc(vx0_ + xmin_ * W);
  *y0 = xymath::Trunc(vy0_ + ymin_ * H - 1);
  *x1 = xymath::Trunc(vx0_ + xmax_ * W + 1);
  *y1 = xymath::Trunc(vy0_ + ymax_ * H);
}

bool XYGraph::contains(XYObject* object) {
  return Holds(texts_, object) || Holds(axes_, object) || Holds(curves_, object) ||
         Holds(marks_, object) || (legend_ && static_cast<XYObject*>(legend_) == object);
}

int XYGraph::initCanvas() {
  if (!canvas_) {
    if (nativeCanvas_ && drivers_.element) {
      canvas_ = cdCreateCanvas(drivers_.element, nativeCanvas_);
      ownsCanvas_ = canvas_ != nullptr;
    }
    if (!canvas_) return -1;
  }
  if (cdActivate(canvas_) == CD_ERROR) return -1;
  cdBackground(background_);
  applyViewport();
  setWindow(0, 1, 0, 1);
  if (doubleBuffer_) {
    if (!bufferCanvas_) {
      int w = 0, h = 0;
      cdGetCanvasSize(&w, &h, nullptr, nullptr);
      if (!bufferImage_ || w != bufferWidth_ || h != bufferHeight_) {
        if (bufferImage_) cdKillImage(bufferImage_);
        bufferImage_ = nullptr;
        createBufferImage(w, h);
        if (!bufferImage_) return -1;
      }
      if (!drivers_.image) return -1;
      bufferCanvas_ = cdCreateCanvas(drivers_.image, bufferImage_);
      if (!bufferCanvas_) return -1;
      if (cdActivate(bufferCanvas_) == CD_ERROR) return -1;
      cdClear();
    }
    if (cdActivate(bufferCanvas_) == CD_ERROR) return -1;
    cdBackground(background_);
    applyViewport();
    setWindow(0, 1, 0, 1);
  }
  return 0;
}

void XYGraph::computeViewport() {
  int w = 0, h = 0;
  double wmm = 0, hmm = 0;
  if (!canvasSize(&w, &h, &wmm, &hmm)) return;
  double rx = 0.0, ry = 0.0;
  getRelativePosition(&rx, &ry);
  int vx0, vx1, vy0, vy1;
  if (stretch_) {
    vx0 = xymath::Trunc(rx * (w - 1));
    vy0 = xymath::Trunc(ry * (h - 1));
    vx1 = xymath::Trunc(vx0 + widthFraction_ * (w - 1) + 0.5);
    vy1 = xymath::Trunc(vy0 + heightFraction_ * (h - 1) + 0.5);
  } else {
    const double m = std::min(wmm, hmm);
    const int sw = wmm > 0 ? xymath::Trunc(w / wmm * m) : 0;
    const int sh = hmm > 0 ? xymath::Trunc(h / hmm * m) : 0;
    vx0 = xymath::Trunc((w - sw) * 0.5);
    vx1 = vx0 + sw;
    vy0 = xymath::Trunc((h - sh) * 0.5);
    vy1 = vy0 + sh;
  }
  setViewport(vx0, vx1, vy0, vy1);
}

void XYGraph::layout() {
  for (auto* n = texts_; n; n = n->next) n->child->setViewport(vx0_, vx1_, vy0_, vy1_);
  for (auto* n = axes_; n; n = n->next) n->child->setViewport(vx0_, vx1_, vy0_, vy1_);
  int x0, y0, x1, y1;
  plotAreaPixels(&x0, &y0, &x1, &y1);
  for (auto* n = marks_; n; n = n->next) {
    XYMarker* mark = n->child;
    mark->setViewport(x0, x1, y0, y1);
    if (XYAxis* axis = mark->getAxis())
      mark->setLength(axis->getAngle() == 0.0 ? ymax_ - ymin_ : xmax_ - xmin_);
  }
  for (auto* n = curves_; n; n = n->next) n->child->setViewport(x0, x1 - 1, y0 + 1, y1);
  if (legend_) legend_->setViewport(vx0_, vx1_, vy0_, vy1_);
}

void XYGraph::fillRect(int x0, int x1, int y0, int y1, int colour) {
  cdForeground(colour);
  cdInteriorStyle(CD_SOLID);
  cdBox(x0, x1, y0, y1);
}

void XYGraph::fillPlotBackground() {
  int x0, y0, x1, y1;
  plotAreaPixels(&x0, &y0, &x1, &y1);
  XYSavedClip clip;
  clip.clipTo(x0, x1, y0, y1);
  fillRect(x0, x1, y0, y1, plotBackground_);
}

void XYGraph::drawChildren(int x0, int y0, int x1, int y1) {
  for (auto* n = texts_; n; n = n->next) n->child->draw(x0, y0, x1, y1);
  for (auto* n = axes_; n; n = n->next) n->child->draw(x0, y0, x1, y1);
  for (auto* n = curves_; n; n = n->next) n->child->draw(x0, y0, x1, y1);
  setWindow(0, 1, 0, 1);
  applyViewport();
  for (auto* n = marks_; n; n = n->next) n->child->draw(x0, y0, x1, y1);
  if (legend_) legend_->draw(x0, y0, x1, y1);
}

void XYGraph::draw(int x0, int y0, int x1, int y1) {
  if (!isVisible() || initCanvas() != 0) return;
  {
    XYSavedClip clip;
    clip.clipTo(x0, x1, y0, y1);
    drawChildren(x0, y0, x1, y1);
  }
  flushBuffer();
}

void XYGraph::redraw() {
  if (!isVisible() || initCanvas() != 0) return;
  draw(vx0_, vy0_, vx1_, vy1_);
}

void XYGraph::drawPlot(int x0, int y0, int x1, int y1) {
  XYSavedClip clip;
  clip.clipTo(x0, x1, y0, y1);
  for (auto* n = axes_; n; n = n->next) {
    XYAxis* axis = n->child;
    double ox, oy, ex, ey;
    axis->origin(&ox, &oy);
    axis->end(&ex, &ey);
    if (ox >= xmin_ && oy >= ymin_ && ex <= xmax_ && ey <= ymax_) axis->redraw();
  }
  for (auto* n = curves_; n; n = n->next) n->child->draw(x0, y0, x1, y1);
  setWindow(0, 1, 0, 1);
  applyViewport();
  for (auto* n = marks_; n; n = n->next) n->child->draw(x0, y0, x1, y1);
}

XYObject* XYGraph::pick(int x, int y) {
  if (initCanvas() != 0) return nullptr;
  if (XYMarker* m = FirstOf(marks_, [&](XYMarker* c) { return c->pick(x, y); })) return m;
  if (XYCurve* c = FirstOf(curves_, [&](XYCurve* c) { return c->pick(x, y); })) return c;
  setWindow(0, 1, 0, 1);
  applyViewport();
  if (legend_ && legend_->pick(x, y)) return legend_;
  if (XYText* t = FirstOf(texts_, [&](XYText* c) { return c->pick(x, y); })) return t;
  if (XYAxis* a = FirstOf(axes_, [&](XYAxis* c) { return c->pick(x, y); })) return a;
  return nullptr;
}

XYText* XYGraph::pickText(int x, int y) {
  if (initCanvas() != 0) return nullptr;
  return FirstOf(texts_, [&](XYText* c) { return c->pick(x, y); });
}
XYAxis* XYGraph::pickAxis(int x, int y) {
  if (initCanvas() != 0) return nullptr;
  return FirstOf(axes_, [&](XYAxis* c) { return c->pick(x, y); });
}
XYCurve* XYGraph::pickCurve(int x, int y) {
  if (initCanvas() != 0) return nullptr;
  return FirstOf(curves_, [&](XYCurve* c) { return c->pick(x, y); });
}
XYMarker* XYGraph::pickMark(int x, int y) {
  if (initCanvas() != 0) return nullptr;
  return FirstOf(marks_, [&](XYMarker* c) { return c->pick(x, y); });
}
XYLegend* XYGraph::pickLegend(int x, int y) {
  if (initCanvas() != 0) return nullptr;
  return legend_ && legend_->pick(x, y) ? legend_ : nullptr;
}

std::vector<XYObject*> XYGraph::selectInRect(int x0, int y0, int x1, int y1) {
  std::vector<XYObject*> found;  // in the order tested; reversed at the end
  if (initCanvas() != 0) return found;
  for (auto* n = marks_; n; n = n->next)
    if (n->child->insideRect(x0, y0, x1, y1)) found.push_back(n->child);
  for (auto* n = curves_; n; n = n->next)
    if (n->child->insideRect(x0, y0, x1, y1)) found.push_back(n->child);
  for (auto* n = axes_; n; n = n->next)
    if (n->child->insideRect(x0, y0, x1, y1)) found.push_back(n->child);
  for (auto* n = texts_; n; n = n->next)
    if (n->child->insideRect(x0, y0, x1, y1)) found.push_back(n->child);
  if (legend_ && legend_->insideRect(x0, y0, x1, y1)) found.push_back(legend_);
  std::reverse(found.begin(), found.end());
  return found;
}

void XYGraph::printPostScript() {
  cdCanvasHandle file = cdCreateCanvas(CD_PS, const_cast<char*>("imagem"));
  if (!file) return;
  cdCanvasHandle own = canvas_;
  canvas_ = file;
  // a file canvas has no server images to buffer in: the page is drawn
  // directly, as vectors
  const bool buffered = doubleBuffer_;
  doubleBuffer_ = false;
  redraw();
  doubleBuffer_ = buffered;
  cdKillCanvas(file);
  canvas_ = own;
  initCanvas();
}

void XYGraph::flushBuffer() {
  if (!canvas_ || cdActivate(canvas_) == CD_ERROR) return;
  if (bufferCanvas_) {
    int x = 0, y = 0;
    getPixelPosition(&x, &y);
    cdPutImageRect(bufferImage_, x, y, vx0_, vx1_, vy0_, vy1_);
    cdKillCanvas(bufferCanvas_);
    bufferCanvas_ = nullptr;
  }
}

void XYGraph::scroll(int dx, int dy) {
  if (initCanvas() != 0) return;
  int x0, y0, x1, y1;
  plotAreaPixels(&x0, &y0, &x1, &y1);
  XYSavedClip clip;
  clip.clipTo(x0 + 1, x1, y0, y1);
  cdScrollArea(x0, x1, y0, y1, -dx, -dy);
  const auto band = [&](int a0, int a1, int b0, int b1) {
    fillRect(a0, a1, b0, b1, 0xffffff);
    drawPlot(a0, b0, a1, b1);
  };
  if (dy > 0) band(x0, x1, y1 - dy, y1);
  if (dy < 0) band(x0, x1, y0, y0 - dy);
  if (dx > 0) band(x1 - dx, x1, y0, y1);
  if (dx < 0) band(x0, x0 - dx + 1, y0, y1);
}

void XYGraph::clearRect(int x0, int y0, int x1, int y1) {
  if (initCanvas() != 0) return;
  XYSavedClip clip;
  clip.clipTo(x0, x1, y0, y1);
  fillRect(x0, x1, y0, y1, background_);
}

void XYGraph::clearAll() {
  if (initCanvas() != 0) return;
  computeViewport();
  const int previous = cdClip(CD_CLIPOFF);
  fillRect(vx0_, vx1_, vy0_, vy1_, background_);
  cdClip(previous);
}
