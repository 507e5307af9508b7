// The window canvas drivers on the headless toolkit: a scene drawn through
// CD_IUP gives the pixels CD_IMAGERGB gives, what the window shows follows
// at the next loop step, the picture follows the element's size, and bad
// creation data leaves no canvas.
#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "cd.h"
#include "cdwin.h"
#include "headless/iupheadless.h"
#include "iup.h"
#include "iupcanvasfb.h"

namespace {

struct Planes {
  int w = 0, h = 0;
  std::vector<unsigned char> r, g, b;
};

class WindowCanvas : public ::testing::Test {
 protected:
  void SetUp() override {
    if (iup::CurrentDriver() == nullptr) iup::InstallDriver(iup::headless::NewDriver());
    iup::headless::Reset();
    IupOpen();
    iup::canvasfb::InstallHost();
    canvas_ = IupCreateCanvas("wincanvas_paint");
    IupSetAttribute(canvas_, "RASTERSIZE", "48x36");
    dialog_ = IupCreateDialog(canvas_);
    IupShow(dialog_);
  }
  void TearDown() override {
    if (dialog_ != nullptr) IupDestroy(dialog_);
    iup::headless::Reset();
    IupClose();
  }

  // The framebuffer of a CD_IUP canvas, bottom line first like an image.
  static Planes FramebufferOf(IupElement* canvas) {
    Planes p;
    iup::canvasfb::Framebuffer* fb = iup::canvasfb::Attached(canvas);
    if (fb == nullptr) return p;
    p.w = fb->width, p.h = fb->height;
    for (int y = p.h - 1; y >= 0; y--)
      for (int x = 0; x < p.w; x++) {
        size_t i = size_t(y) * p.w + x;
        p.r.push_back(fb->r[i]), p.g.push_back(fb->g[i]), p.b.push_back(fb->b[i]);
      }
    return p;
  }
  static Planes ShownOf(IupElement* canvas) {
    Planes p;
    const unsigned char *r, *g, *b;
    if (!iup::canvasfb::Shown(canvas, &p.w, &p.h, &r, &g, &b)) return p;
    for (int y = p.h - 1; y >= 0; y--)
      for (int x = 0; x < p.w; x++) {
        size_t i = size_t(y) * p.w + x;
        p.r.push_back(r[i]), p.g.push_back(g[i]), p.b.push_back(b[i]);
      }
    return p;
  }
  static Planes RgbCanvasDrawing(int w, int h, const std::function<void()>& scene) {
    char data[32];
    std::snprintf(data, sizeof data, "%dx%d", w, h);
    cdCanvasHandle rgb = cdCreateCanvas(CD_IMAGERGB, data);
    Planes p;
    if (rgb == nullptr) return p;
    cdActivate(rgb);
    scene();
    unsigned char *r, *g, *b;
    cdImageRGBPlanes(rgb, &p.w, &p.h, &r, &g, &b);
    size_t n = size_t(p.w) * p.h;
    p.r.assign(r, r + n), p.g.assign(g, g + n), p.b.assign(b, b + n);
    cdKillCanvas(rgb);
    return p;
  }
  // first differing pixel as "x,y", or "" when the pictures agree
  static std::string Difference(const Planes& a, const Planes& b) {
    if (a.w != b.w || a.h != b.h) return "sizes differ";
    for (int i = 0; i < a.w * a.h; i++)
      if (a.r[i] != b.r[i] || a.g[i] != b.g[i] || a.b[i] != b.b[i])
        return std::to_string(i % a.w) + "," + std::to_string(i / a.w);
    return "";
  }

