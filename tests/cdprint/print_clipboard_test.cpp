// The printer and clipboard drivers on GTK, in a private Xvfb: the
// clipboard read by xclip and played back, the printer writing a PDF
// through GTK's print-to-file backend, read by poppler's tools, and
// wdHardcopy onto these and onto PostScript.
#include <gtest/gtest.h>
#include <gtk/gtk.h>
#include <gtk/gtkunixprint.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "../cdps/scene.h"
#include "../gtk/gtkfixture.h"
#include "../gtk/gtkprobe.h"
#include "cd.h"
#include "cdwin.h"
#include "wd.h"

namespace {

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

struct Exit {
  bool done = false;
  int status = -1;
};

void ChildDone(GPid pid, gint status, gpointer data) {
  Exit* e = static_cast<Exit*>(data);
  e->status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  e->done = true;
  g_spawn_close_pid(pid);
}

// Runs "sh -c command" while the main loop goes on (the clipboard's owner
// must answer xclip); its exit status, -1 when it did not end within 30 s.
int RunServing(const std::string& command) {
  const char* argv[] = {"sh", "-c", command.c_str(), nullptr};
  GPid pid;
  if (!g_spawn_async(nullptr, const_cast<char**>(argv), nullptr,
                     GSpawnFlags(G_SPAWN_SEARCH_PATH | G_SPAWN_DO_NOT_REAP_CHILD), nullptr, nullptr,
                     &pid, nullptr))
    return -1;
  Exit e;
  g_child_watch_add(pid, ChildDone, &e);
  gint64 end = g_get_monotonic_time() + 30 * G_USEC_PER_SEC;
  while (!e.done && g_get_monotonic_time() < end)
    g_main_context_iteration(nullptr, FALSE), g_usleep(1000);
  if (!e.done) kill(pid, SIGKILL);
  return e.done ? e.status : -1;
}

// A picture file read by Pillow (an independent reader) into a raster.
bool ReadPicture(const std::string& dir, const std::string& file, scene::Raster& out) {
  std::string ppm = dir + "/read.ppm";
  std::string cmd =
      "/usr/bin/python3 -c \"import sys; from PIL import Image; "
      "Image.open(sys.argv[1]).convert('RGB').save(sys.argv[2], 'PPM')\" '" +
      file + "' '" + ppm + "'";
  return std::system(cmd.c_str()) == 0 && scene::ReadPpm(ppm, out);
}

// the scene drawn on a w x h RGB image canvas of res pixels per millimetre
scene::Raster DrawnDirectly(int w, int h, double res, void (*draw)(void)) {
  std::vector<unsigned char> r(size_t(w) * h, 255), g = r, b = r;
  char data[200];
  std::snprintf(data, sizeof data, "%dx%d %p %p %p -r%g", w, h, (void*)r.data(), (void*)g.data(),
                (void*)b.data(), res);
  cdCanvasHandle cv = cdCreateCanvas(CD_IMAGERGB, data);
  EXPECT_NE(cv, nullptr);
  cdActivate(cv);
  draw();
  cdKillCanvas(cv);
  return scene::FromPlanes(w, h, r, g, b);
}

// the clipboard played into a w x h RGB image canvas
scene::Raster Played(int w, int h, int* result) {
  std::vector<unsigned char> r(size_t(w) * h, 255), g = r, b = r;
  char data[200];
  std::snprintf(data, sizeof data, "%dx%d %p %p %p", w, h, (void*)r.data(), (void*)g.data(),
                (void*)b.data());
  cdCanvasHandle cv = cdCreateCanvas(CD_IMAGERGB, data);
  EXPECT_NE(cv, nullptr);
  cdActivate(cv);
  *result = cdPlay(CD_CLIPBOARD, 0, 0, 0, 0, nullptr);
  cdKillCanvas(cv);
  return scene::FromPlanes(w, h, r, g, b);
}

void SceneGeometry() {
  scene::Draw(false);
}
void SceneWithText() {
  scene::Draw(true);
}

// The ink's bounding box: xmin, ymin, xmax, ymax (rows from the top); false when there is none.
bool InkBox(const scene::Raster& r, int box[4]) {
  box[0] = r.w, box[1] = r.h, box[2] = -1, box[3] = -1;
  for (int y = 0; y < r.h; y++)
    for (int x = 0; x < r.w; x++)
      if (r.Ink(x, y)) {
        box[0] = std::min(box[0], x), box[1] = std::min(box[1], y);
        box[2] = std::max(box[2], x), box[3] = std::max(box[3], y);
      }
  return box[2] >= 0;
}

scene::Raster Crop(const scene::Raster& r, int x0, int y0, int w, int h) {
  scene::Raster out;
  out.w = w, out.h = h;
  out.rgb.assign(size_t(w) * h * 3, 255);
  for (int y = 0; y < h; y++)
    for (int x = 0; x < w; x++) {
      int u = x0 + x, v = y0 + y;
      if (u < 0 || v < 0 || u >= r.w || v >= r.h) continue;
      std::memcpy(&out.rgb[(size_t(y) * w + x) * 3], r.At(u, v), 3);
    }
  return out;
}

class Cdwin : public gtkprobe::ToolkitTest {
 protected:
  void SetUp() override {
    ToolkitTest::SetUp();
    if (HasFatalFailure()) return;
    char dir_template[] = "/tmp/cdprint_XXXXXX";
    ASSERT_NE(mkdtemp(dir_template), nullptr);
    dir = dir_template;
    cdRegisterCallback(CD_CLIPBOARD, CD_SIZECB, nullptr);
  }
  // CDPRINT_KEEP=1 keeps the files for a look
  void TearDown() override {
    if (!std::getenv("CDPRINT_KEEP")) std::system(("rm -rf '" + dir + "'").c_str());
    for (const char* key : {"printer", "output-uri", "output-file-format", "resolution"})
      cdPrinterSetting(key, nullptr);
    ToolkitTest::TearDown();
  }
  std::string Path(const std::string& name) const { return dir + "/" + name; }

