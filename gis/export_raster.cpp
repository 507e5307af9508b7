// ExportGeoRaster(filename, image): an image map (an image table with
// imagemap and palette, or a bare image map) to a GeoTIFF with the
// project's georeference and CRS; the palette becomes the file's colour
// table. A surface (CostSurface's result) becomes a Float32 GeoTIFF whose
// nodata value is the surface's. Pixel (x, y) of the map covers StudyArea.left + x * sx to
// + (x + 1) * sx and StudyArea.bottom + y * sy upwards, as the script's
// imagetomap has it (pixel centres at + 0.5).
#include <cpl_vsi.h>

#include <memory>
#include <string>
#include <vector>

#include "gdalsupport.h"
#include "imlua.h"
#include "project.h"
#include "script.h"
#include "surface.h"

namespace gis {
namespace {

constexpr const char* kName = "ExportGeoRaster";

[[noreturn]] void Fail(const std::string& problem) {
  script::Raise(kName, problem.c_str());
}

struct ColourTableDestroyer {
  void operator()(void* table) const { GDALDestroyColorTable(static_cast<GDALColorTableH>(table)); }
};

int Export(lua_State* L) {
  if (lua_type(L, 1) != LUA_TSTRING) script::RaiseInvalid(kName, "filename");
  if (!script::HasArg(L, 2)) script::RaiseInvalid(kName, "image");
  script::NoArgAt(L, 3, kName);
  CheckFileNameLength(kName, lua_tostring(L, 1));
  std::string filename = lua_tostring(L, 1);
  int map_at = 2, palette_at = 0;
  if (lua_type(L, 2) == LUA_TTABLE) {
    map_at = script::GetField(L, 2, "imagemap");
    palette_at = script::GetField(L, 2, "palette");
  }
  const Surface* surface = ToSurface(L, 2);
  imlua::ImageMap* map = imlua::ToImageMap(L, map_at);
  if (surface == nullptr && (map == nullptr || !map->live())) script::RaiseInvalid(kName, "image");
  imlua::Palette* palette = palette_at ? imlua::ToPalette(L, palette_at) : nullptr;
  if (palette != nullptr && !palette->live()) palette = nullptr;
  ProjectGrid project = ReadProjectGrid(L);
  if (!project.has_grid || !project.has_scale) Fail("the project has no StudyArea and Scale");
  // the surface stays on the stack (argument 2) and nothing below runs script code
  int w = surface != nullptr ? surface->width : map->width;
  int h = surface != nullptr ? surface->height : map->height;
  // copied out now: nothing below runs script code, but the copy keeps that obvious
  std::vector<unsigned char> pixels;
  if (surface == nullptr) pixels.assign(map->data.get(), map->data.get() + map->size);
  std::vector<uint32_t> colours;
  if (palette != nullptr)
    colours.assign(palette->colors.get(), palette->colors.get() + std::min(palette->size, 256));

  ClearGdalError();
  GDALDriverH driver = GDALGetDriverByName("GTiff");
  if (driver == nullptr) Fail("GDAL has no GeoTIFF driver");
  const char* options[] = {"COMPRESS=LZW", nullptr};
  const GDALDataType type = surface != nullptr ? GDT_Float32 : GDT_Byte;
  Dataset out(GDALCreate(driver, filename.c_str(), w, h, 1, type, const_cast<char**>(options)));
  if (!out) Fail("cannot create " + filename + ": " + GdalError("creation failed"));
  bool ok = true;
  double gt[6] = {project.left, project.sx, 0, project.bottom + h * project.sy, 0, -project.sy};
  ok = ok && GDALSetGeoTransform(out.get(), gt) == CE_None;
  if (!project.crs.empty()) {
    Srs srs = MakeSrs(project.crs);
    if (!srs) Fail("the project's CRS is not one GDAL reads");
    ok = ok && GDALSetSpatialRef(out.get(), srs.get()) == CE_None;
  }
  GDALRasterBandH band = GDALGetRasterBand(out.get(), 1);
  if (!colours.empty()) {
    std::unique_ptr<void, ColourTableDestroyer> table(GDALCreateColorTable(GPI_RGB));
    for (size_t i = 0; i < colours.size(); ++i) {
      GDALColorEntry entry = {static_cast<short>(colours[i] >> 16 & 255),
                              static_cast<short>(colours[i] >> 8 & 255),
                              static_cast<short>(colours[i] & 255), 255};
      GDALSetColorEntry(static_cast<GDALColorTableH>(table.get()), static_cast<int>(i), &entry);
    }
    ok = ok && GDALSetRasterColorTable(band, static_cast<GDALColorTableH>(table.get())) == CE_None;
  }
  if (surface != nullptr) ok = ok && GDALSetRasterNoDataValue(band, surface->nodata) == CE_None;
  // row 0 of the image map is the bottom line; the file's row 0 is the top
  for (int y = 0; ok && y < h; ++y) {
    const size_t at = static_cast<size_t>(h - 1 - y) * w;
    void* row = surface != nullptr ? static_cast<void*>(surface->values.get() + at)
                                   : static_cast<void*>(pixels.data() + at);
    ok = GDALRasterIO(band, GF_Write, 0, y, w, 1, row, w, 1, type, 0, 0) == CE_None;
  }
  if (ok) GDALFlushCache(out.get());
  ok = ok && CPLGetLastErrorType() < CE_Failure;
  out.reset();
  ok = ok && CPLGetLastErrorType() < CE_Failure;
  if (!ok) {
    std::string problem = GdalError("write error");
    VSIUnlink(filename.c_str());  // no half-written file is left behind
    Fail("cannot write " + filename + ": " + problem);
  }
  return 0;
}

}  // namespace

void RegisterExportRaster(lua_State* L) {
  lua_register(L, kName, script::Guarded<Export>);
}

}  // namespace gis
