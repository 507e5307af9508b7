// The image binding's script functions for objects: creating and killing
// images and palettes, colours, conversions, stretching and resizing.
#include <algorithm>

#include "im.h"
#include "imlua.h"
#include "script.h"

namespace imlua {
namespace {

using script::Raise;

using script::LiveObject;
const auto NumberArg = script::IsNumberArg;

// Map indices are bytes: palette entries past 256 are never looked up, so
// the library is never handed a larger count than its tables hold.
int UsableCount(const Palette* palette) {
  return std::min(palette->size, 256);
}

ImageRGB* LiveRGB(lua_State* L, int n, const char* name, const char* problem) {
  ImageRGB* image = ToImageRGB(L, n);
  if (image == nullptr || !image->live()) Raise(name, problem);
  return image;
}
ImageMap* LiveMap(lua_State* L, int n, const char* name, const char* problem) {
  ImageMap* map = ToImageMap(L, n);
  if (map == nullptr || !map->live()) Raise(name, problem);
  return map;
}
Palette* LivePalette(lua_State* L, int n, const char* name, const char* problem) {
  Palette* palette = ToPalette(L, n);
  if (palette == nullptr || !palette->live()) Raise(name, problem);
  return palette;
}

// ---- creating ----
// Sizes beyond imValidSize (more than 1 Gpixel, or a product that does not
// fit) give nil, as when memory runs out.
int CreateImageRGB(lua_State* L) {
  const char* name = "imCreateImageRGB";
  if (!NumberArg(L, 1) || !NumberArg(L, 2)) Raise(name, "invalid dimensions parameter");
  int width = script::ArgInt(L, 1), height = script::ArgInt(L, 2);
  if (width <= 0 || height <= 0) Raise(name, "image dimensions should be positive integers");
  script::NoArgAt(L, 3, name);
  PushImageRGB(L, width, height);
  return 1;
}

int CreateImageMap(lua_State* L) {
  const char* name = "imCreateImageMap";
  if (!NumberArg(L, 1) || !NumberArg(L, 2)) Raise(name, "invalid dimensions parameter");
  int width = script::ArgInt(L, 1), height = script::ArgInt(L, 2);
  if (width <= 0 || height <= 0) Raise(name, "imagemap dimensions should be positive integers");
  script::NoArgAt(L, 3, name);
  PushImageMap(L, width, height);
  return 1;
}

int CreatePalette(lua_State* L) {
  const char* name = "imCreatePalette";
  if (!NumberArg(L, 1)) Raise(name, "invalid palette parameter");
  int size = script::ArgInt(L, 1);
  if (size <= 0) Raise(name, "palette size should be a positive integer");
  script::NoArgAt(L, 2, name);
  PushPalette(L, size);
  return 1;
}

// ---- killing ----
int KillImageRGB(lua_State* L) {
  const char* name = "imKillImageRGB";
  ImageRGB* image = ToImageRGB(L, 1);
  LiveObject(L, 1, name, "kill", "imagergb", image, image != nullptr && image->live());
  script::NoArgAt(L, 2, name);
  Release(image);
  return 0;
}

int KillImageMap(lua_State* L) {
  const char* name = "imKillImageMap";
  ImageMap* map = ToImageMap(L, 1);
  LiveObject(L, 1, name, "kill", "imagemap", map, map != nullptr && map->live());
  script::NoArgAt(L, 2, name);
  Release(map);
  return 0;
}

int KillPalette(lua_State* L) {
  const char* name = "imKillPalette";
  Palette* palette = ToPalette(L, 1);
  LiveObject(L, 1, name, "kill", "palette", palette, palette != nullptr && palette->live());
  script::NoArgAt(L, 2, name);
  Release(palette);
  return 0;
}

// ---- colours ----
int EncodeColor(lua_State* L) {
  const char* name = "imEncodeColor";
  script::NoArgAt(L, 4, name);
  unsigned char components[3];
  for (int n = 1; n <= 3; ++n) components[n - 1] = script::ColorComponentArg(L, n, name);
  PushColor(L, imEncodeColor(components[0], components[1], components[2]));
  return 1;
}

int DecodeColor(lua_State* L) {
  const char* name = "imDecodeColor";
  uint32_t color = 0;
  if (!ToColor(L, 1, &color)) Raise(name, "invalid color parameter");
  script::NoArgAt(L, 2, name);
  unsigned char red = 0, green = 0, blue = 0;
  imDecodeColor(color, &red, &green, &blue);
  lua_pushinteger(L, red);
  lua_pushinteger(L, green);
  lua_pushinteger(L, blue);
  return 3;
}

// ---- conversions: both images must hold the same number of pixels ----
int RGB2Map(lua_State* L) {
  const char* name = "imRGB2Map";
  script::NoArgAt(L, 4, name);
  ImageRGB* image = LiveRGB(L, 1, name, "invalid imagergb parameter");
  ImageMap* map = LiveMap(L, 2, name, "invalid imagemap parameter");
  Palette* palette = LivePalette(L, 3, name, "invalid palette parameter");
  if (image->size != map->size) Raise(name, "images have incompatible dimensions");
  // A palette of more than 256 entries gets 256 colours: it holds them all.
  imRGB2Map(image->width, image->height, image->red(), image->green(), image->blue(),
            map->data.get(), palette->size, palette->colors.get());
  return 0;
}

int Map2RGB(lua_State* L) {
  const char* name = "imMap2RGB";
  script::NoArgAt(L, 4, name);
  ImageMap* map = LiveMap(L, 1, name, "invalid imagemap parameter");
  Palette* palette = LivePalette(L, 2, name, "invalid palette parameter");
  ImageRGB* image = LiveRGB(L, 3, name, "invalid imagergb parameter");
  if (image->size != map->size) Raise(name, "images have incompatible dimensions");
  imMap2RGB(map->width, map->height, map->data.get(), UsableCount(palette), palette->colors.get(),
            image->red(), image->green(), image->blue());
  return 0;
}

int RGB2Gray(lua_State* L) {
  const char* name = "imRGB2Gray";
  script::NoArgAt(L, 4, name);
  ImageRGB* image = LiveRGB(L, 1, name, "invalid imagergb parameter");
  ImageMap* gray = LiveMap(L, 2, name, "invalid graymap parameter");
  Palette* grays = LivePalette(L, 3, name, "invalid grays parameter");
  if (image->size != gray->size) Raise(name, "images have incompatible dimensions");
  if (grays->size < 256) Raise(name, "grays palette should be of size 256");
  imRGB2Gray(image->width, image->height, image->red(), image->green(), image->blue(),
             gray->data.get(), grays->colors.get());
  return 0;
}

int Map2Gray(lua_State* L) {
  const char* name = "imMap2Gray";
  script::NoArgAt(L, 5, name);
  ImageMap* map = LiveMap(L, 1, name, "invalid imagemap parameter");
  Palette* palette = LivePalette(L, 2, name, "invalid palette parameter");
  ImageMap* gray = LiveMap(L, 3, name, "invalid graymap parameter");
  Palette* grays = LivePalette(L, 4, name, "invalid grays parameter");
  if (map->size != gray->size) Raise(name, "images have incompatible dimensions");
  if (grays->size < 256) Raise(name, "grays palette should be of size 256");
  imMap2Gray(map->width, map->height, map->data.get(), UsableCount(palette), palette->colors.get(),
             gray->data.get(), grays->colors.get());
  return 0;
}

// ---- scaling ----
void StretchPlanes(const ImageRGB* source, const ImageRGB* target) {
  for (int plane = 0; plane < 3; ++plane) {
    imStretch(source->width, source->height, source->planes->plane(plane), target->width,
              target->height, target->planes->plane(plane));
  }
}

int Stretch(lua_State* L) {
  const char* name = "imStretch";
  script::NoArgAt(L, 3, name);
  ImageRGB* source_rgb = ToImageRGB(L, 1);
  ImageRGB* target_rgb = ToImageRGB(L, 2);
  ImageMap* source_map = ToImageMap(L, 1);
  ImageMap* target_map = ToImageMap(L, 2);
  if (source_rgb && target_rgb && source_rgb->live() && target_rgb->live()) {
    StretchPlanes(source_rgb, target_rgb);
  } else if (source_map && target_map && source_map->live() && target_map->live()) {
    imStretch(source_map->width, source_map->height, source_map->data.get(), target_map->width,
              target_map->height, target_map->data.get());
  } else {
    Raise(name, "inconsistent parameters");
  }
  return 0;
}

int Resize(lua_State* L) {
  const char* name = "imResize";
  script::NoArgAt(L, 3, name);
  ImageRGB* source = ToImageRGB(L, 1);
  ImageRGB* target = ToImageRGB(L, 2);
  if (!source || !target || !source->live() || !target->live())
    Raise(name, "parameters must be of type imagergb_tag");
  StretchPlanes(source, target);
  return 0;
}

const luaL_Reg kFunctions[] = {
    {"imCreateImageRGB", script::Guarded<CreateImageRGB>},
    {"imCreateImageMap", script::Guarded<CreateImageMap>},
    {"imCreatePalette", script::Guarded<CreatePalette>},
    {"imKillImageRGB", script::Guarded<KillImageRGB>},
    {"imKillImageMap", script::Guarded<KillImageMap>},
    {"imKillPalette", script::Guarded<KillPalette>},
    {"imEncodeColor", script::Guarded<EncodeColor>},
    {"imDecodeColor", script::Guarded<DecodeColor>},
    {"imRGB2Map", script::Guarded<RGB2Map>},
    {"imMap2RGB", script::Guarded<Map2RGB>},
    {"imRGB2Gray", script::Guarded<RGB2Gray>},
    {"imMap2Gray", script::Guarded<Map2Gray>},
    {"imResize", script::Guarded<Resize>},
    {"imStretch", script::Guarded<Stretch>},
    {nullptr, nullptr},
};

}  // namespace

void RegisterImageFunctions(lua_State* L) {
  for (const luaL_Reg* entry = kFunctions; entry->name != nullptr; ++entry) {
    lua_register(L, entry->name, entry->func);
  }
}

}  // namespace imlua
