// The linear axis: values placed in proportion along the axis line, drawn
// with its ticks and numeric labels.
#ifndef VARKO_XY_XYAXLN_H
#define VARKO_XY_XYAXLN_H

#include "xyax.h"

class XYLinearAxis : public XYAxis {
 public:
  using XYAxis::XYAxis;

  void draw(int x0, int y0, int x1, int y1) override;
  void redraw() override;
  void boundingBox(int* x0, int* y0, int* x1, int* y1) override;
  double minForValueAt(double value, int px, int py) override;
  double maxForValueAt(double value, int px, int py) override;
  double relativeToValue(double rx, double ry) override;
  double pixelToValue(int px, int py) override;
  void valueToRelative(double v, double* rx, double* ry) override;
  void valueToPixel(double v, int* px, int* py) override;
};

#endif
