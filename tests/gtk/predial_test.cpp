// The predefined dialogs built from toolkit elements (alarm, list, data
// entry, scanf, version), on the GTK driver under Xvfb with real clicks and
// keys from xdotool: what their windows show and what they answer, as on
// the headless driver.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "gtkfixture.h"
#include "gtkprobe.h"
#include "iup.h"
#include "predial.h"

namespace {

using gtkprobe::During;
using gtkprobe::Step;
using gtkprobe::WaitWindow;
using Texts = std::vector<std::string>;

class Predial : public gtkprobe::ToolkitTest {
 protected:
  Predial() : ToolkitTest(true) {}
  GtkWindow* window_ = nullptr;
};

// Actions of a user on the window the steps found.
Step ClickButton(GtkWindow** window, const char* text) {
  return {std::string("click ") + text,
          [=] {
            const gtkprobe::Look look = gtkprobe::LookAt(*window);
            std::string shown;
            for (const std::string& b : look.buttons) shown += " [" + b + "]";
            EXPECT_TRUE(gtkprobe::ClickWidget(gtkprobe::FindButton(*window, text)))
                << text << " among" << shown;
          },
          nullptr};
}
Step Press(GtkWindow** window, const char* keys) {
  return {std::string("keys ") + keys, [=] { EXPECT_TRUE(gtkprobe::Keys(*window, keys)); },
          nullptr};
}
Step Write(GtkWindow** window, const char* text) {
  return {std::string("type ") + text, [=] { EXPECT_TRUE(gtkprobe::Type(*window, text)); },
          nullptr};
}
// Keys that end the dialog: pressed again while it stays up, since a key
// can be lost while the focus moves; the step ends when the dialog is gone.
Step PressToClose(GtkWindow** window, const char* keys, const std::string& title,
                  const char* what = nullptr) {
  return {what != nullptr ? what : std::string("keys ") + keys,
          [=] { gtkprobe::Keys(*window, keys); },
          [=] { return gtkprobe::Toplevel(title) == nullptr; }, 3};
}
Step CloseBox(GtkWindow** window, const std::string& title) {
  return PressToClose(window, "alt+F4", title, "close box");
}
// Clicks row (from 0) of the window's list, count times, with keys held.
Step ClickRow(GtkWindow** window, int row, int count, const char* keys = nullptr) {
  return {"click row " + std::to_string(row),
          [=] {
            GtkWidget* view = gtkprobe::FindWidget(*window, GTK_TYPE_TREE_VIEW);
            ASSERT_NE(view, nullptr);
            GtkTreePath* path = gtk_tree_path_new_from_indices(row, -1);
            GdkRectangle cell;
            gtk_tree_view_get_cell_area(GTK_TREE_VIEW(view), path, nullptr, &cell);
            gtk_tree_path_free(path);
            int x = 0, y = 0;
            gtk_tree_view_convert_bin_window_to_widget_coords(GTK_TREE_VIEW(view), cell.x + 10,
                                                              cell.y + cell.height / 2, &x, &y);
            EXPECT_TRUE(gtkprobe::ClickWidget(view, count, x, y, keys));
          },
          nullptr};
}
Step Look(GtkWindow** window, gtkprobe::Look* look) {
  return {"look", [=] { *look = gtkprobe::LookAt(*window); }, nullptr};
}

TEST_F(Predial, AlarmShowsEveryLineAndItsButtons) {
  gtkprobe::Look look;
  int answer = 0;
  During({WaitWindow("Question", &window_), Look(&window_, &look), ClickButton(&window_, "Maybe")},
         [&] { answer = IupAlarm("Question", "one\ntwo\nthree", "Yes", "No", "Maybe"); });
  EXPECT_EQ(look.labels, (Texts{"one", "two", "three"}));
  EXPECT_EQ(look.buttons, (Texts{"Yes", "No", "Maybe"}));
  EXPECT_EQ(answer, 3);
}

TEST_F(Predial, AlarmWithOneButtonCentresIt) {
  int answer = 0, offset = 999;
  Step measure{"measure",
               [&] {
                 GtkWidget* button = gtkprobe::FindButton(window_, "Fine");
                 ASSERT_NE(button, nullptr);
                 int x = 0, y = 0;
                 gtk_widget_translate_coordinates(button, GTK_WIDGET(window_),
                                                  gtk_widget_get_allocated_width(button) / 2, 0, &x,
                                                  &y);
                 offset = x - gtk_widget_get_allocated_width(GTK_WIDGET(window_)) / 2;
               },
               nullptr};
  During({WaitWindow("Alone", &window_), measure, ClickButton(&window_, "Fine")}, [&] {
    answer = IupAlarm("Alone", "a rather long line of message text", "Fine", nullptr, nullptr);
  });
  EXPECT_LE(std::abs(offset), 2) << "the button's centre is off the window's by " << offset;
  EXPECT_EQ(answer, 1);
}

TEST_F(Predial, AlarmAnswersTheButtonTheUserChose) {
  struct Case {
    const char* what;
    const char* button3;
    int expected;
  };
  const Case cases[] = {
      {"Yes", "Maybe", 1},    {"No", "Maybe", 2},
      {"Return", "Maybe", 1},  // "DEFAULTENTER" names the first button
      {"close", nullptr, 2},   // the close box answers the last button
      {"close", "Maybe", 3},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.what) + (c.button3 ? " of three" : " of two"));
    std::vector<Step> steps{WaitWindow("Q", &window_)};
    if (std::strcmp(c.what, "close") == 0)
      steps.push_back(CloseBox(&window_, "Q"));
    else if (std::strcmp(c.what, "Return") == 0)
      steps.push_back(PressToClose(&window_, "Return", "Q"));
    else
      steps.push_back(ClickButton(&window_, c.what));
    int answer = 0;
    During(steps, [&] { answer = IupAlarm("Q", "m", "Yes", "No", c.button3); });
    EXPECT_EQ(answer, c.expected);
  }
}

