// The colour selection dialog: the colour model (tables of conversions both
// ways), the dialog driven by injected mouse and keys while it pops up on
// the headless toolkit, and a reference picture of the picker.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "cd.h"
#include "golden.h"
#include "headless/iupheadless.h"
#include "iup.h"
#include "iupcanvasfb.h"
#include "iupcontrols.h"

namespace {

namespace hl = iup::headless;

TEST(ColourModel, RgbToHlsTable) {
  struct Case {
    unsigned char r, g, b;
    float hue, lightness, saturation;
  } cases[] = {
      {255, 0, 0, 0, 0.5f, 1},
      {0, 255, 0, 120, 0.5f, 1},
      {0, 0, 255, 240, 0.5f, 1},
      {255, 255, 0, 60, 0.5f, 1},
      {0, 255, 255, 180, 0.5f, 1},
      {255, 0, 255, 300, 0.5f, 1},
      {128, 128, 128, 0, 128 / 255.f, 0},  // grey: no saturation, hue 0
      {255, 255, 255, 0, 1, 0},
      {0, 0, 0, 0, 0, 0},
      {255, 128, 128, 0, 383 / 510.f, 1},            // light: s from 2 - max - min
      {64, 32, 16, 20, 80 / 510.f, 0.6f},            // dark: s from max + min
      {255, 0, 64, 360 - 64 / 255.f * 60, 0.5f, 1},  // negative hue wraps
  };
  for (const Case& c : cases) {
    float h = -1, l = -1, s = -1;
    IupColorRgbToHls(c.r, c.g, c.b, &h, &l, &s);
    const std::string what =
        std::to_string(c.r) + " " + std::to_string(c.g) + " " + std::to_string(c.b);
    EXPECT_NEAR(h, c.hue, 1e-3) << what;
    EXPECT_NEAR(l, c.lightness, 1e-5) << what;
    EXPECT_NEAR(s, c.saturation, 1e-5) << what;
  }
}

TEST(ColourModel, HlsToRgbTable) {
  struct Case {
    float hue, lightness, saturation;
    unsigned char r, g, b;
  } cases[] = {
      {0, 0.5f, 1, 255, 0, 0},         {120, 0.5f, 1, 0, 255, 0},
      {240, 0.5f, 1, 0, 0, 255},       {60, 0.5f, 1, 255, 255, 0},
      {300, 0.5f, 1, 255, 0, 255},     {90, 0.5f, 1, 127, 255, 0},
      {0, 0.25f, 1, 127, 0, 0},       // dark half: scaled by 2l, truncated
      {0, 0.75f, 1, 255, 127, 127},   // light half: k + (1 - k) c
      {200, 0.5f, 0, 127, 127, 127},  // no saturation: grey
      {33, 0, 0.7f, 0, 0, 0},          {33, 1, 0.7f, 255, 255, 255},
      {180, 0.5f, 0.5f, 63, 191, 191},  // mixed halfway with grey
  };
  for (const Case& c : cases) {
    unsigned char r = 1, g = 1, b = 1;
    IupColorHlsToRgb(c.hue, c.lightness, c.saturation, &r, &g, &b);
    const std::string what = std::to_string(c.hue) + " " + std::to_string(c.lightness) + " " +
                             std::to_string(c.saturation);
    EXPECT_EQ(r, c.r) << what;
    EXPECT_EQ(g, c.g) << what;
    EXPECT_EQ(b, c.b) << what;
  }
}

// Back and forth: truncation may lose one unit, never more.
TEST(ColourModel, RoundTripLosesAtMostOneUnit) {
  for (int r = 0; r < 256; r += 17)
    for (int g = 0; g < 256; g += 51)
      for (int b = 0; b < 256; b += 85) {
        float h, l, s;
        IupColorRgbToHls(r, g, b, &h, &l, &s);
        unsigned char r2, g2, b2;
        IupColorHlsToRgb(h, l, s, &r2, &g2, &b2);
        EXPECT_LE(std::abs(r2 - r), 1) << r << " " << g << " " << b;
        EXPECT_LE(std::abs(g2 - g), 1) << r << " " << g << " " << b;
        EXPECT_LE(std::abs(b2 - b), 1) << r << " " << g << " " << b;
      }
}

// ---- the dialog on the headless toolkit ---------------------------------------

// What the "user" does while the dialog pops up: one action per idle call.
std::vector<std::function<void()>>& Script() {
  static std::vector<std::function<void()>> script;
  return script;
}
size_t script_at = 0;
int ScriptIdle() {
  if (script_at < Script().size() && hl::Pending() == 0) Script()[script_at++]();
  return IUP_DEFAULT;
}

class ColourDialog : public ::testing::Test {
 protected:
  void SetUp() override {
    if (iup::CurrentDriver() == nullptr) {
      ASSERT_TRUE(iup::InstallDriver(iup::headless::NewDriver()));
    }
    hl::Reset();
    IupOpen();
    iup::canvasfb::InstallHost();
    IupColorDlgOpen();
    Script().clear();
    script_at = 0;
    IupSetIdle(ScriptIdle);
  }
  void TearDown() override {
    IupSetIdle(nullptr);
    hl::Reset();
    IupClose();
  }
  static IupElement* Part(const char* name) { return IupColorDlgElement(name); }
  static std::string Field(const char* name) {
    const char* v = IupGetAttribute(Part(name), "VALUE");
    return v != nullptr ? v : "(null)";
  }
  // Runs the dialog on a colour; the script's last action should close it.
  int Pick(unsigned char* r, unsigned char* g, unsigned char* b) {
    return IupPickColor(IUP_CENTER, IUP_CENTER, r, g, b);
  }
  // A press and release of the left button on the picker, y upwards.
  static void ClickPicker(int x, int y) {
    hl::MousePress(Part("PICKER"), '1', x, 180 - y);
    hl::MouseRelease(Part("PICKER"), '1', x, 180 - y);
  }
  // What the picker's window shows at (x, y), y upwards.
  static long PickerShows(int x, int y) {
    int w = 0, h = 0;
    const unsigned char *r, *g, *b;
    if (!iup::canvasfb::Shown(Part("PICKER"), &w, &h, &r, &g, &b) || x >= w || y >= h) return -1;
    const size_t i = size_t(h - 1 - y) * w + x;
    return cdEncodeColor(r[i], g[i], b[i]);
  }
  static long PreviewShows(int x, int y) {
    int w = 0, h = 0;
    const unsigned char *r, *g, *b;
    if (!iup::canvasfb::Shown(Part("PREVIEW"), &w, &h, &r, &g, &b) || x >= w || y >= h) return -1;
    const size_t i = size_t(h - 1 - y) * w + x;
    return cdEncodeColor(r[i], g[i], b[i]);
  }
};

TEST_F(ColourDialog, IsBuiltAsDescribed) {
  IupElement* dialog = Part("DIALOG");
  ASSERT_NE(dialog, nullptr);
  EXPECT_STREQ(IupGetAttribute(dialog, "TITLE"), "Color Selection");
  EXPECT_STREQ(IupGetAttribute(dialog, "RESIZE"), "NO");
  EXPECT_STREQ(IupGetAttribute(dialog, "MAXBOX"), "NO");
  EXPECT_NE(IupGetAttributePointer(dialog, "_iup_getcolor_context_"), nullptr);
  EXPECT_STREQ(IupGetAttribute(Part("PICKER"), "RASTERSIZE"), "181x181");
  EXPECT_STREQ(IupGetAttribute(Part("PREVIEW"), "RASTERSIZE"), "80x50");
  EXPECT_STREQ(IupGetAttribute(Part("RED"), "K_CR"), "iup_rgb_k_cr");
  EXPECT_STREQ(IupGetAttribute(Part("HUE"), "KILLFOCUS_CB"), "iup_hls_k_cr");
  EXPECT_STREQ(IupGetAttribute(Part("PICKER"), "K_ANY"), "iup_hls_k_any");
  EXPECT_STREQ(IupGetAttribute(Part("OK"), "TITLE"), "OK");
  EXPECT_STREQ(IupGetAttribute(Part("CANCEL"), "TITLE"), "Cancel");
  EXPECT_EQ(Part("NOSUCH"), nullptr);
  EXPECT_EQ(Part("DIALOG"), dialog);  // one dialog per process
}

// Opening with a colour shows it in every field; Cancel returns 0 and
// leaves the caller's colour alone.
TEST_F(ColourDialog, OpeningShowsTheColourAndCancelKeepsIt) {
  struct Case {
    unsigned char r, g, b;
    const char *hue, *lum, *sat;
  } cases[] = {
      {255, 0, 0, "0", "0.50", "1.00"},
      {128, 128, 128, "0", "0.50", "0.00"},
      {0, 0, 255, "240", "0.50", "1.00"},
  };
  for (const Case& c : cases) {
    Script() = {[] {
      ClickPicker(5, 5);  // a corner: neither ring nor triangle, nothing changes
      hl::Click(Part("CANCEL"));
    }};
    script_at = 0;
    unsigned char r = c.r, g = c.g, b = c.b;
    EXPECT_EQ(Pick(&r, &g, &b), 0);
    EXPECT_EQ(r, c.r);
    EXPECT_EQ(g, c.g);
    EXPECT_EQ(b, c.b);
    EXPECT_EQ(Field("RED"), std::to_string(c.r));
    EXPECT_EQ(Field("GREEN"), std::to_string(c.g));
    EXPECT_EQ(Field("BLUE"), std::to_string(c.b));
    EXPECT_EQ(Field("HUE"), c.hue);
    EXPECT_EQ(Field("LUM"), c.lum);
    EXPECT_EQ(Field("SAT"), c.sat);
  }
}

// The hue marker of pure red sits at the right of the ring: the marker is
// drawn in exclusive-or over the ring's red, which turns cyan there.
TEST_F(ColourDialog, RedPutsTheHueMarkerAtTheRight) {
  long right = 0, left = 0;
  Script() = {[&] {
    for (int dx = -4; dx <= 4; ++dx)
      for (int dy = -4; dy <= 4; ++dy) {
        // red XOR white has no red and full blue; cyan XOR white is red
        const long at_right = PickerShows(171 + dx, 90 + dy),
                   at_left = PickerShows(9 + dx, 90 + dy);
        if ((at_right >> 16) == 0 && (at_right & 255) == 255 && ((at_right >> 8) & 255) > 200)
          ++right;
        if ((at_left >> 16) == 255 && (at_left & 255) == 0) ++left;
      }
    hl::Click(Part("CANCEL"));
  }};
  unsigned char r = 255, g = 0, b = 0;
  EXPECT_EQ(Pick(&r, &g, &b), 0);
  EXPECT_GT(right, 3);  // marker pixels at the right
  EXPECT_EQ(left, 0);   // the left side of the ring is cyan, unmarked
}

// Presses on the ring choose the hue of their angle; on the triangle its
// lightness and saturation; OK hands the colour back.
TEST_F(ColourDialog, PickingOnTheRingAndTriangle) {
  struct Case {
    unsigned char r, g, b;  // opened with
    int x, y;               // pressed, y upwards
    unsigned char wr, wg, wb;
    const char *hue, *lum, *sat;
  } cases[] = {
      {0, 0, 255, 171, 90, 255, 0, 0, "0", "0.50", "1.00"},      // ring, right: red
      {0, 0, 255, 90, 171, 127, 255, 0, "90", "0.50", "1.00"},   // ring, top
      {255, 0, 0, 50, 90, 127, 127, 127, "0", "0.50", "0.00"},   // triangle, left edge
      {0, 255, 0, 158, 90, 0, 255, 0, "120", "0.50", "1.00"},    // triangle, tip
      {255, 0, 0, 55, 135, 239, 227, 227, "0", "0.92", "0.28"},  // near the top
      // the bottom tip, where a row has no width: black, not a division by 0
      {255, 0, 0, 47, 36, 0, 0, 0, "0", "0.00", "0.00"},
  };
  for (const Case& c : cases) {
    Script() = {[&] { ClickPicker(c.x, c.y); }, [] { hl::Click(Part("OK")); }};
    script_at = 0;
    unsigned char r = c.r, g = c.g, b = c.b;
    const std::string what = std::to_string(c.x) + "," + std::to_string(c.y);
    EXPECT_EQ(Pick(&r, &g, &b), 1) << what;
    EXPECT_EQ(r, c.wr) << what;
    EXPECT_EQ(g, c.wg) << what;
    EXPECT_EQ(b, c.wb) << what;
    EXPECT_EQ(Field("HUE"), c.hue) << what;
    EXPECT_EQ(Field("LUM"), c.lum) << what;
    EXPECT_EQ(Field("SAT"), c.sat) << what;
  }
}

TEST_F(ColourDialog, DraggingTheHueFollowsTheMouseUntilRelease) {
  IupElement* picker = Part("PICKER");
  Script() = {[&] {
                hl::MousePress(picker, '1', 171, 90);  // hue 0
                hl::MouseMotion(picker, 90, 9);        // top: hue 90
              },
              [&] {
                hl::MouseRelease(picker, '1', 90, 9);
                hl::MouseMotion(picker, 9, 90);  // after the release: nothing
              },
              [] { hl::Click(Part("OK")); }};
  unsigned char r = 0, g = 0, b = 255;
  EXPECT_EQ(Pick(&r, &g, &b), 1);
  EXPECT_EQ(Field("HUE"), "90");
  EXPECT_EQ(r, 127);
  EXPECT_EQ(g, 255);
  EXPECT_EQ(b, 0);
}

// The arrow keys move the triangle marker by one pixel.
TEST_F(ColourDialog, ArrowKeysMoveTheTriangleMarker) {
  Script() = {[] {
                hl::Focus(Part("PICKER"));
                hl::TypeKey(K_UP);
                hl::TypeKey(K_UP);
                hl::TypeKey(K_LEFT);
              },
              [] { hl::Click(Part("OK")); }};
  unsigned char r = 128, g = 128, b = 128;  // marker at (50, 90): lightness 0.5
  EXPECT_EQ(Pick(&r, &g, &b), 1);
  EXPECT_EQ(Field("LUM"), "0.52");  // (92 - 36) / 108
  EXPECT_EQ(Field("SAT"), "0.00");  // left of the edge: held at it
}

// In a field the arrow keys are the field's: the marker stays.
TEST_F(ColourDialog, ArrowKeysInAFieldLeaveTheMarker) {
  Script() = {[] {
                hl::Focus(Part("RED"));
                hl::TypeKey(K_UP);
              },
              [] { hl::Click(Part("CANCEL")); }};
  unsigned char r = 128, g = 128, b = 128;
  EXPECT_EQ(Pick(&r, &g, &b), 0);
  EXPECT_EQ(Field("LUM"), "0.50");
}

// Typed values: RGB clamped to 0..255; HLS read as numbers.
TEST_F(ColourDialog, TypedFieldsTable) {
  struct Case {
    const char* field;
    const char* typed;
    unsigned char wr, wg, wb;
    const char *hue, *lum, *sat;
  } cases[] = {
      {"RED", "300", 255, 10, 10, "0", "0.52", "1.00"},   // above 255: 255
      {"GREEN", "-7", 10, 0, 10, "300", "0.02", "1.00"},  // negative: 0
      {"BLUE", "200", 10, 10, 200, "240", "0.41", "0.90"},
      {"HUE", "120", 10, 10, 10, "120", "0.04", "0.00"},  // grey stays grey
      {"LUM", "0.5", 127, 127, 127, "0", "0.5", "0.00"},  // HLS fields stay as typed
      {"LUM", "0x5", 0, 0, 0, "0", "0x5", "0.00"},        // decimal only: 0, not hex 5
  };
  for (const Case& c : cases) {
    // the field takes the focus first (the field left runs its own update)
    Script() = {[&] { hl::Focus(Part(c.field)); },
                [&] {
                  IupSetAttribute(Part(c.field), "VALUE", c.typed);
                  hl::PressEnter();
                },
                [] { hl::Click(Part("OK")); }};
    script_at = 0;
    unsigned char r = 10, g = 10, b = 10;
    EXPECT_EQ(Pick(&r, &g, &b), 1) << c.field;
    EXPECT_EQ(r, c.wr) << c.field << "=" << c.typed;
    EXPECT_EQ(g, c.wg) << c.field << "=" << c.typed;
    EXPECT_EQ(b, c.wb) << c.field << "=" << c.typed;
    EXPECT_EQ(Field("HUE"), c.hue) << c.field << "=" << c.typed;
    EXPECT_EQ(Field("LUM"), c.lum) << c.field << "=" << c.typed;
    EXPECT_EQ(Field("SAT"), c.sat) << c.field << "=" << c.typed;
  }
}

// Keys typed into the fields: each field's mask refuses what would leave
// its range (the text is what the field holds after the keys).
TEST_F(ColourDialog, FieldMasksRefuseKeys) {
  struct Case {
    const char* field;
    const char* keys;
    const char* shown;
  } cases[] = {
      {"RED", "255", "255"},    {"RED", "256", "25"},  {"GREEN", "2a5", "25"},
      {"BLUE", "300", "30"},    {"BLUE", "-1", "1"},   {"HUE", "359", "359"},
      {"HUE", "360", "36"},     {"HUE", "400", "40"},  {"LUM", "0.55", "0.55"},
      {"LUM", "0.555", "0.55"}, {"SAT", "2", ""},      {"SAT", "1.", "1"},
      {"SAT", "10", "1"},       {"LUM", "0,5", "0,5"},  // the pattern's '.' is any character
  };
  for (const Case& c : cases) {
    std::string shown = "(not run)";
    // the focus first: leaving the last field refreshes them all
    Script() = {[&] { hl::Focus(Part(c.field)); },
                [&] {
                  IupSetAttribute(Part(c.field), "VALUE", "");
                  for (const char* k = c.keys; *k != 0; k++) hl::TypeKey(*k);
                },
                [&] {
                  shown = Field(c.field);
                  hl::Click(Part("CANCEL"));
                }};
    script_at = 0;
    unsigned char r = 10, g = 10, b = 10;
    EXPECT_EQ(Pick(&r, &g, &b), 0);
    EXPECT_EQ(shown, c.shown) << c.field << " typed " << c.keys;
  }
  // each field carries its own pattern
  EXPECT_STREQ(IupGetAttribute(Part("RED"), "iupmaskMASK"),
               "/d|/d/d|1/d/d|2(0|1|2|3|4)/d|25(0|1|2|3|4|5)");
  EXPECT_STREQ(IupGetAttribute(Part("HUE"), "iupmaskMASK"), "/d|/d/d|(1|2)/d/d|3(0|1|2|3|4|5)/d");
  EXPECT_STREQ(IupGetAttribute(Part("SAT"), "iupmaskMASK"), "0|(0./d)|(0./d/d)|1");
}

// The preview: the colour inside a sunken one-pixel bevel made from the
// dialog background.
TEST_F(ColourDialog, PreviewShowsTheColourInABevel) {
  long inside = -1, top = -1, left = -1, bottom = -1, right = -1;
  Script() = {[&] {
    inside = PreviewShows(40, 25);
    top = PreviewShows(40, 49);
    left = PreviewShows(0, 25);
    bottom = PreviewShows(40, 0);
    right = PreviewShows(79, 25);
    hl::Click(Part("CANCEL"));
  }};
  unsigned char r = 20, g = 140, b = 220;
  EXPECT_EQ(Pick(&r, &g, &b), 0);
  int br = 0, bg = 0, bb = 0;
  ASSERT_TRUE(iup::ParseColor(IupGetAttribute(Part("DIALOG"), "BGCOLOR"), &br, &bg, &bb));
  auto dark = [](int c) { return static_cast<unsigned char>(c * 2 / 3); };
  auto light = [](int c) { return static_cast<unsigned char>(c + (255 - c) / 2); };
  EXPECT_EQ(inside, cdEncodeColor(20, 140, 220));
  EXPECT_EQ(top, cdEncodeColor(dark(br), dark(bg), dark(bb)));
  EXPECT_EQ(left, cdEncodeColor(dark(br), dark(bg), dark(bb)));
  EXPECT_EQ(bottom, cdEncodeColor(light(br), light(bg), light(bb)));
  EXPECT_EQ(right, cdEncodeColor(light(br), light(bg), light(bb)));
}

// The dialog is kept between uses: a second pick starts from its colour.
TEST_F(ColourDialog, SecondUseStartsFromTheNewColour) {
  Script() = {[] { hl::Click(Part("OK")); }};
  unsigned char r = 1, g = 2, b = 3;
  EXPECT_EQ(Pick(&r, &g, &b), 1);
  EXPECT_EQ(r, 1);
  EXPECT_EQ(g, 2);
  EXPECT_EQ(b, 3);
  script_at = 0;
  r = 250, g = 251, b = 252;
  EXPECT_EQ(Pick(&r, &g, &b), 1);
  EXPECT_EQ(Field("RED"), "250");
  EXPECT_EQ(Field("BLUE"), "252");
  EXPECT_FALSE(hl::Visible(Part("DIALOG")));  // hidden between uses
}

// A request while the dialog is up is refused at once; the running one
// goes on with its own colour.
TEST_F(ColourDialog, ARequestWhileUpIsRefused) {
  int inner = -1;
  unsigned char ir = 9, ig = 9, ib = 9;
  Script() = {[&] { inner = IupPickColor(IUP_CENTER, IUP_CENTER, &ir, &ig, &ib); },
              [] { hl::Click(Part("OK")); }};
  unsigned char r = 10, g = 20, b = 30;
  EXPECT_EQ(Pick(&r, &g, &b), 1);
  EXPECT_EQ(inner, 0);
  EXPECT_EQ(ir + ig + ib, 27);
  EXPECT_EQ(r, 10);
  EXPECT_EQ(g, 20);
  EXPECT_EQ(b, 30);
}

TEST(ColourPicture, ReferencePicture) {
  const int w = 181 + 10 + 80, h = 181;
  std::vector<unsigned char> r(w * h, 255), g(r), b(r);
  char data[128];
  std::snprintf(data, sizeof data, "%dx%d %p %p %p", w, h, (void*)r.data(), (void*)g.data(),
                (void*)b.data());
  cdCanvasHandle cv = cdCreateCanvas(CD_IMAGERGB, data);
  ASSERT_NE(cv, nullptr);
  cdActivate(cv);
  IupColorPickerDraw(200, 60, 40, cdEncodeColor(192, 192, 192));
  cdKillCanvas(cv);
  golden::Expect(std::string(VARKO_TEST_DATA) + "/golden/colordlg_picker.ppm",
                 golden::Ppm(w, h, r.data(), g.data(), b.data()));
}

}  // namespace
