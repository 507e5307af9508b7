/* Estimated font metrics for drivers that cannot measure text: sizes
 * derived from the point size and the device resolution, proportional
 * widths for the Times and Helvetica faces. */
#include <cstring>

#include "cdpriv.h"
#include "sim.h"

namespace cdsim {

namespace {

constexpr double kMmPerPoint = 0.35277777777777775;

/* Percent of the size per character code and style (plain, bold, italic,
 * bold italic), for the proportional faces; codes below 32 are zero. */
struct WidthTable {
  unsigned char w[256][4];
  WidthTable() {
    /* widths of codes 32..126 in percent, for a plain proportional face */
    static const unsigned char base[95] = {
        28, 28, 36, 56, 56, 89, 67, 19, 33, 33, 39, 58, 28, 33,  28, 28, 56, 56, 56,
        56, 56, 56, 56, 56, 56, 56, 28, 28, 58, 58, 58, 56, 100, 67, 67, 72, 72, 67,
        61, 78, 72, 28, 50, 67, 56, 83, 72, 78, 67, 78, 72, 67,  61, 72, 67, 94, 67,
        67, 61, 28, 28, 28, 47, 56, 33, 56, 56, 50, 56, 56, 28,  56, 56, 22, 22, 50,
        22, 83, 56, 56, 56, 56, 33, 50, 28, 56, 50, 72, 50, 50,  50, 33, 26, 33, 58};
    std::memset(w, 0, sizeof w);
    for (int c = 32; c < 256; c++) {
      int plain = c < 127 ? base[c - 32] : 56;
      w[c][0] = (unsigned char)plain;
      w[c][1] = (unsigned char)(plain + plain / 10);
      w[c][2] = (unsigned char)plain;
      w[c][3] = (unsigned char)(plain + plain / 10);
    }
  }
};

const WidthTable& Table() {
  static const WidthTable table;
  return table;
}

struct Scale {
  double sx, sy;
};

Scale Scales(const cdCanvas* cv) {
  double pxw = 1.0 / cv->xres, pxh = 1.0 / cv->yres; /* millimetres per pixel */
  int size = cv->font_size;
  double points = size < 0 ? -size * pxh / kMmPerPoint : size;
  return {kMmPerPoint / pxw * points, kMmPerPoint / pxh * points};
}

bool Proportional(int face) {
  return face == CD_TIMES_ROMAN || face == CD_HELVETICA;
}

int CharWidth(const cdCanvas* cv, const Scale& s, unsigned char c) {
  if (!Proportional(cv->font_face)) return int(s.sx * 0.6 + 0.5);
  int style = cv->font_style >= 0 && cv->font_style < 4 ? cv->font_style : 0;
  return int(Table().w[c][style] * s.sx / 100 + 0.5);
}

}  // namespace

void EstimatedFontDim(cdCanvas* cv, int* max_width, int* height, int* ascent, int* descent) {
  Scale s = Scales(cv);
  int h = int(s.sy * 1.2 + 0.5);
  bool italic = cv->font_style == CD_ITALIC || cv->font_style == CD_BOLD_ITALIC;
  bool bold = cv->font_style == CD_BOLD || cv->font_style == CD_BOLD_ITALIC;
  int mw;
  if (Proportional(cv->font_face))
    mw = int(s.sx * (italic ? 1.15 : 1.05) + 0.5);
  else
    mw = int(s.sx * (bold ? 0.8 : 0.65) + 0.5);
  if (max_width) *max_width = mw;
  if (height) *height = h;
  if (ascent) *ascent = int(h * 0.75 + 0.5);
  if (descent) *descent = int(h * 0.2 + 0.5);
}

void EstimatedTextSize(cdCanvas* cv, const char* s, int* width, int* height) {
  Scale sc = Scales(cv);
  int line_height = int(sc.sy * 1.2 + 0.5);
  int widest = 0, current = 0, lines = 1;
  for (const char* p = s; *p; p++) {
    if (*p == '\n') {
      lines++;
      current = 0;
      continue;
    }
    current += CharWidth(cv, sc, (unsigned char)*p);
    if (current > widest) widest = current;
  }
  if (width) *width = widest;
  if (height) *height = line_height * lines;
}

}  // namespace cdsim
