/* The canvas-drawing library: canvases, their attributes and primitives.
 *
 * All drawing acts on the one active canvas (cdActivate). Integer
 * coordinates are device pixels, origin at the lower left, y upwards.
 * Colours are 0x00RRGGBB in a long. Setters return the previous value and
 * CD_QUERY (-1) only reads. World coordinates are in wd.h. */
#ifndef VARKO_CD_H
#define VARKO_CD_H

#include <stddef.h>

#ifdef __cplusplus
extern "C" {
#endif

/* ---- opaque objects ---- */
typedef struct cdCanvas cdCanvas; /* the canvas record (cddriver.h) */
typedef cdCanvas* cdCanvasHandle; /* a handle is the record's address */
typedef struct cdDriver cdDriver; /* a driver descriptor (cddriver.h) */
typedef struct cdImage cdImage;   /* a server image */
typedef struct cdState cdState;   /* a saved canvas state */

/* A play callback; its real signature depends on the callback identifier.
 * CD_SIZECB callbacks are cdSizeCallback. */
typedef int (*cdCallback)(void);
typedef int (*cdSizeCallback)(cdCanvasHandle canvas, int w, int h, double w_mm, double h_mm);

/* ---- constants ---- */
enum { CD_OK = 0, CD_ERROR = -1, CD_QUERY = -1 };

enum {
  CD_CAP_NONE = 0,
  CD_CAP_FLUSH = 1,
  CD_CAP_CLEAR = 2,
  CD_CAP_PLAY = 4,
  CD_CAP_YAXIS = 8,
  CD_CAP_CLIPAREA = 16,
  CD_CAP_CLIPPOLY = 32,
  CD_CAP_MARK = 64,
  CD_CAP_RECT = 128,
  CD_CAP_VECTORTEXT = 256,
  CD_CAP_IMAGERGB = 512,
  CD_CAP_IMAGERGBA = 1024,
  CD_CAP_IMAGEMAP = 2048,
  CD_CAP_GETIMAGERGB = 4096,
  CD_CAP_IMAGESRV = 8192,
  CD_CAP_BACKGROUND = 16384,
  CD_CAP_BACKOPACITY = 32768,
  CD_CAP_WRITEMODE = 65536,
  CD_CAP_LINESTYLE = 131072,
  CD_CAP_LINEWITH = 262144,
  CD_CAP_WD = 524288,
  CD_CAP_HATCH = 1048576,
  CD_CAP_STIPPLE = 2097152,
  CD_CAP_PATTERN = 4194304,
  CD_CAP_FONT = 8388608,
  CD_CAP_FONTDIM = 16777216,
  CD_CAP_TEXTSIZE = 33554432,
  CD_CAP_TEXTORIENTATION = 67108864,
  CD_CAP_PALETTE = 134217728
};
#define CD_CAP_ALL 0xFFFFFFFFu

enum {
  CD_SIM_NONE = 0,
  CD_SIM_CLIPAREA = 1,
  CD_SIM_CLIPPOLY = 2,
  CD_SIM_TEXT = 4,
  CD_SIM_MARK = 8,
  CD_SIM_LINE = 16,
  CD_SIM_RECT = 32,
  CD_SIM_ARC = 64,
  CD_SIM_POLYLINE = 128,
  CD_SIM_BOX = 256,
  CD_SIM_SECTOR = 512,
  CD_SIM_POLYGON = 1024,
  CD_SIM_WD = 2048,
  CD_SIM_VECTORTEXT = 4096,
  CD_SIM_CLIP = 3,
  CD_SIM_LINES = 240,
  CD_SIM_FILLS = 1792,
  CD_SIM_ALL = 65535
};

enum { CD_CLIPOFF = 0, CD_CLIPON = 1, CD_CLIPAREA = 1, CD_CLIPPOLYGON = 2 };
enum { CD_FILL = 0, CD_OPEN_LINES = 1, CD_CLOSED_LINES = 2, CD_CLIP = 3 };
enum { CD_OPAQUE = 0, CD_TRANSPARENT = 1 };
enum { CD_REPLACE = 0, CD_XOR = 1, CD_NOT_XOR = 2 };
enum { CD_POLITE = 0, CD_FORCE = 1 };
enum { CD_CONTINUOUS = 0, CD_DASHED = 1, CD_DOTTED = 2, CD_DASH_DOT = 3, CD_DASH_DOT_DOT = 4 };
enum {
  CD_PLUS = 0,
  CD_STAR = 1,
  CD_CIRCLE = 2,
  CD_X = 3,
  CD_BOX = 4,
  CD_DIAMOND = 5,
  CD_HOLLOW_CIRCLE = 6,
  CD_HOLLOW_BOX = 7,
  CD_HOLLOW_DIAMOND = 8
};
enum {
  CD_HORIZONTAL = 0,
  CD_VERTICAL = 1,
  CD_FDIAGONAL = 2,
  CD_BDIAGONAL = 3,
  CD_CROSS = 4,
  CD_DIAGCROSS = 5
};
enum { CD_SOLID = 0, CD_HATCH = 1, CD_STIPPLE = 2, CD_PATTERN = 3, CD_HOLLOW = 4 };
enum {
  CD_NORTH = 0,
  CD_SOUTH = 1,
  CD_EAST = 2,
  CD_WEST = 3,
  CD_NORTH_EAST = 4,
  CD_NORTH_WEST = 5,
  CD_SOUTH_EAST = 6,
  CD_SOUTH_WEST = 7,
  CD_CENTER = 8,
  CD_BASE_LEFT = 9,
  CD_BASE_CENTER = 10,
  CD_BASE_RIGHT = 11,
  CD_LEFT_BASE = 9,
  CD_CENTER_BASE = 10,
  CD_RIGHT_BASE = 11
};
enum { CD_SYSTEM = 0, CD_COURIER = 1, CD_TIMES_ROMAN = 2, CD_HELVETICA = 3 };
enum { CD_PLAIN = 0, CD_BOLD = 1, CD_ITALIC = 2, CD_BOLD_ITALIC = 3, CD_ITALIC_BOLD = 3 };
enum { CD_SMALL = 8, CD_STANDARD = 12, CD_LARGE = 18 };
enum {
  CD_A0 = 0,
  CD_A1 = 1,
  CD_A2 = 2,
  CD_A3 = 3,
  CD_A4 = 4,
  CD_A5 = 5,
  CD_LETTER = 6,
  CD_LEGAL = 7
};

/* extended image types and channel selectors */
enum { CD_RGB = 0, CD_RGBA = -1, CD_SERVER = -2, CD_MAP = 256 };
enum {
  CD_IRED = 0,
  CD_IGREEN = 1,
  CD_IBLUE = 2,
  CD_IALPHA = 3,
  CD_INDEX = 4,
  CD_COLORS = 5,
  CD_ISERVER = 6
};

/* play callbacks */
enum { CD_SIZECB = 0 };
enum { CDPLAY_GO = 0, CDPLAY_ABORT = 1 };

#define CD_MM2PT 2.84
#define CD_RAD2DEG 57.296

/* ---- colours ---- */
long cdEncodeColor(unsigned char red, unsigned char green, unsigned char blue);
/* each output pointer may be null */
void cdDecodeColor(long color, unsigned char* red, unsigned char* green, unsigned char* blue);

/* ---- lifecycle ---- */
cdCanvasHandle cdCreateCanvas(cdDriver* context, void* data);
void cdKillCanvas(cdCanvasHandle canvas);
int cdActivate(cdCanvasHandle canvas);
cdCanvasHandle cdActiveCanvas(void);
cdDriver* cdGetContext(cdCanvasHandle canvas);
unsigned long cdContextCaps(cdDriver* context);
cdState* cdSaveState(void);
void cdRestoreState(cdState* state); /* consumes the state */
void cdKillState(cdState* state);    /* frees a state that is not restored */
int cdSimulate(int mode);
const char* cdVersion(void);

/* ---- surface and coordinates ---- */
void cdFlush(void);
void cdClear(void);
void cdGetCanvasSize(int* width, int* height, double* width_mm, double* height_mm);
void cdMM2Pixel(double mm_dx, double mm_dy, int* dx, int* dy);
void cdPixel2MM(int dx, int dy, double* mm_dx, double* mm_dy);
void cdOrigin(int x, int y);
int cdUpdateYAxis(int* y);
void cdCanvas2Raster(int* x, int* y);
int cdGetColorPlanes(void);

/* ---- clipping ---- */
int cdClip(int mode);
void cdClipArea(int xmin, int xmax, int ymin, int ymax);
int cdGetClipArea(int* xmin, int* xmax, int* ymin, int* ymax);
/* x, y pairs in a static buffer (valid until the next call), or null */
int* cdGetClipPoly(int* n);

/* ---- primitives ---- */
void cdPixel(int x, int y, long color);
void cdMark(int x, int y);
void cdLine(int x1, int y1, int x2, int y2);
void cdRect(int xmin, int xmax, int ymin, int ymax);
void cdBox(int xmin, int xmax, int ymin, int ymax);
void cdArc(int xc, int yc, int w, int h, double angle1, double angle2);
void cdSector(int xc, int yc, int w, int h, double angle1, double angle2);
void cdText(int x, int y, const char* s);
void cdBegin(int mode);
void cdVertex(int x, int y);
void cdEnd(void);

/* ---- attributes ---- */
long cdBackground(long color);
long cdForeground(long color);
int cdBackOpacity(int opacity);
int cdWriteMode(int mode);
int cdLineStyle(int style);
int cdLineWidth(int width);
int cdInteriorStyle(int style);
int cdHatch(int style);
int cdMarkType(int type);
int cdMarkSize(int size);
int cdTextAlignment(int alignment);
double cdTextOrientation(double angle);
void cdStipple(int w, int h, const unsigned char* stipple);
unsigned char* cdGetStipple(int* w, int* h);
void cdPattern(int w, int h, const long* pattern);
long* cdGetPattern(int* w, int* h);
void cdFont(int type_face, int style, int size);
void cdGetFont(int* type_face, int* style, int* size);
/* returns the previous description in a static buffer */
char* cdNativeFont(const char* font);
void cdPalette(int n, const long* palette, int mode);

/* ---- text metrics ---- */
void cdFontDim(int* max_width, int* height, int* ascent, int* descent);
void cdTextSize(const char* s, int* width, int* height);
void cdTextBox(int x, int y, const char* s, int* xmin, int* xmax, int* ymin, int* ymax);

/* ---- images (planes of iw x ih bytes, row 0 at the bottom) ---- */
void cdGetImageRGB(unsigned char* r, unsigned char* g, unsigned char* b, int x, int y, int w,
                   int h);
void cdPutImageRGB(int iw, int ih, const unsigned char* r, const unsigned char* g,
                   const unsigned char* b, int x, int y, int w, int h);
void cdPutImageRectRGB(int iw, int ih, const unsigned char* r, const unsigned char* g,
                       const unsigned char* b, int x, int y, int w, int h, int xmin, int xmax,
                       int ymin, int ymax);
void cdPutImageRGBA(int iw, int ih, const unsigned char* r, const unsigned char* g,
                    const unsigned char* b, const unsigned char* a, int x, int y, int w, int h);
void cdPutImageRectRGBA(int iw, int ih, const unsigned char* r, const unsigned char* g,
                        const unsigned char* b, const unsigned char* a, int x, int y, int w, int h,
                        int xmin, int xmax, int ymin, int ymax);
void cdPutImageMap(int iw, int ih, const unsigned char* index, const long* colors, int x, int y,
                   int w, int h);
void cdPutImageRectMap(int iw, int ih, const unsigned char* index, const long* colors, int x, int y,
                       int w, int h, int xmin, int xmax, int ymin, int ymax);
cdImage* cdCreateImage(int w, int h);
void cdGetImage(cdImage* image, int x, int y);
void cdPutImage(cdImage* image, int x, int y);
void cdPutImageRect(cdImage* image, int x, int y, int xmin, int xmax, int ymin, int ymax);
void cdKillImage(cdImage* image);
void cdScrollArea(int xmin, int xmax, int ymin, int ymax, int dx, int dy);
void cdScrollImage(int xmin, int xmax, int ymin, int ymax, int dx, int dy);
/* colour quantisation: fills index (iw x ih) and pal_size colours */
void cdRGB2Map(int iw, int ih, const unsigned char* r, const unsigned char* g,
               const unsigned char* b, unsigned char* index, int pal_size, long* colors);

/* ---- extended images ---- */
typedef struct cdImageEx {
  int w, h;
  int type; /* CD_RGB, CD_RGBA, CD_SERVER or CD_MAP */
  unsigned char* index;
  long* colors; /* 256 entries for maps */
  unsigned char *r, *g, *b, *a;
  cdImage* server;
  int owns_planes; /* 1 when the library allocated the planes, 0 when they are the caller's */
  int xmin, xmax, ymin, ymax; /* rectangle put by cdPutImageEx */
} cdImageEx;

/* type: CD_RGB, CD_RGBA, CD_SERVER, or any positive value (stored as CD_MAP) */
cdImageEx* cdCreateImageEx(int w, int h, int type);
void cdKillImageEx(cdImageEx* image);
void cdGetImageEx(cdImageEx* image, int x, int y);
void cdPutImageEx(cdImageEx* image, int x, int y, int w, int h);
void cdImageRectEx(cdImageEx* image, int xmin, int xmax, int ymin, int ymax);
void cdRGB2MapEx(cdImageEx* rgb_image, cdImageEx* map_image);
/* the plane, colour table or server image selected by CD_IRED .. CD_ISERVER, or null */
void* cdImageExChannel(cdImageEx* image, int channel);

/* ---- driver attributes ---- */
void cdSetAttribute(const char* name, char* data);
char* cdGetAttribute(const char* name);

/* ---- play ---- */
int cdPlay(cdDriver* context, int xmin, int xmax, int ymin, int ymax, void* data);
int cdRegisterCallback(cdDriver* context, int cb, cdCallback func);

/* ---- the RGB image driver ----
 * data: "%dx%d %p %p %p" (width, height, red, green and blue planes),
 * optionally followed by " -r%g" (pixels per millimetre, default 3.78);
 * "%dx%d" alone makes the canvas allocate white planes. */
cdDriver* cdContextImageRGB(void);
#define CD_IMAGERGB cdContextImageRGB()

/* The planes of an RGB image canvas; 0 (and nulls) when the canvas is of
 * another driver. Outputs may be null. */
int cdImageRGBPlanes(cdCanvasHandle canvas, int* w, int* h, unsigned char** r, unsigned char** g,
                     unsigned char** b);

/* ---- the DXF driver ----
 * data: "NAME [WxH] [RES]": file name, size in millimetres and pixels per
 * millimetre (3.78); without a size the canvas is unlimited. */
cdDriver* cdContextDXF(void);
#define CD_DXF cdContextDXF()

/* ---- the DGN driver ----
 * data: "NAME [WxH] [RES] [-f] [-sSEED]": file name, size in millimetres,
 * pixels per millimetre (3.78), -f to fill only convex polygons, and the
 * seed design file joined to -s (looked up in $CDDIR, then as given). */
cdDriver* cdContextDGN(void);
#define CD_DGN cdContextDGN()

/* ---- the PostScript driver ----
 * data: the file name, then options "-p<paper 0..7>", "-w<mm>", "-h<mm>"
 * (paper size), "-l<mm>", "-r<mm>", "-b<mm>", "-t<mm>" (margins, 25.4 each
 * by default), "-s<dpi>" (300), "-e" (EPS) and "-d<mm>" (extra margin of
 * the EPS bounding box). The file is complete when the canvas is killed. */
cdDriver* cdContextPS(void);
#define CD_PS cdContextPS()

/* ---- the CD metafile driver ----
 * data: "name [width_mm x height_mm] [pixels per mm]", e.g. "a.mf 100x50 4";
 * cdPlay (CD_METAFILE, xmin, xmax, ymin, ymax, file name) plays a file back
 * (cdmf.h plays one from memory). */
cdDriver* cdContextMetafile(void);
#define CD_METAFILE cdContextMetafile()

/* ---- the CGM driver ----
 * data: "NAME [WxH] [RES] [-t] [-pBITS]": file name, size in millimetres,
 * pixels per millimetre (1), clear text, VDC integer precision; the player
 * and its callbacks are in cdcgm.h. */
cdDriver* cdContextCGM(void);
#define CD_CGM cdContextCGM()

/* ---- the Windows metafile driver ----
 * data: "NAME WxH [RES]": file name, size in pixels, pixels per millimetre
 * (3.78). cdPlay takes a file name; cdPlayWMFMemory plays a metafile
 * (placeable or standard) held in memory on the active canvas. */
cdDriver* cdContextWMF(void);
#define CD_WMF cdContextWMF()
int cdPlayWMFMemory(const unsigned char* data, size_t size, int xmin, int xmax, int ymin, int ymax);

/* ---- the enhanced metafile driver ----
 * data as CD_WMF's. cdPlay takes a file name; cdPlayEMFMemory plays an
 * enhanced metafile held in memory on the active canvas. */
cdDriver* cdContextEMF(void);
#define CD_EMF cdContextEMF()
int cdPlayEMFMemory(const unsigned char* data, size_t size, int xmin, int xmax, int ymin, int ymax);

#ifdef __cplusplus
}
#endif

#endif
