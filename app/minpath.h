// The minimum-cost path search over a coarse grid of nodes laid on the raster.
#ifndef VARKO_APP_MINPATH_H
#define VARKO_APP_MINPATH_H

#include <cstdint>
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

// Lazily computed edge costs shared by the legs of one search call.
class EdgeCache {
 public:
  // Empty (disabled) when it would not fit the memory budget.
  EdgeCache(long long nodes, std::size_t moves, bool wanted);
  bool enabled() const { return !costs_.empty(); }
  float* slot(long long node, std::size_t move) { return &costs_[node * moves_ + move]; }

 private:
  std::size_t moves_;
  std::vector<float> costs_;
};

// One leg: the route's pixels from the target back to the start; empty when
// there is none. Start and target on the same node give that one node.
std::vector<Point> FindLeg(const CostContext& ctx, Point from, Point to, EdgeCache* cache = nullptr);

}  // namespace route

#endif
