/* The clipboard driver CD_CLIPBOARD on GTK's clipboard. The data is
 * "%dx%d %g" (size in pixels, pixels per millimetre, the screen's when
 * missing) followed by "-b" for a bitmap or "-m" for the CD metafile text;
 * without either the picture is an enhanced metafile. The canvas draws
 * through the driver of its form (RGB image, CD metafile or EMF, on a
 * temporary file) and puts the result on the clipboard when it is killed:
 *   "-b"  image/png, with image/bmp beside it;
 *   none  image/emf and image/x-emf, with a PNG rendering for programs that
 *         cannot read EMF;
 *   "-m"  the metafile text (text/plain and the other text targets), and
 *         the same EMF and PNG renderings of it.
 * The clipboard keeps serving these while the program runs its main loop.
 * cdPlay reads back the first of: text (played as a CD metafile; text that
 * is not one is passed over), EMF, WMF, PNG or BMP. */
#include <gtk/gtk.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <map>
#include <new>
#include <string>
#include <vector>

#include "cdwin.h"
#include "cdgdifile.h"

namespace {

enum Form { kBitmap, kEnhanced, kMetafile };

struct ClipboardCanvas {
  Form form = kEnhanced;
  std::string temp; /* the metafile's file, deleted when the canvas is killed */
  std::vector<unsigned char> r, g, b;
  void (*inner_kill)(cdCanvas*) = nullptr;
};

/* the canvas' own record; driver_data is the record of the driver it draws through */
std::map<cdCanvas*, ClipboardCanvas*> records;
cdCallback size_callback = nullptr;

void Say(const char* what) {
  std::fprintf(stderr, "CD_CLIPBOARD: %s\n", what);
}

std::string TempName() {
  std::string name = g_get_tmp_dir();
  name += "/~cdXXXXXX";
  int fd = mkstemp(name.data());
  if (fd < 0) return "";
  close(fd);
  return name;
}

double ScreenResolution() {
  GdkDisplay* display = gdk_display_get_default();
  GdkMonitor* monitor = display ? gdk_display_get_primary_monitor(display) : nullptr;
  if (!monitor && display) monitor = gdk_display_get_monitor(display, 0);
  if (monitor) {
    GdkRectangle area;
    gdk_monitor_get_geometry(monitor, &area);
    int mm = gdk_monitor_get_width_mm(monitor);
    if (mm > 0 && area.width > 0) return double(area.width) / mm;
  }
  return 3.78;
}

void CreateCanvas(cdCanvas* cv, void* data) {
  const char* text = static_cast<const char*>(data);
  if (!text) return;
  int w = 0, h = 0;
  double res = 0;
  int n = std::sscanf(text, "%dx%d %lf", &w, &h, &res);
  if (n < 2 || w <= 0 || h <= 0) {
    Say("the size must be given as WIDTHxHEIGHT in pixels, both above zero");
    return;
  }
  if (!gdk_display_get_default()) {
    Say("no display: there is no clipboard to put the picture on");
    return;
  }
  if (n < 3 || !(res > 0)) res = ScreenResolution();
  ClipboardCanvas* rec = new (std::nothrow) ClipboardCanvas;
  if (!rec) return;
  rec->form = std::strstr(text, "-b") ? kBitmap : std::strstr(text, "-m") ? kMetafile : kEnhanced;
  char inner[1200];
  cdDriver* driver;
  if (rec->form == kBitmap) {
    try {
      rec->r.assign(size_t(w) * h, 255);
      rec->g.assign(size_t(w) * h, 255);
      rec->b.assign(size_t(w) * h, 255);
    } catch (const std::bad_alloc&) {
      Say("not enough memory for the bitmap");
      delete rec;
      return;
    }
    std::snprintf(inner, sizeof inner, "%dx%d %p %p %p -r%g", w, h,
                  static_cast<void*>(rec->r.data()), static_cast<void*>(rec->g.data()),
                  static_cast<void*>(rec->b.data()), res);
    driver = cdContextImageRGB();
  } else {
    rec->temp = TempName();
    if (rec->temp.empty()) {
      Say("no temporary file can be made");
      delete rec;
      return;
    }
    /* the metafile gets this canvas' size, not the flags: its driver
     * refuses anything it cannot read */
    if (rec->form == kMetafile) {
      std::snprintf(inner, sizeof inner, "%s %gx%g %g", rec->temp.c_str(), w / res, h / res, res);
      driver = cdContextMetafile();
    } else {
      std::snprintf(inner, sizeof inner, "%s %dx%d %g", rec->temp.c_str(), w, h, res);
      driver = cdContextEMF();
    }
  }
  driver->CreateCanvas(cv, inner);
  if (!cv->driver_data) {
    Say("the picture cannot be started");
    if (!rec->temp.empty()) std::remove(rec->temp.c_str());
    delete rec;
    return;
  }
  try {
    records[cv] = rec;
  } catch (const std::bad_alloc&) {
    /* out of memory: no canvas (the inner record is lost rather than half-freed) */
    if (!rec->temp.empty()) std::remove(rec->temp.c_str());
    delete rec;
    cv->driver_data = nullptr;
    return;
  }
  cv->w = w, cv->h = h;
  cv->xres = cv->yres = res;
  cv->w_mm = w / res, cv->h_mm = h / res;
  cv->bpp = 24;
}

/* ---- offering ---- */

struct Offer {
  std::vector<std::string> targets;
  std::vector<std::vector<unsigned char>> bytes; /* per target */
  std::string text;                              /* served to every text target */
};

void ServeOffer(GtkClipboard*, GtkSelectionData* selection, guint info, gpointer data) {
  Offer* offer = static_cast<Offer*>(data);
  if (info == G_MAXUINT) {
    gtk_selection_data_set_text(selection, offer->text.c_str(), int(offer->text.size()));
    return;
  }
  if (info >= offer->bytes.size()) return;
  const std::vector<unsigned char>& b = offer->bytes[info];
  gtk_selection_data_set(selection, gdk_atom_intern(offer->targets[info].c_str(), FALSE), 8,
                         b.data(), int(b.size()));
}

void ForgetOffer(GtkClipboard*, gpointer data) {
  delete static_cast<Offer*>(data);
}

void Put(Offer* offer, bool with_text) {
  GtkTargetList* list = gtk_target_list_new(nullptr, 0);
  for (size_t i = 0; i < offer->targets.size(); i++)
    gtk_target_list_add(list, gdk_atom_intern(offer->targets[i].c_str(), FALSE), 0, guint(i));
  if (with_text) gtk_target_list_add_text_targets(list, G_MAXUINT);
  int n = 0;
  GtkTargetEntry* table = gtk_target_table_new_from_list(list, &n);
  GtkClipboard* clipboard = gtk_clipboard_get(GDK_SELECTION_CLIPBOARD);
  if (!gtk_clipboard_set_with_data(clipboard, table, guint(n), ServeOffer, ForgetOffer, offer)) {
    Say("the clipboard refused the picture");
    delete offer;
  } else {
    gtk_clipboard_set_can_store(clipboard, nullptr, 0);
  }
  gtk_target_table_free(table, n);
  gtk_target_list_unref(list);
}

/* planes (row 0 at the bottom) encoded as a file of the pixbuf format */
bool Encode(int w, int h, const unsigned char* r, const unsigned char* g, const unsigned char* b,
            const char* format, std::vector<unsigned char>& out) {
  GdkPixbuf* pixbuf = gdk_pixbuf_new(GDK_COLORSPACE_RGB, FALSE, 8, w, h);
  if (!pixbuf) return false;
  guchar* pixels = gdk_pixbuf_get_pixels(pixbuf);
  int stride = gdk_pixbuf_get_rowstride(pixbuf);
  for (int y = 0; y < h; y++) {
    guchar* row = pixels + size_t(h - 1 - y) * stride;
    for (int x = 0; x < w; x++) {
      size_t at = size_t(y) * w + x;
      row[3 * x] = r[at], row[3 * x + 1] = g[at], row[3 * x + 2] = b[at];
    }
  }
  gchar* buffer = nullptr;
  gsize size = 0;
  bool ok = gdk_pixbuf_save_to_buffer(pixbuf, &buffer, &size, format, nullptr, nullptr);
  if (ok) out.assign(buffer, buffer + size);
  g_free(buffer);
  g_object_unref(pixbuf);
  return ok;
}

/* a picture played into a white w x h RGB image by play (on the active canvas) */
template <typename PlayInto>
bool Render(int w, int h, double res, PlayInto play, std::vector<unsigned char>& png) {
  char data[64];
  std::snprintf(data, sizeof data, "%dx%d -r%g", w, h, res);
  cdCanvasHandle image = cdCreateCanvas(cdContextImageRGB(), data);
  if (!image) return false;
  cdActivate(image);
  play();
  unsigned char *r, *g, *b;
  cdImageRGBPlanes(image, nullptr, nullptr, &r, &g, &b);
  bool ok = Encode(w, h, r, g, b, "png", png);
  cdKillCanvas(image);
  return ok;
}

void AddTarget(Offer* offer, const char* target, const std::vector<unsigned char>& bytes) {
  offer->targets.emplace_back(target);
  offer->bytes.push_back(bytes);
}

void KillCanvas(cdCanvas* cv) {
  ClipboardCanvas* rec = records[cv];
  records.erase(cv);
  rec->inner_kill(cv);
  int w = cv->w, h = cv->h;
  double res = cv->xres;
  Offer* offer = new (std::nothrow) Offer;
  bool ok = offer != nullptr;
  try {
    if (ok && rec->form == kBitmap) {
      std::vector<unsigned char> png, bmp;
      ok = Encode(w, h, rec->r.data(), rec->g.data(), rec->b.data(), "png", png) &&
           Encode(w, h, rec->r.data(), rec->g.data(), rec->b.data(), "bmp", bmp);
      if (ok) AddTarget(offer, "image/png", png), AddTarget(offer, "image/bmp", bmp);
    } else if (ok) {
      std::vector<uint8_t> emf;
      if (rec->form == kMetafile) {
        std::vector<uint8_t> text;
        ok = cdgdi::ReadWholeFile(rec->temp.c_str(), text);
        offer->text.assign(text.begin(), text.end());
        /* the same picture as an enhanced metafile, for programs that read those */
        std::string emf_name = TempName();
        char data[1100];
        std::snprintf(data, sizeof data, "%s %dx%d %g", emf_name.c_str(), w, h, res);
        cdCanvasHandle emf_canvas =
            emf_name.empty() ? nullptr : cdCreateCanvas(cdContextEMF(), data);
        if (emf_canvas) {
          cdActivate(emf_canvas);
          cdPlay(cdContextMetafile(), 0, 0, 0, 0, const_cast<char*>(rec->temp.c_str()));
          cdKillCanvas(emf_canvas);
          ok = ok && cdgdi::ReadWholeFile(emf_name.c_str(), emf);
        } else {
          ok = false;
        }
        if (!emf_name.empty()) std::remove(emf_name.c_str());
      } else {
        ok = cdgdi::ReadWholeFile(rec->temp.c_str(), emf);
      }
      std::vector<unsigned char> png;
      ok = ok && Render(
                     w, h, res, [&] { cdPlayEMFMemory(emf.data(), emf.size(), 0, 0, 0, 0); }, png);
      if (ok) {
        AddTarget(offer, "image/emf", emf);
        AddTarget(offer, "image/x-emf", emf);
        AddTarget(offer, "image/png", png);
      }
    }
  } catch (const std::bad_alloc&) {
    ok = false;
  }
  if (!rec->temp.empty()) std::remove(rec->temp.c_str());
  if (ok)
    Put(offer, rec->form == kMetafile);
  else {
    Say("the picture could not be made: the clipboard is left as it was");
    delete offer;
  }
  delete rec;
}

void FillOperations(cdCanvas* cv) {
  ClipboardCanvas* rec = records[cv];
  cdDriver* driver = rec->form == kBitmap     ? cdContextImageRGB()
                     : rec->form == kMetafile ? cdContextMetafile()
                                              : cdContextEMF();
  driver->FillOperations(cv);
  rec->inner_kill = cv->ops.KillCanvas;
  cv->ops.KillCanvas = KillCanvas;
}

/* ---- play ---- */

bool Fetch(GtkClipboard* clipboard, const char* target, std::vector<unsigned char>& out) {
  GtkSelectionData* data =
      gtk_clipboard_wait_for_contents(clipboard, gdk_atom_intern(target, FALSE));
  if (!data) return false;
  gint length = 0;
  const guchar* bytes = gtk_selection_data_get_data_with_length(data, &length);
  bool ok = bytes && length > 0;
  if (ok) out.assign(bytes, bytes + length);
  gtk_selection_data_free(data);
  return ok;
}

bool Offered(GdkAtom* atoms, int n, const char* target) {
  for (int i = 0; i < n; i++) {
    gchar* name = gdk_atom_name(atoms[i]);
    bool same = name && std::strcmp(name, target) == 0;
    g_free(name);
    if (same) return true;
  }
  return false;
}

/* a PNG or BMP put at (xmin, ymin); xmax or ymax 0 keeps the image's own size */
int PlayBitmap(const std::vector<unsigned char>& bytes, int xmin, int xmax, int ymin, int ymax) {
  GdkPixbufLoader* loader = gdk_pixbuf_loader_new();
  bool loaded = gdk_pixbuf_loader_write(loader, bytes.data(), bytes.size(), nullptr);
  loaded = gdk_pixbuf_loader_close(loader, nullptr) && loaded;
  GdkPixbuf* pixbuf = loaded ? gdk_pixbuf_loader_get_pixbuf(loader) : nullptr;
  int result = CD_ERROR;
  if (pixbuf && gdk_pixbuf_get_bits_per_sample(pixbuf) == 8 &&
      gdk_pixbuf_get_colorspace(pixbuf) == GDK_COLORSPACE_RGB) {
    int w = gdk_pixbuf_get_width(pixbuf), h = gdk_pixbuf_get_height(pixbuf);
    int channels = gdk_pixbuf_get_n_channels(pixbuf), stride = gdk_pixbuf_get_rowstride(pixbuf);
    const guchar* pixels = gdk_pixbuf_read_pixels(pixbuf);
    std::vector<unsigned char> r, g, b;
    try {
      r.resize(size_t(w) * h), g.resize(size_t(w) * h), b.resize(size_t(w) * h);
    } catch (const std::bad_alloc&) {
      g_object_unref(loader);
      return CD_ERROR;
    }
    for (int y = 0; y < h; y++) {
      const guchar* row = pixels + size_t(h - 1 - y) * stride;
      for (int x = 0; x < w; x++) {
        size_t at = size_t(y) * w + x;
        r[at] = row[channels * x], g[at] = row[channels * x + 1], b[at] = row[channels * x + 2];
      }
    }
    result = CD_OK;
    if (size_callback) {
      cdSizeCallback cb = reinterpret_cast<cdSizeCallback>(reinterpret_cast<void*>(size_callback));
      if (cb(cdActiveCanvas(), w, h, double(w), double(h)) != 0) result = CD_ERROR;
    }
    if (result == CD_OK) {
      if (xmax == 0) xmax = xmin + w - 1;
      if (ymax == 0) ymax = ymin + h - 1;
      cdPutImageRectRGB(w, h, r.data(), g.data(), b.data(), xmin, ymin, xmax - xmin + 1,
                        ymax - ymin + 1, 0, w - 1, 0, h - 1);
    }
  }
  g_object_unref(loader);
  return result;
}

int Play(int xmin, int xmax, int ymin, int ymax, void*) {
  if (!cdActiveCanvas()) return CD_ERROR;
  if (!gdk_display_get_default()) {
    Say("no display: there is no clipboard to read");
    return CD_ERROR;
  }
  GtkClipboard* clipboard = gtk_clipboard_get(GDK_SELECTION_CLIPBOARD);
  GdkAtom* atoms = nullptr;
  int n = 0;
  if (!gtk_clipboard_wait_for_targets(clipboard, &atoms, &n)) return CD_ERROR;
  std::vector<unsigned char> bytes;
  int result = CD_ERROR;
  bool played = false;
  /* text first, as a CD metafile; text that is not one is passed over */
  if (gtk_clipboard_wait_is_text_available(clipboard)) {
    gchar* text = gtk_clipboard_wait_for_text(clipboard);
    std::string name = text ? TempName() : "";
    if (!name.empty()) {
      FILE* f = std::fopen(name.c_str(), "wb");
      bool written = f && std::fwrite(text, 1, std::strlen(text), f) == std::strlen(text);
      if (f) written = std::fclose(f) == 0 && written;
      if (written) {
        result =
            cdPlay(cdContextMetafile(), xmin, xmax, ymin, ymax, const_cast<char*>(name.c_str()));
        played = result == CD_OK;
      }
      std::remove(name.c_str());
    }
    g_free(text);
  }
  static const char* const kEnhanced[] = {"image/emf", "image/x-emf"};
  static const char* const kWindows[] = {"image/wmf", "image/x-wmf"};
  static const char* const kBitmaps[] = {"image/png", "image/bmp"};
  for (const char* target : kEnhanced)
    if (!played && Offered(atoms, n, target) && Fetch(clipboard, target, bytes)) {
      result = cdPlayEMFMemory(bytes.data(), bytes.size(), xmin, xmax, ymin, ymax);
      played = true;
    }
  for (const char* target : kWindows)
    if (!played && Offered(atoms, n, target) && Fetch(clipboard, target, bytes)) {
      result = cdPlayWMFMemory(bytes.data(), bytes.size(), xmin, xmax, ymin, ymax);
      played = true;
    }
  for (const char* target : kBitmaps)
    if (!played && Offered(atoms, n, target) && Fetch(clipboard, target, bytes)) {
      result = PlayBitmap(bytes, xmin, xmax, ymin, ymax);
      played = true;
    }
  g_free(atoms);
  return played ? result : CD_ERROR;
}

int RegisterCallback(int cb, cdCallback func) {
  if (cb != CD_SIZECB) return -1;
  size_callback = func;
  return 0;
}

cdDriver clipboard_driver = {
    CD_CAP_ALL & ~(CD_CAP_FLUSH | CD_CAP_CLEAR | CD_CAP_YAXIS | CD_CAP_MARK | CD_CAP_VECTORTEXT |
                   CD_CAP_IMAGERGBA | CD_CAP_GETIMAGERGB | CD_CAP_IMAGESRV | CD_CAP_WD),
    CreateCanvas,
    FillOperations,
    Play,
    RegisterCallback,
    "CD_CLIPBOARD",
    CD_DATA_TEXT};

}  // namespace

cdDriver* cdContextClipboard(void) {
  return &clipboard_driver;
}
