// CostSurface and Corridor over the project copy and the combined theme.
#include "costsurface.h"

#include <cmath>
#include <memory>
#include <new>
#include <string>
#include <vector>

#include "analysis.h"
#include "groundunits.h"
#include "imlua.h"
#include "minpath.h"
#include "rawdata.h"
#include "surface.h"
#include "timedprogress.h"

namespace route {

using namespace script;

namespace {

// Sums of float costs along two routes meet a route's own sum only up to
// float rounding: a pixel on the best route may come out a few ulps above
// the least cost.
constexpr double kRounding = 1e-5;

// The points argument at n, each inside the raster of width x height.
std::vector<Point> ReadPoints(lua_State* L, const char* name, int n, int width, int height) {
  if (!lua_istable(L, n)) RaiseInvalid(name, "points");
  StackMark mark(L);
  std::vector<Point> points;
  const auto add = [&](Value point, long long k) {
    if (!lua_istable(L, point)) Raise(name, ("point " + std::to_string(k) + " is missing").c_str());
    const Value x = raw::Field(L, point, "x"), y = raw::Field(L, point, "y");
    if (!lua_isnumber(L, x) || !lua_isnumber(L, y))
      Raise(name, ("point " + std::to_string(k) + " has no x and y").c_str());
    const double px = lua_tonumber(L, x), py = lua_tonumber(L, y);
    if (!(px >= 0 && py >= 0 && px < width && py < height)) {
      std::string problem = "point " + std::to_string(k) + " (";
      problem += std::to_string(px) + ", ";
      problem += std::to_string(py) + ") lies off the raster";
      Raise(name, problem.c_str());
    }
    points.push_back({TruncateToInt(px), TruncateToInt(py)});
  };
  if (lua_isnumber(L, raw::Field(L, n, "x"))) {
    add(n, 1);
    return points;
  }
  Value list = n;
  long long count = static_cast<long long>(lua_rawlen(L, n));
  if (lua_istable(L, raw::Field(L, n, "Points"))) {
    list = raw::Field(L, n, "Points");
    const Value declared = raw::Field(L, n, "numPoints");
    count = lua_isnumber(L, declared) ? TruncateToInt(lua_tonumber(L, declared))
                                      : static_cast<long long>(lua_rawlen(L, list));
  }
  for (long long k = 1; k <= count; ++k) {
    StackMark each(L);
    add(raw::Element(L, list, k), k);
  }
  if (points.empty()) Raise(name, "no points given");
  return points;
}

// The cost context of a search as MinimumPath would run it now, leaving the
// shared one as it is.
CostContext SearchContext(const char* name) {
  RefuseWhileInUse(name);
  const ProjectCopy& project = NeedProject(name);
  const CombinedResult& combined = NeedCombined(name);
  CostContext cost = State().cost;
  PrepareSearch(name, cost, project, combined);
  if (cost.width <= 0 || cost.height <= 0) Raise(name, "the project has no raster");
  return cost;
}

template <typename T>
std::unique_ptr<T[]> Allocate(const char* name, std::size_t count) {
  std::unique_ptr<T[]> block(new (std::nothrow) T[count]);
  if (block == nullptr) Raise(name, "not enough memory");
  return block;
}

}  // namespace

int CostSurface(lua_State* L) {
  constexpr const char* kName = "CostSurface";
  const CostContext cost = SearchContext(kName);
  NoArgAt(L, 2, kName);
  const std::vector<Point> sources = ReadPoints(L, kName, 1, cost.width, cost.height);
  gis::Surface* surface = gis::PushSurface(L, cost.width, cost.height, kImpassable);
  if (surface == nullptr) Raise(kName, "not enough memory");
  // taken again: a collection while the surface was made may have run script code
  const CostContext now = SearchContext(kName);
  if (now.width != cost.width || now.height != cost.height) Raise(kName, "the project changed");
  TimedProgress progress(1);
  const SurfaceResult swept =
      ComputeCostSurface(now, sources, {}, surface->values.get(), &progress);
  if (swept.cancelled) {
    lua_pushnil(L);
    lua_pushboolean(L, 1);
    return 2;
  }
  if (!swept.done) Raise(kName, "the raster is too large for a search");
  return 1;
}

int Corridor(lua_State* L) {
  constexpr const char* kName = "Corridor";
  const int width = SearchContext(kName).width, height = SearchContext(kName).height;
  NoArgAt(L, 3, kName);
  if (!IsNumberArg(L, 2)) RaiseInvalid(kName, "tolerance");
  const double tolerance = lua_tonumber(L, 2);
  if (!(tolerance >= 0) || std::isinf(tolerance))
    Raise(kName, "the tolerance must be a number of 0 or more");
  const std::vector<Point> waypoints = ReadPoints(L, kName, 1, width, height);
  if (waypoints.size() < 2) Raise(kName, "a corridor needs two waypoints or more");
  bool classified = false;
  for (const ThemeRecord& theme : NeedProject(kName).themes) classified |= theme.numClasses > 0;
  if (!classified) Raise(kName, "the project has no themes");
  std::string crs;
  {
    StackMark mark(L);
    const Value varko = raw::Global(L, "Varko");
    crs = raw::String(L, raw::Field(L, varko, "Project"), "CRS").value_or("");
  }
  const gis::GroundUnits units = gis::GroundUnitsOf(crs);

  // The script objects first, before anything is owned here.
  const int result = lua_gettop(L) + 1;
  lua_createtable(L, 0, 8);
  lua_createtable(L, 0, 2);
  imlua::ImageMap* mask = imlua::PushImageMap(L, width, height);
  if (mask == nullptr) Raise(kName, "not enough memory");
  lua_setfield(L, -2, "imagemap");
  imlua::Palette* palette = imlua::PushPalette(L, 2);
  if (palette == nullptr) Raise(kName, "not enough memory");
  palette->colors[0] = 0x000000;  // outside
  palette->colors[1] = 0xffc000;  // inside: amber
  lua_setfield(L, -2, "palette");
  lua_setfield(L, result, "Mask");

  // The records and images are taken now: a collection while the objects
  // were made may have run script code.
  const CostContext cost = SearchContext(kName);
  const ProjectCopy& project = NeedProject(kName);
  if (cost.width != width || cost.height != height) Raise(kName, "the project changed");
  const std::size_t pixels = static_cast<std::size_t>(cost.width) * cost.height;
  unsigned char* inside = mask->data.get();
  std::fill(inside, inside + pixels, 0);
  auto fromA = Allocate<float>(kName, pixels), fromB = Allocate<float>(kName, pixels);
  const double widening = (1 + tolerance) * (1 + kRounding);
  double total = 0;
  {
    // two sweeps a leg; the dialog's loop steps may run script code, so the
    // theme images are taken only once it is closed
    TimedProgress progress(2 * (waypoints.size() - 1));
    for (std::size_t q = 0; q + 1 < waypoints.size(); ++q) {
      SurfaceReach reach;
      reach.target = waypoints[q + 1];
      reach.past = widening;
      progress.StartLeg(2 * q);
      const SurfaceResult leg =
          ComputeCostSurface(cost, {waypoints[q]}, reach, fromA.get(), &progress);
      if (leg.cancelled) break;
      if (!leg.done) Raise(kName, "the raster is too large for a search");
      if (!(leg.targetCost < kImpassable)) {
        std::string problem = "no route leads from waypoint " + std::to_string(q + 1);
        problem += " to waypoint " + std::to_string(q + 2);
        Raise(kName, problem.c_str());
      }
      const double limit = leg.targetCost * widening;
      SurfaceReach back;
      back.limit = limit;
      progress.StartLeg(2 * q + 1);
      const SurfaceResult sweep =
          ComputeCostSurface(cost, {waypoints[q + 1]}, back, fromB.get(), &progress);
      if (sweep.cancelled) break;
      if (!sweep.done) Raise(kName, "the raster is too large for a search");
      for (std::size_t p = 0; p < pixels; ++p) {
        const float a = fromA[p], b = fromB[p];
        if (a < kImpassable && b < kImpassable && static_cast<double>(a) + b <= limit)
          inside[p] = 1;
      }
      total += leg.targetCost;
    }
    if (progress.cancelled()) {
      lua_pushnil(L);
      lua_pushboolean(L, 1);
      return 2;
    }
  }

  std::vector<int> themes;  // numbers of the themes with classes
  std::vector<ByteGrid> images;
  for (int t = 1; t <= project.numThemes; ++t) {
    if (project.themes[static_cast<std::size_t>(t - 1)].numClasses <= 0) continue;
    const ByteGrid image = NeedThemeImage(L, kName, t);
    if (image.width < width || image.height < height) {
      std::string problem = "the image of theme " + std::to_string(t);
      problem += " is smaller than the raster";
      Raise(kName, problem.c_str());
    }
    themes.push_back(t);
    images.push_back(image);
  }
  if (themes.empty()) Raise(kName, "the project has no themes");

  // Area per class of every theme with classes; a row's cells all cover the same ground.
  std::vector<double> rowHectares(static_cast<std::size_t>(height));
  for (int y = 0; y < height; ++y) {
    rowHectares[static_cast<std::size_t>(y)] =
        gis::CellHectares(units, project.sx, project.sy, project.bottom + y * project.sy);
  }
  // cells counted a row at a time: few sums of products, no long sum of small areas
  const auto rowArea = [&](int y, long long cells) {
    return static_cast<double>(cells) * rowHectares[static_cast<std::size_t>(y)];
  };
  std::vector<std::vector<double>> areas(themes.size());
  double marked = 0;
  for (int y = 0; y < height; ++y) {
    const unsigned char* in = inside + static_cast<std::ptrdiff_t>(y) * width;
    long long cells = 0;
    for (int x = 0; x < width; ++x) cells += in[x];
    marked += rowArea(y, cells);
  }
  std::vector<long long> row;
  for (std::size_t k = 0; k < themes.size(); ++k) {
    const ThemeRecord& record = project.themes[static_cast<std::size_t>(themes[k] - 1)];
    areas[k].assign(record.classes.size() + 1, 0.0);
    for (int y = 0; y < height; ++y) {
      const unsigned char* in = inside + static_cast<std::ptrdiff_t>(y) * width;
      row.assign(areas[k].size(), 0);
      for (int x = 0; x < width; ++x) {
        if (in[x] == 0) continue;
        const std::size_t j = record.classOfIndex[images[k].At(x, y)];
        ++row[std::min(j, record.classes.size())];
      }
      for (std::size_t j = 1; j < row.size(); ++j) areas[k][j] += rowArea(y, row[j]);
    }
  }

  // Plain tables made here: no metamethod runs while they are filled.
  SetNumberField(L, result, "tolerance", tolerance);
  SetNumberField(L, result, "cost", total);
  SetNumberField(L, result, "area", marked);
  SetNumberField(L, result, "numThemes", project.numThemes);
  const Value list = NewTableField(L, result, "Themes");
  for (std::size_t k = 0; k < themes.size(); ++k) {
    StackMark each(L);
    const Value theme = NewTableElement(L, list, themes[k]);
    double inTheme = 0;
    for (std::size_t j = 1; j < areas[k].size(); ++j) inTheme += areas[k][j];
    SetNumberField(L, theme, "area", inTheme);
    SetNumberField(L, theme, "numClasses", static_cast<double>(areas[k].size() - 1));
    const Value classes = NewTableField(L, theme, "Classes");
    for (std::size_t j = 1; j < areas[k].size(); ++j) {
      StackMark one(L);
      const Value c = NewTableElement(L, classes, static_cast<long long>(j));
      SetNumberField(L, c, "area", areas[k][j]);
      SetNumberField(L, c, "perc", inTheme > 0 ? 100.0 * areas[k][j] / inTheme : 0.0);
    }
  }
  lua_settop(L, result);
  return 1;
}

void RegisterSurfaceFunctions(lua_State* L) {
  lua_register(L, "CostSurface", Guarded<CostSurface>);
  lua_register(L, "Corridor", Guarded<Corridor>);
  RegisterGeodataProgress();
}

}  // namespace route
