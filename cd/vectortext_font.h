// Stroke fonts of the vector text: glyph records, the built-in font and the
// reader of font files. Used by vectortext.cpp and its tests.
#ifndef VARKO_CD_VECTORTEXT_FONT_H
#define VARKO_CD_VECTORTEXT_FONT_H

#include <array>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

namespace cdvt {

inline constexpr const char* kBuiltinFontName = "Simplex II";
// The longest font name kept (the rest of a longer name line is dropped).
inline constexpr std::size_t kMaxFontName = 255;

// One stroke: 'm' starts a new polyline at the point, any other operation
// continues the polyline to it. x, y in font units from the glyph origin.
struct Stroke {
  char op;
  signed char x;
  signed char y;
};

struct Glyph {
  int width = 0;       // advance, font units
  int half_width = 0;  // kept from the file; drawing does not use it
  std::vector<Stroke> strokes;
};

struct Font {
  std::string name;
  int top = 0;     // cell height above the baseline; the unit of size
  int cap = 0;     // with bottom, the vertical centre
  int half = 0;    // kept; drawing does not use it
  int bottom = 0;  // lowest point, below the baseline (negative)
  std::array<Glyph, 256> glyphs;
};

const Font& BuiltinFont();

// Reads a font file's text (see ParseFont for the layout). nullopt when the
// text is not a font: metrics missing, a glyph code outside 0..255, a negative
// stroke count, a stroke cut short or a coordinate beyond a signed byte.
//
// Layout: an optional name line; four integers top cap half bottom (the font
// is then "Unknown" when there was no name line); then glyph records, each
// four integers code width half_width n and n strokes (an operation
// character and two integers). The first record that does not start with
// four integers ends the font.
std::optional<Font> ParseFont(const std::string& text);
// The whole file through ParseFont; nullopt when it cannot be read.
std::optional<Font> ReadFontFile(std::FILE* file);

}  // namespace cdvt

#endif
