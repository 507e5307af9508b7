// ImportGeoRaster(filename [, options]): any raster GDAL reads becomes what
// the script needs to make a theme: an image map with its palette and the
// class list, and for the first import into an empty project the grid
// (Dimension, StudyArea, Scale) and the CRS. A raster on another grid or in
// another CRS is warped onto the project's grid; a rotated one north-up.
// The open project is only read: the script applies the result. Reading
// and warping report their progress to the host (a dialog with Cancel after
// half a second); a cancel gives "ImportGeoRaster: cancelled!".
//
// Options (a table, all optional): band (1), categorical (true, false or
// nil for "integer values, at most 255 distinct"), method ("equal",
// "quantile" or "breaks"), classes (5), breaks (ascending list), resampling
// for continuous bands ("bilinear"; categorical bands always use nearest).
#include <gdal_alg.h>
#include <gdal_utils.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "classify.h"
#include "gdalsupport.h"
#include "im.h"
#include "imlua.h"
#include "project.h"
#include "script.h"

namespace gis {
namespace {

constexpr const char* kName = "ImportGeoRaster";

struct Request {
  std::string filename;
  int band = 1;
  std::optional<bool> categorical;
  ContinuousRequest continuous;
  std::string resampling = "bilinear";
};

[[noreturn]] void Fail(const std::string& problem) {
  script::Raise(kName, problem.c_str());
}

bool KnownResampling(const std::string& method) {
  for (const char* known : {"near", "bilinear", "cubic", "cubicspline", "lanczos", "average",
                            "mode", "min", "max", "med", "q1", "q3", "sum", "rms"})
    if (method == known) return true;
  return false;
}

Request ReadRequest(lua_State* L) {
  Request request;
  if (lua_type(L, 1) != LUA_TSTRING) script::RaiseInvalid(kName, "filename");
  if (!script::IsNilArg(L, 2) && lua_type(L, 2) != LUA_TTABLE)
    script::RaiseInvalid(kName, "options");
  script::NoArgAt(L, 3, kName);
  CheckFileNameLength(kName, lua_tostring(L, 1));
  request.filename = lua_tostring(L, 1);
  if (lua_type(L, 2) != LUA_TTABLE) return request;
  script::StackMark mark(L);
  int band = script::GetField(L, 2, "band");
  if (!script::IsNil(L, band)) {
    double n = script::ValueToNumber(L, band);
    if (!(n >= 1 && n == std::floor(n) && n < 65536)) Fail("band should be a positive integer");
    request.band = static_cast<int>(n);
  }
  int categorical = script::GetField(L, 2, "categorical");
  if (!script::IsNil(L, categorical)) {
    if (lua_type(L, categorical) != LUA_TBOOLEAN) Fail("categorical should be true or false");
    request.categorical = lua_toboolean(L, categorical) != 0;
  }
  int classes = script::GetField(L, 2, "classes");
  if (!script::IsNil(L, classes)) {
    double n = script::ValueToNumber(L, classes);
    if (!(n >= 1 && n <= 255 && n == std::floor(n)))
      Fail("classes should be an integer from 1 to 255");
    request.continuous.count = static_cast<int>(n);
  }
  int breaks = script::GetField(L, 2, "breaks");
  if (!script::IsNil(L, breaks)) {
    if (lua_type(L, breaks) != LUA_TTABLE) Fail("breaks should be a list of numbers");
    lua_Integer n = static_cast<lua_Integer>(lua_rawlen(L, breaks));
    if (n > 254) Fail("at most 254 breaks");
    for (lua_Integer k = 1; k <= n; ++k) {
      script::StackMark item(L);
      int value = script::GetElement(L, breaks, k);
      if (!lua_isnumber(L, value)) Fail("breaks should be a list of numbers");
      request.continuous.breaks.push_back(lua_tonumber(L, value));
    }
    request.continuous.method = Method::Breaks;
  }
  std::optional<std::string> method = script::GetStringField(L, 2, "method");
  if (method) {
    if (*method == "equal")
      request.continuous.method = Method::EqualInterval;
    else if (*method == "quantile")
      request.continuous.method = Method::Quantile;
    else if (*method == "breaks")
      request.continuous.method = Method::Breaks;
    else
      Fail("unknown classification method " + *method + " (equal, quantile or breaks)");
  }
  if (request.continuous.method == Method::Breaks && request.continuous.breaks.empty())
    Fail("the breaks method needs a list of breaks");
  std::optional<std::string> resampling = script::GetStringField(L, 2, "resampling");
  if (resampling) {
    request.resampling = *resampling == "nearest" ? "near" : *resampling;
    if (!KnownResampling(request.resampling)) Fail("unknown resampling method " + *resampling);
  }
  return request;
}

// A north-up grid: pixel (0, 0) of GDAL at the top left corner.
struct Grid {
  int w = 0, h = 0;
  double left = 0, top = 0, sx = 1, sy = 1;  // sy > 0 going down
  std::string crs;
  double right() const { return left + w * sx; }
  double bottom() const { return top - h * sy; }
};

bool Near(double a, double b, double scale) {
  return std::fabs(a - b) <= 1e-9 * std::max(1.0, std::fabs(scale));
}

bool SameCrs(const std::string& a, const std::string& b) {
  if (a.empty() || b.empty()) return true;  // a missing CRS is taken as the other's
  if (a == b) return true;
  Srs sa = MakeSrs(a), sb = MakeSrs(b);
  return sa && sb && OSRIsSame(sa.get(), sb.get());
}

// The dataset warped onto the grid, band 1 the values and band 2 the alpha
// that marks pixels outside the source or at nodata.
Dataset WarpOnto(GDALDatasetH source, const std::string& source_crs, const Grid& grid,
                 const std::string& method, ProgressScope& progress) {
  char number[4][64];
  std::snprintf(number[0], sizeof number[0], "%.17g", grid.left);
  std::snprintf(number[1], sizeof number[1], "%.17g", grid.bottom());
  std::snprintf(number[2], sizeof number[2], "%.17g", grid.right());
  std::snprintf(number[3], sizeof number[3], "%.17g", grid.top);
  std::string w = std::to_string(grid.w), h = std::to_string(grid.h);
  std::vector<const char*> args = {"-of", "MEM",     "-r",      method.c_str(), "-dstalpha",
                                   "-te", number[0], number[1], number[2],      number[3],
                                   "-ts", w.c_str(), h.c_str()};
  if (!grid.crs.empty() && !source_crs.empty()) {
    args.push_back("-t_srs");
    args.push_back(grid.crs.c_str());
  }
  args.push_back(nullptr);
  std::unique_ptr<GDALWarpAppOptions, void (*)(GDALWarpAppOptions*)> options(
      GDALWarpAppOptionsNew(const_cast<char**>(args.data()), nullptr), GDALWarpAppOptionsFree);
  if (!options) Fail("cannot set the warp up: " + GdalError("bad options"));
  GDALWarpAppOptionsSetProgress(options.get(), GdalProgress, &progress);
  int usage_error = 0;
  GDALDatasetH sources[1] = {source};
  Dataset warped(GDALWarp("", nullptr, 1, sources, options.get(), &usage_error));
  if (progress.stopped()) Fail("cancelled");
  if (!warped) Fail("cannot warp onto the project grid: " + GdalError("the warp failed"));
  return warped;
}

// The single band asked for, as a dataset of its own (a VRT over the file),
// so that the warper moves that band only.
Dataset SingleBand(GDALDatasetH source, int band) {
  std::string b = std::to_string(band);
  const char* args[] = {"-of", "VRT", "-b", b.c_str(), nullptr};
  std::unique_ptr<GDALTranslateOptions, void (*)(GDALTranslateOptions*)> options(
      GDALTranslateOptionsNew(const_cast<char**>(args), nullptr), GDALTranslateOptionsFree);
  if (!options) Fail("cannot select band " + b);
  Dataset single(GDALTranslate("", source, options.get(), nullptr));
  if (!single) Fail("cannot select band " + b + ": " + GdalError("failed"));
  return single;
}

// Reads the whole band as type into data, reporting to progress.
void ReadBand(GDALRasterBandH band, int w, int h, void* data, GDALDataType type,
              ProgressScope& progress) {
  GDALRasterIOExtraArg extra;
  INIT_RASTERIO_EXTRA_ARG(extra);
  extra.pfnProgress = GdalProgress;
  extra.pProgressData = &progress;
  CPLErr status = GDALRasterIOEx(band, GF_Read, 0, 0, w, h, data, w, h, type, 0, 0, &extra);
  if (progress.stopped()) Fail("cancelled");
  if (status != CE_None) Fail("cannot read the pixels: " + GdalError("read error"));
}

// The band's values as doubles, NaN at nodata (and where alpha is 0).
std::vector<double> ReadValues(GDALRasterBandH band, GDALRasterBandH alpha, int w, int h,
                               ProgressScope& progress, double from) {
  std::vector<double> values(static_cast<size_t>(w) * h);
  const double split = alpha != nullptr ? from + (1 - from) * 0.8 : 1;
  progress.StartPart(from, split);
  ReadBand(band, w, h, values.data(), GDT_Float64, progress);
  int has_nodata = 0;
  double nodata = GDALGetRasterNoDataValue(band, &has_nodata);
  if (has_nodata) {
    for (double& v : values)
      if (v == nodata || (std::isnan(nodata) && std::isnan(v))) v = std::nan("");
  }
  if (alpha != nullptr) {
    std::vector<unsigned char> mask(values.size());
    progress.StartPart(split, 1);
    ReadBand(alpha, w, h, mask.data(), GDT_Byte, progress);
    for (size_t i = 0; i < values.size(); ++i)
      if (mask[i] == 0) values[i] = std::nan("");
  }
  return values;
}

ColourTable ReadColours(GDALRasterBandH band) {
  ColourTable colours;
  GDALColorTableH table = GDALGetRasterColorTable(band);
  if (table == nullptr) return colours;
  int count = std::min(GDALGetColorEntryCount(table), 256);
  for (int i = 0; i < count; ++i) {
    GDALColorEntry entry;
    GDALGetColorEntryAsRGB(table, i, &entry);
    colours.push_back(static_cast<uint32_t>(entry.c1 & 255) << 16 |
                      static_cast<uint32_t>(entry.c2 & 255) << 8 |
                      static_cast<uint32_t>(entry.c3 & 255));
  }
  return colours;
}

std::vector<std::string> ReadNames(GDALRasterBandH band) {
  std::vector<std::string> names;
  for (char** name = GDALGetRasterCategoryNames(band); name != nullptr && *name != nullptr; ++name)
    names.emplace_back(*name);
  return names;
}

// What the import computed, before anything is handed to the script.
struct Outcome {
  Grid grid;
  Classification classification;
  bool categorical = false;
  bool warped = false;
  // GDAL rows top first; exactly one of these holds the pixels
  std::vector<unsigned char> indices;
  std::vector<unsigned char> bytes;  // raw byte values mapped through lut
  unsigned char lut[256] = {};
  unsigned char nodata_index = 0;
  std::optional<unsigned char> byte_nodata;
};

// The byte fast path: a byte band read as it stands, values as indices.
bool ClassifyBytes(GDALRasterBandH band, const Request& request, Outcome* out,
                   ProgressScope& progress) {
  int w = out->grid.w, h = out->grid.h;
  out->bytes.resize(static_cast<size_t>(w) * h);
  progress.StartPart(0, 1);
  ReadBand(band, w, h, out->bytes.data(), GDT_Byte, progress);
  int has_nodata = 0;
  double nodata = GDALGetRasterNoDataValue(band, &has_nodata);
  std::optional<int> nodata_value;
  if (has_nodata && nodata >= 0 && nodata <= 255 && nodata == std::floor(nodata))
    nodata_value = static_cast<int>(nodata);
  std::vector<long long> counts(256, 0);
  for (unsigned char v : out->bytes) ++counts[v];
  long long nodata_pixels = 0;
  if (nodata_value) std::swap(nodata_pixels, counts[*nodata_value]);
  int distinct = 0;
  for (long long c : counts) distinct += c > 0;
  if (distinct > 255) {
    if (request.categorical.value_or(false))
      Fail("a categorical band has at most 255 distinct values, this one has more");
    return false;  // continuous after all
  }
  out->classification =
      ClassifyByteCategories(counts, nodata_pixels, nodata_value, ReadColours(band),
                             ReadNames(band), out->lut, &out->nodata_index);
  if (nodata_value) out->byte_nodata = static_cast<unsigned char>(*nodata_value);
  out->categorical = true;
  return true;
}

Outcome Compute(const Request& request, const ProjectGrid& project, ProgressScope& progress) {
  ClearGdalError();
  Dataset file(GDALOpenEx(request.filename.c_str(), GDAL_OF_RASTER | GDAL_OF_VERBOSE_ERROR, nullptr,
                          nullptr, nullptr));
  if (!file) Fail("cannot read " + request.filename + ": " + GdalError("not a raster GDAL knows"));
  int bands = GDALGetRasterCount(file.get());
  if (request.band > bands)
    Fail(request.filename + " has " + std::to_string(bands) + " band(s), not " +
         std::to_string(request.band));
  GDALRasterBandH file_band = GDALGetRasterBand(file.get(), request.band);
  GDALDataType type = GDALGetRasterDataType(file_band);
  if (GDALDataTypeIsComplex(type)) Fail("complex values cannot make a theme");
  bool integer_type = !GDALDataTypeIsFloating(type);
  bool categorical_warp = request.categorical.value_or(integer_type);

  Outcome out;
  std::string file_crs = GDALGetProjectionRef(file.get()) ? GDALGetProjectionRef(file.get()) : "";
  double gt[6];
  bool georeferenced = GDALGetGeoTransform(file.get(), gt) == CE_None;
  int fw = GDALGetRasterXSize(file.get()), fh = GDALGetRasterYSize(file.get());
  bool north_up = georeferenced && gt[2] == 0 && gt[4] == 0 && gt[1] > 0 && gt[5] < 0;
  bool first = project.themes <= 0 || !project.has_grid;
  bool warp = false;
  Grid& grid = out.grid;
  if (first) {
    grid.crs = file_crs;
    if (!georeferenced) {
      grid = {fw, fh, 0, static_cast<double>(fh), 1, 1, file_crs};
    } else if (north_up) {
      grid = {fw, fh, gt[0], gt[3], gt[1], -gt[5], file_crs};
    } else {
      // rotated or south-up: the warper's suggestion of a north-up grid
      void* transformer = GDALCreateGenImgProjTransformer2(file.get(), nullptr, nullptr);
      if (transformer == nullptr)
        Fail("cannot turn " + request.filename + " north-up: " + GdalError("no transform"));
      double out_gt[6];
      int ow = 0, oh = 0;
      CPLErr status = GDALSuggestedWarpOutput(file.get(), GDALGenImgProjTransform, transformer,
                                              out_gt, &ow, &oh);
      GDALDestroyGenImgProjTransformer(transformer);
      if (status != CE_None || ow <= 0 || oh <= 0)
        Fail("cannot turn " + request.filename + " north-up: " + GdalError("no grid"));
      grid = {ow, oh, out_gt[0], out_gt[3], out_gt[1], -out_gt[5], file_crs};
      warp = true;
    }
  } else {
    grid.w = project.w;
    grid.h = project.h;
    grid.left = project.left;
    grid.top = project.top;
    grid.sx = (project.right - project.left) / project.w;
    grid.sy = (project.top - project.bottom) / project.h;
    grid.crs = project.crs;
    if (!georeferenced) {
      if (fw != grid.w || fh != grid.h)
        Fail(request.filename + " has no georeference and its size differs from the project's");
    } else {
      bool same_grid = north_up && fw == grid.w && fh == grid.h &&
                       Near(gt[0], grid.left, grid.sx * grid.w) &&
                       Near(gt[3], grid.top, grid.sy * grid.h) && Near(gt[1], grid.sx, grid.sx) &&
                       Near(-gt[5], grid.sy, grid.sy);
      warp = !same_grid || !SameCrs(file_crs, grid.crs);
    }
  }
  if (!imValidSize(grid.w, grid.h)) Fail("the grid is too large for an image map");

  GDALRasterBandH band = file_band;
  GDALRasterBandH alpha = nullptr;
  Dataset single, warped;
  if (warp) {
    GDALDatasetH source = file.get();
    if (bands > 1) {
      single = SingleBand(file.get(), request.band);
      source = single.get();
    }
    progress.StartPart(0, 0.7);
    warped = WarpOnto(source, file_crs, grid,
                      categorical_warp ? std::string("near") : request.resampling, progress);
    band = GDALGetRasterBand(warped.get(), 1);
    alpha = GDALGetRasterBand(warped.get(), 2);
    out.warped = true;
  }
  if (type == GDT_Byte && !warp && request.categorical.value_or(true) &&
      ClassifyBytes(band, request, &out, progress))
    return out;
  out.bytes.clear();
  out.bytes.shrink_to_fit();

  std::vector<double> values = ReadValues(band, alpha, grid.w, grid.h, progress, warp ? 0.7 : 0);
  if (warp && std::all_of(values.begin(), values.end(), [](double v) { return std::isnan(v); }))
    Fail(request.filename + " lies outside the project's study area");
  bool categorical = request.categorical.value_or(integer_type && LooksCategorical(values));
  if (categorical) {
    CategoricalOutcome c =
        ClassifyCategories(values, ReadColours(file_band), ReadNames(file_band), &out.indices);
    if (!c.problem.empty()) Fail(c.problem);
    out.classification = std::move(c.classification);
    out.categorical = true;
  } else {
    ContinuousOutcome c = ClassifyContinuous(values, request.continuous, &out.indices);
    if (!c.problem.empty()) Fail(c.problem);
    out.classification = std::move(c.classification);
  }
  return out;
}

// result, imagemap and palette made together; nothing else is owned then.
int DoMakeObjects(lua_State* L) {  // w, h -> result
  int w = static_cast<int>(lua_tointeger(L, 1)), h = static_cast<int>(lua_tointeger(L, 2));
  lua_newtable(L);  // 3: result
  lua_newtable(L);  // 4: Image
  if (imlua::PushImageMap(L, w, h) == nullptr)
    return luaL_error(L, "not enough memory for the image map");
  lua_setfield(L, 4, "imagemap");
  if (imlua::PushPalette(L, 256) == nullptr)
    return luaL_error(L, "not enough memory for the palette");
  lua_setfield(L, 4, "palette");
  lua_setfield(L, 3, "Image");
  return 1;
}

void SetTable(lua_State* L, int table, const char* name,
              std::initializer_list<std::pair<const char*, double>> fields) {
  script::StackMark mark(L);
  int sub = script::NewTableField(L, table, name);
  for (const auto& [field, value] : fields) script::SetNumberField(L, sub, field, value);
}

// The progress dialog's loop steps may run script code: an import asked
// for meanwhile is refused.
bool importing = false;
struct Importing {
  Importing() { importing = true; }
  ~Importing() { importing = false; }
  Importing(const Importing&) = delete;
  Importing& operator=(const Importing&) = delete;
};

int Import(lua_State* L) {
  if (importing) Fail("an import is running");
  Request request = ReadRequest(L);
  ProjectGrid project = ReadProjectGrid(L);
  Outcome out;
  {
    Importing busy;
    ProgressScope progress(kName, ("Importing " + request.filename + "...").c_str());
    out = Compute(request, project, progress);
  }
  const Grid& grid = out.grid;

  if (!lua_checkstack(L, 8)) throw script::ScriptError{"stack overflow"};
  lua_pushcfunction(L, DoMakeObjects);
  lua_pushinteger(L, grid.w);
  lua_pushinteger(L, grid.h);
  if (lua_pcall(L, 2, 1, 0) != LUA_OK) {
    std::string message = lua_tostring(L, -1) ? lua_tostring(L, -1) : "error";
    lua_pop(L, 1);
    Fail(message);
  }
  int result = lua_gettop(L);
  {
    script::StackMark mark(L);
    int image = script::GetField(L, result, "Image");
    imlua::ImageMap* map = imlua::ToImageMap(L, script::GetField(L, image, "imagemap"));
    imlua::Palette* palette = imlua::ToPalette(L, script::GetField(L, image, "palette"));
    if (map == nullptr || !map->live() || palette == nullptr || !palette->live())
      Fail("the image map went away");
    // row 0 of the image map is the bottom line; GDAL's row 0 is the top
    size_t w = static_cast<size_t>(grid.w);
    for (int y = 0; y < grid.h; ++y) {
      unsigned char* target = map->data.get() + static_cast<size_t>(grid.h - 1 - y) * w;
      if (!out.indices.empty()) {
        std::memcpy(target, out.indices.data() + y * w, w);
      } else {
        const unsigned char* source = out.bytes.data() + y * w;
        for (size_t x = 0; x < w; ++x) target[x] = out.lut[source[x]];
        if (out.byte_nodata)
          for (size_t x = 0; x < w; ++x)
            if (source[x] == *out.byte_nodata) target[x] = out.nodata_index;
      }
    }
    for (int i = 0; i < 256; ++i) palette->colors[i] = out.classification.palette[i];
  }
  {
    script::StackMark mark(L);
    const auto& classes = out.classification.classes;
    int list = script::NewTableField(L, result, "Classes");
    for (size_t j = 0; j < classes.size(); ++j) {
      script::StackMark item(L);
      int entry = script::NewTableElement(L, list, static_cast<long long>(j) + 1);
      script::SetNumberField(L, entry, "colorindex", classes[j].colorindex);
      script::SetNumberField(L, entry, "weight", classes[j].weight);
      script::SetStringField(L, entry, "description", classes[j].description.c_str());
    }
    script::SetNumberField(L, result, "numClasses", static_cast<double>(classes.size()));
  }
  SetBooleanField(L, result, "categorical", out.categorical);
  SetBooleanField(L, result, "warped", out.warped);
  if (project.themes <= 0 || !project.has_grid) {
    SetTable(L, result, "Dimension", {{"w", grid.w}, {"h", grid.h}});
    SetTable(L, result, "StudyArea",
             {{"left", grid.left},
              {"right", grid.right()},
              {"bottom", grid.bottom()},
              {"top", grid.top}});
    SetTable(L, result, "Scale", {{"sx", grid.sx}, {"sy", grid.sy}});
    script::SetStringField(L, result, "CRS", grid.crs.c_str());
  }
  lua_settop(L, result);
  return 1;
}

}  // namespace

void RegisterImport(lua_State* L) {
  lua_register(L, kName, script::Guarded<Import>);
}

}  // namespace gis
