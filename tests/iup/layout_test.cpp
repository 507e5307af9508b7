// Layout of boxes, fills, frames, zboxes, margins, gaps, alignment, EXPAND,
// screen keywords, SHRINK and user resizing. Metrics are the headless
// driver's: a character is 6 x 13 pixels, a button "OK" is 24 x 26.
#include "fixture.h"

namespace hl = iup::headless;

namespace {

struct Box {
  int x, y, w, h;
  bool operator==(const Box&) const = default;
};

Box Geometry(IupElement* e) {
  return {IupGetX(e), IupGetY(e), IupGetCurrentWidth(e), IupGetCurrentHeight(e)};
}

std::ostream& operator<<(std::ostream& os, const Box& b) {
  return os << b.x << "," << b.y << " " << b.w << "x" << b.h;
}

IupElement* Sized(IupElement* e, const char* raster) {
  IupSetAttribute(e, "RASTERSIZE", raster);
  return e;
}

int resize_w = 0, resize_h = 0;
int OnResize(IupElement*, int w, int h) {
  resize_w = w, resize_h = h;
  return IUP_DEFAULT;
}

}  // namespace

TEST_F(Toolkit, FillTakesTheSpareWidthUnlessAButtonExpands) {
  for (const bool button_expands : {false, true}) {
    SCOPED_TRACE(button_expands);
    IupElement* left = IupCreateButton("OK", nullptr);
    IupElement* fill = IupCreateFill();
    IupElement* right = IupCreateButton("OK", nullptr);
    if (button_expands) IupSetAttribute(left, "EXPAND", "YES");
    IupElement* dialog = IupCreateDialog(IupCreateHbox(left, fill, right, nullptr));
    IupSetAttribute(dialog, "RASTERSIZE", "200x100");
    IupMap(dialog);
    if (!button_expands) {
      EXPECT_EQ(Geometry(left), (Box{0, 0, 24, 26}));
      EXPECT_EQ(Geometry(fill), (Box{24, 0, 152, 0}));
    } else {
      EXPECT_EQ(Geometry(left), (Box{0, 0, 176, 100}));
      EXPECT_EQ(Geometry(fill).w, 0);
    }
    EXPECT_EQ(Geometry(right), (Box{176, 0, 24, 26}));
    int x, y, w, h;
    hl::Rect(right, &x, &y, &w, &h);
    EXPECT_EQ((Box{x, y, w, h}), Geometry(right));  // the native window follows
    IupDestroy(dialog);
  }
}

TEST_F(Toolkit, SpareSpaceIsSharedWithIntegerDivision) {
  IupElement* a = Sized(IupCreateCanvas(nullptr), "24x10");
  IupElement* b = Sized(IupCreateCanvas(nullptr), "24x10");
  IupElement* dialog = Own(IupCreateDialog(IupCreateHbox(a, b, nullptr)));
  IupSetAttribute(dialog, "RASTERSIZE", "55x30");
  IupMap(dialog);
  EXPECT_EQ(Geometry(a), (Box{0, 0, 27, 30}));
  EXPECT_EQ(Geometry(b), (Box{27, 0, 27, 30}));  // the last pixel stays empty
}

