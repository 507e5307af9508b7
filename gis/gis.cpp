// Registration of the geodata functions.
#include "gis.h"

#include "gdalsupport.h"

namespace gis {
void RegisterImport(lua_State* L);
void RegisterExportRaster(lua_State* L);
void RegisterExportRoutes(lua_State* L);
}  // namespace gis

void RegisterGisFunctions(lua_State* L) {
  gis::InstallQuietErrorHandler();
  gis::RegisterImport(L);
  gis::RegisterExportRaster(L);
  gis::RegisterExportRoutes(L);
}
