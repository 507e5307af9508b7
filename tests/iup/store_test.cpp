// The attribute store: inheritance and defaults, typed readers, the hash
// order of IupGetAttributeList, pointer-valued entries, registries, the
// tree operations and control classes.
#include <cstdint>
#include <cstring>

#include "fixture.h"

namespace hl = iup::headless;

TEST_F(Toolkit, InheritedValuesComeFromTheNearestAncestor) {
  IupElement* button = IupCreateButton("b", nullptr);
  IupElement* inner = IupCreateHbox(button, nullptr);
  IupElement* outer = Own(IupCreateVbox(inner, nullptr));
  IupSetAttribute(outer, "FGCOLOR", "1 2 3");
  EXPECT_STREQ(IupGetAttribute(button, "FGCOLOR"), "1 2 3");
  IupSetAttribute(inner, "FGCOLOR", "4 5 6");
  EXPECT_STREQ(IupGetAttribute(button, "FGCOLOR"), "4 5 6");
  IupSetAttribute(button, "FGCOLOR", "7 8 9");
  EXPECT_STREQ(IupGetAttribute(button, "FGCOLOR"), "7 8 9");
  IupSetAttribute(button, "FGCOLOR", nullptr);
  IupSetAttribute(inner, "FGCOLOR", nullptr);
  EXPECT_STREQ(IupGetAttribute(button, "FGCOLOR"), "1 2 3");
  EXPECT_EQ(IupGetOwnAttribute(button, "FGCOLOR"), nullptr);
}

TEST_F(Toolkit, DefaultsDependOnTheKind) {
  struct Case {
    IupElement* element;
    const char* name;
    const char* expected;  // null: no default
  };
  IupElement* button = Own(IupCreateButton("b", nullptr));
  IupElement* hbox = Own(IupCreateHbox(nullptr));
  IupElement* canvas = Own(IupCreateCanvas(nullptr));
  IupElement* label = Own(IupCreateLabel("l"));
  IupElement* fill = Own(IupCreateFill());
  const Case cases[] = {
      {button, "EXPAND", "NO"},
      {hbox, "EXPAND", "YES"},
      {canvas, "EXPAND", "YES"},
      {label, "EXPAND", "NO"},
      {fill, "EXPAND", "YES"},
      {button, "expand", "NO"},
      {button, "ACTIVE", "YES"},
      {canvas, "NC", "32767"},
      {canvas, "XMAX", "1.0"},
      {canvas, "DX", "0.1"},
      {canvas, "SCROLLBAR", "NO"},
      {canvas, "CURSOR", "ARROW"},
      {button, "BGCOLOR", "192 192 192"},
      {canvas, "BGCOLOR", "255 255 255"},
      {hbox, "BGCOLOR", nullptr},
      {button, "TITLEX", nullptr},
      {hbox, "TYPENAME", "HBOX"},
      {canvas, "TYPENAME", "CANVAS"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const char* got = IupGetAttribute(c.element, c.name);
    if (c.expected == nullptr)
      EXPECT_EQ(got, nullptr);
    else
      EXPECT_STREQ(got, c.expected);
  }
}

TEST_F(Toolkit, TypedReaders) {
  IupElement* e = Own(IupCreateUser());
  struct Case {
    const char* value;
    int as_int;
    int as_bool;
  };
  const Case cases[] = {{"yes", 0, 1},  {"YES", 1, 1},    {"ON", 1, 1},      {"on", 0, 1},
                        {"Off", 0, 0},  {"NO", 0, 0},     {"12abc", 12, -1}, {" 7", 7, -1},
                        {"-3", -3, -1}, {"maybe", 0, -1}, {nullptr, 0, -1}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.value != nullptr ? c.value : "(unset)");
    IupSetAttribute(e, "V", c.value);
    EXPECT_EQ(IupGetAttributeInt(e, "V"), c.as_int);
    EXPECT_EQ(IupGetAttributeBool(e, "V"), c.as_bool);
  }
  IupSetAttribute(e, "R", "2.5x");
  EXPECT_FLOAT_EQ(IupGetAttributeReal(e, "R"), 2.5f);
  IupSetAttribute(e, "R", "x");
  EXPECT_FLOAT_EQ(IupGetAttributeReal(e, "R"), 0.0f);
}

TEST_F(Toolkit, CopiesOwnTheirValueAndPlainSetsDoNot) {
  IupElement* e = Own(IupCreateUser());
  char text[] = "first";
  IupSetAttribute(e, "PLAIN", text);
  IupSetAttributeCopy(e, "COPY", text);
  std::strcpy(text, "later");
  EXPECT_STREQ(IupGetAttribute(e, "PLAIN"), "later");
  EXPECT_STREQ(IupGetAttribute(e, "COPY"), "first");
  // setting an owned value again by its own pointer keeps it alive
  IupSetAttribute(e, "COPY", IupGetAttribute(e, "COPY"));
  EXPECT_STREQ(IupGetAttribute(e, "COPY"), "first");
  IupSetAttributeCopy(e, "COPY", IupGetAttribute(e, "COPY"));
  EXPECT_STREQ(IupGetAttribute(e, "COPY"), "first");
  // the formatted copy grows for any length
  const std::string big(5000, 'z');
  IupSetAttributeCopyF(e, "BIG", "<%s>", big.c_str());
  EXPECT_EQ(std::string(IupGetAttribute(e, "BIG")), "<" + big + ">");
}

