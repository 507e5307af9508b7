// Image maps, conversions and the quantizer.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "im.h"

namespace {

TEST(ImConvert, LuminanceOfPrimaries) {
  const unsigned char r[3] = {255, 0, 0}, g[3] = {0, 255, 0}, b[3] = {0, 0, 255};
  unsigned char grey[3];
  uint32_t palette[256];
  imRGB2Gray(3, 1, r, g, b, grey, palette);
  EXPECT_EQ(grey[0], 76);
  EXPECT_EQ(grey[1], 150);
  EXPECT_EQ(grey[2], 28);
  EXPECT_EQ(palette[200], imEncodeColor(200, 200, 200));
  const unsigned char map[3] = {2, 1, 0};
  const uint32_t colors[3] = {0xFF0000, 0x00FF00, 0x0000FF};
  imMap2Gray(3, 1, map, 3, colors, grey, palette);
  EXPECT_EQ(grey[0], 28);
  EXPECT_EQ(grey[2], 76);
}

TEST(ImConvert, Map2RGBShowsIndicesBeyondThePaletteAsBlack) {
  const unsigned char map[3] = {0, 1, 7};
  const uint32_t palette[2] = {0x102030, 0xA0B0C0};
  unsigned char r[3], g[3], b[3];
  imMap2RGB(3, 1, map, 2, palette, r, g, b);
  EXPECT_EQ((std::vector<int>{r[0], g[0], b[0], r[1], g[1], b[1], r[2], g[2], b[2]}),
            (std::vector<int>{0x10, 0x20, 0x30, 0xA0, 0xB0, 0xC0, 0, 0, 0}));
}

TEST(ImConvert, StretchColumnsRoundHalfUp) {
  std::vector<unsigned char> src(10), dst(19);
  for (int i = 0; i < 10; ++i) src[i] = static_cast<unsigned char>(i);
  ASSERT_EQ(imStretch(10, 1, src.data(), 19, 1, dst.data()), IM_ERR_NONE);
  EXPECT_EQ(dst[0], 0);
  EXPECT_EQ(dst[1], 1);  // 0.5 rounds up
  EXPECT_EQ(dst[2], 1);
  EXPECT_EQ(dst[18], 9);
  unsigned char one = 99;
  ASSERT_EQ(imStretch(10, 1, src.data(), 1, 1, &one), IM_ERR_NONE);  // no division by zero
  EXPECT_EQ(one, 0);
  std::vector<unsigned char> tall(3);
  const unsigned char column[2] = {5, 6};
  ASSERT_EQ(imStretch(1, 2, column, 1, 3, tall.data()), IM_ERR_NONE);
  EXPECT_EQ((std::vector<int>{tall[0], tall[1], tall[2]}), (std::vector<int>{5, 6, 6}));
}

TEST(ImConvert, InvalidSizesAreRefused) {
  unsigned char byte = 7;
  const struct { int w, h; } bad[] = {{0, 1}, {1, 0}, {-3, 4}, {65536, 65536}, {1 << 30, 2}};
  for (auto size : bad) {
    EXPECT_EQ(imStretch(size.w, size.h, &byte, 1, 1, &byte), IM_ERR_TYPE)
        << size.w << "x" << size.h;
    EXPECT_EQ(imStretch(1, 1, &byte, size.w, size.h, &byte), IM_ERR_TYPE)
        << size.w << "x" << size.h;
    uint32_t palette[256];
    EXPECT_EQ(imRGB2Map(size.w, size.h, &byte, &byte, &byte, &byte, 256, palette), 0);
  }
  EXPECT_EQ(byte, 7);
  EXPECT_TRUE(imValidSize(32768, 32768));
  EXPECT_FALSE(imValidSize(32768, 32769));
}

TEST(ImQuant, FewColoursGiveAnExactSortedPalette) {
  const unsigned char r[5] = {200, 10, 200, 10, 0}, g[5] = {0, 20, 0, 20, 0},
                      b[5] = {0, 30, 0, 30, 255};
  unsigned char map[5];
  uint32_t palette[256];
  ASSERT_EQ(imRGB2Map(5, 1, r, g, b, map, 256, palette), 3);
  EXPECT_EQ(palette[0], 0x0000FFu);
  EXPECT_EQ(palette[1], 0x0A141Eu);
  EXPECT_EQ(palette[2], 0xC80000u);
  EXPECT_EQ((std::vector<int>{map[0], map[1], map[2], map[3], map[4]}),
            (std::vector<int>{2, 1, 2, 1, 0}));
  // exactly n colours still fit; n + 1 do not
  EXPECT_EQ(imRGB2Map(5, 1, r, g, b, map, 3, palette), 3);
  EXPECT_EQ(imRGB2Map(5, 1, r, g, b, map, 0, palette), 3);  // 0 means 256
}

struct Picture {
  int w, h;
  std::vector<unsigned char> r, g, b;
};

Picture Gradient(int w, int h) {
  Picture p{w, h, std::vector<unsigned char>(w * h), std::vector<unsigned char>(w * h),
            std::vector<unsigned char>(w * h)};
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      p.r[x + y * w] = static_cast<unsigned char>(x * 255 / (w - 1));
      p.g[x + y * w] = static_cast<unsigned char>(y * 255 / (h - 1));
      p.b[x + y * w] = static_cast<unsigned char>((x * y) % 256);
    }
  return p;
}

