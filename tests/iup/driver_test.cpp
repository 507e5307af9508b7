// What the core offers every driver: installing the platform, and the one
// typing routine of edit controls, driven here through a recording control
// as a driver other than the headless one would drive it.
#include <string>

#include "fixture.h"
#include "iupdriver.h"
#include "iupkey.h"

namespace {

namespace ev = iup::event;

TEST_F(Toolkit, DriverInstallsOnlyWhileTheToolkitIsClosed) {
  iup::Driver* installed = iup::CurrentDriver();
  ASSERT_NE(installed, nullptr);
  EXPECT_FALSE(iup::InstallDriver(iup::headless::NewDriver()));  // open now
  EXPECT_EQ(iup::CurrentDriver(), installed);
  IupClose();
  EXPECT_FALSE(iup::InstallDriver(nullptr));
  EXPECT_EQ(iup::CurrentDriver(), installed);
  ASSERT_TRUE(iup::InstallDriver(iup::headless::NewDriver()));
  EXPECT_NE(iup::CurrentDriver(), installed);
  ASSERT_EQ(IupOpen(), 0);
  EXPECT_STREQ(IupGetGlobal("DRIVER"), "Headless");
}

// Records what the routine asks of the native control.
class RecordingEdit final : public ev::EditControl {
 public:
  void Show(const ev::EditState& state) override {
    shown += "[" + state.text + "] caret " + std::to_string(state.caret) + ";";
  }
  int MaxChars() override { return max_chars; }
  std::string PasteText() override { return "PASTE"; }
  void CutText(const std::string& text) override { cut += text; }

  std::string shown, cut;
  int max_chars = 10;
};

std::string g_seen;
int g_answer = IUP_DEFAULT;

int Record(IupElement*, int key, char* after) {
  g_seen += std::to_string(key) + " [" + after + "];";
  return g_answer;
}

TEST_F(Toolkit, EditKeyWorksOutTheChangeAndFollowsTheAnswer) {
  IupBindAction("drv_edit", IupAsCallback(Record));
  struct Case {
    int kind, key, answer, max_chars;
    int start, end;  // the selection in "hello", caret at its end
    ev::EditKeyOutcome outcome;
    const char* seen;
    const char* shown;
    const char* cut;
  };
  using O = ev::EditKeyOutcome;
  const Case cases[] = {
      {IUP_TEXT, 'a', IUP_DEFAULT, 10, 2, 2, O::Consumed, "97 [heallo];", "[heallo] caret 3;", ""},
      {IUP_TEXT, 'a', IUP_IGNORE, 10, 2, 2, O::Consumed, "97 [heallo];", "", ""},
      {IUP_TEXT, 'a', 'Z', 10, 1, 3, O::Consumed, "97 [halo];", "[hZlo] caret 2;", ""},
      {IUP_TEXT, 'a', IUP_DEFAULT, 5, 2, 2, O::Consumed, "", "",
       ""},  // beyond "NC": refused unasked
      {IUP_TEXT, K_BS, IUP_DEFAULT, 5, 2, 2, O::Consumed, "8 [hllo];", "[hllo] caret 1;", ""},
      {IUP_TEXT, K_cX, IUP_DEFAULT, 10, 1, 4, O::Consumed, "24 [ho];", "[ho] caret 1;", "ell"},
      {IUP_TEXT, K_cX, IUP_DEFAULT, 10, 2, 2, O::NotAnEdit, "", "", ""},
      {IUP_TEXT, K_cV, IUP_DEFAULT, 10, 5, 5, O::Consumed, "22 [helloPASTE];",
       "[helloPASTE] caret 10;", ""},
      {IUP_TEXT, K_LEFT, IUP_DEFAULT, 10, 2, 2, O::NotAnEdit, "", "", ""},
      {IUP_TEXT, K_CR, IUP_DEFAULT, 10, 2, 2, O::Passed, "13 [hello];", "", ""},
      {IUP_TEXT, K_ESC, IUP_IGNORE, 10, 2, 2, O::Consumed, "27 [hello];", "", ""},
      {IUP_TEXT, K_CR, 'x', 10, 2, 2, O::Consumed, "13 [hello];", "[hexllo] caret 3;", ""},
      {IUP_MULTILINE, K_CR, IUP_DEFAULT, 10, 2, 2, O::Consumed, "13 [he\nllo];",
       "[he\nllo] caret 3;", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "key " << c.key << " answer " << c.answer);
    IupElement* edit =
        Own(c.kind == IUP_TEXT ? IupCreateText("drv_edit") : IupCreateMultiLine("drv_edit"));
    ev::EditState before;
    before.text = "hello";
    before.start = c.start;
    before.end = c.end;
    before.caret = c.end;
    RecordingEdit control;
    control.max_chars = c.max_chars;
    g_seen.clear();
    g_answer = c.answer;
    EXPECT_EQ(ev::EditKey(edit, before, c.key, control), c.outcome);
    EXPECT_EQ(g_seen, c.seen);
    EXPECT_EQ(control.shown, c.shown);
    EXPECT_EQ(control.cut, c.cut);
  }
}

}  // namespace
