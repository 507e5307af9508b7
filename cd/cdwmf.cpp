/* The Windows metafile driver CD_WMF: a drawing kept as metafile records in
 * memory and written at cdKillCanvas behind a placeable header, and the
 * player that turns the records of any such file back into canvas calls. */
#include <algorithm>
#include <cmath>
#include <cstring>
#include <new>
#include <string>
#include <vector>

#include "cd.h"
#include "cdgdifile.h"
#include "cdgdiwriter.h"
#include "sim.h"

namespace {

cdCallback size_callback = nullptr;

void CreateCanvas(cdCanvas* cv, void* data) {
  std::string name;
  if (!cdgdi::ParseCreation(static_cast<const char*>(data), cv, name)) return;
  /* the placeable box holds 16-bit values */
  if (cv->w > 32767 || cv->h > 32767) return;
  if (!cdgdi::ProbeWritable(name, "CD_WMF")) return;
  cdgdi::Writer* w = new (std::nothrow) cdgdi::Writer;
  if (!w) return;
  w->cv = cv;
  w->name = name;
  cv->driver_data = w;
}

void KillCanvas(cdCanvas* cv) {
  cdgdi::Writer* w = cdgdi::WriterOf(cv);
  if (w->record_count == 0) w->Begin();
  cdgdi::WriteWholeFile(w->name, w->Finish());
  delete w;
}

int Activate(cdCanvas* cv) {
  cdgdi::Writer* w = cdgdi::WriterOf(cv);
  if (w->record_count == 0) w->Begin();
  return CD_OK;
}

void FillOperations(cdCanvas* cv) {
  cdgdi::WriterOf(cv)->Install(cv->ops);
  cv->ops.KillCanvas = KillCanvas;
  cv->ops.Activate = Activate;
  /* a metafile cannot measure text: the estimated sizes */
  cv->ops.TextSize = cdsim::EstimatedTextSize;
  cv->ops.FontDim = cdsim::EstimatedFontDim;
}

int RegisterCallback(int cb, cdCallback func) {
  if (cb != CD_SIZECB) return -1;
  size_callback = func;
  return 0;
}

int Play(int xmin, int xmax, int ymin, int ymax, void* data) {
  std::vector<uint8_t> bytes;
  if (!cdgdi::ReadWholeFile(static_cast<const char*>(data), bytes)) return CD_ERROR;
  return cdPlayWMFMemory(bytes.data(), bytes.size(), xmin, xmax, ymin, ymax);
}

cdDriver wmf_driver = {
    CD_CAP_ALL & ~(CD_CAP_FLUSH | CD_CAP_CLEAR | CD_CAP_YAXIS | CD_CAP_MARK | CD_CAP_VECTORTEXT |
                   CD_CAP_IMAGERGBA | CD_CAP_GETIMAGERGB | CD_CAP_IMAGESRV | CD_CAP_WD |
                   CD_CAP_CLIPAREA | CD_CAP_CLIPPOLY | CD_CAP_PATTERN | CD_CAP_TEXTSIZE),
    CreateCanvas,
    FillOperations,
    Play,
    RegisterCallback,
    "CD_WMF",
    CD_DATA_TEXT};

}  // namespace

cdDriver* cdContextWMF(void) {
  return &wmf_driver;
}

cdCallback cdWMFSizeCallback(void) {
  return size_callback;
}
