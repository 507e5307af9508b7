// The progress of the geodata functions' GDAL work: the search dialog with
// the work's own title and text, once the work has run for half a second,
// with Cancel.
#include <chrono>
#include <string>

#include "costsurface.h"
#include "gauge.h"
#include "gdalsupport.h"

namespace route {
namespace {

using Clock = std::chrono::steady_clock;

struct GeoProgress {
  bool running = false, shown = false;
  std::string title, text;
  Clock::time_point start, last;
};
GeoProgress geo;

void Begin(const char* title, const char* text) {
  geo = {};
  geo.running = true;
  geo.title = title;
  geo.text = text;
  geo.start = Clock::now();
}

bool Step(double fraction) {
  if (!geo.running) return true;
  const Clock::time_point now = Clock::now();
  if (!geo.shown) {
    if (now - geo.start < std::chrono::milliseconds(500)) return true;
    geo.shown = true;
    SearchDialogOpen(geo.title.c_str(), geo.text.c_str());
  } else if (now - geo.last < std::chrono::milliseconds(40)) {
    return true;
  }
  geo.last = now;
  return SearchDialogUpdate(fraction);
}

void End() {
  if (geo.shown) SearchDialogClose();
  geo = {};
}

}  // namespace

void RegisterGeodataProgress() {
  gis::ProgressHooks hooks;
  hooks.begin = Begin;
  hooks.step = Step;
  hooks.end = End;
  gis::SetProgressHooks(hooks);
}

}  // namespace route
