// Script binding of the matrix: "IupCreateMatrix", the trampolines of its
// callbacks ("mat_action", "mat_edition", "mat_field" and the others, calling
// "default_matrix_action" and friends with the callback's arguments) and
// its object layer ("luamatrx.lo": IUPMATRIX and iupmatrix).
#include <cstdio>
#include <cstring>
#include <string>

#include "iupcontrols.h"
#include "iupcontrolslua.h"
#include "iuplua_common.h"
#include "report.h"

extern const char chunk_luamatrx[];
extern const char chunk_luamatrx_name[];

namespace {

// The arguments after the element: numbers, texts and elements in order.
struct Arg {
  enum Kind { Int, Num, Text, Element } kind;
  double number = 0;
  const char* text = nullptr;
  IupElement* element = nullptr;
};
struct Args {
  Arg items[8];
  int count = 0;
};
int PushArgs(lua_State* L, void* data) {
  auto* a = static_cast<Args*>(data);
  for (int i = 0; i < a->count; i++) {
    const Arg& arg = a->items[i];
    switch (arg.kind) {
      case Arg::Int:
        lua_pushinteger(L, static_cast<lua_Integer>(arg.number));
        break;
      case Arg::Num:
        lua_pushnumber(L, arg.number);
        break;
      case Arg::Text:
        lua_pushstring(L, arg.text != nullptr ? arg.text : "");
        break;
      case Arg::Element:
        iuplua::PushElement(L, arg.element);
        break;
    }
  }
  return a->count;
}
Arg I(int v) {
  Arg a{Arg::Int};
  a.number = v;
  return a;
}
Arg N(double v) {
  Arg a{Arg::Num};
  a.number = v;
  return a;
}
Arg T(const char* v) {
  Arg a{Arg::Text};
  a.text = v;
  return a;
}
Arg E(IupElement* v) {
  Arg a{Arg::Element};
  a.element = v;
  return a;
}
int Call(const char* function, IupElement* e, std::initializer_list<Arg> list) {
  Args args;
  for (const Arg& a : list) args.items[args.count++] = a;
  return iuplua::CallScript(function, e, PushArgs, &args, IUP_IGNORE);
}

int Action(IupElement* e, int key, int line, int column, int editing, char* text) {
  return Call("default_matrix_action", e, {I(key), I(line), I(column), I(editing), T(text)});
}
int Edition(IupElement* e, int line, int column, int mode) {
  return Call("default_matrix_edition", e, {I(line), I(column), I(mode)});
}
int EnterItem(IupElement* e, int line, int column) {
  return Call("default_matrix_enteritem", e, {I(line), I(column)});
}
int LeaveItem(IupElement* e, int line, int column) {
  return Call("default_matrix_leaveitem", e, {I(line), I(column)});
}
int RightClick(IupElement* e, int line, int column) {
  return Call("default_matrix_rightclick", e, {I(line), I(column)});
}
int Drop(IupElement* e, IupElement* list, int line, int column) {
  return Call("default_matrix_drop", e, {E(list), I(line), I(column)});
}
int DropSelect(IupElement* e, int line, int column, IupElement* list, char* text, int item,
               int state) {
  return Call("default_matrix_dropselect", e,
              {I(line), I(column), E(list), T(text), I(item), I(state)});
}
int Scroll(IupElement* e, int op, float posx, float posy) {
  return Call("default_matrix_scroll", e, {I(op), N(posx), N(posy)});
}
int ValueEdit(IupElement* e, int line, int column, char* text) {
  return Call("default_matrix_value_edit", e, {I(line), I(column), T(text)});
}

// "mat_value" returns a text, which the other trampolines cannot carry.
struct ValueCall {
  IupElement* element;
  int line, column;
  std::string text;
  bool has_text = false;
};
int DoValue(lua_State* L) {
  auto* call = static_cast<ValueCall*>(lua_touserdata(L, 1));
  lua_settop(L, 0);
  lua_getglobal(L, "default_matrix_value");
  iuplua::PushElement(L, call->element);
  lua_pushinteger(L, call->line);
  lua_pushinteger(L, call->column);
  lua_call(L, 3, 1);
  if (lua_type(L, -1) == LUA_TSTRING || lua_type(L, -1) == LUA_TNUMBER) {
    size_t n = 0;
    const char* s = lua_tolstring(L, -1, &n);
    call->text.assign(s, n);
    call->has_text = true;
  }
  return 0;
}
char* Value(IupElement* e, int line, int column) {
  static std::string answer;  // the matrix copies it at once
  lua_State* L = iuplua::State();
  if (L == nullptr || !lua_checkstack(L, 4)) return nullptr;
  ValueCall call{e, line, column, {}, false};
  const int top = lua_gettop(L);
  lua_pushcfunction(L, DoValue);
  lua_pushlightuserdata(L, &call);
  const int status = script::ReportingCall(L, 1, 0);
  lua_settop(L, top);
  if (status != LUA_OK || !call.has_text) return nullptr;
  answer = call.text;
  return answer.data();
}

// "mat_field" fills the slot with the element the script returns (nil, or
// anything else, leaves the cell to the matrix's own editor).
struct FieldCall {
  IupElement* element;
  int line, column;
  IupElement* field = nullptr;
};
int DoField(lua_State* L) {
  auto* call = static_cast<FieldCall*>(lua_touserdata(L, 1));
  lua_settop(L, 0);
  lua_getglobal(L, "default_matrix_field");
  iuplua::PushElement(L, call->element);
  lua_pushinteger(L, call->line);
  lua_pushinteger(L, call->column);
  lua_call(L, 3, 1);
  if (iuplua::IsElement(L, -1)) call->field = iuplua::ToElement(L, -1);
  return 0;
}
int Field(IupElement* e, IupElement** slot, int line, int column) {
  lua_State* L = iuplua::State();
  if (L == nullptr || slot == nullptr || !lua_checkstack(L, 4)) return IUP_IGNORE;
  FieldCall call{e, line, column};
  const int top = lua_gettop(L);
  lua_pushcfunction(L, DoField);
  lua_pushlightuserdata(L, &call);
  const int status = script::ReportingCall(L, 1, 0);
  lua_settop(L, top);
  if (status != LUA_OK || call.field == nullptr) return IUP_IGNORE;
  *slot = call.field;
  return IUP_DEFAULT;
}

// No arguments: a matrix whose callbacks call the script layer.
int CreateMatrix(lua_State* L) {
  if (lua_gettop(L) > 0) iuplua::Incorrect("IupCreateMatrix");
  IupElement* mat = IupCreateMatrix("mat_action");
  if (mat == nullptr) script::RaiseMessage("IupCreateMatrix: the matrix control is not open");
  const char* const routes[][2] = {{"EDITION_CB", "mat_edition"},
                                   {"ENTERITEM_CB", "mat_enteritem"},
                                   {"DROP_CB", "mat_drop"},
                                   {"DROPSELECT_CB", "mat_dropselect"},
                                   {"FIELD_CB", "mat_field"},
                                   {"LEAVEITEM_CB", "mat_leaveitem"},
                                   {"RIGHTCLICK_CB", "mat_rightclick"},
                                   {"SCROLL_CB", "mat_scroll"},
                                   {"GETFOCUS_CB", "iuplua_getfocus"},
                                   {"KILLFOCUS_CB", "iuplua_killfocus"},
                                   {"K_ANY", "iuplua_k_any"}};
  for (const auto& r : routes) IupSetAttribute(mat, r[0], r[1]);
  return iuplua::RegisterForeign(L, mat);
}

}  // namespace

