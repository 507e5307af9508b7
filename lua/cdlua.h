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

// The binding's driver constants (CD_IMAGE, CD_PS, ...) are the numbers of
// the canvas library's driver list (cdregistry.h), which cdlua_open fills
// with the built-in drivers first; drivers listed before cdlua_open get
// their constants there, and the conversion of cdCreateCanvas' data
// follows each driver's data kind.

// Lists the toolkit canvas driver CD_IUP (data: a toolkit element) and
// gives it the next number and its global. The start-up sequence calls it
// right after cdlua_open.
void cdlua_open_iup(lua_State* L);

// The handle in the canvas value at idx; null when idx is not a canvas or
// the canvas was killed.
cdCanvasHandle cdlua_tocanvas(lua_State* L, int idx);

#endif
