// Least-cost search between two points over the node grid. The open list is
// a radix heap on the stored cost that keeps equal costs in order of
// placement, which settles nodes in the same order as a list sorted by
// decreasing cost where a node placed or lowered goes in front of every node
// of equal cost.
#include "minpath.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstring>
#include <limits>
#include <new>
#include <numeric>

namespace route {

SearchGrid::SearchGrid(int width, int height, int s) : step(s) {
  columns = (width - 1) / step + 1;
  rows = (height - 1) / step + 1;
  offX = (width - 1 - (columns - 1) * step) / 2;
  offY = (height - 1 - (rows - 1) * step) / 2;
}

Point SearchGrid::NodeOf(Point pixel) const {
  const long long c = (static_cast<long long>(pixel.x) - offX) / step;
  const long long r = (static_cast<long long>(pixel.y) - offY) / step;
  return {static_cast<int>(std::clamp<long long>(c, 0, columns - 1)),
          static_cast<int>(std::clamp<long long>(r, 0, rows - 1))};
}

std::vector<Point> AllowedMoves(int radius, int limit) {
  std::vector<Point> moves;
  const int r = std::min(radius, limit);
  for (int di = -r; di <= r; ++di) {
    for (int dj = -r; dj <= r; ++dj) {
      if (std::gcd(di, dj) == 1) moves.push_back({di, dj});
    }
  }
  return moves;
}

EdgeCache::EdgeCache(long long nodes, std::size_t moves, bool wanted) : moves_(moves) {
  constexpr long long kBudgetBytes = 768LL << 20;
  const long long count = nodes * static_cast<long long>(moves);
  if (!wanted || moves == 0 || count <= 0 || count * 4 > kBudgetBytes) return;
  try {
    costs_.assign(static_cast<std::size_t>(count), std::numeric_limits<float>::quiet_NaN());
  } catch (const std::bad_alloc&) {
    costs_.clear();
  }
}

namespace {

constexpr float kSettledCost = -1.0f;  // below every sum, so a settled node is never lowered again
constexpr uint32_t kNoPredecessor = 0xFFFFFFFFu;

uint32_t Bits(float cost) {
  uint32_t bits;
  std::memcpy(&bits, &cost, sizeof bits);
  return bits;
}

// A radix heap on the stored cost's bits. Stored costs are never negative, so
// their bit patterns order as the costs do, and a node placed during the
// search never costs less than the node last taken out, as the radix heap
// requires. Every bucket keeps its entries in the order they were placed
// (pushes append; a bucket is refilled only from a higher one while it is
// empty), and the lowest bucket, holding exactly the entries of the lowest
// cost, is taken from its front: among equal costs the node placed first is
// settled first. A lowered node gets a new entry; its old one, whose cost no
// longer matches, is skipped when it comes up (stored costs only fall).
class OpenList {
 public:
  explicit OpenList(const float* cost) : cost_(cost) {}
  bool empty() const { return live_ == 0; }

  // A node entering, or lowered from `previous`, goes behind all nodes of
  // equal cost. A lowering that rounds to the same stored cost leaves the
  // node where it stands, as a sorted list walking from its place would.
  void Place(uint32_t n, float previous, bool entering) {
    if (!entering && cost_[n] == previous) return;
    if (entries_ > 2 * live_ + kSlack) DropStale();
    if (entering) ++live_;
    Push(Bits(cost_[n]), n);
    ++entries_;
  }

  uint32_t PopMin() {
    for (;;) {
      if (front_ == buckets_[0].size()) Refill();
      const Entry top = buckets_[0][front_++];
      --entries_;
      if (Stale(top)) continue;
      --live_;
      return top.node;
    }
  }

