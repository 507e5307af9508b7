// The matrix on the headless toolkit: cells and titles, sizes, counts
// refused or taken as 0, lines and columns added and deleted, marking by
// clicks, keyboard navigation and editing with real (injected) keys, the
// callbacks with their return codes, callback mode, a mask on a cell,
// scrolling that draws only the visible cells, and reference pictures.
#include <gtest/gtest.h>

#include <algorithm>
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

std::vector<std::string>& Log() {
  static std::vector<std::string> log;
  return log;
}
std::string Cell(const char* what, int l, int c) {
  return std::string(what) + " " + std::to_string(l) + ":" + std::to_string(c);
}
int leave_answer = IUP_DEFAULT;
int edition_answer = IUP_DEFAULT;
int action_answer = IUP_DEFAULT;  // for keys other than 'q'
int OnEnter(IupElement*, int l, int c) {
  Log().push_back(Cell("enter", l, c));
  return IUP_DEFAULT;
}
int OnLeave(IupElement*, int l, int c) {
  Log().push_back(Cell("leave", l, c));
  return leave_answer;
}
int OnEdition(IupElement*, int l, int c, int mode) {
  Log().push_back(Cell(mode ? "edit" : "unedit", l, c));
  return edition_answer;
}
int OnAction(IupElement*, int key, int l, int c, int editing, char* text) {
  Log().push_back(Cell("key", l, c) + " " + std::to_string(key) + " " + std::to_string(editing) +
                  " " + text);
  if (key == 'q') return 'Q';  // replaced by another key
  return action_answer;
}
int OnRightClick(IupElement*, int l, int c) {
  Log().push_back(Cell("right", l, c));
  return IUP_DEFAULT;
}
int OnDrop(IupElement*, IupElement* list, int, int) {
  IupSetAttribute(list, "1", "red");
  IupSetAttribute(list, "2", "green");
  IupSetAttribute(list, "3", "blue");
  return IUP_DEFAULT;
}
int OnDropSelect(IupElement*, int l, int c, IupElement*, char* text, int item, int state) {
  Log().push_back(Cell("dropselect", l, c) + " " + text + " " + std::to_string(item) + " " +
                  std::to_string(state));
  return IUP_DEFAULT;
}
std::string value_cb_text;
std::string value_prefix = "v";  // changed by a test behind the matrix's back
char* OnValue(IupElement*, int l, int c) {
  value_cb_text = value_prefix + std::to_string(l) + "." + std::to_string(c);
  return value_cb_text.data();
}
int OnValueEdit(IupElement*, int l, int c, char* text) {
  Log().push_back(Cell("value_edit", l, c) + " " + text);
  return IUP_DEFAULT;
}

class Matrix : public ::testing::Test {
 protected:
  void SetUp() override {
    if (iup::CurrentDriver() == nullptr) {
      ASSERT_TRUE(iup::InstallDriver(iup::headless::NewDriver()));
    }
    iup::headless::Reset();
    IupOpen();
    iup::canvasfb::InstallHost();
    IupMatrixOpen();
    IupTextMaskOpen();
    IupBindAction("mt_enter", IupAsCallback(OnEnter));
    IupBindAction("mt_leave", IupAsCallback(OnLeave));
    IupBindAction("mt_edition", IupAsCallback(OnEdition));
    IupBindAction("mt_action", IupAsCallback(OnAction));
    IupBindAction("mt_right", IupAsCallback(OnRightClick));
    IupBindAction("mt_drop", IupAsCallback(OnDrop));
    IupBindAction("mt_dropselect", IupAsCallback(OnDropSelect));
    IupBindAction("mt_value", IupAsCallback(OnValue));
    IupBindAction("mt_value_edit", IupAsCallback(OnValueEdit));
    Log().clear();
    leave_answer = edition_answer = action_answer = IUP_DEFAULT;
    mat_ = IupCreateMatrix("mt_action");
    ASSERT_NE(mat_, nullptr);
  }
  void TearDown() override {
    IupDestroy(dialog_ != nullptr ? dialog_ : mat_);
    iup::headless::Reset();
    IupClose();
  }
  void Fill(int lines, int cols) {
    IupSetAttributeCopyF(mat_, "NUMLIN", "%d", lines);
    IupSetAttributeCopyF(mat_, "NUMCOL", "%d", cols);
    for (int l = 0; l <= lines; l++)
      for (int c = 0; c <= cols; c++) {
        if (l == 0 && c == 0) continue;
        char name[32], text[32];
        std::snprintf(name, sizeof name, "%d:%d", l, c);
        std::snprintf(text, sizeof text,
                      l == 0   ? "C%d"
                      : c == 0 ? "L%d"
                               : "%d.%d",
                      l == 0 ? c : l, c);
        IupSetAttributeCopy(mat_, name, text);
      }
  }
  void Show(const char* size = "500x200") {
    IupSetAttribute(mat_, "RASTERSIZE", size);
    for (const char* cb : {"ENTERITEM_CB", "LEAVEITEM_CB", "EDITION_CB", "RIGHTCLICK_CB"})
      if (IupGetAttribute(mat_, cb) == nullptr)
        IupSetAttribute(mat_, cb,
                        std::string(cb) == "ENTERITEM_CB"   ? "mt_enter"
                        : std::string(cb) == "LEAVEITEM_CB" ? "mt_leave"
                        : std::string(cb) == "EDITION_CB"   ? "mt_edition"
                                                            : "mt_right");
    dialog_ = IupCreateDialog(mat_);
    IupShow(dialog_);
    IupLoopStep();
    iup::headless::Focus(mat_);
    iup::headless::DeliverNow();
  }
  void Keys(const std::vector<int>& keys) {
    for (int k : keys) iup::headless::TypeKey(k);
    iup::headless::DeliverNow();
  }
  std::string Get(const char* name) {
    const char* v = IupGetAttribute(mat_, name);
    return v != nullptr ? v : "(null)";
  }
  // Centre of a cell in mouse coordinates (y from the top).
  void CentreOf(int l, int c, int* x, int* y) {
    int x0 = 0, y0 = 0;
    x0 = atoi(Get("WIDTH0").c_str());
    y0 = atoi(Get("HEIGHT0").c_str());
    std::string origin = Get("ORIGIN");
    int fl = 1, fc = 1;
    std::sscanf(origin.c_str(), "%d:%d", &fl, &fc);
    for (int i = fc; i < c; i++) x0 += atoi(Get(("WIDTH" + std::to_string(i)).c_str()).c_str());
    for (int i = fl; i < l; i++) y0 += atoi(Get(("HEIGHT" + std::to_string(i)).c_str()).c_str());
    *x = c == 0 ? x0 / 2 : x0 + atoi(Get(("WIDTH" + std::to_string(c)).c_str()).c_str()) / 2;
    *y = l == 0 ? y0 / 2 : y0 + atoi(Get(("HEIGHT" + std::to_string(l)).c_str()).c_str()) / 2;
  }
  void Click(int l, int c, int modifiers = 0, bool dbl = false) {
    int x = 0, y = 0;
    CentreOf(l, c, &x, &y);
    if (dbl)
      iup::headless::MouseDoubleClick(mat_, '1', x, y, modifiers);
    else
      iup::headless::MousePress(mat_, '1', x, y, modifiers);
    iup::headless::MouseRelease(mat_, '1', x, y, modifiers);
    iup::headless::DeliverNow();
  }
  IupElement* mat_ = nullptr;
  IupElement* dialog_ = nullptr;
};

