// Script binding of the gauge: "IupCreateGauge" and its object layer
// ("luagauge.lo": the class IUPGAUGE and the constructor iupgauge).
#include <cstdio>
#include <cstring>

#include "iupcontrols.h"
#include "iupcontrolslua.h"
#include "iuplua_common.h"
#include "report.h"

extern const char chunk_luagauge[];
extern const char chunk_luagauge_name[];

namespace {

// No arguments; the gauge enters the object layer like any element made in C.
int CreateGauge(lua_State* L) {
  if (lua_gettop(L) > 0) iuplua::Incorrect("IupCreateGauge");
  IupElement* gauge = IupCreateGauge();
  if (gauge == nullptr) script::RaiseMessage("IupCreateGauge: the gauge control is not open");
  return iuplua::RegisterForeign(L, gauge);
}

}  // namespace

void iupgaugelua_open(lua_State* L) {
  lua_register(L, "IupCreateGauge", script::Guarded<CreateGauge>);
  std::string name = std::string("=") + chunk_luagauge_name;
  if (luaL_loadbuffer(L, chunk_luagauge, std::strlen(chunk_luagauge), name.c_str()) != LUA_OK) {
    std::fprintf(stderr, "%s\n", lua_tostring(L, -1));
    lua_pop(L, 1);
    return;
  }
  script::ReportingCall(L, 0, 0);
}
