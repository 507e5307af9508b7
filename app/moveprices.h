// Prices of the search's moves from walks laid out once per search: the
// cells a move crosses are the same from every node, and the lengths it
// crosses them over depend on the start's column and row alone, through the
// float rounding of the border crossings. Moves whose crossings are not
// dyadic fractions, and all moves over slope data, are priced here with the
// same float and double operations, in the same order, as SegmentCost.
#ifndef VARKO_APP_MOVEPRICES_H
#define VARKO_APP_MOVEPRICES_H

#include <algorithm>
#include <array>
#include <climits>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "costmodel.h"
#include "minpath.h"

namespace route {

// Huge pages where the system allows them over the whole 2 MiB pages of a
// block: far fewer page faults and misses of the address cache on a large
// grid, table or copy of the raster.
void AdviseHugePages(void* block, std::size_t bytes);

class MovePrices {
 public:
  // `moves` are node offsets; move m is walked from the neighbour at the
  // node plus moves[m] back to the node. Only the moves for which `wanted`
  // holds are laid out.
  MovePrices(const CostContext& ctx, const SearchGrid& grid, const std::vector<Point>& moves,
             const std::vector<bool>& wanted);
  // Whether move m is priced here (else the caller walks it cell by cell).
  bool Has(std::size_t m) const { return m < walks_.size() && walks_[m].priced; }
  bool HasAll() const;
  // SegmentCost from the pixel of node (i, j) along move m, without accumulator.
  float Cost(std::size_t m, int i, int j) const;
  // Copies the pixel rows that the moves ending on node rows first .. last
  // cross into the band buffers, for PriceRow.
  void LoadBand(int first, int last);
  // The same as Cost for `count` starts from node (i, j) on along its row,
  // into out; the band loaded must hold the moves' node rows.
  void PriceRow(std::size_t m, int i, int j, int count, float* out) const;

 private:
  // A crossing's length is sqrt(x term + y term), each term a float the
  // start's column (or row) alone decides; equal term lists share a class.
  struct AxisClasses {
    std::vector<uint8_t> classOf;  // by node column (or row); empty: all in class 0
    uint32_t Of(int n) const { return classOf.empty() ? 0 : classOf[static_cast<std::size_t>(n)]; }
    std::vector<int> changes;  // the columns (or rows) whose class is not the one before's
    // The first column (or row) past n of another class than n's; INT_MAX if none.
    int RunEnd(int n) const {
      const auto next = std::upper_bound(changes.begin(), changes.end(), n);
      return next == changes.end() ? INT_MAX : *next;
    }
    std::vector<float> terms;  // by class, then step
    uint32_t count = 0;
  };
  struct Walk {
    bool priced = false;
    std::size_t steps = 0;
    std::vector<std::ptrdiff_t> cells;       // cost grid offsets from the start
    std::vector<std::ptrdiff_t> slopeCells;  // slope grid offsets from the start
    std::vector<std::ptrdiff_t> bandCells;   // band buffer offsets from the start
    AxisClasses columns, rows;
    // by (column class * row classes + row class), then step: the crossed
    // length, already rounded to float where there is no slope
    std::vector<double> lengths;
  };
  enum class Slope { kNone, kImage, kGrid };
  // Pixel rows y0 .. y0 + rows - 1 with each row's pixels split by their
  // column's remainder modulo the step: pixel (x, y) sits at
  // (y - y0) * rowSize + (x % step) * planeSize + x / step, so that the
  // cells of starts one node apart lie side by side.
  struct Band {
    int y0 = 0, rows = 0;
    std::size_t planeSize = 0, rowSize = 0;
    std::vector<unsigned char> cost, slopeImage;
    std::vector<int32_t> slopeGrid;
  };

  AxisClasses Classes(int count, int step, int offset, int delta, int otherDelta,
                      bool alongX) const;
  template <Slope kind>
  float Sum(const Walk& w, const double* len, std::ptrdiff_t cell, std::ptrdiff_t slopeCell) const;
  template <Slope kind>
  void RunSums(const Walk& w, const double* len, std::ptrdiff_t at, int count, float* totals) const;
  template <Slope kind>
  int WideRunSums(const Walk& w, const double* len, std::ptrdiff_t at, int count,
                  float* totals) const;
  // the slope factor of band cell `at`
  template <Slope kind>
  float BandFactor(std::ptrdiff_t at) const;

  const CostContext& ctx_;
  const SearchGrid& grid_;
  Slope slope_ = Slope::kNone;
  bool wide_ = false;  // AVX2 at hand: eight starts side by side
  // rows of the crossed cells from the row of the node a move ends on
  int lowestRow_ = 0, highestRow_ = 0;
  Band band_;
  std::array<double, 256> unit_{};        // cost per unit length by cost value; 255 infinite
  std::array<float, 256> imageFactor_{};  // slope factor by slope image value
  std::array<float, 91> gridFactor_{};    // by whole degree 0 .. 89; [90] for every other value
  std::vector<Walk> walks_;
};

}  // namespace route

#endif
