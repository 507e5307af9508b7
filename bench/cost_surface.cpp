// CostSurface's computation on the peer raster of cost_surface_peer.py
// (VARKO_PEER_RASTER, n x n bytes of quantised values, VARKO_PEER_SIZE,
// VARKO_PEER_SCALE, VARKO_PEER_OFFSET): the full surface from one corner at
// step 1 and radius 1 (and 2), the moves MCP_Geometric takes. With
// VARKO_PEER_SURFACE the last surface is written there as n x n floats, row 0
// first, for the peer script to compare.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <vector>

#include "minpath.h"

namespace {

using namespace route;

void BM_PeerCostSurface(benchmark::State& state) {
  const char* file = std::getenv("VARKO_PEER_RASTER");
  const int n = std::atoi(std::getenv("VARKO_PEER_SIZE"));
  const std::size_t cells = static_cast<std::size_t>(n) * n;
  std::vector<unsigned char> raster(cells);
  std::FILE* in = std::fopen(file, "rb");
  if (in == nullptr || std::fread(raster.data(), 1, raster.size(), in) != raster.size()) {
    if (in != nullptr) std::fclose(in);
    state.SkipWithError("cannot read the peer raster");
    return;
  }
  std::fclose(in);
  CostContext ctx;
  ctx.width = ctx.height = n;
  ctx.costGrid = {raster.data(), n, n};
  ctx.costScale = std::atof(std::getenv("VARKO_PEER_SCALE"));
  ctx.costOffset = std::atof(std::getenv("VARKO_PEER_OFFSET"));
  ctx.searchStep = 1;
  ctx.searchRadius = static_cast<int>(state.range(0));
  std::unique_ptr<float[]> surface(new float[cells]);
  for (auto _ : state) {
    const SurfaceResult result = ComputeCostSurface(ctx, {{0, 0}}, {}, surface.get());
    if (!result.done) state.SkipWithError("no surface");
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

}  // namespace

int main(int argc, char** argv) {
  if (std::getenv("VARKO_PEER_RASTER") != nullptr) {
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