TEST_F(Matrix, CellsAndTitlesAreAttributes) {
  Fill(3, 2);
  EXPECT_STREQ(IupGetAttribute(mat_, "TYPENAME"), "MATRIX");
  EXPECT_EQ(Get("2:1"), "2.1");
  EXPECT_EQ(Get("0:2"), "C2");
  EXPECT_EQ(Get("3:0"), "L3");
  EXPECT_EQ(Get("4:1"), "(null)") << "outside the grid";
  EXPECT_EQ(Get("NUMLIN"), "3");
  EXPECT_EQ(Get("NUMCOL"), "2");
  // defaults of the class
  EXPECT_EQ(Get("AREA"), "CONTINUOUS");
  EXPECT_EQ(Get("MARK_MODE"), "NO");
  EXPECT_EQ(Get("WIDTHDEF"), "80");
  EXPECT_EQ(Get("HEIGHTDEF"), "8");
  EXPECT_EQ(Get("NUMLIN_VISIBLE"), "3");
  EXPECT_EQ(Get("NUMCOL_VISIBLE"), "4");
  EXPECT_EQ(Get("RESIZEMATRIX"), "NO");
  EXPECT_EQ(Get("SCROLLBAR"), "YES");
  EXPECT_EQ(Get("BORDER"), "NO");
  // cells set before the grid had room are taken when it grows
  IupSetAttribute(mat_, "5:2", "late");
  IupSetAttribute(mat_, "NUMLIN", "5");
  EXPECT_EQ(Get("5:2"), "late");
  // VALUE is the focus cell
  IupSetAttribute(mat_, "FOCUS_CELL", "2:2");
  EXPECT_EQ(Get("VALUE"), "2.2");
  IupSetAttribute(mat_, "VALUE", "new");
  EXPECT_EQ(Get("2:2"), "new");
}

TEST_F(Matrix, SizesInPixels) {
  Fill(3, 3);
  // headless characters are 6 x 13: n / 4 * 6 + 8 and n / 8 * 13 + 6
  IupSetAttribute(mat_, "WIDTH1", "40");
  IupSetAttribute(mat_, "WIDTH2", "0");
  IupSetAttribute(mat_, "WIDTH3", "-1");
  IupSetAttribute(mat_, "HEIGHT2", "16");
  IupSetAttribute(mat_, "3:0", "two\nlines");
  struct Case {
    const char* name;
    const char* pixels;
  } cases[] = {{"WIDTH1", "68"},  {"WIDTH2", "0"},   {"WIDTH3", "68"}, {"HEIGHT1", "19"},
               {"HEIGHT2", "32"}, {"HEIGHT3", "32"}, {"WIDTH0", "38"}, {"HEIGHT0", "19"}};
  for (const Case& c : cases) EXPECT_EQ(Get(c.name), c.pixels) << c.name;
  // the hidden column 2 is not drawn: 3 lines x 2 columns
  std::vector<unsigned char> r(300 * 120), g(r), b(r);
  char data[128];
  std::snprintf(data, sizeof data, "300x120 %p %p %p", (void*)r.data(), (void*)g.data(),
                (void*)b.data());
  cdCanvasHandle cv = cdCreateCanvas(CD_IMAGERGB, data);
  ASSERT_NE(cv, nullptr);
  cdActivate(cv);
  IupMatrixDraw(mat_, 300, 120);
  cdKillCanvas(cv);
  EXPECT_EQ(IupMatrixCellsDrawn(mat_), 6);
}

TEST_F(Matrix, CountsOutOfRangeAreTakenAsZeroOrRefused) {
  Fill(3, 2);
  IupSetAttribute(mat_, "NUMLIN", "-1");
  EXPECT_EQ(Get("NUMLIN"), "0");
  IupSetAttribute(mat_, "NUMLIN", "4");
  IupSetAttribute(mat_, "NUMLIN", "1000000000");
  EXPECT_EQ(Get("NUMLIN"), "4") << "a billion lines are refused";
  IupSetAttribute(mat_, "NUMCOL", "99999999999999999999");
  EXPECT_EQ(Get("NUMCOL"), "2");
  IupSetAttribute(mat_, "NUMCOL", "junk");
  EXPECT_EQ(Get("NUMCOL"), "0");
  Show();
  Keys({K_DOWN, K_RIGHT, 'a', K_CR});  // nothing to move to or edit: no crash
  EXPECT_EQ(Get("VALUE"), "(null)");
}

