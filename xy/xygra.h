// The graph: the container that owns a drawing canvas, keeps lists of its
// children (texts, axes, curves, marks, a legend), lays them out in its
// viewport and draws, picks and double-buffers them.
#ifndef VARKO_XY_XYGRA_H
#define VARKO_XY_XYGRA_H

#include <vector>

#include "cd.h"
#include "xylist.h"
#include "xyobj.h"

struct IupElement;
class XYAxis;
class XYCurve;
class XYLegend;
class XYMarker;
class XYText;

// The canvas drivers a graph creates canvases with. The chart library
// links the canvas core only, so the toolkit-canvas driver (for a graph
// made on a toolkit element) and the server-image driver (for double
// buffering) come from the caller.
struct XYCanvasDrivers {
  cdDriver* element = nullptr;
  cdDriver* image = nullptr;
};

class XYGraph : public XYObject {
 public:
  XYGraph(IupElement* nativeCanvas, XYCanvasDrivers drivers, XYCoord x, XYCoord y,
          double widthFraction, double heightFraction, bool visible);
  XYGraph(cdCanvasHandle canvas, XYCanvasDrivers drivers, XYCoord x, XYCoord y,
          double widthFraction, double heightFraction, bool visible);
  ~XYGraph() override;

  void getPixelPosition(int* x, int* y) override;
  void getRelativePosition(double* x, double* y) override;
  void setPixelPosition(int x, int y) override;
  void setRelativePosition(double x, double y) override;
  void draw(int x0, int y0, int x1, int y1) override;
  void redraw() override;
  void boundingBox(int* x0, int* y0, int* x1, int* y1) override;
  virtual void setCanvas(cdCanvasHandle canvas);
  virtual cdCanvasHandle getCanvas();
  virtual cdCanvasHandle getBufferCanvas();
  virtual cdCanvasHandle setBufferCanvas(cdCanvasHandle canvas);
  virtual void createBufferImage(int w, int h);
  virtual void addMark(XYMarker* mark);
  virtual void addCurve(XYCurve* curve);
  virtual void addAxis(XYAxis* axis);
  virtual void addText(XYText* text);
  virtual void removeMark(XYMarker* mark);
  virtual void removeCurve(XYCurve* curve);
  virtual void removeAxis(XYAxis* axis);
  virtual void removeText(XYText* text);
  virtual XYListNode<XYText>** textList();
  virtual XYListNode<XYAxis>** axisList();
  virtual XYCurve* curveAt(int p);
  virtual XYListNode<XYCurve>** curveList();
  virtual XYListNode<XYMarker>** markList();
  virtual XYLegend* getLegend();
  virtual void setLegend(XYLegend* legend);
  virtual XYMarker* addMarkAt(int x, int y, XYAxis* axis) = 0;
  virtual int getBackground();
  virtual void setBackground(int colour);
  virtual double getWidthFraction();
  virtual void setWidthFraction(double fraction);
  virtual double getHeightFraction();
  virtual void setHeightFraction(double fraction);
  virtual bool getStretch();
  virtual void setStretch(bool stretch);
  virtual bool getDoubleBuffer();
  virtual bool setDoubleBuffer(bool on);
  virtual int getPlotBackground();
  virtual void setPlotBackground(int colour);
  virtual void setPlotArea(double xmin, double xmax, double ymin, double ymax);
  virtual void plotAreaPixels(int* x0, int* y0, int* x1, int* y1);
  virtual void getPlotArea(double* xmin, double* xmax, double* ymin, double* ymax);
  virtual void computePlotArea() = 0;
  virtual bool contains(XYObject* object);
  virtual XYObject* pick(int x, int y);
  virtual XYText* pickText(int x, int y);
  virtual XYAxis* pickAxis(int x, int y);
  virtual XYCurve* pickCurve(int x, int y);
  virtual XYMarker* pickMark(int x, int y);
  virtual XYLegend* pickLegend(int x, int y);
  // every object whose box lies strictly inside the rectangle, most
  // recently listed first
  virtual std::vector<XYObject*> selectInRect(int x0, int y0, int x1, int y1);
  // draws the whole graph once into the PostScript file "imagem" in the
  // current folder, then goes back to its own canvas
  virtual void printPostScript();
  virtual void flushBuffer();
  virtual void scroll(int dx, int dy);
  virtual void clearRect(int x0, int y0, int x1, int y1);
  virtual void clearAll();
  virtual void fillPlotBackground();
  virtual void drawPlot(int x0, int y0, int x1, int y1);
  virtual void redrawPlot() = 0;
  // 0, or -1 when no canvas can be made or activated
  virtual int initCanvas();
  virtual void layout();
  virtual void computeViewport();

  void setDrivers(XYCanvasDrivers drivers) { drivers_ = drivers; }

 protected:
  // draws the children after the grids: texts, axes, curves, then marks and
  // the legend in the graph's relative coordinates
  void drawChildren(int x0, int y0, int x1, int y1);
  // the whole canvas' size, read from the graph's canvas
  bool canvasSize(int* w, int* h, double* wmm, double* hmm);
  void fillRect(int x0, int x1, int y0, int y1, int colour);

  IupElement* nativeCanvas_ = nullptr;
  cdCanvasHandle canvas_ = nullptr;
  cdCanvasHandle bufferCanvas_ = nullptr;
  cdImage* bufferImage_ = nullptr;
  int bufferWidth_ = 0, bufferHeight_ = 0;
  XYListNode<XYText>* texts_ = nullptr;
  XYListNode<XYAxis>* axes_ = nullptr;
  XYListNode<XYCurve>* curves_ = nullptr;
  XYListNode<XYMarker>* marks_ = nullptr;
  XYLegend* legend_ = nullptr;
  int background_ = 0xc0c0c0;
  int plotBackground_ = 0xffffff;
  double widthFraction_, heightFraction_;
  double xmin_ = 0.0, xmax_ = 1.0, ymin_ = 0.0, ymax_ = 1.0;
  bool stretch_ = true;
  bool doubleBuffer_ = false;
  bool ownsCanvas_ = false;
  XYCanvasDrivers drivers_;
};

#endif
