/* The canvas core: canvas lifecycle, the active canvas, the default
 * operation table, attribute setters, state save and restore, the
 * simulation switch, driver attributes and play. Primitives and clipping
 * are in cdprim.cpp, images in cdimage.cpp. */
#include <cstdio>
#include <cstring>
#include <new>

#include "cdpriv.h"
#include "sim.h"
#include "wd.h"

struct cdImage;

namespace cdcore {
namespace {

cdCanvas* active_canvas = nullptr;

/* ---- defaults of the operation table ---- */
void NoFlush(cdCanvas*) {}
void NoPixel(cdCanvas*, int, int, long) {}
void NoLine(cdCanvas*, int, int, int, int) {}
void NoPoly(cdCanvas*, int, cdPoint*, int) {}
void NoBox(cdCanvas*, int, int, int, int) {}
void NoArc(cdCanvas*, int, int, int, int, double, double) {}
void NoText(cdCanvas*, int, int, const char*) {}
void NoPutRGB(cdCanvas*, int, int, const unsigned char*, const unsigned char*, const unsigned char*,
              int, int, int, int, int, int, int, int) {}
void NoPutMap(cdCanvas*, int, int, const unsigned char*, const long*, int, int, int, int, int, int,
              int, int) {}
void NoScroll(cdCanvas*, int, int, int, int, int, int) {}
int SameInt(cdCanvas*, int v) {
  return v;
}
void NoClipArea(cdCanvas*, int*, int*, int*, int*) {}
void NoStipple(cdCanvas*, int, int, const unsigned char*) {}
void NoPattern(cdCanvas*, int, int, const long*) {}
void NoFont(cdCanvas*, int*, int*, int*) {}
void NoNativeFont(cdCanvas*, const char*) {}
double SameDouble(cdCanvas*, double v) {
  return v;
}
void NoPalette(cdCanvas*, int, const long*, int) {}
long SameLong(cdCanvas*, long v) {
  return v;
}
void* NoCreateImage(cdCanvas*, int, int) {
  return nullptr;
}
void NoGetImage(cdCanvas*, void*, int, int) {}
void NoPutImage(cdCanvas*, void*, int, int, int, int, int, int) {}
void NoKillImage(void*) {}
int ReactivateOk(cdCanvas*) {
  return CD_OK;
}
void NoWorldMode(cdCanvas*, int) {}

/* ---- the setter rule ---- */
template <class T>
T Setter(cdCanvas* cv, T& field, T value, T (*slot)(cdCanvas*, T)) {
  if (value == T(CD_QUERY) || value == field) return field;
  T previous = field;
  field = slot ? slot(cv, value) : value;
  return previous;
}

}  // namespace

cdCanvas* Active() {
  return active_canvas;
}

long SetForeground(cdCanvas* cv, long color) {
  return Setter(cv, cv->foreground, color, cv->ops.Foreground);
}
int SetLineStyle(cdCanvas* cv, int style) {
  return Setter(cv, cv->line_style, style, cv->ops.LineStyle);
}
int SetLineWidth(cdCanvas* cv, int width) {
  return Setter(cv, cv->line_width, width, cv->ops.LineWidth);
}
int SetTextAlignment(cdCanvas* cv, int alignment) {
  return Setter(cv, cv->text_alignment, alignment, cv->ops.TextAlignment);
}
int SetInteriorStyle(cdCanvas* cv, int style) {
  if (style == CD_QUERY || style == cv->interior_style) return cv->interior_style;
  if (style == CD_PATTERN && cv->pattern_capacity == 0) return cv->interior_style;
  if (style == CD_STIPPLE && cv->stipple_capacity == 0) return cv->interior_style;
  int previous = cv->interior_style;
  if (style == CD_HOLLOW)
    cv->interior_style = CD_HOLLOW;
  else
    cv->interior_style = cv->ops.InteriorStyle ? cv->ops.InteriorStyle(cv, style) : style;
  return previous;
}
int SetClip(cdCanvas* cv, int mode) {
  if (mode == CD_CLIPPOLYGON && cv->clip_poly_n == 0) return cv->clip_mode;
  return Setter(cv, cv->clip_mode, mode, cv->ops.Clip);
}

void SetClipAreaDevice(cdCanvas* cv, int xmin, int xmax, int ymin, int ymax) {
  if (xmin == cv->clip_xmin && xmax == cv->clip_xmax && ymin == cv->clip_ymin &&
      ymax == cv->clip_ymax)
    return;
  SetWorldMode(cv, 0);
  if (cv->ops.ClipArea) cv->ops.ClipArea(cv, &xmin, &xmax, &ymin, &ymax);
  cv->clip_xmin = xmin;
  cv->clip_xmax = xmax;
  cv->clip_ymin = ymin;
  cv->clip_ymax = ymax;
}

bool GrowPoly(cdCanvas* cv) {
  try {
    int capacity = cv->poly_capacity + 100;
    cv->poly.resize(size_t(capacity) + 1);
    cv->wd_poly.resize(size_t(capacity) + 1);
    cv->poly_capacity = cv->wd_poly_capacity = capacity;
    return true;
  } catch (const std::bad_alloc&) {
    return false;
  }
}

}  // namespace cdcore