TEST_F(Matrix, LinesAndColumnsAddedAndDeleted) {
  Fill(3, 2);
  IupSetAttribute(mat_, "ADDLIN", "0-2");
  EXPECT_EQ(Get("NUMLIN"), "5");
  EXPECT_EQ(Get("1:1"), "(null)");
  EXPECT_EQ(Get("2:1"), "(null)");
  EXPECT_EQ(Get("3:1"), "1.1");
  IupSetAttribute(mat_, "DELLIN", "2");
  EXPECT_EQ(Get("NUMLIN"), "4");
  EXPECT_EQ(Get("2:1"), "1.1");
  EXPECT_EQ(Get("4:2"), "3.2");
  IupSetAttribute(mat_, "ADDCOL", "1");
  EXPECT_EQ(Get("NUMCOL"), "3");
  EXPECT_EQ(Get("2:2"), "(null)");
  EXPECT_EQ(Get("2:3"), "1.2");
  IupSetAttribute(mat_, "DELCOL", "1-5");  // the count stops at the last column
  EXPECT_EQ(Get("NUMCOL"), "0");
  for (const char* bad : {"9-1", "-3", "junk"}) {
    IupSetAttribute(mat_, "DELLIN", bad);
    IupSetAttribute(mat_, "ADDLIN", bad);
  }
  EXPECT_EQ(Get("NUMLIN"), "4") << "places outside the grid change nothing";
}

TEST_F(Matrix, MarkingByClicks) {
  Fill(4, 3);
  IupSetAttribute(mat_, "MARK_MODE", "LIN");
  IupSetAttribute(mat_, "MULTIPLE", "YES");
  IupSetAttribute(mat_, "AREA", "NOT_CONTINUOUS");
  Show();
  Click(1, 0);
  Click(3, 0, iup::headless::kCtrl);
  EXPECT_EQ(Get("MARKED"), "L1010");
  Click(1, 0, iup::headless::kCtrl);
  EXPECT_EQ(Get("MARKED"), "L0010");
  IupSetAttribute(mat_, "MARKED", nullptr);
  EXPECT_EQ(Get("MARKED"), "(null)");
  // cells: a click marks one, shift extends to a rectangle from it
  IupSetAttribute(mat_, "MARK_MODE", "CELL");
  Click(1, 1);
  Click(2, 2, iup::headless::kShift);
  EXPECT_EQ(Get("MARKED"), "110110000000");
  IupSetAttribute(mat_, "MARKED", "C011");
  IupSetAttribute(mat_, "MARK_MODE", "COL");
  EXPECT_EQ(Get("MARKED"), "C011");
  // without MULTIPLE a second click replaces the mark
  IupSetAttribute(mat_, "MULTIPLE", "NO");
  IupSetAttribute(mat_, "MARK_MODE", "CELL");
  Click(4, 3);
  Click(1, 1, iup::headless::kCtrl);
  EXPECT_EQ(Get("MARKED"), "100000000000");
}

TEST_F(Matrix, KeyboardNavigation) {
  Fill(20, 3);
  Show("300x150");
  struct Case {
    std::vector<int> keys;
    const char* focus;
  } cases[] = {
      {{K_RIGHT}, "1:2"},
      {{K_RIGHT, K_RIGHT, K_RIGHT}, "1:3"},  // stops at the border
      {{K_TAB, K_TAB, K_TAB}, "2:1"},        // wraps to the next line
      {{K_TAB, K_TAB, K_TAB, K_sTAB}, "1:3"},
      {{K_DOWN, K_cDOWN}, "3:1"},
      {{K_UP}, "1:1"},
      {{K_END}, "1:3"},
      {{K_END, K_END}, "20:3"},
      {{K_DOWN, K_HOME}, "2:1"},
      {{K_DOWN, K_HOME, K_HOME}, "1:1"},
  };
  for (const Case& c : cases) {
    IupSetAttribute(mat_, "FOCUS_CELL", "1:1");
    Keys({K_LEFT});  // a key between cases, so that Home and End start afresh
    Keys(c.keys);
    EXPECT_EQ(Get("FOCUS_CELL"), c.focus)
        << "keys from " << c.keys.front() << ", " << c.keys.size();
  }
  // a page down moves by the lines wholly visible
  IupSetAttribute(mat_, "FOCUS_CELL", "1:1");
  Keys({K_PGDN});
  std::string focus = Get("FOCUS_CELL");
  const int page_line = atoi(focus.c_str());
  EXPECT_GT(page_line, 3);
  EXPECT_LT(page_line, 10);
  Keys({K_PGUP});
  EXPECT_EQ(Get("FOCUS_CELL"), "1:1");
  Keys({K_END, K_END});
  EXPECT_NE(Get("ORIGIN"), "1:1") << "the focus was scrolled into view";
}

TEST_F(Matrix, LeaveAndEnterCallbacks) {
  Fill(3, 3);
  IupSetAttribute(mat_, "ENTERITEM_CB", "mt_enter");
  IupSetAttribute(mat_, "LEAVEITEM_CB", "mt_leave");
  Show();
  Log().clear();
  Keys({K_RIGHT});
  std::vector<std::string> want = {"key 1:1 333 0 1.1", "leave 1:1", "enter 1:2"};
  EXPECT_EQ(Log(), want);
  leave_answer = IUP_IGNORE;
  Log().clear();
  Keys({K_DOWN});
  EXPECT_EQ(Get("FOCUS_CELL"), "1:2") << "IUP_IGNORE from LEAVEITEM_CB keeps the focus";
  want = {"key 1:2 336 0 1.2", "leave 1:2"};
  EXPECT_EQ(Log(), want);
  Click(3, 3);
  EXPECT_EQ(Get("FOCUS_CELL"), "1:2") << "a click is refused too";
}

