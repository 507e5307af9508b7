// Registers the application's script functions as globals, in the order of
// their table (appfuncs.cpp); CopyTable stands there twice, and the second
// registration replaces the first with the same function.
#include "host.h"

#include "appfuncs.h"
#include "costsurface.h"
#include "datachunk.h"
#include "datafile.h"
#include "datatokens.h"
#include "gis.h"

void RegisterApplicationFunctions(lua_State* L) {
  for (const luaL_Reg* entry = kApplicationFunctions; entry->name != nullptr; ++entry) {
    lua_register(L, entry->name, entry->func);
  }
  // Beyond them: the start-up script reads project files through this.
  lua_register(L, "LoadDataChunk", LoadDataChunk);
  lua_register(L, "ReadDataFile", ReadDataFile);
  lua_register(L, "CheckProjectTokens", CheckProjectTokens);
  RegisterGisFunctions(L);  // geodata in and out: ImportGeoRaster, ExportGeoRaster, ExportRoutes
  route::RegisterSurfaceFunctions(L);  // with them: CostSurface and Corridor
}
