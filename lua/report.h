// Running script code: every call into a script goes through here, so
// errors are printed with their traceback and never escape.
#ifndef VARKO_LUA_REPORT_H
#define VARKO_LUA_REPORT_H

#include <lua.hpp>

namespace script {

// Like lua_pcall on the function and nargs arguments on top of the stack,
// with a message handler that adds the call stack. On error the message and
// traceback are printed to stderr and nothing is left on the stack; the
// status is returned.
int ReportingCall(lua_State* L, int nargs, int nresults);

// Loads and runs a script file. A missing file is quietly skipped; a syntax
// or run-time error is reported. Returns the status (LUA_OK when missing).
int RunFileIfPresent(lua_State* L, const char* file_name);

}  // namespace script

#endif
