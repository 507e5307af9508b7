/* The printer driver CD_PRINTER on GTK's print system. The data is the
 * document name, optionally with "-d" to choose printer and page in the
 * print dialog; without it the document goes to the default printer (or
 * the one named by cdPrinterSetting ("printer", ...)).
 *
 * The canvas draws with cairo on the print job's own surface, in device
 * pixels of the printer's resolution scaled down to the page's points.
 * Cairo rather than the PostScript driver's output: the job's surface is
 * whatever the printer takes (PDF for print-to-file and most queues, else
 * PostScript), so lines, fills and text stay vectors and text stays text
 * on every printer, and GTK does the spooling; the PostScript program
 * would have to be sent as a raw file, which only PostScript queues take.
 * One canvas is one document: cdFlush ends a page, cdKillCanvas ends the
 * document and sends it. */
#include <gtk/gtk.h>
#include <gtk/gtkunixprint.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <new>
#include <string>
#include <vector>

#include "cdwin.h"

namespace {

GtkPrintSettings* process_settings = nullptr; /* cdPrinterSetting's, copied into every job */

struct PrinterCanvas {
  GtkPrintJob* job = nullptr;
  cairo_surface_t* surface = nullptr; /* the job's */
  cairo_t* cr = nullptr;
  double dpi = 300;
  int clip_mode = CD_CLIPOFF;
  int clip_xmin = 0, clip_xmax = 0, clip_ymin = 0, clip_ymax = 0;
  std::vector<cdPoint> clip_polygon;
  std::string family = "Sans";
  cairo_font_slant_t slant = CAIRO_FONT_SLANT_NORMAL;
  cairo_font_weight_t weight = CAIRO_FONT_WEIGHT_NORMAL;
  double font_px = 12;
  bool underline = false, strikeout = false;
};

PrinterCanvas* Rec(cdCanvas* cv) {
  return static_cast<PrinterCanvas*>(cv->driver_data);
}

void Say(const char* what) {
  std::fprintf(stderr, "CD_PRINTER: %s\n", what);
}

/* ---- finding the printer ---- */

struct Search {
  std::string name; /* empty: the default printer */
  GtkPrinter* found = nullptr;
};

gboolean VisitPrinter(GtkPrinter* printer, gpointer data) {
  Search* s = static_cast<Search*>(data);
  bool match =
      s->name.empty() ? gtk_printer_is_default(printer) : s->name == gtk_printer_get_name(printer);
  if (!match) return FALSE;
  s->found = GTK_PRINTER(g_object_ref(printer));
  return TRUE;
}

/* the printer, its settings and its page chosen in the print dialog; false when cancelled */
bool RunDialog(const std::string& title, GtkPrinter** printer, GtkPrintSettings** settings,
               GtkPageSetup** page) {
  GtkWidget* dialog = gtk_print_unix_dialog_new(title.empty() ? "Print" : title.c_str(), nullptr);
  GtkPrintUnixDialog* d = GTK_PRINT_UNIX_DIALOG(dialog);
  /* one copy, pages 1 to 1: no page ranges nor selection to offer */
  gtk_print_unix_dialog_set_manual_capabilities(
      d, GtkPrintCapabilities(GTK_PRINT_CAPABILITY_COPIES | GTK_PRINT_CAPABILITY_COLLATE));
  if (process_settings) gtk_print_unix_dialog_set_settings(d, process_settings);
  int response = gtk_dialog_run(GTK_DIALOG(dialog));
  bool ok = response == GTK_RESPONSE_OK;
  if (ok) {
    GtkPrinter* p = gtk_print_unix_dialog_get_selected_printer(d);
    ok = p != nullptr;
    if (ok) {
      *printer = GTK_PRINTER(g_object_ref(p));
      *settings = gtk_print_unix_dialog_get_settings(d);
      *page = GTK_PAGE_SETUP(g_object_ref(gtk_print_unix_dialog_get_page_setup(d)));
    }
  }
  gtk_widget_destroy(dialog);
  while (gtk_events_pending()) gtk_main_iteration(); /* the dialog leaves the screen */
  return ok;
}

bool DefaultPrinter(GtkPrinter** printer, GtkPrintSettings** settings, GtkPageSetup** page) {
  GtkPrintSettings* s =
      process_settings ? gtk_print_settings_copy(process_settings) : gtk_print_settings_new();
  Search search;
  const char* wanted = gtk_print_settings_get_printer(s);
  if (wanted) search.name = wanted;
  gtk_enumerate_printers(VisitPrinter, &search, nullptr, TRUE);
  if (!search.found) {
    if (search.name.empty()) {
      Say("no default printer is configured");
    } else {
      std::string message = "no printer named \"";
      message += search.name;
      message += "\"";
      Say(message.c_str());
    }
    g_object_unref(s);
    return false;
  }
  GtkPageSetup* p = gtk_page_setup_new();
  GtkPaperSize* paper = gtk_print_settings_get_paper_size(s);
  if (paper) {
    gtk_page_setup_set_paper_size_and_default_margins(p, paper);
    gtk_paper_size_free(paper);
  }
  *printer = search.found;
  *settings = s;
  *page = p;
  return true;
}

/* ---- creation ---- */

void CreateCanvas(cdCanvas* cv, void* data) {
  const char* text = static_cast<const char*>(data);
  std::string all = text ? text : "";
  std::string title = all.substr(0, all.find('-'));
  while (!title.empty() && title.back() == ' ') title.pop_back();
  bool dialog = all.find("-d") != std::string::npos;
  if (!gdk_display_get_default()) {
    Say("no display: GTK's print system is not open");
    return;
  }
  GtkPrinter* printer = nullptr;
  GtkPrintSettings* settings = nullptr;
  GtkPageSetup* page = nullptr;
  if (dialog ? !RunDialog(title, &printer, &settings, &page)
             : !DefaultPrinter(&printer, &settings, &page))
    return;

  double dpi = gtk_print_settings_get_resolution(settings);
  if (!(dpi > 0)) dpi = 300;
  PrinterCanvas* rec = new (std::nothrow) PrinterCanvas;
  GError* error = nullptr;
  if (rec) {
    rec->dpi = dpi;
    rec->job = gtk_print_job_new(title.empty() ? "varko" : title.c_str(), printer, settings, page);
    rec->surface = gtk_print_job_get_surface(rec->job, &error);
  }
  double left = gtk_page_setup_get_left_margin(page, GTK_UNIT_POINTS);
  double top = gtk_page_setup_get_top_margin(page, GTK_UNIT_POINTS);
  double w_mm = gtk_page_setup_get_page_width(page, GTK_UNIT_MM);
  double h_mm = gtk_page_setup_get_page_height(page, GTK_UNIT_MM);
  g_object_unref(printer);
  g_object_unref(settings);
  g_object_unref(page);
  if (!rec || !rec->surface || w_mm <= 0 || h_mm <= 0) {
    std::string message = "the print job cannot be started";
    if (error) {
      message += ": ";
      message += error->message;
      g_error_free(error);
    }
    Say(message.c_str());
    if (rec && rec->job) g_object_unref(rec->job);
    delete rec;
    return;
  }
  rec->cr = cairo_create(rec->surface);
  /* device pixels of the printable area, y downwards as on the paper */
  cairo_translate(rec->cr, left, top);
  cairo_scale(rec->cr, 72.0 / dpi, 72.0 / dpi);

  cv->w = int(w_mm * dpi / 25.4);
  cv->h = int(h_mm * dpi / 25.4);
  cv->w_mm = w_mm;
  cv->h_mm = h_mm;
  cv->xres = cv->w / w_mm;
  cv->yres = cv->h / h_mm;
  cv->bpp = 24;
  cv->y_inverted = 1;
  cv->driver_data = rec;
}

/* ---- sending ---- */

struct Sending {
  bool done = false;
  std::string error;
};

void JobSent(GtkPrintJob*, gpointer data, const GError* error) {
  Sending* s = static_cast<Sending*>(data);
  if (error) s->error = error->message;
  s->done = true;
}

gboolean GiveUp(gpointer data) {
  Sending* s = static_cast<Sending*>(data);
  if (!s->done) s->error = "the print system did not answer within a minute";
  s->done = true;
  return G_SOURCE_REMOVE;
}

void KillCanvas(cdCanvas* cv) {
  PrinterCanvas* rec = Rec(cv);
  cairo_show_page(rec->cr);
  cairo_destroy(rec->cr);
  cairo_surface_finish(rec->surface);
  Sending sending;
  gtk_print_job_send(rec->job, JobSent, &sending, nullptr);
  guint timer = g_timeout_add_seconds(60, GiveUp, &sending);
  while (!sending.done) g_main_context_iteration(nullptr, TRUE);
  if (g_main_context_find_source_by_id(nullptr, timer)) g_source_remove(timer);
  if (!sending.error.empty()) {
    std::string message = "the document was not printed: ";
    message += sending.error;
    Say(message.c_str());
  }
  g_object_unref(rec->job);
  delete rec;
}

void Flush(cdCanvas* cv) {
  cairo_show_page(Rec(cv)->cr); /* the drawing state stays for the next page */
}

/* ---- state ---- */

void SetColor(cairo_t* cr, long color) {
  cairo_set_source_rgb(cr, ((color >> 16) & 0xFF) / 255.0, ((color >> 8) & 0xFF) / 255.0,
                       (color & 0xFF) / 255.0);
}

void ApplyClip(cdCanvas* cv) {
  PrinterCanvas* rec = Rec(cv);
  cairo_t* cr = rec->cr;
  cairo_reset_clip(cr);
  if (rec->clip_mode == CD_CLIPAREA) {
    cairo_rectangle(cr, rec->clip_xmin, rec->clip_ymin, rec->clip_xmax - rec->clip_xmin + 1,
                    rec->clip_ymax - rec->clip_ymin + 1);
    cairo_clip(cr);
  } else if (rec->clip_mode == CD_CLIPPOLYGON && rec->clip_polygon.size() >= 3) {
    for (const cdPoint& p : rec->clip_polygon) cairo_line_to(cr, p.x + 0.5, p.y + 0.5);
    cairo_close_path(cr);
    cairo_clip(cr);
  }
}

int Clip(cdCanvas* cv, int mode) {
  if (mode != CD_CLIPOFF && mode != CD_CLIPAREA && mode != CD_CLIPPOLYGON) return mode;
  Rec(cv)->clip_mode = mode;
  ApplyClip(cv);
  return mode;
}

void ClipArea(cdCanvas* cv, int* xmin, int* xmax, int* ymin, int* ymax) {
  PrinterCanvas* rec = Rec(cv);
  rec->clip_xmin = *xmin, rec->clip_xmax = *xmax, rec->clip_ymin = *ymin, rec->clip_ymax = *ymax;
  if (rec->clip_mode == CD_CLIPAREA) ApplyClip(cv);
}

/* the pen of the canvas on the path just built */
void Stroke(cdCanvas* cv) {
  cairo_t* cr = Rec(cv)->cr;
  double width = cv->line_width < 1 ? 1 : cv->line_width;
  cairo_set_line_width(cr, width);
  static const double kDashed[] = {6, 2}, kDotted[] = {1, 1}, kDashDot[] = {3, 2, 1, 2},
                      kDashDotDot[] = {3, 1, 1, 1, 1, 1};
  const double* dashes = nullptr;
  int n = 0;
  switch (cv->line_style) {
    case CD_DASHED:
      dashes = kDashed, n = 2;
      break;
    case CD_DOTTED:
      dashes = kDotted, n = 2;
      break;
    case CD_DASH_DOT:
      dashes = kDashDot, n = 4;
      break;
    case CD_DASH_DOT_DOT:
      dashes = kDashDotDot, n = 6;
      break;
    default:
      break;
  }
  /* dash lengths in line widths, at least the three pixels a screen's are */
  double unit = 3 * width;
  double scaled[6];
  for (int i = 0; i < n; i++) scaled[i] = dashes[i] * unit;
  cairo_set_dash(cr, scaled, n, 0);
  cairo_set_line_cap(cr, n ? CAIRO_LINE_CAP_BUTT : CAIRO_LINE_CAP_SQUARE);
  SetColor(cr, cv->foreground);
  cairo_stroke(cr);
  cairo_set_dash(cr, nullptr, 0, 0);
}

/* an 8 x 8 (hatch) or stipple or pattern tile as the fill source */
cairo_pattern_t* TilePattern(cdCanvas* cv) {
  int w = 8, h = 8;
  if (cv->interior_style == CD_STIPPLE) w = cv->stipple_w, h = cv->stipple_h;
  if (cv->interior_style == CD_PATTERN) w = cv->pattern_w, h = cv->pattern_h;
  if (w <= 0 || h <= 0) return nullptr;
  cairo_surface_t* tile = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, w, h);
  if (cairo_surface_status(tile) != CAIRO_STATUS_SUCCESS) {
    cairo_surface_destroy(tile);
    return nullptr;
  }
  cairo_surface_flush(tile);
  unsigned char* bits = cairo_image_surface_get_data(tile);
  int stride = cairo_image_surface_get_stride(tile);
  uint32_t fore = 0xFF000000u | uint32_t(cv->foreground & 0xFFFFFF);
  uint32_t back =
      cv->back_opacity == CD_OPAQUE ? 0xFF000000u | uint32_t(cv->background & 0xFFFFFF) : 0u;
  for (int row = 0; row < h; row++) {
    uint32_t* out = reinterpret_cast<uint32_t*>(bits + row * stride);
    int src_row = h - 1 - row; /* fills keep row 0 at the bottom */
    for (int col = 0; col < w; col++) {
      uint32_t px = back;
      if (cv->interior_style == CD_STIPPLE) {
        if (cv->stipple[size_t(src_row) * w + col]) px = fore;
      } else if (cv->interior_style == CD_PATTERN) {
        px = 0xFF000000u | uint32_t(cv->pattern[size_t(src_row) * w + col] & 0xFFFFFF);
      } else {
        int x = col, y = src_row;
        bool on = false;
        switch (cv->hatch_style) {
          case CD_HORIZONTAL:
            on = y % 8 == 0;
            break;
          case CD_VERTICAL:
            on = x % 8 == 0;
            break;
          case CD_FDIAGONAL:
            on = (x - y + 8) % 8 == 0;
            break;
          case CD_BDIAGONAL:
            on = (x + y) % 8 == 7;
            break;
          case CD_CROSS:
            on = x % 8 == 0 || y % 8 == 0;
            break;
          default:
            on = (x - y + 8) % 8 == 0 || (x + y) % 8 == 7;
            break;
        }
        if (on) px = fore;
      }
      out[col] = px;
    }
  }
  cairo_surface_mark_dirty(tile);
  cairo_pattern_t* pattern = cairo_pattern_create_for_surface(tile);
  cairo_surface_destroy(tile);
  cairo_pattern_set_extend(pattern, CAIRO_EXTEND_REPEAT);
  cairo_pattern_set_filter(pattern, CAIRO_FILTER_NEAREST);
  return pattern;
}

