// ApplyDefaultColorScale, MyImageMapAccess and MySystem.
#include "utility.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "imlua.h"

namespace route {

using namespace script;

bool ApplyDefaultColorScale(lua_State* L, const ImageRef& image) {
  Value scale = GetGlobal(L, "DefaultColorScale");
  Value table = GetField(L, scale, "Table");
  int n = TruncateToInt(GetNumberField(L, scale, "numColors"));
  if (n < 1) return false;  // no band to spread: the palette stays
  if (n > 255) n = 255;
  std::vector<uint32_t> colors;
  for (int k = 1; k <= n; ++k) {
    StackMark mark(L);
    Value entry = GetElement(L, table, k);
    const uint32_t red = ToByte(GetNumberElement(L, entry, 1));
    const uint32_t green = ToByte(GetNumberElement(L, entry, 2));
    const uint32_t blue = ToByte(GetNumberElement(L, entry, 3));
    colors.push_back(red * 65536 + green * 256 + blue);
  }
  const int band = 255 / n;
  for (int i = 0; i < 255 && i < image.pal_count; ++i) {
    image.palette[i] = colors[static_cast<std::size_t>(std::min(i / band, n - 1))];
  }
  if (image.pal_count > 255) image.palette[255] = 0xFFFFFF;
  return true;
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