// Buckets of a 5-bucket table by hand: "A" 65 -> 0, "B" 66 -> 1, "F" 70 -> 0;
// "\xE9" is -23 as a signed char: 0xFFFFFFE9 ^ (15 * 0x10000010) = 0x0FFFFF19,
// bucket 0 of 5 and 181 of 211. Newest entries lead their bucket.
TEST_F(Toolkit, AttributeListFollowsTheHashOrder) {
  IupElement* label = Own(IupCreateLabel(nullptr));  // a 5-bucket table
  IupSetAttribute(label, "B", "1");
  IupSetAttribute(label, "A", "2");
  IupSetAttribute(label, "F", "3");
  IupSetAttribute(label, "\xE9", "4");
  EXPECT_STREQ(IupGetAttributeList(label), "\xE9=\"4\",F=\"3\",A=\"2\",B=\"1\"");
  EXPECT_STREQ(IupGetAttribute(label, "\xE9"), "4");

  // a null list drops the table; the next set makes a 211-bucket one
  IupSetAttributeList(label, nullptr);
  EXPECT_STREQ(IupGetAttributeList(label), "");
  IupSetAttribute(label, "\xE9", "4");
  IupSetAttribute(label, "F", "3");
  IupSetAttribute(label, "A", "2");
  EXPECT_STREQ(IupGetAttributeList(label), "A=\"2\",F=\"3\",\xE9=\"4\"");
}

TEST_F(Toolkit, AttributeListGrowsPastAnyFixedSize) {
  IupElement* e = Own(IupCreateUser());
  std::string expected_tail;
  for (int i = 0; i < 100; ++i) {
    const std::string name = "NAME" + std::to_string(i);
    IupSetAttributeCopy(e, name.c_str(), std::string(30, static_cast<char>('a' + i % 26)).c_str());
  }
  const std::string list = IupGetAttributeList(e);
  EXPECT_GT(list.size(), 1024u);
  int pairs = 0;
  for (size_t at = 0; (at = list.find("=\"", at)) != std::string::npos; ++at) ++pairs;
  EXPECT_EQ(pairs, 100);
  EXPECT_NE(list.find("NAME99=\"" + std::string(30, 'v') + "\""), std::string::npos);
}

TEST_F(Toolkit, PointerValuesAreNeverReadAsText) {
  int record = 0;
  IupElement* label = IupCreateLabel("x");
  IupElement* dialog = Own(IupCreateDialog(label));
  IupMap(dialog);
  IupSetAttributePointer(label, "RECORD", &record);
  IupSetAttribute(label, "WID", "text the driver overrides");
  EXPECT_EQ(IupGetAttributePointer(label, "RECORD"), &record);
  const std::string list = IupGetAttributeList(label);
  EXPECT_EQ(list.find("RECORD"), std::string::npos);
  EXPECT_EQ(list.find("WID"), std::string::npos);
  EXPECT_NE(list.find("TITLE=\"x\""), std::string::npos);
  // the handle as a number keeps all of its 64 bits
  const auto wid = reinterpret_cast<std::uintptr_t>(IupGetAttributePointer(label, "WID"));
  ASSERT_NE(wid, 0u);
  EXPECT_EQ(std::string(IupGetAttribute(label, "CONID")), std::to_string(wid));
}

TEST_F(Toolkit, HandleNamesAreKeptAndUnboundOnDestroy) {
  IupElement* button = IupCreateButton("b", nullptr);
  IupElement* dialog = IupCreateDialog(IupCreateVbox(button, nullptr));
  std::string name = "main";
  IupSetHandle(name.c_str(), dialog);
  name = "gone";  // the registry keeps its own copy of the name
  IupSetHandle("ok", button);
  IupSetHandle("ok2", button);
  EXPECT_EQ(IupGetHandle("main"), dialog);
  EXPECT_EQ(IupSetHandle("ok", button), button);
  const char* names[8];
  const int n = IupGetAllNames(names, 8);
  EXPECT_EQ(n, 3);
  EXPECT_EQ(IupGetAllDialogs(names, 8), 1);
  EXPECT_STREQ(names[0], "main");
  EXPECT_EQ(IupGetAllNames(names, 2), 2);
  IupDestroy(dialog);
  EXPECT_EQ(IupGetHandle("main"), nullptr);
  EXPECT_EQ(IupGetHandle("ok"), nullptr);
  EXPECT_EQ(IupGetHandle("ok2"), nullptr);
  EXPECT_EQ(IupGetAllNames(names, 8), 0);
}

namespace {
int Fallback(IupElement*) {
  return 7;
}
int Idle() {
  return IUP_DEFAULT;
}
}  // namespace

