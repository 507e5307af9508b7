// The segment walk, slope factor, segment length and profile sampling.
#include <gtest/gtest.h>

#include <cmath>

#include "costmodel.h"
#include "extradata.h"
#include "profile.h"

namespace route {
namespace {

TEST(CostModel, DiagonalThroughCornersChargesRootTwoPerCell) {
  std::vector<unsigned char> costs(16, 0);
  std::vector<unsigned char> classes(16, 0);
  for (int k = 0; k < 4; ++k)
    classes[static_cast<std::size_t>(k * 5)] = static_cast<unsigned char>(k + 1);
  CostContext ctx;
  ctx.pixelSizeX = ctx.pixelSizeY = 2;
  ctx.costGrid = {costs.data(), 4, 4};
  ctx.classGrid = {classes.data(), 4, 4};
  ctx.costOffset = 1;
  float acc[256] = {};
  const float cost = SegmentCost(ctx, 0, 0, 3, 3, acc);
  const float r2 = std::sqrt(2.0f) * 2;
  EXPECT_NEAR(acc[1], r2 / 2, 1e-5);
  EXPECT_NEAR(acc[2], r2, 1e-5);
  EXPECT_NEAR(acc[3], r2, 1e-5);
  EXPECT_NEAR(acc[4], r2 / 2, 1e-5);
  EXPECT_EQ(acc[0], 0.0f) << "no cell off the diagonal is visited";
  EXPECT_NEAR(cost, 3 * r2, 1e-4);
}

TEST(CostModel, SlopeFactor) {
  std::vector<int32_t> slope{45, 90, -5, 0};
  CostContext ctx;
  ctx.slopeMode = 1;
  ctx.slopeGrid = {slope.data(), 4, 1};
  EXPECT_NEAR(SlopeFactor(ctx, 0, 0), std::sqrt(2.0), 1e-5);
  EXPECT_EQ(SlopeFactor(ctx, 1, 0), 1.0f);
  EXPECT_EQ(SlopeFactor(ctx, 2, 0), 1.0f);
  EXPECT_EQ(SlopeFactor(ctx, 9, 0), 1.0f) << "outside the slope data";
  std::vector<unsigned char> image{255, 128};
  ctx.slopeMode = 0;
  ctx.slopeImage = {image.data(), 2, 1};
  ctx.slopeCalibration = {0, 255, 0, 90};
  EXPECT_EQ(SlopeFactor(ctx, 0, 0), 1.0f) << "255 calibrates to 90 degrees";
  const double deg = 128 * 90.0 / 255;
  EXPECT_NEAR(SlopeFactor(ctx, 1, 0), 1 / std::cos(deg * M_PI / 180), 1e-4);
}

TEST(CostModel, SegmentLengthAndOutsideTheRaster) {
  CostContext ctx;
  ctx.pixelSizeX = ctx.pixelSizeY = 2;
  EXPECT_FLOAT_EQ(SegmentLength(ctx, 0, 0, 10, 0), 20);
  EXPECT_FLOAT_EQ(SegmentLength(ctx, -50, -3, -40, -3), 20) << "no grids are read outside";
  std::vector<unsigned char> costs(4, 0);
  ctx.costGrid = {costs.data(), 2, 2};
  EXPECT_GE(SegmentCost(ctx, -5, 0, 1, 0, nullptr), kImpassable)
      << "outside the raster is impassable";
}

TEST(Profile, SamplesAtCellBorders) {
  std::vector<unsigned char> values{4, 8, 2, 6};
  CostContext ctx;
  ctx.classGrid = {values.data(), 4, 1};
  const Profile p = SampleProfile(ctx, {{0, 0}, {3, 0}}, nullptr);
  ASSERT_EQ(p.count, 5);
  EXPECT_EQ(p.distance, (std::vector<double>{0, 0.5, 1.5, 2.5, 3}));
  EXPECT_EQ(p.x, (std::vector<double>{0, 0.5, 1.5, 2.5, 3}));
  EXPECT_EQ(p.value, (std::vector<double>{4, 4, 8, 2, 6}));
  EXPECT_EQ(p.valueMin, 2);
  EXPECT_EQ(p.valueMax, 8);
  EXPECT_EQ(p.distanceEnd, 3);
  const Calibration k{0, 10, 100, 200};
  EXPECT_EQ(SampleProfile(ctx, {{0, 0}, {3, 0}}, &k).value.back(), 160);
  std::vector<unsigned char> wide(12001, 1);
  ctx.classGrid = {wide.data(), 12001, 1};
  EXPECT_EQ(SampleProfile(ctx, {{0, 0}, {12000, 0}}, nullptr).count, 12002)
      << "beyond 10000 samples";
}

TEST(ExtraData, HeaderName) {
  EXPECT_EQ(HeaderName("slope.tif"), "slope.hdr");
  EXPECT_EQ(HeaderName(std::string(300, 'a') + ".bmp"), std::string(300, 'a') + ".hdr");
  EXPECT_EQ(HeaderName("ab"), "hdr");
}

}  // namespace
}  // namespace route

