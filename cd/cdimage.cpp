/* Images in the canvas core: RGB, RGBA and map puts with their defaults,
 * reading back, scrolling, server images and extended images. */
#include <algorithm>
#include <cstdlib>
#include <new>
#include <vector>

#include "cdpriv.h"
#include "sim.h"

using namespace cdcore;

namespace {

/* defaults and clamping of a put; false when nothing is to be put */
bool PrepareRect(int iw, int ih, int& w, int& h, int& xmin, int& xmax, int& ymin, int& ymax) {
  if (iw <= 0 || ih <= 0) return false;
  if (w == 0) w = iw;
  if (h == 0) h = ih;
  if (w < 0 || h < 0) return false;
  if (xmax == 0) xmax = iw - 1;
  if (ymax == 0) ymax = ih - 1;
  if (!RangeOk(xmin, xmax, ymin, ymax)) return false;
  if (xmin > xmax) std::swap(xmin, xmax);
  if (ymin > ymax) std::swap(ymin, ymax);
  xmin = std::clamp(xmin, 0, iw - 1), xmax = std::clamp(xmax, 0, iw - 1);
  ymin = std::clamp(ymin, 0, ih - 1), ymax = std::clamp(ymax, 0, ih - 1);
  return true;
}

inline int Nearest(int j, int count, int size) {
  long long s = (2LL * j * count + size) / (2LL * size);
  return int(std::min<long long>(s, count - 1));
}

}  // namespace

void cdPutImageRectRGB(int iw, int ih, const unsigned char* r, const unsigned char* g,
                       const unsigned char* b, int x, int y, int w, int h, int xmin, int xmax,
                       int ymin, int ymax) {
  cdCanvas* cv = Active();
  if (!r || !g || !b || !PrepareRect(iw, ih, w, h, xmin, xmax, ymin, ymax)) return;
  ToDevice(cv, x, y);
  SetWorldMode(cv, 0);
  if (cv->bpp > 8) {
    cv->ops.PutImageRectRGB(cv, iw, ih, r, g, b, x, y, w, h, xmin, xmax, ymin, ymax);
    return;
  }
  int rows = ymax - ymin + 1;
  size_t off = size_t(ymin) * iw, n = size_t(iw) * rows;
  std::vector<unsigned char> map;
  std::vector<long> colors(256);
  try {
    map.resize(n);
  } catch (const std::bad_alloc&) {
    return;
  }
  cdRGB2Map(iw, rows, r + off, g + off, b + off, map.data(), 1 << std::max(1, cv->bpp),
            colors.data());
  cv->ops.PutImageRectMap(cv, iw, rows, map.data(), colors.data(), x, y, w, h, xmin, xmax, 0,
                          rows - 1);
}

void cdPutImageRGB(int iw, int ih, const unsigned char* r, const unsigned char* g,
                   const unsigned char* b, int x, int y, int w, int h) {
  cdPutImageRectRGB(iw, ih, r, g, b, x, y, w, h, 0, 0, 0, 0);
}

void cdPutImageRectRGBA(int iw, int ih, const unsigned char* r, const unsigned char* g,
                        const unsigned char* b, const unsigned char* a, int x, int y, int w, int h,
                        int xmin, int xmax, int ymin, int ymax) {
  cdCanvas* cv = Active();
  if (!a || (!cv->ops.PutImageRectRGBA && !cv->ops.GetImageRGB)) {
    cdPutImageRectRGB(iw, ih, r, g, b, x, y, w, h, xmin, xmax, ymin, ymax);
    return;
  }
  if (!r || !g || !b || !PrepareRect(iw, ih, w, h, xmin, xmax, ymin, ymax)) return;
  if (cv->ops.PutImageRectRGBA) {
    int dx = x, dy = y;
    ToDevice(cv, dx, dy);
    SetWorldMode(cv, 0);
    cv->ops.PutImageRectRGBA(cv, iw, ih, r, g, b, a, dx, dy, w, h, xmin, xmax, ymin, ymax);
    return;
  }
  /* blend in the core over what the canvas holds */
  std::vector<unsigned char> dr, dg, db;
  try {
    size_t n = size_t(w) * size_t(h);
    dr.assign(n, 0), dg.assign(n, 0), db.assign(n, 0);
  } catch (const std::bad_alloc&) {
    return;
  }
  cdGetImageRGB(dr.data(), dg.data(), db.data(), x, y, w, h);
  int cols = xmax - xmin + 1, rows = ymax - ymin + 1;
  for (int i = 0; i < h; i++) {
    size_t srow = size_t(ymin + Nearest(i, rows, h)) * iw;
    for (int j = 0; j < w; j++) {
      size_t s = srow + xmin + Nearest(j, cols, w), d = size_t(i) * w + j;
      int al = a[s];
      dr[d] = (unsigned char)((al * r[s] + (255 - al) * dr[d]) / 255);
      dg[d] = (unsigned char)((al * g[s] + (255 - al) * dg[d]) / 255);
      db[d] = (unsigned char)((al * b[s] + (255 - al) * db[d]) / 255);
    }
  }
  cdPutImageRectRGB(w, h, dr.data(), dg.data(), db.data(), x, y, w, h, 0, w - 1, 0, h - 1);
}

