// The script functions of the route search and the path measurements.
#ifndef VARKO_APP_ANALYSIS_H
#define VARKO_APP_ANALYSIS_H

#include <lua.hpp>

namespace route {
int MinimumPath(lua_State* L);
int PathAnalysis(lua_State* L);
int SegDist(lua_State* L);
}  // namespace route

#endif
