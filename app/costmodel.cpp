// Cell costs and segment walks over the combined cost grid.
#include "costmodel.h"

#include <algorithm>
#include <bit>
#include <numeric>

namespace route {

float Calibrate(float a, float b, float c, float d, float e) {
  return d + (a - b) * (e - d) / (c - b);
}

float SlopeFactor(const CostContext& ctx, int col, int row) {
  float slope;
  if (ctx.slopeMode == 0) {
    if (!ctx.slopeImage.Inside(col, row)) return 1.0f;
    const Calibration& k = ctx.slopeCalibration;
    slope = Calibrate(static_cast<float>(ctx.slopeImage.At(col, row)), k.rawLow, k.rawHigh,
                      k.valueLow, k.valueHigh);
  } else if (ctx.slopeMode == 1) {
    if (!ctx.slopeGrid.Inside(col, row)) return 1.0f;
    slope = static_cast<float>(ctx.slopeGrid.At(col, row));
  } else {
    return 1.0f;
  }
  if (!(slope >= 0.0f) || slope >= 90.0f) slope = 0.0f;
  const float t = static_cast<float>(std::tan(slope * 0.01745329251994));
  return static_cast<float>(std::sqrt(t * t + 1.0f));
}

float CellCost(const CostContext& ctx, int col, int row, float length, float* acc) {
  if (acc != nullptr && ctx.classGrid.Inside(col, row)) acc[ctx.classGrid.At(col, row)] += length;
  if (!ctx.costGrid.Inside(col, row)) return kImpassable;
  const unsigned char v = ctx.costGrid.At(col, row);
  if (v == 255) return kImpassable;
  return static_cast<float>((v * ctx.costScale + ctx.costOffset) * length);
}

namespace {

// One crossed cell of a segment: its slope-lengthened cost joins the total.
inline void AddCrossedCell(const CostContext& ctx, int col, int row, double len, float* acc,
                           float& total) {
  const float l = static_cast<float>(len * SlopeFactor(ctx, col, row));
  float cc = CellCost(ctx, col, row, l, acc);
  if (cc < 0.0f) cc = 0.0f;
  AddCrossedPrice(total, cc);
}

}  // namespace

float SegmentCost(const CostContext& ctx, int x0, int y0, int x1, int y1, float* acc) {
  float total = 0.0f;
  WalkSegment(ctx, x0, y0, x1, y1, [&](int col, int row, double len, float, float) {
    AddCrossedCell(ctx, col, row, len, acc, total);
  });
  return total;
}

namespace {

// Fractional binary digits of the crossing offset num / den, or -1 when the
// fraction is not dyadic.
int FractionBits(long long num, long long den) {
  den /= std::gcd(num, den);
  if ((den & (den - 1)) != 0) return -1;
  return std::countr_zero(static_cast<unsigned long long>(den));
}

// The most fractional digits any border crossing of the walk needs, with the
// same choice of sides as WalkSegment; -1 when one is not dyadic.
int WalkFractionBits(long long dx, long long dy) {
  int bits = 0;
  long long ix = 0, iy = 0;
  while (ix + iy < dx + dy) {
    const bool xSide = dy * (2 * ix + 1) < dx * (2 * iy + 1);
    const int b =
        xSide ? FractionBits((2 * ix + 1) * dy, 2 * dx) : FractionBits((2 * iy + 1) * dx, 2 * dy);
    if (b < 0) return -1;
    bits = std::max(bits, std::max(b, 1));
    if (xSide) {
      ++ix;
    } else if (dy * (2 * ix + 1) == dx * (2 * iy + 1)) {
      ++ix;
      ++iy;
    } else {
      ++iy;
    }
  }
  return bits;
}

}  // namespace

RecordedWalk RecordWalk(const CostContext& ctx, int dx, int dy, long long limit) {
  RecordedWalk walk;
  constexpr long long kFloatExact = 1LL << 24;  // integers a float holds exactly
  const long long adx = std::llabs(dx), ady = std::llabs(dy);
  if (limit <= 0 || limit > kFloatExact || adx >= limit || ady >= limit) return walk;
  const int bits = WalkFractionBits(adx, ady);
  if (bits < 0 || bits > 24 || (limit << bits) > kFloatExact) return walk;
  WalkSegment(ctx, 0, 0, dx, dy, [&](int col, int row, double len, float, float) {
    walk.steps.push_back({col, row, len});
  });
  walk.usable = true;
  return walk;
}

float RecordedSegmentCost(const CostContext& ctx, int x0, int y0, const RecordedWalk& walk) {
  float total = 0.0f;
  for (const WalkStep& step : walk.steps) {
    AddCrossedCell(ctx, x0 + step.dcol, y0 + step.drow, step.length, nullptr, total);
  }
  return total;
}

float PathCost(const CostContext& ctx, const std::vector<Point>& points, float* acc) {
  float total = 0.0f;
  for (std::size_t k = 1; k < points.size(); ++k) {
    total =
        total + SegmentCost(ctx, points[k - 1].x, points[k - 1].y, points[k].x, points[k].y, acc);
    if (total > kImpassable) total = kImpassable;
  }
  return total;
}

float SegmentLength(const CostContext& ctx, int x0, int y0, int x1, int y1) {
  float total = 0.0f;
  WalkSegment(ctx, x0, y0, x1, y1, [&](int col, int row, double len, float, float) {
    total = total + static_cast<float>(len * SlopeFactor(ctx, col, row));
  });
  return total;
}

}  // namespace route
