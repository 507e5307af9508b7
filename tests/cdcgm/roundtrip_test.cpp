// Round trip: a scene drawn directly on an RGB image canvas, and the same
// scene written as CGM in both encodings and played back into a fresh RGB
// image canvas of the same size and resolution. Set CGM_SAVE_PICTURES=DIR
// to keep both pictures as PPM files for looking at them.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "cdcgm.h"
#include "cgm_files.h"
#include "picture.h"

namespace {

using cgmtest::Picture;

const int W = 400, H = 300;  // 100 x 75 mm at 4 pixels per millimetre

// What the CGM model carries exactly: lines in every style and width,
// polylines, polygons solid, hatched (opaque and transparent), patterned
// and stippled (opaque), hollow fills, boxes and rectangles, marks of the
// CGM marker types, pixels, text in sizes of whole millimetres with the
// alignments CGM names, RGB and map images, clipping.
void ExactScene() {
  int y = 290;
  for (int width : {1, 2, 5}) {
    cdLineWidth(width);
    for (int style = CD_CONTINUOUS; style <= CD_DASH_DOT_DOT; style++, y -= 6) {
      cdLineStyle(style);
      cdForeground(cdEncodeColor(0, 0, (unsigned char)(60 + 40 * style)));
      cdLine(5, y, 150, y - 3);
    }
  }
  cdLineStyle(CD_CONTINUOUS);
  cdLineWidth(1);
  cdForeground(0x008000);
  cdBegin(CD_OPEN_LINES);
  cdVertex(160, 290), cdVertex(200, 250), cdVertex(240, 290), cdVertex(250, 260);
  cdEnd();
  cdLineWidth(3);
  cdBegin(CD_CLOSED_LINES);
  cdVertex(260, 290), cdVertex(300, 250), cdVertex(330, 285);
  cdEnd();
  cdLineWidth(1);

  // fills in a row of triangles and boxes
  cdForeground(0xC03030);
  cdInteriorStyle(CD_SOLID);
  cdBegin(CD_FILL);
  cdVertex(340, 250), cdVertex(395, 250), cdVertex(370, 295);
  cdEnd();
  cdBackground(0xFFFF80);
  for (int hatch = CD_HORIZONTAL; hatch <= CD_DIAGCROSS; hatch++) {
    cdBackOpacity(hatch % 2 ? CD_OPAQUE : CD_TRANSPARENT);
    cdForeground(cdEncodeColor((unsigned char)(40 * hatch), 0, 128));
    cdHatch(hatch);
    int x = 5 + 45 * hatch;
    cdBegin(CD_FILL);
    cdVertex(x, 150), cdVertex(x + 40, 150), cdVertex(x + 20, 195);
    cdEnd();
    cdBox(x, x + 40, 100, 140);
  }
  cdBackOpacity(CD_OPAQUE);
  long pattern[12] = {0xFF0000, 0x00FF00, 0x0000FF, 0xFFFFFF, 0x000000, 0xFF00FF,
                      0x00FFFF, 0x808080, 0x400000, 0x004000, 0x000040, 0xC0C0C0};
  cdPattern(4, 3, pattern);
  cdBox(280, 330, 150, 195);
  unsigned char stipple[6] = {1, 0, 0, 1, 1, 1};
  cdForeground(0x202080);
  cdBackground(0xE0E0FF);
  cdStipple(3, 2, stipple);
  cdBegin(CD_FILL);
  cdVertex(340, 150), cdVertex(395, 150), cdVertex(395, 195), cdVertex(350, 180);
  cdEnd();
  cdInteriorStyle(CD_HOLLOW);
  cdForeground(0x806000);
  cdBegin(CD_FILL);  // hollow: an outline
  cdVertex(280, 100), cdVertex(320, 100), cdVertex(300, 140);
  cdEnd();
  cdBox(330, 360, 100, 140);  // hollow: a rectangle
  cdInteriorStyle(CD_SOLID);
  cdLineStyle(CD_DASHED);
  cdRect(365, 395, 100, 140);
  cdLineStyle(CD_CONTINUOUS);

  // marks and pixels
  const int marks[4] = {CD_PLUS, CD_STAR, CD_CIRCLE, CD_X};
  for (int i = 0; i < 4; i++) {
    cdMarkType(marks[i]);
    cdMarkSize(5 + 4 * i);
    cdForeground(cdEncodeColor(0, (unsigned char)(50 * i), 0));
    cdMark(20 + 30 * i, 80);
  }
  for (int i = 0; i < 20; i++)
    cdPixel(140 + i, 70 + i % 3, cdEncodeColor(255, (unsigned char)(12 * i), 0));

  // text: sizes that are whole millimetres, alignments CGM names
  const int aligns[4] = {CD_NORTH_WEST, CD_CENTER, CD_SOUTH_EAST, CD_EAST};
  const int faces[4] = {CD_SYSTEM, CD_COURIER, CD_TIMES_ROMAN, CD_HELVETICA};
  const int sizes[4] = {8, 11, 14, 17};
  for (int i = 0; i < 4; i++) {
    cdFont(faces[i], i % 4, sizes[i]);
    cdTextAlignment(aligns[i]);
    cdForeground(cdEncodeColor(0, 0, (unsigned char)(60 * i)));
    cdText(200 + 10 * i, 90 - 18 * i, "CGM Text");
  }

  // images: RGB and map, whole and a part
  unsigned char ir[48], ig[48], ib[48], index[48];
  long colors[4] = {0x000000, 0xFF8000, 0x0080FF, 0xFFFFFF};
  for (int i = 0; i < 48; i++) {
    ir[i] = (unsigned char)(i * 5), ig[i] = (unsigned char)(255 - i * 5),
    ib[i] = (unsigned char)(i % 8 * 30);
    index[i] = (unsigned char)(i % 4);
  }
  cdPutImageRectRGB(8, 6, ir, ig, ib, 300, 10, 8, 6, 0, 0, 0, 0);
  cdPutImageRectRGB(8, 6, ir, ig, ib, 320, 10, 5, 4, 2, 6, 1, 4);
  cdPutImageRectMap(8, 6, index, colors, 340, 10, 8, 6, 0, 0, 0, 0);

  // clipping: a box and a line cut by the clip area, then clipping off
  cdClipArea(20, 120, 10, 40);
  cdClip(CD_CLIPAREA);
  cdForeground(0x00A0A0);
  cdBox(5, 150, 20, 60);
  cdForeground(0x000000);
  cdLine(0, 0, 200, 50);
  cdClip(CD_CLIPOFF);
  cdLine(130, 5, 180, 45);
}

struct Encoding {
  const char* name;
  const char* option;
};
const Encoding kEncodings[] = {{"binary", ""}, {"clear text", " -t"}};

std::string WriteScene(const std::string& file, const char* option, void (*scene)()) {
  std::string path = cgmtest::Scratch(file);
  std::string data = path + " 100x75 4" + option;
  cdCanvasHandle cv = cdCreateCanvas(CD_CGM, (void*)data.c_str());
  EXPECT_NE(cv, nullptr);
  if (!cv) return path;
  cdActivate(cv);
  scene();
  cdKillCanvas(cv);
  return path;
}

void Save(const Picture& p, const std::string& name) {
  if (const char* dir = std::getenv("CGM_SAVE_PICTURES"))
    p.SavePpm(std::string(dir) + "/" + name + ".ppm");
}

TEST(CgmRoundTrip, ExactSceneIsByteIdentical) {
  Picture direct(W, H);
  ASSERT_NE(direct.cv, nullptr);
  ExactScene();
  Save(direct, "exact_direct");
  for (const Encoding& e : kEncodings) {
    std::string path =
        WriteScene(std::string("exact") + (e.option[0] ? "_t" : "") + ".cgm", e.option, ExactScene);
    Picture played(W, H);
    ASSERT_EQ(cdPlay(CD_CGM, 0, W, 0, H, (void*)path.c_str()), CD_OK);
    Save(played, std::string("exact_played") + (e.option[0] ? "_t" : ""));
    EXPECT_EQ(played.Differences(direct), 0u) << e.name;
  }
}

// Arcs and sectors come back as polygons of 64 steps along the ellipse;
// the rasteriser draws them from the ellipse itself.
void CurveScene() {
  cdForeground(0x000080);
  cdLineWidth(1);
  cdArc(60, 220, 100, 60, 0, 360);
  cdArc(180, 220, 80, 80, 30, 250);
  cdArc(300, 220, 120, 50, 200, 40);
  cdForeground(0x008000);
  cdSector(60, 80, 100, 100, 45, 300);
  cdHatch(CD_CROSS);
  cdForeground(0x800000);
  cdSector(200, 80, 120, 70, 0, 360);
  cdInteriorStyle(CD_SOLID);
  cdSector(320, 80, 60, 90, 90, 180);
}

// Text through the CGM text model: no orientation, heights in whole
// millimetres (points at the writer's canvas), baseline alignments read
// back as bottom alignments. `as_played` draws what the model keeps.
void TextScene(bool as_played) {
  cdBackOpacity(CD_TRANSPARENT);
  const int faces[4] = {CD_SYSTEM, CD_COURIER, CD_TIMES_ROMAN, CD_HELVETICA};
  const int base[3] = {CD_BASE_LEFT, CD_BASE_CENTER, CD_BASE_RIGHT};
  const int bottom[3] = {CD_SOUTH_WEST, CD_SOUTH, CD_SOUTH_EAST};
  for (int i = 0; i < 4; i++) {
    cdForeground(cdEncodeColor((unsigned char)(50 * i), 0, 100));
    cdTextOrientation(as_played ? 0 : 30.0 * i);
    cdTextAlignment(as_played ? bottom[i % 3] : base[i % 3]);
    // 12 points are 4 mm (16 pixels), which read back as 11 points; -20
    // pixels are 5 mm, which read back as 14 points
    if (i % 2)
      cdFont(faces[i], CD_PLAIN, as_played ? 14 : -20);
    else
      cdFont(faces[i], CD_BOLD, as_played ? 11 : 12);
    cdText(200, 40 + 60 * i, "Angled text");
  }
  cdTextOrientation(0);
}
void TextDirect() {
  TextScene(false);
}

// The marks CGM has no type for: box and diamond marks come back as the
// dot type (stars), hollow circles as circles.
void MarkScene(bool as_played) {
  const int marks[5] = {CD_BOX, CD_DIAMOND, CD_HOLLOW_CIRCLE, CD_HOLLOW_BOX, CD_HOLLOW_DIAMOND};
  const int played[5] = {CD_STAR, CD_STAR, CD_CIRCLE, CD_STAR, CD_STAR};
  cdMarkSize(9);
  for (int i = 0; i < 5; i++) {
    cdMarkType(as_played ? played[i] : marks[i]);
    cdMark(30 + 40 * i, 150);
  }
}
void MarkDirect() {
  MarkScene(false);
}

TEST(CgmRoundTrip, TextIsDrawnAsTheTextModelKeepsIt) {
  Picture model(W, H);
  TextScene(true);
  Save(model, "text_model");
  for (const Encoding& e : kEncodings) {
    std::string path =
        WriteScene(std::string("text") + (e.option[0] ? "_t" : "") + ".cgm", e.option, TextDirect);
    Picture played(W, H);
    ASSERT_EQ(cdPlay(CD_CGM, 0, W, 0, H, (void*)path.c_str()), CD_OK);
    Save(played, std::string("text_played") + (e.option[0] ? "_t" : ""));
    EXPECT_EQ(played.Differences(model), 0u) << e.name;
  }
}

TEST(CgmRoundTrip, MarksWithoutACgmTypeComeBackAsTheirNearestType) {
  Picture model(W, H);
  MarkScene(true);
  std::string path = WriteScene("marks.cgm", "", MarkDirect);
  Picture played(W, H);
  ASSERT_EQ(cdPlay(CD_CGM, 0, W, 0, H, (void*)path.c_str()), CD_OK);
  EXPECT_EQ(played.Differences(model), 0u);
}

// Every ink pixel of either picture has ink of its colour within one
// pixel in the other, but for a few at the ends of steps.
TEST(CgmRoundTrip, CurvesStayWithinAPixel) {
  Picture direct(W, H);
  CurveScene();
  Save(direct, "curves_direct");
  for (const Encoding& e : kEncodings) {
    std::string path = WriteScene(std::string("curves") + (e.option[0] ? "_t" : "") + ".cgm",
                                  e.option, CurveScene);
    Picture played(W, H);
    ASSERT_EQ(cdPlay(CD_CGM, 0, W, 0, H, (void*)path.c_str()), CD_OK);
    Save(played, std::string("curves_played") + (e.option[0] ? "_t" : ""));
    double there = cgmtest::Covered(direct, played, 1), back = cgmtest::Covered(played, direct, 1);
    std::printf("curves, %s: %.4f of the direct ink near the played, %.4f back\n", e.name, there,
                back);
    EXPECT_GE(there, 0.99) << e.name;
    EXPECT_GE(back, 0.99) << e.name;
  }
}

}  // namespace
