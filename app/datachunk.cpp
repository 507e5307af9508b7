// LoadDataChunk: a data file's text run where it can do no harm. The text
// gets an interpreter of its own whose allocator refuses memory past a cap
// and whose count hook stops it past an instruction budget; its environment
// is an empty table and no library is opened. What it returns is copied into
// the caller's interpreter as plain data, so nothing of the separate one
// (functions, metatables, shared tables) comes across.
#include "datachunk.h"

#include <climits>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>

#include "script.h"

namespace datachunk {

Limits LimitsFor(std::size_t text_bytes) {
  const std::size_t base = std::size_t(32) << 20;
  std::size_t memory = text_bytes <= (SIZE_MAX - base) / 16 ? base + 16 * text_bytes : SIZE_MAX;
  const std::size_t counted =
      text_bytes < (std::size_t(1) << 40) ? text_bytes : std::size_t(1) << 40;
  return {memory, 10'000'000LL + 8LL * static_cast<long long>(counted)};
}

}  // namespace datachunk

namespace {

constexpr int kMaxDepth = 200;

struct Sandbox {
  std::size_t used = 0;
  std::size_t cap = 0;
  bool refused = false;  // an allocation went past the cap
};

void* CappedAlloc(void* ud, void* ptr, std::size_t osize, std::size_t nsize) {
  auto* box = static_cast<Sandbox*>(ud);
  const std::size_t old = ptr != nullptr ? osize : 0;  // without a block, osize is a type tag
  if (nsize == 0) {
    std::free(ptr);
    box->used -= old;
    return nullptr;
  }
  if (nsize > old && nsize - old > box->cap - box->used) {
    box->refused = true;
    return nullptr;
  }
  void* block = std::realloc(ptr, nsize);
  if (block == nullptr) return nullptr;
  box->used = box->used - old + nsize;
  return block;
}

// In a hook, level 0 is the chunk's function that was running: the message
// names its line.
void RunsTooLong(lua_State* S, lua_Debug*) {
  luaL_where(S, 0);
  lua_pushliteral(S, "the text runs too long to be data");
  lua_concat(S, 2);
  lua_error(S);
}

struct Chunk {
  const char* text;
  std::size_t size;
  const char* name;
  int instructions;
};

// In the separate interpreter: loads the text as text (never bytecode), with
// an empty environment, and runs it under the instruction budget.
int RunChunk(lua_State* S) {
  const auto* chunk = static_cast<const Chunk*>(lua_touserdata(S, 1));
  if (luaL_loadbufferx(S, chunk->text, chunk->size, chunk->name, "t") != LUA_OK)
    return lua_error(S);
  lua_newtable(S);
  if (lua_setupvalue(S, -2, 1) == nullptr) lua_pop(S, 1);  // a main chunk's one upvalue is _ENV
  lua_sethook(S, RunsTooLong, LUA_MASKCOUNT, chunk->instructions);
  lua_call(S, 0, 1);
  lua_sethook(S, nullptr, 0, 0);
  return 1;
}

// Copies the value on top of from's stack onto to's stack. Runs inside a
// protected call of to, whose index 2 holds the tables already copied.
void CopyValue(lua_State* from, lua_State* to, int depth) {
  luaL_checkstack(to, 4, "the data is nested too deep");
  switch (lua_type(from, -1)) {
    case LUA_TNIL:
      lua_pushnil(to);
      return;
    case LUA_TBOOLEAN:
      lua_pushboolean(to, lua_toboolean(from, -1));
      return;
    case LUA_TNUMBER:
      if (lua_isinteger(from, -1))
        lua_pushinteger(to, lua_tointeger(from, -1));
      else
        lua_pushnumber(to, lua_tonumber(from, -1));
      return;
    case LUA_TSTRING: {
      std::size_t length = 0;
      const char* text = lua_tolstring(from, -1, &length);
      lua_pushlstring(to, text, length);
      return;
    }
    case LUA_TTABLE:
      break;
    default:
      luaL_error(to, "the data holds a %s", lua_typename(from, lua_type(from, -1)));
  }
  if (depth >= kMaxDepth) luaL_error(to, "the data is nested more than %d tables deep", kMaxDepth);
  void* address = const_cast<void*>(lua_topointer(from, -1));
  lua_pushlightuserdata(to, address);
  if (lua_rawget(to, 2) != LUA_TNIL) luaL_error(to, "a table is stored twice in the data");
  lua_pop(to, 1);
  lua_pushlightuserdata(to, address);
  lua_pushboolean(to, 1);
  lua_rawset(to, 2);
  if (!lua_checkstack(from, 4)) luaL_error(to, "the data is nested too deep");
  // The copy is made at its final size (growing it by doubling held the old
  // and the new parts at once): as many array slots as the table's length,
  // but never more than it has entries, so a sparse length costs nothing.
  lua_Unsigned entries = 0;
  lua_pushnil(from);
  while (lua_next(from, -2) != 0) {
    ++entries;
    lua_pop(from, 1);
  }
  const lua_Unsigned length = lua_rawlen(from, -1);
  const lua_Unsigned slots = length < entries ? length : entries;
  lua_createtable(to, slots < INT_MAX ? static_cast<int>(slots) : INT_MAX, 0);
  lua_pushnil(from);
  while (lua_next(from, -2) != 0) {  // from: table, key, value
    const int key_type = lua_type(from, -2);
    if (key_type != LUA_TSTRING && key_type != LUA_TNUMBER && key_type != LUA_TBOOLEAN)
      luaL_error(to, "the data has a key of type %s", lua_typename(from, key_type));
    lua_pushvalue(from, -2);
    CopyValue(from, to, depth + 1);  // the key
    lua_pop(from, 1);
    CopyValue(from, to, depth + 1);  // the value
    lua_pop(from, 1);
    lua_rawset(to, -3);
  }
}

struct Outcome {
  lua_State* sandbox;  // holds the value to copy, when message is null
  const std::string* message;
};

// In the caller's interpreter: the copied value, or nil and the message.
int PushOutcome(lua_State* L) {
  const auto* outcome = static_cast<const Outcome*>(lua_touserdata(L, 1));
  if (outcome->message != nullptr) {
    lua_pushnil(L);
    lua_pushlstring(L, outcome->message->data(), outcome->message->size());
    return 2;
  }
  lua_newtable(L);  // 2: the tables copied so far
  CopyValue(outcome->sandbox, L, 0);
  return 1;
}

int LoadDataChunkBody(lua_State* L) {
  if (!script::HasArg(L, 1) || lua_type(L, 1) != LUA_TSTRING)
    script::Raise("LoadDataChunk", "invalid text parameter");
  if (script::HasArg(L, 2) && lua_type(L, 2) != LUA_TSTRING)
    script::Raise("LoadDataChunk", "invalid chunk name parameter");
  script::NoArgAt(L, 3, "LoadDataChunk");
  std::size_t size = 0;
  const char* text = lua_tolstring(L, 1, &size);  // stays on the stack: valid throughout
  const char* name = script::HasArg(L, 2) ? lua_tostring(L, 2) : "=data";
  const datachunk::Limits limits = datachunk::LimitsFor(size);

  Sandbox box;
  box.cap = limits.memory_bytes;
  std::unique_ptr<lua_State, void (*)(lua_State*)> sandbox(lua_newstate(CappedAlloc, &box),
                                                           lua_close);
  std::string message;
  if (!sandbox) {
    message = "not enough memory to read the data";
  } else {
    Chunk chunk{text, size, name,
                static_cast<int>(limits.instructions < INT_MAX ? limits.instructions : INT_MAX)};
    lua_State* S = sandbox.get();
    lua_pushcfunction(S, RunChunk);
    lua_pushlightuserdata(S, &chunk);
    if (lua_pcall(S, 1, 1, 0) != LUA_OK) {
      if (box.refused) {
        message = "the data needs more than " + std::to_string(box.cap >> 20) + " MB of memory";
      } else {
        const char* problem = lua_tostring(S, -1);
        message = problem != nullptr ? problem : "the text cannot be read as data";
      }
    } else {
      lua_gc(S, LUA_GCCOLLECT);  // the compiled text is garbage now: freed before the copy
    }
  }
  Outcome outcome{sandbox.get(), message.empty() ? nullptr : &message};
  const int base = lua_gettop(L);
  lua_pushcfunction(L, PushOutcome);
  lua_pushlightuserdata(L, &outcome);
  if (lua_pcall(L, 1, LUA_MULTRET, 0) != LUA_OK) {  // data it cannot copy, or no memory here
    lua_pushnil(L);
    lua_insert(L, -2);
  }
  return lua_gettop(L) - base;
}

}  // namespace

int LoadDataChunk(lua_State* L) {
  return script::RunGuarded(L, LoadDataChunkBody);
}
