// Script bindings of the canvas-drawn controls, opened after the toolkit
// binding in their fixed order: valuator, matrix, tabs, gauge.
#ifndef VARKO_LUA_IUPCONTROLSLUA_H
#define VARKO_LUA_IUPCONTROLSLUA_H

#include <lua.hpp>

// Opens every control binding of the list in iupcontrolslua.cpp.
void iupcontrolslua_open(lua_State* L);

// Each control's binding: its script constructor and its object layer.
void iupvallua_open(lua_State* L);
void iuptabslua_open(lua_State* L);
void iupgaugelua_open(lua_State* L);
void iupmatrixlua_open(lua_State* L);
// The text masks' functions (no object layer).
void iupmasklua_open(lua_State* L);

#endif
