// Reduction of an RGB image to an image map: an exact palette when the
// image has few enough colours, otherwise median cut with serpentine
// Floyd-Steinberg dithering.
#include <algorithm>
#include <cstring>
#include <memory>
#include <new>

#include "im.h"

namespace imquant {
namespace {

// ---- exact attempt ----

// Fills map and palette and returns the colour count, or 0 when the image has
// more than max_colors colours.
int ExactReduce(long long count, const unsigned char* red, const unsigned char* green,
                const unsigned char* blue, unsigned char* map, int max_colors, uint32_t* palette) {
  uint32_t colors[256];
  int used = 0;
  uint32_t last = 0;
  bool have_last = false;
  for (long long i = 0; i < count; ++i) {
    uint32_t color = imEncodeColor(red[i], green[i], blue[i]);
    if (have_last && color == last) continue;
    last = color;
    have_last = true;
    uint32_t* at = std::lower_bound(colors, colors + used, color);
    if (at != colors + used && *at == color) continue;
    if (used == max_colors) return 0;
    std::memmove(at + 1, at, static_cast<size_t>(colors + used - at) * sizeof(uint32_t));
    *at = color;
    ++used;
  }
  unsigned char last_index = 0;
  have_last = false;
  for (long long i = 0; i < count; ++i) {
    uint32_t color = imEncodeColor(red[i], green[i], blue[i]);
    if (!have_last || color != last) {
      last_index =
          static_cast<unsigned char>(std::lower_bound(colors, colors + used, color) - colors);
      last = color;
      have_last = true;
    }
    map[i] = last_index;
  }
  for (int i = 0; i < used; ++i) palette[i] = colors[i];
  return used;
}

// ---- median cut ----

constexpr int kRedCells = 32, kGreenCells = 64, kBlueCells = 32;
constexpr int kCells = kRedCells * kGreenCells * kBlueCells;

inline int CellIndex(int r, int g, int b) {
  return (r * kGreenCells + g) * kBlueCells + b;
}

struct Box {
  int lo[3], hi[3];      // cell ranges of red, green, blue
  long long norm;        // (dr * 16)^2 + (dg * 12)^2 + (db * 8)^2
  long long population;  // occupied cells
};

constexpr int kScale[3] = {16, 12, 8};

// Shrinks the box to its occupied cells and recomputes norm and population.
void Shrink(Box& box, const uint16_t* histogram) {
  int lo[3] = {box.hi[0], box.hi[1], box.hi[2]};
  int hi[3] = {box.lo[0], box.lo[1], box.lo[2]};
  long long population = 0;
  for (int r = box.lo[0]; r <= box.hi[0]; ++r)
    for (int g = box.lo[1]; g <= box.hi[1]; ++g)
      for (int b = box.lo[2]; b <= box.hi[2]; ++b) {
        if (histogram[CellIndex(r, g, b)] == 0) continue;
        ++population;
        const int at[3] = {r, g, b};
        for (int c = 0; c < 3; ++c) {
          lo[c] = std::min(lo[c], at[c]);
          hi[c] = std::max(hi[c], at[c]);
        }
      }
  if (population > 0) {
    std::copy(lo, lo + 3, box.lo);
    std::copy(hi, hi + 3, box.hi);
  }
  box.population = population;
  box.norm = 0;
  for (int c = 0; c < 3; ++c) {
    long long side = static_cast<long long>(box.hi[c] - box.lo[c]) * kScale[c];
    box.norm += side * side;
  }
}

// The box to split next, or -1.
int PickBox(const Box* boxes, int count, int wanted) {
  int best = -1;
  bool by_norm = wanted < 2 * count;
  for (int i = 0; i < count; ++i) {
    if (boxes[i].norm <= 0) continue;
    if (best < 0 ||
        (by_norm ? boxes[i].norm > boxes[best].norm : boxes[i].population > boxes[best].population))
      best = i;
  }
  return best;
}

int MedianCut(const uint16_t* histogram, int wanted, Box* boxes) {
  boxes[0] = Box{{0, 0, 0}, {kRedCells - 1, kGreenCells - 1, kBlueCells - 1}, 0, 0};
  Shrink(boxes[0], histogram);
  int count = 1;
  while (count < wanted) {
    int chosen = PickBox(boxes, count, wanted);
    if (chosen < 0) break;
    Box& box = boxes[chosen];
    long long side[3];
    for (int c = 0; c < 3; ++c) side[c] = static_cast<long long>(box.hi[c] - box.lo[c]) * kScale[c];
    int axis = 1;  // green wins a tie with red; blue must be strictly longest
    if (side[0] > side[axis]) axis = 0;
    if (side[2] > side[axis]) axis = 2;
    int middle = (box.lo[axis] + box.hi[axis]) / 2;
    Box& added = boxes[count];
    added = box;
    box.hi[axis] = middle;
    added.lo[axis] = middle + 1;
    Shrink(box, histogram);
    Shrink(added, histogram);
    ++count;
  }
  return count;
}

uint32_t BoxColor(const Box& box, const uint16_t* histogram) {
  long long total = 0, sum[3] = {0, 0, 0};
  for (int r = box.lo[0]; r <= box.hi[0]; ++r)
    for (int g = box.lo[1]; g <= box.hi[1]; ++g)
      for (int b = box.lo[2]; b <= box.hi[2]; ++b) {
        long long weight = histogram[CellIndex(r, g, b)];
        if (weight == 0) continue;
        total += weight;
        sum[0] += weight * (8 * r + 4);
        sum[1] += weight * (4 * g + 2);
        sum[2] += weight * (8 * b + 4);
      }
  if (total == 0) return 0;
  unsigned char c[3];
  for (int i = 0; i < 3; ++i) c[i] = static_cast<unsigned char>((sum[i] + total / 2) / total);
  return imEncodeColor(c[0], c[1], c[2]);
}

// ---- mapping with dithering ----

struct Palette {
  int count;
  int r[256], g[256], b[256];
};

// Nearest colours of a block of 4 x 8 x 4 cells, stored as index + 1.
void FillBlock(uint16_t* cache, const Palette& palette, int r0, int g0, int b0) {
  for (int r = r0; r < r0 + 4; ++r)
    for (int g = g0; g < g0 + 8; ++g)
      for (int b = b0; b < b0 + 4; ++b) {
        const int cr = 8 * r + 4, cg = 4 * g + 2, cb = 8 * b + 4;
        long long best = -1;
        int best_index = 0;
        for (int i = 0; i < palette.count; ++i) {
          long long dr = 2 * (cr - palette.r[i]), dg = 3 * (cg - palette.g[i]),
                    db = cb - palette.b[i];
          long long distance = dr * dr + dg * dg + db * db;
          if (best < 0 || distance < best) {
            best = distance;
            best_index = i;
          }
        }
        cache[CellIndex(r, g, b)] = static_cast<uint16_t>(best_index + 1);
      }
}

// Accumulated error (in whole units) after the limit: small errors pass,
// medium ones grow by half steps, large ones are held at 32.
int LimitError(int e) {
  int magnitude = e < 0 ? -e : e;
  int limited = magnitude < 16 ? magnitude : magnitude <= 47 ? 16 + (magnitude - 16) / 2 : 32;
  return e < 0 ? -limited : limited;
}

constexpr int kLimitRange = 512;  // the table covers errors -511 .. 511

inline int Clamp255(int v) {
  return v < 0 ? 0 : v > 255 ? 255 : v;
}

struct Dither {
  std::unique_ptr<int[]> this_line, next_line;  // (width + 2) * 3 sixteenths each
  std::unique_ptr<int[]> limit;                 // 2 * kLimitRange entries
};

void MapDithered(int width, int height, const unsigned char* red, const unsigned char* green,
                 const unsigned char* blue, unsigned char* map, const Palette& palette,
                 uint16_t* cache, Dither& work) {
  const size_t line_size = static_cast<size_t>(width + 2) * 3;
  int* current = work.this_line.get();
  int* next = work.next_line.get();
  const int* limit = work.limit.get() + kLimitRange;
  std::fill(current, current + line_size, 0);
  std::fill(next, next + line_size, 0);
  for (int y = 0; y < height; ++y) {
    const bool forward = (y % 2) == 0;
    const int dir = forward ? 1 : -1;
    int carry[3] = {0, 0, 0};
    const long long row = static_cast<long long>(y) * width;
    for (int step = 0; step < width; ++step) {
      const int x = forward ? step : width - 1 - step;
      const long long at = row + x;
      const int source[3] = {red[at], green[at], blue[at]};
      int value[3];
      for (int c = 0; c < 3; ++c) {
        int sixteenths = current[(x + 1) * 3 + c] + carry[c];
        int e = (sixteenths + 8) >> 4;
        e = std::clamp(e, -(kLimitRange - 1), kLimitRange - 1);
        value[c] = Clamp255(source[c] + limit[e]);
      }
      const int cell = CellIndex(value[0] >> 3, value[1] >> 2, value[2] >> 3);
      if (cache[cell] == 0)
        FillBlock(cache, palette, (value[0] >> 3) & ~3, (value[1] >> 2) & ~7, (value[2] >> 3) & ~3);
      const int index = cache[cell] - 1;
      map[at] = static_cast<unsigned char>(index);
      const int chosen[3] = {palette.r[index], palette.g[index], palette.b[index]};
      for (int c = 0; c < 3; ++c) {
        int error = value[c] - chosen[c];
        carry[c] = error * 7;
        next[(x + 1 - dir) * 3 + c] += error * 3;
        next[(x + 1) * 3 + c] += error * 5;
        next[(x + 1 + dir) * 3 + c] += error;
      }
    }
    std::swap(current, next);
    std::fill(next, next + line_size, 0);
  }
}

int QuantizeAndDither(int width, int height, const unsigned char* red, const unsigned char* green,
                      const unsigned char* blue, unsigned char* map, int wanted,
                      uint32_t* palette_out) {
  const size_t line_size = static_cast<size_t>(width + 2) * 3;
  std::unique_ptr<uint16_t[]> histogram(new (std::nothrow) uint16_t[kCells]());
  Dither work;
  work.this_line.reset(new (std::nothrow) int[line_size]);
  work.next_line.reset(new (std::nothrow) int[line_size]);
  work.limit.reset(new (std::nothrow) int[2 * kLimitRange]);
  if (!histogram || !work.this_line || !work.next_line || !work.limit) return 0;
  for (int e = -kLimitRange; e < kLimitRange; ++e) work.limit[e + kLimitRange] = LimitError(e);

  const long long count = static_cast<long long>(width) * height;
  for (long long i = 0; i < count; ++i) {
    uint16_t& cell = histogram[CellIndex(red[i] >> 3, green[i] >> 2, blue[i] >> 3)];
    if (cell < 65535) ++cell;
  }
  Box boxes[256];
  const int box_count = MedianCut(histogram.get(), wanted, boxes);
  Palette palette;
  palette.count = box_count;
  for (int i = 0; i < box_count; ++i) {
    palette_out[i] = BoxColor(boxes[i], histogram.get());
    unsigned char r, g, b;
    imDecodeColor(palette_out[i], &r, &g, &b);
    palette.r[i] = r;
    palette.g[i] = g;
    palette.b[i] = b;
  }
  // the histogram becomes the cache of nearest colours
  std::fill(histogram.get(), histogram.get() + kCells, uint16_t{0});
  MapDithered(width, height, red, green, blue, map, palette, histogram.get(), work);
  return box_count;
}

}  // namespace
}  // namespace imquant

extern "C" int imRGB2Map(int width, int height, const unsigned char* red,
                         const unsigned char* green, const unsigned char* blue, unsigned char* map,
                         int pal_count, uint32_t* palette) {
  if (!imValidSize(width, height) || !red || !green || !blue || !map || !palette) return 0;
  if (pal_count < 1 || pal_count > 256) pal_count = 256;
  const long long count = static_cast<long long>(width) * height;
  int used = imquant::ExactReduce(count, red, green, blue, map, pal_count, palette);
  if (used == 0)
    used = imquant::QuantizeAndDither(width, height, red, green, blue, map, pal_count, palette);
  if (used == 0) return 0;
  // entries the map does not use are black
  for (int i = used; i < pal_count; ++i) palette[i] = 0;
  return used;
}
