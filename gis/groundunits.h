// How much ground a map unit covers under the project's CRS, for areas given
// in hectares: metres per unit of a projected CRS, or degrees on the Earth
// for a geographic one.
#ifndef VARKO_GIS_GROUNDUNITS_H
#define VARKO_GIS_GROUNDUNITS_H

#include <string>

namespace gis {

struct GroundUnits {
  bool geographic = false;  // map units are degrees of longitude and latitude
  double metres = 1;        // per map unit, when projected
};

// From the CRS's WKT (or any definition GDAL reads). No CRS, or one GDAL
// cannot read, counts map units as metres.
GroundUnits GroundUnitsOf(const std::string& crs);

// Hectares of a cell sx by sy map units whose lower edge lies at y (a
// latitude in degrees when geographic: the cell's area on a sphere of the
// Earth's mean radius).
double CellHectares(const GroundUnits& units, double sx, double sy, double y);

}  // namespace gis

#endif
