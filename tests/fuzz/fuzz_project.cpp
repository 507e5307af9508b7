// libFuzzer target for project files: the bytes are the text of a file read
// by the start-up script's reader (VarkoFile.readText: the token check of
// CheckProjectTokens, then LoadDataChunk's bounded interpreter), from
// memory. The reader must come back with a table, or with nil and a message naming the file; a
// script error, a crash, a hang, a memory blow-up, or code run behind a text the token check passed
// is a finding.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string_view>

#include <lua.hpp>

#include "datachunk.h"
#include "datatokens.h"

namespace {

// The reader is script code, which the compiler's coverage does not see:
// a line hook counts each pair of consecutive lines run into libFuzzer's
// extra counters, so inputs that take new paths through the token check
// are kept.
__attribute__((section("__libfuzzer_extra_counters"))) uint8_t g_line_pairs[1 << 14];
int g_previous_line = 0;

void CountLine(lua_State*, lua_Debug* ar) {
  const unsigned pair =
      static_cast<unsigned>(g_previous_line) * 7919u + static_cast<unsigned>(ar->currentline);
  ++g_line_pairs[pair % sizeof g_line_pairs];
  g_previous_line = ar->currentline;
}

lua_State* Reader() {
  static lua_State* L = [] {
    lua_State* s = luaL_newstate();
    luaL_openlibs(s);
    lua_register(s, "LoadDataChunk", LoadDataChunk);
    lua_register(s, "CheckProjectTokens", CheckProjectTokens);
    // the module returns its table
    if (luaL_dofile(s, VARKO_PROJECT_READER) != LUA_OK || !lua_istable(s, -1)) {
      std::fprintf(stderr, "cannot load the reader: %s\n", luaL_tolstring(s, -1, nullptr));
      std::abort();
    }
    lua_setglobal(s, "VarkoFile");
    lua_settop(s, 0);
    lua_sethook(s, CountLine, LUA_MASKLINE, 0);
    return s;
  }();
  return L;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  lua_State* L = Reader();
  lua_getglobal(L, "VarkoFile");
  lua_getfield(L, -1, "readText");
  lua_pushlstring(L, reinterpret_cast<const char*>(data), size);
  lua_pushliteral(L, "fuzz.vrk");
  if (lua_pcall(L, 2, 2, 0) != LUA_OK) {
    std::fprintf(stderr, "the reader raised: %s\n", lua_tostring(L, -1));
    std::abort();
  }
  const bool table = lua_istable(L, -2);
  const bool message = lua_isnil(L, -2) && lua_type(L, -1) == LUA_TSTRING &&
                       std::strncmp(lua_tostring(L, -1), "fuzz.vrk: ", 10) == 0;
  if (!table && !message) {
    std::fprintf(stderr, "neither a table nor a message naming the file\n");
    std::abort();
  }
  // A text the token check passes holds nothing but data: running it may
  // fail to parse or need too much memory, but it never runs code (a loop,
  // a global, a function or a shared table would mean the check let code by).
  if (message &&
      datatokens::Check(L, std::string_view(reinterpret_cast<const char*>(data), size)).ok) {
    // syntax errors quote the text "near" where they stop: any words may follow
    const char* text = lua_tostring(L, -1);
    const bool syntax_error = std::strstr(text, " near ") != nullptr;
    for (const char* sign : {"runs too long", "attempt to", "holds a", "stored twice"}) {
      if (!syntax_error && std::strstr(text, sign) != nullptr) {
        std::fprintf(stderr, "code passed the token check: %s\n", text);
        std::abort();
      }
    }
  }
  lua_settop(L, 0);
  lua_gc(L, LUA_GCSTEP, 64);
  return 0;
}
