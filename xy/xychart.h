// One ready-made chart for the application's windows: titles, two linear
// axes with numeric labels, two grids, a legend and curves over arrays of
// doubles, on a cartesian graph; and the curve data over such arrays.
#ifndef VARKO_XY_XYCHART_H
#define VARKO_XY_XYCHART_H

#include <vector>

#include "xyaxln.h"
#include "xygraca.h"
#include "xygrid.h"
#include "xyleg.h"
#include "xym.h"
#include "xymcaln.h"
#include "xymcamk.h"
#include "xymkca.h"
#include "xyrtext.h"
#include "xysdnm.h"

// Curve data over copies of the caller's arrays, x ascending.
class ProfileCurveData : public XYCurveData {
 public:
  ProfileCurveData(const double* xs, const double* ys, int n);
  ProfileCurveData(const double* ys, int n);  // x = 0, 1, 2, ...

  void xRange(double* x0, double* x1) override;
  void setXWindow(double x0, double x1) override;
  int count() override;
  bool point(int i, double* x, double* y) override;

 private:
  void windowOnData();

  double wx0_ = 0.0, wx1_ = 0.0;
  int first_ = 0;
  std::vector<double> xs_, ys_;
  int n_ = 0;
  int visible_ = 0;
};

struct XYChart {
  XYRasterText* subtitle;
  XYRasterText* title;
  XYRasterText* xLabels;
  XYRasterText* yLabels;
  XYRasterText* xTitle;
  XYRasterText* yTitle;
  double xMin = 0, yMin = 0, xMax = 0, yMax = 0;
  XYNumericSubdivision* xSubdivision;
  XYNumericSubdivision* ySubdivision;
  XYLinearAxis* xAxis;
  XYLinearAxis* yAxis;
  ProfileCurveData* curveData = nullptr;
  XYCurve* curve = nullptr;
  XYGrid* grid1;
  XYGrid* grid2;
  XYLegend* legend;
  double x0, y0, x1, y1;
  XYCartesianGraph* graph;
  cdCanvasHandle graphCanvas = nullptr;
  // the exponents whose powers of ten divide the labels
  double xExponent = 0.0, yExponent = 0.0;
};

// On a toolkit canvas element, drawn through drivers.element.
XYChart* XYChartCreate(IupElement* canvas, XYCanvasDrivers drivers, double x0, double x1, double y0,
                       double y1, int plotBackground, int graphBackground, int stretch);
// On an existing drawing canvas.
XYChart* XYChartCreateOnCanvas(cdCanvasHandle canvas, XYCanvasDrivers drivers, double x0, double x1,
                               double y0, double y1, int plotBackground, int graphBackground,
                               int stretch);
void XYChartShowGrids(XYChart* chart, int flag);
void XYChartSetTitles(XYChart* chart, const char* subtitle, const char* title, int colour);
// An empty range is widened (by a tenth of the value each way, or to -1..1
// around 0) so that no scale divides by zero; subdivisions are at least 1.
void XYChartSetRanges(XYChart* chart, double xmin, double xmax, double ymin, double ymax, int nx,
                      int ny);
void XYChartSetXExponent(XYChart* chart, double e);
void XYChartSetYExponent(XYChart* chart, double e);
int XYChartGetXDivisor(XYChart* chart);
int XYChartGetYDivisor(XYChart* chart);
void XYChartGetRanges(XYChart* chart, double* xmin, double* ymin, double* xmax, double* ymax);
// n below 0 counts as 0
XYCurve* XYChartAddLineCurve(XYChart* chart, const char* label, int labelSize, const double* xs,
                             const double* ys, int n, int colour, int width, int style);
XYCurve* XYChartAddMarkCurve(XYChart* chart, const char* label, int labelSize, const double* xs,
                             const double* ys, int n, int colour, int markSize, int markType);
// axis 0 the x axis, otherwise the y axis
XYCartesianMarker* XYChartAddMarker(XYChart* chart, int axis, double value, int colour, int width,
                                    int style);
// removes the marker from the graph and deletes it
void XYChartRemoveMarker(XYChart* chart, XYCartesianMarker* marker);
void XYChartRemoveCurve(XYChart* chart, XYCurve* curve);
void XYChartSetLegend(XYChart* chart, double x, double y, int background, int frameColour);
void XYChartDestroy(XYChart* chart);
void XYChartRefresh(XYChart* chart);
void XYChartRedraw(XYChart* chart);
XYCurve* XYChartPickCurve(XYChart* chart, int x, int y);
XYAxis* XYChartPickXAxis(XYChart* chart, int x, int y);
XYAxis* XYChartPickYAxis(XYChart* chart, int x, int y);
double XYChartXValue(XYChart* chart, int x, int y);
double XYChartYValue(XYChart* chart, int x, int y);
void XYChartValues(XYChart* chart, int x, int y, double* vx, double* vy);
void XYChartRemoveText(XYChart* chart, XYText* text);
// a free text at a data point (x, y), centred there
XYText* XYChartAddText(XYChart* chart, const char* text, double x, double y, int colour, int size);
// a free text 5 pixels before object a in x and before object b in y
XYText* XYChartAddTextBeside(XYChart* chart, const char* text, XYObject* a, XYObject* b, int colour,
                             int size);
// each value at or above 0 is applied, a negative one left alone
void XYChartSetCurveStyle(XYChart* chart, XYCurve* curve, int labelSize, int colour, int width,
                          int style);
// axis 0 the x axis, otherwise the y axis: the axis colour, and the colour,
// size, face and style of its label stamp and title
void XYChartSetAxisFont(XYChart* chart, int axis, int size, int typeface, int style, int colour);
// format is kept, not copied
void XYChartSetAxisTitle(XYChart* chart, int axis, const char* text, double exponent,
                         const char* format);
void XYChartSetLabelFormats(XYChart* chart, const char* xFormat, const char* yFormat);
// returns the graph's previous canvas
cdCanvasHandle XYChartSetCanvas(XYChart* chart, cdCanvasHandle canvas);
cdCanvasHandle XYChartGetCanvas(XYChart* chart);
int XYChartActivate(XYChart* chart);
void XYChartSetGeometry(XYChart* chart, double x, double y, double w, double h);
// the canvas of the first refresh back, and the whole canvas as geometry
void XYChartRestore(XYChart* chart);
void XYChartSetBackground(XYChart* chart, int colour);
void XYChartPlotArea(XYChart* chart, int* x0, int* y0, int* x1, int* y1);

#endif
