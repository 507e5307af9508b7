// ReadExtraData: slope and profile grids from an image with a ".hdr"
// calibration beside it, or from a raw grid file.
#ifndef VARKO_APP_EXTRADATA_H
#define VARKO_APP_EXTRADATA_H

#include <lua.hpp>

#include <string>

namespace route {
// The image's name with its last three characters replaced by "hdr".
std::string HeaderName(const std::string& image_name);
int ReadExtraData(lua_State* L);
}  // namespace route

#endif