 private:
  static constexpr std::size_t kSlack = 64;
  struct Entry {
    uint32_t key;
    uint32_t node;
  };
  bool Stale(const Entry& e) const { return Bits(cost_[e.node]) != e.key; }
  // Lowered nodes leave old entries behind; past a bound they are dropped.
  void DropStale() {
    auto& lowest = buckets_[0];
    lowest.erase(lowest.begin(), lowest.begin() + static_cast<std::ptrdiff_t>(front_));
    front_ = 0;
    for (auto& bucket : buckets_) std::erase_if(bucket, [&](const Entry& e) { return Stale(e); });
    entries_ = live_;
  }
  std::size_t BucketOf(uint32_t key) const {
    return key == last_ ? 0 : 32 - static_cast<std::size_t>(std::countl_zero(key ^ last_));
  }
  void Push(uint32_t key, uint32_t node) { buckets_[BucketOf(key)].push_back({key, node}); }
  // Moves the entries of the first non-empty bucket down, in order, around
  // their least key; the lowest bucket gets those of that key.
  void Refill() {
    buckets_[0].clear();
    front_ = 0;
    std::size_t b = 1;
    while (buckets_[b].empty()) ++b;
    std::vector<Entry> moving;
    moving.swap(buckets_[b]);
    uint32_t least = moving[0].key;
    for (const Entry& e : moving) least = std::min(least, e.key);
    last_ = least;
    for (const Entry& e : moving) Push(e.key, e.node);
    moving.clear();
    if (buckets_[b].capacity() < moving.capacity()) buckets_[b].swap(moving);
  }

  const float* cost_;
  std::array<std::vector<Entry>, 33> buckets_;
  std::size_t front_ = 0;  // entries of the lowest bucket before it are taken
  uint32_t last_ = 0;
  std::size_t live_ = 0, entries_ = 0;
};

// Cell prices of crossing lengths, for cost grids read without slope: one
// table of 256 values per distinct length, filled by the cost model itself.
struct PricedStep {
  std::ptrdiff_t offset;  // cell offset from the walk's start in the cost grid
  uint32_t table;         // first price of this step's length
};

bool FlatTerrain(const CostContext& ctx) {
  if (ctx.slopeMode == 0) return ctx.slopeImage.data == nullptr;
  if (ctx.slopeMode == 1) return ctx.slopeGrid.data == nullptr;
  return true;
}

// Recorded walks of the moves, with their steps priced by table where the
// terrain is flat and every crossed cell lies on the cost grid.
struct MovePlans {
  std::vector<RecordedWalk> walks;
  bool priced = false;
  std::vector<uint32_t> first;  // steps of move m: first[m] .. first[m + 1]
  std::vector<PricedStep> steps;
  std::vector<float> prices;

  MovePlans(const CostContext& ctx, const SearchGrid& grid, const std::vector<Point>& moves) : walks(moves.size()) {
    const long long limit = static_cast<long long>(std::max(ctx.width, ctx.height)) + 1;
    for (std::size_t m = 0; m < moves.size(); ++m) {
      walks[m] = RecordWalk(ctx, -moves[m].x * grid.step, -moves[m].y * grid.step, limit);
    }
    const ByteGrid& g = ctx.costGrid;
    priced = FlatTerrain(ctx) && g.data != nullptr && g.width >= ctx.width && g.height >= ctx.height;
    if (!priced) return;
    std::vector<double> lengths;
    first.push_back(0);
    for (const RecordedWalk& walk : walks) {
      for (const WalkStep& step : walk.steps) {
        auto at = std::find(lengths.begin(), lengths.end(), step.length);
        if (at == lengths.end()) at = lengths.insert(at, step.length);
        steps.push_back({step.dcol + static_cast<std::ptrdiff_t>(step.drow) * g.width,
                         static_cast<uint32_t>((at - lengths.begin()) * 256)});
      }
      first.push_back(static_cast<uint32_t>(steps.size()));
    }
    // the same float operations as a crossed cell of the walk
    std::vector<unsigned char> value(256);
    std::iota(value.begin(), value.end(), 0);
    CostContext one = ctx;
    one.costGrid = {value.data(), 256, 1};
    one.classGrid = {};
    for (double len : lengths) {
      for (int v = 0; v < 256; ++v) {
        RecordedWalk cell;
        cell.steps.push_back({0, 0, len});
        prices.push_back(RecordedSegmentCost(one, v, 0, cell));
      }
    }
  }

