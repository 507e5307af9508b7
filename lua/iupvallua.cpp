// Script binding of the valuator: "IupCreateVal", the trampolines of its
// three callbacks ("val_mousemove", "val_buttonpress", "val_buttonrelease",
// calling "default_val_mousemove" and friends with the element and the
// value) and its object layer ("luaval.lo": IUPVAL and iupval).
#include <cstdio>
#include <cstring>

#include "iupcontrols.h"
#include "iupcontrolslua.h"
#include "iuplua_common.h"
#include "report.h"

extern const char chunk_luaval[];
extern const char chunk_luaval_name[];

namespace {

int PushValue(lua_State* L, void* data) {
  lua_pushnumber(L, *static_cast<double*>(data));
  return 1;
}
int MouseMove(IupElement* e, double value) {
  return iuplua::CallScript("default_val_mousemove", e, PushValue, &value, IUP_IGNORE);
}
int ButtonPress(IupElement* e, double value) {
  return iuplua::CallScript("default_val_buttonpress", e, PushValue, &value, IUP_IGNORE);
}
int ButtonRelease(IupElement* e, double value) {
  return iuplua::CallScript("default_val_buttonrelease", e, PushValue, &value, IUP_IGNORE);
}

// One argument: the orientation ("VERTICAL", "HORIZONTAL"; nil or another
// text gives a valuator without motion handling or size).
int CreateVal(lua_State* L) {
  const char* name = "IupCreateVal";
  if (lua_gettop(L) > 1) iuplua::Incorrect(name);
  std::string orientation;
  const bool has = iuplua::OptionalTextArg(L, 1, name, &orientation);
  IupElement* val = IupCreateVal(has ? orientation.c_str() : nullptr);
  if (val == nullptr) script::RaiseMessage("IupCreateVal: the valuator control is not open");
  IupSetAttribute(val, "MOUSEMOVE_CB", "val_mousemove");
  IupSetAttribute(val, "BUTTON_PRESS_CB", "val_buttonpress");
  IupSetAttribute(val, "BUTTON_RELEASE_CB", "val_buttonrelease");
  IupSetAttribute(val, "GETFOCUS_CB", "iuplua_getfocus");
  IupSetAttribute(val, "KILLFOCUS_CB", "iuplua_killfocus");
  IupSetAttribute(val, "K_ANY", "iuplua_k_any");
  return iuplua::RegisterForeign(L, val);
}

}  // namespace

void iupvallua_open(lua_State* L) {
  IupBindAction("val_mousemove", IupAsCallback(MouseMove));
  IupBindAction("val_buttonpress", IupAsCallback(ButtonPress));
  IupBindAction("val_buttonrelease", IupAsCallback(ButtonRelease));
  lua_register(L, "IupCreateVal", script::Guarded<CreateVal>);
  std::string name = std::string("=") + chunk_luaval_name;
  if (luaL_loadbuffer(L, chunk_luaval, std::strlen(chunk_luaval), name.c_str()) != LUA_OK) {
    std::fprintf(stderr, "%s\n", lua_tostring(L, -1));
    lua_pop(L, 1);
    return;
  }
  script::ReportingCall(L, 0, 0);
}