  // copies the scene to the clipboard through a canvas of this data
  void Copy(const char* data, void (*draw)(void)) {
    cdCanvasHandle cv = cdCreateCanvas(CD_CLIPBOARD, (void*)data);
    ASSERT_NE(cv, nullptr) << data;
    cdActivate(cv);
    draw();
    cdKillCanvas(cv);
  }
  std::string Targets() {
    std::string file = Path("targets.txt");
    EXPECT_EQ(RunServing("xclip -selection clipboard -t TARGETS -o >'" + file + "'"), 0);
    return ReadFile(file);
  }
  // the clipboard's content for a target, through xclip
  std::string Fetch(const std::string& target, const std::string& file) {
    EXPECT_EQ(RunServing("xclip -selection clipboard -t " + target + " -o >'" + file + "'"), 0);
    return ReadFile(file);
  }
  // prints through GTK's print-to-file backend into a PDF at dpi
  void PrintToFile(const std::string& pdf, int dpi) {
    cdPrinterSetting("printer", "Print to File");
    std::string uri = "file://" + pdf;
    cdPrinterSetting("output-uri", uri.c_str());
    cdPrinterSetting("output-file-format", "pdf");
    cdPrinterSetting("resolution", std::to_string(dpi).c_str());
  }
  scene::Raster PdfPage(const std::string& pdf, int dpi, int page = 1) {
    std::string base = Path("page");
    std::string cmd = "pdftoppm -aa no -aaVector no -r " + std::to_string(dpi) + " -f " +
                      std::to_string(page) + " -l " + std::to_string(page) + " -singlefile '" +
                      pdf + "' '" + base + "'";
    EXPECT_EQ(std::system(cmd.c_str()), 0) << cmd;
    scene::Raster r;
    EXPECT_TRUE(scene::ReadPpm(base + ".ppm", r));
    return r;
  }
  std::string PdfText(const std::string& pdf) {
    std::string out = Path("text.txt");
    EXPECT_EQ(std::system(("pdftotext '" + pdf + "' '" + out + "'").c_str()), 0);
    return ReadFile(out);
  }
  std::string PdfInfo(const std::string& pdf) {
    std::string out = Path("info.txt");
    EXPECT_EQ(std::system(("pdfinfo '" + pdf + "' >'" + out + "'").c_str()), 0);
    return ReadFile(out);
  }

