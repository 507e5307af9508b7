// The valuator: creation by orientation, its attributes, dragging and
// stepping with real (injected) mouse events on the headless toolkit,
// ranges given backwards or empty, and reference pictures.
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

std::vector<double>& Moves() {
  static std::vector<double> moves;
  return moves;
}
std::string& Events() {
  static std::string events;
  return events;
}
int OnMove(IupElement*, double value) {
  Moves().push_back(value);
  return IUP_DEFAULT;
}
int OnPress(IupElement*, double) {
  Events() += "press ";
  return IUP_DEFAULT;
}
int OnRelease(IupElement*, double) {
  Events() += "release ";
  return IUP_DEFAULT;
}
int idle_calls = 0;
int CountingIdle() {
  ++idle_calls;
  return IUP_DEFAULT;
}

class Valuator : public ::testing::Test {
 protected:
  void SetUp() override {
    if (iup::CurrentDriver() == nullptr) {
      ASSERT_TRUE(iup::InstallDriver(iup::headless::NewDriver()));
    }
    iup::headless::Reset();
    IupOpen();
    iup::canvasfb::InstallHost();
    IupValOpen();
    IupBindAction("val_test_move", IupAsCallback(OnMove));
    IupBindAction("val_test_press", IupAsCallback(OnPress));
    IupBindAction("val_test_release", IupAsCallback(OnRelease));
    Moves().clear();
    Events().clear();
    idle_calls = 0;
  }
  void TearDown() override {
    if (dialog_ != nullptr) IupDestroy(dialog_);
    IupSetIdle(nullptr);
    iup::headless::Reset();
    IupClose();
  }
  IupElement* Shown(const char* orientation) {
    IupElement* val = IupCreateVal(orientation);
    IupSetAttribute(val, "MOUSEMOVE_CB", "val_test_move");
    IupSetAttribute(val, "BUTTON_PRESS_CB", "val_test_press");
    IupSetAttribute(val, "BUTTON_RELEASE_CB", "val_test_release");
    dialog_ = IupCreateDialog(val);
    IupShow(dialog_);
    IupLoopStep();
    w_ = IupGetCurrentWidth(val), h_ = IupGetCurrentHeight(val);
    return val;
  }
  // Mouse y for a position along a vertical valuator (y upwards).
  int YOf(int along) const { return h_ - 1 - along; }
  double Value(IupElement* val) { return IupGetAttributeReal(val, "VALUE"); }
  IupElement* dialog_ = nullptr;
  int w_ = 0, h_ = 0;
};

TEST_F(Valuator, OrientationGivesSizeAndMotion) {
  struct Case {
    const char* orientation;
    const char* size;
    const char* motion;
  } cases[] = {{"VERTICAL", "15x80", "iupvaluatormotionv"},
               {"HORIZONTAL", "80x18", "iupvaluatormotionh"},
               {"DIAGONAL", nullptr, nullptr},
               {nullptr, nullptr, nullptr}};
  for (const Case& c : cases) {
    IupElement* val = IupCreateVal(c.orientation);
    ASSERT_NE(val, nullptr);
    std::string what = c.orientation ? c.orientation : "(null)";
    EXPECT_STREQ(IupGetAttribute(val, "TYPENAME"), "VAL") << what;
    EXPECT_STREQ(IupGetOwnAttribute(val, "SIZE"), c.size) << what;
    EXPECT_STREQ(IupGetOwnAttribute(val, "MOTION_CB"), c.motion) << what;
    EXPECT_STREQ(IupGetAttribute(val, "BORDER"), "NO") << what;
    IupDestroy(val);
  }
}

