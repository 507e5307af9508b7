// An RGB image canvas for the CGM tests: planes the test reads, a
// resolution of its own, PPM output for looking at a picture, and the
// comparisons the round trip uses.
#ifndef VARKO_TESTS_CDCGM_PICTURE_H
#define VARKO_TESTS_CDCGM_PICTURE_H

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "cd.h"

namespace cgmtest {

struct Picture {
  int w, h;
  std::vector<unsigned char> r, g, b;
  cdCanvasHandle cv = nullptr;
  Picture(int width, int height, double res = 4)
      : w(width), h(height), r(size_t(w * h), 255), g(r), b(r) {
    char data[160];
    std::snprintf(data, sizeof data, "%dx%d %p %p %p -r%g", w, h, (void*)r.data(), (void*)g.data(),
                  (void*)b.data(), res);
    cv = cdCreateCanvas(CD_IMAGERGB, data);
    if (cv) cdActivate(cv);
  }
  ~Picture() {
    if (cv) cdKillCanvas(cv);
  }
  Picture(const Picture&) = delete;
  Picture& operator=(const Picture&) = delete;
  long At(int x, int y) const {
    size_t i = size_t(y) * size_t(w) + size_t(x);
    return (long(r[i]) << 16) | (long(g[i]) << 8) | long(b[i]);
  }
  bool Ink(int x, int y) const { return At(x, y) != 0xFFFFFF; }
  std::string Ppm() const {
    std::string out = "P6\n" + std::to_string(w) + " " + std::to_string(h) + "\n255\n";
    for (int y = h - 1; y >= 0; y--)  // row 0 is the bottom line
      for (int x = 0; x < w; x++) {
        size_t i = size_t(y) * size_t(w) + size_t(x);
        out += char(r[i]), out += char(g[i]), out += char(b[i]);
      }
    return out;
  }
  void SavePpm(const std::string& path) const {
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return;
    std::string s = Ppm();
    std::fwrite(s.data(), 1, s.size(), f);
    std::fclose(f);
  }
  size_t Differences(const Picture& o) const {
    size_t n = 0;
    for (size_t i = 0; i < r.size(); i++) n += r[i] != o.r[i] || g[i] != o.g[i] || b[i] != o.b[i];
    return n;
  }
};

// The share of a's ink pixels that have ink of the same colour in b
// within `reach` pixels.
inline double Covered(const Picture& a, const Picture& b, int reach) {
  size_t ink = 0, near = 0;
  for (int y = 0; y < a.h; y++)
    for (int x = 0; x < a.w; x++) {
      if (!a.Ink(x, y)) continue;
      ink++;
      bool found = false;
      for (int dy = -reach; dy <= reach && !found; dy++)
        for (int dx = -reach; dx <= reach && !found; dx++) {
          int u = x + dx, v = y + dy;
          found = u >= 0 && v >= 0 && u < b.w && v < b.h && b.At(u, v) == a.At(x, y);
        }
      near += found;
    }
  return ink ? double(near) / double(ink) : 1.0;
}

}  // namespace cgmtest

#endif
