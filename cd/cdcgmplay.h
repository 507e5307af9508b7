/* The CGM player's shared parts: the reader state, the parameter source
 * each encoding implements, the element table both encodings run, and the
 * drawing layer (cdcgmdraw.cpp) that maps VDC to pixels and draws on the
 * active canvas. Every count, length and index from the file is checked
 * before use. */
#ifndef VARKO_CDCGMPLAY_H
#define VARKO_CDCGMPLAY_H

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "cd.h"

namespace cdcgm {

/* ---- driver entry points ---- */
int PlayFile(int xmin, int xmax, int ymin, int ymax, void* data);
int RegisterCallback(int cb, cdCallback func);

struct Rgb {
  long r = 0, g = 0, b = 0; /* components as read */
};
struct ColourSpec {
  bool indexed = true;
  long index = 1;
  Rgb rgb;
};
struct Vec {
  double x = 0, y = 0;
};
struct PatternEntry {
  long index = 0;
  int nx = 0, ny = 0;
  std::vector<long> colours; /* 0x00RRGGBB */
};

/* Bounds on what a file can make us hold. */
constexpr long kMaxColourTable = 1L << 16;  /* entries */
constexpr long kMaxPatternCells = 1L << 16; /* cells of one pattern */
constexpr size_t kMaxPatterns = 1024;
constexpr size_t kMaxFonts = 1024;
constexpr int kMaxFontPoints = 1000;

struct Reader {
  int encoding = 1; /* 1 binary, 2 clear text */
  size_t size = 0;  /* of the file, for the counter */

  /* binary precisions in bits; real formats 0 float32, 1 float64,
   * 2 fixed 16.16, 3 fixed 32.32 */
  int int_bits = 16, index_bits = 16, colour_bits = 8, colour_index_bits = 8, vdc_int_bits = 16;
  int real_code = 3, vdc_real_code = 3;

  int vdc_type = 0, colour_mode = 0;
  int line_width_mode = 1, marker_size_mode = 1, edge_width_mode = 1;
  int scaling_mode = 0;
  double factor = 1.0;
  short draw_mode = 0;
  Rgb extent_min, extent_max{255, 255, 255};
  long max_colour_index = 63;
  std::vector<Rgb> table;

  /* VDC extent as read, the fitted window and the mapping */
  double x1 = 0, y1 = 0, x2 = 32767, y2 = 32767;
  double vxmin = 0, vxmax = 1, vymin = 0, vymax = 1;
  double sx = 0, sy = 0, kx = 0, ky = 0; /* kx, ky: pixels per VDC unit in force */
  double ppmm_x = 1, ppmm_y = 1;
  int xmin = 0, xmax = 0, ymin = 0, ymax = 0;     /* target rectangle */
  int cxmin = 0, cxmax = 0, cymin = 0, cymax = 0; /* cull rectangle */
  double cull_x1 = 0, cull_x2 = -1, cull_y1 = 0, cull_y2 = -1;

  /* attributes */
  long line_index = 1, marker_index = 1, text_index = 1, fill_index = 1, edge_index = 1;
  int line_type = 1, marker_type = 1, edge_type = 1;
  double line_width = 1, marker_size = 1, edge_width = 1;
  ColourSpec line_colour, marker_colour, text_colour, fill_colour, edge_colour, aux_colour;
  long font_index = 1;
  int text_face = CD_SYSTEM, text_style = CD_PLAIN, text_precision = 0, text_path = 0;
  double char_expansion = 1, char_spacing = 0, char_height = 1;
  double orientation[4] = {0, 1, 1, 0};
  int halign = 0, valign = 0;
  double cont_h = 0, cont_v = 0;
  int interior = 0; /* 0 hollow, 1 solid, 2 pattern, 3 hatch, 4 empty */
  long hatch_index = 1, pattern_index = 1;
  Vec fill_ref;
  double pattern_size[4] = {0, 0, 0, 0};
  int edge_visible = 0;
  std::vector<std::string> fonts;
  std::vector<PatternEntry> patterns;
  bool first_picture = true;

  /* a text whose final piece has not come yet */
  bool text_pending = false;
  double text_x = 0, text_y = 0;
  std::string text;

