// Vector text: the per-canvas state, sizes, direction and matrix, and the
// drawing of one or several lines as polylines through cdBegin/cdVertex/cdEnd
// (device pixels) or cdBegin/wdVertex/cdEnd (world units).
#include "vectortext.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>
#include <optional>
#include <string>

#include "cddriver.h"
#include "vectortext_font.h"
#include "wd.h"

namespace cdvt {
namespace {

// Names longer than this are refused: a font is known by its file name,
// and a name that cannot be stored whole cannot be compared either.
constexpr std::size_t kMaxFileName = 255;
// Multi-line text of this many characters or more draws nothing.
constexpr std::size_t kMaxMultiLine = 500;

struct State {
  const Font* font = &BuiltinFont();
  std::unique_ptr<Font> owned;  // a font read from a file
  std::string file_name;        // empty for the built-in font
  double scale_x = 1, scale_y = 1;
  double cos_dir = 1, sin_dir = 0;
  bool use_matrix = false;
  double matrix[6] = {0, 0, 0, 0, 0, 0};
  int char_spacing = 1;
  int line_spacing = 1;
};

void FreeState(void* state) {
  delete static_cast<State*>(state);
}

// The built-in font and the defaults; the matrix setting is kept.
void Reset(State& st) {
  st.font = &BuiltinFont();
  st.owned.reset();
  st.file_name.clear();
  st.scale_x = st.scale_y = 1;
  st.cos_dir = 1;
  st.sin_dir = 0;
  st.char_spacing = st.line_spacing = 1;
}

// The active canvas and its state (made on first use); false when no
// canvas is active or the state cannot be allocated.
bool Active(cdCanvas** canvas, State** state) {
  cdCanvas* cv = cdActiveCanvas();
  if (cv == nullptr) return false;
  if (cv->vector_text == nullptr) {
    State* fresh = new (std::nothrow) State;
    if (fresh == nullptr) return false;
    cv->vector_text = fresh;
    cv->vector_text_free = FreeState;
  }
  *canvas = cv;
  *state = static_cast<State*>(cv->vector_text);
  return true;
}

const std::string& FontDirectory() {
  static const std::string dir = [] {
    const char* env = std::getenv("CDDIR");
    return std::string(env != nullptr ? env : ".");
  }();
  return dir;
}

struct FileCloser {
  void operator()(std::FILE* f) const { std::fclose(f); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

std::optional<Font> LoadFont(const char* name) {
  File file(std::fopen(name, "rb"));
  if (!file) {
    std::string path = FontDirectory() + "/" + name;
    file.reset(std::fopen(path.c_str(), "rb"));
  }
  if (!file) return std::nullopt;
  return ReadFontFile(file.get());
}

const char* VectorFont(const char* name) {
  cdCanvas* cv = nullptr;
  State* st = nullptr;
  if (!Active(&cv, &st)) return nullptr;
  if (cv->ops.VectorFont != nullptr) return cv->ops.VectorFont(cv, name);
  if (name == nullptr) {
    Reset(*st);
    return st->font->name.c_str();
  }
  if (st->file_name == name) return st->font->name.c_str();
  if (std::strlen(name) > kMaxFileName) {
    Reset(*st);
    return nullptr;
  }
  st->file_name = name;
  std::optional<Font> font = LoadFont(name);
  auto owned = font ? std::unique_ptr<Font>(new (std::nothrow) Font(std::move(*font))) : nullptr;
  if (owned == nullptr) {
    Reset(*st);
    return nullptr;
  }
  st->owned = std::move(owned);
  st->font = st->owned.get();
  return st->font->name.c_str();
}

// Sum of (advance + spacing) over the bytes, in font units.
long long TextWidth(const State& st, const char* s, std::size_t n) {
  long long width = 0;
  for (std::size_t i = 0; i < n; ++i) {
    width += st.font->glyphs[static_cast<unsigned char>(s[i])].width + st.char_spacing;
  }
  return width;
}

void SetDirection(State& st, double dx, double dy) {
  double len = std::sqrt(dx * dx + dy * dy);
  if (len == 0) return;  // two equal points give no direction: keep the one in force
  st.cos_dir = dx / len;
  st.sin_dir = dy / len;
}

// Pens: the integer form truncates every displacement before adding it;
// the world form keeps doubles.
// A pen near the ends of int stays there: sums are held within int (NaN
// reads as 0).
int HeldInt(double v) {
  if (!(v == v)) return 0;
  return static_cast<int>(std::clamp(std::trunc(v), double(INT_MIN), double(INT_MAX)));
}
int AddTruncated(int base, double d) {
  return HeldInt(double(base) + HeldInt(d));
}

struct DevicePen {
  int x, y;
  void Move(const State& st, double a, double b) {
    x = AddTruncated(x, st.cos_dir * a - st.sin_dir * b);
    y = AddTruncated(y, st.sin_dir * a + st.cos_dir * b);
  }
  void Vertex(const State& st, double a, double b) const {
    int px = AddTruncated(x, st.cos_dir * a - st.sin_dir * b);
    int py = AddTruncated(y, st.sin_dir * a + st.cos_dir * b);
    if (st.use_matrix) {
      const double* m = st.matrix;
      int tx = HeldInt(m[3] * px + m[4] * py + m[5]);
      int ty = HeldInt(m[0] * px + m[1] * py + m[2]);
      px = tx;
      py = ty;
    }
    cdVertex(px, py);
  }
};

struct WorldPen {
  double x, y;
  void Move(const State& st, double a, double b) {
    x += st.cos_dir * a - st.sin_dir * b;
    y += st.sin_dir * a + st.cos_dir * b;
  }
  void Vertex(const State& st, double a, double b) const {
    double px = x + st.cos_dir * a - st.sin_dir * b;
    double py = y + st.sin_dir * a + st.cos_dir * b;
    if (st.use_matrix) {
      const double* m = st.matrix;
      double tx = m[3] * px + m[4] * py + m[5];
      double ty = m[0] * px + m[1] * py + m[2];
      px = tx;
      py = ty;
    }
    wdVertex(px, py);
  }
};

template <typename Pen>
void DrawGlyph(const State& st, const Pen& pen, const Glyph& glyph) {
  bool open = false;
  for (const Stroke& stroke : glyph.strokes) {
    if (stroke.op == 'm') {
      if (open) cdEnd();
      cdBegin(CD_OPEN_LINES);
      open = true;
    }
    // A file glyph may start without 'm': its first point then starts the line.
    if (!open) {
      cdBegin(CD_OPEN_LINES);
      open = true;
    }
    pen.Vertex(st, stroke.x * st.scale_x, stroke.y * st.scale_y);
  }
  if (open) cdEnd();
}

template <typename Pen>
void DrawLine(const State& st, int alignment, Pen pen, const char* s, std::size_t n) {
  const Font& font = *st.font;
  switch (alignment) {
    case CD_NORTH:
    case CD_NORTH_EAST:
    case CD_NORTH_WEST:
      pen.Move(st, 0, -font.top * st.scale_y);
      break;
    case CD_SOUTH:
    case CD_SOUTH_EAST:
    case CD_SOUTH_WEST:
      pen.Move(st, 0, -font.bottom * st.scale_y);
      break;
    case CD_EAST:
    case CD_WEST:
    case CD_CENTER:
      pen.Move(st, 0, -(font.cap + font.bottom) / 2.0 * st.scale_y);
      break;
    default:
      break;
  }
  double width = static_cast<double>(TextWidth(st, s, n)) * st.scale_x;
  switch (alignment) {
    case CD_EAST:
    case CD_NORTH_EAST:
    case CD_SOUTH_EAST:
    case CD_BASE_RIGHT:
      pen.Move(st, -width, 0);
      break;
    case CD_WEST:
    case CD_NORTH_WEST:
    case CD_SOUTH_WEST:
    case CD_BASE_LEFT:
      break;
    default:
      pen.Move(st, -width / 2, 0);
      break;
  }
  for (std::size_t i = 0; i < n; ++i) {
    const Glyph& glyph = font.glyphs[static_cast<unsigned char>(s[i])];
    DrawGlyph(st, pen, glyph);
    pen.Move(st, (glyph.width + st.char_spacing) * st.scale_x, 0);
  }
}

bool IsNorth(int a) {
  return a == CD_NORTH || a == CD_NORTH_EAST || a == CD_NORTH_WEST;
}
bool IsSouth(int a) {
  return a == CD_SOUTH || a == CD_SOUTH_EAST || a == CD_SOUTH_WEST;
}

template <typename Pen>
void DrawLines(const State& st, int alignment, Pen pen, const char* s) {
  std::size_t length = std::strlen(s);
  if (length >= kMaxMultiLine) return;
  const Font& font = *st.font;
  double line_height = (font.top - font.bottom + st.line_spacing) * st.scale_y;
  int lines = 1;
  for (std::size_t i = 0; i < length; ++i) lines += s[i] == '\n';
  if (IsSouth(alignment)) {
    pen.Move(st, 0, (lines - 1) * line_height);
  } else if (!IsNorth(alignment)) {
    pen.Move(st, 0, (lines - 1) / 2.0 * line_height);
  }
  const char* line = s;
  for (;;) {
    const char* end = std::strchr(line, '\n');
    std::size_t n = end != nullptr ? static_cast<std::size_t>(end - line) : std::strlen(line);
    DrawLine(st, alignment, pen, line, n);
    pen.Move(st, 0, -line_height);
    if (end == nullptr) break;
    line = end + 1;
  }
}

}  // namespace

// The vector text calls: the driver's slot when it has one, else the
// strokes of one line or of every line, from a pen at (x, y).
template <typename Pen, typename T>
void VectorTextAt(void (*cdOperations::*slot)(cdCanvas*, T, T, const char*), T x, T y,
                  const char* s, bool multi_line) {
  cdCanvas* cv = nullptr;
  State* st = nullptr;
  if (!Active(&cv, &st) || s == nullptr) return;
  if (cv->ops.*slot != nullptr) return (cv->ops.*slot)(cv, x, y, s);
  if (multi_line)
    DrawLines(*st, cv->text_alignment, Pen{x, y}, s);
  else
    DrawLine(*st, cv->text_alignment, Pen{x, y}, s, std::strlen(s));
}

// The scales that make s w wide and its cell above the baseline h high, then
// the driver's slot when it has one.
template <typename T>
void FitVectorText(void (*cdOperations::*slot)(cdCanvas*, T, T, const char*), T w, T h,
                   const char* s) {
  cdCanvas* cv = nullptr;
  State* st = nullptr;
  if (!Active(&cv, &st) || s == nullptr) return;
  // An empty string (or one of zero width) has no scale to derive.
  long long width = TextWidth(*st, s, std::strlen(s));
  if (width == 0 || st->font->top == 0) return;
  st->scale_x = w / static_cast<double>(width);
  st->scale_y = h / static_cast<double>(st->font->top);
  if (cv->ops.*slot != nullptr) (cv->ops.*slot)(cv, w, h, s);
}

}  // namespace cdvt

using cdvt::Active;
using cdvt::State;

extern "C" {

const char* cdVectorFont(const char* file) {
  return cdvt::VectorFont(file);
}
const char* wdVectorFont(const char* file) {
  return cdvt::VectorFont(file);
}

void cdVectorTextDirection(int x1, int y1, int x2, int y2) {
  cdCanvas* cv = nullptr;
  State* st = nullptr;
  if (!Active(&cv, &st)) return;
  cdvt::SetDirection(*st, static_cast<double>(x2) - x1, static_cast<double>(y2) - y1);
  if (cv->ops.VectorTextDirection != nullptr) cv->ops.VectorTextDirection(cv, x1, y1, x2, y2);
}

void wdVectorTextDirection(double x1, double y1, double x2, double y2) {
  cdCanvas* cv = nullptr;
  State* st = nullptr;
  if (!Active(&cv, &st)) return;
  cdvt::SetDirection(*st, x2 - x1, y2 - y1);
  if (cv->ops.WdVectorTextDirection != nullptr) cv->ops.WdVectorTextDirection(cv, x1, y1, x2, y2);
}

void cdVectorTextTransform(const double* matrix) {
  cdCanvas* cv = nullptr;
  State* st = nullptr;
  if (!Active(&cv, &st)) return;
  if (matrix != nullptr) {
    std::memcpy(st->matrix, matrix, sizeof st->matrix);
    st->use_matrix = true;
  } else {
    st->use_matrix = false;
  }
  if (cv->ops.VectorTextTransform != nullptr) cv->ops.VectorTextTransform(cv, matrix);
}

void cdVectorTextSize(int w, int h, const char* s) {
  cdvt::FitVectorText(&cdOperations::VectorTextSize, w, h, s);
}

void wdVectorTextSize(double w, double h, const char* s) {
  cdvt::FitVectorText(&cdOperations::WdVectorTextSize, w, h, s);
}

int cdVectorCharSize(int size) {
  cdCanvas* cv = nullptr;
  State* st = nullptr;
  if (!Active(&cv, &st)) return 0;
  int previous = cdvt::HeldInt(st->font->top * st->scale_y);
  if (size == CD_QUERY) return previous;
  if (st->font->top != 0) st->scale_x = st->scale_y = size / static_cast<double>(st->font->top);
  if (cv->ops.VectorCharSize != nullptr) cv->ops.VectorCharSize(cv, size);
  return previous;
}

double wdVectorCharSize(double size) {
  cdCanvas* cv = nullptr;
  State* st = nullptr;
  if (!Active(&cv, &st)) return 0;
  double previous = st->font->top * st->scale_y;
  if (size == -1.0) return previous;
  if (st->font->top != 0) st->scale_x = st->scale_y = size / st->font->top;
  if (cv->ops.WdVectorCharSize != nullptr) cv->ops.WdVectorCharSize(cv, size);
  return previous;
}

void cdGetVectorTextSize(const char* s, int* w, int* h) {
  cdCanvas* cv = nullptr;
  State* st = nullptr;
  if (!Active(&cv, &st)) return;
  long long width = s != nullptr ? cdvt::TextWidth(*st, s, std::strlen(s)) : 0;
  if (w != nullptr) *w = cdvt::HeldInt(static_cast<double>(width) * st->scale_x);
  if (h != nullptr) *h = cdvt::HeldInt(st->font->top * st->scale_y);
}

void wdGetVectorTextSize(const char* s, double* w, double* h) {
  cdCanvas* cv = nullptr;
  State* st = nullptr;
  if (!Active(&cv, &st)) return;
  long long width = s != nullptr ? cdvt::TextWidth(*st, s, std::strlen(s)) : 0;
  if (w != nullptr) *w = static_cast<double>(width) * st->scale_x;
  if (h != nullptr) *h = st->font->top * st->scale_y;
}

void cdVectorText(int x, int y, const char* s) {
  cdvt::VectorTextAt<cdvt::DevicePen>(&cdOperations::VectorText, x, y, s, false);
}

void wdVectorText(double x, double y, const char* s) {
  cdvt::VectorTextAt<cdvt::WorldPen>(&cdOperations::WdVectorText, x, y, s, false);
}

void cdMultiLineVectorText(int x, int y, const char* s) {
  cdvt::VectorTextAt<cdvt::DevicePen>(&cdOperations::MultiLineVectorText, x, y, s, true);
}

void wdMultiLineVectorText(double x, double y, const char* s) {
  cdvt::VectorTextAt<cdvt::WorldPen>(&cdOperations::WdMultiLineVectorText, x, y, s, true);
}

}  // extern "C"
