// The CGM player seen through a recording canvas: framing of both
// encodings, the parameter types, the picture fit, culling, attributes,
// primitives and the callbacks with their stop rule.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "cdcgm.h"
#include "cgm_build.h"
#include "cgm_files.h"
#include "recorder.h"

namespace {

using namespace cgmtest;

struct Player : ::testing::Test {
  cdCanvasHandle cv = nullptr;
  int token = 0;
  void SetUp() override {
    cv = cdCreateCanvas(RecorderDriver(), &token);
    ASSERT_NE(cv, nullptr);
    cdActivate(cv);
    Calls().clear();
    for (int cb = 0; cb <= CD_CGMBEGMTFCB; cb++) cdRegisterCallback(CD_CGM, cb, nullptr);
  }
  void TearDown() override {
    for (int cb = 0; cb <= CD_CGMBEGMTFCB; cb++) cdRegisterCallback(CD_CGM, cb, nullptr);
    cdKillCanvas(cv);
  }
  int Play(const std::string& bytes, int xmin = 0, int xmax = 100, int ymin = 0, int ymax = 100) {
    Calls().clear();
    return cdPlayCGMMemory(reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size(), xmin,
                           xmax, ymin, ymax);
  }
};

// a callback of its real type, as cdRegisterCallback takes it
template <class F>
cdCallback Cb(F f) {
  return reinterpret_cast<cdCallback>(reinterpret_cast<void (*)()>(f));
}

std::vector<cdPoint> P(std::initializer_list<int> xy) {
  std::vector<cdPoint> out;
  for (auto it = xy.begin(); it != xy.end(); it += 2) out.push_back({*it, *(it + 1)});
  return out;
}

bool Same(const std::vector<cdPoint>& a, const std::vector<cdPoint>& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); i++)
    if (a[i].x != b[i].x || a[i].y != b[i].y) return false;
  return true;
}

TEST_F(Player, BinaryWithoutBeginMetafileIsReadAsClearText) {
  Cgm with;
  with.Start().Line(1, 2, 3, 4).End();
  ASSERT_EQ(Play(with.bytes), CD_OK);
  ASSERT_EQ(Only("poly").size(), 1u);
  EXPECT_TRUE(Same(Only("poly")[0].points, P({1, 2, 3, 4})));
  Cgm without;
  without.El(0, 3, Str("p")).El(2, 6, Pts({0, 0, 100, 100})).Line(1, 2, 3, 4).End();
  ASSERT_EQ(Play(without.bytes), CD_OK);
  EXPECT_TRUE(Only("poly").empty());
}

TEST_F(Player, ClearTextKeywordsNumbersAndComments) {
  std::string text =
      "BegMF 'name'; %a comment; with a LINE inside% mf_Version 1;\n"
      "begpic \"p\"; VDC_EXT (0,0) (100,100); BEG_PIC_BODY;\n"
      "NOSUCHELEMENT 1 2 'str;ing' 3; LINE (1,2) (3 , 4) ((5,6));\n"
      "COLR_MODE direct; LINE_COLR 255 0 0; TRANSPARENCY on; CLIP off; LINE 7,8 9,10 / ENDPIC; "
      "ENDMF; LINE (1,1)(2,2);";
  ASSERT_EQ(Play(text), CD_OK);
  std::vector<Call> polys = Only("poly");
  ASSERT_EQ(polys.size(), 2u);
  EXPECT_TRUE(Same(polys[0].points, P({1, 2, 3, 4, 5, 6})));
  EXPECT_TRUE(Same(polys[1].points, P({7, 8, 9, 10})));
  EXPECT_EQ(polys[1].color, 0xFF0000);
  EXPECT_EQ(polys[1].opacity, CD_TRANSPARENT);
  ASSERT_FALSE(Only("clip").empty());
  EXPECT_EQ(Only("clip").back().mode, CD_CLIPOFF);
}