  IupElement* canvas_ = nullptr;
  IupElement* dialog_ = nullptr;
};

// A small coloured picture with distinct rows and columns.
struct Pattern {
  int w = 5, h = 4;
  unsigned char r[20], g[20], b[20];
  Pattern() {
    for (int i = 0; i < 20; i++)
      r[i] = static_cast<unsigned char>(i * 12), g[i] = static_cast<unsigned char>(250 - i * 9),
      b[i] = static_cast<unsigned char>((i % 5) * 60);
  }
};

TEST_F(WindowCanvas, ScenesGiveTheSamePixelsAsAnRgbImage) {
  struct Case {
    const char* name;
    std::function<void()> scene;
  };
  static Pattern pattern;
  const Case cases[] = {
      {"text",
       [] {
         cdForeground(cdEncodeColor(0, 90, 0));
         cdFont(CD_COURIER, CD_PLAIN, 10);
         cdText(3, 6, "Ag");
         cdTextOrientation(30);
         cdText(20, 10, "x");
       }},
      {"xor",
       [] {
         cdForeground(cdEncodeColor(100, 150, 200));
         cdBox(0, 30, 0, 20);
         cdWriteMode(CD_XOR);
         cdForeground(cdEncodeColor(255, 0, 255));
         cdBox(10, 40, 10, 30);
         cdLine(0, 35, 47, 0);
         cdPutImageRGB(pattern.w, pattern.h, pattern.r, pattern.g, pattern.b, 20, 15, 0, 0);
         cdWriteMode(CD_REPLACE);
       }},
      {"server image",
       [] {
         cdForeground(cdEncodeColor(20, 40, 60));
         cdBox(4, 9, 5, 14);
         cdLine(2, 3, 12, 17);
         cdImage* image = cdCreateImage(12, 15);
         ASSERT_NE(image, nullptr);
         cdGetImage(image, 2, 3);
         cdPutImage(image, 30, 20);
         cdPutImageRect(image, 30, 2, 2, 6, 1, 9);
         cdKillImage(image);
       }},
      {"clipped",
       [] {
         cdClipArea(5, 25, 4, 20);
         cdClip(CD_CLIPAREA);
         cdForeground(cdEncodeColor(90, 0, 90));
         cdBox(0, 47, 0, 35);
         cdClip(CD_CLIPOFF);
       }},
      {"lines",
       [] {
         const int styles[] = {CD_CONTINUOUS, CD_DASHED, CD_DOTTED, CD_DASH_DOT, CD_DASH_DOT_DOT};
         for (int i = 0; i < 5; i++) {
           cdLineStyle(styles[i]);
           cdLineWidth(1 << (i % 3));
           cdForeground(cdEncodeColor(40 * i, 0, 200));
           cdLine(1, 2 + 7 * i, 46, 5 + 6 * i);
         }
         cdLineStyle(CD_CONTINUOUS);
         cdLineWidth(1);
         cdRect(3, 44, 2, 33);
       }},
      {"polygons",
       [] {
         cdForeground(cdEncodeColor(200, 100, 0));
         cdBegin(CD_FILL);
         cdVertex(2, 2), cdVertex(30, 5), cdVertex(12, 30), cdVertex(20, 12);
         cdEnd();
         cdForeground(cdEncodeColor(0, 100, 200));
         cdBegin(CD_CLOSED_LINES);
         cdVertex(25, 3), cdVertex(46, 20), cdVertex(30, 34);
         cdEnd();
         cdBegin(CD_OPEN_LINES);
         cdVertex(1, 34), cdVertex(20, 20), cdVertex(40, 30);
         cdEnd();
       }},
      {"arcs",
       [] {
         cdForeground(cdEncodeColor(0, 0, 0));
         cdArc(12, 12, 20, 14, 20, 250);
         cdArc(30, 20, 15, 25, 300, 60);
         cdForeground(cdEncodeColor(150, 0, 60));
         cdSector(36, 10, 20, 16, 45, 200);
         cdSector(12, 26, 13, 13, 0, 360);
       }},
      {"marks",
       [] {
         const int types[] = {CD_PLUS,          CD_STAR,    CD_CIRCLE,        CD_X,
                              CD_BOX,           CD_DIAMOND, CD_HOLLOW_CIRCLE, CD_HOLLOW_BOX,
                              CD_HOLLOW_DIAMOND};
         cdMarkSize(7);
         for (int i = 0; i < 9; i++) {
           cdMarkType(types[i]);
           cdForeground(cdEncodeColor(20 * i, 100, 0));
           cdMark(5 + 9 * (i % 5), 8 + 14 * (i / 5));
         }
       }},
      {"hatch, stipple and pattern",
       [] {
         cdForeground(cdEncodeColor(0, 0, 160));
         cdBackground(cdEncodeColor(250, 220, 0));
         cdBackOpacity(CD_OPAQUE);
         cdInteriorStyle(CD_HATCH);
         cdHatch(CD_DIAGCROSS);
         cdBox(1, 20, 1, 15);
         cdBackOpacity(CD_TRANSPARENT);
         cdHatch(CD_FDIAGONAL);
         cdSector(34, 9, 24, 16, 10, 300);
         static const unsigned char stipple[20] = {1, 0, 0, 1, 1, 0, 1, 1, 0, 0,
                                                   1, 0, 0, 0, 1, 0, 0, 1, 0, 0};
         cdStipple(5, 4, stipple);
         cdBox(1, 22, 18, 34);
         static long pattern[20];
         for (int i = 0; i < 20; i++) pattern[i] = cdEncodeColor(i * 12, 255 - i * 12, 90);
         cdPattern(4, 5, pattern);
         cdBegin(CD_FILL);
         cdVertex(24, 18), cdVertex(46, 20), cdVertex(40, 35);
         cdEnd();
         cdInteriorStyle(CD_SOLID);
         cdBackground(cdEncodeColor(255, 255, 255));
       }},
      {"images",
       [] {
         cdPutImageRGB(pattern.w, pattern.h, pattern.r, pattern.g, pattern.b, 1, 1, 12, 9);
         cdPutImageRectRGB(pattern.w, pattern.h, pattern.r, pattern.g, pattern.b, 40, 30, 0, 0, 1,
                           3, 1, 2);
         unsigned char alpha[20];
         for (int i = 0; i < 20; i++) alpha[i] = static_cast<unsigned char>(i * 13);
         cdPutImageRGBA(pattern.w, pattern.h, pattern.r, pattern.g, pattern.b, alpha, 15, 2, 11, 7);
         cdPutImageRGBA(pattern.w, pattern.h, pattern.r, pattern.g, pattern.b, alpha, -2, 37, 0, 0);
         unsigned char index[20];
         for (int i = 0; i < 20; i++) index[i] = static_cast<unsigned char>(i % 3);
         const long colors[3] = {cdEncodeColor(255, 0, 0), cdEncodeColor(0, 200, 0),
                                 cdEncodeColor(10, 20, 230)};
         cdPutImageMap(pattern.w, pattern.h, index, colors, 30, 5, 9, 13);
         cdPutImageRectMap(pattern.w, pattern.h, index, colors, 45, -1, 0, 0, 0, 3, 0, 2);
       }},
      {"scroll and read back",
       [] {
         cdForeground(cdEncodeColor(200, 30, 30));
         cdBox(2, 20, 3, 12);
         cdForeground(cdEncodeColor(30, 30, 200));
         cdLine(0, 0, 47, 35);
         cdScrollArea(0, 25, 0, 15, 6, 4);
         cdScrollArea(10, 40, 8, 30, -3, 5);
         cdScrollArea(30, 60, -4, 10, 4, -6);
         unsigned char r[7 * 6], g[7 * 6], b[7 * 6];
         cdGetImageRGB(r, g, b, 5, 6, 7, 6);
         cdPutImageRGB(7, 6, r, g, b, 38, 28, 0, 0);
         cdGetImageRGB(r, g, b, 44, -2, 7, 6);
         cdPutImageRGB(7, 6, r, g, b, 0, 26, 0, 0);
       }},
  };
  // Hatches and stipples start at the window's top line, RGB images at
  // their bottom line: with a height that their sizes divide both agree.
  IupSetAttribute(canvas_, "RASTERSIZE", "48x40");
  IupSetAttribute(dialog_, "SIZE", nullptr);
  IupRefresh(dialog_);
  cdCanvasHandle cv = cdCreateCanvas(CD_IUP, canvas_);
  ASSERT_NE(cv, nullptr);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ASSERT_EQ(cdActivate(cv), CD_OK);
    cdBackground(cdEncodeColor(255, 255, 255));
    cdClear();
    c.scene();
    Planes window = FramebufferOf(canvas_);
    Planes rgb = RgbCanvasDrawing(48, 40, [&] { c.scene(); });
    EXPECT_EQ(Difference(window, rgb), "");
    // and the scene did draw something
    EXPECT_NE(Difference(rgb, RgbCanvasDrawing(48, 40, [] {})), "");
    cdActivate(cv);
  }
  cdKillCanvas(cv);
}

