// Images from scripts: stipples, patterns, palettes, RGB/RGBA images and
// image maps (the image binding's objects), server images, extended images,
// and putting and getting them on the active canvas.
#include <cmath>
#include <cstring>
#include <new>
#include <string>
#include <type_traits>
#include <unordered_map>
#include <vector>

#include "cdlua_internal.h"

namespace cdlua {
namespace {

using script::NoArgAt;

// Two positive integers (w, h) or "fn: <kind> dimensions should be positive integers!";
// a non-number raises "fn: invalid dimensions parameter!".
void Dimensions(lua_State* L, int n, const char* fn, const char* kind, int* w, int* h) {
  double dw = Number(L, n, fn, "dimensions");
  double dh = Number(L, n + 1, fn, "dimensions");
  if (!(dw >= 1 && dh >= 1) || dw != std::trunc(dw) || dh != std::trunc(dh) || dw > 1e9 ||
      dh > 1e9) {
    std::string problem = kind;
    problem += " dimensions should be positive integers";
    script::Raise(fn, problem.c_str());
  }
  *w = static_cast<int>(dw);
  *h = static_cast<int>(dh);
}

// ---- stipples and patterns ----
// A w x h fill of zeroed cells; nil when memory runs out.
template <typename Cell, Cell* (*Push)(lua_State*)>
int CreateFill(lua_State* L, const char* fn, const char* noun) {
  int w = 0, h = 0;
  Dimensions(L, 1, fn, noun, &w, &h);
  NoArgAt(L, 3, fn);
  Cell* cell = Push(L);
  long long size = static_cast<long long>(w) * h;
  using Value = std::remove_pointer_t<decltype(cell->data)>;
  cell->data = new (std::nothrow) Value[static_cast<std::size_t>(size)]();
  if (cell->data == nullptr) {
    lua_pushnil(L);
    return 1;
  }
  cell->w = w;
  cell->h = h;
  cell->size = size;
  return 1;
}

template <typename Cell, Kind kKind>
int KillFill(lua_State* L, const char* fn, const char* noun) {
  auto* cell = static_cast<Cell*>(script::HasArg(L, 1) ? ToKind(L, 1, kKind) : nullptr);
  script::LiveObject(L, 1, fn, "kill", noun, cell, cell != nullptr && cell->data != nullptr);
  NoArgAt(L, 2, fn);
  delete[] cell->data;
  cell->data = nullptr;
  return 0;
}

int CreateStippleBody(lua_State* L) {
  return CreateFill<StippleCell, PushStipple>(L, "cdCreateStipple", "stipple");
}
int KillStippleBody(lua_State* L) {
  return KillFill<StippleCell, Kind::Stipple>(L, "cdKillStipple", "stipple");
}
int CreatePatternBody(lua_State* L) {
  return CreateFill<PatternCell, PushPattern>(L, "cdCreatePattern", "pattern");
}
int KillPatternBody(lua_State* L) {
  return KillFill<PatternCell, Kind::Pattern>(L, "cdKillPattern", "pattern");
}

// ---- palettes and the image binding's images ----
int CreatePaletteBody(lua_State* L) {
  const char* fn = "cdCreatePalette";
  double n = Number(L, 1, fn, "palette");
  if (!(n >= 1 && n <= 1 << 24) || n != std::trunc(n)) {
    script::Raise(fn, "palette size should be a positive integer");
  }
  NoArgAt(L, 2, fn);
  imlua::Palette* palette = imlua::PushPalette(L, static_cast<int>(n));
  if (palette != nullptr) {
    std::memset(palette->colors.get(), 0,
                sizeof(uint32_t) * static_cast<std::size_t>(palette->size));
  }
  return 1;
}

template <imlua::ImageRGB* (*Push)(lua_State*, int, int)>
int CreateRGBLike(lua_State* L, const char* fn, const char* kind) {
  int w = 0, h = 0;
  Dimensions(L, 1, fn, kind, &w, &h);
  NoArgAt(L, 3, fn);
  Push(L, w, h);
  return 1;
}
int CreateImageRGBBody(lua_State* L) {
  return CreateRGBLike<imlua::PushImageRGB>(L, "cdCreateImageRGB", "imagergb");
}
int CreateImageRGBABody(lua_State* L) {
  return CreateRGBLike<imlua::PushImageRGBA>(L, "cdCreateImageRGBA", "imagergba");
}

int CreateImageMapBody(lua_State* L) {
  const char* fn = "cdCreateImageMap";
  int w = 0, h = 0;
  Dimensions(L, 1, fn, "imagemap", &w, &h);
  NoArgAt(L, 3, fn);
  imlua::PushImageMap(L, w, h);
  return 1;
}

// Kill of an image-binding object: the record and its live() test.
template <typename T>
void KillChecks(lua_State* L, const char* fn, const char* noun, T* record) {
  script::LiveObject(L, 1, fn, "kill", noun, record, record != nullptr && record->live());
  NoArgAt(L, 2, fn);
}

int KillPaletteBody(lua_State* L) {
  imlua::Palette* p = script::HasArg(L, 1) ? imlua::ToPalette(L, 1) : nullptr;
  KillChecks(L, "cdKillPalette", "palette", p);
  imlua::Release(p);
  return 0;
}
int KillImageRGBBody(lua_State* L) {
  imlua::ImageRGB* image = script::HasArg(L, 1) ? imlua::ToImageRGB(L, 1) : nullptr;
  KillChecks(L, "cdKillImageRGB", "imagergb", image);
  imlua::Release(image);
  return 0;
}
int KillImageRGBABody(lua_State* L) {
  imlua::ImageRGB* image = script::HasArg(L, 1) ? imlua::ToImageRGBA(L, 1) : nullptr;
  KillChecks(L, "cdKillImageRGBA", "imagergba", image);
  imlua::Release(image);
  return 0;
}
int KillImageMapBody(lua_State* L) {
  imlua::ImageMap* map = script::HasArg(L, 1) ? imlua::ToImageMap(L, 1) : nullptr;
  KillChecks(L, "cdKillImageMap", "imagemap", map);
  imlua::Release(map);
  return 0;
}

// ---- server images ----
int CreateImageBody(lua_State* L) {
  const char* fn = "cdCreateImage";
  int w = 0, h = 0;
  Dimensions(L, 1, fn, "image", &w, &h);
  NoArgAt(L, 3, fn);
  NeedCanvas(L);
  ImageCell* cell = PushImage(L);
  cell->image = cdCreateImage(w, h);
  if (cell->image == nullptr) {
    lua_pop(L, 1);
    lua_pushnil(L);
  }
  return 1;
}

int KillImageBody(lua_State* L) {
  const char* fn = "cdKillImage";
  if (!script::HasArg(L, 1) || lua_isnil(L, 1))
    script::RaiseMessage("cdKillImage: attempt to kill a NIL image");
  auto* cell = static_cast<ImageCell*>(ToKind(L, 1, Kind::Image));
  if (cell == nullptr) script::Raise(fn, "invalid image parameter");
  if (cell->image == nullptr) script::RaiseMessage("cdKillImage: attempt to kill a killed image");
  NoArgAt(L, 2, fn);
  cdKillImage(cell->image);
  cell->image = nullptr;
  return 0;
}

int GetImageBody(lua_State* L) {
  const char* fn = "cdGetImage";
  cdImage* image = LiveImage(L, 1, fn);
  int x = Int(L, 2, fn, "x");
  int y = Int(L, 3, fn, "y");
  NoArgAt(L, 4, fn);
  NeedCanvas(L);
  cdGetImage(image, x, y);
  return 0;
}

int PutImageBody(lua_State* L) {
  const char* fn = "cdPutImage";
  cdImage* image = LiveImage(L, 1, fn);
  int x = Int(L, 2, fn, "x");
  int y = Int(L, 3, fn, "y");
  NoArgAt(L, 4, fn);
  NeedCanvas(L);
  cdPutImage(image, x, y);
  return 0;
}

int PutImageRectBody(lua_State* L) {
  const char* fn = "cdPutImageRect";
  cdImage* image = LiveImage(L, 1, fn);
  int v[6];
  for (int i = 0; i < 6; ++i) v[i] = Int(L, i + 2, fn, "image rectangle");
  NoArgAt(L, 8, fn);
  NeedCanvas(L);
  cdPutImageRect(image, v[0], v[1], v[2], v[3], v[4], v[5]);
  return 0;
}

// ---- putting and getting RGB, RGBA and map images ----
// x, y, w, h at n..n+3: the target region; w and h not negative integers
// (0 means the image's own size).
void TargetRegion(lua_State* L, int n, const char* fn, int v[4]) {
  v[0] = Int(L, n, fn, "x");
  v[1] = Int(L, n + 1, fn, "y");
  for (int i = 2; i < 4; ++i) {
    double d = Number(L, n + i, fn, "target region");
    if (!(d >= 0) || d != std::trunc(d) || d > 1e9) {
      script::Raise(fn, "target region dimensions should be positive integers");
    }
    v[i] = static_cast<int>(d);
  }
}

void SourceRect(lua_State* L, int n, const char* fn, int v[4]) {
  for (int i = 0; i < 4; ++i) v[i] = Int(L, n + i, fn, "image rectangle");
}

// The target region at n and, for the rectangle forms, the source rectangle
// after it; the whole-image forms put the rectangle 0 0 0 0 (the whole
// image). Nothing may follow.
void PutArgs(lua_State* L, int n, const char* fn, bool rect, int t[4], int r[4]) {
  TargetRegion(L, n, fn, t);
  if (rect)
    SourceRect(L, n + 4, fn, r);
  else
    r[0] = r[1] = r[2] = r[3] = 0;
  NoArgAt(L, n + (rect ? 8 : 4), fn);
  NeedCanvas(L);
}

// cdPutImageRGB, cdPutImageRectRGB, cdPutImageRGBA, cdPutImageRectRGBA
template <bool kAlpha, bool kRect>
int PutRGBBody(lua_State* L) {
  static const char* const kNames[2][2] = {{"cdPutImageRGB", "cdPutImageRectRGB"},
                                           {"cdPutImageRGBA", "cdPutImageRectRGBA"}};
  const char* fn = kNames[kAlpha][kRect];
  imlua::ImageRGB* image = kAlpha ? LiveImageRGBA(L, 1, fn) : LiveImageRGB(L, 1, fn);
  int t[4], r[4];
  PutArgs(L, 2, fn, kRect, t, r);
  PutRGBLike<int>(image, kAlpha, t, r, cdPutImageRectRGB, cdPutImageRectRGBA);
  return 0;
}

// cdPutImageMap, cdPutImageRectMap
template <bool kRect>
int PutMapBody(lua_State* L) {
  const char* fn = kRect ? "cdPutImageRectMap" : "cdPutImageMap";
  imlua::ImageMap* map = LiveImageMap(L, 1, fn);
  imlua::Palette* palette = LivePalette(L, 2, fn);
  int t[4], r[4];
  PutArgs(L, 3, fn, kRect, t, r);
  std::vector<long> colors = ColorTable(palette);
  cdPutImageRectMap(map->width, map->height, map->data.get(), colors.data(), t[0], t[1], t[2], t[3],
                    r[0], r[1], r[2], r[3]);
  return 0;
}

int GetImageRGBBody(lua_State* L) {
  const char* fn = "cdGetImageRGB";
  imlua::ImageRGB* image = LiveImageRGB(L, 1, fn);
  int x = Int(L, 2, fn, "x");
  int y = Int(L, 3, fn, "y");
  NoArgAt(L, 4, fn);
  NeedCanvas(L);
  cdGetImageRGB(image->red(), image->green(), image->blue(), x, y, image->width, image->height);
  return 0;
}

int RGB2MapBody(lua_State* L) {
  const char* fn = "cdRGB2Map";
  imlua::ImageRGB* image = LiveImageRGB(L, 1, fn);
  imlua::ImageMap* map = LiveImageMap(L, 2, fn);
  if (!script::HasArg(L, 3) || lua_isnil(L, 3)) script::Raise(fn, "NIL pallete");
  imlua::Palette* palette = LivePalette(L, 3, fn);
  NoArgAt(L, 4, fn);
  if (image->width != map->width || image->height != map->height) {
    script::Raise(fn, "images have incompatible dimensions");
  }
  int count = palette->size < 256 ? palette->size : 256;
  std::vector<long> colors(256, 0);
  cdRGB2Map(image->width, image->height, image->red(), image->green(), image->blue(),
            map->data.get(), count, colors.data());
  for (int i = 0; i < count; ++i)
    palette->colors[i] = static_cast<uint32_t>(colors[static_cast<std::size_t>(i)]);
  return 0;
}

// The content of the active canvas when it draws into RGB planes, as a new
// imagergb (a copy); nil for other canvases.
int ImageRGBBody(lua_State* L) {
  const char* fn = "cdImageRGB";
  NoArgAt(L, 1, fn);
  NeedCanvas(L);
  int w = 0, h = 0;
  unsigned char *r = nullptr, *g = nullptr, *b = nullptr;
  if (!cdImageRGBPlanes(cdActiveCanvas(), &w, &h, &r, &g, &b) || r == nullptr) {
    lua_pushnil(L);
    return 1;
  }
  imlua::ImageRGB* image = imlua::PushImageRGB(L, w, h);
  if (image != nullptr) {
    std::size_t size = static_cast<std::size_t>(image->size);
    std::memcpy(image->red(), r, size);
    std::memcpy(image->green(), g, size);
    std::memcpy(image->blue(), b, size);
  }
  return 1;
}

// ---- extended images ----
int CreateImageExBody(lua_State* L) {
  const char* fn = "cdCreateImageEx";
  int w = 0, h = 0;
  Dimensions(L, 1, fn, "image", &w, &h);
  int type = Int(L, 3, fn, "type");
  NoArgAt(L, 4, fn);
  if (type == CD_SERVER) NeedCanvas(L);
  ImageExCell* cell = PushImageEx(L);
  cell->image = cdCreateImageEx(w, h, type);
  if (cell->image == nullptr) {
    lua_pop(L, 1);
    lua_pushnil(L);
  }
  return 1;
}

int KillImageExBody(lua_State* L) {
  const char* fn = "cdKillImageEx";
  auto* cell =
      static_cast<ImageExCell*>(script::HasArg(L, 1) ? ToKind(L, 1, Kind::ImageEx) : nullptr);
  script::LiveObject(L, 1, fn, "kill", "image", cell, cell != nullptr && cell->image != nullptr);
  NoArgAt(L, 2, fn);
  KillImageExOnceUnused(cell->image);
  cell->image = nullptr;
  return 0;
}

cdImageEx* ImageExArg(lua_State* L, int n, const char* fn, const char* nil_message) {
  if (!script::HasArg(L, n) || lua_isnil(L, n)) script::RaiseMessage(nil_message);
  return LiveImageEx(L, n, fn);
}

int GetImageExBody(lua_State* L) {
  const char* fn = "cdGetImageEx";
  cdImageEx* image = ImageExArg(L, 1, fn, "cdGetImageEx: attempt to get NIL image");
  int x = Int(L, 2, fn, "x");
  int y = Int(L, 3, fn, "y");
  NoArgAt(L, 4, fn);
  NeedCanvas(L);
  cdGetImageEx(image, x, y);
  return 0;
}

int PutImageExBody(lua_State* L) {
  const char* fn = "cdPutImageEx";
  cdImageEx* image = ImageExArg(L, 1, fn, "cdPutImageEx: attempt to put NIL image");
  int t[4];
  TargetRegion(L, 2, fn, t);
  NoArgAt(L, 6, fn);
  NeedCanvas(L);
  cdPutImageEx(image, t[0], t[1], t[2], t[3]);
  return 0;
}

int ImageRectExBody(lua_State* L) {
  const char* fn = "cdImageRectEx";
  cdImageEx* image = ImageExArg(L, 1, fn, "cdImageRectEx: attempt to use NIL image");
  int r[4];
  SourceRect(L, 2, fn, r);
  NoArgAt(L, 6, fn);
  cdImageRectEx(image, r[0], r[1], r[2], r[3]);
  return 0;
}

int RGB2MapExBody(lua_State* L) {
  const char* fn = "cdRGB2MapEx";
  cdImageEx* rgb = ImageExArg(L, 1, fn, "cdRGB2MapEx: attempt to use NIL image");
  cdImageEx* map = ImageExArg(L, 2, fn, "cdRGB2MapEx: attempt to use NIL image");
  NoArgAt(L, 3, fn);
  if (rgb->type != CD_RGB || map->type != CD_MAP) script::Raise(fn, "inconsistent image types");
  if (rgb->w != map->w || rgb->h != map->h)
    script::Raise(fn, "images have incompatible dimensions");
  cdRGB2MapEx(rgb, map);
  return 0;
}

const luaL_Reg kFunctions[] = {
    {"cdCreateStipple", script::Guarded<CreateStippleBody>},
    {"cdKillStipple", script::Guarded<KillStippleBody>},
    {"cdCreatePattern", script::Guarded<CreatePatternBody>},
    {"cdKillPattern", script::Guarded<KillPatternBody>},
    {"cdCreatePalette", script::Guarded<CreatePaletteBody>},
    {"cdKillPalette", script::Guarded<KillPaletteBody>},
    {"cdCreateImage", script::Guarded<CreateImageBody>},
    {"cdKillImage", script::Guarded<KillImageBody>},
    {"cdGetImage", script::Guarded<GetImageBody>},
    {"cdPutImage", script::Guarded<PutImageBody>},
    {"cdPutImageRect", script::Guarded<PutImageRectBody>},
    {"cdImageRGB", script::Guarded<ImageRGBBody>},
    {"cdCreateImageRGB", script::Guarded<CreateImageRGBBody>},
    {"cdKillImageRGB", script::Guarded<KillImageRGBBody>},
    {"cdCreateImageRGBA", script::Guarded<CreateImageRGBABody>},
    {"cdKillImageRGBA", script::Guarded<KillImageRGBABody>},
    {"cdCreateImageMap", script::Guarded<CreateImageMapBody>},
    {"cdKillImageMap", script::Guarded<KillImageMapBody>},
    {"cdPutImageRGB", script::Guarded<PutRGBBody<false, false>>},
    {"cdPutImageRectRGB", script::Guarded<PutRGBBody<false, true>>},
    {"cdPutImageRGBA", script::Guarded<PutRGBBody<true, false>>},
    {"cdPutImageRectRGBA", script::Guarded<PutRGBBody<true, true>>},
    {"cdPutImageMap", script::Guarded<PutMapBody<false>>},
    {"cdPutImageRectMap", script::Guarded<PutMapBody<true>>},
    {"cdGetImageRGB", script::Guarded<GetImageRGBBody>},
    {"cdRGB2Map", script::Guarded<RGB2MapBody>},
    {"cdCreateImageEx", script::Guarded<CreateImageExBody>},
    {"cdKillImageEx", script::Guarded<KillImageExBody>},
    {"cdGetImageEx", script::Guarded<GetImageExBody>},
    {"cdPutImageEx", script::Guarded<PutImageExBody>},
    {"cdImageRectEx", script::Guarded<ImageRectExBody>},
    {"cdRGB2MapEx", script::Guarded<RGB2MapExBody>},
    {nullptr, nullptr},
};

struct ImageExUsers {
  int canvases = 0;
  bool killed = false;
};
std::unordered_map<cdImageEx*, ImageExUsers>& ImageExInUse() {
  static std::unordered_map<cdImageEx*, ImageExUsers> in_use;
  return in_use;
}

}  // namespace

void UseImageEx(cdImageEx* image) {
  ++ImageExInUse()[image].canvases;
}

void LetGoImageEx(cdImageEx* image) {
  auto found = ImageExInUse().find(image);
  if (found == ImageExInUse().end()) return;
  if (--found->second.canvases > 0) return;
  bool killed = found->second.killed;
  ImageExInUse().erase(found);
  if (killed) cdKillImageEx(image);
}

void KillImageExOnceUnused(cdImageEx* image) {
  auto found = ImageExInUse().find(image);
  if (found == ImageExInUse().end()) {
    cdKillImageEx(image);
  } else {
    found->second.killed = true;
  }
}

void RegisterImageFunctions(lua_State* L) {
  Register(L, kFunctions);
}

}  // namespace cdlua
