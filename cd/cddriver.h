/* The driver interface of the canvas library: the 69-slot operation table
 * every driver fills in, the driver descriptor and the canvas record.
 *
 * Every operation receives the canvas it acts on as its first argument
 * (the active canvas for drawing). Coordinates reaching a slot are device
 * pixels after origin and y conversion.
 *
 * Before FillOperations runs the core installs its defaults
 * (cdInstallDefaultOperations): most do nothing, the setters return their
 * argument, CreateImage returns null, Reactivate returns CD_OK, and Mark,
 * Rect, FontDim and TextSize are simulated. The core calls most of these
 * slots without checking, so a driver replaces them but never empties
 * them. The slots with no default (VectorText, MultiLineVectorText, the
 * Wd* slots, PutImageRectRGBA, GetImageRGB, the vector-text settings,
 * KillCanvas, Activate, Deactivate) stay null unless the driver fills
 * them, and the core checks each before calling: world primitives then go
 * through the integer path, vector text is stroked by the core through the
 * canvas' own primitives, RGBA images are blended over GetImageRGB or put
 * without alpha, a missing GetImageRGB reads nothing, and a missing
 * KillCanvas, Activate or Deactivate is skipped. */
#ifndef VARKO_CDDRIVER_H
#define VARKO_CDDRIVER_H

#include <vector>

#include "cd.h"

struct cdPoint {
  int x, y;
};
struct cdPointD {
  double x, y;
};

