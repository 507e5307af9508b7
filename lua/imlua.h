// Script binding of the image library: image objects as userdata, the
// library's functions as globals. Also what other C++ code needs to look
// inside those objects (the application's image references, the canvas
// binding).
//
// Object kinds and their named metatables (luaL_newmetatable names): the
// image binding and the canvas binding both use these names, so whichever
// is opened first creates a metatable and the other finds it. The tag
// methods of all six kinds live here; EnsureKind installs them.
//
// Tag numbers: Lua 5.4 has no tags, so a kind's "tag number" is the
// registry reference (luaL_ref) of its metatable, kept in the metatable's
// field "__tag". registry[tag] is the metatable. It is stable for the life
// of the interpreter and distinct per kind.
//
// Lifetime: an object's record sits inside its userdata. Killing an object
// drops its buffers and keeps the record (width, height, size stay); the
// "__gc" method does the same. Planes of imagergb and imagergba objects are
// held by a reference-counted Planes block: a canvas drawing into them
// (CD_IMAGERGB) keeps its own PlanesRef, so neither a kill nor a collection
// of the script object frees pixels the canvas still uses.
#ifndef VARKO_LUA_IMLUA_H
#define VARKO_LUA_IMLUA_H

#include <lua.hpp>

#include <cstdint>
#include <memory>

// Installs the tags, constants and functions; shares the canvas binding's
// tags when it was opened first.
void imlua_open(lua_State* L);

struct ImluaMapView {
  int width;
  int height;
  unsigned char* data;
};
struct ImluaPaletteView {
  int size;
  uint32_t* colors;
};

// True when the value at idx is a live (not killed) imagemap or palette.
bool imlua_tomapview(lua_State* L, int idx, ImluaMapView* view);
bool imlua_topaletteview(lua_State* L, int idx, ImluaPaletteView* view);

namespace imlua {

enum class Kind { Color, ImageRGB, ImageRGBA, ImageMap, Palette, Channel };

// "imlua.color", "imlua.imagergb", "imlua.imagergba", "imlua.imagemap",
// "imlua.palette", "imlua.channel".
const char* MetatableName(Kind kind);

// Makes sure the kind's named metatable exists and carries this binding's
// tag methods and its "__tag"; returns the tag number. Idempotent.
int EnsureKind(lua_State* L, Kind kind);
// Adopts an existing metatable as the kind's: registry[tag] must be a table
// (a metatable made by the other binding). Its tag number stays the same.
// Returns false when registry[tag] is not a table. Then EnsureKind as usual.
bool AdoptKind(lua_State* L, Kind kind, int tag);

// The pixel planes of an RGB or RGBA image: count planes of width * height
// bytes each, in one block, order red, green, blue (, alpha).
struct Planes {
  int width = 0;
  int height = 0;
  int count = 0;
  std::unique_ptr<unsigned char[]> bytes;
  long long size() const { return static_cast<long long>(width) * height; }
  unsigned char* plane(int i) const { return bytes.get() + i * size(); }
};
using PlanesRef = std::shared_ptr<Planes>;

// Zero-filled planes; nullptr when the size is not valid (imValidSize) or
// memory runs out.
PlanesRef MakePlanes(int width, int height, int count);

// imagergb (3 planes) and imagergba (4 planes).
struct ImageRGB {
  int width = 0;
  int height = 0;
  long long size = 0;
  PlanesRef planes;  // null once killed
  bool live() const { return planes != nullptr; }
  unsigned char* red() const { return planes->plane(0); }
  unsigned char* green() const { return planes->plane(1); }
  unsigned char* blue() const { return planes->plane(2); }
  unsigned char* alpha() const { return planes->count > 3 ? planes->plane(3) : nullptr; }
};

struct ImageMap {
  int width = 0;
  int height = 0;
  long long size = 0;
  std::unique_ptr<unsigned char[]> data;  // null once killed
  bool live() const { return data != nullptr; }
};

struct Palette {
  int size = 0;
  std::unique_ptr<uint32_t[]> colors;  // null once killed
  bool live() const { return colors != nullptr; }
};

// Colours are interned: one userdata per encoded value (a weak-valued
// registry table), so equal colours compare equal and work as table keys.
struct Color {
  uint32_t value = 0;
};

// A channel: one plane of one imagergb/imagergba. The image userdata is the
// channel's user value, so the image lives as long as the channel; every
// access checks that the image still has its planes.
struct Channel {
  int plane = 0;
};

// Constructors push the new object and return its record, or push nil and
// return nullptr when the size is invalid or memory runs out. They may raise
// Lua's memory error before anything is acquired; call them from
// script::Guarded bodies before the body owns resources.
ImageRGB* PushImageRGB(lua_State* L, int width, int height);
ImageRGB* PushImageRGBA(lua_State* L, int width, int height);
ImageMap* PushImageMap(lua_State* L, int width, int height);
// Every entry starts with all 32 bits set (white).
Palette* PushPalette(lua_State* L, int size);
void PushColor(lua_State* L, uint32_t value);
// A channel of plane 0..count-1 of the image userdata at image_index.
void PushChannel(lua_State* L, int image_index, int plane);

// The record of the value at idx when it is of that kind (killed or not),
// else nullptr. Check live() before touching buffers.
ImageRGB* ToImageRGB(lua_State* L, int idx);
ImageRGB* ToImageRGBA(lua_State* L, int idx);
ImageMap* ToImageMap(lua_State* L, int idx);
Palette* ToPalette(lua_State* L, int idx);
// True and the value when idx holds a colour.
bool ToColor(lua_State* L, int idx, uint32_t* value);
// The plane a channel at idx refers to, or nullptr when idx is not a
// channel or its image was killed or collected; *size gets its length.
unsigned char* ToChannelPlane(lua_State* L, int idx, long long* size);

// Keeps the buffer of an image map or palette (its data or colours pointer)
// alive while C++ code works on it and script code may run meanwhile: a kill
// or collection of the object then makes it read as killed at once, and the
// buffer is freed when the last hold on it ends.
class PixelsHold {
 public:
  explicit PixelsHold(const void* buffer);
  ~PixelsHold();
  PixelsHold(PixelsHold&& other) noexcept : buffer_(other.buffer_) { other.buffer_ = nullptr; }
  PixelsHold(const PixelsHold&) = delete;
  PixelsHold& operator=(const PixelsHold&) = delete;
  PixelsHold& operator=(PixelsHold&&) = delete;

 private:
  const void* buffer_;
};

// Drops an image's buffers (kill). The record stays.
void Release(ImageRGB* image);
void Release(ImageMap* map);
void Release(Palette* palette);

// Binding internals: imlua_open registers the script functions through these.
void RegisterImageFunctions(lua_State* L);  // create, kill, colours, conversions
void RegisterFileFunctions(lua_State* L);   // files and imVersion

}  // namespace imlua

#endif