TEST(ImQuant, ManyColoursAreDitheredWithinTheBoxesMade) {
  Picture p = Gradient(20, 15);  // 300 pixels, almost all distinct
  std::vector<unsigned char> map(300), again(300);
  uint32_t palette[256], palette2[256];
  int used = imRGB2Map(20, 15, p.r.data(), p.g.data(), p.b.data(), map.data(), 256, palette);
  ASSERT_GT(used, 1);
  ASSERT_LE(used, 256);
  for (unsigned char index : map) EXPECT_LT(index, used);
  EXPECT_EQ(imRGB2Map(20, 15, p.r.data(), p.g.data(), p.b.data(), again.data(), 256, palette2),
            used);
  EXPECT_EQ(map, again);
  // the dithered picture stays close to the original on average
  double error = 0;
  for (int i = 0; i < 300; ++i) {
    unsigned char r, g, b;
    imDecodeColor(palette[map[i]], &r, &g, &b);
    error += std::abs(r - p.r[i]) + std::abs(g - p.g[i]) + std::abs(b - p.b[i]);
  }
  EXPECT_LT(error / 900, 12.0);
}

TEST(ImQuant, SaturatedPixelsWithLargeErrorsStayInRange) {
  // black and white alternate with few colours: pixel + error leaves 0..255
  const int w = 64, h = 8;
  std::vector<unsigned char> r(w * h), g(w * h), b(w * h), map(w * h);
  for (int i = 0; i < w * h; ++i) r[i] = g[i] = b[i] = (i % 3) ? 255 : (i % 7) * 9;
  uint32_t palette[2];
  int used = imRGB2Map(w, h, r.data(), g.data(), b.data(), map.data(), 2, palette);
  ASSERT_EQ(used, 2);
  for (unsigned char index : map) EXPECT_LT(index, 2);
}

}  // namespace

namespace {

// The golden comes from an independent plain re-statement of the algorithm
// in quant_golden.py, on the same 12 x 9 picture reduced to 6 colours.
TEST(ImQuant, DitheringMatchesTheGolden) {
  const char* python = std::filesystem::exists("/usr/bin/python3") ? "/usr/bin/python3" : "python3";
  std::string command = std::string(python) + " " VARKO_TEST_DATA "/quant_golden.py";
  FILE* pipe = popen(command.c_str(), "r");
  ASSERT_NE(pipe, nullptr);
  int count = 0;
  ASSERT_EQ(std::fscanf(pipe, "%d", &count), 1) << "python3 did not run the golden";
  std::vector<uint32_t> palette(count);
  for (uint32_t& color : palette) ASSERT_EQ(std::fscanf(pipe, "%x", &color), 1);
  std::vector<unsigned char> expected(12 * 9);
  for (unsigned char& index : expected) {
    int value = 0;
    ASSERT_EQ(std::fscanf(pipe, "%d", &value), 1);
    index = static_cast<unsigned char>(value);
  }
  pclose(pipe);
  const int w = 12, h = 9;
  std::vector<unsigned char> r(w * h), g(w * h), b(w * h), map(w * h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      r[x + y * w] = static_cast<unsigned char>((x * 23 + y * 5) % 256);
      g[x + y * w] = static_cast<unsigned char>((y * 29) % 256);
      b[x + y * w] = static_cast<unsigned char>((x * y * 7) % 256);
    }
  uint32_t ours[6];
  ASSERT_EQ(imRGB2Map(w, h, r.data(), g.data(), b.data(), map.data(), 6, ours), count);
  EXPECT_EQ(std::vector<uint32_t>(ours, ours + count), palette);
  EXPECT_EQ(map, expected);
}

}  // namespace
