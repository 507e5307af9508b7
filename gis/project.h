// What the geodata functions read from the open project (Varko.Project),
// read only: its grid, its CRS and the helpers that build script results
// without running script code.
#ifndef VARKO_GIS_PROJECT_H
#define VARKO_GIS_PROJECT_H

#include <lua.hpp>

#include <string>

namespace gis {

struct ProjectGrid {
  bool present = false;   // Varko.Project is a table
  int themes = 0;         // numThemes
  bool has_grid = false;  // Dimension and StudyArea with positive sizes
  int w = 0, h = 0;
  double left = 0, right = 0, bottom = 0, top = 0;
  bool has_scale = false;  // Scale with positive sx and sy
  double sx = 0, sy = 0;
  std::string crs;  // WKT, empty when the project has none
};

// Reads the fields; absent tables leave their part unset, never an error.
ProjectGrid ReadProjectGrid(lua_State* L);

// The project table itself (pushed), or nil when Varko or Varko.Project is
// not a table.
int PushProject(lua_State* L);

// t[name] = flag, in a protected call (ScriptError on failure).
void SetBooleanField(lua_State* L, int table, const char* name, bool flag);

}  // namespace gis

#endif