using namespace cdcore;

struct cdState {
  cdCanvas saved;
};

void cdInstallDefaultOperations(cdCanvas* cv) {
  cdOperations& o = cv->ops;
  o = cdOperations{};
  o.Flush = NoFlush;
  o.Clear = NoFlush;
  o.Pixel = NoPixel;
  o.Mark = cdsim::Mark;
  o.Line = NoLine;
  o.Poly = NoPoly;
  o.Rect = cdsim::Rect;
  o.Box = NoBox;
  o.Arc = NoArc;
  o.Sector = NoArc;
  o.Text = NoText;
  o.FontDim = cdsim::EstimatedFontDim;
  o.TextSize = cdsim::EstimatedTextSize;
  o.PutImageRectRGB = NoPutRGB;
  o.PutImageRectMap = NoPutMap;
  o.ScrollArea = NoScroll;
  o.Clip = SameInt;
  o.ClipArea = NoClipArea;
  o.BackOpacity = SameInt;
  o.WriteMode = SameInt;
  o.MarkType = SameInt;
  o.MarkSize = SameInt;
  o.LineStyle = SameInt;
  o.LineWidth = SameInt;
  o.InteriorStyle = SameInt;
  o.Hatch = SameInt;
  o.Stipple = NoStipple;
  o.Pattern = NoPattern;
  o.Font = NoFont;
  o.NativeFont = NoNativeFont;
  o.TextAlignment = SameInt;
  o.TextOrientation = SameDouble;
  o.Palette = NoPalette;
  o.Background = SameLong;
  o.Foreground = SameLong;
  o.CreateImage = NoCreateImage;
  o.GetImage = NoGetImage;
  o.PutImageRect = NoPutImage;
  o.KillImage = NoKillImage;
  o.Reactivate = ReactivateOk;
  o.WorldMode = NoWorldMode;
}

/* ---- colours ---- */

long cdEncodeColor(unsigned char red, unsigned char green, unsigned char blue) {
  return (long(red) << 16) | (long(green) << 8) | long(blue);
}

void cdDecodeColor(long color, unsigned char* red, unsigned char* green, unsigned char* blue) {
  if (red) *red = (unsigned char)((color >> 16) & 0xFF);
  if (green) *green = (unsigned char)((color >> 8) & 0xFF);
  if (blue) *blue = (unsigned char)(color & 0xFF);
}

/* ---- lifecycle ---- */

