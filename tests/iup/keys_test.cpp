// Key names, key dispatch through ancestors, focus and Tab order, default
// buttons, and the text-edit protocol.
#include "fixture.h"

namespace hl = iup::headless;

namespace {

int text_answer = IUP_DEFAULT, box_answer = IUP_DEFAULT, dialog_answer = IUP_DEFAULT;
int TextKey(IupElement*, int code) {
  Log() += "text:" + std::to_string(code) + ";";
  return text_answer;
}
int BoxKey(IupElement*, int code) {
  Log() += "box:" + std::to_string(code) + ";";
  return box_answer;
}
int DialogKey(IupElement* focused, int code) {
  Log() += std::string("dialog:") + IupGetAttribute(focused, "TYPENAME") + ":" +
           std::to_string(code) + ";";
  return dialog_answer;
}

}  // namespace

TEST_F(Toolkit, KeyNamesAndCodes) {
  struct Case {
    int code;
    const char* name;
  };
  const Case cases[] = {{K_cS, "K_cS"},   {9, "K_TAB"},       {50, "K_2"},      {13, "K_CR"},
                        {K_F11, "K_F11"}, {K_mTAB, "K_mTAB"}, {K_sPGDN, "K_3"}, {32, "K_SP"},
                        {97, "K_a"},      {200, "\xC8"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.code);
    EXPECT_STREQ(IupKeyName(c.code), c.name);
  }
  EXPECT_EQ(IupKeyCode("K_mTAB"), 421);
  EXPECT_EQ(IupKeyCode("K_cI"), 9);
  EXPECT_EQ(IupKeyCode("K_sDOWN"), 50);
  EXPECT_EQ(IupKeyCode("K_nothing"), 0);
}

TEST_F(Toolkit, KeysGoUpThroughAncestors) {
  IupBindAction("t_text_key", IupAsCallback(TextKey));
  IupBindAction("t_box_key", IupAsCallback(BoxKey));
  IupBindAction("t_dialog_key", IupAsCallback(DialogKey));
  struct Case {
    const char* text_handler;  // attribute on the text, or null
    int text_result;
    const char* box_handler;  // attribute on the box between, or null
    int box_result;
    int dialog_result;
    const char* log;
    const char* text_after;
    bool dialog_visible;
  };
  const Case cases[] = {
      {nullptr, 0, nullptr, 0, IUP_DEFAULT, "dialog:TEXT:97;", "a", true},
      {nullptr, 0, nullptr, 0, IUP_IGNORE, "dialog:TEXT:97;", "", true},
      {"K_ANY", IUP_CONTINUE, nullptr, 0, IUP_IGNORE, "text:97;dialog:TEXT:97;", "", true},
      {"K_a", IUP_CONTINUE, nullptr, 0, IUP_DEFAULT, "text:97;dialog:TEXT:97;", "a", true},
      {"K_ANY", IUP_DEFAULT, nullptr, 0, IUP_IGNORE, "text:97;", "a", true},
      {"K_ANY", IUP_IGNORE, nullptr, 0, IUP_DEFAULT, "text:97;", "", true},
      {"K_b", IUP_IGNORE, nullptr, 0, IUP_DEFAULT, "dialog:TEXT:97;", "a", true},
      {"K_ANY", IUP_CONTINUE, "K_a", IUP_CONTINUE, IUP_IGNORE, "text:97;box:97;dialog:TEXT:97;", "",
       true},
      {nullptr, 0, "K_ANY", IUP_IGNORE, IUP_DEFAULT, "box:97;", "", true},
      {nullptr, 0, nullptr, 0, IUP_CLOSE, "dialog:TEXT:97;", "", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.log);
    IupElement* text = IupCreateText(nullptr);
    IupElement* box = IupCreateHbox(text, nullptr);
    IupElement* dialog = IupCreateDialog(IupCreateVbox(box, nullptr));
    if (c.text_handler != nullptr) IupSetAttribute(text, c.text_handler, "t_text_key");
    if (c.box_handler != nullptr) IupSetAttribute(box, c.box_handler, "t_box_key");
    IupSetAttribute(dialog, "K_ANY", "t_dialog_key");
    text_answer = c.text_result;
    box_answer = c.box_result;
    dialog_answer = c.dialog_result;
    IupShow(dialog);
    Log().clear();
    hl::TypeKey('a');
    hl::DeliverNow();
    EXPECT_EQ(Log(), c.log);
    EXPECT_EQ(hl::Text(text), c.text_after);
    EXPECT_EQ(hl::Visible(dialog), c.dialog_visible);
    IupDestroy(dialog);
  }
}

