// Least-cost search between two points over the node grid. The open list is
// a 4-ary heap keyed on (stored cost, order of placement), which settles
// nodes in the same order as a list sorted by decreasing cost where a node
// placed or lowered goes in front of every node of equal cost.
#include "minpath.h"

#include <algorithm>
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

// A 4-ary heap whose entries carry their keys. A lowered node gets a new
// entry and its old one, whose cost no longer matches, is skipped when it
// comes up: stored costs only ever fall, so a node's newest entry is the one
// with its current cost.
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
    if (entering) {
      nodes_[n].state = kOpen;
      ++live_;
    }
    if (seq_ == std::numeric_limits<uint32_t>::max()) Renumber();
    if (heap_.size() > 2 * live_ + kSlack) DropStale();
    heap_.push_back(Entry{nodes_[n].cost, seq_++, n});
    Up(heap_.size() - 1);
  }

  uint32_t PopMin() {
    for (;;) {
      const Entry top = heap_[0];
      heap_[0] = heap_.back();
      heap_.pop_back();
      if (!heap_.empty()) Down(0);
      if (Stale(top)) continue;
      nodes_[top.node].state = kSettled;
      --live_;
      return top.node;
    }
  }

 private:
  static constexpr uint32_t kOpen = 0;
  static constexpr std::size_t kSlack = 1 << 20;
  struct Entry {
    float cost;
    uint32_t seq;
    uint32_t node;
  };
  static bool Before(const Entry& a, const Entry& b) {
    return a.cost < b.cost || (a.cost == b.cost && a.seq < b.seq);
  }
  bool Stale(const Entry& e) const {
    const Node& n = nodes_[e.node];
    return n.state == kSettled || n.cost != e.cost;
  }
  void Up(std::size_t i) {
    const Entry e = heap_[i];
    while (i > 0) {
      const std::size_t parent = (i - 1) / 4;
      if (!Before(e, heap_[parent])) break;
      heap_[i] = heap_[parent];
      i = parent;
    }
    heap_[i] = e;
  }
  void Down(std::size_t i) {
    const Entry e = heap_[i];
    const std::size_t size = heap_.size();
    for (;;) {
      const std::size_t first = 4 * i + 1;
      if (first >= size) break;
      std::size_t best = first;
      const std::size_t end = std::min(first + 4, size);
      for (std::size_t c = first + 1; c < end; ++c) {
        if (Before(heap_[c], heap_[best])) best = c;
      }
      if (!Before(heap_[best], e)) break;
      heap_[i] = heap_[best];
      i = best;
    }
    heap_[i] = e;
  }
  void Heapify() {
    for (std::size_t i = heap_.size() / 4 + 1; i-- > 0;) {
      if (i < heap_.size()) Down(i);
    }
  }
  void DropStale() {
    std::erase_if(heap_, [&](const Entry& e) { return Stale(e); });
    Heapify();
  }
  // Ranks keep the order of (cost, seq), so the heap stays valid.
  void Renumber() {
    DropStale();
    std::vector<uint32_t> order(heap_.size());
    std::iota(order.begin(), order.end(), 0u);
    std::sort(order.begin(), order.end(), [&](uint32_t a, uint32_t b) { return Before(heap_[a], heap_[b]); });
    for (std::size_t k = 0; k < order.size(); ++k) heap_[order[k]].seq = static_cast<uint32_t>(k);
    seq_ = static_cast<uint32_t>(order.size());
  }

  std::vector<Node>& nodes_;
  std::vector<Entry> heap_;
  std::size_t live_ = 0;
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
