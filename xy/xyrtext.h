// Raster text: a chart text drawn with the canvas' fonts, horizontal or
// turned by a quarter turn either way.
#ifndef VARKO_XY_XYRTEXT_H
#define VARKO_XY_XYRTEXT_H

#include "xytext.h"

class XYRasterText : public XYText {
 public:
  XYRasterText(const char* text, XYCoord x, XYCoord y, int colour, int size, int typeface,
               int style, int alignment, int orientation, bool underline, bool visible);
  XYRasterText(const char* text, XYCoord x, XYCoord y, bool visible);  // size 12
  XYRasterText(const char* text, int colour, int size, int typeface, int style, int alignment,
               int orientation, bool underline, bool visible);
  XYRasterText(int colour, int size, int typeface, int style, int alignment, int orientation,
               bool underline, bool visible);

  void draw(int x0, int y0, int x1, int y1) override;
  void redraw() override;
  void boundingBox(int* x0, int* y0, int* x1, int* y1) override;
  virtual int getSize();
  virtual void setSize(int size);

 private:
  void drawTurned();

  int size_;
};

#endif
