// The position holder of every chart object: its x and y coordinates and
// how they resolve to pixels or viewport fractions for an owner.
#ifndef VARKO_XY_XYPOS_H
#define VARKO_XY_XYPOS_H

#include "xycoord.h"

class XYPosition {
 public:
  XYPosition(const XYCoord& x, const XYCoord& y);
  XYPosition(const XYPosition&) = delete;
  XYPosition& operator=(const XYPosition&) = delete;

  virtual ~XYPosition();
  virtual void set(XYCoord x, XYCoord y);
  virtual void touch(XYObject* object);
  virtual void xRelative(double* out, XYObject* owner);
  virtual void xPixel(int* out, XYObject* owner);
  virtual void touchY(XYObject* object);
  virtual void yRelative(double* out, XYObject* owner);
  virtual void yPixel(int* out, XYObject* owner);

 private:
  // the pixel of a coordinate placed beside another object
  void referencePixel(XYCoord* c, bool is_x, int* out, XYObject* owner);
  void relativeOf(XYCoord* c, bool is_x, double* out, XYObject* owner);
  void pixelOf(XYCoord* c, bool is_x, int* out, XYObject* owner);

  XYCoord* x_;
  XYCoord* y_;
};

#endif