/* the interior of the canvas on the path just built */
void Fill(cdCanvas* cv) {
  cairo_t* cr = Rec(cv)->cr;
  if (cv->interior_style == CD_HOLLOW) {
    cairo_new_path(cr);
    return;
  }
  cairo_pattern_t* tile = cv->interior_style == CD_SOLID ? nullptr : TilePattern(cv);
  if (tile) {
    cairo_set_source(cr, tile);
    cairo_pattern_destroy(tile);
  } else {
    SetColor(cr, cv->foreground);
  }
  cairo_fill(cr);
}

/* ---- primitives ---- */

void Pixel(cdCanvas* cv, int x, int y, long color) {
  cairo_t* cr = Rec(cv)->cr;
  cairo_rectangle(cr, x, y, 1, 1);
  SetColor(cr, color);
  cairo_fill(cr);
}

void Line(cdCanvas* cv, int x1, int y1, int x2, int y2) {
  cairo_t* cr = Rec(cv)->cr;
  cairo_move_to(cr, x1 + 0.5, y1 + 0.5);
  cairo_line_to(cr, x2 + 0.5, y2 + 0.5);
  Stroke(cv);
}

void Poly(cdCanvas* cv, int mode, cdPoint* points, int n) {
  PrinterCanvas* rec = Rec(cv);
  if (mode == CD_CLIP) {
    rec->clip_polygon.assign(points, points + n);
    if (rec->clip_mode == CD_CLIPPOLYGON) ApplyClip(cv);
    return;
  }
  cairo_t* cr = rec->cr;
  for (int i = 0; i < n; i++) cairo_line_to(cr, points[i].x + 0.5, points[i].y + 0.5);
  if (mode != CD_OPEN_LINES) cairo_close_path(cr);
  if (mode == CD_FILL)
    Fill(cv);
  else
    Stroke(cv);
}

