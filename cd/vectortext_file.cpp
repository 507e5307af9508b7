// The reader of vector-font files: plain text, whitespace-separated fields.
// Every value read from the file is checked before it is used.
#include <cctype>
#include <cerrno>
#include <climits>
#include <cstdlib>

#include "vectortext_font.h"

namespace cdvt {
namespace {

class Cursor {
 public:
  explicit Cursor(const std::string& text) : text_(text) {}

  std::size_t position() const { return pos_; }
  void Seek(std::size_t pos) { pos_ = pos; }

  bool ReadInt(int* value) {
    SkipBlanks();
    if (pos_ >= text_.size()) return false;
    const char* start = text_.c_str() + pos_;
    char* end = nullptr;
    errno = 0;
    long number = std::strtol(start, &end, 10);
    if (end == start || errno == ERANGE || number < INT_MIN || number > INT_MAX) return false;
    pos_ += static_cast<std::size_t>(end - start);
    *value = static_cast<int>(number);
    return true;
  }

  // The first non-blank character.
  bool ReadChar(char* value) {
    SkipBlanks();
    if (pos_ >= text_.size()) return false;
    *value = text_[pos_++];
    return true;
  }

  std::string ReadLine() {
    std::size_t end = text_.find('\n', pos_);
    if (end == std::string::npos) end = text_.size();
    std::string line = text_.substr(pos_, end - pos_);
    pos_ = end < text_.size() ? end + 1 : end;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    return line;
  }

  std::size_t Remaining() const { return text_.size() - pos_; }

 private:
  void SkipBlanks() {
    while (pos_ < text_.size() && std::isspace(static_cast<unsigned char>(text_[pos_]))) ++pos_;
  }

  const std::string& text_;
  std::size_t pos_ = 0;
};

bool ReadMetrics(Cursor& in, Font& font) {
  return in.ReadInt(&font.top) && in.ReadInt(&font.cap) && in.ReadInt(&font.half) &&
         in.ReadInt(&font.bottom);
}

bool FitsSignedByte(int v) {
  return v >= -128 && v <= 127;
}

// One stroke record; false when it is cut short or out of range.
bool ReadStroke(Cursor& in, Stroke* stroke) {
  char op = 0;
  int x = 0, y = 0;
  if (!in.ReadChar(&op) || !in.ReadInt(&x) || !in.ReadInt(&y)) return false;
  if (!FitsSignedByte(x) || !FitsSignedByte(y)) return false;
  *stroke = Stroke{op, static_cast<signed char>(x), static_cast<signed char>(y)};
  return true;
}

}  // namespace

std::optional<Font> ParseFont(const std::string& text) {
  Font font;
  Cursor in(text);
  if (ReadMetrics(in, font)) {
    font.name = "Unknown";
  } else {
    in.Seek(0);
    font.name = in.ReadLine();
    if (font.name.size() > kMaxFontName) font.name.resize(kMaxFontName);
    if (!ReadMetrics(in, font)) return std::nullopt;
  }
  for (;;) {
    int code = 0, width = 0, half_width = 0, count = 0;
    if (!in.ReadInt(&code) || !in.ReadInt(&width) || !in.ReadInt(&half_width) ||
        !in.ReadInt(&count)) {
      break;  // the end of the font
    }
    if (code < 0 || code > 255 || count < 0) return std::nullopt;
    // A stroke takes at least four characters ("l0 0"): a count beyond what
    // the rest of the file can hold is a broken file, not an allocation.
    if (static_cast<std::size_t>(count) > in.Remaining() / 4 + 1) return std::nullopt;
    Glyph glyph;
    glyph.width = width;
    glyph.half_width = half_width;
    glyph.strokes.resize(static_cast<std::size_t>(count));
    for (Stroke& stroke : glyph.strokes) {
      if (!ReadStroke(in, &stroke)) return std::nullopt;
    }
    font.glyphs[static_cast<std::size_t>(code)] = std::move(glyph);
  }
  return font;
}

std::optional<Font> ReadFontFile(std::FILE* file) {
  std::string text;
  char buffer[4096];
  std::size_t got = 0;
  while ((got = std::fread(buffer, 1, sizeof buffer, file)) > 0) text.append(buffer, got);
  if (std::ferror(file)) return std::nullopt;
  return ParseFont(text);
}

}  // namespace cdvt
