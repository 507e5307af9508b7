// Canvas core behaviour seen through a recording driver: the setter rule,
// the coordinate pipeline on a y-inverted surface, polygons, state restore,
// world coordinates.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "cddriver.h"
#include "wd.h"

namespace {

struct Recorder {
  std::vector<std::string> calls;
};
Recorder rec;
int fake_inverted = 1;

void Log(const std::string& s) {
  rec.calls.push_back(s);
}
std::string N(int v) {
  return std::to_string(v);
}

void FakeCreate(cdCanvas* cv, void* data) {
  if (!data) return;
  cv->w = 100, cv->h = 50, cv->w_mm = 50, cv->h_mm = 25, cv->xres = cv->yres = 2;
  cv->bpp = 24, cv->y_inverted = fake_inverted;
  cv->driver_data = data;
}
void FakeFill(cdCanvas* cv) {
  cdOperations& o = cv->ops;
  o.Pixel = [](cdCanvas*, int x, int y, long) { Log("Pixel " + N(x) + " " + N(y)); };
  o.Line = [](cdCanvas*, int a, int b, int c, int d) {
    Log("Line " + N(a) + " " + N(b) + " " + N(c) + " " + N(d));
  };
  o.Poly = [](cdCanvas*, int mode, cdPoint*, int n) { Log("Poly " + N(mode) + " " + N(n)); };
  o.ClipArea = [](cdCanvas*, int* a, int* b, int* c, int* d) {
    Log("ClipArea " + N(*a) + " " + N(*b) + " " + N(*c) + " " + N(*d));
  };
  o.LineWidth = [](cdCanvas*, int v) {
    Log("LineWidth " + N(v));
    return v;
  };
  o.Font = [](cdCanvas*, int*, int*, int*) { Log("Font"); };
  o.KillCanvas = [](cdCanvas*) {};
  o.Activate = [](cdCanvas*) -> int { return CD_OK; };
}
cdDriver fake = {CD_CAP_ALL, FakeCreate, FakeFill, nullptr, nullptr, "FAKE", CD_DATA_TEXT};
int token;

struct Core : ::testing::Test {
  cdCanvasHandle cv = nullptr;
  void Make(int inverted) {
    fake_inverted = inverted;
    cv = cdCreateCanvas(&fake, &token);
    ASSERT_NE(cv, nullptr);
    cdActivate(cv);
    rec.calls.clear();
  }
  void SetUp() override { Make(1); }
  void TearDown() override { cdKillCanvas(cv); }
};

TEST_F(Core, SetterRuleReturnsPreviousQueriesAndSkipsUnchanged) {
  EXPECT_EQ(cdLineWidth(CD_QUERY), 1);
  EXPECT_EQ(cdLineWidth(3), 1);
  EXPECT_EQ(cdLineWidth(3), 3);  // unchanged: driver not called again
  EXPECT_EQ(cdLineWidth(CD_QUERY), 3);
  EXPECT_EQ(rec.calls, std::vector<std::string>{"LineWidth 3"});
  // table of other setters: default, new value
  struct Case {
    int (*set)(int);
    int def, val;
  } cases[] = {{cdBackOpacity, CD_TRANSPARENT, CD_OPAQUE},
               {cdWriteMode, CD_REPLACE, CD_XOR},
               {cdLineStyle, CD_CONTINUOUS, CD_DASHED},
               {cdMarkType, CD_STAR, CD_BOX},
               {cdMarkSize, 10, 4},
               {cdTextAlignment, CD_BASE_LEFT, CD_CENTER}};
  for (auto& c : cases) {
    EXPECT_EQ(c.set(c.val), c.def);
    EXPECT_EQ(c.set(CD_QUERY), c.val);
  }
  EXPECT_EQ(cdForeground(0x123456), 0x000000);
  EXPECT_EQ(cdBackground(CD_QUERY), 0xFFFFFF);
}

TEST_F(Core, InteriorHatchAndClipRefusals) {
  EXPECT_EQ(cdInteriorStyle(CD_PATTERN), CD_SOLID);  // no pattern yet
  EXPECT_EQ(cdInteriorStyle(CD_QUERY), CD_SOLID);
  cdHatch(CD_CROSS);
  EXPECT_EQ(cdInteriorStyle(CD_QUERY), CD_HATCH);
  EXPECT_EQ(cdClip(CD_CLIPPOLYGON), CD_CLIPOFF);  // no clip polygon yet
  EXPECT_EQ(cdClip(CD_QUERY), CD_CLIPOFF);
  cdFont(CD_SYSTEM, CD_PLAIN, 12);  // current values: driver not called
  EXPECT_TRUE(rec.calls.empty());
}

TEST_F(Core, PipelineOnInvertedCanvas) {
  cdClipArea(0, 9, 0, 9);
  EXPECT_EQ(rec.calls.back(), "ClipArea 0 9 40 49");
  int a, b, c, d;
  cdGetClipArea(&a, &b, &c, &d);
  EXPECT_EQ((std::vector<int>{a, b, c, d}), (std::vector<int>{0, 9, 0, 9}));
  cdOrigin(0, 7);
  int y = 3;
  cdUpdateYAxis(&y);
  EXPECT_EQ(y, 50 - 3 - 1 - 14);
  cdOrigin(0, 0);
  rec.calls.clear();
  cdLine(5, 5, 5, 5);  // one point: a pixel, not a line
  cdLine(1, 2, 3, 4);
  EXPECT_EQ(rec.calls, (std::vector<std::string>{"Pixel 5 44", "Line 1 47 3 45"}));
}

TEST_F(Core, RestoreStateDoesNotMirrorClipAreaTwice) {
  cdClipArea(0, 9, 0, 9);
  cdState* s = cdSaveState();
  cdClipArea(20, 30, 20, 30);
  cdRestoreState(s);
  int a, b, c, d;
  cdGetClipArea(&a, &b, &c, &d);
  EXPECT_EQ((std::vector<int>{a, b, c, d}), (std::vector<int>{0, 9, 0, 9}));
}

TEST_F(Core, PolygonVertexCountsAndHollowFill) {
  struct Case {
    int mode, n;
    const char* expect;
  } cases[] = {{CD_FILL, 2, nullptr},
               {CD_CLOSED_LINES, 2, nullptr},
               {CD_OPEN_LINES, 1, nullptr},
               {CD_OPEN_LINES, 2, "Poly 1 2"},
               {CD_FILL, 3, "Poly 0 3"}};
  for (auto& c : cases) {
    rec.calls.clear();
    cdBegin(c.mode);
    for (int i = 0; i < c.n; i++) cdVertex(i, i * 2);
    cdEnd();
    if (c.expect)
      EXPECT_EQ(rec.calls, std::vector<std::string>{c.expect});
    else
      EXPECT_TRUE(rec.calls.empty());
  }
  cdInteriorStyle(CD_HOLLOW);
  rec.calls.clear();
  cdBegin(CD_FILL);
  for (int i = 0; i < 3; i++) cdVertex(i, i * 3);
  cdEnd();
  EXPECT_EQ(rec.calls, std::vector<std::string>{"Poly 2 3"});
}

TEST_F(Core, MixedVertexCallsGrowBothBuffers) {
  cdBegin(CD_OPEN_LINES);
  for (int i = 0; i < 450; i++) {
    if (i % 2)
      cdVertex(i % 100, i % 50);
    else
      wdVertex(i % 50, i % 25);
  }
  cdEnd();
  EXPECT_EQ(rec.calls.back(), "Poly 1 450");
}

TEST_F(Core, ClipPolygonCopyAndLimit) {
  cdBegin(CD_CLIP);
  cdVertex(1, 1), cdVertex(10, 1), cdVertex(5, 8);
  cdEnd();
  EXPECT_EQ(cdClip(CD_CLIPPOLYGON), CD_CLIPOFF);
  int n = 0;
  int* p = cdGetClipPoly(&n);
  ASSERT_NE(p, nullptr);
  EXPECT_EQ(n, 3);
  EXPECT_EQ((std::vector<int>(p, p + 6)), (std::vector<int>{1, 1, 10, 1, 5, 8}));
  cdBegin(CD_CLIP);
  for (int i = 0; i < 200; i++) cdVertex(i % 90, (i * 7) % 40);
  cdEnd();
  EXPECT_EQ(cdGetClipPoly(&n), nullptr);
}

TEST_F(Core, ArcAnglesAndFaultyCreation) {
  EXPECT_EQ(cdCreateCanvas(nullptr, &token), nullptr);
  EXPECT_EQ(cdCreateCanvas(&fake, nullptr), nullptr);  // driver leaves no data
  EXPECT_EQ(cdActiveCanvas(), cv);                     // creation leaves the active one
  EXPECT_EQ(cdCreateCanvas(CD_IMAGERGB, (void*)"-5x10"), nullptr);
  EXPECT_EQ(cdCreateCanvas(CD_IMAGERGB, (void*)"10x0"), nullptr);
}

TEST(World, TransformAndTruncation) {
  fake_inverted = 0;
  cdCanvasHandle cv = cdCreateCanvas(&fake, &token);
  cdActivate(cv);
  int x, y;
  wdWorld2Canvas(0, 0, &x, &y);
  EXPECT_EQ(x, 0);
  EXPECT_EQ(y, 0);
  wdWorld2Canvas(50, 25, &x, &y);
  EXPECT_EQ(x, 99);
  EXPECT_EQ(y, 49);
  wdWindow(0, 10, 0, 10);
  wdViewport(0, 20, 0, 20);
  struct Case {
    double w;
    int d;
  } cases[] = {{1.99, 3}, {-0.4, 0}, {-1.2, -2}, {10, 20}};
  for (auto& c : cases) {
    wdWorld2Canvas(c.w, 0, &x, nullptr);
    EXPECT_EQ(x, c.d) << c.w;
  }
  wdWindow(0, 50, 0, 25);
  wdViewport(0, 99, 0, 49);
  EXPECT_DOUBLE_EQ(wdMarkSize(2), 5.0);  // previous 10 px at 2 px/mm
  EXPECT_EQ(cdMarkSize(CD_QUERY), 4);
  wdMarkSize(0.1);
  EXPECT_EQ(cdMarkSize(CD_QUERY), 1);
  wdFont(CD_TIMES_ROMAN, CD_BOLD, 5);
  int face, style, size;
  cdGetFont(&face, &style, &size);
  EXPECT_EQ(size, 14);
  cdKillCanvas(cv);
  EXPECT_EQ(cdActiveCanvas(), nullptr);
}

}  // namespace
