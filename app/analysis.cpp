// MinimumPath, PathAnalysis and SegDist over the project copies.
#include "analysis.h"

#include <array>

#include "minpath.h"
#include "project.h"

namespace route {

using namespace script;

namespace {

const CombinedResult& NeedCombined(const char* name) {
  if (!State().combined) Raise(name, "no combined theme");
  return *State().combined;
}

void SetRaster(CostContext& cost, const ProjectCopy& project) {
  cost.pixelSizeX = cost.pixelSizeY = static_cast<float>(project.sx);
  cost.width = TruncateToInt(project.w);
  cost.height = TruncateToInt(project.h);
}

}  // namespace

int MinimumPath(lua_State* L) {
  RouteState& state = State();
  const ProjectCopy& project = NeedProject("MinimumPath");
  const CombinedResult& combined = NeedCombined("MinimumPath");
  if (project.r <= 0) Raise("MinimumPath", "invalid search step");
  CostContext& cost = state.cost;
  cost.searchStep = project.r;
  cost.searchRadius = project.i;
  SetRaster(cost, project);
  cost.costGrid = combined.grid();
  cost.costScale = combined.scale;
  cost.costOffset = combined.minValue;

  Value varko = GetGlobal(L, "Varko");
  Value input = GetField(L, varko, "InputPoints");
  const int count = TruncateToInt(GetNumberField(L, input, "numPoints"));
  std::vector<Point> inputs;
  if (count > 0) {
    Value list = GetField(L, input, "Points");
    for (int p = 1; p <= count; ++p) {
      StackMark mark(L);
      Value point = GetElement(L, list, p);
      inputs.push_back({TruncateToInt(GetNumberField(L, point, "x")), TruncateToInt(GetNumberField(L, point, "y"))});
    }
  }
  Value project_table = GetField(L, varko, "Project");
  const int k = TruncateToInt(GetNumberField(L, project_table, "numPaths"));
  Value paths = GetField(L, project_table, "Paths");
  Value path = GetElement(L, paths, k);
  Value points = GetField(L, path, "Points");

  const SearchGrid grid(cost.width, cost.height, cost.searchStep);
  const long long nodes = static_cast<long long>(grid.columns) * grid.rows;
  const std::size_t moves = AllowedMoves(cost.searchRadius, std::max(grid.columns, grid.rows)).size();
  // Sharing pays when several legs cross the same nodes and a move walks more than a cell or two.
  EdgeCache cache(nodes, moves, inputs.size() > 2 && static_cast<long long>(cost.searchRadius) * cost.searchStep >= 2);
  long long written = 0;
  int result = 1;
  for (std::size_t q = 0; q + 1 < inputs.size(); ++q) {
    const std::vector<Point> leg = FindLeg(cost, inputs[q], inputs[q + 1], &cache);
    if (leg.empty()) {
      result = 0;
      continue;
    }
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
  return 1;
}

int PathAnalysis(lua_State* L) {
  RouteState& state = State();
  const ProjectCopy& project = NeedProject("PathAnalysis");
  const CombinedResult& combined = NeedCombined("PathAnalysis");
  const int k = ArgInt(L, 1);
  if (!state.paths || k < 1 || k > static_cast<int>(state.paths->size())) Raise("PathAnalysis", "invalid path number");
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
  const auto percent = [&](double length) { return totalLength > 0 ? 100 * length / totalLength : 0.0; };

  struct ClassResult { double length = 0, perc = 0; };
  struct ThemeResult { double length = 0, cost = 0; std::vector<ClassResult> classes; };
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
    for (const ClassRecord& c : record.classes) listed += acc[static_cast<std::size_t>(c.colorindex)];
    out.classes.resize(record.classes.size());
    out.classes[0].length = std::max(0.0, totalLength - listed);
    out.classes[0].perc = std::max(0.0, percent(totalLength - listed));
    for (std::size_t j = 1; j < record.classes.size(); ++j) {
      out.classes[j].length = acc[static_cast<std::size_t>(record.classes[j].colorindex)];
      out.classes[j].perc = percent(out.classes[j].length);
    }
  }

  Value varko = GetGlobal(L, "Varko");
  Value project_table = GetField(L, varko, "Project");
  Value paths = GetField(L, project_table, "Paths");
  Value path = GetElement(L, paths, k);
  Value analysis = NewTableField(L, path, "Analysis");
  SetNumberField(L, analysis, "length", totalLength);
  SetNumberField(L, analysis, "cost", totalCost);
  SetNumberField(L, analysis, "numThemes", project.numThemes);
  Value theme_list = NewTableField(L, analysis, "Themes");
  for (int t = 1; t <= project.numThemes; ++t) {
    const ThemeResult& theme = themes[static_cast<std::size_t>(t - 1)];
    if (project.themes[static_cast<std::size_t>(t - 1)].numClasses == 0) continue;
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
  lua_pushnumber(L, SegmentLength(State().cost, x0, y0, x1, y1));
  return 1;
}

}  // namespace route