namespace {
std::string modifiers_seen;
int ModifierKey(IupElement*, int code) {
  modifiers_seen += std::to_string(code) + "[" + IupGetGlobal("MODKEYSTATE") + "]";
  return IUP_IGNORE;
}
}  // namespace

// A Ctrl+Shift+letter has the Ctrl letter's code; while its callback runs,
// "MODKEYSTATE" tells which modifiers were held, and it is blank again after.
TEST_F(Toolkit, ModifierStateDuringTheKeyCallback) {
  IupBindAction("t_modifier_key", IupAsCallback(ModifierKey));
  IupElement* canvas = IupCreateCanvas(nullptr);
  IupElement* dialog = IupCreateDialog(canvas);
  IupSetAttribute(dialog, "K_ANY", "t_modifier_key");
  IupShow(dialog);
  hl::Focus(canvas);
  struct Case {
    int code;
    const char* held;  // nullptr: a key typed with nothing held
    const char* seen;
  };
  const Case cases[] = {{K_cS, "SC ", "19[SC ]"},   {K_cS, "C", "19[C  ]"},
                        {K_cS, nullptr, "19[   ]"}, {K_mA, "  A", "286[  A]"},
                        {'A', "S", "65[S  ]"},      {K_F1, "", "315[   ]"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.seen);
    modifiers_seen.clear();
    if (c.held != nullptr)
      hl::TypeKeyWith(c.code, c.held);
    else
      hl::TypeKey(c.code);
    hl::DeliverNow();
    EXPECT_EQ(modifiers_seen, c.seen);
    EXPECT_STREQ(IupGetGlobal("MODKEYSTATE"), "   ");
  }
  IupDestroy(dialog);
}

namespace {
std::string seen;
int edit_answer = IUP_DEFAULT;
int OnEdit(IupElement* self, int key, char* after) {
  seen = std::to_string(key) + " [" + after + "] value [" + IupGetAttribute(self, "VALUE") +
         "] caret " + IupGetAttribute(self, "CARET");
  return edit_answer;
}
}  // namespace

TEST_F(Toolkit, TextEditProtocol) {
  IupBindAction("t_edit", IupAsCallback(OnEdit));
  struct Case {
    int key;
    int answer;
    const char* seen;   // what ACTION saw
    const char* after;  // the text afterwards
    int caret;
  };
  // each case starts from "xy" with the caret after the x
  const Case cases[] = {
      {'a', IUP_DEFAULT, "97 [xay] value [xy] caret 2", "xay", 2},
      {'a', IUP_IGNORE, "97 [xay] value [xy] caret 2", "xy", 1},
      {'a', 'B', "97 [xay] value [xy] caret 2", "xBy", 2},
      {'a', IUP_CONTINUE, "97 [xay] value [xy] caret 2", "xy", 1},
      {'a', -7, "97 [xay] value [xy] caret 2", "xy", 1},
      {'a', 300, "97 [xay] value [xy] caret 2", "xy", 1},
      {K_BS, IUP_DEFAULT, "8 [y] value [xy] caret 2", "y", 0},
      {K_DEL, IUP_DEFAULT, "339 [x] value [xy] caret 2", "x", 1},
      {K_DEL, 'z', "339 [x] value [xy] caret 2", "xzy", 2},
      {K_cV, IUP_DEFAULT, "22 [xPASTEy] value [xy] caret 2", "xPASTEy", 6},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.key << " -> " << c.answer);
    IupElement* text = IupCreateText("t_edit");
    IupSetAttribute(text, "VALUE", "xy");
    IupElement* dialog = IupCreateDialog(text);
    IupShow(dialog);
    IupSetAttribute(text, "CARET", "2");
    hl::SetClipboard("PASTE");
    edit_answer = c.answer;
    seen.clear();
    hl::TypeKey(c.key);
    hl::DeliverNow();
    EXPECT_EQ(seen, c.seen);
    EXPECT_EQ(hl::Text(text), c.after);
    EXPECT_STREQ(IupGetAttribute(text, "VALUE"), c.after);
    EXPECT_EQ(hl::Caret(text), c.caret);
    IupDestroy(dialog);
  }
}

TEST_F(Toolkit, TextEditSelectionCutAndLimit) {
  IupBindAction("t_edit", IupAsCallback(OnEdit));
  edit_answer = IUP_DEFAULT;
  IupElement* text = IupCreateText("t_edit");
  IupSetAttribute(text, "VALUE", "hello");
  IupSetAttribute(text, "NC", "6");
  IupElement* dialog = Own(IupCreateDialog(text));
  IupShow(dialog);
  IupSetAttribute(text, "SELECTION", "2:4");
  EXPECT_STREQ(IupGetAttribute(text, "SELECTEDTEXT"), "el");
  hl::TypeKey(K_cX);
  hl::DeliverNow();
  EXPECT_EQ(seen, "24 [hlo] value [hello] caret 4");
  EXPECT_EQ(hl::Clipboard(), "");  // cut text is the control's business, not the copy
  EXPECT_EQ(hl::Text(text), "hlo");
  hl::TypeText("abcd");
  hl::DeliverNow();
  EXPECT_EQ(hl::Text(text), "habclo");  // "NC" 6: the fourth letter is refused
  EXPECT_EQ(seen, "99 [habclo] value [hablo] caret 4");
}

