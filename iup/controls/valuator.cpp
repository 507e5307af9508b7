// The valuator: a slider drawn on a canvas element (class "VAL", registered
// as "val") showing "VALUE" between "MIN" and "MAX" as a handle in a groove.
// Dragging the handle moves the value; pressing in the groove steps it by a
// hundredth of the range at every idle moment until the button is released.
// A range given backwards (MIN above MAX) works reversed; an empty range
// shows the handle at the start and never moves it.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "iupcontrols.h"
#include "iupdriver.h"
#include "offscreen.h"

namespace {

constexpr const char* kData = "VALUATOR_DATA";
typedef int (*ValueCallback)(IupElement* self, double value);

struct Valuator {
  controls::Offscreen canvas;
  bool vertical = true;
  double value = 0, min = 0, max = 1;
  int travel = 0;  // pixels the handle can move
  int last = 0;    // last mouse position along the valuator (y upwards)
  bool dragging = false, stepping = false;
  double step = 0;
  std::string answer;
};

IupControlClass* val_class = nullptr;

// The valuator that steps now (one mouse, so one at a time) and the idle
// function it stands in front of.
int stepping_serial = 0;
IupIdleCallback saved_idle = nullptr;

Valuator* DataOf(IupElement* e) {
  return static_cast<Valuator*>(IupGetAttributePointer(e, kData));
}

double Lowest(const Valuator& v) {
  return std::min(v.min, v.max);
}
double Highest(const Valuator& v) {
  return std::max(v.min, v.max);
}
double Clamp(const Valuator& v, double x) {
  return std::clamp(x, Lowest(v), Highest(v));
}

// Where the value stands along the range, 0 to 1 (0 for an empty range).
double Fraction(const Valuator& v) {
  const double range = v.max - v.min;
  if (range == 0) return 0;
  return std::clamp((v.value - v.min) / range, 0.0, 1.0);
}

long BackgroundOf(IupElement* e) {
  long colour = cdEncodeColor(192, 192, 192);
  IupElement* parent = e != nullptr ? IupGetParent(e) : nullptr;
  for (IupElement* from : {e, parent, IupGetDialog(e)}) {
    const char* value = from != nullptr ? IupGetOwnAttribute(from, "BGCOLOR") : nullptr;
    if (value == nullptr) continue;
    if (!controls::ColourOf(value, &colour)) colour = cdEncodeColor(128, 128, 128);
    return colour;
  }
  return colour;
}

const long kGrey[5] = {cdEncodeColor(40, 40, 40), cdEncodeColor(80, 80, 80),
                       cdEncodeColor(120, 120, 120), cdEncodeColor(160, 160, 160),
                       cdEncodeColor(200, 200, 200)};

// A box across [a0, a1] and along [l0, l1] in the valuator's own axes.
void Box(bool vertical, int a0, int a1, int l0, int l1) {
  if (vertical)
    cdBox(a0, a1, l0, l1);
  else
    cdBox(l0, l1, a0, a1);
}
void Line(bool vertical, int a0, int l0, int a1, int l1) {
  if (vertical)
    cdLine(a0, l0, a1, l1);
  else
    cdLine(l0, a0, l1, a1);
}
// A bevelled frame: light on the top/left, dark on the bottom/right (or
// the other way round for a sunken one).
void Bevel(bool vertical, int a0, int a1, int l0, int l1, long light, long dark) {
  cdForeground(light);
  Line(vertical, a0, l0, a0, l1);
  Line(vertical, a0, l1, a1, l1);
  cdForeground(dark);
  Line(vertical, a1, l1, a1, l0);
  Line(vertical, a1, l0, a0, l0);
}

// Handle extent along the valuator, in pixels from its start.
void HandleSpan(const Valuator& v, int length, int* start, int* end) {
  *start = static_cast<int>(v.travel * Fraction(v) + 0.05 * length + 2);
  *end = static_cast<int>(*start + 0.2 * length);
}

void DrawValuator(const Valuator& v, long background, int w, int h) {
  const bool vert = v.vertical;
  const int across = vert ? w : h, length = vert ? h : w;
  cdWriteMode(CD_REPLACE);
  cdLineStyle(CD_CONTINUOUS);
  cdLineWidth(1);
  cdInteriorStyle(CD_SOLID);
  cdBackground(background);
  cdClear();
  // the groove, sunken
  const int g0 = static_cast<int>(0.2 * across), g1 = static_cast<int>(0.8 * across);
  const int l0 = static_cast<int>(0.05 * length), l1 = static_cast<int>(0.95 * length);
  cdForeground(kGrey[1]);
  Box(vert, g0, g1, l0, l1);
  Bevel(vert, g0, g1, l0, l1, kGrey[0], kGrey[4]);
  // the handle, raised, with its centre line
  int s = 0, e = 0;
  HandleSpan(v, length, &s, &e);
  const int h0 = g0 + 2, h1 = g1 - 2;
  if (h1 > h0 && e > s) {
    cdForeground(kGrey[3]);
    Box(vert, h0, h1, s, e);
    Bevel(vert, h0, h1, s, e, kGrey[4], kGrey[0]);
    Bevel(vert, h0 + 1, h1 - 1, s + 1, e - 1, kGrey[3], kGrey[2]);
    const int centre = (s + e) / 2, inset = across / 10;
    cdForeground(kGrey[0]);
    Line(vert, h0 + inset, centre, h1 - inset, centre);
    cdForeground(kGrey[4]);
    Line(vert, h0 + inset, centre + 1, h1 - inset, centre + 1);
  }
}

void Redraw(IupElement* e) {
  Valuator* v = DataOf(e);
  if (v == nullptr || !v->canvas.EnsureScreen(e)) return;
  cdCanvasHandle previous = nullptr;
  if (!v->canvas.Begin(&previous)) return;
  // the travel follows the size drawn at: the first resize may come before
  // the canvas had a screen, and the handle then stood at the start whatever
  // the value
  const int length = v->vertical ? v->canvas.height() : v->canvas.width();
  v->travel = static_cast<int>(0.7 * length - 4);
  DrawValuator(*v, BackgroundOf(e), v->canvas.width(), v->canvas.height());
  v->canvas.End(previous);
}

void Call(IupElement* e, const char* name) {
  Valuator* v = DataOf(e);
  if (v == nullptr) return;
  if (auto cb = reinterpret_cast<ValueCallback>(
          reinterpret_cast<void (*)(void)>(IupFindAction(IupGetAttribute(e, name)))))
    cb(e, v->value);
}

// Makes sure the canvas and its size are known (a valuator may be pressed
// before any resize reached it) and derives the travel from the length.
bool Measure(IupElement* e, Valuator& v) {
  if (!v.canvas.EnsureScreen(e)) return false;
  if (v.canvas.width() == 0 || v.canvas.height() == 0) v.canvas.Resize();
  const int length = v.vertical ? v.canvas.height() : v.canvas.width();
  v.travel = static_cast<int>(0.7 * length - 4);
  return true;
}

int ResizeCb(IupElement* e, int, int) {
  Valuator* v = DataOf(e);
  if (v == nullptr || !v->canvas.EnsureScreen(e)) return IUP_DEFAULT;
  v->canvas.Resize();
  const int length = v->vertical ? v->canvas.height() : v->canvas.width();
  v->travel = static_cast<int>(0.7 * length - 4);
  Redraw(e);
  return IUP_DEFAULT;
}

int RedrawCb(IupElement* e, float, float) {
  Redraw(e);
  return IUP_DEFAULT;
}

// Position along the valuator with y upwards (mouse y counts from the top).
int Along(const Valuator& v, int x, int y) {
  return v.vertical ? v.canvas.height() - 1 - y : x;
}

void StopStepping(Valuator& v) {
  if (!v.stepping) return;
  v.stepping = false;
  stepping_serial = 0;
  IupSetIdle(saved_idle);
  saved_idle = nullptr;
}

int StepIdle() {
  const int serial = stepping_serial;
  int result = IUP_DEFAULT;
  if (saved_idle != nullptr) result = saved_idle();
  IupElement* e = IupFromSerial(serial);
  Valuator* v = DataOf(e);
  if (v != nullptr && v->stepping && stepping_serial == serial) {
    v->value = Clamp(*v, v->value + v->step);
    Redraw(e);
    Call(e, "MOUSEMOVE_CB");
  }
  return result;
}

int ButtonCb(IupElement* e, int button, int pressed, int x, int y, char*) {
  Valuator* v = DataOf(e);
  if (v == nullptr || button != IUP_BUTTON1 || !Measure(e, *v)) return IUP_DEFAULT;
  const int serial = IupGetSerial(e);
  const int across_size = v->vertical ? v->canvas.width() : v->canvas.height();
  const int length = v->vertical ? v->canvas.height() : v->canvas.width();
  if (pressed) {
    const int along = Along(*v, x, y);
    const int across = v->vertical ? x : v->canvas.height() - 1 - y;
    v->last = along;
    int s = 0, end = 0;
    HandleSpan(*v, length, &s, &end);
    const bool in_width = across > 0.2 * across_size && across < 0.8 * across_size;
    if (in_width && along >= s && along <= end) {
      v->dragging = true;
    } else if (in_width && along >= 0.05 * length + 2 && along <= 0.95 * length && !v->stepping &&
               v->max != v->min) {
      v->step = (along < s ? -0.01 : 0.01) * (v->max - v->min);
      v->stepping = true;
      stepping_serial = serial;
      saved_idle = IupSetIdle(StepIdle);
    }
    Call(e, "BUTTON_PRESS_CB");
  } else {
    if (!v->dragging && !v->stepping) return IUP_DEFAULT;
    Redraw(e);
    v->dragging = false;
    StopStepping(*v);
    if (IupFromSerial(serial) == e) Call(e, "BUTTON_RELEASE_CB");
  }
  return IUP_DEFAULT;
}

int MotionCb(IupElement* e, int x, int y, char* status) {
  Valuator* v = DataOf(e);
  if (v == nullptr || !v->dragging || status == nullptr || std::strlen(status) < 3 ||
      status[2] != '1')
    return IUP_DEFAULT;
  const int along = Along(*v, x, y);
  if (v->travel > 0)
    v->value = Clamp(*v, v->value + (along - v->last) * (v->max - v->min) / v->travel);
  v->last = along;
  Redraw(e);
  Call(e, "MOUSEMOVE_CB");
  return IUP_DEFAULT;
}

IupElement* Create(IupControlClass*, void** params) {
  const char* orientation = params != nullptr ? static_cast<const char*>(params[0]) : nullptr;
  IupElement* e = IupCreateCanvas("iupvaluatorredraw");
  if (e == nullptr) return nullptr;
  auto* v = new Valuator;
  IupSetAttributePointer(e, kData, v);
  IupSetAttribute(e, "RESIZE_CB", "iupvaluatorresize");
  IupSetAttribute(e, "BUTTON_CB", "iupvaluatorbutton");
  IupSetAttribute(e, "EXPAND", "NO");
  IupSetAttribute(e, "BORDER", "NO");
  if (orientation != nullptr && std::strcmp(orientation, "VERTICAL") == 0) {
    IupSetAttribute(e, "MOTION_CB", "iupvaluatormotionv");
    IupSetAttribute(e, "SIZE", "15x80");
  } else if (orientation != nullptr && std::strcmp(orientation, "HORIZONTAL") == 0) {
    v->vertical = false;
    IupSetAttribute(e, "MOTION_CB", "iupvaluatormotionh");
    IupSetAttribute(e, "SIZE", "80x18");
  }
  return e;
}

int Destroy(IupElement* e) {
  Valuator* v = DataOf(e);
  if (v == nullptr) return IUP_DEFAULT;
  StopStepping(*v);
  IupSetAttributePointer(e, kData, nullptr);
  delete v;
  return IUP_DEFAULT;
}

int Unmap(IupElement* e) {
  if (Valuator* v = DataOf(e)) {
    StopStepping(*v);
    v->dragging = false;
    v->canvas.Release();
  }
  return IUP_DEFAULT;
}

bool ParseNumber(const char* text, double* number) {
  char* end = nullptr;
  const double x = std::strtod(text, &end);
  if (end == text) return false;
  *number = x;
  return true;
}

int SetAttr(IupElement* e, const char* name, const char* value) {
  Valuator* v = DataOf(e);
  if (v != nullptr && std::strcmp(name, kData) != 0) {
    double* target = std::strcmp(name, "VALUE") == 0 ? &v->value
                     : std::strcmp(name, "MIN") == 0 ? &v->min
                     : std::strcmp(name, "MAX") == 0 ? &v->max
                                                     : nullptr;
    if (target != nullptr) {
      double x = target == &v->max ? 1 : 0;
      if (value == nullptr || ParseNumber(value, &x)) *target = x;
      Redraw(e);
    }
  }
  if (iup::Driver* driver = iup::CurrentDriver()) driver->SetAttribute(e, name, value);
  return IUP_DEFAULT;
}

const char* GetAttr(IupElement* e, const char* name) {
  Valuator* v = DataOf(e);
  if (v != nullptr && std::strcmp(name, "VALUE") == 0) {
    char text[64];
    std::snprintf(text, sizeof text, "%f", v->value);
    v->answer = text;
    return v->answer.c_str();
  }
  if (iup::Driver* driver = iup::CurrentDriver()) return driver->GetAttribute(e, name).value;
  return nullptr;
}

}  // namespace

