// The marker base.
#include "xymk.h"

#include "xyax.h"

namespace {
XYCoord Place(XYAxis* axis, double value, bool want_x) {
  double rx = 0.0, ry = 0.0;
  if (axis) axis->valueToRelative(value, &rx, &ry);
  return XYCoord(want_x ? rx : ry);
}
}  // namespace

XYMarker::XYMarker(XYAxis* axis, double value, int colour, int width, int style, bool visible)
    : XYObject(Place(axis, value, true), Place(axis, value, false), visible),
      axis_(axis),
      value_(value),
      colour_(colour),
      width_(width),
      style_(style) {}

XYAxis* XYMarker::getAxis() {
  return axis_;
}
void XYMarker::setAxis(XYAxis* axis) {
  axis_ = axis;
}
double XYMarker::getValue() {
  return value_;
}
void XYMarker::setValue(double value) {
  value_ = value;
}
int XYMarker::getColour() {
  return colour_;
}
void XYMarker::setColour(int colour) {
  colour_ = colour;
}
int XYMarker::getWidth() {
  return width_;
}
void XYMarker::setWidth(int width) {
  width_ = width;
}
int XYMarker::getStyle() {
  return style_;
}
void XYMarker::setStyle(int style) {
  style_ = style;
}
double XYMarker::getLength() {
  return length_;
}
void XYMarker::setLength(double length) {
  length_ = length;
}
void XYMarker::attach(XYGraph*) {}
void XYMarker::detach(XYGraph*) {}

void XYMarker::valueAt(double x, double y, double* value) {
  if (!axis_) return;
  double ox = 0.0, oy = 0.0;
  axis_->getRelativePosition(&ox, &oy);
  const double s = axis_->getAngle() != 0.0 ? y - oy : x - ox;
  const double min = axis_->getMin(), max = axis_->getMax();
  *value = min + (max - min) * s / axis_->getLength();
}
