// The dialog of every control, for the picture tests.
#include "every_control.h"

#include <cstdio>

#include "cd.h"
#include "cdwin.h"
#include "iupcontrols.h"

namespace everycontrol {

namespace {

constexpr const char* kCanvas = "EVERY_CONTROL_CANVAS";

long DialogBackground(IupElement* e) {
  int r = 192, g = 192, b = 192;
  if (const char* bg = IupGetAttribute(IupGetDialog(e), "BGCOLOR"))
    std::sscanf(bg, "%d %d %d", &r, &g, &b);
  return cdEncodeColor(static_cast<unsigned char>(r), static_cast<unsigned char>(g),
                       static_cast<unsigned char>(b));
}

// The colour browser: the colour dialog's ring, triangle and preview for one
// colour, drawn on the canvas through CD_IUP.
int ColoursRedraw(IupElement* e, float, float) {
  auto* canvas = static_cast<cdCanvasHandle>(IupGetAttributePointer(e, kCanvas));
  if (canvas == nullptr) {
    cdCanvasHandle previous = cdActiveCanvas();
    canvas = cdCreateCanvas(CD_IUP, e);
    if (previous != nullptr) cdActivate(previous);
    if (canvas == nullptr) return IUP_DEFAULT;
    IupSetAttributePointer(e, kCanvas, canvas);
  }
  cdCanvasHandle previous = cdActiveCanvas();
  cdActivate(canvas);
  const long bg = DialogBackground(e);
  cdBackground(bg);
  cdClear();
  IupColorPickerDraw(40, 140, 220, bg);
  cdFlush();
  if (previous != nullptr && previous != canvas) cdActivate(previous);
  return IUP_DEFAULT;
}

IupElement* Labelled(const char* title, IupElement* field) {
  IupElement* label = IupCreateLabel(title);
  IupSetAttribute(label, "SIZE", "30");
  return IupCreateHbox(label, field, nullptr);
}

}  // namespace

Dialog Build() {
  IupBindAction("every_control_colours", IupAsCallback(ColoursRedraw));
  Dialog d;
  d.gauge = IupCreateGauge();
  IupSetAttribute(d.gauge, "VALUE", "0.6");
  d.val = IupCreateVal("HORIZONTAL");
  IupSetAttribute(d.val, "VALUE", "0.3");
  d.byte_field = IupCreateText(nullptr);
  IupSetAttribute(d.byte_field, "RASTERSIZE", "80x");
  IupTextMaskSetInteger(d.byte_field, 0, 0, 255);
  IupSetAttribute(d.byte_field, "VALUE", "128");
  d.date_field = IupCreateText(nullptr);
  IupSetAttribute(d.date_field, "RASTERSIZE", "80x");
  IupSetAttribute(d.date_field, "MASK", "##/##");
  IupSetAttribute(d.date_field, "VALUE", "12/34");
  IupElement* page1 = IupCreateVbox(IupCreateLabel("The first page"), nullptr);
  IupSetAttribute(page1, "TABTITLE", "One");
  IupElement* page2 = IupCreateVbox(IupCreateLabel("The second page"), nullptr);
  IupSetAttribute(page2, "TABTITLE", "Two");
  d.tabs = IupCreateTabs(page1, page2, nullptr);
  IupSetAttribute(d.tabs, "RASTERSIZE", "200x80");
  d.matrix = IupCreateMatrix(nullptr);
  IupSetAttribute(d.matrix, "NUMLIN", "3");
  IupSetAttribute(d.matrix, "NUMCOL", "3");
  IupSetAttribute(d.matrix, "WIDTHDEF", "30");
  IupSetAttribute(d.matrix, "RASTERSIZE", "271x100");
  const char* const cells[][2] = {
      {"0:1", "Name"}, {"0:2", "Cost"}, {"0:3", "Class"}, {"1:0", "A"},    {"2:0", "B"},
      {"3:0", "C"},    {"1:1", "road"}, {"1:2", "1.5"},   {"1:3", "2"},    {"2:1", "river"},
      {"2:2", "9"},    {"2:3", "5"},    {"3:1", "field"}, {"3:2", "3.25"}, {"3:3", "3"}};
  for (const auto& c : cells) IupSetAttribute(d.matrix, c[0], c[1]);
  IupSetAttribute(d.matrix, "BGCOLOR2:2", "255 220 200");
  IupSetAttribute(d.matrix, "MARK_MODE", "CELL");
  IupSetAttribute(d.matrix, "MARKED", "000001000");
  d.colours = IupCreateCanvas("every_control_colours");
  IupSetAttribute(d.colours, "RASTERSIZE", "271x181");
  IupSetAttribute(d.colours, "BORDER", "NO");
  IupElement* left = IupCreateVbox(d.gauge, d.val, Labelled("Byte:", d.byte_field),
                                   Labelled("Date:", d.date_field), d.tabs, nullptr);
  IupSetAttribute(left, "GAP", "5");
  IupElement* right = IupCreateVbox(d.matrix, d.colours, nullptr);
  IupSetAttribute(right, "GAP", "5");
  IupElement* content = IupCreateHbox(left, right, nullptr);
  IupSetAttribute(content, "MARGIN", "5x5");
  IupSetAttribute(content, "GAP", "8");
  d.dialog = IupCreateDialog(content);
  IupSetAttribute(d.dialog, "TITLE", "every-control");
  IupSetAttribute(d.dialog, "RESIZE", "NO");
  return d;
}

void Destroy(Dialog& d) {
  if (d.colours != nullptr) {
    if (auto* canvas = static_cast<cdCanvasHandle>(IupGetAttributePointer(d.colours, kCanvas))) {
      IupSetAttributePointer(d.colours, kCanvas, nullptr);
      cdKillCanvas(canvas);
    }
  }
  if (d.dialog != nullptr) IupDestroy(d.dialog);
  d = Dialog();
}

}  // namespace everycontrol
