// The minimum-cost path search over a coarse grid of nodes laid on the raster.
#ifndef VARKO_APP_MINPATH_H
#define VARKO_APP_MINPATH_H

#include <cstddef>
#include <cstdint>
#include <limits>
#include <memory>
#include <optional>
#include <vector>

#include "costmodel.h"

namespace route {

// Nodes every `step` pixels, centred on the raster.
struct SearchGrid {
  int step = 1, columns = 0, rows = 0, offX = 0, offY = 0;
  SearchGrid(int width, int height, int step);
  Point Pixel(int col, int row) const { return {col * step + offX, row * step + offY}; }
  // The node a pixel snaps to, clamped into the grid.
  Point NodeOf(Point pixel) const;
};

// Moves of a radius in relaxation order (di outer, dj inner, ascending),
// without the forbidden ones (offsets whose gcd is not 1).
std::vector<Point> AllowedMoves(int radius, int limit);

// Edge costs shared by the legs of one search call: the cost of every move
// at every node, priced a band of four node rows at a time when the search
// first settles a node there. The table is allocated by the first leg that
// prices moves cell by cell (not at step 1 over flat terrain, where a move
// is a few table reads), and only within a memory budget.
class EdgeCache {
 public:
  // `wanted` false, or no moves: nothing is ever kept.
  EdgeCache(long long nodes, std::size_t moves, bool wanted);
  // The table of `count` costs, allocated on the first call; null when not
  // wanted, over the budget, or not the size it was first allocated with.
  float* Table(std::size_t count);
  // Whether band b has been priced; marks it priced.
  bool Priced(std::size_t band);

  static constexpr long long kBudgetBytes = 768LL << 20;

 private:
  struct FreeMemory {
    void operator()(void* p) const;
  };
  bool wanted_;
  std::size_t count_ = 0;
  std::unique_ptr<float[], FreeMemory> costs_;
  std::vector<bool> priced_;
};

// Told now and then how many nodes a search has settled out of how many
// there are; answering false stops the search, whose leg is then not found.
class SearchProgress {
 public:
  virtual ~SearchProgress() = default;
  virtual bool Settled(long long settled, long long nodes) = 0;
};

// One leg: the route's pixels from the target back to the start; empty when
// there is none (or the progress stopped it). Start and target on the same
// node give that one node.
std::vector<Point> FindLeg(const CostContext& ctx, Point from, Point to, EdgeCache* cache = nullptr,
                           SearchProgress* progress = nullptr);

// How far a cost surface is settled.
struct SurfaceReach {
  std::optional<Point> target;  // a pixel whose cost is wanted
  // once the target is settled, nodes are settled on up to its cost times this
  double past = std::numeric_limits<double>::infinity();
  double limit = std::numeric_limits<double>::infinity();  // no node dearer than this
};
struct SurfaceResult {
  bool done = false;       // false: nothing computed (no sources, no grid, no memory, cancelled)
  bool cancelled = false;  // the progress stopped the search
  float targetCost = kImpassable;  // the target's cost; kImpassable when not reached
};

// Accumulated cost from the sources (pixels, snapped to their nodes as FindLeg
// snaps them) with FindLeg's moves, prices and settling order: the cost a
// node is settled with is the cost of the route FindLeg finds from the
// nearest source to it. Every pixel of `surface` (width x height of the
// context, indexed as the cost grid) gets the cost of the node it snaps to;
// nodes not reached or beyond the reach keep kImpassable.
SurfaceResult ComputeCostSurface(const CostContext& ctx, const std::vector<Point>& sources,
                                 const SurfaceReach& reach, float* surface,
                                 SearchProgress* progress = nullptr);

}  // namespace route

#endif
