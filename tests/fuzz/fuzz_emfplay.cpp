// libFuzzer target for the enhanced metafile player: the input is an
// enhanced metafile in memory, played onto a small RGB image canvas.
#include <cstdint>
#include <cstdio>

#include "cd.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static cdCanvasHandle canvas = cdCreateCanvas(CD_IMAGERGB, (void*)"64x48");
  if (canvas == nullptr) return 0;
  cdActivate(canvas);
  cdPlayEMFMemory(data, size, 0, 63, 0, 47);
  cdPlayEMFMemory(data, size, 0, 0, 0, 0);
  return 0;
}
