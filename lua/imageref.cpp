// Image references: the application's view of a script image table's map
// and palette, sharing the image binding's buffers.
#include "imlua.h"
#include "script.h"

namespace script {

std::optional<ImageRef> ReadImageRef(lua_State* L, Value table) {
  Value map = GetField(L, table, "imagemap");
  Value palette = GetField(L, table, "palette");
  ImluaMapView map_view{};
  ImluaPaletteView palette_view{};
  bool ok = imlua_tomapview(L, map, &map_view) && imlua_topaletteview(L, palette, &palette_view);
  lua_pop(L, 2);
  if (!ok) return std::nullopt;
  ImageRef ref;
  ref.width = map_view.width;
  ref.height = map_view.height;
  ref.data = map_view.data;
  ref.pal_count = palette_view.size;
  ref.palette = palette_view.colors;
  return ref;
}

}  // namespace script
