// libFuzzer target for the CD metafile player: the input is played from
// memory into a metafile canvas writing to /dev/null (which records every
// call the player makes without rasterising it), with a size callback
// registered, once at the file's own size and once scaled into a rectangle.
#include <cstddef>
#include <cstdint>

#include "cd.h"
#include "cdmf.h"

namespace {

int SizeCallback(cdCanvasHandle, int w, int h, double, double) {
  return w == 13 && h == 13 ? CDPLAY_ABORT : CDPLAY_GO;  // an abort path too
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static cdCanvasHandle canvas = [] {
    cdCanvasHandle cv = cdCreateCanvas(CD_METAFILE, (void*)"/dev/null 100x80 4");
    cdRegisterCallback(CD_METAFILE, CD_SIZECB, (cdCallback)(void*)SizeCallback);
    return cv;
  }();
  if (!canvas) __builtin_trap();
  cdActivate(canvas);
  const char* bytes = reinterpret_cast<const char*>(data);
  cdPlayMetafileBuffer(0, 0, 0, 0, bytes, size);
  cdPlayMetafileBuffer(10, 209, 5, 104, bytes, size);
  return 0;
}
