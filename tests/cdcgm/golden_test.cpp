// Byte goldens: a small scene written in both encodings, compared byte for
// byte with the committed files. The binary one was read by LibreOffice
// (after the two patches libreoffice_test.cpp describes), the clear-text
// one was read element by element against the writer's layout. Set
// VARKO_UPDATE_GOLDENS=1 to rewrite them deliberately; then have them
// read again before committing.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "cdcgm.h"
#include "cgm_files.h"
#include "picture.h"
#include "picture.h"

namespace {

void SmallScene() {
  cdForeground(0x0000C0);
  cdLineStyle(CD_DASHED);
  cdLine(5, 5, 95, 20);
  cdLineStyle(CD_CONTINUOUS);
  cdForeground(0xC00000);
  cdBegin(CD_FILL);
  cdVertex(10, 30), cdVertex(40, 30), cdVertex(25, 55);
  cdEnd();
  cdHatch(CD_CROSS);
  cdBox(50, 90, 30, 55);
  cdInteriorStyle(CD_SOLID);
  cdForeground(0x008000);
  cdArc(25, 70, 30, 20, 0, 270);
  cdMarkType(CD_X);
  cdMarkSize(6);
  cdMark(60, 70);
  cdFont(CD_HELVETICA, CD_BOLD, 11);
  cdTextAlignment(CD_WEST);
  cdText(55, 80, "Hi \"CGM\"");
  unsigned char r[4] = {255, 0, 0, 255}, g[4] = {0, 255, 0, 255}, b[4] = {0, 0, 255, 255};
  cdPutImageRectRGB(2, 2, r, g, b, 80, 60, 8, 8, 0, 0, 0, 0);
}

void Check(const std::string& name, const char* option) {
  std::string path = cgmtest::Scratch(name);
  std::string data = path + " 25x25 4" + option;
  cdCanvasHandle cv = cdCreateCanvas(CD_CGM, (void*)data.c_str());
  ASSERT_NE(cv, nullptr);
  cdActivate(cv);
  SmallScene();
  cdKillCanvas(cv);
  std::string now = cgmtest::ReadFile(path);
  std::string golden = std::string(VARKO_TEST_DATA) + "/golden/" + name;
  if (std::getenv("VARKO_UPDATE_GOLDENS")) {
    cgmtest::WriteFile(golden, now);
    return;
  }
  std::string want = cgmtest::ReadFile(golden);
  ASSERT_FALSE(want.empty()) << "missing golden " << golden;
  EXPECT_EQ(now.size(), want.size()) << name;
  EXPECT_TRUE(now == want) << name << ": bytes differ";
}

TEST(CgmGolden, Binary) {
  Check("small.cgm", "");
}
TEST(CgmGolden, ClearText) {
  Check("small.cgmt", " -t");
}

// variety.cgm (make_fixtures.py: real VDC, indexed colours at 16 bits,
// circles, arcs, polygon sets, run-length cells, appended and restricted
// text) drawn on a 200 x 150 canvas; the reference was looked at.
TEST(CgmGolden, VarietyPicture) {
  cgmtest::Picture p(200, 150, 2);
  ASSERT_NE(p.cv, nullptr);
  std::string file = std::string(VARKO_TEST_DATA) + "/variety.cgm";
  ASSERT_EQ(cdPlay(CD_CGM, 0, 200, 0, 150, (void*)file.c_str()), CD_OK);
  std::string golden = std::string(VARKO_TEST_DATA) + "/golden/variety.ppm";
  if (std::getenv("VARKO_UPDATE_GOLDENS")) {
    p.SavePpm(golden);
    return;
  }
  std::string want = cgmtest::ReadFile(golden);
  ASSERT_FALSE(want.empty()) << "missing golden " << golden;
  EXPECT_TRUE(p.Ppm() == want) << "variety.cgm draws differently";
}

}  // namespace
