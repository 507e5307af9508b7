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

// The text masks: a pattern (a regular expression with '/' as its escape
// character) checked on every key of a TEXT or of a matrix cell. The set
// operations return 1, or 0 when the pattern does not compile (the element
// is then left as it was). The cell forms take the matrix, line and column.
void IupTextMaskOpen(void);
int IupTextMaskSet(IupElement* text, const char* pattern, int autofill, int ignore_case);
int IupTextMaskSetCell(IupElement* matrix, const char* pattern, int autofill, int ignore_case,
                       int line, int column);
int IupTextMaskSetInteger(IupElement* text, int autofill, int min, int max);
int IupTextMaskSetInteger(IupElement* matrix, int autofill, int min, int max, int line, int column);
int IupTextMaskSetReal(IupElement* text, int autofill, float min, float max);
int IupTextMaskSetReal(IupElement* matrix, int autofill, float min, float max, int line,
                       int column);
// 1 when the text ("VALUE", or the one given for a cell) completely matches
// and lies in the range, or when there is no mask; else 0.
int IupTextMaskCheck(IupElement* text);
int IupTextMaskCheck(IupElement* matrix, const char* text, int line, int column);

// The matrix (class "MATRIX", registered as "matrix"): a grid of text
// cells drawn on a canvas, edited in place. action: the application's key
// action name (null for none).
void IupMatrixOpen(void);
IupElement* IupCreateMatrix(const char* action);
// Draws the matrix as it stands on the active canvas, width x height, as
// its window shows it.
void IupMatrixDraw(IupElement* matrix, int width, int height);
// How many cells the last redraw of the window drew (the cost of a redraw).
long IupMatrixCellsDrawn(IupElement* matrix);

// The tabs (class "TABS", registered as "tabs"): a notebook of pages, one
// visible at a time, chosen by clicking its tab ("TABTITLE" of the page).
void IupTabsOpen(void);
IupElement* IupCreateTabs(IupElement* first, ...);  // pages, then null
IupElement* IupCreateTabsv(IupElement* const* pages, int count);
// Draws the tabs as they stand on the active canvas, width x height.
void IupTabsDraw(IupElement* tabs, int width, int height);

// The colour selection dialog: a modal "Color Selection" dialog with a hue
// ring, a lightness/saturation triangle and typed fields. The open function
// binds its action names; the dialog is built on its first use.
void IupColorDlgOpen(void);
// Pops the dialog up at (x, y) (show positions of IupPopup) with the given
// colour; 1 and the chosen colour written back when the user pressed "OK",
// 0 and the colour left unchanged otherwise. Not re-entrant.
int IupPickColor(int x, int y, unsigned char* red, unsigned char* green, unsigned char* blue);
// The colour model of the dialog: hue in degrees (0 to 360), lightness and
// saturation 0 to 1; components 0 to 255.
void IupColorHlsToRgb(float hue, float lightness, float saturation, unsigned char* red,
                      unsigned char* green, unsigned char* blue);
void IupColorRgbToHls(unsigned char red, unsigned char green, unsigned char blue, float* hue,
                      float* lightness, float* saturation);
// A part of the dialog (built if need be), for programs that drive it:
// "DIALOG", "PICKER", "PREVIEW", "RED", "GREEN", "BLUE", "HUE", "LUM",
// "SAT", "OK", "CANCEL"; null for another name.
IupElement* IupColorDlgElement(const char* part);
// Draws the 181 x 181 picker (ring, triangle, markers) for a colour on the
// active canvas at its origin, and the 80 x 50 preview 10 pixels to its
// right, on the given background colour.
void IupColorPickerDraw(unsigned char red, unsigned char green, unsigned char blue,
                        long background);

#endif
