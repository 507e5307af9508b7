// Grids: lines across the plot area at the ticks of the grid's own scale.
#ifndef VARKO_XY_XYGRID_H
#define VARKO_XY_XYGRID_H

#include "xyax.h"

class XYGrid : public XYAxis {
 public:
  XYGrid(double min, double max, double tickOrigin, int colour, double angle, double step,
         bool visible);

  void draw(int x0, int y0, int x1, int y1) override;
  void redraw() override;
  void boundingBox(int* x0, int* y0, int* x1, int* y1) override;
  bool pick(int x, int y) override;
  virtual double getSpan();
  virtual void setSpan(double span);
  virtual int getGridStyle();
  virtual void setGridStyle(int style);
  virtual bool pointOnLine(int x, int y, int x0, int y0, int x1, int y1);
  virtual double valuePixelLength(double v);

 private:
  // relative distance between lines
  double stepRel();
  // the first line's base, end and value
  void firstLine(double* bx, double* by, double* ex, double* ey, double* v);

  double span_ = 0.0;
  int gridStyle_ = 0;
};

#endif
