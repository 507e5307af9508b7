// A raster of float values as a script object (the metatable "gis.surface"):
// cost surfaces from CostSurface, written as float GeoTIFF by
// ExportGeoRaster. Pixel (x, y) is values[x + y * width], row 0 the bottom
// line, as in image maps. From scripts: s.w, s.h, s.nodata and
// s:value(x, y) (nil outside the raster).
#ifndef VARKO_GIS_SURFACE_H
#define VARKO_GIS_SURFACE_H

#include <lua.hpp>

#include <memory>

namespace gis {

struct Surface {
  int width = 0, height = 0;
  float nodata = 0;  // the value of pixels that have none (unreached ground)
  std::unique_ptr<float[]> values;
};

// Pushes a new surface of that size with its values uninitialised; pushes
// nothing and returns nullptr when the size is not positive or memory runs
// out. May raise Lua's memory error: call before owning resources.
Surface* PushSurface(lua_State* L, int width, int height, float nodata);
// The surface at idx, or nullptr when it is not one.
Surface* ToSurface(lua_State* L, int idx);

}  // namespace gis

#endif
