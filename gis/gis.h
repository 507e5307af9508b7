// Geodata in and out: the script functions ImportGeoRaster, ExportGeoRaster
// and ExportRoutes, built on GDAL/OGR.
#ifndef VARKO_GIS_GIS_H
#define VARKO_GIS_GIS_H

#include <lua.hpp>

// Registers the three functions as globals and makes GDAL quiet: its errors
// are kept for the script error instead of being printed.
void RegisterGisFunctions(lua_State* L);

#endif
