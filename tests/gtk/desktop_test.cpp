// Desktop integration of the GTK driver under Xvfb: dropped URI lists to
// file names, pointers by name (system, the program's own, IMAGE with a hot
// spot), IMAGE colours, tooltips and pointers on mapped elements.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "gtk/gtkint.h"
#include "gtkfixture.h"
#include "iup.h"

namespace {

class Desktop : public gtkprobe::ToolkitTest {};

TEST_F(Desktop, DroppedUriListsBecomeLatin1FileNames) {
  const gchar* uris[] = {"file:///tmp/a%20b.txt", "http://example.org/x",
                         "file:///tmp/S%C3%A3o.vrk", "file:///tmp/%E2%82%AC.png", nullptr};
  const std::vector<std::string> files = iup::gtk::DroppedFiles(uris);
  ASSERT_EQ(files.size(), 3u) << "a remote URI is not a file";
  EXPECT_EQ(files[0], "/tmp/a b.txt");
  EXPECT_EQ(files[1], "/tmp/S\xE3o.vrk");
  EXPECT_EQ(files[2], "/tmp/?.png") << "a character outside Latin-1";
  EXPECT_TRUE(iup::gtk::DroppedFiles(nullptr).empty());
}

TEST_F(Desktop, PointersByNameAndUnknownNames) {
  const char* known[] = {
      "NONE",       "NULL",           "ARROW",       "TEXT",          "BUSY",
      "CROSS",      "RESIZE_N",       "RESIZE_S",    "RESIZE_E",      "RESIZE_W",
      "RESIZE_NE",  "RESIZE_NW",      "RESIZE_SE",   "RESIZE_SW",     "MOVE",
      "PEN",        "HAND",           "IUP",         "CURSOR_PEN",    "CURSOR_HAND",
      "CURSOR_IUP", "CURSOR_MEASURE", "CURSOR_ZOOM", "CURSOR_ZOOMIN", "CURSOR_ZOOMOUT",
      "RESIZE_C"};
  for (const char* name : known) {
    GdkCursor* c = iup::gtk::PointerNamed(name, nullptr);
    EXPECT_NE(c, nullptr) << name;
    if (c != nullptr) g_object_unref(c);
  }
  EXPECT_EQ(iup::gtk::PointerNamed("NO_SUCH_POINTER", nullptr), nullptr);
  EXPECT_EQ(iup::gtk::PointerNamed(nullptr, nullptr), nullptr);
  // an IMAGE with a hot spot outside it is clamped, not refused
  const unsigned char pixels[4] = {0, 1, 2, 15};
  IupElement* image = IupCreateImage(2, 2, pixels);
  IupSetHandle("test_pointer", image);
  IupSetAttribute(image, "HOTSPOT", "9,9");
  GdkCursor* c = iup::gtk::PointerNamed("test_pointer", nullptr);
  EXPECT_NE(c, nullptr);
  if (c != nullptr) g_object_unref(c);
  IupDestroy(image);
}

TEST_F(Desktop, ImageColoursFromAttributesPaletteAndBackground) {
  const unsigned char pixels[6] = {0, 1, 7, 15, 2, 3};  // 3 x 2, top row first
  IupElement* image = IupCreateImage(3, 2, pixels);
  IupSetAttribute(image, "2", "10 20 30");
  IupSetAttribute(image, "3", "BGCOLOR");
  IupElement* user = IupCreateLabel("x");
  IupSetAttribute(user, "BGCOLOR", "1 2 3");
  struct Case {
    int x, y;
    int r, g, b, a;
  } cases[] = {
      {0, 0, 255, 255, 255, 255}, {1, 0, 255, 0, 0, 255},  {2, 0, 100, 200, 130, 255},
      {0, 1, 0, 0, 0, 255},       {1, 1, 10, 20, 30, 255}, {2, 1, 1, 2, 3, 255},
  };
  GdkPixbuf* pixbuf = iup::gtk::ImagePixbuf(image, user, false);
  ASSERT_NE(pixbuf, nullptr);
  ASSERT_EQ(gdk_pixbuf_get_width(pixbuf), 3);
  ASSERT_EQ(gdk_pixbuf_get_height(pixbuf), 2);
  const guchar* data = gdk_pixbuf_get_pixels(pixbuf);
  const int stride = gdk_pixbuf_get_rowstride(pixbuf);
  for (const Case& c : cases) {
    const guchar* px = data + c.y * stride + c.x * 4;
    EXPECT_EQ(px[0], c.r) << c.x << "," << c.y;
    EXPECT_EQ(px[1], c.g) << c.x << "," << c.y;
    EXPECT_EQ(px[2], c.b) << c.x << "," << c.y;
    EXPECT_EQ(px[3], c.a) << c.x << "," << c.y;
  }
  g_object_unref(pixbuf);
  // for a pointer with a hot spot, "BGCOLOR" is see-through
  IupSetAttribute(image, "HOTSPOT", "0,0");
  pixbuf = iup::gtk::ImagePixbuf(image, user, true);
  ASSERT_NE(pixbuf, nullptr);
  EXPECT_EQ(gdk_pixbuf_get_pixels(pixbuf)[gdk_pixbuf_get_rowstride(pixbuf) + 2 * 4 + 3], 0);
  g_object_unref(pixbuf);
  EXPECT_EQ(iup::gtk::ImagePixbuf(user, user, false), nullptr) << "not an image";
  IupDestroy(user);
  IupDestroy(image);
}

TEST_F(Desktop, TooltipsAndPointersOnMappedElements) {
  IupElement* canvas = IupCreateCanvas(nullptr);
  IupSetAttribute(canvas, "RASTERSIZE", "100x80");
  IupSetAttribute(canvas, "TIP", "Mapa da \xE1rea");  // Latin-1 text
  IupSetAttribute(canvas, "CURSOR", "PEN");
  IupElement* dialog = IupCreateDialog(canvas);
  IupShowXY(dialog, 10, 10);
  for (int i = 0; i < 200; ++i) IupLoopStep();
  auto* widget = static_cast<GtkWidget*>(IupGetAttributePointer(canvas, "WID"));
  ASSERT_NE(widget, nullptr);
  // without scrollbars the placed widget is the drawing area itself
  gchar* tip = gtk_widget_get_tooltip_text(widget);
  ASSERT_NE(tip, nullptr);
  EXPECT_STREQ(tip, "Mapa da \xC3\xA1rea");
  g_free(tip);
  ASSERT_TRUE(gtk_widget_get_realized(widget));
  GdkCursor* pen = gdk_window_get_cursor(gtk_widget_get_window(widget));
  EXPECT_NE(pen, nullptr);
  IupSetAttribute(canvas, "CURSOR", "NO_SUCH_POINTER");
  EXPECT_EQ(gdk_window_get_cursor(gtk_widget_get_window(widget)), nullptr)
      << "an unknown name: the default pointer";
  IupSetAttribute(canvas, "TIP", "other");
  tip = gtk_widget_get_tooltip_text(widget);
  EXPECT_STREQ(tip, "other");
  g_free(tip);
  IupDestroy(dialog);
}

}  // namespace
