// Least-cost search between two points over the node grid. The open list is
// a binary heap keyed on (stored cost, order of placement), which settles
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

constexpr uint32_t kNotPlaced = 0xFFFFFFFFu;  // heap position: never in the open list
constexpr uint32_t kSettled = 0xFFFFFFFEu;

struct Node {
  float cost;
  int32_t pred;
  uint32_t heapPos;
  uint32_t seq;
};

class OpenList {
 public:
  explicit OpenList(std::vector<Node>& nodes) : nodes_(nodes) {}
  bool empty() const { return heap_.empty(); }

  // A node entering, or lowered from `previous`, goes behind all nodes of
  // equal cost. A lowering that rounds to the same stored cost leaves the
  // node where it stands, as a sorted list walking from its place would.
  void Place(uint32_t n, float previous) {
    const bool entering = nodes_[n].heapPos == kNotPlaced;
    if (!entering && nodes_[n].cost == previous) return;
    if (seq_ == std::numeric_limits<uint32_t>::max()) Renumber();
    nodes_[n].seq = seq_++;
    if (entering) {
      nodes_[n].heapPos = static_cast<uint32_t>(heap_.size());
      heap_.push_back(n);
    }
    Up(nodes_[n].heapPos);
  }

  uint32_t PopMin() {
    const uint32_t top = heap_[0];
    const uint32_t last = heap_.back();
    heap_.pop_back();
    if (!heap_.empty()) {
      heap_[0] = last;
      nodes_[last].heapPos = 0;
      Down(0);
    }
    nodes_[top].heapPos = kSettled;
    return top;
  }

 private:
  bool Before(uint32_t a, uint32_t b) const {
    const Node& na = nodes_[a];
    const Node& nb = nodes_[b];
    return na.cost < nb.cost || (na.cost == nb.cost && na.seq < nb.seq);
  }
  void Set(std::size_t i, uint32_t n) {
    heap_[i] = n;
    nodes_[n].heapPos = static_cast<uint32_t>(i);
  }
  void Up(std::size_t i) {
    const uint32_t n = heap_[i];
    while (i > 0) {
      const std::size_t parent = (i - 1) / 2;
      if (!Before(n, heap_[parent])) break;
      Set(i, heap_[parent]);
      i = parent;
    }
    Set(i, n);
  }
  void Down(std::size_t i) {
    const uint32_t n = heap_[i];
    const std::size_t size = heap_.size();
    for (;;) {
      std::size_t child = 2 * i + 1;
      if (child >= size) break;
      if (child + 1 < size && Before(heap_[child + 1], heap_[child])) ++child;
      if (!Before(heap_[child], n)) break;
      Set(i, heap_[child]);
      i = child;
    }
    Set(i, n);
  }
  // Ranks keep the order of (cost, seq), so the heap stays valid.
  void Renumber() {
    std::vector<uint32_t> order(heap_);
    std::sort(order.begin(), order.end(), [&](uint32_t a, uint32_t b) { return Before(a, b); });
    for (std::size_t k = 0; k < order.size(); ++k) nodes_[order[k]].seq = static_cast<uint32_t>(k);
    seq_ = static_cast<uint32_t>(order.size());
  }

  std::vector<Node>& nodes_;
  std::vector<uint32_t> heap_;
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
    nodes.assign(static_cast<std::size_t>(count), Node{kImpassable, -1, kNotPlaced, 0});
  } catch (const std::bad_alloc&) {
    return {};
  }
  const std::vector<Point> moves = AllowedMoves(ctx.searchRadius, std::max(grid.columns, grid.rows));
  const auto index = [&](int c, int r) { return static_cast<uint32_t>(c + static_cast<long long>(r) * grid.columns); };
  const uint32_t start = index(s.x, s.y), target = index(t.x, t.y);
  OpenList open(nodes);
  nodes[start].cost = 0.0f;
  nodes[start].heapPos = kSettled;
  uint32_t current = start;
  for (;;) {
    const int cx = static_cast<int>(current % grid.columns), cy = static_cast<int>(current / grid.columns);
    const Point here = grid.Pixel(cx, cy);
    const float base = nodes[current].cost;
    for (std::size_t m = 0; m < moves.size(); ++m) {
      const int i = cx + moves[m].x, j = cy + moves[m].y;
      if (i < 0 || j < 0 || i >= grid.columns || j >= grid.rows) continue;
      Node& node = nodes[index(i, j)];
      if (node.heapPos == kSettled) continue;
      float e;
      float* slot = cache != nullptr && cache->enabled() ? cache->slot(current, m) : nullptr;
      if (slot != nullptr && !std::isnan(*slot)) {
        e = *slot;
      } else {
        const Point there = grid.Pixel(i, j);
        e = SegmentCost(ctx, there.x, there.y, here.x, here.y, nullptr);
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
  if (nodes[target].heapPos != kSettled) return {};
  std::vector<Point> route;
  for (uint32_t n = target; n != start; n = static_cast<uint32_t>(nodes[n].pred)) {
    route.push_back(grid.Pixel(static_cast<int>(n % grid.columns), static_cast<int>(n / grid.columns)));
  }
  route.push_back(grid.Pixel(s.x, s.y));
  return route;
}

}  // namespace route
