// ImportGeoRaster of a 10 000 x 10 000 byte GeoTIFF beside gdal_translate
// copying the same file, in one run (goal: import at most 1.5x the copy).
// The file is made once in the temporary folder (VARKO_BENCH_SIZE overrides
// the side) and removed at the end.
#include <benchmark/benchmark.h>
#include <gdal.h>
#include <ogr_srs_api.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "gis.h"
#include "host.h"
#include "imlua.h"

namespace {

std::string folder = "/tmp";
std::string source_file, copy_file;
int side = 10000;

void MakeSource() {
  GDALAllRegister();
  GDALDriverH driver = GDALGetDriverByName("GTiff");
  GDALDatasetH ds = GDALCreate(driver, source_file.c_str(), side, side, 1, GDT_Byte, nullptr);
  if (ds == nullptr) {
    std::fprintf(stderr, "cannot create %s\n", source_file.c_str());
    std::exit(2);
  }
  double gt[6] = {500000, 5, 0, 4200000, 0, -5};
  GDALSetGeoTransform(ds, gt);
  OGRSpatialReferenceH srs = OSRNewSpatialReference(nullptr);
  OSRImportFromEPSG(srs, 32633);
  GDALSetSpatialRef(ds, srs);
  OSRDestroySpatialReference(srs);
  GDALRasterBandH band = GDALGetRasterBand(ds, 1);
  std::vector<unsigned char> row(side);
  for (int y = 0; y < side; ++y) {
    // land-use-like patches of twelve classes
    for (int x = 0; x < side; ++x)
      row[x] = static_cast<unsigned char>(1 + ((x / 37) * 7 + (y / 53) * 3) % 12);
    if (GDALRasterIO(band, GF_Write, 0, y, side, 1, row.data(), side, 1, GDT_Byte, 0, 0) != CE_None)
      std::exit(2);
  }
  GDALClose(ds);
}

void BM_ImportGeoRaster(benchmark::State& state) {
  lua_State* L = HostNewInterpreter();
  imlua_open(L);
  RegisterGisFunctions(L);
  std::string chunk = "local r = ImportGeoRaster('" + source_file + "') assert(r.numClasses == 12)";
  for (auto _ : state) {
    if (luaL_dostring(L, chunk.c_str()) != LUA_OK) {
      state.SkipWithError(lua_tostring(L, -1));
      break;
    }
    lua_gc(L, LUA_GCCOLLECT);
  }
  lua_close(L);
}

void BM_GdalTranslateCopy(benchmark::State& state) {
  std::string command = "gdal_translate -q " + source_file + " " + copy_file;
  for (auto _ : state) {
    if (std::system(command.c_str()) != 0) {
      state.SkipWithError("gdal_translate failed");
      break;
    }
  }
  std::remove(copy_file.c_str());
}

BENCHMARK(BM_ImportGeoRaster)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_GdalTranslateCopy)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace

int main(int argc, char** argv) {
  if (const char* tmp = std::getenv("TMPDIR")) folder = tmp;
  if (const char* size = std::getenv("VARKO_BENCH_SIZE")) side = std::atoi(size);
  source_file = folder + "/varko_bench_import.tif";
  copy_file = folder + "/varko_bench_copy.tif";
  MakeSource();
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  std::remove(source_file.c_str());
  return 0;
}