// Hatches start at the window's top line (y grows downwards there): on a
// window 36 rows high, row y shows the RGB image's hatch row (y + 4) mod 8.
TEST_F(WindowCanvas, HatchesStartAtTheTopLine) {
  auto hatched = [] {
    cdForeground(cdEncodeColor(0, 0, 0));
    cdInteriorStyle(CD_HATCH);
    cdHatch(CD_DIAGCROSS);
    cdBox(0, 47, 0, 35);
    cdInteriorStyle(CD_SOLID);
  };
  cdCanvasHandle cv = cdCreateCanvas(CD_IUP, canvas_);
  ASSERT_NE(cv, nullptr);
  cdActivate(cv);
  hatched();
  Planes window = FramebufferOf(canvas_);
  Planes rgb = RgbCanvasDrawing(48, 36, hatched);
  ASSERT_EQ(window.r.size(), rgb.r.size());
  for (int y = 0; y < 36; y++) {
    SCOPED_TRACE(y);
    auto row = [](const Planes& p, int at) {
      return std::vector<unsigned char>(p.r.begin() + at * 48, p.r.begin() + (at + 1) * 48);
    };
    EXPECT_EQ(row(window, y), row(rgb, (y + 4) % 8));
  }
  cdKillCanvas(cv);
}

TEST_F(WindowCanvas, SizesComeFromTheElement) {
  cdCanvasHandle cv = cdCreateCanvas(CD_IUP, canvas_);
  ASSERT_NE(cv, nullptr);
  cdActivate(cv);
  int w = 0, h = 0;
  double w_mm = 0, h_mm = 0;
  cdGetCanvasSize(&w, &h, &w_mm, &h_mm);
  EXPECT_EQ(w, 48);
  EXPECT_EQ(h, 36);
  EXPECT_DOUBLE_EQ(w_mm, 48 / 3.78);
  EXPECT_DOUBLE_EQ(h_mm, 36 / 3.78);
  int dx = 0, dy = 0;
  cdMM2Pixel(10, 10, &dx, &dy);
  EXPECT_EQ(dx, 37);
  // y grows downwards on the device
  int y = 0;
  cdUpdateYAxis(&y);
  EXPECT_EQ(y, 35);
  // the element knows its canvas
  EXPECT_EQ(IupGetAttributePointer(canvas_, "_CD_CANVAS"), static_cast<void*>(cv));
  cdKillCanvas(cv);
  EXPECT_EQ(IupGetAttributePointer(canvas_, "_CD_CANVAS"), nullptr);
  EXPECT_EQ(iup::canvasfb::Attached(canvas_), nullptr);
}

