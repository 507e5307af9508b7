// The canvas rasteriser (CD_IMAGERGB) beside cairo's image surface, both
// without antialiasing, drawing the same scene on the same 800 x 600 size:
// the same coordinates, butt-capped single segments of the same width,
// even-odd polygon fill, boxes of the same pixels, 12-point text at 96 dpi.
// Each row is one benchmark per library; the end prints cairo time / ours
// (above 1 means we are faster), from the best of the repetitions
// (--benchmark_repetitions=N) since the machine may be shared.
#include <benchmark/benchmark.h>
#include <cairo.h>

#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "cd.h"

namespace {

constexpr int kWidth = 800, kHeight = 600;

// The same pseudo-random coordinates for both libraries.
struct Scene {
  std::vector<int> lines1, lines5, polys, boxes, texts;
  Scene() {
    unsigned state = 12345;
    auto next = [&state](int range) {
      state = state * 1103515245u + 12345u;
      return int((state >> 8) % unsigned(range));
    };
    for (int i = 0; i < 100000 * 4; i++) lines1.push_back(next(i % 2 ? kHeight : kWidth));
    for (int i = 0; i < 10000 * 4; i++) lines5.push_back(next(i % 2 ? kHeight : kWidth));
    for (int i = 0; i < 10000; i++) {  // 20 vertices around a centre, radius up to 40
      int cx = 40 + next(kWidth - 80), cy = 40 + next(kHeight - 80);
      for (int v = 0; v < 20; v++) {
        polys.push_back(cx + next(81) - 40);
        polys.push_back(cy + next(81) - 40);
      }
    }
    for (int i = 0; i < 10000; i++) {
      int x = next(kWidth - 30), y = next(kHeight - 30);
      boxes.insert(boxes.end(), {x, x + 5 + next(25), y, y + 5 + next(25)});
    }
    for (int i = 0; i < 10000 * 2; i++) texts.push_back(next(i % 2 ? kHeight - 20 : kWidth - 80));
  }
};

const Scene& TheScene() {
  static const Scene scene;
  return scene;
}

const char* const kText = "Varko 5.12";

enum Row { kLines1, kLines5, kPolygons, kBoxes, kTexts };
const char* const kRowNames[] = {"lines 1 px (100000)", "lines 5 px (10000)",
                                 "polygons 20 vertices (10000)", "boxes (10000)", "texts (10000)"};

void DrawOurs(benchmark::State& state, Row row) {
  const Scene& s = TheScene();
  std::vector<unsigned char> r(size_t(kWidth * kHeight), 255), g(r), b(r);
  char data[128];
  std::snprintf(data, sizeof data, "%dx%d %p %p %p", kWidth, kHeight, (void*)r.data(),
                (void*)g.data(), (void*)b.data());
  cdCanvasHandle cv = cdCreateCanvas(CD_IMAGERGB, data);
  if (!cv) {
    state.SkipWithError("no canvas");
    return;
  }
  cdActivate(cv);
  cdForeground(0x204080);
  cdFont(CD_HELVETICA, CD_PLAIN, 12);
  for (auto _ : state) {
    switch (row) {
      case kLines1:
      case kLines5: {
        const std::vector<int>& c = row == kLines1 ? s.lines1 : s.lines5;
        cdLineWidth(row == kLines1 ? 1 : 5);
        for (size_t i = 0; i < c.size(); i += 4) cdLine(c[i], c[i + 1], c[i + 2], c[i + 3]);
        break;
      }
      case kPolygons:
        for (size_t i = 0; i < s.polys.size(); i += 40) {
          cdBegin(CD_FILL);
          for (size_t v = 0; v < 40; v += 2) cdVertex(s.polys[i + v], s.polys[i + v + 1]);
          cdEnd();
        }
        break;
      case kBoxes:
        for (size_t i = 0; i < s.boxes.size(); i += 4)
          cdBox(s.boxes[i], s.boxes[i + 1], s.boxes[i + 2], s.boxes[i + 3]);
        break;
      case kTexts:
        for (size_t i = 0; i < s.texts.size(); i += 2) cdText(s.texts[i], s.texts[i + 1], kText);
        break;
    }
    benchmark::DoNotOptimize(r.data());
  }
  cdKillCanvas(cv);
}

void DrawCairo(benchmark::State& state, Row row) {
  const Scene& s = TheScene();
  cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_RGB24, kWidth, kHeight);
  cairo_t* cr = cairo_create(surface);
  cairo_set_antialias(cr, CAIRO_ANTIALIAS_NONE);
  cairo_font_options_t* options = cairo_font_options_create();
  cairo_font_options_set_antialias(options, CAIRO_ANTIALIAS_NONE);
  cairo_set_font_options(cr, options);
  cairo_select_font_face(cr, "Liberation Sans", CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_NORMAL);
  cairo_set_font_size(cr, 16);  // 12 points at 96 pixels per inch
  cairo_set_source_rgb(cr, 0x20 / 255.0, 0x40 / 255.0, 0x80 / 255.0);
  cairo_set_fill_rule(cr, CAIRO_FILL_RULE_EVEN_ODD);  // our polygon fill's rule
  cairo_set_line_cap(cr, CAIRO_LINE_CAP_BUTT);        // our thick lines end square at the ends
  for (auto _ : state) {
    switch (row) {
      case kLines1:
      case kLines5: {
        const std::vector<int>& c = row == kLines1 ? s.lines1 : s.lines5;
        cairo_set_line_width(cr, row == kLines1 ? 1 : 5);
        for (size_t i = 0; i < c.size(); i += 4) {
          cairo_move_to(cr, c[i] + 0.5, c[i + 1] + 0.5);
          cairo_line_to(cr, c[i + 2] + 0.5, c[i + 3] + 0.5);
          cairo_stroke(cr);
        }
        break;
      }
      case kPolygons:
        for (size_t i = 0; i < s.polys.size(); i += 40) {
          cairo_move_to(cr, s.polys[i], s.polys[i + 1]);
          for (size_t v = 2; v < 40; v += 2) cairo_line_to(cr, s.polys[i + v], s.polys[i + v + 1]);
          cairo_close_path(cr);
          cairo_fill(cr);
        }
        break;
      case kBoxes:
        for (size_t i = 0; i < s.boxes.size(); i += 4) {
          cairo_rectangle(cr, s.boxes[i], s.boxes[i + 2], s.boxes[i + 1] - s.boxes[i] + 1,
                          s.boxes[i + 3] - s.boxes[i + 2] + 1);
          cairo_fill(cr);
        }
        break;
      case kTexts:
        for (size_t i = 0; i < s.texts.size(); i += 2) {
          cairo_move_to(cr, s.texts[i], s.texts[i + 1]);
          cairo_show_text(cr, kText);
        }
        break;
    }
    cairo_surface_flush(surface);
    benchmark::DoNotOptimize(cairo_image_surface_get_data(surface));
  }
  cairo_font_options_destroy(options);
  cairo_destroy(cr);
  cairo_surface_destroy(surface);
}

