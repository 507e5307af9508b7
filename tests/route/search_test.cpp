// The heap search against a literal sorted-linked-list search, on random grids.
#include <gtest/gtest.h>

#include <random>

#include "minpath.h"

namespace route {
namespace {

// The reference: a doubly linked open list in decreasing cost from head to a
// sentinel tail of cost -100000; a placed or lowered node walks from the head
// toward the tail past every node of higher cost.
// With `settled`, it settles from every source in `more` too (placed in the
// list at cost 0 after the start) and records every settled node's cost by
// node index, kImpassable for the others; a target equal to no node makes it
// run until the list is empty.
std::vector<Point> LiteralLeg(const CostContext& ctx, Point from, Point to,
                              std::vector<float>* settled = nullptr,
                              const std::vector<Point>& more = {}) {
  const SearchGrid g(ctx.width, ctx.height, ctx.searchStep);
  const int n = g.columns * g.rows;
  struct Node {
    float cost = kImpassable;
    bool settled = false;
    int pred = -1, prev = -1, next = -1;
    bool listed = false;
  };
  std::vector<Node> nodes(static_cast<std::size_t>(n) + 1);
  const int sentinel = n, head0 = -1;
  int head = sentinel;
  nodes[sentinel].cost = -kImpassable;
  auto unlink = [&](int k) {
    Node& x = nodes[k];
    if (x.prev >= 0)
      nodes[x.prev].next = x.next;
    else
      head = x.next;
    nodes[x.next].prev = x.prev;
    x.prev = x.next = head0;
  };
  // a new node starts at the head, a lowered one from where it stands
  auto place = [&](int k) {
    int at = head;
    if (nodes[k].listed) {
      at = nodes[k].next;
      unlink(k);
    }
    nodes[k].listed = true;
    while (nodes[at].cost > nodes[k].cost) at = nodes[at].next;
    nodes[k].next = at;
    nodes[k].prev = nodes[at].prev;
    if (nodes[at].prev >= 0)
      nodes[nodes[at].prev].next = k;
    else
      head = k;
    nodes[at].prev = k;
  };
  const Point s = g.NodeOf(from), t = settled != nullptr ? to : g.NodeOf(to);
  if (s == t) return {g.Pixel(s.x, s.y)};
  const int start = s.x + s.y * g.columns, target = t.x + t.y * g.columns;
  nodes[start].cost = 0;
  nodes[start].settled = true;
  for (const Point source : more) {
    const Point m = g.NodeOf(source);
    const int k = m.x + m.y * g.columns;
    if (k == start || nodes[k].listed) continue;
    nodes[k].cost = 0;
    place(k);
  }
  int cur = start;
  const int R = ctx.searchRadius;
  for (;;) {
    const int cx = cur % g.columns, cy = cur / g.columns;
    for (int i = cx - R; i <= cx + R; ++i) {
      for (int j = cy - R; j <= cy + R; ++j) {
        if (i < 0 || j < 0 || i >= g.columns || j >= g.rows) continue;
        Node& x = nodes[static_cast<std::size_t>(i + j * g.columns)];
        if (x.settled) continue;
        float e = 0;
        if (i != cx || j != cy) {
          if (std::gcd(i - cx, j - cy) != 1)
            e = kImpassable;
          else {
            const Point a = g.Pixel(i, j), b = g.Pixel(cx, cy);
            e = SegmentCost(ctx, a.x, a.y, b.x, b.y, nullptr);
          }
        }
        const double sum = static_cast<double>(e) + nodes[static_cast<std::size_t>(cur)].cost;
        if (sum < x.cost) {
          x.cost = static_cast<float>(sum);
          x.pred = cur;
          place(i + j * g.columns);
        }
      }
    }
    if (head == sentinel) break;
    int lowest = nodes[sentinel].prev;
    cur = lowest;
    unlink(cur);
    nodes[cur].listed = false;
    nodes[cur].settled = true;
    if (cur == target) break;
  }
  if (settled != nullptr) {
    settled->assign(static_cast<std::size_t>(n), kImpassable);
    for (int k = 0; k < n; ++k) {
      if (nodes[static_cast<std::size_t>(k)].settled)
        (*settled)[static_cast<std::size_t>(k)] = nodes[static_cast<std::size_t>(k)].cost;
    }
    return {};
  }
  if (!nodes[target].settled) return {};
  std::vector<Point> route;
  for (int k = target; k != start; k = nodes[k].pred)
    route.push_back(g.Pixel(k % g.columns, k / g.columns));
  route.push_back(g.Pixel(s.x, s.y));
  return route;
}

struct Fixture {
  std::vector<unsigned char> costs;
  std::vector<unsigned char> slope;
  CostContext ctx;
};

// Few distinct values so that equal costs, and so ties, are common.
Fixture RandomGrid(std::mt19937& rng, int w, int h, bool withSlope) {
  Fixture f;
  f.costs.resize(static_cast<std::size_t>(w * h));
  for (auto& c : f.costs) c = static_cast<unsigned char>(rng() % 10 == 0 ? 255 : rng() % 4);
  f.ctx.width = w;
  f.ctx.height = h;
  f.ctx.costGrid = {f.costs.data(), w, h};
  f.ctx.costScale = withSlope ? 1.0 : 0.3711;  // fractions make float rounding ties happen
  f.ctx.costOffset = 1.0;
  if (withSlope) {
    f.slope.resize(f.costs.size());
    for (auto& s : f.slope) s = static_cast<unsigned char>(rng() % 256);
    f.ctx.slopeMode = 0;
    f.ctx.slopeImage = {f.slope.data(), w, h};
    f.ctx.slopeCalibration = {0, 255, 0, 60};
  }
  return f;
}

TEST(Search, MatchesTheLiteralSortedListOnRandomGrids) {
  std::mt19937 rng(12345);
  int compared = 0, found = 0;
  for (int trial = 0; trial < 400; ++trial) {
    const int w = 5 + static_cast<int>(rng() % 40), h = 5 + static_cast<int>(rng() % 40);
    Fixture f = RandomGrid(rng, w, h, trial % 2 == 1);
    f.ctx.searchRadius = static_cast<int>(rng() % 4);
    f.ctx.searchStep = 1 + static_cast<int>(rng() % 7);
    std::vector<Point> pts;
    for (int k = 0; k < 3; ++k)
      pts.push_back({static_cast<int>(rng() % (w + 4)) - 2, static_cast<int>(rng() % (h + 4)) - 2});
    // shared cache across the legs, as MinimumPath does: none, the table kept whole, or blocks
    // given back once settled and priced again by the next leg
    EdgeCache cache =
        EdgeCache::For(f.ctx, trial % 3 != 0, trial % 3 == 2 ? 0 : EdgeCache::kWholeBytes);
    for (int leg = 0; leg < 2; ++leg) {
      const Point a = pts[static_cast<std::size_t>(leg)],
                  b = pts[static_cast<std::size_t>(leg + 1)];
      const auto expected = LiteralLeg(f.ctx, a, b);
      EXPECT_EQ(FindLeg(f.ctx, a, b, &cache), expected) << "trial " << trial << " leg " << leg;
      ++compared;
      found += expected.size() > 1;
    }
  }
  EXPECT_GT(found, compared / 4);  // the grids are not all walls
}

// Step 1 on flat terrain has a search of its own: inner nodes, border nodes
// and rasters whose sides are not multiples of 4, radius 1 to 3 (slope-3
// moves are walked), with costs that tie at zero, differ by a few ulps, come
// from non-square pixels or add up to the ceiling.
TEST(Search, MatchesTheLiteralSortedListAtStepOne) {
  struct Costs {
    double scale, offset;
    float pixelX, pixelY;
  };
  const Costs table[] = {{0.3711, 1.0, 1, 1},    {0, 0, 1, 1},        {1.0 / (1 << 20), 1.0, 1, 1},
                         {1.0, 1.0, 0.7f, 1.3f}, {3000, 20000, 1, 1}, {0.5, 0, 2.5f, 2.5f}};
  std::mt19937 rng(777);
  int found = 0, compared = 0;
  for (int trial = 0; trial < 360; ++trial) {
    const bool large = trial % 40 == 0;
    const int w = large ? 150 : 2 + static_cast<int>(rng() % 45),
              h = large ? 97 : 2 + static_cast<int>(rng() % 45);
    const Costs& k = table[static_cast<std::size_t>(trial) % std::size(table)];
    Fixture f = RandomGrid(rng, w, h, false);
    f.ctx.costScale = k.scale;
    f.ctx.costOffset = k.offset;
    f.ctx.pixelSizeX = k.pixelX;
    f.ctx.pixelSizeY = k.pixelY;
    f.ctx.searchRadius = 1 + trial / 3 % 3;
    f.ctx.searchStep = 1;
    EdgeCache cache = EdgeCache::For(f.ctx, trial % 2 == 0);
    Point a{static_cast<int>(rng() % (w + 4)) - 2, static_cast<int>(rng() % (h + 4)) - 2};
    for (int leg = 0; leg < 2; ++leg) {
      const Point b{static_cast<int>(rng() % (w + 4)) - 2, static_cast<int>(rng() % (h + 4)) - 2};
      const auto expected = LiteralLeg(f.ctx, a, b);
      EXPECT_EQ(FindLeg(f.ctx, a, b, &cache), expected) << "trial " << trial << " leg " << leg;
      ++compared;
      found += expected.size() > 1;
      a = b;
    }
  }
  EXPECT_GT(found, compared / 4);
}

// Raw slope grids (degrees below 0 and past 90 too) and slope images that
// do not cover the raster, at steps 1 to 5, the legs sharing a cache.
TEST(Search, MatchesTheLiteralSortedListOverSlopeGrids) {
  std::mt19937 rng(4242);
  int found = 0, compared = 0;
  for (int trial = 0; trial < 120; ++trial) {
    const int w = 8 + static_cast<int>(rng() % 60), h = 8 + static_cast<int>(rng() % 60);
    Fixture f = RandomGrid(rng, w, h, true);
    std::vector<int32_t> degrees(f.costs.size());
    if (trial % 2 == 0) {
      for (auto& d : degrees) d = static_cast<int32_t>(rng() % 130) - 20;
      f.ctx.slopeMode = 1;
      f.ctx.slopeGrid = {degrees.data(), w, h};
    } else {
      f.ctx.slopeImage.width =
          w - 1 - static_cast<int>(rng() % 3);  // the right columns have no slope
    }
    f.ctx.searchRadius = 1 + static_cast<int>(rng() % 3);
    f.ctx.searchStep = 1 + static_cast<int>(rng() % 5);
    EdgeCache cache = EdgeCache::For(f.ctx, true, trial % 2 == 0 ? 0 : EdgeCache::kWholeBytes);
    Point a{static_cast<int>(rng() % w), static_cast<int>(rng() % h)};
    for (int leg = 0; leg < 3; ++leg) {
      const Point b{static_cast<int>(rng() % w), static_cast<int>(rng() % h)};
      const auto expected = LiteralLeg(f.ctx, a, b);
      EXPECT_EQ(FindLeg(f.ctx, a, b, &cache), expected) << "trial " << trial << " leg " << leg;
      ++compared;
      found += expected.size() > 1;
      a = b;
    }
  }
  EXPECT_GT(found, compared / 4);
}

// The cost surface against the literal search run to exhaustion from the
// same sources: every pixel holds its node's cost exactly, over flat and
// sloped ground, at steps 1 to 5 and radii 1 to 3; a reach keeps the costs
// within it and leaves the rest unreached.
TEST(Search, CostSurfaceHoldsTheLiteralSearchsCosts) {
  std::mt19937 rng(2026);
  int reached = 0;
  for (int trial = 0; trial < 120; ++trial) {
    const int w = 5 + static_cast<int>(rng() % 50), h = 5 + static_cast<int>(rng() % 50);
    Fixture f = RandomGrid(rng, w, h, trial % 2 == 1);
    std::vector<int32_t> degrees(f.costs.size());
    if (trial % 4 == 3) {
      for (auto& d : degrees) d = static_cast<int32_t>(rng() % 130) - 20;
      f.ctx.slopeMode = 1;
      f.ctx.slopeGrid = {degrees.data(), w, h};
    }
    f.ctx.searchRadius = 1 + static_cast<int>(rng() % 3);
    f.ctx.searchStep = 1 + static_cast<int>(rng() % 5);
    const SearchGrid g(w, h, f.ctx.searchStep);
    std::vector<Point> sources;
    for (int k = 0; k <= trial % 3; ++k)
      sources.push_back({static_cast<int>(rng() % w), static_cast<int>(rng() % h)});
    std::vector<float> expected;
    const Point nowhere{g.columns, g.rows};  // the literal search then never stops early
    LiteralLeg(f.ctx, sources[0], nowhere, &expected,
               std::vector<Point>(sources.begin() + 1, sources.end()));
    const auto node = [&](int x, int y) {
      const Point n = g.NodeOf({x, y});
      return expected[static_cast<std::size_t>(n.x + n.y * g.columns)];
    };
    std::vector<float> surface(static_cast<std::size_t>(w * h), -1.0f);
    ASSERT_TRUE(ComputeCostSurface(f.ctx, sources, {}, surface.data()).done);
    for (int y = 0; y < h; ++y) {
      for (int x = 0; x < w; ++x) {
        ASSERT_EQ(surface[static_cast<std::size_t>(x + y * w)], node(x, y))
            << "trial " << trial << " pixel " << x << ", " << y;
        reached += node(x, y) < kImpassable && node(x, y) > 0;
      }
    }
    // a target and a reach past it: costs up to 1.5 times the target's, the rest unreached
    const Point target{static_cast<int>(rng() % w), static_cast<int>(rng() % h)};
    SurfaceReach reach;
    reach.target = target;
    reach.past = 1.5;
    const SurfaceResult within = ComputeCostSurface(f.ctx, sources, reach, surface.data());
    ASSERT_TRUE(within.done);
    EXPECT_EQ(within.targetCost, node(target.x, target.y)) << "trial " << trial;
    const double limit = static_cast<double>(within.targetCost) * 1.5;
    for (int y = 0; y < h; ++y) {
      for (int x = 0; x < w; ++x) {
        const float want = node(x, y) <= limit ? node(x, y) : kImpassable;
        ASSERT_EQ(surface[static_cast<std::size_t>(x + y * w)], want)
            << "trial " << trial << " pixel " << x << ", " << y << " within the reach";
      }
    }
  }
  EXPECT_GT(reached, 1000);  // the grids are not all walls
}

TEST(Search, GridGeometryAndSnapping) {
  const SearchGrid g(103, 50, 5);
  EXPECT_EQ(g.columns, 21);
  EXPECT_EQ(g.offX, 1);
  EXPECT_EQ(g.Pixel(20, 0).x, 101);
  EXPECT_EQ(g.NodeOf({-40, -3}), (Point{0, 0}));
  EXPECT_EQ(g.NodeOf({5000, 5000}), (Point{20, g.rows - 1}));
}

struct Uniform {
  std::vector<unsigned char> costs;
  CostContext ctx;
  Uniform(int w, int h, int radius) : costs(static_cast<std::size_t>(w * h), 0) {
    ctx.width = w;
    ctx.height = h;
    ctx.costGrid = {costs.data(), w, h};
    ctx.costOffset = 1;
    ctx.searchStep = 1;
    ctx.searchRadius = radius;
  }
};

// A cache split into blocks that are given back once a leg has settled
// them: along a strip the search front leaves blocks behind as it goes, and
// the legs back over the same ground price them again, in memory that
// other blocks held in between.
TEST(Search, BlocksGivenBackArePricedAgain) {
  std::mt19937 rng(2024);
  int found = 0;
  for (int trial = 0; trial < 4; ++trial) {
    const int w = 700 + static_cast<int>(rng() % 40), h = 24 + static_cast<int>(rng() % 16);
    Fixture f = RandomGrid(rng, w, h, trial % 2 == 1);
    f.ctx.searchStep = 1 + trial % 2;  // step 1 with slope data keeps no table of its own
    f.ctx.searchRadius = 2 + trial / 2;
    EdgeCache cache = EdgeCache::For(f.ctx, true, 0);
    const std::vector<Point> points{{1, 2}, {w - 2, h - 3}, {w / 2, 1}, {3, h - 2}, {w - 1, h / 2}};
    for (std::size_t leg = 0; leg + 1 < points.size(); ++leg) {
      const auto expected = LiteralLeg(f.ctx, points[leg], points[leg + 1]);
      EXPECT_EQ(FindLeg(f.ctx, points[leg], points[leg + 1], &cache), expected)
          << "trial " << trial << " leg " << leg;
      found += expected.size() > 1;
    }
  }
  EXPECT_GT(found, 8);
}

// From radius 10 on there are 256 moves and more, past what a byte holds.
TEST(Search, MatchesTheLiteralSortedListAtWideRadii) {
  std::mt19937 rng(99);
  int found = 0;
  for (int trial = 0; trial < 8; ++trial) {
    const int w = 22 + static_cast<int>(rng() % 8), h = 22 + static_cast<int>(rng() % 8);
    Fixture f = RandomGrid(rng, w, h, trial % 4 == 3);
    f.ctx.searchRadius = trial % 2 == 0 ? 10 : 9;  // 256 and 224 moves
    f.ctx.searchStep = 1 + trial / 4;
    const Point a{static_cast<int>(rng() % w), static_cast<int>(rng() % h)},
        b{static_cast<int>(rng() % w), static_cast<int>(rng() % h)};
    const auto expected = LiteralLeg(f.ctx, a, b);
    EXPECT_EQ(FindLeg(f.ctx, a, b), expected) << "trial " << trial;
    found += expected.size() > 1;
  }
  EXPECT_GT(found, 4);
  Uniform u(25, 25, 10);
  EXPECT_EQ(FindLeg(u.ctx, {2, 3}, {12, 12}), (std::vector<Point>{{12, 12}, {2, 3}}))
      << "the last of 256 moves, (10, 9)";
}

TEST(Search, MovesAllowedByRadius) {
  EXPECT_EQ(AllowedMoves(1, 100).size(), 8u);
  EXPECT_EQ(AllowedMoves(2, 100).size(), 16u);
  EXPECT_EQ(AllowedMoves(3, 100).size(), 32u);
  for (int radius : {1, 2}) {
    Uniform u(12, 12, radius);
    const auto route = FindLeg(u.ctx, {0, 0}, {9, 4});
    ASSERT_GT(route.size(), 1u);
    bool knight = false;
    for (std::size_t k = 1; k < route.size(); ++k) {
      const int dx = std::abs(route[k].x - route[k - 1].x),
                dy = std::abs(route[k].y - route[k - 1].y);
      EXPECT_EQ(std::gcd(dx, dy), 1) << "no (2, 2) or (2, 0) moves";
      EXPECT_LE(std::max(dx, dy), radius);
      knight = knight || (dx + dy == 3);
    }
    EXPECT_EQ(knight, radius == 2);
  }
}

TEST(Search, EdgeCases) {
  Uniform u(20, 20, 1);
  EXPECT_EQ(FindLeg(u.ctx, {3, 3}, {3, 3}), (std::vector<Point>{{3, 3}})) << "same node: one point";
  u.ctx.searchRadius = 0;
  EXPECT_TRUE(FindLeg(u.ctx, {0, 0}, {5, 5}).empty()) << "radius 0 reaches nothing";
  u.ctx.searchRadius = 3;
  for (int y = 0; y < 20; ++y) u.costs[static_cast<std::size_t>(10 + y * 20)] = 255;
  EXPECT_TRUE(FindLeg(u.ctx, {0, 0}, {19, 19}).empty()) << "an impassable wall";
  u.costs[10 + 7 * 20] = 0;
  EXPECT_FALSE(FindLeg(u.ctx, {0, 0}, {19, 19}).empty()) << "a gap in the wall";
  Uniform longer(12000, 3, 1);
  EXPECT_EQ(FindLeg(longer.ctx, {0, 1}, {11999, 1}).size(), 12000u) << "routes beyond 10000 nodes";
}

// A lowering that rounds up to exactly the ceiling places a node that then
// reads as never reached, and the node is lowered again later: it must be
// counted once in the open list, or the search never finds the list empty.
// On a row of five nodes, the sources at both ends reach the middle node
// (the only dear one) from either side with sums a hair below 100000.
TEST(Search, LoweringRoundedToTheCeilingIsCountedOnce) {
  Uniform u(5, 1, 1);
  u.costs[2] = 1;
  u.ctx.costScale = 199996;
  u.ctx.costOffset = 1 - 1.0 / 1024;  // the cheap nodes cost a fraction, whose bits survive
  const float cheap = SegmentCost(u.ctx, 0, 0, 1, 0, nullptr),
              dear = SegmentCost(u.ctx, 1, 0, 2, 0, nullptr);
  const double sum = static_cast<double>(dear) + cheap;
  ASSERT_LT(sum, kImpassable);
  ASSERT_EQ(static_cast<float>(sum), kImpassable) << "the fixture must round to the ceiling";
  ASSERT_EQ(SegmentCost(u.ctx, 3, 0, 2, 0, nullptr), dear);
  const std::vector<Point> sources{{0, 0}, {4, 0}};
  std::vector<float> expected;
  LiteralLeg(u.ctx, sources[0], {5, 1}, &expected, {sources[1]});
  ASSERT_EQ(expected[2], kImpassable);
  std::vector<float> surface(5, -1.0f);
  ASSERT_TRUE(ComputeCostSurface(u.ctx, sources, {}, surface.data()).done);
  EXPECT_EQ(surface, expected);
  // a node placed at the ceiling and never lowered again still leaves the open list: a leg
  // toward a node behind a wall runs until the list is empty
  Uniform walled(7, 1, 1);
  walled.ctx.costScale = u.ctx.costScale;
  walled.ctx.costOffset = u.ctx.costOffset;
  walled.costs[2] = 1;
  walled.costs[5] = 255;
  EXPECT_TRUE(FindLeg(walled.ctx, {0, 0}, {6, 0}).empty());
}

}  // namespace
}  // namespace route
