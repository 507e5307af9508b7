/* The enhanced metafile driver CD_EMF: a drawing kept as enhanced
 * metafile records in memory and written at cdKillCanvas behind its header
 * (bounds in pixels, frame in hundredths of a millimetre), and the player
 * of such files. Text is measured with the TrueType fonts the picture
 * names, as the platform would measure it. */
#include <new>
#include <string>
#include <vector>

#include "cd.h"
#include "cdgdifile.h"
#include "cdgdiwriter.h"
#include "sim.h"

namespace {

cdCallback size_callback = nullptr;
void (*writer_font)(cdCanvas*, int*, int*, int*) = nullptr;

void CreateCanvas(cdCanvas* cv, void* data) {
  std::string name;
  if (!cdgdi::ParseCreation(static_cast<const char*>(data), cv, name)) return;
  if (!cdgdi::ProbeWritable(name, "CD_EMF")) return;
  cdgdi::Writer* w = new (std::nothrow) cdgdi::Writer;
  if (!w) return;
  w->cv = cv;
  w->emf = true;
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

void Font(cdCanvas* cv, int* face, int* style, int* size) {
  writer_font(cv, face, style, size);
  cdsim::Font(cv, face, style, size);
}

void FillOperations(cdCanvas* cv) {
  cdgdi::WriterOf(cv)->Install(cv->ops);
  writer_font = cv->ops.Font;
  cv->ops.Font = Font;
  cv->ops.KillCanvas = KillCanvas;
  cv->ops.Activate = Activate;
  cv->ops.TextSize = cdsim::TextSize;
  cv->ops.FontDim = cdsim::FontDim;
}

int RegisterCallback(int cb, cdCallback func) {
  if (cb != CD_SIZECB) return -1;
  size_callback = func;
  return 0;
}

int Play(int xmin, int xmax, int ymin, int ymax, void* data) {
  std::vector<uint8_t> bytes;
  if (!cdgdi::ReadWholeFile(static_cast<const char*>(data), bytes)) return CD_ERROR;
  return cdPlayEMFMemory(bytes.data(), bytes.size(), xmin, xmax, ymin, ymax);
}

cdDriver emf_driver = {
    CD_CAP_ALL & ~(CD_CAP_FLUSH | CD_CAP_CLEAR | CD_CAP_YAXIS | CD_CAP_MARK | CD_CAP_VECTORTEXT |
                   CD_CAP_IMAGERGBA | CD_CAP_GETIMAGERGB | CD_CAP_IMAGESRV | CD_CAP_WD),
    CreateCanvas,
    FillOperations,
    Play,
    RegisterCallback,
    "CD_EMF",
    CD_DATA_TEXT};

}  // namespace

cdDriver* cdContextEMF(void) {
  return &emf_driver;
}

cdCallback cdEMFSizeCallback(void) {
  return size_callback;
}
