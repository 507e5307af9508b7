// Axis arithmetic and numeric labels: the nice scale, the first tick, the
// tick labels an axis draws for a range (with thinning, tolerance at the
// end and the divisor), value conversions, and the math routines.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "picture.h"
#include "xyaxln.h"
#include "xymath.h"
#include "xyrtext.h"
#include "xysdnm.h"

namespace {

struct ScaleCase {
  double min, max;
  double want_min, want_max, want_step;
};

TEST(XYScale, AutoScaleTable) {
  const ScaleCase cases[] = {
      {0, 7.3, 0, 8, 1},             // 9 marks
      {0, 100, 0, 100, 25},          // 2 marks doubled to 3, then 5
      {5, 5, 4.5, 5.5, 0.1},         // a single value is widened by a tenth
      {0, 0, -1, 1, 0.5},            // zero is widened to -1..1
      {2, 13, 2, 13, 1},             // 12 marks
      {-125, 980, -200, 1000, 200},  // 13 marks reduced to 7 with one on 0
      {-7.3, 0, -8, 0, 1},           // the mirror of the first
      {-5, -5, -5.5, -4.5, 0.1},     // a single negative value
      {0.001, 0.0042, 0.001, 0.0042, 0.0004},
      {7.3, 0, 0, 8, 1},  // given the wrong way round
  };
  XYLinearAxis axis(0, 1, XYCoord(0.0), XYCoord(0.0), 0, 1, 0, 0.1, nullptr, nullptr, false, true);
  for (const ScaleCase& c : cases) {
    double min = c.min, max = c.max, step = -1;
    axis.autoScale(&min, &max, &step);
    EXPECT_NEAR(min, c.want_min, 1e-12) << c.min << ".." << c.max;
    EXPECT_NEAR(max, c.want_max, 1e-12) << c.min << ".." << c.max;
    EXPECT_NEAR(step, c.want_step, 1e-12) << c.min << ".." << c.max;
  }
}

TEST(XYScale, AutoScaleLeavesNonFiniteRangesAlone) {
  XYLinearAxis axis(0, 1, XYCoord(0.0), XYCoord(0.0), 0, 1, 0, 0.1, nullptr, nullptr, false, true);
  double min = 0, max = INFINITY, step = -1;
  axis.autoScale(&min, &max, &step);
  EXPECT_EQ(step, 0.0);
  EXPECT_EQ(max, INFINITY);
}

struct TickCase {
  double origin, min, step, want;
};

TEST(XYScale, FirstTickTable) {
  const TickCase cases[] = {
      {5, 0, 2, 1},       // walks down, stopping above min
      {4, 0, 2, 2},       // walking down stops before reaching min
      {0, 0, 2, 0},       // the origin itself
      {-3, 0, 2, 1},      // walks up to the first at or after min
      {-4, 0, 2, 0},      // reached from below: exactly min
      {1e9, 0, 1, 1},     // a far origin is brought near min first
      {-1e9, 0.5, 1, 1},  // from far below
      {3, 1, 0, 3},       // no positive step: the origin unchanged
  };
  for (const TickCase& c : cases) {
    XYLinearAxis axis(c.min, c.min + 10, XYCoord(0.0), XYCoord(0.0), 0, 1, 0, c.step, nullptr,
                      nullptr, false, true);
    axis.setTickOrigin(c.origin);
    EXPECT_EQ(axis.firstTick(), c.want) << "origin " << c.origin << " min " << c.min;
  }
}

// A label stamp that records what it is asked to draw.
class RecordingText : public XYRasterText {
 public:
  RecordingText() : XYRasterText(0x000000, 10, CD_COURIER, CD_PLAIN, CD_NORTH, 0, false, true) {}
  void draw(int x0, int y0, int x1, int y1) override {
    drawn.push_back(getText());
    int x, y;
    getPixelPosition(&x, &y);
    xs.push_back(x);
    XYRasterText::draw(x0, y0, x1, y1);
  }
  std::vector<std::string> drawn;
  std::vector<int> xs;
};

struct LabelCase {
  const char* name;
  double min, max, step, origin;
  double length;  // relative, on a 400-pixel viewport
  const char* format;
  double divisor;
  std::vector<std::string> want;
};

TEST(XYLabels, LabelTable) {
  // The axis is 0.9 of a 400-pixel viewport (360 pixels) unless given;
  // Courier 10 points is 8 pixels a character here ("100" takes 24), and
  // touching label boxes count as overlapping.
  const std::vector<LabelCase> cases = {
      {"every tick", 0, 100, 25, 0, 0.9, "%g", 1, {"0", "25", "50", "75", "100"}},
      {"tenths reach max within tolerance",
       0,
       1,
       0.1,
       0,
       0.9,
       "%.1f",
       1,
       {"0.0", "0.1", "0.2", "0.3", "0.4", "0.5", "0.6", "0.7", "0.8", "0.9", "1.0"}},
      {"origin inside the range", 0, 10, 2, 5, 0.9, "%g", 1, {"1", "3", "5", "7", "9"}},
      {"negative",
       -125,
       -5,
       20,
       -125,
       0.9,
       "%g",
       1,
       {"-125", "-105", "-85", "-65", "-45", "-25", "-5"}},
      // 18 pixels a step against "-1000" of 40: every third tick
      {"thinned to every third",
       -1000,
       1000,
       100,
       -1000,
       0.9,
       "%g",
       1,
       {"-1000", "-700", "-400", "-100", "200", "500", "800"}},
      // 10 pixels a step against "1000" of 32: every fourth
      {"thinned to every fourth", 0, 1000, 100, 0, 0.25, "%g", 1, {"0", "400", "800"}},
      {"divisor", 0, 3000, 1000, 0, 0.9, "%g", 1000, {"0", "1", "2", "3"}},
      // the application's format: 36 pixels a step against "1.2e+03" of 56
      {"format of the profile window",
       0,
       1234,
       123.4,
       0,
       0.9,
       "%.2g",
       1,
       {"0", "2.5e+02", "4.9e+02", "7.4e+02", "9.9e+02", "1.2e+03"}},
      {"no step, no labels", 0, 10, 0, 0, 0.9, "%g", 1, {}},
  };
  for (const LabelCase& c : cases) {
    Picture p(420, 60);
    RecordingText stamp;
    XYNumericSubdivision sub(c.format, &stamp, c.divisor);
    XYLinearAxis axis(c.min, c.max, XYCoord(0.02), XYCoord(0.8), 0, c.length, 0, c.step, &sub,
                      nullptr, false, true);
    axis.setTicksLeft(false);
    axis.setTickOrigin(c.origin);
    axis.setWindow(0, 1, 0, 1);
    axis.setViewport(0, 400, 0, 59);
    axis.redraw();
    EXPECT_EQ(stamp.drawn, c.want) << c.name;
    // the labels sit at the ticks, in order, at equal spacing
    for (size_t i = 2; i < stamp.xs.size(); i++) {
      EXPECT_NEAR(stamp.xs[i] - stamp.xs[i - 1], stamp.xs[1] - stamp.xs[0], 2) << c.name;
    }
  }
}

// Only the ticks inside the repaint rectangle are drawn; the labels keep
// the thinning of the whole range.
TEST(XYLabels, TicksOutsideTheRectangleAreLeftOut) {
  Picture p(420, 60);
  RecordingText stamp;
  XYNumericSubdivision sub("%g", &stamp);
  XYLinearAxis axis(-1000, 1000, XYCoord(0.02), XYCoord(0.8), 0x000000, 0.9, 0, 100, &sub, nullptr,
                    false, true);
  axis.setTicksLeft(false);
  axis.setWindow(0, 1, 0, 1);  // as the graph sets it for its axes
  axis.setViewport(0, 400, 0, 59);
  axis.draw(0, 0, 100, 59);  // ticks at 8, 26, 44, ... pixels: six of them inside
  int ticks = 0;
  const int row = 46;  // the tick marks end here, below the line at 0.8 of 59
  for (int x = 0; x < 420; x++) ticks += p.At(x, row) == 0x000000;
  EXPECT_EQ(ticks, 6);
  EXPECT_EQ(stamp.drawn.front(), "-1000");
  EXPECT_EQ(stamp.drawn.size(), 7u);
}

TEST(XYConversions, ValueToPixelAndBack) {
  Picture p(300, 200);
  for (double angle : {0.0, 90.0}) {
    XYLinearAxis axis(-3.5, 12.25, XYCoord(0.1), XYCoord(0.1), 0, 0.8, angle, 1, nullptr, nullptr,
                      false, true);
    axis.setViewport(0, 299, 0, 199);
    const double per_pixel = 15.75 / (0.8 * (angle == 0 ? 299 : 199));
    for (double v : {-3.5, 0.0, 1.3, 7.77, 12.25}) {
      int px, py;
      axis.valueToPixel(v, &px, &py);
      EXPECT_NEAR(axis.pixelToValue(px, py), v, per_pixel) << v << " at " << angle;
      double rx, ry;
      axis.valueToRelative(v, &rx, &ry);
      EXPECT_NEAR(axis.relativeToValue(rx, ry), v, 1e-12);
    }
    // the minimum that puts 5 at the pixel where 7.77 is now, max kept
    int px, py;
    axis.valueToPixel(7.77, &px, &py);
    const double min = axis.minForValueAt(5.0, px, py);
    axis.setMin(min);
    EXPECT_NEAR(axis.pixelToValue(px, py), 5.0, 0.05) << angle;
  }
}

TEST(XYMath, Predicates) {
  EXPECT_TRUE(xymath::nearlyEqual(1.0, 1.0 + 1e-10));
  EXPECT_FALSE(xymath::nearlyEqual(1.0, 1.0 + 1e-8));
  EXPECT_TRUE(xymath::atMost(1.0 + 1e-10, 1.0));
  EXPECT_EQ(xymath::setTolerance(0.5), 1e-9);
  EXPECT_TRUE(xymath::nearlyEqual(1.0, 1.4));
  EXPECT_EQ(xymath::setTolerance(1e-9), 0.5);
  EXPECT_TRUE(xymath::rectsOverlap(0, 0, 10, 10, 10, 10, 20, 20));  // touching
  EXPECT_FALSE(xymath::rectsOverlap(0, 0, 10, 10, 11, 0, 20, 10));
  EXPECT_TRUE(xymath::rectStrictlyInside(1, 1, 9, 9, 0, 0, 10, 10));
  EXPECT_FALSE(xymath::rectStrictlyInside(0, 1, 9, 9, 0, 0, 10, 10));
  EXPECT_TRUE(xymath::pointNearPoint(14, 6, 10, 10, 5));
  EXPECT_FALSE(xymath::pointNearPoint(15, 10, 10, 10, 5));
  xymath::setTolerance(2);
  EXPECT_TRUE(xymath::pointNearSegment(5, 1.9, 0, 0, 10, 0));
  EXPECT_FALSE(xymath::pointNearSegment(5, 2, 0, 0, 10, 0));
  EXPECT_FALSE(xymath::pointNearSegment(0, 0, 0, 0, 10, 0));  // an end
  EXPECT_FALSE(xymath::pointNearSegment(3, 3, 3, 3, 3, 3));   // zero length
  xymath::setTolerance(1e-9);
  EXPECT_EQ(xymath::Trunc(-2.7), -2);
  EXPECT_EQ(xymath::Trunc(NAN), 0);
  EXPECT_EQ(xymath::Trunc(1e300), 2147483647);
}

}  // namespace
