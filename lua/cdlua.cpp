// Opening the canvas binding: the object kinds and their tag numbers (the
// colour and image kinds shared with the image binding), the functions, the
// driver numbers, the void canvas and the constants.
#include <cstdio>

#include "cdlua_internal.h"
#include "vectortext.h"

namespace cdlua {
namespace {

void SetInt(lua_State* L, const char* name, lua_Integer value) {
  lua_pushinteger(L, value);
  lua_setglobal(L, name);
}

struct SharedKind {
  imlua::Kind kind;
  const char* ours;
  const char* image_binding;
};
const SharedKind kSharedKinds[] = {
    {imlua::Kind::Color, "CDLUA_COLOR_TAG", "IMLUA_COLOR_TAG"},
    {imlua::Kind::ImageRGB, "CDLUA_IMAGERGB_TAG", "IMLUA_IMAGERGB_TAG"},
    {imlua::Kind::ImageRGBA, "CDLUA_IMAGERGBA_TAG", "IMLUA_IMAGERGBA_TAG"},
    {imlua::Kind::ImageMap, "CDLUA_IMAGEMAP_TAG", "IMLUA_IMAGEMAP_TAG"},
    {imlua::Kind::Palette, "CDLUA_PALETTE_TAG", "IMLUA_PALETTE_TAG"},
    {imlua::Kind::Channel, "CDLUA_CHANNEL_TAG", "IMLUA_CHANNEL_TAG"},
};

struct OwnKind {
  Kind kind;
  const char* ours;
};
const OwnKind kOwnKinds[] = {
    {Kind::Stipple, "CDLUA_STIPPLE_TAG"}, {Kind::Pattern, "CDLUA_PATTERN_TAG"},
    {Kind::Image, "CDLUA_IMAGE_TAG"},     {Kind::ImageEx, "CDLUA_IMAGEEX_TAG"},
    {Kind::Canvas, "CDLUA_CANVAS_TAG"},   {Kind::State, "CDLUA_STATE_TAG"},
};

void OpenKinds(lua_State* L) {
  lua_getglobal(L, "IMLUA_INSTALLED");
  bool image_first = !lua_isnil(L, -1);
  lua_pop(L, 1);
  for (const SharedKind& entry : kSharedKinds) {
    if (image_first) {
      lua_getglobal(L, entry.image_binding);
      int is_number = 0;
      lua_Integer tag = lua_tointegerx(L, -1, &is_number);
      lua_pop(L, 1);
      if (is_number) imlua::AdoptKind(L, entry.kind, static_cast<int>(tag));
    }
    SetInt(L, entry.ours, imlua::EnsureKind(L, entry.kind));
  }
  // The image binding has no extended images: that kind is always ours.
  for (const OwnKind& entry : kOwnKinds) SetInt(L, entry.ours, EnsureKind(L, entry.kind));
  EnsureKind(L, Kind::ImageExChannel);  // no tag global: reached only through ex.r and the like
}

struct Constant {
  const char* name;
  lua_Integer value;
};
const Constant kConstants[] = {
    {"CD_CAP_NONE", CD_CAP_NONE},
    {"CD_CAP_FLUSH", CD_CAP_FLUSH},
    {"CD_CAP_CLEAR", CD_CAP_CLEAR},
    {"CD_CAP_PLAY", CD_CAP_PLAY},
    {"CD_CAP_YAXIS", CD_CAP_YAXIS},
    {"CD_CAP_CLIPAREA", CD_CAP_CLIPAREA},
    {"CD_CAP_CLIPPOLY", CD_CAP_CLIPPOLY},
    {"CD_CAP_MARK", CD_CAP_MARK},
    {"CD_CAP_RECT", CD_CAP_RECT},
    {"CD_CAP_VECTORTEXT", CD_CAP_VECTORTEXT},
    {"CD_CAP_IMAGERGB", CD_CAP_IMAGERGB},
    {"CD_CAP_IMAGERGBA", CD_CAP_IMAGERGBA},
    {"CD_CAP_IMAGEMAP", CD_CAP_IMAGEMAP},
    {"CD_CAP_GETIMAGERGB", CD_CAP_GETIMAGERGB},
    {"CD_CAP_IMAGESRV", CD_CAP_IMAGESRV},
    {"CD_CAP_BACKGROUND", CD_CAP_BACKGROUND},
    {"CD_CAP_BACKOPACITY", CD_CAP_BACKOPACITY},
    {"CD_CAP_WRITEMODE", CD_CAP_WRITEMODE},
    {"CD_CAP_LINESTYLE", CD_CAP_LINESTYLE},
    {"CD_CAP_LINEWITH", CD_CAP_LINEWITH},
    {"CD_CAP_WD", CD_CAP_WD},
    {"CD_CAP_HATCH", CD_CAP_HATCH},
    {"CD_CAP_STIPPLE", CD_CAP_STIPPLE},
    {"CD_CAP_PATTERN", CD_CAP_PATTERN},
    {"CD_CAP_FONT", CD_CAP_FONT},
    {"CD_CAP_FONTDIM", CD_CAP_FONTDIM},
    {"CD_CAP_TEXTSIZE", CD_CAP_TEXTSIZE},
    {"CD_CAP_TEXTORIENTATION", CD_CAP_TEXTORIENTATION},
    {"CD_CAP_PALETTE", CD_CAP_PALETTE},
    {"CD_CAP_ALL", static_cast<lua_Integer>(CD_CAP_ALL)},
    {"CD_SIM_NONE", CD_SIM_NONE},
    {"CD_SIM_CLIPAREA", CD_SIM_CLIPAREA},
    {"CD_SIM_CLIPPOLY", CD_SIM_CLIPPOLY},
    {"CD_SIM_TEXT", CD_SIM_TEXT},
    {"CD_SIM_MARK", CD_SIM_MARK},
    {"CD_SIM_LINE", CD_SIM_LINE},
    {"CD_SIM_RECT", CD_SIM_RECT},
    {"CD_SIM_ARC", CD_SIM_ARC},
    {"CD_SIM_POLYLINE", CD_SIM_POLYLINE},
    {"CD_SIM_BOX", CD_SIM_BOX},
    {"CD_SIM_SECTOR", CD_SIM_SECTOR},
    {"CD_SIM_POLYGON", CD_SIM_POLYGON},
    {"CD_SIM_WD", CD_SIM_WD},
    {"CD_SIM_VECTORTEXT", CD_SIM_VECTORTEXT},
    {"CD_SIM_CLIP", CD_SIM_CLIP},
    {"CD_SIM_LINES", CD_SIM_LINES},
    {"CD_SIM_FILLS", CD_SIM_FILLS},
    {"CD_SIM_ALL", CD_SIM_ALL},
    {"CD_OK", CD_OK},
    {"CD_ERROR", CD_ERROR},
    {"CD_QUERY", CD_QUERY},
    {"CD_CLIPOFF", CD_CLIPOFF},
    {"CD_CLIPON", CD_CLIPON},
    {"CD_CLIPAREA", CD_CLIPAREA},
    {"CD_CLIPPOLYGON", CD_CLIPPOLYGON},
    {"CD_FILL", CD_FILL},
    {"CD_OPEN_LINES", CD_OPEN_LINES},
    {"CD_CLOSED_LINES", CD_CLOSED_LINES},
    {"CD_CLIP", CD_CLIP},
    {"CD_OPAQUE", CD_OPAQUE},
    {"CD_TRANSPARENT", CD_TRANSPARENT},
    {"CD_REPLACE", CD_REPLACE},
    {"CD_XOR", CD_XOR},
    {"CD_NOT_XOR", CD_NOT_XOR},
    {"CD_POLITE", CD_POLITE},
    {"CD_FORCE", CD_FORCE},
    {"CD_CONTINUOUS", CD_CONTINUOUS},
    {"CD_DASHED", CD_DASHED},
    {"CD_DOTTED", CD_DOTTED},
    {"CD_DASH_DOT", CD_DASH_DOT},
    {"CD_DASH_DOT_DOT", CD_DASH_DOT_DOT},
    {"CD_PLUS", CD_PLUS},
    {"CD_STAR", CD_STAR},
    {"CD_CIRCLE", CD_CIRCLE},
    {"CD_X", CD_X},
    {"CD_BOX", CD_BOX},
    {"CD_DIAMOND", CD_DIAMOND},
    {"CD_HOLLOW_CIRCLE", CD_HOLLOW_CIRCLE},
    {"CD_HOLLOW_BOX", CD_HOLLOW_BOX},
    {"CD_HOLLOW_DIAMOND", CD_HOLLOW_DIAMOND},
    {"CD_HORIZONTAL", CD_HORIZONTAL},
    {"CD_VERTICAL", CD_VERTICAL},
    {"CD_FDIAGONAL", CD_FDIAGONAL},
    {"CD_BDIAGONAL", CD_BDIAGONAL},
    {"CD_CROSS", CD_CROSS},
    {"CD_DIAGCROSS", CD_DIAGCROSS},
    {"CD_SOLID", CD_SOLID},
    {"CD_HATCH", CD_HATCH},
    {"CD_STIPPLE", CD_STIPPLE},
    {"CD_PATTERN", CD_PATTERN},
    {"CD_HOLLOW", CD_HOLLOW},
    {"CD_NORTH", CD_NORTH},
    {"CD_SOUTH", CD_SOUTH},
    {"CD_EAST", CD_EAST},
    {"CD_WEST", CD_WEST},
    {"CD_NORTH_EAST", CD_NORTH_EAST},
    {"CD_NORTH_WEST", CD_NORTH_WEST},
    {"CD_SOUTH_EAST", CD_SOUTH_EAST},
    {"CD_SOUTH_WEST", CD_SOUTH_WEST},
    {"CD_CENTER", CD_CENTER},
    {"CD_BASE_LEFT", CD_BASE_LEFT},
    {"CD_BASE_CENTER", CD_BASE_CENTER},
    {"CD_BASE_RIGHT", CD_BASE_RIGHT},
    {"CD_LEFT_BASE", CD_LEFT_BASE},
    {"CD_CENTER_BASE", CD_CENTER_BASE},
    {"CD_RIGHT_BASE", CD_RIGHT_BASE},
    {"CD_SYSTEM", CD_SYSTEM},
    {"CD_COURIER", CD_COURIER},
    {"CD_TIMES_ROMAN", CD_TIMES_ROMAN},
    {"CD_HELVETICA", CD_HELVETICA},
    {"CD_PLAIN", CD_PLAIN},
    {"CD_BOLD", CD_BOLD},
    {"CD_ITALIC", CD_ITALIC},
    {"CD_BOLD_ITALIC", CD_BOLD_ITALIC},
    {"CD_ITALIC_BOLD", CD_ITALIC_BOLD},
    {"CD_SMALL", CD_SMALL},
    {"CD_STANDARD", CD_STANDARD},
    {"CD_LARGE", CD_LARGE},
    {"CD_SERVER", CD_SERVER},
    {"CD_RGBA", CD_RGBA},
    {"CD_RGB", CD_RGB},
    {"CD_MAP", CD_MAP},
    {"CD_IRED", CD_IRED},
    {"CD_IGREEN", CD_IGREEN},
    {"CD_IBLUE", CD_IBLUE},
    {"CD_IALPHA", CD_IALPHA},
    {"CD_INDEX", CD_INDEX},
    {"CD_COLORS", CD_COLORS},
    {"CD_ISERVER", CD_ISERVER},
    {"CD_A0", CD_A0},
    {"CD_A1", CD_A1},
    {"CD_A2", CD_A2},
    {"CD_A3", CD_A3},
    {"CD_A4", CD_A4},
    {"CD_A5", CD_A5},
    {"CD_LETTER", CD_LETTER},
    {"CD_LEGAL", CD_LEGAL},
    // play callbacks (numbered in the list order of the drivers that play)
    {"CD_SIZECB", 0},
    {"CD_CGMCOUNTERCB", 1},
    {"CD_CGMSCLMDECB", 2},
    {"CD_CGMVDCEXTCB", 3},
    {"CD_CGMBEGPICTCB", 4},
    {"CD_CGMBEGPICTBCB", 5},
    {"CD_CGMBEGMTFCB", 6},
    {"CDPLAY_GO", CDPLAY_GO},
    {"CDPLAY_ABORT", CDPLAY_ABORT},
};

struct ColorConstant {
  const char* name;
  long value;
};
const ColorConstant kColors[] = {
    {"CD_RED", 0xFF0000},          {"CD_DARK_RED", 0x800000},    {"CD_GREEN", 0x00FF00},
    {"CD_DARK_GREEN", 0x008000},   {"CD_BLUE", 0x0000FF},        {"CD_DARK_BLUE", 0x000080},
    {"CD_YELLOW", 0xFFFF00},       {"CD_DARK_YELLOW", 0x808000}, {"CD_MAGENTA", 0xFF00FF},
    {"CD_DARK_MAGENTA", 0x800080}, {"CD_CYAN", 0x00FFFF},        {"CD_DARK_CYAN", 0x008080},
    {"CD_WHITE", 0xFFFFFF},        {"CD_BLACK", 0x000000},       {"CD_DARK_GRAY", 0x808080},
    {"CD_GRAY", 0xC0C0C0},
};

int OpenBody(lua_State* L) {
  OpenKinds(L);
  SetInt(L, "CDLUA_INSTALLED", 1);
  RegisterCanvasFunctions(L);
  RegisterDrawFunctions(L);
  RegisterImageFunctions(L);
  RegisterPlayFunctions(L);
  OpenDrivers(L);
  OpenVoidCanvas(L);
  for (const Constant& c : kConstants) SetInt(L, c.name, c.value);
  lua_pushnumber(L, CD_MM2PT);
  lua_setglobal(L, "CD_MM2PT");
  lua_pushnumber(L, CD_RAD2DEG);
  lua_setglobal(L, "CD_RAD2DEG");
  for (const ColorConstant& c : kColors) {
    PushColor(L, c.value);
    lua_setglobal(L, c.name);
  }
  RegisterWorldFunctions(L);
  // the same operations under a second name, which their messages name
  static const char* const kAliases[][2] = {
      {"wdActivate", "cdActivate"},
      {"wdBegin", "cdBegin"},
      {"wdEnd", "cdEnd"},
      {"wdMM2Pixel", "cdMM2Pixel"},
      {"wdPixel2MM", "cdPixel2MM"},
      {"wdVectorFont", "cdVectorFont"},
      {"cdScrollImage", "cdScrollArea"},
  };
  for (const auto& alias : kAliases) script::RegisterAlias(L, alias[0], alias[1]);
  return 0;
}

}  // namespace
}  // namespace cdlua

void cdlua_open(lua_State* L) {
  lua_pushcfunction(L, cdlua::OpenBody);
  if (lua_pcall(L, 0, 0, 0) != LUA_OK) {
    std::fprintf(stderr, "cdlua_open: %s\n", lua_tostring(L, -1));
    lua_pop(L, 1);
  }
}
