// The image binding's object kinds: records inside userdata, their named
// metatables with the tag methods (__index for "gettable", __newindex for
// "settable", __gc for "gc"), interned colours and channels.
#include <algorithm>
#include <cctype>
#include <cstring>
#include <map>
#include <new>
#include <string>

#include "im.h"
#include "imlua.h"
#include "script.h"

namespace imlua {
namespace {

// Every encoded colour fits in 24 bits; a palette never needs more entries.
constexpr int kMaxPaletteSize = 1 << 24;

constexpr const char* kColorCache = "imlua.colors";
// Set in a metatable once this binding's tag methods are in it.
constexpr const char* kInstalledMark = "__imlua";

using script::RaiseTag;
using script::TagByte;
using script::TagIndex;

// ---- imagemap ----
int MapGet(lua_State* L) {
  const char* tag = "imagemap_tag";
  ImageMap* map = ToImageMap(L, 1);
  if (map == nullptr || !map->live()) RaiseTag(tag, "gettable", "invalid imagemap_tag object");
  long long i = TagIndex(L, 2, map->size, tag, "gettable");
  lua_pushinteger(L, map->data[i]);
  return 1;
}

int MapSet(lua_State* L) {
  const char* tag = "imagemap_tag";
  ImageMap* map = ToImageMap(L, 1);
  if (map == nullptr || !map->live()) RaiseTag(tag, "settable", "invalid imagemap_tag object");
  if (!lua_isnumber(L, 2)) RaiseTag(tag, "settable", "index should be a number");
  unsigned char value = TagByte(L, 3, tag, "settable");
  long long i = TagIndex(L, 2, map->size, tag, "settable");
  map->data[i] = value;
  return 0;
}

int MapGc(lua_State* L) {
  ImageMap* map = ToImageMap(L, 1);
  if (map == nullptr) RaiseTag("imagemap_tag", "gc", "invalid imagemap_tag object");
  Release(map);
  return 0;
}

// ---- palette ----
int PaletteGet(lua_State* L) {
  const char* tag = "palette_tag";
  Palette* palette = ToPalette(L, 1);
  if (palette == nullptr || !palette->live())
    RaiseTag(tag, "gettable", "invalid palette_tag object");
  long long i = TagIndex(L, 2, palette->size, tag, "gettable");
  PushColor(L, palette->colors[i]);
  return 1;
}

int PaletteSet(lua_State* L) {
  const char* tag = "palette_tag";
  Palette* palette = ToPalette(L, 1);
  if (palette == nullptr || !palette->live())
    RaiseTag(tag, "settable", "invalid palette_tag object");
  if (!lua_isnumber(L, 2)) RaiseTag(tag, "settable", "index should be a number");
  uint32_t color = 0;
  if (!ToColor(L, 3, &color)) RaiseTag(tag, "settable", "value should be of type color_tag");
  long long i = TagIndex(L, 2, palette->size, tag, "settable");
  palette->colors[i] = color;
  return 0;
}

int PaletteGc(lua_State* L) {
  Palette* palette = ToPalette(L, 1);
  if (palette == nullptr) RaiseTag("palette_tag", "gc", "invalid palette_tag object");
  Release(palette);
  return 0;
}

// ---- channel ----
int ChannelGet(lua_State* L) {
  const char* tag = "channel_tag";
  long long size = 0;
  unsigned char* plane = ToChannelPlane(L, 1, &size);
  if (plane == nullptr) RaiseTag(tag, "gettable", "invalid channel_tag object");
  long long i = TagIndex(L, 2, size, tag, "gettable");
  lua_pushinteger(L, plane[i]);
  return 1;
}

int ChannelSet(lua_State* L) {
  const char* tag = "channel_tag";
  long long size = 0;
  unsigned char* plane = ToChannelPlane(L, 1, &size);
  if (plane == nullptr) RaiseTag(tag, "settable", "invalid channel_tag object");
  long long i = TagIndex(L, 2, size, tag, "settable");
  plane[i] = TagByte(L, 3, tag, "settable");
  return 0;
}

// ---- imagergb and imagergba ----
// img.r, img.G, img.blue ...: a channel of the plane named by the key's
// first letter.
int ChannelByName(lua_State* L, ImageRGB* image, const char* tag, const char* names) {
  if (image == nullptr || !image->live()) {
    std::string problem = std::string("invalid ") + tag + " object";
    RaiseTag(tag, "gettable", problem.c_str());
  }
  if (lua_type(L, 2) != LUA_TSTRING) RaiseTag(tag, "gettable", "index should be a channel name");
  const char* key = lua_tostring(L, 2);
  const char* found =
      key[0] ? std::strchr(names, std::tolower(static_cast<unsigned char>(key[0]))) : nullptr;
  if (found == nullptr) RaiseTag(tag, "gettable", "index is an invalid channel name");
  PushChannel(L, 1, static_cast<int>(found - names));
  return 1;
}

int RGBGet(lua_State* L) {
  return ChannelByName(L, ToImageRGB(L, 1), "imagergb_tag", "rgb");
}
int RGBAGet(lua_State* L) {
  return ChannelByName(L, ToImageRGBA(L, 1), "imagergba_tag", "rgba");
}

int RGBGc(lua_State* L) {
  ImageRGB* image = ToImageRGB(L, 1);
  if (image == nullptr) RaiseTag("imagergb_tag", "gc", "invalid imagergb_tag object");
  Release(image);
  return 0;
}

int RGBAGc(lua_State* L) {
  ImageRGB* image = ToImageRGBA(L, 1);
  if (image == nullptr) RaiseTag("imagergba_tag", "gc", "invalid imagergba_tag object");
  Release(image);
  return 0;
}

struct KindInfo {
  const char* name;
  lua_CFunction get;
  lua_CFunction set;
  lua_CFunction gc;
};

const KindInfo& Info(Kind kind) {
  static const KindInfo kinds[] = {
      {"imlua.color", nullptr, nullptr, nullptr},
      {"imlua.imagergb", script::Guarded<RGBGet>, nullptr, script::Guarded<RGBGc>},
      {"imlua.imagergba", script::Guarded<RGBAGet>, nullptr, script::Guarded<RGBAGc>},
      {"imlua.imagemap", script::Guarded<MapGet>, script::Guarded<MapSet>, script::Guarded<MapGc>},
      {"imlua.palette", script::Guarded<PaletteGet>, script::Guarded<PaletteSet>,
       script::Guarded<PaletteGc>},
      {"imlua.channel", script::Guarded<ChannelGet>, script::Guarded<ChannelSet>, nullptr},
  };
  return kinds[static_cast<int>(kind)];
}

void SetMethod(lua_State* L, const char* field, lua_CFunction fn) {
  if (fn == nullptr) return;
  lua_pushcfunction(L, fn);
  lua_setfield(L, -2, field);
}

// Pushes a new userdata of the kind with a default record, its metatable set.
template <typename Record>
Record* NewObject(lua_State* L, Kind kind, int user_values = 0) {
  EnsureKind(L, kind);
  void* block = lua_newuserdatauv(L, sizeof(Record), user_values);
  Record* record = new (block) Record();
  luaL_setmetatable(L, Info(kind).name);
  return record;
}

template <typename Record>
Record* TestObject(lua_State* L, int idx, Kind kind) {
  return static_cast<Record*>(luaL_testudata(L, idx, Info(kind).name));
}

ImageRGB* PushPlanesImage(lua_State* L, Kind kind, int width, int height, int count) {
  if (!imValidSize(width, height)) {
    lua_pushnil(L);
    return nullptr;
  }
  ImageRGB* image = NewObject<ImageRGB>(L, kind);
  image->planes = MakePlanes(width, height, count);
  if (!image->planes) {
    lua_pop(L, 1);
    lua_pushnil(L);
    return nullptr;
  }
  image->width = width;
  image->height = height;
  image->size = image->planes->size();
  return image;
}

}  // namespace

const char* MetatableName(Kind kind) {
  return Info(kind).name;
}

int EnsureKind(lua_State* L, Kind kind) {
  const KindInfo& info = Info(kind);
  luaL_checkstack(L, 4, nullptr);
  luaL_newmetatable(L, info.name);  // finds it when it exists
  if (lua_getfield(L, -1, kInstalledMark) == LUA_TNIL) {
    lua_pop(L, 1);
    SetMethod(L, "__index", info.get);
    SetMethod(L, "__newindex", info.set);
    SetMethod(L, "__gc", info.gc);
    lua_pushboolean(L, 1);
    lua_setfield(L, -2, kInstalledMark);
  } else {
    lua_pop(L, 1);
  }
  if (lua_getfield(L, -1, "__tag") != LUA_TNUMBER) {
    lua_pop(L, 1);
    lua_pushvalue(L, -1);
    int tag = luaL_ref(L, LUA_REGISTRYINDEX);
    lua_pushinteger(L, tag);
    lua_setfield(L, -2, "__tag");
    lua_pushinteger(L, tag);
  }
  int tag = static_cast<int>(lua_tointeger(L, -1));
  lua_pop(L, 2);
  return tag;
}

bool AdoptKind(lua_State* L, Kind kind, int tag) {
  luaL_checkstack(L, 3, nullptr);
  if (lua_rawgeti(L, LUA_REGISTRYINDEX, tag) != LUA_TTABLE) {
    lua_pop(L, 1);
    return false;
  }
  if (luaL_getmetatable(L, Info(kind).name) == LUA_TNIL) {
    lua_pop(L, 1);
    lua_pushvalue(L, -1);
    lua_setfield(L, LUA_REGISTRYINDEX, Info(kind).name);
  } else {
    lua_pop(L, 1);
  }
  if (lua_getfield(L, -1, "__tag") == LUA_TNIL) {
    lua_pushinteger(L, tag);
    lua_setfield(L, -3, "__tag");
  }
  lua_pop(L, 2);
  EnsureKind(L, kind);
  return true;
}

PlanesRef MakePlanes(int width, int height, int count) {
  if (!imValidSize(width, height) || count < 1 || count > 4) return nullptr;
  try {
    auto planes = std::make_shared<Planes>();
    planes->width = width;
    planes->height = height;
    planes->count = count;
    planes->bytes.reset(new (std::nothrow) unsigned char[planes->size() * count]());
    if (!planes->bytes) return nullptr;
    return planes;
  } catch (const std::bad_alloc&) {
    return nullptr;
  }
}

ImageRGB* PushImageRGB(lua_State* L, int width, int height) {
  return PushPlanesImage(L, Kind::ImageRGB, width, height, 3);
}

ImageRGB* PushImageRGBA(lua_State* L, int width, int height) {
  return PushPlanesImage(L, Kind::ImageRGBA, width, height, 4);
}

ImageMap* PushImageMap(lua_State* L, int width, int height) {
  if (!imValidSize(width, height)) {
    lua_pushnil(L);
    return nullptr;
  }
  ImageMap* map = NewObject<ImageMap>(L, Kind::ImageMap);
  long long size = static_cast<long long>(width) * height;
  map->data.reset(new (std::nothrow) unsigned char[size]());
  if (!map->data) {
    lua_pop(L, 1);
    lua_pushnil(L);
    return nullptr;
  }
  map->width = width;
  map->height = height;
  map->size = size;
  return map;
}

Palette* PushPalette(lua_State* L, int size) {
  if (size < 1 || size > kMaxPaletteSize) {
    lua_pushnil(L);
    return nullptr;
  }
  Palette* palette = NewObject<Palette>(L, Kind::Palette);
  palette->colors.reset(new (std::nothrow) uint32_t[size]);
  if (!palette->colors) {
    lua_pop(L, 1);
    lua_pushnil(L);
    return nullptr;
  }
  std::fill(palette->colors.get(), palette->colors.get() + size, 0xFFFFFFFFu);
  palette->size = size;
  return palette;
}

void PushColor(lua_State* L, uint32_t value) {
  EnsureKind(L, Kind::Color);
  luaL_checkstack(L, 4, nullptr);
  if (lua_getfield(L, LUA_REGISTRYINDEX, kColorCache) != LUA_TTABLE) {
    lua_pop(L, 1);
    lua_newtable(L);
    lua_newtable(L);
    lua_pushliteral(L, "v");
    lua_setfield(L, -2, "__mode");
    lua_setmetatable(L, -2);
    lua_pushvalue(L, -1);
    lua_setfield(L, LUA_REGISTRYINDEX, kColorCache);
  }
  if (lua_rawgeti(L, -1, value) == LUA_TUSERDATA) {
    lua_remove(L, -2);
    return;
  }
  lua_pop(L, 1);
  Color* color = NewObject<Color>(L, Kind::Color);
  color->value = value;
  lua_pushvalue(L, -1);
  lua_rawseti(L, -3, value);
  lua_remove(L, -2);
}

void PushChannel(lua_State* L, int image_index, int plane) {
  image_index = lua_absindex(L, image_index);
  Channel* channel = NewObject<Channel>(L, Kind::Channel, 1);
  channel->plane = plane;
  lua_pushvalue(L, image_index);
  lua_setiuservalue(L, -2, 1);
}

ImageRGB* ToImageRGB(lua_State* L, int idx) {
  return TestObject<ImageRGB>(L, idx, Kind::ImageRGB);
}
ImageRGB* ToImageRGBA(lua_State* L, int idx) {
  return TestObject<ImageRGB>(L, idx, Kind::ImageRGBA);
}
ImageMap* ToImageMap(lua_State* L, int idx) {
  return TestObject<ImageMap>(L, idx, Kind::ImageMap);
}
Palette* ToPalette(lua_State* L, int idx) {
  return TestObject<Palette>(L, idx, Kind::Palette);
}

bool ToColor(lua_State* L, int idx, uint32_t* value) {
  Color* color = TestObject<Color>(L, idx, Kind::Color);
  if (color == nullptr) return false;
  *value = color->value;
  return true;
}

unsigned char* ToChannelPlane(lua_State* L, int idx, long long* size) {
  Channel* channel = TestObject<Channel>(L, idx, Kind::Channel);
  if (channel == nullptr) return nullptr;
  luaL_checkstack(L, 2, nullptr);
  lua_getiuservalue(L, idx, 1);
  ImageRGB* image = ToImageRGB(L, -1);
  if (image == nullptr) image = ToImageRGBA(L, -1);
  lua_pop(L, 1);
  // The image userdata stays referenced by the channel, so the record is
  // still there even after a kill or a finalizer: only its planes may be gone.
  if (image == nullptr || !image->live() || channel->plane >= image->planes->count) return nullptr;
  *size = image->size;
  return image->planes->plane(channel->plane);
}

void Release(ImageRGB* image) {
  image->planes.reset();
}
namespace {
// Held buffers: how many holds, and the buffer itself once its object let go.
struct Held {
  int holds = 0;
  std::unique_ptr<unsigned char[]> map;
  std::unique_ptr<uint32_t[]> palette;
};
std::map<const void*, Held>& HeldBuffers() {
  static auto* held = new std::map<const void*, Held>;
  return *held;
}
}  // namespace

PixelsHold::PixelsHold(const void* buffer) : buffer_(buffer) {
  if (buffer_ != nullptr) ++HeldBuffers()[buffer_].holds;
}
PixelsHold::~PixelsHold() {
  if (buffer_ == nullptr) return;
  auto it = HeldBuffers().find(buffer_);
  if (it != HeldBuffers().end() && --it->second.holds == 0) HeldBuffers().erase(it);
}

void Release(ImageMap* map) {
  auto it = HeldBuffers().find(map->data.get());
  if (map->data != nullptr && it != HeldBuffers().end()) it->second.map = std::move(map->data);
  map->data.reset();
}
void Release(Palette* palette) {
  auto it = HeldBuffers().find(palette->colors.get());
  if (palette->colors != nullptr && it != HeldBuffers().end())
    it->second.palette = std::move(palette->colors);
  palette->colors.reset();
}

}  // namespace imlua

bool imlua_tomapview(lua_State* L, int idx, ImluaMapView* view) {
  imlua::ImageMap* map = imlua::ToImageMap(L, idx);
  if (map == nullptr || !map->live()) return false;
  *view = ImluaMapView{map->width, map->height, map->data.get()};
  return true;
}

bool imlua_topaletteview(lua_State* L, int idx, ImluaPaletteView* view) {
  imlua::Palette* palette = imlua::ToPalette(L, idx);
  if (palette == nullptr || !palette->live()) return false;
  *view = ImluaPaletteView{palette->size, palette->colors.get()};
  return true;
}