TEST_F(WindowCanvas, DrawingShowsAtTheNextLoopStep) {
  cdCanvasHandle cv = cdCreateCanvas(CD_IUP, canvas_);
  ASSERT_NE(cv, nullptr);
  cdActivate(cv);
  cdForeground(cdEncodeColor(10, 20, 30));
  cdBox(0, 10, 0, 10);
  cdFlush();
  Planes before = ShownOf(canvas_);
  IupLoopStep();
  Planes after = ShownOf(canvas_);
  EXPECT_EQ(Difference(after, FramebufferOf(canvas_)), "");
  EXPECT_NE(Difference(before, after), "");
  // more drawing after a flush: the window shows the old picture until the next step
  cdForeground(cdEncodeColor(200, 0, 0));
  cdBox(20, 30, 20, 30);
  cdFlush();
  EXPECT_EQ(Difference(ShownOf(canvas_), after), "");
  IupLoopStep();
  EXPECT_EQ(Difference(ShownOf(canvas_), FramebufferOf(canvas_)), "");
  cdKillCanvas(cv);
}

// Activating a window canvas, or leaving it for another, draws nothing:
// it reports no damage, so two canvases that activate each other from their
// repaints do not repaint each other for ever. Drawing, even after such
// switches, is reported once.
TEST_F(WindowCanvas, OnlyAChangedPictureIsReportedDamaged) {
  cdCanvasHandle cv = cdCreateCanvas(CD_IUP, canvas_);
  ASSERT_NE(cv, nullptr);
  char size[] = "1x1";
  cdCanvasHandle other = cdCreateCanvas(CD_IMAGERGB, size);
  ASSERT_NE(other, nullptr);
  cdActivate(cv);
  cdForeground(cdEncodeColor(10, 20, 30));
  cdBox(0, 10, 0, 10);
  cdFlush();
  IupLoopStep();
  (void)iup::canvasfb::TakeDamage();
  for (int i = 0; i < 3; i++) {
    cdActivate(other);
    cdActivate(cv);
    cdFlush();
  }
  EXPECT_TRUE(iup::canvasfb::TakeDamage().empty());
  cdForeground(cdEncodeColor(200, 0, 0));
  cdBox(20, 30, 20, 30);
  cdActivate(other);
  const std::vector<IupElement*> damaged = iup::canvasfb::TakeDamage();
  ASSERT_EQ(damaged.size(), 1u);
  EXPECT_EQ(damaged[0], canvas_);
  cdActivate(cv);
  EXPECT_TRUE(iup::canvasfb::TakeDamage().empty());
  cdKillCanvas(other);
  cdKillCanvas(cv);
}

