// A binary metafile from an independent writer, GNU plotutils 2.6 (Debian),
// read by our player and compared with the same plot drawn by plotutils
// itself as a PNG. Both fixtures were made with
//   printf '0 10\n1 30\n2 25\n3 60\n4 45\n5 80\n' |
//     graph -T cgm -C -X Distance -Y Height -L Profile -m 1 -S 4 -W 0.004
//   (the same options with -T png --bitmap-size 400x400 for the picture).
// The metafile is a version 3 WebCGM profile: 16-bit integer VDC, fixed
// point reals, direct colour at 16 bits, the metric factor of SCALING MODE
// as a 32-bit float although the reals are fixed point, font properties,
// mitre limit, line and edge caps and joins (elements we skip), restricted
// text, an empty-interior rectangle with a visible edge, and circle markers.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "cdcgm.h"
#include "cgm_files.h"
#include "im.h"
#include "picture.h"

namespace {

const int kSide = 400;

struct Planes {
  int w = kSide, h = kSide;
  std::vector<unsigned char> r, g, b;
  bool Ink(int x, int y) const {  // dark enough to be a stroke, any colour
    size_t i = size_t(y) * size_t(w) + size_t(x);
    return r[i] + g[i] + b[i] < 3 * 200;
  }
  bool Red(int x, int y) const {  // the plotted line and its markers
    size_t i = size_t(y) * size_t(w) + size_t(x);
    return r[i] > 150 && g[i] < 100 && b[i] < 100;
  }
};

// The share of the pixels of `a` that pass `keep` and have a pixel of `b`
// passing `keep` within `reach` pixels.
template <class Keep>
double Covered(const Planes& a, const Planes& b, int reach, Keep keep, size_t* count) {
  size_t n = 0, near = 0;
  for (int y = 0; y < a.h; y++)
    for (int x = 0; x < a.w; x++) {
      if (!keep(a, x, y)) continue;
      n++;
      bool found = false;
      for (int dy = -reach; dy <= reach && !found; dy++)
        for (int dx = -reach; dx <= reach && !found; dx++) {
          int u = x + dx, v = y + dy;
          found = u >= 0 && v >= 0 && u < b.w && v < b.h && keep(b, u, v);
        }
      near += found;
    }
  *count = n;
  return n ? double(near) / double(n) : 0.0;
}

TEST(CgmPlotutils, ReadsAndDrawsItsProfile) {
  std::string dir = VARKO_TEST_DATA;
  Planes theirs;
  theirs.r.assign(size_t(kSide) * kSide, 0), theirs.g = theirs.r, theirs.b = theirs.r;
  std::string png = dir + "/plotutils_profile.png";
  ASSERT_EQ(
      imLoadRGBSized(png.c_str(), kSide, kSide, theirs.r.data(), theirs.g.data(), theirs.b.data()),
      IM_ERR_NONE);

  Planes ours;
  {
    cgmtest::Picture p(kSide, kSide);
    ASSERT_NE(p.cv, nullptr);
    std::string cgm = dir + "/plotutils_profile.cgm";
    ASSERT_EQ(cdPlay(CD_CGM, 0, kSide - 1, 0, kSide - 1, (void*)cgm.c_str()), CD_OK);
    if (std::getenv("CGM_KEEP_SCRATCH")) p.SavePpm(cgmtest::Scratch("plotutils_profile.ppm"));
    ours.r = p.r, ours.g = p.g, ours.b = p.b;
  }

  // The red polyline and its circle markers: the same pixels give or take
  // one (our markers are filled discs where plotutils draws rings, inside
  // the same box).
  auto red = [](const Planes& p, int x, int y) { return p.Red(x, y); };
  size_t our_red = 0, their_red = 0;
  double red_there = Covered(ours, theirs, 1, red, &our_red);
  double red_here = Covered(theirs, ours, 1, red, &their_red);
  EXPECT_GT(our_red, 500u);
  EXPECT_GT(their_red, 500u);
  EXPECT_GE(red_there, 0.97);
  EXPECT_GE(red_here, 0.97);

  // The frame of the plot with its ticks and the line inside it, away from
  // every label: the same pixels give or take one.
  auto framed = [](const Planes& p, int x, int y) {
    return x >= 78 && x < 324 && y >= 76 && y < 324 && p.Ink(x, y);
  };
  size_t our_frame = 0, their_frame = 0;
  double frame_there = Covered(ours, theirs, 1, framed, &our_frame);
  double frame_here = Covered(theirs, ours, 1, framed, &their_frame);
  EXPECT_GT(our_frame, 1500u);
  EXPECT_GE(frame_there, 0.98);
  EXPECT_GE(frame_here, 0.98);

  // All ink, the labels with it. The text cannot match glyph for glyph:
  // plotutils draws its PNG in its own serif stroke font and turns "Height"
  // upright, while the metafile names "Helvetica", which the player's font
  // rule (upper-case names) takes as the system font, and text orientation
  // is not applied. So the reach is wider and the thresholds lower; without
  // the labels plotutils' ink has ours near it for 0.65 only, which fails.
  auto ink = [](const Planes& p, int x, int y) { return p.Ink(x, y); };
  size_t our_ink = 0, their_ink = 0;
  double ink_there = Covered(ours, theirs, 2, ink, &our_ink);
  double ink_here = Covered(theirs, ours, 3, ink, &their_ink);
  std::printf(
      "plotutils profile: red %.3f / %.3f within 1 px, framed ink %.3f / %.3f within 1 px, all "
      "ink %.3f within 2 px / %.3f within 3 px (%zu and %zu ink pixels)\n",
      red_there, red_here, frame_there, frame_here, ink_there, ink_here, our_ink, their_ink);
  EXPECT_GE(ink_there, 0.95);
  EXPECT_GE(ink_here, 0.85);
}

}  // namespace
