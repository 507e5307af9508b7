// Timing of the route analysis on generated projects: the combined theme
// (ours and the literal column-major loop), the minimum-cost search and the
// path analysis walk; on the peers' raster, a route and a full cost surface.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <random>
#include <utility>
#include <vector>

#include "combined.h"
#include "minpath.h"

namespace {

using namespace route;

// Six themes of spatially correlated classes (blocky noise), with a few
// impassable blobs in the first, and a slope image of smooth hills.
struct Project {
  int size;
  std::vector<std::vector<unsigned char>> pixels;
  mutable std::vector<unsigned char> slope;
  mutable std::vector<int32_t> degrees;  // the same slopes as a raw grid of whole degrees
  std::vector<OverlayTheme> themes;
  std::vector<unsigned char> combined;
  Overlay overlay;
  explicit Project(int n) : size(n), pixels(6), combined(static_cast<std::size_t>(n) * n) {
    std::mt19937 rng(42);
    for (int t = 0; t < 6; ++t) {
      auto& p = pixels[static_cast<std::size_t>(t)];
      p.resize(static_cast<std::size_t>(n) * n);
      const int block = 8 << (t % 3);
      std::vector<unsigned char> coarse(
          static_cast<std::size_t>((n / block + 2) * (n / block + 2)));
      for (auto& c : coarse) c = static_cast<unsigned char>(rng() % 5);
      for (int y = 0; y < n; ++y)
        for (int x = 0; x < n; ++x)
          p[static_cast<std::size_t>(x + y * n)] =
              coarse[static_cast<std::size_t>(x / block + (y / block) * (n / block + 2))];
      if (t == 0) {  // the route ends and the inner point stay clear of the impassable blobs
        for (const auto& [cx, cy] :
             {std::pair{0, 0}, std::pair{n / 2, n / 3}, std::pair{n - 1, n - 1}})
          for (int y = std::max(0, cy - 8); y <= std::min(n - 1, cy + 8); ++y)
            for (int x = std::max(0, cx - 8); x <= std::min(n - 1, cx + 8); ++x)
              p[static_cast<std::size_t>(x + y * n)] = 0;
      }
      OverlayTheme theme;
      theme.image = {p.data(), n, n};
      theme.weight =
          0.05 * (1 + t);  // routes across 4000 pixels stay below the 100000 cost ceiling
      for (int v = 0; v < 256; ++v) theme.classWeight[v] = 1 + (v * 7 + t) % 11;
      if (t == 0) theme.classWeight[4] = 100000;  // about a fifth of the first theme is impassable
      themes.push_back(theme);
    }
    overlay = ComputeOverlay(themes, n, n, combined.data(), 2);
  }
  // Made on first use only: the timed cases without slope carry none.
  void MakeSlopes() const {
    if (!slope.empty()) return;
    const int n = size;
    slope.resize(combined.size());
    for (int y = 0; y < n; ++y) {
      for (int x = 0; x < n; ++x) {
        const double hills =
            std::sin(x * 0.013) * std::cos(y * 0.011) + 0.5 * std::sin((x + 2 * y) * 0.031);
        slope[static_cast<std::size_t>(x + y * n)] =
            static_cast<unsigned char>(std::clamp(hills * 100 + 128, 0.0, 255.0));
      }
    }
    degrees.resize(slope.size());
    for (std::size_t k = 0; k < slope.size(); ++k) degrees[k] = slope[k] * 60 / 255;
  }
  // Slope 1: the slope image, degrees 0 to 60 over the byte range, as a
  // project's slope file might say; 2: the raw grid of degrees.
  CostContext Context(int r, int i, int withSlope = 0) const {
    CostContext ctx;
    ctx.width = ctx.height = size;
    ctx.costGrid = {combined.data(), size, size};
    ctx.costScale = overlay.scale;
    ctx.costOffset = overlay.minValue;
    ctx.searchStep = r;
    ctx.searchRadius = i;
    if (withSlope != 0) MakeSlopes();
    if (withSlope == 1) {
      ctx.slopeMode = 0;
      ctx.slopeImage = {slope.data(), size, size};
      ctx.slopeCalibration = {0, 255, 0, 60};
    } else if (withSlope == 2) {
      ctx.slopeMode = 1;
      ctx.slopeGrid = {degrees.data(), size, size};
    }
    return ctx;
  }
};

// Each size is generated on first use, so a run filtered to one size does not build the other.
const Project& Get(int n) {
  if (n == 1000) {
    static const Project small(1000);
    return small;
  }
  static const Project large(4000);
  return large;
}

void BM_CombinedTheme(benchmark::State& state) {
  const Project& p = Get(static_cast<int>(state.range(0)));
  std::vector<unsigned char> out(p.combined.size());
  for (auto _ : state)
    benchmark::DoNotOptimize(ComputeOverlay(p.themes, p.size, p.size, out.data(), 2));
}

void BM_CombinedThemeLiteral(benchmark::State& state) {
  const Project& p = Get(static_cast<int>(state.range(0)));
  std::vector<unsigned char> out(p.combined.size());
  const int n = p.size;
  const auto sum = [&](int x, int y) {
    double s = 0;
    for (const OverlayTheme& t : p.themes) {
      const double cw = t.classWeight[t.image.At(x, y)];
      if (t.weight > 0 && cw >= 100000)
        s = 100000;
      else
        s = s + t.weight * cw;
      if (s >= 100000) s = 100000;
    }
    return s;
  };
  for (auto _ : state) {
    double lo = 100000, hi = 0;
    for (int x = 0; x < n; ++x)
      for (int y = 0; y < n; ++y) {
        const double s = sum(x, y);
        if (s < lo) lo = s;
        if (s > hi && s < 100000) hi = s;
      }
    for (int x = 0; x < n; ++x)
      for (int y = 0; y < n; ++y) {
        const double s = sum(x, y);
        out[static_cast<std::size_t>(x + y * n)] =
            s < 100000 ? static_cast<unsigned char>((s - lo) * 254 / (hi - lo)) : 255;
      }
    benchmark::DoNotOptimize(out.data());
  }
}

// Two legs, corner to inner point to the opposite corner; arguments size,
// step r, radius i and slope data (0 none, 1 the slope image).
void BM_MinimumPath(benchmark::State& state) {
  const Project& p = Get(static_cast<int>(state.range(0)));
  const CostContext ctx =
      p.Context(static_cast<int>(state.range(1)), static_cast<int>(state.range(2)),
                static_cast<int>(state.range(3)));
  const Point a{0, 0}, b{p.size / 2, p.size / 3}, c{p.size - 1, p.size - 1};
  for (auto _ : state) {
    const SearchGrid g(ctx.width, ctx.height, ctx.searchStep);
    EdgeCache cache(static_cast<long long>(g.columns) * g.rows,
                    AllowedMoves(ctx.searchRadius, g.columns).size(),
                    ctx.searchRadius * ctx.searchStep >= 2);
    auto first = FindLeg(ctx, a, b, &cache);
    auto second = FindLeg(ctx, b, c, &cache);
    if (first.empty() || second.empty()) state.SkipWithError("a leg found no route");
    state.counters["nodes"] = static_cast<double>(first.size() + second.size());
  }
}

void BM_PathAnalysisWalk(benchmark::State& state) {
  const Project& p = Get(static_cast<int>(state.range(0)));
  CostContext ctx = p.Context(1, 1);
  ctx.classGrid = ctx.costGrid;
  const auto route = FindLeg(ctx, {0, 0}, {p.size - 1, p.size - 1});
  if (route.empty()) state.SkipWithError("no route to walk");
  state.counters["nodes"] = static_cast<double>(route.size());
  float acc[256];
  for (auto _ : state) {
    std::fill(acc, acc + 256, 0.0f);
    benchmark::DoNotOptimize(PathCost(ctx, route, acc));
  }
}

// The peer raster written by route_peer.py or cost_surface_peer.py
// (VARKO_PEER_RASTER, n x n bytes of quantised values; size, scale and
// offset beside it) as a context at r = 1 and the benchmark's radius; false
// when the raster cannot be read.
bool PeerContext(benchmark::State& state, std::vector<unsigned char>& raster, CostContext& ctx) {
  const char* file = std::getenv("VARKO_PEER_RASTER");
  const int n = std::atoi(std::getenv("VARKO_PEER_SIZE"));
  raster.resize(static_cast<std::size_t>(n) * n);
  std::FILE* in = std::fopen(file, "rb");
  if (in == nullptr || std::fread(raster.data(), 1, raster.size(), in) != raster.size()) {
    if (in != nullptr) std::fclose(in);
    state.SkipWithError("cannot read the peer raster");
    return false;
  }
  std::fclose(in);
  ctx.width = ctx.height = n;
  ctx.costGrid = {raster.data(), n, n};
  ctx.costScale = std::atof(std::getenv("VARKO_PEER_SCALE"));
  ctx.costOffset = std::atof(std::getenv("VARKO_PEER_OFFSET"));
  ctx.searchStep = 1;
  ctx.searchRadius = static_cast<int>(state.range(0));
  return true;
}

// Corner to corner at r = 1 on the peer raster.
void BM_PeerCornerToCorner(benchmark::State& state) {
  std::vector<unsigned char> raster;
  CostContext ctx;
  if (!PeerContext(state, raster, ctx)) return;
  const int n = ctx.width;
  for (auto _ : state) {
    auto route = FindLeg(ctx, {0, 0}, {n - 1, n - 1});
    if (route.empty()) state.SkipWithError("no route from corner to corner");
    state.counters["nodes"] = static_cast<double>(route.size());
    state.counters["cost"] = PathCost(ctx, route, nullptr);
  }
}

// CostSurface's full surface from the corner (0, 0) on the peer raster; with
// VARKO_PEER_SURFACE the surface is written there as n x n floats, row 0
// first, for the peer script to compare.
void BM_PeerCostSurface(benchmark::State& state) {
  std::vector<unsigned char> raster;
  CostContext ctx;
  if (!PeerContext(state, raster, ctx)) return;
  const std::size_t cells = raster.size();
  std::unique_ptr<float[]> surface(new float[cells]);
  for (auto _ : state) {
    if (!ComputeCostSurface(ctx, {{0, 0}}, {}, surface.get()).done)
      state.SkipWithError("no surface");
    benchmark::DoNotOptimize(surface.get());
  }
  state.counters["far corner"] = surface[cells - 1];
  if (const char* out = std::getenv("VARKO_PEER_SURFACE")) {
    std::FILE* f = std::fopen(out, "wb");
    if (f == nullptr || std::fwrite(surface.get(), sizeof(float), cells, f) != cells)
      state.SkipWithError("cannot write the surface");
    if (f != nullptr) std::fclose(f);
  }
}

// The routes of the benchmark cases, four points searched leg by leg as
// MinimumPath searches them, one line per case: size, step, radius, slope
// data, node counts per leg and an
// FNV-1a digest of every point. bench/route_check.sh compares them with the
// lines the search gave before its pricing was rewritten.
void PrintRouteDigests() {
  struct Case {
    int size, step, radius, slope;
  };
  const Case cases[] = {{1000, 1, 1, 0},  {1000, 1, 2, 0}, {1000, 2, 3, 0}, {1000, 5, 3, 0},
                        {1000, 5, 3, 1},  {1000, 5, 3, 2}, {1000, 1, 3, 1}, {1000, 3, 5, 1},
                        {1000, 7, 10, 0}, {4000, 1, 1, 0}, {4000, 1, 2, 0}, {4000, 2, 3, 0},
                        {4000, 5, 3, 0},  {4000, 5, 3, 1}};
  for (const Case& k : cases) {
    const Project& p = Get(k.size);
    const CostContext ctx = p.Context(k.step, k.radius, k.slope);
    const int n = p.size;
    // the last leg runs the middle one backwards: its moves are priced the other way round
    const std::vector<Point> points{{0, 0}, {n / 2, n / 3}, {n - 1, n - 1}, {n / 2, n / 3}};
    const SearchGrid g(ctx.width, ctx.height, ctx.searchStep);
    EdgeCache cache(static_cast<long long>(g.columns) * g.rows,
                    AllowedMoves(ctx.searchRadius, std::max(g.columns, g.rows)).size(), true);
    uint64_t digest = 14695981039346656037ull;
    const auto mix = [&](int32_t v) {
      unsigned char bytes[4];
      std::memcpy(bytes, &v, 4);
      for (unsigned char b : bytes) digest = (digest ^ b) * 1099511628211ull;
    };
    std::printf("%d %d %d %s:", k.size, k.step, k.radius,
                k.slope == 0 ? "flat" : (k.slope == 1 ? "slope-image" : "slope-grid"));
    for (std::size_t q = 0; q + 1 < points.size(); ++q) {
      const std::vector<Point> leg = FindLeg(ctx, points[q], points[q + 1], &cache);
      mix(static_cast<int32_t>(leg.size()));
      for (const Point& pt : leg) {
        mix(pt.x);
        mix(pt.y);
      }
      std::printf(" %zu", leg.size());
    }
    std::printf(" %016llx\n", static_cast<unsigned long long>(digest));
    std::fflush(stdout);
  }
}

}  // namespace