TEST_F(Predial, ListDialogSingleChoice) {
  const char* items[] = {"a", "b", "c", "d"};
  int marks[] = {0, 0, 0, 0};
  gtkprobe::Look look;
  int answer = 0;
  During({WaitWindow("Pick", &window_), Look(&window_, &look), ClickButton(&window_, "Ok")},
         [&] { answer = IupListDialog(1, "Pick", 4, items, 0, 10, 4, marks); });
  EXPECT_EQ(answer, 0) << "selected 0 starts on item 1";
  EXPECT_EQ(look.buttons, (Texts{"Ok", "Cancel"}));

  struct Case {
    const char* what;
    int selected;
    std::vector<Step> actions;
    int expected;
  };
  const Case cases[] = {
      {"a click on item 3, then Ok", 1, {ClickRow(&window_, 2, 1), ClickButton(&window_, "Ok")}, 2},
      {"a click on item 2, then Return",
       1,
       {ClickRow(&window_, 1, 1), PressToClose(&window_, "Return", "Pick")},
       1},
      {"a double click on item 4", 1, {ClickRow(&window_, 3, 2)}, 3},
      {"a double click on the selected item", 2, {ClickRow(&window_, 1, 2)}, 1},
      {"cancel", 2, {ClickButton(&window_, "Cancel")}, -1},
      {"Escape", 2, {PressToClose(&window_, "Escape", "Pick")}, -1},
      {"close box", 3, {CloseBox(&window_, "Pick")}, -1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    std::vector<Step> steps{WaitWindow("Pick", &window_)};
    steps.insert(steps.end(), c.actions.begin(), c.actions.end());
    During(steps, [&] { answer = IupListDialog(1, "Pick", 4, items, c.selected, 10, 4, marks); });
    EXPECT_EQ(answer, c.expected);
  }
}

TEST_F(Predial, ListDialogMultipleChoiceReadsTheMarksBack) {
  const char* items[] = {"a", "b", "c", "d"};
  struct Case {
    const char* what;
    std::vector<Step> actions;
    int expected;
    std::vector<int> marks;
  };
  const Case cases[] = {
      {"item 2 marked, confirmed",
       {ClickRow(&window_, 1, 1, "ctrl"), ClickButton(&window_, "Ok")},
       0,
       {1, 1, 1, 0}},
      {"item 1 unmarked, confirmed with Return",
       {ClickRow(&window_, 0, 1, "ctrl"), PressToClose(&window_, "Return", "Marks")},
       0,
       {0, 0, 1, 0}},
      {"item 2 marked, cancelled",
       {ClickRow(&window_, 1, 1, "ctrl"), ClickButton(&window_, "Cancel")},
       -1,
       {1, 0, 1, 0}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    int marks[] = {1, 0, 1, 0};
    std::vector<Step> steps{WaitWindow("Marks", &window_)};
    steps.insert(steps.end(), c.actions.begin(), c.actions.end());
    int answer = 0;
    During(steps, [&] { answer = IupListDialog(2, "Marks", 4, items, 1, 10, 4, marks); });
    EXPECT_EQ(answer, c.expected);
    EXPECT_EQ(std::vector<int>(marks, marks + 4), c.marks);
  }
}

TEST_F(Predial, ScanfShowsTheValuesAndReadsTheTypedText) {
  double big = 1e30;
  char word[6] = "abc";
  std::string shown;
  Step read_field{"read the first field",
                  [&] {
                    const char* value = IupGetAttribute(IupGetFocus(), "VALUE");
                    shown = value != nullptr ? value : "";
                  },
                  nullptr};
  int answer = 0;
  During(
      {WaitWindow("Form", &window_), read_field, Press(&window_, "ctrl+a"), Write(&window_, "2.5"),
       Press(&window_, "Tab ctrl+a"), Write(&window_, "abcdefghij"), ClickButton(&window_, "Ok")},
      [&] { answer = IupScanf("Form\nBig:%20.10%lf\nWord:%5.5%s\n", &big, word); });
  EXPECT_EQ(shown, "1000000000000000019884624838656.000000")
      << "a value wider than its field is shown whole";
  EXPECT_EQ(answer, 2);
  EXPECT_EQ(big, 2.5);
  EXPECT_STREQ(word, "abcde") << "typing stops at the field's five characters";
}

TEST_F(Predial, ScanfAnswersTheFieldThatDoesNotConvertOrACancel) {
  struct Case {
    const char* what;
    std::vector<Step> actions;
    int expected;
  };
  const Case cases[] = {
      {"text that is no number",
       {Press(&window_, "ctrl+a"), Write(&window_, "zz"), ClickButton(&window_, "Ok")},
       0},
      {"cancel", {ClickButton(&window_, "Cancel")}, -1},
      {"close box", {CloseBox(&window_, "Form")}, -1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    int number = 7;
    std::vector<Step> steps{WaitWindow("Form", &window_)};
    steps.insert(steps.end(), c.actions.begin(), c.actions.end());
    int answer = 99;
    During(steps, [&] { answer = IupScanf("Form\nN:%5.5%d\n", &number); });
    EXPECT_EQ(answer, c.expected);
    EXPECT_EQ(number, 7);
  }
}

TEST_F(Predial, DataEntryKeysMoveBetweenFieldsAndEscapeEmptiesOne) {
  const int max[] = {10, 10, 10};
  const int widths[] = {5, 5, 5};
  const char* labels[] = {"A", "B", "C"};
  char* values[] = {const_cast<char*>("one"), const_cast<char*>("two"), const_cast<char*>("six")};
  int answer = 0;
  // Down and Enter go to the next field, Up back; the text is handed back
  // even when the dialog is cancelled
  During({WaitWindow("Entry", &window_), Press(&window_, "End"), Write(&window_, "!"),
          Press(&window_, "Down"), Press(&window_, "Escape"), Press(&window_, "Return End"),
          Write(&window_, "?"), Press(&window_, "Up Up End"), Write(&window_, "1"),
          ClickButton(&window_, "Cancel")},
         [&] { answer = IupDataEntry(3, max, widths, "Entry", labels, values); });
  EXPECT_EQ(answer, -1);
  EXPECT_STREQ(values[0], "one!1");
  EXPECT_STREQ(values[1], "");
  EXPECT_STREQ(values[2], "six?");
  for (char* v : values) std::free(v);
}

TEST_F(Predial, VersionDialogFollowsTheLanguage) {
  struct Case {
    bool english;
    const char* title;
    Texts labels;
  };
  const Case cases[] = {
      {true, "IUP/Windows Version", {"IUP/Windows", "version 1.8.3", "5/31/99"}},
      {false, "Vers\u00e3o do IUP/Windows", {"IUP/Windows", "vers\u00e3o 1.8.3", "31/5/99"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.title);
    if (!c.english) unsetenv("IUP_INGLES");
    gtkprobe::Look look;
    During({WaitWindow(c.title, &window_), Look(&window_, &look), ClickButton(&window_, "Ok")},
           [] { IupVersionDialog(); });
    EXPECT_EQ(look.labels, c.labels);
    EXPECT_EQ(look.buttons, Texts{"Ok"});
  }
}

TEST_F(Predial, PortugueseButtons) {
  unsetenv("IUP_INGLES");
  const char* items[] = {"a", "b"};
  int marks[] = {0, 0};
  gtkprobe::Look list_look, entry_look;
  int answer = 0;
  During(
      {WaitWindow("Lista", &window_), Look(&window_, &list_look), ClickButton(&window_, "Cancela")},
      [&] { answer = IupListDialog(1, "Lista", 2, items, 1, 10, 2, marks); });
  EXPECT_EQ(answer, -1);
  EXPECT_EQ(list_look.buttons, (Texts{"Confirma", "Cancela"}));
  int number = 12;
  During({WaitWindow("Dados", &window_), Look(&window_, &entry_look),
          ClickButton(&window_, "Confirma")},
         [&] { answer = IupScanf("Dados\nN:%4.4%d\n", &number); });
  EXPECT_EQ(answer, 1);
  EXPECT_EQ(number, 12);
  EXPECT_EQ(entry_look.buttons, (Texts{"Confirma", "Cancela"}));
}

}  // namespace
