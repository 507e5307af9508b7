// Script value access: protected reads and writes of script tables, the
// argument conventions and the one place where our errors become Lua errors.
#include "script.h"

#include <cmath>
#include <cstdio>
#include <cstring>
#include <exception>
#include <limits>
#include <new>

namespace script {
namespace {

// Message of a failed protected call, popped; thrown on as ScriptError.
[[noreturn]] void RethrowLuaError(lua_State* L) {
  size_t length = 0;
  const char* text = lua_tolstring(L, -1, &length);
  std::string message =
      text ? std::string(text, length) : std::string("error object is not a string");
  lua_pop(L, 1);
  throw ScriptError{std::move(message)};
}

void NeedStack(lua_State* L, int slots) {
  if (!lua_checkstack(L, slots)) throw ScriptError{"stack overflow"};
}

// Runs fn on the given number of values on top of the stack; it leaves
// nresults values there or throws.
void Protected(lua_State* L, lua_CFunction fn, int nargs, int nresults) {
  lua_pushcfunction(L, fn);
  lua_insert(L, -nargs - 1);
  if (lua_pcall(L, nargs, nresults, 0) != LUA_OK) RethrowLuaError(L);
}

int DoGetTable(lua_State* L) {  // t, key -> t[key]
  lua_gettable(L, 1);
  return 1;
}
int DoSetTable(lua_State* L) {  // t, key, value
  lua_settable(L, 1);
  return 0;
}
int DoGetGlobal(lua_State* L) {  // name -> _G[name]
  lua_getglobal(L, lua_tostring(L, 1));
  return 1;
}
int DoNewTable(lua_State* L) {
  lua_newtable(L);
  return 1;
}

void PushNumber(lua_State* L, double number) {
  // Integral values go in as integers so that scripts print 3, not 3.0.
  if (std::trunc(number) == number && std::fabs(number) < 9007199254740992.0 &&
      !(number == 0 && std::signbit(number))) {
    lua_pushinteger(L, static_cast<lua_Integer>(number));
  } else {
    lua_pushnumber(L, number);
  }
}

Value Get(lua_State* L, Value table, void (*push_key)(lua_State*, const void*), const void* key) {
  NeedStack(L, 4);
  lua_pushvalue(L, table);
  push_key(L, key);
  Protected(L, DoGetTable, 2, 1);
  return lua_gettop(L);
}

void PushNameKey(lua_State* L, const void* key) {
  lua_pushstring(L, static_cast<const char*>(key));
}
void PushIndexKey(lua_State* L, const void* key) {
  lua_pushinteger(L, *static_cast<const long long*>(key));
}

// Stores the value on top of the stack (popped) at table[key].
void Set(lua_State* L, Value table, void (*push_key)(lua_State*, const void*), const void* key) {
  NeedStack(L, 4);
  lua_pushvalue(L, table);
  lua_insert(L, -2);
  push_key(L, key);
  lua_insert(L, -2);
  Protected(L, DoSetTable, 3, 0);
}

void PushNewTable(lua_State* L) {
  NeedStack(L, 2);
  Protected(L, DoNewTable, 0, 1);
}

}  // namespace

void Raise(const char* name, const char* problem) {
  std::string message = name;
  message += ": ";
  message += problem;
  message += "!";
  throw ScriptError{std::move(message)};
}

void RaiseMessage(std::string message) {
  throw ScriptError{std::move(message)};
}

int RunGuarded(lua_State* L, int (*body)(lua_State*)) {
  // Kept outside this frame so nothing with a destructor is alive when
  // lua_error jumps out.
  static std::string pending;
  try {
    return body(L);
  } catch (ScriptError& error) {
    pending = std::move(error.message);
  } catch (const std::bad_alloc&) {
    pending = "not enough memory";
  } catch (const std::exception& error) {
    pending = error.what();
  }
  lua_pushlstring(L, pending.data(), pending.size());
  pending.clear();
  return lua_error(L);
}

namespace {
// upvalues: the function, its name, the alias
int AliasCall(lua_State* L) {
  lua_pushvalue(L, lua_upvalueindex(1));
  lua_insert(L, 1);
  if (lua_pcall(L, lua_gettop(L) - 1, LUA_MULTRET, 0) == LUA_OK) return lua_gettop(L);
  size_t name_length = 0;
  const char* name = lua_tolstring(L, lua_upvalueindex(2), &name_length);
  const char* message = lua_type(L, -1) == LUA_TSTRING ? lua_tostring(L, -1) : nullptr;
  if (message != nullptr && std::strncmp(message, name, name_length) == 0 &&
      message[name_length] == ':') {
    lua_pushvalue(L, lua_upvalueindex(3));
    lua_pushstring(L, message + name_length);
    lua_concat(L, 2);
  }
  return lua_error(L);
}
}  // namespace

void RegisterAlias(lua_State* L, const char* alias, const char* canonical) {
  lua_getglobal(L, canonical);
  lua_pushstring(L, canonical);
  lua_pushstring(L, alias);
  lua_pushcclosure(L, AliasCall, 3);
  lua_setglobal(L, alias);
}

bool HasArg(lua_State* L, int n) {
  return n >= 1 && n <= lua_gettop(L);
}

double ArgNumber(lua_State* L, int n) {
  return HasArg(L, n) ? ValueToNumber(L, n) : 0.0;
}

int ArgInt(lua_State* L, int n) {
  return TruncateToInt(ArgNumber(L, n));
}

const char* ArgString(lua_State* L, int n) {
  if (!HasArg(L, n)) return nullptr;
  int type = lua_type(L, n);
  if (type != LUA_TSTRING && type != LUA_TNUMBER) return nullptr;
  return lua_tostring(L, n);
}

void NoArgAt(lua_State* L, int n, const char* name) {
  if (HasArg(L, n)) Raise(name, "too many parameters");
}

bool IsNumberArg(lua_State* L, int n) {
  return HasArg(L, n) && lua_isnumber(L, n);
}

bool IsNilArg(lua_State* L, int n) {
  return !HasArg(L, n) || lua_isnil(L, n);
}

void RaiseInvalid(const char* name, const char* noun) {
  Raise(name, ("invalid " + std::string(noun) + " parameter").c_str());
}

void RaiseNil(const char* name, const char* verb, const char* noun) {
  Raise(name, ("attempt to " + std::string(verb) + " a NIL " + noun).c_str());
}

void RaiseKilled(const char* name, const char* verb, const char* noun) {
  Raise(name, ("attempt to " + std::string(verb) + " a killed " + noun).c_str());
}

double NumberArgOr(lua_State* L, int n, const char* name, const char* noun) {
  if (!IsNumberArg(L, n)) RaiseInvalid(name, noun);
  return lua_tonumber(L, n);
}

unsigned char ColorComponentArg(lua_State* L, int n, const char* name) {
  if (!IsNumberArg(L, n)) Raise(name, "invalid color component parameter");
  double value = lua_tonumber(L, n);
  if (!(value >= 0 && value <= 255))
    Raise(name, "color components values should be in range [0, 255]");
  return static_cast<unsigned char>(value);
}

void RaiseTag(const char* tag, const char* method, const char* problem) {
  RaiseMessage(std::string(tag) + " \"" + method + "\": " + problem + "!");
}

long long TagIndex(lua_State* L, int idx, long long size, const char* tag, const char* method) {
  if (!lua_isnumber(L, idx)) RaiseTag(tag, method, "index should be a number");
  double number = lua_tonumber(L, idx);
  if (!(number >= 0 && number < static_cast<double>(size)))
    RaiseTag(tag, method, "index is out of bounds");
  return static_cast<long long>(number);
}

unsigned char TagByte(lua_State* L, int idx, const char* tag, const char* method) {
  if (!lua_isnumber(L, idx)) RaiseTag(tag, method, "value should be a number");
  double number = lua_tonumber(L, idx);
  if (!(number >= 0 && number <= 255)) RaiseTag(tag, method, "value should be in range [0, 255]");
  return static_cast<unsigned char>(number);
}

int TruncateToInt(double value) {
  if (std::isnan(value)) return 0;
  if (value >= static_cast<double>(std::numeric_limits<int>::max()))
    return std::numeric_limits<int>::max();
  if (value <= static_cast<double>(std::numeric_limits<int>::min()))
    return std::numeric_limits<int>::min();
  return static_cast<int>(value);  // truncates toward zero
}

unsigned char ToByte(double value) {
  return static_cast<unsigned char>(static_cast<unsigned>(TruncateToInt(value)) & 0xFFu);
}

double ValueToNumber(lua_State* L, Value v) {
  int is_number = 0;
  double number = lua_tonumberx(L, v, &is_number);
  return is_number ? number : 0.0;
}

std::optional<std::string> ValueToString(lua_State* L, Value v) {
  switch (lua_type(L, v)) {
    case LUA_TSTRING: {
      size_t length = 0;
      const char* text = lua_tolstring(L, v, &length);
      return std::string(text, length);
    }
    case LUA_TNUMBER: {
      char buffer[64];
      if (lua_isinteger(L, v)) {
        std::snprintf(buffer, sizeof buffer, "%lld", static_cast<long long>(lua_tointeger(L, v)));
      } else {
        std::snprintf(buffer, sizeof buffer, "%.14g", lua_tonumber(L, v));
      }
      return std::string(buffer);
    }
    default:
      return std::nullopt;
  }
}

Value GetGlobal(lua_State* L, const char* name) {
  NeedStack(L, 3);
  lua_pushstring(L, name);
  Protected(L, DoGetGlobal, 1, 1);
  return lua_gettop(L);
}

Value GetField(lua_State* L, Value table, const char* name) {
  return Get(L, table, PushNameKey, name);
}

Value GetElement(lua_State* L, Value table, long long index) {
  return Get(L, table, PushIndexKey, &index);
}

double GetNumberField(lua_State* L, Value table, const char* name) {
  Value v = GetField(L, table, name);
  double number = ValueToNumber(L, v);
  lua_pop(L, 1);
  return number;
}

double GetNumberElement(lua_State* L, Value table, long long index) {
  Value v = GetElement(L, table, index);
  double number = ValueToNumber(L, v);
  lua_pop(L, 1);
  return number;
}

std::optional<std::string> GetStringField(lua_State* L, Value table, const char* name) {
  Value v = GetField(L, table, name);
  auto text = ValueToString(L, v);
  lua_pop(L, 1);
  return text;
}

std::optional<std::string> GetStringElement(lua_State* L, Value table, long long index) {
  Value v = GetElement(L, table, index);
  auto text = ValueToString(L, v);
  lua_pop(L, 1);
  return text;
}

bool IsNil(lua_State* L, Value v) {
  return lua_isnoneornil(L, v);
}

void SetNumberField(lua_State* L, Value table, const char* name, double number) {
  NeedStack(L, 1);
  PushNumber(L, number);
  Set(L, table, PushNameKey, name);
}

void SetNumberElement(lua_State* L, Value table, long long index, double number) {
  NeedStack(L, 1);
  PushNumber(L, number);
  Set(L, table, PushIndexKey, &index);
}

void SetStringField(lua_State* L, Value table, const char* name, const char* text) {
  NeedStack(L, 1);
  lua_pushstring(L, text);
  Set(L, table, PushNameKey, name);
}

Value NewTableField(lua_State* L, Value table, const char* name) {
  PushNewTable(L);
  Set(L, table, PushNameKey, name);
  return GetField(L, table, name);
}

Value NewTableElement(lua_State* L, Value table, long long index) {
  PushNewTable(L);
  Set(L, table, PushIndexKey, &index);
  return GetElement(L, table, index);
}

}  // namespace script
