// Resolving chart positions: absolute pixels, fractions of the owner's
// viewport, and places beside a referenced object's box.
#include "xypos.h"

#include "xymath.h"
#include "xyobj.h"

XYPosition::XYPosition(const XYCoord& x, const XYCoord& y)
    : x_(new XYCoord(x)), y_(new XYCoord(y)) {}

XYPosition::~XYPosition() {
  delete x_;
  delete y_;
}

void XYPosition::set(XYCoord x, XYCoord y) {
  *x_ = x;
  *y_ = y;
}

void XYPosition::touch(XYObject*) {}
void XYPosition::touchY(XYObject*) {}

void XYPosition::referencePixel(XYCoord* c, bool is_x, int* out, XYObject* owner) {
  XYObject* ref = c->getReference();
  if (ref == nullptr) {
    *out = 0;
    return;
  }
  double rx = 0.0, ry = 0.0;
  ref->getRelativePosition(&rx, &ry);
  const int side = c->getSide();
  // a reference still at relative x 0.0 has not been placed yet
  if (rx == 0.0 || (side != 0 && side != 1) || owner == nullptr) return;
  int rx0 = 0, ry0 = 0, rx1 = 0, ry1 = 0;
  ref->boundingBox(&rx0, &ry0, &rx1, &ry1);
  // the owner's extent measured from its anchor
  int saved_absolute = 0;
  c->getAbsolute(&saved_absolute);
  c->setAbsolute(0);
  int ox0 = 0, oy0 = 0, ox1 = 0, oy1 = 0;
  owner->boundingBox(&ox0, &oy0, &ox1, &oy1);
  c->setAbsolute(saved_absolute);
  c->setMode(XYCoord::kReference);
  const int offset = c->getOffset();
  const int r0 = is_x ? rx0 : ry0, r1 = is_x ? rx1 : ry1;
  const int o0 = is_x ? ox0 : oy0, o1 = is_x ? ox1 : oy1;
  *out = side == 0 ? r0 - o1 - offset : r1 - o0 + offset + 1;
}

void XYPosition::pixelOf(XYCoord* c, bool is_x, int* out, XYObject* owner) {
  int v0 = 0, v1 = 0;
  if (owner) {
    int vx0, vx1, vy0, vy1;
    owner->getViewport(&vx0, &vx1, &vy0, &vy1);
    v0 = is_x ? vx0 : vy0;
    v1 = is_x ? vx1 : vy1;
  }
  switch (c->getMode()) {
    case XYCoord::kAbsolute:
      c->getAbsolute(out);
      break;
    case XYCoord::kRelative:
      if (owner) {
        double r;
        c->getRelative(&r);
        *out = v0 + xymath::Trunc(r * (v1 - v0));
      }
      break;
    case XYCoord::kReference:
      referencePixel(c, is_x, out, owner);
      break;
    default:
      break;
  }
}

void XYPosition::relativeOf(XYCoord* c, bool is_x, double* out, XYObject* owner) {
  int v0 = 0, v1 = 0;
  if (owner) {
    int vx0, vx1, vy0, vy1;
    owner->getViewport(&vx0, &vx1, &vy0, &vy1);
    v0 = is_x ? vx0 : vy0;
    v1 = is_x ? vx1 : vy1;
  }
  switch (c->getMode()) {
    case XYCoord::kRelative:
      c->getRelative(out);
      break;
    case XYCoord::kAbsolute:
      if (owner) {
        int a;
        c->getAbsolute(&a);
        *out = double(a - v0) / double(v1 - v0);
      }
      break;
    case XYCoord::kReference: {
      XYObject* ref = c->getReference();
      if (ref == nullptr) {
        *out = 0.0;
        break;
      }
      int px = 0, py = 0;
      ref->getPixelPosition(&px, &py);
      if (px == 0) break;
      int p = 0;
      referencePixel(c, is_x, &p, owner);
      *out = double(p - v0) / double(v1 - v0);
      break;
    }
    default:
      break;
  }
}

void XYPosition::xRelative(double* out, XYObject* owner) {
  relativeOf(x_, true, out, owner);
}
void XYPosition::xPixel(int* out, XYObject* owner) {
  pixelOf(x_, true, out, owner);
}
void XYPosition::yRelative(double* out, XYObject* owner) {
  relativeOf(y_, false, out, owner);
}
void XYPosition::yPixel(int* out, XYObject* owner) {
  pixelOf(y_, false, out, owner);
}
