// A canvas driver that records what the CGM player asks of it: drawing
// calls with their device coordinates and the attributes they are drawn
// with. 100 x 100 pixels, 10 pixels per millimetre.
#ifndef VARKO_TESTS_CDCGM_RECORDER_H
#define VARKO_TESTS_CDCGM_RECORDER_H

#include <string>
#include <vector>

#include "cddriver.h"

namespace cgmtest {

struct Call {
  std::string what;  // "poly", "line", "mark", "text", "image", "clip", "cliparea", "flush"
  int mode = 0;      // polygon mode, clip mode
  std::vector<cdPoint> points;
  std::string text;
  long color = 0;  // foreground when drawn
  int line_width = 0, line_style = 0, mark_type = 0, mark_size = 0, interior = 0, hatch = 0;
  int face = 0, style = 0, size = 0, alignment = 0, opacity = 0;
  int w = 0, h = 0;  // images: the target size; iw, ih in the points
  std::vector<unsigned char> r, g, b;
};

inline std::vector<Call>& Calls() {
  static std::vector<Call> calls;
  return calls;
}

inline Call Record(cdCanvas* cv, const char* what) {
  Call c;
  c.what = what;
  c.color = cv->foreground;
  c.line_width = cv->line_width, c.line_style = cv->line_style;
  c.mark_type = cv->mark_type, c.mark_size = cv->mark_size;
  c.interior = cv->interior_style, c.hatch = cv->hatch_style;
  c.face = cv->font_face, c.style = cv->font_style, c.size = cv->font_size;
  c.alignment = cv->text_alignment, c.opacity = cv->back_opacity;
  return c;
}

inline void RecorderCreate(cdCanvas* cv, void* data) {
  cv->w = cv->h = 100;
  cv->w_mm = cv->h_mm = 10;
  cv->xres = cv->yres = 10;
  cv->bpp = 24;
  cv->driver_data = data;
}

inline void RecorderFill(cdCanvas* cv) {
  cdOperations& o = cv->ops;
  o.Flush = [](cdCanvas* c) { Calls().push_back(Record(c, "flush")); };
  o.Pixel = [](cdCanvas* c, int x, int y, long color) {
    Call k = Record(c, "pixel");
    k.points = {{x, y}};
    k.color = color;
    Calls().push_back(k);
  };
  o.Mark = [](cdCanvas* c, int x, int y) {
    Call k = Record(c, "mark");
    k.points = {{x, y}};
    Calls().push_back(k);
  };
  o.Line = [](cdCanvas* c, int x1, int y1, int x2, int y2) {
    Call k = Record(c, "line");
    k.points = {{x1, y1}, {x2, y2}};
    Calls().push_back(k);
  };
  o.Poly = [](cdCanvas* c, int mode, cdPoint* p, int n) {
    Call k = Record(c, "poly");
    k.mode = mode;
    k.points.assign(p, p + n);
    Calls().push_back(k);
  };
  o.Text = [](cdCanvas* c, int x, int y, const char* s) {
    Call k = Record(c, "text");
    k.points = {{x, y}};
    k.text = s;
    Calls().push_back(k);
  };
  o.PutImageRectRGB = [](cdCanvas* c, int iw, int ih, const unsigned char* r,
                         const unsigned char* g, const unsigned char* b, int x, int y, int w, int h,
                         int, int, int, int) {
    Call k = Record(c, "image");
    k.points = {{x, y}, {iw, ih}};
    k.w = w, k.h = h;
    k.r.assign(r, r + iw * ih), k.g.assign(g, g + iw * ih), k.b.assign(b, b + iw * ih);
    Calls().push_back(k);
  };
  o.Clip = [](cdCanvas* c, int mode) {
    Call k = Record(c, "clip");
    k.mode = mode;
    Calls().push_back(k);
    return mode;
  };
  o.ClipArea = [](cdCanvas* c, int* a, int* b, int* d, int* e) {
    Call k = Record(c, "cliparea");
    k.points = {{*a, *d}, {*b, *e}};
    Calls().push_back(k);
  };
  o.KillCanvas = [](cdCanvas*) {};
  o.Activate = [](cdCanvas*) -> int { return CD_OK; };
}

inline cdDriver* RecorderDriver() {
  static cdDriver driver = {CD_CAP_ALL, RecorderCreate,        RecorderFill, nullptr,
                            nullptr,    "CD_CGMTEST_RECORDER", CD_DATA_TEXT};
  return &driver;
}

// the calls of one kind
inline std::vector<Call> Only(const std::string& what) {
  std::vector<Call> out;
  for (const Call& c : Calls())
    if (c.what == what) out.push_back(c);
  return out;
}

}  // namespace cgmtest

#endif
