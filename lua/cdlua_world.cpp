// World coordinates from scripts: window and viewport, conversions, world
// primitives, sizes in millimetres, metrics, images, hardcopy and the world
// forms of vector text.
#include <cmath>
#include <string>
#include <vector>

#include "cdlua_internal.h"
#include "report.h"
#include "vectortext.h"
#include "wd.h"

namespace cdlua {
namespace {

using script::NoArgAt;

void Doubles(lua_State* L, int n, int count, const char* fn, const char* what, double* out) {
  for (int i = 0; i < count; ++i) out[i] = Number(L, n + i, fn, what);
}

// Four values read back from the active canvas: wdGetWindow, wdGetViewport, wdFontDim.
void Push(lua_State* L, double v) {
  lua_pushnumber(L, v);
}
void Push(lua_State* L, int v) {
  lua_pushinteger(L, v);
}
template <typename T, void (*Get)(T*, T*, T*, T*)>
int GetFourBody(lua_State* L, const char* fn) {
  NoArgAt(L, 1, fn);
  NeedCanvas(L);
  T v[4] = {0, 0, 0, 0};
  Get(&v[0], &v[1], &v[2], &v[3]);
  for (T x : v) Push(L, x);
  return 4;
}
int GetWindowBody(lua_State* L) {
  return GetFourBody<double, wdGetWindow>(L, "wdGetWindow");
}
int GetViewportBody(lua_State* L) {
  return GetFourBody<int, wdGetViewport>(L, "wdGetViewport");
}

int ViewportBody(lua_State* L) {
  const char* fn = "wdViewport";
  int v[4];
  for (int i = 0; i < 4; ++i) v[i] = Int(L, i + 1, fn, "viewport");
  NoArgAt(L, 5, fn);
  NeedCanvas(L);
  wdViewport(v[0], v[1], v[2], v[3]);
  return 0;
}

int World2CanvasBody(lua_State* L) {
  const char* fn = "wdWorld2Canvas";
  double v[2];
  Doubles(L, 1, 2, fn, "coordinate", v);
  NoArgAt(L, 3, fn);
  NeedCanvas(L);
  int x = 0, y = 0;
  wdWorld2Canvas(v[0], v[1], &x, &y);
  lua_pushinteger(L, x);
  lua_pushinteger(L, y);
  return 2;
}

int Canvas2WorldBody(lua_State* L) {
  const char* fn = "wdCanvas2World";
  int x = Int(L, 1, fn, "coordinate");
  int y = Int(L, 2, fn, "coordinate");
  NoArgAt(L, 3, fn);
  NeedCanvas(L);
  double wx = 0, wy = 0;
  wdCanvas2World(x, y, &wx, &wy);
  lua_pushnumber(L, wx);
  lua_pushnumber(L, wy);
  return 2;
}

int GetClipAreaBody(lua_State* L) {
  NoArgAt(L, 1, "wdGetClipArea");
  NeedCanvas(L);
  double v[4] = {0, 0, 0, 0};
  int mode = wdGetClipArea(&v[0], &v[1], &v[2], &v[3]);
  for (double x : v) lua_pushnumber(L, x);
  lua_pushinteger(L, mode);
  return 5;
}

int GetClipPolyBody(lua_State* L) {
  NoArgAt(L, 1, "wdGetClipPoly");
  NeedCanvas(L);
  int n = 0;
  double* points = wdGetClipPoly(&n);
  if (points == nullptr || n <= 0) {
    lua_pushnil(L);
    return 1;
  }
  if (!lua_checkstack(L, 2 * n + 1)) script::Raise("wdGetClipPoly", "stack overflow");
  lua_pushinteger(L, n);
  for (int i = 0; i < 2 * n; ++i) lua_pushnumber(L, points[i]);
  return 2 * n + 1;
}

// ---- primitives ----
int PixelBody(lua_State* L) {
  const char* fn = "wdPixel";
  double v[2];
  Doubles(L, 1, 2, fn, "coordinate", v);
  long color = Color(L, 3, fn);
  NoArgAt(L, 4, fn);
  NeedCanvas(L);
  wdPixel(v[0], v[1], color);
  return 0;
}

struct TwoDoubles {
  const char* name;
  void (*draw)(double, double);
};
const TwoDoubles kTwoDoubles[] = {{"wdMark", wdMark}, {"wdVertex", wdVertex}};
template <int I>
int TwoDoublesBody(lua_State* L) {
  const TwoDoubles& f = kTwoDoubles[I];
  double v[2];
  Doubles(L, 1, 2, f.name, "coordinate", v);
  NoArgAt(L, 3, f.name);
  NeedCanvas(L);
  f.draw(v[0], v[1]);
  return 0;
}

struct FourDoubles {
  const char* name;
  const char* what; /* the word of the "invalid ... parameter" message */
  void (*draw)(double, double, double, double);
};
const FourDoubles kFourDoubles[] = {{"wdLine", "coordinate", wdLine},
                                    {"wdRect", "coordinate", wdRect},
                                    {"wdBox", "coordinate", wdBox},
                                    {"wdVectorTextDirection", "coordinate", wdVectorTextDirection},
                                    {"wdWindow", "window", wdWindow},
                                    {"wdClipArea", "clip area", wdClipArea}};
template <int I>
int FourDoublesBody(lua_State* L) {
  const FourDoubles& f = kFourDoubles[I];
  double v[4];
  Doubles(L, 1, 4, f.name, f.what, v);
  NoArgAt(L, 5, f.name);
  NeedCanvas(L);
  f.draw(v[0], v[1], v[2], v[3]);
  return 0;
}

template <void (*Draw)(double, double, double, double, double, double)>
int ArcLikeBody(lua_State* L, const char* fn) {
  double v[6];
  Doubles(L, 1, 6, fn, "arc", v);
  NoArgAt(L, 7, fn);
  NeedCanvas(L);
  Draw(v[0], v[1], v[2], v[3], v[4], v[5]);
  return 0;
}
int ArcBody(lua_State* L) {
  return ArcLikeBody<wdArc>(L, "wdArc");
}
int SectorBody(lua_State* L) {
  return ArcLikeBody<wdSector>(L, "wdSector");
}

template <void (*Draw)(double, double, const char*)>
int TextLikeBody(lua_State* L, const char* fn, const char* what = "coordinate") {
  double v[2];
  Doubles(L, 1, 2, fn, what, v);
  const char* s = String(L, 3, fn, "text");
  NoArgAt(L, 4, fn);
  NeedCanvas(L);
  Draw(v[0], v[1], s);
  return 0;
}
int TextBody(lua_State* L) {
  return TextLikeBody<wdText>(L, "wdText");
}
int VectorTextBody(lua_State* L) {
  return TextLikeBody<wdVectorText>(L, "wdVectorText");
}
int MultiLineVectorTextBody(lua_State* L) {
  return TextLikeBody<wdMultiLineVectorText>(L, "wdMultiLineVectorText");
}

// ---- sizes ----
template <double (*Setter)(double)>
int DoubleSetterBody(lua_State* L, const char* fn, const char* what) {
  double v = Number(L, 1, fn, what);
  NoArgAt(L, 2, fn);
  NeedCanvas(L);
  lua_pushnumber(L, Setter(v));
  return 1;
}
int LineWidthBody(lua_State* L) {
  return DoubleSetterBody<wdLineWidth>(L, "wdLineWidth", "width");
}
int MarkSizeBody(lua_State* L) {
  return DoubleSetterBody<wdMarkSize>(L, "wdMarkSize", "size");
}
int VectorCharSizeBody(lua_State* L) {
  return DoubleSetterBody<wdVectorCharSize>(L, "wdVectorCharSize", "size");
}

int FontBody(lua_State* L) {
  const char* fn = "wdFont";
  int face = Int(L, 1, fn, "type face");
  int style = Int(L, 2, fn, "style");
  double size = Number(L, 3, fn, "size");
  NoArgAt(L, 4, fn);
  NeedCanvas(L);
  wdFont(face, style, size);
  return 0;
}

int VectorTextSizeBody(lua_State* L) {
  return TextLikeBody<wdVectorTextSize>(L, "wdVectorTextSize", "size");
}

// The size of a text: wdGetVectorTextSize, wdTextSize.
template <void (*Measure)(const char*, double*, double*)>
int MeasureBody(lua_State* L, const char* fn) {
  const char* s = String(L, 1, fn, "text");
  NoArgAt(L, 2, fn);
  NeedCanvas(L);
  double w = 0, h = 0;
  Measure(s, &w, &h);
  lua_pushnumber(L, w);
  lua_pushnumber(L, h);
  return 2;
}
int GetVectorTextSizeBody(lua_State* L) {
  return MeasureBody<wdGetVectorTextSize>(L, "wdGetVectorTextSize");
}

// ---- metrics ----
int FontDimBody(lua_State* L) {
  return GetFourBody<double, wdFontDim>(L, "wdFontDim");
}

int TextSizeBody(lua_State* L) {
  return MeasureBody<wdTextSize>(L, "wdTextSize");
}

int TextBoxBody(lua_State* L) {
  const char* fn = "wdTextBox";
  double p[2];
  Doubles(L, 1, 2, fn, "coordinate", p);
  const char* s = String(L, 3, fn, "text");
  NoArgAt(L, 4, fn);
  NeedCanvas(L);
  double v[4] = {0, 0, 0, 0};
  wdTextBox(p[0], p[1], s, &v[0], &v[1], &v[2], &v[3]);
  for (double x : v) lua_pushnumber(L, x);
  return 4;
}

// ---- fills sized in millimetres ----
template <typename Cell, Cell* (*Live)(lua_State*, int, const char*), typename Value,
          void (*Set)(int, int, const Value*, double, double)>
int FillBody(lua_State* L, const char* fn) {
  Cell* fill = Live(L, 1, fn);
  double mm[2];
  Doubles(L, 2, 2, fn, "size", mm);
  NoArgAt(L, 4, fn);
  NeedCanvas(L);
  Set(fill->w, fill->h, fill->data, mm[0], mm[1]);
  return 0;
}
int StippleBody(lua_State* L) {
  return FillBody<StippleCell, LiveStipple, unsigned char, wdStipple>(L, "wdStipple");
}
int PatternBody(lua_State* L) {
  return FillBody<PatternCell, LivePattern, long, wdPattern>(L, "wdPattern");
}

// ---- images: position and size in world units, the rectangle in pixels ----
void WorldTarget(lua_State* L, int n, const char* fn, double t[4]) {
  Doubles(L, n, 2, fn, "coordinate", t);
  for (int i = 2; i < 4; ++i) {
    t[i] = Number(L, n + i, fn, "target region");
    if (!(t[i] >= 0)) script::Raise(fn, "target region dimensions should be positive");
  }
}
void SourceRect(lua_State* L, int n, const char* fn, int r[4]) {
  for (int i = 0; i < 4; ++i) r[i] = Int(L, n + i, fn, "image rectangle");
}

// wdPutImageRectRGB, wdPutImageRectRGBA
template <bool kAlpha>
int PutImageRectRGBLikeBody(lua_State* L) {
  const char* fn = kAlpha ? "wdPutImageRectRGBA" : "wdPutImageRectRGB";
  imlua::ImageRGB* image = kAlpha ? LiveImageRGBA(L, 1, fn) : LiveImageRGB(L, 1, fn);
  double t[4];
  int r[4];
  WorldTarget(L, 2, fn, t);
  SourceRect(L, 6, fn, r);
  NoArgAt(L, 10, fn);
  NeedCanvas(L);
  PutRGBLike<double>(image, kAlpha, t, r, wdPutImageRectRGB, wdPutImageRectRGBA);
  return 0;
}

int PutImageRectMapBody(lua_State* L) {
  const char* fn = "wdPutImageRectMap";
  imlua::ImageMap* map = LiveImageMap(L, 1, fn);
  imlua::Palette* palette = LivePalette(L, 2, fn);
  double t[4];
  int r[4];
  WorldTarget(L, 3, fn, t);
  SourceRect(L, 7, fn, r);
  NoArgAt(L, 11, fn);
  NeedCanvas(L);
  std::vector<long> colors = ColorTable(palette);
  wdPutImageRectMap(map->width, map->height, map->data.get(), colors.data(), t[0], t[1], t[2], t[3],
                    r[0], r[1], r[2], r[3]);
  return 0;
}

int PutImageRectBody(lua_State* L) {
  const char* fn = "wdPutImageRect";
  cdImage* image = LiveImage(L, 1, fn);
  double p[2];
  Doubles(L, 2, 2, fn, "coordinate", p);
  int r[4];
  SourceRect(L, 4, fn, r);
  NoArgAt(L, 8, fn);
  NeedCanvas(L);
  wdPutImageRect(image, p[0], p[1], r[0], r[1], r[2], r[3]);
  return 0;
}

int PutImageExBody(lua_State* L) {
  const char* fn = "wdPutImageEx";
  if (!script::HasArg(L, 1) || lua_isnil(L, 1))
    script::RaiseMessage("wdPutImageEx: attempt to put NIL image");
  cdImageEx* image = LiveImageEx(L, 1, fn);
  double t[4];
  WorldTarget(L, 2, fn, t);
  NoArgAt(L, 6, fn);
  NeedCanvas(L);
  wdPutImageEx(image, t[0], t[1], t[2], t[3]);
  return 0;
}

// ---- hardcopy: the draw function is a script function, called protected ----
lua_State* g_hardcopy_L = nullptr;
int g_hardcopy_ref = LUA_NOREF;

void HardcopyDraw() {
  lua_State* L = g_hardcopy_L;
  if (L == nullptr || !lua_checkstack(L, 2)) return;
  lua_rawgeti(L, LUA_REGISTRYINDEX, g_hardcopy_ref);
  script::ReportingCall(L, 0, 0);  // a script error is reported; the copy goes on
}

int HardcopyBody(lua_State* L) {
  const char* fn = "wdHardcopy";
  int driver = DriverArg(L, 1, fn);
  const cdDriverEntry* entry = DriverAt(driver);
  cdCanvasHandle canvas = LiveCanvas(L, 3, fn, "use");
  if (!script::HasArg(L, 4) || !lua_isfunction(L, 4))
    script::Raise(fn, "invalid draw function parameter");
  NoArgAt(L, 5, fn);
  if (g_hardcopy_L != nullptr) script::Raise(fn, "a hardcopy is already in progress");
  void* data = DriverData(L, 2, entry);
  cdDriver* context = entry->driver;
  if (context == nullptr) {
    lua_pushinteger(L, CD_ERROR);
    return 1;
  }
  lua_pushvalue(L, 4);
  g_hardcopy_ref = luaL_ref(L, LUA_REGISTRYINDEX);
  g_hardcopy_L = L;
  int result = wdHardcopy(context, data, canvas, HardcopyDraw);
  g_hardcopy_L = nullptr;
  luaL_unref(L, LUA_REGISTRYINDEX, g_hardcopy_ref);
  g_hardcopy_ref = LUA_NOREF;
  lua_pushinteger(L, result);
  return 1;
}

const luaL_Reg kFunctions[] = {
    {"wdWindow", script::Guarded<FourDoublesBody<4>>},
    {"wdGetWindow", script::Guarded<GetWindowBody>},
    {"wdViewport", script::Guarded<ViewportBody>},
    {"wdGetViewport", script::Guarded<GetViewportBody>},
    {"wdWorld2Canvas", script::Guarded<World2CanvasBody>},
    {"wdCanvas2World", script::Guarded<Canvas2WorldBody>},
    {"wdClipArea", script::Guarded<FourDoublesBody<5>>},
    {"wdGetClipArea", script::Guarded<GetClipAreaBody>},
    {"wdGetClipPoly", script::Guarded<GetClipPolyBody>},
    {"wdPixel", script::Guarded<PixelBody>},
    {"wdMark", script::Guarded<TwoDoublesBody<0>>},
    {"wdVertex", script::Guarded<TwoDoublesBody<1>>},
    {"wdLine", script::Guarded<FourDoublesBody<0>>},
    {"wdRect", script::Guarded<FourDoublesBody<1>>},
    {"wdBox", script::Guarded<FourDoublesBody<2>>},
    {"wdVectorTextDirection", script::Guarded<FourDoublesBody<3>>},
    {"wdArc", script::Guarded<ArcBody>},
    {"wdSector", script::Guarded<SectorBody>},
    {"wdText", script::Guarded<TextBody>},
    {"wdVectorText", script::Guarded<VectorTextBody>},
    {"wdMultiLineVectorText", script::Guarded<MultiLineVectorTextBody>},
    {"wdLineWidth", script::Guarded<LineWidthBody>},
    {"wdMarkSize", script::Guarded<MarkSizeBody>},
    {"wdVectorCharSize", script::Guarded<VectorCharSizeBody>},
    {"wdFont", script::Guarded<FontBody>},
    {"wdVectorTextSize", script::Guarded<VectorTextSizeBody>},
    {"wdGetVectorTextSize", script::Guarded<GetVectorTextSizeBody>},
    {"wdFontDim", script::Guarded<FontDimBody>},
    {"wdTextSize", script::Guarded<TextSizeBody>},
    {"wdTextBox", script::Guarded<TextBoxBody>},
    {"wdStipple", script::Guarded<StippleBody>},
    {"wdPattern", script::Guarded<PatternBody>},
    {"wdPutImageRectRGB", script::Guarded<PutImageRectRGBLikeBody<false>>},
    {"wdPutImageRectRGBA", script::Guarded<PutImageRectRGBLikeBody<true>>},
    {"wdPutImageRectMap", script::Guarded<PutImageRectMapBody>},
    {"wdPutImageRect", script::Guarded<PutImageRectBody>},
    {"wdPutImageEx", script::Guarded<PutImageExBody>},
    {"wdHardcopy", script::Guarded<HardcopyBody>},
    {nullptr, nullptr},
};

}  // namespace

void RegisterWorldFunctions(lua_State* L) {
  Register(L, kFunctions);
}

}  // namespace cdlua
