// Move prices, one at a time and a row at a time, against SegmentCost bit
// for bit: rasters wide enough that node columns and rows span several
// powers of two (where crossings at thirds round differently), over flat
// terrain, slope images and raw slope grids, with non-square pixels.
#include <gtest/gtest.h>

#include <bit>
#include <random>

#include "moveprices.h"

namespace route {
namespace {

struct Terrain {
  std::vector<unsigned char> costs, slopeImage;
  std::vector<int32_t> slopeGrid;
  CostContext ctx;
};

// slope 0 flat, 1 slope image, 2 raw slope grid (degrees beyond 0 .. 89 too)
Terrain RandomTerrain(std::mt19937& rng, int w, int h, int slope) {
  Terrain t;
  t.costs.resize(static_cast<std::size_t>(w) * h);
  for (auto& c : t.costs) c = static_cast<unsigned char>(rng() % 12 == 0 ? 255 : rng() % 255);
  t.ctx.width = w;
  t.ctx.height = h;
  t.ctx.costGrid = {t.costs.data(), w, h};
  t.ctx.costScale = 0.3711;
  t.ctx.costOffset = 1.25;
  t.ctx.pixelSizeX = 0.7f;
  t.ctx.pixelSizeY = 1.3f;
  if (slope == 1) {
    t.slopeImage.resize(t.costs.size());
    for (auto& s : t.slopeImage) s = static_cast<unsigned char>(rng() % 256);
    t.ctx.slopeMode = 0;
    t.ctx.slopeImage = {t.slopeImage.data(), w, h};
    t.ctx.slopeCalibration = {10, 250, -5, 95};  // some bytes calibrate below 0 or past 90 degrees
  } else if (slope == 2) {
    t.slopeGrid.resize(t.costs.size());
    for (auto& s : t.slopeGrid) s = static_cast<int32_t>(rng() % 140) - 20;
    t.ctx.slopeMode = 1;
    t.ctx.slopeGrid = {t.slopeGrid.data(), w, h};
  }
  return t;
}

uint32_t Bits(float f) {
  return std::bit_cast<uint32_t>(f);
}

TEST(MovePrices, EqualSegmentCostBitForBit) {
  std::mt19937 rng(2024);
  struct Case {
    int width, height, step, radius, slope;
  };
  const Case cases[] = {{1100, 70, 1, 3, 0}, {1100, 70, 1, 3, 1}, {70, 1100, 2, 3, 0},
                        {300, 520, 5, 3, 0}, {520, 300, 5, 3, 1}, {300, 300, 5, 3, 2},
                        {700, 90, 7, 5, 1},  {90, 700, 3, 4, 2},  {2100, 40, 5, 3, 0},
                        {130, 140, 3, 10, 0}};
  int compared = 0, walls = 0;
  for (const Case& k : cases) {
    Terrain t = RandomTerrain(rng, k.width, k.height, k.slope);
    t.ctx.searchStep = k.step;
    const SearchGrid grid(k.width, k.height, k.step);
    const std::vector<Point> moves = AllowedMoves(k.radius, std::max(grid.columns, grid.rows));
    MovePrices prices(t.ctx, grid, moves, std::vector<bool>(moves.size(), true));
    ASSERT_TRUE(prices.HasAll()) << k.width << "x" << k.height << " step " << k.step;
    std::vector<float> row(static_cast<std::size_t>(grid.columns));
    for (int j = 0; j < grid.rows; j += 1 + static_cast<int>(rng() % 5)) {
      prices.LoadBand(j, j);  // the band of the moves ending on node row j
      for (std::size_t m = 0; m < moves.size(); ++m) {
        const int start = j + moves[m].y;
        if (start < 0 || start >= grid.rows) continue;
        const int first = std::max(0, moves[m].x),
                  last = std::min(grid.columns, grid.columns + moves[m].x);
        if (first >= last) continue;
        prices.PriceRow(m, first, start, last - first, row.data());
        for (int i = first; i < last; ++i) {
          const Point there = grid.Pixel(i, start), here = grid.Pixel(i - moves[m].x, j);
          const float expected = SegmentCost(t.ctx, there.x, there.y, here.x, here.y, nullptr);
          ASSERT_EQ(Bits(row[static_cast<std::size_t>(i - first)]), Bits(expected))
              << "row price, move " << m << " from node " << i << ", " << start;
          ASSERT_EQ(Bits(prices.Cost(m, i, start)), Bits(expected))
              << "move " << m << " from node " << i << ", " << start;
          ++compared;
          walls += expected == kImpassable;
        }
      }
    }
  }
  EXPECT_GT(walls, 0);
  EXPECT_GT(compared, walls * 2) << "most moves are passable";
}

// Slope data that does not cover the raster leaves the moves to the walk.
TEST(MovePrices, NoneWhereTheSlopeDataIsSmaller) {
  std::mt19937 rng(7);
  Terrain t = RandomTerrain(rng, 40, 30, 1);
  t.ctx.slopeImage.width = 39;
  const SearchGrid grid(40, 30, 2);
  const std::vector<Point> moves = AllowedMoves(2, 20);
  MovePrices prices(t.ctx, grid, moves, std::vector<bool>(moves.size(), true));
  EXPECT_FALSE(prices.Has(0));
  EXPECT_FALSE(prices.HasAll());
}

}  // namespace
}  // namespace route
