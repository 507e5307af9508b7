// The XY graphic window: the profile of a path drawn as a chart whose
// samples the user picks with the mouse, showing them on the main map.
#ifndef VARKO_APP_XYWINDOW_H
#define VARKO_APP_XYWINDOW_H

#include <lua.hpp>

namespace route {

// XYGraphic(k, t): samples path k along theme t (numThemes + 1: the
// combined theme) and opens the window on that profile. A path number or
// theme number out of range, or a path of fewer than two points, raises
// "XYGraphic: ...!" and opens nothing.
int XYGraphic(lua_State* L);

}  // namespace route

#endif