TEST_F(Toolkit, ActionLookupFallsBackToIupDefault) {
  EXPECT_EQ(IupFindAction("t_unbound"), nullptr);
  IupBindAction("iup-default", Fallback);
  EXPECT_EQ(IupFindAction("t_unbound"), Fallback);
  EXPECT_STREQ(IupCurrentActionName(), "t_unbound");
  EXPECT_EQ(IupFindAction("iup-idle"), nullptr);
  IupSetIdle(Idle);
  EXPECT_EQ(IupFindAction("iup-idle"), IupAsCallback(Idle));
  EXPECT_EQ(IupSetIdle(nullptr), Idle);
  EXPECT_EQ(IupBindAction("iup-default", nullptr), Fallback);
  EXPECT_EQ(IupFindAction(nullptr), nullptr);
}

TEST_F(Toolkit, TreeOperations) {
  IupElement* frame = Own(IupCreateFrame(nullptr));
  IupElement* label = IupCreateLabel("x");
  EXPECT_EQ(IupAppend(frame, label), nullptr);
  IupElement* box = Own(IupCreateHbox(nullptr));
  EXPECT_EQ(IupAppend(box, label), box);
  EXPECT_EQ(IupGetParent(label), box);
  EXPECT_EQ(IupGetDialog(label), nullptr);
  EXPECT_EQ(IupAppend(label, box), nullptr);  // a label takes no children
  IupDetach(label);
  EXPECT_EQ(IupGetChild(box), nullptr);
  EXPECT_EQ(IupGetParent(label), nullptr);
  IupDestroy(label);

  IupElement* item = IupCreateItem("Open", nullptr);
  IupElement* menu = IupCreateMenu(IupCreateSubmenu("File", IupCreateMenu(item, nullptr)), nullptr);
  IupElement* dialog = Own(IupCreateDialog(IupCreateFill()));
  IupSetHandle("t_menu", menu);
  IupSetAttribute(dialog, "MENU", "t_menu");
  EXPECT_EQ(IupGetDialog(item), dialog);
  IupDestroy(menu);
  EXPECT_EQ(IupFromSerial(10), nullptr);
  EXPECT_EQ(IupFromSerial(IupGetSerial(dialog)), dialog);
}

TEST_F(Toolkit, GlobalsAfterOpen) {
  EXPECT_STREQ(IupGetGlobal("VERSION"), "1.8.3");
  EXPECT_STREQ(IupGetGlobal("DRIVER"), "Headless");
  EXPECT_STREQ(IupGetGlobal("SCREENSIZE"), "1024x768");
  EXPECT_STREQ(IupGetGlobal("WIN_DEFAULTFONT"), "MS Sans Serif::8");
  IupSetGlobalCopy("T_GLOBAL", "v");
  EXPECT_STREQ(IupGetGlobal("T_GLOBAL"), "v");
}

namespace {
std::string class_log;
int ClassSet(IupElement*, const char* name, const char* value) {
  class_log += std::string(name) + "=" + (value != nullptr ? value : "null") + ";";
  return 0;
}
const char* ClassGet(IupElement*, const char* name) {
  return std::strcmp(name, "LIVE") == 0 ? "from class" : nullptr;
}
const char* ClassDefault(IupElement*, const char* name) {
  return std::strcmp(name, "DEF") == 0 ? "class default" : nullptr;
}
}  // namespace

TEST_F(Toolkit, ControlClassesRouteTheirOperations) {
  IupControlClass* cls = IupNewControlClass("tabsx", "C");
  EXPECT_EQ(IupSetControlMethod(cls, "SETATTR", IupAsControlMethod(ClassSet)), 0);
  EXPECT_EQ(IupSetControlMethod(cls, "GETATTR", IupAsControlMethod(ClassGet)), 0);
  EXPECT_EQ(IupSetControlMethod(cls, "GETDEFAULTATTR", IupAsControlMethod(ClassDefault)), 0);
  EXPECT_EQ(IupSetControlMethod(cls, "getattr", IupAsControlMethod(ClassGet)), 1);
  EXPECT_EQ(IupSetControlMethod(nullptr, "GETATTR", IupAsControlMethod(ClassGet)), 1);
  IupAddControlClass("tabsx", cls);
  EXPECT_EQ(IupLookupControlClass("TabsX"), cls);
  IupElement* e = Own(IupNewFromControlClass(cls, nullptr));
  ASSERT_NE(e, nullptr);
  EXPECT_EQ(IupGetKind(e), IUP_CANVAS);
  EXPECT_STREQ(IupGetAttribute(e, "TYPENAME"), "tabsx");
  EXPECT_STREQ(IupGetAttribute(e, "ACTION"), "");
  class_log.clear();
  IupSetAttribute(e, "K", "v");
  IupSetAttribute(e, "K", nullptr);
  EXPECT_EQ(class_log, "K=v;K=null;");
  EXPECT_STREQ(IupGetAttribute(e, "LIVE"), "from class");
  EXPECT_STREQ(IupGetAttribute(e, "DEF"), "class default");
  EXPECT_EQ(IupGetAttribute(e, "EXPAND"), nullptr);  // the class default replaces the table
}
