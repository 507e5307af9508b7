// The tabs: generated page names, switching pages by click, keys and
// "VALUE" with "TABCHANGE_CB" and inactive pages (a table of cases), the
// layout of the pages inside the strip and border, the overflow buttons,
// and reference pictures of the drawing on an RGB canvas.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "cd.h"
#include "cdwin.h"
#include "golden.h"
#include "headless/iupheadless.h"
#include "iup.h"
#include "iupcanvasfb.h"
#include "iupcontrols.h"

namespace {

namespace hl = iup::headless;

std::string& Changes() {
  static std::string changes;
  return changes;
}
int change_answer = IUP_DEFAULT;
int OnChange(IupElement*, IupElement* now, IupElement* before) {
  Changes() += std::string(IupGetAttribute(before, "TABTITLE")) + ">" +
               IupGetAttribute(now, "TABTITLE") + " ";
  return change_answer;
}

class Tabs : public ::testing::Test {
 public:
  void SetUp() override {
    if (iup::CurrentDriver() == nullptr) {
      ASSERT_TRUE(iup::InstallDriver(iup::headless::NewDriver()));
    }
    hl::Reset();
    IupOpen();
    iup::canvasfb::InstallHost();
    IupTabsOpen();
    IupBindAction("tabs_test_change", IupAsCallback(OnChange));
    Changes().clear();
    change_answer = IUP_DEFAULT;
    const char* titles[] = {"One", "Two", "Three"};
    for (int i = 0; i < 3; ++i) {
      pages_[i] = IupCreateLabel(titles[i]);
      IupSetAttribute(pages_[i], "TABTITLE", titles[i]);
    }
    tabs_ = IupCreateTabs(pages_[0], pages_[1], pages_[2], nullptr);
    ASSERT_NE(tabs_, nullptr);
    IupSetAttribute(tabs_, "TABCHANGE_CB", "tabs_test_change");
  }
  void TearDown() override {
    IupDestroy(dialog_ != nullptr ? dialog_ : tabs_);
    hl::Reset();
    IupClose();
  }
  void Show() {
    dialog_ = IupCreateDialog(tabs_);
    IupSetAttribute(dialog_, "RASTERSIZE", "300x150");
    IupShow(dialog_);
    IupLoopStep();
  }
  int Current() {
    const char* name = IupGetAttribute(tabs_, "VALUE");
    for (int i = 0; i < 3; ++i)
      if (name != nullptr && IupGetHandle(name) == pages_[i]) return i;
    return -1;
  }
  // Where the middle of tab i lies, from the documented strip layout: tabs
  // from 2 pixels in, each its title's width plus 16.
  void TabMiddle(int i, int* x, int* y) {
    cdCanvasHandle before = cdActiveCanvas();
    cdCanvasHandle c = cdCreateCanvas(CD_IUP, tabs_);
    ASSERT_NE(c, nullptr);
    cdActivate(c);
    int start = 2;
    for (int k = 0;; ++k) {
      int w = 0, h = 0;
      cdTextSize(IupGetAttribute(pages_[k], "TABTITLE"), &w, &h);
      if (k == i) {
        *x = start + (w + 16) / 2;
        break;
      }
      start += w + 16;
    }
    cdKillCanvas(c);
    if (before != nullptr) cdActivate(before);
    int cw = 0, ch = 0;
    IupGetCharSize(tabs_, &cw, &ch);
    *y = (ch + 8) / 2;  // mouse y from the top, inside the strip
  }
  void ClickTab(int i) {
    int x = 0, y = 0;
    TabMiddle(i, &x, &y);
    hl::MousePress(tabs_, '1', x, y);
    hl::MouseRelease(tabs_, '1', x, y);
    hl::DeliverNow();
  }
  IupElement* pages_[3] = {};
  IupElement* tabs_ = nullptr;
  IupElement* dialog_ = nullptr;
};

TEST_F(Tabs, IsACanvasHoldingAZboxOfThePages) {
  EXPECT_STREQ(IupGetAttribute(tabs_, "TYPENAME"), "TABS");
  EXPECT_EQ(IupGetKind(tabs_), IUP_CANVAS);
  EXPECT_STREQ(IupGetClassFormat(IupGetControlClass(tabs_)), "C");
  IupElement* zbox = IupGetChild(tabs_);
  ASSERT_NE(zbox, nullptr);
  EXPECT_EQ(IupGetKind(zbox), IUP_ZBOX);
  EXPECT_EQ(IupGetChild(zbox), pages_[0]);
  EXPECT_EQ(IupGetBrother(pages_[0]), pages_[1]);
  EXPECT_EQ(IupGetAttributePointer(tabs_, "TABS_DATA") != nullptr, true);
  EXPECT_STREQ(IupGetAttribute(tabs_, "BUTTON_CB"), "iuptabs_button_cb");
  EXPECT_STREQ(IupGetAttribute(tabs_, "K_ANY"), "iuptabs_k_any_cb");
}

// Pages without names get generated ones; the first page shows.
TEST_F(Tabs, UnnamedPagesGetNamesAndTheFirstShows) {
  for (IupElement* page : pages_) {
    const char* name = IupGetName(page);
    ASSERT_NE(name, nullptr);
    EXPECT_EQ(std::string(name).rfind("##$$@TABSNAME", 0), 0u) << name;
  }
  EXPECT_STRNE(IupGetName(pages_[0]), IupGetName(pages_[1]));
  Show();
  EXPECT_EQ(Current(), 0);
  EXPECT_STREQ(IupGetAttribute(IupGetChild(tabs_), "VALUE"), IupGetName(pages_[0]));
  EXPECT_TRUE(hl::Visible(pages_[0]));
  EXPECT_FALSE(hl::Visible(pages_[1]));
  EXPECT_FALSE(hl::Visible(pages_[2]));
}

TEST_F(Tabs, NamedPagesKeepTheirNames) {
  IupElement* page = IupCreateLabel("x");
  IupSetHandle("my_page", page);
  IupElement* tabs = IupCreateTabs(page, nullptr);
  EXPECT_STREQ(IupGetName(page), "my_page");
  EXPECT_STREQ(IupGetAttribute(tabs, "VALUE"), "my_page");
  IupDestroy(tabs);
  EXPECT_EQ(IupGetHandle("my_page"), nullptr);  // destroyed with the tabs
}

// Each row acts on the shown tabs in turn; the page shown afterwards and
// the change callbacks made.
TEST_F(Tabs, SwitchingTable) {
  Show();
  struct Case {
    const char* what;
    void (*act)(Tabs*);
    int page;
    const char* changes;
  } cases[] = {
      {"click on tab 2", [](Tabs* t) { t->ClickTab(1); }, 1, "One>Two "},
      {"click on the current tab", [](Tabs* t) { t->ClickTab(1); }, 1, ""},
      {"K_RIGHT",
       [](Tabs* t) {
         hl::Focus(t->tabs_);
         hl::TypeKey(K_RIGHT);
         hl::DeliverNow();
       },
       2, "Two>Three "},
      {"K_RIGHT on the last page",
       [](Tabs*) {
         hl::TypeKey(K_RIGHT);
         hl::DeliverNow();
       },
       2, ""},
      {"K_LEFT",
       [](Tabs*) {
         hl::TypeKey(K_LEFT);
         hl::DeliverNow();
       },
       1, "Three>Two "},
      {"the callback refuses a click",
       [](Tabs* t) {
         change_answer = IUP_IGNORE;
         t->ClickTab(0);
         change_answer = IUP_DEFAULT;
       },
       1, "Two>One "},
      {"an inactive page by click",
       [](Tabs* t) {
         IupSetAttribute(t->pages_[2], "ACTIVE", "NO");
         t->ClickTab(2);
       },
       1, ""},
      {"an inactive page by key",
       [](Tabs*) {
         hl::TypeKey(K_RIGHT);
         hl::DeliverNow();
       },
       1, ""},
      {"an inactive page by VALUE",
       [](Tabs* t) { IupSetAttribute(t->tabs_, "VALUE", IupGetName(t->pages_[2])); }, 1, ""},
      {"VALUE names a page",
       [](Tabs* t) { IupSetAttribute(t->tabs_, "VALUE", IupGetName(t->pages_[0])); }, 0,
       "Two>One "},
      {"VALUE names no page",
       [](Tabs* t) { IupSetAttribute(t->tabs_, "VALUE", IupGetName(t->dialog_)); }, 0, ""},
      {"a click below the strip",
       [](Tabs* t) {
         hl::MousePress(t->tabs_, '1', 40, 100);
         hl::MouseRelease(t->tabs_, '1', 40, 100);
         hl::DeliverNow();
       },
       0, ""},
  };
  for (const Case& c : cases) {
    Changes().clear();
    c.act(this);
    EXPECT_EQ(Current(), c.page) << c.what;
    EXPECT_EQ(Changes(), c.changes) << c.what;
    for (int i = 0; i < 3; ++i)
      EXPECT_EQ(hl::Visible(pages_[i]), i == c.page) << c.what << " " << i;
  }
}

// The pages sit 2 pixels inside the border, after the strip on its side.
TEST_F(Tabs, PagesAreLaidOutInsideTheStrip) {
  IupSetAttribute(tabs_, "FONTHEIGHT", "30");
  for (IupElement* page : pages_) IupSetAttribute(page, "EXPAND", "YES");
  Show();
  IupElement* zbox = IupGetChild(tabs_);
  const int x = IupGetX(tabs_), y = IupGetY(tabs_);
  EXPECT_EQ(IupGetX(zbox), x + 2);
  EXPECT_EQ(IupGetY(zbox), y + 2 + 30);
  EXPECT_EQ(IupGetCurrentWidth(zbox), IupGetCurrentWidth(tabs_) - 4);
  EXPECT_EQ(IupGetCurrentHeight(zbox), IupGetCurrentHeight(tabs_) - 4 - 30);
  EXPECT_EQ(IupGetCurrentWidth(pages_[1]), IupGetCurrentWidth(zbox));
  IupSetAttribute(tabs_, "TABTYPE", "LEFT");
  EXPECT_EQ(IupGetX(zbox), x + 2 + 30);
  EXPECT_EQ(IupGetY(zbox), y + 2);
  EXPECT_EQ(IupGetCurrentWidth(zbox), IupGetCurrentWidth(tabs_) - 4 - 30);
  IupSetAttribute(tabs_, "TABTYPE", "BOTTOM");
  EXPECT_EQ(IupGetX(zbox), x + 2);
  EXPECT_EQ(IupGetY(zbox), y + 2);
  EXPECT_EQ(IupGetCurrentHeight(zbox), IupGetCurrentHeight(tabs_) - 4 - 30);
  // natural size: the pages' plus strip and border
  EXPECT_EQ(IupGetNaturalHeight(tabs_), IupGetNaturalHeight(zbox) + 4 + 30);
  EXPECT_EQ(IupGetNaturalWidth(tabs_), IupGetNaturalWidth(zbox) + 4);
}

// Too narrow for its tabs: the control area's first and last thirds step
// to the previous and next page.
TEST_F(Tabs, OverflowButtonsStep) {
  Show();
  IupSetAttribute(dialog_, "RASTERSIZE", "60x80");
  IupSetAttribute(dialog_, "SHRINK", "YES");
  IupRefresh(dialog_);
  IupLoopStep();
  ASSERT_LT(IupGetCurrentWidth(tabs_), 120);
  int cw = 0, ch = 0;
  IupGetCharSize(tabs_, &cw, &ch);
  const int y = (ch + 8) / 2;
  auto press = [&](int x) {
    hl::MousePress(tabs_, '1', x, y);
    hl::MouseRelease(tabs_, '1', x, y);
    hl::DeliverNow();
  };
  press(2 + 2 * 14 + 7);  // next
  EXPECT_EQ(Current(), 1);
  press(2 + 2 * 14 + 7);
  EXPECT_EQ(Current(), 2);
  press(2 + 2 * 14 + 7);  // none after the last
  EXPECT_EQ(Current(), 2);
  press(2 + 7);  // previous
  EXPECT_EQ(Current(), 1);
  hl::AnswerMenu(nullptr);  // the menu third: dismissed, nothing changes
  press(2 + 14 + 7);
  EXPECT_EQ(Current(), 1);
}

// A change callback that destroys the whole dialog: the click ends there.
int DestroyingChange(IupElement* tabs, IupElement*, IupElement*) {
  IupDestroy(IupGetDialog(tabs));
  return IUP_DEFAULT;
}

TEST_F(Tabs, ACallbackMayDestroyTheDialog) {
  Show();
  IupBindAction("tabs_test_destroy", IupAsCallback(DestroyingChange));
  IupSetAttribute(tabs_, "TABCHANGE_CB", "tabs_test_destroy");
  const int serial = IupGetSerial(dialog_);
  ClickTab(1);
  EXPECT_EQ(IupFromSerial(serial), nullptr);
  dialog_ = nullptr;
  tabs_ = IupCreateUser();  // for TearDown
}

TEST_F(Tabs, ActionStaysTheControlsOwn) {
  IupSetAttribute(tabs_, "ACTION", "something_else");
  EXPECT_STREQ(IupGetAttribute(tabs_, "ACTION"), "iuptabs_repaint_cb");
}

TEST_F(Tabs, ReferencePictures) {
  struct Scene {
    const char* name;
    const char* type;
    int current;
    int w, h;
  } scenes[] = {
      {"tabs_top", "TOP", 1, 220, 90},
      {"tabs_left", "LEFT", 0, 160, 110},
      {"tabs_overflow", "TOP", 2, 100, 60},
  };
  for (const Scene& s : scenes) {
    IupSetAttribute(tabs_, "TABTYPE", s.type);
    IupSetAttribute(tabs_, "FONTHEIGHT", "24");
    IupSetAttribute(tabs_, "BGCOLOR", "192 192 192");
    IupSetAttribute(tabs_, "FONT", "HELVETICA_NORMAL_10");
    IupSetAttribute(tabs_, "FONT_ACTIVE", "HELVETICA_BOLD_10");
    IupSetAttribute(pages_[2], "ACTIVE", s.current == 2 ? "YES" : "NO");
    IupSetAttribute(tabs_, "TABCHANGE_CB", nullptr);
    IupSetAttribute(tabs_, "VALUE", IupGetName(pages_[s.current]));
    ASSERT_EQ(Current(), s.current) << s.name;
    std::vector<unsigned char> r(s.w * s.h, 255), g(r), b(r);
    char data[128];
    std::snprintf(data, sizeof data, "%dx%d %p %p %p", s.w, s.h, (void*)r.data(), (void*)g.data(),
                  (void*)b.data());
    cdCanvasHandle cv = cdCreateCanvas(CD_IMAGERGB, data);
    ASSERT_NE(cv, nullptr);
    cdActivate(cv);
    IupTabsDraw(tabs_, s.w, s.h);
    cdKillCanvas(cv);
    golden::Expect(std::string(VARKO_TEST_DATA) + "/golden/" + s.name + ".ppm",
                   golden::Ppm(s.w, s.h, r.data(), g.data(), b.data()));
  }
}

}  // namespace
