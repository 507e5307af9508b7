// Byte goldens: a small scene written in both encodings, compared byte for
// byte with the committed files. The binary one was read by LibreOffice
// (after the two patches libreoffice_test.cpp describes), the clear-text
// one was read element by element against the writer's layout. Set
// CGM_REGENERATE_GOLDENS=1 to rewrite them deliberately; then have them
// read again before committing.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "cdcgm.h"
#include "cgm_files.h"

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
  if (std::getenv("CGM_REGENERATE_GOLDENS")) {
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

}  // namespace
