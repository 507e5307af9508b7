// Pixel conversions between image maps, RGB images and grey maps, and
// nearest-neighbour scaling of one plane.
#include <memory>
#include <new>

#include "im.h"

namespace {

unsigned char Luminance(unsigned char red, unsigned char green, unsigned char blue) {
  return static_cast<unsigned char>((30 * red + 59 * green + 11 * blue) / 100);
}

void FillGreyPalette(uint32_t* gray_palette) {
  for (int i = 0; i < 256; ++i) {
    unsigned char v = static_cast<unsigned char>(i);
    gray_palette[i] = imEncodeColor(v, v, v);
  }
}

long long PixelCount(int width, int height) {
  return static_cast<long long>(width) * height;
}

// Source index for each of count targets over a source of size: t * (size - 1) / (count - 1)
// rounded half up; a single target takes index 0.
std::unique_ptr<int[]> StretchTable(int size, int count) {
  std::unique_ptr<int[]> table(new (std::nothrow) int[count]);
  if (!table) return table;
  if (count == 1) {
    table[0] = 0;
    return table;
  }
  const long long span = size - 1, steps = count - 1;
  for (int t = 0; t < count; ++t) table[t] = static_cast<int>((2 * t * span + steps) / (2 * steps));
  return table;
}

}  // namespace

extern "C" {

void imMap2RGB(int width, int height, const unsigned char* map, int pal_count,
               const uint32_t* palette, unsigned char* red, unsigned char* green,
               unsigned char* blue) {
  if (!imValidSize(width, height) || !map || !red || !green || !blue) return;
  if (pal_count > 256) pal_count = 256;
  if (pal_count < 0 || palette == nullptr) pal_count = 0;
  // indices at or beyond the palette count show as black
  unsigned char r[256] = {}, g[256] = {}, b[256] = {};
  for (int i = 0; i < pal_count; ++i) imDecodeColor(palette[i], &r[i], &g[i], &b[i]);
  const long long count = PixelCount(width, height);
  for (long long i = 0; i < count; ++i) {
    unsigned char index = map[i];
    red[i] = r[index];
    green[i] = g[index];
    blue[i] = b[index];
  }
}

void imRGB2Gray(int width, int height, const unsigned char* red, const unsigned char* green,
                const unsigned char* blue, unsigned char* gray_map, uint32_t* gray_palette) {
  if (!imValidSize(width, height) || !red || !green || !blue || !gray_map || !gray_palette) return;
  FillGreyPalette(gray_palette);
  const long long count = PixelCount(width, height);
  for (long long i = 0; i < count; ++i) gray_map[i] = Luminance(red[i], green[i], blue[i]);
}

void imMap2Gray(int width, int height, const unsigned char* map, int pal_count,
                const uint32_t* palette, unsigned char* gray_map, uint32_t* gray_palette) {
  if (!imValidSize(width, height) || !map || !gray_map || !gray_palette) return;
  if (pal_count > 256) pal_count = 256;
  if (pal_count < 0 || palette == nullptr) pal_count = 0;
  unsigned char gray[256] = {};
  for (int i = 0; i < pal_count; ++i) {
    unsigned char r, g, b;
    imDecodeColor(palette[i], &r, &g, &b);
    gray[i] = Luminance(r, g, b);
  }
  FillGreyPalette(gray_palette);
  const long long count = PixelCount(width, height);
  for (long long i = 0; i < count; ++i) gray_map[i] = gray[map[i]];
}

int imStretch(int src_width, int src_height, const unsigned char* src, int dst_width,
              int dst_height, unsigned char* dst) {
  if (!imValidSize(src_width, src_height) || !imValidSize(dst_width, dst_height) || !src || !dst)
    return IM_ERR_TYPE;
  std::unique_ptr<int[]> columns = StretchTable(src_width, dst_width);
  std::unique_ptr<int[]> rows = StretchTable(src_height, dst_height);
  if (!columns || !rows) return IM_ERR_TYPE;
  for (int k = 0; k < dst_height; ++k) {
    const unsigned char* source_line = src + static_cast<long long>(rows[k]) * src_width;
    unsigned char* target_line = dst + static_cast<long long>(k) * dst_width;
    for (int j = 0; j < dst_width; ++j) target_line[j] = source_line[columns[j]];
  }
  return IM_ERR_NONE;
}

}  // extern "C"
