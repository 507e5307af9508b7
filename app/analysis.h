// The script functions of the route search and the path measurements.
#ifndef VARKO_APP_ANALYSIS_H
#define VARKO_APP_ANALYSIS_H

#include <lua.hpp>

#include "costmodel.h"
#include "project.h"

namespace route {
// The combined theme's result, or a script error "name: no combined theme!".
const CombinedResult& NeedCombined(const char* name);
// Sets what a search reads in the cost context from the project copy (step
// r, radius i, pixel size, raster size) and the combined theme (cost grid,
// scale, offset), as MinimumPath does; "name: invalid search step!" when r
// is not positive.
void PrepareSearch(const char* name, CostContext& cost, const ProjectCopy& project,
                   const CombinedResult& combined);
int MinimumPath(lua_State* L);
int PathAnalysis(lua_State* L);
int SegDist(lua_State* L);
}  // namespace route

#endif
