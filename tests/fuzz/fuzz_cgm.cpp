// libFuzzer target for the CGM player, one build per encoding chosen by
// VARKO_CGM_ENCODING (1 binary, 2 clear text): the input is played from
// memory into an RGB image canvas with every play callback set. A
// binary input that does not start with BEGIN METAFILE gets that element in
// front, a clear-text input that would be taken for binary gets a comment.
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "cd.h"
#include "cdcgm.h"

namespace {

int Counter(void*, double) {
  return CDPLAY_GO;
}
int Size(cdCanvasHandle, int, int, double, double) {
  return CDPLAY_GO;
}
int Scaling(void*, short, short*, double*) {
  return CDPLAY_GO;
}
int Extent(void*, short, double*, double*, double*, double*) {
  return CDPLAY_GO;
}
int Picture(void*, char*) {
  return CDPLAY_GO;
}
int Body(void*, double, double, double, double, double, double, int, double, double, double,
         double) {
  return CDPLAY_GO;
}
int Metafile(void*, int*, int*, int*, int*) {
  return CDPLAY_GO;
}

template <class F>
cdCallback Cb(F f) {
  return reinterpret_cast<cdCallback>(reinterpret_cast<void (*)()>(f));
}

bool LooksBinary(const uint8_t* d, size_t n) {
  return n >= 2 && (d[0] >> 4) == 0 && (((d[0] << 3) & 0x7F) | (d[1] >> 5)) == 1;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static bool registered = [] {
    cdRegisterCallback(CD_CGM, CD_CGMCOUNTERCB, Cb(Counter));
    cdRegisterCallback(CD_CGM, CD_SIZECB, Cb(Size));
    cdRegisterCallback(CD_CGM, CD_CGMSCLMDECB, Cb(Scaling));
    cdRegisterCallback(CD_CGM, CD_CGMVDCEXTCB, Cb(Extent));
    cdRegisterCallback(CD_CGM, CD_CGMBEGPICTCB, Cb(Picture));
    cdRegisterCallback(CD_CGM, CD_CGMBEGPICTBCB, Cb(Body));
    cdRegisterCallback(CD_CGM, CD_CGMBEGMTFCB, Cb(Metafile));
    return true;
  }();
  (void)registered;
  std::vector<uint8_t> input;
  bool binary = LooksBinary(data, size);
  if (VARKO_CGM_ENCODING == 1 && !binary) input = {0x00, 0x20};
  if (VARKO_CGM_ENCODING == 2 && binary) input = {'%', '%', ' '};
  input.insert(input.end(), data, data + size);

  /* one canvas for every input, brought back to its first state after each
   * play (a fresh canvas would load its font each time) */
  const int w = 64, h = 48;
  static std::vector<unsigned char> r(w * h, 255), g(r), b(r);
  static cdCanvasHandle cv = [] {
    char canvas_data[128];
    std::snprintf(canvas_data, sizeof canvas_data, "%dx%d %p %p %p", w, h, (void*)r.data(),
                  (void*)g.data(), (void*)b.data());
    return cdCreateCanvas(CD_IMAGERGB, canvas_data);
  }();
  if (!cv) return 0;
  cdActivate(cv);
  cdState* first = cdSaveState();
  cdPlayCGMMemory(input.data(), input.size(), 0, w, 0, h);
  cdRestoreState(first);
  cdClear();
  return 0;
}
