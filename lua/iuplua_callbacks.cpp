// The trampolines: C callbacks bound to the binding's action names that
// call the script layer's functions, plus the idle function, the error
// handler ("IupNewError", "seterrormethod") and xCODE. Beyond the classic
// sixteen names, "canvas_scroll" and "canvas_wheel" route a canvas's
// "SCROLL_CB" and "WHEEL_CB" to "default_scroll" and "default_wheel".
#include <cstdio>
#include <cstring>
#include <string>

#include "iupdriver.h"
#include "iuplua_common.h"

namespace iuplua {
namespace {

lua_State* g_state = nullptr;
constexpr const char* kErrorMethod = "iuplua.errormethod";
constexpr const char* kIdleFunction = "iuplua.idle";

// Message handler of script calls: the installed error method sees the
// message while the failing frames still exist, then the traceback is
// added for the console.
int HandleError(lua_State* L) {
  if (lua_getfield(L, LUA_REGISTRYINDEX, kErrorMethod) == LUA_TFUNCTION) {
    lua_pushvalue(L, 1);
    if (lua_pcall(L, 1, 0, 0) != LUA_OK) lua_pop(L, 1);
  } else {
    lua_pop(L, 1);
  }
  const char* message = lua_tostring(L, 1);
  if (message == nullptr)
    message = lua_pushfstring(L, "(error object is a %s value)", luaL_typename(L, 1));
  luaL_traceback(L, L, message, 1);
  return 1;
}

struct Call {
  const char* function;
  IupElement* element;
  int (*push_args)(lua_State*, void*);
  void* data;
  bool has_number = false;
  double number = 0;
};

// Runs inside the protected call: pushing can raise (memory) safely here.
int DoCall(lua_State* L) {
  auto* call = static_cast<Call*>(lua_touserdata(L, 1));
  lua_settop(L, 0);
  int base = 0;
  if (call->function != nullptr) {
    lua_getglobal(L, call->function);
    PushElement(L, call->element);
    base = 1;
  } else {
    lua_getfield(L, LUA_REGISTRYINDEX, kIdleFunction);
  }
  int nargs = base + (call->push_args ? call->push_args(L, call->data) : 0);
  lua_call(L, nargs, 1);
  if (lua_type(L, -1) == LUA_TNUMBER) {
    call->has_number = true;
    call->number = lua_tonumber(L, -1);
  }
  return 0;
}

int Protected(Call& call, int on_error) {
  lua_State* L = g_state;
  if (L == nullptr || !lua_checkstack(L, 4)) return on_error;
  int top = lua_gettop(L);
  lua_pushcfunction(L, HandleError);
  lua_pushcfunction(L, DoCall);
  lua_pushlightuserdata(L, &call);
  int status = lua_pcall(L, 1, 0, top + 1);
  if (status != LUA_OK) {
    const char* text = lua_tostring(L, -1);
    std::fprintf(stderr, "%s\n", text ? text : "(error without message)");
    std::fflush(stderr);
  }
  lua_settop(L, top);
  if (status != LUA_OK) return on_error;
  if (!call.has_number) return IUP_DEFAULT;
  return script::TruncateToInt(call.number);
}

// ---- argument pushers ----
struct Ints {
  int values[4];
  int count;
};
int PushInts(lua_State* L, void* data) {
  auto* ints = static_cast<Ints*>(data);
  for (int i = 0; i < ints->count; ++i) lua_pushinteger(L, ints->values[i]);
  return ints->count;
}

int Trampoline(const char* function, IupElement* element, Ints ints = {{}, 0},
               int on_error = IUP_IGNORE) {
  return CallScript(function, element, PushInts, &ints, on_error);
}

int GetFocusCb(IupElement* e) {
  return Trampoline("default_getfocus", e);
}

int PushElementArg(lua_State* L, void* data) {
  PushElement(L, static_cast<IupElement*>(data));
  return 1;
}
int KillFocusCb(IupElement* e, IupElement* next) {
  return CallScript("default_killfocus", e, PushElementArg, next, IUP_IGNORE);
}

// The key walk offers the key to the focused element and then to each
// ancestor with a key route, always naming the focused element; the method
// called is that of the element the route was found on, so a dialog's k_any
// sees the keys of its fields.
int KeyCb(IupElement* e, int key) {
  IupElement* owner = iup::event::KeyHandlerOwner();
  return Trampoline("default_k_any", owner != nullptr ? owner : e, {{key}, 1}, IUP_CONTINUE);
}

// A button carries no state; toggles and items carry theirs.
int ButtonCb(IupElement* e, int state) {
  int kind = IupGetKind(e);
  if (kind == IUP_TOGGLE || kind == IUP_ITEM)
    return Trampoline("BUTTON_default_action", e, {{state}, 1});
  return Trampoline("BUTTON_default_action", e);
}

int CloseCb(IupElement* e) {
  return Trampoline("default_CLOSE_action", e);
}
int ShowCb(IupElement* e, int state) {
  return Trampoline("default_SHOWCB_action", e, {{state}, 1});
}
int MapCb(IupElement* e) {
  return Trampoline("default_MAPCB_action", e);
}

struct Floats {
  double x, y;
};
int PushFloats(lua_State* L, void* data) {
  auto* f = static_cast<Floats*>(data);
  lua_pushnumber(L, f->x);
  lua_pushnumber(L, f->y);
  return 2;
}
int CanvasActionCb(IupElement* e, float x, float y) {
  Floats f{x, y};
  return CallScript("CANVAS_default_action", e, PushFloats, &f, IUP_IGNORE);
}

struct Mouse {
  int values[4];
  int count;
  const char* status;
};
int PushMouse(lua_State* L, void* data) {
  auto* m = static_cast<Mouse*>(data);
  for (int i = 0; i < m->count; ++i) lua_pushinteger(L, m->values[i]);
  lua_pushstring(L, m->status ? m->status : "");
  return m->count + 1;
}
int CanvasButtonCb(IupElement* e, int button, int pressed, int x, int y, char* status) {
  Mouse m{{button, pressed, x, y}, 4, status};
  return CallScript("default_button_press", e, PushMouse, &m, IUP_IGNORE);
}
int CanvasMotionCb(IupElement* e, int x, int y, char* status) {
  Mouse m{{x, y}, 2, status};
  return CallScript("default_motion", e, PushMouse, &m, IUP_IGNORE);
}
int CanvasResizeCb(IupElement* e, int w, int h) {
  return Trampoline("default_resize", e, {{w, h}, 2});
}
struct ScrollEvent {
  int operation;
  double posx, posy;
};
int PushScrollEvent(lua_State* L, void* data) {
  auto* s = static_cast<ScrollEvent*>(data);
  lua_pushinteger(L, s->operation);
  lua_pushnumber(L, s->posx);
  lua_pushnumber(L, s->posy);
  return 3;
}
int CanvasScrollCb(IupElement* e, int operation, float posx, float posy) {
  ScrollEvent s{operation, posx, posy};
  return CallScript("default_scroll", e, PushScrollEvent, &s, IUP_IGNORE);
}

struct WheelEvent {
  double delta;
  int x, y;
  const char* status;
};
int PushWheelEvent(lua_State* L, void* data) {
  auto* w = static_cast<WheelEvent*>(data);
  lua_pushnumber(L, w->delta);
  lua_pushinteger(L, w->x);
  lua_pushinteger(L, w->y);
  lua_pushstring(L, w->status ? w->status : "");
  return 4;
}
int CanvasWheelCb(IupElement* e, float delta, int x, int y, char* status) {
  WheelEvent w{delta, x, y, status};
  return CallScript("default_wheel", e, PushWheelEvent, &w, IUP_IGNORE);
}

int EnterCb(IupElement* e) {
  return Trampoline("default_enterwindow", e);
}
int LeaveCb(IupElement* e) {
  return Trampoline("default_leavewindow", e);
}

struct ListEvent {
  const char* text;
  int item, state;
};
int PushListEvent(lua_State* L, void* data) {
  auto* l = static_cast<ListEvent*>(data);
  lua_pushstring(L, l->text ? l->text : "");
  lua_pushinteger(L, l->item);
  lua_pushinteger(L, l->state);
  return 3;
}
int ListCb(IupElement* e, char* text, int item, int state) {
  ListEvent l{text, item, state};
  return CallScript("IUPLIST_default_action", e, PushListEvent, &l, IUP_IGNORE);
}

// The new text of an edit is not passed: only the key code.
int TextCb(IupElement* e, int key, char*) {
  return Trampoline("TEXT_default_action", e, {{key}, 1});
}
int MultiLineCb(IupElement* e, int key, char*) {
  return Trampoline("MULTILINE_default_action", e, {{key}, 1});
}

int IdleCb() {
  Call call{nullptr, nullptr, nullptr, nullptr};
  return Protected(call, IUP_IGNORE);
}

template <typename Function>
IupCallback AsCallback(Function* function) {
  return reinterpret_cast<IupCallback>(reinterpret_cast<void (*)()>(function));
}

// ---- script functions ----

int SetIdle(lua_State* L) {
  int type = lua_type(L, 1);
  if (type != LUA_TFUNCTION && type != LUA_TNIL && type != LUA_TNONE)
    script::RaiseMessage("IupSetIdle: parameter must be a function or a cfunction");
  lua_getfield(L, LUA_REGISTRYINDEX, kIdleFunction);  // the previous one, returned
  lua_pushvalue(L, 1);
  lua_setfield(L, LUA_REGISTRYINDEX, kIdleFunction);
  IupSetIdle(type == LUA_TFUNCTION ? IdleCb : nullptr);
  return 1;
}

// Where the error happened: the first script frame above the C functions
// that raised or reported it.
std::string ErrorPlace(lua_State* L) {
  lua_Debug ar;
  for (int level = 1; lua_getstack(L, level, &ar); ++level) {
    if (!lua_getinfo(L, "nSl", &ar)) break;
    if (std::strcmp(ar.what, "C") == 0) continue;
    if (std::strcmp(ar.what, "main") == 0) return std::string("\nmain of ") + ar.short_src;
    if (ar.name != nullptr && std::strcmp(ar.name, "?") != 0) {
      if (ar.namewhat != nullptr && std::strcmp(ar.namewhat, "metamethod") == 0)
        return std::string("\ntag ") + ar.name;
      return std::string("\nfunction ") + ar.name;
    }
    char line[32];
    std::snprintf(line, sizeof line, ":%d)", ar.currentline);
    return std::string("\nfunction (") + ar.short_src + line;
  }
  return {};
}

// The message and where it happened, the place cut to 200 characters, in
// a message box titled "Error".
int NewError(lua_State* L) {
  constexpr size_t kPlaceLimit = 200;
  const char* message = lua_tostring(L, 1);
  std::string text = message ? message : "(no messsage)";
  text += ErrorPlace(L).substr(0, kPlaceLimit);
  IupMessage("Error", text.c_str());
  return 0;
}

// Installs the error handler of script calls; returns the previous one.
int SetErrorMethod(lua_State* L) {
  int type = lua_type(L, 1);
  if (type != LUA_TFUNCTION && type != LUA_TNIL && type != LUA_TNONE)
    script::RaiseMessage("seterrormethod: parameter must be a function or a cfunction");
  lua_getfield(L, LUA_REGISTRYINDEX, kErrorMethod);
  lua_pushvalue(L, 1);
  lua_setfield(L, LUA_REGISTRYINDEX, kErrorMethod);
  return 1;
}

}  // namespace

lua_State* State() {
  return g_state;
}

int CallScript(const char* function, IupElement* element, int (*push_args)(lua_State*, void*),
               void* data, int on_error) {
  Call call{function, element, push_args, data};
  return Protected(call, on_error);
}

void RegisterCallbackFunctions(lua_State* L) {
  g_state = L;
  static const struct {
    const char* name;
    IupCallback callback;
  } actions[] = {
      {"iuplua_getfocus", AsCallback(GetFocusCb)},   {"iuplua_killfocus", AsCallback(KillFocusCb)},
      {"iuplua_k_any", AsCallback(KeyCb)},           {"button_action", AsCallback(ButtonCb)},
      {"dialog_close", AsCallback(CloseCb)},         {"dialog_showcb", AsCallback(ShowCb)},
      {"dialog_mapcb", AsCallback(MapCb)},           {"canvas_action", AsCallback(CanvasActionCb)},
      {"canvas_button", AsCallback(CanvasButtonCb)}, {"canvas_resize", AsCallback(CanvasResizeCb)},
      {"canvas_motion", AsCallback(CanvasMotionCb)}, {"canvas_enterwindow", AsCallback(EnterCb)},
      {"canvas_leavewindow", AsCallback(LeaveCb)},   {"list_action", AsCallback(ListCb)},
      {"canvas_scroll", AsCallback(CanvasScrollCb)}, {"canvas_wheel", AsCallback(CanvasWheelCb)},
      {"text_action", AsCallback(TextCb)},           {"multiline_action", AsCallback(MultiLineCb)},
  };
  for (const auto& action : actions) IupBindAction(action.name, action.callback);
  using script::Guarded;
  lua_register(L, "IupSetIdle", Guarded<SetIdle>);
  lua_register(L, "IupNewError", Guarded<NewError>);
  lua_register(L, "seterrormethod", Guarded<SetErrorMethod>);
}

}  // namespace iuplua