void cdPutImageRGBA(int iw, int ih, const unsigned char* r, const unsigned char* g,
                    const unsigned char* b, const unsigned char* a, int x, int y, int w, int h) {
  cdPutImageRectRGBA(iw, ih, r, g, b, a, x, y, w, h, 0, 0, 0, 0);
}

void cdPutImageRectMap(int iw, int ih, const unsigned char* index, const long* colors, int x, int y,
                       int w, int h, int xmin, int xmax, int ymin, int ymax) {
  cdCanvas* cv = Active();
  if (!index || !colors || !PrepareRect(iw, ih, w, h, xmin, xmax, ymin, ymax)) return;
  ToDevice(cv, x, y);
  SetWorldMode(cv, 0);
  cv->ops.PutImageRectMap(cv, iw, ih, index, colors, x, y, w, h, xmin, xmax, ymin, ymax);
}

void cdPutImageMap(int iw, int ih, const unsigned char* index, const long* colors, int x, int y,
                   int w, int h) {
  cdPutImageRectMap(iw, ih, index, colors, x, y, w, h, 0, 0, 0, 0);
}

void cdGetImageRGB(unsigned char* r, unsigned char* g, unsigned char* b, int x, int y, int w,
                   int h) {
  cdCanvas* cv = Active();
  if (w <= 0 || h <= 0 || !r || !g || !b) return;
  ToDevice(cv, x, y);
  SetWorldMode(cv, 0);
  if (cv->ops.GetImageRGB) cv->ops.GetImageRGB(cv, r, g, b, x, y, w, h);
}

void cdScrollArea(int xmin, int xmax, int ymin, int ymax, int dx, int dy) {
  cdCanvas* cv = Active();
  if ((dx == 0 && dy == 0) || !RangeOk(xmin, xmax, ymin, ymax)) return;
  RangeToDevice(cv, xmin, xmax, ymin, ymax);
  if (cv->y_inverted) dy = -dy;
  SetWorldMode(cv, 0);
  cv->ops.ScrollArea(cv, xmin, xmax, ymin, ymax, dx, dy);
}

void cdScrollImage(int xmin, int xmax, int ymin, int ymax, int dx, int dy) {
  cdScrollArea(xmin, xmax, ymin, ymax, dx, dy);
}

/* ---- server images ---- */

cdImage* cdCreateImage(int w, int h) {
  cdCanvas* cv = Active();
  if (w <= 0 || h <= 0 || !cv->ops.CreateImage) return nullptr;
  cdImage* image = new (std::nothrow) cdImage;
  if (!image) return nullptr;
  image->image = cv->ops.CreateImage(cv, w, h);
  if (!image->image) {
    delete image;
    return nullptr;
  }
  image->w = w, image->h = h;
  image->context = cv->context;
  image->GetImage = cv->ops.GetImage;
  image->PutImageRect = cv->ops.PutImageRect;
  image->KillImage = cv->ops.KillImage;
  return image;
}

/* A server image only makes sense to canvases of the driver that made it. */
void cdGetImage(cdImage* image, int x, int y) {
  cdCanvas* cv = Active();
  if (!image || cv->context != image->context || !image->GetImage) return;
  ToDevice(cv, x, y);
  image->GetImage(cv, image->image, x, y);
}

void cdPutImageRect(cdImage* image, int x, int y, int xmin, int xmax, int ymin, int ymax) {
  cdCanvas* cv = Active();
  if (!image || cv->context != image->context || !image->PutImageRect) return;
  if (!RangeOk(xmin, xmax, ymin, ymax)) return;
  if (xmin > xmax) std::swap(xmin, xmax);
  if (ymin > ymax) std::swap(ymin, ymax);
  xmin = std::clamp(xmin, 0, image->w - 1), xmax = std::clamp(xmax, 0, image->w - 1);
  ymin = std::clamp(ymin, 0, image->h - 1), ymax = std::clamp(ymax, 0, image->h - 1);
  ToDevice(cv, x, y);
  SetWorldMode(cv, 0);
  image->PutImageRect(cv, image->image, x, y, xmin, xmax, ymin, ymax);
}

