// CopyTable, CopyPaths and their releases: snapshots of Varko.Project.
#include "project.h"

#include <string>

#include "imlua.h"

namespace route {

using namespace script;

RouteState& State() {
  static RouteState state;
  return state;
}

void SelectSlopeData(RouteState& state) {
  ExtraData& extra = state.extra;
  state.cost.slopeImage = {extra.slopeImage.empty() ? nullptr : extra.slopeImage.data(), extra.slopeImageWidth,
                           extra.slopeImageHeight};
  state.cost.slopeCalibration = extra.slopeCalibration;
  state.cost.slopeGrid = {extra.slopeGrid.empty() ? nullptr : extra.slopeGrid.data(), extra.slopeGridWidth,
                          extra.slopeGridHeight};
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

std::string ThemeText(int t) { return "theme " + std::to_string(t); }

void CopyClasses(lua_State* L, Value theme_table, int t, ThemeRecord& theme) {
  Value classes = GetField(L, theme_table, "Classes");
  theme.classes.resize(static_cast<std::size_t>(theme.numClasses));
  for (int j = 1; j <= theme.numClasses; ++j) {
    StackMark mark(L);
    Value c = GetElement(L, classes, j);
    const std::string what = "class " + std::to_string(j) + " of " + ThemeText(t);
    if (!lua_istable(L, c)) Raise("CopyTable", (what + " is missing").c_str());
    ClassRecord& record = theme.classes[static_cast<std::size_t>(j - 1)];
    const double index = GetNumberField(L, c, "colorindex");
    record.colorindex = TruncateToInt(index);
    if (!(index > -1.0 && index < 256.0)) {
      Raise("CopyTable", (what + " has a colorindex outside 0..255").c_str());
    }
    record.weight = GetNumberField(L, c, "weight");
    record.description = GetStringField(L, c, "description");
  }
  theme.classOfIndex.fill(1);
  for (int j = 1; j <= theme.numClasses; ++j) {
    theme.classOfIndex[static_cast<std::size_t>(theme.classes[static_cast<std::size_t>(j - 1)].colorindex)] =
        static_cast<unsigned char>(j > 255 ? 255 : j);
  }
}

void CopyImage(lua_State* L, Value theme_table, int t, const ProjectCopy& project, ThemeRecord& theme) {
  Value image = GetField(L, theme_table, "Image");
  auto ref = ReadImageRef(L, image);
  if (!ref) Raise("CopyTable", (ThemeText(t) + " has no live image map").c_str());
  if (ref->width != TruncateToInt(project.w) || ref->height != TruncateToInt(project.h)) {
    Raise("CopyTable", ("the image of " + ThemeText(t) + " is not the size of Dimension").c_str());
  }
  GetField(L, image, "imagemap");
  theme.image.ref = ProtectedRef(L);
  theme.image.width = ref->width;
  theme.image.height = ref->height;
}

int Nonnegative(int n) { return n < 0 ? 0 : n; }

}  // namespace

int CopyTable(lua_State* L) {
  RouteState& state = State();
  if (state.project) {
    Release(L, *state.project);
    state.project.reset();
  }
  ProjectCopy copy;
  Value varko = GetGlobal(L, "Varko");
  Value project = GetField(L, varko, "Project");
  Value area = GetField(L, project, "StudyArea");
  Value scale = GetField(L, project, "Scale");
  Value dimension = GetField(L, project, "Dimension");
  Value limits = GetField(L, project, "WeightLimits");
  Value names = GetField(L, project, "ThemesNames");
  Value themes = GetField(L, project, "Themes");
  copy.sx = GetNumberField(L, scale, "sx");
  copy.sy = GetNumberField(L, scale, "sy");
  copy.left = GetNumberField(L, area, "left");
  copy.right = GetNumberField(L, area, "right");
  copy.bottom = GetNumberField(L, area, "bottom");
  copy.top = GetNumberField(L, area, "top");
  copy.w = GetNumberField(L, dimension, "w");
  copy.h = GetNumberField(L, dimension, "h");
  copy.minWeight = GetNumberField(L, limits, "minWeight");
  copy.maxWeight = GetNumberField(L, limits, "maxWeight");
  copy.i = TruncateToInt(GetNumberField(L, project, "i"));
  copy.r = TruncateToInt(GetNumberField(L, project, "r"));
  copy.numThemes = Nonnegative(TruncateToInt(GetNumberField(L, project, "numThemes")));
  copy.numPaths = TruncateToInt(GetNumberField(L, project, "numPaths"));
  copy.slopeDataFormat = TruncateToInt(GetNumberField(L, project, "slopeDataFormat"));
  for (int t = 1; t <= copy.numThemes; ++t) copy.themeNames.push_back(GetStringElement(L, names, t));
  copy.themes.resize(static_cast<std::size_t>(copy.numThemes));
  try {
    for (int t = 1; t <= copy.numThemes; ++t) {
      StackMark mark(L);
      Value theme_table = GetElement(L, themes, t);
      if (!lua_istable(L, theme_table)) Raise("CopyTable", (ThemeText(t) + " is missing").c_str());
      ThemeRecord& theme = copy.themes[static_cast<std::size_t>(t - 1)];
      theme.name = GetStringField(L, theme_table, "name");
      theme.map = GetStringField(L, theme_table, "map");
      theme.weight = GetNumberField(L, theme_table, "weight");
      theme.numClasses = Nonnegative(TruncateToInt(GetNumberField(L, theme_table, "numClasses")));
      CopyClasses(L, theme_table, t, theme);
      // a theme without classes takes no part, so its image is not needed
      if (theme.numClasses > 0) CopyImage(L, theme_table, t, copy, theme);
    }
  } catch (...) {
    Release(L, copy);
    throw;
  }
  state.project = std::move(copy);
  return 0;
}

int InitializeCopyTable(lua_State*) {
  State().project.reset();
  State().paths.reset();
  return 0;
}

int DestroyTable(lua_State* L) {
  RouteState& state = State();
  if (state.project) Release(L, *state.project);
  state.project.reset();
  return 0;
}

int CopyPaths(lua_State* L) {
  RouteState& state = State();
  Value varko = GetGlobal(L, "Varko");
  Value project = GetField(L, varko, "Project");
  const int count = TruncateToInt(GetNumberField(L, project, "numPaths"));
  if (state.project) state.project->numPaths = count;
  std::vector<PathRecord> paths;
  if (count > 0) {
    Value list = GetField(L, project, "Paths");
    paths.resize(static_cast<std::size_t>(count));
    for (int k = 1; k <= count; ++k) {
      StackMark mark(L);
      Value path = GetElement(L, list, k);
      const int n = Nonnegative(TruncateToInt(GetNumberField(L, path, "numPoints")));
      Value points = GetField(L, path, "Points");
      std::vector<Point>& out = paths[static_cast<std::size_t>(k - 1)].points;
      out.reserve(static_cast<std::size_t>(n));
      for (int p = 1; p <= n; ++p) {
        StackMark point_mark(L);
        Value point = GetElement(L, points, p);
        out.push_back({TruncateToInt(GetNumberField(L, point, "x")), TruncateToInt(GetNumberField(L, point, "y"))});
      }
    }
  }
  state.paths = std::move(paths);
  return 0;
}

int DestroyPaths(lua_State*) {
  State().paths.reset();
  return 0;
}

}  // namespace route