void Rect(cdCanvas* cv, int xmin, int xmax, int ymin, int ymax) {
  cairo_t* cr = Rec(cv)->cr;
  cairo_rectangle(cr, std::min(xmin, xmax) + 0.5, std::min(ymin, ymax) + 0.5, std::abs(xmax - xmin),
                  std::abs(ymax - ymin));
  Stroke(cv);
}

void Box(cdCanvas* cv, int xmin, int xmax, int ymin, int ymax) {
  cairo_t* cr = Rec(cv)->cr;
  cairo_rectangle(cr, std::min(xmin, xmax), std::min(ymin, ymax), std::abs(xmax - xmin) + 1,
                  std::abs(ymax - ymin) + 1);
  Fill(cv);
}

/* the elliptic arc from a1 to a2 degrees, counter-clockwise as the page is seen */
void ArcPath(cairo_t* cr, int xc, int yc, int w, int h, double a1, double a2) {
  cairo_save(cr);
  cairo_translate(cr, xc + 0.5, yc + 0.5);
  cairo_scale(cr, w / 2.0, -h / 2.0); /* y upwards inside the ellipse */
  double from = a1 * G_PI / 180, to = a2 * G_PI / 180;
  if (to <= from) to += 2 * G_PI * std::ceil((from - to) / (2 * G_PI) + 1e-12);
  cairo_arc(cr, 0, 0, 1, from, to);
  cairo_restore(cr);
}

