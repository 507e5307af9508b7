// The show/hide/popup/loop/idle/close state machine on the headless driver.
#include "fixture.h"

namespace hl = iup::headless;

namespace {

int CloseAction(IupElement*) {
  Log() += "close;";
  return IUP_CLOSE;
}

}  // namespace

TEST_F(Toolkit, MainLoopEndsWhenTheLastDialogIsHidden) {
  IupBindAction("t_close", CloseAction);
  IupElement* button = IupCreateButton("Quit", "t_close");
  IupElement* dialog = Own(IupCreateDialog(IupCreateVbox(button, nullptr)));
  IupShow(dialog);
  EXPECT_TRUE(hl::Visible(dialog));
  Log().clear();
  hl::Click(button);
  EXPECT_EQ(IupMainLoop(), 0);
  EXPECT_EQ(Log(), "close;");
  EXPECT_FALSE(hl::Visible(dialog));
  EXPECT_EQ(IupLoopStep(), IUP_CLOSE);
}
