// Extended images: the planes each type carries and the channel accessor,
// refused creations, and puts, gets and quantisation through them on a
// CD_IMAGERGB canvas.
#include <gtest/gtest.h>

#include <cstdio>
#include <vector>

#include "cd.h"
#include "rgb_canvas.h"

namespace {

TEST(ImageEx, ChannelsPresentForEachType) {
  struct Case {
    int type, stored;
    bool red, alpha, index, colours, server;
  } cases[] = {
      {CD_RGB, CD_RGB, true, false, false, false, false},
      {CD_RGBA, CD_RGBA, true, true, false, false, false},
      {CD_MAP, CD_MAP, false, false, true, true, false},
      {7, CD_MAP, false, false, true, true, false}, /* any positive type is a map */
      {CD_SERVER, CD_SERVER, false, false, false, false, true},
  };
  RgbCanvas canvas; /* server images come from the active canvas */
  ASSERT_TRUE(canvas.Open(12, 8));
  for (const Case& c : cases) {
    cdImageEx* im = cdCreateImageEx(5, 3, c.type);
    ASSERT_NE(im, nullptr) << c.type;
    EXPECT_EQ(im->type, c.stored);
    EXPECT_EQ(im->owns_planes, 1);
    EXPECT_EQ(im->xmin, 0);
    EXPECT_EQ(im->xmax, 4);
    EXPECT_EQ(im->ymin, 0);
    EXPECT_EQ(im->ymax, 2);
    for (int ch : {CD_IRED, CD_IGREEN, CD_IBLUE})
      EXPECT_EQ(cdImageExChannel(im, ch) != nullptr, c.red) << c.type << " channel " << ch;
    EXPECT_EQ(cdImageExChannel(im, CD_IALPHA) != nullptr, c.alpha) << c.type;
    EXPECT_EQ(cdImageExChannel(im, CD_INDEX) != nullptr, c.index) << c.type;
    EXPECT_EQ(cdImageExChannel(im, CD_COLORS) != nullptr, c.colours) << c.type;
    EXPECT_EQ(cdImageExChannel(im, CD_ISERVER) != nullptr, c.server) << c.type;
    EXPECT_EQ(cdImageExChannel(im, CD_IRED), static_cast<void*>(im->r));
    EXPECT_EQ(cdImageExChannel(im, CD_COLORS), static_cast<void*>(im->colors));
    EXPECT_EQ(cdImageExChannel(im, 7), nullptr);
    EXPECT_EQ(cdImageExChannel(im, -1), nullptr);
    cdKillImageEx(im);
  }
  canvas.Close();
  EXPECT_EQ(cdImageExChannel(nullptr, CD_IRED), nullptr);
  cdKillImageEx(nullptr);
}

TEST(ImageEx, RefusedCreations) {
  struct Case {
    int w, h, type;
  } cases[] = {{0, 3, CD_RGB}, {3, 0, CD_RGB}, {-2, 3, CD_MAP},
               {3, 3, -3},     {3, 3, -100},   {1 << 16, 1 << 16, CD_RGB}};
  for (const Case& c : cases)
    EXPECT_EQ(cdCreateImageEx(c.w, c.h, c.type), nullptr) << c.w << "x" << c.h << " " << c.type;
}

struct ImageExOnCanvas : ::testing::Test, RgbCanvas {
  void SetUp() override { ASSERT_TRUE(Open(16, 12)); }
  void TearDown() override { Close(); }
};

/* a 4 x 3 RGB image whose pixel (x, y) is colour 0x10 * x, 0x40 * y, 0x99 */
void Paint(cdImageEx* im) {
  for (int y = 0; y < im->h; y++)
    for (int x = 0; x < im->w; x++) {
      size_t i = size_t(y * im->w + x);
      im->r[i] = (unsigned char)(0x10 * x), im->g[i] = (unsigned char)(0x40 * y), im->b[i] = 0x99;
      if (im->a) im->a[i] = x == 0 ? 0 : 255;
    }
}

TEST_F(ImageExOnCanvas, PutsTheStoredRectangleAndGetsItBack) {
  cdImageEx* im = cdCreateImageEx(4, 3, CD_RGB);
  ASSERT_NE(im, nullptr);
  Paint(im);
  cdImageRectEx(im, 1, 3, 1, 2); /* columns 1..3, rows 1..2 */
  cdPutImageEx(im, 5, 6, 3, 2);
  for (int y = 0; y < h; y++)
    for (int x = 0; x < w; x++) {
      bool inside = x >= 5 && x <= 7 && y >= 6 && y <= 7;
      long want = inside ? cdEncodeColor((unsigned char)(0x10 * (x - 4)),
                                         (unsigned char)(0x40 * (y - 5)), 0x99)
                         : 0xFFFFFF;
      ASSERT_EQ(At(x, y), want) << x << "," << y;
    }
  cdImageEx* back = cdCreateImageEx(4, 3, CD_RGB);
  ASSERT_NE(back, nullptr);
  cdGetImageEx(back, 4, 5); /* the canvas from (4, 5): the put part lands at 1..3 x 1..2 */
  for (int y = 0; y < 3; y++)
    for (int x = 0; x < 4; x++) {
      size_t i = size_t(y * 4 + x);
      bool put = x >= 1 && y >= 1;
      EXPECT_EQ(back->r[i], put ? im->r[i] : 255) << x << "," << y;
      EXPECT_EQ(back->g[i], put ? im->g[i] : 255) << x << "," << y;
    }
  cdKillImageEx(back);
  cdKillImageEx(im);
}

TEST_F(ImageExOnCanvas, RgbaBlendsMapsUseTheirColoursServersCopy) {
  cdImageEx* rgba = cdCreateImageEx(4, 3, CD_RGBA);
  cdImageEx* map = cdCreateImageEx(2, 2, 2);
  ASSERT_NE(rgba, nullptr);
  ASSERT_NE(map, nullptr);
  Paint(rgba);
  cdPutImageEx(rgba, 0, 0, 4, 3);
  EXPECT_EQ(At(0, 0), 0xFFFFFF); /* alpha 0 keeps the canvas */
  EXPECT_EQ(At(2, 1), cdEncodeColor(0x20, 0x40, 0x99));
  const unsigned char index[4] = {0, 1, 1, 0};
  for (int i = 0; i < 4; i++) map->index[i] = index[i];
  map->colors[0] = 0x112233, map->colors[1] = 0xA0B0C0;
  cdPutImageEx(map, 10, 8, 2, 2);
  EXPECT_EQ(At(10, 8), 0x112233);
  EXPECT_EQ(At(11, 8), 0xA0B0C0);
  EXPECT_EQ(At(10, 9), 0xA0B0C0);
  EXPECT_EQ(At(11, 9), 0x112233);
  cdImageEx* server = cdCreateImageEx(3, 2, CD_SERVER);
  ASSERT_NE(server, nullptr);
  cdGetImageEx(server, 10, 8);         /* holds the map's four pixels and a white column */
  cdPutImageEx(server, 0, 10, 99, 99); /* sizes ignored: the whole image */
  EXPECT_EQ(At(0, 10), 0x112233);
  EXPECT_EQ(At(1, 11), 0x112233);
  EXPECT_EQ(At(1, 10), 0xA0B0C0);
  EXPECT_EQ(At(2, 10), 0xFFFFFF);
  EXPECT_EQ(At(3, 10), 0xFFFFFF);
  /* RGBA and map images are not read back */
  cdGetImageEx(map, 0, 0);
  EXPECT_EQ(map->index[1], 1);
  cdKillImageEx(server);
  cdKillImageEx(map);
  cdKillImageEx(rgba);
}

TEST(ImageEx, QuantisesRgbIntoAMapOfTheSameSize) {
  cdImageEx* rgb = cdCreateImageEx(4, 3, CD_RGB);
  cdImageEx* map = cdCreateImageEx(4, 3, CD_MAP);
  cdImageEx* small = cdCreateImageEx(2, 3, CD_MAP);
  ASSERT_TRUE(rgb && map && small);
  Paint(rgb);
  cdRGB2MapEx(rgb, map);
  for (int i = 0; i < 12; i++)
    EXPECT_EQ(map->colors[map->index[i]], cdEncodeColor(rgb->r[i], rgb->g[i], rgb->b[i])) << i;
  for (int i = 0; i < 6; i++) small->index[i] = 9;
  cdRGB2MapEx(rgb, small); /* sizes differ: untouched */
  cdRGB2MapEx(map, small); /* not an RGB source: untouched */
  for (int i = 0; i < 6; i++) EXPECT_EQ(small->index[i], 9);
  cdKillImageEx(small);
  cdKillImageEx(map);
  cdKillImageEx(rgb);
}

}  // namespace