namespace {

void FreeCanvas(cdCanvas* cv) {
  if (cv->vector_text && cv->vector_text_free) cv->vector_text_free(cv->vector_text);
  cdsim::KillState(cv->sim);
  delete cv;
}

void PushDefaults(cdCanvas* cv) {
  cdOperations& o = cv->ops;
  if (o.Background) cv->background = o.Background(cv, cv->background);
  if (o.Foreground) cv->foreground = o.Foreground(cv, cv->foreground);
  if (o.BackOpacity) cv->back_opacity = o.BackOpacity(cv, cv->back_opacity);
  if (o.WriteMode) cv->write_mode = o.WriteMode(cv, cv->write_mode);
  if (o.LineStyle) cv->line_style = o.LineStyle(cv, cv->line_style);
  if (o.LineWidth) cv->line_width = o.LineWidth(cv, cv->line_width);
  if (o.Hatch) cv->hatch_style = o.Hatch(cv, cv->hatch_style);
  if (o.InteriorStyle) cv->interior_style = o.InteriorStyle(cv, cv->interior_style);
  if (o.Font) o.Font(cv, &cv->font_face, &cv->font_style, &cv->font_size);
  if (o.TextAlignment) cv->text_alignment = o.TextAlignment(cv, cv->text_alignment);
  if (o.TextOrientation) cv->text_orientation = o.TextOrientation(cv, cv->text_orientation);
  if (o.MarkType) cv->mark_type = o.MarkType(cv, cv->mark_type);
  if (o.MarkSize) cv->mark_size = o.MarkSize(cv, cv->mark_size);
}

}  // namespace

cdCanvasHandle cdCreateCanvas(cdDriver* context, void* data) {
  if (!context || !context->CreateCanvas || !context->FillOperations) return nullptr;
  cdCanvas* cv = new (std::nothrow) cdCanvas();
  if (!cv) return nullptr;
  cv->sim = cdsim::CreateState(cv);
  if (!cv->sim) {
    delete cv;
    return nullptr;
  }
  cv->context = context;
  cv->handle = cv;
  cv->foreground = 0x000000;
  cv->background = 0xFFFFFF;
  cv->back_opacity = CD_TRANSPARENT;
  cv->write_mode = CD_REPLACE;
  cv->mark_type = CD_STAR;
  cv->mark_size = 10;
  cv->line_style = CD_CONTINUOUS;
  cv->line_width = 1;
  cv->interior_style = CD_SOLID;
  cv->hatch_style = CD_HORIZONTAL;
  cv->font_face = CD_SYSTEM;
  cv->font_style = CD_PLAIN;
  cv->font_size = 12;
  cv->text_alignment = CD_BASE_LEFT;

  context->CreateCanvas(cv, data);
  if (!cv->driver_data) {
    FreeCanvas(cv);
    return nullptr;
  }
  cdInstallDefaultOperations(cv);
  context->FillOperations(cv);
  cdsim::SetLineOperation(cv->sim, cv->ops.Line);

  cdCanvas* previous = active_canvas;
  active_canvas = cv;
  PushDefaults(cv);
  active_canvas = previous;

  cv->clip_xmin = 0;
  cv->clip_xmax = cv->w - 1;
  cv->clip_ymin = 0;
  cv->clip_ymax = cv->h - 1;
  InitWorld(cv);
  return cv;
}

void cdKillCanvas(cdCanvasHandle canvas) {
  if (!canvas) return;
  if (canvas == active_canvas) active_canvas = nullptr;
  if (canvas->ops.KillCanvas) canvas->ops.KillCanvas(canvas);
  FreeCanvas(canvas);
}

int cdActivate(cdCanvasHandle canvas) {
  if (canvas && canvas == active_canvas) {
    if (canvas->ops.Reactivate && canvas->ops.Reactivate(canvas) == CD_ERROR) {
      active_canvas = nullptr;
      return CD_ERROR;
    }
    return CD_OK;
  }
  if (active_canvas && active_canvas->ops.Deactivate) active_canvas->ops.Deactivate(active_canvas);
  active_canvas = nullptr;
  if (!canvas) return CD_ERROR;
  active_canvas = canvas;
  if (canvas->ops.Activate && canvas->ops.Activate(canvas) == CD_ERROR) {
    active_canvas = nullptr;
    return CD_ERROR;
  }
  return CD_OK;
}

