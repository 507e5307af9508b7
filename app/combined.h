// The combined theme: the weighted overlay of all themes, quantised to bytes.
#ifndef VARKO_APP_COMBINED_H
#define VARKO_APP_COMBINED_H

#include <functional>
#include <vector>

#include "costmodel.h"
#include "script.h"

namespace route {

// One theme as the overlay sees it: its pixels and, per pixel value, the
// class weight (already looked up through classOfIndex).
struct OverlayTheme {
  ByteGrid image;
  double weight = 0;
  double classWeight[256] = {};
};

struct Overlay {
  double minValue = 0, maxValue = 0, scale = 0;
  bool cancelled = false;  // progress answered false: out is half made
};

// Told the fraction done (0..1) between bands of rows, on the calling
// thread; false stops the work.
using OverlayProgress = std::function<bool(double)>;

// Quantises the overlay of the themes, in their order per pixel, into out
// (width x height bytes). The rows are split across `threads` threads; the
// result does not depend on their number. Each pass goes in bands of rows,
// with progress told after each.
Overlay ComputeOverlay(const std::vector<OverlayTheme>& themes, int width, int height,
                       unsigned char* out, unsigned threads, const OverlayProgress& progress = {});

int GenerateCombinedTheme(lua_State* L);

}  // namespace route

#endif
