// Redrawing a line curve of 1 000 000 samples on an 800 x 600 RGB image
// canvas through the chart library, beside cairo's image surface stroking
// the same polyline (the same device points, width 1, no antialiasing).
// The end prints cairo time / ours (above 1 means we are faster) from the
// best of the repetitions (--benchmark_repetitions=N), since the machine
// may be shared. Both pictures are checked to have ink where the curve is.
#include <benchmark/benchmark.h>
#include <cairo.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "cd.h"
#include "wd.h"
#include "xychart.h"

namespace {

constexpr int kWidth = 800, kHeight = 600, kSamples = 1000000;

// A profile-like series: distance against a value that wanders.
struct Series {
  std::vector<double> xs, ys;
  Series() {
    xs.reserve(kSamples), ys.reserve(kSamples);
    unsigned state = 12345;
    double v = 50;
    for (int i = 0; i < kSamples; i++) {
      state = state * 1103515245u + 12345u;
      v += (int((state >> 8) % 201u) - 100) * 0.01;
      if (v < 5) v = 5;
      if (v > 95) v = 95;
      xs.push_back(i * 0.25);
      ys.push_back(v + 3 * std::sin(i * 0.001));
    }
  }
};

const Series& TheSeries() {
  static const Series series;
  return series;
}

struct Chart {
  std::vector<unsigned char> r, g, b;
  cdCanvasHandle cv;
  XYChart* chart;
  Chart() : r(kWidth * kHeight, 255), g(r), b(r) {
    char data[128];
    std::snprintf(data, sizeof data, "%dx%d %p %p %p", kWidth, kHeight, (void*)r.data(),
                  (void*)g.data(), (void*)b.data());
    cv = cdCreateCanvas(CD_IMAGERGB, data);
    cdActivate(cv);
    chart = XYChartCreateOnCanvas(cv, {}, 0.1, 0.95, 0.1, 0.95, 0xffffff, 0xc0c0c0, 1);
    const Series& s = TheSeries();
    XYChartSetRanges(chart, 0, s.xs.back(), 0, 100, 10, 10);
    XYChartAddLineCurve(chart, "", 8, s.xs.data(), s.ys.data(), kSamples, 0xff0000, 1, 0);
    XYChartRefresh(chart);  // lays the curve out in the plot area
  }
  ~Chart() {
    XYChartDestroy(chart);
    cdKillCanvas(cv);
  }
  int RedPixels() const {
    int n = 0;
    for (size_t i = 0; i < r.size(); i++) n += r[i] == 255 && g[i] == 0 && b[i] == 0;
    return n;
  }
};

void BM_Ours_CurveRedraw(benchmark::State& state) {
  Chart c;
  for (auto _ : state) {
    c.chart->curve->redraw();
    benchmark::ClobberMemory();
  }
  state.counters["red_pixels"] = c.RedPixels();
}

// The same device points the curve draws: its axes' window on its viewport.
std::vector<double> DevicePoints() {
  Chart c;
  int vx0, vx1, vy0, vy1;
  c.chart->curve->getViewport(&vx0, &vx1, &vy0, &vy1);
  wdWindow(0, TheSeries().xs.back(), 0, 100);
  wdViewport(vx0, vx1, vy0, vy1);
  std::vector<double> points;
  points.reserve(2 * kSamples);
  const Series& s = TheSeries();
  for (int i = 0; i < kSamples; i++) {
    int x, y;
    wdWorld2Canvas(s.xs[size_t(i)], s.ys[size_t(i)], &x, &y);
    points.push_back(x + 0.5);                // pixel centres
    points.push_back(kHeight - 1 - y + 0.5);  // cairo's y runs down
  }
  return points;
}

void BM_Cairo_CurveStroke(benchmark::State& state) {
  const std::vector<double> points = DevicePoints();
  cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_RGB24, kWidth, kHeight);
  cairo_t* cr = cairo_create(surface);
  cairo_set_antialias(cr, CAIRO_ANTIALIAS_NONE);
  cairo_set_source_rgb(cr, 1, 1, 1);
  cairo_paint(cr);
  cairo_set_line_width(cr, 1.0);
  cairo_set_source_rgb(cr, 1, 0, 0);
  for (auto _ : state) {
    cairo_move_to(cr, points[0], points[1]);
    for (size_t i = 2; i < points.size(); i += 2) cairo_line_to(cr, points[i], points[i + 1]);
    cairo_stroke(cr);
    cairo_surface_flush(surface);
  }
  int red = 0;
  const unsigned char* data = cairo_image_surface_get_data(surface);
  const int stride = cairo_image_surface_get_stride(surface);
  for (int y = 0; y < kHeight; y++)
    for (int x = 0; x < kWidth; x++) {
      uint32_t pixel;
      std::memcpy(&pixel, data + y * stride + x * 4, 4);
      red += (pixel & 0xffffff) == 0xff0000;
    }
  state.counters["red_pixels"] = red;
  cairo_destroy(cr);
  cairo_surface_destroy(surface);
}

// The whole chart refreshed: background, grids, axes with labels, curve.
void BM_Ours_ChartRefresh(benchmark::State& state) {
  Chart c;
  for (auto _ : state) {
    XYChartRefresh(c.chart);
    benchmark::ClobberMemory();
  }
}

// Keeps each benchmark's best time per iteration over its repetitions.
class BestReporter : public benchmark::ConsoleReporter {
 public:
  std::map<std::string, double> seconds;
  void ReportRuns(const std::vector<Run>& runs) override {
    for (const Run& run : runs) {
      if (run.run_type != Run::RT_Iteration || run.iterations <= 0) continue;
      const double t = run.real_accumulated_time / double(run.iterations);
      const std::string name = run.run_name.function_name;
      auto it = seconds.find(name);
      if (it == seconds.end() || t < it->second) seconds[name] = t;
    }
    ConsoleReporter::ReportRuns(runs);
  }
};

}  // namespace

int main(int argc, char** argv) {
  benchmark::RegisterBenchmark("varko/curve redraw", BM_Ours_CurveRedraw)
      ->Unit(benchmark::kMillisecond);
  benchmark::RegisterBenchmark("cairo/curve stroke", BM_Cairo_CurveStroke)
      ->Unit(benchmark::kMillisecond);
  benchmark::RegisterBenchmark("varko/whole chart refresh", BM_Ours_ChartRefresh)
      ->Unit(benchmark::kMillisecond);
  benchmark::Initialize(&argc, argv);
  BestReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  auto ours = reporter.seconds.find("varko/curve redraw");
  auto theirs = reporter.seconds.find("cairo/curve stroke");
  if (ours != reporter.seconds.end() && theirs != reporter.seconds.end()) {
    std::printf("\n1 000 000-sample curve: varko %.2f ms, cairo %.2f ms, ratio %.2f%s\n",
                ours->second * 1e3, theirs->second * 1e3, theirs->second / ours->second,
                ours->second > theirs->second ? "  (slower)" : "");
  }
  return 0;
}