void Arc(cdCanvas* cv, int xc, int yc, int w, int h, double a1, double a2) {
  if (w <= 0 || h <= 0) return;
  cairo_t* cr = Rec(cv)->cr;
  cairo_new_path(cr);
  ArcPath(cr, xc, yc, w, h, a1, a2);
  Stroke(cv);
}

void Sector(cdCanvas* cv, int xc, int yc, int w, int h, double a1, double a2) {
  if (w <= 0 || h <= 0) return;
  cairo_t* cr = Rec(cv)->cr;
  cairo_move_to(cr, xc + 0.5, yc + 0.5);
  ArcPath(cr, xc, yc, w, h, a1, a2);
  cairo_close_path(cr);
  Fill(cv);
}

/* ---- text ---- */

/* the canvas' strings are Latin-1; cairo takes UTF-8 */
std::string Utf8(const char* s) {
  std::string out;
  for (; *s; s++) {
    unsigned char c = static_cast<unsigned char>(*s);
    if (c < 0x80) {
      out += char(c);
    } else {
      out += char(0xC0 | (c >> 6));
      out += char(0x80 | (c & 0x3F));
    }
  }
  return out;
}

void SelectFont(cdCanvas* cv) {
  PrinterCanvas* rec = Rec(cv);
  cairo_select_font_face(rec->cr, rec->family.c_str(), rec->slant, rec->weight);
  cairo_set_font_size(rec->cr, rec->font_px);
}