// Numbers in every form clear text allows, each read to its value whether
// a short whole number or not: signs, leading zeros, reals and exponents
// (truncated for integer VDC), comments between them, whole numbers of 9
// and of more digits, colour components as reals.
TEST_F(Player, ClearTextNumbersInEveryForm) {
  std::string text =
      "BEGMF 't'; BEGPIC 'p'; COLRMODE direct; VDCEXT (0,0) (100,100); BEGPICBODY;\n"
      "LINECOLR 2.55e2 +0 00000000000; LINE (1.9,-0) (+3, 4e1) (05,6%c%) (0000000007, 8.0);\n"
      "ENDPIC; BEGPIC 'q'; VDCEXT (0,0) (1000000000,1000000000); BEGPICBODY;\n"
      "LINE (999999999,0) (0 , 0999999999) (-1,500000000); ENDPIC; ENDMF;";
  ASSERT_EQ(Play(text), CD_OK);
  std::vector<Call> polys = Only("poly");
  ASSERT_EQ(polys.size(), 2u);
  EXPECT_TRUE(Same(polys[0].points, P({1, 0, 3, 40, 5, 6, 7, 8})));
  EXPECT_EQ(polys[0].color, 0xFF0000);
  EXPECT_TRUE(Same(polys[1].points, P({100, 0, 0, 100, 0, 50})));
}

// A direct colour of three short whole numbers is read in one go; a
// comment, a real or a long number among them sends all three the general
// way, to the same colour.
TEST_F(Player, ClearTextColoursReadTogetherOrOneByOne) {
  std::string text =
      "BEGMF 't'; BEGPIC 'p'; COLR_MODE direct; VDC_EXT (0,0) (100,100); BEG_PIC_BODY;\n"
      "LINE_COLR 255 0 0; LINE (1,1) (2,2);\n"
      "LINE_COLR 0 %c% 255 0; LINE (3,3) (4,4);\n"
      "LINE_COLR 0 0 255.0; LINE (5,5) (6,6);\n"
      "LINE_COLR (255, 255,0000000000); LINE (7,7) (8,8);\n"
      "LINE_COLR 255 255 -7 ; LINE (9,9) (10,10); ENDPIC; ENDMF;";
  ASSERT_EQ(Play(text), CD_OK);
  std::vector<Call> polys = Only("poly");
  ASSERT_EQ(polys.size(), 5u);
  const long expected[] = {0xFF0000, 0x00FF00, 0x0000FF, 0xFFFF00, 0xFFFF00};
  for (size_t i = 0; i < polys.size(); i++) EXPECT_EQ(polys[i].color, expected[i]) << i;
}

// Keywords seen before are found again by their spelling; a spelling that
// only begins like one seen before is not that keyword, and neither case,
// underscores nor a comment right after it change what is read.
TEST_F(Player, ClearTextSpellingsSeenBeforeAndAlike) {
  std::string text =
      "BEGMF 't'; BEGPIC 'p'; COLR_MODE direct; VDC_EXT (0,0) (100,100); BEG_PIC_BODY;\n"
      "LINE_COLR 255 0 0; LINE (1,1) (2,2);\n"
      "LINE_COLRS 0 255 0; LINE_COLX 255 255 255; LINE (3,3) (4,4);\n"
      "LINE_COLR 0 0 255; LINE_COLOUR 0 255 0; LINEX (5,5) (6,6); LINE (7,7) (8,8);\n"
      "Line_Colr 0 255 0; LINE (9,9) (10,10);\n"
      "LINE_CXLR 255 255 255; LINE_COLR%c% 255 255 0; LINE (11,11) (12,12);\n"
      "LINE_ (13,13) (14,14); ENDPIC; ENDMF;";
  ASSERT_EQ(Play(text), CD_OK);
  std::vector<Call> polys = Only("poly");
  ASSERT_EQ(polys.size(), 6u);
  const struct {
    std::vector<cdPoint> points;
    long colour;
  } expected[] = {{P({1, 1, 2, 2}), 0xFF0000},     {P({3, 3, 4, 4}), 0xFF0000},
                  {P({7, 7, 8, 8}), 0x0000FF},     {P({9, 9, 10, 10}), 0x00FF00},
                  {P({11, 11, 12, 12}), 0xFFFF00}, {P({13, 13, 14, 14}), 0xFFFF00}};
  for (size_t i = 0; i < polys.size(); i++) {
    EXPECT_TRUE(Same(polys[i].points, expected[i].points)) << i;
    EXPECT_EQ(polys[i].color, expected[i].colour) << i;
  }
}

