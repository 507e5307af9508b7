// Reading the open project's grid and CRS (see project.h).
#include "project.h"

#include "script.h"

namespace gis {
namespace {

bool IsTable(lua_State* L, int v) {
  return lua_type(L, v) == LUA_TTABLE;
}

int DoSetBoolean(lua_State* L) {  // table, name, flag
  lua_settable(L, 1);
  return 0;
}

}  // namespace

int PushProject(lua_State* L) {
  int varko = script::GetGlobal(L, "Varko");
  if (!IsTable(L, varko)) {
    lua_pushnil(L);
    return lua_gettop(L);
  }
  int project = script::GetField(L, varko, "Project");
  if (!IsTable(L, project)) {
    lua_pushnil(L);
    return lua_gettop(L);
  }
  return project;
}

ProjectGrid ReadProjectGrid(lua_State* L) {
  script::StackMark mark(L);
  ProjectGrid grid;
  int project = PushProject(L);
  if (!IsTable(L, project)) return grid;
  grid.present = true;
  grid.themes = script::TruncateToInt(script::GetNumberField(L, project, "numThemes"));
  int dimension = script::GetField(L, project, "Dimension");
  int area = script::GetField(L, project, "StudyArea");
  if (IsTable(L, dimension) && IsTable(L, area)) {
    grid.w = script::TruncateToInt(script::GetNumberField(L, dimension, "w"));
    grid.h = script::TruncateToInt(script::GetNumberField(L, dimension, "h"));
    grid.left = script::GetNumberField(L, area, "left");
    grid.right = script::GetNumberField(L, area, "right");
    grid.bottom = script::GetNumberField(L, area, "bottom");
    grid.top = script::GetNumberField(L, area, "top");
    grid.has_grid = grid.w > 0 && grid.h > 0 && grid.right > grid.left && grid.top > grid.bottom;
  }
  int scale = script::GetField(L, project, "Scale");
  if (IsTable(L, scale)) {
    grid.sx = script::GetNumberField(L, scale, "sx");
    grid.sy = script::GetNumberField(L, scale, "sy");
    grid.has_scale = grid.sx > 0 && grid.sy > 0;
  }
  grid.crs = script::GetStringField(L, project, "CRS").value_or("");
  return grid;
}

void SetBooleanField(lua_State* L, int table, const char* name, bool flag) {
  if (!lua_checkstack(L, 4)) throw script::ScriptError{"stack overflow"};
  lua_pushcfunction(L, DoSetBoolean);
  lua_pushvalue(L, table);
  lua_pushstring(L, name);
  lua_pushboolean(L, flag);
  if (lua_pcall(L, 3, 0, 0) != LUA_OK) {
    std::string message = lua_tostring(L, -1) ? lua_tostring(L, -1) : "error";
    lua_pop(L, 1);
    throw script::ScriptError{message};
  }
}

}  // namespace gis
