// The line curve: the data points joined by straight lines.
#ifndef VARKO_XY_XYMCALN_H
#define VARKO_XY_XYMCALN_H

#include "xymca.h"

class XYLineCurve : public XYAxesCurve {
 public:
  XYLineCurve(XYText* label, XYCurveData* data, XYAxis* xAxis, XYAxis* yAxis, int colour, int width,
              int style, bool visible);
  XYLineCurve(XYCurveData* data, XYAxis* xAxis, XYAxis* yAxis, int colour, int width, int style,
              bool visible);

  virtual int getWidth();
  virtual void setWidth(int width);
  virtual int getStyle();
  virtual void setStyle(int style);
  void draw(int x0, int y0, int x1, int y1) override;
  bool pick(int x, int y) override;
  void drawLegendSymbol(int x0, int y0, int x1, int y1) override;
  void getStyleValues(int* first, int* second) override;
  void setStyleValues(int first, int second) override;

 private:
  int width_, style_;
};

#endif