TEST_F(Toolkit, LeafNaturalSizes) {
  struct Case {
    IupElement* element;
    const char* size;  // own "SIZE" or null
    Box expected;      // x and y unused
  };
  IupElement* multiline = IupCreateMultiLine(nullptr);
  IupSetAttribute(multiline, "VALUE", "abc\nabcdef\\nx");
  IupElement* list = IupCreateList(nullptr);
  IupSetAttribute(list, "1", "one");
  IupSetAttribute(list, "2", "three");
  IupElement* text = IupCreateText(nullptr);
  IupSetAttribute(text, "VALUE", "hello");
  IupElement* frame = IupCreateFrame(IupCreateLabel("ab"));
  IupSetAttribute(frame, "TITLE", "t");
  const Case cases[] = {
      {IupCreateButton("OK", nullptr), "40x", {0, 0, 60, 26}},
      {IupCreateButton("OK", nullptr), "x16", {0, 0, 24, 26}},
      {IupCreateButton(nullptr, nullptr), nullptr, {0, 0, 12, 26}},
      {IupCreateLabel("abc"), nullptr, {0, 0, 19, 13}},
      {IupCreateToggle("ab", nullptr), nullptr, {0, 0, 36, 16}},
      {text, nullptr, {0, 0, 38, 23}},
      {IupCreateText(nullptr), nullptr, {0, 0, 44, 23}},
      {multiline, nullptr, {0, 0, 6 * 6 + 16 + 12, 3 * 13 + 6 + 2}},
      {IupCreateMultiLine(nullptr), nullptr, {0, 0, 38, 21}},
      {list, nullptr, {0, 0, 48, 2 * 13 + 4 + 2}},
      {IupCreateList(nullptr), nullptr, {0, 0, 18, 3 * 13 + 4 + 2}},
      {IupCreateCanvas(nullptr), nullptr, {0, 0, 12, 26}},
      {frame, nullptr, {0, 0, 13 + 4, 13 + 4 + 13}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(IupGetAttribute(c.element, "TYPENAME"));
    if (c.size != nullptr) IupSetAttribute(c.element, "SIZE", c.size);
    IupSetAttribute(c.element, "EXPAND", "NO");
    IupElement* dialog = IupCreateDialog(c.element);
    IupMap(dialog);
    EXPECT_EQ(IupGetNaturalWidth(c.element), c.expected.w);
    EXPECT_EQ(IupGetNaturalHeight(c.element), c.expected.h);
    IupDestroy(dialog);
  }
}

TEST_F(Toolkit, ScreenKeywordsLessTheDecorations) {
  IupElement* dialog = Own(IupCreateDialog(IupCreateFill()));
  IupSetAttribute(dialog, "SIZE", "HALFxquarter");
  IupMap(dialog);
  // resizable with a caption: 2 x 4 wide, 20 + 2 x 4 high
  EXPECT_EQ(IupGetCurrentWidth(dialog), 1025 / 2 - 8);
  EXPECT_EQ(IupGetCurrentHeight(dialog), 769 / 4 - 28);
}

TEST_F(Toolkit, MarginsAndGaps) {
  struct Case {
    const char* margin;
    const char* gap;
    Box first, second, box;
  };
  const Case cases[] = {
      {"5", nullptr, {5, 0, 19, 13}, {5, 13, 19, 13}, {0, 0, 29, 26}},
      {"5x5", nullptr, {5, 5, 19, 13}, {5, 18, 19, 13}, {0, 0, 29, 36}},
      {nullptr, "4", {0, 0, 19, 13}, {0, 17, 19, 13}, {0, 0, 19, 30}},
      {"2x3", "1", {2, 3, 19, 13}, {2, 17, 19, 13}, {0, 0, 23, 33}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.margin != nullptr ? c.margin : "-");
    IupElement* first = IupCreateLabel("abc");
    IupElement* second = IupCreateLabel("abc");
    IupElement* box = IupCreateVbox(first, second, nullptr);
    IupSetAttribute(box, "MARGIN", c.margin);
    IupSetAttribute(box, "GAP", c.gap);
    IupElement* dialog = IupCreateDialog(box);
    IupMap(dialog);
    EXPECT_EQ(Geometry(first), c.first);
    EXPECT_EQ(Geometry(second), c.second);
    EXPECT_EQ(Geometry(box), c.box);
    IupDestroy(dialog);
  }
}

TEST_F(Toolkit, EmptyBoxIsOneGapSmallerThanItsMargins) {
  IupElement* box = IupCreateHbox(nullptr);
  IupSetAttribute(box, "MARGIN", "10x10");
  IupSetAttribute(box, "GAP", "4");
  IupElement* dialog = Own(IupCreateDialog(box));
  IupMap(dialog);
  EXPECT_EQ(IupGetNaturalWidth(box), 16);
  EXPECT_EQ(IupGetNaturalHeight(box), 20);
}

TEST_F(Toolkit, AlignmentInBoxes) {
  struct Case {
    int kind;  // IUP_VBOX or IUP_HBOX
    const char* alignment;
    int offset;  // of the smaller child across the box
  };
  // the wide label is 6 x 10 + 1 = 61 wide, the narrow one 7: 54 to spare;
  // in an HBOX a 26-high button beside a 13-high label: 13 to spare
  const Case cases[] = {
      {IUP_VBOX, "ACENTER", 27}, {IUP_VBOX, "acenter", 0},  {IUP_VBOX, "ARIGHT", 54},
      {IUP_VBOX, "EAST", 54},    {IUP_VBOX, "ALEFT", 0},    {IUP_VBOX, nullptr, 0},
      {IUP_HBOX, "ACENTER", 6},  {IUP_HBOX, "ABOTTOM", 13}, {IUP_HBOX, "SOUTH", 13},
      {IUP_HBOX, "ATOP", 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.alignment != nullptr ? c.alignment : "-");
    IupElement* small = IupCreateLabel("a");
    IupElement* box = c.kind == IUP_VBOX
                          ? IupCreateVbox(IupCreateLabel("abcdefghij"), small, nullptr)
                          : IupCreateHbox(IupCreateButton("OK", nullptr), small, nullptr);
    IupSetAttribute(box, "ALIGNMENT", c.alignment);
    IupElement* dialog = IupCreateDialog(box);
    IupMap(dialog);
    EXPECT_EQ(c.kind == IUP_VBOX ? IupGetX(small) : IupGetY(small), c.offset);
    IupDestroy(dialog);
  }
}

TEST_F(Toolkit, ZboxAlignment) {
  struct Case {
    const char* alignment;
    int x, y;
  };
  // a 19 x 13 label in a 100 x 50 zbox: 81 and 37 to spare
  const Case cases[] = {{nullptr, 40, 18},   {"SE", 81, 37},  {"NW", 0, 0},     {"NORTH", 40, 0},
                        {"ABOTTOM", 40, 37}, {"WEST", 0, 18}, {"EAST", 81, 18}, {"NE", 81, 0},
                        {"SW", 0, 37},       {"se", 40, 18}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.alignment != nullptr ? c.alignment : "-");
    IupElement* label = IupCreateLabel("abc");
    IupElement* zbox = IupCreateZbox(label, nullptr);
    IupSetAttribute(zbox, "RASTERSIZE", "100x50");
    IupSetAttribute(zbox, "ALIGNMENT", c.alignment);
    IupElement* dialog = IupCreateDialog(zbox);
    IupMap(dialog);
    EXPECT_EQ(IupGetX(label), c.x);
    EXPECT_EQ(IupGetY(label), c.y);
    IupDestroy(dialog);
  }
}

