// The rasteriser on CD_IMAGERGB canvases: line styles, write modes, clipping,
// fills, arcs, images and scrolling, checked pixel by pixel.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "cd.h"
#include "rgb_canvas.h"

namespace {

struct Rgb : ::testing::Test, RgbCanvas {
  void SetUp() override { ASSERT_TRUE(Open(40, 30)); }
  void TearDown() override { Close(); }
  bool Black(int x, int y) const {
    size_t i = size_t(y * w + x);
    return r[i] == 0 && g[i] == 0 && b[i] == 0;
  }
  bool White(int x, int y) const {
    size_t i = size_t(y * w + x);
    return r[i] == 255 && g[i] == 255 && b[i] == 255;
  }
  int CountBlack() const {
    int n = 0;
    for (int y = 0; y < h; y++)
      for (int x = 0; x < w; x++) n += Black(x, y);
    return n;
  }
};

TEST_F(Rgb, DashedLineHasPeriod16) {
  cdLineStyle(CD_DASHED);
  cdLine(0, 5, 39, 5);
  std::string seen;
  for (int x = 0; x < 40; x++) seen += Black(x, 5) ? '#' : '.';
  EXPECT_EQ(seen, "#.....###.....###.....###.....###.....##");
  for (int x = 0; x + 16 < 40; x++) EXPECT_EQ(Black(x, 5), Black(x + 16, 5)) << x;
}

TEST_F(Rgb, OpaqueBackFillsDashGaps) {
  cdBackOpacity(CD_OPAQUE);
  cdBackground(0xFF0000);
  cdLineStyle(CD_DOTTED);
  cdLine(0, 2, 15, 2);
  EXPECT_TRUE(Black(0, 2));
  size_t i = size_t(2 * w + 1);
  EXPECT_EQ(r[i], 255);
  EXPECT_EQ(g[i], 0);
}

TEST_F(Rgb, XorTwiceRestoresEveryPrimitive) {
  cdForeground(0x3366CC);
  cdBox(3, 20, 3, 20);
  std::vector<unsigned char> before = r;
  std::vector<unsigned char> before_g = g;
  cdWriteMode(CD_XOR);
  cdForeground(0xA5F00F);
  for (int width : {1, 2, 5}) {
    cdLineWidth(width);
    for (int pass = 0; pass < 2; pass++) {
      cdLine(1, 1, 37, 23);
      cdArc(20, 15, 25, 17, 30, 300);
      cdSector(10, 10, 15, 15, 350, 10);
      cdBegin(CD_FILL);
      cdVertex(2, 2), cdVertex(30, 5), cdVertex(15, 28), cdVertex(9, 12);
      cdEnd();
      cdMark(25, 25);
    }
    EXPECT_EQ(r, before) << width;
    EXPECT_EQ(g, before_g) << width;
  }
}

TEST_F(Rgb, NothingLandsOutsideTheClip) {
  for (int mode : {CD_CLIPAREA, CD_CLIPPOLYGON}) {
    cdForeground(0xFFFFFF);
    cdClip(CD_CLIPOFF);
    cdBox(0, w - 1, 0, h - 1);
    cdForeground(0);
    cdClipArea(5, 20, 6, 18);
    cdBegin(CD_CLIP);
    cdVertex(5, 6), cdVertex(25, 8), cdVertex(12, 22);
    cdEnd();
    cdClip(mode);
    cdLineWidth(5);
    cdLine(0, 0, 39, 29);
    cdLineWidth(1);
    cdLine(0, 29, 39, 0);
    cdBox(0, 39, 12, 14);
    cdArc(15, 15, 30, 30, 0, 360);
    cdHatch(CD_DIAGCROSS);
    cdBackOpacity(CD_OPAQUE);
    cdSector(15, 12, 24, 24, 0, 270);
    cdBackOpacity(CD_TRANSPARENT);
    cdInteriorStyle(CD_SOLID);
    int inside = 0;
    for (int y = 0; y < h; y++)
      for (int x = 0; x < w; x++) {
        if (!Black(x, y)) continue;
        inside++;
        if (mode == CD_CLIPAREA)
          EXPECT_TRUE(x >= 5 && x <= 20 && y >= 6 && y <= 18) << x << "," << y;
        else {
          // inside the triangle (5,6) (25,8) (12,22), tested with its edges
          auto side = [&](int ax, int ay, int bx, int by) {
            return (bx - ax) * (y - ay) - (by - ay) * (x - ax);
          };
          EXPECT_TRUE(side(5, 6, 25, 8) >= 0 && side(25, 8, 12, 22) >= 0 && side(12, 22, 5, 6) >= 0)
              << x << "," << y;
        }
      }
    EXPECT_GT(inside, 20) << mode;
  }
}

TEST_F(Rgb, BoxAndPolygonCoverage) {
  cdBox(2, 11, 3, 7);
  EXPECT_EQ(CountBlack(), 10 * 5);
  cdClear();
  EXPECT_EQ(CountBlack(), 0);
  cdBegin(CD_FILL);  // all vertices on one scan line fill nothing
  cdVertex(1, 4), cdVertex(20, 4), cdVertex(30, 4);
  cdEnd();
  EXPECT_EQ(CountBlack(), 0);
  cdBegin(CD_FILL);
  cdVertex(0, 0), cdVertex(10, 0), cdVertex(10, 10), cdVertex(0, 10);
  cdEnd();
  EXPECT_EQ(CountBlack(), 11 * 11);
}

// An upright rectangle takes a short way through the polygon fill; the same
// corners with the first one repeated go the general way (the repeat adds no
// edge), and both must colour the same pixels whatever the fill, write mode
// and clip.
TEST_F(Rgb, UprightRectangleFillsAsTheGeneralScan) {
  struct Case {
    int x1, y1, x2, y2;
  } rects[] = {{3, 4, 17, 12}, {17, 12, 3, 4},   {-5, -6, 8, 9},        {30, 20, 55, 41},
               {0, 0, 39, 29}, {10, 10, 11, 11}, {5, 5, 5, 20},         {5, 5, 20, 5},
               {-9, 3, -2, 8}, {12, 31, 20, 40}, {-100, -100, 200, 200}};
  auto draw = [&](const Case& c, bool across_first, bool general) {
    cdBegin(CD_FILL);
    if (across_first)
      cdVertex(c.x1, c.y1), cdVertex(c.x2, c.y1), cdVertex(c.x2, c.y2), cdVertex(c.x1, c.y2);
    else
      cdVertex(c.x1, c.y1), cdVertex(c.x1, c.y2), cdVertex(c.x2, c.y2), cdVertex(c.x2, c.y1);
    if (general) cdVertex(c.x1, c.y1);
    cdEnd();
  };
  const long pattern[4] = {0xFF0000, 0x00FF00, 0x0000FF, 0x000000};
  const std::vector<unsigned char> white(r.size(), 255);
  int setups = 0, painted = 0;
  for (int fill = 0; fill < 3; fill++)
    for (int mode : {CD_REPLACE, CD_XOR})
      for (bool clipped : {false, true}) {
        setups++;
        if (fill == 0) cdInteriorStyle(CD_SOLID);
        if (fill == 1) cdHatch(CD_DIAGCROSS);
        if (fill == 2) cdPattern(2, 2, pattern);
        cdWriteMode(mode);
        cdClip(clipped ? CD_CLIPAREA : CD_CLIPOFF);
        cdClipArea(6, 25, 7, 22);
        for (const Case& c : rects)
          for (bool across_first : {true, false}) {
            cdClear();
            cdForeground(0x336699);
            draw(c, across_first, false);
            std::vector<unsigned char> r4 = r, g4 = g, b4 = b;
            painted += r4 != white || g4 != white || b4 != white;
            cdClear();
            draw(c, across_first, true);
            EXPECT_TRUE(r == r4 && g == g4 && b == b4)
                << c.x1 << "," << c.y1 << " " << c.x2 << "," << c.y2 << " fill " << fill << " mode "
                << mode << " clipped " << clipped << " across " << across_first;
          }
      }
  cdWriteMode(CD_REPLACE);
  cdClip(CD_CLIPOFF);
  cdInteriorStyle(CD_SOLID);
  EXPECT_GT(painted, setups * 8);  // most rectangles are on the canvas
}

TEST_F(Rgb, ArcsFullTurnAndEqualAngles) {
  cdArc(20, 15, 20, 20, 90, 90);
  EXPECT_EQ(CountBlack(), 0);
  cdArc(20, 15, 20, 20, 0, 360);
  // every extreme point of the ellipse is drawn
  EXPECT_TRUE(Black(30, 15) && Black(10, 15) && Black(20, 25) && Black(20, 5));
  int full = CountBlack();
  cdClear();
  cdArc(20, 15, 20, 20, 350, 10);  // across 0 degrees: only near the +x axis
  EXPECT_TRUE(Black(30, 15));
  EXPECT_FALSE(Black(10, 15));
  EXPECT_LT(CountBlack(), full / 8);
  cdClear();
  cdArc(20, 15, 20, 20, 0, 90);  // first quadrant includes both axis points
  EXPECT_TRUE(Black(30, 15) && Black(20, 25));
  EXPECT_FALSE(Black(10, 15) || Black(20, 5));
}

TEST_F(Rgb, HatchTransparentKeepsBackground) {
  cdForeground(0);
  cdHatch(CD_HORIZONTAL);
  cdBox(0, 15, 0, 15);
  for (int y = 0; y < 16; y++)
    for (int x = 0; x < 16; x++) EXPECT_EQ(Black(x, y), y % 8 == 3) << x << "," << y;
}

TEST_F(Rgb, StretchAtEdgesStaysInsideSource) {
  const int iw = 3, ih = 2;
  std::vector<unsigned char> ir = {10, 20, 30, 40, 50, 60}, ig = ir, ib = ir;
  cdPutImageRectRGB(iw, ih, ir.data(), ig.data(), ib.data(), 30, 20, 17, 13, 0, 0, 0, 0);
  // the last column and row of the target take the last source column and row
  EXPECT_EQ(r[size_t(29 * w + 39)], 60);
  EXPECT_EQ(r[size_t(20 * w + 30)], 10);
  // a part outside the canvas is clipped away
  EXPECT_EQ(r[size_t(19 * w + 30)], 255);
}

TEST_F(Rgb, RgbaIntoOnePixelTarget) {
  std::vector<unsigned char> ir = {0, 0}, ia = {255, 0};
  cdPutImageRectRGBA(2, 1, ir.data(), ir.data(), ir.data(), ia.data(), 4, 4, 1, 1, 0, 1, 0, 0);
  EXPECT_TRUE(Black(4, 4));
  EXPECT_EQ(CountBlack(), 1);
}

TEST_F(Rgb, OverlappingScrollKeepsSource) {
  for (int x = 0; x < 10; x++) cdPixel(x, 0, cdEncodeColor((unsigned char)(x * 10), 0, 0));
  cdScrollArea(0, 9, 0, 0, 3, 1);
  for (int x = 0; x < 10; x++) EXPECT_EQ(r[size_t(w + x + 3)], x * 10) << x;
  cdScrollArea(3, 12, 1, 1, -2, 0);
  for (int x = 0; x < 10; x++) EXPECT_EQ(r[size_t(w + x + 1)], x * 10) << x;
}

TEST_F(Rgb, SimulateCannotChangeAndMarkOfSizeOne) {
  EXPECT_EQ(cdSimulate(CD_SIM_LINE), cdSimulate(CD_QUERY));
  cdMarkSize(1);
  cdMark(7, 8);
  EXPECT_TRUE(Black(7, 8));
  EXPECT_EQ(CountBlack(), 1);
}

TEST(Quantise, FewColoursMapExactly) {
  std::vector<unsigned char> r(100), g(100), b(100), index(100);
  for (int i = 0; i < 100; i++) r[size_t(i)] = (unsigned char)(i % 10 * 20), g[size_t(i)] = 7;
  std::vector<long> pal(256);
  cdRGB2Map(10, 10, r.data(), g.data(), b.data(), index.data(), 256, pal.data());
  for (int i = 0; i < 100; i++)
    EXPECT_EQ(pal[index[size_t(i)]], (long)(r[size_t(i)] << 16 | 7 << 8));
}

// Under a polygon clip every span of a concave fill is clipped on its own:
// both arms of a U are filled and its notch stays empty.
TEST_F(Rgb, ConcaveFillUnderPolygonClip) {
  cdBegin(CD_CLIP);
  cdVertex(1, 1), cdVertex(38, 1), cdVertex(38, 28), cdVertex(1, 28);
  cdEnd();
  cdClip(CD_CLIPPOLYGON);
  cdBegin(CD_FILL);
  cdVertex(5, 5), cdVertex(35, 5), cdVertex(35, 25), cdVertex(25, 25);
  cdVertex(25, 12), cdVertex(15, 12), cdVertex(15, 25), cdVertex(5, 25);
  cdEnd();
  cdClip(CD_CLIPOFF);
  for (int y : {8, 15, 20})
    for (int x : {8, 30}) EXPECT_TRUE(Black(x, y)) << x << "," << y;
  EXPECT_TRUE(White(20, 20)) << "the notch";
  EXPECT_TRUE(White(2, 20));
  EXPECT_TRUE(Black(20, 8)) << "below the notch";
}

// More colours than palette entries: the palette splits the grey ramp and
// error diffusion keeps each stretch's mean grey, where nearest-colour
// mapping would flatten it to one entry.
TEST(Quantise, DitheringKeepsTheMeanOfARamp) {
  const int w = 256, h = 16;
  std::vector<unsigned char> grey(size_t(w * h)), index(grey.size());
  for (int y = 0; y < h; y++)
    for (int x = 0; x < w; x++) grey[size_t(y * w + x)] = (unsigned char)x;
  std::vector<long> pal(2, -1);
  cdRGB2Map(w, h, grey.data(), grey.data(), grey.data(), index.data(), 2, pal.data());
  for (long c : pal) {
    EXPECT_EQ(c >> 16, c & 0xFF) << "palette entries stay grey";
    EXPECT_EQ(c >> 16, (c >> 8) & 0xFF);
  }
  ASSERT_NE(pal[0], pal[1]);
  for (int from : {96, 128}) {  // the stretches either side of the split
    double sum = 0, source = 0;
    for (int y = 0; y < h; y++)
      for (int x = from; x < from + 32; x++) {
        sum += double(pal[index[size_t(y * w + x)]] & 0xFF);
        source += x;
      }
    EXPECT_NEAR(sum / (32 * h), source / (32 * h), 24) << "stretch from " << from;
  }
}

// A TrueType file is found as named, then in the folder CDDIR names.
TEST_F(Rgb, TrueTypeFileFoundInCDDIR) {
  const char* system = "/usr/share/fonts/truetype/liberation/LiberationSans-Regular.ttf";
  FILE* in = std::fopen(system, "rb");
  if (!in) GTEST_SKIP() << "no Liberation Sans";
  char dir_template[] = "/tmp/cddir_test_XXXXXX";
  ASSERT_NE(mkdtemp(dir_template), nullptr);
  std::string dir = dir_template, copy = dir + "/cddir_face.ttf";
  FILE* out = std::fopen(copy.c_str(), "wb");
  ASSERT_NE(out, nullptr);
  char buf[4096];
  size_t n;
  while ((n = std::fread(buf, 1, sizeof buf, in)) > 0) std::fwrite(buf, 1, n, out);
  std::fclose(in);
  std::fclose(out);

  int small_w = 0, small_h = 0, w1 = 0, h1 = 0, w2 = 0, h2 = 0;
  cdFont(CD_HELVETICA, CD_PLAIN, 8);
  cdTextSize("Ag", &small_w, &small_h);
  unsetenv("CDDIR");
  cdNativeFont("cddir_face.ttf, 30");  // not in the working folder: the font stays
  cdTextSize("Ag", &w1, &h1);
  EXPECT_EQ(w1, small_w);
  setenv("CDDIR", dir.c_str(), 1);
  cdNativeFont("cddir_face.ttf, 30");
  cdTextSize("Ag", &w2, &h2);
  unsetenv("CDDIR");
  EXPECT_GT(h2, 2 * small_h) << "the 30-point face from CDDIR is in force";
  EXPECT_GT(w2, 2 * small_w);
  std::remove(copy.c_str());
  rmdir(dir.c_str());
}

}  // namespace

