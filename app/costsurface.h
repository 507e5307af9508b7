// The script functions CostSurface and Corridor: accumulated cost from
// source points and least-cost corridors between waypoints, priced as
// MinimumPath prices its routes.
#ifndef VARKO_APP_COSTSURFACE_H
#define VARKO_APP_COSTSURFACE_H

#include <lua.hpp>

namespace route {

// CostSurface(points): a surface object (gis/surface.h) of the raster's size
// holding at each pixel the cost of the route MinimumPath finds to it from
// the nearest of the points, at the project's r and i; 100000 (its nodata)
// where no route reaches. points: one point {x =, y =}, a list of them, or a
// table with Points and numPoints (such as Varko.InputPoints). A search
// past half a second shows its progress with Cancel; cancelled, it returns
// nil and true.
int CostSurface(lua_State* L);

// Corridor(points, tolerance): between consecutive waypoints, the pixels
// whose cost through them (from the first waypoint plus to the second) is
// within (1 + tolerance) times the leg's least cost. Returns
// { Mask = {imagemap, palette} (1 inside, 0 outside), tolerance, cost (the
// legs' least costs summed), area (hectares), numThemes,
// Themes[t] = { area, numClasses, Classes[j] = { area, perc } } } for the
// themes with classes; a pixel whose value no class lists counts in class 1,
// as in the combined theme. Areas follow the project's CRS (Varko.Project.CRS):
// its linear unit when projected, the cell's ground on the Earth's sphere
// when geographic; without a CRS map units count as metres. Its progress
// is shown as CostSurface's; cancelled, it returns nil and true.
int Corridor(lua_State* L);

// Registers both, after the geodata functions, and shows the geodata
// functions' progress in the search dialog (RegisterGeodataProgress).
void RegisterSurfaceFunctions(lua_State* L);
void RegisterGeodataProgress();

}  // namespace route

#endif
