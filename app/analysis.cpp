// MinimumPath, PathAnalysis and SegDist over the project copies.
#include "analysis.h"

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdlib>
#include <optional>
#include <string>

#include "gauge.h"
#include "minpath.h"
#include "project.h"
#include "rawdata.h"
#include "timedprogress.h"

namespace route {

using namespace script;

namespace {

void SetRaster(CostContext& cost, const ProjectCopy& project) {
  cost.pixelSizeX = cost.pixelSizeY = static_cast<float>(project.sx);
  cost.width = TruncateToInt(project.w);
  cost.height = TruncateToInt(project.h);
}

// The table of Varko.Project.Paths[k], read raw.
Value NeedPathTable(lua_State* L, const char* name, int k) {
  Value varko = raw::NeedGlobalTable(L, name, "Varko");
  Value project = raw::NeedTable(L, name, varko, "Project", "Varko.Project");
  Value paths = raw::NeedTable(L, name, project, "Paths", "Varko.Project.Paths");
  Value path = raw::Element(L, paths, k);
  if (!lua_istable(L, path))
    Raise(name, ("Varko.Project.Paths[" + std::to_string(k) + "] is missing").c_str());
  return path;
}

}  // namespace

const CombinedResult& NeedCombined(const char* name) {
  if (!State().combined) Raise(name, "no combined theme");
  return *State().combined;
}

void PrepareSearch(const char* name, CostContext& cost, const ProjectCopy& project,
                   const CombinedResult& combined) {
  if (project.r <= 0) Raise(name, "invalid search step");
  cost.searchStep = project.r;
  cost.searchRadius = project.i;
  SetRaster(cost, project);
  cost.costGrid = combined.grid();
  cost.costScale = combined.scale;
  cost.costOffset = combined.minValue;
}

int MinimumPath(lua_State* L) {
  RefuseWhileInUse("MinimumPath");
  constexpr const char* kName = "MinimumPath";
  RouteState& state = State();
  const ProjectCopy& project = NeedProject(kName);
  const CombinedResult& combined = NeedCombined(kName);
  if (project.r <= 0) Raise(kName, "invalid search step");

  // The points and where the route goes are read raw before anything is
  // computed, and the route is written only when every leg is found.
  Value varko = raw::NeedGlobalTable(L, kName, "Varko");
  Value input = raw::NeedTable(L, kName, varko, "InputPoints", "Varko.InputPoints");
  const int count = TruncateToInt(raw::Number(L, input, "numPoints"));
  std::vector<Point> inputs;
  if (count > 0) {
    Value list = raw::NeedTable(L, kName, input, "Points", "Varko.InputPoints.Points");
    for (int p = 1; p <= count; ++p) {
      StackMark mark(L);
      Value point = raw::Element(L, list, p);
      if (!lua_istable(L, point))
        Raise(kName, ("input point " + std::to_string(p) + " is missing").c_str());
      inputs.push_back(
          {TruncateToInt(raw::Number(L, point, "x")), TruncateToInt(raw::Number(L, point, "y"))});
    }
  }
  Value project_table = raw::NeedTable(L, kName, varko, "Project", "Varko.Project");
  const int k = TruncateToInt(raw::Number(L, project_table, "numPaths"));
  Value path = NeedPathTable(L, kName, k);
  Value points =
      raw::NeedTable(L, kName, path, "Points", "the Points of path " + std::to_string(k));

  CostContext& cost = state.cost;
  PrepareSearch(kName, cost, project, combined);
  // Sharing pays when several legs cross the same nodes and a move walks more than a cell or two.
  EdgeCache cache = EdgeCache::For(
      cost, inputs.size() > 2 && static_cast<long long>(cost.searchRadius) * cost.searchStep >= 2);
  std::vector<std::vector<Point>> legs;
  int result = 1;
  bool cancelled = false, too_dear = false;
  {
    TimedProgress progress(inputs.size() > 1 ? inputs.size() - 1 : 1);
    for (std::size_t q = 0; q + 1 < inputs.size(); ++q) {
      progress.StartLeg(q);
      legs.push_back(FindLeg(cost, inputs[q], inputs[q + 1], &cache, &progress));
      if (legs.back().empty()) result = 0;
      if (legs.back().empty() && !progress.cancelled()) {
        // Unreached: cut off by impassable cells, or only by the cost
        // ceiling? The same leg over costs a millionth as high (impassable
        // cells stay at the ceiling) tells them apart.
        if (!too_dear) {
          CostContext cheap = cost;
          cheap.costScale *= 1e-6;
          cheap.costOffset *= 1e-6;
          too_dear = !FindLeg(cheap, inputs[q], inputs[q + 1], nullptr, &progress).empty();
        }
      }
      if (progress.cancelled()) {
        cancelled = true;
        break;
      }
    }
  }
  // a cancelled search writes nothing
  if (cancelled) legs.clear();

  // Ordinary stores, as the script expects; nothing computed above is
  // shared with the records any more, so their metamethods may run.
  long long written = 0;
  for (const std::vector<Point>& leg : legs) {
    if (leg.empty()) continue;
    const long long n = static_cast<long long>(leg.size());
    for (long long m = n - 1; m >= 0; --m) {
      StackMark mark(L);
      Value entry = NewTableElement(L, points, written + (n - m));
      SetNumberField(L, entry, "x", leg[static_cast<std::size_t>(m)].x);
      SetNumberField(L, entry, "y", leg[static_cast<std::size_t>(m)].y);
    }
    written += n - 1;
  }
  if (result == 1) SetNumberField(L, path, "numPoints", static_cast<double>(written + 1));
  lua_pushnumber(L, result);
  // results the script may read: true when the user cancelled, and true
  // when a leg was lost only to the cost ceiling (passable, but dearer than
  // a search can carry)
  lua_pushboolean(L, cancelled);
  lua_pushboolean(L, too_dear && !cancelled);
  return 3;
}

int PathAnalysis(lua_State* L) {
  RefuseWhileInUse("PathAnalysis");
  RouteState& state = State();
  const ProjectCopy& project = NeedProject("PathAnalysis");
  const CombinedResult& combined = NeedCombined("PathAnalysis");
  const int k = ArgInt(L, 1);
  if (!state.paths || k < 1 || k > static_cast<int>(state.paths->size()))
    Raise("PathAnalysis", "invalid path number");
  // where the analysis goes, found raw before anything is computed
  Value path = NeedPathTable(L, "PathAnalysis", k);
  std::vector<ByteGrid> images(project.themes.size());
  for (int t = 1; t <= project.numThemes; ++t) {
    if (project.themes[static_cast<std::size_t>(t - 1)].numClasses > 0) {
      images[static_cast<std::size_t>(t - 1)] = NeedThemeImage(L, "PathAnalysis", t);
    }
  }
  CostContext& cost = state.cost;
  SetRaster(cost, project);
  cost.costGrid = combined.grid();
  cost.costScale = combined.scale;
  cost.costOffset = combined.minValue;
  const std::vector<Point>& points = (*state.paths)[static_cast<std::size_t>(k - 1)].points;

  std::array<float, 256> acc{};
  cost.classGrid = combined.grid();
  const double totalCost = PathCost(cost, points, acc.data());
  double totalLength = 0;
  for (float v : acc) totalLength += v;
  const auto percent = [&](double length) {
    return totalLength > 0 ? 100 * length / totalLength : 0.0;
  };

  struct ClassResult {
    double length = 0, perc = 0;
  };
  struct ThemeResult {
    double length = 0, cost = 0;
    std::vector<ClassResult> classes;
  };
  std::vector<ThemeResult> themes(project.themes.size());
  for (int t = 1; t <= project.numThemes; ++t) {
    const ThemeRecord& record = project.themes[static_cast<std::size_t>(t - 1)];
    if (record.numClasses == 0) continue;
    ThemeResult& out = themes[static_cast<std::size_t>(t - 1)];
    acc.fill(0.0f);
    cost.classGrid = images[static_cast<std::size_t>(t - 1)];
    out.cost = PathCost(cost, points, acc.data());
    for (float v : acc) out.length += v;
    double listed = 0;
    for (const ClassRecord& c : record.classes)
      listed += acc[static_cast<std::size_t>(c.colorindex)];
    out.classes.resize(record.classes.size());
    out.classes[0].length = std::max(0.0, totalLength - listed);
    out.classes[0].perc = std::max(0.0, percent(totalLength - listed));
    for (std::size_t j = 1; j < record.classes.size(); ++j) {
      out.classes[j].length = acc[static_cast<std::size_t>(record.classes[j].colorindex)];
      out.classes[j].perc = percent(out.classes[j].length);
    }
  }

  // Ordinary stores, as the script expects. Their metamethods may replace
  // the records, so from here on only the results above are read.
  const int numThemes = project.numThemes;
  std::vector<bool> analysed(themes.size());
  for (std::size_t t = 0; t < themes.size(); ++t) analysed[t] = project.themes[t].numClasses > 0;
  Value analysis = NewTableField(L, path, "Analysis");
  SetNumberField(L, analysis, "length", totalLength);
  SetNumberField(L, analysis, "cost", totalCost);
  SetNumberField(L, analysis, "numThemes", numThemes);
  Value theme_list = NewTableField(L, analysis, "Themes");
  for (int t = 1; t <= numThemes; ++t) {
    const ThemeResult& theme = themes[static_cast<std::size_t>(t - 1)];
    if (!analysed[static_cast<std::size_t>(t - 1)]) continue;
    StackMark mark(L);
    Value entry = NewTableElement(L, theme_list, t);
    SetNumberField(L, entry, "length", theme.length);
    SetNumberField(L, entry, "cost", theme.cost);
    SetNumberField(L, entry, "numClasses", static_cast<double>(theme.classes.size()));
    Value classes = NewTableField(L, entry, "Classes");
    for (std::size_t j = 0; j < theme.classes.size(); ++j) {
      StackMark class_mark(L);
      Value c = NewTableElement(L, classes, static_cast<long long>(j + 1));
      SetNumberField(L, c, "length", theme.classes[j].length);
      SetNumberField(L, c, "perc", theme.classes[j].perc);
    }
  }
  return 0;
}

int SegDist(lua_State* L) {
  const int x0 = ArgInt(L, 1), y0 = ArgInt(L, 2), x1 = ArgInt(L, 3), y1 = ArgInt(L, 4);
  // The walk visits every cell the segment crosses: past 2^26 of them (far
  // beyond any raster the program can hold) it would run for minutes.
  const long long cells =
      std::llabs(static_cast<long long>(x1) - x0) + std::llabs(static_cast<long long>(y1) - y0);
  if (cells > (1LL << 26)) Raise("SegDist", "the segment crosses too many cells");
  lua_pushnumber(L, SegmentLength(State().cost, x0, y0, x1, y1));
  return 1;
}

}  // namespace route