TEST_F(Toolkit, FramePlacesItsChildInsideTheTitle) {
  IupElement* label = IupCreateLabel("abc");
  IupElement* frame = IupCreateFrame(label);
  IupElement* dialog = Own(IupCreateDialog(frame));
  IupMap(dialog);
  EXPECT_EQ(Geometry(label), (Box{2, 2, 19, 13}));
  EXPECT_EQ(Geometry(frame).h, 17);
  IupSetAttribute(frame, "TITLE", "Options");
  IupRefresh(dialog);
  EXPECT_EQ(Geometry(label), (Box{2, 15, 19, 13}));
  EXPECT_EQ(Geometry(frame).h, 30);
}

TEST_F(Toolkit, UserResizeGrowsExpandingCanvas) {
  IupBindAction("t_resize", IupAsCallback(OnResize));
  IupElement* canvas = Sized(IupCreateCanvas(nullptr), "50x40");
  IupSetAttribute(canvas, "RESIZE_CB", "t_resize");
  IupElement* dialog =
      Own(IupCreateDialog(IupCreateVbox(canvas, IupCreateButton("OK", nullptr), nullptr)));
  IupShow(dialog);
  EXPECT_EQ(Geometry(canvas), (Box{0, 0, 50, 40}));
  resize_w = resize_h = 0;
  hl::Resize(dialog, 300, 200);
  hl::DeliverNow();
  EXPECT_STREQ(IupGetOwnAttribute(dialog, "RASTERSIZE"), "300x200");
  EXPECT_EQ(Geometry(canvas), (Box{0, 0, 300, 174}));
  EXPECT_EQ(resize_w, 300);
  EXPECT_EQ(resize_h, 174);
}

