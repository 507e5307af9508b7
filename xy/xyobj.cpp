// The chart object base.
#include "xyobj.h"

#include "wd.h"

XYObject::XYObject(XYCoord x, XYCoord y, bool visible) : visible_(visible), position_(x, y) {}
XYObject::~XYObject() = default;

bool XYObject::isVisible() {
  return visible_;
}
void XYObject::setVisible(bool visible) {
  visible_ = visible;
}
int XYObject::update() {
  position_.touch(this);
  return 0;
}
void XYObject::getPixelPosition(int* x, int* y) {
  position_.xPixel(x, this);
  position_.yPixel(y, this);
}
void XYObject::getRelativePosition(double* x, double* y) {
  position_.xRelative(x, this);
  position_.yRelative(y, this);
}
void XYObject::setPixelPosition(int x, int y) {
  position_.set(XYCoord(x), XYCoord(y));
}
void XYObject::setRelativePosition(double x, double y) {
  position_.set(XYCoord(x), XYCoord(y));
}
void XYObject::setData(int data) {
  data_ = data;
}
int XYObject::getData() {
  return data_;
}
void XYObject::setWindow(double xmin, double xmax, double ymin, double ymax) {
  wdWindow(xmin, xmax, ymin, ymax);
}
void XYObject::applyViewport() {
  wdViewport(vx0_, vx1_, vy0_, vy1_);
}
void XYObject::setViewport(int vx0, int vx1, int vy0, int vy1) {
  vx0_ = vx0, vx1_ = vx1, vy0_ = vy0, vy1_ = vy1;
  applyViewport();
}
void XYObject::getViewport(int* vx0, int* vx1, int* vy0, int* vy1) {
  *vx0 = vx0_, *vx1 = vx1_, *vy0 = vy0_, *vy1 = vy1_;
}

XYSavedClip::XYSavedClip() {
  cdGetClipArea(&xmin_, &xmax_, &ymin_, &ymax_);
}

void XYSavedClip::clipTo(int xmin, int xmax, int ymin, int ymax) {
  const int previous = cdClip(CD_CLIPAREA);
  if (!changed_) mode_ = previous;
  changed_ = true;
  cdClipArea(xmin, xmax, ymin, ymax);
}

XYSavedClip::~XYSavedClip() {
  cdClipArea(xmin_, xmax_, ymin_, ymax_);
  if (changed_) cdClip(mode_);
}

XYSavedWorld::XYSavedWorld() {
  wdGetWindow(&wx0_, &wx1_, &wy0_, &wy1_);
  wdGetViewport(&vx0_, &vx1_, &vy0_, &vy1_);
}

XYSavedWorld::~XYSavedWorld() {
  wdWindow(wx0_, wx1_, wy0_, wy1_);
  wdViewport(vx0_, vx1_, vy0_, vy1_);
}