TEST_F(Valuator, AttributesAreTakenAsGiven) {
  IupElement* val = IupCreateVal("VERTICAL");
  struct Case {
    const char* name;
    const char* value;
    const char* reads;  // "VALUE" afterwards
  } cases[] = {
      {"VALUE", "0.25", "0.250000"},  {"MAX", "0.5", "0.250000"},
      {"VALUE", "2", "2.000000"},  // not clamped
      {"VALUE", "junk", "2.000000"},  {"VALUE", nullptr, "0.000000"},
      {"VALUE", "-3.5", "-3.500000"},
  };
  for (const Case& c : cases) {
    IupSetAttribute(val, c.name, c.value);
    EXPECT_STREQ(IupGetAttribute(val, "VALUE"), c.reads)
        << c.name << "=" << (c.value ? c.value : "(null)");
  }
  IupDestroy(val);
}

TEST_F(Valuator, DraggingUpwardsRaisesTheValueUpToMax) {
  IupElement* val = Shown("VERTICAL");
  ASSERT_GT(h_, 40);
  const int x = w_ / 2, handle = int(0.05 * h_ + 2) + int(0.1 * h_);
  iup::headless::MousePress(val, '1', x, YOf(handle));
  iup::headless::MouseMotion(val, x, YOf(handle + 10));
  iup::headless::DeliverNow();
  const int travel = int(0.7 * h_ - 4);
  EXPECT_NEAR(Value(val), 10.0 / travel, 1e-6);
  iup::headless::MouseMotion(val, x, YOf(handle + 10 + 3 * h_));
  iup::headless::MouseRelease(val, '1', x, YOf(handle + 10 + 3 * h_));
  iup::headless::DeliverNow();
  EXPECT_DOUBLE_EQ(Value(val), 1.0);
  ASSERT_EQ(Moves().size(), 2u);
  EXPECT_DOUBLE_EQ(Moves().back(), 1.0);
  EXPECT_EQ(Events(), "press release ");
  // motion without the button down moves nothing
  iup::headless::MouseMotion(val, x, YOf(0));
  iup::headless::DeliverNow();
  EXPECT_DOUBLE_EQ(Value(val), 1.0);
}

TEST_F(Valuator, PressingInTheGrooveStepsAtIdleKeepingTheIdleFunction) {
  IupSetIdle(CountingIdle);
  IupElement* val = Shown("VERTICAL");
  const int x = w_ / 2, above = int(0.8 * h_);
  iup::headless::MousePress(val, '1', x, YOf(above));
  iup::headless::DeliverNow();
  const int before = idle_calls;
  for (int i = 0; i < 5; i++) IupLoopStep();
  EXPECT_NEAR(Value(val), 0.05, 1e-9);
  EXPECT_EQ(idle_calls - before, 5) << "the previous idle function keeps running";
  iup::headless::MouseRelease(val, '1', x, YOf(above));
  iup::headless::DeliverNow();
  for (int i = 0; i < 3; i++) IupLoopStep();
  EXPECT_NEAR(Value(val), 0.05, 1e-9) << "stepping ends with the release";
  EXPECT_EQ(IupSetIdle(CountingIdle), CountingIdle) << "the idle function is bound again";
  // below the handle at the top: steps down and stops at MIN
  IupSetAttribute(val, "VALUE", "0.02");
  iup::headless::MousePress(val, '1', x, YOf(int(0.05 * h_) + 3));
  iup::headless::DeliverNow();
  IupSetAttribute(val, "VALUE", "1");
  iup::headless::MouseRelease(val, '1', x, YOf(int(0.05 * h_) + 3));
  iup::headless::DeliverNow();
  EXPECT_EQ(Events(), "press release press release ");
}

