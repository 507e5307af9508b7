/* Every driver of the canvas library, in the order of their numbers (the
 * script binding's CD_* constants). A driver not built yet keeps its
 * number through a placeholder with its name and kind of creation data; a
 * new driver replaces its placeholder line by a cdListDriver line. The
 * list lives here, above both the core's file drivers and the window
 * drivers, and fills the core's registry so that code linking only the
 * core finds any driver by name. The toolkit canvas driver CD_IUP is not
 * listed here: the start-up sequence adds it right after the script
 * binding opens (cdlua_open_iup), so it takes the next number. */
#include "cddrivers.h"

#include "cd.h"
#include "cdwin.h"

void cdOpenDrivers(void) {
  static bool opened = false;
  if (opened) return;
  opened = true;
  cdListDriver(cdContextImage());        /* CD_IMAGE */
  cdListDriver(cdContextImageRGB());     /* CD_IMAGERGB */
  cdListDriver(cdContextDXF());          /* CD_DXF */
  cdListDriver(cdContextDGN());          /* CD_DGN */
  cdListDriver(cdContextCGM());          /* CD_CGM */
  cdListDriver(cdContextMetafile());     /* CD_METAFILE */
  cdListDriver(cdContextPS());           /* CD_PS */
  cdListDriver(cdContextClipboard());    /* CD_CLIPBOARD */
  cdListDriver(cdContextNativeWindow()); /* CD_NATIVEWINDOW */
  cdListDriver(cdContextPrinter());      /* CD_PRINTER */
  cdListDriver(cdContextWMF());          /* CD_WMF */
  cdListDriver(cdContextEMF());          /* CD_EMF */
}
