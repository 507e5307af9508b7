// The show/hide/popup/loop/idle/close state machine on the headless driver.
#include "fixture.h"

namespace hl = iup::headless;

namespace {

int CloseAction(IupElement*) {
  Log() += "close;";
  return IUP_CLOSE;
}

int HideDialogAction(IupElement* self) {
  Log() += "hide;";
  IupHide(IupGetDialog(self));
  return IUP_DEFAULT;
}

int RecordAction(IupElement* self) {
  Log() += std::string(IupGetAttribute(self, "TITLE")) + ";";
  return IUP_DEFAULT;
}

int idle_calls = 0;
int idle_close_after = 0;
int CountingIdle() {
  ++idle_calls;
  return idle_calls >= idle_close_after ? IUP_CLOSE : IUP_DEFAULT;
}

IupElement* DialogWith(IupElement* child) {
  return IupCreateDialog(IupCreateVbox(child, nullptr));
}

}  // namespace

TEST_F(Toolkit, MainLoopEndsWhenTheLastDialogIsHidden) {
  IupBindAction("t_close", CloseAction);
  IupElement* button = IupCreateButton("Quit", "t_close");
  IupElement* dialog = Own(DialogWith(button));
  IupShow(dialog);
  EXPECT_TRUE(hl::Visible(dialog));
  Log().clear();
  hl::Click(button);
  EXPECT_EQ(IupMainLoop(), 0);
  EXPECT_EQ(Log(), "close;");
  EXPECT_FALSE(hl::Visible(dialog));
  EXPECT_EQ(IupLoopStep(), IUP_CLOSE);
}

TEST_F(Toolkit, HidingTheLastDialogEndsTheLoopEvenWithAnIdleFunction) {
  IupBindAction("t_hide", HideDialogAction);
  idle_calls = 0;
  idle_close_after = 1000000;
  IupSetIdle(CountingIdle);
  IupElement* button = IupCreateButton("Hide", "t_hide");
  IupElement* other = Own(IupCreateDialog(IupCreateFill()));
  IupElement* dialog = Own(DialogWith(button));
  IupShow(other);
  IupShow(dialog);
  Log().clear();
  hl::Click(button);
  hl::CloseBox(other);  // no CLOSE_CB: the close box hides it
  IupMainLoop();
  IupSetIdle(nullptr);
  EXPECT_EQ(Log(), "hide;");
  EXPECT_FALSE(hl::Visible(other));
  EXPECT_EQ(idle_calls, 0);  // events were queued the whole time
  EXPECT_EQ(IupLoopStep(), IUP_CLOSE);
}

TEST_F(Toolkit, IdleRunsInSlicesUntilItCloses) {
  IupElement* dialog = Own(IupCreateDialog(IupCreateFill()));
  IupShow(dialog);
  idle_calls = 0;
  idle_close_after = 4;
  IupSetIdle(CountingIdle);
  IupMainLoop();
  IupSetIdle(nullptr);
  EXPECT_EQ(idle_calls, 4);
  EXPECT_TRUE(hl::Visible(dialog));  // closing from idle ends the loop only
  EXPECT_EQ(IupLoopStep(), IUP_DEFAULT);
}

TEST_F(Toolkit, LoopStepAndFlush) {
  EXPECT_EQ(IupLoopStep(), IUP_CLOSE);  // nothing visible
  IupBindAction("t_record", RecordAction);
  IupElement* a = IupCreateButton("a", "t_record");
  IupElement* b = IupCreateButton("b", "t_record");
  IupElement* dialog = Own(IupCreateDialog(IupCreateHbox(a, b, nullptr)));
  IupShow(dialog);
  hl::DeliverNow();  // the first paint
  EXPECT_EQ(IupLoopStep(), IUP_DEFAULT);
  Log().clear();
  hl::Click(a);
  hl::Click(b);
  EXPECT_EQ(IupLoopStep(), IUP_DEFAULT);
  EXPECT_EQ(Log(), "a;");
  hl::Click(a);
  IupFlush();
  EXPECT_EQ(Log(), "a;b;a;");
  IupExitLoop();
  EXPECT_EQ(IupLoopStep(), IUP_CLOSE);  // a quit request is one step's end
  EXPECT_EQ(IupLoopStep(), IUP_DEFAULT);
}

