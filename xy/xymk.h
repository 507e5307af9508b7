// Markers: a line across the plot at one value of an axis.
#ifndef VARKO_XY_XYMK_H
#define VARKO_XY_XYMK_H

#include "xyobj.h"

class XYAxis;
class XYGraph;

class XYMarker : public XYObject {
 public:
  XYMarker(XYAxis* axis, double value, int colour, int width, int style, bool visible);

  virtual XYAxis* getAxis();
  virtual void setAxis(XYAxis* axis);
  virtual double getValue();
  virtual void setValue(double value);
  virtual int getColour();
  virtual void setColour(int colour);
  virtual int getWidth();
  virtual void setWidth(int width);
  virtual int getStyle();
  virtual void setStyle(int style);
  virtual double getLength();
  virtual void setLength(double length);
  // the axis value at a point in the graph's relative coordinates
  virtual void valueAt(double x, double y, double* value);
  virtual void attach(XYGraph* graph);
  virtual void detach(XYGraph* graph);
  virtual bool pick(int x, int y) = 0;
  virtual bool insideRect(int x0, int y0, int x1, int y1) = 0;

 protected:
  XYAxis* axis_;
  double value_;
  double length_ = 0.0;
  int colour_, width_, style_;
};

#endif
