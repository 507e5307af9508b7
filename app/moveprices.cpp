// Move prices from walks laid out once per search, and the column and row
// classes of their crossed lengths.
#include "moveprices.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <limits>
#include <map>

#include <immintrin.h>
#include <sys/mman.h>

namespace route {

namespace {

// Lengths kept for all moves together, beyond which a move is walked cell by cell.
constexpr std::size_t kMostLengths = std::size_t{1} << 22;  // 32 MiB of doubles
// Classes of one axis: one per power of two the coordinates span, and a few
// where a walk straddles one; more send the move back to the walk.
constexpr uint32_t kMostClasses = 256;

// Term lists compared by their bits, so that any float, NaN too, has one class.
bool SameBits(float a, float b) {
  return std::bit_cast<uint32_t>(a) == std::bit_cast<uint32_t>(b);
}
struct BitsBefore {
  bool operator()(const std::vector<float>& a, const std::vector<float>& b) const {
    return std::lexicographical_compare(
        a.begin(), a.end(), b.begin(), b.end(),
        [](float x, float y) { return std::bit_cast<uint32_t>(x) < std::bit_cast<uint32_t>(y); });
  }
};

template <typename T>
bool Covers(const GridView<T>& g, const CostContext& ctx) {
  return g.data != nullptr && g.width >= ctx.width && g.height >= ctx.height;
}

}  // namespace

void AdviseHugePages(void* block, std::size_t bytes) {
  constexpr std::uintptr_t kHuge = 2u << 20;
  const auto begin = reinterpret_cast<std::uintptr_t>(block);
  const std::uintptr_t first = (begin + kHuge - 1) & ~(kHuge - 1),
                       end = (begin + bytes) & ~(kHuge - 1);
  if (end > first) madvise(reinterpret_cast<void*>(first), end - first, MADV_HUGEPAGE);
}

MovePrices::MovePrices(const CostContext& ctx, const SearchGrid& grid,
                       const std::vector<Point>& moves, const std::vector<bool>& wanted)
    : ctx_(ctx), grid_(grid) {
  if (!Covers(ctx.costGrid, ctx)) return;
  if (ctx.slopeMode == 0 && ctx.slopeImage.data != nullptr) {
    if (!Covers(ctx.slopeImage, ctx)) return;
    slope_ = Slope::kImage;
  } else if (ctx.slopeMode == 1 && ctx.slopeGrid.data != nullptr) {
    if (!Covers(ctx.slopeGrid, ctx)) return;
    slope_ = Slope::kGrid;
  }
  // the cost model's own functions on a one-cell context give every factor
  CostContext one = ctx;
  one.slopeMode = 0;
  for (int s = 0; s < 256; ++s) {
    const unsigned char value = static_cast<unsigned char>(s);
    one.slopeImage = {&value, 1, 1};
    imageFactor_[static_cast<std::size_t>(s)] = SlopeFactor(one, 0, 0);
  }
  one.slopeMode = 1;
  for (int32_t d = 0; d <= 90; ++d) {
    one.slopeGrid = {&d, 1, 1};
    gridFactor_[static_cast<std::size_t>(d)] = SlopeFactor(one, 0, 0);
  }
  for (int v = 0; v < 255; ++v)
    unit_[static_cast<std::size_t>(v)] = v * ctx.costScale + ctx.costOffset;
  // any product with it fails the ceiling test, as the ceiling price of 255 does
  unit_[255] = std::numeric_limits<double>::infinity();

  wide_ = __builtin_cpu_supports("avx2");
  band_.planeSize = static_cast<std::size_t>((ctx.width + grid.step - 1) / grid.step);
  band_.rowSize = band_.planeSize * static_cast<std::size_t>(grid.step);
  walks_.resize(moves.size());
  std::size_t kept = 0;
  for (std::size_t m = 0; m < moves.size(); ++m) {
    if (!wanted[m]) continue;
    Walk& w = walks_[m];
    const int dx = -moves[m].x * grid.step, dy = -moves[m].y * grid.step;
    WalkSegment(ctx, 0, 0, dx, dy, [&](int col, int row, double, float, float) {
      w.cells.push_back(col + static_cast<std::ptrdiff_t>(row) * ctx.costGrid.width);
      const std::ptrdiff_t slopeWidth =
          slope_ == Slope::kImage ? ctx.slopeImage.width : ctx.slopeGrid.width;
      w.slopeCells.push_back(col + static_cast<std::ptrdiff_t>(row) * slopeWidth);
      // from a start on a node column: its remainder is offX's
      const int x = grid.offX + col, phase = ((x % grid.step) + grid.step) % grid.step;
      w.bandCells.push_back(
          static_cast<std::ptrdiff_t>(row) * static_cast<std::ptrdiff_t>(band_.rowSize) +
          static_cast<std::ptrdiff_t>(phase) * static_cast<std::ptrdiff_t>(band_.planeSize) +
          (x - phase) / grid.step);
      // rows from the node the move ends on
      lowestRow_ = std::min(lowestRow_, moves[m].y * grid.step + row);
      highestRow_ = std::max(highestRow_, moves[m].y * grid.step + row);
    });
    w.steps = w.cells.size();
    w.columns = Classes(grid.columns, grid.step, grid.offX, dx, dy, true);
    w.rows = Classes(grid.rows, grid.step, grid.offY, dy, dx, false);
    const std::size_t size = static_cast<std::size_t>(w.columns.count) * w.rows.count * w.steps;
    if (w.columns.count > kMostClasses || w.rows.count > kMostClasses ||
        size > kMostLengths - kept) {
      walks_[m] = {};
      continue;
    }
    kept += size;
    w.lengths.resize(size);
    double* out = w.lengths.data();
    for (uint32_t xc = 0; xc < w.columns.count; ++xc) {
      for (uint32_t yc = 0; yc < w.rows.count; ++yc) {
        const float* a = &w.columns.terms[xc * w.steps];
        const float* b = &w.rows.terms[yc * w.steps];
        for (std::size_t k = 0; k < w.steps; ++k) {
          const double len = std::sqrt(static_cast<double>(a[k] + b[k]));
          *out++ = slope_ == Slope::kNone ? static_cast<float>(len) : len;
        }
      }
    }
    w.priced = true;
  }
}

// The walk runs from every node column (or row) in turn with the other
// coordinate fixed: a crossing point's x comes from the start's x alone.
MovePrices::AxisClasses MovePrices::Classes(int count, int step, int offset, int delta,
                                            int otherDelta, bool alongX) const {
  const float size = alongX ? ctx_.pixelSizeX : ctx_.pixelSizeY;
  AxisClasses classes;
  classes.classOf.resize(static_cast<std::size_t>(count));  // ids fit a byte, or the move is walked
  std::map<std::vector<float>, uint32_t, BitsBefore> seen;
  std::vector<float> terms, previous;
  for (int n = 0; n < count; ++n) {
    const int start = n * step + offset;
    terms.clear();
    float p = static_cast<float>(start);
    const auto visit = [&](int, int, double, float qx, float qy) {
      const float q = alongX ? qx : qy;
      const float e = p - q;
      terms.push_back(e * e * size * size);
      p = q;
    };
    if (alongX) {
      WalkSegment(ctx_, start, 0, start + delta, otherDelta, visit);
    } else {
      WalkSegment(ctx_, 0, start, otherDelta, start + delta, visit);
    }
    uint32_t id;
    if (n > 0 &&
        std::equal(terms.begin(), terms.end(), previous.begin(), previous.end(), SameBits)) {
      id = classes.classOf[static_cast<std::size_t>(n - 1)];
    } else {
      const auto [at, added] = seen.try_emplace(terms, classes.count);
      if (added) {
        if (++classes.count > kMostClasses) return classes;
        classes.terms.insert(classes.terms.end(), terms.begin(), terms.end());
      }
      id = at->second;
      previous = terms;
    }
    classes.classOf[static_cast<std::size_t>(n)] = static_cast<uint8_t>(id);
  }
  for (int n = 1; n < count; ++n) {
    if (classes.classOf[static_cast<std::size_t>(n)] !=
        classes.classOf[static_cast<std::size_t>(n - 1)])
      classes.changes.push_back(n);
  }
  if (classes.count == 1) classes.classOf = {};  // every start in one class: nothing to look up
  return classes;
}

template <MovePrices::Slope kind>
float MovePrices::Sum(const Walk& w, const double* len, std::ptrdiff_t cell,
                      std::ptrdiff_t slopeCell) const {
  const unsigned char* cost = ctx_.costGrid.data + cell;
  float total = 0.0f;
  for (std::size_t k = 0; k < w.steps; ++k) {
    double length = len[k];
    if constexpr (kind == Slope::kImage) {
      length = static_cast<float>(length *
                                  imageFactor_[ctx_.slopeImage.data[slopeCell + w.slopeCells[k]]]);
    } else if constexpr (kind == Slope::kGrid) {
      const int32_t degrees = ctx_.slopeGrid.data[slopeCell + w.slopeCells[k]];
      length = static_cast<float>(length *
                                  gridFactor_[static_cast<uint32_t>(degrees) < 90 ? degrees : 90]);
    }
    float cc = static_cast<float>(unit_[cost[w.cells[k]]] * length);
    if (cc < 0.0f) cc = 0.0f;
    AddCrossedPrice(total, cc);
  }
  return total;
}

bool MovePrices::HasAll() const {
  // none are laid out where the grids do not cover the raster
  return !walks_.empty() &&
         std::all_of(walks_.begin(), walks_.end(), [](const Walk& w) { return w.priced; });
}

void MovePrices::LoadBand(int first, int last) {
  const int step = grid_.step;
  const int y0 = std::max(0, grid_.Pixel(0, std::max(0, first)).y + lowestRow_);
  const int y1 =
      std::min(ctx_.height - 1, grid_.Pixel(0, std::min(grid_.rows - 1, last)).y + highestRow_);
  band_.y0 = y0;
  band_.rows = std::max(0, y1 - y0 + 1);
  const std::size_t size = band_.rowSize * static_cast<std::size_t>(band_.rows);
  const auto split = [&](auto& out, const auto& grid) {
    if (out.capacity() < size) {
      // as large as the grid where blocks of nodes are priced in the order the search goes
      out = {};
      out.reserve(size);
      AdviseHugePages(out.data(), size * sizeof(out[0]));
    }
    out.resize(size);
    for (int y = y0; y <= y1; ++y) {
      const auto* in = grid.data + static_cast<std::ptrdiff_t>(y) * grid.width;
      auto* row = out.data() + static_cast<std::size_t>(y - y0) * band_.rowSize;
      for (int phase = 0; phase < step; ++phase) {
        auto* plane = row + static_cast<std::size_t>(phase) * band_.planeSize;
        for (int x = phase, q = 0; x < ctx_.width; x += step, ++q) plane[q] = in[x];
      }
    }
  };
  split(band_.cost, ctx_.costGrid);
  if (slope_ == Slope::kImage) split(band_.slopeImage, ctx_.slopeImage);
  if (slope_ == Slope::kGrid) split(band_.slopeGrid, ctx_.slopeGrid);
}

template <MovePrices::Slope kind>
float MovePrices::BandFactor(std::ptrdiff_t at) const {
  if constexpr (kind == Slope::kImage) {
    return imageFactor_[band_.slopeImage[static_cast<std::size_t>(at)]];
  } else {
    const int32_t degrees = band_.slopeGrid[static_cast<std::size_t>(at)];
    return gridFactor_[static_cast<uint32_t>(degrees) < 90 ? static_cast<uint32_t>(degrees) : 90];
  }
}

// Eight starts side by side with AVX2 (without FMA, so no product and sum
// are fused): returns the starts done, a multiple of eight.
template <MovePrices::Slope kind>
__attribute__((target("avx2"))) int MovePrices::WideRunSums(const Walk& w, const double* len,
                                                            std::ptrdiff_t at, int count,
                                                            float* totals) const {
  const __m256i impassable = _mm256_set1_epi32(255);
  const __m256d scale = _mm256_set1_pd(ctx_.costScale), offset = _mm256_set1_pd(ctx_.costOffset);
  const __m256 ceiling = _mm256_set1_ps(kImpassable), zero = _mm256_setzero_ps();
  int t = 0;
  for (; t + 8 <= count; t += 8) {
    __m256 total = zero;
    for (std::size_t k = 0; k < w.steps; ++k) {
      const std::ptrdiff_t cell = at + w.bandCells[k] + t;
      const __m256i v = _mm256_cvtepu8_epi32(
          _mm_loadl_epi64(reinterpret_cast<const __m128i*>(&band_.cost[cell])));
      __m256d low = _mm256_set1_pd(len[k]), high = low;
      if constexpr (kind != Slope::kNone) {
        // eight loads rather than a gather, which is slow on some processors
        const auto factor = [&](int k) { return BandFactor<kind>(cell + k); };
        const __m256 f = _mm256_setr_ps(factor(0), factor(1), factor(2), factor(3), factor(4),
                                        factor(5), factor(6), factor(7));
        // the slope-lengthened length, rounded to float as the cell cost takes it
        const __m128 lowLength =
            _mm256_cvtpd_ps(_mm256_mul_pd(low, _mm256_cvtps_pd(_mm256_castps256_ps128(f))));
        const __m128 highLength =
            _mm256_cvtpd_ps(_mm256_mul_pd(high, _mm256_cvtps_pd(_mm256_extractf128_ps(f, 1))));
        low = _mm256_cvtps_pd(lowLength);
        high = _mm256_cvtps_pd(highLength);
      }
      const __m256d unitLow = _mm256_add_pd(
          _mm256_mul_pd(_mm256_cvtepi32_pd(_mm256_castsi256_si128(v)), scale), offset);
      const __m256d unitHigh = _mm256_add_pd(
          _mm256_mul_pd(_mm256_cvtepi32_pd(_mm256_extracti128_si256(v, 1)), scale), offset);
      __m256 cc = _mm256_set_m128(_mm256_cvtpd_ps(_mm256_mul_pd(unitHigh, high)),
                                  _mm256_cvtpd_ps(_mm256_mul_pd(unitLow, low)));
      cc = _mm256_blendv_ps(cc, ceiling, _mm256_castsi256_ps(_mm256_cmpeq_epi32(v, impassable)));
      cc = _mm256_andnot_ps(_mm256_cmp_ps(cc, zero, _CMP_LT_OQ), cc);
      const __m256 adds = _mm256_and_ps(_mm256_cmp_ps(cc, ceiling, _CMP_LT_OQ),
                                        _mm256_cmp_ps(total, ceiling, _CMP_LT_OQ));
      total = _mm256_blendv_ps(ceiling, _mm256_add_ps(total, cc), adds);
    }
    _mm256_storeu_ps(totals + t, total);
  }
  return t;
}

// Starts along a row in a stretch of one column class share their lengths
// and are priced side by side from the band, with the same float and double
// operations as Sum: eight at a time with AVX2, the rest one by one.
template <MovePrices::Slope kind>
void MovePrices::RunSums(const Walk& w, const double* len, std::ptrdiff_t at, int count,
                         float* totals) const {
  for (int t = wide_ ? WideRunSums<kind>(w, len, at, count, totals) : 0; t < count; ++t) {
    float total = 0.0f;
    for (std::size_t k = 0; k < w.steps; ++k) {
      const std::ptrdiff_t cell = at + w.bandCells[k] + t;
      double length = len[k];
      if constexpr (kind != Slope::kNone)
        length = static_cast<float>(length * BandFactor<kind>(cell));
      float cc = static_cast<float>(unit_[band_.cost[static_cast<std::size_t>(cell)]] * length);
      if (cc < 0.0f) cc = 0.0f;
      AddCrossedPrice(total, cc);
    }
    totals[t] = total;
  }
}

void MovePrices::PriceRow(std::size_t m, int i, int j, int count, float* out) const {
  const Walk& w = walks_[m];
  const uint32_t rowClass = w.rows.Of(j);
  const std::ptrdiff_t rowStart = static_cast<std::ptrdiff_t>(grid_.Pixel(0, j).y - band_.y0) *
                                  static_cast<std::ptrdiff_t>(band_.rowSize);
  for (int t0 = 0; t0 < count;) {
    const uint32_t columnClass = w.columns.Of(i + t0);
    const int t1 = static_cast<int>(std::min<long long>(count, w.columns.RunEnd(i + t0) - i));
    const double* len =
        &w.lengths[(static_cast<std::size_t>(columnClass) * w.rows.count + rowClass) * w.steps];
    const std::ptrdiff_t at = rowStart + i + t0;
    switch (slope_) {
      case Slope::kImage:
        RunSums<Slope::kImage>(w, len, at, t1 - t0, out + t0);
        break;
      case Slope::kGrid:
        RunSums<Slope::kGrid>(w, len, at, t1 - t0, out + t0);
        break;
      default:
        RunSums<Slope::kNone>(w, len, at, t1 - t0, out + t0);
    }
    t0 = t1;
  }
}

float MovePrices::Cost(std::size_t m, int i, int j) const {
  const Walk& w = walks_[m];
  const std::size_t pair = static_cast<std::size_t>(w.columns.Of(i)) * w.rows.count + w.rows.Of(j);
  const double* len = &w.lengths[pair * w.steps];
  const Point there = grid_.Pixel(i, j);
  const std::ptrdiff_t cell = there.x + static_cast<std::ptrdiff_t>(there.y) * ctx_.costGrid.width;
  switch (slope_) {
    case Slope::kImage:
      return Sum<Slope::kImage>(
          w, len, cell, there.x + static_cast<std::ptrdiff_t>(there.y) * ctx_.slopeImage.width);
    case Slope::kGrid:
      return Sum<Slope::kGrid>(
          w, len, cell, there.x + static_cast<std::ptrdiff_t>(there.y) * ctx_.slopeGrid.width);
    default:
      return Sum<Slope::kNone>(w, len, cell, 0);
  }
}

}  // namespace route