// The ACTION callback draws; a repaint request runs it, and the window then
// shows what it drew.
int g_actions = 0;
cdCanvasHandle g_canvas = nullptr;
int Paint(IupElement*, float, float) {
  g_actions++;
  cdActivate(g_canvas);
  cdForeground(cdEncodeColor(0, 128, 255));
  cdBox(0, 47, 0, 35);
  return IUP_DEFAULT;
}

TEST_F(WindowCanvas, RepaintRunsActionAndShowsIt) {
  g_canvas = cdCreateCanvas(CD_IUP, canvas_);
  ASSERT_NE(g_canvas, nullptr);
  IupBindAction("wincanvas_paint", IupAsCallback(Paint));
  for (int i = 0; i < 3; i++) IupLoopStep();  // the paint of the show
  g_actions = 0;
  iup::headless::Repaint(canvas_);
  for (int i = 0; i < 3; i++) IupLoopStep();
  EXPECT_EQ(g_actions, 1);
  Planes shown = ShownOf(canvas_);
  ASSERT_EQ(shown.w, 48);
  EXPECT_EQ(shown.r[0], 0);
  EXPECT_EQ(shown.g[0], 128);
  EXPECT_EQ(shown.b[47 + 35 * 48], 255);
  cdKillCanvas(g_canvas);
}

TEST_F(WindowCanvas, ResizeKeepsWhatFitsAndClearsTheRest) {
  cdCanvasHandle cv = cdCreateCanvas(CD_IUP, canvas_);
  ASSERT_NE(cv, nullptr);
  cdActivate(cv);
  cdForeground(cdEncodeColor(255, 0, 0));
  cdBox(0, 47, 0, 35);
  IupSetAttribute(canvas_, "RASTERSIZE", "60x20");
  IupSetAttribute(dialog_, "SIZE", nullptr);
  IupRefresh(dialog_);
  ASSERT_EQ(IupGetCurrentWidth(canvas_), 60);
  cdActivate(cv);
  int w = 0, h = 0;
  cdGetCanvasSize(&w, &h, nullptr, nullptr);
  EXPECT_EQ(w, 60);
  EXPECT_EQ(h, 20);
  iup::canvasfb::Framebuffer* fb = iup::canvasfb::Attached(canvas_);
  ASSERT_NE(fb, nullptr);
  ASSERT_EQ(fb->r.size(), 60u * 20u);
  // top-left part kept (window rows from the top), the new columns white
  EXPECT_EQ(fb->g[0], 0);
  EXPECT_EQ(fb->g[47 + 19 * 60], 0);
  EXPECT_EQ(fb->g[48], 255);
  EXPECT_EQ(fb->g[59 + 19 * 60], 255);
  // drawing reaches the new area
  cdPixel(59, 0, cdEncodeColor(1, 2, 3));
  EXPECT_EQ(fb->r[59 + 19 * 60], 1);
  cdKillCanvas(cv);
}

