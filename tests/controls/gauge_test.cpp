// The gauge: its attributes (a table of cases), what its window shows after
// a change, and reference pictures of its drawing on an RGB canvas.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "cd.h"
#include "golden.h"
#include "headless/iupheadless.h"
#include "iup.h"
#include "iupcanvasfb.h"
#include "iupcontrols.h"

namespace {

class Gauge : public ::testing::Test {
 protected:
  void SetUp() override {
    if (iup::CurrentDriver() == nullptr) {
      ASSERT_TRUE(iup::InstallDriver(iup::headless::NewDriver()));
    }
    iup::headless::Reset();
    IupOpen();
    iup::canvasfb::InstallHost();
    IupGaugeOpen();
    gauge_ = IupCreateGauge();
    ASSERT_NE(gauge_, nullptr);
  }
  void TearDown() override {
    IupDestroy(dialog_ != nullptr ? dialog_ : gauge_);
    iup::headless::Reset();
    IupClose();
  }
  void Show() {
    dialog_ = IupCreateDialog(gauge_);
    IupShow(dialog_);
    IupLoopStep();
  }
  // What the window shows at (x, y), y upwards.
  long ShownAt(int x, int y) {
    int w = 0, h = 0;
    const unsigned char *r, *g, *b;
    if (!iup::canvasfb::Shown(gauge_, &w, &h, &r, &g, &b) || x >= w || y >= h) return -1;
    size_t i = size_t(h - 1 - y) * w + x;
    return cdEncodeColor(r[i], g[i], b[i]);
  }
  IupElement* gauge_ = nullptr;
  IupElement* dialog_ = nullptr;
};

TEST_F(Gauge, IsACanvasOfTheGaugeClass) {
  EXPECT_STREQ(IupGetAttribute(gauge_, "TYPENAME"), "GAUGE");
  EXPECT_EQ(IupGetKind(gauge_), IUP_CANVAS);
  EXPECT_STREQ(IupGetAttribute(gauge_, "SIZE"), "180x20");
  EXPECT_STREQ(IupGetAttribute(gauge_, "EXPAND"), "NO");
  EXPECT_STREQ(IupGetAttribute(gauge_, "VALUE"), "0");
  EXPECT_STREQ(IupGetAttribute(gauge_, "SHOW_TEXT"), "YES");
  EXPECT_STREQ(IupGetAttribute(gauge_, "DASHED"), "NO");
}

// Each row: the attribute set in turn on one gauge, and what reads back.
TEST_F(Gauge, AttributesTable) {
  struct Case {
    const char* name;
    const char* value;  // null: removed
    const char* read;   // expected reading (null: none)
  } cases[] = {
      {"VALUE", "0.5", "0.5"},       {"VALUE", "1.5", "0.5"},  // above 1: ignored
      {"VALUE", "1", "1"},           {"VALUE", "-0.2", "1"},   // below 0: ignored
      {"VALUE", "abc", "1"},         {"VALUE", "0.25", "0.25"},      {"VALUE", nullptr, "0"},
      {"VALUE", " 0.125 ", "0.125"}, {"SHOW_TEXT", "NO", "NO"},      {"SHOW_TEXT", "maybe", "NO"},
      {"SHOW_TEXT", "YES", "YES"},   {"DASHED", "YES", "YES"},       {"DASHED", "yes", "YES"},
      {"DASHED", "NO", "NO"},        {"TEXT", "Working", "Working"}, {"TEXT", nullptr, nullptr},
  };
  for (const Case& c : cases) {
    IupSetAttribute(gauge_, c.name, c.value);
    const char* got = IupGetAttribute(gauge_, c.name);
    std::string where = std::string(c.name) + "=" + (c.value ? c.value : "(null)");
    if (c.read == nullptr)
      EXPECT_EQ(got, nullptr) << where;
    else
      EXPECT_STREQ(got, c.read) << where;
  }
}

TEST_F(Gauge, WindowFollowsTheValueAtOnce) {
  Show();
  int w = IupGetCurrentWidth(gauge_), h = IupGetCurrentHeight(gauge_);
  ASSERT_GT(w, 20);
  ASSERT_GT(h, 12);
  IupSetAttribute(gauge_, "SHOW_TEXT", "NO");
  IupSetAttribute(gauge_, "VALUE", "0.5");
  IupLoopStep();
  const long bar = cdEncodeColor(0, 0, 170), background = cdEncodeColor(170, 170, 170);
  int right = int((w - 7) * 0.5 + 0.5);
  EXPECT_EQ(ShownAt(7, h / 2), bar);
  EXPECT_EQ(ShownAt(right, h / 2), bar);
  EXPECT_EQ(ShownAt(right + 1, h / 2), background);
  IupSetAttribute(gauge_, "VALUE", "1.5");  // ignored: the bar stays
  IupLoopStep();
  EXPECT_EQ(ShownAt(right + 1, h / 2), background);
  IupSetAttribute(gauge_, "FGCOLOR", "255 0 0");
  IupSetAttribute(gauge_, "VALUE", "1");
  IupLoopStep();
  EXPECT_EQ(ShownAt(w - 8, h / 2), cdEncodeColor(255, 0, 0));
  // sunken border: black top and left, white bottom and right
  EXPECT_EQ(ShownAt(0, h / 2), 0);
  EXPECT_EQ(ShownAt(w / 2, h - 1), 0);
  EXPECT_EQ(ShownAt(w / 2, 0), 0xFFFFFF);
  EXPECT_EQ(ShownAt(w - 1, h / 2), 0xFFFFFF);
}

// Reference pictures: the gauge's own drawing on a 180 x 24 RGB canvas.
struct Scene {
  const char* name;
  std::vector<std::pair<const char*, const char*>> attributes;
};

TEST_F(Gauge, ReferencePictures) {
  const Scene scenes[] = {
      {"gauge_half", {{"VALUE", "0.5"}}},
      {"gauge_dashed", {{"VALUE", "0.7"}, {"DASHED", "YES"}, {"FONT", "TIMES_BOLD_10"}}},
      {"gauge_text",
       {{"VALUE", "0.3"},
        {"TEXT", "Reading."},
        {"FGCOLOR", "0 128 0"},
        {"BGCOLOR", "255 255 200"},
        {"FONT", "HELVETICA_NORMAL_8"}}},
      {"gauge_notext", {{"VALUE", "0.02"}, {"SHOW_TEXT", "NO"}}},
  };
  for (const Scene& scene : scenes) {
    IupElement* g = IupCreateGauge();
    for (auto& [name, value] : scene.attributes) IupSetAttribute(g, name, value);
    const int w = 180, h = 24;
    std::vector<unsigned char> r(w * h, 255), gr(r), b(r);
    char data[128];
    std::snprintf(data, sizeof data, "%dx%d %p %p %p", w, h, (void*)r.data(), (void*)gr.data(),
                  (void*)b.data());
    cdCanvasHandle cv = cdCreateCanvas(CD_IMAGERGB, data);
    ASSERT_NE(cv, nullptr);
    cdActivate(cv);
    IupGaugeDraw(g, w, h);
    cdKillCanvas(cv);
    IupDestroy(g);
    golden::Expect(std::string(VARKO_TEST_DATA) + "/golden/" + scene.name + ".ppm",
                   golden::Ppm(w, h, r.data(), gr.data(), b.data()));
  }
}

}  // namespace
