// libFuzzer target for ImportGeoRaster: the input is offered to GDAL as a
// memory file (/vsimem) and imported twice, into an empty project and onto
// a small project grid in another CRS (the warp path). Every outcome must
// be a result table or a script error; rasters beyond 4 million pixels are
// left out to keep the fuzzer within its memory limit. Seeds: seeds/georaster
// (a GeoTIFF from gdal_create, an ESRI ASCII grid with nodata).
#include <cpl_vsi.h>
#include <gdal.h>

#include <cstdint>

#include "gis.h"
#include "host.h"
#include "imlua.h"

namespace {

constexpr const char* kFile = "/vsimem/fuzz_georaster";

lua_State* Interpreter() {
  static lua_State* L = [] {
    lua_State* state = HostNewInterpreter();
    imlua_open(state);
    RegisterGisFunctions(state);
    return state;
  }();
  return L;
}

bool SmallEnough() {
  GDALDatasetH ds = GDALOpenEx(kFile, GDAL_OF_RASTER, nullptr, nullptr, nullptr);
  if (ds == nullptr) return true;  // the import reports it
  bool small = static_cast<long long>(GDALGetRasterXSize(ds)) * GDALGetRasterYSize(ds) <= 4'000'000;
  GDALClose(ds);
  return small;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  lua_State* L = Interpreter();
  VSILFILE* file = VSIFileFromMemBuffer(kFile, const_cast<GByte*>(data), size, FALSE);
  if (file == nullptr) return 0;
  VSIFCloseL(file);
  if (SmallEnough()) {
    luaL_dostring(
        L,
        "Varko = nil pcall(ImportGeoRaster, '/vsimem/fuzz_georaster')\n"
        "Varko = { Project = { numThemes = 1, Dimension = { w = 8, h = 6 }, CRS = 'EPSG:4326',\n"
        "  StudyArea = { left = 14.9, right = 15.1, bottom = 51.9, top = 52.1 } } }\n"
        "pcall(ImportGeoRaster, '/vsimem/fuzz_georaster', { method = 'quantile' })\n"
        "collectgarbage()");
    lua_settop(L, 0);
  }
  VSIUnlink(kFile);
  return 0;
}