TEST_F(WindowCanvas, CreationDataIsChecked) {
  IupElement* unmapped = IupCreateCanvas(nullptr);
  IupElement* button = IupCreateButton("b", nullptr);
  IupElement* other = IupCreateDialog(IupCreateVbox(button, nullptr));
  IupShow(other);
  struct Case {
    const char* what;
    cdDriver* driver;
    void* data;
  };
  const Case cases[] = {
      {"CD_IUP without data", CD_IUP, nullptr},
      {"CD_IUP on a button", CD_IUP, button},
      {"CD_IUP on a dialog", CD_IUP, other},
      {"CD_IUP on an unmapped canvas", CD_IUP, unmapped},
      {"CD_NATIVEWINDOW without a window", CD_NATIVEWINDOW, nullptr},
      {"CD_NATIVEWINDOW on a button's window", CD_NATIVEWINDOW,
       IupGetAttributePointer(button, "WID")},
      {"CD_IMAGE without an image", CD_IMAGE, nullptr},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(cdCreateCanvas(c.driver, c.data), nullptr);
  }
  IupDestroy(unmapped);
  IupDestroy(other);
}

TEST_F(WindowCanvas, NativeWindowDrawsIntoTheCanvasOfItsWindow) {
  void* wid = IupGetAttributePointer(canvas_, "WID");
  ASSERT_NE(wid, nullptr);
  cdCanvasHandle cv = cdCreateCanvas(CD_NATIVEWINDOW, wid);
  ASSERT_NE(cv, nullptr);
  cdActivate(cv);
  cdPixel(0, 0, cdEncodeColor(7, 8, 9));
  iup::canvasfb::Framebuffer* fb = iup::canvasfb::Attached(canvas_);
  ASSERT_NE(fb, nullptr);
  EXPECT_EQ(fb->b[35 * 48], 9);
  cdKillCanvas(cv);
}

TEST_F(WindowCanvas, ServerImageCanvasDrawsIntoTheImage) {
  cdCanvasHandle cv = cdCreateCanvas(CD_IUP, canvas_);
  ASSERT_NE(cv, nullptr);
  cdActivate(cv);
  cdImage* image = cdCreateImage(10, 8);
  ASSERT_NE(image, nullptr);
  cdCanvasHandle on_image = cdCreateCanvas(CD_IMAGE, image);
  ASSERT_NE(on_image, nullptr);
  cdActivate(on_image);
  int w = 0, h = 0;
  cdGetCanvasSize(&w, &h, nullptr, nullptr);
  EXPECT_EQ(w, 10);
  EXPECT_EQ(h, 8);
  cdForeground(cdEncodeColor(50, 60, 70));
  cdBox(0, 4, 0, 2);  // bottom-left corner of the image
  cdKillCanvas(on_image);
  cdActivate(cv);
  cdPutImage(image, 20, 10);
  unsigned char r[2], g[2], b[2];
  cdGetImageRGB(r, g, b, 20, 10, 2, 1);
  EXPECT_EQ(r[0], 50);
  cdGetImageRGB(r, g, b, 25, 13, 1, 1);
  EXPECT_EQ(r[0], 255);
  cdKillImage(image);
  // a server image of an RGB canvas is no window image
  cdCanvasHandle rgb = cdCreateCanvas(CD_IMAGERGB, const_cast<char*>("8x8"));
  ASSERT_NE(rgb, nullptr);
  cdActivate(rgb);
  cdImage* rgb_image = cdCreateImage(4, 4);
  ASSERT_NE(rgb_image, nullptr);
  EXPECT_EQ(cdCreateCanvas(CD_IMAGE, rgb_image), nullptr);
  cdKillImage(rgb_image);
  cdKillCanvas(rgb);
  cdKillCanvas(cv);
}

