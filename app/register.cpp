// The application's script functions, registered in their fixed order.
// CopyTable is registered twice; the second registration replaces the first.
#include "host.h"

#include "appfuncs.h"

void RegisterApplicationFunctions(lua_State* L) {
  for (const luaL_Reg* entry = kApplicationFunctions; entry->name != nullptr; ++entry) {
    lua_register(L, entry->name, entry->func);
  }
}
