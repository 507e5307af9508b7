// imRGB2Map (dithered path) and imStretch on a 4000 x 4000 picture.
#include <benchmark/benchmark.h>

#include <vector>

#include "im.h"

namespace {

constexpr int kSide = 4000;

struct Picture {
  std::vector<unsigned char> r, g, b, map;
  Picture() : r(kSide * kSide), g(kSide * kSide), b(kSide * kSide), map(kSide * kSide) {
    for (int y = 0; y < kSide; ++y)
      for (int x = 0; x < kSide; ++x) {
        size_t i = static_cast<size_t>(y) * kSide + x;
        r[i] = static_cast<unsigned char>(x * 255 / kSide);
        g[i] = static_cast<unsigned char>(y * 255 / kSide);
        b[i] = static_cast<unsigned char>((x ^ y) & 255);
      }
  }
};

const Picture& Shared() {
  static const Picture picture;
  return picture;
}

void BM_RGB2Map(benchmark::State& state) {
  const Picture& p = Shared();
  std::vector<unsigned char> map(p.map.size());
  uint32_t palette[256];
  for (auto _ : state)
    benchmark::DoNotOptimize(
        imRGB2Map(kSide, kSide, p.r.data(), p.g.data(), p.b.data(), map.data(), 256, palette));
}
BENCHMARK(BM_RGB2Map)->Unit(benchmark::kMillisecond);

void BM_Stretch(benchmark::State& state) {
  const Picture& p = Shared();
  std::vector<unsigned char> out(3999 * 4001);
  for (auto _ : state) {
    benchmark::DoNotOptimize(imStretch(kSide, kSide, p.r.data(), 3999, 4001, out.data()));
  }
}
BENCHMARK(BM_Stretch)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
