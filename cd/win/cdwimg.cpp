/* The server image driver (CD_IMAGE): a canvas drawing into a server
 * image made by a window canvas; sizes and resolutions are the image's. The image stays its
 * creator's: killing the canvas leaves it alone, and killing the image first leaves the canvas its
 * picture until the canvas is killed too. */
#include <new>

#include "cdwin.h"

namespace {

struct ImageCanvas {
  cdsim::Raster raster;                 /* first: the raster base reaches it */
  cdraster::Picture* picture = nullptr; /* held while the canvas lives */
};

void CreateImageCanvas(cdCanvas* cv, void* data) {
  cdImage* image = static_cast<cdImage*>(data);
  if (!image || !image->image || !cdwin::IsWindowContext(image->context)) return;
  cdraster::Picture* p = static_cast<cdraster::Picture*>(image->image);
  ImageCanvas* rec = new (std::nothrow) ImageCanvas;
  if (!rec) return;
  rec->raster.w = p->w, rec->raster.h = p->h;
  rec->raster.r = p->r.data(), rec->raster.g = p->g.data(), rec->raster.b = p->b.data();
  cdsim::RasterResetClip(rec->raster);
  cv->w = p->w, cv->h = p->h;
  cv->xres = p->xres, cv->yres = p->yres;
  cv->w_mm = p->w / p->xres, cv->h_mm = p->h / p->yres;
  cv->bpp = p->bpp;
  cv->y_inverted = 1;
  cdraster::HoldPicture(p);
  rec->picture = p;
  cv->driver_data = rec;
}

void KillImageCanvas(cdCanvas* cv) {
  ImageCanvas* rec = static_cast<ImageCanvas*>(cv->driver_data);
  cdraster::ReleasePicture(rec->picture);
  delete rec;
}

void FillImageOperations(cdCanvas* cv) {
  cdraster::FillOperations(cv);
  cv->ops.KillCanvas = KillImageCanvas;
}

cdDriver server_image_driver = {CD_CAP_ALL & ~cdwin::kCapsCleared,
                                CreateImageCanvas,
                                FillImageOperations,
                                nullptr,
                                nullptr,
                                "CD_IMAGE",
                                CD_DATA_IMAGE};

}  // namespace

cdDriver* cdContextImage(void) {
  return &server_image_driver;
}
