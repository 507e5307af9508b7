// The cartesian marker: a straight line standing on its axis at the value.
#ifndef VARKO_XY_XYMKCA_H
#define VARKO_XY_XYMKCA_H

#include "xymk.h"

class XYCartesianMarker : public XYMarker {
 public:
  using XYMarker::XYMarker;

  void draw(int x0, int y0, int x1, int y1) override;
  void redraw() override;
  void boundingBox(int* x0, int* y0, int* x1, int* y1) override;
  bool pick(int x, int y) override;
  bool insideRect(int x0, int y0, int x1, int y1) override;

 private:
  // foot P on the axis and far end E, relative to the graph
  void ends(double* px, double* py, double* ex, double* ey);
};

#endif
