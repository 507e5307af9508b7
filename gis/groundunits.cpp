// Map units on the ground (see groundunits.h).
#include "groundunits.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "gdalsupport.h"

namespace gis {

GroundUnits GroundUnitsOf(const std::string& crs) {
  Srs srs = MakeSrs(crs);
  if (!srs) return {};
  if (OSRIsGeographic(srs.get())) return {true, 1};
  if (OSRIsProjected(srs.get())) {
    const double metres = OSRGetLinearUnits(srs.get(), nullptr);
    if (metres > 0 && std::isfinite(metres)) return {false, metres};
  }
  return {};
}

double CellHectares(const GroundUnits& units, double sx, double sy, double y) {
  if (!units.geographic) return sx * units.metres * sy * units.metres / 10000.0;
  constexpr double kEarthRadius = 6371008.8;  // metres, the mean radius
  constexpr double kRadians = std::numbers::pi / 180.0;
  const double low = std::clamp(y, -90.0, 90.0), high = std::clamp(y + sy, -90.0, 90.0);
  return kEarthRadius * kEarthRadius * sx * kRadians *
         (std::sin(high * kRadians) - std::sin(low * kRadians)) / 10000.0;
}

}  // namespace gis