/* a size of 0 or more is in points, a negative one already in pixels */
double FontPixels(cdCanvas* cv, int size) {
  if (size < 0) return -size;
  return size / CD_MM2PT * cv->xres;
}

void Font(cdCanvas* cv, int* face, int* style, int* size) {
  PrinterCanvas* rec = Rec(cv);
  static const char* const kFamilies[4] = {"Sans", "Courier", "Times", "Helvetica"};
  rec->family = kFamilies[*face >= 0 && *face < 4 ? *face : 0];
  rec->weight = (*style & CD_BOLD) ? CAIRO_FONT_WEIGHT_BOLD : CAIRO_FONT_WEIGHT_NORMAL;
  rec->slant = (*style & CD_ITALIC) ? CAIRO_FONT_SLANT_ITALIC : CAIRO_FONT_SLANT_NORMAL;
  double px = FontPixels(cv, *size);
  rec->font_px = px > 0 ? px : 1;
  rec->underline = rec->strikeout = false;
}

/* "FACE:ATTRIBUTES:SIZE" (BOLD, ITALIC, UNDERLINE, STRIKEOUT) or
 * "face, size [-u] [-k]"; the canvas' face, style and size follow */
void NativeFont(cdCanvas* cv, const char* font) {
  PrinterCanvas* rec = Rec(cv);
  std::string s = font ? font : "";
  std::string face;
  int size = 12;
  bool bold = false, italic = false, underline = false, strikeout = false;
  size_t colon = s.find(':');
  if (colon != std::string::npos) {
    face = s.substr(0, colon);
    size_t second = s.find(':', colon + 1);
    std::string attributes =
        s.substr(colon + 1, second == std::string::npos ? std::string::npos : second - colon - 1);
    bold = attributes.find("BOLD") != std::string::npos;
    italic = attributes.find("ITALIC") != std::string::npos;
    underline = attributes.find("UNDERLINE") != std::string::npos;
    strikeout = attributes.find("STRIKEOUT") != std::string::npos;
    size = 9;
    if (second != std::string::npos) std::sscanf(s.c_str() + second + 1, "%d", &size);
  } else {
    char name[256] = "";
    int style = 0;
    char o1 = 0, o2 = 0;
    int n = std::sscanf(s.c_str(), "%255[^,], %d %d -%c -%c", name, &size, &style, &o1, &o2);
    if (n < 1) return;
    face = name;
    bold = style == 1 || style == 3;
    italic = style == 2 || style == 3;
    underline = o1 == 'u' || o2 == 'u';
    strikeout = o1 == 'k' || o2 == 'k';
  }
  if (face.empty()) return;
  rec->family = face;
  rec->weight = bold ? CAIRO_FONT_WEIGHT_BOLD : CAIRO_FONT_WEIGHT_NORMAL;
  rec->slant = italic ? CAIRO_FONT_SLANT_ITALIC : CAIRO_FONT_SLANT_NORMAL;
  double px = FontPixels(cv, size);
  rec->font_px = px > 0 ? px : 1;
  rec->underline = underline, rec->strikeout = strikeout;
  cv->font_style = (bold ? CD_BOLD : 0) | (italic ? CD_ITALIC : 0);
  cv->font_size = size;
  static const char* const kNames[4] = {"System", "Times", "Courier", "Arial"};
  static const int kFaces[4] = {CD_SYSTEM, CD_TIMES_ROMAN, CD_COURIER, CD_HELVETICA};
  for (int i = 0; i < 4; i++)
    if (face.find(kNames[i]) != std::string::npos) cv->font_face = kFaces[i];
  if (face.find("Helv") != std::string::npos) cv->font_face = CD_HELVETICA;
}

