// The mark curve: a canvas mark at every data point.
#ifndef VARKO_XY_XYMCAMK_H
#define VARKO_XY_XYMCAMK_H

#include "xymca.h"

class XYMarkCurve : public XYAxesCurve {
 public:
  XYMarkCurve(XYText* label, XYCurveData* data, XYAxis* xAxis, XYAxis* yAxis, int colour,
              int markSize, int markType, bool visible);
  XYMarkCurve(XYCurveData* data, XYAxis* xAxis, XYAxis* yAxis, int colour, int markSize,
              int markType, bool visible);

  virtual int getMarkSize();
  virtual void setMarkSize(int size);
  virtual int getMarkType();
  virtual void setMarkType(int type);
  void draw(int x0, int y0, int x1, int y1) override;
  bool pick(int x, int y) override;
  void drawLegendSymbol(int x0, int y0, int x1, int y1) override;
  void getStyleValues(int* first, int* second) override;
  void setStyleValues(int first, int second) override;

 private:
  int markSize_, markType_;
};

#endif