TEST_F(Valuator, BackwardsAndEmptyRangesStayInside) {
  IupElement* val = Shown("HORIZONTAL");
  const int y = h_ / 2;
  struct Case {
    const char* min;
    const char* max;
    double low, high;
  } cases[] = {{"1", "0", 0, 1}, {"5", "5", 5, 5}, {"10", "-10", -10, 10}};
  for (const Case& c : cases) {
    IupSetAttribute(val, "MIN", c.min);
    IupSetAttribute(val, "MAX", c.max);
    IupSetAttribute(val, "VALUE", c.min);
    // drag far right, step in the groove, drag far left
    const int handle = int(0.05 * w_ + 2) + int(0.1 * w_);
    iup::headless::MousePress(val, '1', handle, y);
    iup::headless::MouseMotion(val, handle + 5 * w_, y);
    iup::headless::MouseRelease(val, '1', handle + 5 * w_, y);
    iup::headless::MousePress(val, '1', int(0.9 * w_), y);
    iup::headless::DeliverNow();
    for (int i = 0; i < 3; i++) IupLoopStep();
    iup::headless::MouseRelease(val, '1', int(0.9 * w_), y);
    iup::headless::DeliverNow();
    double v = Value(val);
    EXPECT_GE(v, c.low) << c.min << ".." << c.max;
    EXPECT_LE(v, c.high) << c.min << ".." << c.max;
    if (c.low == c.high) {
      EXPECT_DOUBLE_EQ(v, c.low);
    }
  }
}

// A value given before the valuator is shown: the window shows the handle
// there (the handle stood at the start when the first resize came before
// the canvas had a screen).
TEST_F(Valuator, AShownValuatorDrawsItsHandleAtItsValue) {
  struct Case {
    const char* orientation;
    const char* value;
    double fraction;
  } cases[] = {{"HORIZONTAL", "0.8", 0.8}, {"HORIZONTAL", "0.25", 0.25}, {"VERTICAL", "0.6", 0.6}};
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.orientation) + " " + c.value);
    IupElement* val = IupCreateVal(c.orientation);
    IupSetAttribute(val, "VALUE", c.value);
    dialog_ = IupCreateDialog(val);
    IupShow(dialog_);
    IupLoopStep();
    int w = 0, h = 0;
    const unsigned char *r = nullptr, *g = nullptr, *b = nullptr;
    ASSERT_TRUE(iup::canvasfb::Shown(val, &w, &h, &r, &g, &b));
    const bool vertical = std::string(c.orientation) == "VERTICAL";
    const int length = vertical ? h : w;
    // the handle's face (grey 160) along the middle line, from the start
    int first = -1;
    for (int along = 0; along < length && first < 0; ++along) {
      const int x = vertical ? w / 2 : along, y = vertical ? h - 1 - along : h / 2;
      if (r[y * w + x] == 160 && g[y * w + x] == 160) first = along;
    }
    const int travel = static_cast<int>(0.7 * length - 4);
    const int expected = static_cast<int>(travel * c.fraction + 0.05 * length + 2);
    EXPECT_NEAR(first, expected, 2);
    IupDestroy(dialog_);
    dialog_ = nullptr;
  }
}

TEST_F(Valuator, ReferencePictures) {
  struct Scene {
    const char* name;
    const char* orientation;
    const char* value;
    int w, h;
  } scenes[] = {{"val_vertical", "VERTICAL", "0.3", 22, 130},
                {"val_horizontal", "HORIZONTAL", "0.7", 120, 24}};
  for (const Scene& s : scenes) {
    IupElement* val = IupCreateVal(s.orientation);
    IupSetAttribute(val, "VALUE", s.value);
    std::vector<unsigned char> r(size_t(s.w * s.h), 255), g(r), b(r);
    char data[128];
    std::snprintf(data, sizeof data, "%dx%d %p %p %p", s.w, s.h, (void*)r.data(), (void*)g.data(),
                  (void*)b.data());
    cdCanvasHandle cv = cdCreateCanvas(CD_IMAGERGB, data);
    ASSERT_NE(cv, nullptr);
    cdActivate(cv);
    IupValDraw(val, s.w, s.h);
    cdKillCanvas(cv);
    IupDestroy(val);
    golden::Expect(std::string(VARKO_TEST_DATA) + "/golden/" + s.name + ".ppm",
                   golden::Ppm(s.w, s.h, r.data(), g.data(), b.data()));
  }
}

}  // namespace
