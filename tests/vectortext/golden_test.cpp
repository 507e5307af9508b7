// Vector text drawn by the RGB image driver, compared byte for byte with
// reference pictures (binary PPM, top row first). VARKO_UPDATE_GOLDENS=1
// writes the references instead; each was looked at before it was committed.
// The same run writes the sheet of all glyphs (glyph_sheet.ppm) for review.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "cd.h"
#include "golden.h"
#include "vectortext.h"
#include "wd.h"

namespace {

struct Picture {
  int w, h;
  std::vector<unsigned char> r, g, b;
  Picture(int width, int height)
      : w(width), h(height), r(width * height), g(width * height), b(width * height) {}

  std::string Ppm() const { return golden::Ppm(w, h, r.data(), g.data(), b.data()); }
};

// A white canvas over the picture's planes, active while the scene draws.
void Render(Picture& picture, void (*scene)()) {
  char data[128];
  std::snprintf(data, sizeof data, "%dx%d %p %p %p", picture.w, picture.h,
                static_cast<void*>(picture.r.data()), static_cast<void*>(picture.g.data()),
                static_cast<void*>(picture.b.data()));
  cdCanvasHandle canvas = cdCreateCanvas(CD_IMAGERGB, data);
  ASSERT_NE(canvas, nullptr);
  ASSERT_EQ(cdActivate(canvas), CD_OK);
  cdBackground(0xFFFFFF);
  cdClear();
  scene();
  cdKillCanvas(canvas);
}

void ExpectGolden(const char* name, const Picture& picture) {
  golden::Expect(std::string(VARKO_TEST_DATA) + "/golden/" + name, picture.Ppm());
}

TEST(VectorTextGolden, SizesAndDirections) {
  Picture picture(320, 200);
  Render(picture, [] {
    cdForeground(0x000000);
    cdVectorText(4, 170, "Varko 1.3 AaBbQq");  // 28 units: 28 pixels
    cdVectorCharSize(14);
    cdVectorText(4, 150, "small text: 0123456789 +-*/");
    cdForeground(0x0000C0);
    cdVectorCharSize(42);
    cdVectorText(4, 100, "Big");
    cdForeground(0xC00000);
    cdVectorCharSize(20);
    cdVectorTextDirection(0, 0, 87, 50);  // 30 degrees
    cdVectorText(110, 20, "rotated 30");
    cdVectorTextDirection(0, 0, 0, 1);
    cdForeground(0x008000);
    cdVectorText(300, 10, "upwards");
    cdVectorTextDirection(0, 0, -1, 0);
    cdTextAlignment(CD_NORTH);
    cdVectorText(230, 90, "upside");
  });
  ExpectGolden("sizes_directions.ppm", picture);
}

TEST(VectorTextGolden, LinesMatrixAndWorldUnits) {
  Picture picture(240, 160);
  Render(picture, [] {
    cdForeground(0x000000);
    cdTextAlignment(CD_CENTER);
    cdVectorCharSize(16);
    cdMultiLineVectorText(120, 120, "three lines\ncentred on\na point");
    cdLine(115, 120, 125, 120);
    cdLine(120, 115, 120, 125);
    // slanted: x' = x + 0.3 (y - 40), y' = y
    const double slant[6] = {0, 1, 0, 1, 0.3, -12};
    cdVectorTextTransform(slant);
    cdTextAlignment(CD_BASE_LEFT);
    cdForeground(0x800080);
    cdVectorText(10, 40, "Slanted \xC7 \xE9 \xDF");  // Latin-1
    cdVectorTextTransform(nullptr);
    wdWindow(0, 24, 0, 16);  // 10 pixels per world unit on 240 x 160
    wdViewport(0, 240, 0, 160);
    cdForeground(0x008080);
    wdVectorCharSize(1.2);
    wdVectorText(1, 0.5, "world 12 px");
  });
  ExpectGolden("lines_matrix_world.ppm", picture);
}

// All codes 32..255 in rows of 16, each in a cell of 30 x 40 at scale 1,
// with the baseline and the advance marked in grey.
TEST(VectorTextGolden, GlyphSheet) {
  Picture picture(16 * 30 + 8, 14 * 40 + 8);
  Render(picture, [] {
    for (int code = 32; code < 256; ++code) {
      int col = (code - 32) % 16, row = (code - 32) / 16;
      int x = 4 + col * 30 + 3, y = 4 + (13 - row) * 40 + 10;
      char text[2] = {static_cast<char>(code), 0};
      int w = 0, h = 0;
      cdGetVectorTextSize(text, &w, &h);
      cdForeground(0xC0C0FF);
      cdLine(x, y, x + w - 2, y);
      cdForeground(0x000000);
      cdVectorText(x, y, text);
    }
  });
  ExpectGolden("glyph_sheet.ppm", picture);
}

}  // namespace
