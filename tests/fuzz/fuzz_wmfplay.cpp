// libFuzzer target for the Windows metafile player: the input is a
// metafile in memory, played onto a small RGB image canvas.
#include <cstdint>
#include <cstdio>

#include "cd.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static cdCanvasHandle canvas = cdCreateCanvas(CD_IMAGERGB, (void*)"64x48");
  if (canvas == nullptr) return 0;
  cdActivate(canvas);
  cdPlayWMFMemory(data, size, 0, 63, 0, 47);
  cdPlayWMFMemory(data, size, 0, 0, 0, 0);
  return 0;
}
