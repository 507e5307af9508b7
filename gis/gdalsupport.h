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

// The progress of long GDAL work (reading pixels, warping), shown by the
// host: begin(title, text) when a piece of work starts, step(fraction) as it
// goes (false: the user stopped it), end() when it is over. The host's
// functions may run script code (a dialog's loop steps); none by default.
struct ProgressHooks {
  void (*begin)(const char* title, const char* text) = nullptr;
  bool (*step)(double fraction) = nullptr;
  void (*end)() = nullptr;
};
void SetProgressHooks(const ProgressHooks& hooks);

// One piece of work reporting to the hooks while it lives; GdalProgress
// with the scope as its data is GDAL's callback for it.
class ProgressScope {
 public:
  ProgressScope(const char* title, const char* text);
  ~ProgressScope();
  ProgressScope(const ProgressScope&) = delete;
  ProgressScope& operator=(const ProgressScope&) = delete;
  // the fraction done of the whole, from the part running now
  void StartPart(double from, double to) { from_ = from, to_ = to; }
  bool stopped() const { return stopped_; }
  bool Step(double fraction);

 private:
  double from_ = 0, to_ = 1;
  bool stopped_ = false;
};
int CPL_STDCALL GdalProgress(double fraction, const char* message, void* scope);

// A spatial reference from WKT (or any definition OSRSetFromUserInput
// takes), axis order as x = easting/longitude; null when empty or unreadable.
Srs MakeSrs(const std::string& definition);

}  // namespace gis

#endif
