// Golden pictures: composite scenes rendered on CD_IMAGERGB and compared
// byte for byte with the committed PPM files (VARKO_UPDATE_GOLDENS=1 rewrites
// them; look at every one before committing). Text uses the committed fonts
// that CDDIR names.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "cd.h"
#include "cddriver.h"
#include "golden.h"

namespace {

struct Picture {
  int w, h;
  std::vector<unsigned char> r, g, b;
  cdCanvasHandle cv;
  Picture(int w_, int h_) : w(w_), h(h_), r(size_t(w * h), 255), g(r), b(r) {
    char data[128];
    std::snprintf(data, sizeof data, "%dx%d %p %p %p", w, h, (void*)r.data(), (void*)g.data(),
                  (void*)b.data());
    cv = cdCreateCanvas(CD_IMAGERGB, data);
    cdActivate(cv);
  }
  ~Picture() { cdKillCanvas(cv); }
  std::string Ppm() const { return golden::Ppm(w, h, r.data(), g.data(), b.data()); }
};

void Compare(const Picture& p, const std::string& name) {
  golden::Expect(std::string(VARKO_TEST_DATA) + "/golden/" + name + ".ppm", p.Ppm());
}

// The text in these pictures must come from the committed faces, so that a
// change of the system's fonts cannot move a pixel.
TEST(Golden, TextFacesComeFromTheCommittedFonts) {
  const char* dir = std::getenv("CDDIR");
  ASSERT_NE(dir, nullptr) << "CDDIR names the test fonts";
  EXPECT_EQ(std::filesystem::canonical(dir),
            std::filesystem::canonical(std::string(VARKO_SOURCE_DIR) + "/tests/fonts"));
  const std::string committed = dir;
  auto times_text = [] {
    Picture p(60, 30);
    cdFont(CD_TIMES_ROMAN, CD_PLAIN, 14);
    cdText(4, 8, "Hgw");
    return p.Ppm();
  };
  std::string from_committed = times_text();

  // A folder whose "times.ttf" is really the Courier face: if the faces came
  // from the system, both pictures would show the same Times.
  std::filesystem::path other = std::filesystem::temp_directory_path() / "varko_fonts_test";
  std::filesystem::create_directories(other);
  std::filesystem::copy_file(committed + "/cour.ttf", other / "times.ttf",
                             std::filesystem::copy_options::overwrite_existing);
  setenv("CDDIR", other.c_str(), 1);
  std::string from_other = times_text();
  setenv("CDDIR", committed.c_str(), 1);
  std::filesystem::remove_all(other);

  EXPECT_NE(from_committed, from_other);
  EXPECT_EQ(from_committed, times_text());
}

// Rows: line styles at widths 1, 2 and 5; write modes over a grey band;
// rectangles, boxes, polygons, arcs at the quadrant boundaries and across 0.
TEST(Golden, Primitives) {
  Picture p(240, 200);
  cdForeground(0x808080);
  cdBox(150, 235, 100, 195);
  int row = 190;
  for (int width : {1, 2, 5}) {
    cdLineWidth(width);
    for (int style = CD_CONTINUOUS; style <= CD_DASH_DOT_DOT; style++) {
      cdLineStyle(style);
      cdForeground(0x000080);
      cdLine(5, row, 140, row - 6);
      row -= 12;
    }
  }
  cdLineStyle(CD_CONTINUOUS);
  int modes[] = {CD_REPLACE, CD_XOR, CD_NOT_XOR};
  for (int m = 0; m < 3; m++) {
    cdWriteMode(modes[m]);
    cdForeground(0xC03020);
    cdLineWidth(m * 2 + 1);
    cdLine(155, 190 - m * 30, 230, 170 - m * 30);
    cdBox(160 + m * 25, 175 + m * 25, 105, 115);
  }
  cdWriteMode(CD_REPLACE);
  cdLineWidth(1);
  cdForeground(0x006000);
  cdRect(5, 40, 5, 40);
  cdBox(45, 70, 5, 30);
  cdBegin(CD_FILL);
  cdVertex(80, 5), cdVertex(120, 20), cdVertex(90, 45), cdVertex(100, 15);
  cdEnd();
  cdLineWidth(2);
  cdBegin(CD_CLOSED_LINES);
  cdVertex(125, 5), cdVertex(145, 40), cdVertex(160, 8);
  cdEnd();
  cdLineWidth(1);
  cdForeground(0x800080);
  double arcs[][2] = {{0, 90}, {90, 180}, {180, 270}, {270, 360}, {350, 10}, {0, 360}};
  for (int i = 0; i < 6; i++) cdArc(20 + i * 36, 70, 30, 22, arcs[i][0], arcs[i][1]);
  for (int i = 0; i < 5; i++) cdSector(20 + i * 36, 85 + 0, 26, 18, arcs[i][0], arcs[i][1]);
  cdMarkSize(9);
  for (int t = CD_PLUS; t <= CD_HOLLOW_DIAMOND; t++) {
    cdMarkType(t);
    cdMark(170 + (t % 3) * 20, 15 + (t / 3) * 20);
  }
  Compare(p, "primitives");
}

// Hatch, stipple and pattern fills opaque and transparent; clip by area and
// by polygon.
TEST(Golden, FillsAndClips) {
  Picture p(200, 120);
  cdForeground(0xFFD000);
  cdBox(0, 199, 60, 119);
  cdForeground(0x202080);
  cdBackground(0x90E090);
  for (int h = CD_HORIZONTAL; h <= CD_DIAGCROSS; h++) {
    cdBackOpacity(h % 2 ? CD_OPAQUE : CD_TRANSPARENT);
    cdHatch(h);
    cdBox(5 + h * 32, 30 + h * 32, 90, 115);
  }
  unsigned char st[4 * 3] = {1, 0, 0, 1, 0, 1, 1, 0, 1, 1, 0, 0};
  cdStipple(4, 3, st);
  cdBackOpacity(CD_TRANSPARENT);
  cdBox(5, 45, 62, 85);
  cdBackOpacity(CD_OPAQUE);
  cdSector(75, 73, 40, 24, 30, 300);
  long pat[9] = {0xFF0000, 0x00FF00, 0x0000FF, 0x00FF00, 0x0000FF,
                 0xFF0000, 0x0000FF, 0xFF0000, 0xFF0000};
  cdPattern(3, 3, pat);
  cdBegin(CD_FILL);
  cdVertex(105, 62), cdVertex(195, 70), cdVertex(150, 88);
  cdEnd();
  cdInteriorStyle(CD_SOLID);
  cdBackOpacity(CD_TRANSPARENT);
  // clip by area, then by polygon
  cdClipArea(10, 80, 10, 50);
  cdClip(CD_CLIPAREA);
  cdForeground(0xA00000);
  cdBox(0, 199, 25, 30);
  cdLineWidth(5);
  cdLine(0, 0, 100, 60);
  cdLineWidth(1);
  cdArc(45, 30, 90, 50, 0, 360);
  cdBegin(CD_CLIP);
  cdVertex(110, 5), cdVertex(190, 20), cdVertex(150, 55), cdVertex(130, 25);
  cdEnd();
  cdClip(CD_CLIPPOLYGON);
  cdForeground(0x0000A0);
  cdBox(100, 199, 15, 35);
  cdHatch(CD_CROSS);
  cdBox(100, 199, 36, 58);
  cdInteriorStyle(CD_SOLID);
  cdLine(100, 0, 199, 59);
  cdClip(CD_CLIPOFF);
  Compare(p, "fills_clips");
}

// Image stretch at the edges, overlapping ScrollArea, TrueType text in the
// twelve alignments.
TEST(Golden, ImagesScrollText) {
  Picture p(240, 160);
  const int iw = 4, ih = 3;
  unsigned char ir[iw * ih], ig[iw * ih], ib[iw * ih], ia[iw * ih];
  for (int i = 0; i < iw * ih; i++)
    ir[i] = (unsigned char)(i * 20), ig[i] = (unsigned char)(255 - i * 20),
    ib[i] = (unsigned char)(i % 2 * 255), ia[i] = (unsigned char)(i * 21);
  cdPutImageRectRGB(iw, ih, ir, ig, ib, 2, 2, 37, 23, 0, 0, 0, 0);
  cdPutImageRectRGB(iw, ih, ir, ig, ib, 225, 145, 30, 30, 1, 3, 1, 2);  // cut at the corner
  cdPutImageRectRGBA(iw, ih, ir, ig, ib, ia, 45, 2, 30, 23, 0, 0, 0, 0);
  cdScrollArea(2, 38, 2, 24, 10, 8);  // overlaps its source
  cdFont(CD_HELVETICA, CD_PLAIN, 8);
  cdForeground(0);
  for (int a = CD_NORTH; a <= CD_BASE_RIGHT; a++) {
    int x = 40 + (a % 3) * 80, y = 140 - (a / 3) * 26;
    cdForeground(0xC0C0C0);
    cdLine(x - 3, y, x + 3, y);
    cdLine(x, y - 3, x, y + 3);
    cdForeground(0);
    cdTextAlignment(a);
    cdText(x, y, "Ag12");
  }
  cdFont(CD_TIMES_ROMAN, CD_BOLD_ITALIC, 10);
  cdBackOpacity(CD_OPAQUE);
  cdBackground(0xFFFF80);
  cdTextAlignment(CD_BASE_LEFT);
  cdText(90, 8, "Varko 5.12");
  Compare(p, "images_scroll_text");
}

// Clip off, by area and by polygon, drawn once on a normal canvas and once
// with the y axis inverted as window drivers set it: the second picture is
// the first one upside down, pixel for pixel. (Thick lines are left out:
// an odd width puts its extra pixel on the device's side of the line.)
void ClipScene(bool inverted) {
  cdClipArea(10, 80, 10, 50);
  int xmin, xmax, ymin, ymax;
  cdGetClipArea(&xmin, &xmax, &ymin, &ymax);
  EXPECT_EQ(xmin, 10);
  EXPECT_EQ(xmax, 80);
  EXPECT_EQ(ymin, 10) << (inverted ? "inverted" : "normal");
  EXPECT_EQ(ymax, 50);
  for (int mode : {CD_CLIPOFF, CD_CLIPAREA, CD_CLIPPOLYGON}) {
    if (mode == CD_CLIPPOLYGON) {
      cdBegin(CD_CLIP);
      cdVertex(110, 5), cdVertex(190, 20), cdVertex(150, 55), cdVertex(130, 25);
      cdEnd();
    }
    cdClip(mode);
    int up = mode == CD_CLIPOFF ? 60 : 0;  // clip off draws in the upper half
    cdForeground(0xA00000);
    cdInteriorStyle(CD_SOLID);
    cdBox(0, 199, 25 + up, 30 + up);
    cdLine(0, up, 100, 50 + up);
    cdLineStyle(CD_DASHED);
    cdLine(0, 40 + up, 199, 5 + up);
    cdLineStyle(CD_CONTINUOUS);
    cdArc(45, 30 + up, 90, 50, 0, 360);
    cdForeground(0x0000A0);
    cdHatch(CD_FDIAGONAL);
    cdBox(100, 199, 15 + up, 35 + up);
    cdSector(150, 45 + up, 60, 30, 200, 340);
    cdInteriorStyle(CD_SOLID);
    cdBegin(CD_FILL);
    cdVertex(60, 2 + up), cdVertex(120, 50 + up), cdVertex(180, 3 + up);
    cdEnd();
  }
  cdClip(CD_CLIPOFF);
}

TEST(Golden, ClipsOnAnInvertedYAxis) {
  Picture normal(200, 120), inverted(200, 120);
  cdActivate(normal.cv);
  ClipScene(false);
  cdActivate(inverted.cv);
  inverted.cv->y_inverted = 1;
  ClipScene(true);
  size_t diff = 0;
  for (int y = 0; y < 120; y++)
    for (int x = 0; x < 200; x++) {
      size_t a = size_t(y * 200 + x), b = size_t((119 - y) * 200 + x);
      diff += normal.r[a] != inverted.r[b] || normal.g[a] != inverted.g[b] ||
              normal.b[a] != inverted.b[b];
    }
  EXPECT_EQ(diff, 0u) << "pixels that differ from the upside-down normal picture";
  Compare(normal, "clips_inverted");
}

// TrueType text turned about its reference point (grey crosses): a fan of
// angles from one point, and three alignments at a slant, one on an opaque
// back.
TEST(Golden, RotatedText) {
  Picture p(240, 240);
  cdFont(CD_HELVETICA, CD_PLAIN, 10);
  auto cross = [](int x, int y) {
    cdForeground(0xC0C0C0);
    cdLine(x - 3, y, x + 3, y);
    cdLine(x, y - 3, x, y + 3);
  };
  cross(120, 150);
  const long colours[] = {0x000000, 0xA00000, 0x00A000, 0x0000A0, 0x808000, 0x800080};
  int i = 0;
  for (double angle : {0.0, 45.0, 90.0, 150.0, 200.0, -60.0}) {
    cdForeground(colours[i++]);
    cdTextOrientation(angle);
    cdText(120, 150, "Varko 5.12");
  }
  cdFont(CD_HELVETICA, CD_PLAIN, 14);
  cdBackOpacity(CD_OPAQUE);
  cdBackground(0xFFFF80);
  int x = 40;
  for (int alignment : {CD_BASE_LEFT, CD_CENTER, CD_NORTH_EAST}) {
    cross(x, 40);
    cdForeground(0);
    cdTextAlignment(alignment);
    cdTextOrientation(30);
    cdText(x, 40, "Ag");
    x += 80;
    cdBackOpacity(CD_TRANSPARENT);
  }
  Compare(p, "rotated_text");
}

// Text on a canvas whose rows count from the top (window canvases) is the
// normal picture upside down, pixel for pixel: unturned and turned, opaque
// boxes included, at alignments above, across and on the baseline.
TEST(Golden, RotatedTextOnAnInvertedYAxisIsTheMirror) {
  const int w = 120, h = 90;
  Picture normal(w, h), inverted(w, h);
  for (Picture* p : {&normal, &inverted}) {
    cdActivate(p->cv);
    p->cv->y_inverted = p == &inverted;
    cdFont(CD_TIMES_ROMAN, CD_PLAIN, 12);
    cdForeground(0x0000A0);
    cdBackground(0xFFC0C0);
    int i = 0;
    for (int alignment : {CD_BASE_LEFT, CD_NORTH, CD_CENTER, CD_SOUTH_EAST}) {
      cdTextAlignment(alignment);
      for (double angle : {0.0, 25.0, 100.0, 215.0, -40.0}) {
        cdBackOpacity(i++ % 2 ? CD_OPAQUE : CD_TRANSPARENT);
        cdTextOrientation(angle);
        cdText(20 + 27 * (i % 4), 15 + 20 * (i % 3), "Tilt");
      }
    }
  }
  size_t diff = 0, drawn = 0;
  for (int y = 0; y < h; y++)
    for (int x = 0; x < w; x++) {
      size_t a = size_t(y * w + x), b = size_t((h - 1 - y) * w + x);
      drawn += normal.r[a] != 255 || normal.g[a] != 255 || normal.b[a] != 255;
      diff += normal.r[a] != inverted.r[b] || normal.g[a] != inverted.g[b] ||
              normal.b[a] != inverted.b[b];
    }
  EXPECT_GT(drawn, 300u);
  EXPECT_EQ(diff, 0u) << "pixels that differ from the upside-down normal picture";
}

// Thick lines, polygons (self-crossing, convex, off the canvas) and boxes
// from a fixed pseudo-random sequence, over four passes: solid, XOR, under a
// clip area, hatched. The reference was drawn by the rasteriser before its
// fills wrote spans straight into the planes; it pins those pixels.
TEST(Golden, ThickLinesAndFillsFromASequence) {
  Picture p(160, 120);
  unsigned state = 2024;
  auto next = [&state](int range) {
    state = state * 1103515245u + 12345u;
    return int((state >> 8) % unsigned(range));
  };
  for (int pass = 0; pass < 4; pass++) {
    cdWriteMode(pass == 1 ? CD_XOR : CD_REPLACE);
    cdInteriorStyle(pass == 3 ? CD_HATCH : CD_SOLID);
    cdHatch(CD_CROSS);
    if (pass == 2) cdClipArea(20, 130, 15, 100);
    cdClip(pass == 2 ? CD_CLIPAREA : CD_CLIPOFF);
    for (int i = 0; i < 12; i++) {
      cdForeground(long(next(1 << 24)));
      cdLineWidth(2 + next(8));
      cdLine(next(240) - 40, next(200) - 40, next(240) - 40, next(200) - 40);
    }
    for (int i = 0; i < 8; i++) {
      cdForeground(long(next(1 << 24)));
      int n = 3 + next(20), cx = next(200) - 20, cy = next(160) - 20, radius = 2 + next(50);
      cdBegin(CD_FILL);
      for (int v = 0; v < n; v++)
        cdVertex(cx + next(2 * radius + 1) - radius, cy + next(2 * radius + 1) - radius);
      cdEnd();
    }
    for (int i = 0; i < 4; i++) {
      cdForeground(long(next(1 << 24)));
      int x = next(180) - 10, y = next(140) - 10;
      cdBox(x, x + next(40) - 5, y, y + next(30) - 5);
    }
  }
  Compare(p, "thick_lines_fills");
}

// A quarter and a half turn move every pixel of the unturned text (box
// included) to its turned place exactly: pixel (x + dx, y + dy) goes to
// (x - dy - 1, y + dx) and to (x - dx - 1, y - dy - 1).
TEST(Golden, QuarterTurnsOfTextMovePixelsExactly) {
  const int size = 120, cx = 60, cy = 60;
  struct Turn {
    double angle;
    int (*to_x)(int dx, int dy);
    int (*to_y)(int dx, int dy);
  } turns[] = {
      {90, [](int, int dy) { return -dy - 1; }, [](int dx, int) { return dx; }},
      {180, [](int dx, int) { return -dx - 1; }, [](int, int dy) { return -dy - 1; }},
      {270, [](int, int dy) { return dy; }, [](int dx, int) { return -dx - 1; }},
  };
  Picture flat(size, size);
  cdFont(CD_TIMES_ROMAN, CD_BOLD, 12);
  cdBackOpacity(CD_OPAQUE);
  cdBackground(0x80FF80);
  cdTextAlignment(CD_WEST);
  cdText(cx, cy, "Tg8");
  for (const Turn& t : turns) {
    Picture turned(size, size);
    cdFont(CD_TIMES_ROMAN, CD_BOLD, 12);
    cdBackOpacity(CD_OPAQUE);
    cdBackground(0x80FF80);
    cdTextAlignment(CD_WEST);
    cdTextOrientation(t.angle);
    cdText(cx, cy, "Tg8");
    size_t drawn = 0, wrong = 0;
    for (int y = 0; y < size; y++)
      for (int x = 0; x < size; x++) {
        size_t a = size_t(y * size + x);
        int tx = cx + t.to_x(x - cx, y - cy), ty = cy + t.to_y(x - cx, y - cy);
        ASSERT_TRUE(tx >= 0 && tx < size && ty >= 0 && ty < size);
        size_t b = size_t(ty * size + tx);
        drawn += flat.r[a] != 255 || flat.g[a] != 255 || flat.b[a] != 255;
        wrong += flat.r[a] != turned.r[b] || flat.g[a] != turned.g[b] || flat.b[a] != turned.b[b];
      }
    EXPECT_GT(drawn, 200u);
    EXPECT_EQ(wrong, 0u) << "angle " << t.angle;
  }
}

}  // namespace