namespace {
IupElement* g_main_button = nullptr;
IupElement* g_main_dialog = nullptr;
int PopupCheck(IupElement*) {
  Log() += hl::Enabled(g_main_dialog) ? "main enabled;" : "main disabled;";
  return IUP_CLOSE;
}
}  // namespace

TEST_F(Toolkit, PopupDisablesOtherDialogsAndCloseEndsIt) {
  IupBindAction("t_record", RecordAction);
  IupBindAction("t_check", PopupCheck);
  g_main_button = IupCreateButton("main", "t_record");
  g_main_dialog = Own(DialogWith(g_main_button));
  IupElement* close = IupCreateButton("close", "t_check");
  IupElement* popup = Own(DialogWith(close));
  IupShow(g_main_dialog);
  Log().clear();
  hl::Click(g_main_button);  // dropped: the main dialog is disabled
  hl::Click(close);
  EXPECT_EQ(IupPopup(popup, IUP_CENTER, IUP_CENTER), 0);
  EXPECT_EQ(Log(), "main disabled;");
  EXPECT_TRUE(hl::Enabled(g_main_dialog));
  EXPECT_FALSE(hl::Visible(popup));
  EXPECT_TRUE(hl::Visible(g_main_dialog));
  EXPECT_EQ(hl::Active(), g_main_dialog);
  EXPECT_EQ(IupLoopStep(), IUP_DEFAULT);  // the main dialog still counts
  hl::Click(g_main_button);
  hl::DeliverNow();
  EXPECT_EQ(Log(), "main disabled;main;");
}

namespace {
int close_answer = IUP_DEFAULT;
int CloseCb(IupElement*) {
  Log() += "close_cb;";
  return close_answer;
}
}  // namespace

TEST_F(Toolkit, CloseBoxFollowsCloseCb) {
  IupBindAction("t_close_cb", CloseCb);
  struct Case {
    bool has_callback;
    int answer;
    bool popup;
    bool stays_open;
  };
  const Case cases[] = {
      {true, IUP_IGNORE, false, true}, {true, IUP_DEFAULT, false, false},
      {false, 0, false, false},        {true, IUP_CLOSE, false, false},
      {true, IUP_IGNORE, true, true},  {true, IUP_DEFAULT, true, false},
      {false, 0, true, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.answer << (c.popup ? " popup" : ""));
    IupElement* dialog = IupCreateDialog(IupCreateFill());
    if (c.has_callback) IupSetAttribute(dialog, "CLOSE_CB", "t_close_cb");
    close_answer = c.answer;
    Log().clear();
    hl::CloseBox(dialog);
    if (c.popup) {
      IupPopup(dialog, IUP_CENTER, IUP_CENTER);
      // a popup left open runs dry: the headless driver ends its loop and says so
      const bool ran_dry = hl::Transcript().find("would wait") != std::string::npos;
      EXPECT_EQ(ran_dry, c.stays_open);
      EXPECT_FALSE(hl::Visible(dialog));
    } else {
      IupShow(dialog);
      hl::DeliverNow();
      EXPECT_EQ(hl::Visible(dialog), c.stays_open);
    }
    EXPECT_EQ(Log(), c.has_callback ? "close_cb;" : "");
    IupDestroy(dialog);
    hl::Reset();
  }
  EXPECT_EQ(IupLoopStep(), IUP_CLOSE);
}

TEST_F(Toolkit, HidingADialogEndsTheInnermostPopup) {
  IupBindAction("t_hide", HideDialogAction);
  IupElement* button = IupCreateButton("hide", "t_hide");
  IupElement* popup = Own(DialogWith(button));
  Log().clear();
  hl::Click(button);
  IupPopup(popup, IUP_CENTER, IUP_CENTER);
  EXPECT_EQ(Log(), "hide;");
  EXPECT_EQ(hl::Transcript(), "");  // ended by the hide, not by running dry
  EXPECT_EQ(IupLoopStep(), IUP_CLOSE);
}

