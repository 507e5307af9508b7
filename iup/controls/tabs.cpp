// The tabs: a notebook (class "TABS", registered as "tabs") whose pages are
// any elements, one visible at a time, chosen by clicking its tab. The
// control is a CANVAS that draws the tab strip and the border around the
// pages and holds a ZBOX of the pages; the ZBOX's "VALUE" names the visible
// page. When the tabs do not fit, a control area at the start of the strip
// offers the previous page, a menu of all pages and the next page.
#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "iupcontrols.h"
#include "iupdriver.h"
#include "offscreen.h"

namespace {

constexpr const char* kData = "TABS_DATA";
constexpr int kBorder = 4;         // around the pages, 2 on each side
constexpr int kControlThird = 14;  // each third of the overflow control area
typedef int (*TabChangeCallback)(IupElement* tabs, IupElement* now, IupElement* before);

enum class Placement { kTop, kBottom, kLeft, kRight };

struct Tabs {
  controls::Offscreen canvas;
  IupElement* zbox = nullptr;
  int current = 0;
  Placement placement = Placement::kTop;
  int strip = 0;  // thickness of the tab strip; 0: from the font
  long background = -1;
  std::string font, font_active, font_inactive;  // native descriptions
  bool focused = false;
  int first_shown = 0;  // first tab shown when they do not fit
  std::string answer;
};

IupControlClass* tabs_class = nullptr;
int page_names = 0;  // process-wide counter of generated page names

const long kLight = cdEncodeColor(255, 255, 255);
const long kDark = cdEncodeColor(0, 0, 0);
const long kShadow = cdEncodeColor(132, 130, 132);

Tabs* DataOf(IupElement* e) {
  return static_cast<Tabs*>(IupGetAttributePointer(e, kData));
}

std::vector<IupElement*> Pages(const Tabs& t) {
  std::vector<IupElement*> pages;
  for (IupElement* c = IupGetChild(t.zbox); c != nullptr; c = IupGetBrother(c)) pages.push_back(c);
  return pages;
}

bool Horizontal(const Tabs& t) {
  return t.placement == Placement::kTop || t.placement == Placement::kBottom;
}

int StripOf(IupElement* e, const Tabs& t) {
  if (t.strip > 0) return t.strip;
  int cw = 0, ch = 0;
  IupGetCharSize(e, &cw, &ch);
  return ch + 8;
}

long BackgroundOf(IupElement* e, const Tabs& t) {
  if (t.background >= 0) return t.background;
  long colour = cdEncodeColor(192, 192, 192);
  IupElement* dialog = IupGetDialog(e);
  controls::ColourOf(IupGetAttribute(dialog != nullptr ? dialog : e, "BGCOLOR"), &colour);
  return colour;
}

const char* TitleOf(IupElement* page) {
  const char* title = IupGetAttribute(page, "TABTITLE");
  return title != nullptr ? title : "";
}

// A page whose "ACTIVE" is "NO" cannot be selected.
bool Selectable(IupElement* page) {
  return IupGetAttributeBool(page, "ACTIVE") != 0;
}

// ---- geometry ------------------------------------------------------------------

// Where each shown tab lies along the strip, in pixels from its start, and
// whether the control area is shown (from 0 to 3 thirds).
struct StripLayout {
  bool overflow = false;
  std::vector<int> index, start, end;  // shown tabs
};

int TabLength(const Tabs& t, IupElement* page, int strip) {
  if (!Horizontal(t)) return strip > 0 ? std::max(strip, 24) : 24;
  int w = 0, h = 0;
  cdTextSize(TitleOf(page), &w, &h);
  return w + 16;
}

void SelectFont(const Tabs& t, bool active) {
  const std::string& font = active ? (t.font_active.empty() ? t.font : t.font_active)
                                   : (t.font_inactive.empty() ? t.font : t.font_inactive);
  if (!font.empty()) cdNativeFont(font.c_str());
}

// Measures with the active canvas's fonts.
StripLayout LayOut(Tabs& t, int length, int strip) {
  StripLayout out;
  const std::vector<IupElement*> pages = Pages(t);
  std::vector<int> lengths;
  int total = 2;
  for (size_t i = 0; i < pages.size(); ++i) {
    SelectFont(t, int(i) == t.current);
    lengths.push_back(TabLength(t, pages[i], strip));
    total += lengths.back();
  }
  int along = 2;
  size_t from = 0;
  if (total > length) {
    out.overflow = true;
    along = 3 * kControlThird + 2;
    t.first_shown = std::clamp(t.first_shown, 0, std::max(0, int(pages.size()) - 1));
    if (t.current < t.first_shown) t.first_shown = t.current;
    // move on until the current tab fits
    for (;;) {
      int end = along;
      for (int i = t.first_shown; i <= t.current && i < int(lengths.size()); ++i) end += lengths[i];
      if (end <= length || t.first_shown >= t.current) break;
      ++t.first_shown;
    }
    from = size_t(t.first_shown);
  }
  for (size_t i = from; i < pages.size(); ++i) {
    if (out.overflow && along + lengths[i] > length && !out.index.empty()) break;
    out.index.push_back(int(i));
    out.start.push_back(along);
    out.end.push_back(along + lengths[i]);
    along += lengths[i];
  }
  return out;
}

// A box given along the strip and across it (0 at the pages' edge, rising
// outwards) as canvas coordinates, y upwards.
void StripBox(const Tabs& t, int w, int h, int strip, int a0, int a1, int c0, int c1, int* x0,
              int* x1, int* y0, int* y1) {
  switch (t.placement) {
    case Placement::kTop:
      *x0 = a0, *x1 = a1, *y0 = h - strip + c0, *y1 = h - strip + c1;
      break;
    case Placement::kBottom:
      *x0 = a0, *x1 = a1, *y0 = strip - 1 - c1, *y1 = strip - 1 - c0;
      break;
    case Placement::kLeft:
      *x0 = strip - 1 - c1, *x1 = strip - 1 - c0, *y0 = h - 1 - a1, *y1 = h - 1 - a0;
      break;
    case Placement::kRight:
      *x0 = w - strip + c0, *x1 = w - strip + c1, *y0 = h - 1 - a1, *y1 = h - 1 - a0;
      break;
  }
}

// The pages' area inside the canvas, y upwards.
void PageArea(const Tabs& t, int w, int h, int strip, int* x0, int* x1, int* y0, int* y1) {
  *x0 = 0, *x1 = w - 1, *y0 = 0, *y1 = h - 1;
  switch (t.placement) {
    case Placement::kTop:
      *y1 = h - 1 - strip;
      break;
    case Placement::kBottom:
      *y0 = strip;
      break;
    case Placement::kLeft:
      *x0 = strip;
      break;
    case Placement::kRight:
      *x1 = w - 1 - strip;
      break;
  }
}

// ---- drawing ---------------------------------------------------------------

void Raised(int x0, int x1, int y0, int y1) {
  cdForeground(kLight);
  cdLine(x0, y0, x0, y1);
  cdLine(x0, y1, x1, y1);
  cdForeground(kDark);
  cdLine(x1, y1, x1, y0);
  cdLine(x1, y0, x0, y0);
  cdForeground(kShadow);
  if (x1 - 1 > x0 && y1 - 1 > y0) {
    cdLine(x1 - 1, y1 - 1, x1 - 1, y0 + 1);
    cdLine(x1 - 1, y0 + 1, x0 + 1, y0 + 1);
  }
}

void DrawTabs(Tabs& t, long background, int w, int h, int strip) {
  cdWriteMode(CD_REPLACE);
  cdLineStyle(CD_CONTINUOUS);
  cdLineWidth(1);
  cdInteriorStyle(CD_SOLID);
  cdBackground(background);
  cdClear();
  const std::vector<IupElement*> pages = Pages(t);
  const int length = Horizontal(t) ? w : h;
  const StripLayout layout = LayOut(t, length, strip);
  int px0, px1, py0, py1;
  PageArea(t, w, h, strip, &px0, &px1, &py0, &py1);
  Raised(px0, px1, py0, py1);
  cdTextAlignment(CD_CENTER);
  for (size_t k = 0; k < layout.index.size(); ++k) {
    const int i = layout.index[k];
    const bool current = i == t.current;
    int x0 = 0, x1 = 0, y0 = 0, y1 = 0;
    // the current tab stands out and joins the pages; the others sit lower
    StripBox(t, w, h, strip, layout.start[k] - (current ? 2 : 0),
             layout.end[k] - 1 + (current ? 2 : 0), current ? -1 : 0, strip - (current ? 1 : 3),
             &x0, &x1, &y0, &y1);
    cdForeground(background);
    cdBox(x0, x1, y0, y1);
    // outline: light on the far edge and the left/top side, dark and shadow
    // on the other side; the pages' edge stays open under the current tab
    cdForeground(kLight);
    switch (t.placement) {
      case Placement::kTop:
        cdLine(x0, y0, x0, y1), cdLine(x0, y1, x1, y1);
        cdForeground(kDark), cdLine(x1, y1, x1, y0);
        cdForeground(kShadow), cdLine(x1 - 1, y1 - 1, x1 - 1, y0);
        break;
      case Placement::kBottom:
        cdLine(x0, y1, x0, y0);
        cdForeground(kDark), cdLine(x0, y0, x1, y0), cdLine(x1, y0, x1, y1);
        cdForeground(kShadow), cdLine(x1 - 1, y0 + 1, x1 - 1, y1);
        break;
      case Placement::kLeft:
        cdLine(x0, y0, x0, y1), cdLine(x0, y1, x1, y1);
        cdForeground(kDark), cdLine(x0, y0, x1, y0);
        cdForeground(kShadow), cdLine(x0 + 1, y0 + 1, x1, y0 + 1);
        break;
      case Placement::kRight:
        cdLine(x0, y1, x1, y1);
        cdForeground(kDark), cdLine(x1, y1, x1, y0), cdLine(x1, y0, x0, y0);
        cdForeground(kShadow), cdLine(x1 - 1, y0 + 1, x0, y0 + 1);
        break;
    }
    SelectFont(t, current);
    cdForeground(Selectable(pages[size_t(i)]) ? kDark : kShadow);
    const int cx = (x0 + x1) / 2, cy = (y0 + y1) / 2;
    if (Horizontal(t)) {
      cdText(cx, cy, TitleOf(pages[size_t(i)]));
    } else {
      // across a side strip a long title shows its beginning
      cdClipArea(x0 + 1, x1 - 2, y0 + 1, y1 - 1);
      cdClip(CD_CLIPAREA);
      cdTextAlignment(CD_WEST);
      cdText(x0 + 3, cy, TitleOf(pages[size_t(i)]));
      cdTextAlignment(CD_CENTER);
      cdClip(CD_CLIPOFF);
    }
    if (current && t.focused) {
      cdLineStyle(CD_DOTTED);
      cdRect(x0 + 3, x1 - 3, y0 + 3, y1 - 3);
      cdLineStyle(CD_CONTINUOUS);
    }
  }
  if (layout.overflow) {
    // previous, menu and next, each a third of the control area
    const char* marks[3] = {"<", "=", ">"};
    for (int third = 0; third < 3; ++third) {
      int x0 = 0, x1 = 0, y0 = 0, y1 = 0;
      StripBox(t, w, h, strip, 2 + third * kControlThird, 1 + (third + 1) * kControlThird, 0,
               strip - 3, &x0, &x1, &y0, &y1);
      cdForeground(background);
      cdBox(x0, x1, y0, y1);
      Raised(x0, x1, y0, y1);
      cdForeground(kDark);
      cdText((x0 + x1) / 2, (y0 + y1) / 2, marks[third]);
    }
  }
}

void Redraw(IupElement* e) {
  Tabs* t = DataOf(e);
  if (t == nullptr || !t->canvas.EnsureScreen(e)) return;
  cdCanvasHandle previous = nullptr;
  if (!t->canvas.Begin(&previous)) return;
  DrawTabs(*t, BackgroundOf(e, *t), t->canvas.width(), t->canvas.height(), StripOf(e, *t));
  t->canvas.End(previous);
}

// ---- changing page ------------------------------------------------------------

// Asks "TABCHANGE_CB", then shows the page. False when nothing changed.
bool ChangeTo(IupElement* e, int index) {
  Tabs* t = DataOf(e);
  if (t == nullptr) return false;
  const std::vector<IupElement*> pages = Pages(*t);
  if (index < 0 || index >= int(pages.size()) || index == t->current) return false;
  IupElement* now = pages[size_t(index)];
  if (!Selectable(now)) return false;
  IupElement* before = t->current < int(pages.size()) ? pages[size_t(t->current)] : nullptr;
  const int serial = IupGetSerial(e), now_serial = IupGetSerial(now);
  if (auto cb = reinterpret_cast<TabChangeCallback>(
          reinterpret_cast<void (*)(void)>(IupFindAction(IupGetAttribute(e, "TABCHANGE_CB"))))) {
    if (cb(e, now, before) == IUP_IGNORE) return false;
    // the callback may have destroyed the tabs or the page
    if (IupFromSerial(serial) != e || IupFromSerial(now_serial) != now) return false;
    t = DataOf(e);
    if (t == nullptr || IupGetParent(now) != t->zbox) return false;
  }
  const std::vector<IupElement*> after = Pages(*t);
  t->current = int(std::find(after.begin(), after.end(), now) - after.begin());
  IupSetAttribute(t->zbox, "VALUE", IupGetName(now));
  Redraw(e);
  return true;
}

int IndexOf(const Tabs& t, IupElement* page) {
  const std::vector<IupElement*> pages = Pages(t);
  auto it = std::find(pages.begin(), pages.end(), page);
  return it == pages.end() ? -1 : int(it - pages.begin());
}

// ---- callbacks -------------------------------------------------------------------

int RepaintCb(IupElement* e, float, float) {
  Redraw(e);
  return IUP_DEFAULT;
}

int MapCb(IupElement* e) {
  Tabs* t = DataOf(e);
  if (t == nullptr || !t->canvas.EnsureScreen(e)) return IUP_DEFAULT;
  t->canvas.Resize();
  Redraw(e);
  return IUP_DEFAULT;
}

int MenuItemCb(IupElement* item, int) {
  IupElement* e = IupFromSerial(IupGetAttributeInt(item, "TABS_SERIAL"));
  Tabs* t = DataOf(e);
  if (t == nullptr) return IUP_DEFAULT;
  ChangeTo(e, IupGetAttributeInt(item, "TABS_PAGE"));
  return IUP_DEFAULT;
}

void PopupMenu(IupElement* e) {
  Tabs* t = DataOf(e);
  const std::vector<IupElement*> pages = Pages(*t);
  std::vector<IupElement*> items;
  for (size_t i = 0; i < pages.size(); ++i) {
    IupElement* item = IupCreateItem(TitleOf(pages[i]), "iuptabs_popup_menu");
    IupSetAttributeCopyF(item, "TABS_SERIAL", "%d", IupGetSerial(e));
    IupSetAttributeCopyF(item, "TABS_PAGE", "%d", int(i));
    if (int(i) == t->current) IupSetAttribute(item, "VALUE", "ON");
    items.push_back(item);
  }
  IupElement* menu = IupCreateMenuv(items.data(), int(items.size()));
  IupPopup(menu, IUP_MOUSEPOS, IUP_MOUSEPOS);
  IupDestroy(menu);
}

int ButtonCb(IupElement* e, int button, int pressed, int x, int y, char*) {
  Tabs* t = DataOf(e);
  if (t == nullptr || button != IUP_BUTTON1 || pressed || !t->canvas.EnsureScreen(e))
    return IUP_DEFAULT;
  if (t->canvas.width() == 0) t->canvas.Resize();
  const int w = t->canvas.width(), h = t->canvas.height(), strip = StripOf(e, *t);
  const int yu = h - 1 - y;
  // along and across the strip (across 0 at the pages' edge)
  int along = 0, across = 0;
  switch (t->placement) {
    case Placement::kTop:
      along = x, across = yu - (h - strip);
      break;
    case Placement::kBottom:
      along = x, across = strip - 1 - yu;
      break;
    case Placement::kLeft:
      along = h - 1 - yu, across = strip - 1 - x;
      break;
    case Placement::kRight:
      along = h - 1 - yu, across = x - (w - strip);
      break;
  }
  if (across < 0 || across >= strip) return IUP_DEFAULT;
  StripLayout layout;
  {
    controls::ActiveCanvasGuard guard;
    cdActivate(t->canvas.screen());
    layout = LayOut(*t, Horizontal(*t) ? w : h, strip);
  }
  if (layout.overflow && along >= 2 && along < 2 + 3 * kControlThird) {
    const int third = (along - 2) / kControlThird;
    const int count = int(Pages(*t).size());
    if (third == 0) {
      for (int i = t->current - 1; i >= 0; --i)
        if (Selectable(Pages(*t)[size_t(i)])) {
          ChangeTo(e, i);
          break;
        }
    } else if (third == 1) {
      PopupMenu(e);
    } else {
      for (int i = t->current + 1; i < count; ++i)
        if (Selectable(Pages(*t)[size_t(i)])) {
          ChangeTo(e, i);
          break;
        }
    }
    return IUP_DEFAULT;
  }
  for (size_t k = 0; k < layout.index.size(); ++k)
    if (along >= layout.start[k] && along < layout.end[k]) {
      ChangeTo(e, layout.index[k]);
      break;
    }
  return IUP_DEFAULT;
}

int KeyCb(IupElement* e, int key) {
  Tabs* t = DataOf(e);
  if (t == nullptr || (key != K_LEFT && key != K_RIGHT)) return IUP_DEFAULT;
  ChangeTo(e, t->current + (key == K_LEFT ? -1 : 1));
  return IUP_IGNORE;
}

int FocusCb(IupElement* e) {
  if (Tabs* t = DataOf(e)) {
    t->focused = true;
    Redraw(e);
  }
  return IUP_DEFAULT;
}
int KillFocusCb(IupElement* e, IupElement*) {
  if (Tabs* t = DataOf(e)) {
    t->focused = false;
    Redraw(e);
  }
  return IUP_DEFAULT;
}

// ---- class operations ----------------------------------------------------------

IupElement* Create(IupControlClass*, void** params) {
  std::vector<IupElement*> pages;
  for (int i = 0; params != nullptr && params[i] != nullptr; ++i) {
    IupElement* page = static_cast<IupElement*>(params[i]);
    if (IupGetParent(page) == nullptr && std::find(pages.begin(), pages.end(), page) == pages.end())
      pages.push_back(page);
  }
  IupElement* e = IupCreateCanvas("iuptabs_repaint_cb");
  if (e == nullptr) return nullptr;
  IupSetAttributeList(e,
                      "RESIZE_CB=iuptabs_map_cb,MAP_CB=iuptabs_map_cb,BUTTON_CB=iuptabs_button_cb,"
                      "GETFOCUS_CB=iuptabs_getfocus_cb,KILLFOCUS_CB=iuptabs_killfocus_cb,"
                      "K_ANY=iuptabs_k_any_cb,BORDER=NO");
  auto* t = new Tabs;
  IupSetAttributePointer(e, kData, t);
  for (IupElement* page : pages) {
    if (IupGetName(page) != nullptr) continue;
    char name[64];
    std::snprintf(name, sizeof name, "##$$@TABSNAME%d", ++page_names);
    IupSetHandle(IupInternName(name), page);  // interned: the registry keeps the pointer
  }
  t->zbox = IupCreateZboxv(pages.data(), int(pages.size()));
  IupLinkChild(e, t->zbox);
  if (!pages.empty()) IupSetAttribute(t->zbox, "VALUE", IupGetName(pages.front()));
  return e;
}

int Destroy(IupElement* e) {
  Tabs* t = DataOf(e);
  if (t == nullptr) return IUP_DEFAULT;
  IupSetAttributePointer(e, kData, nullptr);
  delete t;
  return IUP_DEFAULT;
}

int Unmap(IupElement* e) {
  if (Tabs* t = DataOf(e)) t->canvas.Release();
  return IUP_DEFAULT;
}

// The strip on its side plus a border of 2 pixels around the pages.
void Extra(IupElement* e, const Tabs& t, int* w, int* h) {
  const int strip = StripOf(e, t);
  *w = kBorder + (Horizontal(t) ? 0 : strip);
  *h = kBorder + (Horizontal(t) ? strip : 0);
}

int SetNaturalSize(IupElement* e) {
  Tabs* t = DataOf(e);
  if (t == nullptr) return IUP_DEFAULT;
  IupLayoutNatural(t->zbox);
  int ew = 0, eh = 0;
  Extra(e, *t, &ew, &eh);
  IupSetNaturalSize(e, IupGetNaturalWidth(t->zbox) + ew, IupGetNaturalHeight(t->zbox) + eh);
  return IUP_DEFAULT;
}

int SetCurrentSize(IupElement* e, int width, int height) {
  Tabs* t = DataOf(e);
  if (t == nullptr) return IUP_DEFAULT;
  const int w =
      IupExpandsHorizontally(e) ? std::max(width, IupGetNaturalWidth(e)) : IupGetNaturalWidth(e);
  const int h =
      IupExpandsVertically(e) ? std::max(height, IupGetNaturalHeight(e)) : IupGetNaturalHeight(e);
  IupSetCurrentSize(e, w, h);
  int ew = 0, eh = 0;
  Extra(e, *t, &ew, &eh);
  IupLayoutCurrent(t->zbox, std::max(0, w - ew), std::max(0, h - eh));
  return IUP_DEFAULT;
}

int SetPosition(IupElement* e, int x, int y) {
  Tabs* t = DataOf(e);
  if (t == nullptr) return IUP_DEFAULT;
  const int strip = StripOf(e, *t);
  // positions count from the top left of the dialog
  IupLayoutPosition(t->zbox, x + 2 + (t->placement == Placement::kLeft ? strip : 0),
                    y + 2 + (t->placement == Placement::kTop ? strip : 0));
  return IUP_DEFAULT;
}

void Relayout(IupElement* e) {
  IupElement* dialog = IupGetDialog(e);
  if (dialog != nullptr && IupGetNativeHandle(dialog) != nullptr) IupRefresh(dialog);
  Redraw(e);
}

int SetAttr(IupElement* e, const char* name, const char* value) {
  Tabs* t = DataOf(e);
  if (t == nullptr || std::strcmp(name, kData) == 0) {
    if (iup::Driver* driver = iup::CurrentDriver()) driver->SetAttribute(e, name, value);
    return IUP_DEFAULT;
  }
  if (std::strcmp(name, "VALUE") == 0) {
    const int index = IndexOf(*t, IupGetHandle(value));
    if (index >= 0) ChangeTo(e, index);
    return IUP_DEFAULT;
  }
  if (std::strcmp(name, "TABTYPE") == 0) {
    const char* v = value != nullptr ? value : "";
    t->placement = std::strcmp(v, "BOTTOM") == 0  ? Placement::kBottom
                   : std::strcmp(v, "LEFT") == 0  ? Placement::kLeft
                   : std::strcmp(v, "RIGHT") == 0 ? Placement::kRight
                                                  : Placement::kTop;
    Relayout(e);
    return IUP_DEFAULT;
  }
  if (std::strcmp(name, "FONTHEIGHT") == 0) {
    const long v = value != nullptr ? std::strtol(value, nullptr, 10) : 0;
    t->strip = v > 0 && v < 1000 ? int(v) : 0;
    Relayout(e);
    return IUP_DEFAULT;
  }
  struct FontSlot {
    const char* portable;
    const char* native;
    std::string* slot;
  } fonts[] = {{"FONT", "MOTIF_FONT", &t->font},
               {"FONT_ACTIVE", "MOTIF_FONT_ACTIVE", &t->font_active},
               {"FONT_INACTIVE", "MOTIF_FONT_INACTIVE", &t->font_inactive}};
  for (const FontSlot& f : fonts) {
    if (std::strcmp(name, f.portable) == 0) {
      *f.slot = controls::NativeFontOf(value);
      Redraw(e);
      return IUP_DEFAULT;
    }
    if (std::strcmp(name, f.native) == 0) {
      *f.slot = value != nullptr ? value : "";
      Redraw(e);
      return IUP_DEFAULT;
    }
  }
  if (std::strcmp(name, "BGCOLOR") == 0) {
    long colour = 0;
    t->background = value != nullptr && controls::ColourOf(value, &colour) ? colour : -1;
    Redraw(e);
    return IUP_DEFAULT;
  }
  if (std::strcmp(name, "ACTION") == 0) {
    // the control draws itself
    IupSetOwnAttribute(e, "ACTION", "iuptabs_repaint_cb");
    return IUP_DEFAULT;
  }
  if (iup::Driver* driver = iup::CurrentDriver()) driver->SetAttribute(e, name, value);
  return IUP_DEFAULT;
}

const char* GetAttr(IupElement* e, const char* name) {
  Tabs* t = DataOf(e);
  if (t != nullptr && std::strcmp(name, "VALUE") == 0) {
    const std::vector<IupElement*> pages = Pages(*t);
    if (t->current < 0 || t->current >= int(pages.size())) return nullptr;
    return IupGetName(pages[size_t(t->current)]);
  }
  if (iup::Driver* driver = iup::CurrentDriver()) return driver->GetAttribute(e, name).value;
  return nullptr;
}

}  // namespace

