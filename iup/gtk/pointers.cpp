// Mouse pointers of the GTK driver: the system pointers by their toolkit
// names, the program's own pointer pictures (drawn here), and IMAGE elements
// with a "HOTSPOT".
#include <cstdio>
#include <cstring>

#include "gtk/gtkint.h"

namespace iup::gtk {
namespace {

struct SystemPointer {
  const char* name;
  const char* css;  // GDK's name of the pointer
};
constexpr SystemPointer kSystem[] = {
    {"ARROW", "default"},       {"TEXT", "text"},           {"BUSY", "wait"},
    {"CROSS", "crosshair"},     {"RESIZE_N", "n-resize"},   {"RESIZE_S", "s-resize"},
    {"RESIZE_E", "e-resize"},   {"RESIZE_W", "w-resize"},   {"RESIZE_NE", "ne-resize"},
    {"RESIZE_NW", "nw-resize"}, {"RESIZE_SE", "se-resize"}, {"RESIZE_SW", "sw-resize"},
    {"MOVE", "move"},
};

// 16 x 16 pictures: 'X' black, '.' white, anything else transparent.
struct OwnPointer {
  const char* name;
  int hot_x, hot_y;
  const char* rows[16];
};
constexpr OwnPointer kOwn[] = {
    {"CURSOR_PEN",
     0,
     15,
     {"           XXX  ", "          X..XX ", "         X..X.X ", "        X..X.X  ",
      "       X..X.X   ", "      X..X.X    ", "     X..X.X     ", "    X..X.X      ",
      "   X..X.X       ", "  XX.X.X        ", "  X.XXX         ", " X...X          ",
      " X..X           ", "X.XX            ", "XX              ", "X               "}},
    {"CURSOR_HAND",
     5,
     0,
     {"    XX          ", "   X..X         ", "   X..X         ", "   X..X         ",
      "   X..XXX       ", "   X..X..XXX    ", "XX X..X..X..XX  ", "X..X..X..X..X.X ",
      "X...........X..X", " X.............X", "  X............X", "  X...........X ",
      "   X..........X ", "    X........X  ", "     X.......X  ", "     XXXXXXXXX  "}},
    {"CURSOR_IUP",
     0,
     0,
     {"X               ", "XX              ", "X.X             ", "X..X            ",
      "X...X           ", "X....X          ", "X.....X         ", "X......X        ",
      "X.XXXXXX        ", "XX              ", "X  XXX X  X XXX ", "    X  X  X X  X",
      "    X  X  X XXX ", "    X  X  X X   ", "   XXX  XX  X   ", "                "}},
    {"CURSOR_MEASURE",
     0,
     15,
     {"              XX", "             X.X", "            X.X ", "           X..X ",
      "          X.X.X ", "         X..X  X", "        X.X.X   ", "       X..X  X  ",
      "      X.X.X     ", "     X..X  X    ", "    X.X.X       ", "   X..X  X      ",
      "  X.X.X         ", " X..X           ", "X.XX            ", "XX              "}},
    {"CURSOR_ZOOM",
     6,
     6,
     {"    XXXXX       ", "  XX.....XX     ", " X.........X    ", " X.........X    ",
      "X...........X   ", "X...........X   ", "X...........X   ", "X...........X   ",
      "X...........X   ", " X.........X    ", " X.........XX   ", "  XX.....XXXXX  ",
      "    XXXXX  XXXX ", "             XXX", "              XX", "                "}},
    {"CURSOR_ZOOMIN",
     6,
     6,
     {"    XXXXX       ", "  XX.....XX     ", " X....X....X    ", " X....X....X    ",
      "X.....X.....X   ", "X.....X.....X   ", "X.XXXXXXXXX.X   ", "X.....X.....X   ",
      "X.....X.....X   ", " X....X....X    ", " X....X....XX   ", "  XX.....XXXXX  ",
      "    XXXXX  XXXX ", "             XXX", "              XX", "                "}},
    {"CURSOR_ZOOMOUT",
     6,
     6,
     {"    XXXXX       ", "  XX.....XX     ", " X.........X    ", " X.........X    ",
      "X...........X   ", "X...........X   ", "X.XXXXXXXXX.X   ", "X...........X   ",
      "X...........X   ", " X.........X    ", " X.........XX   ", "  XX.....XXXXX  ",
      "    XXXXX  XXXX ", "             XXX", "              XX", "                "}},
    {"RESIZE_C",
     7,
     7,
     {"      X  X      ", "      X..X      ", "      X..X      ", "      X..X      ",
      "   X  X..X  X   ", "  X.X X..X X.X  ", " X..XXX..XXX..X ", "X..............X",
      " X..XXX..XXX..X ", "  X.X X..X X.X  ", "   X  X..X  X   ", "      X..X      ",
      "      X..X      ", "      X..X      ", "      X  X      ", "                "}},
};

GdkCursor* FromOwn(GdkDisplay* display, const OwnPointer& p) {
  GdkPixbuf* pixbuf = gdk_pixbuf_new(GDK_COLORSPACE_RGB, TRUE, 8, 16, 16);
  guchar* data = gdk_pixbuf_get_pixels(pixbuf);
  const int stride = gdk_pixbuf_get_rowstride(pixbuf);
  for (int y = 0; y < 16; ++y) {
    for (int x = 0; x < 16; ++x) {
      guchar* px = data + y * stride + x * 4;
      const char c = x < static_cast<int>(std::strlen(p.rows[y])) ? p.rows[y][x] : ' ';
      const guchar v = c == '.' ? 255 : 0;
      px[0] = px[1] = px[2] = v;
      px[3] = (c == 'X' || c == '.') ? 255 : 0;
    }
  }
  GdkCursor* cursor = gdk_cursor_new_from_pixbuf(display, pixbuf, p.hot_x, p.hot_y);
  g_object_unref(pixbuf);
  return cursor;
}

GdkCursor* FromImage(GdkDisplay* display, IupElement* image, IupElement* user) {
  GdkPixbuf* pixbuf = ImagePixbuf(image, user, true);
  if (pixbuf == nullptr) return nullptr;
  int hx = 0, hy = 0;
  if (const char* hot = IupGetAttribute(image, "HOTSPOT")) std::sscanf(hot, "%d,%d", &hx, &hy);
  const int w = gdk_pixbuf_get_width(pixbuf), h = gdk_pixbuf_get_height(pixbuf);
  hx = hx < 0 ? 0 : hx >= w ? w - 1 : hx;
  hy = hy < 0 ? 0 : hy >= h ? h - 1 : hy;
  GdkCursor* cursor = gdk_cursor_new_from_pixbuf(display, pixbuf, hx, hy);
  g_object_unref(pixbuf);
  return cursor;
}

}  // namespace

GdkCursor* PointerNamed(const char* name, IupElement* user) {
  GdkDisplay* display = gdk_display_get_default();
  if (name == nullptr || display == nullptr) return nullptr;
  if (std::strcmp(name, "NONE") == 0 || std::strcmp(name, "NULL") == 0)
    return gdk_cursor_new_for_display(display, GDK_BLANK_CURSOR);
  for (const SystemPointer& p : kSystem)
    if (std::strcmp(name, p.name) == 0) return gdk_cursor_new_from_name(display, p.css);
  // "PEN", "HAND" and "IUP" are stored as "CURSOR_PEN" and so on
  std::string own = name;
  if (own == "PEN" || own == "HAND" || own == "IUP") own = "CURSOR_" + own;
  for (const OwnPointer& p : kOwn)
    if (own == p.name) return FromOwn(display, p);
  IupElement* image = IupGetHandle(name);
  if (image != nullptr && IupGetKind(image) == IUP_IMAGE) return FromImage(display, image, user);
  return nullptr;
}

bool IsOwnPointer(const char* name) {
  for (const OwnPointer& p : kOwn)
    if (name != nullptr && std::strcmp(name, p.name) == 0) return true;
  return false;
}

void ApplyCursor(Native* n) {
  GtkWidget* w = n->kind == IUP_DIALOG ? n->outer : n->inner;
  if (w == nullptr || !gtk_widget_get_realized(w)) return;
  GdkWindow* window = gtk_widget_get_window(w);
  if (window == nullptr) return;
  GdkCursor* cursor = PointerNamed(IupGetAttribute(n->element, "CURSOR"), n->element);
  gdk_window_set_cursor(window, cursor);  // null: the parent's pointer
  if (cursor != nullptr) g_object_unref(cursor);
}

namespace {
void OnRealize(GtkWidget*, gpointer tag) {
  if (Native* n = Find(ElementOf(tag))) ApplyCursor(n);
}
}  // namespace

void WatchCursor(Native* n) {
  GtkWidget* w = n->kind == IUP_DIALOG ? n->outer : n->inner;
  if (w != nullptr) g_signal_connect_after(w, "realize", G_CALLBACK(OnRealize), Tag(n));
}

}  // namespace iup::gtk