void FontDim(cdCanvas* cv, int* max_width, int* height, int* ascent, int* descent) {
  cairo_t* cr = Rec(cv)->cr;
  SelectFont(cv);
  cairo_font_extents_t fe;
  cairo_font_extents(cr, &fe);
  if (max_width) *max_width = int(std::lround(fe.max_x_advance));
  if (height) *height = int(std::lround(fe.height));
  if (ascent) *ascent = int(std::lround(fe.ascent));
  if (descent) *descent = int(std::lround(fe.descent));
}

void TextSize(cdCanvas* cv, const char* s, int* width, int* height) {
  cairo_t* cr = Rec(cv)->cr;
  SelectFont(cv);
  cairo_font_extents_t fe;
  cairo_font_extents(cr, &fe);
  cairo_text_extents_t te;
  std::string utf8 = Utf8(s);
  cairo_text_extents(cr, utf8.c_str(), &te);
  if (width) *width = int(std::lround(te.x_advance));
  if (height) *height = int(std::lround(fe.height));
}

void Text(cdCanvas* cv, int x, int y, const char* s) {
  PrinterCanvas* rec = Rec(cv);
  cairo_t* cr = rec->cr;
  SelectFont(cv);
  std::string utf8 = Utf8(s);
  cairo_font_extents_t fe;
  cairo_font_extents(cr, &fe);
  cairo_text_extents_t te;
  cairo_text_extents(cr, utf8.c_str(), &te);
  double dx = 0, dy = 0; /* from the anchor to the start of the baseline, y downwards */
  switch (cv->text_alignment) {
    case CD_NORTH:
    case CD_SOUTH:
    case CD_CENTER:
    case CD_BASE_CENTER:
      dx = -te.x_advance / 2;
      break;
    case CD_EAST:
    case CD_NORTH_EAST:
    case CD_SOUTH_EAST:
    case CD_BASE_RIGHT:
      dx = -te.x_advance;
      break;
    default:
      break;
  }
  switch (cv->text_alignment) {
    case CD_NORTH:
    case CD_NORTH_EAST:
    case CD_NORTH_WEST:
      dy = fe.ascent;
      break;
    case CD_SOUTH:
    case CD_SOUTH_EAST:
    case CD_SOUTH_WEST:
      dy = -fe.descent;
      break;
    case CD_EAST:
    case CD_WEST:
    case CD_CENTER:
      dy = (fe.ascent - fe.descent) / 2;
      break;
    default:
      break;
  }
  cairo_save(cr);
  cairo_translate(cr, x + 0.5, y + 0.5);
  cairo_rotate(cr, -cv->text_orientation * G_PI / 180); /* counter-clockwise on the page */
  SetColor(cr, cv->foreground);
  if (cv->back_opacity == CD_OPAQUE) {
    cairo_rectangle(cr, dx, dy - fe.ascent, te.x_advance, fe.ascent + fe.descent);
    SetColor(cr, cv->background);
    cairo_fill(cr);
    SetColor(cr, cv->foreground);
  }
  cairo_move_to(cr, dx, dy);
  cairo_show_text(cr, utf8.c_str());
  double rule = std::max(1.0, rec->font_px / 15);
  if (rec->underline) cairo_rectangle(cr, dx, dy + fe.descent / 2, te.x_advance, rule);
  if (rec->strikeout) cairo_rectangle(cr, dx, dy - fe.ascent / 3, te.x_advance, rule);
  cairo_fill(cr);
  cairo_restore(cr);
}

