// The host: brings up the libraries and the interpreter in their fixed
// order, registers the application's script functions, runs "varko.lua"
// and the toolkit's loop.
#ifndef VARKO_APP_HOST_H
#define VARKO_APP_HOST_H

#include <lua.hpp>

// The whole program; returns the exit status (always 1).
int VarkoMain();

// The interpreter with the standard libraries the scripts rely on.
lua_State* HostNewInterpreter();

// Registers the application's script functions, in their fixed order.
void RegisterApplicationFunctions(lua_State* L);

#endif
