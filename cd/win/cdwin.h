/* The canvas drivers bound to the toolkit's platform. The window canvas
 * drivers: CD_IUP (a toolkit canvas element), CD_NATIVEWINDOW (a native
 * window handle) and CD_IMAGE (a server image of a window canvas). All three draw through the
 * raster base (cdraster.h) into three 8-bit planes, row 0 at the top (y_inverted is 1); the toolkit
 * shows the planes of a window canvas (iupcanvasfb.h). */
#ifndef VARKO_CDWIN_H
#define VARKO_CDWIN_H

#include <vector>

#include "cddriver.h"
#include "cdraster.h"
#include "iupcanvasfb.h"
#include "simraster.h"

cdDriver* cdContextIup(void);
cdDriver* cdContextNativeWindow(void);
cdDriver* cdContextImage(void);
#define CD_IUP cdContextIup()
#define CD_NATIVEWINDOW cdContextNativeWindow()
#define CD_IMAGE cdContextImage()

/* CD_PRINTER (cdwprn.cpp): data "document name", optionally with "-d" for
 * the print dialog; drawn with cairo on a GTK print job. */
cdDriver* cdContextPrinter(void);
#define CD_PRINTER cdContextPrinter()
/* Sets a GTK print setting (GtkPrintSettings key, e.g. "printer",
 * "output-uri", "resolution") for every later printer canvas: the
 * printer's part of the system's configuration (a null value removes the
 * key). Without "-d" the printer named by "printer" is used, else the
 * default one; with "-d" the settings are the dialog's first choice. */
void cdPrinterSetting(const char* key, const char* value);

/* CD_CLIPBOARD (cdwclp.cpp): data "%dx%d %g" with "-b" or "-m", on GTK's clipboard. */
cdDriver* cdContextClipboard(void);
#define CD_CLIPBOARD cdContextClipboard()

namespace cdwin {

/* canvases of these drivers make top-down cdraster::Pictures as server images */
bool IsWindowContext(const cdDriver* context);
/* The capability bits the window drivers clear. */
inline constexpr unsigned long kCapsCleared =
    CD_CAP_FLUSH | CD_CAP_PLAY | CD_CAP_YAXIS | CD_CAP_MARK | CD_CAP_VECTORTEXT | CD_CAP_WD;

/* A canvas on a toolkit window (CD_IUP, CD_NATIVEWINDOW). */
struct WindowRecord {
  cdsim::Raster raster; /* first: the raster base reaches it through driver_data */
  iup::canvasfb::Framebuffer fb;
  int serial = 0; /* the CANVAS element's */
};
/* Makes the record for the element of serial with its size now. */
void CreateWindowCanvas(cdCanvas* cv, int serial);
/* the slots the two window drivers share (the base's and their own) */
void FillWindowOperations(cdCanvas* cv);

/* resizes planes to w x h keeping the old contents where they fit, the
 * new area white; false when memory runs out (the planes stay) */
bool ResizePlanes(std::vector<unsigned char>* planes[3], int old_w, int old_h, int w, int h);

}  // namespace cdwin

#endif