TEST_F(Toolkit, ShrinkLetsBoxesGetSmallerThanNatural) {
  for (const bool shrink : {false, true}) {
    SCOPED_TRACE(shrink);
    IupElement* canvas = Sized(IupCreateCanvas(nullptr), "200x100");
    IupElement* box = IupCreateVbox(canvas, nullptr);
    IupElement* dialog = IupCreateDialog(box);
    IupSetAttribute(dialog, "RASTERSIZE", "80x60");
    if (shrink) IupSetAttribute(dialog, "SHRINK", "YES");
    IupMap(dialog);
    EXPECT_EQ(Geometry(box), shrink ? (Box{0, 0, 80, 60}) : (Box{0, 0, 200, 100}));
    EXPECT_EQ(Geometry(canvas).w, shrink ? 80 : 200);
    IupDestroy(dialog);
  }
}

TEST_F(Toolkit, SizeOnAMappedDialogLaysItOutAgain) {
  IupElement* canvas = IupCreateCanvas(nullptr);
  IupElement* dialog = Own(IupCreateDialog(canvas));
  IupSetAttribute(dialog, "SIZE", "40x40");
  IupMap(dialog);
  EXPECT_EQ(Geometry(canvas).w, 60);
  IupSetAttribute(dialog, "RASTERSIZE", "100x50");
  EXPECT_EQ(IupGetOwnAttribute(dialog, "SIZE"), nullptr);
  EXPECT_EQ(Geometry(canvas), (Box{0, 0, 100, 50}));
  EXPECT_STREQ(IupGetAttribute(dialog, "RASTERSIZE"), "100x50");
  EXPECT_STREQ(IupGetAttribute(dialog, "SIZE"), "66x30");
}

namespace {
std::string class_calls;
int ClassNatural(IupElement* self) {
  class_calls += "natural;";
  IupSetNaturalSize(self, 30, 20);
  return 0;
}
int ClassCurrent(IupElement* self, int w, int h) {
  class_calls += "current " + std::to_string(w) + "x" + std::to_string(h) + ";";
  IupSetCurrentSize(self, w / 2, h);
  return 0;
}
int ClassPosition(IupElement* self, int x, int y) {
  class_calls += "position " + std::to_string(x) + "," + std::to_string(y) + " stored " +
                 std::to_string(IupGetX(self)) + ";";
  return 0;
}
}  // namespace

TEST_F(Toolkit, ControlClassesTakePartInTheLayout) {
  IupControlClass* cls = IupNewControlClass("sizer", nullptr);
  IupSetControlMethod(cls, "SETNATURALSIZE", IupAsControlMethod(ClassNatural));
  IupSetControlMethod(cls, "SETCURRENTSIZE", IupAsControlMethod(ClassCurrent));
  IupSetControlMethod(cls, "SETPOSITION", IupAsControlMethod(ClassPosition));
  IupElement* control = IupNewFromControlClass(cls, nullptr);
  IupElement* label = IupCreateLabel("abc");
  IupElement* dialog = Own(IupCreateDialog(IupCreateHbox(label, control, nullptr)));
  IupSetAttribute(dialog, "RASTERSIZE", "100x40");
  class_calls.clear();
  IupMap(dialog);
  // the control expands (a canvas by default): it is offered all the spare width
  EXPECT_EQ(class_calls, "natural;current 81x40;position 19,0 stored 19;");
  EXPECT_EQ(Geometry(control), (Box{19, 0, 40, 40}));
  EXPECT_EQ(IupGetExpandFlags(control), 0xF0);

  // without the operations a class element sizes like a canvas
  IupElement* plain = IupNewFromControlClass(IupNewControlClass("plain", nullptr), nullptr);
  IupSetAttribute(plain, "SIZE", "8x16");
  IupSetAttribute(plain, "EXPAND", "NO");
  IupElement* second = Own(IupCreateDialog(plain));
  IupMap(second);
  EXPECT_EQ(Geometry(plain), (Box{0, 0, 12, 26}));
}

TEST_F(Toolkit, ShowKeepsAMappedDialogWhereItIs) {
  IupElement* dialog = Own(IupCreateDialog(IupCreateFill()));
  IupShowXY(dialog, 30, 40);
  IupHide(dialog);
  IupShow(dialog);
  EXPECT_STREQ(IupGetAttribute(dialog, "X"), "30");
  EXPECT_STREQ(IupGetAttribute(dialog, "Y"), "40");
}
