/* The toolkit canvas driver (CD_IUP): a canvas on a mapped CANVAS element,
 * drawing into the element's framebuffer (cdwin.h); the toolkit shows it. */
#include "cdwin.h"

namespace {

/* data: the CANVAS element; an element without a native window (not
 * mapped, or not a canvas) gives no canvas */
void CreateCanvas(cdCanvas* cv, void* data) {
  const iup::canvasfb::Host* host = iup::canvasfb::CurrentHost();
  if (host == nullptr || data == nullptr) return;
  cdwin::CreateWindowCanvas(cv, host->MappedCanvas(static_cast<IupElement*>(data)));
}

cdDriver iup_driver = {CD_CAP_ALL & ~cdwin::kCapsCleared,
                       CreateCanvas,
                       cdwin::FillWindowOperations,
                       nullptr,
                       nullptr,
                       "CD_IUP",
                       CD_DATA_ELEMENT};

}  // namespace

cdDriver* cdContextIup(void) {
  return &iup_driver;
}
