// An RGB image canvas for chart tests, and the byte-for-byte comparison of
// what it holds with a committed PPM reference. VARKO_UPDATE_GOLDENS=1
// rewrites the references (then look at every one before committing).
#ifndef VARKO_TESTS_XY_PICTURE_H
#define VARKO_TESTS_XY_PICTURE_H

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "cd.h"

struct Picture {
  int w, h;
  std::vector<unsigned char> r, g, b;
  cdCanvasHandle cv;
  Picture(int w_, int h_) : w(w_), h(h_), r(size_t(w * h), 255), g(r), b(r) {
    char data[128];
    std::snprintf(data, sizeof data, "%dx%d %p %p %p", w, h, (void*)r.data(), (void*)g.data(),
                  (void*)b.data());
    cv = cdCreateCanvas(CD_IMAGERGB, data);
    cdActivate(cv);
  }
  ~Picture() { cdKillCanvas(cv); }
  Picture(const Picture&) = delete;
  Picture& operator=(const Picture&) = delete;
  long At(int x, int y) const {
    size_t i = size_t(y * w + x);
    return cdEncodeColor(r[i], g[i], b[i]);
  }
  std::string Ppm() const {
    std::string out = "P6\n" + std::to_string(w) + " " + std::to_string(h) + "\n255\n";
    for (int y = h - 1; y >= 0; y--)  // row 0 is the bottom line
      for (int x = 0; x < w; x++) {
        size_t i = size_t(y * w + x);
        out += char(r[i]), out += char(g[i]), out += char(b[i]);
      }
    return out;
  }
};

inline void CompareWithGolden(const Picture& p, const std::string& name) {
  std::string path = std::string(VARKO_TEST_DATA) + "/golden/" + name + ".ppm";
  std::string now = p.Ppm();
  if (std::getenv("VARKO_UPDATE_GOLDENS")) {
    FILE* f = std::fopen(path.c_str(), "wb");
    ASSERT_NE(f, nullptr) << path;
    std::fwrite(now.data(), 1, now.size(), f);
    std::fclose(f);
    return;
  }
  FILE* f = std::fopen(path.c_str(), "rb");
  ASSERT_NE(f, nullptr) << "missing golden " << path;
  std::string want;
  char buf[4096];
  size_t n;
  while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) want.append(buf, n);
  std::fclose(f);
  ASSERT_EQ(want.size(), now.size()) << name;
  size_t diff = 0;
  for (size_t i = 0; i < want.size(); i++) diff += want[i] != now[i];
  EXPECT_EQ(diff, 0u) << name << ": bytes differ";
}

#endif
