// The cost model: slope factor, cell cost and the walk through the cells a
// straight segment crosses, shared by the path search, the path analysis,
// the segment distance and the profile.
#ifndef VARKO_APP_COSTMODEL_H
#define VARKO_APP_COSTMODEL_H

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

namespace route {

constexpr float kImpassable = 100000.0f;

struct Point {
  int x = 0;
  int y = 0;
  bool operator==(const Point&) const = default;
};

// A grid of w x h cells indexed col + row * width; cells outside read as absent.
template <typename T>
struct GridView {
  const T* data = nullptr;
  int width = 0;
  int height = 0;
  bool Inside(int col, int row) const {
    return data != nullptr && col >= 0 && row >= 0 && col < width && row < height;
  }
  T At(int col, int row) const { return data[col + static_cast<std::ptrdiff_t>(row) * width]; }
};
using ByteGrid = GridView<unsigned char>;
using IntGrid = GridView<int32_t>;

struct Calibration {
  float rawLow = 0, rawHigh = 0, valueLow = 0, valueHigh = 0;
};

struct CostContext {
  float pixelSizeX = 1.0f, pixelSizeY = 1.0f;
  int width = 0, height = 0;
  int slopeMode = -1;  // 0 slope image, 1 raw slope grid, else none
  ByteGrid slopeImage;
  Calibration slopeCalibration;
  IntGrid slopeGrid;
  ByteGrid costGrid;
  double costScale = 0, costOffset = 0;
  ByteGrid classGrid;
  int searchStep = 5, searchRadius = 3;
};

// A crossed cell's price joins a segment's total, which sticks at the
// ceiling once a price or the sum reaches it.
inline void AddCrossedPrice(float& total, float price) {
  if (price < kImpassable && total < kImpassable) {
    total = total + price;
  } else {
    total = kImpassable;
  }
}

float Calibrate(float a, float b, float c, float d, float e);
float SlopeFactor(const CostContext& ctx, int col, int row);
// Cells outside the cost grid are impassable; outside the class grid they
// are counted in no class.
float CellCost(const CostContext& ctx, int col, int row, float length, float* acc);

// Walks the cells crossed by the segment between two pixel centres. visit
// gets each cell, the unscaled ground length crossed in it (before slope),
// and the point where the segment leaves it ((x1, y1) for the last cell).
template <typename Visit>
void WalkSegment(const CostContext& ctx, int x0, int y0, int x1, int y1, Visit&& visit) {
  const long long dx = std::llabs(static_cast<long long>(x1) - x0);
  const long long dy = std::llabs(static_cast<long long>(y1) - y0);
  if (dx == 0 && dy == 0) return;
  const int sx = x1 > x0 ? 1 : (x1 < x0 ? -1 : 0);
  const int sy = y1 > y0 ? 1 : (y1 < y0 ? -1 : 0);
  const float psx = ctx.pixelSizeX, psy = ctx.pixelSizeY;
  float px = static_cast<float>(x0), py = static_cast<float>(y0);
  long long ix = 0, iy = 0;
  while (ix + iy < dx + dy) {
    const int col = static_cast<int>(x0 + sx * ix), row = static_cast<int>(y0 + sy * iy);
    const bool xSide = dy * (2 * ix + 1) < dx * (2 * iy + 1);
    float qx, qy;
    if (xSide) {
      qx = static_cast<float>(x0 + sx * (ix + 0.5));
      qy = static_cast<float>(y0 +
                              sy * (ix + 0.5) * static_cast<double>(dy) / static_cast<double>(dx));
    } else {
      qy = static_cast<float>(y0 + sy * (iy + 0.5));
      qx = static_cast<float>(x0 +
                              sx * (iy + 0.5) * static_cast<double>(dx) / static_cast<double>(dy));
    }
    const float ex = px - qx, ey = py - qy;
    const double len = std::sqrt(static_cast<double>(ex * ex * psx * psx + ey * ey * psy * psy));
    visit(col, row, len, qx, qy);
    px = qx;
    py = qy;
    if (xSide) {
      ++ix;
    } else if (dy * (2 * ix + 1) == dx * (2 * iy + 1)) {
      ++ix;  // exactly through the cell's corner
      ++iy;
    } else {
      ++iy;
    }
  }
  const float ex = static_cast<float>(x1) - px, ey = static_cast<float>(y1) - py;
  const double len = std::sqrt(static_cast<double>(ex * ex * psx * psx + ey * ey * psy * psy));
  visit(x1, y1, len, static_cast<float>(x1), static_cast<float>(y1));
}

float SegmentCost(const CostContext& ctx, int x0, int y0, int x1, int y1, float* acc);

// A segment walk recorded once as cell offsets from its start and lengths.
// A walk is recorded only when every point where it crosses a cell border
// lies at a fraction of 2^-k from its start and every coordinate below the
// limit keeps such fractions exact in a float (limit * 2^k <= 2^24): then the
// float differences, and so the lengths, come out the same from any start.
// Axis and diagonal walks cross at halves, walks of slope 2 or 1/2 (knight's
// moves) at quarters; walks of slope 3 cross at thirds and are not recorded.
struct WalkStep {
  int dcol = 0, drow = 0;
  double length = 0;
};
struct RecordedWalk {
  bool usable = false;
  std::vector<WalkStep> steps;
};
// Records the walk from (0, 0) to (dx, dy) for segments whose coordinates
// all lie within (-limit, limit).
RecordedWalk RecordWalk(const CostContext& ctx, int dx, int dy, long long limit);
// Same result as SegmentCost from (x0, y0) along the recorded walk.
float RecordedSegmentCost(const CostContext& ctx, int x0, int y0, const RecordedWalk& walk);
float PathCost(const CostContext& ctx, const std::vector<Point>& points, float* acc);
// Ground length of the segment lengthened by slope; no ceiling.
float SegmentLength(const CostContext& ctx, int x0, int y0, int x1, int y1);

}  // namespace route

#endif