BENCHMARK(BM_CombinedTheme)->Arg(1000)->Arg(4000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CombinedThemeLiteral)->Arg(1000)->Arg(4000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MinimumPath)
    ->ArgsProduct({{1000, 4000}, {1}, {1}, {0}})
    ->ArgsProduct({{1000, 4000}, {1}, {2}, {0}})
    ->ArgsProduct({{1000, 4000}, {5}, {3}, {0, 1}})
    ->ArgsProduct({{1000, 4000}, {2}, {3}, {0}})
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1);
BENCHMARK(BM_PathAnalysisWalk)->Arg(1000)->Arg(4000)->Unit(benchmark::kMillisecond);

int main(int argc, char** argv) {
  if (argc == 2 && std::strcmp(argv[1], "--route-digests") == 0) {
    PrintRouteDigests();
    return 0;
  }
  if (std::getenv("VARKO_PEER_RASTER") != nullptr) {
    benchmark::RegisterBenchmark("BM_PeerCornerToCorner", BM_PeerCornerToCorner)
        ->Arg(1)
        ->Arg(2)
        ->Iterations(1)
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("BM_PeerCostSurface", BM_PeerCostSurface)
        ->Arg(1)
        ->Arg(2)
        ->Iterations(1)
        ->Unit(benchmark::kMillisecond);
  }
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
