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
// at every node, priced a block of node ids at a time when the search first
// settles a node there. Kept only within a memory budget for the whole
// table, and not at step 1 over flat terrain, where a move is a few table
// reads. A small table is kept whole, in blocks of at least a band of four
// node rows. A large one is split into small blocks, and a block whose nodes
// a leg has all settled gives its memory to the next block priced (a later
// leg prices it again if it goes there): the memory held then follows the
// search front rather than the grid, and far less of it is new to the
// process, which is dearer than pricing again.
class EdgeCache {
 public:
  static constexpr long long kBudgetBytes = 768LL << 20;
  // Past this size a table is split into blocks that are given back: new
  // memory for the whole of it would take longer than pricing blocks again.
  static constexpr long long kWholeBytes = 128LL << 20;

  // `wanted` false, or no moves: nothing is ever kept. Tables of up to
  // `wholeBytes` are kept whole.
  EdgeCache(long long nodes, std::size_t moves, bool wanted, long long wholeBytes = kWholeBytes);
  // The cache for the searches over ctx's grid at its step and radius.
  static EdgeCache For(const CostContext& ctx, bool wanted, long long wholeBytes = kWholeBytes);
  // Whether a search of `nodes` node ids, `bandIds` of them to a band, and
  // `moves` moves keeps its costs here: wanted, within the budget, and the
  // size of the first one.
  bool Use(std::size_t nodes, std::size_t bandIds, std::size_t moves);
  // Node ids to a block: a power of two.
  std::size_t BlockIds() const { return std::size_t{1} << blockBits_; }
  std::size_t BlockOf(uint32_t n) const { return n >> blockBits_; }
  // Whether blocks give their memory back once settled (see Release).
  bool Reuses() const { return reuses_; }
  // The costs of node n's moves; null while its block is not priced.
  float* Edges(uint32_t n) const {
    float* block = blocks_[n >> blockBits_];
    return block == nullptr ? nullptr : block + (n & (BlockIds() - 1)) * moves_;
  }
  // Memory for the costs of block b, which the caller then prices; null
  // when none can be had.
  float* Claim(std::size_t b);
  // Gives the memory of block b back.
  void Release(std::size_t b);
  // Where the table is kept whole: the costs of node 0, those of node n
  // lying n * moves floats on; and whether band b of four node rows has
  // been priced, marking it priced.
  float* Whole() const { return whole_.get(); }
  bool Priced(std::size_t band);

 private:
  struct FreeMemory {
    void operator()(void* p) const;
  };
  bool wanted_, reuses_ = false;
  long long wholeBytes_;
  unsigned blockBits_ = 0;
  std::size_t nodes_ = 0, moves_ = 0;
  std::vector<float*> blocks_;  // by block: its costs, or null
  std::vector<float*> spare_;   // memory not holding a block's costs
  std::vector<std::unique_ptr<float[], FreeMemory>> owned_;
  std::unique_ptr<float[], FreeMemory> whole_;  // the table kept whole
  std::vector<bool> priced_;                    // by band, where it is kept whole
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
