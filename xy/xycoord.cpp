// Coordinate values of chart objects.
#include "xycoord.h"

XYCoord::XYCoord(double relative) : relative_(relative), mode_(kRelative) {}
XYCoord::XYCoord(XYObject* reference, int side, int offset)
    : relative_(0.0), mode_(kReference), reference_(reference), side_(side), offset_(offset) {}
XYCoord::XYCoord() = default;
XYCoord::XYCoord(int absolute) : absolute_(absolute), mode_(kAbsolute) {}
XYCoord::XYCoord(const XYCoord& other) = default;
XYCoord& XYCoord::operator=(const XYCoord& other) = default;
XYCoord::~XYCoord() = default;

void XYCoord::setAbsolute(int absolute) {
  absolute_ = absolute;
  mode_ = kAbsolute;
}
void XYCoord::setRelative(double relative) {
  relative_ = relative;
  mode_ = kRelative;
}
void XYCoord::setReference(XYObject* reference, int side, int offset) {
  reference_ = reference;
  side_ = side;
  offset_ = offset;
  mode_ = kReference;
}
void XYCoord::getAbsolute(int* absolute) {
  *absolute = absolute_;
}
void XYCoord::getRelative(double* relative) {
  *relative = relative_;
}
int XYCoord::getMode() {
  return mode_;
}
void XYCoord::setMode(int mode) {
  mode_ = mode;
}
XYObject* XYCoord::getReference() {
  return reference_;
}
void XYCoord::setReference(XYObject* reference) {
  reference_ = reference;
}
int XYCoord::getSide() {
  return side_;
}
void XYCoord::setSide(int side) {
  side_ = side;
}
int XYCoord::getOffset() {
  return offset_;
}
void XYCoord::setOffset(int offset) {
  offset_ = offset;
}
