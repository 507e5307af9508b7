// What every GDAL caller here shares: the quiet error handler that keeps
// the last message, and RAII holders for GDAL handles.
#ifndef VARKO_GIS_GDALSUPPORT_H
#define VARKO_GIS_GDALSUPPORT_H

#include <gdal.h>
#include <ogr_api.h>
#include <ogr_srs_api.h>

#include <memory>
#include <string>

namespace gis {

// Installs the handler once: GDAL then never prints; failures keep their text.
void InstallQuietErrorHandler();
// Forgets the kept message (call before a GDAL operation).
void ClearGdalError();
// The last failure's text, or the fallback when GDAL said nothing.
std::string GdalError(const char* fallback);

// A file name longer than the system takes (4095 bytes) is refused before
// GDAL sees it: each driver that probes the name would copy it, and the
// messages repeat it ("name: the file name is too long!").
void CheckFileNameLength(const char* name, const char* filename);

struct DatasetCloser {
  void operator()(void* dataset) const { GDALClose(static_cast<GDALDatasetH>(dataset)); }
};
using Dataset = std::unique_ptr<void, DatasetCloser>;

struct SrsDestroyer {
  void operator()(void* srs) const {
    OSRDestroySpatialReference(static_cast<OGRSpatialReferenceH>(srs));
  }
};
using Srs = std::unique_ptr<void, SrsDestroyer>;

struct FeatureDestroyer {
  void operator()(void* feature) const { OGR_F_Destroy(static_cast<OGRFeatureH>(feature)); }
};
using Feature = std::unique_ptr<void, FeatureDestroyer>;

struct GeometryDestroyer {
  void operator()(void* geometry) const {
    OGR_G_DestroyGeometry(static_cast<OGRGeometryH>(geometry));
  }
};
using Geometry = std::unique_ptr<void, GeometryDestroyer>;

// A spatial reference from WKT (or any definition OSRSetFromUserInput
// takes), axis order as x = easting/longitude; null when empty or unreadable.
Srs MakeSrs(const std::string& definition);

}  // namespace gis

#endif
