// Event delivery: list and radio event order, menu items and context menus,
// canvas mouse status, paint, scrollbars, zbox values, message boxes.
#include <cstring>

#include "fixture.h"
#include "iupdriver.h"

namespace hl = iup::headless;

namespace {

int OnList(IupElement*, char* text, int item, int state) {
  std::string& log = Log();
  log += '(';
  log += text;
  log += ',';
  log += std::to_string(item);
  log += ',';
  log += std::to_string(state);
  log += ')';
  return IUP_DEFAULT;
}

int OnToggle(IupElement* self, int state) {
  Log() += std::string(IupGetAttribute(self, "TITLE")) + "=" + std::to_string(state) + ";";
  return IUP_DEFAULT;
}

}  // namespace

TEST_F(Toolkit, SingleListCallsOldThenNew) {
  IupBindAction("t_list", IupAsCallback(OnList));
  IupElement* list = IupCreateList("t_list");
  IupSetAttributeList(list, "1=one,2=two,3=three,4=four,5=five,VALUE=2");
  IupElement* dialog = Own(IupCreateDialog(list));
  IupShow(dialog);
  EXPECT_STREQ(IupGetAttribute(list, "VALUE"), "2");
  Log().clear();
  hl::SelectListItem(list, 5);
  hl::SelectListItem(list, 9);  // out of range: nothing
  hl::DeliverNow();
  EXPECT_EQ(Log(), "(two,2,0)(five,5,1)");
  EXPECT_STREQ(IupGetAttribute(list, "VALUE"), "5");
  // items set later reach the control; a null item cuts the list there
  IupSetAttribute(list, "7", "seven");
  EXPECT_EQ(hl::ListCount(list), 7);
  EXPECT_EQ(hl::ListItemText(list, 6), "");
  IupSetAttribute(list, "3", nullptr);
  EXPECT_EQ(hl::ListCount(list), 2);
}

TEST_F(Toolkit, MultipleListCallsOncePerChangedItem) {
  IupBindAction("t_list", IupAsCallback(OnList));
  IupElement* list = IupCreateList("t_list");
  IupSetAttributeList(list, "1=a,2=b,3=c,MULTIPLE=YES,VALUE=+-+");
  IupElement* dialog = Own(IupCreateDialog(list));
  IupShow(dialog);
  Log().clear();
  hl::SelectListItem(list, 1);
  hl::SelectListItem(list, 2);
  hl::DeliverNow();
  EXPECT_EQ(Log(), "(a,1,0)(b,2,1)");
  EXPECT_STREQ(IupGetAttribute(list, "VALUE"), "-++");
}

TEST_F(Toolkit, RadioUnchecksThePreviousToggleFirst) {
  IupBindAction("t_toggle", IupAsCallback(OnToggle));
  IupElement* a = IupCreateToggle("a", "t_toggle");
  IupElement* b = IupCreateToggle("b", "t_toggle");
  IupElement* c = IupCreateToggle("c", "t_toggle");
  IupElement* radio = IupCreateRadio(IupCreateVbox(a, b, c, nullptr));
  IupElement* single = IupCreateToggle("s", "t_toggle");
  IupElement* dialog = Own(IupCreateDialog(IupCreateHbox(radio, single, nullptr)));
  IupSetHandle("t_b", b);
  IupSetAttribute(radio, "VALUE", "t_b");
  IupShow(dialog);
  EXPECT_EQ(hl::ToggleState(b), 1);  // the toggle the radio names starts checked
  EXPECT_EQ(hl::ToggleState(a), 0);
  Log().clear();
  hl::ClickToggle(c);
  hl::ClickToggle(c);  // the checked one stays checked, silently
  hl::ClickToggle(single);
  hl::ClickToggle(single);
  hl::DeliverNow();
  EXPECT_EQ(Log(), "b=0;c=1;s=1;s=0;");
  EXPECT_STREQ(IupGetAttribute(c, "VALUE"), "ON");
  EXPECT_STREQ(IupGetAttribute(b, "VALUE"), "OFF");
  IupSetHandle("t_c", c);
  EXPECT_STREQ(IupGetAttribute(radio, "VALUE"), "t_c");  // the clicked toggle, not the stored name
  IupSetHandle("t_a", a);
  IupSetAttribute(radio, "VALUE", "t_a");
  EXPECT_EQ(hl::ToggleState(a), 1);
  EXPECT_EQ(hl::ToggleState(c), 0);
  EXPECT_STREQ(IupGetAttribute(radio, "VALUE"), "t_a");
}

namespace {
std::string statuses;
int OnButton(IupElement*, int button, int pressed, int x, int y, char* status) {
  statuses += std::string(1, static_cast<char>(button)) + std::to_string(pressed) + "@" +
              std::to_string(x) + "," + std::to_string(y) + "[" + status + "]";
  return IUP_DEFAULT;
}
int OnMotion(IupElement*, int x, int y, char* status) {
  statuses += "move@" + std::to_string(x) + "," + std::to_string(y) + "[" + status + "]";
  return IUP_DEFAULT;
}
void* paint_context = nullptr;
int OnPaint(IupElement* self, float, float) {
  paint_context = IupGetAttributePointer(self, "HDC_WMPAINT");
  Log() += "paint;";
  return IUP_DEFAULT;
}
}  // namespace

