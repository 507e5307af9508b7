// A CD_IMAGERGB canvas over three white planes the test can read, made
// active when opened.
#ifndef VARKO_TESTS_CD_RGB_CANVAS_H
#define VARKO_TESTS_CD_RGB_CANVAS_H

#include <cstdio>
#include <vector>

#include "cd.h"

struct RgbCanvas {
  int w = 0, h = 0;
  std::vector<unsigned char> r, g, b;
  cdCanvasHandle cv = nullptr;
  /* false when the canvas could not be made */
  bool Open(int width, int height) {
    w = width, h = height;
    r.assign(size_t(w * h), 255), g = r, b = r;
    char data[128];
    std::snprintf(data, sizeof data, "%dx%d %p %p %p", w, h, (void*)r.data(), (void*)g.data(),
                  (void*)b.data());
    cv = cdCreateCanvas(CD_IMAGERGB, data);
    if (cv) cdActivate(cv);
    return cv != nullptr;
  }
  void Close() {
    if (cv) cdKillCanvas(cv);
    cv = nullptr;
  }
  long At(int x, int y) const {
    size_t i = size_t(y * w + x);
    return cdEncodeColor(r[i], g[i], b[i]);
  }
};

#endif
