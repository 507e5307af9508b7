// The DXF driver against ezdxf (reader, auditor and renderer) and against
// the file layout it must write: header, entities, layers, colours, text
// heights, creation data and the committed golden file.
#include <climits>
#include <cmath>
#include <map>

#include "support.h"

namespace dxfdgn {
namespace {

struct DxfEntity {
  std::string kind, layer, ltype, text, style;
  int color = -1, vertices = 0;
  double height = 0, rotation = 0;
  std::vector<std::string> points; /* "x,y,bulge" */
};

struct DxfReading {
  int status = -1;
  int audit_errors = -1;
  long dark_pixels = -1;
  std::vector<DxfEntity> entities;
  std::string raw;
};

std::string Field(const std::string& word, const std::string& key) {
  return word.rfind(key + "=", 0) == 0 ? word.substr(key.size() + 1) : std::string();
}

DxfReading ReadWithEzdxf(const std::string& path, const std::string& png = "") {
  DxfReading r;
  r.raw = Python("check_dxf.py", path + (png.empty() ? "" : " --render " + png), &r.status);
  for (const std::string& line : Lines(r.raw)) {
    std::vector<std::string> w = Split(line);
    if (w.empty()) continue;
    if (w[0] == "audit_errors") r.audit_errors = std::stoi(w[1]);
    if (w[0] == "dark_pixels") r.dark_pixels = std::stol(w[1]);
    if (w[0] != "entity") continue;
    DxfEntity e;
    e.kind = w[1];
    for (size_t i = 2; i < w.size(); i++) {
      if (!Field(w[i], "layer").empty()) e.layer = Field(w[i], "layer");
      if (!Field(w[i], "color").empty()) e.color = std::stoi(Field(w[i], "color"));
      if (!Field(w[i], "ltype").empty()) e.ltype = Field(w[i], "ltype");
      if (!Field(w[i], "vertices").empty()) e.vertices = std::stoi(Field(w[i], "vertices"));
      if (!Field(w[i], "style").empty()) e.style = Field(w[i], "style");
      if (!Field(w[i], "height").empty()) e.height = std::stod(Field(w[i], "height"));
      if (!Field(w[i], "rotation").empty()) e.rotation = std::stod(Field(w[i], "rotation"));
      if (w[i].find(',') != std::string::npos && w[i].find('=') == std::string::npos)
        e.points.push_back(w[i]);
    }
    size_t t = line.find(" text=");
    if (t != std::string::npos) e.text = line.substr(t + 6);
    r.entities.push_back(e);
  }
  return r;
}

/* draws into a fresh DXF file and returns its path */
template <class F>
std::string DrawDxf(const Scratch& dir, const std::string& name, const std::string& options,
                    F draw) {
  std::string path = dir.Path(name);
  Canvas canvas(CD_DXF, path + " " + options);
  EXPECT_TRUE(canvas.ok()) << options;
  if (canvas.ok()) draw();
  return path;
}

/* the value of the first group `code` after the first `entity` line */
double GroupValue(const std::string& file, const std::string& entity, const std::string& code) {
  size_t at = file.find("\n" + entity + "\n");
  at = file.find("\n" + code + "\n", at);
  if (at == std::string::npos) return NAN;
  return std::stod(file.substr(at + code.size() + 2));
}

// ---- the varied scene ----

struct Expected {
  std::string kind;
  int color, vertices;
  std::string ltype;
};

std::vector<Expected> SceneEntities() {
  std::vector<Expected> e;
  const char* types[5] = {"CONTINUOUS", "DASHED", "DOT", "DASHDOT", "DIVIDE"};
  for (int width = 0; width < 2; width++)
    for (const char* t : types) e.push_back({"POLYLINE", 10, 2, t});
  e.push_back({"POLYLINE", 90, 5, "CONTINUOUS"});   /* filled polygon, closed outline */
  e.push_back({"POLYLINE", 170, 6, "CONTINUOUS"});  /* hatched polygon, closed outline */
  e.push_back({"POLYLINE", 50, 5, "CONTINUOUS"});   /* box as an outline */
  e.push_back({"POLYLINE", 50, 5, "CONTINUOUS"});   /* rectangle */
  e.push_back({"POLYLINE", 170, 9, "CONTINUOUS"});  /* arc over 90 degrees: 8 segments */
  e.push_back({"POLYLINE", 170, 2, "CONTINUOUS"});  /* arc from 350 to 10 degrees */
  e.push_back({"POLYLINE", 170, 18, "CONTINUOUS"}); /* sector 30..200: centre, 16, centre */
  e.push_back({"POLYLINE", 170, 33, "CONTINUOUS"}); /* full sector: no centre */
  for (int i = 0; i < 4; i++) e.push_back({"POLYLINE", 170, 2, "CONTINUOUS"}); /* star */
  e.push_back({"POLYLINE", 170, 33, "CONTINUOUS"});                            /* circle */
  e.push_back({"POLYLINE", 170, 5, "CONTINUOUS"});                             /* hollow box */
  e.push_back({"POLYLINE", 170, 5, "CONTINUOUS"});                             /* diamond */
  for (int i = 0; i < 4; i++) e.push_back({"TEXT", 7, 0, ""});
  e.push_back({"POLYLINE", 252, 2, "CONTINUOUS"}); /* the line under the clip, unclipped */
  e.push_back({"POINT", 90, 0, ""});
  return e;
}

TEST(Dxf, SceneIsReadAuditedAndDrawnByEzdxf) {
  Scratch dir;
  std::string path = DrawDxf(dir, "scene.dxf", "250x250 2", [] { DrawScene(false); });
  DxfReading r = ReadWithEzdxf(path, dir.Path("scene.png"));
  ASSERT_EQ(r.status, 0) << r.raw;
  EXPECT_EQ(r.audit_errors, 0) << r.raw;
  std::vector<Expected> want = SceneEntities();
  ASSERT_EQ(r.entities.size(), want.size()) << r.raw;
  for (size_t i = 0; i < want.size(); i++) {
    const DxfEntity& got = r.entities[i];
    EXPECT_EQ(got.kind, want[i].kind) << "entity " << i;
    EXPECT_EQ(got.color, want[i].color) << "entity " << i;
    EXPECT_EQ(got.layer, "0") << "entity " << i;
    if (want[i].kind == "POLYLINE") {
      EXPECT_EQ(got.vertices, want[i].vertices) << "entity " << i;
      EXPECT_EQ(got.ltype, want[i].ltype) << "entity " << i;
    }
  }
  /* the texts, their styles, heights (millimetres) and angles */
  const char* styles[4] = {"STANDARD", "ROMAN_BOLD", "ROMANTIC", "SANSSERIF_BOLD"};
  double heights[4] = {12 * 0.75 / 2.83465, 10 * 0.75 / 2.83465, 20 * 1.125 / 2, 18 / 2.83465};
  size_t t = 0;
  for (const DxfEntity& e : r.entities) {
    if (e.kind != "TEXT") continue;
    ASSERT_LT(t, 4u);
    EXPECT_EQ(e.text, SceneTexts()[t].text);
    EXPECT_EQ(e.style, styles[t]);
    EXPECT_NEAR(e.height, heights[t], 1e-5) << e.text;
    EXPECT_NEAR(e.rotation, SceneTexts()[t].angle, 1e-9) << e.text;
    t++;
  }
  /* the first line in millimetres: pixels (20, 20)-(180, 30) at 2 per mm */
  ASSERT_FALSE(r.entities.empty());
  ASSERT_EQ(r.entities[0].points.size(), 2u);
  EXPECT_EQ(r.entities[0].points[0], "10.000000,10.000000,0.000000");
  EXPECT_EQ(r.entities[0].points[1], "90.000000,15.000000,0.000000");
  /* ezdxf's renderer draws a picture that is not blank */
  EXPECT_GT(r.dark_pixels, 500) << r.raw;
}

TEST(Dxf, WorldSceneWritesTheSameFile) {
  Scratch dir;
  std::string device = DrawDxf(dir, "device.dxf", "250x250 2", [] { DrawScene(false); });
  std::string world = DrawDxf(dir, "world.dxf", "250x250 2", [] { DrawScene(true); });
  std::string a = ReadFile(device), b = ReadFile(world);
  EXPECT_GT(a.size(), 1000u);
  EXPECT_EQ(a, b);
}

// ---- the layout fixed for these files ----

TEST(Dxf, HeaderHoldsLimitsAndPrecision) {
  Scratch dir;
  std::string path = DrawDxf(dir, "h.dxf", "100x50 4", [] {});
  std::string f = ReadFile(path);
  EXPECT_NE(f.find("9\n$LIMMAX\n10\n100.000000\n20\n50.000000\n"), std::string::npos);
  EXPECT_NE(f.find("9\n$EXTMAX\n10\n100.000000\n20\n50.000000\n"), std::string::npos);
  EXPECT_NE(f.find("9\n$LUPREC\n70\n1\n"), std::string::npos);
  EXPECT_EQ(f.rfind("0\nSECTION\n2\nHEADER\n", 0), 0u);
  /* closing: end of section, end of file and a line with one blank */
  std::string tail = "0\nENDSEC\n0\nEOF\n \n";
  ASSERT_GE(f.size(), tail.size());
  EXPECT_EQ(f.substr(f.size() - tail.size()), tail);
  DxfReading r = ReadWithEzdxf(path);
  EXPECT_EQ(r.status, 0) << r.raw;
  EXPECT_EQ(r.audit_errors, 0) << r.raw;
}

TEST(Dxf, LineIsAPolylineInMillimetres) {
  Scratch dir;
  std::string path = DrawDxf(dir, "l.dxf", "100x50 4", [] { cdLine(0, 0, 40, 20); });
  std::string want =
      "0\nPOLYLINE\n8\n0\n6\nCONTINUOUS\n62\n7\n66\n1\n40\n0.250000\n41\n0.250000\n"
      "0\nVERTEX\n8\n0\n10\n0.000000\n20\n0.000000\n"
      "0\nVERTEX\n8\n0\n10\n10.000000\n20\n5.000000\n0\nSEQEND\n";
  EXPECT_NE(ReadFile(path).find(want), std::string::npos);
}

struct ArcCase {
  bool sector;
  double a1, a2;
  int vertices;
  bool centre_ends;
};

TEST(Dxf, ArcsAndSectorsHaveOneSegmentPer11Degrees) {
  const ArcCase cases[] = {
      {false, 0, 90, 9, false},   /* floor(90.5) / 11 = 8 segments and the end */
      {false, 0, 10, 2, false},   /* at least one segment */
      {false, 0, 360, 33, false}, /* a whole ellipse */
      {true, 0, 360, 33, false},  /* a full sector has no centre vertex */
      {true, 0, 180, 19, true},   /* a half one starts and ends at the centre */
      {true, 0, 10, 4, true},     /* a narrow sector keeps its arc and both radii */
  };
  for (const ArcCase& c : cases) {
    Scratch dir;
    std::string path = DrawDxf(dir, "a.dxf", "100x100 4", [&] {
      if (c.sector)
        cdSector(200, 200, 80, 80, c.a1, c.a2);
      else
        cdArc(200, 200, 80, 80, c.a1, c.a2);
    });
    DxfReading r = ReadWithEzdxf(path);
    ASSERT_EQ(r.entities.size(), 1u) << r.raw;
    const DxfEntity& e = r.entities[0];
    EXPECT_EQ(e.vertices, c.vertices) << c.sector << " " << c.a1 << ".." << c.a2;
    ASSERT_EQ(int(e.points.size()), c.vertices);
    bool first_centre = e.points.front() == "50.000000,50.000000,0.000000";
    bool last_centre = e.points.back() == "50.000000,50.000000,0.000000";
    EXPECT_EQ(first_centre, c.centre_ends) << e.points.front();
    EXPECT_EQ(last_centre, c.centre_ends) << e.points.back();
  }
}

TEST(Dxf, CircleArcBulgesAreAQuarterOfEachSegmentsAngle) {
  Scratch dir;
  std::string path = DrawDxf(dir, "b.dxf", "100x100 4", [] { cdArc(200, 200, 80, 80, 0, 90); });
  DxfReading r = ReadWithEzdxf(path);
  ASSERT_EQ(r.entities.size(), 1u) << r.raw;
  const std::vector<std::string>& p = r.entities[0].points;
  ASSERT_EQ(p.size(), 9u);
  char want[64];
  std::snprintf(want, sizeof want, "%.6f", std::tan(90.0 / 8 / 4 * M_PI / 180));
  for (size_t i = 0; i + 1 < p.size(); i++)
    EXPECT_EQ(p[i].substr(p[i].rfind(',') + 1), want) << "vertex " << i;
  EXPECT_EQ(p.back(), "50.000000,60.000000,0.000000"); /* the end at 90 degrees, bulge 0 */
  EXPECT_EQ(p.front(), "60.000000,50.000000,0.049127");
}

TEST(Dxf, EachFlushStartsANewLayer) {
  Scratch dir;
  std::string path = DrawDxf(dir, "f.dxf", "100x100 4", [] {
    cdLine(0, 0, 10, 10);
    cdFlush();
    cdFlush();
    cdLine(0, 0, 10, 10);
    cdPixel(3, 3, kRed);
  });
  DxfReading r = ReadWithEzdxf(path);
  ASSERT_EQ(r.entities.size(), 3u) << r.raw;
  EXPECT_EQ(r.entities[0].layer, "0");
  EXPECT_EQ(r.entities[1].layer, "2");
  EXPECT_EQ(r.entities[2].layer, "2");
  EXPECT_EQ(r.audit_errors, 0) << r.raw;
}

TEST(Dxf, ColoursBecomeTheIndexNearestInHueSaturationAndValue) {
  const std::pair<long, int> cases[] = {
      {0xFF0000, 10},  {0x00FF00, 90},  {0x0000FF, 170},
      {0xFFFF00, 50},  {0x800000, 14},  {0xFF8080, 11}, /* saturation below 55 */
      {0xFF0040, 240}, {0xFF0010, 10},                  /* hue 356 wraps back to red */
      {0x000000, 7},   {0x100000, 7},                   /* value below 17 */
      {0xFFFFFF, 255}, {0x808080, 252}, {0xF0F0E8, 255},
  };
  Scratch dir;
  std::string path = DrawDxf(dir, "c.dxf", "100x100 4", [&] {
    for (auto [color, index] : cases) {
      (void)index;
      cdPixel(1, 1, color);
    }
  });
  DxfReading r = ReadWithEzdxf(path);
  ASSERT_EQ(r.entities.size(), std::size(cases)) << r.raw;
  for (size_t i = 0; i < std::size(cases); i++)
    EXPECT_EQ(r.entities[i].color, cases[i].second) << std::hex << cases[i].first;
}

/* Text heights are millimetres: points over points per millimetre, and
 * pixels over pixels per millimetre. */
TEST(Dxf, PixelFontSizesGiveTheHeightOfTheirPixels) {
  Scratch dir;
  /* at 2.83465 pixels per millimetre a pixel is a point */
  std::string points = DrawDxf(dir, "pt.dxf", "100x100 2.83465", [] {
    cdFont(CD_HELVETICA, CD_PLAIN, 12);
    cdText(10, 10, "x");
  });
  std::string pixels = DrawDxf(dir, "px.dxf", "100x100 2.83465", [] {
    cdFont(CD_HELVETICA, CD_PLAIN, -12);
    cdText(10, 10, "x");
  });
  std::string four = DrawDxf(dir, "four.dxf", "100x100 4", [] {
    cdFont(CD_HELVETICA, CD_PLAIN, -20);
    cdText(10, 10, "x");
  });
  double h_points = GroupValue(ReadFile(points), "TEXT", "40");
  EXPECT_NEAR(h_points, 12 / 2.83465, 1e-6);
  EXPECT_NEAR(GroupValue(ReadFile(pixels), "TEXT", "40"), h_points, 1e-6);
  EXPECT_NEAR(GroupValue(ReadFile(four), "TEXT", "40"), 5.0, 1e-9); /* 20 pixels at 4 per mm */
}

TEST(Dxf, FontMetricsArePixelsOfTheFontSize) {
  Scratch dir;
  Canvas canvas(CD_DXF, dir.Path("m.dxf") + " 100x100 3.78");
  ASSERT_TRUE(canvas.ok());
  /* 12 points at 3.78 pixels per millimetre are 16 pixels */
  int max_width, height, ascent, descent, width, text_height;
  cdFontDim(&max_width, &height, &ascent, &descent);
  EXPECT_EQ(height, 16);
  EXPECT_EQ(ascent, 12);
  EXPECT_EQ(descent, 4);
  EXPECT_EQ(max_width, 12);
  cdTextSize("abc", &width, &text_height);
  EXPECT_EQ(width, 44); /* 2 gaps of e/3 and 3 characters of e, e = 12 */
  EXPECT_EQ(text_height, 16);
  cdFont(CD_HELVETICA, CD_PLAIN, -40); /* 40 pixels high: e = 40 */
  cdFontDim(&max_width, &height, &ascent, &descent);
  EXPECT_EQ(height, 40);
  EXPECT_EQ(ascent, 30);
  EXPECT_EQ(descent, 10);
}

TEST(Dxf, ControlCharactersInTextKeepTheFileReadable) {
  Scratch dir;
  std::string path = DrawDxf(dir, "t.dxf", "100x100 4", [] {
    cdText(10, 10, "two\nlines ^ caret");
    cdLine(0, 0, 10, 10);
  });
  EXPECT_NE(ReadFile(path).find("\n1\ntwo^Jlines ^  caret\n"), std::string::npos);
  DxfReading r = ReadWithEzdxf(path);
  ASSERT_EQ(r.status, 0) << r.raw;
  ASSERT_EQ(r.entities.size(), 2u) << r.raw;
  EXPECT_EQ(r.entities[0].kind, "TEXT");
  EXPECT_EQ(r.entities[1].kind, "POLYLINE");
}

// ---- creation data ----

TEST(Dxf, CreationDataSetsSizeAndResolution) {
  struct Case {
    const char* options;
    int w, h;
    double res;
  };
  const Case cases[] = {
      {"100x50 4", 400, 200, 4},      {"100x50", 378, 189, 3.78},
      {"4", INT_MAX, INT_MAX, 4},   /* one number: the resolution, unlimited size */
      {"", INT_MAX, INT_MAX, 3.78}, /* unlimited */
      {"  10.5x20   2  ", 21, 40, 2},
  };
  for (const Case& c : cases) {
    Scratch dir;
    Canvas canvas(CD_DXF, dir.Path("c.dxf") + " " + c.options);
    ASSERT_TRUE(canvas.ok()) << c.options;
    int w, h;
    double w_mm, h_mm;
    cdGetCanvasSize(&w, &h, &w_mm, &h_mm);
    EXPECT_EQ(w, c.w) << c.options;
    EXPECT_EQ(h, c.h) << c.options;
    double mm_x;
    cdPixel2MM(1, 1, &mm_x, nullptr);
    EXPECT_NEAR(1 / mm_x, c.res, 1e-12) << c.options;
    EXPECT_EQ(cdGetColorPlanes(), 8);
    /* the millimetre size agrees with the pixels */
    EXPECT_LE(std::fabs(w_mm * c.res - w), 1.0) << c.options;
  }
}

TEST(Dxf, BadCreationDataGivesNoCanvasAndNoFile) {
  const char* cases[] = {
      "100x50 0",       /* resolution zero */
      "100x50 -2",      /* negative resolution */
      "0x50 4",         /* empty width */
      "100x-5 4",       /* negative height */
      "1e9x10 4",       /* more pixels than an int holds */
      "100x50 4 extra", /* a word too many */
      "wide",           /* neither a size nor a number */
      "100x50 nan",     /* not a number */
      "100x 4",         /* a size without its height */
      "0.1x0.1 4",      /* less than one pixel */
  };
  for (const char* options : cases) {
    Scratch dir;
    EXPECT_EQ(
        cdCreateCanvas(CD_DXF, const_cast<char*>((dir.Path("x.dxf") + " " + options).c_str())),
        nullptr)
        << options;
    EXPECT_TRUE(dir.Files().empty()) << options;
  }
  EXPECT_EQ(cdCreateCanvas(CD_DXF, const_cast<char*>("")), nullptr);
  EXPECT_EQ(cdCreateCanvas(CD_DXF, const_cast<char*>("   ")), nullptr);
  EXPECT_EQ(cdCreateCanvas(CD_DXF, nullptr), nullptr);
  EXPECT_EQ(cdCreateCanvas(CD_DXF, const_cast<char*>("/nonexistent-folder/x.dxf 10x10")), nullptr);
  EXPECT_FALSE(Exists("/nonexistent-folder"));
}

TEST(Dxf, ContextLacksTheCapabilitiesDxfHasNot) {
  unsigned long caps = cdContextCaps(CD_DXF);
  for (unsigned long lacking : {CD_CAP_CLEAR, CD_CAP_PLAY, CD_CAP_CLIPAREA, CD_CAP_CLIPPOLY,
                                CD_CAP_MARK, CD_CAP_IMAGERGB, CD_CAP_IMAGEMAP, CD_CAP_WD,
                                CD_CAP_HATCH, CD_CAP_PATTERN, CD_CAP_PALETTE, CD_CAP_BACKGROUND})
    EXPECT_EQ(caps & lacking, 0u) << lacking;
  for (unsigned long having :
       {CD_CAP_FLUSH, CD_CAP_RECT, CD_CAP_LINESTYLE, CD_CAP_LINEWITH, CD_CAP_FONT, CD_CAP_FONTDIM,
        CD_CAP_TEXTSIZE, CD_CAP_TEXTORIENTATION})
    EXPECT_NE(caps & having, 0u) << having;
}

// ---- golden ----

void SmallScene() {
  cdForeground(kRed);
  cdLineStyle(CD_DASHED);
  cdLineWidth(2);
  cdLine(10, 10, 90, 30);
  cdLineStyle(CD_CONTINUOUS);
  cdLineWidth(1);
  cdForeground(kGreen);
  cdBegin(CD_FILL);
  cdVertex(20, 40);
  cdVertex(60, 40);
  cdVertex(40, 70);
  cdEnd();
  cdForeground(kBlue);
  cdArc(70, 60, 30, 20, 0, 135);
  cdSector(70, 20, 20, 20, 90, 180);
  cdFont(CD_TIMES_ROMAN, CD_ITALIC, 10);
  cdTextAlignment(CD_CENTER);
  cdText(50, 85, "DXF");
  cdFlush();
  cdPixel(5, 5, kGrey);
}

TEST(Dxf, SmallSceneMatchesItsGoldenByteForByte) {
  Scratch dir;
  std::string path = DrawDxf(dir, "small.dxf", "50x50 2", SmallScene);
  std::string golden = TestData("golden/small.dxf");
  if (std::getenv("VARKO_UPDATE_GOLDENS")) {
    std::filesystem::copy_file(path, golden, std::filesystem::copy_options::overwrite_existing);
  }
  ASSERT_TRUE(Exists(golden)) << golden;
  EXPECT_EQ(ReadFile(path), ReadFile(golden));
  /* the golden itself is a file ezdxf reads and audits clean */
  DxfReading r = ReadWithEzdxf(golden);
  ASSERT_EQ(r.status, 0) << r.raw;
  EXPECT_EQ(r.audit_errors, 0) << r.raw;
  ASSERT_EQ(r.entities.size(), 6u) << r.raw;
  EXPECT_EQ(r.entities[4].text, "DXF");
  EXPECT_EQ(r.entities[5].layer, "1");
}

}  // namespace
}  // namespace dxfdgn
