/* Even-odd scan-line polygon fill: an edge table of the non-horizontal
 * edges, crossings rounded to the nearest pixel, spans between pairs. */
#include <algorithm>
#include <cmath>
#include <new>

#include "cdpriv.h"
#include "sim.h"

namespace cdsim {

void FillPolygon(cdCanvas* cv, const cdPoint* points, int n) {
  if (n < 3) return;
  SimState* s = cv->sim;
  std::vector<double>& edges = s->edges; /* ytop, ybottom, x at ytop, dx per row down */
  std::vector<double>& xs = s->crossings;
  int ymax = points[0].y, ymin = points[0].y;
  try {
    edges.clear();
    for (int i = 0; i < n; i++) {
      const cdPoint& a = points[i];
      const cdPoint& b = points[(i + 1) % n];
      ymax = std::max(ymax, a.y);
      ymin = std::min(ymin, a.y);
      if (a.y == b.y) continue;
      const cdPoint& top = a.y > b.y ? a : b;
      const cdPoint& bottom = a.y > b.y ? b : a;
      edges.insert(edges.end(), {double(top.y), double(bottom.y), double(top.x),
                                 double(bottom.x - top.x) / double(top.y - bottom.y)});
    }
    xs.reserve(edges.size() / 4);
  } catch (const std::bad_alloc&) {
    return;
  }
  bool saved_filling = s->filling;
  s->filling = true;
  int first = std::min(ymax, cv->h - 1), last = std::max(ymin, 0);
  for (int y = first; y >= last; y--) {
    xs.clear();
    for (size_t e = 0; e < edges.size(); e += 4) {
      double top = edges[e], bottom = edges[e + 1];
      /* a shared vertex counts for the edge below it, except at the very top */
      bool active = (y >= bottom && y < top) || (y == top && top == ymax);
      if (!active) continue;
      xs.push_back(std::floor(edges[e + 2] + (top - y) * edges[e + 3] + 0.5));
    }
    std::sort(xs.begin(), xs.end());
    for (size_t i = 0; i + 1 < xs.size(); i += 2)
      if (xs[i + 1] >= xs[i] + 1) Span(cv, int(xs[i]), int(xs[i + 1]), y);
  }
  s->filling = saved_filling;
}

}  // namespace cdsim
