/* The clear-text CGM decoder: keywords (underscores and dollar signs
 * dropped, lower case), numbers, quoted strings, enumeration words and
 * comments between percent signs; an element ends at ";" or "/". The text
 * is read from a terminated copy, so no token runs past the input. */
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <new>
#include <iterator>
#include <string>
#include <string_view>

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

/* Underscores and dollar signs dropped, lower case, into out (which holds
 * kWordMax characters); words longer than that come out cut and match
 * nothing. Returns the length. */
constexpr size_t kWordMax = 40;
size_t Normalise(const char* s, size_t n, char* out) {
  size_t k = 0;
  for (size_t i = 0; i < n && k < kWordMax; i++) {
    char c = s[i];
    if (c == '_' || c == '$') continue;
    out[k++] = (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c;
  }
  return n > kWordMax * 2 ? 0 : k;
}

/* The keywords in an open-addressed table by an FNV-1a hash of their
 * normalised form, each slot holding its word inline. */
constexpr unsigned kFnvBasis = 2166136261u, kFnvPrime = 16777619u;
struct KeywordTable {
  static constexpr unsigned kSlots = 512;
  struct Slot {
    unsigned hash = 0;
    unsigned char length = 0; /* 0: free */
    char word[kWordMax] = {};
    Keyword key;
  };
  Slot slots[kSlots];
  static unsigned Hash(std::string_view w) {
    unsigned h = kFnvBasis;
    for (char c : w) h = (h ^ (unsigned char)c) * kFnvPrime;
    return h;
  }
  KeywordTable() {
    for (const auto& k : kKeywords) {
      char buffer[kWordMax];
      std::string_view w(buffer, Normalise(k.word, std::strlen(k.word), buffer));
      unsigned h = Hash(w), i = h % kSlots;
      while (slots[i].length) i = (i + 1) % kSlots;
      slots[i].hash = h;
      slots[i].length = (unsigned char)w.size();
      std::memcpy(slots[i].word, w.data(), w.size());
      slots[i].key = k.k;
    }
  }
  /* w is n normalised characters whose hash is h, with zeros after them
   * up to kShort characters (as the slots have) */
  static constexpr size_t kShort = 16;
  const Keyword* Find(const char* w, size_t n, unsigned h) const {
    if (n == 0) return nullptr;
    for (unsigned i = h % kSlots; slots[i].length; i = (i + 1) % kSlots) {
      const Slot& slot = slots[i];
      if (slot.hash != h || slot.length != n) continue;
      if (n <= kShort) {
        uint64_t a[2], b[2];
        std::memcpy(a, slot.word, kShort);
        std::memcpy(b, w, kShort);
        if (a[0] == b[0] && a[1] == b[1]) return &slot.key;
        continue;
      }
      if (std::memcmp(slot.word, w, n) == 0) return &slot.key;
    }
    return nullptr;
  }
};

const KeywordTable& Keywords() {
  static const KeywordTable table;
  return table;
}

/* character classes: separators (blanks and commas), brackets, element
 * ends, comment marks, quotes */
enum : unsigned char { kSep = 1, kBracket = 2, kEnd = 4, kComment = 8, kQuote = 16 };
/* and, for the scan of keywords: what ends one (the classes above but the
 * single quote, and the terminating 0) and what it drops */
enum : unsigned char { kKeywordEnd = 32, kDropped = 64 };
/* what, after the digits of a number, makes it more than a whole number */
enum : unsigned char { kNumberGoesOn = 128 };
struct Classes {
  unsigned char of[256] = {};
  constexpr Classes() {
    for (unsigned char c : {' ', '\r', '\n', '\t', '\v', '\f', ','}) of[c] = kSep;
    of[(unsigned char)'('] = of[(unsigned char)')'] = kBracket;
    of[(unsigned char)';'] = of[(unsigned char)'/'] = kEnd;
    of[(unsigned char)'%'] = kComment;
    of[(unsigned char)'"'] = of[(unsigned char)'\''] = kQuote;
    for (int c = 0; c < 256; c++)
      if (of[c] & (kSep | kBracket | kEnd | kComment)) of[c] |= kKeywordEnd;
    of[0] |= kKeywordEnd;
    of[(unsigned char)'"'] |= kKeywordEnd;
    of[(unsigned char)'_'] = of[(unsigned char)'$'] = kDropped;
    for (unsigned char c :
         {'0', '1', '2', '3', '4', '5', '6', '7', '8', '9', '.', 'e', 'E', 'x', 'X'})
      of[c] |= kNumberGoesOn;
  }
};
constexpr Classes kClasses;
inline unsigned char ClassOf(char c) {
  return kClasses.of[(unsigned char)c];
}

/* Keywords as the text spells them. A metafile repeats a few spellings
 * ("LINE_COLR", "POLYGON"), so most keywords are found here by their raw
 * bytes instead of being normalised and hashed one character after
 * another. An entry is found by the first eight bytes at the keyword (the
 * spelling, and for a short one the end after it) and holds a spelling of
 * up to 15 characters that the full lookup found: where the same bytes
 * are followed by an end again, the full lookup would find the same. */
class SpellingCache {
 public:
  /* The keyword spelled at s, of which 16 bytes can be read, and the
   * length of its spelling; null when that spelling is not held. */
  const Keyword* Find(const char* s, size_t& length) const {
    uint64_t head, tail;
    std::memcpy(&head, s, 8);
    std::memcpy(&tail, s + 8, 8);
    const Entry& e = entries_[Slot(head)];
    if (e.length == 0 || head != e.head || (tail & e.tail_mask) != e.tail ||
        !(ClassOf(s[e.length]) & kKeywordEnd))
      return nullptr;
    length = e.length;
    return &e.key;
  }
  /* keeps the spelling of the n characters at s (16 of them readable) */
  void Keep(const char* s, size_t n, const Keyword& k) {
    if (n == 0 || n > 15) return;
    uint64_t head, tail;
    std::memcpy(&head, s, 8);
    std::memcpy(&tail, s + 8, 8);
    Entry& e = entries_[Slot(head)];
    e.head = head;
    e.tail_mask = n > 8 ? ~uint64_t(0) >> (8 * (16 - n)) : 0;
    e.tail = tail & e.tail_mask;
    e.length = unsigned(n);
    e.key = k;
  }

 private:
  struct Entry {
    uint64_t head = 0, tail = 0, tail_mask = 0; /* the bytes of the spelling past the eighth */
    unsigned length = 0;                        /* 0: free */
    Keyword key{};
  };
  static constexpr unsigned kEntries = 256;
  Entry entries_[kEntries];

  static unsigned Slot(uint64_t head) { return unsigned((head * 0x9E3779B97F4A7C15ull) >> 56); }
};

bool WordChar(char c) {
  return c && !(ClassOf(c) & (kSep | kEnd | kComment | kQuote));
}

struct Source {
  const char* s; /* terminated */
  size_t n, pos = 0;

  /* blanks, commas and comments from "%" to the next "%" */
  void SkipSeparators() { Skip(kSep); }
  /* characters of the classes given, and comments; the terminating 0 is
   * of none of them, so the end of the text stops the loop */
  void Skip(unsigned char classes) {
    size_t at = pos; /* a local, which the compiler keeps in a register */
    for (;;) {
      unsigned char k = ClassOf(s[at]);
      if (k & classes) {
        at++;
      } else if (k & kComment) {
        pos = at;
        SkipComment();
        at = pos;
      } else {
        break;
      }
    }
    pos = at;
  }
  /* from the "%" at pos past the next one, or to the end */
  [[gnu::noinline]] void SkipComment() {
    const char* close = static_cast<const char*>(std::memchr(s + pos + 1, '%', n - pos - 1));
    pos = close ? size_t(close - s) + 1 : n;
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

  void SkipBrackets() { t.Skip(kSep | kBracket); }
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
    /* whole numbers of up to 15 digits directly, anything else by strtod */
    const char* p = t.s + t.pos;
    const char* first = p + (*p == '-' || *p == '+');
    const char* q = first;
    unsigned long long whole = 0; /* wraps harmlessly past 15 digits */
    for (unsigned digit; (digit = unsigned((unsigned char)*q) - '0') < 10; q++)
      whole = whole * 10 + digit;
    double v;
    if (q > first && q - first <= 15 && !(ClassOf(*q) & kNumberGoesOn)) {
      v = double(*p == '-' ? -(long long)whole : (long long)whole);
      t.pos = size_t(q - t.s);
    } else {
      v = Parsed(p);
      if (bad) return 0;
    }
    SkipBrackets();
    return v;
  }
  /* the slow path of Number, kept out of line */
  [[gnu::noinline]] double Parsed(const char* p) {
    char* end = nullptr;
    double v = std::strtod(p, &end);
    if (end == p) {
      bad = true;
      return 0;
    }
    t.pos = size_t(end - t.s);
    return v;
  }
  /* A whole number of up to 9 digits at `at_io` after blanks, commas or
   * brackets, and the blanks, commas and brackets after it: the common
   * case, read past the general path with the position in a register.
   * False, with `at_io` as it was, for anything else (a comment among the
   * blanks after it included), which the caller leaves to Number. What it
   * reads is what Number would read, to the same value. */
  bool SmallWholeAt(size_t& at_io, long& out) const {
    const char* s = t.s;
    size_t at = at_io;
    while (ClassOf(s[at]) & (kSep | kBracket)) at++;
    const char* p = s + at;
    const char* first = p + (*p == '-' || *p == '+');
    const char* q = first;
    unsigned long v = 0; /* wraps harmlessly past 9 digits */
    for (unsigned digit; (digit = unsigned((unsigned char)*q) - '0') < 10; q++) v = v * 10 + digit;
    if (q == first || q - first > 9 || (ClassOf(*q) & kNumberGoesOn)) return false;
    at = size_t(q - s);
    unsigned char k;
    while ((k = ClassOf(s[at])) & (kSep | kBracket)) at++;
    if (k & kComment) return false;
    at_io = at;
    out = *p == '-' ? -long(v) : long(v);
    return true;
  }
  bool SmallWhole(long& out) { return !bad && SmallWholeAt(t.pos, out); }
  long Whole() {
    long small;
    if (SmallWhole(small)) return small;
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
    char buffer[kWordMax];
    std::string_view w(buffer, Normalise(t.s + start, t.pos - start, buffer));
    for (int i = 0; i < count; i++)
      if (w == words[i]) return i;
    bad = true;
    return 0;
  }
  double Real() override { return Number(); }
  double Factor() override { return Number(); }
  double Vdc() override {
    long small;
    if (SmallWhole(small)) return double(small);
    double v = Number();
    return r.vdc_type == 1 ? v : std::trunc(v);
  }
  Rgb Direct() override {
    Rgb c;
    size_t at = t.pos; /* the three at once, the position kept in a register */
    if (!bad && SmallWholeAt(at, c.r) && SmallWholeAt(at, c.g) && SmallWholeAt(at, c.b)) {
      t.pos = at;
      return c;
    }
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

/* The keyword at t's position, normalised and hashed in one pass, as
 * Normalise and KeywordTable::Hash would give it; t is left after it. No
 * keyword is near kWordMax characters, so a word cut there or not matches
 * nothing alike; the terminating 0 ends every word. */
const Keyword* ScanKeyword(const KeywordTable& table, Source& t) {
  const size_t start = t.pos, limit = start + kWordMax * 2 + 1;
  size_t at = start, length = 0;
  unsigned hash = kFnvBasis;
  char buffer[kWordMax * 2 + 1];
  std::memset(buffer, 0, KeywordTable::kShort);
  for (;;) {
    char c = t.s[at];
    unsigned char k = ClassOf(c);
    if (k & kKeywordEnd) break;
    at++;
    if (!(k & kDropped)) {
      c = char(c + ((unsigned char)(c - 'A') < 26 ? 'a' - 'A' : 0));
      buffer[length++] = c;
      hash = (hash ^ (unsigned char)c) * kFnvPrime;
    }
    if (at == limit) { /* too long to be a keyword: to its end unread */
      while (!(ClassOf(t.s[at]) & kKeywordEnd)) at++;
      break;
    }
  }
  t.pos = at;
  if (at - start > kWordMax * 2) length = 0;
  return table.Find(buffer, length, hash);
}

}  // namespace

void PlayClearText(Reader& r, const unsigned char* data, size_t size, bool terminated) {
  std::string copy; /* a terminated copy when the caller's data is not */
  if (!terminated) {
    try {
      copy.assign(reinterpret_cast<const char*>(data), size);
    } catch (const std::bad_alloc&) {
      return;
    }
  }
  Source t{terminated ? reinterpret_cast<const char*>(data) : copy.c_str(), size};
  const KeywordTable& table = Keywords();
  SpellingCache spellings;
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
    const size_t start = t.pos;
    size_t spelled = 0;
    const Keyword* found = t.n - start >= 16 ? spellings.Find(t.s + start, spelled) : nullptr;
    if (found) {
      t.pos += spelled;
    } else {
      found = ScanKeyword(table, t);
      if (!found) { /* unknown: skipped with its parameters */
        t.SkipToEnd();
        continue;
      }
      if (t.n - start >= 16) spellings.Keep(t.s + start, t.pos - start, *found);
    }
    const Keyword& k = *found;
    TxtParams p(r, t);
    int stop = Execute(r, p, k.cls, k.id, k.relative);
    Counter(r, t.pos);
    if (stop) return;
    t.SkipToEnd();
  }
}

}  // namespace cdcgm
