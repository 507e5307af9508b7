// The image binding's file functions: format detection, image information,
// loading and saving through the format registry, and the version text.
#include "im.h"
#include "imlua.h"
#include "script.h"

namespace imlua {
namespace {

using script::Raise;

const auto NumberArg = script::IsNumberArg;

const char* FileNameArg(lua_State* L, int n, const char* name) {
  const char* file_name = script::ArgString(L, n);
  if (file_name == nullptr) Raise(name, "invalid filename parameter");
  return file_name;
}

// format + compression * 256; a sum outside int can name no format.
bool FormatCode(lua_State* L, int format_arg, int* code) {
  long long sum = static_cast<long long>(script::ArgInt(L, format_arg)) +
                  static_cast<long long>(script::ArgInt(L, format_arg + 1)) * 256;
  if (sum < 0 || sum > 0x7FFFFFFF) return false;
  *code = static_cast<int>(sum);
  return true;
}

int FileFormat(lua_State* L) {
  const char* name = "imFileFormat";
  const char* file_name = FileNameArg(L, 1, name);
  script::NoArgAt(L, 2, name);
  int format = 0;
  int error = imFileFormat(file_name, &format);
  if (error != IM_ERR_NONE) {
    lua_pushnil(L);
    lua_pushnil(L);
  } else {
    lua_pushinteger(L, format & 0xFF);
    // any compression counts, the format's default (256) or another (512)
    lua_pushinteger(L, (format & 0xFF00) != 0 ? 1 : 0);
  }
  lua_pushinteger(L, error);
  return 3;
}

int ImageInfo(lua_State* L) {
  const char* name = "imImageInfo";
  const char* file_name = FileNameArg(L, 1, name);
  script::NoArgAt(L, 2, name);
  int width = 0, height = 0, type = 0, pal_count = 0;
  int error = imImageInfo(file_name, &width, &height, &type, &pal_count);
  if (error != IM_ERR_NONE) {
    for (int k = 0; k < 4; ++k) lua_pushnil(L);
  } else {
    lua_pushinteger(L, width);
    lua_pushinteger(L, height);
    lua_pushinteger(L, type);
    lua_pushinteger(L, pal_count);
  }
  lua_pushinteger(L, error);
  return 5;
}

// A file the image cannot hold is refused before anything is read; the
// sized loaders check again, so a file changed in between cannot overrun.
int LoadRGB(lua_State* L) {
  const char* name = "imLoadRGB";
  const char* file_name = FileNameArg(L, 1, name);
  ImageRGB* image = ToImageRGB(L, 2);
  if (image == nullptr || !image->live()) Raise(name, "invalid imagergb parameter");
  script::NoArgAt(L, 3, name);
  int width = 0, height = 0, type = 0, pal_count = 0;
  if (imImageInfo(file_name, &width, &height, &type, &pal_count) == IM_ERR_NONE &&
      (width != image->width || height != image->height)) {
    Raise(name, "imagergb dimensions do not match the file");
  }
  // the progress dialog runs loop steps: a script may kill the image meanwhile
  PlanesRef keep = image->planes;
  lua_pushinteger(L, imLoadRGBSized(file_name, image->width, image->height, image->red(),
                                    image->green(), image->blue()));
  return 1;
}

int LoadMap(lua_State* L) {
  const char* name = "imLoadMap";
  const char* file_name = FileNameArg(L, 1, name);
  ImageMap* map = ToImageMap(L, 2);
  if (map == nullptr || !map->live()) Raise(name, "invalid imagemap parameter");
  Palette* palette = ToPalette(L, 3);
  if (palette == nullptr || !palette->live()) Raise(name, "invalid palette parameter");
  script::NoArgAt(L, 4, name);
  int width = 0, height = 0, type = 0, pal_count = 0;
  // A true-colour file is left to the library, which answers IM_ERR_TYPE.
  if (imImageInfo(file_name, &width, &height, &type, &pal_count) == IM_ERR_NONE && type == IM_MAP) {
    if (width != map->width || height != map->height)
      Raise(name, "imagemap dimensions do not match the file");
    if (pal_count > palette->size) Raise(name, "palette is too small for the file");
  }
  PixelsHold keep_map(map->data.get()), keep_palette(palette->colors.get());
  lua_pushinteger(L, imLoadMapSized(file_name, map->width, map->height, map->data.get(),
                                    palette->colors.get(), palette->size));
  return 1;
}

int SaveRGB(lua_State* L) {
  const char* name = "imSaveRGB";
  ImageRGB* image = ToImageRGB(L, 1);
  if (image == nullptr || !image->live()) Raise(name, "invalid imagergb parameter");
  if (!NumberArg(L, 2)) Raise(name, "invalid format parameter");
  if (!NumberArg(L, 3)) Raise(name, "invalid compression parameter");
  const char* file_name = FileNameArg(L, 4, name);
  script::NoArgAt(L, 5, name);
  int code = 0;
  if (!FormatCode(L, 2, &code)) {
    lua_pushinteger(L, IM_ERR_FORMAT);
    return 1;
  }
  PlanesRef keep = image->planes;
  lua_pushinteger(L, imSaveRGB(image->width, image->height, code, image->red(), image->green(),
                               image->blue(), file_name));
  return 1;
}

int SaveMap(lua_State* L) {
  const char* name = "imSaveMap";
  ImageMap* map = ToImageMap(L, 1);
  if (map == nullptr || !map->live()) Raise(name, "invalid imagemap  parameter");
  Palette* palette = ToPalette(L, 2);
  if (palette == nullptr || !palette->live()) Raise(name, "invalid palette parameter");
  if (!NumberArg(L, 3)) Raise(name, "invalid format parameter");
  if (!NumberArg(L, 4)) Raise(name, "invalid compression parameter");
  const char* file_name = FileNameArg(L, 5, name);
  script::NoArgAt(L, 6, name);
  int code = 0;
  if (!FormatCode(L, 3, &code)) {
    lua_pushinteger(L, IM_ERR_FORMAT);
    return 1;
  }
  // Indices are bytes: a palette larger than 256 is written with its first 256.
  int count = palette->size < 256 ? palette->size : 256;
  PixelsHold keep_map(map->data.get()), keep_palette(palette->colors.get());
  lua_pushinteger(L, imSaveMap(map->width, map->height, code, map->data.get(), count,
                               palette->colors.get(), file_name));
  return 1;
}

int Version(lua_State* L) {
  script::NoArgAt(L, 1, "imVersion");
  lua_pushfstring(L, "%s, %s", "IMLua 1.2", imVersion());
  return 1;
}

const luaL_Reg kFunctions[] = {
    {"imFileFormat", script::Guarded<FileFormat>}, {"imImageInfo", script::Guarded<ImageInfo>},
    {"imLoadRGB", script::Guarded<LoadRGB>},       {"imLoadMap", script::Guarded<LoadMap>},
    {"imSaveRGB", script::Guarded<SaveRGB>},       {"imSaveMap", script::Guarded<SaveMap>},
    {"imVersion", script::Guarded<Version>},       {nullptr, nullptr},
};

}  // namespace

void RegisterFileFunctions(lua_State* L) {
  for (const luaL_Reg* entry = kFunctions; entry->name != nullptr; ++entry) {
    lua_register(L, entry->name, entry->func);
  }
}

}  // namespace imlua