void iupmatrixlua_open(lua_State* L) {
  IupBindAction("mat_action", IupAsCallback(Action));
  IupBindAction("mat_edition", IupAsCallback(Edition));
  IupBindAction("mat_enteritem", IupAsCallback(EnterItem));
  IupBindAction("mat_leaveitem", IupAsCallback(LeaveItem));
  IupBindAction("mat_rightclick", IupAsCallback(RightClick));
  IupBindAction("mat_drop", IupAsCallback(Drop));
  IupBindAction("mat_dropselect", IupAsCallback(DropSelect));
  IupBindAction("mat_scroll", IupAsCallback(Scroll));
  IupBindAction("mat_field", IupAsCallback(Field));
  IupBindAction("mat_value", IupAsCallback(Value));
  IupBindAction("mat_value_edit", IupAsCallback(ValueEdit));
  lua_register(L, "IupCreateMatrix", script::Guarded<CreateMatrix>);
  std::string name = std::string("=") + chunk_luamatrx_name;
  if (luaL_loadbuffer(L, chunk_luamatrx, std::strlen(chunk_luamatrx), name.c_str()) != LUA_OK) {
    std::fprintf(stderr, "%s\n", lua_tostring(L, -1));
    lua_pop(L, 1);
    return;
  }
  script::ReportingCall(L, 0, 0);
}
