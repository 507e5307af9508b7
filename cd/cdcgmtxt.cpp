/* The clear-text CGM decoder: keywords (underscores and dollar signs
 * dropped, lower case), numbers, quoted strings, enumeration words and
 * comments between percent signs; an element ends at ";" or "/". The text
 * is read from a terminated copy, so no token runs past the input. */
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <new>
#include <string>
#include <unordered_map>

#include "cdcgmplay.h"

namespace cdcgm {

namespace {

struct Keyword {
  int cls, id;
  bool relative;
};

/* the keywords as written, underscores included where the writer has them */
const struct {
  const char* word;
  Keyword k;
} kKeywords[] = {{"begmf", {0, 1, false}},          {"endmf", {0, 2, false}},
                 {"begpic", {0, 3, false}},         {"begpicbody", {0, 4, false}},
                 {"endpic", {0, 5, false}},         {"mfversion", {1, 1, false}},
                 {"mfdesc", {1, 2, false}},         {"vdctype", {1, 3, false}},
                 {"integerprec", {1, 4, false}},    {"realprec", {1, 5, false}},
                 {"indexprec", {1, 6, false}},      {"colrprec", {1, 7, false}},
                 {"colrindexprec", {1, 8, false}},  {"maxcolrindex", {1, 9, false}},
                 {"colrvalueext", {1, 10, false}},  {"mfelemlist", {1, 11, false}},
                 {"begmfdefaults", {1, 12, false}}, {"endmfdefaults", {1, 0, false}},
                 {"fontlist", {1, 13, false}},      {"charsetlist", {1, 14, false}},
                 {"charcoding", {1, 15, false}},    {"scalemode", {2, 1, false}},
                 {"colrmode", {2, 2, false}},       {"linewidthmode", {2, 3, false}},
                 {"markersizemode", {2, 4, false}}, {"edgewidthmode", {2, 5, false}},
                 {"vdcext", {2, 6, false}},         {"backcolr", {2, 7, false}},
                 {"vdcintegerprec", {3, 1, false}}, {"vdcrealprec", {3, 2, false}},
                 {"auxcolr", {3, 3, false}},        {"transparency", {3, 4, false}},
                 {"cliprect", {3, 5, false}},       {"clip", {3, 6, false}},
                 {"line", {4, 1, false}},           {"incrline", {4, 1, true}},
                 {"disjtline", {4, 2, false}},      {"incrdisjt_line", {4, 2, true}},
                 {"marker", {4, 3, false}},         {"incrmarker", {4, 3, true}},
                 {"text", {4, 4, false}},           {"restrtext", {4, 5, false}},
                 {"apndtext", {4, 6, false}},       {"polygon", {4, 7, false}},
                 {"incrpolygon", {4, 7, true}},     {"polygonset", {4, 8, false}},
                 {"incrpolygonset", {4, 8, true}},  {"cellarray", {4, 9, false}},
                 {"gdp", {4, 10, false}},           {"rect", {4, 11, false}},
                 {"circle", {4, 12, false}},        {"arc3pt", {4, 13, false}},
                 {"arc3ptclose", {4, 14, false}},   {"arcctr", {4, 15, false}},
                 {"arcctr_close", {4, 16, false}},  {"ellipse", {4, 17, false}},
                 {"elliparc", {4, 18, false}},      {"elliparcclose", {4, 19, false}},
                 {"lineindex", {5, 1, false}},      {"linetype", {5, 2, false}},
                 {"linewidth", {5, 3, false}},      {"linecolr", {5, 4, false}},
                 {"markerindex", {5, 5, false}},    {"markertype", {5, 6, false}},
                 {"markersize", {5, 7, false}},     {"markercolr", {5, 8, false}},
                 {"textindex", {5, 9, false}},      {"textfontindex", {5, 10, false}},
                 {"textprec", {5, 11, false}},      {"charexpan", {5, 12, false}},
                 {"charspace", {5, 13, false}},     {"textcolr", {5, 14, false}},
                 {"charheight", {5, 15, false}},    {"charori", {5, 16, false}},
                 {"textpath", {5, 17, false}},      {"textalign", {5, 18, false}},
                 {"charsetindex", {5, 19, false}},  {"altcharsetindex", {5, 20, false}},
                 {"fillindex", {5, 21, false}},     {"intstyle", {5, 22, false}},
                 {"fillcolr", {5, 23, false}},      {"hatchindex", {5, 24, false}},
                 {"patindex", {5, 25, false}},      {"edgeindex", {5, 26, false}},
                 {"edgetype", {5, 27, false}},      {"edgewidth", {5, 28, false}},
                 {"edgecolr", {5, 29, false}},      {"edgevis", {5, 30, false}},
                 {"fillrefpt", {5, 31, false}},     {"pattable", {5, 32, false}},
                 {"patsize", {5, 33, false}},       {"colrtable", {5, 34, false}},
                 {"asf", {5, 35, false}},           {"escape", {6, 1, false}},
                 {"domainring", {6, 0, false}},     {"message", {7, 1, false}},
                 {"appldata", {7, 2, false}}};

/* underscores and dollar signs dropped, lower case */
std::string Normalised(const char* s, size_t n) {
  std::string out;
  out.reserve(n);
  for (size_t i = 0; i < n; i++) {
    char c = s[i];
    if (c == '_' || c == '$') continue;
    out += (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c;
  }
  return out;
}

const std::unordered_map<std::string, Keyword>& KeywordTable() {
  static const std::unordered_map<std::string, Keyword> table = [] {
    std::unordered_map<std::string, Keyword> t;
    for (const auto& k : kKeywords) t[Normalised(k.word, std::strlen(k.word))] = k.k;
    return t;
  }();
  return table;
}

bool Separator(char c) {
  return c == ' ' || c == '\r' || c == '\n' || c == '\t' || c == '\v' || c == '\f' || c == ',';
}
bool KeywordChar(char c) {
  return c && !Separator(c) && c != '/' && c != ';' && c != '%' && c != '"' && c != '(' && c != ')';
}
bool WordChar(char c) {
  return c && !Separator(c) && c != '/' && c != ';' && c != '%' && c != '"' && c != '\'';
}

struct Source {
  const char* s; /* terminated */
  size_t n, pos = 0;

  /* blanks, commas and comments from "%" to the next "%" */
  void SkipSeparators() {
    while (pos < n) {
      char c = s[pos];
      if (Separator(c)) {
        pos++;
      } else if (c == '%') {
        const char* close = static_cast<const char*>(std::memchr(s + pos + 1, '%', n - pos - 1));
        pos = close ? size_t(close - s) + 1 : n;
      } else {
        break;
      }
    }
  }
  void SkipQuoted() {
    char q = s[pos++];
    while (pos < n) {
      if (s[pos++] == q) {
        if (pos < n && s[pos] == q)
          pos++;
        else
          return;
      }
    }
  }
  /* past the element's end: the next ";" or "/" outside strings and
   * comments */
  void SkipToEnd() {
    while (pos < n) {
      SkipSeparators();
      if (pos >= n) return;
      char c = s[pos];
      if (c == ';' || c == '/') {
        pos++;
        return;
      }
      if (c == '"' || c == '\'')
        SkipQuoted();
      else
        pos++;
    }
  }
  bool AtEnd() const { return pos >= n || s[pos] == ';' || s[pos] == '/'; }
};

struct TxtParams final : Params {
  Reader& r;
  Source& t;
  TxtParams(Reader& reader, Source& text) : r(reader), t(text) {}

  void SkipBrackets() {
    for (;;) {
      t.SkipSeparators();
      if (t.pos < t.n && (t.s[t.pos] == '(' || t.s[t.pos] == ')'))
        t.pos++;
      else
        return;
    }
  }
  bool More() override {
    if (bad) return false;
    SkipBrackets();
    return !t.AtEnd();
  }
  double Number() {
    if (bad) return 0;
    SkipBrackets();
    if (t.AtEnd()) {
      bad = true;
      return 0;
    }
    char* end = nullptr;
    double v = std::strtod(t.s + t.pos, &end);
    if (end == t.s + t.pos) {
      bad = true;
      return 0;
    }
    t.pos = size_t(end - t.s);
    SkipBrackets();
    return v;
  }
  long Whole() {
    double v = Number();
    if (!(v == v)) return 0;
    if (v > 2147483647.0) return 2147483647L;
    if (v < -2147483648.0) return -2147483647L - 1;
    return long(v);
  }
  long Integer() override { return Whole(); }
  long Index() override { return Whole(); }
  int Enumeration(const char* const* words, int count) override {
    if (bad) return 0;
    t.SkipSeparators();
    size_t start = t.pos;
    while (t.pos < t.n && WordChar(t.s[t.pos])) t.pos++;
    std::string w = Normalised(t.s + start, t.pos - start);
    for (int i = 0; i < count; i++)
      if (w == words[i]) return i;
    bad = true;
    return 0;
  }
  double Real() override { return Number(); }
  double Factor() override { return Number(); }
  double Vdc() override {
    double v = Number();
    return r.vdc_type == 1 ? v : std::trunc(v);
  }
  Rgb Direct() override {
    Rgb c;
    c.r = Whole(), c.g = Whole(), c.b = Whole();
    return c;
  }
  long ColourIndex() override { return Whole(); }
  bool String(std::string& out) override {
    out.clear();
    if (bad) return false;
    t.SkipSeparators();
    if (t.pos >= t.n || (t.s[t.pos] != '"' && t.s[t.pos] != '\'')) {
      bad = true;
      return false;
    }
    char q = t.s[t.pos++];
    while (t.pos < t.n) {
      char c = t.s[t.pos++];
      if (c == q) {
        if (t.pos < t.n && t.s[t.pos] == q) {
          t.pos++;
        } else {
          return true;
        }
      }
      out += c;
    }
    bad = true; /* no closing quote */
    return false;
  }
  /* the ranges of clear-text precisions are read past, not used */
  void Precision(int, int) override {}
  bool CellColours(Reader& rd, long nx, long ny, bool cell_array) override {
    Whole(); /* local colour precision */
    if (bad) return false;
    bool indexed = rd.colour_mode == 0;
    /* every colour takes at least two characters: refuse counts the rest
     * of the text cannot hold before holding them */
    size_t left = (t.n - t.pos) / 2 + 1;
    if (size_t(nx) > left || size_t(ny) > left || size_t(nx) * size_t(ny) > left) return false;
    try {
      rd.cells.resize(size_t(nx) * size_t(ny));
    } catch (const std::bad_alloc&) {
      return false;
    }
    uint32_t* out = rd.cells.data();
    for (long y = 0; y < ny; y++) {
      for (long x = 0; x < nx; x++) {
        if (indexed) {
          *out++ = uint32_t(RgbColour(rd, TableColour(rd, Whole())));
        } else {
          Rgb c = Direct();
          *out++ = uint32_t(RgbColour(rd, c));
        }
      }
      if (bad) return false;
      if (cell_array) Counter(rd, t.pos);
    }
    return true;
  }
  int Defaults(Reader&) override { return 0; }
};

}  // namespace

void PlayClearText(Reader& r, const unsigned char* data, size_t size) {
  std::string copy;
  try {
    copy.assign(reinterpret_cast<const char*>(data), size);
  } catch (const std::bad_alloc&) {
    return;
  }
  Source t{copy.c_str(), copy.size()};
  const auto& table = KeywordTable();
  for (;;) {
    /* stray terminators, brackets and strings between elements */
    for (;;) {
      t.SkipSeparators();
      if (t.pos >= t.n) return;
      char c = t.s[t.pos];
      if (c == ';' || c == '/' || c == '(' || c == ')')
        t.pos++;
      else if (c == '"' || c == '\'')
        t.SkipQuoted();
      else
        break;
    }
    size_t start = t.pos;
    while (t.pos < t.n && KeywordChar(t.s[t.pos])) t.pos++;
    auto found = table.find(Normalised(t.s + start, t.pos - start));
    if (found == table.end()) { /* unknown: skipped with its parameters */
      t.SkipToEnd();
      continue;
    }
    const Keyword& k = found->second;
    TxtParams p(r, t);
    int stop = Execute(r, p, k.cls, k.id, k.relative);
    Counter(r, t.pos);
    if (stop) return;
    t.SkipToEnd();
  }
}

}  // namespace cdcgm
