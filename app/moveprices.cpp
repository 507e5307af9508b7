// Move prices from walks laid out once per search, and the column and row
// classes of their crossed lengths.
#include "moveprices.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <limits>
#include <map>

#include <emmintrin.h>

namespace route {

namespace {

// Lengths kept for all moves together, beyond which a move is walked cell by cell.
constexpr std::size_t kMostLengths = std::size_t{1} << 22;  // 32 MiB of doubles

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
    });
    w.steps = w.cells.size();
    w.columns = Classes(grid.columns, grid.step, grid.offX, dx, dy, true);
    w.rows = Classes(grid.rows, grid.step, grid.offY, dy, dx, false);
    const std::size_t size = static_cast<std::size_t>(w.columns.count) * w.rows.count * w.steps;
    if (size > kMostLengths - kept) {
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
  classes.classOf.resize(static_cast<std::size_t>(count));
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
        ++classes.count;
        classes.terms.insert(classes.terms.end(), terms.begin(), terms.end());
      }
      id = at->second;
      previous = terms;
    }
    classes.classOf[static_cast<std::size_t>(n)] = id;
  }
  return classes;
}

bool MovePrices::HasAll() const {
  return std::all_of(walks_.begin(), walks_.end(), [](const Walk& w) { return w.priced; });
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

// Starts along a row in a stretch of one column class share their lengths:
// the stretch is priced four starts side by side, with SSE2's float and
// double operations, which round as the scalar ones do.
template <MovePrices::Slope kind>
void MovePrices::RunSums(const Walk& w, const double* len, std::ptrdiff_t cell,
                         std::ptrdiff_t slopeCell, int count, float* totals) const {
  const std::ptrdiff_t step = grid_.step;
  const __m128d scale = _mm_set1_pd(ctx_.costScale), offset = _mm_set1_pd(ctx_.costOffset);
  const __m128 ceiling = _mm_set1_ps(kImpassable), zero = _mm_setzero_ps();
  const __m128i impassable = _mm_set1_epi32(255);
  int t = 0;
  for (; t + 4 <= count; t += 4) {
    __m128 total = zero;
    for (std::size_t k = 0; k < w.steps; ++k) {
      const unsigned char* c = ctx_.costGrid.data + cell + w.cells[k] + t * step;
      const __m128i v = _mm_setr_epi32(c[0], c[step], c[2 * step], c[3 * step]);
      __m128d low = _mm_set1_pd(len[k]), high = low;
      if constexpr (kind != Slope::kNone) {
        // the slope-lengthened length, rounded to float as the cell cost takes it
        const std::ptrdiff_t at = slopeCell + w.slopeCells[k] + t * step;
        __m128 f;
        if constexpr (kind == Slope::kImage) {
          const unsigned char* s = ctx_.slopeImage.data + at;
          f = _mm_setr_ps(imageFactor_[s[0]], imageFactor_[s[step]], imageFactor_[s[2 * step]],
                          imageFactor_[s[3 * step]]);
        } else {
          const int32_t* s = ctx_.slopeGrid.data + at;
          const auto factor = [&](int32_t d) {
            return gridFactor_[static_cast<uint32_t>(d) < 90 ? d : 90];
          };
          f = _mm_setr_ps(factor(s[0]), factor(s[step]), factor(s[2 * step]), factor(s[3 * step]));
        }
        const __m128 l =
            _mm_movelh_ps(_mm_cvtpd_ps(_mm_mul_pd(low, _mm_cvtps_pd(f))),
                          _mm_cvtpd_ps(_mm_mul_pd(high, _mm_cvtps_pd(_mm_movehl_ps(f, f)))));
        low = _mm_cvtps_pd(l);
        high = _mm_cvtps_pd(_mm_movehl_ps(l, l));
      }
      const __m128d unitLow = _mm_add_pd(_mm_mul_pd(_mm_cvtepi32_pd(v), scale), offset);
      const __m128d unitHigh =
          _mm_add_pd(_mm_mul_pd(_mm_cvtepi32_pd(_mm_shuffle_epi32(v, 0xEE)), scale), offset);
      __m128 cc = _mm_movelh_ps(_mm_cvtpd_ps(_mm_mul_pd(unitLow, low)),
                                _mm_cvtpd_ps(_mm_mul_pd(unitHigh, high)));
      const __m128 wall = _mm_castsi128_ps(_mm_cmpeq_epi32(v, impassable));
      cc = _mm_or_ps(_mm_and_ps(wall, ceiling), _mm_andnot_ps(wall, cc));
      cc = _mm_andnot_ps(_mm_cmplt_ps(cc, zero), cc);
      const __m128 adds = _mm_and_ps(_mm_cmplt_ps(cc, ceiling), _mm_cmplt_ps(total, ceiling));
      total = _mm_or_ps(_mm_and_ps(adds, _mm_add_ps(total, cc)), _mm_andnot_ps(adds, ceiling));
    }
    _mm_storeu_ps(totals + t, total);
  }
  for (; t < count; ++t) totals[t] = Sum<kind>(w, len, cell + t * step, slopeCell + t * step);
}

void MovePrices::PriceRow(std::size_t m, int i, int j, int count, float* out) const {
  const Walk& w = walks_[m];
  const uint32_t rowClass = w.rows.classOf[static_cast<std::size_t>(j)];
  for (int t0 = 0; t0 < count;) {
    const uint32_t columnClass = w.columns.classOf[static_cast<std::size_t>(i + t0)];
    int t1 = t0 + 1;
    while (t1 < count && w.columns.classOf[static_cast<std::size_t>(i + t1)] == columnClass) ++t1;
    const double* len =
        &w.lengths[(static_cast<std::size_t>(columnClass) * w.rows.count + rowClass) * w.steps];
    const Point there = grid_.Pixel(i + t0, j);
    const std::ptrdiff_t cell =
        there.x + static_cast<std::ptrdiff_t>(there.y) * ctx_.costGrid.width;
    switch (slope_) {
      case Slope::kImage:
        RunSums<Slope::kImage>(
            w, len, cell, there.x + static_cast<std::ptrdiff_t>(there.y) * ctx_.slopeImage.width,
            t1 - t0, out + t0);
        break;
      case Slope::kGrid:
        RunSums<Slope::kGrid>(w, len, cell,
                              there.x + static_cast<std::ptrdiff_t>(there.y) * ctx_.slopeGrid.width,
                              t1 - t0, out + t0);
        break;
      default:
        RunSums<Slope::kNone>(w, len, cell, 0, t1 - t0, out + t0);
    }
    t0 = t1;
  }
}

float MovePrices::Cost(std::size_t m, int i, int j) const {
  const Walk& w = walks_[m];
  const std::size_t pair =
      static_cast<std::size_t>(w.columns.classOf[static_cast<std::size_t>(i)]) * w.rows.count +
      w.rows.classOf[static_cast<std::size_t>(j)];
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
