// Script binding of the text masks: "IupTextMaskSet", "IupTextMaskSetCell",
// "IupTextMaskSetInteger", "IupTextMaskSetReal" (both with an optional line
// and column for a matrix cell) and "IupTextMaskCheck" (an optional text,
// line and column). The set functions return 1, or 0 when the pattern does
// not compile; flags are numbers (0 off) or booleans.
#include <string>

#include "iupcontrols.h"
#include "iupcontrolslua.h"
#include "iuplua_common.h"

namespace {

int FlagArg(lua_State* L, int n, const char* name) {
  if (lua_type(L, n) == LUA_TBOOLEAN) return lua_toboolean(L, n);
  return iuplua::NumberArg(L, n, name) != 0;
}
double RealArg(lua_State* L, int n, const char* name) {
  if (lua_type(L, n) != LUA_TNUMBER && !(lua_type(L, n) == LUA_TSTRING && lua_isnumber(L, n)))
    iuplua::Incorrect(name);
  return lua_tonumber(L, n);
}

int MaskSet(lua_State* L) {
  const char* name = "IupTextMaskSet";
  if (lua_gettop(L) != 4) iuplua::Incorrect(name);
  IupElement* e = iuplua::ElementArg(L, 1, name);
  const std::string pattern = iuplua::NameArg(L, 2, name);
  const int autofill = FlagArg(L, 3, name), ignore_case = FlagArg(L, 4, name);
  lua_pushinteger(L, IupTextMaskSet(e, pattern.c_str(), autofill, ignore_case));
  return 1;
}

int MaskSetCell(lua_State* L) {
  const char* name = "IupTextMaskSetCell";
  if (lua_gettop(L) != 6) iuplua::Incorrect(name);
  IupElement* e = iuplua::ElementArg(L, 1, name);
  const std::string pattern = iuplua::NameArg(L, 2, name);
  const int autofill = FlagArg(L, 3, name), ignore_case = FlagArg(L, 4, name);
  const int line = iuplua::NumberArg(L, 5, name), column = iuplua::NumberArg(L, 6, name);
  lua_pushinteger(L, IupTextMaskSetCell(e, pattern.c_str(), autofill, ignore_case, line, column));
  return 1;
}

// The range forms: 4 arguments for a TEXT, 6 for a matrix cell.
template <bool Integer>
int MaskSetRange(lua_State* L) {
  const char* name = Integer ? "IupTextMaskSetInteger" : "IupTextMaskSetReal";
  const int n = lua_gettop(L);
  if (n != 4 && n != 6) iuplua::Incorrect(name);
  IupElement* e = iuplua::ElementArg(L, 1, name);
  const int autofill = FlagArg(L, 2, name);
  const double min = RealArg(L, 3, name), max = RealArg(L, 4, name);
  int result;
  if (n == 6) {
    const int line = iuplua::NumberArg(L, 5, name), column = iuplua::NumberArg(L, 6, name);
    result = Integer ? IupTextMaskSetInteger(e, autofill, script::TruncateToInt(min),
                                             script::TruncateToInt(max), line, column)
                     : IupTextMaskSetReal(e, autofill, static_cast<float>(min),
                                          static_cast<float>(max), line, column);
  } else {
    result =
        Integer ? IupTextMaskSetInteger(e, autofill, script::TruncateToInt(min),
                                        script::TruncateToInt(max))
                : IupTextMaskSetReal(e, autofill, static_cast<float>(min), static_cast<float>(max));
  }
  lua_pushinteger(L, result);
  return 1;
}

int MaskCheck(lua_State* L) {
  const char* name = "IupTextMaskCheck";
  const int n = lua_gettop(L);
  if (n != 1 && n != 4) iuplua::Incorrect(name);
  IupElement* e = iuplua::ElementArg(L, 1, name);
  if (n == 1) {
    lua_pushinteger(L, IupTextMaskCheck(e));
    return 1;
  }
  const std::string text = iuplua::NameArg(L, 2, name);
  const int line = iuplua::NumberArg(L, 3, name), column = iuplua::NumberArg(L, 4, name);
  lua_pushinteger(L, IupTextMaskCheck(e, text.c_str(), line, column));
  return 1;
}

}  // namespace

void iupmasklua_open(lua_State* L) {
  lua_register(L, "IupTextMaskSet", script::Guarded<MaskSet>);
  lua_register(L, "IupTextMaskSetCell", script::Guarded<MaskSetCell>);
  lua_register(L, "IupTextMaskSetInteger", script::Guarded<MaskSetRange<true>>);
  lua_register(L, "IupTextMaskSetReal", script::Guarded<MaskSetRange<false>>);
  lua_register(L, "IupTextMaskCheck", script::Guarded<MaskCheck>);
}
