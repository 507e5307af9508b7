// The built-in stroke font and the reader of font files, on small crafted
// texts (good ones and broken ones).
#include <gtest/gtest.h>

#include <string>

#include "vectortext_font.h"

namespace {

using cdvt::Font;
using cdvt::ParseFont;

std::string Strokes(const cdvt::Glyph& glyph) {
  std::string text;
  for (const cdvt::Stroke& s : glyph.strokes) {
    if (!text.empty()) text += ' ';
    text += s.op + std::to_string(s.x) + "," + std::to_string(s.y);
  }
  return text;
}

TEST(BuiltinFont, MetricsAndTheRowsGivenForIt) {
  const Font& font = cdvt::BuiltinFont();
  EXPECT_EQ(font.name, "Simplex II");
  EXPECT_EQ(font.top, 28);
  EXPECT_EQ(font.cap, 28);
  EXPECT_EQ(font.half, 14);
  EXPECT_EQ(font.bottom, -7);
  EXPECT_EQ(Strokes(font.glyphs['A']), "m16,0 l8,21 l0,0 m3,7 l13,7");
  EXPECT_EQ(Strokes(font.glyphs['I']), "m0,21 l0,0");
  EXPECT_EQ(Strokes(font.glyphs['1']), "m0,17 l2,18 l5,21 l5,0");
  EXPECT_EQ(Strokes(font.glyphs['-']), "m0,9 l18,9");
  EXPECT_EQ(Strokes(font.glyphs['.']), "m1,2 l0,1 l1,0 l2,1 l1,2");
  EXPECT_EQ(font.glyphs[' '].width, 12);
  EXPECT_TRUE(font.glyphs[' '].strokes.empty());
}

TEST(BuiltinFont, PrintableWidthsAndCoverage) {
  const int widths[95] = {12, 6,  14, 18, 17, 21, 22, 6,  10, 11, 13, 22, 6,  22, 6,  14,
                          17, 14, 17, 17, 17, 17, 16, 17, 17, 17, 6,  6,  20, 22, 20, 15,
                          24, 19, 17, 19, 17, 15, 14, 18, 18, 4,  14, 17, 13, 20, 18, 19,
                          17, 19, 17, 17, 15, 18, 17, 22, 17, 17, 17, 7,  14, 8,  19, 17,
                          6,  16, 15, 15, 16, 15, 10, 16, 15, 7,  9,  13, 4,  26, 15, 16,
                          15, 16, 9,  14, 10, 15, 14, 19, 14, 15, 14, 10, 4,  9,  14};
  const Font& font = cdvt::BuiltinFont();
  for (int code = 32; code <= 126; ++code) {
    EXPECT_EQ(font.glyphs[code].width, widths[code - 32]) << "code " << code;
  }
  int with_strokes = 0;
  for (int code = 0; code < 256; ++code) {
    const cdvt::Glyph& glyph = font.glyphs[code];
    if (glyph.strokes.empty()) continue;
    ++with_strokes;
    EXPECT_EQ(glyph.strokes.front().op, 'm') << "code " << code;
    EXPECT_GT(glyph.width, 0) << "code " << code;
    for (const cdvt::Stroke& s : glyph.strokes) {
      EXPECT_GE(s.y, font.bottom) << "code " << code;
      EXPECT_LE(s.y, font.top) << "code " << code;
    }
  }
  EXPECT_EQ(with_strokes, 222);
  for (int code = 0; code < 32; ++code) EXPECT_TRUE(font.glyphs[code].strokes.empty());
  EXPECT_TRUE(font.glyphs[160].strokes.empty());
}

TEST(FontFile, NameMetricsAndGlyphs) {
  std::optional<Font> font = ParseFont(
      "My Stroke Font\r\n"
      "20 18 9 -5\n"
      "65 12 6 3  m 0 0  l 6 20 l 12 0\n"
      "255 8 4 2 m -3 -5 l 127 -128\n");
  ASSERT_TRUE(font);
  EXPECT_EQ(font->name, "My Stroke Font");
  EXPECT_EQ(font->top, 20);
  EXPECT_EQ(font->cap, 18);
  EXPECT_EQ(font->half, 9);
  EXPECT_EQ(font->bottom, -5);
  EXPECT_EQ(font->glyphs['A'].width, 12);
  EXPECT_EQ(font->glyphs['A'].half_width, 6);
  EXPECT_EQ(Strokes(font->glyphs['A']), "m0,0 l6,20 l12,0");
  // The last code of the table is stored like any other.
  EXPECT_EQ(Strokes(font->glyphs[255]), "m-3,-5 l127,-128");
  EXPECT_EQ(font->glyphs['B'].width, 0);  // not described
  EXPECT_TRUE(font->glyphs['B'].strokes.empty());
}

TEST(FontFile, LayoutsThatRead) {
  struct Case {
    const char* what;
    const char* text;
    const char* name;
    int glyph_a_width;
  };
  const Case cases[] = {
      {"no name line", "28 28 14 -7\n65 19 9 0\n", "Unknown", 19},
      {"metrics over several lines", "Spread\n28\n28\n14\n-7\n65 5 2 0", "Spread", 5},
      {"a name starting with a digit", "3D lines\n28 28 14 -7\n65 7 3 0\n", "3D lines", 7},
      {"garbage after the last record ends the font", "F\n28 28 14 -7\n65 9 4 0\nend of font\n",
       "F", 9},
      {"a record cut before its four numbers ends the font", "F\n28 28 14 -7\n65 9 4 0\n66 3", "F",
       9},
  };
  for (const Case& c : cases) {
    std::optional<Font> font = ParseFont(c.text);
    ASSERT_TRUE(font) << c.what;
    EXPECT_EQ(font->name, c.name) << c.what;
    EXPECT_EQ(font->glyphs['A'].width, c.glyph_a_width) << c.what;
  }
}

TEST(FontFile, BrokenFilesAreRefused) {
  struct Case {
    const char* what;
    std::string text;
  };
  const Case cases[] = {
      {"empty", ""},
      {"name only", "Only a name\n"},
      {"three metrics", "F\n28 28 14\n"},
      {"code beyond the table", "F\n28 28 14 -7\n256 10 5 0\n"},
      {"negative code", "F\n28 28 14 -7\n-1 10 5 0\n"},
      {"negative stroke count", "F\n28 28 14 -7\n65 10 5 -2\n"},
      {"stroke count beyond the file", "F\n28 28 14 -7\n65 10 5 1000000000\nm 0 0\n"},
      {"strokes cut short", "F\n28 28 14 -7\n65 10 5 3\nm 0 0 l 1 1\n"},
      {"stroke missing its y", "F\n28 28 14 -7\n65 10 5 1\nm 0\n"},
      {"coordinate beyond a signed byte", "F\n28 28 14 -7\n65 10 5 1\nm 128 0\n"},
      {"number beyond int", "F\n28 28 14 99999999999\n"},
  };
  for (const Case& c : cases) EXPECT_FALSE(ParseFont(c.text)) << c.what;
}

TEST(FontFile, LongNameLineIsCutToTheNameField) {
  std::string name(400, 'n');
  std::optional<Font> font = ParseFont(name + "\n28 28 14 -7\n");
  ASSERT_TRUE(font);
  EXPECT_EQ(font->name, std::string(255, 'n'));
}

}  // namespace
