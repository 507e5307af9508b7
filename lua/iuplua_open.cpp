// Opening the toolkit binding: the element tag, the functions, the
// trampolines, the banner, the key names and the object layer.
#include <cstdio>
#include <cstring>
#include <strings.h>

#include "iuplua_common.h"
#include "iupcontrolslua.h"
#include "report.h"

extern const char chunk_iuplua[];
extern const char chunk_iuplua_name[];
extern const char chunk_iupkey[];
extern const char chunk_iupkey_name[];

namespace iuplua {

int OpenElementTag(lua_State* L);  // iuplua_element.cpp

namespace {

// Sets the 0x100 bit of the key code's second byte; a code that is not a
// number fails as the other toolkit functions do.
int XCode(lua_State* L) {
  const int code = NumberArg(L, 1, "xCODE");
  lua_pushinteger(L, static_cast<lua_Integer>(code) | 0x100);
  return 1;
}

// Runs an embedded chunk with nargs arguments on the stack; errors are
// reported on the console.
void RunChunk(lua_State* L, const char* text, const char* name, int nargs) {
  std::string chunk_name = std::string("=") + name;
  if (luaL_loadbuffer(L, text, std::strlen(text), chunk_name.c_str()) != LUA_OK) {
    std::fprintf(stderr, "%s\n", lua_tostring(L, -1));
    lua_pop(L, 1 + nargs);
    return;
  }
  lua_insert(L, -nargs - 1);
  script::ReportingCall(L, nargs, 0);
}

}  // namespace
}  // namespace iuplua

void iupkey_open(lua_State* L) {
  lua_register(L, "xCODE", script::Guarded<iuplua::XCode>);
  iuplua::RunChunk(L, chunk_iupkey, chunk_iupkey_name, 0);
}

void iuplua_open(lua_State* L) {
  int tag = iuplua::OpenElementTag(L);
  lua_pushinteger(L, tag);
  lua_setglobal(L, "iuplua_tag");
  iuplua::RegisterElementFunctions(L);
  iuplua::RegisterConstructors(L);
  iuplua::RegisterDialogFunctions(L);
  iuplua::RegisterCallbackFunctions(L);
  const char* driver = IupGetGlobal("DRIVER");
  if (driver != nullptr && strcasecmp(driver, "headless") == 0) iuplua::RegisterTestFunctions(L);
  std::fputs("IUP/Lua Revision:1.8.3\n", stdout);
  std::fflush(stdout);
  iupkey_open(L);
  luaL_getmetatable(L, iuplua::kElementMetatable);
  iuplua::RunChunk(L, chunk_iuplua, chunk_iuplua_name, 1);
  iupcontrolslua_open(L);
}

namespace iuplua {

int RegisterForeign(lua_State* L, IupElement* element) {
  lua_getglobal(L, "iuplua_register");
  PushElement(L, element);
  lua_call(L, 1, 1);
  return 1;
}

}  // namespace iuplua
