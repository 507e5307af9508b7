// The profile of a path: samples of cumulative ground distance against the
// value of a theme (or the combined theme), read by the XY graphic window.
#ifndef VARKO_APP_PROFILE_H
#define VARKO_APP_PROFILE_H

#include <vector>

#include "costmodel.h"
#include "script.h"

namespace route {

struct Profile {
  int count = 0;
  std::vector<double> x, y, value, distance;
  double distanceStart = 0, distanceEnd = 0, valueMin = 0, valueMax = 0;
};

// Samples the path cell by cell over ctx.classGrid; a calibration, when
// given, turns the raw values into physical ones. Pixels outside the grid read 0.
Profile SampleProfile(const CostContext& ctx, const std::vector<Point>& points,
                      const Calibration* calibration);

// What XYGraphic(k, t) does before opening its window: checks k and t
// (script errors "XYGraphic: invalid path number!" / "invalid theme
// number!" / "the path has fewer than two points!"), sets the cost
// context and makes the current profile.
const Profile& MakePathProfile(lua_State* L, int path, int theme);
// The current profile (empty until MakePathProfile).
const Profile& CurrentProfile();

}  // namespace route

#endif