cdCanvasHandle cdActiveCanvas(void) {
  return active_canvas;
}
cdDriver* cdGetContext(cdCanvasHandle canvas) {
  return canvas ? canvas->context : nullptr;
}
unsigned long cdContextCaps(cdDriver* context) {
  return context ? context->caps : 0;
}
const char* cdVersion(void) {
  return "4.0";
}

int cdRegisterAttribute(cdCanvas* cv, cdAttribute* attribute) {
  if (!cv || !attribute || cv->attribute_count >= CD_MAX_ATTRIBUTES) return CD_ERROR;
  cv->attributes[cv->attribute_count++] = attribute;
  return CD_OK;
}

/* ---- surface ---- */

void cdFlush(void) {
  active_canvas->ops.Flush(active_canvas);
}
void cdClear(void) {
  active_canvas->ops.Clear(active_canvas);
}

void cdGetCanvasSize(int* width, int* height, double* width_mm, double* height_mm) {
  cdCanvas* cv = active_canvas;
  if (width) *width = cv->w;
  if (height) *height = cv->h;
  if (width_mm) *width_mm = cv->w_mm;
  if (height_mm) *height_mm = cv->h_mm;
}

void cdMM2Pixel(double mm_dx, double mm_dy, int* dx, int* dy) {
  if (dx) *dx = int(active_canvas->xres * mm_dx);
  if (dy) *dy = int(active_canvas->yres * mm_dy);
}

void cdPixel2MM(int dx, int dy, double* mm_dx, double* mm_dy) {
  if (mm_dx) *mm_dx = dx / active_canvas->xres;
  if (mm_dy) *mm_dy = dy / active_canvas->yres;
}

void cdOrigin(int x, int y) {
  active_canvas->origin_x = x;
  active_canvas->origin_y = y;
  active_canvas->use_origin = (x != 0 || y != 0);
}

/* The origin is taken off twice, as callers of this conversion expect. */
int cdUpdateYAxis(int* y) {
  cdCanvas* cv = active_canvas;
  if (cv->y_inverted) *y = TurnedY(cv, *y);
  if (cv->use_origin) *y = HeldCoordinate(*y - 2LL * cv->origin_y);
  return *y;
}

void cdCanvas2Raster(int*, int* y) {
  cdUpdateYAxis(y);
}
int cdGetColorPlanes(void) {
  return active_canvas->bpp;
}

/* ---- attributes ---- */

long cdBackground(long color) {
  return Setter(active_canvas, active_canvas->background, color, active_canvas->ops.Background);
}
long cdForeground(long color) {
  return SetForeground(active_canvas, color);
}
int cdBackOpacity(int opacity) {
  return Setter(active_canvas, active_canvas->back_opacity, opacity,
                active_canvas->ops.BackOpacity);
}
int cdWriteMode(int mode) {
  return Setter(active_canvas, active_canvas->write_mode, mode, active_canvas->ops.WriteMode);
}
int cdLineStyle(int style) {
  return SetLineStyle(active_canvas, style);
}
int cdLineWidth(int width) {
  return SetLineWidth(active_canvas, width);
}
int cdInteriorStyle(int style) {
  return SetInteriorStyle(active_canvas, style);
}
int cdMarkType(int type) {
  return Setter(active_canvas, active_canvas->mark_type, type, active_canvas->ops.MarkType);
}
int cdMarkSize(int size) {
  return Setter(active_canvas, active_canvas->mark_size, size, active_canvas->ops.MarkSize);
}
int cdTextAlignment(int alignment) {
  return SetTextAlignment(active_canvas, alignment);
}
double cdTextOrientation(double angle) {
  return Setter(active_canvas, active_canvas->text_orientation, angle,
                active_canvas->ops.TextOrientation);
}

