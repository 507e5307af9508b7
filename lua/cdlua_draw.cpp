// Drawing on the active canvas from scripts: colours, surface queries,
// clipping, primitives, attributes, text and vector text in device pixels.
#include <cmath>
#include <cstring>
#include <new>
#include <vector>
#include <string>

#include "cdlua_internal.h"
#include "vectortext.h"

namespace cdlua {
namespace {

using script::NoArgAt;

// ---- colours ----
int EncodeColorBody(lua_State* L) {
  const char* fn = "cdEncodeColor";
  unsigned char c[3];
  for (int i = 0; i < 3; ++i) c[i] = script::ColorComponentArg(L, i + 1, fn);
  NoArgAt(L, 4, fn);
  PushColor(L, cdEncodeColor(c[0], c[1], c[2]));
  return 1;
}

int DecodeColorBody(lua_State* L) {
  const char* fn = "cdDecodeColor";
  long color = Color(L, 1, fn);
  NoArgAt(L, 2, fn);
  unsigned char r = 0, g = 0, b = 0;
  cdDecodeColor(color, &r, &g, &b);
  lua_pushinteger(L, r);
  lua_pushinteger(L, g);
  lua_pushinteger(L, b);
  return 3;
}

template <int Shift>
int ComponentBody(lua_State* L) {
  static const char* const names[] = {"cdBlue", "cdGreen", "cdRed", "cdReserved"};
  const char* fn = names[Shift / 8];
  long color = Color(L, 1, fn);
  NoArgAt(L, 2, fn);
  lua_pushinteger(L, (static_cast<unsigned long>(color) >> Shift) & 0xFF);
  return 1;
}

// ---- colour setters ----
template <long (*Setter)(long)>
int ColorSetterBody(lua_State* L, const char* fn) {
  long color = ColorOrQuery(L, 1, fn);
  NoArgAt(L, 2, fn);
  NeedCanvas(L);
  PushColor(L, Setter(color));
  return 1;
}
int ForegroundBody(lua_State* L) {
  return ColorSetterBody<cdForeground>(L, "cdForeground");
}
int BackgroundBody(lua_State* L) {
  return ColorSetterBody<cdBackground>(L, "cdBackground");
}

// ---- int setters: one number in, the previous value out ----
struct IntSetter {
  const char* name;
  const char* what;
  int (*setter)(int);
};
const IntSetter kIntSetters[] = {
    {"cdBackOpacity", "opacity", cdBackOpacity},
    {"cdWriteMode", "mode", cdWriteMode},
    {"cdLineStyle", "style", cdLineStyle},
    {"cdLineWidth", "width", cdLineWidth},
    {"cdInteriorStyle", "style", cdInteriorStyle},
    {"cdHatch", "style", cdHatch},
    {"cdTextAlignment", "alignment", cdTextAlignment},
    {"cdMarkType", "type", cdMarkType},
    {"cdMarkSize", "size", cdMarkSize},
    {"cdClip", "mode", cdClip},
    {"wdClip", "mode", cdClip},
    {"cdSimulate", "mode", cdSimulate},
    {"cdVectorCharSize", "size", cdVectorCharSize},
};
template <int I>
int IntSetterBody(lua_State* L) {
  const IntSetter& s = kIntSetters[I];
  int value = Int(L, 1, s.name, s.what);
  NoArgAt(L, 2, s.name);
  NeedCanvas(L);
  lua_pushinteger(L, s.setter(value));
  return 1;
}

int TextOrientationBody(lua_State* L) {
  const char* fn = "cdTextOrientation";
  double angle = Number(L, 1, fn, "angle");
  NoArgAt(L, 2, fn);
  NeedCanvas(L);
  lua_pushnumber(L, cdTextOrientation(angle));
  return 1;
}

int FontBody(lua_State* L) {
  const char* fn = "cdFont";
  int face = Int(L, 1, fn, "type face");
  int style = Int(L, 2, fn, "style");
  int size = Int(L, 3, fn, "size");
  NoArgAt(L, 4, fn);
  NeedCanvas(L);
  cdFont(face, style, size);
  return 0;
}

int GetFontBody(lua_State* L) {
  NoArgAt(L, 1, "cdGetFont");
  NeedCanvas(L);
  int face = 0, style = 0, size = 0;
  cdGetFont(&face, &style, &size);
  lua_pushinteger(L, face);
  lua_pushinteger(L, style);
  lua_pushinteger(L, size);
  return 3;
}

int NativeFontBody(lua_State* L) {
  const char* fn = "cdNativeFont";
  const char* font = String(L, 1, fn, "font");
  NoArgAt(L, 2, fn);
  NeedCanvas(L);
  lua_pushstring(L, cdNativeFont(font));
  return 1;
}

int StippleBody(lua_State* L) {
  const char* fn = "cdStipple";
  StippleCell* s = LiveStipple(L, 1, fn);
  NoArgAt(L, 2, fn);
  NeedCanvas(L);
  cdStipple(s->w, s->h, s->data);
  return 0;
}

int PatternBody(lua_State* L) {
  const char* fn = "cdPattern";
  PatternCell* p = LivePattern(L, 1, fn);
  NoArgAt(L, 2, fn);
  NeedCanvas(L);
  cdPattern(p->w, p->h, p->data);
  return 0;
}

int GetStippleBody(lua_State* L) {
  NoArgAt(L, 1, "cdGetStipple");
  NeedCanvas(L);
  StippleCell* cell = PushStipple(L);
  int w = 0, h = 0;
  unsigned char* data = cdGetStipple(&w, &h);
  if (data == nullptr || w <= 0 || h <= 0) {
    lua_pushnil(L);
    return 1;
  }
  long long size = static_cast<long long>(w) * h;
  cell->data = new (std::nothrow) unsigned char[static_cast<std::size_t>(size)];
  if (cell->data == nullptr) {
    lua_pushnil(L);
    return 1;
  }
  std::memcpy(cell->data, data, static_cast<std::size_t>(size));
  cell->w = w;
  cell->h = h;
  cell->size = size;
  return 1;
}

int GetPatternBody(lua_State* L) {
  NoArgAt(L, 1, "cdGetPattern");
  NeedCanvas(L);
  PatternCell* cell = PushPattern(L);
  int w = 0, h = 0;
  long* data = cdGetPattern(&w, &h);
  if (data == nullptr || w <= 0 || h <= 0) {
    lua_pushnil(L);
    return 1;
  }
  long long size = static_cast<long long>(w) * h;
  cell->data = new (std::nothrow) long[static_cast<std::size_t>(size)];
  if (cell->data == nullptr) {
    lua_pushnil(L);
    return 1;
  }
  std::memcpy(cell->data, data, static_cast<std::size_t>(size) * sizeof(long));
  cell->w = w;
  cell->h = h;
  cell->size = size;
  return 1;
}

int PaletteBody(lua_State* L) {
  const char* fn = "cdPalette";
  imlua::Palette* palette = LivePalette(L, 1, fn);
  int mode = Int(L, 2, fn, "mode");
  NoArgAt(L, 3, fn);
  NeedCanvas(L);
  std::vector<long> colors(palette->colors.get(), palette->colors.get() + palette->size);
  cdPalette(palette->size, colors.data(), mode);
  return 0;
}

// ---- surface ----
int FlushBody(lua_State* L) {
  NoArgAt(L, 1, "cdFlush");
  NeedCanvas(L);
  cdFlush();
  return 0;
}
int ClearBody(lua_State* L) {
  NoArgAt(L, 1, "cdClear");
  NeedCanvas(L);
  cdClear();
  return 0;
}

int GetCanvasSizeBody(lua_State* L) {
  NoArgAt(L, 1, "cdGetCanvasSize");
  NeedCanvas(L);
  int w = 0, h = 0;
  double w_mm = 0, h_mm = 0;
  cdGetCanvasSize(&w, &h, &w_mm, &h_mm);
  lua_pushinteger(L, w);
  lua_pushinteger(L, h);
  lua_pushnumber(L, w_mm);
  lua_pushnumber(L, h_mm);
  return 4;
}

int GetColorPlanesBody(lua_State* L) {
  NoArgAt(L, 1, "cdGetColorPlanes");
  NeedCanvas(L);
  lua_pushinteger(L, cdGetColorPlanes());
  return 1;
}

int MM2PixelBody(lua_State* L) {
  const char* fn = "cdMM2Pixel";
  double mx = Number(L, 1, fn, "mm_dx");
  double my = Number(L, 2, fn, "mm_dy");
  NoArgAt(L, 3, fn);
  NeedCanvas(L);
  int dx = 0, dy = 0;
  cdMM2Pixel(mx, my, &dx, &dy);
  lua_pushinteger(L, dx);
  lua_pushinteger(L, dy);
  return 2;
}

int Pixel2MMBody(lua_State* L) {
  const char* fn = "cdPixel2MM";
  int dx = Int(L, 1, fn, "dx");
  int dy = Int(L, 2, fn, "dy");
  NoArgAt(L, 3, fn);
  NeedCanvas(L);
  double mx = 0, my = 0;
  cdPixel2MM(dx, dy, &mx, &my);
  lua_pushnumber(L, mx);
  lua_pushnumber(L, my);
  return 2;
}

int OriginBody(lua_State* L) {
  const char* fn = "cdOrigin";
  int x = Int(L, 1, fn, "x");
  int y = Int(L, 2, fn, "y");
  NoArgAt(L, 3, fn);
  NeedCanvas(L);
  cdOrigin(x, y);
  return 0;
}

int UpdateYAxisBody(lua_State* L) {
  const char* fn = "cdUpdateYAxis";
  int y = Int(L, 1, fn, "y");
  NoArgAt(L, 2, fn);
  NeedCanvas(L);
  cdUpdateYAxis(&y);
  lua_pushinteger(L, y);
  return 1;
}

int Canvas2RasterBody(lua_State* L) {
  const char* fn = "cdCanvas2Raster";
  int x = Int(L, 1, fn, "x");
  int y = Int(L, 2, fn, "y");
  NoArgAt(L, 3, fn);
  NeedCanvas(L);
  cdCanvas2Raster(&x, &y);
  lua_pushinteger(L, x);
  lua_pushinteger(L, y);
  return 2;
}

// ---- clipping ----
int ClipAreaBody(lua_State* L) {
  const char* fn = "cdClipArea";
  int v[4];
  for (int i = 0; i < 4; ++i) v[i] = Int(L, i + 1, fn, "clip area");
  NoArgAt(L, 5, fn);
  NeedCanvas(L);
  cdClipArea(v[0], v[1], v[2], v[3]);
  return 0;
}

int GetClipAreaBody(lua_State* L) {
  NoArgAt(L, 1, "cdGetClipArea");
  NeedCanvas(L);
  int v[4] = {0, 0, 0, 0};
  int mode = cdGetClipArea(&v[0], &v[1], &v[2], &v[3]);
  for (int x : v) lua_pushinteger(L, x);
  lua_pushinteger(L, mode);
  return 5;
}

// n followed by the 2n coordinates, or nil.
int GetClipPolyBody(lua_State* L) {
  NoArgAt(L, 1, "cdGetClipPoly");
  NeedCanvas(L);
  int n = 0;
  int* points = cdGetClipPoly(&n);
  if (points == nullptr || n <= 0) {
    lua_pushnil(L);
    return 1;
  }
  if (!lua_checkstack(L, 2 * n + 1)) script::Raise("cdGetClipPoly", "stack overflow");
  lua_pushinteger(L, n);
  for (int i = 0; i < 2 * n; ++i) lua_pushinteger(L, points[i]);
  return 2 * n + 1;
}

// ---- primitives ----
int PixelBody(lua_State* L) {
  const char* fn = "cdPixel";
  double x = Number(L, 1, fn, "x");
  double y = Number(L, 2, fn, "y");
  if (x != std::trunc(x) || y != std::trunc(y))
    script::Raise(fn, "pixel coordinates should be integers");
  long color = Color(L, 3, fn);
  NoArgAt(L, 4, fn);
  NeedCanvas(L);
  cdPixel(script::TruncateToInt(x), script::TruncateToInt(y), color);
  return 0;
}

int MarkBody(lua_State* L) {
  const char* fn = "cdMark";
  int x = Int(L, 1, fn, "x");
  int y = Int(L, 2, fn, "y");
  NoArgAt(L, 3, fn);
  NeedCanvas(L);
  cdMark(x, y);
  return 0;
}

struct FourInts {
  const char* name;
  void (*draw)(int, int, int, int);
};
const FourInts kFourInts[] = {
    {"cdLine", cdLine},
    {"cdRect", cdRect},
    {"cdBox", cdBox},
};
template <int I>
int FourIntsBody(lua_State* L) {
  const FourInts& f = kFourInts[I];
  int v[4];
  for (int i = 0; i < 4; ++i) v[i] = Int(L, i + 1, f.name, "coordinate");
  NoArgAt(L, 5, f.name);
  NeedCanvas(L);
  f.draw(v[0], v[1], v[2], v[3]);
  return 0;
}

template <void (*Draw)(int, int, int, int, double, double)>
int ArcLikeBody(lua_State* L, const char* fn) {
  int xc = Int(L, 1, fn, "xc");
  int yc = Int(L, 2, fn, "yc");
  int w = Int(L, 3, fn, "w");
  int h = Int(L, 4, fn, "h");
  double a1 = Number(L, 5, fn, "angle1");
  double a2 = Number(L, 6, fn, "angle2");
  NoArgAt(L, 7, fn);
  NeedCanvas(L);
  Draw(xc, yc, w, h, a1, a2);
  return 0;
}
int ArcBody(lua_State* L) {
  return ArcLikeBody<cdArc>(L, "cdArc");
}
int SectorBody(lua_State* L) {
  return ArcLikeBody<cdSector>(L, "cdSector");
}

template <void (*Draw)(int, int, const char*)>
int TextLikeBody(lua_State* L, const char* fn) {
  int x = Int(L, 1, fn, "x");
  int y = Int(L, 2, fn, "y");
  const char* s = String(L, 3, fn, "text");
  NoArgAt(L, 4, fn);
  NeedCanvas(L);
  Draw(x, y, s);
  return 0;
}
int TextBody(lua_State* L) {
  return TextLikeBody<cdText>(L, "cdText");
}
int VectorTextBody(lua_State* L) {
  return TextLikeBody<cdVectorText>(L, "cdVectorText");
}
int MultiLineVectorTextBody(lua_State* L) {
  return TextLikeBody<cdMultiLineVectorText>(L, "cdMultiLineVectorText");
}

int BeginBody(lua_State* L) {
  const char* fn = "cdBegin";
  int mode = Int(L, 1, fn, "mode");
  NoArgAt(L, 2, fn);
  NeedCanvas(L);
  cdBegin(mode);
  return 0;
}
int VertexBody(lua_State* L) {
  const char* fn = "cdVertex";
  int x = Int(L, 1, fn, "x");
  int y = Int(L, 2, fn, "y");
  NoArgAt(L, 3, fn);
  NeedCanvas(L);
  cdVertex(x, y);
  return 0;
}
int EndBody(lua_State* L) {
  NoArgAt(L, 1, "cdEnd");
  NeedCanvas(L);
  cdEnd();
  return 0;
}

int ScrollAreaBody(lua_State* L) {
  const char* fn = "cdScrollArea";
  int v[6];
  for (int i = 0; i < 6; ++i) v[i] = Int(L, i + 1, fn, "scroll area");
  NoArgAt(L, 7, fn);
  NeedCanvas(L);
  cdScrollArea(v[0], v[1], v[2], v[3], v[4], v[5]);
  return 0;
}

// ---- text metrics ----
int FontDimBody(lua_State* L) {
  NoArgAt(L, 1, "cdFontDim");
  NeedCanvas(L);
  int v[4] = {0, 0, 0, 0};
  cdFontDim(&v[0], &v[1], &v[2], &v[3]);
  for (int x : v) lua_pushinteger(L, x);
  return 4;
}

int TextSizeBody(lua_State* L) {
  const char* fn = "cdTextSize";
  const char* s = String(L, 1, fn, "text");
  NoArgAt(L, 2, fn);
  NeedCanvas(L);
  int w = 0, h = 0;
  cdTextSize(s, &w, &h);
  lua_pushinteger(L, w);
  lua_pushinteger(L, h);
  return 2;
}

int TextBoxBody(lua_State* L) {
  const char* fn = "cdTextBox";
  int x = Int(L, 1, fn, "x");
  int y = Int(L, 2, fn, "y");
  const char* s = String(L, 3, fn, "text");
  NoArgAt(L, 4, fn);
  NeedCanvas(L);
  int v[4] = {0, 0, 0, 0};
  cdTextBox(x, y, s, &v[0], &v[1], &v[2], &v[3]);
  for (int r : v) lua_pushinteger(L, r);
  return 4;
}

// ---- vector text ----
int VectorFontBody(lua_State* L) {
  const char* fn = "cdVectorFont";
  const char* file = nullptr;
  if (script::HasArg(L, 1) && !lua_isnil(L, 1)) file = String(L, 1, fn, "file name");
  NoArgAt(L, 2, fn);
  NeedCanvas(L);
  const char* name = cdVectorFont(file);
  if (name == nullptr) {
    lua_pushnil(L);
  } else {
    lua_pushstring(L, name);
  }
  return 1;
}

int VectorTextDirectionBody(lua_State* L) {
  const char* fn = "cdVectorTextDirection";
  int v[4];
  for (int i = 0; i < 4; ++i) v[i] = Int(L, i + 1, fn, "direction");
  NoArgAt(L, 5, fn);
  NeedCanvas(L);
  cdVectorTextDirection(v[0], v[1], v[2], v[3]);
  return 0;
}

// A table of six numbers (m[1] .. m[6]), or nil to clear.
int VectorTextTransformBody(lua_State* L) {
  const char* fn = "cdVectorTextTransform";
  bool clear = !script::HasArg(L, 1) || lua_isnil(L, 1);
  double matrix[6] = {0, 0, 0, 0, 0, 0};
  if (!clear) {
    if (!lua_istable(L, 1)) script::Raise(fn, "invalid table parameter");
    for (int i = 0; i < 6; ++i) {
      script::StackMark mark(L);
      script::Value v = script::GetElement(L, 1, i + 1);
      if (!lua_isnumber(L, v)) script::Raise(fn, "invalid value");
      matrix[i] = lua_tonumber(L, v);
    }
  }
  NoArgAt(L, 2, fn);
  NeedCanvas(L);
  cdVectorTextTransform(clear ? nullptr : matrix);
  return 0;
}

int VectorTextSizeBody(lua_State* L) {
  const char* fn = "cdVectorTextSize";
  int w = Int(L, 1, fn, "width");
  int h = Int(L, 2, fn, "height");
  const char* s = String(L, 3, fn, "text");
  NoArgAt(L, 4, fn);
  NeedCanvas(L);
  cdVectorTextSize(w, h, s);
  return 0;
}

int GetVectorTextSizeBody(lua_State* L) {
  const char* fn = "cdGetVectorTextSize";
  const char* s = String(L, 1, fn, "text");
  NoArgAt(L, 2, fn);
  NeedCanvas(L);
  int w = 0, h = 0;
  cdGetVectorTextSize(s, &w, &h);
  lua_pushinteger(L, w);
  lua_pushinteger(L, h);
  return 2;
}

// ---- driver attributes ----
int SetAttributeBody(lua_State* L) {
  const char* fn = "cdSetAttribute";
  const char* name = String(L, 1, fn, "name");
  const char* data = nullptr;
  if (script::HasArg(L, 2) && !lua_isnil(L, 2)) data = String(L, 2, fn, "data");
  NoArgAt(L, 3, fn);
  NeedCanvas(L);
  std::string copy = data != nullptr ? data : "";
  cdSetAttribute(name, data != nullptr ? copy.data() : nullptr);
  return 0;
}

int GetAttributeBody(lua_State* L) {
  const char* fn = "cdGetAttribute";
  const char* name = String(L, 1, fn, "name");
  NoArgAt(L, 2, fn);
  NeedCanvas(L);
  const char* value = cdGetAttribute(name);
  if (value == nullptr) {
    lua_pushnil(L);
  } else {
    lua_pushstring(L, value);
  }
  return 1;
}

int VersionBody(lua_State* L) {
  NoArgAt(L, 1, "cdVersion");
  std::string text = std::string("CDLua 1.3, ") + cdVersion();
  lua_pushstring(L, text.c_str());
  return 1;
}

const luaL_Reg kFunctions[] = {
    {"cdEncodeColor", script::Guarded<EncodeColorBody>},
    {"cdDecodeColor", script::Guarded<DecodeColorBody>},
    {"cdBlue", script::Guarded<ComponentBody<0>>},
    {"cdGreen", script::Guarded<ComponentBody<8>>},
    {"cdRed", script::Guarded<ComponentBody<16>>},
    {"cdReserved", script::Guarded<ComponentBody<24>>},
    {"cdForeground", script::Guarded<ForegroundBody>},
    {"cdBackground", script::Guarded<BackgroundBody>},
    {"cdBackOpacity", script::Guarded<IntSetterBody<0>>},
    {"cdWriteMode", script::Guarded<IntSetterBody<1>>},
    {"cdLineStyle", script::Guarded<IntSetterBody<2>>},
    {"cdLineWidth", script::Guarded<IntSetterBody<3>>},
    {"cdInteriorStyle", script::Guarded<IntSetterBody<4>>},
    {"cdHatch", script::Guarded<IntSetterBody<5>>},
    {"cdTextAlignment", script::Guarded<IntSetterBody<6>>},
    {"cdMarkType", script::Guarded<IntSetterBody<7>>},
    {"cdMarkSize", script::Guarded<IntSetterBody<8>>},
    {"cdClip", script::Guarded<IntSetterBody<9>>},
    {"wdClip", script::Guarded<IntSetterBody<10>>},
    {"cdSimulate", script::Guarded<IntSetterBody<11>>},
    {"cdVectorCharSize", script::Guarded<IntSetterBody<12>>},
    {"cdTextOrientation", script::Guarded<TextOrientationBody>},
    {"cdFont", script::Guarded<FontBody>},
    {"cdGetFont", script::Guarded<GetFontBody>},
    {"cdNativeFont", script::Guarded<NativeFontBody>},
    {"cdStipple", script::Guarded<StippleBody>},
    {"cdPattern", script::Guarded<PatternBody>},
    {"cdGetStipple", script::Guarded<GetStippleBody>},
    {"cdGetPattern", script::Guarded<GetPatternBody>},
    {"cdPalette", script::Guarded<PaletteBody>},
    {"cdFlush", script::Guarded<FlushBody>},
    {"cdClear", script::Guarded<ClearBody>},
    {"cdGetCanvasSize", script::Guarded<GetCanvasSizeBody>},
    {"cdGetColorPlanes", script::Guarded<GetColorPlanesBody>},
    {"cdMM2Pixel", script::Guarded<MM2PixelBody>},
    {"cdPixel2MM", script::Guarded<Pixel2MMBody>},
    {"cdOrigin", script::Guarded<OriginBody>},
    {"cdUpdateYAxis", script::Guarded<UpdateYAxisBody>},
    {"cdCanvas2Raster", script::Guarded<Canvas2RasterBody>},
    {"cdClipArea", script::Guarded<ClipAreaBody>},
    {"cdGetClipArea", script::Guarded<GetClipAreaBody>},
    {"cdGetClipPoly", script::Guarded<GetClipPolyBody>},
    {"cdPixel", script::Guarded<PixelBody>},
    {"cdMark", script::Guarded<MarkBody>},
    {"cdLine", script::Guarded<FourIntsBody<0>>},
    {"cdRect", script::Guarded<FourIntsBody<1>>},
    {"cdBox", script::Guarded<FourIntsBody<2>>},
    {"cdArc", script::Guarded<ArcBody>},
    {"cdSector", script::Guarded<SectorBody>},
    {"cdText", script::Guarded<TextBody>},
    {"cdBegin", script::Guarded<BeginBody>},
    {"cdVertex", script::Guarded<VertexBody>},
    {"cdEnd", script::Guarded<EndBody>},
    {"cdScrollArea", script::Guarded<ScrollAreaBody>},
    {"cdFontDim", script::Guarded<FontDimBody>},
    {"cdTextSize", script::Guarded<TextSizeBody>},
    {"cdTextBox", script::Guarded<TextBoxBody>},
    {"cdVectorFont", script::Guarded<VectorFontBody>},
    {"cdVectorTextDirection", script::Guarded<VectorTextDirectionBody>},
    {"cdVectorTextTransform", script::Guarded<VectorTextTransformBody>},
    {"cdVectorTextSize", script::Guarded<VectorTextSizeBody>},
    {"cdGetVectorTextSize", script::Guarded<GetVectorTextSizeBody>},
    {"cdVectorText", script::Guarded<VectorTextBody>},
    {"cdMultiLineVectorText", script::Guarded<MultiLineVectorTextBody>},
    {"cdSetAttribute", script::Guarded<SetAttributeBody>},
    {"cdGetAttribute", script::Guarded<GetAttributeBody>},
    {"cdVersion", script::Guarded<VersionBody>},
    {nullptr, nullptr},
};

}  // namespace

void RegisterDrawFunctions(lua_State* L) {
  Register(L, kFunctions);
}

}  // namespace cdlua