  std::string dir;
};

// ---- clipboard ----

// "-b": xclip reads a PNG whose pixels are the canvas' own, and a BMP beside it.
TEST_F(Cdwin, BitmapCopyIsReadByXclipPixelForPixel) {
  Copy("400x300 3.78 -b", SceneWithText);
  std::string targets = Targets();
  EXPECT_NE(targets.find("image/png"), std::string::npos) << targets;
  EXPECT_NE(targets.find("image/bmp"), std::string::npos) << targets;
  scene::Raster direct = DrawnDirectly(400, 300, 3.78, SceneWithText);
  ASSERT_GT(scene::InkCount(direct), 10000);
  for (const char* target : {"image/png", "image/bmp"}) {
    std::string file = Path(std::string("copy.") + (target + 6));
    Fetch(target, file);
    scene::Raster read;
    ASSERT_TRUE(ReadPicture(dir, file, read)) << target;
    ASSERT_EQ(read.w, 400);
    ASSERT_EQ(read.h, 300);
    EXPECT_TRUE(read.rgb == direct.rgb) << target << " differs from the canvas' pixels";
  }
}

// Without a flag the picture is an enhanced metafile, with a PNG beside it;
// "-m" puts the metafile text, and the EMF and PNG renderings of it.
TEST_F(Cdwin, MetafileCopiesOfferEmfAndPng) {
  struct Case {
    const char* data;
    bool text;
  };
  for (const Case& c : {Case{"400x300 3.78", false}, Case{"400x300 3.78 -m", true}}) {
    SCOPED_TRACE(c.data);
    Copy(c.data, SceneGeometry);
    std::string targets = Targets();
    for (const char* t : {"image/emf", "image/x-emf", "image/png"})
      EXPECT_NE(targets.find(t), std::string::npos) << t << " not in " << targets;
    EXPECT_EQ(targets.find("UTF8_STRING") != std::string::npos, c.text) << targets;
    std::string emf = Fetch("image/emf", Path("copy.emf"));
    ASSERT_GT(emf.size(), 88u);
    EXPECT_EQ(emf[0], 1);                  // EMR_HEADER
    EXPECT_EQ(emf.substr(40, 4), " EMF");  // its signature
    if (c.text) {
      EXPECT_EQ(Fetch("UTF8_STRING", Path("copy.txt")).substr(0, 4), "CDMF");
    }
    // the PNG rendering shows the scene: 2 pixels, colours within 60,
    // threshold 0.92 both ways (measured 0.94: the enhanced metafile
    // player puts the picture one pixel lower, y = bottom - y, and hatches
    // and stipples go through the metafile's brushes)
    scene::Raster png;
    Fetch("image/png", Path("copy.png"));
    ASSERT_TRUE(ReadPicture(dir, Path("copy.png"), png));
    scene::Raster direct = DrawnDirectly(400, 300, 3.78, SceneGeometry);
    double a = scene::Matched(direct, png, 2, 60), b = scene::Matched(png, direct, 2, 60);
    std::printf("%s: PNG beside the metafile matched %.4f of ours, %.4f of its ink\n", c.data, a,
                b);
    EXPECT_GE(a, 0.92);
    EXPECT_GE(b, 0.92);
  }
}

// Playing the clipboard into an RGB canvas gives the picture back: the
// bitmap exactly, the metafiles by the overlap measure above (the CD
// metafile text comes back whole, measured 1.0; the EMF 0.94).
TEST_F(Cdwin, PlayGivesThePictureBack) {
  scene::Raster direct = DrawnDirectly(400, 300, 3.78, SceneGeometry);
  struct Case {
    const char* data;
    double threshold;
  };
  for (const Case& c :
       {Case{"400x300 3.78 -b", 1.0}, Case{"400x300 3.78", 0.92}, Case{"400x300 3.78 -m", 0.99}}) {
    SCOPED_TRACE(c.data);
    Copy(c.data, SceneGeometry);
    int result = 99;
    scene::Raster played = Played(400, 300, &result);
    EXPECT_EQ(result, CD_OK);
    double a =
        scene::Matched(direct, played, c.threshold == 1.0 ? 0 : 2, c.threshold == 1.0 ? 0 : 60);
    double b =
        scene::Matched(played, direct, c.threshold == 1.0 ? 0 : 2, c.threshold == 1.0 ? 0 : 60);
    std::printf("%s played back: matched %.4f of ours, %.4f of the played ink\n", c.data, a, b);
    EXPECT_GE(a, c.threshold);
    EXPECT_GE(b, c.threshold);
    if (c.threshold == 1.0) {
      EXPECT_TRUE(played.rgb == direct.rgb);
    }
  }
}

// CD_SIZECB sees the bitmap's size; a non-zero answer skips the image.
int seen_w = 0, seen_h = 0, size_answer = 0;
int SizeSeen(cdCanvasHandle, int w, int h, double, double) {
  seen_w = w, seen_h = h;
  return size_answer;
}

TEST_F(Cdwin, SizeCallbackSeesTheBitmapAndCanSkipIt) {
  Copy("120x80 -b", SceneGeometry);
  cdCallback callback = reinterpret_cast<cdCallback>(reinterpret_cast<void*>(SizeSeen));
  EXPECT_EQ(cdRegisterCallback(CD_CLIPBOARD, 7, callback), -1);
  ASSERT_EQ(cdRegisterCallback(CD_CLIPBOARD, CD_SIZECB, callback), 0);
  for (int answer : {1, 0}) {
    size_answer = answer, seen_w = seen_h = 0;
    int result = 99;
    scene::Raster played = Played(200, 100, &result);
    EXPECT_EQ(seen_w, 120);
    EXPECT_EQ(seen_h, 80);
    EXPECT_EQ(result, answer ? CD_ERROR : CD_OK);
    EXPECT_EQ(scene::InkCount(played) > 0, answer == 0);
  }
}

// Text put there by another program is no metafile: the play refuses it
// and draws nothing; the program goes on.
TEST_F(Cdwin, TextFromAnotherProgramIsRefused) {
  ASSERT_EQ(RunServing("printf 'hello, not a picture' | xclip -selection clipboard -i"), 0);
  int result = 99;
  testing::internal::CaptureStderr();
  scene::Raster played = Played(100, 100, &result);
  testing::internal::GetCapturedStderr();
  EXPECT_EQ(result, CD_ERROR);
  EXPECT_EQ(scene::InkCount(played), 0);
  // our own copy replaces xclip's text (and ends its process)
  Copy("50x50 -b", SceneGeometry);
  EXPECT_EQ(Targets().find("UTF8_STRING"), std::string::npos);
}

TEST_F(Cdwin, ClipboardCreationDataIsChecked) {
  for (const char* data : {"0x10 -b", "10x0", "x", ""}) {
    testing::internal::CaptureStderr();
    EXPECT_EQ(cdCreateCanvas(CD_CLIPBOARD, (void*)data), nullptr) << data;
    std::string said = testing::internal::GetCapturedStderr();
    EXPECT_NE(said.find("CD_CLIPBOARD: "), std::string::npos) << data;
  }
  EXPECT_EQ(cdCreateCanvas(CD_CLIPBOARD, nullptr), nullptr);
}

// ---- printer ----

// The scene printed at 150 dpi into a PDF: the canvas has the printable
// area of the page in pixels of that resolution; the PDF holds the texts;
// its page at 150 dpi shows a frame round the printable area whose size is
// the canvas', and inside it the scene, compared with the RGB canvas of the
// same size and resolution (pdftoppm without anti-aliasing; 2 pixels,
// colours within 60; threshold 0.95 both ways, measured 0.994 and 0.990:
// cairo and our raster place fonts and arc ends differently).
void FramedScene() {
  int w, h;
  cdGetCanvasSize(&w, &h, nullptr, nullptr);
  cdForeground(cdEncodeColor(0, 0, 0));
  cdRect(0, w - 1, 0, h - 1);
  scene::Draw(true);
}

TEST_F(Cdwin, PrinterWritesTheSceneIntoAPdf) {
  const int dpi = 150;
  std::string pdf = Path("scene.pdf");
  PrintToFile(pdf, dpi);
  cdCanvasHandle cv = cdCreateCanvas(CD_PRINTER, (void*)"Scene");
  ASSERT_NE(cv, nullptr);
  cdActivate(cv);
  int w, h;
  double w_mm, h_mm;
  cdGetCanvasSize(&w, &h, &w_mm, &h_mm);
  // pixels of the printable area at the printer's resolution, xres = w / w_mm
  EXPECT_EQ(w, int(w_mm * dpi / 25.4));
  EXPECT_EQ(h, int(h_mm * dpi / 25.4));
  EXPECT_GT(w_mm, 150);
  EXPECT_GT(h_mm, 200);
  EXPECT_NEAR(cv->xres, w / w_mm, 1e-9);
  EXPECT_NEAR(cv->yres, h / h_mm, 1e-9);
  EXPECT_EQ(cdContextCaps(CD_PRINTER) & (CD_CAP_CLEAR | CD_CAP_PLAY | CD_CAP_GETIMAGERGB), 0u);
  FramedScene();
  cdKillCanvas(cv);

  std::string text = PdfText(pdf);
  // (the text at 30 degrees comes out in pieces: pdftotext reads lines)
  for (const char* word : {"Helvetica", "Times", "Courier", "centred", "Up"})
    EXPECT_NE(text.find(word), std::string::npos) << word << " not in " << text;
  std::string info = PdfInfo(pdf);
  EXPECT_NE(info.find("Pages:           1"), std::string::npos) << info;
  double page_w = 0, page_h = 0;
  size_t at = info.find("Page size:");
  ASSERT_NE(at, std::string::npos);
  ASSERT_EQ(std::sscanf(info.c_str() + at, "Page size: %lf x %lf", &page_w, &page_h), 2);
  // the paper holds the printable area and its margins
  EXPECT_GT(page_w, w_mm * 72 / 25.4);
  EXPECT_GT(page_h, h_mm * 72 / 25.4);
  EXPECT_LT(page_w, w_mm * 72 / 25.4 + 72);

  scene::Raster page = PdfPage(pdf, dpi);
  int box[4];
  ASSERT_TRUE(InkBox(page, box));
  EXPECT_NEAR(box[2] - box[0] + 1, w, 2);
  EXPECT_NEAR(box[3] - box[1] + 1, h, 2);
  scene::Raster printed = Crop(page, box[0], box[1], w, h);
  scene::Raster direct = DrawnDirectly(w, h, w / w_mm, FramedScene);
  double a = scene::Matched(direct, printed, 2, 60), b = scene::Matched(printed, direct, 2, 60);
  std::printf(
      "printed at %d dpi, %dx%d pixels (%.1f x %.1f mm, page %.1f x %.1f pt): matched "
      "%.4f of ours, %.4f of pdftoppm's ink\n",
      dpi, w, h, w_mm, h_mm, page_w, page_h, a, b);
  EXPECT_GE(a, 0.95);
  EXPECT_GE(b, 0.95);
}

// cdFlush ends a page: two flushes give three pages.
TEST_F(Cdwin, PrinterFlushStartsANewPage) {
  std::string pdf = Path("pages.pdf");
  PrintToFile(pdf, 72);
  cdCanvasHandle cv = cdCreateCanvas(CD_PRINTER, (void*)"Pages");
  ASSERT_NE(cv, nullptr);
  cdActivate(cv);
  for (const char* s : {"first", "second", "third"}) {
    cdText(100, 100, s);
    if (std::strcmp(s, "third") != 0) cdFlush();
  }
  cdKillCanvas(cv);
  std::string info = PdfInfo(pdf);
  EXPECT_NE(info.find("Pages:           3"), std::string::npos) << info;
  EXPECT_NE(PdfText(pdf).find("second"), std::string::npos);
}

// No printer: no canvas and a message; the program goes on.
TEST_F(Cdwin, MissingPrinterGivesNoCanvas) {
  struct Case {
    const char* printer;
    const char* message;
  };
  // GTK_PRINT_BACKENDS=file (set for this test) leaves no default printer
  for (const Case& c : {Case{"No Such Printer", "no printer named \"No Such Printer\""},
                        Case{nullptr, "no default printer is configured"}}) {
    cdPrinterSetting("printer", c.printer);
    testing::internal::CaptureStderr();
    EXPECT_EQ(cdCreateCanvas(CD_PRINTER, (void*)"Doc"), nullptr);
    std::string said = testing::internal::GetCapturedStderr();
    EXPECT_NE(said.find(std::string("CD_PRINTER: ") + c.message), std::string::npos) << said;
  }
}

// "-d" shows the print dialog: cancelled, no canvas; accepted with the
// print-to-file printer, the document is printed.
TEST_F(Cdwin, PrintDialogCancelledOrAccepted) {
  std::string pdf = Path("dialog.pdf");
  PrintToFile(pdf, 72);
  for (int response : {GTK_RESPONSE_CANCEL, GTK_RESPONSE_OK}) {
    GtkWindow* dialog = nullptr;
    cdCanvasHandle cv = nullptr;
    gtkprobe::During(
        {gtkprobe::Step{"the print dialog shows", [] {},
                        [&] {
                          GList* all = gtk_window_list_toplevels();
                          for (GList* l = all; l; l = l->next)
                            if (GTK_IS_PRINT_UNIX_DIALOG(l->data) &&
                                gtk_widget_get_visible(GTK_WIDGET(l->data)))
                              dialog = GTK_WINDOW(l->data);
                          g_list_free(all);
                          return dialog != nullptr;
                        }},
         gtkprobe::Step{"the printer is chosen", [] {},
                        [&] {
                          return response == GTK_RESPONSE_CANCEL ||
                                 gtk_print_unix_dialog_get_selected_printer(
                                     GTK_PRINT_UNIX_DIALOG(dialog)) != nullptr;
                        }},
         gtkprobe::Step{"answered", [&] { gtk_dialog_response(GTK_DIALOG(dialog), response); },
                        nullptr}},
        [&] { cv = cdCreateCanvas(CD_PRINTER, (void*)"Dialog -d"); });
    if (response == GTK_RESPONSE_CANCEL) {
      EXPECT_EQ(cv, nullptr);
      continue;
    }
    ASSERT_NE(cv, nullptr);
    cdActivate(cv);
    cdText(50, 50, "chosen");
    cdKillCanvas(cv);
    EXPECT_NE(PdfText(pdf).find("chosen"), std::string::npos);
  }
}

// ---- wdHardcopy ----

// A world scene: a frame on the world window, a disc and a cross.
void WorldScene() {
  double xmin, xmax, ymin, ymax;
  wdGetWindow(&xmin, &xmax, &ymin, &ymax);
  cdForeground(cdEncodeColor(0, 0, 0));
  wdLineWidth(0.5);
  wdRect(xmin, xmax, ymin, ymax);
  cdForeground(cdEncodeColor(0, 0, 200));
  wdSector(1000, 500, 400, 400, 0, 360);
  cdForeground(cdEncodeColor(200, 0, 0));
  wdLine(0, 0, 2000, 1000);
  wdLine(0, 1000, 2000, 0);
  wdText(100, 900, "World");
}

// The aspect the world frame keeps on the target (width / height of the ink)
double FrameAspect(const scene::Raster& r) {
  int box[4];
  if (!InkBox(r, box)) return 0;
  return double(box[2] - box[0] + 1) / double(box[3] - box[1] + 1);
}

// The screen canvas is 400 x 200 showing the world 0..2000 x 0..1000; each
// target gets it fitted with the aspect 2 kept, centred and clipped.
TEST_F(Cdwin, HardcopyKeepsTheAspectOnEveryTarget) {
  std::vector<unsigned char> r(400 * 200, 255), g = r, b = r;
  char data[200];
  std::snprintf(data, sizeof data, "400x200 %p %p %p", (void*)r.data(), (void*)g.data(),
                (void*)b.data());
  cdCanvasHandle screen = cdCreateCanvas(CD_IMAGERGB, data);
  ASSERT_NE(screen, nullptr);
  cdActivate(screen);
  wdWindow(0, 2000, 0, 1000);

  // the clipboard's bitmap, square: the frame is 300 wide and 150 high, centred
  ASSERT_EQ(wdHardcopy(CD_CLIPBOARD, (void*)"300x300 -b", screen, WorldScene), CD_OK);
  EXPECT_EQ(cdActiveCanvas(), screen);
  Fetch("image/png", Path("hardcopy.png"));
  scene::Raster copy;
  ASSERT_TRUE(ReadPicture(dir, Path("hardcopy.png"), copy));
  int box[4];
  ASSERT_TRUE(InkBox(copy, box));
  std::printf("clipboard: frame %d..%d x %d..%d\n", box[0], box[2], box[1], box[3]);
  EXPECT_NEAR(FrameAspect(copy), 2.0, 0.03);
  EXPECT_NEAR((box[1] + box[3]) / 2.0, 150, 2);  // centred vertically

  // PostScript on A4, read by Ghostscript at 72 dpi
  std::string ps = Path("hardcopy.ps"), ps_data = ps + " -s72";
  ASSERT_EQ(wdHardcopy(CD_PS, (void*)ps_data.c_str(), screen, WorldScene), CD_OK);
  std::string ppm = Path("hardcopy_ps.ppm");
  ASSERT_EQ(std::system(("gs -q -dSAFER -dBATCH -dNOPAUSE -sDEVICE=ppmraw -r72 -sOutputFile='" +
                         ppm + "' '" + ps + "'")
                            .c_str()),
            0);
  scene::Raster ps_page;
  ASSERT_TRUE(scene::ReadPpm(ppm, ps_page));
  std::printf("PostScript: aspect %.4f\n", FrameAspect(ps_page));
  EXPECT_NEAR(FrameAspect(ps_page), 2.0, 0.03);

  // the printer, into a PDF at 100 dpi
  std::string pdf = Path("hardcopy.pdf");
  PrintToFile(pdf, 100);
  ASSERT_EQ(wdHardcopy(CD_PRINTER, (void*)"Hardcopy", screen, WorldScene), CD_OK);
  scene::Raster pdf_page = PdfPage(pdf, 100);
  std::printf("printer: aspect %.4f\n", FrameAspect(pdf_page));
  EXPECT_NEAR(FrameAspect(pdf_page), 2.0, 0.03);
  EXPECT_NE(PdfText(pdf).find("World"), std::string::npos);

  // a target that cannot be made: an error, and the screen canvas is still active and drawable
  testing::internal::CaptureStderr();
  EXPECT_EQ(wdHardcopy(CD_PS, (void*)"/nonexistent-dir/x.ps", screen, WorldScene), CD_ERROR);
  EXPECT_EQ(wdHardcopy(CD_CLIPBOARD, (void*)"0x0 -b", screen, WorldScene), CD_ERROR);
  testing::internal::GetCapturedStderr();
  EXPECT_EQ(cdActivate(screen), CD_OK);
  cdKillCanvas(screen);
}

}  // namespace
