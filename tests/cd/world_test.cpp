// World shapes and vector text seen through a recording driver: the driver's world slot
// with world values, the device primitive with converted pixels when the
// driver has no world slot or clipping is simulated, hollow boxes and
// sectors as rectangles and arcs, and the rectangles read back.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "cddriver.h"
#include "vectortext.h"
#include "wd.h"

namespace {

std::vector<std::string> calls;
bool with_world_slots = true;

std::string N(double v) {
  char s[32];
  std::snprintf(s, sizeof s, "%g", v);
  return s;
}
std::string Four(const char* name, double a, double b, double c, double d) {
  return std::string(name) + " " + N(a) + " " + N(b) + " " + N(c) + " " + N(d);
}
std::string Six(const char* name, double a, double b, double c, double d, double e, double f) {
  return Four(name, a, b, c, d) + " " + N(e) + " " + N(f);
}

/* the text slots: two numbers and the text */
constexpr char kVectorText[] = "VectorText", kMultiLineVectorText[] = "MultiLineVectorText",
               kVectorTextSize[] = "VectorTextSize", kWdVectorText[] = "WdVectorText",
               kWdMultiLineVectorText[] = "WdMultiLineVectorText",
               kWdVectorTextSize[] = "WdVectorTextSize";
template <const char* kName, typename T>
void RecordText(cdCanvas*, T a, T b, const char* s) {
  calls.push_back(Four(kName, a, b, 0, 0) + " " + s);
}

int token;
void Create(cdCanvas* cv, void* data) {
  cv->w = 100, cv->h = 50, cv->w_mm = 50, cv->h_mm = 25, cv->xres = cv->yres = 2;
  cv->bpp = 24, cv->y_inverted = 0;
  cv->driver_data = data;
}
void Fill(cdCanvas* cv) {
  cdOperations& o = cv->ops;
  o.Line = [](cdCanvas*, int a, int b, int c, int d) { calls.push_back(Four("Line", a, b, c, d)); };
  o.Rect = [](cdCanvas*, int a, int b, int c, int d) { calls.push_back(Four("Rect", a, b, c, d)); };
  o.Box = [](cdCanvas*, int a, int b, int c, int d) { calls.push_back(Four("Box", a, b, c, d)); };
  o.Arc = [](cdCanvas*, int a, int b, int c, int d, double e, double f) {
    calls.push_back(Six("Arc", a, b, c, d, e, f));
  };
  o.Sector = [](cdCanvas*, int a, int b, int c, int d, double e, double f) {
    calls.push_back(Six("Sector", a, b, c, d, e, f));
  };
  o.Poly = [](cdCanvas*, int mode, cdPoint*, int n) {
    calls.push_back(Four("Poly", mode, n, 0, 0));
  };
  o.KillCanvas = [](cdCanvas*) {};
  o.Activate = [](cdCanvas*) -> int { return CD_OK; };
  if (!with_world_slots) return;
  o.VectorText = RecordText<kVectorText, int>;
  o.MultiLineVectorText = RecordText<kMultiLineVectorText, int>;
  o.VectorTextSize = RecordText<kVectorTextSize, int>;
  o.WdVectorText = RecordText<kWdVectorText, double>;
  o.WdMultiLineVectorText = RecordText<kWdMultiLineVectorText, double>;
  o.WdVectorTextSize = RecordText<kWdVectorTextSize, double>;
  o.WdRect = [](cdCanvas*, double a, double b, double c, double d) {
    calls.push_back(Four("WdRect", a, b, c, d));
  };
  o.WdBox = [](cdCanvas*, double a, double b, double c, double d) {
    calls.push_back(Four("WdBox", a, b, c, d));
  };
  o.WdArc = [](cdCanvas*, double a, double b, double c, double d, double e, double f) {
    calls.push_back(Six("WdArc", a, b, c, d, e, f));
  };
  o.WdSector = [](cdCanvas*, double a, double b, double c, double d, double e, double f) {
    calls.push_back(Six("WdSector", a, b, c, d, e, f));
  };
}
cdDriver recorder = {CD_CAP_ALL, Create, Fill, nullptr, nullptr, "RECORDER", CD_DATA_TEXT};

struct WorldShapes : ::testing::TestWithParam<bool> {
  cdCanvasHandle cv = nullptr;
  void SetUp() override {
    with_world_slots = GetParam();
    cv = cdCreateCanvas(&recorder, &token);
    ASSERT_NE(cv, nullptr);
    cdActivate(cv);
    /* 10 pixels per world unit, no offset: device values are easy to read */
    wdWindow(0, 10, 0, 5);
    wdViewport(0, 100, 0, 50);
    calls.clear();
  }
  void TearDown() override { cdKillCanvas(cv); }
  std::string Only() const { return calls.size() == 1 ? calls[0] : "calls: " + N(calls.size()); }
};

TEST_P(WorldShapes, ShapesTakeTheWorldSlotOrTheDevicePrimitive) {
  const bool world = GetParam();
  struct Case {
    const char* what;
    bool hollow;
    void (*draw)();
    const char* by_world_slot;
    const char* by_device;
  } cases[] = {
      {"rect", false, [] { wdRect(1, 2.5, 0.5, 3); }, "WdRect 1 2.5 0.5 3", "Rect 10 25 5 30"},
      {"box", false, [] { wdBox(1, 2.5, 0.5, 3); }, "WdBox 1 2.5 0.5 3", "Box 10 25 5 30"},
      {"hollow box", true, [] { wdBox(1, 2.5, 0.5, 3); }, "WdRect 1 2.5 0.5 3", "Rect 10 25 5 30"},
      {"arc", false, [] { wdArc(2, 1, 3, 1.5, 10, 80); }, "WdArc 2 1 3 1.5 10 80",
       "Arc 20 10 30 15 10 80"},
      {"sector", false, [] { wdSector(2, 1, 3, 1.5, 10, 80); }, "WdSector 2 1 3 1.5 10 80",
       "Sector 20 10 30 15 10 80"},
      {"hollow sector", true, [] { wdSector(2, 1, 3, 1.5, 10, 80); }, "WdArc 2 1 3 1.5 10 80",
       "Arc 20 10 30 15 10 80"},
  };
  for (const Case& c : cases) {
    cdInteriorStyle(c.hollow ? CD_HOLLOW : CD_SOLID);
    calls.clear();
    c.draw();
    EXPECT_EQ(Only(), world ? c.by_world_slot : c.by_device) << c.what;
  }
}

// With the slots each vector text call reaches its own; without them the
// strokes come as open polygon lines.
TEST_P(WorldShapes, VectorTextTakesItsSlotOrStrokes) {
  cdVectorText(3, 4, "a");
  wdVectorText(0.5, 1.5, "b");
  cdMultiLineVectorText(5, 6, "c\nd");
  wdMultiLineVectorText(2.5, 0.25, "e");
  if (GetParam()) {
    EXPECT_EQ(calls, (std::vector<std::string>{"VectorText 3 4 0 0 a", "WdVectorText 0.5 1.5 0 0 b",
                                               "MultiLineVectorText 5 6 0 0 c\nd",
                                               "WdMultiLineVectorText 2.5 0.25 0 0 e"}));
  } else {
    EXPECT_GE(calls.size(), 4u);
    for (const std::string& call : calls)
      EXPECT_EQ(call.substr(0, 7), "Poly " + N(CD_OPEN_LINES) + " ") << call;
  }
  calls.clear();
  cdVectorTextSize(40, 10, "ab");
  wdVectorTextSize(4, 1.5, "ab");
  cdVectorTextSize(40, 10, ""); /* no width: nothing to fit */
  if (GetParam())
    EXPECT_EQ(calls, (std::vector<std::string>{"VectorTextSize 40 10 0 0 ab",
                                               "WdVectorTextSize 4 1.5 0 0 ab"}));
  else
    EXPECT_TRUE(calls.empty());
  calls.clear();
  cdVectorText(3, 4, nullptr);
  wdMultiLineVectorText(3, 4, nullptr);
  EXPECT_TRUE(calls.empty());
}

TEST_P(WorldShapes, ArcsNarrowerThanAPixelDrawNothingOnTheDevice) {
  wdArc(2, 1, 0.05, 1, 0, 90);
  wdSector(2, 1, 1, 0.05, 0, 90);
  EXPECT_EQ(calls.size(), GetParam() ? 2u : 0u);
}

TEST_P(WorldShapes, SimulatedClippingDrawsOnTheDevice) {
  cdSimulate(CD_SIM_CLIPAREA);
  cdClipArea(0, 99, 0, 49);
  cdClip(CD_CLIPAREA);
  calls.clear();
  wdRect(1, 2, 1, 2);
  wdBox(1, 2, 1, 2);
  wdArc(2, 2, 2, 2, 0, 90);
  wdSector(2, 2, 2, 2, 0, 90);
  EXPECT_FALSE(calls.empty());
  for (const std::string& call : calls) EXPECT_NE(call.substr(0, 2), "Wd") << call;
}

TEST_P(WorldShapes, RectanglesReadBackWhereAsked) {
  double x1 = 0, x2 = 0, y1 = 0, y2 = 0;
  wdGetWindow(&x1, &x2, &y1, &y2);
  EXPECT_EQ(Four("", x1, x2, y1, y2), Four("", 0, 10, 0, 5));
  wdGetWindow(nullptr, &x2, nullptr, nullptr);
  EXPECT_EQ(x2, 10);
  int v[4] = {-1, -1, -1, -1};
  wdGetViewport(&v[0], &v[1], &v[2], &v[3]);
  EXPECT_EQ(Four("", v[0], v[1], v[2], v[3]), Four("", 0, 100, 0, 50));
  wdGetViewport(nullptr, nullptr, &v[2], nullptr);
  cdClipArea(10, 40, 5, 20);
  double c[4] = {0, 0, 0, 0};
  EXPECT_EQ(wdGetClipArea(&c[0], &c[1], &c[2], &c[3]), cdClip(CD_QUERY));
  EXPECT_EQ(Four("", c[0], c[1], c[2], c[3]), Four("", 1, 4, 0.5, 2));
  EXPECT_EQ(wdGetClipArea(nullptr, nullptr, nullptr, &c[3]), cdClip(CD_QUERY));
}

INSTANTIATE_TEST_SUITE_P(Slots, WorldShapes, ::testing::Bool(),
                         [](const ::testing::TestParamInfo<bool>& info) {
                           return info.param ? "WorldSlots" : "DeviceOnly";
                         });

}  // namespace
