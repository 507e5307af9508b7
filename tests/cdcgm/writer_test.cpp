// The CGM writer: the creation sequence and picture extent, element
// mapping, the binary element forms (short, long, partitions, pad bytes)
// and the clear-text layout, read back with the plain element walk of
// cgm_files.h.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "cdcgm.h"
#include "cgm_files.h"

namespace {

using cgmtest::Be16;
using cgmtest::Be32;
using cgmtest::Element;

std::string Write(const std::string& name, const std::string& options, void (*draw)()) {
  std::string path = cgmtest::Scratch(name);
  std::string data = path + (options.empty() ? "" : " " + options);
  cdCanvasHandle cv = cdCreateCanvas(CD_CGM, (void*)data.c_str());
  EXPECT_NE(cv, nullptr);
  if (!cv) return "";
  cdActivate(cv);
  draw();
  cdKillCanvas(cv);
  return cgmtest::ReadFile(path);
}

std::vector<Element> Body(const std::string& bytes) {
  bool ok = false;
  std::vector<Element> all = cgmtest::Elements(bytes, &ok);
  EXPECT_TRUE(ok) << "elements do not fill the file";
  return all;
}

const Element* Find(const std::vector<Element>& els, int cls, int id, int nth = 0) {
  for (const Element& e : els)
    if (e.cls == cls && e.id == id && nth-- == 0) return &e;
  return nullptr;
}

int Count(const std::vector<Element>& els, int cls, int id) {
  int n = 0;
  for (const Element& e : els) n += e.cls == cls && e.id == id;
  return n;
}

TEST(CgmWriter, CreationSequenceInOrder) {
  std::string bytes = Write("seq.cgm", "100x50 2", [] {});
  std::vector<Element> els = Body(bytes);
  // BEGIN METAFILE and the metafile descriptor, the first picture, the
  // attributes pushed by canvas creation, END PICTURE, END METAFILE
  const int want[][2] = {{0, 1}, {1, 1},  {1, 2},  {1, 3},  {1, 4},  {1, 5}, {1, 6}, {1, 7}, {1, 8},
                         {1, 9}, {1, 10}, {1, 11}, {1, 12}, {1, 13}, {0, 3}, {2, 1}, {2, 2}, {2, 3},
                         {2, 4}, {2, 6},  {3, 5},  {3, 6},  {0, 4},  {3, 1}, {3, 2}, {3, 3}};
  ASSERT_GT(els.size(), std::size(want));
  for (size_t i = 0; i < std::size(want); i++) {
    EXPECT_EQ(els[i].cls, want[i][0]) << i;
    EXPECT_EQ(els[i].id, want[i][1]) << i;
  }
  EXPECT_EQ(els[0].params, std::string("\x18") + "CD - CanvasDraw, Korvell");
  EXPECT_EQ(els[1].params, std::string("\0\1", 2));
  EXPECT_EQ(els[5].params, std::string("\0\1\0\x20\0\x20", 6));  // fixed 32.32
  EXPECT_EQ(els[9].params, "\xff");                              // maximum colour index 255
  EXPECT_EQ(els[10].params, std::string("\0\0\0\xff\xff\xff", 6));
  EXPECT_EQ(els[11].params, std::string("\0\1\xff\xff\0\1", 6));
  // defaults replacement: long form holding three complete elements
  EXPECT_TRUE(els[12].long_form);
  EXPECT_EQ(els[12].params, std::string("\x30\x22\0\x10\x52\xc2\0\1\x53\xc2\0\0", 12));
  std::vector<Element> fonts;
  std::string names = els[13].params;
  EXPECT_EQ(names.substr(0, 7), "\x06SYSTEM");
  EXPECT_NE(names.find("\x14HELVETICA_BOLDITALIC"), std::string::npos);
  // scaling mode metric, factor 1.0 as a 32-bit float
  EXPECT_EQ(els[15].params, std::string("\0\1\x3f\x80\0\0", 6));
  EXPECT_EQ(els[16].params, std::string("\0\1", 2));
  // the extent of a canvas with a size: 200 x 100 pixels
  EXPECT_EQ(els[19].params, std::string("\0\0\0\0\0\xc8\0\x64", 8));
  EXPECT_EQ(els[20].params, std::string("\0\0\0\0\0\xc8\0\x64", 8));
  EXPECT_EQ(els[24].params, std::string("\0\1\0\x10\0\x10", 6));  // VDC reals fixed 16.16
  EXPECT_EQ(els[25].params, std::string("\xff\xff\xff", 3));
  EXPECT_EQ(els[els.size() - 2].cls, 0);
  EXPECT_EQ(els[els.size() - 2].id, 5);
  EXPECT_EQ(els.back().cls, 0);
  EXPECT_EQ(els.back().id, 2);
}

// An odd parameter count gets a zero pad byte: MAXIMUM COLOUR INDEX has
// one byte, a TEXT with a string of even length has an odd count.
TEST(CgmWriter, OddElementsArePadded) {
  std::string bytes = Write("pad.cgm", "100x50", [] { cdText(5, 6, "ab"); });
  std::vector<Element> els = Body(bytes);
  const Element* max = Find(els, 1, 9);
  ASSERT_NE(max, nullptr);
  EXPECT_EQ(bytes.substr(max->offset, 4), std::string("\x11\x21\xff\0", 4));
  const Element* text = Find(els, 4, 4);
  ASSERT_NE(text, nullptr);
  EXPECT_EQ(text->params, std::string("\0\5\0\6\0\1\2ab", 9));
  EXPECT_EQ(bytes[text->offset + 2 + 9], '\0');
}

TEST(CgmWriter, ExtentIsWhatWasDrawnWithoutSize) {
  std::string bytes = Write("bounds.cgm", "", [] { cdLine(10, 20, 30, 5); });
  std::vector<Element> els = Body(bytes);
  const Element* ext = Find(els, 2, 6);
  ASSERT_NE(ext, nullptr);
  EXPECT_EQ(ext->params, std::string("\0\x0a\0\x05\0\x1e\0\x14", 8));
}

TEST(CgmWriter, ExtentIsTheClipAreaWhenOneWasSet) {
  std::string bytes = Write("clipbounds.cgm", "", [] {
    cdClipArea(5, 40, 6, 30);
    cdLine(0, 0, 300, 200);
  });
  std::vector<Element> els = Body(bytes);
  const Element* ext = Find(els, 2, 6);
  ASSERT_NE(ext, nullptr);
  EXPECT_EQ(ext->params, std::string("\0\x05\0\x06\0\x28\0\x1e", 8));
}

TEST(CgmWriter, EveryPictureOfASizedCanvasHasTheCanvasExtent) {
  std::string bytes = Write("pictures.cgm", "20x10", [] {
    cdLine(1, 2, 3, 4);
    cdFlush();
    cdLine(5, 6, 7, 8);
  });
  std::vector<Element> els = Body(bytes);
  EXPECT_EQ(Count(els, 0, 3), 2);
  EXPECT_EQ(Count(els, 0, 5), 2);
  for (int nth : {0, 1}) {
    const Element* ext = Find(els, 2, 6, nth);
    ASSERT_NE(ext, nullptr);
    EXPECT_EQ(ext->params, std::string("\0\0\0\0\0\x14\0\x0a", 8));
  }
  EXPECT_EQ(Find(els, 0, 3, 1)->params, std::string("\x09Picture x"));
}

TEST(CgmWriter, ThirtyTwoBitPrecisionWithoutSize) {
  std::string bytes = Write("p32.cgm", "-p32", [] {
    int w = 0, h = 0;
    cdGetCanvasSize(&w, &h, nullptr, nullptr);
    EXPECT_EQ(w, 2147483647);
    EXPECT_EQ(h, 2147483647);
    cdLine(100000, -7, 3, 70000);
  });
  std::vector<Element> els = Body(bytes);
  const Element* line = Find(els, 4, 1);
  ASSERT_NE(line, nullptr);
  ASSERT_EQ(line->params.size(), 16u);
  EXPECT_EQ(Be32(line->params, 0), 100000);
  EXPECT_EQ(Be32(line->params, 4), -7);
  EXPECT_EQ(Be32(line->params, 12), 70000);
  EXPECT_EQ(Find(els, 1, 12)->params.substr(0, 4), std::string("\x30\x22\0\x20", 4));
}

TEST(CgmWriter, SixteenBitVdcIsClamped) {
  std::string bytes = Write("clamp.cgm", "100x100", [] { cdLine(-40000, 5, 40000, 6); });
  std::vector<Element> els = Body(bytes);
  const Element* line = Find(els, 4, 1);
  ASSERT_NE(line, nullptr);
  EXPECT_EQ(Be16(line->params, 0), -32768);
  EXPECT_EQ(Be16(line->params, 4), 32767);
}

// A polyline longer than one partition: partitions of 32766 bytes with
// bit 15 set, then the rest.
TEST(CgmWriter, LongElementsArePartitioned) {
  std::string bytes = Write("long.cgm", "100x100", [] {
    cdBegin(CD_OPEN_LINES);
    for (int i = 0; i < 10000; i++) cdVertex(i % 100, i / 100);
    cdEnd();
  });
  std::vector<Element> els = Body(bytes);
  const Element* line = Find(els, 4, 1);
  ASSERT_NE(line, nullptr);
  EXPECT_EQ(line->params.size(), 40000u);
  EXPECT_EQ(line->partitions, 2u);
  EXPECT_EQ(bytes.substr(line->offset, 4), "\x40\x3f\xff\xfe");
  EXPECT_EQ(Be16(line->params, 39996), 99);
  EXPECT_EQ(Be16(line->params, 39998), 99);
}

TEST(CgmWriter, PixelIsAOnePixelMarkerInItsColour) {
  std::string bytes = Write("pixel.cgm", "100x100", [] {
    cdForeground(0x102030);
    cdPixel(3, 4, 0xFF0000);  // star marks: type 1 and size 1 for the pixel, then back
    cdMarkType(CD_BOX);
    cdMarkSize(1);
    cdPixel(5, 6, 0x102030);  // box marks are type 1 already, size is 1, colour the same
  });
  std::vector<Element> els = Body(bytes);
  size_t first = 0;
  while (first < els.size() && !(els[first].cls == 4 && els[first].id == 3)) first++;
  ASSERT_LT(first + 4, els.size());
  EXPECT_EQ(els[first - 3].id, 6);  // MARKER TYPE 1
  EXPECT_EQ(els[first - 3].params, std::string("\0\1", 2));
  EXPECT_EQ(els[first - 2].id, 7);  // MARKER SIZE 1
  EXPECT_EQ(els[first - 1].id, 8);  // MARKER COLOUR of the pixel
  EXPECT_EQ(els[first - 1].params, std::string("\xff\0\0", 3));
  EXPECT_EQ(els[first].params, std::string("\0\3\0\4", 4));
  EXPECT_EQ(els[first + 1].params, "\x10\x20\x30");  // colour back
  EXPECT_EQ(els[first + 2].id, 7);
  EXPECT_EQ(els[first + 3].params, std::string("\0\3", 2));  // star
  // the second pixel: MARKER TYPE 1 and MARKER SIZE 1 from the setters, then the marker alone
  const Element* second = Find(els, 4, 3, 1);
  ASSERT_NE(second, nullptr);
  EXPECT_EQ(second->params, std::string("\0\5\0\6", 4));
  const Element& before = *(second - 1);
  EXPECT_EQ(before.cls, 5);
  EXPECT_EQ(before.id, 7);  // the cdMarkSize (1) of the script, not a pixel's
}

TEST(CgmWriter, PrimitivesAndAttributes) {
  std::string bytes = Write("prims.cgm", "100x100", [] {
    cdLineStyle(CD_DASH_DOT);
    cdLineWidth(3);
    cdRect(1, 9, 2, 8);
    cdHatch(CD_FDIAGONAL);
    cdBox(10, 20, 30, 40);
    cdArc(50, 50, 20, 10, 0, 90);
    cdSector(50, 50, 20, 10, 90, 180);
    cdTextAlignment(CD_NORTH_EAST);
    cdFont(CD_TIMES_ROMAN, CD_BOLD, 14);
    unsigned char stipple[4] = {1, 0, 0, 1};
    cdStipple(2, 2, stipple);
  });
  std::vector<Element> els = Body(bytes);
  EXPECT_EQ(Find(els, 5, 2, 1)->params, std::string("\0\4", 2));  // dash-dot
  EXPECT_EQ(Find(els, 5, 3, 1)->params, std::string("\0\3", 2));
  // rectangle: hollow, the corners, the interior style back
  const Element* rect = Find(els, 4, 11);
  ASSERT_NE(rect, nullptr);
  EXPECT_EQ(rect->params, std::string("\0\1\0\2\0\x09\0\x08", 8));
  EXPECT_EQ((rect - 1)->params, std::string("\0\0", 2));
  EXPECT_EQ((rect + 1)->params, std::string("\0\1", 2));
  // hatch: index 4 for the forward diagonal, then interior style hatch
  const Element* hatch = Find(els, 5, 24, 1);
  ASSERT_NE(hatch, nullptr);
  EXPECT_EQ(hatch->params, std::string("\0\4", 2));
  EXPECT_EQ((hatch + 1)->params, std::string("\0\3", 2));
  // arc: centre, conjugate diameter ends, start and end vectors (the end
  // vector's 5 sin (90 x 0.0174532944...) is just below 5 and truncates to 4)
  const Element* arc = Find(els, 4, 18);
  ASSERT_NE(arc, nullptr);
  EXPECT_EQ(arc->params,
            std::string("\0\x32\0\x32\0\x3c\0\x32\0\x32\0\x37\0\x0a\0\0\0\0\0\x04", 20));
  const Element* sector = Find(els, 4, 19);
  ASSERT_NE(sector, nullptr);
  EXPECT_EQ(sector->params.size(), 22u);
  EXPECT_EQ(sector->params.substr(20), std::string("\0\0", 2));  // pie
  // text alignment right, top, continuous alignment 0.0 0.0
  const Element* align = Find(els, 5, 18, 1);
  ASSERT_NE(align, nullptr);
  EXPECT_EQ(align->params, std::string("\0\3\0\1", 4) + std::string(16, '\0'));
  // font: 14 points are 5 mm, at 1 pixel per millimetre 5 VDC; index 1 + 2 + 4
  const Element* height = Find(els, 5, 15, 1);
  ASSERT_NE(height, nullptr);
  EXPECT_EQ(height->params, std::string("\0\5", 2));
  EXPECT_EQ((height + 1)->params, std::string("\0\7", 2));
  // stipple: a pattern table of the foreground and background, its index, style pattern
  const Element* table = Find(els, 5, 32);
  ASSERT_NE(table, nullptr);
  EXPECT_EQ(table->params, std::string("\0\1\0\2\0\2\0\x08", 8) +
                               std::string("\0\0\0\xff\xff\xff\xff\xff\xff\0\0\0", 12));
  EXPECT_EQ((table + 1)->params, std::string("\0\1", 2));
  EXPECT_EQ((table + 2)->params, std::string("\0\2", 2));
}

TEST(CgmWriter, ImagesAreCellArraysFromTheTopRow) {
  std::string bytes = Write("image.cgm", "100x100", [] {
    // 3 x 2 pixels, row 0 at the bottom
    unsigned char r[6] = {1, 2, 3, 4, 5, 6}, g[6] = {0}, b[6] = {9, 9, 9, 9, 9, 9};
    cdPutImageRectRGB(3, 2, r, g, b, 10, 20, 3, 2, 0, 0, 0, 0);
  });
  std::vector<Element> els = Body(bytes);
  const Element* cells = Find(els, 4, 9);
  ASSERT_NE(cells, nullptr);
  // P (10, 22), Q (13, 20), R (13, 22), nx 3, ny 2, precision 8, packed
  std::string head("\0\x0a\0\x16\0\x0d\0\x14\0\x0d\0\x16\0\3\0\2\0\x08\0\1", 20);
  std::string rows("\4\0\x09\5\0\x09\6\0\x09\0\1\0\x09\2\0\x09\3\0\x09\0", 20);
  EXPECT_EQ(cells->params, head + rows);
}

TEST(CgmWriter, ClearTextLayout) {
  std::string text = Write("layout.cgmt", "100x50 2 -t", [] {
    cdLine(1, 2, 3, 4);
    cdText(5, 6, std::string(120, 'x').c_str());
    cdText(7, 8, "say \"hi\"");
  });
  EXPECT_EQ(text.substr(0, 32), "BEGMF\"CD - CanvasDraw, Korvell\";");
  EXPECT_NE(text.find("\nINTEGER_PREC -32768 , 32767;\n"), std::string::npos);
  EXPECT_NE(text.find("\nREAL_PREC -2.14748e+09 , 2.14748e+09 , 9;\n"), std::string::npos);
  EXPECT_NE(text.find("\nCOLR_VALUE_EXT 0 0 0\n               255 255 255;\n"), std::string::npos);
  EXPECT_NE(text.find("\nMF_ELEM_LIST \"drawing_plus  \";\n"), std::string::npos);
  EXPECT_NE(text.find("\nBEG_MF_DEFAULTS;\nVDC_INTEGER_PREC -32768 , 32767;\nINT_STYLE SOLID;\n"
                      "EDGE_VIS OFF;\nEND_MF_DEFAULTS;\n"),
            std::string::npos);
  EXPECT_NE(text.find("\nFONT_LIST\n         \"SYSTEM\"\n         \"COURIER\""), std::string::npos);
  EXPECT_NE(text.find("\nSCALE_MODE metric 1;\n"), std::string::npos);
  EXPECT_NE(text.find("\nVDC_EXT ( 0 , 0 ) ( 200 , 100 );\n"), std::string::npos);
  EXPECT_NE(text.find("\nLINE\n        ( 1 , 2 )\n        ( 3 , 4 );\n"), std::string::npos);
  std::string piece(50, 'x');
  EXPECT_NE(
      text.find("\nTEXT ( 5 , 6 )\n          NOT_FINAL\"" + piece + "\";\nAPND_TEXT NOT_FINAL\"" +
                piece + "\";\nAPND_TEXT    FINAL\"" + std::string(20, 'x') + "\";\n"),
      std::string::npos);
  EXPECT_NE(text.find("    FINAL\"say \"\"hi\"\"\";"), std::string::npos);
  EXPECT_EQ(text.substr(text.size() - 16), "END_PIC;\nENDMF;\n");
}

TEST(CgmWriter, FileThatCannotBeOpenedMakesNoCanvas) {
  EXPECT_EQ(cdCreateCanvas(CD_CGM, (void*)"/nonexistent/folder/x.cgm"), nullptr);
  EXPECT_EQ(cdCreateCanvas(CD_CGM, (void*)"/nonexistent/folder/x.cgm -t"), nullptr);
  EXPECT_EQ(cdCreateCanvas(CD_CGM, nullptr), nullptr);
}

}  // namespace
