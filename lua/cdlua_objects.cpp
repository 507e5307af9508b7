// The canvas binding's own object kinds (canvas, stipple, pattern, server
// image, extended image with its channels, state): their named metatables with
// the tag methods, and the argument checks every wrapper uses.
#include <cctype>
#include <cmath>
#include <cstring>
#include <new>
#include <string>

#include "cdlua_internal.h"

namespace cdlua {
namespace {

struct KindInfo {
  const char* metatable;
  const char* tag_name;  // as in messages: "stipple_tag"
  std::size_t cell_size;
  lua_CFunction get;
  lua_CFunction set;
  lua_CFunction gc;
};

using script::RaiseTag;

// The index argument (2) of a tag method.
long long TagIndex(lua_State* L, long long size, const char* tag, const char* method) {
  return script::TagIndex(L, 2, size, tag, method);
}

// ---- stipple ----
int StippleGetBody(lua_State* L) {
  auto* cell = static_cast<StippleCell*>(ToKind(L, 1, Kind::Stipple));
  if (cell == nullptr || cell->data == nullptr)
    RaiseTag("stipple_tag", "gettable", "invalid stipple_tag object");
  long long i = TagIndex(L, cell->size, "stipple_tag", "gettable");
  lua_pushinteger(L, cell->data[i]);
  return 1;
}
int StippleSetBody(lua_State* L) {
  auto* cell = static_cast<StippleCell*>(ToKind(L, 1, Kind::Stipple));
  if (cell == nullptr || cell->data == nullptr)
    RaiseTag("stipple_tag", "settable", "invalid stipple_tag object");
  if (!lua_isnumber(L, 2)) RaiseTag("stipple_tag", "settable", "index should be a number");
  if (!lua_isnumber(L, 3)) RaiseTag("stipple_tag", "settable", "value should be a number");
  double value = lua_tonumber(L, 3);
  if (value != 0 && value != 1)
    RaiseTag("stipple_tag", "settable", "value should belong to {0, 1}");
  long long i = TagIndex(L, cell->size, "stipple_tag", "settable");
  cell->data[i] = static_cast<unsigned char>(value);
  return 0;
}
int StippleGcBody(lua_State* L) {
  auto* cell = static_cast<StippleCell*>(ToKind(L, 1, Kind::Stipple));
  if (cell == nullptr) RaiseTag("stipple_tag", "gc", "invalid stipple_tag object");
  delete[] cell->data;
  cell->data = nullptr;
  return 0;
}

// ---- pattern ----
int PatternGetBody(lua_State* L) {
  auto* cell = static_cast<PatternCell*>(ToKind(L, 1, Kind::Pattern));
  if (cell == nullptr || cell->data == nullptr)
    RaiseTag("pattern_tag", "gettable", "invalid pattern_tag object");
  long long i = TagIndex(L, cell->size, "pattern_tag", "gettable");
  PushColor(L, cell->data[i]);
  return 1;
}
int PatternSetBody(lua_State* L) {
  auto* cell = static_cast<PatternCell*>(ToKind(L, 1, Kind::Pattern));
  if (cell == nullptr || cell->data == nullptr)
    RaiseTag("pattern_tag", "settable", "invalid pattern_tag object");
  if (!lua_isnumber(L, 2)) RaiseTag("pattern_tag", "settable", "index should be a number");
  uint32_t color = 0;
  if (!imlua::ToColor(L, 3, &color))
    RaiseTag("pattern_tag", "settable", "value should be of type color_tag");
  long long i = TagIndex(L, cell->size, "pattern_tag", "settable");
  cell->data[i] = static_cast<long>(color);
  return 0;
}
int PatternGcBody(lua_State* L) {
  auto* cell = static_cast<PatternCell*>(ToKind(L, 1, Kind::Pattern));
  if (cell == nullptr) RaiseTag("pattern_tag", "gc", "invalid pattern_tag object");
  delete[] cell->data;
  cell->data = nullptr;
  return 0;
}

// ---- canvas: a canvas nobody can reach any more is killed ----
int CanvasGcBody(lua_State* L) {
  auto* cell = static_cast<CanvasCell*>(ToKind(L, 1, Kind::Canvas));
  if (cell == nullptr) RaiseTag("canvas_tag", "gc", "invalid canvas_tag object");
  if (cell->handle != nullptr) {
    bool is_void = cell->handle == VoidCanvas();
    if (cdActiveCanvas() == cell->handle) {
      if (is_void) {
        cdActivate(nullptr);
      } else {
        ActivateVoid();
      }
    }
    cdKillCanvas(cell->handle);
    if (is_void) ForgetVoid();
  }
  cell->handle = nullptr;
  delete cell->anchor;
  cell->anchor = nullptr;
  if (cell->image_ex != nullptr) LetGoImageEx(cell->image_ex);
  cell->image_ex = nullptr;
  return 0;
}

int ImageGcBody(lua_State* L) {
  auto* cell = static_cast<ImageCell*>(ToKind(L, 1, Kind::Image));
  if (cell == nullptr) RaiseTag("image_tag", "gc", "invalid image_tag object");
  if (cell->image != nullptr) cdKillImage(cell->image);
  cell->image = nullptr;
  return 0;
}

int ImageExGcBody(lua_State* L) {
  auto* cell = static_cast<ImageExCell*>(ToKind(L, 1, Kind::ImageEx));
  if (cell == nullptr) RaiseTag("imageex_tag", "gc", "invalid imageex_tag object");
  if (cell->image != nullptr) KillImageExOnceUnused(cell->image);
  cell->image = nullptr;
  return 0;
}

int StateGcBody(lua_State* L) {
  auto* cell = static_cast<StateCell*>(ToKind(L, 1, Kind::State));
  if (cell == nullptr) RaiseTag("state_tag", "gc", "invalid state_tag object");
  if (cell->state != nullptr) cdKillState(cell->state);
  cell->state = nullptr;
  return 0;
}

// ---- extended images and their channels ----
constexpr const char* kImageExChannelMetatable = "cdlua.imageexchannel";

// ex.r, ex.G, ex.alpha ...: a channel of the plane named by the key's first
// letter, when the image has that plane.
int ImageExGetBody(lua_State* L) {
  const char* tag = "imageex_tag";
  auto* cell = static_cast<ImageExCell*>(ToKind(L, 1, Kind::ImageEx));
  if (cell == nullptr || cell->image == nullptr)
    RaiseTag(tag, "gettable", "invalid imageex_tag object");
  if (lua_type(L, 2) != LUA_TSTRING) RaiseTag(tag, "gettable", "index should be a channel name");
  static const char kNames[] = "rgba";
  const char* key = lua_tostring(L, 2);
  const char* found =
      key[0] ? std::strchr(kNames, std::tolower(static_cast<unsigned char>(key[0]))) : nullptr;
  int channel = found != nullptr ? CD_IRED + static_cast<int>(found - kNames) : -1;
  if (found == nullptr || cdImageExChannel(cell->image, channel) == nullptr)
    RaiseTag(tag, "gettable", "index is an invalid channel name");
  auto* ch = static_cast<ImageExChannelCell*>(lua_newuserdatauv(L, sizeof(ImageExChannelCell), 1));
  ch->channel = channel;
  luaL_setmetatable(L, kImageExChannelMetatable);
  lua_pushvalue(L, 1);
  lua_setiuservalue(L, -2, 1);
  return 1;
}

// The plane a channel reads, looked up at each access: null once its image
// is killed or collected.
unsigned char* ChannelPlane(lua_State* L, const char* method, long long* size) {
  auto* ch = static_cast<ImageExChannelCell*>(ToKind(L, 1, Kind::ImageExChannel));
  cdImageEx* image = nullptr;
  if (ch != nullptr) {
    lua_getiuservalue(L, 1, 1);
    auto* cell = static_cast<ImageExCell*>(ToKind(L, -1, Kind::ImageEx));
    image = cell != nullptr ? cell->image : nullptr;
    lua_pop(L, 1);
  }
  auto* plane = image != nullptr ? static_cast<unsigned char*>(cdImageExChannel(image, ch->channel))
                                 : nullptr;
  if (plane == nullptr) RaiseTag("channel_tag", method, "invalid channel_tag object");
  *size = static_cast<long long>(image->w) * image->h;
  return plane;
}

int ImageExChannelGetBody(lua_State* L) {
  long long size = 0;
  unsigned char* plane = ChannelPlane(L, "gettable", &size);
  lua_pushinteger(L, plane[TagIndex(L, size, "channel_tag", "gettable")]);
  return 1;
}

int ImageExChannelSetBody(lua_State* L) {
  long long size = 0;
  unsigned char* plane = ChannelPlane(L, "settable", &size);
  long long i = TagIndex(L, size, "channel_tag", "settable");
  plane[i] = script::TagByte(L, 3, "channel_tag", "settable");
  return 0;
}

int ImageExChannelGcBody(lua_State*) {
  return 0;
}  // the image owns the plane

const KindInfo& Info(Kind kind) {
  static const KindInfo kinds[] = {
      {"cdlua.canvas", "canvas_tag", sizeof(CanvasCell), nullptr, nullptr,
       script::Guarded<CanvasGcBody>},
      {"cdlua.stipple", "stipple_tag", sizeof(StippleCell), script::Guarded<StippleGetBody>,
       script::Guarded<StippleSetBody>, script::Guarded<StippleGcBody>},
      {"cdlua.pattern", "pattern_tag", sizeof(PatternCell), script::Guarded<PatternGetBody>,
       script::Guarded<PatternSetBody>, script::Guarded<PatternGcBody>},
      {"cdlua.image", "image_tag", sizeof(ImageCell), nullptr, nullptr,
       script::Guarded<ImageGcBody>},
      {"cdlua.imageex", "imageex_tag", sizeof(ImageExCell), script::Guarded<ImageExGetBody>,
       nullptr, script::Guarded<ImageExGcBody>},
      {"cdlua.state", "state_tag", sizeof(StateCell), nullptr, nullptr,
       script::Guarded<StateGcBody>},
      {kImageExChannelMetatable, "channel_tag", sizeof(ImageExChannelCell),
       script::Guarded<ImageExChannelGetBody>, script::Guarded<ImageExChannelSetBody>,
       script::Guarded<ImageExChannelGcBody>},
  };
  return kinds[static_cast<int>(kind)];
}

void* PushCell(lua_State* L, Kind kind) {
  const KindInfo& info = Info(kind);
  void* cell = lua_newuserdatauv(L, info.cell_size, 0);
  std::memset(cell, 0, info.cell_size);
  luaL_setmetatable(L, info.metatable);
  return cell;
}

using script::LiveObject;
using script::RaiseInvalid;

}  // namespace

const char* MetatableName(Kind kind) {
  return Info(kind).metatable;
}

int EnsureKind(lua_State* L, Kind kind) {
  const KindInfo& info = Info(kind);
  luaL_newmetatable(L, info.metatable);
  if (lua_getfield(L, -1, "__tag") != LUA_TNUMBER) {
    lua_pop(L, 1);
    if (info.get != nullptr) {
      lua_pushcfunction(L, info.get);
      lua_setfield(L, -2, "__index");
    }
    if (info.set != nullptr) {
      lua_pushcfunction(L, info.set);
      lua_setfield(L, -2, "__newindex");
    }
    lua_pushcfunction(L, info.gc);
    lua_setfield(L, -2, "__gc");
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

void* ToKind(lua_State* L, int idx, Kind kind) {
  return luaL_testudata(L, idx, Info(kind).metatable);
}

CanvasCell* PushCanvas(lua_State* L) {
  return static_cast<CanvasCell*>(PushCell(L, Kind::Canvas));
}
StippleCell* PushStipple(lua_State* L) {
  return static_cast<StippleCell*>(PushCell(L, Kind::Stipple));
}
PatternCell* PushPattern(lua_State* L) {
  return static_cast<PatternCell*>(PushCell(L, Kind::Pattern));
}
ImageCell* PushImage(lua_State* L) {
  return static_cast<ImageCell*>(PushCell(L, Kind::Image));
}
ImageExCell* PushImageEx(lua_State* L) {
  return static_cast<ImageExCell*>(PushCell(L, Kind::ImageEx));
}
StateCell* PushState(lua_State* L) {
  return static_cast<StateCell*>(PushCell(L, Kind::State));
}

double Number(lua_State* L, int n, const char* fn, const char* what) {
  return script::NumberArgOr(L, n, fn, what);
}

int Int(lua_State* L, int n, const char* fn, const char* what) {
  return script::TruncateToInt(Number(L, n, fn, what));
}

const char* String(lua_State* L, int n, const char* fn, const char* what) {
  if (!script::HasArg(L, n) || !lua_isstring(L, n)) RaiseInvalid(fn, what);
  return lua_tostring(L, n);
}

long Color(lua_State* L, int n, const char* fn) {
  uint32_t value = 0;
  if (!script::HasArg(L, n) || !imlua::ToColor(L, n, &value)) RaiseInvalid(fn, "color");
  return static_cast<long>(value);
}

long ColorOrQuery(lua_State* L, int n, const char* fn) {
  if (script::IsNumberArg(L, n) && lua_tonumber(L, n) == -1.0) {
    return CD_QUERY;
  }
  return Color(L, n, fn);
}

void PushColor(lua_State* L, long color) {
  imlua::PushColor(L, static_cast<uint32_t>(color));
}

cdCanvasHandle LiveCanvas(lua_State* L, int n, const char* fn, const char* verb) {
  auto* cell =
      static_cast<CanvasCell*>(script::HasArg(L, n) ? ToKind(L, n, Kind::Canvas) : nullptr);
  return LiveObject(L, n, fn, verb, "canvas", cell, cell != nullptr && cell->handle != nullptr)
      ->handle;
}

imlua::ImageRGB* LiveImageRGB(lua_State* L, int n, const char* fn) {
  imlua::ImageRGB* image = script::HasArg(L, n) ? imlua::ToImageRGB(L, n) : nullptr;
  return LiveObject(L, n, fn, "use", "imagergb", image, image != nullptr && image->live());
}

imlua::ImageRGB* LiveImageRGBA(lua_State* L, int n, const char* fn) {
  imlua::ImageRGB* image = script::HasArg(L, n) ? imlua::ToImageRGBA(L, n) : nullptr;
  return LiveObject(L, n, fn, "use", "imagergba", image, image != nullptr && image->live());
}

imlua::ImageMap* LiveImageMap(lua_State* L, int n, const char* fn) {
  imlua::ImageMap* map = script::HasArg(L, n) ? imlua::ToImageMap(L, n) : nullptr;
  return LiveObject(L, n, fn, "use", "imagemap", map, map != nullptr && map->live());
}

imlua::Palette* LivePalette(lua_State* L, int n, const char* fn) {
  imlua::Palette* palette = script::HasArg(L, n) ? imlua::ToPalette(L, n) : nullptr;
  return LiveObject(L, n, fn, "use", "palette", palette, palette != nullptr && palette->live());
}

StippleCell* LiveStipple(lua_State* L, int n, const char* fn) {
  auto* cell =
      static_cast<StippleCell*>(script::HasArg(L, n) ? ToKind(L, n, Kind::Stipple) : nullptr);
  return LiveObject(L, n, fn, "use", "stipple", cell, cell != nullptr && cell->data != nullptr);
}

PatternCell* LivePattern(lua_State* L, int n, const char* fn) {
  auto* cell =
      static_cast<PatternCell*>(script::HasArg(L, n) ? ToKind(L, n, Kind::Pattern) : nullptr);
  return LiveObject(L, n, fn, "use", "pattern", cell, cell != nullptr && cell->data != nullptr);
}

cdImage* LiveImage(lua_State* L, int n, const char* fn) {
  auto* cell = static_cast<ImageCell*>(script::HasArg(L, n) ? ToKind(L, n, Kind::Image) : nullptr);
  return LiveObject(L, n, fn, "use", "image", cell, cell != nullptr && cell->image != nullptr)
      ->image;
}

cdImageEx* LiveImageEx(lua_State* L, int n, const char* fn) {
  auto* cell =
      static_cast<ImageExCell*>(script::HasArg(L, n) ? ToKind(L, n, Kind::ImageEx) : nullptr);
  return LiveObject(L, n, fn, "use", "imageex", cell, cell != nullptr && cell->image != nullptr)
      ->image;
}

std::vector<long> ColorTable(const imlua::Palette* palette) {
  std::vector<long> colors(256, 0);
  for (int i = 0; i < palette->size && i < 256; ++i)
    colors[static_cast<std::size_t>(i)] = palette->colors[i];
  return colors;
}

void Register(lua_State* L, const luaL_Reg* functions) {
  for (const luaL_Reg* f = functions; f->name != nullptr; ++f) {
    lua_pushcfunction(L, f->func);
    lua_setglobal(L, f->name);
  }
}

}  // namespace cdlua

cdCanvasHandle cdlua_tocanvas(lua_State* L, int idx) {
  auto* cell = static_cast<cdlua::CanvasCell*>(cdlua::ToKind(L, idx, cdlua::Kind::Canvas));
  return cell != nullptr ? cell->handle : nullptr;
}