int cdHatch(int style) {
  cdCanvas* cv = active_canvas;
  if (style == CD_QUERY) return cv->hatch_style;
  int previous = cv->hatch_style;
  cv->hatch_style = cv->ops.Hatch ? cv->ops.Hatch(cv, style) : style;
  cv->interior_style = CD_HATCH;
  return previous;
}

void cdStipple(int w, int h, const unsigned char* stipple) {
  cdCanvas* cv = active_canvas;
  if (w <= 0 || h <= 0 || !stipple) return;
  if (cv->ops.Stipple) cv->ops.Stipple(cv, w, h, stipple);
  long cells = long(w) * h;
  if (cells >= cv->stipple_capacity) {
    try {
      cv->stipple.assign(size_t(cells), 0);
      cv->stipple_capacity = int(cells);
    } catch (const std::exception&) {
      cv->stipple.clear();
      cv->stipple_capacity = 0;
      return;
    }
  }
  std::memcpy(cv->stipple.data(), stipple, size_t(cells));
  cv->interior_style = CD_STIPPLE;
  cv->stipple_w = w;
  cv->stipple_h = h;
}

unsigned char* cdGetStipple(int* w, int* h) {
  cdCanvas* cv = active_canvas;
  if (cv->stipple_capacity == 0) return nullptr;
  if (w) *w = cv->stipple_w;
  if (h) *h = cv->stipple_h;
  return cv->stipple.data();
}

void cdPattern(int w, int h, const long* pattern) {
  cdCanvas* cv = active_canvas;
  if (w <= 0 || h <= 0 || !pattern) return;
  if (cv->ops.Pattern) cv->ops.Pattern(cv, w, h, pattern);
  long cells = long(w) * h;
  if (cells >= cv->pattern_capacity) {
    try {
      cv->pattern.assign(size_t(cells), 0);
      cv->pattern_capacity = int(cells);
    } catch (const std::exception&) {
      cv->pattern.clear();
      cv->pattern_capacity = 0;
      return;
    }
  }
  std::memcpy(cv->pattern.data(), pattern, size_t(cells) * sizeof(long));
  cv->interior_style = CD_PATTERN;
  cv->pattern_w = w;
  cv->pattern_h = h;
}

long* cdGetPattern(int* w, int* h) {
  cdCanvas* cv = active_canvas;
  if (cv->pattern_capacity == 0) return nullptr;
  if (w) *w = cv->pattern_w;
  if (h) *h = cv->pattern_h;
  return cv->pattern.data();
}

void cdFont(int type_face, int style, int size) {
  cdCanvas* cv = active_canvas;
  if (type_face == cv->font_face && style == cv->font_style && size == cv->font_size) return;
  if (cv->ops.Font) cv->ops.Font(cv, &type_face, &style, &size);
  cv->font_face = type_face;
  cv->font_style = style;
  cv->font_size = size;
  cv->native_font[0] = 0;
}

void cdGetFont(int* type_face, int* style, int* size) {
  cdCanvas* cv = active_canvas;
  if (type_face) *type_face = cv->font_face;
  if (style) *style = cv->font_style;
  if (size) *size = cv->font_size;
}

/* A description longer than 511 characters is cut to fit. */
char* cdNativeFont(const char* font) {
  static char previous[512];
  cdCanvas* cv = active_canvas;
  std::memcpy(previous, cv->native_font, sizeof previous);
  if (font && font[0]) {
    if (cv->ops.NativeFont) cv->ops.NativeFont(cv, font);
    std::snprintf(cv->native_font, sizeof cv->native_font, "%s", font);
  }
  return previous;
}

void cdPalette(int n, const long* palette, int mode) {
  cdCanvas* cv = active_canvas;
  if (n <= 0 || !palette || cv->bpp > 8) return;
  if (cv->ops.Palette) cv->ops.Palette(cv, n, palette, mode);
}

/* ---- state ---- */

