// Shared between the files of the canvas binding: object kinds, argument
// checks and the registration tables of each concern.
#ifndef VARKO_LUA_CDLUA_INTERNAL_H
#define VARKO_LUA_CDLUA_INTERNAL_H

#include <lua.hpp>

#include <cstdint>
#include <vector>

#include "cd.h"
#include "cdlua.h"
#include "cdregistry.h"
#include "imlua.h"
#include "script.h"

namespace cdlua {

// Kinds of this binding (the colour and image kinds are the image binding's).
// ImageExChannel: one plane of an extended image (ex.r, ex.g, ex.b, ex.a),
// holding the image userdata as its user value.
enum class Kind { Canvas, Stipple, Pattern, Image, ImageEx, State, ImageExChannel };
const char* MetatableName(Kind kind);
// Creates the kind's metatable with its tag methods; returns its tag number.
int EnsureKind(lua_State* L, Kind kind);
void* ToKind(lua_State* L, int idx, Kind kind);

// The cells inside the userdata. Canvas: the handle comes first (read by
// C++ code through cdlua_tocanvas); the planes of a script image it draws
// into are held by `anchor` so a kill or collection of the image cannot
// free them under the canvas.
struct CanvasCell {
  cdCanvasHandle handle;
  imlua::PlanesRef* anchor;
  cdImageEx* image_ex;  // the extended image it draws into, if any
};
struct StippleCell {
  int w, h;
  long long size;
  unsigned char* data;  // null once killed
};
struct PatternCell {
  int w, h;
  long long size;
  long* data;
};
struct ImageCell {
  cdImage* image;
};
struct ImageExCell {
  cdImageEx* image;
};
struct StateCell {
  cdState* state;
};
struct ImageExChannelCell {
  int channel;  // CD_IRED .. CD_IALPHA
};

// Push a new cell of the kind (zeroed); may raise Lua's memory error, so
// call before owning anything.
CanvasCell* PushCanvas(lua_State* L);
StippleCell* PushStipple(lua_State* L);
PatternCell* PushPattern(lua_State* L);
ImageCell* PushImage(lua_State* L);
ImageExCell* PushImageEx(lua_State* L);
StateCell* PushState(lua_State* L);

// ---- argument checks: raise "fn: problem!" ----
// A number at n or "fn: invalid <what> parameter!".
double Number(lua_State* L, int n, const char* fn, const char* what);
int Int(lua_State* L, int n, const char* fn, const char* what);
const char* String(lua_State* L, int n, const char* fn, const char* what);
// A colour value at n or "fn: invalid color parameter!".
long Color(lua_State* L, int n, const char* fn);
// A colour, or the number CD_QUERY (for setters).
long ColorOrQuery(lua_State* L, int n, const char* fn);
void PushColor(lua_State* L, long color);
// Live objects: nil raises "fn: attempt to <verb> a NIL <noun>!", another
// kind "fn: invalid <noun> parameter!", a killed one "fn: attempt to <verb>
// a killed <noun>!".
cdCanvasHandle LiveCanvas(lua_State* L, int n, const char* fn, const char* verb);
imlua::ImageRGB* LiveImageRGB(lua_State* L, int n, const char* fn);
imlua::ImageRGB* LiveImageRGBA(lua_State* L, int n, const char* fn);
imlua::ImageMap* LiveImageMap(lua_State* L, int n, const char* fn);
imlua::Palette* LivePalette(lua_State* L, int n, const char* fn);
StippleCell* LiveStipple(lua_State* L, int n, const char* fn);
PatternCell* LivePattern(lua_State* L, int n, const char* fn);
cdImage* LiveImage(lua_State* L, int n, const char* fn);
cdImageEx* LiveImageEx(lua_State* L, int n, const char* fn);

// A palette as the canvas library's 256-entry colour table.
std::vector<long> ColorTable(const imlua::Palette* palette);

// An RGB or RGBA script image put with the device or the world function of
// its kind: target t (x, y, w, h), source rectangle r (xmin, xmax, ymin, ymax).
template <typename T>
void PutRGBLike(const imlua::ImageRGB* image, bool alpha, const T t[4], const int r[4],
                void (*put_rgb)(int, int, const unsigned char*, const unsigned char*,
                                const unsigned char*, T, T, T, T, int, int, int, int),
                void (*put_rgba)(int, int, const unsigned char*, const unsigned char*,
                                 const unsigned char*, const unsigned char*, T, T, T, T, int, int,
                                 int, int)) {
  if (alpha)
    put_rgba(image->width, image->height, image->red(), image->green(), image->blue(),
             image->alpha(), t[0], t[1], t[2], t[3], r[0], r[1], r[2], r[3]);
  else
    put_rgb(image->width, image->height, image->red(), image->green(), image->blue(), t[0], t[1],
            t[2], t[3], r[0], r[1], r[2], r[3]);
}

// Raises "cdlua: there is no active canvas!" while the void canvas is active.
void NeedCanvas(lua_State* L);
// True when the void canvas is the active one.
bool VoidActive();
// Activates the void canvas (so that something is always active).
void ActivateVoid();
cdCanvasHandle VoidCanvas();
// The void canvas was collected (the interpreter is closing).
void ForgetVoid();

// Pushes the script value of an active canvas handle, or nil.
void PushCanvasValue(lua_State* L, cdCanvasHandle handle);

// The drivers this interpreter numbers: the driver list's entries that
// have their globals.
int DriverCount(lua_State* L);
const cdDriverEntry* DriverAt(int number);
// The number of a driver, or -1 when it has none here.
int DriverNumberOf(lua_State* L, cdDriver* context);
// Turns the script value at idx into the driver's creation data by its
// data kind, raising the driver's messages; may push a value that must
// stay alive until the canvas is created.
void* DriverData(lua_State* L, int idx, const cdDriverEntry* driver);
// Gives the drivers listed since the binding opened their globals.
void PublishDrivers(lua_State* L);
// Checks the driver number argument ("fn: invalid driver parameter!",
// "fn: unknown driver!") and returns its number.
int DriverArg(lua_State* L, int n, const char* fn);

// Registration of each concern's functions.
void RegisterCanvasFunctions(lua_State* L);
void RegisterDrawFunctions(lua_State* L);
void RegisterImageFunctions(lua_State* L);
void RegisterWorldFunctions(lua_State* L);
void RegisterPlayFunctions(lua_State* L);
void OpenDrivers(lua_State* L);
// Creates and activates the void canvas.
void OpenVoidCanvas(lua_State* L);

void Register(lua_State* L, const luaL_Reg* functions);

// Extended images that CD_IMAGERGB canvases draw into. Killing or collecting
// one while canvases use it only takes it from the script; the last canvas
// let go frees it.
void UseImageEx(cdImageEx* image);
void LetGoImageEx(cdImageEx* image);
void KillImageExOnceUnused(cdImageEx* image);

}  // namespace cdlua

#endif
