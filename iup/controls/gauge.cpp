// The gauge: a progress bar drawn on a canvas element (class "GAUGE",
// registered as "gauge") showing a value from 0 to 1 as a bar, with the
// percentage or a text of its own over it. Redraws go through an off-screen
// image so that frequent updates do not flicker.
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "iupcontrols.h"
#include "iupdriver.h"
#include "offscreen.h"

namespace {

constexpr const char* kData = "GAUGE_DATA";

struct Gauge {
  controls::Offscreen canvas;
  long background = cdEncodeColor(170, 170, 170);
  long bar = cdEncodeColor(0, 0, 170);
  long text_colour = cdEncodeColor(255, 255, 255);
  double value = 0;
  bool has_text = false;
  std::string text;
  bool has_font = false;
  std::string font;  // native description
  bool show_text = true;
  bool dashed = false;
  std::string answer;  // the text of the last attribute read
};

IupControlClass* gauge_class = nullptr;

Gauge* DataOf(IupElement* e) {
  return static_cast<Gauge*>(IupGetAttributePointer(e, kData));
}

// A decimal number filling the whole text (blanks around allowed).
bool ParseNumber(const char* text, double* number) {
  if (text == nullptr) return false;
  char* end = nullptr;
  double v = std::strtod(text, &end);
  if (end == text) return false;
  while (*end == ' ' || *end == '\t') ++end;
  if (*end != '\0' || !std::isfinite(v)) return false;
  *number = v;
  return true;
}

void DrawGauge(const Gauge& g, int w, int h) {
  cdWriteMode(CD_REPLACE);
  cdLineStyle(CD_CONTINUOUS);
  cdLineWidth(1);
  cdInteriorStyle(CD_SOLID);
  cdBackground(g.background);
  cdClear();
  // sunken border
  cdForeground(cdEncodeColor(0, 0, 0));
  cdLine(0, 1, 0, h - 1);
  cdLine(0, h - 1, w - 1, h - 1);
  cdForeground(cdEncodeColor(255, 255, 255));
  cdLine(0, 0, w - 1, 0);
  cdLine(w - 1, 0, w - 1, h - 1);

  cdForeground(g.bar);
  if (!g.dashed) {
    const int right = static_cast<int>((w - 7) * g.value + 0.5);
    if (right >= 6 && h - 7 >= 6) cdBox(6, right, 6, h - 7);
  } else {
    const double step = (w - 9) / 30.0;
    const double limit = g.value * (w - 12) * 100;
    // thirty blocks fill the bar; a gauge too narrow for blocks shows none
    for (int k = 0; k < 30 && step > 3; ++k) {
      const int left = static_cast<int>(std::lround(6 + k * step));
      const int right = static_cast<int>(std::lround(6 + k * step + step - 3));
      if (right * 100.0 > limit) break;
      if (h - 7 >= 5) cdBox(left, right, 5, h - 7);
    }
  }

  if (g.show_text) {
    char percent[64];
    const char* shown = g.text.c_str();
    if (!g.has_text) {
      std::snprintf(percent, sizeof percent, "%.1f%%", g.value * 100);
      shown = percent;
    }
    if (g.has_font) cdNativeFont(g.font.c_str());
    cdForeground(g.text_colour);
    cdBackOpacity(CD_TRANSPARENT);
    cdTextAlignment(CD_CENTER);
    cdText(w / 2, h / 2, shown);
  }
}

void Redraw(IupElement* e) {
  Gauge* g = DataOf(e);
  if (g == nullptr || !g->canvas.EnsureScreen(e)) return;
  cdCanvasHandle previous = nullptr;
  if (!g->canvas.Begin(&previous)) return;
  DrawGauge(*g, g->canvas.width(), g->canvas.height());
  g->canvas.End(previous);
}

int RedrawCb(IupElement* e, float, float) {
  Redraw(e);
  return IUP_DEFAULT;
}

int ResizeCb(IupElement* e, int, int) {
  Gauge* g = DataOf(e);
  if (g == nullptr || !g->canvas.EnsureScreen(e)) return IUP_DEFAULT;
  g->canvas.Resize();
  return IUP_DEFAULT;
}

int MapCb(IupElement* e) {
  Gauge* g = DataOf(e);
  if (g == nullptr || !g->canvas.EnsureScreen(e)) return IUP_DEFAULT;
  {
    controls::ActiveCanvasGuard keep;
    cdActivate(g->canvas.screen());
    cdBackground(g->background);
    cdClear();
  }
  g->canvas.Resize();
  // a gauge set up before it was mapped shows its state at once
  Redraw(e);
  return IUP_DEFAULT;
}

IupElement* Create(IupControlClass*, void**) {
  IupElement* e = IupCreateCanvas("iupgaugeredraw");
  if (e == nullptr) return nullptr;
  auto* g = new Gauge;
  double initial = 0;
  if (const char* v = IupGetAttribute(e, "VALUE");
      v != nullptr && std::sscanf(v, "%lg", &initial) == 1)
    g->value = initial;
  IupSetAttributePointer(e, kData, g);
  IupSetAttribute(e, "RESIZE_CB", "iupgaugeresize");
  IupSetAttribute(e, "MAP_CB", "iupgaugemap");
  IupSetAttribute(e, "EXPAND", "NO");
  IupSetAttribute(e, "SIZE", "180x20");
  return e;
}

int Destroy(IupElement* e) {
  Gauge* g = DataOf(e);
  IupSetAttributePointer(e, kData, nullptr);
  delete g;  // its canvases go with it, the active canvas restored
  return IUP_DEFAULT;
}

// The native window goes: so do the canvases on it (a new mapping makes new ones).
int Unmap(IupElement* e) {
  if (Gauge* g = DataOf(e)) g->canvas.Release();
  return IUP_DEFAULT;
}

void ToDriver(IupElement* e, const char* name, const char* value) {
  if (iup::Driver* driver = iup::CurrentDriver()) driver->SetAttribute(e, name, value);
}

int SetAttr(IupElement* e, const char* name, const char* value) {
  Gauge* g = DataOf(e);
  if (g == nullptr || std::strcmp(name, kData) == 0) return IUP_DEFAULT;
  bool changed = true;
  if (std::strcmp(name, "VALUE") == 0) {
    double v = 0;
    if (value == nullptr)
      g->value = 0;
    else if (ParseNumber(value, &v) && v >= 0 && v <= 1)
      g->value = v;
    else
      changed = false;  // beyond the bar, or not a number: the bar stays
  } else if (std::strcmp(name, "SHOW_TEXT") == 0 || std::strcmp(name, "DASHED") == 0) {
    bool& flag = name[0] == 'S' ? g->show_text : g->dashed;
    if (value != nullptr && std::strcmp(value, "YES") == 0)
      flag = true;
    else if (value != nullptr && std::strcmp(value, "NO") == 0)
      flag = false;
    else
      changed = false;
  } else if (std::strcmp(name, "TEXT") == 0) {
    g->has_text = value != nullptr;
    g->text = value != nullptr ? value : "";
  } else if (std::strcmp(name, "FONT") == 0) {
    std::string native = controls::NativeFontOf(value);
    if (native.empty()) {
      changed = false;
    } else {
      g->has_font = true;
      g->font = native;
    }
  } else if (std::strcmp(name, "MOTIF_FONT") == 0) {
    g->has_font = value != nullptr;
    g->font = value != nullptr ? value : "";
  } else if (std::strcmp(name, "FGCOLOR") == 0) {
    changed = controls::ColourOf(value, &g->bar);
  } else if (std::strcmp(name, "BGCOLOR") == 0) {
    changed = controls::ColourOf(value, &g->background);
    ToDriver(e, name, value);
  } else {
    ToDriver(e, name, value);
    return IUP_DEFAULT;
  }
  if (changed) Redraw(e);
  return IUP_DEFAULT;
}

const char* GetAttr(IupElement* e, const char* name) {
  Gauge* g = DataOf(e);
  if (g != nullptr) {
    if (std::strcmp(name, "VALUE") == 0) {
      char text[64];
      std::snprintf(text, sizeof text, "%g", g->value);
      g->answer = text;
      return g->answer.c_str();
    }
    if (std::strcmp(name, "SHOW_TEXT") == 0) return g->show_text ? "YES" : "NO";
    if (std::strcmp(name, "DASHED") == 0) return g->dashed ? "YES" : "NO";
    if (std::strcmp(name, "TEXT") == 0) return g->has_text ? g->text.c_str() : nullptr;
  }
  if (iup::Driver* driver = iup::CurrentDriver()) return driver->GetAttribute(e, name).value;
  return nullptr;
}

}  // namespace

void IupGaugeOpen(void) {
  IupBindAction("iupgaugeredraw", IupAsCallback(RedrawCb));
  IupBindAction("iupgaugeresize", IupAsCallback(ResizeCb));
  IupBindAction("iupgaugemap", IupAsCallback(MapCb));
  if (gauge_class == nullptr) {
    gauge_class = IupNewControlClass("GAUGE", nullptr);
    IupSetControlMethod(gauge_class, "CREATE", IupAsControlMethod(Create));
    IupSetControlMethod(gauge_class, "DESTROY", IupAsControlMethod(Destroy));
    IupSetControlMethod(gauge_class, "UNMAP", IupAsControlMethod(Unmap));
    IupSetControlMethod(gauge_class, "SETATTR", IupAsControlMethod(SetAttr));
    IupSetControlMethod(gauge_class, "GETATTR", IupAsControlMethod(GetAttr));
  }
  IupAddControlClass("gauge", gauge_class);
}

IupElement* IupCreateGauge(void) {
  return IupNewFromControlClass(IupLookupControlClass("gauge"), nullptr);
}

void IupGaugeDraw(IupElement* gauge, int width, int height) {
  if (const Gauge* g = DataOf(gauge)) DrawGauge(*g, width, height);
}
