// The token check of project files: a project file is Lua table text that is
// never run as a program, and before the bounded loader sees it its tokens
// must be those of plain data. The text is split into tokens exactly as Lua's
// own lexer splits it (line ends CR, LF, CRLF and LFCR everywhere; long
// brackets of any level; every escape; decimal and hexadecimal numerals), in
// one pass, so a file at the size limit is checked in a fraction of a second.
#ifndef VARKO_APP_DATATOKENS_H
#define VARKO_APP_DATATOKENS_H

#include <string>
#include <string_view>

#include <lua.hpp>

namespace datatokens {

struct Verdict {
  bool ok = true;
  long long line = 1;   // where the problem is
  std::string problem;  // empty when ok
};

// Accepts one leading `return`, then a single table constructor of tables,
// strings, numbers, true and false, with names only as field keys; comments
// and white space anywhere. L converts numerals as Lua's lexer does (it gets
// one number pushed and popped at a time).
Verdict Check(lua_State* L, std::string_view text);

}  // namespace datatokens

// CheckProjectTokens(text): true, or nil and "line N: problem". Raises
// "CheckProjectTokens: invalid text parameter!" when text is not a string.
int CheckProjectTokens(lua_State* L);

#endif