// A long-form element split into partitions, the first of odd length with
// its pad byte, is one parameter list.
TEST_F(Player, PartitionsAreOneParameterList) {
  Cgm c;
  c.Start();
  std::string points = Pts({1, 1, 2, 2, 3, 3});             // 12 bytes
  c.bytes += I16(4 << 12 | 1 << 5 | 31);                    // POLYLINE, long form
  c.bytes += I16(0x8000 | 5) + points.substr(0, 5) + '\0';  // 5 bytes, pad, more follows
  c.bytes += I16(7) + points.substr(5) + '\0';              // the last 7 bytes and a pad
  c.Line(4, 4, 5, 5).End();
  ASSERT_EQ(Play(c.bytes), CD_OK);
  std::vector<Call> polys = Only("poly");
  ASSERT_EQ(polys.size(), 2u);
  EXPECT_TRUE(Same(polys[0].points, P({1, 1, 2, 2, 3, 3})));
  EXPECT_TRUE(Same(polys[1].points, P({4, 4, 5, 5})));
}

TEST_F(Player, ElementsReadInPartDoNotDisturbTheNext) {
  Cgm c;
  c.Start().El(5, 2, I16(2) + I16(99) + I16(98)).Line(1, 2, 3, 4).End();  // LINE TYPE + extra
  ASSERT_EQ(Play(c.bytes), CD_OK);
  ASSERT_EQ(Only("poly").size(), 1u);
  EXPECT_EQ(Only("poly")[0].line_style, CD_DASHED);
}

TEST_F(Player, DefaultsReplacementRunsEveryElement) {
  Cgm inner;
  inner.El(2, 2, I16(1))
      .El(5, 4, "\x10\x20\x30")
      .El(5, 2, I16(3));  // direct colour, a colour, dots
  Cgm c;
  c.El(0, 1, Str("t"))
      .El(1, 12, inner.bytes, true)
      .El(0, 3, Str("p"))
      .El(2, 6, Pts({0, 0, 100, 100}));
  c.El(0, 4).Line(1, 2, 3, 4).End();
  ASSERT_EQ(Play(c.bytes), CD_OK);
  ASSERT_EQ(Only("poly").size(), 1u);
  EXPECT_EQ(Only("poly")[0].color, 0x102030);
  EXPECT_EQ(Only("poly")[0].line_style, CD_DOTTED);
}

TEST_F(Player, FixedPointRealsOfSixtyFourBits) {
  Cgm c;
  c.Start().El(2, 3, I16(1));             // line width mode scaled
  c.El(5, 3, I32(2) + I32(0x80000000L));  // 2.5 as fixed 32.32
  c.Line(1, 2, 3, 4).El(5, 3, I32(-2) + I32(0x40000000L)).Line(1, 2, 3, 4).End();  // -1.75
  ASSERT_EQ(Play(c.bytes), CD_OK);
  ASSERT_EQ(Only("poly").size(), 2u);
  EXPECT_EQ(Only("poly")[0].line_width, 3);  // floor (2.5 + 0.5)
  EXPECT_EQ(Only("poly")[1].line_width, 1);  // below one pixel: 1
}

TEST_F(Player, PackedOneBitCellArrayDrawsTheBits) {
  Cgm c;
  c.Start();
  c.El(5, 34, U8(2) + std::string("\xff\0\0\0\0\xff", 6));  // colours 2 red, 3 blue
  c.El(1, 8, I16(8));
  // P (10, 30), Q (20, 10), R (20, 30); 3 x 2 cells of 1 bit: table entries 0 and 1
  std::string cells = Pts({10, 30, 20, 10, 20, 30}) + I16(3) + I16(2) + I16(1) + I16(1);
  cells += std::string("\xa0\0", 2);  // row 1: 1 0 1, padded to 16 bits
  cells += std::string("\x40\0", 2);  // row 2: 0 1 0
  c.El(4, 9, cells).End();
  ASSERT_EQ(Play(c.bytes), CD_OK);
  std::vector<Call> images = Only("image");
  ASSERT_EQ(images.size(), 1u);
  const Call& im = images[0];
  EXPECT_EQ(im.points[0].x, 10);
  EXPECT_EQ(im.points[0].y, 10);
  EXPECT_EQ(im.points[1].x, 3);  // image width
  EXPECT_EQ(im.points[1].y, 2);
  EXPECT_EQ(im.w, 10);
  EXPECT_EQ(im.h, 20);
  // the first row lies at P (the top): image row 1; bit 1 is entry 1 (black), bit 0 entry 0 (white)
  const unsigned char top[3] = {0, 255, 0}, bottom[3] = {255, 0, 255};
  for (int x = 0; x < 3; x++) {
    EXPECT_EQ(im.r[size_t(3 + x)], top[x]) << x;
    EXPECT_EQ(im.r[size_t(x)], bottom[x]) << x;
  }
}

