// The quiet GDAL error handler and the spatial-reference helper.
#include "gdalsupport.h"

#include <cpl_error.h>

#include <cstring>

#include "script.h"

namespace gis {
namespace {

std::string last_error;
ProgressHooks progress_hooks;

void CPL_STDCALL KeepError(CPLErr level, CPLErrorNum, const char* message) {
  // warnings and debug output are dropped; failures keep their text
  if (level >= CE_Failure && message != nullptr) last_error = message;
}

}  // namespace

void InstallQuietErrorHandler() {
  static bool installed = false;
  if (installed) return;
  installed = true;
  CPLSetErrorHandler(KeepError);
  GDALAllRegister();
}

void ClearGdalError() {
  last_error.clear();
  CPLErrorReset();
}

std::string GdalError(const char* fallback) {
  std::string text = last_error.empty() ? std::string(fallback) : last_error;
  while (!text.empty() && (text.back() == '\n' || text.back() == '.' || text.back() == ' '))
    text.pop_back();
  return text;
}

void SetProgressHooks(const ProgressHooks& hooks) {
  progress_hooks = hooks;
}

ProgressScope::ProgressScope(const char* title, const char* text) {
  if (progress_hooks.begin != nullptr) progress_hooks.begin(title, text);
}

ProgressScope::~ProgressScope() {
  if (progress_hooks.end != nullptr) progress_hooks.end();
}

bool ProgressScope::Step(double fraction) {
  if (stopped_) return false;
  if (progress_hooks.step != nullptr && !progress_hooks.step(from_ + (to_ - from_) * fraction))
    stopped_ = true;
  return !stopped_;
}

int CPL_STDCALL GdalProgress(double fraction, const char*, void* scope) {
  return static_cast<ProgressScope*>(scope)->Step(fraction) ? TRUE : FALSE;
}

Srs MakeSrs(const std::string& definition) {
  if (definition.empty()) return nullptr;
  Srs srs(OSRNewSpatialReference(nullptr));
  if (!srs) return nullptr;
  if (OSRSetFromUserInput(srs.get(), definition.c_str()) != OGRERR_NONE) return nullptr;
  OSRSetAxisMappingStrategy(srs.get(), OAMS_TRADITIONAL_GIS_ORDER);
  return srs;
}

void CheckFileNameLength(const char* name, const char* filename) {
  if (std::strlen(filename) > 4095) script::Raise(name, "the file name is too long");
}

}  // namespace gis