  // Cost of move m from the neighbour at pixel there back to the current node.
  float Cost(const CostContext& ctx, std::size_t m, Point there, Point here) const {
    if (!walks[m].usable) return SegmentCost(ctx, there.x, there.y, here.x, here.y, nullptr);
    if (!priced) return RecordedSegmentCost(ctx, there.x, there.y, walks[m]);
    const unsigned char* cell = ctx.costGrid.data + there.x + static_cast<std::ptrdiff_t>(there.y) * ctx.costGrid.width;
    float total = 0.0f;
    for (uint32_t k = first[m]; k < first[m + 1]; ++k) {
      const float cc = prices[steps[k].table + cell[steps[k].offset]];
      if (cc < kImpassable && total < kImpassable) {
        total = total + cc;
      } else {
        total = kImpassable;
      }
    }
    return total;
  }
};

// Nodes stored in tiles of 4 x 4, one cache line of costs, so that a node's
// neighbours and a stretch of the search front in any direction share lines.
struct TiledNodes {
  uint32_t tilesX = 0;
  long long size = 0;
  TiledNodes(int columns, int rows)
      : tilesX(static_cast<uint32_t>((columns + 3) / 4)), size(static_cast<long long>(tilesX) * ((rows + 3) / 4) * 16) {}
  uint32_t Id(int c, int r) const {
    return ((static_cast<uint32_t>(r >> 2) * tilesX + static_cast<uint32_t>(c >> 2)) << 4) |
           static_cast<uint32_t>(((r & 3) << 2) | (c & 3));
  }
  Point Node(uint32_t id) const {
    const uint32_t tile = id >> 4;
    return {static_cast<int>(tile % tilesX * 4 + (id & 3)), static_cast<int>(tile / tilesX * 4 + ((id >> 2) & 3))};
  }
};

}  // namespace

std::vector<Point> FindLeg(const CostContext& ctx, Point from, Point to, EdgeCache* cache) {
  if (ctx.searchStep <= 0 || ctx.width <= 0 || ctx.height <= 0) return {};
  const SearchGrid grid(ctx.width, ctx.height, ctx.searchStep);
  const Point s = grid.NodeOf(from), t = grid.NodeOf(to);
  if (s == t) return {grid.Pixel(s.x, s.y)};
  const TiledNodes layout(grid.columns, grid.rows);
  if (layout.size >= static_cast<long long>(kNoPredecessor)) return {};
  std::vector<float> cost;
  std::vector<uint32_t> pred;
  try {
    cost.assign(static_cast<std::size_t>(layout.size), kImpassable);
    pred.assign(static_cast<std::size_t>(layout.size), kNoPredecessor);
  } catch (const std::bad_alloc&) {
    return {};
  }
  const std::vector<Point> moves = AllowedMoves(ctx.searchRadius, std::max(grid.columns, grid.rows));
  const MovePlans plans(ctx, grid, moves);
  const uint32_t start = layout.Id(s.x, s.y), target = layout.Id(t.x, t.y);
  OpenList open(cost.data());
  cost[start] = 0.0f;
  uint32_t current = start;
  bool reached = false;
  for (;;) {
    const Point c = layout.Node(current);
    const Point here = grid.Pixel(c.x, c.y);
    const long long edges = c.x + static_cast<long long>(c.y) * grid.columns;  // the cache is row-major
    const float base = cost[current];
    cost[current] = kSettledCost;
    for (std::size_t m = 0; m < moves.size(); ++m) {
      const int i = c.x + moves[m].x, j = c.y + moves[m].y;
      if (i < 0 || j < 0 || i >= grid.columns || j >= grid.rows) continue;
      const uint32_t n = layout.Id(i, j);
      // a move costs at least 0: no sum from here can lower a node at base or below, settled ones included
      if (!(base < cost[n])) continue;
      float e;
      float* slot = cache != nullptr && cache->enabled() ? cache->slot(edges, m) : nullptr;
      if (slot != nullptr && !std::isnan(*slot)) {
        e = *slot;
      } else {
        e = plans.Cost(ctx, m, grid.Pixel(i, j), here);
        if (slot != nullptr) *slot = e;
      }
      const double sum = static_cast<double>(e) + base;
      if (sum < cost[n]) {
        const float previous = cost[n];
        // only a node still at the ceiling may be unplaced (a lowering can round to the ceiling)
        const bool entering = previous == kImpassable && pred[n] == kNoPredecessor;
        cost[n] = static_cast<float>(sum);
        pred[n] = current;
        open.Place(n, previous, entering);
      }
    }
    if (open.empty()) break;
    current = open.PopMin();
    if (current == target) {
      reached = true;
      break;
    }
  }
  if (!reached) return {};
  std::vector<Point> route;
  for (uint32_t n = target; n != start; n = pred[n]) {
    const Point node = layout.Node(n);
    route.push_back(grid.Pixel(node.x, node.y));
  }
  route.push_back(grid.Pixel(s.x, s.y));
  return route;
}

}  // namespace route
