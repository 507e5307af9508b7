// CGM round trip speed: 100 000 primitives (lines, polylines, filled
// quadrilaterals, boxes, rectangles, marks, with a colour change before
// each) drawn directly on an 800 x 600 RGB image canvas, written as CGM in
// both encodings, and read back and drawn on the same canvas. The goal is
// read-back-and-draw within twice the direct drawing: compare BM_Play/*
// with BM_DrawDirect of the same run.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>
#include <vector>

#include "cd.h"
#include "cdcgm.h"

namespace {

const int W = 800, H = 600, kPrimitives = 100000;

struct Rgb {
  std::vector<unsigned char> r, g, b;
  cdCanvasHandle cv = nullptr;
  Rgb() : r(size_t(W) * H, 255), g(r), b(r) {
    char data[160];
    std::snprintf(data, sizeof data, "%dx%d %p %p %p -r4", W, H, (void*)r.data(), (void*)g.data(),
                  (void*)b.data());
    cv = cdCreateCanvas(CD_IMAGERGB, data);
    cdActivate(cv);
  }
  ~Rgb() { cdKillCanvas(cv); }
};

void Scene() {
  unsigned seed = 12345;
  auto next = [&](int n) {
    seed = seed * 1103515245u + 12345u;
    return int((seed >> 8) % unsigned(n));
  };
  cdLineStyle(CD_CONTINUOUS);
  cdMarkType(CD_PLUS);
  cdMarkSize(7);
  for (int i = 0; i < kPrimitives; i++) {
    cdForeground(cdEncodeColor((unsigned char)next(256), (unsigned char)next(256),
                               (unsigned char)next(256)));
    int x = next(W - 60), y = next(H - 60), a = 4 + next(50), b = 4 + next(50);
    switch (i % 10) {
      case 0:
      case 1:
      case 2:
        cdLine(x, y, x + a, y + b);
        break;
      case 3:
        cdBegin(CD_OPEN_LINES);
        cdVertex(x, y), cdVertex(x + a, y + 5), cdVertex(x + a / 2, y + b),
            cdVertex(x + 3, y + b / 2);
        cdEnd();
        break;
      case 4:
      case 5:
        cdBegin(CD_FILL);
        cdVertex(x, y), cdVertex(x + a, y + 3), cdVertex(x + a - 5, y + b),
            cdVertex(x + 2, y + b - 4);
        cdEnd();
        break;
      case 6:
      case 7:
        cdBox(x, x + a, y, y + b);
        break;
      case 8:
        cdRect(x, x + a, y, y + b);
        break;
      default:
        cdMark(x + a / 2, y + b / 2);
    }
  }
}

std::string Write(const char* option) {
  std::string path = std::string("/tmp/bench_cd_cgm") + (option[0] ? "_t" : "") + ".cgm";
  std::string data = path + " 200x150 4" + option;
  cdCanvasHandle cv = cdCreateCanvas(CD_CGM, (void*)data.c_str());
  cdActivate(cv);
  Scene();
  cdKillCanvas(cv);
  return path;
}

void BM_DrawDirect(benchmark::State& state) {
  Rgb canvas;
  for (auto _ : state) Scene();
  state.SetItemsProcessed(state.iterations() * kPrimitives);
}
BENCHMARK(BM_DrawDirect)->Unit(benchmark::kMillisecond);

void BM_Write(benchmark::State& state) {
  const char* option = state.range(0) ? " -t" : "";
  for (auto _ : state) Write(option);
  state.SetLabel(state.range(0) ? "clear text" : "binary");
  state.SetItemsProcessed(state.iterations() * kPrimitives);
}
BENCHMARK(BM_Write)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

void BM_Play(benchmark::State& state) {
  std::string path = Write(state.range(0) ? " -t" : "");
  Rgb canvas;
  for (auto _ : state) cdPlay(CD_CGM, 0, W, 0, H, (void*)path.c_str());
  FILE* f = std::fopen(path.c_str(), "rb");
  long size = 0;
  if (f) std::fseek(f, 0, SEEK_END), size = std::ftell(f), std::fclose(f);
  state.SetLabel(std::string(state.range(0) ? "clear text, " : "binary, ") +
                 std::to_string(size / 1024) + " KiB");
  state.SetItemsProcessed(state.iterations() * kPrimitives);
  std::remove(path.c_str());
}
BENCHMARK(BM_Play)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
