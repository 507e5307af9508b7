// Error reporting for script calls: the message and the call stack go to
// the console, and the caller goes on.
#include "report.h"

#include <cstdio>

namespace script {
namespace {

int AddTraceback(lua_State* L) {
  const char* message = lua_tostring(L, 1);
  if (message == nullptr) {
    if (luaL_callmeta(L, 1, "__tostring") && lua_type(L, -1) == LUA_TSTRING) return 1;
    message = lua_pushfstring(L, "(error object is a %s value)", luaL_typename(L, 1));
  }
  luaL_traceback(L, L, message, 1);
  return 1;
}

void PrintError(lua_State* L) {
  const char* text = lua_tostring(L, -1);
  std::fprintf(stderr, "%s\n", text ? text : "(error without message)");
  std::fflush(stderr);
  lua_pop(L, 1);
}

}  // namespace

int ReportingCall(lua_State* L, int nargs, int nresults) {
  int base = lua_gettop(L) - nargs;
  lua_pushcfunction(L, AddTraceback);
  lua_insert(L, base);
  int status = lua_pcall(L, nargs, nresults, base);
  lua_remove(L, base);
  if (status != LUA_OK) PrintError(L);
  return status;
}

int RunFileIfPresent(lua_State* L, const char* file_name) {
  if (FILE* probe = std::fopen(file_name, "r")) {
    std::fclose(probe);
  } else {
    return LUA_OK;
  }
  int status = luaL_loadfile(L, file_name);
  if (status != LUA_OK) {
    PrintError(L);
    return status;
  }
  return ReportingCall(L, 0, 0);
}

}  // namespace script