/* ---- images ---- */

/* the image rectangle xmin..xmax, ymin..ymax (row 0 at the bottom) drawn
 * over w x h device pixels whose bottom-left pixel is (x, y) */
template <typename PixelOf>
void PutImage(cdCanvas* cv, int x, int y, int w, int h, int xmin, int xmax, int ymin, int ymax,
              PixelOf pixel) {
  int cols = xmax - xmin + 1, rows = ymax - ymin + 1;
  if (cols <= 0 || rows <= 0 || w <= 0 || h <= 0) return;
  cairo_surface_t* img = cairo_image_surface_create(CAIRO_FORMAT_RGB24, cols, rows);
  if (cairo_surface_status(img) != CAIRO_STATUS_SUCCESS) {
    cairo_surface_destroy(img);
    return;
  }
  cairo_surface_flush(img);
  unsigned char* bits = cairo_image_surface_get_data(img);
  int stride = cairo_image_surface_get_stride(img);
  for (int row = 0; row < rows; row++) {
    uint32_t* out = reinterpret_cast<uint32_t*>(bits + size_t(row) * stride);
    int src_y = ymax - row;
    for (int col = 0; col < cols; col++) out[col] = pixel(xmin + col, src_y);
  }
  cairo_surface_mark_dirty(img);
  cairo_t* cr = Rec(cv)->cr;
  cairo_save(cr);
  cairo_translate(cr, x, y - h + 1);
  cairo_scale(cr, double(w) / cols, double(h) / rows);
  cairo_set_source_surface(cr, img, 0, 0);
  cairo_pattern_set_filter(cairo_get_source(cr), CAIRO_FILTER_NEAREST);
  cairo_rectangle(cr, 0, 0, cols, rows);
  cairo_fill(cr);
  cairo_restore(cr);
  cairo_surface_destroy(img);
}

