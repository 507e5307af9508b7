// Raw reads of script tables for the application functions.
#include "rawdata.h"

#include "imlua.h"

namespace route::raw {

namespace {

void NeedStack(lua_State* L, int slots) {
  if (!lua_checkstack(L, slots)) script::RaiseMessage("stack overflow");
}

// table, name (a light userdata pointing at the text) -> rawget(table, name);
// protected because making the key's string can run out of memory.
int DoRawField(lua_State* L) {
  lua_pushstring(L, static_cast<const char*>(lua_touserdata(L, 2)));
  lua_rawget(L, 1);
  return 1;
}

}  // namespace

Value Global(lua_State* L, const char* name) {
  NeedStack(L, 1);
  lua_rawgeti(L, LUA_REGISTRYINDEX, LUA_RIDX_GLOBALS);
  const Value globals = lua_gettop(L);
  const Value value = Field(L, globals, name);
  lua_remove(L, globals);
  return value - 1;
}

Value Field(lua_State* L, Value table, const char* name) {
  NeedStack(L, 3);
  if (!lua_istable(L, table)) {
    lua_pushnil(L);
    return lua_gettop(L);
  }
  lua_pushcfunction(L, DoRawField);
  lua_pushvalue(L, table);
  lua_pushlightuserdata(L, const_cast<char*>(name));
  if (lua_pcall(L, 2, 1, 0) != LUA_OK) {
    const char* message = lua_tostring(L, -1);
    script::RaiseMessage(message != nullptr ? message : "not enough memory");
  }
  return lua_gettop(L);
}

Value Element(lua_State* L, Value table, long long index) {
  NeedStack(L, 1);
  if (lua_istable(L, table))
    lua_rawgeti(L, table, static_cast<lua_Integer>(index));
  else
    lua_pushnil(L);
  return lua_gettop(L);
}

Value NeedTable(lua_State* L, const char* fn, Value table, const char* name,
                const std::string& what) {
  const Value value = Field(L, table, name);
  if (!lua_istable(L, value)) script::Raise(fn, (what + " is missing").c_str());
  return value;
}

Value NeedGlobalTable(lua_State* L, const char* fn, const char* name) {
  const Value value = Global(L, name);
  if (!lua_istable(L, value)) script::Raise(fn, (std::string(name) + " is missing").c_str());
  return value;
}

double Number(lua_State* L, Value table, const char* name) {
  const double number = script::ValueToNumber(L, Field(L, table, name));
  lua_pop(L, 1);
  return number;
}

double NumberAt(lua_State* L, Value table, long long index) {
  const double number = script::ValueToNumber(L, Element(L, table, index));
  lua_pop(L, 1);
  return number;
}

std::optional<std::string> String(lua_State* L, Value table, const char* name) {
  auto text = script::ValueToString(L, Field(L, table, name));
  lua_pop(L, 1);
  return text;
}

std::optional<std::string> StringAt(lua_State* L, Value table, long long index) {
  auto text = script::ValueToString(L, Element(L, table, index));
  lua_pop(L, 1);
  return text;
}

std::optional<script::ImageRef> ImageRef(lua_State* L, Value table) {
  const Value map = Field(L, table, "imagemap");
  const Value palette = Field(L, table, "palette");
  ImluaMapView map_view{};
  ImluaPaletteView palette_view{};
  const bool ok =
      imlua_tomapview(L, map, &map_view) && imlua_topaletteview(L, palette, &palette_view);
  lua_pop(L, 2);
  if (!ok) return std::nullopt;
  script::ImageRef ref;
  ref.width = map_view.width;
  ref.height = map_view.height;
  ref.data = map_view.data;
  ref.pal_count = palette_view.size;
  ref.palette = palette_view.colors;
  return ref;
}

}  // namespace route::raw
