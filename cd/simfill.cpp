/* Even-odd scan-line polygon fill: an edge table of the non-horizontal
 * edges, crossings rounded to the nearest pixel, spans between pairs. */
#include <algorithm>
#include <cmath>
#include <new>

#include "cdpriv.h"
#include "sim.h"

namespace cdsim {

namespace {

/* std::floor for the finite, int-sized values of a crossing, without the
 * library call */
inline double Floor(double v) {
  double t = double(static_cast<long long>(v));
  return t > v ? t - 1 : t;
}

}  // namespace

void FillPolygon(cdCanvas* cv, const cdPoint* points, int n) {
  if (n < 3) return;
  SimState* s = cv->sim;
  std::vector<double>& edges = s->edges; /* ytop, ybottom, x at ytop, dx per row down */
  std::vector<double>& xs = s->fill_crossings;
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
    xs.resize(edges.size() / 4);
    s->edge_order.resize(edges.size() / 4);
    s->active_edges.clear();
    s->active_edges.reserve(edges.size() / 4);
  } catch (const std::bad_alloc&) {
    return;
  }
  /* edges enter the active list from the top down and leave below their
   * bottom, so a row looks only at the edges that can cross it */
  std::vector<int>& order = s->edge_order;
  std::vector<int>& active = s->active_edges;
  for (size_t i = 0; i < order.size(); i++) order[i] = int(i * 4);
  std::sort(order.begin(), order.end(),
            [&](int a, int b) { return edges[size_t(a)] > edges[size_t(b)]; });
  size_t next = 0;
  bool saved_filling = s->filling;
  s->filling = true;
  int first = std::min(ymax, cv->h - 1), last = std::max(ymin, 0);
  for (int y = first; y >= last; y--) {
    while (next < order.size() && edges[size_t(order[next])] >= y) active.push_back(order[next++]);
    /* one pass drops the edges that ended above this row and collects the
     * crossings of the others */
    const double row = y;
    size_t kept = 0, count = 0;
    double* x = xs.data();
    for (size_t i = 0; i < active.size(); i++) {
      const int e = active[i];
      const double* edge = &edges[size_t(e)];
      if (row < edge[1]) continue;
      active[kept++] = e;
      /* a shared vertex counts for the edge below it, except at the very top */
      if (row == edge[0] && edge[0] != ymax) continue;
      x[count++] = Floor(edge[2] + (edge[0] - row) * edge[3] + 0.5);
    }
    active.resize(kept);
    if (count == 2) {
      double a = x[0], b = x[1];
      if (a > b) x[0] = b, x[1] = a;
    } else {
      std::sort(x, x + count);
    }
    for (size_t i = 0; i + 1 < count; i += 2)
      if (x[i + 1] >= x[i] + 1) Span(cv, int(x[i]), int(x[i + 1]), y);
  }
  s->filling = saved_filling;
}

}  // namespace cdsim
