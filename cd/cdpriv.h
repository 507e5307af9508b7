/* Internal helpers shared by the modules of the canvas core (cd.cpp,
 * cdprim.cpp, cdimage.cpp, wd.cpp): the active canvas, the coordinate
 * pipeline and attribute setting on a given canvas. */
#ifndef VARKO_CDPRIV_H
#define VARKO_CDPRIV_H

#include "cddriver.h"

namespace cdcore {

cdCanvas* Active();

/* Sends WorldMode when the flag differs from the last value sent. */
inline void SetWorldMode(cdCanvas* cv, int world) {
  if (cv->use_world != world) {
    cv->use_world = world;
    if (cv->ops.WorldMode) cv->ops.WorldMode(cv, world);
  }
}

/* a coordinate moved by the origin or turned over: sums near the ends of
 * int stay at them */
inline int HeldCoordinate(long long v) {
  return v > 2147483647LL ? 2147483647 : v < -2147483648LL ? -2147483647 - 1 : static_cast<int>(v);
}
inline void Shift(int& v, int by) {
  v = HeldCoordinate(static_cast<long long>(v) + by);
}
inline int TurnedY(const cdCanvas* cv, int y) {
  return HeldCoordinate(static_cast<long long>(cv->h) - y - 1);
}

/* origin, then y conversion of a point */
inline void ToDevice(const cdCanvas* cv, int& x, int& y) {
  if (cv->use_origin) {
    Shift(x, cv->origin_x);
    Shift(y, cv->origin_y);
  }
  if (cv->y_inverted) y = TurnedY(cv, y);
}

/* origin, then y conversion of a range; min stays below max */
inline void RangeToDevice(const cdCanvas* cv, int& xmin, int& xmax, int& ymin, int& ymax) {
  if (cv->use_origin) {
    Shift(xmin, cv->origin_x);
    Shift(xmax, cv->origin_x);
    Shift(ymin, cv->origin_y);
    Shift(ymax, cv->origin_y);
  }
  if (cv->y_inverted) {
    int t = TurnedY(cv, ymax);
    ymax = TurnedY(cv, ymin);
    ymin = t;
  }
}

/* the inverse of ToDevice: y conversion first, then the origin */
inline void FromDevice(const cdCanvas* cv, int& x, int& y) {
  if (cv->y_inverted) y = TurnedY(cv, y);
  if (cv->use_origin) {
    x = HeldCoordinate(static_cast<long long>(x) - cv->origin_x);
    y = HeldCoordinate(static_cast<long long>(y) - cv->origin_y);
  }
}

/* Rectangle-like calls do nothing when a side spans 0x7FFFFFFF or more. */
inline bool RangeOk(int a1, int a2, int b1, int b2) {
  unsigned da = a2 >= a1 ? unsigned(a2) - unsigned(a1) : unsigned(a1) - unsigned(a2);
  unsigned db = b2 >= b1 ? unsigned(b2) - unsigned(b1) : unsigned(b1) - unsigned(b2);
  return da < 0x7FFFFFFFu && db < 0x7FFFFFFFu;
}

inline bool ClipSimArea(const cdCanvas* cv) {
  return (cv->sim_mode & CD_SIM_CLIPAREA) && cv->clip_mode == CD_CLIPAREA;
}
inline bool ClipSimPoly(const cdCanvas* cv) {
  return (cv->sim_mode & CD_SIM_CLIPPOLY) && cv->clip_mode == CD_CLIPPOLYGON;
}
inline bool ClipSim(const cdCanvas* cv) {
  return ClipSimArea(cv) || ClipSimPoly(cv);
}

/* Setters acting on a given canvas (the setter rule of the public ones). */
long SetForeground(cdCanvas* cv, long color);
int SetLineStyle(cdCanvas* cv, int style);
int SetLineWidth(cdCanvas* cv, int width);
int SetInteriorStyle(cdCanvas* cv, int style);
int SetClip(cdCanvas* cv, int mode);
int SetTextAlignment(cdCanvas* cv, int alignment);
/* stores a clip rectangle given in device pixels */
void SetClipAreaDevice(cdCanvas* cv, int xmin, int xmax, int ymin, int ymax);

/* the integer text box of s at (x, y) in the caller's coordinates */
void TextBox(cdCanvas* cv, int x, int y, const char* s, int* xmin, int* xmax, int* ymin, int* ymax);

/* world module (wd.cpp) */
void InitWorld(cdCanvas* cv);
void WorldToDevice(const cdCanvas* cv, double xw, double yw, int& xv, int& yv);
void DeviceToWorld(const cdCanvas* cv, int xv, int yv, double& xw, double& yw);

/* grows both vertex buffers in step; false when memory runs out */
bool GrowPoly(cdCanvas* cv);

}  // namespace cdcore

#endif
