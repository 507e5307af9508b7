// The abstract base of every drawable chart object: visibility, position
// and the pixel viewport its relative coordinates resolve against.
#ifndef VARKO_XY_XYOBJ_H
#define VARKO_XY_XYOBJ_H

#include "xypos.h"

class XYObject {
 public:
  XYObject(XYCoord x, XYCoord y, bool visible);
  XYObject(const XYObject&) = delete;
  XYObject& operator=(const XYObject&) = delete;

  virtual ~XYObject();
  virtual bool isVisible();
  virtual void setVisible(bool visible);
  virtual int update();
  virtual void getPixelPosition(int* x, int* y);
  virtual void getRelativePosition(double* x, double* y);
  virtual void setPixelPosition(int x, int y);
  virtual void setRelativePosition(double x, double y);
  virtual void setData(int data);
  virtual int getData();
  virtual void setWindow(double xmin, double xmax, double ymin, double ymax);
  virtual void applyViewport();
  virtual void setViewport(int vx0, int vx1, int vy0, int vy1);
  virtual void getViewport(int* vx0, int* vx1, int* vy0, int* vy1);
  // draws, clipped to the pixel rectangle given
  virtual void draw(int x0, int y0, int x1, int y1) = 0;
  virtual void redraw() = 0;
  virtual void boundingBox(int* x0, int* y0, int* x1, int* y1) = 0;

 protected:
  bool visible_;
  XYPosition position_;
  int data_ = 0;
  int vx0_ = 0, vx1_ = 0, vy0_ = 0, vy1_ = 0;
};

// The clip mode and area of the active canvas, put back when it goes out of
// scope: every drawing operation that clips saves both first.
class XYSavedClip {
 public:
  XYSavedClip();
  ~XYSavedClip();
  XYSavedClip(const XYSavedClip&) = delete;
  XYSavedClip& operator=(const XYSavedClip&) = delete;
  // switch to area clipping on the rectangle
  void clipTo(int xmin, int xmax, int ymin, int ymax);

 private:
  int mode_ = 0;
  int xmin_ = 0, xmax_ = 0, ymin_ = 0, ymax_ = 0;
  bool changed_ = false;
};

// The world window and viewport of the active canvas, put back when it goes
// out of scope (conversions may run while something else is drawn).
class XYSavedWorld {
 public:
  XYSavedWorld();
  ~XYSavedWorld();
  XYSavedWorld(const XYSavedWorld&) = delete;
  XYSavedWorld& operator=(const XYSavedWorld&) = delete;

 private:
  double wx0_, wx1_, wy0_, wy1_;
  int vx0_, vx1_, vy0_, vy1_;
};

#endif
