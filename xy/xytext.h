// Chart texts: an owned string with colour, face, style, alignment,
// orientation and underline; drawing is left to the raster text.
#ifndef VARKO_XY_XYTEXT_H
#define VARKO_XY_XYTEXT_H

#include "xyobj.h"

class XYGraph;

class XYText : public XYObject {
 public:
  XYText(const char* text, XYCoord x, XYCoord y, int colour, int typeface, int style, int alignment,
         int orientation, bool underline, bool visible);
  XYText(const char* text, XYCoord x, XYCoord y, bool visible);
  XYText(const char* text, int colour, int typeface, int style, int alignment, int orientation,
         bool underline, bool visible);
  XYText(int colour, int typeface, int style, int alignment, int orientation, bool underline,
         bool visible);
  ~XYText() override;

  virtual int getColour();
  virtual void setColour(int colour);
  virtual int getTypeface();
  virtual void setTypeface(int typeface);
  virtual int getStyle();
  virtual void setStyle(int style);
  virtual int getAlignment();
  virtual void setAlignment(int alignment);
  virtual int getOrientation();
  virtual void setOrientation(int orientation);
  virtual const char* getText();
  virtual void setText(const char* text);
  virtual bool getUnderline();
  virtual void setUnderline(bool underline);
  virtual void assign(XYText* other);
  virtual void attach(XYGraph* graph);
  virtual void detach(XYGraph* graph);
  virtual bool pick(int x, int y);
  virtual bool insideRect(int x0, int y0, int x1, int y1);

 protected:
  char* text_ = nullptr;
  int colour_, typeface_, style_, alignment_, orientation_;
  bool underline_;
};

#endif
