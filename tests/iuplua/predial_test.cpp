// The predefined dialogs' C interface where callers hand in fixed buffers
// and arrays: nothing is written past them, and cancelling leaves them be.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "headless/iupheadless.h"
#include "iup.h"
#include "predial.h"

namespace {

namespace hl = iup::headless;

// Steps run one per idle call while a popup is up.
std::vector<std::function<void()>> g_steps;
size_t g_next = 0;

int RunStep() {
  if (g_next < g_steps.size()) g_steps[g_next++]();
  return IUP_DEFAULT;
}

class Predial : public ::testing::Test {
 protected:
  void SetUp() override {
    setenv("IUP_DRIVER", "headless", 1);
    setenv("IUP_INGLES", "1", 1);
    if (iup::CurrentDriver() == nullptr) iup::InstallDriver(iup::headless::NewDriver());
    IupOpen();
  }
  void TearDown() override {
    IupSetIdle(nullptr);
    IupClose();
  }
  void During(std::vector<std::function<void()>> steps) {
    g_steps = std::move(steps);
    g_next = 0;
    IupSetIdle(RunStep);
  }
  static std::function<void()> Click(const char* name) {
    return [name] { hl::Click(IupGetHandle(name)); };
  }
};

TEST_F(Predial, ScanfShowsAWideValueWholeAndReadsItBack) {
  double big = 1e30;
  std::string shown;
  During({[&] {
            const char* v = IupGetAttribute(IupGetFocus(), "VALUE");
            shown = v ? v : "";
          },
          Click("IupDataEntryOkButton")});
  EXPECT_EQ(IupScanf("Form\nBig:%20.10%lf\n", &big), 1);
  EXPECT_EQ(shown, "1000000000000000019884624838656.000000");
  EXPECT_EQ(big, 1e30);
}

TEST_F(Predial, ScanfStringsStayWithinTheirField) {
  char word[6] = "abc";
  int number = 4;
  During({[] {
            hl::SetSelection(IupGetFocus(), 0, 3);
            hl::TypeText("abcdefghij");
          },
          [] { hl::TypeKey(K_TAB); }, [] { hl::TypeText("x"); }, Click("IupDataEntryOkButton")});
  EXPECT_EQ(IupScanf("Form\nWord:%5.5%s\nN:%3.3%d\n", word, &number), 1);
  EXPECT_LE(std::strlen(word), 5u);
  EXPECT_EQ(std::string(word), std::string("abcdefghij").substr(0, std::strlen(word)));
  EXPECT_EQ(number, 4) << "unchanged: field 1 did not convert";
}

TEST_F(Predial, GetFileNeverWritesPastTheBuffer) {
  char name[256] = "start";
  hl::AnswerFile(std::string(300, 'p').c_str());
  EXPECT_EQ(IupGetFile(name), -1) << "a path that does not fit is not cut into another name";
  EXPECT_STREQ(name, "start");
  hl::AnswerFile("fresh.txt");
  EXPECT_EQ(IupGetFile(name), 1);
  EXPECT_STREQ(name, "fresh.txt");
}

TEST_F(Predial, CancelledListLeavesTheMarks) {
  const char* items[] = {"a", "b", "c"};
  int marks[] = {1, 0, 1};
  During({[] { hl::SelectListItem(IupGetFocus(), 2); }, Click("IupListCancelButton")});
  EXPECT_EQ(IupListDialog(2, "Marks", 3, items, 1, 10, 3, marks), -1);
  EXPECT_EQ(marks[0], 1);
  EXPECT_EQ(marks[1], 0);
  EXPECT_EQ(marks[2], 1);
  During({[] { hl::SelectListItem(IupGetFocus(), 2); }, Click("IupListOkButton")});
  EXPECT_EQ(IupListDialog(2, "Marks", 3, items, 1, 10, 3, marks), 0);
  EXPECT_EQ(marks[1], 1);
}

TEST_F(Predial, DataEntryHandsBackNewCopies) {
  const int max[] = {10, 10};
  const int widths[] = {5, 5};
  const char* labels[] = {"A", "B"};
  char* values[] = {const_cast<char*>("one"), const_cast<char*>("two")};
  During({[] {
            hl::SetCaret(IupGetFocus(), 3);
            hl::TypeText("!");
          },
          Click("IupDataEntryCancelButton")});
  EXPECT_EQ(IupDataEntry(2, max, widths, "Form", labels, values), -1);
  EXPECT_STREQ(values[0], "one!") << "the text is handed back whatever the outcome";
  EXPECT_STREQ(values[1], "two");
  std::free(values[0]);
  std::free(values[1]);
}

TEST_F(Predial, VersionDialogFollowsTheLanguage) {
  std::string title, version;
  During({[&] {
    IupElement* dialog = IupGetDialog(IupGetFocus());
    title = IupGetAttribute(dialog, "TITLE");
    IupElement* line = IupGetBrother(IupGetChild(IupGetChild(dialog)));
    version = IupGetAttribute(line, "TITLE");
    hl::Click(IupGetFocus());
  }});
  IupVersionDialog();
  EXPECT_EQ(title, "IUP/Windows Version");
  EXPECT_EQ(version, "version 1.8.3");
  unsetenv("IUP_INGLES");
  During({[&] {
    title = IupGetAttribute(IupGetDialog(IupGetFocus()), "TITLE");
    hl::Click(IupGetFocus());
  }});
  IupVersionDialog();
  EXPECT_EQ(title, "Vers\xe3o do IUP/Windows");
}

}  // namespace
