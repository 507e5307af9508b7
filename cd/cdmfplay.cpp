/* The metafile player: reads the records of a CD metafile from memory and
 * replays each through the public API into the active canvas, positions
 * and sizes scaled into the rectangle given. Everything read is checked
 * before it is used: counts against the bytes left, values against their
 * ranges; a record that cannot be read ends the play with CD_ERROR. */
#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "cdmf.h"
#include "cdmfplay.h"
#include "vectortext.h"
#include "wd.h"

namespace {

cdSizeCallback size_callback = nullptr;

constexpr int kMaxFontSize = 32767; /* points or pixels; larger sizes are not fonts */

bool Blank(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

class Reader {
 public:
  Reader(const char* data, size_t size) : text_(data, size) {}

  /* true when only blanks are left */
  bool AtEnd() {
    SkipBlanks();
    return pos_ >= text_.size();
  }
  size_t Remaining() const { return text_.size() - pos_; }

  bool Word(std::string& word) {
    SkipBlanks();
    size_t start = pos_;
    while (pos_ < text_.size() && !Blank(text_[pos_]) && pos_ - start < 16) pos_++;
    word.assign(text_, start, pos_ - start);
    return !word.empty();
  }

  bool Int(int& value) {
    SkipBlanks();
    if (pos_ >= text_.size()) return false;
    const char* start = text_.c_str() + pos_;
    char* end = nullptr;
    long long v = std::strtoll(start, &end, 10);
    if (end == start || v < INT_MIN || v > INT_MAX) return false;
    pos_ += size_t(end - start);
    value = int(v);
    return true;
  }

  bool IntIn(int& value, int low, int high) { return Int(value) && value >= low && value <= high; }

  bool Real(double& value) {
    SkipBlanks();
    if (pos_ >= text_.size()) return false;
    const char* start = text_.c_str() + pos_;
    char* end = nullptr;
    double v = std::strtod(start, &end);
    if (end == start || !std::isfinite(v)) return false;
    pos_ += size_t(end - start);
    value = v;
    return true;
  }

  bool Color(long& color) {
    int r, g, b;
    if (!IntIn(r, 0, 255) || !IntIn(g, 0, 255) || !IntIn(b, 0, 255)) return false;
    color = cdEncodeColor((unsigned char)r, (unsigned char)g, (unsigned char)b);
    return true;
  }

  /* the text field: after one blank, everything up to the line's end */
  std::string RestOfLine() {
    if (pos_ < text_.size() && (text_[pos_] == ' ' || text_[pos_] == '\t')) pos_++;
    size_t end = text_.find('\n', pos_);
    if (end == std::string::npos) end = text_.size();
    std::string line = text_.substr(pos_, end - pos_);
    pos_ = end < text_.size() ? end + 1 : end;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    return line;
  }

 private:
  void SkipBlanks() {
    while (pos_ < text_.size() && Blank(text_[pos_])) pos_++;
  }
  std::string text_; /* a copy: terminated, so the number readers stop */
  size_t pos_ = 0;
};

/* multi-line texts come with \n for a line break and \\ for a backslash */
std::string Unescape(const std::string& s) {
  std::string out;
  for (size_t i = 0; i < s.size(); i++) {
    if (s[i] == '\\' && i + 1 < s.size() && (s[i + 1] == 'n' || s[i + 1] == '\\')) {
      out += s[i + 1] == 'n' ? '\n' : '\\';
      i++;
    } else {
      out += s[i];
    }
  }
  return out;
}

/* Positions and sizes from a file stay within +-(2^30 - 1): far beyond any
 * surface, and the difference of two of them still fits an int, which the
 * rasteriser's edge arithmetic needs. */
constexpr int kMaxCoordinate = (1 << 30) - 1;

int Saturate(double v) {
  if (std::isnan(v)) return 0;
  if (v >= kMaxCoordinate) return kMaxCoordinate;
  if (v <= -kMaxCoordinate) return -kMaxCoordinate;
  return int(v);
}

struct Mapping {
  double sx = 1, sy = 1, factor = 1;
  int xmin = 0, ymin = 0;
  int X(int x) const { return Saturate(std::floor(x * sx + xmin + 0.5)); }
  int Y(int y) const { return Saturate(std::floor(y * sy + ymin + 0.5)); }
  int W(int w) const { return Saturate(std::floor(w * sx + 0.5)); }
  int H(int h) const { return Saturate(std::floor(h * sy + 0.5)); }
  int Width(int v) const { return std::max(1, Saturate(std::floor(v * factor + 0.5))); }
};

/* True when `count` items of `values` numbers each can still be in the
 * input, every number taking at least two bytes ("0 "): sizes are checked
 * before anything is allocated. */
bool Fits(const Reader& in, long long count, int values = 1) {
  long long room = (long long)(in.Remaining() / 2) + 1;
  return count >= 0 && count <= room / values;
}

/* records 29 (RGB), 35 (RGBA) and 30 (indexed) */
bool PlayImage(Reader& in, const Mapping& m, int code) {
  int cols, rows, x, y, w, h;
  if (!in.Int(cols) || !in.Int(rows) || !in.Int(x) || !in.Int(y) || !in.Int(w) || !in.Int(h))
    return false;
  if (cols <= 0 || rows <= 0 || w < 0 || h < 0) return false;
  int channels = code == 29 ? 3 : code == 35 ? 4 : 1;
  long long cells = (long long)cols * rows;
  if (!Fits(in, cells, channels)) return false;
  std::vector<unsigned char> planes(size_t(cells) * size_t(channels));
  unsigned char* r = planes.data();
  unsigned char* g = channels >= 3 ? r + cells : nullptr;
  unsigned char* b = channels >= 3 ? g + cells : nullptr;
  unsigned char* a = channels == 4 ? b + cells : nullptr;
  unsigned char* planev[4] = {r, g, b, a};
  int largest = 0;
  for (long long i = 0; i < cells; i++)
    for (int c = 0; c < channels; c++) {
      int v;
      if (!in.IntIn(v, 0, 255)) return false;
      planev[c][i] = (unsigned char)v;
      largest = std::max(largest, v);
    }
  int px = m.X(x), py = m.Y(y), pw = m.W(w), ph = m.H(h);
  if (code == 30) {
    std::vector<long> colors(256, 0);
    for (int i = 0; i <= largest; i++)
      if (!in.Color(colors[size_t(i)])) return false;
    cdPutImageRectMap(cols, rows, r, colors.data(), px, py, pw, ph, 0, cols - 1, 0, rows - 1);
  } else if (code == 29) {
    cdPutImageRectRGB(cols, rows, r, g, b, px, py, pw, ph, 0, cols - 1, 0, rows - 1);
  } else {
    cdPutImageRectRGBA(cols, rows, r, g, b, a, px, py, pw, ph, 0, cols - 1, 0, rows - 1);
  }
  return true;
}

/* one record after its code; false when it cannot be read */
bool PlayRecord(Reader& in, const Mapping& m, int code) {
  int i1, i2, i3, i4, i5, i6;
  double d1, d2, d3, d4, d5, d6;
  auto ints = [&](int n) {
    int* v[6] = {&i1, &i2, &i3, &i4, &i5, &i6};
    for (int k = 0; k < n; k++)
      if (!in.Int(*v[k])) return false;
    return true;
  };
  auto reals = [&](int n) {
    double* v[6] = {&d1, &d2, &d3, &d4, &d5, &d6};
    for (int k = 0; k < n; k++)
      if (!in.Real(*v[k])) return false;
    return true;
  };
  switch (code) {
    case 0:
      cdFlush();
      return true;
    case 1:
      cdClear();
      return true;
    case 2:
      if (!in.IntIn(i1, 0, 2)) return false;
      cdClip(i1);
      return true;
    case 3:
      if (!ints(4)) return false;
      cdClipArea(m.X(i1), m.X(i2), m.Y(i3), m.Y(i4));
      return true;
    case 4:
      if (!ints(4)) return false;
      cdLine(m.X(i1), m.Y(i2), m.X(i3), m.Y(i4));
      return true;
    case 5:
    case 34:
      if (!ints(4)) return false;
      (code == 5 ? cdBox : cdRect)(m.X(i1), m.X(i2), m.Y(i3), m.Y(i4));
      return true;
    case 6:
    case 7:
      if (!ints(4) || !in.Real(d1) || !in.Real(d2)) return false;
      (code == 6 ? cdArc : cdSector)(m.X(i1), m.Y(i2), m.W(i3), m.H(i4), d1, d2);
      return true;
    case 8:
      if (!ints(2)) return false;
      cdText(m.X(i1), m.Y(i2), in.RestOfLine().c_str());
      return true;
    case 9:
      if (!in.IntIn(i1, CD_FILL, CD_CLIP)) return false;
      cdBegin(i1);
      return true;
    case 10:
      if (!ints(2)) return false;
      cdVertex(m.X(i1), m.Y(i2));
      return true;
    case 11:
      cdEnd();
      return true;
    case 12:
      if (!ints(2)) return false;
      cdMark(m.X(i1), m.Y(i2));
      return true;
    case 13:
      if (!in.IntIn(i1, CD_OPAQUE, CD_TRANSPARENT)) return false;
      cdBackOpacity(i1);
      return true;
    case 14:
      if (!in.IntIn(i1, CD_REPLACE, CD_NOT_XOR)) return false;
      cdWriteMode(i1);
      return true;
    case 15:
      if (!in.IntIn(i1, CD_CONTINUOUS, CD_DASH_DOT_DOT)) return false;
      cdLineStyle(i1);
      return true;
    case 16:
      if (!in.Int(i1)) return false;
      cdLineWidth(m.Width(i1));
      return true;
    case 17:
      if (!in.IntIn(i1, CD_SOLID, CD_HOLLOW)) return false;
      cdInteriorStyle(i1);
      return true;
    case 18:
      if (!in.IntIn(i1, CD_HORIZONTAL, CD_DIAGCROSS)) return false;
      cdHatch(i1);
      return true;
    case 19: {
      if (!in.Int(i1) || !in.Int(i2) || i1 <= 0 || i2 <= 0) return false;
      long long n = (long long)i1 * i2;
      if (!Fits(in, n)) return false;
      std::vector<unsigned char> cells(static_cast<size_t>(n));
      for (auto& c : cells) {
        int v;
        if (!in.IntIn(v, 0, 1)) return false;
        c = (unsigned char)v;
      }
      cdStipple(i1, i2, cells.data());
      return true;
    }
    case 20: {
      if (!in.Int(i1) || !in.Int(i2) || i1 <= 0 || i2 <= 0) return false;
      long long n = (long long)i1 * i2;
      if (!Fits(in, n, 3)) return false;
      std::vector<long> cells(static_cast<size_t>(n));
      for (auto& c : cells)
        if (!in.Color(c)) return false;
      cdPattern(i1, i2, cells.data());
      return true;
    }
    case 21:
      if (!in.IntIn(i1, CD_SYSTEM, CD_HELVETICA) || !in.IntIn(i2, CD_PLAIN, CD_BOLD_ITALIC) ||
          !in.IntIn(i3, -kMaxFontSize, kMaxFontSize))
        return false;
      cdFont(i1, i2, i3);
      return true;
    case 22:
      cdNativeFont(in.RestOfLine().c_str());
      return true;
    case 23:
      if (!in.IntIn(i1, CD_NORTH, CD_BASE_RIGHT)) return false;
      cdTextAlignment(i1);
      return true;
    case 24:
      if (!in.IntIn(i1, CD_PLUS, CD_HOLLOW_DIAMOND)) return false;
      cdMarkType(i1);
      return true;
    case 25:
      if (!in.Int(i1)) return false;
      cdMarkSize(m.Width(i1));
      return true;
    case 26: {
      if (!in.Int(i1) || !in.IntIn(i2, CD_POLITE, CD_FORCE) || i1 <= 0) return false;
      if (!Fits(in, i1, 3)) return false;
      std::vector<long> colors(static_cast<size_t>(i1));
      for (auto& c : colors)
        if (!in.Color(c)) return false;
      cdPalette(i1, colors.data(), i2);
      return true;
    }
    case 27:
    case 28: {
      long color;
      if (!in.Color(color)) return false;
      (code == 27 ? cdBackground : cdForeground)(color);
      return true;
    }
    case 29:
    case 30:
    case 35:
      return PlayImage(in, m, code);
    case 31: {
      long color;
      if (!ints(2) || !in.Color(color)) return false;
      cdPixel(m.X(i1), m.Y(i2), color);
      return true;
    }
    case 32:
      if (!ints(6)) return false;
      cdScrollArea(m.X(i1), m.X(i2), m.Y(i3), m.Y(i4), m.W(i5), m.H(i6));
      return true;
    case 33:
      if (!in.Real(d1)) return false;
      cdTextOrientation(d1);
      return true;
    case 36:
      if (!reals(4)) return false;
      wdLine(d1, d2, d3, d4);
      return true;
    case 37:
    case 38:
      if (!reals(4)) return false;
      (code == 37 ? wdRect : wdBox)(d1, d2, d3, d4);
      return true;
    case 39:
    case 40:
      if (!reals(6)) return false;
      (code == 39 ? wdArc : wdSector)(d1, d2, d3, d4, d5, d6);
      return true;
    case 41:
      if (!reals(2)) return false;
      wdText(d1, d2, in.RestOfLine().c_str());
      return true;
    case 42:
      if (!reals(2)) return false;
      wdVertex(d1, d2);
      return true;
    case 43:
      if (!reals(2)) return false;
      wdMark(d1, d2);
      return true;
    case 44:
    case 45: {
      if (!ints(2)) return false;
      std::string s = in.RestOfLine();
      if (code == 44)
        cdVectorText(i1, i2, s.c_str());
      else
        cdMultiLineVectorText(i1, i2, Unescape(s).c_str());
      return true;
    }
    case 46:
    case 47: {
      if (!reals(2)) return false;
      std::string s = in.RestOfLine();
      if (code == 46)
        wdVectorText(d1, d2, s.c_str());
      else
        wdMultiLineVectorText(d1, d2, Unescape(s).c_str());
      return true;
    }
    case 48:
    case 49:
      if (!reals(4)) return false;
      (code == 48 ? wdWindow : wdClipArea)(d1, d2, d3, d4);
      return true;
    case 50: {
      std::string name = in.RestOfLine();
      cdVectorFont(name.empty() ? nullptr : name.c_str());
      return true;
    }
    case 51:
      if (!ints(4)) return false;
      cdVectorTextDirection(i1, i2, i3, i4);
      return true;
    case 52: {
      double matrix[9];
      for (double& v : matrix)
        if (!in.Real(v)) return false;
      cdVectorTextTransform(matrix); /* the first six; the last three are not used */
      return true;
    }
    case 53:
      if (!ints(2)) return false;
      cdVectorTextSize(i1, i2, in.RestOfLine().c_str());
      return true;
    case 54:
      if (!in.Int(i1)) return false;
      cdVectorCharSize(i1);
      return true;
    case 55:
      if (!reals(4)) return false;
      wdVectorTextDirection(d1, d2, d3, d4);
      return true;
    case 56:
      if (!reals(2)) return false;
      wdVectorTextSize(d1, d2, in.RestOfLine().c_str());
      return true;
    case 57:
      if (!in.Real(d1)) return false;
      wdVectorCharSize(d1);
      return true;
    default:
      return false; /* not a record code */
  }
}

}  // namespace

extern "C" int cdPlayMetafileBuffer(int xmin, int xmax, int ymin, int ymax, const char* data,
                                    size_t size) {
  if (!data || !cdActiveCanvas()) return CD_ERROR;
  Reader in(data, size);
  std::string word;
  int w_file = 0, h_file = 0;
  if (!in.Word(word) || word != "CDMF" || !in.Int(w_file) || !in.Int(h_file)) return CD_ERROR;
  if (w_file < 0 || h_file < 0) return CD_ERROR;
  Mapping m;
  m.xmin = xmin, m.ymin = ymin;
  if (w_file != 0 && h_file != 0 && xmax != 0 && ymax != 0) {
    m.sx = double(xmax - (long long)xmin) / w_file;
    m.sy = double(ymax - (long long)ymin) / h_file;
  }
  m.factor = std::min(m.sx, m.sy);
  /* the file holds pixels only: the two reals are the same values */
  if (size_callback &&
      size_callback(cdActiveCanvas(), w_file, h_file, double(w_file), double(h_file)) != 0)
    return CD_ERROR;
  /* World records keep their values; in a scaled play they land in the
   * recording canvas' viewport mapped like every position, and the
   * canvas' own viewport is given back afterwards. */
  bool scaled = m.sx != 1 || m.sy != 1 || xmin != 0 || ymin != 0;
  int vx1 = 0, vx2 = 0, vy1 = 0, vy2 = 0;
  if (scaled) {
    wdGetViewport(&vx1, &vx2, &vy1, &vy2);
    wdViewport(m.X(0), m.X(w_file - 1), m.Y(0), m.Y(h_file - 1));
  }
  int result = CD_OK;
  while (!in.AtEnd()) {
    int code;
    if (!in.Int(code) || !PlayRecord(in, m, code)) {
      result = CD_ERROR;
      break;
    }
  }
  if (scaled) wdViewport(vx1, vx2, vy1, vy2);
  return result;
}

namespace cdmf {

int PlayFile(int xmin, int xmax, int ymin, int ymax, void* data) {
  const char* name = static_cast<const char*>(data);
  if (!name) return CD_ERROR;
  FILE* f = std::fopen(name, "rb");
  if (!f) return CD_ERROR;
  std::string bytes;
  char chunk[65536];
  size_t n;
  while ((n = std::fread(chunk, 1, sizeof chunk, f)) > 0) bytes.append(chunk, n);
  std::fclose(f);
  return cdPlayMetafileBuffer(xmin, xmax, ymin, ymax, bytes.data(), bytes.size());
}

int RegisterCallback(int cb, cdCallback func) {
  if (cb != CD_SIZECB) return CD_ERROR;
  size_callback = reinterpret_cast<cdSizeCallback>(reinterpret_cast<void*>(func));
  return CD_OK;
}

}  // namespace cdmf
