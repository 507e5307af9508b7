// The legend: a framed box of entries, one per labelled curve of the
// graph, each a symbol drawn by the curve and its label.
#ifndef VARKO_XY_XYLEG_H
#define VARKO_XY_XYLEG_H

#include "xylist.h"
#include "xyobj.h"

class XYCurve;

class XYLegend : public XYObject {
 public:
  XYLegend(XYCoord x, XYCoord y, int rows, int columns, bool frame, bool visible);

  virtual XYListNode<XYCurve>** getCurveList();
  virtual void setCurveList(XYListNode<XYCurve>** list);
  virtual int getBackground();
  virtual void setBackground(int colour);
  virtual int getFrameColour();
  virtual void setFrameColour(int colour);
  virtual int getRows();
  virtual void setRows(int rows);
  virtual int getColumns();
  virtual void setColumns(int columns);
  virtual bool getFrame();
  virtual void setFrame(bool frame);
  virtual bool pick(int x, int y);
  // the curve whose entry, as last drawn, holds the pixel
  virtual XYCurve* pickEntry(int x, int y);
  virtual bool insideRect(int x0, int y0, int x1, int y1);
  virtual void fillBox(int x0, int y0, int x1, int y1);
  virtual void fillBackground();
  void draw(int x0, int y0, int x1, int y1) override;
  void redraw() override;
  void boundingBox(int* x0, int* y0, int* x1, int* y1) override;

 private:
  XYListNode<XYCurve>** curveList_ = nullptr;
  int rows_, columns_;
  bool frame_;
  int background_ = 0xffffff;
  int frameColour_ = 0;
};

#endif