/* The operation table, in slot order. */
struct cdOperations {
  void (*Flush)(cdCanvas* cv);                                                           /* 0 */
  void (*Clear)(cdCanvas* cv);                                                           /* 1 */
  void (*Pixel)(cdCanvas* cv, int x, int y, long color);                                 /* 2 */
  void (*Mark)(cdCanvas* cv, int x, int y);                                              /* 3 */
  void (*Line)(cdCanvas* cv, int x1, int y1, int x2, int y2);                            /* 4 */
  void (*Poly)(cdCanvas* cv, int mode, cdPoint* points, int n);                          /* 5 */
  void (*Rect)(cdCanvas* cv, int xmin, int xmax, int ymin, int ymax);                    /* 6 */
  void (*Box)(cdCanvas* cv, int xmin, int xmax, int ymin, int ymax);                     /* 7 */
  void (*Arc)(cdCanvas* cv, int xc, int yc, int w, int h, double a1, double a2);         /* 8 */
  void (*Sector)(cdCanvas* cv, int xc, int yc, int w, int h, double a1, double a2);      /* 9 */
  void (*Text)(cdCanvas* cv, int x, int y, const char* s);                               /* 10 */
  void (*FontDim)(cdCanvas* cv, int* max_width, int* height, int* ascent, int* descent); /* 11 */
  void (*TextSize)(cdCanvas* cv, const char* s, int* width, int* height);                /* 12 */
  void (*PutImageRectRGB)(cdCanvas* cv, int iw, int ih, const unsigned char* r,
                          const unsigned char* g, const unsigned char* b, int x, int y, int w,
                          int h, int xmin, int xmax, int ymin, int ymax); /* 13 */
  void (*PutImageRectMap)(cdCanvas* cv, int iw, int ih, const unsigned char* index,
                          const long* colors, int x, int y, int w, int h, int xmin, int xmax,
                          int ymin, int ymax);                                              /* 14 */
  void (*ScrollArea)(cdCanvas* cv, int xmin, int xmax, int ymin, int ymax, int dx, int dy); /* 15 */
  void (*VectorText)(cdCanvas* cv, int x, int y, const char* s);                            /* 16 */
  void (*MultiLineVectorText)(cdCanvas* cv, int x, int y, const char* s);                   /* 17 */
  void (*WdMark)(cdCanvas* cv, double x, double y);                                         /* 18 */
  void (*WdLine)(cdCanvas* cv, double x1, double y1, double x2, double y2);                 /* 19 */
  void (*WdPoly)(cdCanvas* cv, int mode, cdPointD* points, int n);                          /* 20 */
  void (*WdRect)(cdCanvas* cv, double xmin, double xmax, double ymin, double ymax);         /* 21 */
  void (*WdBox)(cdCanvas* cv, double xmin, double xmax, double ymin, double ymax);          /* 22 */
  void (*WdArc)(cdCanvas* cv, double xc, double yc, double w, double h, double a1,
                double a2); /* 23 */
  void (*WdSector)(cdCanvas* cv, double xc, double yc, double w, double h, double a1,
                   double a2);                                                    /* 24 */
  void (*WdText)(cdCanvas* cv, double x, double y, const char* s);                /* 25 */
  void (*WdVectorText)(cdCanvas* cv, double x, double y, const char* s);          /* 26 */
  void (*WdMultiLineVectorText)(cdCanvas* cv, double x, double y, const char* s); /* 27 */
  int (*Clip)(cdCanvas* cv, int mode);                                            /* 28 */
  void (*ClipArea)(cdCanvas* cv, int* xmin, int* xmax, int* ymin, int* ymax);     /* 29 */
  int (*BackOpacity)(cdCanvas* cv, int opacity);                                  /* 30 */
  int (*WriteMode)(cdCanvas* cv, int mode);                                       /* 31 */
  int (*MarkType)(cdCanvas* cv, int type);                                        /* 32 */
  int (*MarkSize)(cdCanvas* cv, int size);                                        /* 33 */
  int (*LineStyle)(cdCanvas* cv, int style);                                      /* 34 */
  int (*LineWidth)(cdCanvas* cv, int width);                                      /* 35 */
  int (*InteriorStyle)(cdCanvas* cv, int style);                                  /* 36 */
  int (*Hatch)(cdCanvas* cv, int style);                                          /* 37 */
  void (*Stipple)(cdCanvas* cv, int w, int h, const unsigned char* data);         /* 38 */
  void (*Pattern)(cdCanvas* cv, int w, int h, const long* colors);                /* 39 */
  void (*Font)(cdCanvas* cv, int* face, int* style, int* size);                   /* 40 */
  void (*NativeFont)(cdCanvas* cv, const char* font);                             /* 41 */
  int (*TextAlignment)(cdCanvas* cv, int alignment);                              /* 42 */
  double (*TextOrientation)(cdCanvas* cv, double angle);                          /* 43 */
  void (*Palette)(cdCanvas* cv, int n, const long* colors, int mode);             /* 44 */
  long (*Background)(cdCanvas* cv, long color);                                   /* 45 */
  long (*Foreground)(cdCanvas* cv, long color);                                   /* 46 */
  void (*PutImageRectRGBA)(cdCanvas* cv, int iw, int ih, const unsigned char* r,
                           const unsigned char* g, const unsigned char* b, const unsigned char* a,
                           int x, int y, int w, int h, int xmin, int xmax, int ymin,
                           int ymax); /* 47 */
  void (*GetImageRGB)(cdCanvas* cv, unsigned char* r, unsigned char* g, unsigned char* b, int x,
                      int y, int w, int h);                  /* 48 */
  void* (*CreateImage)(cdCanvas* cv, int w, int h);          /* 49: driver image or null */
  void (*GetImage)(cdCanvas* cv, void* image, int x, int y); /* 50 */
  void (*PutImageRect)(cdCanvas* cv, void* image, int x, int y, int xmin, int xmax, int ymin,
                       int ymax);                                                           /* 51 */
  void (*KillImage)(void* image);                                                           /* 52 */
  void (*WdWindow)(cdCanvas* cv, double xmin, double xmax, double ymin, double ymax);       /* 53 */
  void (*WdViewport)(cdCanvas* cv, int xmin, int xmax, int ymin, int ymax);                 /* 54 */
  void (*WdClipArea)(cdCanvas* cv, double* xmin, double* xmax, double* ymin, double* ymax); /* 55 */
  const char* (*VectorFont)(cdCanvas* cv, const char* file);                                /* 56 */
  void (*VectorTextDirection)(cdCanvas* cv, int x1, int y1, int x2, int y2);                /* 57 */
  void (*VectorTextTransform)(cdCanvas* cv, const double* matrix);                          /* 58 */
  void (*VectorTextSize)(cdCanvas* cv, int w, int h, const char* s);                        /* 59 */
  int (*VectorCharSize)(cdCanvas* cv, int size);                                            /* 60 */
  void (*WdVectorTextDirection)(cdCanvas* cv, double x1, double y1, double x2, double y2);  /* 61 */
  void (*WdVectorTextSize)(cdCanvas* cv, double w, double h, const char* s);                /* 62 */
  double (*WdVectorCharSize)(cdCanvas* cv, double size);                                    /* 63 */
  void (*KillCanvas)(cdCanvas* cv);           /* 64: release the driver data, close files */
  int (*Activate)(cdCanvas* cv);              /* 65: CD_OK / CD_ERROR */
  int (*Reactivate)(cdCanvas* cv);            /* 66 */
  void (*Deactivate)(cdCanvas* cv);           /* 67 */
  void (*WorldMode)(cdCanvas* cv, int world); /* 68 */
};
static_assert(sizeof(cdOperations) == 69 * sizeof(void (*)()), "69 slots");

