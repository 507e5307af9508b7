// The surface object (see surface.h).
#include "surface.h"

#include <cstring>
#include <new>

#include "script.h"

namespace gis {
namespace {

constexpr const char* kMetatable = "gis.surface";

int Collect(lua_State* L) {
  auto* surface = static_cast<Surface*>(luaL_testudata(L, 1, kMetatable));
  if (surface != nullptr) surface->~Surface();
  return 0;
}

int Value(lua_State* L) {
  Surface* surface = ToSurface(L, 1);
  if (surface == nullptr || !lua_isnumber(L, 2) || !lua_isnumber(L, 3)) {
    lua_pushstring(L, "value: invalid parameters!");  // no position, as every script error here
    return lua_error(L);
  }
  const double x = lua_tonumber(L, 2), y = lua_tonumber(L, 3);
  if (!(x >= 0 && y >= 0 && x < surface->width && y < surface->height)) {
    lua_pushnil(L);
    return 1;
  }
  const int col = static_cast<int>(x), row = static_cast<int>(y);
  lua_pushnumber(L, surface->values[col + static_cast<std::ptrdiff_t>(row) * surface->width]);
  return 1;
}

int Index(lua_State* L) {
  Surface* surface = ToSurface(L, 1);
  const char* key = lua_tostring(L, 2);
  if (surface == nullptr || key == nullptr) return 0;
  if (std::strcmp(key, "w") == 0) {
    lua_pushinteger(L, surface->width);
  } else if (std::strcmp(key, "h") == 0) {
    lua_pushinteger(L, surface->height);
  } else if (std::strcmp(key, "nodata") == 0) {
    lua_pushnumber(L, surface->nodata);
  } else if (std::strcmp(key, "value") == 0) {
    lua_pushcfunction(L, Value);
  } else {
    lua_pushnil(L);
  }
  return 1;
}

}  // namespace

Surface* PushSurface(lua_State* L, int width, int height, float nodata) {
  if (width <= 0 || height <= 0) return nullptr;
  auto* surface = static_cast<Surface*>(lua_newuserdatauv(L, sizeof(Surface), 0));
  new (surface) Surface;
  if (luaL_newmetatable(L, kMetatable)) {
    lua_pushcfunction(L, Collect);
    lua_setfield(L, -2, "__gc");
    lua_pushcfunction(L, Index);
    lua_setfield(L, -2, "__index");
  }
  lua_setmetatable(L, -2);
  surface->width = width;
  surface->height = height;
  surface->nodata = nodata;
  surface->values.reset(new (std::nothrow) float[static_cast<std::size_t>(width) * height]);
  if (surface->values == nullptr) {
    lua_pop(L, 1);
    return nullptr;
  }
  return surface;
}

Surface* ToSurface(lua_State* L, int idx) {
  return static_cast<Surface*>(luaL_testudata(L, idx, kMetatable));
}

}  // namespace gis