void cdPutImage(cdImage* image, int x, int y) {
  if (image) cdPutImageRect(image, x, y, 0, image->w - 1, 0, image->h - 1);
}

void cdKillImage(cdImage* image) {
  if (!image) return;
  if (image->KillImage) image->KillImage(image->image);
  delete image;
}

/* ---- extended images ---- */

cdImageEx* cdCreateImageEx(int w, int h, int type) {
  if (w <= 0 || h <= 0 || (long long)w * h > (1LL << 30)) return nullptr;
  if (type > 0) type = CD_MAP;
  if (type != CD_RGB && type != CD_RGBA && type != CD_SERVER && type != CD_MAP) return nullptr;
  cdImageEx* im = static_cast<cdImageEx*>(std::calloc(1, sizeof(cdImageEx)));
  if (!im) return nullptr;
  im->w = w, im->h = h, im->type = type, im->owns_planes = 1;
  im->xmin = 0, im->xmax = w - 1, im->ymin = 0, im->ymax = h - 1;
  size_t n = size_t(w) * size_t(h);
  bool ok = true;
  if (type == CD_MAP) {
    im->index = static_cast<unsigned char*>(std::calloc(n, 1));
    im->colors = static_cast<long*>(std::calloc(256, sizeof(long)));
    ok = im->index && im->colors;
  } else if (type == CD_SERVER) {
    im->server = cdCreateImage(w, h);
    ok = im->server != nullptr;
  } else {
    im->r = static_cast<unsigned char*>(std::calloc(n, 1));
    im->g = static_cast<unsigned char*>(std::calloc(n, 1));
    im->b = static_cast<unsigned char*>(std::calloc(n, 1));
    ok = im->r && im->g && im->b;
    if (type == CD_RGBA) {
      im->a = static_cast<unsigned char*>(std::calloc(n, 1));
      ok = ok && im->a;
    }
  }
  if (!ok) {
    cdKillImageEx(im);
    return nullptr;
  }
  return im;
}

void cdKillImageEx(cdImageEx* image) {
  if (!image) return;
  if (image->owns_planes) {
    std::free(image->index);
    std::free(image->colors);
    std::free(image->r);
    std::free(image->g);
    std::free(image->b);
    std::free(image->a);
  }
  cdKillImage(image->server);
  std::free(image);
}

void cdGetImageEx(cdImageEx* image, int x, int y) {
  if (!image) return;
  if (image->type == CD_SERVER)
    cdGetImage(image->server, x, y);
  else if (image->type == CD_RGB)
    cdGetImageRGB(image->r, image->g, image->b, x, y, image->w, image->h);
}

void cdPutImageEx(cdImageEx* image, int x, int y, int w, int h) {
  if (!image) return;
  cdImageEx& i = *image;
  switch (i.type) {
    case CD_SERVER:
      cdPutImageRect(i.server, x, y, i.xmin, i.xmax, i.ymin, i.ymax);
      break;
    case CD_RGBA:
      cdPutImageRectRGBA(i.w, i.h, i.r, i.g, i.b, i.a, x, y, w, h, i.xmin, i.xmax, i.ymin, i.ymax);
      break;
    case CD_MAP:
      cdPutImageRectMap(i.w, i.h, i.index, i.colors, x, y, w, h, i.xmin, i.xmax, i.ymin, i.ymax);
      break;
    default:
      cdPutImageRectRGB(i.w, i.h, i.r, i.g, i.b, x, y, w, h, i.xmin, i.xmax, i.ymin, i.ymax);
      break;
  }
}

void cdImageRectEx(cdImageEx* image, int xmin, int xmax, int ymin, int ymax) {
  if (!image) return;
  image->xmin = xmin, image->xmax = xmax, image->ymin = ymin, image->ymax = ymax;
}

void cdRGB2MapEx(cdImageEx* rgb, cdImageEx* map) {
  if (!rgb || !map || (rgb->type != CD_RGB && rgb->type != CD_RGBA) || map->type != CD_MAP ||
      rgb->w != map->w || rgb->h != map->h)
    return;
  cdRGB2Map(rgb->w, rgb->h, rgb->r, rgb->g, rgb->b, map->index, 256, map->colors);
}

void* cdImageExChannel(cdImageEx* image, int channel) {
  if (!image) return nullptr;
  switch (channel) {
    case CD_IRED:
      return image->r;
    case CD_IGREEN:
      return image->g;
    case CD_IBLUE:
      return image->b;
    case CD_IALPHA:
      return image->a;
    case CD_INDEX:
      return image->index;
    case CD_COLORS:
      return image->colors;
    case CD_ISERVER:
      return image->server;
    default:
      return nullptr;
  }
}
