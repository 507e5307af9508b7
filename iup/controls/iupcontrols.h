// The toolkit's controls drawn on canvases: the open function of each
// control and the one call that opens them all at start-up.
#ifndef VARKO_IUP_CONTROLS_IUPCONTROLS_H
#define VARKO_IUP_CONTROLS_IUPCONTROLS_H

#include "iup.h"

// Opens every control of the list in controls.cpp, in its order: the
// matrix class, the tabs, the gauge, then the colour dialog with the text
// masks. The host calls it once, right after IupOpen and before the script
// bindings.
void IupControlsOpen(void);

// The open function of each control, defined in the control's own file:

// The gauge (class "GAUGE", registered as "gauge"): a progress bar showing
// "VALUE" from 0 to 1, with the percentage or "TEXT" over it.
void IupGaugeOpen(void);
IupElement* IupCreateGauge(void);
// Draws the gauge as it stands on the active canvas, width x height pixels,
// as its window shows it (the window's copy goes through an off-screen image).
void IupGaugeDraw(IupElement* gauge, int width, int height);

// The valuator (class "VAL", registered as "val"): a slider from "MIN" to
// "MAX" in the orientation "VERTICAL" or "HORIZONTAL".
void IupValOpen(void);
IupElement* IupCreateVal(const char* orientation);
// Draws the valuator as it stands on the active canvas, width x height.
void IupValDraw(IupElement* val, int width, int height);

#endif
