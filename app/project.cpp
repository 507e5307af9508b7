// CopyTable, CopyPaths and their releases: snapshots of Varko.Project.
#include "project.h"

#include <string>

#include "imlua.h"
#include "rawdata.h"

namespace route {

using namespace script;

RouteState& State() {
  static RouteState state;
  return state;
}

namespace {
int records_in_use = 0;
}  // namespace

RecordsInUse::RecordsInUse() {
  ++records_in_use;
}
RecordsInUse::~RecordsInUse() {
  --records_in_use;
}

void RefuseWhileInUse(const char* name) {
  if (records_in_use > 0) script::Raise(name, "the project records are in use");
}

void SelectSlopeData(RouteState& state) {
  ExtraData& extra = state.extra;
  state.cost.slopeImage = {extra.slopeImage.empty() ? nullptr : extra.slopeImage.data(),
                           extra.slopeImageWidth, extra.slopeImageHeight};
  state.cost.slopeCalibration = extra.slopeCalibration;
  state.cost.slopeGrid = {extra.slopeGrid.empty() ? nullptr : extra.slopeGrid.data(),
                          extra.slopeGridWidth, extra.slopeGridHeight};
}

std::optional<ByteGrid> LiveImage(lua_State* L, const HeldImage& image) {
  if (image.ref == LUA_NOREF || !lua_checkstack(L, 1)) return std::nullopt;
  lua_rawgeti(L, LUA_REGISTRYINDEX, image.ref);
  ImluaMapView view{};
  const bool ok = imlua_tomapview(L, -1, &view);
  lua_pop(L, 1);
  if (!ok || view.width != image.width || view.height != image.height) return std::nullopt;
  return ByteGrid{view.data, view.width, view.height};
}

const ProjectCopy& NeedProject(const char* name) {
  if (!State().project) Raise(name, "no project copy");
  return *State().project;
}

ByteGrid NeedThemeImage(lua_State* L, const char* name, int theme) {
  const ProjectCopy& project = NeedProject(name);
  auto grid = LiveImage(L, project.themes[theme - 1].image);
  if (!grid) Raise(name, ("the image of theme " + std::to_string(theme) + " is gone").c_str());
  return *grid;
}

namespace {

int RefTop(lua_State* L) {
  lua_pushinteger(L, luaL_ref(L, LUA_REGISTRYINDEX));
  return 1;
}

// A registry reference to the value on top, taken in a protected call.
int ProtectedRef(lua_State* L) {
  if (!lua_checkstack(L, 2)) RaiseMessage("not enough memory");
  lua_pushcfunction(L, RefTop);
  lua_insert(L, -2);
  if (lua_pcall(L, 1, 1, 0) != LUA_OK) {
    lua_pop(L, 1);
    RaiseMessage("not enough memory");
  }
  const int ref = static_cast<int>(lua_tointeger(L, -1));
  lua_pop(L, 1);
  return ref;
}

void Release(lua_State* L, ProjectCopy& project) {
  for (ThemeRecord& theme : project.themes) {
    if (theme.image.ref != LUA_NOREF) luaL_unref(L, LUA_REGISTRYINDEX, theme.image.ref);
    theme.image.ref = LUA_NOREF;
  }
}

std::string ThemeText(int t) {
  return "theme " + std::to_string(t);
}

// The first element of list (1 to count) that is not a table, or 0. Counts
// come from the script and may be anything: they are checked against the
// list before anything is allocated for them.
long long FirstMissing(lua_State* L, Value list, long long count) {
  for (long long k = 1; k <= count; ++k) {
    const bool present = lua_istable(L, raw::Element(L, list, k));
    lua_pop(L, 1);
    if (!present) return k;
  }
  return 0;
}

void CopyClasses(lua_State* L, Value theme_table, int t, ThemeRecord& theme) {
  Value classes = raw::Field(L, theme_table, "Classes");
  if (long long missing = FirstMissing(L, classes, theme.numClasses)) {
    Raise("CopyTable",
          ("class " + std::to_string(missing) + " of " + ThemeText(t) + " is missing").c_str());
  }
  theme.classes.resize(static_cast<std::size_t>(theme.numClasses));
  for (int j = 1; j <= theme.numClasses; ++j) {
    StackMark mark(L);
    Value c = raw::Element(L, classes, j);
    const std::string what = "class " + std::to_string(j) + " of " + ThemeText(t);
    ClassRecord& record = theme.classes[static_cast<std::size_t>(j - 1)];
    const double index = raw::Number(L, c, "colorindex");
    record.colorindex = TruncateToInt(index);
    if (!(index > -1.0 && index < 256.0)) {
      Raise("CopyTable", (what + " has a colorindex outside 0..255").c_str());
    }
    record.weight = raw::Number(L, c, "weight");
    record.description = raw::String(L, c, "description");
  }
  theme.classOfIndex.fill(1);
  for (int j = 1; j <= theme.numClasses; ++j) {
    theme.classOfIndex[static_cast<std::size_t>(
        theme.classes[static_cast<std::size_t>(j - 1)].colorindex)] =
        static_cast<unsigned char>(j > 255 ? 255 : j);
  }
}

void CopyImage(lua_State* L, Value theme_table, int t, const ProjectCopy& project,
               ThemeRecord& theme) {
  Value image = raw::Field(L, theme_table, "Image");
  auto ref = raw::ImageRef(L, image);
  if (!ref) Raise("CopyTable", (ThemeText(t) + " has no live image map").c_str());
  if (ref->width != TruncateToInt(project.w) || ref->height != TruncateToInt(project.h)) {
    Raise("CopyTable", ("the image of " + ThemeText(t) + " is not the size of Dimension").c_str());
  }
  raw::Field(L, image, "imagemap");
  theme.image.ref = ProtectedRef(L);
  theme.image.width = ref->width;
  theme.image.height = ref->height;
}

int Nonnegative(int n) {
  return n < 0 ? 0 : n;
}

}  // namespace

int CopyTable(lua_State* L) {
  RefuseWhileInUse("CopyTable");
  RouteState& state = State();
  Value varko = raw::NeedGlobalTable(L, "CopyTable", "Varko");
  Value project = raw::NeedTable(L, "CopyTable", varko, "Project", "Varko.Project");
  Value area = raw::NeedTable(L, "CopyTable", project, "StudyArea", "Varko.Project.StudyArea");
  Value scale = raw::NeedTable(L, "CopyTable", project, "Scale", "Varko.Project.Scale");
  Value dimension = raw::NeedTable(L, "CopyTable", project, "Dimension", "Varko.Project.Dimension");
  Value limits =
      raw::NeedTable(L, "CopyTable", project, "WeightLimits", "Varko.Project.WeightLimits");
  ProjectCopy copy;
  copy.numThemes = Nonnegative(TruncateToInt(raw::Number(L, project, "numThemes")));
  Value names = raw::Field(L, project, "ThemesNames");
  Value themes = raw::Field(L, project, "Themes");
  if (copy.numThemes > 0) {
    if (!lua_istable(L, names)) Raise("CopyTable", "Varko.Project.ThemesNames is missing");
    if (long long missing = FirstMissing(L, themes, copy.numThemes)) {
      Raise("CopyTable", (ThemeText(static_cast<int>(missing)) + " is missing").c_str());
    }
  }
  copy.sx = raw::Number(L, scale, "sx");
  copy.sy = raw::Number(L, scale, "sy");
  copy.left = raw::Number(L, area, "left");
  copy.right = raw::Number(L, area, "right");
  copy.bottom = raw::Number(L, area, "bottom");
  copy.top = raw::Number(L, area, "top");
  copy.w = raw::Number(L, dimension, "w");
  copy.h = raw::Number(L, dimension, "h");
  copy.minWeight = raw::Number(L, limits, "minWeight");
  copy.maxWeight = raw::Number(L, limits, "maxWeight");
  copy.i = TruncateToInt(raw::Number(L, project, "i"));
  copy.r = TruncateToInt(raw::Number(L, project, "r"));
  copy.numPaths = TruncateToInt(raw::Number(L, project, "numPaths"));
  copy.slopeDataFormat = TruncateToInt(raw::Number(L, project, "slopeDataFormat"));
  for (int t = 1; t <= copy.numThemes; ++t) copy.themeNames.push_back(raw::StringAt(L, names, t));
  copy.themes.resize(static_cast<std::size_t>(copy.numThemes));
  try {
    for (int t = 1; t <= copy.numThemes; ++t) {
      StackMark mark(L);
      Value theme_table = raw::Element(L, themes, t);
      ThemeRecord& theme = copy.themes[static_cast<std::size_t>(t - 1)];
      theme.name = raw::String(L, theme_table, "name");
      theme.map = raw::String(L, theme_table, "map");
      theme.weight = raw::Number(L, theme_table, "weight");
      theme.numClasses = Nonnegative(TruncateToInt(raw::Number(L, theme_table, "numClasses")));
      CopyClasses(L, theme_table, t, theme);
      // a theme without classes takes no part, so its image is not needed
      if (theme.numClasses > 0) CopyImage(L, theme_table, t, copy, theme);
    }
  } catch (...) {
    Release(L, copy);
    throw;
  }
  // the old copy goes only now: a refused copy leaves it as it was
  if (state.project) Release(L, *state.project);
  state.project = std::move(copy);
  return 0;
}

int InitializeCopyTable(lua_State*) {
  RefuseWhileInUse("InitializeCopyTable");
  State().project.reset();
  State().paths.reset();
  return 0;
}

int DestroyTable(lua_State* L) {
  RefuseWhileInUse("DestroyTable");
  RouteState& state = State();
  if (state.project) Release(L, *state.project);
  state.project.reset();
  return 0;
}

int CopyPaths(lua_State* L) {
  RefuseWhileInUse("CopyPaths");
  RouteState& state = State();
  Value varko = raw::NeedGlobalTable(L, "CopyPaths", "Varko");
  Value project = raw::NeedTable(L, "CopyPaths", varko, "Project", "Varko.Project");
  const int count = TruncateToInt(raw::Number(L, project, "numPaths"));
  std::vector<PathRecord> paths;
  if (count > 0) {
    Value list = raw::NeedTable(L, "CopyPaths", project, "Paths", "Varko.Project.Paths");
    if (long long missing = FirstMissing(L, list, count)) {
      Raise("CopyPaths", ("path " + std::to_string(missing) + " is missing").c_str());
    }
    paths.resize(static_cast<std::size_t>(count));
    for (int k = 1; k <= count; ++k) {
      StackMark mark(L);
      Value path = raw::Element(L, list, k);
      const int n = Nonnegative(TruncateToInt(raw::Number(L, path, "numPoints")));
      Value points = raw::Field(L, path, "Points");
      const std::string what = "path " + std::to_string(k);
      if (n > 0 && !lua_istable(L, points))
        Raise("CopyPaths", ("the Points of " + what + " are missing").c_str());
      if (long long missing = FirstMissing(L, points, n)) {
        Raise("CopyPaths",
              ("point " + std::to_string(missing) + " of " + what + " is missing").c_str());
      }
      std::vector<Point>& out = paths[static_cast<std::size_t>(k - 1)].points;
      out.reserve(static_cast<std::size_t>(n));
      for (int p = 1; p <= n; ++p) {
        StackMark point_mark(L);
        Value point = raw::Element(L, points, p);
        out.push_back(
            {TruncateToInt(raw::Number(L, point, "x")), TruncateToInt(raw::Number(L, point, "y"))});
      }
    }
  }
  if (state.project) state.project->numPaths = count;
  state.paths = std::move(paths);
  return 0;
}

int DestroyPaths(lua_State*) {
  RefuseWhileInUse("DestroyPaths");
  State().paths.reset();
  return 0;
}

}  // namespace route
