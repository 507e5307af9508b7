/* Colour quantisation (cdRGB2Map): exact mapping when the image has few
 * enough distinct colours, else a median-cut palette with nearest-colour
 * mapping. */
#include <algorithm>
#include <cstdint>
#include <new>
#include <vector>

#include "cd.h"

namespace {

struct Box {
  int lo[3], hi[3];
  long long population;
};

}  // namespace

void cdRGB2Map(int iw, int ih, const unsigned char* r, const unsigned char* g,
               const unsigned char* b, unsigned char* index, int pal_size, long* colors) {
  if (iw <= 0 || ih <= 0 || !r || !g || !b || !index || !colors) return;
  if (pal_size < 1 || pal_size > 256) pal_size = 256;
  size_t n = size_t(iw) * size_t(ih);
  std::vector<uint32_t> distinct;
  try {
    distinct.resize(n);
  } catch (const std::bad_alloc&) {
    return;
  }
  for (size_t i = 0; i < n; i++) distinct[i] = uint32_t(r[i]) << 16 | uint32_t(g[i]) << 8 | b[i];
  std::sort(distinct.begin(), distinct.end());
  distinct.erase(std::unique(distinct.begin(), distinct.end()), distinct.end());
  if (int(distinct.size()) <= pal_size) {
    for (size_t k = 0; k < distinct.size(); k++) colors[k] = long(distinct[k]);
    for (size_t i = 0; i < n; i++) {
      uint32_t c = uint32_t(r[i]) << 16 | uint32_t(g[i]) << 8 | b[i];
      index[i] = (unsigned char)(std::lower_bound(distinct.begin(), distinct.end(), c) -
                                 distinct.begin());
    }
    return;
  }
  /* histogram of 5-6-5 bit cells */
  std::vector<uint16_t> hist(32 * 64 * 32, 0);
  auto cell = [](int cr, int cg, int cb) { return (size_t(cr) * 64 + cg) * 32 + cb; };
  for (size_t i = 0; i < n; i++) {
    uint16_t& h = hist[cell(r[i] >> 3, g[i] >> 2, b[i] >> 3)];
    if (h < 65535) h++;
  }
  auto shrink = [&](Box& bx) {
    int lo[3] = {31, 63, 31}, hi[3] = {0, 0, 0};
    long long pop = 0;
    for (int cr = bx.lo[0]; cr <= bx.hi[0]; cr++)
      for (int cg = bx.lo[1]; cg <= bx.hi[1]; cg++)
        for (int cb = bx.lo[2]; cb <= bx.hi[2]; cb++)
          if (uint16_t h = hist[cell(cr, cg, cb)]) {
            pop += h;
            lo[0] = std::min(lo[0], cr), hi[0] = std::max(hi[0], cr);
            lo[1] = std::min(lo[1], cg), hi[1] = std::max(hi[1], cg);
            lo[2] = std::min(lo[2], cb), hi[2] = std::max(hi[2], cb);
          }
    if (pop) std::copy(lo, lo + 3, bx.lo), std::copy(hi, hi + 3, bx.hi);
    bx.population = pop;
  };
  std::vector<Box> boxes = {{{0, 0, 0}, {31, 63, 31}, 0}};
  shrink(boxes[0]);
  const int weight[3] = {16, 12, 8};
  while (int(boxes.size()) < pal_size) {
    int best = -1;
    long long best_value = 0;
    bool by_population = int(boxes.size()) * 2 <= pal_size;
    for (size_t k = 0; k < boxes.size(); k++) {
      const Box& bx = boxes[k];
      if (bx.lo[0] == bx.hi[0] && bx.lo[1] == bx.hi[1] && bx.lo[2] == bx.hi[2]) continue;
      long long value = by_population ? bx.population : 1;
      if (!by_population)
        for (int c = 0; c < 3; c++) value *= (long long)(bx.hi[c] - bx.lo[c]) * weight[c] + 1;
      if (value > best_value) best_value = value, best = int(k);
    }
    if (best < 0) break;
    Box a = boxes[size_t(best)];
    int len[3];
    for (int c = 0; c < 3; c++) len[c] = (a.hi[c] - a.lo[c]) * weight[c];
    int axis = len[1] >= len[0] ? 1 : 0;
    if (len[2] > len[axis]) axis = 2;
    int mid = (a.lo[axis] + a.hi[axis]) / 2;
    Box bnew = a;
    a.hi[axis] = mid;
    bnew.lo[axis] = mid + 1;
    shrink(a);
    shrink(bnew);
    boxes[size_t(best)] = a;
    boxes.push_back(bnew);
  }
  int count = int(boxes.size());
  std::vector<int> pr(static_cast<size_t>(count)), pg(pr), pb(pr);
  for (int k = 0; k < count; k++) {
    const Box& bx = boxes[size_t(k)];
    double sr = 0, sg = 0, sb = 0, total = 0;
    for (int cr = bx.lo[0]; cr <= bx.hi[0]; cr++)
      for (int cg = bx.lo[1]; cg <= bx.hi[1]; cg++)
        for (int cb = bx.lo[2]; cb <= bx.hi[2]; cb++)
          if (uint16_t h = hist[cell(cr, cg, cb)]) {
            total += h;
            sr += h * ((cr << 3) + 4.0), sg += h * ((cg << 2) + 2.0), sb += h * ((cb << 3) + 4.0);
          }
    if (total == 0) total = 1;
    pr[size_t(k)] = int(sr / total + 0.5), pg[size_t(k)] = int(sg / total + 0.5);
    pb[size_t(k)] = int(sb / total + 0.5);
    colors[k] = cdEncodeColor((unsigned char)pr[size_t(k)], (unsigned char)pg[size_t(k)],
                              (unsigned char)pb[size_t(k)]);
  }
  for (size_t i = 0; i < n; i++) {
    int best = 0;
    long best_d = 1L << 30;
    for (int k = 0; k < count; k++) {
      long dr = r[i] - pr[size_t(k)], dg = g[i] - pg[size_t(k)], db = b[i] - pb[size_t(k)];
      long d = dr * dr + dg * dg + db * db;
      if (d < best_d) best_d = d, best = k;
    }
    index[i] = (unsigned char)best;
  }
}