/* What cdCreateCanvas takes as creation data for a driver; the script
 * binding converts its second argument by this kind. */
enum cdDataKind {
  CD_DATA_TEXT,     /* a string: file name and options */
  CD_DATA_WINDOW,   /* a native window handle (a userdata in scripts) */
  CD_DATA_IMAGE,    /* a server image (cdImage*) */
  CD_DATA_IMAGERGB, /* "%dx%d %p %p %p [-r%g]": an RGB image's planes */
  CD_DATA_ELEMENT   /* a toolkit CANVAS element */
};

/* A driver descriptor: one static object per driver. */
struct cdDriver {
  unsigned long caps; /* CD_CAP_ bits supported natively */
  /* parses data, fills w, h, w_mm, h_mm, xres, yres, bpp, y_inverted and
   * stores its record in driver_data; leaving it null reports failure */
  void (*CreateCanvas)(cdCanvas* cv, void* data);
  void (*FillOperations)(cdCanvas* cv);
  int (*Play)(int xmin, int xmax, int ymin, int ymax, void* data); /* may be null */
  int (*RegisterCallback)(int cb, cdCallback func);                /* may be null */
  const char* name; /* the script constant, "CD_PS" */
  cdDataKind data_kind;
};

/* A server image (cdCreateImage): the creating driver's image object and
 * the operations of the canvas that made it, used whatever canvas is
 * active later. Drivers that draw into one (CD_IMAGE) read it. */
struct cdImage {
  int w, h;
  void* image;
  cdDriver* context;
  void (*GetImage)(cdCanvas*, void*, int, int);
  void (*PutImageRect)(cdCanvas*, void*, int, int, int, int, int, int);
  void (*KillImage)(void*);
};

/* A driver-defined attribute for cdSetAttribute / cdGetAttribute. */
struct cdAttribute {
  const char* name;
  void (*set)(char* data);
  char* (*get)(void);
};
enum { CD_MAX_ATTRIBUTES = 100 };

namespace cdsim {
struct SimState; /* the simulation state (sim.h) */
}

/* The canvas record. Owned by the core; a cdCanvasHandle is its address. */
struct cdCanvas {
  cdOperations ops;

  int w, h;
  double w_mm, h_mm;
  double xres, yres; /* pixels per millimetre */
  int bpp;
  int y_inverted;

  int clip_mode;
  int clip_xmin, clip_xmax, clip_ymin, clip_ymax; /* device pixels */
  int clip_poly_n;
  int wd_clip_poly_n;
  std::vector<cdPoint> clip_poly;
  std::vector<cdPointD> wd_clip_poly;

  long foreground, background;
  int back_opacity, write_mode;
  int mark_type, mark_size;
  int line_style, line_width;
  int interior_style, hatch_style;
  int font_face, font_style, font_size;
  int text_alignment;
  double text_orientation;
  char native_font[512];

  int pattern_w, pattern_h, pattern_capacity;
  std::vector<long> pattern;
  int stipple_w, stipple_h, stipple_capacity;
  std::vector<unsigned char> stipple;

  int use_origin, origin_x, origin_y;

  int poly_mode, poly_n;
  int poly_capacity, wd_poly_capacity;
  std::vector<cdPoint> poly; /* kept in step with wd_poly: both hold capacity + 1 */
  std::vector<cdPointD> wd_poly;
  int poly_world; /* the polygon being collected came through wdVertex */

  int sim_mode;
  int sim_poly;
  cdsim::SimState* sim;

  int use_world;
  /* world transform: device = s * world + t */
  double wd_s, wd_sx, wd_tx, wd_sy, wd_ty;
  double wd_xmin, wd_xmax, wd_ymin, wd_ymax;
  int wd_vxmin, wd_vxmax, wd_vymin, wd_vymax;

  /* The vector text state belongs to the vector text module, which creates
   * it on first use and leaves its release function here. */
  void* vector_text;
  void (*vector_text_free)(void* state);

  cdAttribute* attributes[CD_MAX_ATTRIBUTES];
  int attribute_count;

  void* driver_data; /* non-null means creation succeeded */
  cdDriver* context;
  cdCanvasHandle handle;
};

/* For drivers: register an attribute on a canvas being created.
 * Returns CD_ERROR when the list is full. */
int cdRegisterAttribute(cdCanvas* cv, cdAttribute* attribute);

/* The default operation table (what the core installs before the driver's
 * FillOperations runs). */
void cdInstallDefaultOperations(cdCanvas* cv);

#endif