namespace route {
namespace {

// The lengths a walk crosses from a start, as WalkSegment computes them there.
std::vector<WalkStep> WalkedFrom(const CostContext& ctx, int x0, int y0, int dx, int dy) {
  std::vector<WalkStep> steps;
  WalkSegment(ctx, x0, y0, x0 + dx, y0 + dy, [&](int col, int row, double len, float, float) {
    steps.push_back({col - x0, row - y0, len});
  });
  return steps;
}

bool SameSteps(const std::vector<WalkStep>& a, const std::vector<WalkStep>& b) {
  if (a.size() != b.size()) return false;
  for (std::size_t k = 0; k < a.size(); ++k) {
    if (a[k].dcol != b[k].dcol || a[k].drow != b[k].drow || a[k].length != b[k].length)
      return false;
  }
  return true;
}

TEST(RecordedWalk, SameLengthsFromEveryStartBelowTheLimit) {
  CostContext ctx;
  ctx.pixelSizeX = ctx.pixelSizeY = 0.3f;  // products that round
  constexpr long long kLimit = 1 << 21;
  struct Move {
    int dx, dy;
    bool recorded;
  };
  const Move moves[] = {{1, 0, true},   {0, -3, true}, {4, 4, true},   {1, 2, true},
                        {-2, 1, true},  {6, -3, true}, {-5, 10, true}, {1, 3, false},
                        {-3, 2, false}, {2, 3, false}};
  const int starts[][2] = {{0, 0},
                           {3999, 17},
                           {1234567, 7654321 % kLimit},
                           {kLimit - 11, kLimit - 11},
                           {-kLimit + 11, 5}};
  for (const Move& m : moves) {
    const RecordedWalk walk = RecordWalk(ctx, m.dx, m.dy, kLimit);
    EXPECT_EQ(walk.usable, m.recorded) << m.dx << "," << m.dy;
    if (!walk.usable) continue;
    for (const auto& s : starts) {
      EXPECT_TRUE(SameSteps(walk.steps, WalkedFrom(ctx, s[0], s[1], m.dx, m.dy)))
          << m.dx << "," << m.dy << " from " << s[0] << "," << s[1];
    }
  }
  // why thirds are refused: far from the origin they round differently
  bool differs = false;
  for (const auto& s : starts)
    differs = differs || !SameSteps(WalkedFrom(ctx, 0, 0, 1, 3), WalkedFrom(ctx, s[0], s[1], 1, 3));
  EXPECT_TRUE(differs);
  EXPECT_FALSE(RecordWalk(ctx, 1, 2, 1 << 23).usable)
      << "quarters are not exact in a float at 2^23";
  EXPECT_TRUE(RecordWalk(ctx, 1, 1, 1 << 23).usable) << "halves are";
}

}  // namespace
}  // namespace route