TEST_F(Toolkit, CanvasMouseStatusAndPaint) {
  IupBindAction("t_button", IupAsCallback(OnButton));
  IupBindAction("t_motion", IupAsCallback(OnMotion));
  IupBindAction("t_paint", IupAsCallback(OnPaint));
  IupElement* canvas = IupCreateCanvas("t_paint");
  IupSetAttribute(canvas, "BUTTON_CB", "t_button");
  IupSetAttribute(canvas, "MOTION_CB", "t_motion");
  IupElement* dialog = Own(IupCreateDialog(canvas));
  IupShow(dialog);
  Log().clear();
  hl::DeliverNow();
  EXPECT_EQ(Log(), "paint;");
  EXPECT_NE(paint_context, nullptr);
  EXPECT_EQ(IupGetAttributePointer(canvas, "HDC_WMPAINT"), nullptr);  // only during the paint
  statuses.clear();
  hl::MousePress(canvas, IUP_BUTTON1, 3, 4, hl::kShift);
  hl::MouseMotion(canvas, 5, 6);
  hl::MouseRelease(canvas, IUP_BUTTON1, 5, 6);
  hl::MouseDoubleClick(canvas, IUP_BUTTON3, 7, 8, hl::kCtrl);
  hl::DeliverNow();
  EXPECT_EQ(statuses, "11@3,4[S 1  ]move@5,6[  1  ]10@5,6[     ]31@7,8[ C  3D]");
}

namespace {
std::string scrolls;
int OnScroll(IupElement*, int op, float posx, float posy) {
  char text[64];
  std::snprintf(text, sizeof text, "%d:%.4g,%.4g;", op, posx, posy);
  scrolls += text;
  return IUP_DEFAULT;
}
}  // namespace

TEST_F(Toolkit, ScrollbarArithmetic) {
  IupBindAction("t_scroll", IupAsCallback(OnScroll));
  IupElement* canvas = IupCreateCanvas(nullptr);
  IupSetAttributeList(canvas,
                      "SCROLLBAR=YES,XMIN=0,XMAX=100,DX=10,YMIN=0,YMAX=0,SCROLL_CB=t_scroll");
  IupElement* dialog = Own(IupCreateDialog(canvas));
  IupShow(dialog);
  const iup::Scrollbar h = iup::CanvasScrollbar(canvas, true);
  EXPECT_EQ(h.NativePage(), 3000);
  EXPECT_EQ(h.Clamp(40000), 27000);
  EXPECT_EQ(h.Clamp(-5), 1);
  EXPECT_EQ(h.Step(1000, IUP_SBRIGHT), 1300);
  EXPECT_EQ(h.Step(1000, IUP_SBPGLEFT), 1);
  EXPECT_DOUBLE_EQ(h.FromNative(15000), 50.0);
  const iup::Scrollbar v = iup::CanvasScrollbar(canvas, false);  // an empty interval
  EXPECT_EQ(v.NativePage(), 30000);
  EXPECT_EQ(v.NativePosition(), 1);
  scrolls.clear();
  hl::Scroll(canvas, IUP_SBRIGHT);         // line step from native 1: not stored
  hl::Scroll(canvas, IUP_SBDRAGH, 15000);  // drag: stored first
  hl::Scroll(canvas, IUP_SBPGRIGHT);
  hl::Scroll(canvas, IUP_SBDRAGH, 29999);  // beyond the last page
  hl::DeliverNow();
  EXPECT_EQ(scrolls, "9:1.003,0;11:50,0;7:60,0;11:90,0;");
  EXPECT_FLOAT_EQ(IupGetAttributeReal(canvas, "POSX"), 90.0f);
}

namespace {
int OnItem(IupElement* self, int checked) {
  Log() += std::string(IupGetAttribute(self, "TITLE")) + ":" + std::to_string(checked) + ";";
  return IUP_DEFAULT;
}
}  // namespace

TEST_F(Toolkit, MenuItemsAndContextMenus) {
  IupBindAction("t_item", IupAsCallback(OnItem));
  IupElement* open = IupCreateItem("Open", "t_item");
  IupElement* grid = IupCreateItem("Grid", "t_item");
  IupSetAttribute(grid, "VALUE", "ON");
  IupElement* bar =
      Own(IupCreateMenu(IupCreateSubmenu("File", IupCreateMenu(open, grid, nullptr)), nullptr));
  IupSetHandle("t_bar", bar);
  IupElement* dialog = Own(IupCreateDialog(IupCreateFill()));
  IupSetAttribute(dialog, "MENU", "t_bar");
  IupShow(dialog);
  Log().clear();
  EXPECT_TRUE(hl::Exists(open));  // the menu bar is mapped with its dialog
  hl::ChooseItem(open);
  hl::ChooseItem(grid);
  hl::DeliverNow();
  EXPECT_EQ(Log(), "Open:0;Grid:1;");

  IupElement* again = IupCreateItem("Again", "t_item");
  IupElement* context = Own(IupCreateMenu(again, nullptr));
  hl::AnswerMenu(again);
  Log().clear();
  EXPECT_EQ(IupPopup(context, IUP_MOUSEPOS, IUP_MOUSEPOS), 0);
  EXPECT_EQ(Log(), "Again:0;");           // the item ran before IupPopup returned
  EXPECT_EQ(IupPopup(context, 1, 1), 0);  // no answer: dismissed
  EXPECT_EQ(Log(), "Again:0;");
}