TEST_F(Matrix, EditingWithTheKeyboard) {
  Fill(3, 3);
  Show();
  Log().clear();
  Keys({'x', 'y', K_CR});
  EXPECT_EQ(Get("1:1"), "xy");
  EXPECT_EQ(Get("FOCUS_CELL"), "2:1") << "Enter ends the edit and moves down";
  std::vector<std::string> want = {"key 1:1 120 0 x", "edit 1:1",   "key 1:1 121 1 x",
                                   "key 1:1 13 1 xy", "unedit 1:1", "leave 1:1",
                                   "enter 2:1"};
  EXPECT_EQ(Log(), want);
  // Escape puts the stored text back
  Keys({K_CR, 'z', K_ESC});
  EXPECT_EQ(Get("2:1"), "2.1");
  EXPECT_EQ(Get("EDIT_MODE"), "NO");
  // Backspace inside the editor; Shift+Enter moves up
  Keys({K_SP, K_BS, K_BS, '9', K_sCR});
  EXPECT_EQ(Get("2:1"), "29");
  EXPECT_EQ(Get("FOCUS_CELL"), "1:1");
  // Right after the last character ends the edit and moves right
  Keys({K_CR, K_RIGHT});
  EXPECT_EQ(Get("FOCUS_CELL"), "1:2");
  EXPECT_EQ(Get("EDIT_MODE"), "NO");
  // Left at the first caret position likewise
  Keys({K_CR, K_HOME, K_LEFT});
  EXPECT_EQ(Get("FOCUS_CELL"), "1:1");
  // an extended key starts editing with an empty text
  Keys({K_DEL, '5', K_TAB});
  EXPECT_EQ(Get("1:1"), "5");
  EXPECT_EQ(Get("FOCUS_CELL"), "1:2");
  // the attribute opens and closes the editor
  IupSetAttribute(mat_, "EDIT_MODE", "YES");
  EXPECT_EQ(Get("EDIT_MODE"), "YES");
  IupSetAttribute(mat_, "VALUE", "set");
  EXPECT_EQ(Get("CARET"), "4");
  IupSetAttribute(mat_, "EDIT_MODE", "NO");
  EXPECT_EQ(Get("1:2"), "set");
}

TEST_F(Matrix, ReturnCodesOfTheCallbacks) {
  Fill(3, 3);
  Show();
  struct Case {
    int action, edition;
    std::vector<int> keys;
    const char* cell;  // 1:1 afterwards
    const char* edit_mode;
  } cases[] = {
      {IUP_DEFAULT, IUP_DEFAULT, {'a', 'b'}, "1.1", "YES"},
      {IUP_IGNORE, IUP_DEFAULT, {'a', 'b', K_CR}, "1.1", "NO"},  // keys stopped
      {IUP_DEFAULT, IUP_IGNORE, {'a'}, "1.1", "NO"},             // editing refused
      {IUP_DEFAULT, IUP_DEFAULT, {'q', K_CR}, "Q", "NO"},        // 'q' replaced by 'Q'
  };
  for (const Case& c : cases) {
    IupSetAttribute(mat_, "EDIT_MODE", "NO");
    IupSetAttribute(mat_, "1:1", "1.1");
    IupSetAttribute(mat_, "FOCUS_CELL", "1:1");
    action_answer = c.action, edition_answer = c.edition;
    Keys(c.keys);
    action_answer = edition_answer = IUP_DEFAULT;
    if (Get("EDIT_MODE") == "YES" && std::string(c.edit_mode) == "NO") Keys({K_ESC});
    EXPECT_EQ(Get("EDIT_MODE"), c.edit_mode) << c.action << "/" << c.edition;
    EXPECT_EQ(Get("1:1"), c.cell) << c.action << "/" << c.edition;
  }
  // EDITION_CB refusing the end keeps the editor open
  IupSetAttribute(mat_, "FOCUS_CELL", "2:2");
  Keys({'z'});
  edition_answer = IUP_IGNORE;
  Keys({K_CR});
  EXPECT_EQ(Get("EDIT_MODE"), "YES");
  EXPECT_EQ(Get("2:2"), "2.2");
  edition_answer = IUP_DEFAULT;
  Keys({K_CR});
  EXPECT_EQ(Get("2:2"), "z");
}

TEST_F(Matrix, MouseEditsAndRightClick) {
  Fill(3, 3);
  Show();
  Click(2, 3, 0, true);
  EXPECT_EQ(Get("FOCUS_CELL"), "2:3");
  EXPECT_EQ(Get("EDIT_MODE"), "YES") << "a double click edits";
  Keys({'!', K_CR});
  EXPECT_EQ(Get("2:3"), "2.3!");
  Log().clear();
  int x = 0, y = 0;
  CentreOf(3, 2, &x, &y);
  iup::headless::MousePress(mat_, '3', x, y);
  iup::headless::MouseRelease(mat_, '3', x, y);
  iup::headless::MousePress(mat_, '3', x, y);
  iup::headless::MouseRelease(mat_, '3', x + 500, y);  // released elsewhere: no call
  iup::headless::DeliverNow();
  const std::vector<std::string> want = {"right 3:2"};
  EXPECT_EQ(Log(), want);
}

TEST_F(Matrix, DropDownEditing) {
  Fill(2, 2);
  IupSetAttribute(mat_, "DROP_CB", "mt_drop");
  IupSetAttribute(mat_, "DROPSELECT_CB", "mt_dropselect");
  Show();
  Log().clear();
  Keys({K_CR, K_DOWN, K_DOWN, K_DOWN, K_UP, K_CR});
  EXPECT_EQ(Get("1:1"), "green");
  const std::vector<std::string> want = {
      "key 1:1 13 0 1.1",         "edit 1:1",       "key 1:1 336 1 ", "key 1:1 336 1 ",
      "key 1:1 336 1 ",           "key 1:1 328 1 ", "key 1:1 13 1 ",  "unedit 1:1",
      "dropselect 1:1 green 2 1", "leave 1:1",      "enter 2:1"};
  EXPECT_EQ(Log(), want);
}

