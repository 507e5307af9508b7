// Canvas scrollbars and pointer crossing on the GTK driver under Xvfb, with
// real input from xdotool: "SCROLL_CB" operations and positions, the thumb
// following "POSY", "ENTERWINDOW_CB" and "LEAVEWINDOW_CB".
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "gtkfixture.h"
#include "gtkprobe.h"
#include "iup.h"

namespace {

struct Scroll {
  int op;
  float posx, posy;
};
std::vector<Scroll> g_scrolls;
std::vector<std::string> g_crossings;

int OnScroll(IupElement*, int op, float posx, float posy) {
  g_scrolls.push_back({op, posx, posy});
  return IUP_DEFAULT;
}
int OnEnter(IupElement*) {
  g_crossings.push_back("enter");
  return IUP_DEFAULT;
}
int OnLeave(IupElement*) {
  g_crossings.push_back("leave");
  return IUP_DEFAULT;
}

// Runs the loop until done() holds or five seconds pass.
bool PumpUntil(const std::function<bool()>& done) {
  const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(5);
  while (std::chrono::steady_clock::now() < end) {
    IupLoopStep();
    if (done()) return true;
  }
  return false;
}

void Pump(int milliseconds) {
  const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
  while (std::chrono::steady_clock::now() < end) IupLoopStep();
}

void Xdo(const std::string& command) {
  ASSERT_TRUE(gtkprobe::Xdo(command)) << command;
}

class CanvasInput : public gtkprobe::ToolkitTest {
 protected:
  void SetUp() override {
    ToolkitTest::SetUp();
    if (HasFatalFailure()) return;
    IupBindAction("test_scroll", IupAsCallback(OnScroll));
    IupBindAction("test_enter", OnEnter);
    IupBindAction("test_leave", OnLeave);
    canvas_ = IupCreateCanvas(nullptr);
    IupSetAttribute(canvas_, "RASTERSIZE", "200x150");
    IupSetAttribute(canvas_, "SCROLLBAR", "YES");
    IupSetAttribute(canvas_, "YMIN", "0");
    IupSetAttribute(canvas_, "YMAX", "1");
    IupSetAttribute(canvas_, "DY", "0.25");
    IupSetAttribute(canvas_, "POSY", "0");
    IupSetAttribute(canvas_, "XMIN", "0");
    IupSetAttribute(canvas_, "XMAX", "100");
    IupSetAttribute(canvas_, "DX", "50");
    IupSetAttribute(canvas_, "POSX", "0");
    IupSetAttribute(canvas_, "SCROLL_CB", "test_scroll");
    IupSetAttribute(canvas_, "ENTERWINDOW_CB", "test_enter");
    IupSetAttribute(canvas_, "LEAVEWINDOW_CB", "test_leave");
    IupElement* label = IupCreateLabel("outside");
    IupSetAttribute(label, "RASTERSIZE", "200x40");
    dialog_ = IupCreateDialog(IupCreateVbox(canvas_, label, nullptr));
    IupSetAttribute(dialog_, "TITLE", "gtk-canvas-input");
    IupShowXY(dialog_, 100, 100);
    Pump(500);  // the window reaches the server only through the loop
    window_ = gtkprobe::XWindow("gtk-canvas-input");
    ASSERT_FALSE(window_.empty());
    Pump(200);
    g_scrolls.clear();
    g_crossings.clear();
  }
  void TearDown() override {
    IupDestroy(dialog_);
    ToolkitTest::TearDown();
  }
  void Click(int x, int y) {
    Xdo("mousemove --window " + window_ + " " + std::to_string(x) + " " + std::to_string(y) +
        " click 1");
  }

  IupElement* canvas_ = nullptr;
  IupElement* dialog_ = nullptr;
  std::string window_;
};

// The vertical bar runs down the right edge of the 200 x 150 canvas, above
// the horizontal bar; with "POSY" 0.5 its thumb sits in the middle.
TEST_F(CanvasInput, ScrollbarStepsReportOperationsAndLeaveThePositionToTheApplication) {
  struct Case {
    const char* what;
    int x, y;
    int op;
    float posy;  // passed to the callback
  } cases[] = {
      {"trough below the thumb: page down", 194, 125, IUP_SBPGDN, 22500.0f / 30000},
      {"trough above the thumb: page up", 194, 10, IUP_SBPGUP, 7500.0f / 30000},
  };
  IupSetAttribute(canvas_, "POSY", "0.5");
  Pump(100);
  for (const Case& c : cases) {
    g_scrolls.clear();
    const float before = IupGetAttributeReal(canvas_, "POSY");
    Click(c.x, c.y);
    ASSERT_TRUE(PumpUntil([] { return !g_scrolls.empty(); })) << c.what;
    EXPECT_EQ(g_scrolls[0].op, c.op) << c.what;
    EXPECT_NEAR(g_scrolls[0].posy, c.posy, 1e-4) << c.what;
    EXPECT_FLOAT_EQ(IupGetAttributeReal(canvas_, "POSY"), before) << c.what << ": not stored";
    Pump(200);
    ASSERT_GE(g_scrolls.size(), 2u) << c.what;
    EXPECT_EQ(g_scrolls.back().op, IUP_SBPOSV) << c.what << ": scrolling ended on release";
  }
}

TEST_F(CanvasInput, DraggingTheThumbStoresPositionsAndEndsWithTheLastOne) {
  // the thumb covers the top quarter of the bar below the upper arrow
  Xdo("mousemove --window " + window_ + " 194 30 mousedown 1");
  Pump(100);
  Xdo("mousemove_relative 0 20");
  Pump(100);
  Xdo("mousemove_relative 0 20 mouseup 1");
  ASSERT_TRUE(PumpUntil([] { return !g_scrolls.empty() && g_scrolls.back().op == IUP_SBPOSV; }));
  ASSERT_GE(g_scrolls.size(), 2u);
  for (size_t i = 0; i + 1 < g_scrolls.size(); ++i) EXPECT_EQ(g_scrolls[i].op, IUP_SBDRAGV) << i;
  const float last = g_scrolls.back().posy;
  EXPECT_GT(last, 0.1f);
  EXPECT_LT(last, 0.75f + 1e-4f);
  EXPECT_NEAR(IupGetAttributeReal(canvas_, "POSY"), last, 1e-5)
      << "the dragged position is stored (as \"%g\" text)";
}

TEST_F(CanvasInput, ThumbFollowsThePositionAttribute) {
  // after moving the thumb to the bottom, a trough click above it pages up
  IupSetAttribute(canvas_, "POSY", "0.75");
  Pump(100);
  Click(194, 30);
  ASSERT_TRUE(PumpUntil([] { return !g_scrolls.empty(); }));
  EXPECT_EQ(g_scrolls[0].op, IUP_SBPGUP);
  EXPECT_NEAR(g_scrolls[0].posy, 0.5f, 1e-3);
}

TEST_F(CanvasInput, PointerCrossingTheCanvasReportsEnterThenLeave) {
  Xdo("mousemove --window " + window_ + " 50 50");
  ASSERT_TRUE(PumpUntil([] { return !g_crossings.empty(); }));
  Xdo("mousemove --window " + window_ + " 50 170");
  ASSERT_TRUE(PumpUntil([] { return g_crossings.size() >= 2; }));
  EXPECT_EQ(g_crossings[0], "enter");
  EXPECT_EQ(g_crossings[1], "leave");
}

}  // namespace
