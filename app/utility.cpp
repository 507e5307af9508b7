// The default colour scale, MyImageMapAccess and MySystem.
#include "utility.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "imlua.h"
#include "rawdata.h"

namespace route {

using namespace script;

std::optional<std::vector<uint32_t>> ReadDefaultColorScale(lua_State* L, const char* fn) {
  Value scale = raw::NeedGlobalTable(L, fn, "DefaultColorScale");
  int n = TruncateToInt(raw::Number(L, scale, "numColors"));
  if (n < 1) return std::nullopt;  // no band to spread: the palette stays
  if (n > 255) n = 255;
  Value table = raw::NeedTable(L, fn, scale, "Table", "DefaultColorScale.Table");
  std::vector<uint32_t> colors;
  for (int k = 1; k <= n; ++k) {
    StackMark mark(L);
    Value entry = raw::Element(L, table, k);
    if (!lua_istable(L, entry)) {
      Raise(fn, ("DefaultColorScale.Table[" + std::to_string(k) + "] is missing").c_str());
    }
    const uint32_t red = ToByte(raw::NumberAt(L, entry, 1));
    const uint32_t green = ToByte(raw::NumberAt(L, entry, 2));
    const uint32_t blue = ToByte(raw::NumberAt(L, entry, 3));
    colors.push_back(red * 65536 + green * 256 + blue);
  }
  return colors;
}

void ApplyDefaultColorScale(const std::vector<uint32_t>& colors, const ImageRef& image) {
  const int n = static_cast<int>(colors.size());
  const int band = 255 / n;
  for (int i = 0; i < 255 && i < image.pal_count; ++i) {
    image.palette[i] = colors[static_cast<std::size_t>(std::min(i / band, n - 1))];
  }
  if (image.pal_count > 255) image.palette[255] = 0xFFFFFF;
}

int MyImageMapAccess(lua_State* L) {
  if (lua_isnoneornil(L, 1)) Raise("MyImageMapAccess", "attempt to access a NIL imagemap");
  imlua::ImageMap* map = imlua::ToImageMap(L, 1);
  if (map == nullptr) Raise("MyImageMapAccess", "parameter is not an imagemap");
  if (!map->live()) Raise("MyImageMapAccess", "attempt to access a killed imagemap");
  NoArgAt(L, 2, "MyImageMapAccess");
  std::string text;
  for (int x = 0; x < map->width; ++x) {
    for (int y = 0; y < map->height; ++y) {
      text += std::to_string(map->data[x + static_cast<std::ptrdiff_t>(y) * map->width]);
    }
  }
  std::fwrite(text.data(), 1, text.size(), stdout);
  std::fflush(stdout);
  lua_pushvalue(L, 1);
  return 1;
}

int MySystem(lua_State* L) {
  const char* command = ArgString(L, 1);
  if (command == nullptr) return 0;
  std::fflush(stdout);
  const int status = std::system(command);
  (void)status;  // the exit status is not reported to the script
  return 0;
}

}  // namespace route