// A picture twice as wide as high in a square: centred with bands above
// and below.
TEST_F(Player, WidePictureIsCentredVertically) {
  Cgm c;
  c.El(0, 1, Str("t")).El(0, 3, Str("p")).El(2, 6, Pts({0, 0, 200, 100})).El(0, 4);
  c.Line(0, 0, 200, 100).End();
  ASSERT_EQ(Play(c.bytes), CD_OK);
  ASSERT_EQ(Only("poly").size(), 1u);
  EXPECT_TRUE(Same(Only("poly")[0].points, P({0, 25, 100, 75})));
}

int cull_calls = 0;
int ShrinkCull(void* context, int* xmin, int* ymin, int* xmax, int* ymax) {
  EXPECT_EQ(context, (void*)CD_CGM);
  EXPECT_EQ(*xmin, 0);
  EXPECT_EQ(*xmax, 100);
  cull_calls++;
  *xmin = 50, *ymin = 0, *xmax = 100, *ymax = 100;
  return CDPLAY_GO;
}

TEST_F(Player, ShrunkCullRectangleDropsWhatLiesOutside) {
  cdRegisterCallback(CD_CGM, CD_CGMBEGMTFCB, Cb(ShrinkCull));
  Cgm c;
  c.Start().Line(10, 10, 40, 40).Line(60, 60, 70, 70).Line(40, 50, 60, 50).End();
  ASSERT_EQ(Play(c.bytes), CD_OK);
  EXPECT_EQ(cull_calls, 1);
  std::vector<Call> polys = Only("poly");
  ASSERT_EQ(polys.size(), 2u);
  EXPECT_TRUE(Same(polys[0].points, P({60, 60, 70, 70})));  // not moved
  EXPECT_TRUE(Same(polys[1].points, P({40, 50, 60, 50})));
}

TEST_F(Player, PolygonSetEdges) {
  Cgm c;
  c.Start().El(5, 30, I16(1)).El(5, 22, I16(1));  // edges on, solid
  c.El(4, 8,
       Pts({10, 10}) + I16(1) + Pts({20, 10}) + I16(1) + Pts({20, 20}) + I16(1) + Pts({10, 20}) +
           I16(3));
  // two squares: the first with only its left edge visible
  c.El(4, 8,
       Pts({30, 30}) + I16(0) + Pts({40, 30}) + I16(0) + Pts({40, 40}) + I16(0) + Pts({30, 40}) +
           I16(3) + Pts({50, 50}) + I16(1) + Pts({60, 50}) + I16(0) + Pts({60, 60}) + I16(0) +
           Pts({50, 60}) + I16(2));
  c.End();
  ASSERT_EQ(Play(c.bytes), CD_OK);
  std::vector<Call> polys = Only("poly");
  ASSERT_EQ(polys.size(), 5u);
  EXPECT_EQ(polys[0].mode, CD_FILL);
  EXPECT_EQ(polys[1].mode, CD_CLOSED_LINES);  // all four edges of the square
  EXPECT_TRUE(Same(polys[1].points, P({10, 10, 20, 10, 20, 20, 10, 20})));
  EXPECT_EQ(polys[2].mode, CD_FILL);  // both squares in one fill
  EXPECT_TRUE(Same(polys[2].points, P({30, 30, 40, 30, 40, 40, 30, 40, 30, 30,
                                       50, 50, 60, 50, 60, 60, 50, 60, 50, 50})));
  EXPECT_EQ(polys[3].mode, CD_OPEN_LINES);
  EXPECT_TRUE(Same(polys[3].points, P({30, 40, 30, 30})));
  EXPECT_TRUE(Same(polys[4].points, P({50, 50, 60, 50})));
}

