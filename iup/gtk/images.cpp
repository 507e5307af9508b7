// IMAGE elements in the GTK driver: 4-bit pixel indices with colours from
// the image's attributes "0" to "15" (or the standard palette), made into
// pixbufs for buttons, labels, toggles and pointers.
#include <cstdlib>
#include <string>

#include "gtk/gtkint.h"

namespace iup::gtk {
namespace {

constexpr unsigned char kPalette[16][3] = {
    {255, 255, 255}, {255, 0, 0},     {0, 255, 0},     {0, 0, 255},
    {255, 255, 0},   {255, 0, 255},   {0, 255, 255},   {100, 200, 130},
    {165, 42, 42},   {204, 128, 0},   {35, 35, 142},   {187, 187, 187},
    {255, 255, 255}, {170, 170, 170}, {128, 128, 128}, {0, 0, 0},
};

struct Colour {
  guchar r, g, b, a;
};

// "BGCOLOR" takes the user's background, and makes a pointer see-through.
Colour ColourOf(IupElement* image, int index, IupElement* user, bool pointer) {
  Colour c{kPalette[index][0], kPalette[index][1], kPalette[index][2], 255};
  const char* value = IupGetAttribute(image, std::to_string(index).c_str());
  if (value == nullptr) return c;
  int r = 0, g = 0, b = 0;
  if (g_ascii_strcasecmp(value, "BGCOLOR") == 0) {
    if (pointer && IupGetAttribute(image, "HOTSPOT") != nullptr) return {0, 0, 0, 0};
    const char* bg = user != nullptr ? IupGetAttribute(user, "BGCOLOR") : nullptr;
    if (bg != nullptr && ParseColor(bg, &r, &g, &b)) return {guchar(r), guchar(g), guchar(b), 255};
    return {239, 239, 239, 255};  // the dialog face
  }
  if (ParseColor(value, &r, &g, &b)) return {guchar(r), guchar(g), guchar(b), 255};
  return c;
}

}  // namespace

GdkPixbuf* ImagePixbuf(IupElement* image, IupElement* user, bool pointer) {
  if (image == nullptr || IupGetKind(image) != IUP_IMAGE) return nullptr;
  const int w = IupGetAttributeInt(image, "WIDTH"), h = IupGetAttributeInt(image, "HEIGHT");
  const auto* pixels = static_cast<const unsigned char*>(IupGetData(image));
  if (w <= 0 || h <= 0 || w > 4096 || h > 4096 || pixels == nullptr) return nullptr;
  Colour table[16];
  for (int i = 0; i < 16; ++i) table[i] = ColourOf(image, i, user, pointer);
  GdkPixbuf* pixbuf = gdk_pixbuf_new(GDK_COLORSPACE_RGB, TRUE, 8, w, h);
  if (pixbuf == nullptr) return nullptr;
  guchar* data = gdk_pixbuf_get_pixels(pixbuf);
  const int stride = gdk_pixbuf_get_rowstride(pixbuf);
  // row 0 of the image is its top line; indices above 15 use their low bits
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      const Colour& c =
          table[pixels[static_cast<size_t>(y) * static_cast<size_t>(w) + static_cast<size_t>(x)] &
                15];
      guchar* px = data + y * stride + x * 4;
      px[0] = c.r, px[1] = c.g, px[2] = c.b, px[3] = c.a;
    }
  return pixbuf;
}

GtkWidget* ImageWidget(IupElement* user, const char* attribute) {
  IupElement* image = IupGetHandle(IupGetAttribute(user, attribute));
  GdkPixbuf* pixbuf = ImagePixbuf(image, user, false);
  if (pixbuf == nullptr) return nullptr;
  GtkWidget* widget = gtk_image_new_from_pixbuf(pixbuf);
  g_object_unref(pixbuf);
  return widget;
}

void ShowButtonImage(Native* n, const char* attribute) {
  if (n->outer == nullptr || !GTK_IS_BUTTON(n->outer)) return;
  GtkWidget* picture = ImageWidget(n->element, attribute);
  if (picture == nullptr) picture = ImageWidget(n->element, "IMAGE");
  if (picture == nullptr) return;
  gtk_button_set_image(GTK_BUTTON(n->outer), picture);
  gtk_button_set_always_show_image(GTK_BUTTON(n->outer), TRUE);
}

namespace {
void OnPressed(GtkButton*, gpointer tag) {
  if (Native* n = Find(ElementOf(tag))) ShowButtonImage(n, "IMPRESS");
}
void OnReleased(GtkButton*, gpointer tag) {
  if (Native* n = Find(ElementOf(tag))) ShowButtonImage(n, "IMAGE");
}
}  // namespace

void ConnectButtonImages(Native* n) {
  g_signal_connect(n->outer, "pressed", G_CALLBACK(OnPressed), Tag(n));
  g_signal_connect(n->outer, "released", G_CALLBACK(OnReleased), Tag(n));
}

}  // namespace iup::gtk