cdState* cdSaveState(void) {
  try {
    cdState* state = new cdState{*active_canvas};
    state->saved.sim = nullptr;
    state->saved.vector_text = nullptr;
    return state;
  } catch (const std::exception&) {
    return nullptr;
  }
}

void cdKillState(cdState* state) {
  delete state;
}

void cdRestoreState(cdState* state) {
  if (!state) return;
  cdCanvas* cv = active_canvas;
  const cdCanvas& s = state->saved;
  try {
    cv->clip_poly = s.clip_poly;
    cv->wd_clip_poly = s.wd_clip_poly;
  } catch (const std::exception&) {
    cv->clip_poly.clear();
    cv->wd_clip_poly.clear();
  }
  cv->clip_poly_n = int(cv->clip_poly.size());
  cv->wd_clip_poly_n = int(cv->wd_clip_poly.size());
  SetClip(cv, CD_CLIPOFF);
  if (cv->clip_poly_n > 0) {
    SetWorldMode(cv, 0);
    std::vector<cdPoint> copy = cv->clip_poly;
    cv->ops.Poly(cv, CD_CLIP, copy.data(), int(copy.size()));
  }
  if (cv->wd_clip_poly_n > 0 && cv->ops.WdPoly) {
    SetWorldMode(cv, 1);
    std::vector<cdPointD> copy = cv->wd_clip_poly;
    cv->ops.WdPoly(cv, CD_CLIP, copy.data(), int(copy.size()));
  }
  /* the saved rectangle is already in device pixels: store it as it is */
  SetClipAreaDevice(cv, s.clip_xmin, s.clip_xmax, s.clip_ymin, s.clip_ymax);
  cdClip(s.clip_mode);
  cdBackground(s.background);
  cdForeground(s.foreground);
  cdBackOpacity(s.back_opacity);
  cdWriteMode(s.write_mode);
  cdLineStyle(s.line_style);
  cdLineWidth(s.line_width);
  cdHatch(s.hatch_style);
  if (s.stipple_capacity > 0) cdStipple(s.stipple_w, s.stipple_h, s.stipple.data());
  if (s.pattern_capacity > 0) cdPattern(s.pattern_w, s.pattern_h, s.pattern.data());
  cdInteriorStyle(s.interior_style);
  cdFont(s.font_face, s.font_style, s.font_size);
  cdNativeFont(s.native_font);
  cdTextAlignment(s.text_alignment);
  cdTextOrientation(s.text_orientation);
  cdMarkType(s.mark_type);
  cdMarkSize(s.mark_size);
  cdOrigin(s.origin_x, s.origin_y);
  wdWindow(s.wd_xmin, s.wd_xmax, s.wd_ymin, s.wd_ymax);
  wdViewport(s.wd_vxmin, s.wd_vxmax, s.wd_vymin, s.wd_vymax);
  cdSimulate(s.sim_mode);
  delete state;
}

/* ---- simulation switch ---- */