TEST_F(Toolkit, ZboxShowsOneChild) {
  IupElement* a = IupCreateLabel("a");
  IupElement* b = IupCreateLabel("b");
  IupElement* zbox = IupCreateZbox(a, b, nullptr);
  IupElement* dialog = Own(IupCreateDialog(zbox));
  IupShow(dialog);
  EXPECT_TRUE(hl::Visible(a));
  EXPECT_FALSE(hl::Visible(b));
  IupSetHandle("t_zb", b);
  IupSetAttribute(zbox, "VALUE", "t_zb");
  EXPECT_FALSE(hl::Visible(a));
  EXPECT_TRUE(hl::Visible(b));
}

TEST_F(Toolkit, MessageBoxesAndInactiveElements) {
  IupMessage("Title", "Text");
  EXPECT_EQ(hl::LastMessage(), "Title: Text");
  IupBindAction("t_item", IupAsCallback(OnItem));
  IupElement* button = IupCreateButton("b", "t_item");
  IupSetAttribute(button, "ACTIVE", "NO");
  IupElement* dialog = Own(IupCreateDialog(button));
  IupShow(dialog);
  EXPECT_STREQ(IupGetAttribute(button, "ACTIVE"), "NO");
  Log().clear();
  hl::Click(button);
  hl::DeliverNow();
  EXPECT_EQ(Log(), "");
  IupSetAttribute(dialog, "ACTIVE", "YES");  // the button's own value stops the descent
  EXPECT_STREQ(IupGetAttribute(button, "ACTIVE"), "NO");
  IupSetAttribute(button, "ACTIVE", nullptr);
  IupSetAttribute(dialog, "ACTIVE", "YES");
  EXPECT_STREQ(IupGetAttribute(button, "ACTIVE"), "YES");
}

TEST_F(Toolkit, MenuBarSetOnAMappedDialogIsMappedAndAddsItsHeight) {
  IupElement* item = IupCreateItem("Open", nullptr);
  IupElement* bar = Own(IupCreateMenu(item, nullptr));
  IupSetHandle("t_late_bar", bar);
  IupElement* dialog = Own(IupCreateDialog(IupCreateFill()));
  IupSetAttribute(dialog, "RASTERSIZE", "100x50");
  IupShowXY(dialog, 0, 0);
  EXPECT_FALSE(hl::Exists(item));
  IupSetAttribute(dialog, "MENU", "t_late_bar");
  EXPECT_TRUE(hl::Exists(item));
  int dw = 0, dh = 0;
  iup::DialogDecorations(dialog, &dw, &dh);
  EXPECT_EQ(dh, 20 + 2 * 4 + 20);
}

TEST_F(Toolkit, ElementsAppendedToAMappedBoxAreMappedAtOnce) {
  IupElement* box = IupCreateVbox(IupCreateLabel("a"), nullptr);
  IupElement* dialog = Own(IupCreateDialog(box));
  IupShow(dialog);
  IupElement* button = IupCreateButton("OK", nullptr);
  IupAppend(box, button);
  EXPECT_TRUE(hl::Exists(button));
  EXPECT_EQ(IupGetCurrentWidth(button), 24);
  EXPECT_TRUE(hl::Visible(button));
  IupDetach(button);
  EXPECT_FALSE(hl::Exists(button));
  IupDestroy(button);
}

namespace {
std::string drops;
int OnDrop(IupElement*, char* file, int remaining, int x, int y) {
  drops += std::string(file) + ":" + std::to_string(remaining) + "@" + std::to_string(x) + "," +
           std::to_string(y) + ";";
  return drops.size() > 20 ? IUP_IGNORE : IUP_DEFAULT;
}
}  // namespace

TEST_F(Toolkit, DroppedFilesComeOneByOneWhileTheCallbackAgrees) {
  IupBindAction("t_drop", IupAsCallback(OnDrop));
  IupElement* canvas = IupCreateCanvas(nullptr);
  IupSetAttribute(canvas, "DROPFILES_CB", "t_drop");
  IupElement* dialog = Own(IupCreateDialog(canvas));
  IupShow(dialog);
  const char* files[] = {"first.bmp", "second.gif", "third.tif"};
  drops.clear();
  hl::DropFiles(canvas, files, 3, 4, 5);
  hl::DeliverNow();
  EXPECT_EQ(drops, "first.bmp:2@4,5;second.gif:1@4,5;");  // the second answer stops the series
}
