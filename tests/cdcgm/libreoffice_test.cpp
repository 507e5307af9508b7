// Independent readers: LibreOffice imports our binary CGM and its picture
// overlaps ours; a CGM written by LibreOffice is read by our player.
//
// LibreOffice 7.4 reads MAXIMUM COLOUR INDEX 255 at 8-bit precision as a
// signed -1 and refuses the file, and reads the metric factor of SCALING
// MODE in the real precision (fixed point 32.32, 8 bytes) where ISO
// 8632-3 has it in floating point (our 4-byte IEEE single). Our files stay
// as they are; the copy handed to LibreOffice has only these two elements
// rewritten (index 127; the factor 1.0 as fixed point).
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "cdcgm.h"
#include "cgm_files.h"
#include "picture.h"

namespace {

using cgmtest::Picture;

const int W = 400, H = 225;  // 16:9, the shape of an Impress page

bool Have(const char* program) {
  return std::system((std::string("command -v ") + program + " >/dev/null 2>&1").c_str()) == 0;
}

// A P6 file read into a picture-sized buffer; false when it is not one.
bool ReadPpm(const std::string& path, int& w, int& h, std::string& rgb) {
  std::string b = cgmtest::ReadFile(path);
  int max = 0, used = 0;
  if (std::sscanf(b.c_str(), "P6 %d %d %d%n", &w, &h, &max, &used) != 3 || max != 255) return false;
  rgb = b.substr(size_t(used) + 1);
  return rgb.size() == size_t(w) * size_t(h) * 3;
}

void Scene() {
  cdForeground(0x000000);
  cdRect(0, W - 1, 0, H - 1);  // the frame that registers the two pictures
  int y = 215;
  for (int style = CD_CONTINUOUS; style <= CD_DASH_DOT_DOT; style++, y -= 12) {
    cdLineStyle(style);
    cdLineWidth(style + 1);
    cdForeground(cdEncodeColor(0, 0, (unsigned char)(80 + 40 * style)));
    cdLine(10, y, 180, y - 4);
  }
  cdLineStyle(CD_CONTINUOUS);
  cdLineWidth(2);
  cdForeground(0x008000);
  cdBegin(CD_CLOSED_LINES);
  cdVertex(200, 210), cdVertex(260, 150), cdVertex(300, 205);
  cdEnd();
  cdForeground(0xC03030);
  cdBegin(CD_FILL);
  cdVertex(310, 150), cdVertex(390, 150), cdVertex(350, 215);
  cdEnd();
  cdForeground(0x4040A0);
  cdBox(10, 90, 20, 100);
  cdHatch(CD_DIAGCROSS);
  cdForeground(0x800080);
  cdBox(100, 180, 20, 100);
  cdInteriorStyle(CD_SOLID);
  cdForeground(0x006060);
  cdSector(240, 60, 90, 90, 30, 300);
  cdForeground(0x000000);
  cdLineWidth(1);
  cdArc(340, 60, 80, 50, 0, 360);
  cdMarkType(CD_PLUS);
  cdMarkSize(12);
  for (int i = 0; i < 4; i++) cdMark(215 + 25 * i, 125);
  unsigned char r[64], g[64], b[64];
  for (int i = 0; i < 64; i++)
    r[i] = (unsigned char)(i * 4), g[i] = (unsigned char)(255 - i * 4), b[i] = 128;
  cdPutImageRectRGB(8, 8, r, g, b, 20, 110, 40, 32, 0, 0, 0, 0);
}

std::string Patched(const std::string& ours) {
  std::string out;
  for (const cgmtest::Element& e : cgmtest::Elements(ours)) {
    size_t len = e.params.size();
    size_t size = (e.long_form ? 4 : 2) + len + (len & 1);
    std::string element = ours.substr(e.offset, size);
    if (e.cls == 1 && e.id == 9) element = std::string("\x11\x21\x7f\0", 4);
    if (e.cls == 2 && e.id == 1) element = std::string("\x20\x2a\0\1\0\0\0\1\0\0\0\0", 12);
    out += element;
  }
  return out;
}

// The share of ink pixels of `a` (w x h, 3 bytes a pixel, white paper) that
// have ink within `reach` pixels in `b` at the mapped position.
struct Ink {
  int w, h;
  const unsigned char* p;
  bool At(int x, int y) const {
    if (x < 0 || y < 0 || x >= w || y >= h) return false;
    const unsigned char* q = p + 3 * (size_t(y) * size_t(w) + size_t(x));
    return q[0] + q[1] + q[2] < 3 * 200;
  }
};

TEST(CgmLibreOffice, ImportsOurBinaryMetafile) {
  if (!Have("soffice") || !Have("convert")) GTEST_SKIP() << "soffice or ImageMagick missing";
  std::string path = cgmtest::Scratch("lo.cgm");
  std::string data = path + " 100x56.25 4";
  cdCanvasHandle cv = cdCreateCanvas(CD_CGM, (void*)data.c_str());
  ASSERT_NE(cv, nullptr);
  cdActivate(cv);
  Scene();
  cdKillCanvas(cv);

  std::string ours = cgmtest::ReadFile(path);
  std::string copy = Patched(ours);
  ASSERT_EQ(copy.size(), ours.size() + 4);  // the factor is 4 bytes longer
  std::string dir = cgmtest::Scratch("lo");
  cgmtest::WriteFile(cgmtest::Scratch("lo_patched.cgm"), copy);
  std::string command = "cd " + cgmtest::ScratchDir() +
                        " && timeout 180 soffice -env:UserInstallation=file://" + dir +
                        "/profile --headless --convert-to png --outdir " + dir +
                        " lo_patched.cgm >" + dir + ".log 2>&1 && convert " + dir +
                        "/lo_patched.png -background white -flatten " + dir + "/lo.ppm";
  ASSERT_EQ(std::system(command.c_str()), 0) << cgmtest::ReadFile(dir + ".log");
  int lw = 0, lh = 0;
  std::string lo;
  ASSERT_TRUE(ReadPpm(dir + "/lo.ppm", lw, lh, lo));

  Picture mine(W, H);
  Scene();
  std::string top_down = mine.Ppm();  // top row first, as LibreOffice's
  int mw = 0, mh = 0;
  std::string me;
  cgmtest::WriteFile(dir + "/ours.ppm", top_down);
  ASSERT_TRUE(ReadPpm(dir + "/ours.ppm", mw, mh, me));

  // register by the frame: the bounding box of LibreOffice's ink
  Ink theirs{lw, lh, reinterpret_cast<const unsigned char*>(lo.data())};
  Ink ink{mw, mh, reinterpret_cast<const unsigned char*>(me.data())};
  int x0 = lw, y0 = lh, x1 = -1, y1 = -1;
  for (int y = 0; y < lh; y++)
    for (int x = 0; x < lw; x++)
      if (theirs.At(x, y))
        x0 = std::min(x0, x), x1 = std::max(x1, x), y0 = std::min(y0, y), y1 = std::max(y1, y);
  ASSERT_GT(x1 - x0, lw / 2) << "no frame in LibreOffice's picture";
  double sx = double(x1 - x0) / (W - 1), sy = double(y1 - y0) / (H - 1);
  // ours -> theirs: every ink pixel of ours (the frame aside) near theirs
  size_t n = 0, near = 0;
  for (int y = 2; y < H - 2; y++)
    for (int x = 2; x < W - 2; x++) {
      if (!ink.At(x, y)) continue;
      n++;
      int u = x0 + int(x * sx + 0.5), v = y0 + int(y * sy + 0.5);
      bool found = false;
      for (int dy = -3; dy <= 3 && !found; dy++)
        for (int dx = -3; dx <= 3 && !found; dx++) found = theirs.At(u + dx, v + dy);
      near += found;
    }
  // theirs -> ours
  size_t m = 0, back = 0;
  for (int v = y0 + 4; v < y1 - 4; v++)
    for (int u = x0 + 4; u < x1 - 4; u++) {
      if (!theirs.At(u, v)) continue;
      m++;
      int x = int((u - x0) / sx + 0.5), y = int((v - y0) / sy + 0.5);
      bool found = false;
      for (int dy = -1; dy <= 1 && !found; dy++)
        for (int dx = -1; dx <= 1 && !found; dx++) found = ink.At(x + dx, y + dy);
      back += found;
    }
  double there = double(near) / double(n), here = double(back) / double(m);
  std::printf(
      "LibreOffice %dx%d: %.3f of our ink has theirs within 3 of their pixels, %.3f of theirs has "
      "ours within 1\n",
      lw, lh, there, here);
  EXPECT_GE(there, 0.90);
  EXPECT_GE(here, 0.95);
}

}  // namespace