// "FIELD_CB": the element the application puts in the slot edits the cell.
IupElement* field_given = nullptr;
int field_answer = IUP_DEFAULT;
int OnField(IupElement*, IupElement** slot, int l, int c) {
  Log().push_back(Cell("field", l, c));
  *slot = field_given;
  return field_answer;
}
// A field that is not a TEXT: its own key handler makes its value.
int OnFieldKey(IupElement* field, int key) {
  IupSetAttributeCopyF(field, "VALUE", "got %c", key);
  return IUP_DEFAULT;
}

TEST_F(Matrix, FieldCallbackEditsWithTheGivenElement) {
  Fill(3, 3);
  IupBindAction("mt_field", IupAsCallback(OnField));
  IupBindAction("mt_field_key", IupAsCallback(OnFieldKey));
  IupSetAttribute(mat_, "FIELD_CB", "mt_field");
  Show();
  IupElement* text = IupCreateText(nullptr);
  IupElement* list = IupCreateList(nullptr);
  IupSetAttribute(list, "K_ANY", "mt_field_key");
  enum Slot { kText, kNone, kMatrix, kList };
  struct Case {
    const char* what;
    int answer;
    Slot slot;
    const char* attribute;  // set on the field as "NAME=VALUE", or null
    std::vector<int> keys;
    const char* cell;   // 2:2 afterwards
    const char* focus;  // afterwards
    const char* field;  // the field's "VALUE" afterwards
  } cases[] = {
      {"the field edits", IUP_DEFAULT, kText, nullptr, {K_CR, 'x', K_CR}, "2.2x", "3:2", "2.2x"},
      {"refused: own editor", IUP_IGNORE, kText, nullptr, {K_CR, 'x', K_CR}, "2.2x", "3:2", "-"},
      {"empty slot: own editor",
       IUP_DEFAULT,
       kNone,
       nullptr,
       {K_CR, 'x', K_CR},
       "2.2x",
       "3:2",
       "-"},
      {"the matrix itself: own editor",
       IUP_DEFAULT,
       kMatrix,
       nullptr,
       {K_CR, 'x', K_CR},
       "2.2x",
       "3:2",
       "-"},
      {"the field's mask refuses",
       IUP_DEFAULT,
       kText,
       "MASK=##",
       {'7', 'a', '8', K_CR},
       "78",
       "3:2",
       "78"},
      {"Tab kept",
       IUP_DEFAULT,
       kText,
       "TAB_CHANGE=0",
       {K_CR, K_TAB, 'y', K_CR},
       "2.2y",
       "3:2",
       "2.2y"},
      {"Tab leaves", IUP_DEFAULT, kText, nullptr, {K_CR, 'y', K_TAB}, "2.2y", "2:3", "2.2y"},
      {"Shift+Tab kept, Esc",
       IUP_DEFAULT,
       kText,
       "STAB_CHANGE=0",
       {K_CR, K_sTAB, 'y', K_ESC},
       "2.2",
       "2:2",
       "2.2y"},
      {"Shift+Tab leaves",
       IUP_DEFAULT,
       kText,
       "STAB_CHANGE=1",
       {K_CR, 'y', K_sTAB},
       "2.2y",
       "2:1",
       "2.2y"},
      {"Left leaves",
       IUP_DEFAULT,
       kText,
       "LEFT_BORDER=1",
       {K_CR, 'y', K_LEFT},
       "2.2y",
       "2:1",
       "2.2y"},
      {"Left moves the caret",
       IUP_DEFAULT,
       kText,
       nullptr,
       {K_CR, K_LEFT, K_LEFT, 'y', K_CR},
       "2y.2",
       "3:2",
       "2y.2"},
      {"Right leaves", IUP_DEFAULT, kText, "RIGHT_BORDER=1", {K_CR, K_RIGHT}, "2.2", "2:3", "2.2"},
      {"Right kept at the end",
       IUP_DEFAULT,
       kText,
       "RIGHT_BORDER=0",
       {K_CR, K_RIGHT, 'y', K_CR},
       "2.2y",
       "3:2",
       "2.2y"},
      {"a field of its own kind",
       IUP_DEFAULT,
       kList,
       nullptr,
       {K_CR, 'a', K_CR},
       "got a",
       "3:2",
       "got a"},
  };
  for (const Case& c : cases) {
    IupSetAttribute(mat_, "2:2", "2.2");
    IupSetAttribute(mat_, "FOCUS_CELL", "2:2");
    for (IupElement* f : {text, list}) {
      for (const char* a : {"MASK", "TAB_CHANGE", "STAB_CHANGE", "LEFT_BORDER", "RIGHT_BORDER"})
        IupSetAttribute(f, a, nullptr);
      IupSetAttribute(f, "VALUE", "-");
    }
    IupElement* given = c.slot == kText     ? text
                        : c.slot == kList   ? list
                        : c.slot == kMatrix ? mat_
                                            : nullptr;
    if (c.attribute != nullptr) {
      const std::string a = c.attribute;
      const size_t eq = a.find('=');
      IupSetAttributeCopy(given, a.substr(0, eq).c_str(), a.substr(eq + 1).c_str());
    }
    field_given = given;
    field_answer = c.answer;
    Log().clear();
    Keys(c.keys);
    EXPECT_EQ(Get("EDIT_MODE"), "NO") << c.what;
    EXPECT_EQ(Get("2:2"), c.cell) << c.what;
    EXPECT_EQ(Get("FOCUS_CELL"), c.focus) << c.what;
    IupElement* shown = c.slot == kList ? list : text;
    EXPECT_STREQ(IupGetAttribute(shown, "VALUE"), c.field) << c.what;
    EXPECT_EQ(std::count(Log().begin(), Log().end(), "field 2:2"), 1) << c.what;
  }
  // while the field edits, the matrix's "VALUE" is its text
  field_given = text, field_answer = IUP_DEFAULT;
  IupSetAttribute(mat_, "FOCUS_CELL", "1:1");
  Keys({K_CR, 'w'});
  EXPECT_EQ(Get("VALUE"), "1.1w");
  Keys({K_ESC});
  IupDestroy(text);
  IupDestroy(list);
}

