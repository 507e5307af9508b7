/* The software rasteriser: simulated primitives the core installs in a
 * canvas' operation table, the clip tests it uses, TrueType and estimated
 * text metrics. Everything here draws through a canvas' slots or through
 * the raster target a raster driver installs (simraster.h), so it serves
 * any driver. */
#ifndef VARKO_SIM_H
#define VARKO_SIM_H

#include <vector>

#include "cddriver.h"

namespace cdsim {

struct TrueTypeFont; /* simtext.cpp */
struct Raster;       /* simraster.h */
struct SolidSpans;   /* simraster.h */

/* a non-horizontal polygon edge as the fill steps it: rows top down to
 * bottom, x at the top row, x step per row down */
struct FillEdge {
  double top, bottom, x, dx;
};

/* Where the simulation writes pixels and solid spans. Defaults go through
 * the canvas' Pixel slot and the recorded Line operation; a raster driver
 * replaces them with direct writers (colour and write mode applied there). */
struct Target {
  void (*pixel)(cdCanvas* cv, int x, int y, long color);
  void (*span)(cdCanvas* cv, int xmin, int xmax, int y, long color);
};

struct SimState {
  cdCanvas* canvas = nullptr;
  void (*line)(cdCanvas* cv, int x1, int y1, int x2, int y2) = nullptr; /* for spans */
  Target target{};
  bool raster_native = false; /* the driver is a raster of ours: it clips by itself */
  Raster* raster = nullptr;
  std::vector<cdPoint> clip_poly; /* the simulated clip polygon */
  /* buffers of the polygon fill, kept at the largest size seen: edges by
   * top, edges crossing this row, its crossings (apart from `crossings`,
   * which the polygon clip of each span refills) */
  std::vector<FillEdge> edges;
  std::vector<int> active_edges;
  std::vector<int> fill_crossings;
  std::vector<long long> fill_keys; /* active edges placed by crossing */
  std::vector<double> crossings;
  TrueTypeFont* font = nullptr;
};

SimState* CreateState(cdCanvas* cv);
void KillState(SimState* state);
/* records the canvas' current Line slot as the span operation */
void SetLineOperation(SimState* state, void (*line)(cdCanvas*, int, int, int, int));
void SetClipPolygon(SimState* state, const cdPoint* points, int n);

/* ---- simulated slots ---- */
void Mark(cdCanvas* cv, int x, int y);
void Rect(cdCanvas* cv, int xmin, int xmax, int ymin, int ymax);
void Line(cdCanvas* cv, int x1, int y1, int x2, int y2);
void Box(cdCanvas* cv, int xmin, int xmax, int ymin, int ymax);
void Poly(cdCanvas* cv, int mode, cdPoint* points, int n);
void Arc(cdCanvas* cv, int xc, int yc, int w, int h, double a1, double a2);
void Sector(cdCanvas* cv, int xc, int yc, int w, int h, double a1, double a2);

/* TrueType text (simtext.cpp) */
void Text(cdCanvas* cv, int x, int y, const char* s);
void Font(cdCanvas* cv, int* face, int* style, int* size);
void NativeFont(cdCanvas* cv, const char* font);
void FontDim(cdCanvas* cv, int* max_width, int* height, int* ascent, int* descent);
void TextSize(cdCanvas* cv, const char* s, int* width, int* height);
/* creates the font state if needed and loads the canvas' current font */
void LoadCurrentFont(cdCanvas* cv);
void KillFont(TrueTypeFont* font);

/* estimated metrics, the default FontDim and TextSize (simfontest.cpp) */
void EstimatedFontDim(cdCanvas* cv, int* max_width, int* height, int* ascent, int* descent);
void EstimatedTextSize(cdCanvas* cv, const char* s, int* width, int* height);

/* ---- building blocks ---- */
/* a pixel through the clip in force, then the target */
void ClippedPixel(cdCanvas* cv, int x, int y, long color);
/* a horizontal span through the clip in force, by interior style */
void Span(cdCanvas* cv, int xmin, int xmax, int y);
/* true when the spans of the current primitive can go straight into the
 * raster: a raster target, a solid interior and no clip polygon; `out`
 * then holds the clip of Span and of the raster in one rectangle */
bool DirectSolidSpans(cdCanvas* cv, SolidSpans& out);
/* even-odd scan-line fill of a polygon with the current interior style */
void FillPolygon(cdCanvas* cv, const cdPoint* points, int n);

/* ---- clip tests ---- */
bool PointInClipRect(const cdCanvas* cv, int x, int y);
bool PointInPolygon(const std::vector<cdPoint>& poly, int x, int y);
bool PointInClipPoly(const cdCanvas* cv, int x, int y);
/* clips a segment to the clip rectangle; false when nothing is visible */
bool ClipSegmentToRect(const cdCanvas* cv, int& x1, int& y1, int& x2, int& y2);
/* draws with the Line slot the parts of a segment inside the clip polygon */
void LineClippedToPoly(cdCanvas* cv, int x1, int y1, int x2, int y2);
/* intersects a box with the clip rectangle; false when empty */
bool ClipBoxToRect(const cdCanvas* cv, int& xmin, int& xmax, int& ymin, int& ymax);

/* 16-bit masks of the line styles, bit 0 first */
unsigned LineStyleMask(int style);
extern const unsigned char kHatch[6][8];

}  // namespace cdsim

#endif
