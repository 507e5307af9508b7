// The matrix redrawing after a scroll: 10 000 lines of 20 columns beside a
// matrix of 100 lines of the same columns, in the same 600 x 300 window
// (headless toolkit, the window's picture drawn by the canvas library).
// Each step scrolls one line down (or back up at the end), which redraws
// the window. The end prints the time at 10 000 lines / the time at 100
// (the goal: within 1.5), from the best of the repetitions
// (--benchmark_repetitions=N) since the machine may be shared.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <string>

#include "headless/iupheadless.h"
#include "iup.h"
#include "iupcanvasfb.h"
#include "iupcontrols.h"

namespace {

struct Window {
  IupElement* dialog = nullptr;
  IupElement* matrix = nullptr;
};

Window Make(int lines) {
  Window w;
  w.matrix = IupCreateMatrix(nullptr);
  IupSetAttributeCopyF(w.matrix, "NUMLIN", "%d", lines);
  IupSetAttribute(w.matrix, "NUMCOL", "20");
  char name[32], text[32];
  for (int l = 0; l <= lines; l++)
    for (int c = 0; c <= 20; c++) {
      if (l == 0 && c == 0) continue;
      std::snprintf(name, sizeof name, "%d:%d", l, c);
      std::snprintf(text, sizeof text, "%d", l * 100 + c);
      IupSetAttributeCopy(w.matrix, name, text);
    }
  IupSetAttribute(w.matrix, "RASTERSIZE", "600x300");
  w.dialog = IupCreateDialog(w.matrix);
  IupShow(w.dialog);
  IupLoopStep();
  return w;
}

std::map<int, double>& Best() {
  static std::map<int, double> best;
  return best;
}

void BM_ScrollRedraw(benchmark::State& state) {
  const int lines = static_cast<int>(state.range(0));
  Window w = Make(lines);
  // a first round of scrolls outside the timing: fonts and caches warm up
  for (int i = 0; i < 30; i++) {
    iup::headless::Scroll(w.matrix, i < 15 ? IUP_SBDN : IUP_SBUP);
    iup::headless::DeliverNow();
  }
  bool down = true;
  int first = 1;
  for (auto _ : state) {
    iup::headless::Scroll(w.matrix, down ? IUP_SBDN : IUP_SBUP);
    iup::headless::DeliverNow();
    first += down ? 1 : -1;
    if (first >= 60) down = false;
    if (first <= 1) down = true;
  }
  state.counters["cells"] = static_cast<double>(IupMatrixCellsDrawn(w.matrix));
  IupDestroy(w.dialog);
}
BENCHMARK(BM_ScrollRedraw)->Arg(100)->Arg(10000)->Unit(benchmark::kMicrosecond);

class Reporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    ConsoleReporter::ReportRuns(runs);
    for (const Run& r : runs) {
      if (r.run_type != Run::RT_Iteration) continue;
      const std::string name = r.benchmark_name();
      const int lines = name.find("/10000") != std::string::npos ? 10000 : 100;
      const double t = r.GetAdjustedRealTime();
      auto it = Best().find(lines);
      if (it == Best().end() || t < it->second) Best()[lines] = t;
    }
  }
};

}  // namespace

int main(int argc, char** argv) {
  if (iup::CurrentDriver() == nullptr) iup::InstallDriver(iup::headless::NewDriver());
  IupOpen();
  iup::canvasfb::InstallHost();
  IupMatrixOpen();
  benchmark::Initialize(&argc, argv);
  Reporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  if (Best().count(100) && Best().count(10000))
    std::printf("redraw after a scroll, 10000 lines / 100 lines: %.2f (goal: at most 1.5)\n",
                Best()[10000] / Best()[100]);
  IupClose();
  benchmark::Shutdown();
  return 0;
}
