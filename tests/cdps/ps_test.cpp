// The PostScript driver judged by Ghostscript: every file renders without
// a message, the raster of a varied scene matches our CD_IMAGERGB drawing
// of it, the EPS bounding box encloses the ink gs finds, pages are pages,
// and small files match their golden copies byte for byte (date masked).
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "cd.h"
#include "scene.h"
#include "wd.h"

namespace {

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

bool Exists(const std::string& path) {
  struct stat st;
  return stat(path.c_str(), &st) == 0;
}

class Ps : public ::testing::Test {
 protected:
  void SetUp() override {
    char dir_template[] = "/tmp/cdps_XXXXXX";
    ASSERT_NE(mkdtemp(dir_template), nullptr);
    dir = dir_template;
  }
  // CDPS_KEEP=1 keeps the files for a look
  void TearDown() override {
    if (!std::getenv("CDPS_KEEP")) std::system(("rm -rf '" + dir + "'").c_str());
  }

  std::string Path(const std::string& name) const { return dir + "/" + name; }

  // Runs gs with the arguments on the file; its exit status, with whatever it
  // wrote to stdout and stderr in `messages`.
  int Gs(const std::string& args, const std::string& file, std::string* messages) {
    std::string log = Path("gs.log");
    std::string cmd =
        "gs -q -dSAFER -dBATCH -dNOPAUSE " + args + " '" + file + "' >'" + log + "' 2>&1";
    int status = std::system(cmd.c_str());
    *messages = ReadFile(log);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }

  // Renders a page of w x h device pixels at dpi; the raster or an empty one.
  scene::Raster Render(const std::string& file, int w, int h, int dpi) {
    std::string out = Path("page.ppm"), messages;
    char args[256];
    std::snprintf(args, sizeof args, "-sDEVICE=ppmraw -r%d -g%dx%d -dFIXEDMEDIA -sOutputFile='%s'",
                  dpi, w, h, out.c_str());
    int status = Gs(args, file, &messages);
    EXPECT_EQ(status, 0) << messages;
    EXPECT_EQ(messages, "") << "Ghostscript said something about " << file;
    scene::Raster r;
    EXPECT_TRUE(scene::ReadPpm(out, r));
    return r;
  }

  // The %%HiResBoundingBox gs finds for the ink of a file.
  bool InkBox(const std::string& file, double box[4]) {
    std::string messages;
    EXPECT_EQ(Gs("-sDEVICE=bbox", file, &messages), 0) << messages;
    size_t at = messages.find("%%HiResBoundingBox:");
    if (at == std::string::npos) return false;
    return std::sscanf(messages.c_str() + at, "%%%%HiResBoundingBox: %lf %lf %lf %lf", &box[0],
                       &box[1], &box[2], &box[3]) == 4;
  }

