// The DGN driver against GDAL/OGR and against the element layout it must
// write: element words, complex elements, the colour table, the seed file
// (found, copied, and refused when bad), creation data and the golden file.
#include <climits>
#include <cmath>

#include "support.h"

namespace dxfdgn {
namespace {

std::string Seed() {
  return TestData("seeds/seed2d.dgn");
}

/* ---- our own walk over the words, for what OGR does not show ---- */

struct Element {
  int type, level;
  bool complex;
  std::vector<unsigned> w; /* all words, header included */
  int32_t Long(size_t at) const { return int32_t(uint32_t(w[at]) << 16 | w[at + 1]); }
  int32_t Range(size_t at) const {
    return int32_t((uint32_t(w[at]) << 16 | w[at + 1]) ^ 0x80000000u);
  }
  int Color() const { return int(w[17] >> 8); }
  int Weight() const { return int(w[17] >> 3 & 0x1F); }
  int Style() const { return int(w[17] & 7); }
};

struct Design {
  std::vector<Element> elements;
  bool ended = false; /* the end-of-design word was found */
  size_t bytes = 0;
};

Design Walk(const std::string& data, size_t skip = 0) {
  Design d;
  d.bytes = data.size();
  size_t at = skip;
  auto word = [&](size_t i) {
    return unsigned((unsigned char)data[i]) | unsigned((unsigned char)data[i + 1]) << 8;
  };
  while (at + 2 <= data.size()) {
    unsigned head = word(at);
    if (head == 0xFFFF) {
      d.ended = true;
      break;
    }
    if (at + 4 > data.size()) break;
    size_t n = 2 + word(at + 2);
    if (at + 2 * n > data.size()) break;
    Element e{int(head >> 8 & 0x7F), int(head & 0x3F), (head & 0x80) != 0, {}};
    for (size_t i = 0; i < n; i++) e.w.push_back(word(at + 2 * i));
    d.elements.push_back(e);
    at += 2 * n;
  }
  return d;
}

std::vector<Element> OfType(const Design& d, int type) {
  std::vector<Element> out;
  for (const Element& e : d.elements)
    if (e.type == type) out.push_back(e);
  return out;
}

/* ---- OGR ---- */

struct Feature {
  int type = 0, color = -1, weight = -1, style = -1;
  bool fill = false;
  std::string rgb, text, geometry;
};

struct OgrReading {
  int status = -1;
  std::vector<Feature> features;
  std::string raw;
};

OgrReading ReadWithOgr(const std::string& path) {
  OgrReading r;
  r.raw = Python("check_dgn.py", path, &r.status);
  for (const std::string& line : Lines(r.raw)) {
    if (line.rfind("feature ", 0) != 0) continue;
    Feature f;
    std::vector<std::string> w = Split(line.substr(0, line.find(" geometry=")));
    for (const std::string& word : w) {
      size_t eq = word.find('=');
      if (eq == std::string::npos) continue;
      std::string key = word.substr(0, eq), value = word.substr(eq + 1);
      if (key == "type") f.type = std::stoi(value);
      if (key == "color") f.color = std::stoi(value);
      if (key == "weight") f.weight = std::stoi(value);
      if (key == "style") f.style = std::stoi(value);
      if (key == "rgb") f.rgb = value;
      if (key == "fill") f.fill = value == "1";
      if (key == "text") f.text = value;
    }
    size_t g = line.find(" geometry=");
    if (g != std::string::npos) f.geometry = line.substr(g + 10);
    r.features.push_back(f);
  }
  return r;
}

template <class F>
std::string DrawDgn(const Scratch& dir, const std::string& name, const std::string& options,
                    F draw) {
  std::string path = dir.Path(name);
  Canvas canvas(CD_DGN, path + " " + options);
  EXPECT_TRUE(canvas.ok()) << options;
  if (canvas.ok()) draw();
  return path;
}

// ---- the varied scene ----

struct Expected {
  int type;
  const char* rgb;
  bool fill;
};

std::vector<Expected> SceneFeatures() {
  std::vector<Expected> e;
  for (int i = 0; i < 10; i++) e.push_back({3, "#ff0000", false}); /* lines */
  e.push_back({6, "#00ff00", true});                               /* filled polygon */
  e.push_back({6, "#0000ff", true}); /* hatched polygon: filled, no hatch in DGN */
  e.push_back({6, "#ffff00", true}); /* box */
  for (int i = 0; i < 4; i++) e.push_back({3, "#ffff00", false}); /* rectangle as four lines */
  e.push_back({16, "#0000ff", false});                            /* arc 0..90 */
  e.push_back({16, "#0000ff", false});                            /* arc 350..10 */
  e.push_back({14, "#0000ff", true});  /* sector: complex shape of arc and radii */
  e.push_back({15, "#0000ff", false}); /* full sector: filled ellipse (OGR draws its outline) */
  for (int i = 0; i < 4; i++) e.push_back({3, "#0000ff", false});  /* star mark */
  e.push_back({15, "#0000ff", false});                             /* circle mark */
  for (int i = 0; i < 4; i++) e.push_back({3, "#0000ff", false});  /* hollow box mark */
  e.push_back({6, "#0000ff", true});                               /* diamond mark */
  for (int i = 0; i < 4; i++) e.push_back({17, "#000000", false}); /* texts */
  e.push_back({3, "#808080", false}); /* the line under the clip, unclipped */
  e.push_back({3, "#00ff00", false}); /* the pixel, a line of one point */
  return e;
}

TEST(Dgn, SceneIsReadByOgrWithItsColoursAndTexts) {
  Scratch dir;
  std::string path = DrawDgn(dir, "scene.dgn", "250x250 2 -s" + Seed(), [] { DrawScene(false); });
  OgrReading r = ReadWithOgr(path);
  ASSERT_EQ(r.status, 0) << r.raw;
  std::vector<Expected> want = SceneFeatures();
  ASSERT_EQ(r.features.size(), want.size()) << r.raw;
  for (size_t i = 0; i < want.size(); i++) {
    EXPECT_EQ(r.features[i].type, want[i].type) << "feature " << i;
    EXPECT_EQ(r.features[i].rgb, want[i].rgb) << "feature " << i;
    EXPECT_EQ(r.features[i].fill, want[i].fill) << "feature " << i;
  }
  /* styles and weights of the ten lines */
  const int styles[5] = {0, 3, 1, 4, 6};
  for (int i = 0; i < 10; i++) {
    EXPECT_EQ(r.features[size_t(i)].style, styles[i % 5]) << i;
    EXPECT_EQ(r.features[size_t(i)].weight, i < 5 ? 1 : 4) << i;
  }
  /* coordinates are the pixels drawn */
  EXPECT_EQ(r.features[0].geometry, "LINESTRING (20 20,180 30)");
  EXPECT_EQ(r.features[10].geometry, "POLYGON ((220 20,300 20,320 80,240 100,220 20))");
  EXPECT_EQ(r.features[12].geometry, "POLYGON ((20 220,80 220,80 260,20 260,20 220))");
  EXPECT_EQ(r.features[13].geometry, "LINESTRING (100 220,160 220)");
  EXPECT_EQ(r.features[r.features.size() - 2].geometry, "LINESTRING (50 50,150 150)");
  EXPECT_EQ(r.features.back().geometry, "LINESTRING (10 10,10 10)");
  /* the texts */
  size_t t = 0;
  for (const Feature& f : r.features)
    if (f.type == 17) {
      std::string want_text = SceneTexts()[t++].text;
      for (char& c : want_text)
        if (c == ' ') c = '_';
      EXPECT_EQ(f.text, want_text);
    }
  EXPECT_EQ(t, 4u);
  /* the image, which OGR leaves out: a raster header and six rows */
  Design d = Walk(ReadFile(path));
  /* both ellipses carry the fill linkage, which OGR does not report */
  std::vector<Element> ellipses = OfType(d, 15);
  ASSERT_EQ(ellipses.size(), 2u);
  for (const Element& e : ellipses) {
    EXPECT_EQ(e.w[1], 42u);
    EXPECT_EQ(e.w[e.w.size() - 7], 0x0041u);
    EXPECT_EQ(e.w[e.w.size() - 4], 3u); /* the fill colour: blue */
  }
  ASSERT_EQ(OfType(d, 87).size(), 1u);
  EXPECT_EQ(OfType(d, 88).size(), 6u);
  EXPECT_TRUE(d.ended);
}

TEST(Dgn, WorldSceneWritesTheSameFile) {
  Scratch dir;
  std::string device = DrawDgn(dir, "device.dgn", "250x250 2", [] { DrawScene(false); });
  std::string world = DrawDgn(dir, "world.dgn", "250x250 2", [] { DrawScene(true); });
  std::string a = ReadFile(device);
  EXPECT_GT(a.size(), 2048u);
  EXPECT_EQ(a, ReadFile(world));
}

// ---- element layout ----

TEST(Dgn, LineIsATypeThreeElementWithSignInvertedRange) {
  Scratch dir;
  std::string path = DrawDgn(dir, "l.dgn", "100x100 4", [] { cdLine(10, 20, 30, 40); });
  Design d = Walk(ReadFile(path));
  ASSERT_GE(d.elements.size(), 2u);
  const Element& e = d.elements[0];
  EXPECT_EQ(e.w[0], 0x0301u); /* level 1, type 3 */
  EXPECT_EQ(e.w[1], 24u);
  const unsigned range[12] = {0x8000, 10, 0x8000, 20, 0x8000, 0, 0x8000, 30, 0x8000, 40, 0x8000, 0};
  for (int i = 0; i < 12; i++) EXPECT_EQ(e.w[size_t(2 + i)], range[i]) << "range word " << i;
  EXPECT_EQ(e.w[15], 10u); /* no attributes: the index points past the element */
  EXPECT_EQ(e.Long(18), 10);
  EXPECT_EQ(e.Long(20), 20);
  EXPECT_EQ(e.Long(22), 30);
  EXPECT_EQ(e.Long(24), 40);
  EXPECT_EQ(e.Color(), 0); /* black, the first colour of the table */
  EXPECT_EQ(e.Weight(), 1);
}

TEST(Dgn, FileEndsWithColourTableAndMarkerOnA512ByteBoundary) {
  Scratch dir;
  std::string path = DrawDgn(dir, "e.dgn", "100x100 4", [] {
    cdForeground(0x123456);
    cdLine(1, 2, 3, 4);
  });
  std::string data = ReadFile(path);
  EXPECT_EQ(data.size() % 512, 0u);
  Design d = Walk(data);
  EXPECT_TRUE(d.ended);
  ASSERT_EQ(d.elements.size(), 2u);
  const Element& table = d.elements.back();
  EXPECT_EQ(table.type, 5);
  EXPECT_EQ(table.level, 1);
  EXPECT_EQ(table.w[1], 434u);
  EXPECT_EQ(table.Range(2), 0);
  EXPECT_EQ(table.Range(8), -1);
  /* colour 1 (0x123456) is the third entry: the first is the background */
  std::string rgb = data.substr(d.elements[0].w.size() * 2 + 38, 9);
  EXPECT_EQ(rgb, std::string("\xff\xff\xff\x00\x00\x00\x12\x34\x56", 9));
}

TEST(Dgn, PolygonsFillUnlessConvexOnlyAndConcave) {
  struct Case {
    const char* options;
    bool concave;
    int type;
  };
  const Case cases[] = {
      {"100x100 4", true, 6},     /* filled shape */
      {"100x100 4 -f", true, 4},  /* -f: a concave polygon is a closed line string */
      {"100x100 4 -f", false, 6}, /* -f: a convex one is filled */
  };
  for (const Case& c : cases) {
    Scratch dir;
    std::string path = DrawDgn(dir, "p.dgn", c.options, [&] {
      cdBegin(CD_FILL);
      cdVertex(0, 0);
      cdVertex(40, 0);
      cdVertex(c.concave ? 20 : 40, c.concave ? 10 : 40);
      cdVertex(0, 40);
      cdEnd();
    });
    Design d = Walk(ReadFile(path));
    ASSERT_EQ(d.elements.size(), 2u);
    const Element& e = d.elements[0];
    EXPECT_EQ(e.type, c.type) << c.options << " concave " << c.concave;
    EXPECT_EQ(e.w[18], 5u); /* four vertices and the first again */
    EXPECT_EQ(e.Long(19 + 16), 0);
    EXPECT_EQ(e.Long(19 + 18), 0);
    if (c.type == 6) {
      EXPECT_EQ(e.w[1], 4u * 5 + 25);
      EXPECT_EQ(e.w[16] & 0x800u, 0x800u);      /* attributes follow */
      EXPECT_EQ(e.w[15] + 16u, e.w.size() - 8); /* the fill linkage starts 8 words from the end */
      EXPECT_EQ(e.w[e.w.size() - 8], 0x1007u);
      EXPECT_EQ(e.w[e.w.size() - 7], 0x0041u);
    } else {
      EXPECT_EQ(e.w[1], 4u * 5 + 17);
    }
  }
}

TEST(Dgn, LongPolygonsBecomeComplexElementsWithoutGaps) {
  Scratch dir;
  std::string path = DrawDgn(dir, "c.dgn", "200x200 4 -s" + Seed(), [] {
    cdBegin(CD_OPEN_LINES);
    for (int i = 0; i < 250; i++) cdVertex(i * 2, (i % 5) * 10);
    cdEnd();
    cdForeground(kRed);
    cdBegin(CD_FILL);
    for (int i = 0; i < 250; i++) {
      double a = i * 2 * M_PI / 250;
      cdVertex(400 + int(std::lround(100 * std::cos(a))),
               400 + int(std::lround(100 * std::sin(a))));
    }
    cdEnd();
  });
  Design d = Walk(ReadFile(path), 1536);
  ASSERT_EQ(d.elements.size(), 1u + 3 + 1 + 3 + 1);
  const Element& chain = d.elements[0];
  EXPECT_EQ(chain.type, 12);
  EXPECT_EQ(chain.w[19], 3u); /* components */
  size_t words = 0;
  int vertices = 0;
  const int want_vertices[3] = {101, 101, 50}; /* each string starts where the last ended */
  for (int i = 1; i <= 3; i++) {
    const Element& s = d.elements[size_t(i)];
    EXPECT_EQ(s.type, 4);
    EXPECT_TRUE(s.complex);
    EXPECT_EQ(int(s.w[18]), want_vertices[i - 1]);
    words += s.w.size();
    vertices += int(s.w[18]);
    if (i > 1) { /* first vertex of this string = last vertex of the previous one */
      const Element& p = d.elements[size_t(i - 1)];
      EXPECT_EQ(s.Long(19), p.Long(19 + 4 * (p.w[18] - 1)));
      EXPECT_EQ(s.Long(21), p.Long(21 + 4 * (p.w[18] - 1)));
    }
  }
  EXPECT_EQ(vertices - 2, 250);
  EXPECT_EQ(chain.w[18], words + 5);
  const Element& shape = d.elements[4];
  EXPECT_EQ(shape.type, 14);
  EXPECT_EQ(shape.w[1], 30u);              /* filled */
  EXPECT_EQ(int(d.elements[7].w[18]), 51); /* 251 vertices with the closing one */
  /* OGR sees one chain through all 250 points and one filled polygon */
  OgrReading r = ReadWithOgr(path);
  ASSERT_EQ(r.features.size(), 2u) << r.raw;
  EXPECT_EQ(r.features[0].type, 12);
  EXPECT_NE(r.features[0].geometry.find("(0 0,2 10,4 20"), std::string::npos);
  EXPECT_NE(r.features[0].geometry.find("498 40)"), std::string::npos);
  EXPECT_EQ(r.features[1].type, 14);
  EXPECT_TRUE(r.features[1].fill);
  EXPECT_EQ(r.features[1].rgb, "#ff0000");
  EXPECT_EQ(r.features[1].geometry.rfind("POLYGON ((500 400,", 0), 0u) << r.features[1].geometry;
}

TEST(Dgn, ArcsEllipsesAndSectors) {
  Scratch dir;
  std::string path = DrawDgn(dir, "a.dgn", "200x200 4 -s" + Seed(), [] {
    cdArc(100, 100, 60, 40, 0, 360);
    cdArc(100, 100, 60, 40, 0, 90);
    cdSector(300, 100, 40, 40, 0, 90);
  });
  Design d = Walk(ReadFile(path), 1536);
  ASSERT_EQ(d.elements.size(), 2u + 4 + 1);
  EXPECT_EQ(d.elements[0].type, 15);
  EXPECT_EQ(d.elements[0].w[1], 34u);
  const Element& arc = d.elements[1];
  EXPECT_EQ(arc.type, 16);
  EXPECT_EQ(arc.w[1], 38u);
  EXPECT_EQ(arc.Long(18), 0);
  EXPECT_EQ(arc.Long(20), 32400000);
  EXPECT_EQ(arc.Range(2), 70); /* the range of the ellipse */
  EXPECT_EQ(arc.Range(8), 130);
  const Element& head = d.elements[2];
  EXPECT_EQ(head.type, 14);
  EXPECT_EQ(head.w[18], 92u + 13);
  EXPECT_EQ(head.w[19], 3u);
  for (int i = 3; i <= 5; i++) EXPECT_TRUE(d.elements[size_t(i)].complex);
  EXPECT_EQ(d.elements[4].Long(18), 300); /* a radius from the centre */
  EXPECT_EQ(d.elements[4].Long(22), 320);
  OgrReading r = ReadWithOgr(path);
  ASSERT_EQ(r.features.size(), 3u) << r.raw;
  EXPECT_EQ(r.features[1].geometry.rfind("LINESTRING (130 100,", 0), 0u) << r.features[1].geometry;
  EXPECT_NE(r.features[1].geometry.find(",100 120)"), std::string::npos) << r.features[1].geometry;
  EXPECT_EQ(r.features[2].type, 14);
  EXPECT_TRUE(r.features[2].fill);
}

TEST(Dgn, TextsCarryFontJustificationAndSlant) {
  Scratch dir;
  std::string path = DrawDgn(dir, "t.dgn", "100x100 4 -s" + Seed(), [] {
    cdFont(CD_COURIER, CD_PLAIN, 12);
    cdText(10, 20, "plain");
    cdFont(CD_TIMES_ROMAN, CD_BOLD_ITALIC, -20); /* 20 pixels at 4 per mm: 14 points */
    cdTextAlignment(CD_NORTH);
    cdText(100, 200, "slanted");
  });
  Design d = Walk(ReadFile(path), 1536);
  ASSERT_EQ(d.elements.size(), 3u);
  const Element& plain = d.elements[0];
  EXPECT_EQ(plain.type, 17);
  EXPECT_EQ(plain.w[1], 28u + 3);
  EXPECT_EQ(plain.w[18], 13u << 8 | 43); /* base left, Courier */
  EXPECT_EQ(plain.Long(19), (9 * 1000 / 6) | 0x80);
  EXPECT_EQ(plain.Long(21), (12 * 1000 / 6) | 0x80);
  EXPECT_EQ(plain.Long(25), 10);
  EXPECT_EQ(plain.Long(27), 20 - 9 / 4); /* base alignments move down a quarter */
  EXPECT_EQ(plain.w[29], 5u);
  const Element& slanted = d.elements[1];
  EXPECT_EQ(slanted.w[1], 36u + 4);
  EXPECT_EQ(slanted.w[18], 8u << 8 | 2); /* north, Times */
  EXPECT_EQ(slanted.Weight(), 3);        /* bold */
  EXPECT_EQ(slanted.Long(21), (14 * 1000 / 6) | 0x80);
  EXPECT_EQ(slanted.Long(27), 200 - 14 / 4 * 3); /* the top at y */
  EXPECT_EQ(slanted.w[16] & 0x800u, 0x800u);
  EXPECT_EQ(slanted.w[slanted.w.size() - 8], 0x1007u);
  EXPECT_EQ(slanted.w[slanted.w.size() - 7], 0x80D4u);
  OgrReading r = ReadWithOgr(path);
  ASSERT_EQ(r.features.size(), 2u) << r.raw;
  EXPECT_EQ(r.features[0].text, "plain");
  EXPECT_EQ(r.features[1].text, "slanted");
  EXPECT_EQ(r.features[0].geometry, "POINT (10 18)");
}

TEST(Dgn, PixelIsAOnePointLineAndLeavesTheAttributes) {
  Scratch dir;
  std::string path = DrawDgn(dir, "x.dgn", "100x100 4", [] {
    cdLineStyle(CD_DASHED);
    cdLineWidth(5);
    cdPixel(7, 8, kRed);
    cdLine(0, 0, 9, 9);
  });
  Design d = Walk(ReadFile(path));
  ASSERT_EQ(d.elements.size(), 3u);
  EXPECT_EQ(d.elements[0].Color(), 1);
  EXPECT_EQ(d.elements[0].Style(), 0);
  EXPECT_EQ(d.elements[0].Weight(), 1);
  EXPECT_EQ(d.elements[0].Long(18), 7);
  EXPECT_EQ(d.elements[0].Long(22), 7);
  EXPECT_EQ(d.elements[1].Color(), 0);
  EXPECT_EQ(d.elements[1].Style(), 3);
  EXPECT_EQ(d.elements[1].Weight(), 5);
}

TEST(Dgn, FlushWritesTheElementsSoFar) {
  Scratch dir;
  std::string path = dir.Path("f.dgn");
  Canvas canvas(CD_DGN, path + " 100x100 4");
  ASSERT_TRUE(canvas.ok());
  cdLine(1, 2, 3, 4);
  cdFlush();
  Design d = Walk(ReadFile(path));
  ASSERT_EQ(d.elements.size(), 1u);
  EXPECT_EQ(d.elements[0].type, 3);
  EXPECT_FALSE(d.ended); /* the design ends when the canvas is killed */
  canvas.Kill();
  EXPECT_TRUE(Walk(ReadFile(path)).ended);
}

TEST(Dgn, WidthsBeyondTheThickestWeightStayThickest) {
  Scratch dir;
  std::string path = DrawDgn(dir, "w.dgn", "100x100 4", [] {
    cdLineWidth(33);
    cdLine(0, 0, 9, 9);
  });
  Design d = Walk(ReadFile(path));
  ASSERT_GE(d.elements.size(), 1u);
  EXPECT_EQ(d.elements[0].Weight(), 31);
}

TEST(Dgn, ColourTableGrowsTo254ThenTakesTheNearest) {
  Scratch dir;
  std::string path = DrawDgn(dir, "k.dgn", "100x100 4 -s" + Seed(), [] {
    for (int i = 1; i < 260; i++) {
      cdForeground(cdEncodeColor(0, (unsigned char)(i / 2), (unsigned char)i));
      cdLine(0, i, 10, i);
    }
  });
  Design d = Walk(ReadFile(path), 1536);
  ASSERT_EQ(d.elements.size(), 260u);
  EXPECT_EQ(d.elements[0].Color(), 1);     /* black took entry 0 */
  EXPECT_EQ(d.elements[252].Color(), 253); /* the last entry */
  EXPECT_EQ(d.elements[253].Color(), 253); /* full: the nearest, (0, 126, 253) for (0, 127, 254) */
  OgrReading r = ReadWithOgr(path);
  ASSERT_EQ(r.features.size(), 259u) << r.raw.substr(0, 2000);
  EXPECT_EQ(r.features[0].rgb, "#000001");
  EXPECT_EQ(r.features[252].rgb, "#007efd");
  EXPECT_EQ(r.features[253].rgb, "#007efd");
}

TEST(Dgn, PaletteReplacesTheColourTable) {
  Scratch dir;
  std::string path = DrawDgn(dir, "q.dgn", "100x100 4 -s" + Seed(), [] {
    const long palette[3] = {0x112233, 0x445566, 0x778899};
    cdPalette(3, palette, CD_FORCE);
    cdForeground(0x445566);
    cdLine(0, 0, 5, 5);
  });
  OgrReading r = ReadWithOgr(path);
  ASSERT_EQ(r.features.size(), 1u) << r.raw;
  EXPECT_EQ(r.features[0].color, 1);
  EXPECT_EQ(r.features[0].rgb, "#445566");
}

TEST(Dgn, ImageIsARasterHeaderAndOneRowElementPerRow) {
  Scratch dir;
  const unsigned char index[6] = {0, 1, 2, 2, 1, 0}; /* 3 x 2, row 0 at the bottom */
  const long colors[3] = {kRed, kGreen, kBlue};
  std::string path = DrawDgn(dir, "i.dgn", "100x100 4", [&] {
    cdPutImageRectMap(3, 2, index, colors, 10, 20, 3, 4, 0, 0, 0, 0);
  });
  Design d = Walk(ReadFile(path));
  ASSERT_EQ(d.elements.size(), 1u + 4 + 1);
  const Element& head = d.elements[0];
  EXPECT_EQ(head.type, 87);
  EXPECT_EQ(head.w[1], 39u);
  EXPECT_EQ(head.Long(18), 4 * (2 + 23) + 21); /* odd widths round their bytes up */
  EXPECT_EQ(head.w[20], 1812u);
  EXPECT_EQ(head.w[22], 3u);
  EXPECT_EQ(head.w[23], 4u);
  EXPECT_EQ(head.w[28], 16512u);
  EXPECT_EQ(head.Long(32), 10);
  EXPECT_EQ(head.Long(34), 24);
  /* rows from the top: target rows 3, 2, 1 sample source row 1, row 0 row 0
   * (nearest: floor(i * 2 / 4 + 0.5)) */
  const int rows[4] = {3, 2, 1, 0};
  for (int i = 0; i < 4; i++) {
    const Element& row = d.elements[size_t(1 + i)];
    EXPECT_EQ(row.type, 88);
    EXPECT_EQ(row.w[1], 2u + 21);
    EXPECT_EQ(int(row.w[21]), rows[i]);
    EXPECT_EQ(row.w[22], 3u);
    /* black is colour 0, so red, green and blue are 1, 2, 3 */
    unsigned first = row.w[23] & 0xFF, second = row.w[23] >> 8, third = row.w[24] & 0xFF;
    unsigned want_first = rows[i] >= 1 ? 3 : 1, want_third = rows[i] >= 1 ? 1 : 3;
    EXPECT_EQ(first, want_first) << "row " << rows[i];
    EXPECT_EQ(second, 2u) << "row " << rows[i];
    EXPECT_EQ(third, want_third) << "row " << rows[i];
    EXPECT_EQ(row.w[24] >> 8, 0u); /* the pad byte */
  }
}

// ---- creation data and the seed ----

TEST(Dgn, CreationDataSetsSizeAndResolution) {
  struct Case {
    const char* options;
    int w, h;
    double res;
  };
  const Case cases[] = {
      {"100x50 4", 400, 200, 4},    {"100x50", 378, 189, 3.78}, {"2", INT_MAX, INT_MAX, 2},
      {"", INT_MAX, INT_MAX, 3.78}, {"-f 10x20 2", 20, 40, 2},  {"10x20 2 -f", 20, 40, 2},
  };
  for (const Case& c : cases) {
    Scratch dir;
    Canvas canvas(CD_DGN, dir.Path("c.dgn") + " " + c.options);
    ASSERT_TRUE(canvas.ok()) << c.options;
    int w, h;
    cdGetCanvasSize(&w, &h, nullptr, nullptr);
    EXPECT_EQ(w, c.w) << c.options;
    EXPECT_EQ(h, c.h) << c.options;
    double mm;
    cdPixel2MM(1, 1, &mm, nullptr);
    EXPECT_NEAR(1 / mm, c.res, 1e-12) << c.options;
  }
}

/* The seed option is one word, "-s" joined to the file name. */
TEST(Dgn, SeedIsOneWordFoundInCddirOrAsGiven) {
  std::string seed = ReadFile(Seed());
  ASSERT_EQ(seed.size(), 1538u);
  std::string elements = seed.substr(0, 1536);
  {
    Scratch dir;
    std::string path = DrawDgn(dir, "a.dgn", "-s" + Seed(), [] { cdLine(0, 0, 1, 1); });
    EXPECT_EQ(ReadFile(path).substr(0, 1536), elements);
  }
  {
    Scratch dir;
    setenv("CDDIR", TestData("seeds").c_str(), 1);
    std::string path = DrawDgn(dir, "b.dgn", "10x10 -sseed2d.dgn", [] { cdLine(0, 0, 1, 1); });
    unsetenv("CDDIR");
    std::string data = ReadFile(path);
    EXPECT_EQ(data.substr(0, 1536), elements);
    Design d = Walk(data, 1536);
    ASSERT_EQ(d.elements.size(), 2u);
    EXPECT_EQ(d.elements[0].type, 3);
  }
  /* a bare "-s", or the name as a word of its own, is refused */
  for (std::string options : {std::string("-s"), "-s " + Seed(), "-s" + Seed() + " -s" + Seed()}) {
    Scratch dir;
    EXPECT_EQ(
        cdCreateCanvas(CD_DGN, const_cast<char*>((dir.Path("x.dgn") + " " + options).c_str())),
        nullptr)
        << options;
    EXPECT_TRUE(dir.Files().empty()) << options;
  }
}

TEST(Dgn, BadSeedsAreRefusedAndLeaveNoFile) {
  std::vector<std::string> seeds;
  for (const auto& entry : std::filesystem::directory_iterator(TestData("bad")))
    seeds.push_back(entry.path().string());
  seeds.push_back(TestData("bad/no-such-seed.dgn"));
  ASSERT_GE(seeds.size(), 6u);
  for (const std::string& seed : seeds) {
    Scratch dir;
    EXPECT_EQ(cdCreateCanvas(CD_DGN, const_cast<char*>((dir.Path("x.dgn") + " -s" + seed).c_str())),
              nullptr)
        << seed;
    EXPECT_TRUE(dir.Files().empty()) << seed;
  }
}

TEST(Dgn, BadCreationDataGivesNoCanvasAndNoFile) {
  const char* cases[] = {
      "100x50 0",   "100x50 -1", "0x50 4",     "100x-5",      "1e9x10 4",
      "100x50 4 5", "-g",        "100x50 inf", "10x20 30x40", "0.1x0.1 4",
  };
  for (const char* options : cases) {
    Scratch dir;
    EXPECT_EQ(
        cdCreateCanvas(CD_DGN, const_cast<char*>((dir.Path("x.dgn") + " " + options).c_str())),
        nullptr)
        << options;
    EXPECT_TRUE(dir.Files().empty()) << options;
  }
  EXPECT_EQ(cdCreateCanvas(CD_DGN, const_cast<char*>("")), nullptr);
  EXPECT_EQ(cdCreateCanvas(CD_DGN, nullptr), nullptr);
  EXPECT_EQ(cdCreateCanvas(CD_DGN, const_cast<char*>("/nonexistent-folder/x.dgn")), nullptr);
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
  cdText(50, 85, "DGN");
  cdPixel(5, 5, kGrey);
}

TEST(Dgn, SmallSceneMatchesItsGoldenByteForByte) {
  Scratch dir;
  std::string path = DrawDgn(dir, "small.dgn", "50x50 2 -s" + Seed(), SmallScene);
  std::string golden = TestData("golden/small.dgn");
  if (std::getenv("VARKO_UPDATE_GOLDENS"))
    std::filesystem::copy_file(path, golden, std::filesystem::copy_options::overwrite_existing);
  ASSERT_TRUE(Exists(golden)) << golden;
  EXPECT_EQ(ReadFile(path), ReadFile(golden));
  /* the golden itself is read by OGR */
  OgrReading r = ReadWithOgr(golden);
  ASSERT_EQ(r.status, 0) << r.raw;
  ASSERT_EQ(r.features.size(), 6u) << r.raw;
  EXPECT_EQ(r.features[0].geometry, "LINESTRING (10 10,90 30)");
  EXPECT_EQ(r.features[1].rgb, "#00ff00");
  EXPECT_EQ(r.features[4].text, "DGN");
  EXPECT_EQ(r.features[5].rgb, "#808080");
}

}  // namespace
}  // namespace dxfdgn
