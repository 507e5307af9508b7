// The cartesian graph: a graph whose plot area is the union of its axes'
// extents, with two grids across it.
#ifndef VARKO_XY_XYGRACA_H
#define VARKO_XY_XYGRACA_H

#include "xygra.h"

class XYGrid;

class XYCartesianGraph : public XYGraph {
 public:
  XYCartesianGraph(IupElement* nativeCanvas, XYCanvasDrivers drivers, XYCoord x, XYCoord y,
                   double widthFraction, double heightFraction, bool visible, XYGrid* grid1,
                   XYGrid* grid2);
  XYCartesianGraph(cdCanvasHandle canvas, XYCanvasDrivers drivers, XYCoord x, XYCoord y,
                   double widthFraction, double heightFraction, bool visible, XYGrid* grid1,
                   XYGrid* grid2);

  void draw(int x0, int y0, int x1, int y1) override;
  void redraw() override;
  XYMarker* addMarkAt(int x, int y, XYAxis* axis) override;
  void computePlotArea() override;
  XYObject* pick(int x, int y) override;
  std::vector<XYObject*> selectInRect(int x0, int y0, int x1, int y1) override;
  void drawPlot(int x0, int y0, int x1, int y1) override;
  void redrawPlot() override;
  void layout() override;
  virtual void setGrid1(XYGrid* grid);
  virtual XYGrid* getGrid1();
  virtual void setGrid2(XYGrid* grid);
  virtual XYGrid* getGrid2();

 private:
  XYGrid* grid1_;
  XYGrid* grid2_;
};

#endif
