// Small script services: the default colour scale, the image-map dump and
// running a command.
#ifndef VARKO_APP_UTILITY_H
#define VARKO_APP_UTILITY_H

#include "script.h"

namespace route {
// Fills the palette from the global DefaultColorScale; false (and nothing
// changed) when it holds no colours.
bool ApplyDefaultColorScale(lua_State* L, const script::ImageRef& image);
int MyImageMapAccess(lua_State* L);
int MySystem(lua_State* L);
}  // namespace route

#endif