TEST_F(Player, FontsFromTheFontList) {
  Cgm c;
  c.El(0, 1, Str("t"))
      .El(1, 13, Str("SYSTEM") + Str("TIMES_ROMAN_BOLDITALIC") + Str("COURIER_ITALIC"));
  c.El(0, 3, Str("p")).El(2, 6, Pts({0, 0, 100, 100})).El(0, 4);
  c.El(5, 15, I16(35));  // 3.5 mm at 10 pixels per millimetre: 10 points (of 0.353 mm)
  c.El(5, 10, I16(2)).El(4, 4, Pts({5, 6}) + I16(1) + Str("a"));
  c.El(5, 10, I16(3)).El(4, 4, Pts({5, 6}) + I16(1) + Str("b"));
  c.El(5, 10, I16(9)).El(4, 4, Pts({5, 6}) + I16(1) + Str("c"));  // beyond the list: SYSTEM
  c.End();
  ASSERT_EQ(Play(c.bytes), CD_OK);
  std::vector<Call> texts = Only("text");
  ASSERT_EQ(texts.size(), 3u);
  EXPECT_EQ(texts[0].face, CD_TIMES_ROMAN);
  EXPECT_EQ(texts[0].style, CD_BOLD_ITALIC);
  EXPECT_EQ(texts[0].size, 10);
  EXPECT_EQ(texts[1].face, CD_COURIER);
  EXPECT_EQ(texts[1].style, CD_ITALIC);
  EXPECT_EQ(texts[2].face, CD_SYSTEM);
  EXPECT_EQ(texts[2].style, CD_PLAIN);
  Cgm none;
  none.Start().El(5, 10, I16(2)).El(4, 4, Pts({5, 6}) + I16(1) + Str("d")).End();
  ASSERT_EQ(Play(none.bytes), CD_OK);
  ASSERT_EQ(Only("text").size(), 1u);
  EXPECT_EQ(Only("text")[0].face, CD_SYSTEM);
  EXPECT_EQ(Only("text")[0].style, CD_PLAIN);
}

TEST_F(Player, TextPiecesAreDrawnWhole) {
  Cgm c;
  c.Start().El(4, 4, Pts({5, 6}) + I16(0) + Str("first "));
  c.El(4, 6, I16(0) + Str("second ")).El(4, 6, I16(1) + Str("third")).End();
  ASSERT_EQ(Play(c.bytes), CD_OK);
  ASSERT_EQ(Only("text").size(), 1u);
  EXPECT_EQ(Only("text")[0].text, "first second third");
  // and as the writer cuts them in clear text
  std::string path = Scratch("long_text.cgm");
  std::string data = path + " 10x10 10 -t";
  cdCanvasHandle w = cdCreateCanvas(CD_CGM, (void*)data.c_str());
  ASSERT_NE(w, nullptr);
  cdActivate(w);
  std::string s;
  for (int i = 0; i < 120; i++) s += char('a' + i % 26);
  cdText(5, 6, s.c_str());
  cdKillCanvas(w);
  cdActivate(cv);
  ASSERT_EQ(Play(ReadFile(path)), CD_OK);
  ASSERT_EQ(Only("text").size(), 1u);
  EXPECT_EQ(Only("text")[0].text, s);
}

TEST_F(Player, HollowStyle) {
  Cgm c;
  c.Start().El(5, 22, I16(0)).El(5, 23, U8(2));     // hollow, fill colour index 2 (black)
  c.El(5, 34, U8(2) + std::string("\0\xff\0", 3));  // entry 2 green
  c.El(4, 7, Pts({10, 10, 20, 10, 15, 20}));        // nothing: hollow and no edge
  c.El(4, 11, Pts({30, 30, 40, 45}));               // an outline
  c.El(4, 12, Pts({70, 70}) + I16(10));             // an outline
  c.End();
  ASSERT_EQ(Play(c.bytes), CD_OK);
  std::vector<Call> polys = Only("poly");
  ASSERT_EQ(polys.size(), 2u);
  EXPECT_EQ(polys[0].mode, CD_CLOSED_LINES);
  EXPECT_TRUE(Same(polys[0].points, P({30, 30, 40, 30, 40, 45, 30, 45})));
  EXPECT_EQ(polys[0].color, 0x00FF00);
  EXPECT_EQ(polys[1].mode, CD_CLOSED_LINES);
  EXPECT_EQ(polys[1].color, 0x00FF00);
}

