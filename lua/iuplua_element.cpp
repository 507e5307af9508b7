// Element userdata of the toolkit binding: one per element, holding its
// serial; fields go to the object layer's fbget and fbset.
#include "iuplua.h"

namespace iuplua {
namespace {

constexpr const char* kElementTable = "iuplua.elements";

struct ElementBox {
  int serial;
};

// Field access forwards to the script layer (plain C frames only: errors
// raised by fbget/fbset travel through them freely).
int ElementIndex(lua_State* L) {
  if (lua_getglobal(L, "fbget") != LUA_TFUNCTION) return 0;
  lua_pushvalue(L, 1);
  lua_pushvalue(L, 2);
  lua_call(L, 2, 1);
  return 1;
}

int ElementNewIndex(lua_State* L) {
  if (lua_getglobal(L, "fbset") != LUA_TFUNCTION) return 0;
  lua_pushvalue(L, 1);
  lua_pushvalue(L, 2);
  lua_pushvalue(L, 3);
  lua_call(L, 3, 0);
  return 0;
}

int ElementToString(lua_State* L) {
  IupElement* element = ToElement(L, 1);
  const char* kind = element ? IupGetAttribute(element, "TYPENAME") : nullptr;
  lua_pushfstring(L, "iuplua element %s (%d)", kind ? kind : "destroyed",
                  static_cast<ElementBox*>(lua_touserdata(L, 1))->serial);
  return 1;
}

}  // namespace

// Creates the metatable and the element table; returns the tag number.
int OpenElementTag(lua_State* L) {
  if (luaL_newmetatable(L, kElementMetatable)) {
    lua_pushcfunction(L, ElementIndex);
    lua_setfield(L, -2, "__index");
    lua_pushcfunction(L, ElementNewIndex);
    lua_setfield(L, -2, "__newindex");
    lua_pushcfunction(L, ElementToString);
    lua_setfield(L, -2, "__tostring");
    lua_pushvalue(L, -1);
    int tag = luaL_ref(L, LUA_REGISTRYINDEX);
    lua_pushinteger(L, tag);
    lua_setfield(L, -2, "__tag");
  }
  lua_getfield(L, -1, "__tag");
  int tag = static_cast<int>(lua_tointeger(L, -1));
  lua_pop(L, 2);

  lua_newtable(L);
  lua_newtable(L);
  lua_pushstring(L, "v");
  lua_setfield(L, -2, "__mode");
  lua_setmetatable(L, -2);
  lua_setfield(L, LUA_REGISTRYINDEX, kElementTable);
  return tag;
}

void PushElement(lua_State* L, IupElement* element) {
  int serial = IupGetSerial(element);
  if (element == nullptr || serial == 0) {
    lua_pushnil(L);
    return;
  }
  lua_getfield(L, LUA_REGISTRYINDEX, kElementTable);
  if (lua_rawgeti(L, -1, serial) == LUA_TUSERDATA) {
    lua_remove(L, -2);
    return;
  }
  lua_pop(L, 1);
  auto* box = static_cast<ElementBox*>(lua_newuserdatauv(L, sizeof(ElementBox), 0));
  box->serial = serial;
  luaL_setmetatable(L, kElementMetatable);
  lua_pushvalue(L, -1);
  lua_rawseti(L, -3, serial);
  lua_remove(L, -2);
}

bool IsElement(lua_State* L, int index) {
  return luaL_testudata(L, index, kElementMetatable) != nullptr;
}

IupElement* ToElement(lua_State* L, int index) {
  auto* box = static_cast<ElementBox*>(luaL_testudata(L, index, kElementMetatable));
  return box ? IupFromSerial(box->serial) : nullptr;
}

}  // namespace iuplua
