// The interface through which chart curves read their points; clients
// implement it over their own data.
#ifndef VARKO_XY_XYM_H
#define VARKO_XY_XYM_H

class XYCurveData {
 public:
  virtual ~XYCurveData() = default;
  // the x range to show: the current window, the whole data until one is set
  virtual void xRange(double* min, double* max) = 0;
  // restricts the visible points to those with x in [x0, x1]
  virtual void setXWindow(double x0, double x1) = 0;
  virtual int count() = 0;
  // the i-th visible point; -1 is the point before the first visible one
  // and count() the one after the last; false when there is none to give
  virtual bool point(int i, double* x, double* y) = 0;
};

#endif