TEST_F(Player, FullCircleIsThirtyFourPoints) {
  Cgm c;
  c.Start().El(5, 22, I16(1)).El(4, 12, Pts({50, 50}) + I16(40)).End();
  ASSERT_EQ(Play(c.bytes), CD_OK);
  ASSERT_EQ(Only("poly").size(), 1u);
  const std::vector<cdPoint> got = Only("poly")[0].points;
  std::vector<cdPoint> want;
  auto at = [&](double a) {
    want.push_back({int(std::floor(50 + 40 * std::cos(a) + 0.5)),
                    int(std::floor(50 + 40 * std::sin(a) + 0.5))});
  };
  for (int k = 0; k <= 32; k++) at(k * 0.19634954084936207);
  at(6.2831862);
  ASSERT_EQ(got.size(), want.size());
  for (size_t i = 0; i < got.size(); i++) {
    EXPECT_EQ(got[i].x, want[i].x) << i;
    EXPECT_EQ(got[i].y, want[i].y) << i;
  }
}

TEST_F(Player, MarkerTypes) {
  Cgm c;
  c.Start();
  c.El(5, 7, I32(20) + I32(0));  // scaled size 20: 10 pixels
  for (int type = 1; type <= 5; type++) c.El(5, 6, I16(type)).El(4, 3, Pts({type * 10, 10}));
  c.End();
  ASSERT_EQ(Play(c.bytes), CD_OK);
  std::vector<Call> marks = Only("mark");
  ASSERT_EQ(marks.size(), 5u);
  const int want[5] = {CD_STAR, CD_PLUS, CD_STAR, CD_CIRCLE,
                       CD_X};  // dot, plus, asterisk, circle, cross
  for (int i = 0; i < 5; i++) EXPECT_EQ(marks[size_t(i)].mark_type, want[i]) << i + 1;
}

TEST_F(Player, TextAlignmentTable) {
  const int want[3][6] = {
      {CD_CENTER, CD_NORTH, CD_NORTH, CD_CENTER, CD_SOUTH, CD_SOUTH},
      {CD_WEST, CD_NORTH_WEST, CD_NORTH_WEST, CD_WEST, CD_SOUTH_WEST, CD_SOUTH_WEST},
      {CD_EAST, CD_NORTH_EAST, CD_NORTH_EAST, CD_EAST, CD_SOUTH_EAST, CD_SOUTH_EAST}};
  const int horizontal[3] = {2, 1, 3};
  for (int h = 0; h < 3; h++)
    for (int v = 0; v < 6; v++) {
      Cgm c;
      c.Start().El(5, 18, I16(horizontal[h]) + I16(v) + I32(0) + I32(0) + I32(0) + I32(0));
      c.El(5, 18, I16(4) + I16(v) + std::string(16, '\0'));  // continuous: unchanged
      c.El(4, 4, Pts({5, 6}) + I16(1) + Str("x")).End();
      ASSERT_EQ(Play(c.bytes), CD_OK);
      ASSERT_EQ(Only("text").size(), 1u);
      EXPECT_EQ(Only("text")[0].alignment, want[h][v]) << h << " " << v;
    }
}

int elements = 0;
int stop_at = 0;
int CountElements(void*, double percent) {
  EXPECT_GE(percent, 0.0);
  EXPECT_LE(percent, 100.0);
  return ++elements == stop_at ? CDPLAY_ABORT : CDPLAY_GO;  // the result is ignored
}
std::string picture_name;
int picture_result = CDPLAY_GO;
int BeginPicture(void*, char* name) {
  picture_name = name;
  return picture_result;
}
int size_w, size_h;
double size_wmm, size_hmm;
int SizeOf(cdCanvasHandle, int w, int h, double wmm, double hmm) {
  size_w = w, size_h = h, size_wmm = wmm, size_hmm = hmm;
  return CDPLAY_GO;
}
int Extent(void*, short type, double* x1, double* y1, double* x2, double* y2) {
  EXPECT_EQ(type, 0);
  EXPECT_EQ(*x2, 100);
  *x1 = 0, *y1 = 0, *x2 = 200, *y2 = 200;  // the picture at half size
  return CDPLAY_GO;
}
int scaling_mode = -1;
int Scaling(void*, short mode, short* draw_mode, double* factor) {
  scaling_mode = mode;
  EXPECT_EQ(*draw_mode, 0);
  *factor = 2.0;
  return CDPLAY_GO;
}