// Killing the server image first must not leave its canvas drawing into
// freed memory (the sanitizer build catches that): the canvas keeps the
// picture until it is killed itself.
TEST_F(WindowCanvas, ServerImageKilledBeforeItsCanvas) {
  cdCanvasHandle cv = cdCreateCanvas(CD_IUP, canvas_);
  ASSERT_NE(cv, nullptr);
  cdActivate(cv);
  cdImage* image = cdCreateImage(6, 5);
  ASSERT_NE(image, nullptr);
  cdCanvasHandle on_image = cdCreateCanvas(CD_IMAGE, image);
  ASSERT_NE(on_image, nullptr);
  cdKillImage(image);
  cdActivate(on_image);
  cdForeground(cdEncodeColor(9, 8, 7));
  cdBox(0, 5, 0, 4);
  unsigned char r = 0, g = 0, b = 0;
  cdGetImageRGB(&r, &g, &b, 5, 4, 1, 1);
  EXPECT_EQ(r, 9);
  EXPECT_EQ(b, 7);
  cdKillCanvas(on_image);
  cdActivate(cv);
  cdKillCanvas(cv);
}

TEST_F(WindowCanvas, ElementDestroyedBeforeItsCanvas) {
  cdCanvasHandle cv = cdCreateCanvas(CD_IUP, canvas_);
  ASSERT_NE(cv, nullptr);
  IupDestroy(dialog_);
  dialog_ = nullptr;
  // the canvas keeps drawing into its picture, of the size it last had
  ASSERT_EQ(cdActivate(cv), CD_OK);
  cdBox(0, 5, 0, 5);
  IupLoopStep();
  cdKillCanvas(cv);
}

}  // namespace

namespace {

// On the headless toolkit there is no display: the clipboard and the
// printer give no canvas, say why, and a play of the clipboard fails; the
// program goes on drawing.
TEST(PlatformDrivers, NoDisplayGivesNoCanvasAndAMessage) {
  struct Case {
    cdDriver* driver;
    const char* data;
    const char* message;
  };
  for (const Case& c : {Case{CD_CLIPBOARD, "100x100 -b", "CD_CLIPBOARD: no display"},
                        Case{CD_CLIPBOARD, "100x100", "CD_CLIPBOARD: no display"},
                        Case{CD_PRINTER, "Document", "CD_PRINTER: no display"},
                        Case{CD_PRINTER, "Document -d", "CD_PRINTER: no display"}}) {
    testing::internal::CaptureStderr();
    EXPECT_EQ(cdCreateCanvas(c.driver, (void*)c.data), nullptr) << c.data;
    std::string said = testing::internal::GetCapturedStderr();
    EXPECT_NE(said.find(c.message), std::string::npos) << said;
  }
  cdCanvasHandle rgb = cdCreateCanvas(CD_IMAGERGB, (void*)"20x20");
  ASSERT_NE(rgb, nullptr);
  cdActivate(rgb);
  testing::internal::CaptureStderr();
  EXPECT_EQ(cdPlay(CD_CLIPBOARD, 0, 0, 0, 0, nullptr), CD_ERROR);
  testing::internal::GetCapturedStderr();
  cdBox(0, 19, 0, 19);
  unsigned char* r = nullptr;
  cdImageRGBPlanes(rgb, nullptr, nullptr, &r, nullptr, nullptr);
  EXPECT_EQ(r[0], 0);
  cdKillCanvas(rgb);
}

// A file that cannot be written gives no canvas and names the file.
TEST(PlatformDrivers, UnwritableFileGivesNoCanvasAndAMessage) {
  struct Case {
    cdDriver* driver;
    const char* data;
    const char* message;
  };
  for (const Case& c :
       {Case{CD_EMF, "/nonexistent-dir/a.emf 100x100",
             "CD_EMF: the file \"/nonexistent-dir/a.emf\""},
        Case{CD_WMF, "/nonexistent-dir/a.wmf 100x100",
             "CD_WMF: the file \"/nonexistent-dir/a.wmf\""},
        Case{CD_PS, "/nonexistent-dir/a.ps", "CD_PS: the file \"/nonexistent-dir/a.ps\""}}) {
    testing::internal::CaptureStderr();
    EXPECT_EQ(cdCreateCanvas(c.driver, (void*)c.data), nullptr) << c.data;
    std::string said = testing::internal::GetCapturedStderr();
    EXPECT_NE(said.find(c.message), std::string::npos) << said;
    EXPECT_NE(said.find("cannot be written"), std::string::npos) << said;
  }
}

}  // namespace