  std::string dir;
};

// The box our file declares: xmin ymin xmax ymax.
bool DeclaredBox(const std::string& text, int box[4]) {
  size_t at = text.find("%%BoundingBox:");
  return at != std::string::npos && std::sscanf(text.c_str() + at, "%%%%BoundingBox: %d %d %d %d",
                                                &box[0], &box[1], &box[2], &box[3]) == 4;
}

struct RgbScene {
  std::vector<unsigned char> r, g, b;
  scene::Raster Draw(int w, int h, const char* resolution, bool text) {
    r.assign(size_t(w) * h, 255), g = r, b = r;
    char data[160];
    std::snprintf(data, sizeof data, "%dx%d %p %p %p -r%s", w, h, (void*)r.data(), (void*)g.data(),
                  (void*)b.data(), resolution);
    cdCanvasHandle cv = cdCreateCanvas(CD_IMAGERGB, data);
    EXPECT_NE(cv, nullptr);
    cdActivate(cv);
    scene::Draw(text);
    cdKillCanvas(cv);
    return scene::FromPlanes(w, h, r, g, b);
  }
};

// A page of exactly 400 x 301 points without margins at 72 dpi: one device
// pixel is one point, and the raster canvas gets the same resolution.
const char* kPageOptions = "-w141 -h106 -l0 -r0 -b0 -t0 -s72";

std::string MakeScene(const std::string& file, const std::string& options, bool text) {
  std::string data = file + " " + options;
  cdCanvasHandle cv = cdCreateCanvas(CD_PS, (void*)data.c_str());
  if (!cv) return "";
  cdActivate(cv);
  int w, h;
  cdGetCanvasSize(&w, &h, nullptr, nullptr);
  scene::Draw(text);
  cdKillCanvas(cv);
  return std::to_string(w) + "x" + std::to_string(h);
}

// The overlap measure: a pixel of ink on one side counts as matched when the
// other side has ink of a close colour (each channel within 60) within 2
// pixels. Two pixels, because PostScript paints every pixel a path touches
// while the raster draws pixel centres (a 1-wide line at y = 10 covers rows 9
// and 10 in gs), and arcs and dashes are traced differently. Tolerance 60
// for the anti-aliasing-free but differently rounded hatch and image edges.
// Threshold 0.97 both ways (measured: 0.985). The texts are a small part of
// this scene; TextsMatchLoosely measures them alone.
TEST_F(Ps, SceneRasterMatchesTheRgbCanvas) {
  for (bool text : {false, true}) {
    std::string file = Path(text ? "scene_text.ps" : "scene.ps");
    ASSERT_EQ(MakeScene(file, kPageOptions, text), "400x301");
    scene::Raster gs = Render(file, 400, 301, 72);
    ASSERT_EQ(gs.w, 400);
    RgbScene rgb;
    scene::Raster ours = rgb.Draw(400, 301, "2.84", text);
    if (std::getenv("CDPS_KEEP")) {
      FILE* f = std::fopen(Path(text ? "ours_text.ppm" : "ours.ppm").c_str(), "wb");
      std::fprintf(f, "P6\n%d %d\n255\n", ours.w, ours.h);
      std::fwrite(ours.rgb.data(), 1, ours.rgb.size(), f);
      std::fclose(f);
      std::rename(Path("page.ppm").c_str(), Path(text ? "gs_text.ppm" : "gs.ppm").c_str());
    }
    double ours_in_gs = scene::Matched(ours, gs, 2, 60),
           gs_in_ours = scene::Matched(gs, ours, 2, 60);
    double threshold = 0.97;
    std::printf("%s: ink %ld (ours) %ld (gs); matched %.4f of ours, %.4f of gs\n",
                text ? "with texts" : "geometry", scene::InkCount(ours), scene::InkCount(gs),
                ours_in_gs, gs_in_ours);
    EXPECT_GE(ours_in_gs, threshold);
    EXPECT_GE(gs_in_ours, threshold);
  }
}

// The texts alone, where the fonts differ: Ghostscript's URW Type 1 faces
// against our Liberation TrueType faces (metric-compatible, so the words
// sit in the same places, but with other outlines and stems); the
// threshold is 0.95 both ways (measured: 0.997 and 1.0).
TEST_F(Ps, TextsMatchLoosely) {
  std::string file = Path("texts.ps"), data = file + " " + kPageOptions;
  cdCanvasHandle cv = cdCreateCanvas(CD_PS, (void*)data.c_str());
  ASSERT_NE(cv, nullptr);
  cdActivate(cv);
  scene::Text();
  cdKillCanvas(cv);
  scene::Raster gs = Render(file, 400, 301, 72);
  std::vector<unsigned char> r(400 * 301, 255), g = r, b = r;
  char rgb[160];
  std::snprintf(rgb, sizeof rgb, "400x301 %p %p %p -r2.84", (void*)r.data(), (void*)g.data(),
                (void*)b.data());
  cv = cdCreateCanvas(CD_IMAGERGB, rgb);
  ASSERT_NE(cv, nullptr);
  cdActivate(cv);
  scene::Text();
  cdKillCanvas(cv);
  scene::Raster ours = scene::FromPlanes(400, 301, r, g, b);
  double ours_in_gs = scene::Matched(ours, gs, 2, 60), gs_in_ours = scene::Matched(gs, ours, 2, 60);
  std::printf("texts: ink %ld (ours) %ld (gs); matched %.4f of ours, %.4f of gs\n",
              scene::InkCount(ours), scene::InkCount(gs), ours_in_gs, gs_in_ours);
  EXPECT_GE(ours_in_gs, 0.95);
  EXPECT_GE(gs_in_ours, 0.95);
}

// Hatch and stipple tiles take the colours in force at the fill, even when
// the foreground changes after cdHatch.
TEST_F(Ps, FillTilesFollowTheColours) {
  std::string file = Path("tiles.ps"), data = file + " " + kPageOptions;
  cdCanvasHandle cv = cdCreateCanvas(CD_PS, (void*)data.c_str());
  ASSERT_NE(cv, nullptr);
  cdActivate(cv);
  cdHatch(CD_HORIZONTAL);
  cdForeground(cdEncodeColor(0, 0, 255));
  cdBox(0, 99, 0, 99);
  cdForeground(cdEncodeColor(255, 0, 0));
  cdBox(200, 299, 0, 99);
  cdKillCanvas(cv);
  scene::Raster gs = Render(file, 400, 301, 72);
  auto has = [&](int x0, int x1, long color) {
    for (int y = 0; y < 100; y++)
      for (int x = x0; x < x1; x++) {
        const unsigned char* p = gs.At(x, gs.h - 1 - y);
        if (cdEncodeColor(p[0], p[1], p[2]) == color) return true;
      }
    return false;
  };
  EXPECT_TRUE(has(0, 99, cdEncodeColor(0, 0, 255)));
  EXPECT_FALSE(has(0, 99, 0));
  EXPECT_TRUE(has(200, 299, cdEncodeColor(255, 0, 0)));
  EXPECT_FALSE(has(200, 299, cdEncodeColor(0, 0, 255)));
}

// Clip polygons, given in device or world units, cut the fills as gs
// draws them: a triangle clip keeps the box's ink inside it only.
TEST_F(Ps, ClipPolygonInDeviceAndWorldUnits) {
  for (bool world : {false, true}) {
    std::string file = Path("clip.ps"), data = file + " " + kPageOptions;
    cdCanvasHandle cv = cdCreateCanvas(CD_PS, (void*)data.c_str());
    ASSERT_NE(cv, nullptr);
    cdActivate(cv);
    wdWindow(0, 39.9, 0, 30);  // ten pixels a unit
    cdBegin(CD_CLIP);
    if (world) {
      wdVertex(10, 5);
      wdVertex(30, 5);
      wdVertex(20, 25);
    } else {
      cdVertex(100, 50);
      cdVertex(300, 50);
      cdVertex(200, 250);
    }
    cdEnd();
    cdClip(CD_CLIPPOLYGON);
    if (world)
      wdBox(0, 39.9, 0, 30);
    else
      cdBox(0, 399, 0, 300);
    cdKillCanvas(cv);
    scene::Raster gs = Render(file, 400, 301, 72);
    auto ink = [&](int x, int y) { return gs.Ink(x, gs.h - 1 - y); };
    EXPECT_TRUE(ink(200, 100)) << world;
    EXPECT_TRUE(ink(150, 60)) << world;
    EXPECT_FALSE(ink(110, 200)) << world;
    EXPECT_FALSE(ink(200, 270)) << world;
    EXPECT_FALSE(ink(50, 20)) << world;
  }
}

// World drawing in map coordinates (metres, seven digits before the point)
// keeps its digits in the file and lands where it belongs on the page.
TEST_F(Ps, WorldCoordinatesKeepTheirDigits) {
  std::string file = Path("utm.ps"), data = file + " " + kPageOptions;
  cdCanvasHandle cv = cdCreateCanvas(CD_PS, (void*)data.c_str());
  ASSERT_NE(cv, nullptr);
  cdActivate(cv);
  wdWindow(6543210.5, 6543609.5, 1234567.25, 1234867.25);  // a unit a pixel
  wdBox(6543310.5, 6543510.5, 1234667.25, 1234767.25);     // device 100..300 x 100..200
  cdKillCanvas(cv);
  std::string text = ReadFile(file);
  EXPECT_NE(text.find("\n6543310.5 1234667.25 M\n"), std::string::npos);
  scene::Raster gs = Render(file, 400, 301, 72);
  auto ink = [&](int x, int y) { return gs.Ink(x, gs.h - 1 - y); };
  EXPECT_TRUE(ink(102, 150));
  EXPECT_TRUE(ink(298, 150));
  EXPECT_FALSE(ink(96, 150));
  EXPECT_FALSE(ink(304, 150));
  EXPECT_TRUE(ink(200, 102));
  EXPECT_FALSE(ink(200, 96));
}

// The measure sees a fault: the scene against the scene without its
// hatched polygon and lower band does not pass.
TEST_F(Ps, OverlapMeasureRejectsAMissingPart) {
  std::string file = Path("scene.ps");
  ASSERT_EQ(MakeScene(file, kPageOptions, false), "400x301");
  scene::Raster gs = Render(file, 400, 301, 72);
  RgbScene rgb;
  scene::Raster ours = rgb.Draw(400, 301, "2.84", false);
  for (int y = 0; y < 140; y++)  // blank the lower part of our picture
    for (int x = 0; x < ours.w; x++)
      for (int c = 0; c < 3; c++) ours.rgb[(size_t(ours.h - 1 - y) * ours.w + x) * 3 + c] = 255;
  EXPECT_LT(scene::Matched(gs, ours, 2, 60), 0.9);
}

// World drawing keeps the line width in pixels: a 4-pixel world line and a
// 4-pixel device line are equally thick in gs.
TEST_F(Ps, WorldLineWidthIsInPixels) {
  std::string file = Path("width.ps");
  std::string data = file + " " + kPageOptions;
  cdCanvasHandle cv = cdCreateCanvas(CD_PS, (void*)data.c_str());
  ASSERT_NE(cv, nullptr);
  cdActivate(cv);
  cdLineWidth(4);
  cdLine(20, 100, 380, 100);
  wdWindow(0, 40, 0, 30.1);  // 10 pixels a unit both ways
  wdLine(2, 20, 38, 20);     // y = 200
  cdKillCanvas(cv);
  scene::Raster gs = Render(file, 400, 301, 72);
  auto thickness = [&](int device_y) {
    int rows = 0;
    for (int y = device_y - 8; y <= device_y + 8; y++) rows += gs.Ink(200, gs.h - 1 - y);
    return rows;
  };
  EXPECT_GE(thickness(100), 4);
  EXPECT_EQ(thickness(200), thickness(100));
}

// The EPS box encloses the ink gs finds, within a point, in default and
// clipped drawing. A text's far corner is an estimate (half the widest
// character per character), so its box is only checked to enclose the ink
// (BoundingBoxOfTextEnclosesTheInk).
TEST_F(Ps, EpsBoundingBoxIsTheInk) {
  struct Case {
    const char* name;
    void (*draw)();
  };
  const Case cases[] = {
      {"geometry", [] { scene::Geometry(); }},
      {"one line", [] { cdLine(10, 10, 20, 20); }},
      {"thick line",
       [] {
         cdLineWidth(9);
         cdLine(100, 50, 300, 60);
       }},
      {"circle", [] { cdArc(200, 200, 100, 100, 0, 360); }},
      {"quarter sector", [] { cdSector(200, 200, 100, 60, 10, 80); }},
      {"clipped box",
       [] {
         cdClipArea(50, 80, 50, 80);
         cdClip(CD_CLIPAREA);
         cdBox(0, 200, 0, 200);
       }},
      {"world box",
       [] {
         wdWindow(0, 10, 0, 10);
         wdBox(2, 4, 3, 7);
       }},
  };
  for (const Case& c : cases) {
    std::string file = Path("box.eps"), data = file + " -e -s72";
    cdCanvasHandle cv = cdCreateCanvas(CD_PS, (void*)data.c_str());
    ASSERT_NE(cv, nullptr);
    cdActivate(cv);
    c.draw();
    cdKillCanvas(cv);
    int box[4];
    ASSERT_TRUE(DeclaredBox(ReadFile(file), box)) << c.name;
    double ink[4];
    ASSERT_TRUE(InkBox(file, ink)) << c.name;
    for (int k = 0; k < 4; k++) EXPECT_NEAR(box[k], ink[k], 1.0) << c.name << " side " << k;
    std::string messages;
    EXPECT_EQ(Gs("-sDEVICE=nullpage", file, &messages), 0);
    EXPECT_EQ(messages, "") << c.name;
  }
}

TEST_F(Ps, BoundingBoxOfTextEnclosesTheInk) {
  std::string file = Path("text.eps"), data = file + " -e -s72";
  cdCanvasHandle cv = cdCreateCanvas(CD_PS, (void*)data.c_str());
  ASSERT_NE(cv, nullptr);
  cdActivate(cv);
  cdFont(CD_HELVETICA, CD_PLAIN, 14);
  cdText(100, 100, "Estimate");
  cdKillCanvas(cv);
  int box[4];
  double ink[4];
  ASSERT_TRUE(DeclaredBox(ReadFile(file), box));
  ASSERT_TRUE(InkBox(file, ink));
  EXPECT_LE(box[0], ink[0] + 1);
  EXPECT_LE(box[1], ink[1] + 1);
  EXPECT_GE(box[2], ink[2] - 1);
  EXPECT_GE(box[3], ink[3] - 1);
}

// -d widens the box by its margin around every point. The line from
// (10, 10) to (20, 20) at 300 dpi on an A4 page with 25.4 mm margins (72.136
// points) lies at 74.536 .. 76.936 points, its pen reaching 0.085 point
// further across the diagonal: 74.45 .. 77.02, written as 74 and 78. The ink
// is clamped to the printable area or the clip rectangle (it cannot leave
// them), the first point as every other; the -d margin is then added whole,
// even where it reaches beyond them: -d1 (2.84 points) gives 71 .. 80 although
// the printable area starts at 72.136.
TEST_F(Ps, BoundingBoxMarginsAndTheirClamp) {
  struct Case {
    const char* options;
    int x2, y2;  // the line runs from (10, 10) to here
    int clip;    // clip to (0..30, 0..30) first
    int want[4];
  };
  const Case cases[] = {
      {"-e", 20, 20, 0, {74, 74, 78, 78}},
      {"-e -d1", 20, 20, 0, {71, 71, 80, 80}},
      // no page margins: 2.315 - 2.84 = -0.525 below, the clip edge at 30
      // pixels (7.2 points) + 2.84 = 10.04 above
      {"-e -d1 -l0 -b0", 100, 100, 1, {-1, -1, 11, 11}},
      {"-e -l0 -b0", 100, 100, 1, {2, 2, 8, 8}},
  };
  for (const Case& c : cases) {
    std::string file = Path("d.eps"), data = file + " " + c.options;
    cdCanvasHandle cv = cdCreateCanvas(CD_PS, (void*)data.c_str());
    ASSERT_NE(cv, nullptr) << c.options;
    cdActivate(cv);
    if (c.clip) {
      cdClipArea(0, 30, 0, 30);
      cdClip(CD_CLIPAREA);
    }
    cdLine(10, 10, c.x2, c.y2);
    cdKillCanvas(cv);
    std::string text = ReadFile(file);
    int box[4];
    ASSERT_TRUE(DeclaredBox(text, box)) << c.options;
    for (int k = 0; k < 4; k++) EXPECT_EQ(box[k], c.want[k]) << c.options << " side " << k;
    double ink[4];
    ASSERT_TRUE(InkBox(file, ink));
    EXPECT_LE(box[0], ink[0]);
    EXPECT_LE(box[1], ink[1]);
    EXPECT_GE(box[2], ink[2]);
    EXPECT_GE(box[3], ink[3]);
  }
}

TEST_F(Ps, FlushStartsANewPage) {
  std::string file = Path("pages.ps"), data = file + " " + kPageOptions;
  cdCanvasHandle cv = cdCreateCanvas(CD_PS, (void*)data.c_str());
  ASSERT_NE(cv, nullptr);
  cdActivate(cv);
  cdClipArea(0, 199, 0, 300);
  cdClip(CD_CLIPAREA);
  cdBox(10, 100, 10, 100);
  cdFlush();
  cdForeground(cdEncodeColor(255, 0, 0));
  cdBox(150, 390, 150, 290);  // the clip carries over: cut at x = 200
  cdKillCanvas(cv);
  std::string text = ReadFile(file);
  EXPECT_NE(text.find("%%Page: 2 2\n"), std::string::npos);
  EXPECT_NE(text.find("%%Pages: 2 1\n"), std::string::npos);

  std::string messages;
  std::string args =
      "-sDEVICE=ppmraw -r72 -g400x301 -dFIXEDMEDIA -sOutputFile='" + Path("p%d.ppm") + "'";
  ASSERT_EQ(Gs(args, file, &messages), 0) << messages;
  EXPECT_EQ(messages, "");
  scene::Raster p1, p2;
  ASSERT_TRUE(scene::ReadPpm(Path("p1.ppm"), p1));
  ASSERT_TRUE(scene::ReadPpm(Path("p2.ppm"), p2));
  EXPECT_FALSE(Exists(Path("p3.ppm")));
  EXPECT_TRUE(p1.Ink(50, 300 - 50));
  EXPECT_FALSE(p1.Ink(250, 300 - 200));
  EXPECT_FALSE(p2.Ink(50, 300 - 50));
  EXPECT_EQ(p2.At(180, 300 - 200)[0], 255);  // red inside the clip
  EXPECT_TRUE(p2.Ink(180, 300 - 200));
  EXPECT_FALSE(p2.Ink(250, 300 - 200));  // cut by the clip
}

TEST_F(Ps, FlushIsRefusedInEps) {
  std::string file = Path("one.eps"), data = file + " -e";
  cdCanvasHandle cv = cdCreateCanvas(CD_PS, (void*)data.c_str());
  ASSERT_NE(cv, nullptr);
  cdActivate(cv);
  cdLine(0, 0, 100, 100);
  testing::internal::CaptureStderr();
  cdFlush();
  std::string said = testing::internal::GetCapturedStderr();
  cdLine(100, 0, 0, 100);
  cdKillCanvas(cv);
  EXPECT_EQ(said, "CanvasDraw: flush not allowed in EPS mode... ignoring\n");
  std::string text = ReadFile(file);
  EXPECT_EQ(text.find("%%Page: 2"), std::string::npos);
  EXPECT_NE(text.find("%%Pages: 1 1\n"), std::string::npos);
}

// The edge cases the driver's description names.
TEST_F(Ps, DefaultPageAndWrittenForms) {
  std::string file = Path("a4.ps");
  cdCanvasHandle cv = cdCreateCanvas(CD_PS, (void*)file.c_str());
  ASSERT_NE(cv, nullptr);
  cdActivate(cv);
  int w, h;
  cdGetCanvasSize(&w, &h, nullptr, nullptr);
  EXPECT_EQ(w, 1878);
  EXPECT_EQ(h, 2907);
  cdLineStyle(CD_DASHED);
  cdLine(0, 0, 100, 0);
  cdLineStyle(CD_CONTINUOUS);
  cdText(100, 100, "a (b) c\\");
  cdFont(CD_TIMES_ROMAN, CD_BOLD, 12);
  cdArc(500, 500, 200, 100, 0, 90);
  cdArc(800, 500, 100, 100, 0, 90);
  cdNativeFont("Helvetica-Narrow 10");
  cdNativeFont("Bad(Name) 10");  // not a PostScript name: nothing written
  cdKillCanvas(cv);
  std::string text = ReadFile(file);
  EXPECT_EQ(text.rfind("%!PS-Adobe-2.0 \n", 0), 0u);
  size_t date = text.find("\n%%CreationDate: ");
  ASSERT_NE(date, std::string::npos);
  std::string when = text.substr(date + 17, text.find('\n', date + 1) - date - 17);
  char weekday[4], month[4];
  int day, hour, minute, second, year;
  EXPECT_EQ(when.size(), 24u) << when;  // the 24 characters of the C time form
  EXPECT_EQ(std::sscanf(when.c_str(), "%3s %3s %2d %2d:%2d:%2d %4d", weekday, month, &day, &hour,
                        &minute, &second, &year),
            7)
      << when;
  EXPECT_NE(text.find("\n[35.4331 11.811] 0 setdash\n"), std::string::npos);
  EXPECT_NE(text.find("\n(a \\(b\\) c\\\\)\n"), std::string::npos);
  EXPECT_NE(text.find("\n50 /Times-Bold /Times-Bold-Latin1 ChgFnt\n"), std::string::npos);
  EXPECT_NE(text.find("%%DocumentFonts: Courier Times-Bold Helvetica-Narrow\n"), std::string::npos);
  EXPECT_NE(text.find("\n41 /Helvetica-Narrow /Helvetica-Narrow-Latin1 ChgFnt\n"),
            std::string::npos);
  EXPECT_EQ(text.find("Bad("), std::string::npos);
  EXPECT_NE(text.find("\n500 500 translate\n1 0.5 scale\nN\n0 0 100 0 90 arc\nS\nsetmatrix\n"),
            std::string::npos);
  EXPECT_NE(text.find("\nN\n800 500 50 0 90 arc\nS\n"), std::string::npos);
  std::string messages;
  EXPECT_EQ(Gs("-sDEVICE=nullpage", file, &messages), 0);
  EXPECT_EQ(messages, "");

  std::string eps = Path("a4.eps"), data = eps + " -e";
  cv = cdCreateCanvas(CD_PS, (void*)data.c_str());
  ASSERT_NE(cv, nullptr);
  cdKillCanvas(cv);
  EXPECT_EQ(ReadFile(eps).rfind("%!PS-Adobe-2.0 EPSF-2.0\n", 0), 0u);
}

// An unwritable file, an empty data string and options out of range give
// no canvas and leave no file behind.
TEST_F(Ps, BadCreationDataGivesNoCanvas) {
  struct Case {
    std::string data;
    std::string file;  // must not exist afterwards
  };
  const Case cases[] = {
      {"", ""},
      {"   ", ""},
      {Path("missing/dir/x.ps"), Path("missing/dir/x.ps")},
      {Path("s0.ps") + " -s0", Path("s0.ps")},
      {Path("sneg.ps") + " -s-300", Path("sneg.ps")},
      {Path("sword.ps") + " -sabc", Path("sword.ps")},
      {Path("w.ps") + " -w-10", Path("w.ps")},
      {Path("h.ps") + " -h0", Path("h.ps")},
      {Path("wide.ps") + " -w1000000", Path("wide.ps")},
      {Path("margins.ps") + " -l150 -r150", Path("margins.ps")},
      {Path("lneg.ps") + " -l-1", Path("lneg.ps")},
      {Path("d.ps") + " -e -d-2", Path("d.ps")},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(cdCreateCanvas(CD_PS, (void*)c.data.c_str()), nullptr) << c.data;
    if (!c.file.empty()) {
      EXPECT_FALSE(Exists(c.file)) << c.data;
    }
  }
  EXPECT_EQ(cdCreateCanvas(CD_PS, nullptr), nullptr);
  // other letters are ignored, and a paper index out of range keeps A4
  std::string ok = Path("ok.ps") + " -x -p9";
  cdCanvasHandle cv = cdCreateCanvas(CD_PS, (void*)ok.c_str());
  ASSERT_NE(cv, nullptr);
  cdActivate(cv);
  int w;
  cdGetCanvasSize(&w, nullptr, nullptr, nullptr);
  EXPECT_EQ(w, 1878);
  cdKillCanvas(cv);
}

// ---- byte goldens ----

// the small scene of the goldens: a few primitives and every attribute kind
void SmallScene() {
  cdForeground(cdEncodeColor(255, 0, 0));
  cdLineWidth(2);
  cdLineStyle(CD_DASH_DOT);
  cdLine(10, 10, 90, 40);
  cdLineStyle(CD_CONTINUOUS);
  cdLineWidth(1);
  cdRect(5, 95, 5, 75);
  cdHatch(CD_CROSS);
  cdBox(20, 40, 50, 70);
  cdInteriorStyle(CD_SOLID);
  cdSector(70, 60, 20, 10, 0, 180);
  cdArc(70, 20, 16, 16, 90, 270);
  cdFont(CD_HELVETICA, CD_ITALIC, 8);
  cdTextAlignment(CD_NORTH_EAST);
  cdText(90, 70, "x(1)");
  unsigned char r[4] = {0, 255, 0, 255}, g[4] = {0, 0, 255, 255}, b[4] = {255, 0, 0, 255};
  cdPutImageRectRGB(2, 2, r, g, b, 50, 10, 8, 8, 0, 0, 0, 0);
  cdClipArea(0, 50, 0, 50);
  cdClip(CD_CLIPAREA);
  wdWindow(0, 1, 0, 1);
  wdLine(0, 0, 1, 1);
  cdClip(CD_CLIPOFF);
  cdMarkType(CD_DIAMOND);
  cdMark(30, 30);
}

std::string MaskDate(std::string text) {
  size_t at = text.find("%%CreationDate: ");
  if (at != std::string::npos) {
    size_t end = text.find('\n', at);
    text.replace(at, end - at, "%%CreationDate: (masked)");
  }
  return text;
}

TEST_F(Ps, GoldenFiles) {
  for (const char* name : {"small.ps", "small.eps"}) {
    bool eps = std::string(name) == "small.eps";
    std::string file = Path(name), data = file + " -w35.2 -h28.2 -l0 -r0 -b0 -t0 -s72";
    if (eps) data += " -e -d0.5";
    cdCanvasHandle cv = cdCreateCanvas(CD_PS, (void*)data.c_str());
    ASSERT_NE(cv, nullptr);
    cdActivate(cv);
    SmallScene();
    cdKillCanvas(cv);
    std::string messages;
    ASSERT_EQ(Gs("-sDEVICE=nullpage", file, &messages), 0);  // gs reads it first
    ASSERT_EQ(messages, "") << name;
    std::string now = MaskDate(ReadFile(file));
    std::string golden = std::string(VARKO_TEST_DATA) + "/golden/" + name;
    if (std::getenv("VARKO_UPDATE_GOLDENS")) {
      std::ofstream(golden, std::ios::binary) << now;
      continue;
    }
    ASSERT_TRUE(Exists(golden)) << golden;
    EXPECT_EQ(ReadFile(golden), now) << name;
    EXPECT_EQ(Gs("-sDEVICE=nullpage", golden, &messages), 0);
    EXPECT_EQ(messages, "") << "the golden " << name;
  }
}

// An image's rows are six lower-case hexadecimal digits per pixel, one line
// per row, bottom row first; a map put writes the very bytes of an RGB put
// of its decoded colours, part rectangles included.
TEST_F(Ps, ImageRowsAreHexOfTheChosenPixels) {
  const int iw = 5, ih = 3;
  const long palette[4] = {cdEncodeColor(0x0a, 0xf0, 0x9b), cdEncodeColor(0, 0, 0),
                           cdEncodeColor(255, 255, 255), cdEncodeColor(0x12, 0xc3, 0x7e)};
  const unsigned char index[iw * ih] = {0, 1, 2, 3, 0, 3, 2, 1, 0, 3, 1, 1, 3, 2, 0};
  unsigned char r[iw * ih], g[iw * ih], b[iw * ih];
  for (int i = 0; i < iw * ih; i++) cdDecodeColor(palette[index[i]], &r[i], &g[i], &b[i]);
  std::string expected;  // columns 1..3 of rows 1..2
  for (int row = 1; row <= 2; row++) {
    for (int col = 1; col <= 3; col++) {
      char hex[8];
      int i = row * iw + col;
      std::snprintf(hex, sizeof hex, "%02x%02x%02x", r[i], g[i], b[i]);
      expected += hex;
    }
    expected += "\n";
  }
  std::string written[2];
  for (int map = 0; map < 2; map++) {
    std::string file = Path(map ? "map.ps" : "rgb.ps"),
                data = file + " -w30 -h30 -l0 -r0 -b0 -t0 -s72";
    cdCanvasHandle cv = cdCreateCanvas(CD_PS, (void*)data.c_str());
    ASSERT_NE(cv, nullptr);
    cdActivate(cv);
    if (map)
      cdPutImageRectMap(iw, ih, index, palette, 10, 10, 30, 20, 1, 3, 1, 2);
    else
      cdPutImageRectRGB(iw, ih, r, g, b, 10, 10, 30, 20, 1, 3, 1, 2);
    cdKillCanvas(cv);
    written[map] = MaskDate(ReadFile(file));
    std::string messages;
    EXPECT_EQ(Gs("-sDEVICE=nullpage", file, &messages), 0) << messages;
  }
  size_t at = written[0].rfind("colorimage\n");  // the last: the prologue has one
  ASSERT_NE(at, std::string::npos);
  EXPECT_EQ(written[0].substr(at + 11, expected.size() + 9), expected + "setmatrix");
  EXPECT_EQ(written[1], written[0]);
}

}  // namespace
