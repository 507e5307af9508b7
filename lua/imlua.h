// Script binding of the image library: image objects as userdata, the
// library's functions as globals. Also what other C++ code needs to look
// inside those objects (the application's image references, the canvas
// binding).
#ifndef VARKO_LUA_IMLUA_H
#define VARKO_LUA_IMLUA_H

#include <lua.hpp>

#include <cstdint>

// Installs the tags, constants and functions; shares the canvas binding's
// tags when it was opened first.
void imlua_open(lua_State* L);

struct ImluaMapView {
  int width;
  int height;
  unsigned char* data;
};
struct ImluaPaletteView {
  int size;
  uint32_t* colors;
};

// True when the value at idx is a live (not killed) imagemap or palette.
bool imlua_tomapview(lua_State* L, int idx, ImluaMapView* view);
bool imlua_topaletteview(lua_State* L, int idx, ImluaPaletteView* view);

#endif
