// The curve base: a data series with its label, colour and the box of its
// legend entry.
#ifndef VARKO_XY_XYMCA_H
#define VARKO_XY_XYMCA_H

#include "xyobj.h"

class XYAxis;
class XYCurveData;
class XYGraph;
class XYText;

class XYCurve : public XYObject {
 public:
  XYCurve(XYText* label, XYCurveData* data, int colour, bool visible);

  // the data series (getData and setData keep the base's user word)
  virtual XYCurveData* getCurveData();
  virtual void setCurveData(XYCurveData* data);
  virtual XYText* getLabel();
  virtual void setLabel(XYText* label);
  virtual int getColour();
  virtual void setColour(int colour);
  virtual void setLegendBox(int lx0, int lx1, int ly0, int ly1);
  virtual void getLegendBox(int* lx0, int* lx1, int* ly0, int* ly1);
  virtual void attach(XYGraph* graph);
  virtual void detach(XYGraph* graph);
  virtual bool pick(int x, int y) = 0;
  virtual bool insideRect(int x0, int y0, int x1, int y1) = 0;
  virtual void drawLegendSymbol(int x0, int y0, int x1, int y1) = 0;

 protected:
  XYText* label_;
  XYCurveData* curveData_;
  int colour_;
  int lx0_ = 0, ly0_ = 0, lx1_ = 0, ly1_ = 0;
};

// What the line and mark curves share: their two axes, the world window
// they span, and the visible part of the data for a repaint rectangle.
class XYAxesCurve : public XYCurve {
 public:
  XYAxesCurve(XYText* label, XYCurveData* data, XYAxis* xAxis, XYAxis* yAxis, int colour,
              bool visible);

  virtual XYAxis* getXAxis();
  virtual void setXAxis(XYAxis* axis);
  virtual XYAxis* getYAxis();
  virtual void setYAxis(XYAxis* axis);
  void redraw() override;
  void boundingBox(int* x0, int* y0, int* x1, int* y1) override;
  bool insideRect(int x0, int y0, int x1, int y1) override;
  // the curve's two integers: a line's width and style, a mark curve's
  // mark size and type
  virtual void getStyleValues(int* first, int* second) = 0;
  virtual void setStyleValues(int first, int second) = 0;

 protected:
  // sets the curve window and applies the viewport; false when an axis is
  // missing or spans an empty range (no window can be made)
  bool applyCurveWindow();
  // the world point of data point i
  bool worldPoint(int i, double* x, double* y);
  bool insideViewport(int x, int y) const;

  XYAxis* xAxis_;
  XYAxis* yAxis_;
};

#endif
