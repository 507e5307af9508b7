// ExportRoutes(filename [, format]): the project's paths as line features
// through OGR (GeoJSON, GeoPackage or Shapefile, by the name's extension or
// the OGR driver name given), in the project's CRS. Vertices are the
// script's imagetomap of the points: pixel centres, StudyArea.left +
// (x + 0.5) * Scale.sx and StudyArea.bottom + (y + 0.5) * Scale.sy.
// Attributes: name, length and cost of the path's Analysis table, and tTcJ,
// the share in percent of class J of theme T (empty when the path has not
// been analysed).
#include <algorithm>
#include <cctype>
#include <optional>
#include <string>
#include <vector>

#include "gdalsupport.h"
#include "project.h"
#include "script.h"

namespace gis {
namespace {

constexpr const char* kName = "ExportRoutes";

[[noreturn]] void Fail(const std::string& problem) {
  script::Raise(kName, problem.c_str());
}

struct Route {
  std::string name;
  std::vector<std::pair<double, double>> points;  // pixel coordinates
  std::optional<double> length, cost;
  std::vector<std::vector<std::optional<double>>> shares;  // [theme][class]
};

bool IsTable(lua_State* L, int v) {
  return lua_type(L, v) == LUA_TTABLE;
}

std::optional<double> NumberAt(lua_State* L, int table, const char* name) {
  script::StackMark mark(L);
  int v = script::GetField(L, table, name);
  if (!lua_isnumber(L, v)) return std::nullopt;
  return lua_tonumber(L, v);
}

std::string DriverFor(const std::string& filename, const char* format) {
  if (format != nullptr) return format;
  std::string lower = filename;
  std::transform(lower.begin(), lower.end(), lower.begin(),
                 [](unsigned char c) { return std::tolower(c); });
  auto ends = [&](const char* tail) {
    std::string t = tail;
    return lower.size() > t.size() && lower.compare(lower.size() - t.size(), t.size(), t) == 0;
  };
  if (ends(".geojson") || ends(".json")) return "GeoJSON";
  if (ends(".gpkg")) return "GPKG";
  if (ends(".shp")) return "ESRI Shapefile";
  Fail("cannot tell the format of " + filename + " (.geojson, .gpkg or .shp)");
}

std::string LayerName(const std::string& filename) {
  size_t slash = filename.find_last_of('/');
  std::string base = slash == std::string::npos ? filename : filename.substr(slash + 1);
  size_t dot = base.find_last_of('.');
  if (dot != std::string::npos && dot > 0) base.resize(dot);
  return base.empty() ? std::string("routes") : base;
}

int Export(lua_State* L) {
  if (lua_type(L, 1) != LUA_TSTRING) script::RaiseInvalid(kName, "filename");
  if (!script::IsNilArg(L, 2) && lua_type(L, 2) != LUA_TSTRING)
    script::RaiseInvalid(kName, "format");
  script::NoArgAt(L, 3, kName);
  CheckFileNameLength(kName, lua_tostring(L, 1));
  std::string filename = lua_tostring(L, 1);
  std::string driver_name =
      DriverFor(filename, lua_type(L, 2) == LUA_TSTRING ? lua_tostring(L, 2) : nullptr);

  ProjectGrid grid = ReadProjectGrid(L);
  if (!grid.has_grid || !grid.has_scale) Fail("the project has no StudyArea and Scale");
  // classes per theme, for the share fields
  std::vector<int> classes_per_theme;
  std::vector<Route> routes;
  {
    script::StackMark mark(L);
    int project = PushProject(L);
    int themes = script::GetField(L, project, "Themes");
    for (int t = 1; t <= grid.themes && IsTable(L, themes); ++t) {
      script::StackMark item(L);
      int theme = script::GetElement(L, themes, t);
      classes_per_theme.push_back(
          IsTable(L, theme)
              ? std::max(0, script::TruncateToInt(script::GetNumberField(L, theme, "numClasses")))
              : 0);
    }
    int count = script::TruncateToInt(script::GetNumberField(L, project, "numPaths"));
    int paths = script::GetField(L, project, "Paths");
    for (int k = 1; k <= count && IsTable(L, paths); ++k) {
      script::StackMark item(L);
      int path = script::GetElement(L, paths, k);
      if (!IsTable(L, path)) continue;
      Route route;
      route.name = script::GetStringField(L, path, "name").value_or("Route " + std::to_string(k));
      int points = script::GetField(L, path, "Points");
      int n = script::TruncateToInt(script::GetNumberField(L, path, "numPoints"));
      for (int p = 1; p <= n && IsTable(L, points); ++p) {
        script::StackMark point_mark(L);
        int point = script::GetElement(L, points, p);
        if (!IsTable(L, point))
          Fail("point " + std::to_string(p) + " of path " + std::to_string(k) + " is missing");
        route.points.emplace_back(script::GetNumberField(L, point, "x"),
                                  script::GetNumberField(L, point, "y"));
      }
      int analysis = script::GetField(L, path, "Analysis");
      route.shares.resize(classes_per_theme.size());
      for (size_t t = 0; t < classes_per_theme.size(); ++t)
        route.shares[t].assign(static_cast<size_t>(classes_per_theme[t]), std::nullopt);
      if (IsTable(L, analysis)) {
        route.length = NumberAt(L, analysis, "length");
        route.cost = NumberAt(L, analysis, "cost");
        int athemes = script::GetField(L, analysis, "Themes");
        for (size_t t = 0; t < classes_per_theme.size() && IsTable(L, athemes); ++t) {
          script::StackMark theme_mark(L);
          int atheme = script::GetElement(L, athemes, static_cast<long long>(t) + 1);
          if (!IsTable(L, atheme)) continue;
          int aclasses = script::GetField(L, atheme, "Classes");
          for (int j = 1; j <= classes_per_theme[t] && IsTable(L, aclasses); ++j) {
            script::StackMark class_mark(L);
            int aclass = script::GetElement(L, aclasses, j);
            if (IsTable(L, aclass)) route.shares[t][j - 1] = NumberAt(L, aclass, "perc");
          }
        }
      }
      routes.push_back(std::move(route));
    }
  }

  ClearGdalError();
  GDALDriverH driver = GDALGetDriverByName(driver_name.c_str());
  if (driver == nullptr) Fail("OGR has no driver " + driver_name);
  Srs srs;
  if (!grid.crs.empty()) {
    srs = MakeSrs(grid.crs);
    if (!srs) Fail("the project's CRS is not one GDAL reads");
  }
  VSIStatBufL stat;
  if (VSIStatL(filename.c_str(), &stat) == 0) GDALDeleteDataset(driver, filename.c_str());
  ClearGdalError();
  Dataset out(GDALCreate(driver, filename.c_str(), 0, 0, 0, GDT_Unknown, nullptr));
  if (!out) Fail("cannot create " + filename + ": " + GdalError("creation failed"));
  OGRLayerH layer =
      GDALDatasetCreateLayer(out.get(), LayerName(filename).c_str(),
                             static_cast<OGRSpatialReferenceH>(srs.get()), wkbLineString, nullptr);
  if (layer == nullptr) Fail("cannot create a layer in " + filename + ": " + GdalError("failed"));
  bool ok = true;
  auto add_field = [&](const char* name, OGRFieldType type) {
    OGRFieldDefnH field = OGR_Fld_Create(name, type);
    ok = ok && OGR_L_CreateField(layer, field, TRUE) == OGRERR_NONE;
    OGR_Fld_Destroy(field);
  };
  add_field("name", OFTString);
  add_field("length", OFTReal);
  add_field("cost", OFTReal);
  for (size_t t = 0; t < classes_per_theme.size(); ++t)
    for (int j = 1; j <= classes_per_theme[t]; ++j) {
      // appended piece by piece: "t" + std::string trips GCC 12's false -Wrestrict at -O3
      std::string field = "t";
      field += std::to_string(t + 1);
      field += 'c';
      field += std::to_string(j);
      add_field(field.c_str(), OFTReal);
    }
  if (!ok) Fail("cannot make the attributes in " + filename + ": " + GdalError("failed"));
  // one transaction where the driver has them (GeoPackage): much faster
  bool transaction = OGR_L_StartTransaction(layer) == OGRERR_NONE;
  OGRFeatureDefnH definition = OGR_L_GetLayerDefn(layer);
  for (const Route& route : routes) {
    Feature feature(OGR_F_Create(definition));
    int field = 0;
    OGR_F_SetFieldString(static_cast<OGRFeatureH>(feature.get()), field++, route.name.c_str());
    auto set = [&](const std::optional<double>& value) {
      if (value)
        OGR_F_SetFieldDouble(static_cast<OGRFeatureH>(feature.get()), field, *value);
      else
        OGR_F_SetFieldNull(static_cast<OGRFeatureH>(feature.get()), field);
      ++field;
    };
    set(route.length);
    set(route.cost);
    for (const auto& theme : route.shares)
      for (const auto& share : theme) set(share);
    // a line needs two vertices: shorter paths are kept without geometry
    if (route.points.size() >= 2) {
      Geometry line(OGR_G_CreateGeometry(wkbLineString));
      for (const auto& [x, y] : route.points)
        OGR_G_AddPoint_2D(static_cast<OGRGeometryH>(line.get()), grid.left + (x + 0.5) * grid.sx,
                          grid.bottom + (y + 0.5) * grid.sy);
      OGR_F_SetGeometry(static_cast<OGRFeatureH>(feature.get()),
                        static_cast<OGRGeometryH>(line.get()));
    }
    ok = ok && OGR_L_CreateFeature(layer, static_cast<OGRFeatureH>(feature.get())) == OGRERR_NONE;
  }
  if (transaction) ok = OGR_L_CommitTransaction(layer) == OGRERR_NONE && ok;
  ok = ok && CPLGetLastErrorType() < CE_Failure;
  out.reset();
  ok = ok && CPLGetLastErrorType() < CE_Failure;
  if (!ok) {
    std::string problem = GdalError("write error");
    GDALDeleteDataset(driver, filename.c_str());
    Fail("cannot write " + filename + ": " + problem);
  }
  return 0;
}

}  // namespace

void RegisterExportRoutes(lua_State* L) {
  lua_register(L, kName, script::Guarded<Export>);
}

}  // namespace gis
