// Layout: sizes in pixels or character units, the expand flags, the
// natural-size, current-size and position passes, the dialog layout, the
// native move pass, and the dialog decorations.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "iupcore.h"

namespace iup {
namespace {

constexpr int kHorizontalStrong = 0x40, kHorizontalWeak = 0x80;
constexpr int kVerticalStrong = 0x20, kVerticalWeak = 0x10;
constexpr int kHorizontal = kHorizontalStrong | kHorizontalWeak;
constexpr int kVertical = kVerticalStrong | kVerticalWeak;

// Sizes, margins and gaps are held within the 16-bit coordinates of the
// windowing systems, so that sums over a box's children stay inside int.
constexpr long kMaxLayoutSize = 32767;
int ClampSize(long n) {
  return static_cast<int>(std::clamp(n, -kMaxLayoutSize, kMaxLayoutSize));
}

bool shrink_mode = false;
bool own_size_first = false;  // a size was just set on a mapped dialog

int TextWidth(IupElement* e, const char* text) {
  return Drv().TextWidth(e, text != nullptr ? text : "");
}

// A screen keyword in pixels, or -1.
int ScreenKeyword(IupElement* e, const std::string& part, bool width) {
  static const struct {
    const char* name;
    int divisor;
  } keywords[] = {{"FULL", 1}, {"HALF", 2}, {"THIRD", 3}, {"QUARTER", 4}, {"EIGHTH", 8}};
  for (const auto& k : keywords) {
    if (!EqualNoCase(part.c_str(), k.name)) continue;
    const ScreenMetrics screen = Drv().Screen();
    int dw = 0, dh = 0;
    if (IupElement* dialog = IupGetDialog(e)) DialogDecorations(dialog, &dw, &dh);
    return width ? (screen.full_width + 1) / k.divisor - dw
                 : (screen.full_height + 1) / k.divisor - dh;
  }
  return -1;
}

// One part of a size text; returns whether it was given.
bool SizePart(IupElement* e, const std::string& part, bool width, bool chars, int* out) {
  if (part.empty()) return false;
  const int keyword = ScreenKeyword(e, part, width);
  if (keyword >= 0) {
    *out = keyword;
    return true;
  }
  char* end = nullptr;
  const long n = std::strtol(part.c_str(), &end, 10);
  if (end == part.c_str()) return false;
  if (!chars) {
    *out = ClampSize(n);
    return true;
  }
  int cw = 0, ch = 0;
  CharSize(e, &cw, &ch);
  const long units = ClampSize(n);
  *out = ClampSize(width ? units * cw / 4 : units * ch / 8);
  return true;
}

int ParseSize(IupElement* e, const char* text, bool chars, int* w, int* h) {
  *w = *h = 0;
  if (text == nullptr) return 0;
  const std::string s = text;
  const size_t x = s.find('x');
  const std::string first = s.substr(0, x);
  const std::string second = x == std::string::npos ? std::string() : s.substr(x + 1);
  int given = 0;
  if (SizePart(e, first, true, chars, w)) given |= 1;
  if (SizePart(e, second, false, chars, h)) given |= 2;
  return given;
}

void Margins(IupElement* e, int* mx, int* my) {
  *mx = *my = 0;
  const char* m = IupGetAttribute(e, "MARGIN");
  if (m == nullptr) return;
  char* end = nullptr;
  const long x = std::strtol(m, &end, 10);
  if (end == m) return;
  *mx = ClampSize(x);
  if (*end == 'x') *my = ClampSize(std::strtol(end + 1, nullptr, 10));
}

int Gap(IupElement* e) {
  return ClampSize(IupGetAttributeInt(e, "GAP"));
}

int ExpandFlags(IupElement* e) {
  const char* v = IupGetAttribute(e, "EXPAND");
  if (v == nullptr || std::strcmp(v, "YES") == 0) return 0xF0;
  if (std::strcmp(v, "NO") == 0) return 0;
  if (std::strcmp(v, "HORIZONTAL") == 0) return kHorizontal;
  return kVertical;
}

int ChildCount(IupElement* e) {
  int n = 0;
  for (IupElement* c = e->first_child; c != nullptr; c = c->brother) ++n;
  return n;
}

IupElement* NamedImage(IupElement* e) {
  IupElement* image = IupGetHandle(IupGetAttribute(e, "IMAGE"));
  return image != nullptr && image->kind == IUP_IMAGE ? image : nullptr;
}

// Own size for leaf kinds: a width or height of 0 or less is not given.
void LeafOwn(IupElement* e, int* w, int* h, bool* has_w, bool* has_h) {
  const int given = OwnSize(e, w, h);
  *has_w = (given & 1) != 0 && *w > 0;
  *has_h = (given & 2) != 0 && *h > 0;
}

bool FrameTitled(IupElement* frame) {
  return IupGetOwnAttribute(frame, "TITLE") != nullptr;
}

// Multiline text: lines split at newline or backslash-n; "\\" counts once.
void MultilineMetrics(const char* text, int* lines, int* longest) {
  *lines = 1;
  *longest = 0;
  int length = 0;
  for (const char* p = text; *p != '\0'; ++p) {
    if (*p == '\n' || (p[0] == '\\' && p[1] == 'n')) {
      if (*p == '\\') ++p;
      *longest = std::max(*longest, length);
      length = 0;
      ++*lines;
      continue;
    }
    if (p[0] == '\\' && p[1] == '\\') ++p;
    ++length;
  }
  *longest = std::max(*longest, length);
}

void ListItems(IupElement* e, int* count, int* widest) {
  *count = 0;
  *widest = 0;
  if (e->attributes == nullptr) return;
  e->attributes->ForEach([&](const AttrEntry& entry) {
    char* end = nullptr;
    const long n = std::strtol(entry.name, &end, 10);
    if (end == entry.name || *end != '\0' || n <= 0 || entry.pointer) return;
    ++*count;
    *widest = std::max(*widest, TextWidth(e, entry.value));
  });
}

void CanvasRule(IupElement* e, int* w, int* h) {
  int cw, ch;
  CharSize(e, &cw, &ch);
  int ow, oh;
  bool has_w, has_h;
  LeafOwn(e, &ow, &oh, &has_w, &has_h);
  *w = has_w ? ow : 2 * cw;
  *h = has_h ? oh : 2 * ch;
}

void LeafNatural(IupElement* e) {
  int cw, ch;
  CharSize(e, &cw, &ch);
  int ow = 0, oh = 0;
  bool has_w, has_h;
  LeafOwn(e, &ow, &oh, &has_w, &has_h);
  int w = 0, h = 0;
  switch (e->kind) {
    case IUP_BUTTON:
      if (IupElement* image = NamedImage(e)) {
        const int p = IupGetAttribute(e, "IMPRESS") != nullptr ? 0 : 8;
        e->natural_width = IupGetAttributeInt(image, "WIDTH") + p;
        e->natural_height = IupGetAttributeInt(image, "HEIGHT") + p;
        return;
      }
      w = has_w ? ow : TextWidth(e, IupGetAttribute(e, "TITLE")) + 2 * cw;
      h = has_h ? oh : ch + 13;
      break;
    case IUP_LABEL:
      w = has_w ? ow : TextWidth(e, IupGetAttribute(e, "TITLE")) + 1;
      h = has_h ? oh : ch;
      if (IupElement* image = NamedImage(e)) {
        w = std::max(w, IupGetAttributeInt(image, "WIDTH"));
        h = std::max(h, IupGetAttributeInt(image, "HEIGHT"));
      }
      break;
    case IUP_TOGGLE:
      if (IupElement* image = NamedImage(e)) {
        e->natural_width = IupGetAttributeInt(image, "WIDTH") + 2;
        e->natural_height = IupGetAttributeInt(image, "HEIGHT") + 2;
        return;
      }
      w = has_w ? ow : TextWidth(e, IupGetAttribute(e, "TITLE")) + 24;
      h = has_h ? oh : std::max(ch, 16);
      break;
    case IUP_TEXT: {
      const char* value = IupGetOwnAttribute(e, "VALUE");
      w = has_w ? ow : (value != nullptr ? TextWidth(e, value) + 8 : 6 * cw + 8);
      h = has_h ? oh : ch + 10;
      break;
    }
    case IUP_MULTILINE: {
      // measured only while its dialog is mapped; later text keeps the size
      if (IupGetAttribute(e, "IUPWIN_IS_MAPPING") == nullptr) return;
      const char* value = IupGetOwnAttribute(e, "VALUE");
      int lines = 0, longest = 0;
      if (value != nullptr) MultilineMetrics(value, &lines, &longest);
      const int scrollbar = Drv().Screen().scrollbar;
      w = has_w ? ow : (value != nullptr ? longest * cw + scrollbar + 2 * cw : 6 * cw + 2);
      h = has_h ? oh : (value != nullptr ? lines * ch + ch / 2 + 2 : 2 + (3 * ch) / 2);
      break;
    }
    case IUP_LIST: {
      int count = 0, widest = 0;
      ListItems(e, &count, &widest);
      const bool dropdown = ReadBool(IupGetAttribute(e, "DROPDOWN")) == 1;
      const ScreenMetrics m = Drv().Screen();
      w = has_w ? ow : (widest / cw + 3) * cw + (dropdown ? m.scrollbar : 0);
      h = has_h ? oh
                : (dropdown ? ch + 2 * m.edge + 4 : (count > 0 ? count : 3) * ch + 2 * m.edge + 2);
      break;
    }
    case IUP_CANVAS:
      CanvasRule(e, &w, &h);
      break;
    default:
      return;
  }
  e->natural_width = w;
  e->natural_height = h;
}

void FillNatural(IupElement* e) {
  IupElement* box = e->parent;
  while (box != nullptr && box->kind != IUP_HBOX && box->kind != IUP_VBOX) box = box->parent;
  e->natural_width = e->natural_height = 0;
  e->expand = 0;
  if (box != nullptr) {
    const bool horizontal = box->kind == IUP_HBOX;
    const char* raster = IupGetOwnAttribute(e, "RASTERSIZE");
    const char* chars = raster == nullptr ? IupGetOwnAttribute(e, "SIZE") : nullptr;
    if (const char* text = raster != nullptr ? raster : chars) {
      const long n = ClampSize(std::strtol(text, nullptr, 10));
      int size = static_cast<int>(n);
      if (chars != nullptr) {
        int cw, ch;
        CharSize(e, &cw, &ch);
        size = ClampSize(horizontal ? n * cw / 4 : n * ch / 8);
      }
      (horizontal ? e->natural_width : e->natural_height) = size;
    }
  }
  if (e->parent != nullptr && e->parent->kind == IUP_HBOX && e->natural_width < 1)
    e->expand = kHorizontalWeak;
  if (e->parent != nullptr && e->parent->kind == IUP_VBOX && e->natural_height < 1)
    e->expand = kVerticalWeak;
}

int Natural(IupElement* e);

int ChildrenExpand(IupElement* e) {
  int any = 0;
  for (IupElement* c = e->first_child; c != nullptr; c = c->brother) any |= Natural(c);
  return any;
}

void ContainerNatural(IupElement* e) {
  int cw, ch;
  CharSize(e, &cw, &ch);
  int ow = 0, oh = 0;
  const int given = OwnSize(e, &ow, &oh);
  if ((given & 1) == 0) ow = 0;
  if ((given & 2) == 0) oh = 0;
  int mx, my;
  const int children_expand = ChildrenExpand(e);
  switch (e->kind) {
    case IUP_FRAME: {
      IupElement* c = e->first_child;
      e->natural_width = std::max(ow, (c != nullptr ? c->natural_width : 0) + 4);
      e->natural_height =
          std::max(oh, (c != nullptr ? c->natural_height : 0) + 4) + (FrameTitled(e) ? ch : 0);
      e->expand &= children_expand;
      break;
    }
    case IUP_RADIO: {
      IupElement* c = e->first_child;
      e->natural_width = c != nullptr ? c->natural_width : 0;
      e->natural_height = c != nullptr ? c->natural_height : 0;
      e->expand &= children_expand;
      break;
    }
    case IUP_HBOX:
    case IUP_VBOX: {
      Margins(e, &mx, &my);
      const int gap = Gap(e), n = ChildCount(e);
      int sum = 0, largest = 0;
      for (IupElement* c = e->first_child; c != nullptr; c = c->brother) {
        sum += e->kind == IUP_HBOX ? c->natural_width : c->natural_height;
        largest = std::max(largest, e->kind == IUP_HBOX ? c->natural_height : c->natural_width);
      }
      if (e->kind == IUP_HBOX) {
        e->natural_width = std::max(ow, sum + gap * (n - 1) + 2 * mx);
        e->natural_height = largest + 2 * my;
      } else {
        e->natural_width = largest + 2 * mx;
        e->natural_height = std::max(oh, sum + gap * (n - 1) + 2 * my);
      }
      e->expand &= children_expand;
      break;
    }
    case IUP_ZBOX: {
      int w = 0, h = 0;
      for (IupElement* c = e->first_child; c != nullptr; c = c->brother) {
        w = std::max(w, c->natural_width);
        h = std::max(h, c->natural_height);
      }
      e->natural_width = std::max(ow, w);
      e->natural_height = std::max(oh, h);
      e->expand &= children_expand;
      break;
    }
    case IUP_DIALOG: {
      IupElement* c = e->first_child;
      const int child_w = c != nullptr ? c->natural_width : 0;
      const int child_h = c != nullptr ? c->natural_height : 0;
      if (given == 0) {
        e->natural_width = child_w;
        e->natural_height = child_h;
      } else {
        e->natural_width = (given & 1) != 0 ? ow : std::max(e->current_width, child_w);
        e->natural_height = (given & 2) != 0 ? oh : std::max(e->current_height, child_h);
      }
      e->expand |= children_expand;
      break;
    }
    default:
      break;
  }
}

int Natural(IupElement* e) {
  if (e->kind == IUP_FILL) {
    FillNatural(e);
    return e->expand;
  }
  e->expand = ExpandFlags(e);
  if (IupControlClass* cls = e->control_class) {
    if (cls->set_natural_size != nullptr) {
      cls->set_natural_size(e);
    } else {
      int w = 0, h = 0;
      if (cls->get_size != nullptr)
        cls->get_size(e, &w, &h);
      else
        CanvasRule(e, &w, &h);
      e->natural_width = w;
      e->natural_height = h;
    }
    return e->expand;
  }
  switch (e->kind) {
    case IUP_FRAME:
    case IUP_RADIO:
    case IUP_HBOX:
    case IUP_VBOX:
    case IUP_ZBOX:
    case IUP_DIALOG:
      ContainerNatural(e);
      break;
    default:
      LeafNatural(e);
      break;
  }
  return e->expand;
}

bool ExpandsH(const IupElement* e) {
  return (e->expand & kHorizontal) != 0;
}
bool ExpandsV(const IupElement* e) {
  return (e->expand & kVertical) != 0;
}

void Current(IupElement* e, int w, int h);

void ShareBox(IupElement* box) {
  int mx, my;
  Margins(box, &mx, &my);
  const int gap = Gap(box), n = ChildCount(box);
  const bool horizontal = box->kind == IUP_HBOX;
  int sum = 0;
  for (IupElement* c = box->first_child; c != nullptr; c = c->brother)
    sum += horizontal ? c->natural_width : c->natural_height;
  const int free = (horizontal ? box->current_width - 2 * mx : box->current_height - 2 * my) - sum -
                   gap * (n - 1);
  const int strong = horizontal ? kHorizontalStrong : kVerticalStrong;
  const int weak = horizontal ? kHorizontalWeak : kVerticalWeak;
  int bit = 0;
  if ((box->expand & strong) != 0)
    bit = strong;
  else if ((box->expand & weak) != 0)
    bit = weak;
  int sharing = 0;
  if (bit != 0)
    for (IupElement* c = box->first_child; c != nullptr; c = c->brother)
      if ((c->expand & bit) != 0) ++sharing;
  for (IupElement* c = box->first_child; c != nullptr; c = c->brother) {
    const int extra = sharing > 0 && (c->expand & bit) != 0 ? free / sharing : 0;
    if (horizontal)
      Current(c, c->natural_width + extra, box->current_height - 2 * my);
    else
      Current(c, box->current_width - 2 * mx, c->natural_height + extra);
  }
}

void Current(IupElement* e, int w, int h) {
  if (IupControlClass* cls = e->control_class) {
    if (cls->set_current_size != nullptr) {
      cls->set_current_size(e, w, h);
      return;
    }
  }
  switch (e->kind) {
    case IUP_BUTTON:
    case IUP_CANVAS:
    case IUP_FILL:
    case IUP_LABEL:
    case IUP_LIST:
    case IUP_TEXT:
    case IUP_TOGGLE:
    case IUP_MULTILINE:
      e->current_width = ExpandsH(e) ? w : e->natural_width;
      e->current_height = ExpandsV(e) ? h : e->natural_height;
      break;
    case IUP_DIALOG:
      e->current_width = shrink_mode ? w : std::max(e->natural_width, w);
      e->current_height = shrink_mode ? h : std::max(e->natural_height, h);
      if (e->first_child != nullptr) Current(e->first_child, e->current_width, e->current_height);
      break;
    case IUP_HBOX:
    case IUP_VBOX:
    case IUP_ZBOX:
      if (!shrink_mode) {
        e->current_width = std::max(e->natural_width, ExpandsH(e) ? w : 0);
        e->current_height = std::max(e->natural_height, ExpandsV(e) ? h : 0);
      } else {
        e->current_width = ExpandsH(e) ? w : e->natural_width;
        e->current_height = ExpandsV(e) ? h : e->natural_height;
      }
      if (e->kind == IUP_ZBOX) {
        for (IupElement* c = e->first_child; c != nullptr; c = c->brother)
          Current(c, e->current_width, e->current_height);
      } else {
        ShareBox(e);
      }
      break;
    case IUP_FRAME: {
      int cw, ch;
      CharSize(e, &cw, &ch);
      const int title = FrameTitled(e) ? ch : 0;
      IupElement* c = e->first_child;
      if (c != nullptr) Current(c, w - 4, h - 4 - title);
      const int child_w = c != nullptr ? c->current_width : 0;
      const int child_h = c != nullptr ? c->current_height : 0;
      if (!shrink_mode) {
        e->current_width = std::max(e->natural_width, child_w + 4);
        e->current_height = std::max(e->natural_height, child_h + 4 + title);
      } else {
        e->current_width = ExpandsH(e) ? child_w + 4 : e->natural_width;
        e->current_height = ExpandsV(e) ? child_h + 4 + title : e->natural_height;
      }
      break;
    }
    case IUP_RADIO:
      if (IupElement* c = e->first_child) {
        Current(c, w, h);
        e->current_width = c->current_width;
        e->current_height = c->current_height;
      }
      break;
    default:
      break;
  }
}

int CrossOffset(const char* alignment, int free, bool vertical_box) {
  if (alignment == nullptr) return 0;
  if (std::strcmp(alignment, "ACENTER") == 0) return free / 2;
  if (vertical_box
          ? (std::strcmp(alignment, "ARIGHT") == 0 || std::strcmp(alignment, "EAST") == 0)
          : (std::strcmp(alignment, "ABOTTOM") == 0 || std::strcmp(alignment, "SOUTH") == 0))
    return free;
  return 0;
}

void ZboxOffset(const char* a, int W, int H, int* dx, int* dy) {
  struct Place {
    const char* name;
    int fx, fy;  // 0 start, 1 centre, 2 end
  };
  static const Place places[] = {
      {"ACENTER", 1, 1}, {"NORTH", 1, 0}, {"ATOP", 1, 0}, {"SOUTH", 1, 2},  {"ABOTTOM", 1, 2},
      {"WEST", 0, 1},    {"ALEFT", 0, 1}, {"EAST", 2, 1}, {"ARIGHT", 2, 1}, {"NE", 2, 0},
      {"SE", 2, 2},      {"NW", 0, 0},    {"SW", 0, 2}};
  int fx = 1, fy = 1;
  for (const Place& p : places)
    if (a != nullptr && std::strcmp(a, p.name) == 0) fx = p.fx, fy = p.fy;
  *dx = fx == 0 ? 0 : fx == 1 ? W / 2 : W;
  *dy = fy == 0 ? 0 : fy == 1 ? H / 2 : H;
}

void Position(IupElement* e, int x, int y) {
  e->x = x;
  e->y = y;
  if (IupControlClass* cls = e->control_class) {
    if (cls->set_position != nullptr) cls->set_position(e, x, y);
    return;
  }
  int mx, my;
  switch (e->kind) {
    case IUP_DIALOG:
      if (e->first_child != nullptr) Position(e->first_child, 0, 0);
      break;
    case IUP_RADIO:
      if (e->first_child != nullptr) Position(e->first_child, x, y);
      break;
    case IUP_FRAME: {
      int cw, ch;
      CharSize(e, &cw, &ch);
      if (e->first_child != nullptr)
        Position(e->first_child, x + 2, y + 2 + (FrameTitled(e) ? ch : 0));
      break;
    }
    case IUP_HBOX: {
      Margins(e, &mx, &my);
      const char* alignment = IupGetAttribute(e, "ALIGNMENT");
      int cx = x + mx;
      for (IupElement* c = e->first_child; c != nullptr; c = c->brother) {
        const int free = e->current_height - c->current_height - 2 * my;
        Position(c, cx, y + my + CrossOffset(alignment, free, false));
        cx += c->current_width + Gap(e);
      }
      break;
    }
    case IUP_VBOX: {
      Margins(e, &mx, &my);
      const char* alignment = IupGetAttribute(e, "ALIGNMENT");
      int cy = y + my;
      for (IupElement* c = e->first_child; c != nullptr; c = c->brother) {
        const int free = e->current_width - c->current_width - 2 * mx;
        Position(c, x + mx + CrossOffset(alignment, free, true), cy);
        cy += c->current_height + Gap(e);
      }
      break;
    }
    case IUP_ZBOX: {
      const char* alignment = IupGetAttribute(e, "ALIGNMENT");
      for (IupElement* c = e->first_child; c != nullptr; c = c->brother) {
        int dx, dy;
        ZboxOffset(alignment, e->current_width - c->current_width,
                   e->current_height - c->current_height, &dx, &dy);
        Position(c, x + dx, y + dy);
      }
      break;
    }
    default:
      break;
  }
}

}  // namespace

void CharSize(IupElement* e, int* cw, int* ch) {
  Drv().CharSize(e, cw, ch);
  if (*cw <= 0) *cw = 1;
  if (*ch <= 0) *ch = 1;
}

int OwnSize(IupElement* e, int* width, int* height) {
  *width = *height = 0;
  if (e->kind == IUP_DIALOG && IsMapped(e) && !own_size_first &&
      IupGetOwnAttribute(e, "IUPWIN_IS_MAPPING") == nullptr) {
    const DriverValue live = Drv().GetAttribute(e, "RASTERSIZE");
    if (live.value != nullptr && !live.pointer)
      return ParseSize(e, live.value, false, width, height);
  }
  if (const char* raster = IupGetOwnAttribute(e, "RASTERSIZE"))
    return ParseSize(e, raster, false, width, height);
  return ParseSize(e, IupGetOwnAttribute(e, "SIZE"), true, width, height);
}

void Layout(IupElement* e) {
  if (e->kind != IUP_DIALOG) {
    Natural(e);
    Current(e, e->current_width, e->current_height);
    Position(e, e->x, e->y);
    return;
  }
  Natural(e);
  int ow = 0, oh = 0;
  const int given = OwnSize(e, &ow, &oh);
  shrink_mode = ReadBool(IupGetAttribute(e, "SHRINK")) == 1;
  Current(e, (given & 1) != 0 ? e->natural_width : 0, (given & 2) != 0 ? e->natural_height : 0);
  shrink_mode = false;
  Position(e, 0, 0);
}

void MovePass(IupElement* e, bool mapping) {
  if (!IsMapped(e)) return;
  switch (e->kind) {
    case IUP_DIALOG: {
      int dw = 0, dh = 0, x = 0, y = 0;
      DialogDecorations(e, &dw, &dh);
      Drv().DialogPosition(e, &x, &y);
      Drv().PlaceDialog(e, x, y, e->current_width + dw, e->current_height + dh);
      if (e->first_child != nullptr) MovePass(e->first_child, mapping);
      Drv().Repaint(e);
      return;
    }
    case IUP_LIST:
      if (ReadBool(IupGetAttribute(e, "DROPDOWN")) == 1) {
        int cw, ch;
        CharSize(e, &cw, &ch);
        const int visible = IupGetAttributeInt(e, "VISIBLE_ITEMS");
        Drv().Move(e, e->x, e->y, e->current_width, (visible > 0 ? visible + 2 : 10) * ch + 7);
        return;
      }
      [[fallthrough]];
    case IUP_BUTTON:
    case IUP_LABEL:
    case IUP_TEXT:
    case IUP_TOGGLE:
    case IUP_MULTILINE:
    case IUP_CANVAS:
      if (e->driver_object) Drv().Move(e, e->x, e->y, e->current_width, e->current_height);
      if (mapping && e->kind == IUP_CANVAS) {
        const int serial = e->serial;
        if (IupCallback cb = FindCallback(e, "MAP_CB")) cb(e);
        if (!IsAlive(serial, e)) return;
      }
      // a control's canvas may hold elements laid out inside it
      if (e->kind == IUP_CANVAS)
        for (IupElement* c = e->first_child; c != nullptr; c = c->brother) MovePass(c, mapping);
      return;
    case IUP_FRAME:
      Drv().Move(e, e->x, e->y, e->current_width, e->current_height);
      [[fallthrough]];
    default:
      for (IupElement* c = e->first_child; c != nullptr; c = c->brother) MovePass(c, mapping);
      return;
  }
}

void DialogClientResized(IupElement* dialog, int width, int height) {
  char size[32];
  std::snprintf(size, sizeof size, "%ix%i", width, height);
  StoreOwn(dialog, IupInternName("RASTERSIZE"), size, true);
  StoreOwn(dialog, IupInternName("SIZE"), nullptr, false);
  dialog->current_width = width;
  dialog->current_height = height;
  Layout(dialog);
  if (dialog->first_child != nullptr) MovePass(dialog->first_child, false);
  Drv().Repaint(dialog);
}

void RelayoutFromOwnSize(IupElement* dialog) {
  own_size_first = true;
  Layout(dialog);
  own_size_first = false;
  MovePass(dialog, false);
}

void DialogDecorations(IupElement* dialog, int* width, int* height) {
  *width = *height = 0;
  if (dialog == nullptr) return;
  const ScreenMetrics m = Drv().Screen();
  auto on = [&](const char* name) { return ReadBool(IupGetAttribute(dialog, name)) != 0; };
  const bool resize = on("RESIZE");
  const bool caption =
      on("MAXBOX") || on("MINBOX") || on("MENUBOX") || IupGetAttribute(dialog, "TITLE") != nullptr;
  const bool border = ReadBool(IupGetAttribute(dialog, "BORDER")) == 1;
  const bool toolbox = ReadBool(IupGetAttribute(dialog, "TOOLBOX")) == 1 &&
                       IupGetAttribute(dialog, "PARENTDIALOG") != nullptr;
  *width = resize    ? 2 * m.sizing_frame_w
           : caption ? 2 * m.dialog_frame_w
           : border  ? 2 * m.border_w
                     : 0;
  *height = (caption ? (toolbox ? m.small_caption : m.caption) : 0) +
            2 * (resize     ? m.sizing_frame_h
                 : !caption ? m.border_h
                            : m.dialog_frame_h) +
            (IupGetAttribute(dialog, "MENU") != nullptr ? m.menu_bar : 0);
}

}  // namespace iup

void IupRefresh(IupElement* e) {
  if (e == nullptr) return;
  iup::Layout(e);
  iup::MovePass(e, false);
}

void IupGetCharSize(IupElement* e, int* cw, int* ch) {
  int w = 0, h = 0;
  iup::CharSize(e, &w, &h);
  if (cw != nullptr) *cw = w;
  if (ch != nullptr) *ch = h;
}

int IupLayoutNatural(IupElement* child) {
  return child != nullptr ? iup::Natural(child) : 0;
}
void IupLayoutCurrent(IupElement* child, int width, int height) {
  if (child != nullptr) iup::Current(child, width, height);
}
void IupLayoutPosition(IupElement* child, int x, int y) {
  if (child != nullptr) iup::Position(child, x, y);
}
bool IupExpandsHorizontally(IupElement* element) {
  return element != nullptr && iup::ExpandsH(element);
}
bool IupExpandsVertically(IupElement* element) {
  return element != nullptr && iup::ExpandsV(element);
}