TEST_F(Matrix, AFieldDestroyedWhileEditingEndsTheEdit) {
  Fill(2, 2);
  IupBindAction("mt_field", IupAsCallback(OnField));
  IupSetAttribute(mat_, "FIELD_CB", "mt_field");
  Show();
  field_given = IupCreateText(nullptr);
  field_answer = IUP_DEFAULT;
  Keys({K_CR, 'k'});
  EXPECT_EQ(Get("EDIT_MODE"), "YES");
  IupDestroy(field_given);
  field_given = nullptr;
  Keys({'z'});  // ends the edit: the key has nowhere to go
  EXPECT_EQ(Get("EDIT_MODE"), "NO");
  EXPECT_EQ(Get("1:1"), "1.1k") << "the cell keeps the text the field had last";
}

// The drop-down by mouse: a double click opens the cell's items under it;
// a click on an item chooses it; a click on the cell opens or closes them; a
// click elsewhere closes them and ends the edit with the item shown.
TEST_F(Matrix, DropDownChosenWithTheMouse) {
  Fill(4, 2);
  IupSetAttribute(mat_, "DROP_CB", "mt_drop");
  IupSetAttribute(mat_, "DROPSELECT_CB", "mt_dropselect");
  Show("400x200");
  int w = 0;
  auto shown = [&] {
    iup::canvasfb::PresentDamaged();
    int h = 0;
    const unsigned char *r = nullptr, *g = nullptr, *b = nullptr;
    std::vector<long> p;
    if (iup::canvasfb::Shown(mat_, &w, &h, &r, &g, &b))
      for (size_t i = 0; i < size_t(w) * size_t(h); i++)
        p.push_back(cdEncodeColor(r[i], g[i], b[i]));
    return p;
  };
  auto click_at = [&](int x, int y, bool dbl = false) {
    if (dbl)
      iup::headless::MouseDoubleClick(mat_, '1', x, y, 0);
    else
      iup::headless::MousePress(mat_, '1', x, y, 0);
    iup::headless::MouseRelease(mat_, '1', x, y, 0);
    iup::headless::DeliverNow();
  };
  // the items go one per line height under cell 1:1, over lines 2 to 4
  int x = 0, y = 0;
  CentreOf(1, 1, &x, &y);
  const int item_h = atoi(Get("HEIGHT1").c_str());
  auto item_y = [&](int i) { return y + i * item_h; };
  const std::vector<long> closed = shown();
  Log().clear();
  click_at(x, y, true);
  EXPECT_EQ(Get("EDIT_MODE"), "YES");
  const std::vector<long> open = shown();
  EXPECT_NE(open, closed) << "the items are drawn";
  click_at(x, item_y(3));  // "blue"
  EXPECT_EQ(Get("EDIT_MODE"), "NO");
  EXPECT_EQ(Get("1:1"), "blue");
  EXPECT_EQ(Get("FOCUS_CELL"), "1:1") << "choosing keeps the focus on the cell";
  EXPECT_NE(std::find(Log().begin(), Log().end(), "dropselect 1:1 blue 3 1"), Log().end());
  EXPECT_EQ(Get("2:1"), "2.1") << "the cell under the item is untouched";
  // Enter edits with the items closed: a click on a line below is a click
  // on that cell; a click on the cell opens them, another closes them
  struct Case {
    std::vector<int> clicks;  // 0: the cell itself, i: where item i shows
    const char* cell;         // 1:1 afterwards
    const char* edit_mode;
    const char* focus;
  } cases[] = {
      {{0, 2}, "green", "NO", "1:1"},    // opened, then green chosen
      {{0, 0, 1}, "blue", "NO", "2:1"},  // opened and closed: the click lands on 2:1
      {{0}, "blue", "YES", "1:1"},       // still open, still editing
  };
  for (const Case& c : cases) {
    IupSetAttribute(mat_, "EDIT_MODE", "NO");
    IupSetAttribute(mat_, "1:1", "blue");
    IupSetAttribute(mat_, "FOCUS_CELL", "1:1");
    Keys({K_CR});
    ASSERT_EQ(Get("EDIT_MODE"), "YES");
    for (int i : c.clicks) click_at(x, item_y(i));
    EXPECT_EQ(Get("1:1"), c.cell);
    EXPECT_EQ(Get("EDIT_MODE"), c.edit_mode);
    EXPECT_EQ(Get("FOCUS_CELL"), c.focus);
  }
  Keys({K_ESC});
  EXPECT_EQ(Get("EDIT_MODE"), "NO");
  // closed, the items leave no trace: below line 1 the picture is the first one
  const std::vector<long> after = shown();
  ASSERT_EQ(after.size(), closed.size());
  const size_t from = size_t(atoi(Get("HEIGHT0").c_str()) + item_h) * size_t(w);
  EXPECT_TRUE(std::equal(after.begin() + long(from), after.end(), closed.begin() + long(from)));
}