TEST_F(Player, CallbacksAndTheirStopRule) {
  cdRegisterCallback(CD_CGM, CD_CGMCOUNTERCB, Cb(CountElements));
  cdRegisterCallback(CD_CGM, CD_CGMBEGPICTCB, Cb(BeginPicture));
  cdRegisterCallback(CD_CGM, CD_SIZECB, Cb(SizeOf));
  cdRegisterCallback(CD_CGM, CD_CGMVDCEXTCB, Cb(Extent));
  cdRegisterCallback(CD_CGM, CD_CGMSCLMDECB, Cb(Scaling));
  EXPECT_EQ(cdRegisterCallback(CD_CGM, 7, nullptr), CD_ERROR);
  Cgm c;
  c.El(0, 1, Str("t")).El(0, 3, Str("first")).El(2, 1, I16(1) + F32(0.5f));
  c.El(2, 6, Pts({0, 0, 100, 100})).El(0, 4).Line(10, 10, 100, 100).End();
  elements = 0, stop_at = 3;
  ASSERT_EQ(Play(c.bytes), CD_OK);
  EXPECT_EQ(elements, 8);  // every element, the counter's result ignored
  EXPECT_EQ(picture_name, "first");
  EXPECT_EQ(scaling_mode, 1);
  EXPECT_EQ(size_w, 200);  // the extent as the callback left it
  EXPECT_EQ(size_h, 200);
  EXPECT_DOUBLE_EQ(size_wmm, 400.0);  // metric: the factor the callback set times the width
  ASSERT_EQ(Only("poly").size(), 1u);
  EXPECT_TRUE(Same(Only("poly")[0].points, P({5, 5, 50, 50})));
  // a picture callback returning 1 stops the play before anything is drawn
  picture_result = CDPLAY_ABORT;
  ASSERT_EQ(Play(c.bytes), CD_OK);
  EXPECT_TRUE(Only("poly").empty());
  picture_result = CDPLAY_GO;
}

// ISO 8632-3 writes the metric factor in floating point; a writer that
// follows the real precision (fixed point 32.32 here) is read too.
TEST_F(Player, MetricFactorInBothForms) {
  cdRegisterCallback(CD_CGM, CD_SIZECB, Cb(SizeOf));
  for (const std::string& factor : {F32(0.25f), I32(0) + I32(0x40000000L)}) {
    Cgm c;
    c.El(0, 1, Str("t")).El(0, 3, Str("p")).El(2, 1, I16(1) + factor);
    c.El(2, 6, Pts({0, 0, 100, 100})).El(0, 4).End();
    size_wmm = 0;
    ASSERT_EQ(Play(c.bytes), CD_OK);
    EXPECT_DOUBLE_EQ(size_wmm, 25.0) << factor.size();
  }
  // clear text has the one form, a real number
  size_wmm = 0;
  ASSERT_EQ(Play("BEGMF 't'; BEGPIC 'p'; SCALEMODE metric 0.25; VDCEXT (0,0) (100,100);\n"
                 "BEGPICBODY; ENDPIC; ENDMF;"),
            CD_OK);
  EXPECT_DOUBLE_EQ(size_wmm, 25.0);
}

TEST_F(Player, SecondPictureFlushesAndClips) {
  Cgm c;
  c.Start().Line(1, 1, 2, 2).El(0, 5).El(0, 3, Str("q")).El(0, 4).Line(3, 3, 4, 4).End();
  ASSERT_EQ(Play(c.bytes), CD_OK);
  EXPECT_EQ(Only("flush").size(), 1u);
  EXPECT_EQ(Only("poly").size(), 2u);
}

TEST_F(Player, EmptyRectangleIsRefused) {
  Cgm c;
  c.Start().Line(1, 1, 2, 2).End();
  EXPECT_EQ(Play(c.bytes, 5, 5, 0, 10), CD_ERROR);
  EXPECT_TRUE(Only("poly").empty());
  EXPECT_EQ(cdPlay(CD_CGM, 0, 10, 0, 10, (void*)"/nonexistent/file.cgm"), CD_ERROR);
}

}  // namespace
