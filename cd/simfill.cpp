/* Even-odd scan-line polygon fill: an edge table of the non-horizontal
 * edges sorted by top, an active edge list, crossings rounded to the
 * nearest pixel, spans between pairs (straight into the raster when the
 * fill is solid). */
#include <algorithm>
#include <climits>
#include <cmath>
#include <new>

#include "cdpriv.h"
#include "sim.h"
#include "simraster.h"

namespace cdsim {

namespace {

/* std::floor for the finite values of a crossing, without the library
 * call; a crossing beyond int (vertices near +-2^31) is held at its limits,
 * where every span is clipped away anyway */
inline int Floor(double v) {
  long long t = static_cast<long long>(v);
  if (double(t) > v) t--;
  return t < INT_MIN ? INT_MIN : t > INT_MAX ? INT_MAX : int(t);
}

/* An active edge's place in its row: the crossing in the high half, the
 * edge's index and whether its crossing is left out (a shared vertex) in
 * the low half, so that sorting keys sorts crossings. */
inline long long CrossingKey(int x, int edge, bool left_out) {
  return (static_cast<long long>(x) << 32) |
         static_cast<long long>((static_cast<unsigned>(edge) << 1) | unsigned(left_out));
}
inline int KeyCrossing(long long key) {
  return int(key >> 32);
}
inline int KeyEdge(long long key) {
  return int(unsigned(key) >> 1);
}
inline bool KeyLeftOut(long long key) {
  return key & 1;
}

/* The active list stays in the order of the last row's crossings, which
 * changes little from row to row: insertion sort is close to one pass. */
void SortKeys(long long* key, size_t count) {
  for (size_t i = 1; i < count; i++) {
    long long v = key[i];
    size_t j = i;
    for (; j > 0 && key[j - 1] > v; j--) key[j] = key[j - 1];
    key[j] = v;
  }
}

/* Where a fill's spans go: straight into the raster when the fill is
 * solid, else through Span. */
struct SpanTarget {
  cdCanvas* cv;
  SolidSpans direct;
  bool is_direct;
  explicit SpanTarget(cdCanvas* canvas) : cv(canvas), is_direct(DirectSolidSpans(canvas, direct)) {}
  /* the rows from ymax down to ymin that can show a span */
  void Rows(int ymin, int ymax, int& first, int& last) const {
    first = std::min(ymax, cv->h - 1), last = std::max(ymin, 0);
    if (is_direct) { /* rows outside the clip draw nothing */
      first = std::min(first, direct.ymax);
      last = std::max(last, direct.ymin);
    }
  }
  void Put(int x0, int x1, int y) const {
    if (is_direct)
      PutSolidSpan(direct, x0, x1, y);
    else
      Span(cv, x0, x1, y);
  }
};

/* A rectangle with its sides along the axes, neither side of length 0
 * (a metafile's boxes come back as such polygons): the scan below fills
 * each of its rows from its left to its right side, which is done here
 * without the edge table. */
bool UprightRectangle(const cdPoint* p, int n, int& xmin, int& xmax, int& ymin, int& ymax) {
  if (n != 4) return false;
  bool across_first = p[0].y == p[1].y && p[1].x == p[2].x && p[2].y == p[3].y && p[3].x == p[0].x;
  bool down_first = p[0].x == p[1].x && p[1].y == p[2].y && p[2].x == p[3].x && p[3].y == p[0].y;
  if (!across_first && !down_first) return false;
  xmin = std::min(p[0].x, p[2].x), xmax = std::max(p[0].x, p[2].x);
  ymin = std::min(p[0].y, p[2].y), ymax = std::max(p[0].y, p[2].y);
  return xmin < xmax && ymin < ymax;
}

}  // namespace

void FillPolygon(cdCanvas* cv, const cdPoint* points, int n) {
  if (n < 3) return;
  SimState* s = cv->sim;
  int left, right, bottom, top;
  if (UprightRectangle(points, n, left, right, bottom, top)) {
    const SpanTarget target(cv);
    int first, last;
    target.Rows(bottom, top, first, last);
    for (int y = first; y >= last; y--) target.Put(left, right, y);
    return;
  }
  std::vector<FillEdge>& edges = s->edges;
  std::vector<int>& xs = s->fill_crossings;
  std::vector<int>& active = s->active_edges;
  std::vector<long long>& keys = s->fill_keys;
  int ymax = points[0].y, ymin = points[0].y;
  try {
    edges.clear();
    for (int i = 0; i < n; i++) {
      const cdPoint& a = points[i];
      const cdPoint& b = points[i + 1 < n ? i + 1 : 0];
      ymax = std::max(ymax, a.y);
      ymin = std::min(ymin, a.y);
      if (a.y == b.y) continue;
      const cdPoint& top = a.y > b.y ? a : b;
      const cdPoint& bottom = a.y > b.y ? b : a;
      edges.push_back({double(top.y), double(bottom.y), double(top.x),
                       (double(bottom.x) - double(top.x)) / (double(top.y) - double(bottom.y))});
    }
    xs.resize(edges.size());
    keys.resize(edges.size());
    active.clear();
    active.reserve(edges.size());
  } catch (const std::bad_alloc&) {
    return;
  }
  /* edges enter the active list from the top down and leave below their
   * bottom, so a row looks only at the edges that can cross it; the order
   * of edges with the same top does not matter, their crossings are sorted */
  std::sort(edges.begin(), edges.end(),
            [](const FillEdge& a, const FillEdge& b) { return a.top > b.top; });
  const SpanTarget target(cv);
  int first, last;
  target.Rows(ymin, ymax, first, last);
  size_t next = 0;
  const FillEdge* edge = edges.data();
  const double top_row = ymax;
  for (int y = first; y >= last; y--) {
    const double row = y;
    if (active.size() == 2) { /* a stretch of two edges (convex shapes, thick lines) */
      const FillEdge& a = edge[active[0]];
      const FillEdge& b = edge[active[1]];
      /* rows below both tops, on both edges, before the next edge enters:
       * each has exactly these two crossings */
      double lowest = std::max({a.bottom, b.bottom, double(last)});
      if (next < edges.size()) lowest = std::max(lowest, edge[next].top + 1);
      if (row < a.top && row < b.top && row >= lowest) {
        const int stop = int(lowest);
        for (; y >= stop; y--) {
          const double r = y;
          int xa = Floor(a.x + (a.top - r) * a.dx + 0.5),
              xb = Floor(b.x + (b.top - r) * b.dx + 0.5);
          if (xa > xb) std::swap(xa, xb);
          if (xb > xa) target.Put(xa, xb, y);
        }
        y = stop; /* the loop steps on to the row below the stretch */
        continue;
      }
    }
    while (next < edges.size() && edge[next].top >= row) active.push_back(int(next++));
    /* one pass drops the edges that ended above this row and places the
     * others by their crossings */
    size_t kept = 0, count = 0;
    long long* key = keys.data();
    for (size_t i = 0; i < active.size(); i++) {
      const FillEdge& e = edge[active[i]];
      if (row < e.bottom) continue;
      /* a shared vertex counts for the edge below it, except at the very top */
      bool left_out = row == e.top && e.top != top_row;
      key[kept++] = CrossingKey(Floor(e.x + (e.top - row) * e.dx + 0.5), active[i], left_out);
    }
    SortKeys(key, kept);
    int* x = xs.data();
    for (size_t i = 0; i < kept; i++) {
      active[i] = KeyEdge(key[i]);
      if (!KeyLeftOut(key[i])) x[count++] = KeyCrossing(key[i]);
    }
    active.resize(kept);
    for (size_t i = 0; i + 1 < count; i += 2)
      if (x[i + 1] > x[i]) target.Put(x[i], x[i + 1], y);
  }
}

}  // namespace cdsim
