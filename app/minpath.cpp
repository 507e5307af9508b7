// Least-cost search between two points over the node grid. The open list is
// a radix heap keyed on (stored cost, order of placement), which settles
// nodes in the same order as a list sorted by decreasing cost where a node
// placed or lowered goes in front of every node of equal cost.
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

constexpr uint32_t kNotPlaced = 0xFFFFFFFFu;  // node state: never in the open list
constexpr uint32_t kSettled = 0xFFFFFFFEu;

struct Node {
  float cost;
  int32_t pred;
  uint32_t state;
};

// A radix heap on the key (stored cost, order of placement), packed into 64
// bits: cost bits above, placement below. Stored costs are never negative,
// so their bit patterns order as the costs do, and a node placed during the
// search never ranks before the node last taken out, as the radix heap
// requires. A lowered node gets a new entry; its old one, whose cost no
// longer matches, is skipped when it comes up (stored costs only fall).
class OpenList {
 public:
  explicit OpenList(std::vector<Node>& nodes) : nodes_(nodes) {}
  bool empty() const { return live_ == 0; }

  // A node entering, or lowered from `previous`, goes behind all nodes of
  // equal cost. A lowering that rounds to the same stored cost leaves the
  // node where it stands, as a sorted list walking from its place would.
  void Place(uint32_t n, float previous) {
    const bool entering = nodes_[n].state == kNotPlaced;
    if (!entering && nodes_[n].cost == previous) return;
    if (seq_ == std::numeric_limits<uint32_t>::max()) Renumber();
    if (entries_ > 2 * live_ + kSlack) DropStale();
    if (entering) {
      nodes_[n].state = kOpen;
      ++live_;
    }
    Push(Key(nodes_[n].cost, seq_++), n);
    ++entries_;
  }

  uint32_t PopMin() {
    for (;;) {
      if (buckets_[0].empty()) Refill();
      const Entry top = buckets_[0].back();
      buckets_[0].pop_back();
      --entries_;
      if (Stale(top)) continue;
      nodes_[top.node].state = kSettled;
      --live_;
      return top.node;
    }
  }

 private:
  static constexpr uint32_t kOpen = 0;
  static constexpr uint64_t kCostMask = ~uint64_t{0xFFFFFFFFu};
  static constexpr std::size_t kSlack = 64;
  struct Entry {
    uint64_t key;
    uint32_t node;
  };
  static uint64_t Key(float cost, uint32_t seq) {
    uint32_t bits;
    std::memcpy(&bits, &cost, sizeof bits);
    return (static_cast<uint64_t>(bits) << 32) | seq;
  }
  bool Stale(const Entry& e) const {
    const Node& node = nodes_[e.node];
    return node.state == kSettled || Key(node.cost, 0) != (e.key & kCostMask);
  }
  // Lowered nodes leave old entries behind; past a bound they are dropped.
  void DropStale() {
    for (auto& bucket : buckets_) std::erase_if(bucket, [&](const Entry& e) { return Stale(e); });
    entries_ = live_;
  }
  std::size_t BucketOf(uint64_t key) const {
    return key == last_ ? 0 : 64 - static_cast<std::size_t>(std::countl_zero(key ^ last_));
  }
  void Push(uint64_t key, uint32_t node) { buckets_[BucketOf(key)].push_back({key, node}); }
  // Moves the smallest entry of the first non-empty bucket into bucket 0.
  void Refill() {
    std::size_t b = 1;
    while (buckets_[b].empty()) ++b;
    std::vector<Entry> moving;
    moving.swap(buckets_[b]);
    uint64_t least = moving[0].key;
    for (const Entry& e : moving) least = std::min(least, e.key);
    last_ = least;
    for (const Entry& e : moving) Push(e.key, e.node);
    moving.clear();
    if (buckets_[b].capacity() < moving.capacity()) buckets_[b].swap(moving);
  }
  // Placements restart from 0, ranked in the order of the live entries.
  void Renumber() {
    std::vector<Entry> live;
    for (auto& bucket : buckets_) {
      for (const Entry& e : bucket) {
        if (!Stale(e)) live.push_back(e);
      }
      bucket.clear();
    }
    std::sort(live.begin(), live.end(), [](const Entry& a, const Entry& b) { return a.key < b.key; });
    last_ = 0;
    for (std::size_t k = 0; k < live.size(); ++k) {
      Push((live[k].key & kCostMask) | static_cast<uint32_t>(k), live[k].node);
    }
    seq_ = static_cast<uint32_t>(live.size());
    entries_ = live.size();
  }