void IupValOpen(void) {
  IupBindAction("iupvaluatorresize", IupAsCallback(ResizeCb));
  IupBindAction("iupvaluatorredraw", IupAsCallback(RedrawCb));
  IupBindAction("iupvaluatorbutton", IupAsCallback(ButtonCb));
  IupBindAction("iupvaluatormotionv", IupAsCallback(MotionCb));
  IupBindAction("iupvaluatormotionh", IupAsCallback(MotionCb));
  if (val_class == nullptr) {
    val_class = IupNewControlClass("VAL", "s");
    IupSetControlMethod(val_class, "CREATE", IupAsControlMethod(Create));
    IupSetControlMethod(val_class, "DESTROY", IupAsControlMethod(Destroy));
    IupSetControlMethod(val_class, "UNMAP", IupAsControlMethod(Unmap));
    IupSetControlMethod(val_class, "SETATTR", IupAsControlMethod(SetAttr));
    IupSetControlMethod(val_class, "GETATTR", IupAsControlMethod(GetAttr));
  }
  IupAddControlClass("val", val_class);
}

IupElement* IupCreateVal(const char* orientation) {
  void* params[] = {const_cast<char*>(orientation), nullptr};
  return IupNewFromControlClass(IupLookupControlClass("val"), params);
}

void IupValDraw(IupElement* val, int width, int height) {
  Valuator* v = DataOf(val);
  if (v == nullptr) return;
  const int length = v->vertical ? height : width;
  const int saved = v->travel;
  v->travel = static_cast<int>(0.7 * length - 4);
  DrawValuator(*v, BackgroundOf(val), width, height);
  v->travel = saved;
}