TEST_F(Toolkit, TextEditCloseRestoresAndCloses) {
  IupBindAction("t_edit", IupAsCallback(OnEdit));
  edit_answer = IUP_CLOSE;
  IupElement* text = IupCreateText("t_edit");
  IupElement* dialog = Own(IupCreateDialog(text));
  IupShow(dialog);
  hl::TypeText("q");
  IupMainLoop();
  EXPECT_EQ(hl::Text(text), "");
  EXPECT_FALSE(hl::Visible(dialog));
}

namespace {
int Pressed(IupElement* self) {
  Log() += std::string(IupGetAttribute(self, "TITLE")) + ";";
  return IUP_DEFAULT;
}
int EditLog(IupElement*, int key, char*) {
  Log() += "edit " + std::to_string(key) + ";";
  return IUP_DEFAULT;
}
int FocusLog(IupElement* self) {
  Log() += std::string("get ") + IupGetAttribute(self, "TYPENAME") + ";";
  return IUP_DEFAULT;
}
int KillLog(IupElement* self, IupElement* next) {
  Log() += std::string("kill ") + IupGetAttribute(self, "TYPENAME") + ">" +
           (next != nullptr ? IupGetAttribute(next, "TYPENAME") : "null") + ";";
  return IUP_DEFAULT;
}
}  // namespace

TEST_F(Toolkit, EnterAndEscapePressDefaultButtons) {
  IupBindAction("t_pressed", Pressed);
  IupBindAction("t_edit_log", IupAsCallback(EditLog));
  IupElement* ok = IupCreateButton("ok", "t_pressed");
  IupElement* cancel = IupCreateButton("cancel", "t_pressed");
  IupElement* text = IupCreateText("t_edit_log");
  IupElement* dialog = Own(IupCreateDialog(IupCreateVbox(text, ok, cancel, nullptr)));
  IupSetHandle("t_ok", ok);
  IupSetHandle("t_cancel", cancel);
  IupSetAttribute(dialog, "DEFAULTENTER", "t_ok");
  IupSetAttribute(dialog, "DEFAULTESC", "t_cancel");
  IupShow(dialog);
  Log().clear();
  hl::PressEnter();
  hl::PressEscape();
  hl::DeliverNow();
  EXPECT_EQ(Log(), "edit 13;ok;edit 27;cancel;");
  EXPECT_EQ(hl::Text(text), "");
}

TEST_F(Toolkit, FocusMovesWithTabAndCallsFocusCallbacks) {
  IupBindAction("t_get", FocusLog);
  IupBindAction("t_kill", IupAsCallback(KillLog));
  IupElement* text = IupCreateText(nullptr);
  IupElement* label = IupCreateLabel("not focusable");
  IupElement* canvas = IupCreateCanvas(nullptr);
  IupElement* button = IupCreateButton("b", nullptr);
  IupElement* dialog = Own(IupCreateDialog(IupCreateVbox(text, label, canvas, button, nullptr)));
  IupSetAttribute(dialog, "GETFOCUS_CB", "t_get");
  IupSetAttribute(dialog, "KILLFOCUS_CB", "t_kill");
  IupSetHandle("t_start", canvas);
  IupSetAttribute(dialog, "STARTFOCUS", "t_start");
  Log().clear();
  IupShow(dialog);
  EXPECT_EQ(IupGetFocus(), canvas);
  hl::TypeKey(K_TAB);
  hl::TypeKey(K_TAB);
  hl::DeliverNow();
  EXPECT_EQ(IupGetFocus(), text);
  hl::TypeKey(K_sTAB);
  hl::DeliverNow();
  EXPECT_EQ(IupGetFocus(), button);
  // a button has no GETFOCUS_CB of its own kind, even an inherited one
  EXPECT_EQ(Log(), "get CANVAS;kill CANVAS>BUTTON;kill BUTTON>TEXT;get TEXT;kill TEXT>BUTTON;");
  EXPECT_EQ(IupGetAttributePointer(dialog, "LASTFOCUS_IUPWIN"), button);
  EXPECT_EQ(IupSetFocus(text), button);
}
