// Script binding of the toolkit: elements as userdata under one metatable,
// the toolkit's functions as globals, the trampolines that route callbacks
// into script functions, and the object layer ("iuplua.lo").
//
// Elements: one userdata per element (a weak registry table maps serials to
// them), so == and table keys work. The userdata holds the serial only: a
// destroyed element reads as null and never dangles. The metatable is named
// "iuplua.element"; its tag number (a registry reference to it, also in its
// field "__tag") is the global "iuplua_tag".
#ifndef VARKO_LUA_IUPLUA_H
#define VARKO_LUA_IUPLUA_H

#include <lua.hpp>

#include "iup.h"

// Opens the binding: tag, functions, trampolines, the banner
// "IUP/Lua Revision:1.8.3", the key names and the object layer. Call once,
// after IupOpen.
void iuplua_open(lua_State* L);
// The key names ("iupkey.lo") and xCODE; iuplua_open runs it too.
void iupkey_open(lua_State* L);

namespace iuplua {

inline constexpr const char* kElementMetatable = "iuplua.element";

// Pushes the element's userdata (the same one each time), or nil.
void PushElement(lua_State* L, IupElement* element);
// True when the value is an element userdata (live or destroyed).
bool IsElement(lua_State* L, int index);
// The live element of an element userdata, else null.
IupElement* ToElement(lua_State* L, int index);
// For bindings that make elements in C: pushes the element, calls
// "iuplua_register" with it and returns 1 with its first result pushed.
int RegisterForeign(lua_State* L, IupElement* element);

// The interpreter the trampolines call into (set by iuplua_open).
lua_State* State();

// Calls the global script function name with the element and the
// arguments pushed by push_args (inside the protected call); returns the
// callback code by the trampoline rules: a failed call gives on_error, no
// number IUP_DEFAULT, else the first result truncated.
int CallScript(const char* function, IupElement* element, int (*push_args)(lua_State*, void*),
               void* data, int on_error);

// Registration groups (iuplua_open calls each).
void RegisterElementFunctions(lua_State* L);   // attributes, handles, tree, show, loop
void RegisterConstructors(lua_State* L);       // IupCreate...
void RegisterDialogFunctions(lua_State* L);    // IupAlarm, IupListDialog, IupScanf...
void RegisterCallbackFunctions(lua_State* L);  // trampolines, IupSetIdle, IupNewError
// The "iuptest" table; only under the headless driver.
void RegisterTestFunctions(lua_State* L);

}  // namespace iuplua

#endif
