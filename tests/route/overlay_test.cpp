// The threaded row-major overlay against the literal column-major loop.
#include <algorithm>
#include <gtest/gtest.h>

#include <random>

#include "combined.h"

namespace route {
namespace {

double LiteralSum(const std::vector<OverlayTheme>& themes, int x, int y) {
  double s = 0;
  for (const OverlayTheme& t : themes) {
    const double cw = t.classWeight[t.image.At(x, y)];
    if (t.weight > 0 && cw >= 100000)
      s = 100000;
    else
      s = s + t.weight * cw;
    if (s >= 100000) s = 100000;
  }
  return s;
}

Overlay Literal(const std::vector<OverlayTheme>& themes, int w, int h, unsigned char* out) {
  Overlay o{100000, 0, 0};
  for (int x = 0; x < w; ++x)
    for (int y = 0; y < h; ++y) {
      const double s = LiteralSum(themes, x, y);
      if (s < o.minValue) o.minValue = s;
      if (s > o.maxValue && s < 100000) o.maxValue = s;
    }
  o.scale = (o.maxValue - o.minValue) / 254;
  for (int x = 0; x < w; ++x)
    for (int y = 0; y < h; ++y) {
      const double s = LiteralSum(themes, x, y);
      out[x + y * w] = s < 100000 ? static_cast<unsigned char>(static_cast<int>(
                                        (s - o.minValue) * 254 / (o.maxValue - o.minValue)))
                                  : 255;
    }
  return o;
}

struct Themes {
  std::vector<std::vector<unsigned char>> pixels;
  std::vector<OverlayTheme> list;
};

Themes Random(std::mt19937& rng, int w, int h, int count) {
  Themes t;
  t.pixels.resize(static_cast<std::size_t>(count));
  for (int k = 0; k < count; ++k) {
    auto& p = t.pixels[static_cast<std::size_t>(k)];
    p.resize(static_cast<std::size_t>(w * h));
    for (auto& v : p) v = static_cast<unsigned char>(rng() % 6);
    OverlayTheme theme;
    theme.image = {p.data(), w, h};
    theme.weight = (k == 2) ? -0.37 : 0.1 + (rng() % 100) / 7.0;
    for (int v = 0; v < 256; ++v)
      theme.classWeight[v] = (v == 5 && k == 0) ? 100000 : (rng() % 1000) / 3.0;
    t.list.push_back(theme);
  }
  return t;
}

TEST(Overlay, SameBytesAndRangeAsTheLiteralLoopForAnyThreadCount) {
  std::mt19937 rng(7);
  for (int trial = 0; trial < 20; ++trial) {
    const int w = 1 + static_cast<int>(rng() % 90), h = 1 + static_cast<int>(rng() % 90);
    Themes t = Random(rng, w, h, 1 + static_cast<int>(rng() % 6));
    std::vector<unsigned char> expected(static_cast<std::size_t>(w * h));
    const Overlay lit = Literal(t.list, w, h, expected.data());
    if (lit.maxValue == lit.minValue) continue;
    for (unsigned threads : {1u, 2u, 5u}) {
      std::vector<unsigned char> got(expected.size(), 77);
      const Overlay o = ComputeOverlay(t.list, w, h, got.data(), threads);
      EXPECT_EQ(got, expected) << "trial " << trial << " threads " << threads;
      EXPECT_EQ(o.minValue, lit.minValue);
      EXPECT_EQ(o.maxValue, lit.maxValue);
      EXPECT_EQ(o.scale, lit.scale);
    }
  }
}

// Past two million pixels the rows are summed again instead of kept: both
// ways must give the literal loop's bytes.
TEST(Overlay, LargeRasterSummedTwiceGivesTheSameBytes) {
  std::mt19937 rng(11);
  const int w = 1500, h = 1401;
  Themes t = Random(rng, w, h, 3);
  std::vector<unsigned char> expected(static_cast<std::size_t>(w) * h), got(expected.size(), 77);
  const Overlay lit = Literal(t.list, w, h, expected.data());
  const Overlay o = ComputeOverlay(t.list, w, h, got.data(), 2);
  EXPECT_TRUE(got == expected);
  EXPECT_EQ(o.minValue, lit.minValue);
  EXPECT_EQ(o.maxValue, lit.maxValue);
}

// Progress is told between bands, rising to 1 in both passes; with it the
// bytes are the same, and a false answer stops the work (in either pass)
// with the result marked cancelled.
TEST(Overlay, ProgressRisesToOneAndFalseStops) {
  std::mt19937 rng(5);
  const int w = 37, h = 83;
  Themes t = Random(rng, w, h, 3);
  std::vector<unsigned char> expected(static_cast<std::size_t>(w) * h), got(expected.size(), 77);
  const Overlay lit = Literal(t.list, w, h, expected.data());
  std::vector<double> told;
  const Overlay o = ComputeOverlay(t.list, w, h, got.data(), 2, [&](double f) {
    told.push_back(f);
    return true;
  });
  EXPECT_FALSE(o.cancelled);
  EXPECT_TRUE(got == expected);
  EXPECT_EQ(o.maxValue, lit.maxValue);
  ASSERT_GT(told.size(), 10u);
  EXPECT_TRUE(std::is_sorted(told.begin(), told.end()));
  EXPECT_DOUBLE_EQ(told.back(), 1.0);
  EXPECT_NE(std::find(told.begin(), told.end(), 0.5), told.end())
      << "the first pass ends at one half";
  for (double stop_at : {0.1, 0.5, 0.75}) {
    std::vector<unsigned char> cut(expected.size(), 77);
    int calls = 0;
    const Overlay c = ComputeOverlay(t.list, w, h, cut.data(), 2, [&](double f) {
      ++calls;
      return f < stop_at;
    });
    EXPECT_TRUE(c.cancelled) << stop_at;
    EXPECT_LT(calls, static_cast<int>(told.size())) << stop_at;
    if (stop_at <= 0.5) {
      EXPECT_EQ(std::count(cut.begin(), cut.end(), 77), w * h) << "nothing written";
    }
  }
}

// One theme over pixel values 0..3, with the given class weights.
Overlay OneTheme(double themeWeight, std::vector<double> weights, std::vector<unsigned char>& out,
                 std::vector<unsigned char> pixels = {0, 1, 0, 1}) {
  static std::vector<unsigned char> keep;
  keep = pixels;
  OverlayTheme t;
  t.image = {keep.data(), 2, 2};
  t.weight = themeWeight;
  for (std::size_t v = 0; v < weights.size(); ++v) t.classWeight[v] = weights[v];
  out.assign(4, 0);
  return ComputeOverlay({t}, 2, 2, out.data(), 2);
}

TEST(Overlay, EdgeCases) {
  std::vector<unsigned char> out;
  Overlay o = OneTheme(2, {10, 30}, out);
  EXPECT_EQ(o.minValue, 20);
  EXPECT_EQ(o.maxValue, 60);
  EXPECT_EQ(out, (std::vector<unsigned char>{0, 254, 0, 254}));
  OneTheme(0.5, {10, 100000}, out);
  EXPECT_EQ(out[1], 255) << "impassable class";
  o = OneTheme(0, {10, 100000}, out);
  EXPECT_EQ(out[1], 0) << "a theme of weight 0 contributes 0 x 100000";
  o = OneTheme(1, {7, 7}, out);
  EXPECT_EQ(o.minValue, o.maxValue);
  EXPECT_EQ(out, (std::vector<unsigned char>(4, 0))) << "one cost everywhere: no division by zero";
  o = OneTheme(1, {100000, 100000}, out);
  EXPECT_EQ(o.minValue, 100000);
  EXPECT_EQ(o.maxValue, 0);
  EXPECT_EQ(out, (std::vector<unsigned char>(4, 255)));
  // 100000 after the first theme, then -10 from a second: passable again
  std::vector<unsigned char> a{0, 0, 0, 1}, b{0, 0, 0, 0};
  OverlayTheme first, second;
  first.image = {a.data(), 2, 2};
  first.weight = 1;
  first.classWeight[0] = 100;
  first.classWeight[1] = 200000;
  second.image = {b.data(), 2, 2};
  second.weight = -1;
  second.classWeight[0] = 10;
  out.assign(4, 0);
  o = ComputeOverlay({first, second}, 2, 2, out.data(), 1);
  EXPECT_EQ(o.maxValue, 99990);
  EXPECT_EQ(out[3], 254);
}

}  // namespace
}  // namespace route