// Text orientations that cannot turn anything: an angle that is not a
// number draws and measures as unturned text; turned text far off the
// canvas draws nothing and its box stays in the int range.
TEST_F(Rgb, UnusableTextAnglesAndFarTurnedText) {
  cdFont(CD_HELVETICA, CD_PLAIN, 10);
  cdText(5, 10, "Ag");
  std::vector<unsigned char> flat = r;
  int flat_box[4], box[4];
  cdTextBox(5, 10, "Ag", &flat_box[0], &flat_box[1], &flat_box[2], &flat_box[3]);
  r.assign(r.size(), 255), g = r, b = r;
  cdTextOrientation(std::nan(""));
  cdText(5, 10, "Ag");
  EXPECT_EQ(r, flat);
  cdTextBox(5, 10, "Ag", &box[0], &box[1], &box[2], &box[3]);
  for (int i = 0; i < 4; i++) EXPECT_EQ(box[i], flat_box[i]) << i;
  r.assign(r.size(), 255), g = r, b = r;
  cdTextOrientation(33);
  for (int x : {2147483000, -2147483000}) {
    cdText(x, x, "Ag");
    cdTextBox(x, x, "Ag", &box[0], &box[1], &box[2], &box[3]);
    EXPECT_LE(box[0], box[1]) << x;
    EXPECT_LE(box[2], box[3]) << x;
  }
  EXPECT_EQ(CountBlack(), 0);
}
