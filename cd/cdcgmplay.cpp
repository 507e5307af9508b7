/* The CGM player: the play entry points (from a file or from memory), the
 * callbacks, and the element table both encodings run once their
 * parameters are framed (cdcgmbin.cpp, cdcgmtxt.cpp). */
#include <cstdio>
#include <memory>
#include <new>
#include <vector>

#include "cdcgm.h"
#include "cdcgmplay.h"
#include "cddriver.h"

namespace cdcgm {

namespace {

cdCallback callbacks[7] = {};

const char* const kOnOff[] = {"off", "on"};
const char* const kSpecModes[] = {"abstract", "scaled"};
const char* const kFinal[] = {"notfinal", "final"};
const char* const kClosure[] = {"pie", "chord"};
const char* const kEdgeFlags[] = {"invis", "vis", "closeinvis", "closevis"};
const char* const kVdcTypes[] = {"integer", "real"};
const char* const kScaling[] = {"abstract", "metric"};
const char* const kColourModes[] = {"indexed", "direct"};
const char* const kTextPrecisions[] = {"string", "char", "stroke"};
const char* const kTextPaths[] = {"right", "left", "up", "down"};
const char* const kHorizontal[] = {"normhoriz", "left", "ctr", "right", "conthoriz"};
const char* const kVertical[] = {"normvert", "top", "cap", "half", "base", "bottom", "contvert"};
const char* const kInteriorStyles[] = {"hollow", "solid", "pat", "hatch", "empty"};

/* A text arrives in pieces: TEXT, then APPEND TEXT until the final flag. */
void FlushText(Reader& r) {
  if (!r.text_pending) return;
  r.text_pending = false;
  Text(r, r.text_x, r.text_y, r.text);
}

void AddText(Reader& r, const std::string& piece, int final_flag) {
  if (!r.text_pending) return; /* an APPEND TEXT with no TEXT before it */
  if (r.text.size() < (1u << 20)) r.text += piece;
  if (final_flag == 1) FlushText(r);
}

void StartText(Reader& r, double x, double y, const std::string& s, int final_flag) {
  FlushText(r);
  r.text_pending = true;
  r.text_x = x, r.text_y = y;
  r.text.clear();
  AddText(r, s, final_flag);
}

/* points until the element ends; relative forms add each to the last */
int ReadPoints(Reader& r, Params& p, bool relative, bool with_flags) {
  r.points.clear();
  r.flags.clear();
  Vec last;
  while (p.More()) {
    Vec v = p.Point();
    if (p.bad) break;
    if (relative && !r.points.empty()) v.x += last.x, v.y += last.y;
    last = v;
    int flag = with_flags ? p.Enumeration(kEdgeFlags, 4) : 0;
    if (p.bad) break;
    try {
      r.points.push_back(v);
      r.flags.push_back(flag);
    } catch (const std::bad_alloc&) {
      return 0;
    }
  }
  return int(r.points.size() > 0x7FFFFFF ? 0x7FFFFFF : r.points.size());
}

int Closure(Params& p) {
  return p.Enumeration(kClosure, 2);
}

/* a width or size: a real when its mode is scaled, else a VDC length */
double WidthValue(Params& p, int mode) {
  return mode == 1 ? p.Real() : p.Vdc();
}

void StoreColourTable(Reader& r, Params& p) {
  long start = p.ColourIndex();
  for (long i = start; p.More() && !p.bad; i++) {
    Rgb c = p.Direct();
    if (p.bad || i < 0 || i >= kMaxColourTable) continue;
    if (size_t(i) >= r.table.size()) {
      size_t n = r.table.size();
      while (n <= size_t(i)) n *= 2;
      try {
        r.table.resize(n);
      } catch (const std::bad_alloc&) {
        return;
      }
    }
    r.table[size_t(i)] = c;
  }
}

void StorePattern(Reader& r, Params& p) {
  PatternEntry e;
  e.index = p.Index();
  long nx = p.Integer(), ny = p.Integer();
  if (p.bad || nx <= 0 || ny <= 0 || nx > kMaxPatternCells || ny > kMaxPatternCells ||
      nx * ny > kMaxPatternCells)
    return;
  if (!p.CellColours(r, nx, ny, false)) return;
  if (r.patterns.size() >= kMaxPatterns) return;
  try {
    e.nx = int(nx), e.ny = int(ny);
    e.colours.assign(r.cells.begin(), r.cells.begin() + nx * ny);
    r.patterns.push_back(std::move(e));
  } catch (const std::bad_alloc&) {
  }
}

int BeginPicture(Reader& r, Params& p) {
  FlushText(r);
  std::string name;
  p.String(name);
  if (!r.first_picture) cdFlush();
  r.first_picture = false;
  cdClip(CD_CLIPAREA);
  if (cdCallback cb = Callback(CD_CGMBEGPICTCB))
    if (As<cdCGMBegPictCB>(cb)(CD_CGM, name.data()) == CDPLAY_ABORT) return 1;
  return 0;
}

int BeginPictureBody(Reader& r) {
  if (cdCallback cb = Callback(CD_CGMBEGPICTBCB))
    if (As<cdCGMBegPictBCB>(cb)(CD_CGM, 1.0, 1.0, r.sx, r.sy, r.factor * r.ppmm_x,
                                r.factor * r.ppmm_y, r.draw_mode, r.vxmin, r.vymin, r.vxmax,
                                r.vymax) == CDPLAY_ABORT)
      return 1;
  if (cdCallback cb = Callback(CD_SIZECB)) {
    int w = r.xmax - r.xmin, h = r.ymax - r.ymin;
    double dw = r.x2 - r.x1, dh = r.y2 - r.y1;
    if (r.vdc_type == 0) {
      auto clamp = [](double v) {
        return v > 2e9 ? 2000000000 : (v < -2e9 ? -2000000000 : int(v));
      };
      w = clamp(dw), h = clamp(dh);
    }
    double w_mm = 0, h_mm = 0;
    if (r.scaling_mode == 1) {
      w_mm = r.vdc_type == 0 ? r.factor * w : dw * r.factor;
      h_mm = r.vdc_type == 0 ? r.factor * h : dh * r.factor;
    }
    if (As<cdSizeCallback>(cb)(cdActiveCanvas(), w, h, w_mm, h_mm) == CDPLAY_ABORT) return 1;
  }
  return 0;
}

int BeginMetafile(Reader& r, Params& p) {
  std::string name;
  if (p.More()) p.String(name);
  p.bad = false; /* the name is optional */
  if (cdCallback cb = Callback(CD_CGMBEGMTFCB)) {
    int xmin = r.cxmin, ymin = r.cymin, xmax = r.cxmax, ymax = r.cymax;
    if (As<cdCGMBegMtfCB>(cb)(CD_CGM, &xmin, &ymin, &xmax, &ymax) == CDPLAY_ABORT) return 1;
    r.cxmin = xmin, r.cymin = ymin, r.cxmax = xmax, r.cymax = ymax;
    Fit(r); /* the cull window follows the new rectangle */
  }
  return 0;
}

int Delimiter(Reader& r, Params& p, int id) {
  switch (id) {
    case 1:
      return BeginMetafile(r, p);
    case 2:
      FlushText(r);
      return 1;
    case 3:
      return BeginPicture(r, p);
    case 4:
      return BeginPictureBody(r);
    case 5:
      FlushText(r);
      return 0;
  }
  return 0;
}

int MetafileDescriptor(Reader& r, Params& p, int id) {
  switch (id) {
    case 3:
      r.vdc_type = p.Enumeration(kVdcTypes, 2);
      break;
    case 4:
    case 5:
    case 6:
    case 7:
    case 8:
      p.Precision(1, id);
      break;
    case 9: {
      long v = p.ColourIndex();
      if (!p.bad) r.max_colour_index = v;
      break;
    }
    case 10:
      r.extent_min = p.Direct();
      r.extent_max = p.Direct();
      break;
    case 12:
      return p.Defaults(r);
    case 13:
      while (p.More() && !p.bad) {
        std::string name;
        if (!p.String(name)) break;
        if (r.fonts.size() < kMaxFonts) r.fonts.push_back(name);
      }
      break;
  }
  return 0;
}

int PictureDescriptor(Reader& r, Params& p, int id) {
  switch (id) {
    case 1: {
      int mode = p.Enumeration(kScaling, 2);
      double factor = p.Factor();
      if (p.bad) return 1;
      r.scaling_mode = mode, r.factor = factor;
      return ApplyScalingMode(r);
    }
    case 2:
      r.colour_mode = p.Enumeration(kColourModes, 2);
      break;
    case 3:
      r.line_width_mode = p.Enumeration(kSpecModes, 2);
      break;
    case 4:
      r.marker_size_mode = p.Enumeration(kSpecModes, 2);
      break;
    case 5:
      r.edge_width_mode = p.Enumeration(kSpecModes, 2);
      break;
    case 6: {
      Vec a = p.Point(), b = p.Point();
      if (p.bad) return 1;
      r.x1 = a.x, r.y1 = a.y, r.x2 = b.x, r.y2 = b.y;
      return ApplyVdcExtent(r);
    }
    case 7: {
      Rgb c = p.Direct();
      if (!p.bad) cdBackground(RgbColour(r, c));
      break;
    }
  }
  return 0;
}

int Control(Reader& r, Params& p, int id) {
  switch (id) {
    case 1:
    case 2:
      p.Precision(3, id);
      break;
    case 3:
      r.aux_colour = p.Colour(r);
      break;
    case 4: {
      int on = p.Enumeration(kOnOff, 2);
      if (!p.bad) cdBackOpacity(on ? CD_TRANSPARENT : CD_OPAQUE);
      break;
    }
    case 5: {
      Vec a = p.Point(), b = p.Point();
      if (!p.bad) ClipRectangle(r, a, b);
      break;
    }
    case 6: {
      int on = p.Enumeration(kOnOff, 2);
      if (!p.bad) cdClip(on ? CD_CLIPAREA : CD_CLIPOFF);
      break;
    }
  }
  return 0;
}

int Primitive(Reader& r, Params& p, int id, bool relative) {
  switch (id) {
    case 1:
    case 2:
    case 3:
    case 7: {
      int n = ReadPoints(r, p, relative, false);
      if (id == 1) Polyline(r, r.points.data(), n);
      if (id == 2) DisjointPolyline(r, r.points.data(), n);
      if (id == 3) Polymarker(r, r.points.data(), n);
      if (id == 7) Polygon(r, r.points.data(), n);
      break;
    }
    case 8: {
      int n = ReadPoints(r, p, relative, true);
      PolygonSet(r, r.points.data(), r.flags.data(), n);
      break;
    }
    case 4:
    case 5: {
      double height = 0;
      if (id == 5) {
        p.Vdc(); /* the extent's width */
        height = p.Vdc();
      }
      Vec at = p.Point();
      int final_flag = p.Enumeration(kFinal, 2);
      std::string s;
      p.String(s);
      if (p.bad) return 1;
      if (id == 5) r.char_height = height;
      StartText(r, at.x, at.y, s, final_flag);
      break;
    }
    case 6: {
      int final_flag = p.Enumeration(kFinal, 2);
      std::string s;
      p.String(s);
      if (p.bad) return 1;
      AddText(r, s, final_flag);
      break;
    }
    case 9: {
      Vec pp = p.Point(), q = p.Point(), rr = p.Point();
      long nx = p.Integer(), ny = p.Integer();
      if (p.bad || nx <= 0 || ny <= 0) return p.bad;
      if (p.CellColours(r, nx, ny, true)) CellArray(r, pp, q, rr, nx, ny);
      break;
    }
    case 11: {
      Vec a = p.Point(), b = p.Point();
      if (!p.bad) Rectangle(r, a, b);
      break;
    }
    case 12: {
      Vec c = p.Point();
      double radius = p.Vdc();
      if (!p.bad) Circle(r, c, radius);
      break;
    }
    case 13:
    case 14: {
      Vec a = p.Point(), b = p.Point(), c = p.Point();
      int close = id == 14 ? Closure(p) : -1;
      if (!p.bad) Arc3Point(r, a, b, c, close);
      break;
    }
    case 15:
    case 16: {
      Vec c = p.Point(), s = p.Point(), e = p.Point();
      double radius = p.Vdc();
      int close = id == 16 ? Closure(p) : -1;
      if (!p.bad) ArcCentre(r, c, s, e, radius, close);
      break;
    }
    case 17:
    case 18:
    case 19: {
      Vec c = p.Point(), a = p.Point(), b = p.Point();
      if (id == 17) {
        if (!p.bad) Ellipse(r, c, a, b);
        break;
      }
      Vec s = p.Point(), e = p.Point();
      int close = id == 19 ? Closure(p) : -1;
      if (!p.bad) EllipticalArc(r, c, a, b, s, e, close);
      break;
    }
  }
  return 0;
}

int Attribute(Reader& r, Params& p, int id) {
  switch (id) {
    case 1:
      r.line_index = p.Index();
      break;
    case 2:
      r.line_type = int(p.Index());
      break;
    case 3:
      r.line_width = WidthValue(p, r.line_width_mode);
      break;
    case 4:
      r.line_colour = p.Colour(r);
      break;
    case 5:
      r.marker_index = p.Index();
      break;
    case 6:
      r.marker_type = int(p.Index());
      break;
    case 7:
      r.marker_size = WidthValue(p, r.marker_size_mode);
      break;
    case 8:
      r.marker_colour = p.Colour(r);
      break;
    case 9:
      r.text_index = p.Index();
      break;
    case 10: {
      long i = p.Index();
      if (p.bad) return 1;
      r.font_index = i;
      SelectFont(r);
      SetFont(r);
      break;
    }
    case 11:
      r.text_precision = p.Enumeration(kTextPrecisions, 3);
      break;
    case 12:
      r.char_expansion = p.Real();
      break;
    case 13:
      r.char_spacing = p.Real();
      break;
    case 14:
      r.text_colour = p.Colour(r);
      break;
    case 15: {
      double h = p.Vdc();
      if (p.bad) return 1;
      r.char_height = h;
      SetFont(r);
      break;
    }
    case 16:
      for (double& v : r.orientation) v = p.Vdc();
      break;
    case 17:
      r.text_path = p.Enumeration(kTextPaths, 4);
      break;
    case 18: {
      int h = p.Enumeration(kHorizontal, 5);
      int v = p.Enumeration(kVertical, 7);
      double ch = p.Real(), cv = p.Real();
      if (p.bad) return 1;
      r.halign = h, r.valign = v, r.cont_h = ch, r.cont_v = cv;
      ApplyTextAlignment(r);
      break;
    }
    case 21:
      r.fill_index = p.Index();
      break;
    case 22:
      r.interior = p.Enumeration(kInteriorStyles, 5);
      break;
    case 23:
      r.fill_colour = p.Colour(r);
      break;
    case 24: {
      long i = p.Index();
      r.hatch_index = i == 3 ? 4 : (i == 4 ? 3 : i);
      break;
    }
    case 25:
      r.pattern_index = p.Index();
      break;
    case 26:
      r.edge_index = p.Index();
      break;
    case 27:
      r.edge_type = int(p.Index());
      break;
    case 28:
      r.edge_width = WidthValue(p, r.edge_width_mode);
      break;
    case 29:
      r.edge_colour = p.Colour(r);
      break;
    case 30:
      r.edge_visible = p.Enumeration(kOnOff, 2);
      break;
    case 31:
      r.fill_ref = p.Point();
      break;
    case 32:
      StorePattern(r, p);
      break;
    case 33:
      for (double& v : r.pattern_size) v = p.Vdc();
      break;
    case 34:
      StoreColourTable(r, p);
      break;
  }
  return 0;
}

}  // namespace

cdCallback Callback(int cb) {
  return cb >= 0 && cb < 7 ? callbacks[cb] : nullptr;
}

int RegisterCallback(int cb, cdCallback func) {
  if (cb < 0 || cb >= 7) return CD_ERROR;
  callbacks[cb] = func;
  return CD_OK;
}

void Counter(Reader& r, size_t position) {
  if (cdCallback cb = Callback(CD_CGMCOUNTERCB))
    As<cdCGMCounterCB>(cb)(CD_CGM, r.size ? double(position) * 100.0 / double(r.size) : 100.0);
}

int Execute(Reader& r, Params& p, int cls, int id, bool relative) {
  int stop = 0;
  switch (cls) {
    case 0:
      stop = Delimiter(r, p, id);
      break;
    case 1:
      stop = MetafileDescriptor(r, p, id);
      break;
    case 2:
      stop = PictureDescriptor(r, p, id);
      break;
    case 3:
      stop = Control(r, p, id);
      break;
    case 4:
      stop = Primitive(r, p, id, relative);
      break;
    case 5:
      stop = Attribute(r, p, id);
      break;
  }
  return stop || p.bad;
}

/* one play from memory into the active canvas */
int Play(const unsigned char* data, size_t size, int xmin, int xmax, int ymin, int ymax,
         bool terminated) {
  cdCanvasHandle canvas = cdActiveCanvas();
  if (!canvas) return CD_ERROR;
  if (xmin == 0 && xmax == 0 && ymin == 0 && ymax == 0)
    cdGetCanvasSize(&xmax, &ymax, nullptr, nullptr);
  if (xmax == xmin || ymax == ymin) return CD_ERROR;
  Reader* r = new (std::nothrow) Reader;
  if (!r) return CD_ERROR;
  try {
    r->table.assign(500, Rgb{});
    r->table[0] = Rgb{255, 255, 255};
    r->points.reserve(500);
  } catch (const std::bad_alloc&) {
    delete r;
    return CD_ERROR;
  }
  r->xmin = r->cxmin = xmin, r->xmax = r->cxmax = xmax;
  r->ymin = r->cymin = ymin, r->ymax = r->cymax = ymax;
  r->size = size;
  SetDefaults(*r);
  /* binary when the first two bytes are the header of BEGIN METAFILE */
  bool binary = size >= 2 && (data[0] >> 4) == 0 && (((data[0] << 3) & 0x7F) | (data[1] >> 5)) == 1;
  r->encoding = binary ? 1 : 2;
  if (binary)
    PlayBinary(*r, data, size);
  else
    PlayClearText(*r, data, size, terminated);
  FlushText(*r);
  delete r;
  return CD_OK;
}

int PlayFile(int xmin, int xmax, int ymin, int ymax, void* data) {
  const char* name = static_cast<const char*>(data);
  if (!name) return CD_ERROR;
  FILE* f = std::fopen(name, "rb");
  if (!f) return CD_ERROR;
  /* the whole file and a 0 after it, read at once (into memory left
   * uninitialised: a metafile can be tens of megabytes, and zeroing it first
   * cost as much as the read) */
  long size = std::fseek(f, 0, SEEK_END) == 0 ? std::ftell(f) : -1;
  std::rewind(f);
  std::unique_ptr<unsigned char[]> bytes;
  if (size >= 0) bytes.reset(new (std::nothrow) unsigned char[size_t(size) + 1]);
  size_t n = bytes && size > 0 ? std::fread(bytes.get(), 1, size_t(size), f) : 0;
  std::fclose(f);
  if (!bytes || n != size_t(size)) return CD_ERROR;
  bytes[size_t(size)] = 0;
  return Play(bytes.get(), size_t(size), xmin, xmax, ymin, ymax, true);
}

}  // namespace cdcgm

int cdPlayCGMMemory(const unsigned char* data, size_t size, int xmin, int xmax, int ymin,
                    int ymax) {
  return cdcgm::Play(data, size, xmin, xmax, ymin, ymax, false);
}
