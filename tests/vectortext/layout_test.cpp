// Placement of vector text: a recording driver keeps every polyline the
// text produces, so sizes, directions, alignments, the matrix, several
// lines, fonts read from files and the world forms are checked exactly.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "cddriver.h"
#include "vectortext.h"
#include "wd.h"

namespace {

struct Polyline {
  int mode;
  std::vector<cdPoint> points;
};
std::vector<Polyline> g_drawn;
int g_record = 0;

void RecCreate(cdCanvas* cv, void*) {
  cv->w = 201;
  cv->h = 101;
  cv->w_mm = 201;
  cv->h_mm = 101;
  cv->xres = cv->yres = 1;
  cv->bpp = 24;
  cv->driver_data = &g_record;
}
void RecPoly(cdCanvas*, int mode, cdPoint* points, int n) {
  g_drawn.push_back({mode, std::vector<cdPoint>(points, points + n)});
}
void RecKill(cdCanvas*) {}
int RecActivate(cdCanvas*) {
  return CD_OK;
}
void RecFill(cdCanvas* cv) {
  cv->ops.Poly = RecPoly;
  cv->ops.KillCanvas = RecKill;
  cv->ops.Activate = RecActivate;
}
cdDriver g_recorder = {CD_CAP_ALL, RecCreate, RecFill, nullptr, nullptr, "RECORDER", CD_DATA_TEXT};

std::string Text(const std::vector<Polyline>& lines) {
  std::string text;
  for (const Polyline& line : lines) {
    if (!text.empty()) text += " |";
    for (const cdPoint& p : line.points) {
      text += ' ';
      text += std::to_string(p.x);
      text += ',';
      text += std::to_string(p.y);
    }
  }
  return text;
}

class VectorText : public ::testing::Test {
 protected:
  void SetUp() override {
    canvas_ = cdCreateCanvas(&g_recorder, nullptr);
    ASSERT_NE(canvas_, nullptr);
    ASSERT_EQ(cdActivate(canvas_), CD_OK);
    cdSimulate(CD_SIM_NONE);
    g_drawn.clear();
  }
  void TearDown() override {
    cdKillCanvas(canvas_);
    for (const std::string& f : files_) std::remove(f.c_str());
  }
  std::string WriteFile(const std::string& name, const std::string& text) {
    std::FILE* f = std::fopen(name.c_str(), "wb");
    std::fwrite(text.data(), 1, text.size(), f);
    std::fclose(f);
    files_.push_back(name);
    return name;
  }
  std::string Drawn(void (*draw)()) {
    g_drawn.clear();
    draw();
    return Text(g_drawn);
  }