// Keeps each benchmark's best time per iteration over its repetitions,
// then prints the ratios.
class RatioReporter : public benchmark::ConsoleReporter {
 public:
  std::map<std::string, double> seconds;
  void ReportRuns(const std::vector<Run>& runs) override {
    ConsoleReporter::ReportRuns(runs);
    for (const Run& run : runs) {
      if (run.run_type != Run::RT_Iteration || run.iterations <= 0) continue;
      double t = run.real_accumulated_time / double(run.iterations);
      auto [at, fresh] = seconds.emplace(run.run_name.str(), t);
      if (!fresh && t < at->second) at->second = t;
    }
  }
};

}  // namespace

int main(int argc, char** argv) {
  for (int row = kLines1; row <= kTexts; row++) {
    std::string name = kRowNames[row];
    benchmark::RegisterBenchmark(("varko/" + name).c_str(), DrawOurs, Row(row))
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark(("cairo/" + name).c_str(), DrawCairo, Row(row))
        ->Unit(benchmark::kMillisecond);
  }
  benchmark::Initialize(&argc, argv);
  RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  std::printf("\n%-30s %12s %12s %8s\n", "row", "varko ms", "cairo ms", "ratio");
  for (const char* row : kRowNames) {
    auto ours = reporter.seconds.find(std::string("varko/") + row);
    auto theirs = reporter.seconds.find(std::string("cairo/") + row);
    if (ours == reporter.seconds.end() || theirs == reporter.seconds.end()) continue;
    std::printf("%-30s %12.2f %12.2f %8.2f%s\n", row, ours->second * 1e3, theirs->second * 1e3,
                theirs->second / ours->second, ours->second > theirs->second ? "  (slower)" : "");
  }
  return 0;
}
