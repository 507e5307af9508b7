// Script binding of the canvas library: every canvas function as a global
// of the same name, the constants, the driver numbers, colours (shared with
// the image binding), and canvases, stipples, patterns, server images,
// extended images and states as userdata.
//
// A canvas value is a userdata whose first word is its cdCanvasHandle (null
// once killed); C++ code handed a canvas value may read it with
// cdlua_tocanvas. The binding keeps a void canvas active whenever no user
// canvas is, so drawing without a canvas raises "cdlua: there is no active
// canvas!" instead of crashing.
#ifndef VARKO_LUA_CDLUA_H
#define VARKO_LUA_CDLUA_H

#include <lua.hpp>

#include "cd.h"

// Opens the binding (after imlua_open: adopts its colour and image kinds).
void cdlua_open(lua_State* L);

// A driver the binding can create canvases of. `context` may return null
// (the driver is not built in): cdCreateCanvas then returns nil.
// `data` turns the script's second argument (at stack index idx) into the
// driver's creation data, raising its own messages; it may leave values on
// the stack that must stay alive until the canvas is created.
struct CdluaDriver {
  const char* name;  // the global, "CD_PS"
  cdDriver* (*context)(void);
  void* (*data)(lua_State* L, int idx, const char* name);
};

// Adds a driver after the built-in ones: it gets the next number and a
// global of its name. Returns the number. The start-up sequence adds CD_IUP
// this way right after cdlua_open.
int cdlua_adddriver(lua_State* L, const CdluaDriver* driver);

// Adds the toolkit canvas driver CD_IUP (data: a toolkit element).
void cdlua_open_iup(lua_State* L);

// The handle in the canvas value at idx; null when idx is not a canvas or
// the canvas was killed.
cdCanvasHandle cdlua_tocanvas(lua_State* L, int idx);

#endif
