// Small script services: the default colour scale, the image-map dump and
// running a command.
#ifndef VARKO_APP_UTILITY_H
#define VARKO_APP_UTILITY_H

#include <cstdint>
#include <optional>
#include <vector>

#include "script.h"

namespace route {
// The colours of the global DefaultColorScale, read raw (no script code
// runs); none when numColors is below 1 (the palette then stays). A missing
// table or colour raises "fn: ... is missing!".
std::optional<std::vector<uint32_t>> ReadDefaultColorScale(lua_State* L, const char* fn);
// Fills the palette: colour k covers 255 / n indices from (k - 1) * band, the
// last also the rest up to 254; entry 255 is white.
void ApplyDefaultColorScale(const std::vector<uint32_t>& colors, const script::ImageRef& image);
int MyImageMapAccess(lua_State* L);
int MySystem(lua_State* L);
}  // namespace route

#endif
