// Axes: a numeric scale along a straight line in relative coordinates of
// the viewport, with its ticks, optional arrow head, labels and title.
#ifndef VARKO_XY_XYAX_H
#define VARKO_XY_XYAX_H

#include "xyobj.h"

class XYGraph;
class XYSubdivision;
class XYText;

class XYAxis : public XYObject {
 public:
  XYAxis(double min, double max, XYCoord x, XYCoord y, int colour, double length, double angle,
         double step, XYSubdivision* subdivision, XYText* title, bool arrow, bool visible);
  // the grid's form: no subdivision, title nor arrow
  XYAxis(double min, double max, XYCoord x, XYCoord y, int colour, double length, double angle,
         double step, int unused, bool visible);

  virtual void autoScale(double* min, double* max, double* step);
  virtual double getMin();
  virtual void setMin(double min);
  virtual double getMax();
  virtual void setMax(double max);
  virtual double minForValueAt(double value, int px, int py);
  virtual double maxForValueAt(double value, int px, int py);
  virtual int getColour();
  virtual void setColour(int colour);
  virtual bool getTicksLeft();
  virtual void setTicksLeft(bool left);
  virtual double getLength();
  virtual void setLength(double length);
  virtual double getAngle();
  virtual void setAngle(double angle);
  virtual double getStep();
  virtual void setStep(double step);
  virtual double getTickOrigin();
  virtual void setTickOrigin(double origin);
  virtual double firstTick();
  virtual XYSubdivision* getSubdivision();
  virtual void setSubdivision(XYSubdivision* subdivision);
  virtual bool getArrow();
  virtual void setArrow(bool arrow);
  virtual XYText* getTitle();
  virtual void setTitle(XYText* title);
  virtual void snapLength();
  virtual void firstTickSegment(double* x0, double* y0, double* x1, double* y1);
  virtual void attach(XYGraph* graph);
  virtual void detach(XYGraph* graph);
  virtual bool pick(int x, int y);
  virtual bool insideRect(int x0, int y0, int x1, int y1);
  virtual void drawArrowHead(double x0, double y0, double x1, double y1);
  virtual void arrowHeadBox(double x0, double y0, double x1, double y1, double* xmin, double* ymin,
                            double* xmax, double* ymax);
  virtual double transform(double v);
  virtual double relativeToValue(double rx, double ry);
  virtual double pixelToValue(int px, int py);
  virtual void valueToRelative(double v, double* rx, double* ry);
  virtual void valueToPixel(double v, int* px, int* py);

  // derived quantities shared by axes, grids and markers
  double radians();
  // relative units per data unit (0 for an empty range, which has no scale)
  double scale();
  void origin(double* ox, double* oy);
  void end(double* ex, double* ey);
  void stepVector(double* sx, double* sy);
  void positionOf(double v, double* x, double* y);
  // index of the last tick: trunc (floor ((max - firstTick) / step))
  int lastTickIndex();

 protected:
  double min_, max_;
  int colour_;
  double length_, angle_, step_, tickOrigin_;
  XYSubdivision* subdivision_ = nullptr;
  XYText* title_ = nullptr;
  bool arrow_ = false;
  bool ticksLeft_ = true;
};

#endif