int cdSimulate(int mode) {
  cdCanvas* cv = active_canvas;
  if (mode == CD_QUERY || cv->sim->raster_native) return cv->sim_mode;
  int previous = cv->sim_mode;
  cv->sim_mode = mode;
  cdInstallDefaultOperations(cv);
  cv->context->FillOperations(cv);
  cdOperations& o = cv->ops;
  if (mode & CD_SIM_LINE) o.Line = cdsim::Line, o.WdLine = nullptr;
  if (mode & CD_SIM_MARK) o.Mark = cdsim::Mark, o.WdMark = nullptr;
  if (mode & CD_SIM_RECT) o.Rect = cdsim::Rect, o.WdRect = nullptr;
  if (mode & CD_SIM_BOX) o.Box = cdsim::Box, o.WdBox = nullptr;
  if (mode & CD_SIM_ARC) o.Arc = cdsim::Arc, o.WdArc = nullptr;
  if (mode & CD_SIM_SECTOR) o.Sector = cdsim::Sector, o.WdSector = nullptr;
  if (mode & CD_SIM_TEXT) {
    o.Text = cdsim::Text;
    o.FontDim = cdsim::FontDim;
    o.TextSize = cdsim::TextSize;
    o.Font = cdsim::Font;
    o.NativeFont = cdsim::NativeFont;
    o.TextOrientation = SameDouble;
    o.WdText = nullptr;
    cdsim::LoadCurrentFont(cv);
  } else if (o.Font) {
    int face = cv->font_face, style = cv->font_style, size = cv->font_size;
    o.Font(cv, &face, &style, &size);
    cv->font_face = face, cv->font_style = style, cv->font_size = size;
  }
  if (mode & (CD_SIM_POLYGON | CD_SIM_POLYLINE | CD_SIM_CLIPPOLY)) o.WdPoly = nullptr;
  if (mode & CD_SIM_CLIP) {
    o.Clip(cv, CD_CLIPOFF);
    o.Clip = SameInt;
    o.ClipArea = NoClipArea;
    o.WdClipArea = nullptr;
    cdsim::SetClipPolygon(cv->sim, cv->clip_poly.data(), cv->clip_poly_n);
  } else {
    if (cv->clip_poly_n > 0) {
      SetWorldMode(cv, 0);
      std::vector<cdPoint> copy = cv->clip_poly;
      o.Poly(cv, CD_CLIP, copy.data(), int(copy.size()));
    }
    cv->clip_mode = o.Clip(cv, cv->clip_mode);
  }
  if (mode & CD_SIM_WD) {
    o.WdMark = nullptr, o.WdLine = nullptr, o.WdPoly = nullptr, o.WdRect = nullptr;
    o.WdBox = nullptr, o.WdArc = nullptr, o.WdSector = nullptr, o.WdText = nullptr;
    o.WdVectorText = nullptr, o.WdMultiLineVectorText = nullptr;
    o.WdWindow = nullptr, o.WdViewport = nullptr, o.WdClipArea = nullptr;
    o.WdVectorTextDirection = nullptr, o.WdVectorTextSize = nullptr;
    o.WdVectorCharSize = nullptr;
  }
  if (mode & CD_SIM_VECTORTEXT) {
    o.VectorText = nullptr, o.MultiLineVectorText = nullptr, o.VectorFont = nullptr;
    o.VectorTextDirection = nullptr, o.VectorTextTransform = nullptr;
    o.VectorTextSize = nullptr, o.VectorCharSize = nullptr;
    o.WdVectorText = nullptr, o.WdMultiLineVectorText = nullptr;
    o.WdVectorTextDirection = nullptr, o.WdVectorTextSize = nullptr;
    o.WdVectorCharSize = nullptr;
  }
  cdsim::SetLineOperation(cv->sim, o.Line);
  return previous;
}

/* ---- driver attributes ---- */

void cdSetAttribute(const char* name, char* data) {
  cdCanvas* cv = active_canvas;
  if (!name) return;
  for (int i = 0; i < cv->attribute_count; i++)
    if (std::strcmp(cv->attributes[i]->name, name) == 0) {
      if (cv->attributes[i]->set) cv->attributes[i]->set(data);
      return;
    }
}

char* cdGetAttribute(const char* name) {
  cdCanvas* cv = active_canvas;
  if (!name) return nullptr;
  for (int i = 0; i < cv->attribute_count; i++)
    if (std::strcmp(cv->attributes[i]->name, name) == 0)
      return cv->attributes[i]->get ? cv->attributes[i]->get() : nullptr;
  return nullptr;
}

/* ---- play ---- */

int cdPlay(cdDriver* context, int xmin, int xmax, int ymin, int ymax, void* data) {
  if (!context || !context->Play || !RangeOk(xmin, xmax, ymin, ymax)) return CD_ERROR;
  return context->Play(xmin, xmax, ymin, ymax, data);
}

int cdRegisterCallback(cdDriver* context, int cb, cdCallback func) {
  if (!context || !context->RegisterCallback) return CD_ERROR;
  return context->RegisterCallback(cb, func);
}