  /* buffers reused between elements */
  std::vector<Vec> points;
  std::vector<int> flags;
  std::vector<int> flags_scratch;
  std::vector<uint32_t> cells; /* 0x00RRGGBB */
  std::vector<unsigned char> plane_r, plane_g, plane_b;
  std::string string;
};

/* Where an element's parameters come from: the binary encoding or clear
 * text. A read past the element's end, or a word not in the element's
 * list, marks the source bad; the element then draws nothing more and the
 * play ends. */
struct Params {
  bool bad = false;
  virtual ~Params() = default;
  /* list items left before the element ends */
  virtual bool More() = 0;
  virtual long Integer() = 0;
  virtual long Index() = 0;
  /* words: the clear-text words in value order */
  virtual int Enumeration(const char* const* words, int n) = 0;
  virtual double Real() = 0;
  /* the metric factor of SCALING MODE */
  virtual double Factor() = 0;
  virtual double Vdc() = 0;
  virtual Rgb Direct() = 0;
  virtual long ColourIndex() = 0;
  virtual bool String(std::string& out) = 0;
  /* a precision element (class, id): binary sets it, clear text reads
   * the ranges */
  virtual void Precision(int cls, int id) = 0;
  /* the colours of a cell array (after P, Q, R, nx, ny) or a pattern table
   * (after index, nx, ny): nx x ny into r.cells, row by row, as canvas
   * colours; false when they cannot be read or held */
  virtual bool CellColours(Reader& r, long nx, long ny, bool cell_array) = 0;
  /* binary: the elements of a metafile defaults replacement */
  virtual int Defaults(Reader& r) = 0;
  Vec Point() {
    Vec p;
    p.x = Vdc();
    p.y = Vdc();
    return p;
  }
  ColourSpec Colour(const Reader& r) {
    ColourSpec c;
    c.indexed = r.colour_mode == 0;
    if (c.indexed)
      c.index = ColourIndex();
    else
      c.rgb = Direct();
    return c;
  }
};

/* Runs one element: class and id as in the binary encoding; `relative`
 * for the clear-text incremental forms. Returns non-zero to end the play. */
int Execute(Reader& r, Params& p, int cls, int id, bool relative);
/* calls the counter callback with a file position */
void Counter(Reader& r, size_t position);

/* the two decoders: run a whole metafile from memory */
void PlayBinary(Reader& r, const unsigned char* data, size_t size);
/* terminated: data[size] can be read and is 0 (no copy is needed) */
void PlayClearText(Reader& r, const unsigned char* data, size_t size, bool terminated);

/* ---- callbacks ---- */
cdCallback Callback(int cb);
/* a registered callback as its real type */
template <class F>
F As(cdCallback cb) {
  return reinterpret_cast<F>(reinterpret_cast<void (*)()>(cb));
}

/* ---- drawing (cdcgmdraw.cpp) ---- */
void SetDefaults(Reader& r);
/* SCALING MODE after its parameters; non-zero stops */
int ApplyScalingMode(Reader& r);
/* VDC EXTENT: callback, then the fit; non-zero stops */
int ApplyVdcExtent(Reader& r);
void Fit(Reader& r);
int MapX(const Reader& r, double x);
int MapY(const Reader& r, double y);
int MapLength(const Reader& r, double length);
long ColourOf(const Reader& r, const ColourSpec& c);
long RgbColour(const Reader& r, const Rgb& c);
Rgb TableColour(const Reader& r, long index);
void SelectFont(Reader& r);
void SetFont(Reader& r);
void ApplyTextAlignment(Reader& r);
void ClipRectangle(Reader& r, Vec a, Vec b);

void Polyline(Reader& r, const Vec* p, int n);
void DisjointPolyline(Reader& r, const Vec* p, int n);
void Polymarker(Reader& r, const Vec* p, int n);
void Polygon(Reader& r, const Vec* p, int n);
void PolygonSet(Reader& r, const Vec* p, const int* flags, int n);
void Rectangle(Reader& r, Vec a, Vec b);
void Circle(Reader& r, Vec c, double radius);
/* close: -1 open arc, 0 pie, 1 chord */
void Arc3Point(Reader& r, Vec a, Vec b, Vec c, int close);
void ArcCentre(Reader& r, Vec c, Vec start, Vec end, double radius, int close);
void Ellipse(Reader& r, Vec c, Vec cd1, Vec cd2);
void EllipticalArc(Reader& r, Vec c, Vec cd1, Vec cd2, Vec start, Vec end, int close);
void Text(Reader& r, double x, double y, const std::string& s);
/* r.cells holds nx x ny canvas colours row by row */
void CellArray(Reader& r, Vec p, Vec q, Vec rr, long nx, long ny);

}  // namespace cdcgm

#endif