namespace {
// Nested popups: level k's SHOW_CB clicks its button, which opens level k+1
// and closes level k once that returns.
std::vector<IupElement*> levels, shown_dialogs;
std::string enabled_at_deepest;
int OpenNext(IupElement* self) {
  const int k = IupGetAttributeInt(self, "LEVEL");
  if (k + 1 < static_cast<int>(levels.size())) IupPopup(levels[static_cast<size_t>(k + 1)], 10, 10);
  return IUP_CLOSE;
}
int LevelShown(IupElement* dialog, int) {
  const int k = IupGetAttributeInt(dialog, "LEVEL");
  if (k + 1 == static_cast<int>(levels.size())) {
    for (IupElement* d : levels) enabled_at_deepest += hl::Enabled(d) ? '+' : '-';
    enabled_at_deepest += '|';
    for (IupElement* d : shown_dialogs) enabled_at_deepest += hl::Enabled(d) ? '+' : '-';
  }
  hl::Click(IupGetChild(IupGetChild(dialog)));
  return IUP_DEFAULT;
}
}  // namespace

// No fixed limits: 60 shown dialogs are all disabled under a popup, and 20
// nested popups each disable the one below.
TEST_F(Toolkit, ManyShownDialogsAndDeeplyNestedPopups) {
  IupBindAction("t_next", OpenNext);
  IupBindAction("t_shown", IupAsCallback(LevelShown));
  shown_dialogs.clear();
  levels.clear();
  enabled_at_deepest.clear();
  for (int i = 0; i < 60; ++i) {
    shown_dialogs.push_back(Own(IupCreateDialog(IupCreateFill())));
    IupShow(shown_dialogs.back());
  }
  for (int k = 0; k < 20; ++k) {
    IupElement* button = IupCreateButton("next", "t_next");
    IupSetAttributeCopyF(button, "LEVEL", "%d", k);
    IupElement* dialog = Own(DialogWith(button));
    IupSetAttributeCopyF(dialog, "LEVEL", "%d", k);
    IupSetAttribute(dialog, "SHOW_CB", "t_shown");
    levels.push_back(dialog);
  }
  IupPopup(levels[0], IUP_CENTER, IUP_CENTER);
  EXPECT_EQ(enabled_at_deepest, std::string(19, '-') + "+|" + std::string(60, '-'));
  for (IupElement* d : levels) EXPECT_TRUE(hl::Enabled(d));
  for (IupElement* d : shown_dialogs) EXPECT_TRUE(hl::Enabled(d));
  EXPECT_EQ(hl::Transcript(), "");
  for (IupElement* d : shown_dialogs) IupHide(d);
  EXPECT_EQ(IupLoopStep(), IUP_CLOSE);
}

namespace {
int DestroyOwnDialog(IupElement* self) {
  IupDestroy(IupGetDialog(self));
  return IUP_DEFAULT;
}
int DestroyMainDialog(IupElement*) {
  IupDestroy(g_main_dialog);
  g_main_dialog = nullptr;
  return IUP_CLOSE;
}
}  // namespace

TEST_F(Toolkit, DestroyingAShownDialogEndsTheLoopAndIsNeverTouchedAgain) {
  IupBindAction("t_destroy_own", DestroyOwnDialog);
  IupBindAction("t_destroy_main", DestroyMainDialog);
  // a shown dialog destroyed from its own button: the main loop still ends
  IupElement* quit = IupCreateButton("quit", "t_destroy_own");
  IupShow(DialogWith(quit));
  hl::Click(quit);
  IupMainLoop();
  EXPECT_EQ(hl::Transcript(), "");
  EXPECT_EQ(IupLoopStep(), IUP_CLOSE);

  // a popup destroying itself ends its loop
  IupElement* self_destroy = IupCreateButton("x", "t_destroy_own");
  hl::Click(self_destroy);
  IupPopup(DialogWith(self_destroy), IUP_CENTER, IUP_CENTER);
  EXPECT_EQ(hl::Transcript(), "");

  // a dialog disabled under a popup and destroyed meanwhile is not re-enabled
  g_main_dialog = IupCreateDialog(IupCreateFill());
  IupShow(g_main_dialog);
  IupElement* kill = IupCreateButton("kill", "t_destroy_main");
  IupElement* popup = Own(DialogWith(kill));
  hl::Click(kill);
  IupPopup(popup, IUP_CENTER, IUP_CENTER);
  EXPECT_EQ(g_main_dialog, nullptr);
  EXPECT_EQ(IupLoopStep(), IUP_CLOSE);  // neither is visible any more
}

