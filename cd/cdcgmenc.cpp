/* The CGM element encoder: the binary token writers (big-endian, every
 * element buffered until it ends so that its length is known; nested
 * elements land in the parameters of the one around them), the clear-text
 * token writers, and one function per element. */
#include "cdcgmenc.h"

#include <cmath>
#include <cstdint>
#include <cstring>

namespace cdcgm {

namespace {

/* ---- words ---- */

const char* const kClass0[] = {"BEGMF", "ENDMF", "BEG_PIC", "BEG_PIC_BODY", "END_PIC"};
const char* const kClass1[] = {
    "END_MF_DEFAULTS", "MF_VERSION",     "MF_DESC",        "VDC_TYPE",
    "INTEGER_PREC",    "REAL_PREC",      "INDEX_PREC",     "COLR_PREC",
    "COLR_INDEX_PREC", "MAX_COLR_INDEX", "COLR_VALUE_EXT", "MF_ELEM_LIST",
    "BEG_MF_DEFAULTS", "FONT_LIST",      "CHAR_SET_LIST",  "CHAR_CODING"};
const char* const kClass2[] = {"SCALE_MODE",       "COLR_MODE",       "LINE_WIDTH_MODE",
                               "MARKER_SIZE_MODE", "EDGE_WIDTH_MODE", "VDC_EXT",
                               "BACK_COLR"};
const char* const kClass3[] = {"VDC_INTEGER_PREC", "VDC_REAL_PREC", "AUX_COLR",
                               "TRANSPARENCY",     "CLIP_RECT",     "CLIP"};
const char* const kClass4[] = {
    "LINE",          "DISJT_LINE", "MARKER",      "TEXT",           "RESTR_TEXT",
    "APND_TEXT",     "POLYGON",    "POLYGON_SET", "CELL_ARRAY",     "GDP",
    "RECT",          "CIRCLE",     "ARC_3_PT",    "ARC_3_PT_CLOSE", "ARC_CTR",
    "ARC_CTR_CLOSE", "ELLIPSE",    "ELLIP_ARC",   "ELLIP_ARC_CLOSE"};
const char* const kClass5[] = {
    "LINE_INDEX",  "LINE_TYPE",   "LINE_WIDTH",  "LINE_COLR",      "MARKER_INDEX",
    "MARKER_TYPE", "MARKER_SIZE", "MARKER_COLR", "TEXT_INDEX",     "TEXT_FONT_INDEX",
    "TEXT_PREC",   "CHAR_EXPAN",  "CHAR_SPACE",  "TEXT_COLR",      "CHAR_HEIGHT",
    "CHAR_ORI",    "TEXT_PATH",   "TEXT_ALIGN",  "CHAR_SET_INDEX", "ALT_CHAR_SET_INDEX",
    "FILL_INDEX",  "INT_STYLE",   "FILL_COLR",   "HATCH_INDEX",    "PAT_INDEX",
    "EDGE_INDEX",  "EDGE_TYPE",   "EDGE_WIDTH",  "EDGE_COLR",      "EDGE_VIS",
    "FILL_REF_PT", "PAT_TABLE",   "PAT_SIZE",    "COLR_TABLE",     "ASF"};

const char* Keyword(int cls, int id) {
  switch (cls) {
    case 0:
      return id >= 1 && id <= 5 ? kClass0[id - 1] : "";
    case 1:
      return id >= 0 && id <= 15 ? kClass1[id] : "";
    case 2:
      return id >= 1 && id <= 7 ? kClass2[id - 1] : "";
    case 3:
      return id >= 1 && id <= 6 ? kClass3[id - 1] : "";
    case 4:
      return id >= 1 && id <= 19 ? kClass4[id - 1] : "";
    case 5:
      return id >= 1 && id <= 35 ? kClass5[id - 1] : "";
  }
  return "";
}

const char* const kVdcTypeWords[] = {"integer", "real"};
const char* const kScalingWords[] = {"abstract", "metric"};
const char* const kColourModeWords[] = {"indexed", "direct"};
const char* const kSpecModeWords[] = {"abstract", "scaled"};
const char* const kOnOffWords[] = {"OFF", "ON"};
const char* const kInteriorWords[] = {"HOLLOW", "SOLID", "PAT", "HATCH", "EMPTY"};
const char* const kFinalWords[] = {"NOT_FINAL", "   FINAL"};
const char* const kHorizontalWords[] = {"NORMHORIZ", "LEFT", "CTR", "RIGHT", "CONTHORIZ"};
const char* const kVerticalWords[] = {"NORMVERT", "TOP", "CAP", "HALF", "BASE", "BOTTOM"};
const char* const kClosureWords[] = {"pie", "chord"};

/* real precisions: form, whole or exponent bits, fraction bits; clear-text
 * minimum, maximum and digits */
struct RealPrecisionEntry {
  int form, whole, fraction;
  double min, max;
  int digits;
};
const RealPrecisionEntry kRealPrecisions[4] = {
    {0, 9, 23, -3.4028234663852886e38, 3.4028234663852886e38, 6},
    {0, 12, 52, -1.7976931348623157e308, 1.7976931348623157e308, 15},
    {1, 16, 16, -32768.99998474121, 32767.99998474121, 5},
    {1, 32, 32, -2147483649.0, 2147483648.0, 9}};

long TruncateClamp32(double v) {
  if (!(v == v)) return 0;
  double t = std::trunc(v);
  if (t < -2147483648.0) return -2147483647L - 1;
  if (t > 2147483647.0) return 2147483647L;
  return long(t);
}

/* (2^8 - 1) v truncated: direct colour components at 8 bits */
unsigned long Component(double v) {
  double c = 255.0 * v;
  if (!(c >= 0)) return 0;
  if (c > 255) return 255;
  return (unsigned long)c;
}

/* ---- binary ---- */

std::string& Params(Encoder& e) {
  return e.open[size_t(e.depth - 1)].params;
}

void Put8(Encoder& e, unsigned v) {
  Params(e).push_back(char(v & 0xFF));
}
void Put16(Encoder& e, unsigned v) {
  char b[2] = {char((v >> 8) & 0xFF), char(v & 0xFF)};
  Params(e).append(b, 2);
}
void Put24(Encoder& e, unsigned long v) {
  char b[3] = {char((v >> 16) & 0xFF), char((v >> 8) & 0xFF), char(v & 0xFF)};
  Params(e).append(b, 3);
}
void Put32(Encoder& e, unsigned long v) {
  char b[4] = {char((v >> 24) & 0xFF), char((v >> 16) & 0xFF), char((v >> 8) & 0xFF),
               char(v & 0xFF)};
  Params(e).append(b, 4);
}

void BinBegin(Encoder& e, int cls, int id, bool open_ended) {
  if (size_t(e.depth) == e.open.size()) e.open.emplace_back();
  Encoder::Open& o = e.open[size_t(e.depth++)];
  o.cls = cls, o.id = id, o.open_ended = open_ended;
  o.params.clear();
}

void AppendWord(std::string& s, unsigned v) {
  s.push_back(char((v >> 8) & 0xFF));
  s.push_back(char(v & 0xFF));
}

void BinEnd(Encoder& e) {
  if (e.depth == 0) return;
  Encoder::Open& o = e.open[size_t(--e.depth)];
  std::string& out = e.depth > 0 ? e.open[size_t(e.depth - 1)].params : e.out;
  if (e.depth == 0) out.clear();
  const std::string& p = o.params;
  unsigned head = unsigned(o.cls) << 12 | unsigned(o.id) << 5;
  if (!o.open_ended && p.size() <= 30) {
    AppendWord(out, head | unsigned(p.size()));
    out += p;
  } else {
    AppendWord(out, head | 31);
    size_t at = 0, left = p.size();
    while (left > 32766) { /* a full partition, more follows */
      AppendWord(out, 0x8000 | 32766);
      out.append(p, at, 32766);
      at += 32766, left -= 32766;
    }
    AppendWord(out, unsigned(left));
    out.append(p, at, left);
  }
  if (p.size() & 1) out.push_back(0);
  if (e.depth == 0 && !out.empty() && std::fwrite(out.data(), 1, out.size(), e.file) != out.size())
    e.failed = true;
}

void BinInteger(Encoder& e, long v) {
  Put16(e, unsigned(v) & 0xFFFF);
}
void BinEnumeration(Encoder& e, int v, const char* const*) {
  Put16(e, unsigned(v) & 0xFFFF);
}
void BinColourIndex(Encoder& e, unsigned long v) {
  Put8(e, unsigned(v));
}
void BinColour(Encoder& e, double r, double g, double b) {
  Put8(e, unsigned(Component(r)));
  Put8(e, unsigned(Component(g)));
  Put8(e, unsigned(Component(b)));
}
/* fixed point 32.32: the whole part, then the fraction */
void BinReal(Encoder& e, double v) {
  double whole = std::floor(v);
  Put32(e, (unsigned long)(uint32_t)(int32_t)TruncateClamp32(whole));
  Put32(e, (unsigned long)(uint32_t)((v - whole) * 4294967296.0));
}
void BinFactor(Encoder& e, double v) {
  float f = float(v);
  uint32_t bits;
  std::memcpy(&bits, &f, 4);
  Put32(e, bits);
}
void BinVdc(Encoder& e, double v) {
  double t = std::trunc(v);
  if (!(t == t)) t = 0;
  switch (e.vdc_bits) {
    case 8:
      Put8(e, unsigned((long long)std::fmod(t, 4294967296.0)));
      break;
    case 24:
      Put24(e, (unsigned long)((long long)std::fmod(t, 4294967296.0)));
      break;
    case 32:
      Put32(e, (unsigned long)(uint32_t)(int32_t)TruncateClamp32(t));
      break;
    default: {
      long c = t < -32768 ? -32768 : (t > 32767 ? 32767 : long(t));
      Put16(e, unsigned(c) & 0xFFFF);
    }
  }
}
void BinPoint(Encoder& e, double x, double y) {
  BinVdc(e, x);
  BinVdc(e, y);
}
/* a length byte, or 255 and a 15-bit length; longer strings are cut */
void BinString(Encoder& e, const char* s, size_t n) {
  if (n > 32767) n = 32767;
  if (n < 255) {
    Put8(e, unsigned(n));
  } else {
    Put8(e, 255);
    Put16(e, unsigned(n));
  }
  Params(e).append(s, n);
}
void BinPrecision(Encoder& e, int bits) {
  BinInteger(e, bits);
}
void BinRealPrecision(Encoder& e, int index) {
  const RealPrecisionEntry& p = kRealPrecisions[index & 3];
  BinEnumeration(e, p.form, nullptr);
  BinInteger(e, p.whole);
  BinInteger(e, p.fraction);
}
void BinNewline(Encoder&, int) {}
void BinLiteral(Encoder&, const char*) {}

const TokenWriters kBinaryTokens = {
    BinBegin,     BinEnd,       BinInteger,   BinInteger,       BinEnumeration, BinColourIndex,
    BinColour,    BinReal,      BinFactor,    BinVdc,           BinPoint,       BinString,
    BinPrecision, BinPrecision, BinPrecision, BinRealPrecision, BinNewline,     BinLiteral};

/* ---- clear text ---- */

void Write(Encoder& e, const char* s, size_t n) {
  if (n == 0) return;
  if (std::fwrite(s, 1, n, e.file) != n) e.failed = true;
  size_t last = n;
  while (last > 0 && s[last - 1] != '\n') last--;
  e.column = last == 0 ? e.column + int(n) : int(n - last) + 1;
}
void Write(Encoder& e, const char* s) {
  Write(e, s, std::strlen(s));
}
void Printf(Encoder& e, const char* format, long v) {
  char b[64];
  int n = std::snprintf(b, sizeof b, format, v);
  Write(e, b, size_t(n));
}

void TxtBegin(Encoder& e, int cls, int id, bool) {
  Write(e, Keyword(cls, id));
}
void TxtEnd(Encoder& e) {
  Write(e, ";\n", 2);
}
void TxtInteger(Encoder& e, long v) {
  Printf(e, " %ld", v);
}
void TxtEnumeration(Encoder& e, int v, const char* const* words) {
  Write(e, " ", 1);
  Write(e, words[v]);
}
void TxtColourIndex(Encoder& e, unsigned long v) {
  Printf(e, " %lu", long(v));
}
void TxtColour(Encoder& e, double r, double g, double b) {
  char s[64];
  int n = std::snprintf(s, sizeof s, " %lu %lu %lu", Component(r), Component(g), Component(b));
  Write(e, s, size_t(n));
}
void TxtReal(Encoder& e, double v) {
  char s[64];
  int n = std::snprintf(s, sizeof s, " %g", v);
  Write(e, s, size_t(n));
}
void TxtVdc(Encoder& e, double v) {
  Printf(e, " %ld", TruncateClamp32(v));
}
void TxtPoint(Encoder& e, double x, double y) {
  Write(e, " (", 2);
  TxtVdc(e, x);
  Write(e, " ,", 2);
  TxtVdc(e, y);
  Write(e, " )", 2);
}
void TxtString(Encoder& e, const char* s, size_t n) {
  std::string q = "\"";
  for (size_t i = 0; i < n; i++) {
    if (s[i] == '"') q += '"';
    q += s[i];
  }
  q += '"';
  Write(e, q.data(), q.size());
}
void TxtPrecision(Encoder& e, int bits) {
  long max = bits >= 32 ? 2147483647L : (1L << (bits - 1)) - 1;
  TxtInteger(e, -max - 1);
  Write(e, " ,", 2);
  TxtInteger(e, max);
}
void TxtColourPrecision(Encoder& e, int bits) {
  TxtInteger(e, (1L << bits) - 1);
}
void TxtLocalColourPrecision(Encoder& e, int bits) {
  TxtInteger(e, 1L << bits);
}
void TxtRealPrecision(Encoder& e, int index) {
  const RealPrecisionEntry& p = kRealPrecisions[index & 3];
  TxtReal(e, p.min);
  Write(e, " ,", 2);
  TxtReal(e, p.max);
  Write(e, " ,", 2);
  TxtInteger(e, p.digits);
}
void TxtNewline(Encoder& e, int column) {
  Write(e, "\n", 1);
  char blanks[128];
  int n = column - 1 < int(sizeof blanks) ? column - 1 : int(sizeof blanks);
  std::memset(blanks, ' ', size_t(n));
  Write(e, blanks, size_t(n));
}
void TxtLiteral(Encoder& e, const char* text) {
  Write(e, text);
}

const TokenWriters kClearTextTokens = {TxtBegin,
                                       TxtEnd,
                                       TxtInteger,
                                       TxtInteger,
                                       TxtEnumeration,
                                       TxtColourIndex,
                                       TxtColour,
                                       TxtReal,
                                       TxtReal,
                                       TxtVdc,
                                       TxtPoint,
                                       TxtString,
                                       TxtPrecision,
                                       TxtColourPrecision,
                                       TxtLocalColourPrecision,
                                       TxtRealPrecision,
                                       TxtNewline,
                                       TxtLiteral};

/* ---- shared element shapes ---- */

void ColourOf(Encoder& e, long color) {
  e.tokens->colour(e, double((color >> 16) & 255) / 255.0, double((color >> 8) & 255) / 255.0,
                   double(color & 255) / 255.0);
}

void NoParameters(Encoder& e, int cls, int id) {
  e.tokens->begin(e, cls, id, false);
  e.tokens->end(e);
}
void OneInteger(Encoder& e, int cls, int id, long v) {
  e.tokens->begin(e, cls, id, false);
  e.tokens->integer(e, v);
  e.tokens->end(e);
}
void OneIndex(Encoder& e, int cls, int id, long v) {
  e.tokens->begin(e, cls, id, false);
  e.tokens->index(e, v);
  e.tokens->end(e);
}
void OneEnumeration(Encoder& e, int cls, int id, int v, const char* const* words) {
  e.tokens->begin(e, cls, id, false);
  e.tokens->enumeration(e, v, words);
  e.tokens->end(e);
}
void OnePrecision(Encoder& e, int cls, int id, int bits) {
  e.tokens->begin(e, cls, id, false);
  e.tokens->precision(e, bits);
  e.tokens->end(e);
}
void OneColour(Encoder& e, int cls, int id, long color) {
  e.tokens->begin(e, cls, id, false);
  ColourOf(e, color);
  e.tokens->end(e);
}
void OneVdc(Encoder& e, int cls, int id, double v) {
  e.tokens->begin(e, cls, id, false);
  e.tokens->vdc(e, v);
  e.tokens->end(e);
}
void OneString(Encoder& e, int cls, int id, const char* s) {
  e.tokens->begin(e, cls, id, false);
  e.tokens->string(e, s, std::strlen(s));
  e.tokens->end(e);
}
/* a point list, each point on a new line from column 8 in clear text */
void Points(Encoder& e, int cls, int id, const PointD* points, int n) {
  e.tokens->begin(e, cls, id, true);
  for (int i = 0; i < n; i++) {
    e.tokens->newline(e, 8);
    e.tokens->point(e, points[i].x, points[i].y);
  }
  e.tokens->end(e);
}

}  // namespace

void Start(Encoder& e, FILE* file, int encoding, int vdc_bits) {
  e.file = file;
  e.encoding = encoding;
  e.tokens = encoding == kClearText ? &kClearTextTokens : &kBinaryTokens;
  e.vdc_bits = vdc_bits;
  e.column = 1;
  e.depth = 0;
}

void BeginMetafile(Encoder& e, const char* name) {
  OneString(e, 0, 1, name);
}
void EndMetafile(Encoder& e) {
  NoParameters(e, 0, 2);
}
void BeginPicture(Encoder& e, const char* name) {
  OneString(e, 0, 3, name);
}
void BeginPictureBody(Encoder& e) {
  NoParameters(e, 0, 4);
}
void EndPicture(Encoder& e) {
  NoParameters(e, 0, 5);
}

void MetafileVersion(Encoder& e, int version) {
  OneInteger(e, 1, 1, version);
}
void MetafileDescription(Encoder& e, const char* text) {
  OneString(e, 1, 2, text);
}
void VdcType(Encoder& e, int type) {
  OneEnumeration(e, 1, 3, type, kVdcTypeWords);
}
void IntegerPrecision(Encoder& e, int bits) {
  OnePrecision(e, 1, 4, bits);
}
void RealPrecision(Encoder& e, int index) {
  e.tokens->begin(e, 1, 5, false);
  e.tokens->real_precision(e, index);
  e.tokens->end(e);
}
void IndexPrecision(Encoder& e, int bits) {
  OnePrecision(e, 1, 6, bits);
}
void ColourPrecision(Encoder& e, int bits) {
  e.tokens->begin(e, 1, 7, false);
  e.tokens->colour_precision(e, bits);
  e.tokens->end(e);
}
void ColourIndexPrecision(Encoder& e, int bits) {
  e.tokens->begin(e, 1, 8, false);
  e.tokens->colour_precision(e, bits);
  e.tokens->end(e);
}
void MaximumColourIndex(Encoder& e, unsigned long index) {
  e.tokens->begin(e, 1, 9, false);
  e.tokens->colour_index(e, index);
  e.tokens->end(e);
}
void ColourValueExtent(Encoder& e) {
  e.tokens->begin(e, 1, 10, false);
  e.tokens->colour(e, 0, 0, 0);
  e.tokens->newline(e, 15);
  e.tokens->colour(e, 1, 1, 1);
  e.tokens->end(e);
}
void MetafileElementList(Encoder& e) {
  e.tokens->begin(e, 1, 11, false);
  if (e.encoding == kBinary) {
    e.tokens->integer(e, 1);
    e.tokens->index(e, -1);
    e.tokens->index(e, 1);
  } else {
    e.tokens->literal(e, " \"drawing_plus  \"");
  }
  e.tokens->end(e);
}
void BeginDefaults(Encoder& e) {
  e.tokens->begin(e, 1, 12, true);
  if (e.encoding == kClearText) e.tokens->end(e);
}
void EndDefaults(Encoder& e) {
  if (e.encoding == kClearText)
    NoParameters(e, 1, 0);
  else
    e.tokens->end(e);
}
void FontList(Encoder& e, const char* const* names, int n) {
  e.tokens->begin(e, 1, 13, true);
  for (int i = 0; i < n; i++) {
    e.tokens->newline(e, 10);
    e.tokens->string(e, names[i], std::strlen(names[i]));
  }
  e.tokens->end(e);
}

void ScalingMode(Encoder& e, int mode, double factor) {
  e.tokens->begin(e, 2, 1, false);
  e.tokens->enumeration(e, mode, kScalingWords);
  e.tokens->factor(e, factor);
  e.tokens->end(e);
}
void ColourSelectionMode(Encoder& e, int mode) {
  OneEnumeration(e, 2, 2, mode, kColourModeWords);
}
void LineWidthSpecificationMode(Encoder& e, int mode) {
  OneEnumeration(e, 2, 3, mode, kSpecModeWords);
}
void MarkerSizeSpecificationMode(Encoder& e, int mode) {
  OneEnumeration(e, 2, 4, mode, kSpecModeWords);
}
void VdcExtent(Encoder& e, double x1, double y1, double x2, double y2) {
  e.tokens->begin(e, 2, 6, false);
  e.tokens->point(e, x1, y1);
  e.tokens->point(e, x2, y2);
  e.tokens->end(e);
}
void BackgroundColour(Encoder& e, long color) {
  OneColour(e, 2, 7, color);
}
void VdcIntegerPrecision(Encoder& e, int bits) {
  OnePrecision(e, 3, 1, bits);
}
void VdcRealPrecision(Encoder& e, int index) {
  e.tokens->begin(e, 3, 2, false);
  e.tokens->real_precision(e, index);
  e.tokens->end(e);
}
void AuxiliaryColour(Encoder& e, long color) {
  OneColour(e, 3, 3, color);
}
void Transparency(Encoder& e, int on) {
  OneEnumeration(e, 3, 4, on ? 1 : 0, kOnOffWords);
}
void ClipRectangle(Encoder& e, double x1, double y1, double x2, double y2) {
  e.tokens->begin(e, 3, 5, false);
  e.tokens->point(e, x1, y1);
  e.tokens->point(e, x2, y2);
  e.tokens->end(e);
}
void ClipIndicator(Encoder& e, int on) {
  OneEnumeration(e, 3, 6, on ? 1 : 0, kOnOffWords);
}

void Polyline(Encoder& e, const PointD* points, int n) {
  Points(e, 4, 1, points, n);
}
void Polymarker(Encoder& e, const PointD* points, int n) {
  Points(e, 4, 3, points, n);
}
void Polygon(Encoder& e, const PointD* points, int n) {
  Points(e, 4, 7, points, n);
}

void Text(Encoder& e, double x, double y, const char* s) {
  size_t n = std::strlen(s);
  const size_t piece = e.encoding == kClearText ? 50 : n; /* clear text cuts long strings */
  size_t first = n < piece ? n : piece;
  e.tokens->begin(e, 4, 4, false);
  e.tokens->point(e, x, y);
  e.tokens->newline(e, 10);
  e.tokens->enumeration(e, first == n ? 1 : 0, kFinalWords);
  e.tokens->string(e, s, first);
  e.tokens->end(e);
  for (size_t at = first; at < n; at += piece) {
    size_t len = n - at < piece ? n - at : piece;
    e.tokens->begin(e, 4, 6, false);
    e.tokens->enumeration(e, at + len == n ? 1 : 0, kFinalWords);
    e.tokens->string(e, s + at, len);
    e.tokens->end(e);
  }
}

void Rectangle(Encoder& e, double x1, double y1, double x2, double y2) {
  PointD corners[2] = {{x1, y1}, {x2, y2}};
  Points(e, 4, 11, corners, 2);
}

void EllipticalArc(Encoder& e, PointD centre, PointD cd1, PointD cd2, double dx1, double dy1,
                   double dx2, double dy2, int close) {
  e.tokens->begin(e, 4, close < 0 ? 18 : 19, false);
  e.tokens->point(e, centre.x, centre.y);
  e.tokens->point(e, cd1.x, cd1.y);
  e.tokens->point(e, cd2.x, cd2.y);
  e.tokens->vdc(e, dx1);
  e.tokens->vdc(e, dy1);
  e.tokens->vdc(e, dx2);
  e.tokens->vdc(e, dy2);
  if (close >= 0) e.tokens->enumeration(e, close, kClosureWords);
  e.tokens->end(e);
}

void CellArray(Encoder& e, PointD p, PointD q, PointD r, int nx, int ny, const long* colors) {
  const TokenWriters& t = *e.tokens;
  t.begin(e, 4, 9, true);
  t.point(e, p.x, p.y);
  t.point(e, q.x, q.y);
  t.point(e, r.x, r.y);
  t.integer(e, nx);
  t.integer(e, ny);
  t.local_colour_precision(e, 8);
  if (e.encoding == kBinary) {
    t.enumeration(e, 1, nullptr); /* packed */
    std::string& params = Params(e);
    size_t row_bytes = size_t(nx) * 3, padded = row_bytes + (row_bytes & 1);
    size_t at = params.size();
    params.resize(at + padded * size_t(ny), 0);
    char* out = params.data() + at;
    for (int y = 0; y < ny; y++, out += padded)
      for (int x = 0; x < nx; x++) {
        long c = colors[size_t(y) * size_t(nx) + size_t(x)];
        out[3 * x] = char((c >> 16) & 255);
        out[3 * x + 1] = char((c >> 8) & 255);
        out[3 * x + 2] = char(c & 255);
      }
  } else {
    t.newline(e, 1);
    t.literal(e, " (");
    for (int y = 0; y < ny; y++)
      for (int x = 0; x < nx; x++) {
        if (x > 0 || y > 0) t.literal(e, " ,");
        if (x % 5 == 0) t.newline(e, 3);
        ColourOf(e, colors[size_t(y) * size_t(nx) + size_t(x)]);
      }
    t.literal(e, " )");
  }
  t.end(e);
}

void LineType(Encoder& e, int type) {
  OneIndex(e, 5, 2, type);
}
void LineWidth(Encoder& e, double width) {
  OneVdc(e, 5, 3, width);
}
void LineColour(Encoder& e, long color) {
  OneColour(e, 5, 4, color);
}
void MarkerType(Encoder& e, int type) {
  OneIndex(e, 5, 6, type);
}
void MarkerSize(Encoder& e, double size) {
  OneVdc(e, 5, 7, size);
}
void MarkerColour(Encoder& e, long color) {
  OneColour(e, 5, 8, color);
}
void TextFontIndex(Encoder& e, int index) {
  OneIndex(e, 5, 10, index);
}
void TextColour(Encoder& e, long color) {
  OneColour(e, 5, 14, color);
}
void CharacterHeight(Encoder& e, double height) {
  OneVdc(e, 5, 15, height);
}
void TextAlignment(Encoder& e, int horizontal, int vertical) {
  e.tokens->begin(e, 5, 18, false);
  e.tokens->enumeration(e, horizontal, kHorizontalWords);
  e.tokens->enumeration(e, vertical, kVerticalWords);
  e.tokens->real(e, 0.0);
  e.tokens->real(e, 0.0);
  e.tokens->end(e);
}
void InteriorStyle(Encoder& e, int style) {
  OneEnumeration(e, 5, 22, style, kInteriorWords);
}
void FillColour(Encoder& e, long color) {
  OneColour(e, 5, 23, color);
}
void HatchIndex(Encoder& e, int index) {
  OneIndex(e, 5, 24, index);
}
void PatternIndex(Encoder& e, int index) {
  OneIndex(e, 5, 25, index);
}
void EdgeVisibility(Encoder& e, int on) {
  OneEnumeration(e, 5, 30, on ? 1 : 0, kOnOffWords);
}
void PatternTable(Encoder& e, int index, int nx, int ny, const long* colors) {
  e.tokens->begin(e, 5, 32, true);
  e.tokens->index(e, index);
  e.tokens->integer(e, nx);
  e.tokens->integer(e, ny);
  e.tokens->local_colour_precision(e, 8);
  for (long i = 0; i < long(nx) * ny; i++) ColourOf(e, colors[i]);
  e.tokens->end(e);
}

}  // namespace cdcgm
