// "iuptest": the headless driver's event injection and widget model for
// scripts, so tests can drive whole script-built interfaces. Registered
// only when the headless driver runs.
#include <string>
#include <vector>

#include "headless/iupheadless.h"
#include "iupcanvasfb.h"
#include "iuplua_common.h"

namespace iuplua {
namespace {

namespace hl = iup::headless;

IupElement* El(lua_State* L, int n) {
  return ElementArg(L, n, "iuptest");
}
int Int(lua_State* L, int n) {
  return lua_isnoneornil(L, n) ? 0 : NumberArg(L, n, "iuptest");
}

// A mouse button as '1', '2', '3' or the numbers 1 to 3.
int MouseButton(lua_State* L, int n) {
  if (lua_type(L, n) == LUA_TSTRING && lua_rawlen(L, n) == 1) return lua_tostring(L, n)[0];
  int b = Int(L, n);
  return b >= 1 && b <= 3 ? '0' + b : b;
}

// Modifiers: a number (kShift | kCtrl) or a text holding 'S' and/or 'C'.
int Modifiers(lua_State* L, int n) {
  if (lua_type(L, n) == LUA_TSTRING) {
    std::string text = lua_tostring(L, n);
    return (text.find('S') != std::string::npos ? hl::kShift : 0) |
           (text.find('C') != std::string::npos ? hl::kCtrl : 0);
  }
  return Int(L, n);
}

int Click(lua_State* L) {
  hl::Click(El(L, 1));
  return 0;
}
int Choose(lua_State* L) {
  hl::ChooseItem(El(L, 1));
  return 0;
}
int Toggle(lua_State* L) {
  hl::ClickToggle(El(L, 1));
  return 0;
}
int Select(lua_State* L) {
  hl::SelectListItem(El(L, 1), Int(L, 2));
  return 0;
}
int Focus(lua_State* L) {
  hl::Focus(El(L, 1));
  return 0;
}
int Type(lua_State* L) {
  std::string text = NameArg(L, 1, "iuptest");
  hl::TypeText(text.c_str());
  return 0;
}
// iuptest.key(code [, modifiers]): modifiers as "MODKEYSTATE" shows them
int Key(lua_State* L) {
  if (lua_type(L, 2) == LUA_TSTRING)
    hl::TypeKeyWith(Int(L, 1), lua_tostring(L, 2));
  else
    hl::TypeKey(Int(L, 1));
  return 0;
}
int Enter(lua_State*) {
  hl::PressEnter();
  return 0;
}
int Esc(lua_State*) {
  hl::PressEscape();
  return 0;
}
int CloseBox(lua_State* L) {
  hl::CloseBox(El(L, 1));
  return 0;
}
int Minimize(lua_State* L) {
  hl::Minimize(El(L, 1));
  return 0;
}
int Restore(lua_State* L) {
  hl::Restore(El(L, 1));
  return 0;
}
int Resize(lua_State* L) {
  hl::Resize(El(L, 1), Int(L, 2), Int(L, 3));
  return 0;
}
int Press(lua_State* L) {
  hl::MousePress(El(L, 1), MouseButton(L, 2), Int(L, 3), Int(L, 4), Modifiers(L, 5));
  return 0;
}
int Release(lua_State* L) {
  hl::MouseRelease(El(L, 1), MouseButton(L, 2), Int(L, 3), Int(L, 4), Modifiers(L, 5));
  return 0;
}
int DoubleClick(lua_State* L) {
  hl::MouseDoubleClick(El(L, 1), MouseButton(L, 2), Int(L, 3), Int(L, 4), Modifiers(L, 5));
  return 0;
}
int Motion(lua_State* L) {
  hl::MouseMotion(El(L, 1), Int(L, 2), Int(L, 3), Modifiers(L, 4));
  return 0;
}
int MouseEnter(lua_State* L) {
  hl::MouseEnter(El(L, 1));
  return 0;
}
int MouseLeave(lua_State* L) {
  hl::MouseLeave(El(L, 1));
  return 0;
}
int Scroll(lua_State* L) {
  hl::Scroll(El(L, 1), Int(L, 2), Int(L, 3));
  return 0;
}
// iuptest.wheel(canvas, delta, x, y [, modifiers])
int Wheel(lua_State* L) {
  IupElement* canvas = El(L, 1);
  if (!lua_isnumber(L, 2)) Incorrect("iuptest");
  const double delta = lua_tonumber(L, 2);  // notches may be fractions
  hl::Wheel(canvas, static_cast<float>(delta), Int(L, 3), Int(L, 4), Modifiers(L, 5));
  return 0;
}
int Repaint(lua_State* L) {
  hl::Repaint(El(L, 1));
  return 0;
}
int Drop(lua_State* L) {
  IupElement* element = El(L, 1);
  if (!lua_istable(L, 2)) Incorrect("iuptest");
  std::vector<std::string> files;
  for (long long i = 1;; ++i) {
    script::StackMark mark(L);
    std::optional<std::string> file = script::GetStringElement(L, 2, i);
    if (!file) break;
    files.push_back(*file);
  }
  std::vector<const char*> names;
  for (const std::string& f : files) names.push_back(f.c_str());
  hl::DropFiles(element, names.data(), static_cast<int>(names.size()), Int(L, 3), Int(L, 4));
  return 0;
}
int Quit(lua_State*) {
  hl::PostQuit();
  return 0;
}

int AnswerMessage(lua_State*) {
  hl::AnswerMessage();
  return 0;
}
int AnswerFile(lua_State* L) {
  std::string path = NameArg(L, 1, "iuptest");
  hl::AnswerFile(path.c_str());
  return 0;
}
int CancelFile(lua_State*) {
  hl::CancelFile();
  return 0;
}
int AnswerAlarm(lua_State* L) {
  hl::AnswerAlarm(Int(L, 1));
  return 0;
}
int AnswerMenu(lua_State* L) {
  hl::AnswerMenu(OptionalElementArg(L, 1, "iuptest"));
  return 0;
}

int Deliver(lua_State*) {
  hl::DeliverNow();
  return 0;
}
int Pending(lua_State* L) {
  lua_pushinteger(L, hl::Pending());
  return 1;
}
int Reset(lua_State*) {
  hl::Reset();
  return 0;
}
int IdleLimit(lua_State* L) {
  hl::SetIdleLimit(Int(L, 1));
  return 0;
}
int Step(lua_State* L) {
  lua_pushinteger(L, IupLoopStep());
  return 1;
}
int Transcript(lua_State* L) {
  lua_pushstring(L, hl::Transcript().c_str());
  return 1;
}
int LastMessage(lua_State* L) {
  lua_pushstring(L, hl::LastMessage().c_str());
  return 1;
}
int SetClipboard(lua_State* L) {
  std::string text = NameArg(L, 1, "iuptest");
  hl::SetClipboard(text.c_str());
  return 0;
}
int Clipboard(lua_State* L) {
  lua_pushstring(L, hl::Clipboard().c_str());
  return 1;
}

int Exists(lua_State* L) {
  lua_pushboolean(L, hl::Exists(El(L, 1)));
  return 1;
}
int Visible(lua_State* L) {
  lua_pushboolean(L, hl::Visible(El(L, 1)));
  return 1;
}
int Enabled(lua_State* L) {
  lua_pushboolean(L, hl::Enabled(El(L, 1)));
  return 1;
}
int Text(lua_State* L) {
  lua_pushstring(L, hl::Text(El(L, 1)).c_str());
  return 1;
}
int Caret(lua_State* L) {
  lua_pushinteger(L, hl::Caret(El(L, 1)));
  return 1;
}
int SetCaret(lua_State* L) {
  hl::SetCaret(El(L, 1), Int(L, 2));
  return 0;
}
int Selection(lua_State* L) {
  IupElement* e = El(L, 1);
  lua_pushinteger(L, hl::SelectionStart(e));
  lua_pushinteger(L, hl::SelectionEnd(e));
  return 2;
}
int SetSelection(lua_State* L) {
  hl::SetSelection(El(L, 1), Int(L, 2), Int(L, 3));
  return 0;
}
int ToggleState(lua_State* L) {
  lua_pushinteger(L, hl::ToggleState(El(L, 1)));
  return 1;
}
int ListCount(lua_State* L) {
  lua_pushinteger(L, hl::ListCount(El(L, 1)));
  return 1;
}
int ListItem(lua_State* L) {
  lua_pushstring(L, hl::ListItemText(El(L, 1), Int(L, 2)).c_str());
  return 1;
}
int ListSelected(lua_State* L) {
  lua_pushboolean(L, hl::ListSelected(El(L, 1), Int(L, 2)));
  return 1;
}
int Rect(lua_State* L) {
  int x = 0, y = 0, w = 0, h = 0;
  hl::Rect(El(L, 1), &x, &y, &w, &h);
  for (int v : {x, y, w, h}) lua_pushinteger(L, v);
  return 4;
}
int Focused(lua_State* L) {
  PushElement(L, hl::Focused());
  return 1;
}
int Active(lua_State* L) {
  PushElement(L, hl::Active());
  return 1;
}

// What a canvas element's window shows now: width, height and the pixels
// as a text of r, g, b bytes, top line first; nil when it shows no canvas.
int Shown(lua_State* L) {
  int w = 0, h = 0;
  const unsigned char *r = nullptr, *g = nullptr, *b = nullptr;
  if (!iup::canvasfb::Shown(El(L, 1), &w, &h, &r, &g, &b)) {
    lua_pushnil(L);
    return 1;
  }
  std::string pixels(static_cast<size_t>(w) * h * 3, '\0');
  for (size_t i = 0, n = static_cast<size_t>(w) * h; i < n; i++) {
    pixels[3 * i] = static_cast<char>(r[i]);
    pixels[3 * i + 1] = static_cast<char>(g[i]);
    pixels[3 * i + 2] = static_cast<char>(b[i]);
  }
  lua_pushinteger(L, w);
  lua_pushinteger(L, h);
  lua_pushlstring(L, pixels.data(), pixels.size());
  return 3;
}

}  // namespace

void RegisterTestFunctions(lua_State* L) {
  using script::Guarded;
  static const luaL_Reg functions[] = {
      {"click", Guarded<Click>},
      {"choose", Guarded<Choose>},
      {"toggle", Guarded<Toggle>},
      {"select", Guarded<Select>},
      {"focus", Guarded<Focus>},
      {"type", Guarded<Type>},
      {"key", Guarded<Key>},
      {"enter", Guarded<Enter>},
      {"esc", Guarded<Esc>},
      {"closebox", Guarded<CloseBox>},
      {"minimize", Guarded<Minimize>},
      {"restore", Guarded<Restore>},
      {"resize", Guarded<Resize>},
      {"press", Guarded<Press>},
      {"release", Guarded<Release>},
      {"doubleclick", Guarded<DoubleClick>},
      {"motion", Guarded<Motion>},
      {"mouseenter", Guarded<MouseEnter>},
      {"mouseleave", Guarded<MouseLeave>},
      {"scroll", Guarded<Scroll>},
      {"wheel", Guarded<Wheel>},
      {"repaint", Guarded<Repaint>},
      {"drop", Guarded<Drop>},
      {"quit", Guarded<Quit>},
      {"answer_message", Guarded<AnswerMessage>},
      {"answer_file", Guarded<AnswerFile>},
      {"cancel_file", Guarded<CancelFile>},
      {"answer_alarm", Guarded<AnswerAlarm>},
      {"answer_menu", Guarded<AnswerMenu>},
      {"deliver", Guarded<Deliver>},
      {"pending", Guarded<Pending>},
      {"reset", Guarded<Reset>},
      {"idle_limit", Guarded<IdleLimit>},
      {"step", Guarded<Step>},
      {"transcript", Guarded<Transcript>},
      {"last_message", Guarded<LastMessage>},
      {"set_clipboard", Guarded<SetClipboard>},
      {"clipboard", Guarded<Clipboard>},
      {"exists", Guarded<Exists>},
      {"visible", Guarded<Visible>},
      {"enabled", Guarded<Enabled>},
      {"text", Guarded<Text>},
      {"caret", Guarded<Caret>},
      {"set_caret", Guarded<SetCaret>},
      {"selection", Guarded<Selection>},
      {"set_selection", Guarded<SetSelection>},
      {"toggle_state", Guarded<ToggleState>},
      {"list_count", Guarded<ListCount>},
      {"list_item", Guarded<ListItem>},
      {"list_selected", Guarded<ListSelected>},
      {"rect", Guarded<Rect>},
      {"focused", Guarded<Focused>},
      {"active", Guarded<Active>},
      {"shown", Guarded<Shown>},
  };
  lua_createtable(L, 0, static_cast<int>(std::size(functions)));
  luaL_setfuncs(L, functions, 0);
  lua_setglobal(L, "iuptest");
}

}  // namespace iuplua
