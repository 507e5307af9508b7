// Sampling a path into a profile.
#include "profile.h"

#include "project.h"

namespace route {

namespace {

Profile& Current() {
  static Profile profile;
  return profile;
}

}  // namespace

Profile SampleProfile(const CostContext& ctx, const std::vector<Point>& points,
                      const Calibration* calibration) {
  Profile profile;
  float distance = 0.0f, minimum = 999999.0f, maximum = 0.0f;
  const auto valueAt = [&](int col, int row) {
    const float raw =
        ctx.classGrid.Inside(col, row) ? static_cast<float>(ctx.classGrid.At(col, row)) : 0.0f;
    if (calibration == nullptr) return raw;
    return Calibrate(raw, calibration->rawLow, calibration->rawHigh, calibration->valueLow,
                     calibration->valueHigh);
  };
  const auto add = [&](double x, double y, float value) {
    profile.x.push_back(x);
    profile.y.push_back(y);
    profile.value.push_back(value);
    profile.distance.push_back(distance);
    if (value <= minimum) minimum = value;
    if (value >= maximum) maximum = value;
  };
  for (std::size_t q = 0; q + 1 < points.size(); ++q) {
    const Point a = points[q], b = points[q + 1];
    if (profile.x.empty()) add(a.x, a.y, valueAt(a.x, a.y));
    WalkSegment(ctx, a.x, a.y, b.x, b.y, [&](int col, int row, double len, float qx, float qy) {
      distance = distance + static_cast<float>(len * SlopeFactor(ctx, col, row));
      if (col == b.x && row == b.y && qx == static_cast<float>(b.x) &&
          qy == static_cast<float>(b.y)) {
        add(b.x, b.y, valueAt(b.x, b.y));
      } else {
        add(qx, qy, valueAt(static_cast<int>(qx), static_cast<int>(qy)));
      }
    });
  }
  profile.count = static_cast<int>(profile.x.size());
  profile.distanceEnd = distance;
  profile.valueMin = minimum;
  profile.valueMax = maximum;
  return profile;
}

const Profile& MakePathProfile(lua_State* L, int path, int theme) {
  RouteState& state = State();
  // the path number first: it needs only the path copy
  if (!state.paths || path < 1 || path > static_cast<int>(state.paths->size())) {
    script::Raise("XYGraphic", "invalid path number");
  }
  const ProjectCopy& project = NeedProject("XYGraphic");
  if (theme < 1 || theme > project.numThemes + 1)
    script::Raise("XYGraphic", "invalid theme number");
  // a single point has no profile to show
  if ((*state.paths)[static_cast<std::size_t>(path - 1)].points.size() < 2) {
    script::Raise("XYGraphic", "the path has fewer than two points");
  }
  ByteGrid grid;
  if (theme == project.numThemes + 1) {
    if (!state.combined) script::Raise("XYGraphic", "no combined theme");
    grid = state.combined->grid();
  } else if (project.themes[static_cast<std::size_t>(theme - 1)].numClasses > 0) {
    grid = NeedThemeImage(L, "XYGraphic", theme);
  }
  CostContext& cost = state.cost;
  cost.pixelSizeX = cost.pixelSizeY = static_cast<float>(project.sx);
  cost.width = script::TruncateToInt(project.w);
  cost.height = script::TruncateToInt(project.h);
  cost.classGrid = grid;
  const ExtraData& extra = state.extra;
  Current() = SampleProfile(cost, (*state.paths)[static_cast<std::size_t>(path - 1)].points,
                            extra.profileCalibrationActive ? &extra.profileCalibration : nullptr);
  return Current();
}

const Profile& CurrentProfile() {
  return Current();
}

}  // namespace route