  cdCanvasHandle canvas_ = nullptr;
  std::vector<std::string> files_;
};

TEST_F(VectorText, SizesOfANewCanvas) {
  int w = 0, h = 0;
  cdGetVectorTextSize("A", &w, &h);
  EXPECT_EQ(w, 20);  // advance 19 plus spacing 1
  EXPECT_EQ(h, 28);
  EXPECT_EQ(cdVectorCharSize(56), 28);
  EXPECT_EQ(cdVectorCharSize(CD_QUERY), 56);
  cdGetVectorTextSize("AI", &w, &h);
  EXPECT_EQ(w, 2 * (20 + 5));
  EXPECT_EQ(h, 56);
  cdVectorTextSize(100, 14, "A");  // width 20 font units -> 5 px each, height 14/28
  cdGetVectorTextSize("AA", &w, &h);
  EXPECT_EQ(w, 200);
  EXPECT_EQ(h, 14);
}

TEST_F(VectorText, EmptyStringsMeasureZeroAndLeaveTheScale) {
  cdVectorCharSize(56);
  cdVectorTextSize(100, 40, "");  // nothing to divide by: no change
  int w = -1, h = -1;
  cdGetVectorTextSize("", &w, &h);
  EXPECT_EQ(w, 0);
  EXPECT_EQ(h, 56);
  cdGetVectorTextSize("I", &w, &h);
  EXPECT_EQ(w, 10);
  double ww = -1, wh = -1;
  wdVectorTextSize(10, 10, "");
  wdGetVectorTextSize("", &ww, &wh);
  EXPECT_EQ(ww, 0);
  EXPECT_EQ(wh, 56);
  EXPECT_EQ(Drawn([] { cdVectorText(5, 5, ""); }), "");
}

TEST_F(VectorText, GlyphsAtTheAlignments) {
  struct Case {
    int alignment;
    const char* drawn;  // "I" at (100, 50): its stroke from (0,21) to (0,0)
  };
  // "I" is 5 units wide (4 + spacing); cap + bottom = 21, half of it 10.5.
  const Case cases[] = {
      {CD_BASE_LEFT, " 100,71 100,50"},  {CD_BASE_RIGHT, " 95,71 95,50"},
      {CD_BASE_CENTER, " 98,71 98,50"},   // -2.5 truncated to -2
      {CD_NORTH, " 98,43 98,22"},         // cell top at y
      {CD_SOUTH_WEST, " 100,78 100,57"},  // the lowest point at y
      {CD_CENTER, " 98,61 98,40"},        // -10.5 truncated to -10
      {CD_EAST, " 95,61 95,40"},
  };
  for (const Case& c : cases) {
    cdTextAlignment(c.alignment);
    g_drawn.clear();
    cdVectorText(100, 50, "I");
    EXPECT_EQ(Text(g_drawn), c.drawn) << "alignment " << c.alignment;
    for (const Polyline& line : g_drawn) EXPECT_EQ(line.mode, CD_OPEN_LINES);
  }
}

TEST_F(VectorText, StrokesScaleFromThePenAndGlyphsAdvance) {
  cdVectorCharSize(56);  // scale 2
  EXPECT_EQ(Drawn([] { cdVectorText(10, 20, "A-"); }),
            " 42,20 26,62 10,20 | 16,34 36,34 | 50,38 86,38");  // '-' starts at 10 + 2 * 20
}

TEST_F(VectorText, DirectionUpRunsTheTextAlongY) {
  cdVectorTextDirection(0, 0, 0, 10);
  // x offsets of the glyph go along +y, y offsets along -x; the pen advances up.
  EXPECT_EQ(Drawn([] { cdVectorText(100, 10, "II"); }), " 79,10 100,10 | 79,15 100,15");
  cdVectorTextDirection(3, 3, 3, 3);  // no direction: the one in force stays
  EXPECT_EQ(Drawn([] { cdVectorText(100, 10, "I"); }), " 79,10 100,10");
}

TEST_F(VectorText, MatrixMapsEveryPoint) {
  // y' = x + 1 (first three values), x' = 2y (last three)
  const double swap[6] = {1, 0, 1, 0, 2, 0};
  cdVectorTextTransform(swap);
  EXPECT_EQ(Drawn([] { cdVectorText(10, 20, "I"); }), " 82,11 40,11");
  cdVectorTextTransform(nullptr);
  EXPECT_EQ(Drawn([] { cdVectorText(10, 20, "I"); }), " 10,41 10,20");
}

TEST_F(VectorText, SeveralLines) {
  // line height: top - bottom + spacing = 36
  cdTextAlignment(CD_CENTER);
  EXPECT_EQ(Drawn([] { cdMultiLineVectorText(100, 50, "I\nI\nI"); }),
            " 98,97 98,76 | 98,61 98,40 | 98,25 98,4");  // first line one line height up
  cdTextAlignment(CD_NORTH_WEST);
  EXPECT_EQ(Drawn([] { cdMultiLineVectorText(10, 90, "I\nI"); }), " 10,83 10,62 | 10,47 10,26");
  cdTextAlignment(CD_SOUTH_WEST);
  EXPECT_EQ(Drawn([] { cdMultiLineVectorText(10, 0, "I\nI"); }), " 10,64 10,43 | 10,28 10,7");
  std::string long_text(500, 'I');
  g_drawn.clear();
  cdMultiLineVectorText(0, 0, long_text.c_str());
  EXPECT_TRUE(g_drawn.empty());
  long_text.pop_back();
  cdMultiLineVectorText(0, 0, long_text.c_str());
  EXPECT_EQ(g_drawn.size(), 499u);
}

TEST_F(VectorText, FontsFromFiles) {
  std::string plain = WriteFile("vt_plain.fnt", "10 10 5 -2\n65 6 3 2 m 0 0 l 0 10\n");
  EXPECT_STREQ(cdVectorFont(plain.c_str()), "Unknown");
  int w = 0, h = 0;
  cdGetVectorTextSize("A", &w, &h);
  EXPECT_EQ(w, 7);
  EXPECT_EQ(h, 10);
  EXPECT_EQ(Drawn([] { cdVectorText(3, 4, "AB"); }), " 3,4 3,14");  // B has no strokes
  // The same name again is not read again.
  std::remove(plain.c_str());
  EXPECT_STREQ(cdVectorFont(plain.c_str()), "Unknown");
  EXPECT_STREQ(cdVectorFont(nullptr), "Simplex II");
  cdGetVectorTextSize("A", &w, &h);
  EXPECT_EQ(w, 20);
}

TEST_F(VectorText, UnreadableFontsLeaveTheBuiltinOne) {
  cdVectorCharSize(56);
  std::string bad = WriteFile("vt_bad.fnt", "Bad\n28 28 14 -7\n300 10 5 0\n");
  EXPECT_EQ(cdVectorFont(bad.c_str()), nullptr);
  int w = 0, h = 0;
  cdGetVectorTextSize("A", &w, &h);
  EXPECT_EQ(w, 20);  // built-in font, scale reset to 1
  EXPECT_EQ(h, 28);
  EXPECT_EQ(cdVectorFont("vt_no_such_file.fnt"), nullptr);
  std::string long_name(300, 'x');
  EXPECT_EQ(cdVectorFont(long_name.c_str()), nullptr);
  EXPECT_STREQ(cdVectorFont(nullptr), "Simplex II");
}

TEST_F(VectorText, WorldForms) {
  wdWindow(0, 20, 0, 10);
  wdViewport(0, 200, 0, 100);  // 10 pixels per world unit
  EXPECT_DOUBLE_EQ(wdVectorCharSize(1.75), 28.0);
  EXPECT_DOUBLE_EQ(wdVectorCharSize(CD_QUERY), 1.75);  // 0.0625 world units per font unit
  double w = 0, h = 0;
  wdGetVectorTextSize("A", &w, &h);
  EXPECT_DOUBLE_EQ(w, 1.25);
  EXPECT_DOUBLE_EQ(h, 1.75);
  // "I" at world (2.25, 1): its stroke from (2.25, 2.3125) to (2.25, 1)
  EXPECT_EQ(Drawn([] { wdVectorText(2.25, 1, "I"); }), " 22,23 22,10");
  // the world pen keeps fractions: the second glyph starts 0.3125 higher
  wdVectorTextDirection(0, 0, 0, 1);
  EXPECT_EQ(Drawn([] { wdVectorText(2.25, 1, "II"); }), " 9,10 22,10 | 9,13 22,13");
  wdVectorTextDirection(0, 0, 1, 0);
  cdTextAlignment(CD_NORTH_WEST);  // line height 36 * 0.0625 = 2.25
  EXPECT_EQ(Drawn([] { wdMultiLineVectorText(1, 5, "I\nI"); }), " 10,45 10,32 | 10,23 10,10");
}

}  // namespace