void PutImageRectRGB(cdCanvas* cv, int iw, int, const unsigned char* r, const unsigned char* g,
                     const unsigned char* b, int x, int y, int w, int h, int xmin, int xmax,
                     int ymin, int ymax) {
  PutImage(cv, x, y, w, h, xmin, xmax, ymin, ymax, [&](int ix, int iy) {
    size_t at = size_t(iy) * iw + ix;
    return uint32_t(r[at]) << 16 | uint32_t(g[at]) << 8 | b[at];
  });
}

void PutImageRectMap(cdCanvas* cv, int iw, int, const unsigned char* index, const long* colors,
                     int x, int y, int w, int h, int xmin, int xmax, int ymin, int ymax) {
  PutImage(cv, x, y, w, h, xmin, xmax, ymin, ymax, [&](int ix, int iy) {
    return uint32_t(colors[index[size_t(iy) * iw + ix]] & 0xFFFFFF);
  });
}

void FillOperations(cdCanvas* cv) {
  cdOperations& o = cv->ops;
  o.Flush = Flush;
  o.Pixel = Pixel;
  o.Line = Line;
  o.Poly = Poly;
  o.Rect = Rect;
  o.Box = Box;
  o.Arc = Arc;
  o.Sector = Sector;
  o.Text = Text;
  o.FontDim = FontDim;
  o.TextSize = TextSize;
  o.Font = Font;
  o.NativeFont = NativeFont;
  o.PutImageRectRGB = PutImageRectRGB;
  o.PutImageRectMap = PutImageRectMap;
  o.Clip = Clip;
  o.ClipArea = ClipArea;
  o.KillCanvas = KillCanvas;
}

cdDriver printer_driver = {
    CD_CAP_ALL & ~(CD_CAP_CLEAR | CD_CAP_PLAY | CD_CAP_YAXIS | CD_CAP_MARK | CD_CAP_VECTORTEXT |
                   CD_CAP_IMAGERGBA | CD_CAP_GETIMAGERGB | CD_CAP_IMAGESRV | CD_CAP_WD),
    CreateCanvas,
    FillOperations,
    nullptr,
    nullptr,
    "CD_PRINTER",
    CD_DATA_TEXT};

}  // namespace

cdDriver* cdContextPrinter(void) {
  return &printer_driver;
}

void cdPrinterSetting(const char* key, const char* value) {
  if (!key) return;
  if (!process_settings) process_settings = gtk_print_settings_new();
  gtk_print_settings_set(process_settings, key, value);
}
