// Opening the image binding: the object kinds and their tag numbers (taken
// from the canvas binding when it was opened first), the globals and
// constants, and the script functions.
#include <cstdio>

#include "im.h"
#include "imlua.h"

namespace {

struct KindGlobals {
  imlua::Kind kind;
  const char* ours;    // the global this binding sets
  const char* canvas;  // the canvas binding's global for the same kind
};

const KindGlobals kKinds[] = {
    {imlua::Kind::Color, "IMLUA_COLOR_TAG", "CDLUA_COLOR_TAG"},
    {imlua::Kind::ImageRGB, "IMLUA_IMAGERGB_TAG", "CDLUA_IMAGERGB_TAG"},
    {imlua::Kind::ImageRGBA, "IMLUA_IMAGERGBA_TAG", "CDLUA_IMAGERGBA_TAG"},
    {imlua::Kind::Palette, "IMLUA_PALETTE_TAG", "CDLUA_PALETTE_TAG"},
    {imlua::Kind::ImageMap, "IMLUA_IMAGEMAP_TAG", "CDLUA_IMAGEMAP_TAG"},
    {imlua::Kind::Channel, "IMLUA_CHANNEL_TAG", "CDLUA_CHANNEL_TAG"},
};

struct Constant {
  const char* name;
  int value;
};

const Constant kConstants[] = {
#define IM_FORMAT(name) {"IM_" #name, IM_##name},
#include "imformatlist.h"
#undef IM_FORMAT
    {"IM_NONE", IM_NONE},
    {"IM_DEFAULT", IM_DEFAULT},
    {"IM_COMPRESSED", IM_COMPRESSED},
    {"IM_RGB", IM_RGB},
    {"IM_MAP", IM_MAP},
    {"IM_ERR_NONE", IM_ERR_NONE},
    {"IM_ERR_OPEN", IM_ERR_OPEN},
    {"IM_ERR_READ", IM_ERR_READ},
    {"IM_ERR_WRITE", IM_ERR_WRITE},
    {"IM_ERR_FORMAT", IM_ERR_FORMAT},
    {"IM_ERR_TYPE", IM_ERR_TYPE},
    {"IM_ERR_COMP", IM_ERR_COMP},
};

void SetGlobalInt(lua_State* L, const char* name, lua_Integer value) {
  lua_pushinteger(L, value);
  lua_setglobal(L, name);
}

// Plain Lua API calls only, run protected: a memory error at start-up is
// reported instead of ending the program.
int OpenBody(lua_State* L) {
  lua_getglobal(L, "CDLUA_INSTALLED");
  bool canvas_first = !lua_isnil(L, -1);
  lua_pop(L, 1);
  for (const KindGlobals& entry : kKinds) {
    if (canvas_first) {
      lua_getglobal(L, entry.canvas);
      int is_number = 0;
      lua_Integer tag = lua_tointegerx(L, -1, &is_number);
      lua_pop(L, 1);
      // Not a metatable of the canvas binding: this binding makes its own.
      if (is_number) imlua::AdoptKind(L, entry.kind, static_cast<int>(tag));
    }
    // The adopted metatable's tag, or a new one.
    int tag = imlua::EnsureKind(L, entry.kind);
    SetGlobalInt(L, entry.ours, tag);
  }
  SetGlobalInt(L, "IMLUA_INSTALLED", 1);
  for (const Constant& constant : kConstants) SetGlobalInt(L, constant.name, constant.value);
  imlua::RegisterImageFunctions(L);
  imlua::RegisterFileFunctions(L);
  return 0;
}

}  // namespace

void imlua_open(lua_State* L) {
  lua_pushcfunction(L, OpenBody);
  if (lua_pcall(L, 0, 0, 0) != LUA_OK) {
    std::fprintf(stderr, "imlua_open: %s\n", lua_tostring(L, -1));
    lua_pop(L, 1);
  }
}
