// The in-memory copies of the project and its paths, and the other
// process-wide records of the route analysis.
#ifndef VARKO_APP_PROJECT_H
#define VARKO_APP_PROJECT_H

#include <array>
#include <optional>
#include <string>
#include <vector>

#include "costmodel.h"
#include "script.h"

namespace route {

// A theme image kept alive by a registry reference to its image map; its
// pixels are looked up again at each use, so a killed map is noticed.
struct HeldImage {
  int ref = LUA_NOREF;
  int width = 0, height = 0;
};
// The map's pixels when it is still live and of its copied size.
std::optional<ByteGrid> LiveImage(lua_State* L, const HeldImage& image);

struct ClassRecord {
  double weight = 0;
  int colorindex = 0;
  std::optional<std::string> description;
};

struct ThemeRecord {
  std::optional<std::string> name, map;
  double weight = 0;
  int numClasses = 0;
  std::vector<ClassRecord> classes;  // element j - 1 is class j
  std::array<unsigned char, 256> classOfIndex{};
  HeldImage image;
};

struct ProjectCopy {
  double left = 0, right = 0, bottom = 0, top = 0, sx = 0, sy = 0, w = 0, h = 0;
  double minWeight = 0, maxWeight = 0;
  int i = 0, r = 0, numThemes = 0, numPaths = 0, slopeDataFormat = 0;
  std::vector<std::optional<std::string>> themeNames;  // element t - 1 is theme t
  std::vector<ThemeRecord> themes;
};

struct PathRecord {
  std::vector<Point> points;
};

struct CombinedResult {
  std::vector<unsigned char> costs;  // our copy of the quantised image
  int width = 0, height = 0;
  double minValue = 0, scale = 0;
  ByteGrid grid() const { return {costs.data(), width, height}; }
};

struct ExtraData {
  std::vector<unsigned char> slopeImage, profileImage;
  int slopeImageWidth = 0, slopeImageHeight = 0, profileImageWidth = 0, profileImageHeight = 0;
  std::vector<int32_t> slopeGrid, profileGrid;
  int slopeGridWidth = 0, slopeGridHeight = 0, profileGridWidth = 0, profileGridHeight = 0;
  Calibration slopeCalibration, profileCalibration;
  bool profileCalibrationActive = false;
};

struct RouteState {
  std::optional<ProjectCopy> project;
  std::optional<std::vector<PathRecord>> paths;
  std::optional<CombinedResult> combined;
  CostContext cost;
  ExtraData extra;
  bool colorScaleApplied = false;
};
RouteState& State();

// While a computation holds pointers into these records and the theme images
// (its progress dialog runs loop steps, so script callbacks can run), the
// functions that would replace or destroy them are refused.
class RecordsInUse {
 public:
  RecordsInUse();
  ~RecordsInUse();
  RecordsInUse(const RecordsInUse&) = delete;
  RecordsInUse& operator=(const RecordsInUse&) = delete;
};
// Raises "name: the project records are in use!" while a RecordsInUse lives.
void RefuseWhileInUse(const char* name);

// Points the cost context's slope data at what the mode selects.
void SelectSlopeData(RouteState& state);
// The project copy, or a script error "name: no project copy!".
const ProjectCopy& NeedProject(const char* name);
// Project copy's theme t (1-based) image, or a script error.
ByteGrid NeedThemeImage(lua_State* L, const char* name, int theme);

int CopyTable(lua_State* L);
int InitializeCopyTable(lua_State* L);
int DestroyTable(lua_State* L);
int CopyPaths(lua_State* L);
int DestroyPaths(lua_State* L);

}  // namespace route

#endif