TEST_F(Matrix, CallbackModeAsksForTexts) {
  IupSetAttribute(mat_, "VALUE_CB", "mt_value");
  IupSetAttribute(mat_, "VALUE_EDIT_CB", "mt_value_edit");
  IupSetAttribute(mat_, "NUMLIN", "100");
  IupSetAttribute(mat_, "NUMCOL", "5");
  Show();
  EXPECT_EQ(Get("7:3"), "v7.3");
  Log().clear();
  Keys({'4', '2', K_CR});
  const std::vector<std::string> want = {"edit 1:1", "unedit 1:1", "value_edit 1:1 42", "leave 1:1",
                                         "enter 2:1"};
  std::vector<std::string> got;
  for (const std::string& s : Log())
    if (s.rfind("key", 0) != 0) got.push_back(s);
  EXPECT_EQ(got, want);
  EXPECT_EQ(Get("1:1"), "v1.1") << "the matrix keeps no text of its own";
}

// "REDRAW" with "L" or "C" draws only those lines or columns: the texts
// change behind the matrix (callback mode), and only the named cells show
// the new ones; every pixel outside them stays as it was.
TEST_F(Matrix, RedrawOfLinesOrColumnsDrawsOnlyThem) {
  value_prefix = "v";
  IupSetAttribute(mat_, "VALUE_CB", "mt_value");
  IupSetAttribute(mat_, "NUMLIN", "4");
  IupSetAttribute(mat_, "NUMCOL", "3");
  IupSetAttribute(mat_, "WIDTHDEF", "30");
  Show("400x200");
  IupSetAttribute(mat_, "REDRAW", "ALL");
  const long all = IupMatrixCellsDrawn(mat_);
  ASSERT_EQ(all, 12) << "the test wants every cell in view";
  // top-down pixel rows and columns of lines and columns
  const int title_w = atoi(Get("WIDTH0").c_str()), title_h = atoi(Get("HEIGHT0").c_str());
  auto rows_of = [&](int l0, int l1, int* y0, int* y1) {
    *y0 = title_h;
    for (int l = 1; l < l0; l++) *y0 += atoi(Get(("HEIGHT" + std::to_string(l)).c_str()).c_str());
    *y1 = *y0;
    for (int l = l0; l <= l1; l++) *y1 += atoi(Get(("HEIGHT" + std::to_string(l)).c_str()).c_str());
  };
  auto cols_of = [&](int c0, int c1, int* x0, int* x1) {
    *x0 = title_w;
    for (int c = 1; c < c0; c++) *x0 += atoi(Get(("WIDTH" + std::to_string(c)).c_str()).c_str());
    *x1 = *x0;
    for (int c = c0; c <= c1; c++) *x1 += atoi(Get(("WIDTH" + std::to_string(c)).c_str()).c_str());
  };
  auto picture = [&] {
    iup::canvasfb::PresentDamaged();
    int w = 0, h = 0;
    const unsigned char *r = nullptr, *g = nullptr, *b = nullptr;
    std::vector<long> p;
    if (!iup::canvasfb::Shown(mat_, &w, &h, &r, &g, &b)) return p;
    for (size_t i = 0; i < size_t(w) * size_t(h); i++) p.push_back(cdEncodeColor(r[i], g[i], b[i]));
    return p;
  };
  int w = 0, h = 0;
  const unsigned char *pr, *pg, *pb;
  ASSERT_TRUE(iup::canvasfb::Shown(mat_, &w, &h, &pr, &pg, &pb));
  struct Case {
    const char* redraw;
    bool lines;
    int from, to;  // the lines or columns drawn
  } cases[] = {
      {"L2", true, 2, 2},  {"L3:4", true, 3, 4},  {"L4:3", true, 3, 4},
      {"C3", false, 3, 3}, {"C1:2", false, 1, 2},
  };
  int generation = 0;
  for (const Case& c : cases) {
    value_prefix = "v";
    IupSetAttribute(mat_, "REDRAW", "ALL");
    const std::vector<long> before = picture();
    value_prefix = std::string(1, static_cast<char>('a' + generation++));
    IupSetAttribute(mat_, "REDRAW", c.redraw);
    const std::vector<long> after = picture();
    ASSERT_EQ(before.size(), after.size());
    const int count = c.to - c.from + 1;
    EXPECT_EQ(IupMatrixCellsDrawn(mat_), count * (c.lines ? 3 : 4)) << c.redraw;
    int a0 = 0, a1 = 0;  // the region drawn along its axis
    if (c.lines)
      rows_of(c.from, c.to, &a0, &a1);
    else
      cols_of(c.from, c.to, &a0, &a1);
    long changed_inside = 0, changed_outside = 0;
    for (int y = 0; y < h; y++)
      for (int x = 0; x < w; x++) {
        const size_t i = size_t(y) * size_t(w) + size_t(x);
        const int along = c.lines ? y : x;
        if (before[i] == after[i]) continue;
        if (along >= a0 && along < a1)
          changed_inside++;
        else
          changed_outside++;
      }
    EXPECT_GT(changed_inside, 0) << c.redraw << ": the new texts are shown";
    EXPECT_EQ(changed_outside, 0) << c.redraw << ": nothing else was drawn";
  }
  // anything else draws the whole matrix: every line shows the new texts
  value_prefix = "z";
  IupSetAttribute(mat_, "REDRAW", "X9");
  EXPECT_EQ(IupMatrixCellsDrawn(mat_), all);
  value_prefix = "v";
}

