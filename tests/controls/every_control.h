// A dialog holding every canvas-drawn control (gauge, valuator, tabs,
// matrix, text fields with masks, and the colour browser of the colour
// dialog on a canvas of its own), shared by the headless picture test and
// the GTK screenshot test. The controls must be open.
#ifndef VARKO_TESTS_CONTROLS_EVERY_CONTROL_H
#define VARKO_TESTS_CONTROLS_EVERY_CONTROL_H

#include "iup.h"

namespace everycontrol {

struct Dialog {
  IupElement* dialog = nullptr;
  IupElement *gauge = nullptr, *val = nullptr, *tabs = nullptr, *matrix = nullptr;
  IupElement *byte_field = nullptr, *date_field = nullptr, *colours = nullptr;
};

// The dialog titled "every-control", not shown yet.
Dialog Build();
// Destroys the dialog and the colour browser's canvas.
void Destroy(Dialog& d);

}  // namespace everycontrol

#endif
