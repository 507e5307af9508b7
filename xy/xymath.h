// Math routines of the chart library: the comparison tolerance shared by
// every test below, and the small geometric predicates of picking.
#ifndef VARKO_XY_XYMATH_H
#define VARKO_XY_XYMATH_H

namespace xymath {

inline constexpr double kPi = 3.14159265359;
inline constexpr double kDegree = 0.005555555555555556;  // 1/180
// degrees to radians as the charts compute it
inline double Radians(double degrees) {
  return degrees * kPi * kDegree;
}

// Real to integer, truncating toward zero; NaN gives 0 and values beyond
// the int range saturate (a degenerate range must not be undefined).
int Trunc(double v);

// Stores t and returns the previous tolerance (initially 1e-9).
double setTolerance(double t);
double tolerance();
bool nearlyEqual(double a, double b);
bool atMost(double a, double b);
double distance(double x0, double y0, double x1, double y1);
double distance(int x0, int y0, int x1, int y1);
void rotate(double x, double y, double a, double* rx, double* ry);
bool pointInRect(int x, int y, int x0, int y0, int x1, int y1);
bool pointInRect(double x, double y, double x0, double y0, double x1, double y1);
// box a strictly inside rectangle x
bool rectStrictlyInside(int a0, int b0, int a1, int b1, int x0, int y0, int x1, int y1);
bool rectsOverlap(int a0, int b0, int a1, int b1, int c0, int d0, int c1, int d1);
bool pointNearPoint(int x, int y, int cx, int cy, int r);
// on the segment's line within tolerance and strictly between its ends
bool pointNearSegment(double x, double y, double x0, double y0, double x1, double y1);

}  // namespace xymath

#endif
