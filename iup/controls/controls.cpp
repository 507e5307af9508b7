// The one list of the controls drawn on canvases that the host opens at
// start-up. A control lives in a file of its own in this folder; it joins
// the toolkit by its open function (declared in iupcontrols.h) and one line
// in kControls below.
#include <initializer_list>

#include "iupcontrols.h"

namespace {

using ControlOpen = void (*)();

// In the order start-up opens them: the matrix class, the tabs, the gauge,
// then the colour dialog with the text masks; the valuator, which start-up
// does not name, last.
constexpr std::initializer_list<ControlOpen> kControls = {
    IupMatrixOpen, IupTabsOpen, IupGaugeOpen, IupColorDlgOpen, IupTextMaskOpen, IupValOpen};

}  // namespace

void IupControlsOpen(void) {
  for (ControlOpen open : kControls) open();
}
