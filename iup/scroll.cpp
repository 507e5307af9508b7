// Scrollbar arithmetic of canvases: the interval ["XMIN","XMAX"] mapped onto
// native positions 1 to 30000, the "SCROLL_CB" protocol, and the mouse
// wheel ("WHEEL_CB", else line steps of the vertical scrollbar).
#include <algorithm>
#include <cmath>
#include <string>

#include "iupcore.h"

namespace iup {
namespace {
constexpr int kRange = 30000;
// More notches than this in one wheel event are taken as this many: a
// bogus delta must not loop for ages through "SCROLL_CB".
constexpr int kMaxWheelSteps = 100;

bool HasVerticalScrollbar(IupElement* canvas) {
  const char* sb = IupGetAttribute(canvas, "SCROLLBAR");
  return ReadBool(sb) == 1 || EqualNoCase(sb, "VERTICAL") ||
         ReadBool(IupGetAttribute(canvas, "SBV")) == 1;
}
}  // namespace

int Scrollbar::NativePage() const {
  const double span = max - min;
  // an empty interval is all page: nothing to scroll, no division by zero
  if (!(std::fabs(span) > 0.0)) return kRange;
  const double page_units = page / span * kRange;
  if (!(page_units >= 1.0)) return 1;
  return page_units >= kRange ? kRange : static_cast<int>(page_units);
}

int Scrollbar::Clamp(int native) const {
  const int top = std::max(1, kRange - NativePage());
  return std::clamp(native, 1, top);
}

int Scrollbar::NativePosition() const {
  const double span = max - min;
  if (!(std::fabs(span) > 0.0)) return 1;
  const double p = (pos - min) / span * kRange;
  if (!(p >= 1.0)) return 1;
  return Clamp(p >= kRange ? kRange : static_cast<int>(p));
}

double Scrollbar::FromNative(int native) const {
  return min + static_cast<double>(native) * (max - min) / kRange;
}

int Scrollbar::Step(int native, int operation) const {
  const int page_step = NativePage();
  const int line_step = std::max(1, page_step / 10);
  switch (operation) {
    case IUP_SBUP:
    case IUP_SBLEFT:
      return Clamp(native - line_step);
    case IUP_SBDN:
    case IUP_SBRIGHT:
      return Clamp(native + line_step);
    case IUP_SBPGUP:
    case IUP_SBPGLEFT:
      return Clamp(native - page_step);
    case IUP_SBPGDN:
    case IUP_SBPGRIGHT:
      return Clamp(native + page_step);
    default:
      return Clamp(native);
  }
}

Scrollbar CanvasScrollbar(IupElement* canvas, bool horizontal) {
  Scrollbar s;
  s.min = IupGetAttributeReal(canvas, horizontal ? "XMIN" : "YMIN");
  s.max = IupGetAttributeReal(canvas, horizontal ? "XMAX" : "YMAX");
  s.page = IupGetAttributeReal(canvas, horizontal ? "DX" : "DY");
  s.pos = IupGetAttributeReal(canvas, horizontal ? "POSX" : "POSY");
  return s;
}

namespace event {

void CanvasScroll(IupElement* canvas, int operation, int native_position) {
  if (canvas == nullptr || operation < IUP_SBUP || operation > IUP_SBDRAGV) return;
  const bool horizontal = operation >= IUP_SBPGLEFT && operation <= IUP_SBDRAGH;
  const Scrollbar bar = CanvasScrollbar(canvas, horizontal);
  const char* pos_name = horizontal ? "POSX" : "POSY";
  double pos = bar.pos;
  const bool positional = operation == IUP_SBDRAGH || operation == IUP_SBDRAGV ||
                          operation == IUP_SBPOSH || operation == IUP_SBPOSV;
  if (positional) {
    pos = bar.FromNative(bar.Clamp(native_position));
    IupSetAttributeCopyF(canvas, pos_name, "%g", pos);
  } else {
    // line and page steps: the new position only goes to the callback
    pos = bar.FromNative(bar.Step(bar.NativePosition(), operation));
  }
  IupCallback cb = FindCallback(canvas, "SCROLL_CB");
  if (cb == nullptr) {
    if (operation == IUP_SBDRAGH || operation == IUP_SBDRAGV) Drv().Repaint(canvas);
    return;
  }
  const float posx = horizontal ? static_cast<float>(pos) : IupGetAttributeReal(canvas, "POSX");
  const float posy = horizontal ? IupGetAttributeReal(canvas, "POSY") : static_cast<float>(pos);
  As<IupScrollCallback>(cb)(canvas, operation, posx, posy);
}

void CanvasWheel(IupElement* canvas, float delta, int x, int y, const char* status) {
  if (canvas == nullptr || !std::isfinite(delta) || delta == 0.0f) return;
  if (IupCallback cb = FindCallback(canvas, "WHEEL_CB")) {
    std::string s = status != nullptr ? status : "     ";
    As<IupWheelCallback>(cb)(canvas, delta, x, y, s.data());
    return;
  }
  // as the original platform did: each notch a line step up or down
  if (!HasVerticalScrollbar(canvas)) return;
  const int operation = delta > 0 ? IUP_SBUP : IUP_SBDN;
  const int steps = std::clamp(static_cast<int>(std::lround(std::fabs(delta))), 1, kMaxWheelSteps);
  const int serial = IupGetSerial(canvas);
  for (int i = 0; i < steps && IupFromSerial(serial) == canvas; ++i)
    CanvasScroll(canvas, operation, 0);
}

}  // namespace event
}  // namespace iup
