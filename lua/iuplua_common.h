// Argument helpers shared by the toolkit binding's modules.
#ifndef VARKO_LUA_IUPLUA_COMMON_H
#define VARKO_LUA_IUPLUA_COMMON_H

#include <string>

#include "iuplua.h"
#include "script.h"

namespace iuplua {

// "Name: incorrect arguments to function" (the binding's wording, no '!').
[[noreturn]] inline void Incorrect(const char* name,
                                   const char* text = ": incorrect arguments to function") {
  script::RaiseMessage(std::string(name) + text);
}

// An element argument: an element userdata (a destroyed one reads as null).
inline IupElement* ElementArg(lua_State* L, int n, const char* name) {
  if (!IsElement(L, n)) Incorrect(name);
  return ToElement(L, n);
}

// An element or nil.
inline IupElement* OptionalElementArg(lua_State* L, int n, const char* name) {
  if (lua_isnoneornil(L, n)) return nullptr;
  return ElementArg(L, n, name);
}

// A name: a string, or a number taken as its text.
inline std::string NameArg(lua_State* L, int n, const char* name) {
  int type = lua_type(L, n);
  if (type != LUA_TSTRING && type != LUA_TNUMBER) Incorrect(name);
  return *script::ValueToString(L, n);
}

// A text that may be nil (no text).
inline bool OptionalTextArg(lua_State* L, int n, const char* name, std::string* text) {
  if (lua_isnoneornil(L, n)) return false;
  *text = NameArg(L, n, name);
  return true;
}

inline int NumberArg(lua_State* L, int n, const char* name) {
  if (lua_type(L, n) != LUA_TNUMBER && !(lua_type(L, n) == LUA_TSTRING && lua_isnumber(L, n)))
    Incorrect(name);
  return script::TruncateToInt(lua_tonumber(L, n));
}

}  // namespace iuplua

#endif
