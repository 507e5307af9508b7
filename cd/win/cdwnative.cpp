/* The native window driver (CD_NATIVEWINDOW): a canvas on a native window
 * handle. Our windows are the toolkit's, so the handle is a CANVAS
 * element's "WID" and the canvas draws into that element's framebuffer,
 * exactly as CD_IUP does. */
#include "cdwin.h"

namespace {

void CreateCanvas(cdCanvas* cv, void* data) {
  const iup::canvasfb::Host* host = iup::canvasfb::CurrentHost();
  if (host == nullptr || data == nullptr) return;
  cdwin::CreateWindowCanvas(cv, host->CanvasOfWindow(data));
}

cdDriver native_driver = {CD_CAP_ALL & ~cdwin::kCapsCleared,
                          CreateCanvas,
                          cdwin::FillWindowOperations,
                          nullptr,
                          nullptr,
                          "CD_NATIVEWINDOW",
                          CD_DATA_WINDOW};

}  // namespace

cdDriver* cdContextNativeWindow(void) {
  return &native_driver;
}