TEST_F(Matrix, AMaskOnACell) {
  Fill(3, 3);
  Show();
  ASSERT_EQ(IupTextMaskSetInteger(mat_, 0, 0, 99, 2, 1), 1);
  EXPECT_EQ(IupTextMaskSetCell(mat_, "[a", 0, 0, 1, 1), 0);
  EXPECT_STREQ(IupGetAttribute(mat_, "iup_matrix_app_action"), "iupmaskMATACTION");
  IupSetAttribute(mat_, "FOCUS_CELL", "2:1");
  Log().clear();
  Keys({'a', '1', 'b', '2', '3', K_CR});
  EXPECT_EQ(Get("2:1"), "12") << "letters and a third digit are refused";
  // the application action still runs behind the mask, for every key it lets through
  EXPECT_EQ(Log().front(), "key 2:1 49 0 1");
  EXPECT_EQ(IupTextMaskCheck(mat_, "12", 2, 1), 1);
  EXPECT_EQ(IupTextMaskCheck(mat_, "120", 2, 1), 0);
  EXPECT_EQ(IupTextMaskCheck(mat_, "anything", 1, 1), 1) << "no mask on 1:1";
  // an unmasked cell takes letters
  Keys({K_UP, K_UP, 'a', K_CR});
  EXPECT_EQ(Get("1:1"), "a");
}

TEST_F(Matrix, ScrollingDrawsOnlyTheVisibleCells) {
  IupSetAttribute(mat_, "NUMLIN", "10000");
  IupSetAttribute(mat_, "NUMCOL", "20");
  Show("400x200");
  const long visible = IupMatrixCellsDrawn(mat_);
  EXPECT_GT(visible, 0);
  EXPECT_LT(visible, 200);
  iup::headless::Scroll(mat_, IUP_SBDN);
  iup::headless::DeliverNow();
  EXPECT_EQ(Get("ORIGIN"), "2:1");
  EXPECT_EQ(IupMatrixCellsDrawn(mat_), visible);
  iup::headless::Scroll(mat_, IUP_SBDRAGV, 30000);
  iup::headless::DeliverNow();
  const int first = atoi(Get("ORIGIN").c_str());
  EXPECT_GT(first, 9980) << Get("ORIGIN");
  EXPECT_LE(IupMatrixCellsDrawn(mat_), visible);
  IupSetAttribute(mat_, "POSY", "0.5");
  EXPECT_EQ(Get("ORIGIN"), "5001:1");
}

TEST_F(Matrix, ColumnsResizedByDraggingTheirTitleBorder) {
  Fill(2, 3);
  Show();
  const int w1 = atoi(Get("WIDTH1").c_str());
  const int border = atoi(Get("WIDTH0").c_str()) + w1, y = atoi(Get("HEIGHT0").c_str()) / 2;
  auto drag = [&](int dx, int from = 0) {
    iup::headless::MousePress(mat_, '1', border + from, y);
    iup::headless::MouseMotion(mat_, border + from + dx, y);
    iup::headless::MouseRelease(mat_, '1', border + from + dx, y);
    iup::headless::DeliverNow();
  };
  drag(30);
  EXPECT_EQ(atoi(Get("WIDTH1").c_str()), w1) << "RESIZEMATRIX is NO by default";
  IupSetAttribute(mat_, "RESIZEMATRIX", "YES");
  iup::headless::MouseMotion(mat_, border, y);
  iup::headless::DeliverNow();
  EXPECT_EQ(Get("CURSOR"), "RESIZE_C") << "over the border of a column title";
  drag(30);
  EXPECT_EQ(atoi(Get("WIDTH1").c_str()), w1 + 30);
  drag(-5000, 30);
  EXPECT_EQ(atoi(Get("WIDTH1").c_str()), 1) << "never narrower than a pixel";
  IupSetAttribute(mat_, "WIDTH1", "40");
  EXPECT_EQ(Get("WIDTH1"), "68") << "setting the width again replaces the dragged one";
}

TEST_F(Matrix, ReferencePictures) {
  struct Scene {
    const char* name;
    int w, h;
    void (*setup)(IupElement*);
  } scenes[] = {
      {"matrix_plain", 300, 90,
       [](IupElement* m) {
         IupSetAttribute(m, "ALIGNMENT1", "ALEFT");
         IupSetAttribute(m, "ALIGNMENT3", "ARIGHT");
       }},
      {"matrix_marked_coloured", 300, 90,
       [](IupElement* m) {
         IupSetAttribute(m, "MARK_MODE", "CELL");
         IupSetAttribute(m, "MARKED", "000110000");
         IupSetAttribute(m, "BGCOLOR1:*", "255 255 0");
         IupSetAttribute(m, "FGCOLOR*:3", "255 0 0");
         IupSetAttribute(m, "BGCOLOR3:3", "0 128 255");
         IupSetAttribute(m, "FOCUS_CELL", "3:2");
       }},
  };
  for (const Scene& s : scenes) {
    IupElement* m = IupCreateMatrix(nullptr);
    IupSetAttribute(m, "NUMLIN", "3");
    IupSetAttribute(m, "NUMCOL", "3");
    for (int l = 0; l <= 3; l++)
      for (int c = 0; c <= 3; c++) {
        if (l == 0 && c == 0) continue;
        char name[16], text[16];
        std::snprintf(name, sizeof name, "%d:%d", l, c);
        std::snprintf(text, sizeof text,
                      l == 0   ? "Col %d"
                      : c == 0 ? "Lin %d"
                               : "%d%d",
                      l == 0 ? c : l, c);
        IupSetAttributeCopy(m, name, text);
      }
    IupSetAttribute(m, "WIDTHDEF", "40");
    s.setup(m);
    std::vector<unsigned char> r(size_t(s.w * s.h), 255), g(r), b(r);
    char data[128];
    std::snprintf(data, sizeof data, "%dx%d %p %p %p", s.w, s.h, (void*)r.data(), (void*)g.data(),
                  (void*)b.data());
    cdCanvasHandle cv = cdCreateCanvas(CD_IMAGERGB, data);
    ASSERT_NE(cv, nullptr);
    cdActivate(cv);
    IupMatrixDraw(m, s.w, s.h);
    cdKillCanvas(cv);
    IupDestroy(m);
    golden::Expect(std::string(VARKO_TEST_DATA) + "/golden/" + s.name + ".ppm",
                   golden::Ppm(s.w, s.h, r.data(), g.data(), b.data()));
  }
}

}  // namespace