  std::vector<Node>& nodes_;
  std::array<std::vector<Entry>, 65> buckets_;
  uint64_t last_ = 0;
  std::size_t live_ = 0, entries_ = 0;
  uint32_t seq_ = 0;
};

}  // namespace

std::vector<Point> FindLeg(const CostContext& ctx, Point from, Point to, EdgeCache* cache) {
  if (ctx.searchStep <= 0 || ctx.width <= 0 || ctx.height <= 0) return {};
  const SearchGrid grid(ctx.width, ctx.height, ctx.searchStep);
  const Point s = grid.NodeOf(from), t = grid.NodeOf(to);
  if (s == t) return {grid.Pixel(s.x, s.y)};
  const long long count = static_cast<long long>(grid.columns) * grid.rows;
  if (count >= static_cast<long long>(kSettled)) return {};
  std::vector<Node> nodes;
  try {
    nodes.assign(static_cast<std::size_t>(count), Node{kImpassable, -1, kNotPlaced});
  } catch (const std::bad_alloc&) {
    return {};
  }
  const std::vector<Point> moves = AllowedMoves(ctx.searchRadius, std::max(grid.columns, grid.rows));
  const auto index = [&](int c, int r) { return static_cast<uint32_t>(c + static_cast<long long>(r) * grid.columns); };
  const uint32_t start = index(s.x, s.y), target = index(t.x, t.y);
  // Walks of the moves, from the neighbour back to the current node.
  const bool exactCoordinates = ctx.width < kExactWalkLimit && ctx.height < kExactWalkLimit;
  std::vector<RecordedWalk> walks(moves.size());
  if (exactCoordinates) {
    for (std::size_t m = 0; m < moves.size(); ++m) {
      walks[m] = RecordWalk(ctx, -moves[m].x * grid.step, -moves[m].y * grid.step);
    }
  }
  OpenList open(nodes);
  nodes[start].cost = 0.0f;
  nodes[start].state = kSettled;
  uint32_t current = start;
  for (;;) {
    const int cx = static_cast<int>(current % grid.columns), cy = static_cast<int>(current / grid.columns);
    const Point here = grid.Pixel(cx, cy);
    const float base = nodes[current].cost;
    for (std::size_t m = 0; m < moves.size(); ++m) {
      const int i = cx + moves[m].x, j = cy + moves[m].y;
      if (i < 0 || j < 0 || i >= grid.columns || j >= grid.rows) continue;
      Node& node = nodes[index(i, j)];
      if (node.state == kSettled) continue;
      float e;
      float* slot = cache != nullptr && cache->enabled() ? cache->slot(current, m) : nullptr;
      if (slot != nullptr && !std::isnan(*slot)) {
        e = *slot;
      } else {
        const Point there = grid.Pixel(i, j);
        e = walks[m].usable ? RecordedSegmentCost(ctx, there.x, there.y, walks[m])
                            : SegmentCost(ctx, there.x, there.y, here.x, here.y, nullptr);
        if (slot != nullptr) *slot = e;
      }
      const double sum = static_cast<double>(e) + base;
      if (sum < node.cost) {
        const float previous = node.cost;
        node.cost = static_cast<float>(sum);
        node.pred = static_cast<int32_t>(current);
        open.Place(index(i, j), previous);
      }
    }
    if (open.empty()) break;
    current = open.PopMin();
    if (current == target) break;
  }
  if (nodes[target].state != kSettled) return {};
  std::vector<Point> route;
  for (uint32_t n = target; n != start; n = static_cast<uint32_t>(nodes[n].pred)) {
    route.push_back(grid.Pixel(static_cast<int>(n % grid.columns), static_cast<int>(n / grid.columns)));
  }
  route.push_back(grid.Pixel(s.x, s.y));
  return route;
}

}  // namespace route