TEST_F(Toolkit, IdleOnlySpinningAndEmptyWaitsEndWithADiagnostic) {
  IupElement* dialog = Own(IupCreateDialog(IupCreateFill()));
  IupShow(dialog);
  IupMainLoop();
  EXPECT_NE(hl::Transcript().find("would wait for ever"), std::string::npos);
  hl::Reset();
  idle_calls = 0;
  idle_close_after = 1000000;
  IupSetIdle(CountingIdle);
  hl::SetIdleLimit(50);
  IupMainLoop();
  IupSetIdle(nullptr);
  hl::SetIdleLimit(100000);
  EXPECT_EQ(idle_calls, 50);
  EXPECT_NE(hl::Transcript().find("idle function ran 50 times"), std::string::npos);
}

namespace {
int ShowCb(IupElement*, int state) {
  Log() += "show" + std::to_string(state) + ";";
  return state == IUP_MINIMIZE ? IUP_CLOSE : IUP_DEFAULT;
}
int MapCb(IupElement* self) {
  Log() += std::string("map ") + IupGetAttribute(self, "TYPENAME") + ";";
  return IUP_DEFAULT;
}
}  // namespace

TEST_F(Toolkit, ShowPositionsAndShowStates) {
  IupBindAction("t_show", IupAsCallback(ShowCb));
  IupBindAction("t_map", MapCb);
  IupElement* canvas = IupCreateCanvas(nullptr);
  IupSetAttribute(canvas, "RASTERSIZE", "100x50");
  IupSetAttribute(canvas, "MAP_CB", "t_map");
  IupElement* dialog = Own(IupCreateDialog(canvas));
  IupSetAttribute(dialog, "SHOW_CB", "t_show");
  IupSetAttribute(dialog, "MAP_CB", "t_map");
  Log().clear();
  IupShowXY(dialog, IUP_CENTER, IUP_CENTER);
  // window: 100 + 8 wide, 50 + 28 high
  EXPECT_STREQ(IupGetAttribute(dialog, "X"), "458");
  EXPECT_STREQ(IupGetAttribute(dialog, "Y"), "345");
  IupShowXY(dialog, IUP_RIGHT, IUP_BOTTOM);
  EXPECT_STREQ(IupGetAttribute(dialog, "X"), "916");
  EXPECT_STREQ(IupGetAttribute(dialog, "Y"), "690");
  IupShowXY(dialog, IUP_LEFT, 7);
  EXPECT_STREQ(IupGetAttribute(dialog, "X"), "0");
  EXPECT_STREQ(IupGetAttribute(dialog, "Y"), "7");
  hl::Restore(dialog);
  hl::Minimize(dialog);  // SHOW_CB answers IUP_CLOSE: the dialog closes
  IupMainLoop();
  EXPECT_EQ(Log(), "map CANVAS;map DIALOG;show0;show0;show0;show1;show2;");
  EXPECT_FALSE(hl::Visible(dialog));
}

TEST_F(Toolkit, VisibleAttributeShowsAndHides) {
  IupElement* text = IupCreateText(nullptr);
  IupElement* dialog = Own(DialogWith(text));
  IupMap(dialog);
  EXPECT_EQ(IupLoopStep(), IUP_CLOSE);
  IupSetAttribute(dialog, "VISIBLE", "YES");
  EXPECT_TRUE(hl::Visible(dialog));
  EXPECT_EQ(hl::Focused(), text);  // the first element that takes the focus
  EXPECT_STREQ(IupGetAttribute(dialog, "VISIBLE"), "YES");
  IupSetAttribute(text, "VISIBLE", "NO");
  EXPECT_FALSE(hl::Visible(text));
  EXPECT_STREQ(IupGetAttribute(text, "VISIBLE"), "NO");
  IupSetAttribute(dialog, "VISIBLE", "NO");
  EXPECT_FALSE(hl::Visible(dialog));
  EXPECT_EQ(IupLoopStep(), IUP_CLOSE);
}