void IupTabsOpen(void) {
  IupBindAction("iuptabs_repaint_cb", IupAsCallback(RepaintCb));
  IupBindAction("iuptabs_map_cb", IupAsCallback(MapCb));
  IupBindAction("iuptabs_button_cb", IupAsCallback(ButtonCb));
  IupBindAction("iuptabs_getfocus_cb", IupAsCallback(FocusCb));
  IupBindAction("iuptabs_killfocus_cb", IupAsCallback(KillFocusCb));
  IupBindAction("iuptabs_k_any_cb", IupAsCallback(KeyCb));
  IupBindAction("iuptabs_popup_menu", IupAsCallback(MenuItemCb));
  if (tabs_class == nullptr) {
    tabs_class = IupNewControlClass("TABS", "C");
    IupSetControlMethod(tabs_class, "SETNATURALSIZE", IupAsControlMethod(SetNaturalSize));
    IupSetControlMethod(tabs_class, "SETCURRENTSIZE", IupAsControlMethod(SetCurrentSize));
    IupSetControlMethod(tabs_class, "SETPOSITION", IupAsControlMethod(SetPosition));
    IupSetControlMethod(tabs_class, "CREATE", IupAsControlMethod(Create));
    IupSetControlMethod(tabs_class, "DESTROY", IupAsControlMethod(Destroy));
    IupSetControlMethod(tabs_class, "UNMAP", IupAsControlMethod(Unmap));
    IupSetControlMethod(tabs_class, "SETATTR", IupAsControlMethod(SetAttr));
    IupSetControlMethod(tabs_class, "GETATTR", IupAsControlMethod(GetAttr));
  }
  IupAddControlClass("tabs", tabs_class);
}

IupElement* IupCreateTabsv(IupElement* const* pages, int count) {
  std::vector<void*> params;
  for (int i = 0; i < count; ++i)
    if (pages[i] != nullptr) params.push_back(pages[i]);
  params.push_back(nullptr);
  return IupNewFromControlClass(IupLookupControlClass("tabs"), params.data());
}

IupElement* IupCreateTabs(IupElement* first, ...) {
  std::vector<IupElement*> pages;
  va_list args;
  va_start(args, first);
  for (IupElement* p = first; p != nullptr; p = va_arg(args, IupElement*)) pages.push_back(p);
  va_end(args);
  return IupCreateTabsv(pages.data(), int(pages.size()));
}

void IupTabsDraw(IupElement* tabs, int width, int height) {
  Tabs* t = DataOf(tabs);
  if (t == nullptr) return;
  DrawTabs(*t, BackgroundOf(tabs, *t), width, height, StripOf(tabs, *t));
}
