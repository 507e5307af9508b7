// TIFF lines come from whole strips, or scanline by scanline when a strip is
// too big to hold: both give the file's pixels bottom-up, the last strip
// may be short, and a file that ends inside a strip is a read error.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "im.h"

namespace {

namespace fs = std::filesystem;

void Put16(std::vector<unsigned char>& b, unsigned v) {
  b.push_back(static_cast<unsigned char>(v)), b.push_back(static_cast<unsigned char>(v >> 8));
}
void Put32(std::vector<unsigned char>& b, uint32_t v) {
  Put16(b, v & 0xFFFF), Put16(b, v >> 16);
}

unsigned char Pixel(int x, int y) {
  return static_cast<unsigned char>(x * 3 + y * 7);
}

// An uncompressed 8-bit min-is-black file, rows_per_strip rows a strip,
// cut after keep bytes of pixels.
std::vector<unsigned char> GreyTiff(int width, int height, int rows_per_strip, size_t keep) {
  const int strips = (height + rows_per_strip - 1) / rows_per_strip;
  const uint32_t entries = 9, ifd = 8;
  const uint32_t arrays = ifd + 2 + entries * 12 + 4;  // strip offsets, then byte counts
  const uint32_t pixels = arrays + 8u * static_cast<uint32_t>(strips);
  std::vector<unsigned char> b = {'I', 'I', 42, 0};
  Put32(b, ifd);
  Put16(b, entries);
  auto entry = [&](unsigned tag, unsigned type, uint32_t count, uint32_t value) {
    Put16(b, tag), Put16(b, type), Put32(b, count);
    if (type == 3 && count == 1)
      Put16(b, value), Put16(b, 0);
    else
      Put32(b, value);
  };
  entry(256, 4, 1, static_cast<uint32_t>(width));
  entry(257, 4, 1, static_cast<uint32_t>(height));
  entry(258, 3, 1, 8);
  entry(259, 3, 1, 1);
  entry(262, 3, 1, 1);
  entry(273, 4, static_cast<uint32_t>(strips), strips == 1 ? pixels : arrays);
  entry(277, 3, 1, 1);
  entry(278, 4, 1, static_cast<uint32_t>(rows_per_strip));
  const uint32_t full = static_cast<uint32_t>(rows_per_strip * width);
  const uint32_t last = static_cast<uint32_t>((height - (strips - 1) * rows_per_strip) * width);
  entry(279, 4, static_cast<uint32_t>(strips), strips == 1 ? last : arrays + 4u * strips);
  Put32(b, 0);
  for (int i = 0; i < strips; ++i) Put32(b, pixels + full * static_cast<uint32_t>(i));
  for (int i = 0; i < strips; ++i) Put32(b, i + 1 < strips ? full : last);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) b.push_back(Pixel(x, y));
  if (keep < b.size() - pixels) b.resize(pixels + keep);
  return b;
}

TEST(ImTiffStrips, StripsAndOversizedStripsGiveTheFilePixels) {
  fs::path file =
      fs::temp_directory_path() / ("varko_strips_" + std::to_string(::getpid()) + ".tif");
  const struct {
    const char* what;
    int width, height, rows_per_strip;
    size_t keep;
    int error;
  } cases[] = {
      {"strips of 3 rows, the last of 1", 50, 7, 3, SIZE_MAX, IM_ERR_NONE},
      {"one strip", 40, 9, 9, SIZE_MAX, IM_ERR_NONE},
      {"rows per strip beyond the height", 40, 9, 1000, SIZE_MAX, IM_ERR_NONE},
      {"one strip of 17 MB, read by scanlines", 4200, 4200, 4200, SIZE_MAX, IM_ERR_NONE},
      {"ends inside the second strip", 50, 7, 3, 50 * 4, IM_ERR_READ},
      {"ends inside the big strip", 4200, 4200, 4200, 4200 * 10, IM_ERR_READ},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    std::vector<unsigned char> bytes = GreyTiff(c.width, c.height, c.rows_per_strip, c.keep);
    std::FILE* out = std::fopen(file.c_str(), "wb");
    ASSERT_NE(out, nullptr);
    ASSERT_EQ(std::fwrite(bytes.data(), 1, bytes.size(), out), bytes.size());
    std::fclose(out);
    std::vector<unsigned char> map(static_cast<size_t>(c.width) * c.height);
    uint32_t palette[256] = {};
    ASSERT_EQ(imLoadMap(file.c_str(), map.data(), palette), c.error);
    if (c.error != IM_ERR_NONE) continue;
    EXPECT_EQ(palette[255], imEncodeColor(255, 255, 255));
    size_t wrong = 0;
    for (int y = 0; y < c.height; ++y)  // row 0 of the map is the file's last row
      for (int x = 0; x < c.width; ++x)
        wrong += map[static_cast<size_t>(c.height - 1 - y) * c.width + x] != Pixel(x, y);
    EXPECT_EQ(wrong, 0u);
  }
  fs::remove(file);
}

}  // namespace
