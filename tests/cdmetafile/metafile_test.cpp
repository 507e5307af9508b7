// The CD metafile: recording and playing back give the picture drawn
// directly (byte for byte at the same size, the scaled picture at half
// size); every record plays; hostile files give an error or draw what they
// can; creation refuses bad data; the size callback; a byte golden.
#include <gtest/gtest.h>
#include <dirent.h>
#include <sys/stat.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "../cdps/scene.h"
#include "cd.h"
#include "cdmf.h"
#include "vectortext.h"
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

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::stringstream s(text);
  for (std::string line; std::getline(s, line);) lines.push_back(line);
  return lines;
}

bool HasLine(const std::string& text, const std::string& line) {
  for (const std::string& l : Lines(text))
    if (l == line) return true;
  return false;
}

// An RGB image canvas over its own white planes.
struct Rgb {
  int w, h;
  std::vector<unsigned char> r, g, b;
  cdCanvasHandle cv = nullptr;
  Rgb(int width, int height, const char* resolution = "4") : w(width), h(height) {
    r.assign(size_t(w) * h, 255), g = r, b = r;
    char data[160];
    std::snprintf(data, sizeof data, "%dx%d %p %p %p -r%s", w, h, (void*)r.data(), (void*)g.data(),
                  (void*)b.data(), resolution);
    cv = cdCreateCanvas(CD_IMAGERGB, data);
    cdActivate(cv);
  }
  ~Rgb() { cdKillCanvas(cv); }
  long At(int x, int y) const {
    size_t i = size_t(y) * w + x;
    return cdEncodeColor(r[i], g[i], b[i]);
  }
  bool White() const {
    for (size_t i = 0; i < r.size(); i++)
      if (r[i] != 255 || g[i] != 255 || b[i] != 255) return false;
    return true;
  }
  scene::Raster Picture() const { return scene::FromPlanes(w, h, r, g, b); }
};

class Metafile : public ::testing::Test {
 protected:
  void SetUp() override {
    char dir_template[] = "/tmp/cdmf_XXXXXX";
    ASSERT_NE(mkdtemp(dir_template), nullptr);
    dir = dir_template;
  }
  // CDMF_KEEP=1 keeps the files for a look
  void TearDown() override {
    cdRegisterCallback(CD_METAFILE, CD_SIZECB, nullptr);
    if (!std::getenv("CDMF_KEEP")) std::system(("rm -rf '" + dir + "'").c_str());
  }
  std::string Path(const std::string& name) const { return dir + "/" + name; }

  // Records draw() into a metafile canvas made with `data` (after the
  // file name); returns the file's path.
  std::string Record(const std::string& name, const std::string& data, void (*draw)()) {
    std::string file = Path(name), full = file + " " + data;
    cdCanvasHandle cv = cdCreateCanvas(CD_METAFILE, (void*)full.c_str());
    EXPECT_NE(cv, nullptr) << full;
    if (!cv) return file;
    cdCanvasHandle previous = cdActiveCanvas();
    cdActivate(cv);
    draw();
    cdKillCanvas(cv);
    if (previous) cdActivate(previous);
    return file;
  }

  std::string dir;
};

// Recording cdLine (0, 0, 10, 10) on a 100 x 100 canvas writes the header
// and a line record; played into 0..199 x 0..199 it runs to (20, 20).
TEST_F(Metafile, LinePlayedTwiceAsLarge) {
  std::string file = Record("line.mf", "25x25 4", [] { cdLine(0, 0, 10, 10); });
  std::string text = ReadFile(file);
  EXPECT_EQ(text.rfind("CDMF 100 100\n", 0), 0u);
  EXPECT_TRUE(HasLine(text, "4 0 0 10 10"));
  Rgb rgb(210, 210);
  ASSERT_EQ(cdPlay(CD_METAFILE, 0, 199, 0, 199, (void*)file.c_str()), CD_OK);
  EXPECT_EQ(rgb.At(0, 0), 0);
  EXPECT_EQ(rgb.At(10, 10), 0);
  EXPECT_EQ(rgb.At(20, 20), 0);
  EXPECT_EQ(rgb.At(21, 21), 0xFFFFFF);
}

// The scene recorded and played back at its own size gives the bytes of
// the scene drawn directly.
TEST_F(Metafile, PlaybackGivesTheSameBytes) {
  Rgb direct(400, 300);
  scene::Draw(true);
  std::string file = Record("scene.mf", "100x75 4", [] { scene::Draw(true); });
  Rgb played(400, 300);
  ASSERT_EQ(cdPlay(CD_METAFILE, 0, 0, 0, 0, (void*)file.c_str()), CD_OK);
  EXPECT_FALSE(direct.White());
  size_t differ = 0;
  for (size_t i = 0; i < direct.r.size(); i++)
    differ +=
        direct.r[i] != played.r[i] || direct.g[i] != played.g[i] || direct.b[i] != played.b[i];
  EXPECT_EQ(differ, 0u);
}

// Played into a rectangle half the recorded size, the geometry comes out at
// half size: probes of known places, and the ink of the full picture
// reduced 2:1 against the half one (a reduced pixel is ink when any of its
// four is; matched within 2 pixels and 60 per channel, as for the
// PostScript raster). Texts keep their point size, so they stay out.
TEST_F(Metafile, PlaybackIntoHalfTheSize) {
  Rgb direct(400, 300);
  scene::Draw(false);
  scene::Raster full = direct.Picture();
  std::string file = Record("geometry.mf", "100x75 4", [] { scene::Draw(false); });
  Rgb half(200, 150);
  ASSERT_EQ(cdPlay(CD_METAFILE, 0, 200, 0, 150, (void*)file.c_str()), CD_OK);
  // the orange box 10..60 x 130..180 lies at 5..30 x 65..90
  EXPECT_EQ(half.At(17, 77), cdEncodeColor(200, 120, 0));
  EXPECT_EQ(half.At(40, 77), 0xFFFFFF);
  // the world triangle near x = 93 of 100 (device 372 .. 392) at 186 .. 196
  EXPECT_EQ(half.At(186, 5), cdEncodeColor(0, 0, 150));

  scene::Raster reduced;
  reduced.w = 200, reduced.h = 150;
  reduced.rgb.assign(size_t(200) * 150 * 3, 255);
  for (int y = 0; y < 150; y++)
    for (int x = 0; x < 200; x++)
      for (int k = 0; k < 4; k++) {
        int u = 2 * x + k % 2, v = 2 * y + k / 2;
        if (!full.Ink(u, v)) continue;
        for (int c = 0; c < 3; c++) reduced.rgb[(size_t(y) * 200 + x) * 3 + c] = full.At(u, v)[c];
        break;
      }
  scene::Raster played = half.Picture();
  double a = scene::Matched(played, reduced, 2, 60), b = scene::Matched(reduced, played, 2, 60);
  std::printf("half size: matched %.4f of the played ink, %.4f of the reduced\n", a, b);
  EXPECT_GE(a, 0.95);
  EXPECT_GE(b, 0.95);
}

// Every record the driver writes plays back: a drawing using all of them,
// recorded, played into a second metafile canvas of the same size, gives
// the same primitive records in the same order (attribute records equal to
// the canvas' current value are skipped by the setters, so they are left
// out of the comparison).
void EveryRecord() {
  cdFlush();
  cdClear();
  cdClipArea(1, 90, 2, 80);
  cdClip(CD_CLIPAREA);
  cdClip(CD_CLIPOFF);
  cdLine(1, 2, 3, 4);
  cdBox(5, 15, 6, 16);
  cdArc(30, 30, 20, 10, 10, 100);
  cdSector(40, 40, 10, 20, 200, 300);
  cdText(5, 5, "  two leading blanks");
  cdBegin(CD_FILL);
  cdVertex(1, 1);
  cdVertex(9, 1);
  cdVertex(5, 9);
  cdEnd();
  cdMark(50, 50);
  cdBackOpacity(CD_OPAQUE);
  cdWriteMode(CD_XOR);
  cdWriteMode(CD_REPLACE);
  cdLineStyle(CD_DOTTED);
  cdLineWidth(3);
  cdInteriorStyle(CD_HOLLOW);
  cdInteriorStyle(CD_SOLID);
  cdHatch(CD_FDIAGONAL);
  unsigned char stipple[6] = {1, 0, 1, 0, 1, 1};
  cdStipple(3, 2, stipple);
  long pattern[4] = {0xFF0000, 0x00FF00, 0x0000FF, 0x123456};
  cdPattern(2, 2, pattern);
  cdFont(CD_TIMES_ROMAN, CD_BOLD_ITALIC, 14);
  cdNativeFont("Liberation Sans, 11");
  cdTextAlignment(CD_NORTH_EAST);
  cdMarkType(CD_HOLLOW_BOX);
  cdMarkSize(7);
  cdBackground(cdEncodeColor(1, 2, 3));
  cdForeground(cdEncodeColor(250, 128, 7));
  unsigned char r[6] = {1, 2, 3, 4, 5, 6}, g[6] = {7, 8, 9, 10, 11, 12},
                b[6] = {13, 14, 15, 16, 17, 18}, a[6] = {0, 50, 100, 150, 200, 255};
  cdPutImageRectRGB(3, 2, r, g, b, 60, 60, 6, 4, 0, 0, 0, 0);
  unsigned char index[6] = {0, 2, 1, 2, 0, 1};
  long colors[3] = {0x010203, 0x040506, 0x070809};
  cdPutImageRectMap(3, 2, index, colors, 70, 60, 3, 2, 0, 0, 0, 0);
  cdPixel(3, 7, 0x0A0B0C);
  cdScrollArea(0, 10, 0, 10, 2, 3);
  cdTextOrientation(12.5);
  cdRect(2, 12, 3, 13);
  cdPutImageRectRGBA(3, 2, r, g, b, a, 80, 60, 3, 2, 0, 0, 0, 0);
  wdWindow(0, 10, 0, 20);
  wdLine(0.5, 1.5, 2.5, 3.5);
  wdRect(1, 2, 3, 4);
  wdBox(1.25, 2, 3, 4.75);
  wdArc(5, 5, 2, 3, 0, 90);
  wdSector(6, 6, 1, 1, 45, 90);
  wdText(1.5, 2.5, "world text");
  cdBegin(CD_CLOSED_LINES);
  wdVertex(1, 1);
  wdVertex(2, 1);
  wdVertex(2, 2);
  cdEnd();
  wdMark(3.5, 4.5);
  cdVectorText(10, 20, "vector");
  cdMultiLineVectorText(10, 30, "two\nlines \\ here");
  wdVectorText(1, 2, "world vector");
  wdMultiLineVectorText(1, 3, "a\nb");
  wdClipArea(1, 9, 2, 18);
  cdVectorFont("no_such_font_file.txt");
  cdVectorTextDirection(0, 0, 10, 5);
  double matrix[6] = {1, 0.5, 2, 0, 1, 3};
  cdVectorTextTransform(matrix);
  cdVectorTextSize(40, 10, "sized");
  cdVectorCharSize(12);
  wdVectorTextDirection(0, 0, 1, 1);
  wdVectorTextSize(4, 1, "wsized");
  wdVectorCharSize(2.5);
}

std::vector<std::string> PrimitiveRecords(const std::string& text) {
  static const std::set<int> attributes = {13, 14, 15, 16, 17, 18, 21, 23, 24, 25, 27, 28, 33};
  std::vector<std::string> out;
  for (const std::string& line : Lines(text)) {
    int code = -1;
    if (std::sscanf(line.c_str(), "%d", &code) == 1 && attributes.count(code)) continue;
    out.push_back(line);
  }
  return out;
}

TEST_F(Metafile, EveryRecordPlaysBack) {
  std::string first = Record("every.mf", "50x50 2", EveryRecord);
  std::string text = ReadFile(first);
  // record heads; rows of image, stipple and pattern cells end in a blank
  std::set<int> codes;
  for (const std::string& line : Lines(text)) {
    int code;
    if (!line.empty() && line.back() != ' ' && std::sscanf(line.c_str(), "%d", &code) == 1)
      codes.insert(code);
  }
  EXPECT_TRUE(HasLine(text, "0"));
  EXPECT_TRUE(HasLine(text, "1"));
  EXPECT_TRUE(HasLine(text, "11"));
  for (int code = 0; code <= 57; code++) {
    if (code == 26) continue;  // a palette reaches only drivers of 8 bits or fewer
    EXPECT_TRUE(codes.count(code)) << "no record " << code;
  }
  std::string second = Path("again.mf") + " 50x50 2";
  cdCanvasHandle cv = cdCreateCanvas(CD_METAFILE, (void*)second.c_str());
  ASSERT_NE(cv, nullptr);
  cdActivate(cv);
  ASSERT_EQ(cdPlay(CD_METAFILE, 0, 0, 0, 0, (void*)first.c_str()), CD_OK);
  cdKillCanvas(cv);
  EXPECT_EQ(PrimitiveRecords(ReadFile(Path("again.mf"))), PrimitiveRecords(text));
}

// World values keep their digits: map coordinates in metres, recorded and
// played into a second metafile, come back whole.
TEST_F(Metafile, WorldCoordinatesKeepTheirDigits) {
  std::string file = Record("utm.mf", "50x50 2", [] {
    wdWindow(6543210.5, 6543610.5, 1234567.25, 1234967.25);
    wdLine(6543310.5, 1234667.25, 6543510.125, 1234867.75);
  });
  std::string text = ReadFile(file);
  EXPECT_TRUE(HasLine(text, "48 6543210.5 6543610.5 1234567.25 1234967.25"));
  EXPECT_TRUE(HasLine(text, "36 6543310.5 1234667.25 6543510.125 1234867.75"));
  std::string second = Path("utm2.mf") + " 50x50 2";
  cdCanvasHandle cv = cdCreateCanvas(CD_METAFILE, (void*)second.c_str());
  ASSERT_NE(cv, nullptr);
  cdActivate(cv);
  ASSERT_EQ(cdPlay(CD_METAFILE, 0, 0, 0, 0, (void*)file.c_str()), CD_OK);
  cdKillCanvas(cv);
  EXPECT_TRUE(HasLine(ReadFile(Path("utm2.mf")), "36 6543310.5 1234667.25 6543510.125 1234867.75"));
}

// A native font string with blanks, a 2 x 2 sub-rectangle of an image and
// a line width of 1 at half size, from the driver's description.
TEST_F(Metafile, DescribedEdgeCases) {
  std::string file = Record("edge.mf", "25x25 4", [] {
    cdNativeFont("Liberation Sans, 14");
    std::vector<unsigned char> r(100), g(100), b(100);
    for (int i = 0; i < 100; i++) r[i] = (unsigned char)i, g[i] = 0, b[i] = 255;
    cdPutImageRectRGB(10, 10, r.data(), g.data(), b.data(), 5, 6, 2, 2, 3, 4, 7, 8);
    cdLineWidth(4);
    cdLineWidth(1);
    cdLine(0, 0, 50, 50);
  });
  std::string text = ReadFile(file);
  EXPECT_TRUE(HasLine(text, "22 Liberation Sans, 14"));
  EXPECT_TRUE(HasLine(text, "29 2 2 5 6 2 2"));
  EXPECT_TRUE(HasLine(text, "73 0 255 74 0 255 ")) << "row 7, columns 3 and 4";
  EXPECT_TRUE(HasLine(text, "83 0 255 84 0 255 "));

  std::string second = Path("half.mf") + " 25x25 4";
  cdCanvasHandle cv = cdCreateCanvas(CD_METAFILE, (void*)second.c_str());
  ASSERT_NE(cv, nullptr);
  cdActivate(cv);
  ASSERT_EQ(cdPlay(CD_METAFILE, 0, 50, 0, 50, (void*)file.c_str()), CD_OK);
  cdKillCanvas(cv);
  std::string played = ReadFile(Path("half.mf"));
  EXPECT_TRUE(HasLine(played, "22 Liberation Sans, 14"));
  EXPECT_TRUE(HasLine(played, "16 2")) << "4 at half size";
  std::vector<std::string> lines = Lines(played);
  size_t line = 0;
  while (line < lines.size() && lines[line] != "4 0 0 25 25") line++;
  ASSERT_LT(line, lines.size());
  EXPECT_EQ(lines[line - 1], "16 1") << "1 at half size stays 1";
}

// The size callback gets the canvas played into, the recorded size in
// pixels, and the same two values as reals; non-zero aborts the play.
struct SizeSeen {
  cdCanvasHandle canvas;
  int w, h;
  double w2, h2;
  int calls;
  int answer;
} size_seen;

int SizeCallback(cdCanvasHandle canvas, int w, int h, double w2, double h2) {
  size_seen = {canvas, w, h, w2, h2, size_seen.calls + 1, size_seen.answer};
  return size_seen.answer;
}

TEST_F(Metafile, SizeCallback) {
  std::string file = Record("cb.mf", "30x20 5", [] { cdBox(0, 149, 0, 99); });
  EXPECT_EQ(cdRegisterCallback(CD_METAFILE, 1, (cdCallback)(void*)SizeCallback), CD_ERROR);
  ASSERT_EQ(cdRegisterCallback(CD_METAFILE, CD_SIZECB, (cdCallback)(void*)SizeCallback), CD_OK);
  Rgb rgb(150, 100);
  size_seen = {};
  size_seen.answer = CDPLAY_ABORT;
  EXPECT_EQ(cdPlay(CD_METAFILE, 0, 0, 0, 0, (void*)file.c_str()), CD_ERROR);
  EXPECT_EQ(size_seen.calls, 1);
  EXPECT_TRUE(rgb.White()) << "aborted before drawing";
  size_seen.answer = CDPLAY_GO;
  EXPECT_EQ(cdPlay(CD_METAFILE, 0, 0, 0, 0, (void*)file.c_str()), CD_OK);
  EXPECT_EQ(size_seen.calls, 2);
  EXPECT_EQ(size_seen.canvas, rgb.cv);
  EXPECT_EQ(size_seen.w, 150);
  EXPECT_EQ(size_seen.h, 100);
  EXPECT_EQ(size_seen.w2, 150.0);
  EXPECT_EQ(size_seen.h2, 100.0);
  EXPECT_EQ(rgb.At(75, 50), 0);
}

TEST_F(Metafile, CreationData) {
  struct Bad {
    std::string data, file;
  };
  const Bad cases[] = {
      {"", ""},
      {"  ", ""},
      {Path("no/dir/x.mf"), Path("no/dir/x.mf")},
      {Path("zero.mf") + " 0x10 4", Path("zero.mf")},
      {Path("neg.mf") + " 10x-1 4", Path("neg.mf")},
      {Path("res0.mf") + " 10x10 0", Path("res0.mf")},
      {Path("resneg.mf") + " 10x10 -3", Path("resneg.mf")},
      {Path("tiny.mf") + " 0.1x0.1 1", Path("tiny.mf")},
      {Path("word.mf") + " abc", Path("word.mf")},
      {Path("junk.mf") + " 10x10 4 junk", Path("junk.mf")},
      {Path("nan.mf") + " nanx10 4", Path("nan.mf")},
  };
  for (const Bad& c : cases) {
    EXPECT_EQ(cdCreateCanvas(CD_METAFILE, (void*)c.data.c_str()), nullptr) << c.data;
    if (!c.file.empty()) {
      EXPECT_FALSE(Exists(c.file)) << c.data;
    }
  }
  EXPECT_EQ(cdCreateCanvas(CD_METAFILE, nullptr), nullptr);

  // a name longer than the driver keeps (511 characters) is refused, not cut
  std::string deep = Path(std::string(200, 'd'));
  ASSERT_EQ(mkdir(deep.c_str(), 0700), 0);
  deep += "/" + std::string(200, 'd');
  ASSERT_EQ(mkdir(deep.c_str(), 0700), 0);
  std::string long_name = deep + "/" + std::string(150, 'f');
  EXPECT_EQ(cdCreateCanvas(CD_METAFILE, (void*)long_name.c_str()), nullptr);
  EXPECT_FALSE(Exists(long_name.substr(0, 511)));

  // sizes and resolution as given; the defaults span the int range
  std::string sized = Path("sized.mf") + " 50x20 3";
  cdCanvasHandle cv = cdCreateCanvas(CD_METAFILE, (void*)sized.c_str());
  ASSERT_NE(cv, nullptr);
  cdActivate(cv);
  int w, h;
  double w_mm, h_mm;
  cdGetCanvasSize(&w, &h, &w_mm, &h_mm);
  EXPECT_EQ(w, 150);
  EXPECT_EQ(h, 60);
  EXPECT_EQ(w_mm, 50.0);
  cdKillCanvas(cv);
  std::string plain = Path("plain.mf");
  cv = cdCreateCanvas(CD_METAFILE, (void*)plain.c_str());
  ASSERT_NE(cv, nullptr);
  cdKillCanvas(cv);
  EXPECT_EQ(ReadFile(plain).rfind("CDMF 2147483647 2147483647\n", 0), 0u);
}

// A missing file and a wrong first word give CD_ERROR and draw nothing.
TEST_F(Metafile, NotAMetafile) {
  Rgb rgb(50, 50);
  std::string missing = Path("missing.mf");
  EXPECT_EQ(cdPlay(CD_METAFILE, 0, 0, 0, 0, (void*)missing.c_str()), CD_ERROR);
  std::string wrong = Path("wrong.mf");
  std::ofstream(wrong) << "CDMX 50 50\n5 0 49 0 49\n";
  EXPECT_EQ(cdPlay(CD_METAFILE, 0, 0, 0, 0, (void*)wrong.c_str()), CD_ERROR);
  EXPECT_TRUE(rgb.White());
}

// Hostile files, each named after what it breaks: an error or what can be
// drawn, never a crash. The result expected of each is listed here, and
// every file of the folder must be listed.
TEST_F(Metafile, HostileFiles) {
  // result, and whether (3, 3) is inked (by the line (0, 0)-(5, 5) after
  // the trouble, in most files)
  struct Want {
    int result;
    bool line_drawn;
  };
  const std::map<std::string, Want> expected = {
      {"arc_size_2e9.mf", {CD_OK, false}},
      {"color_component_300.mf", {CD_ERROR, false}},
      {"coordinates_int_range_box.mf", {CD_OK, true}},   // clamped to +-(2^30 - 1): it fills
      {"coordinates_int_range_line.mf", {CD_OK, true}},  // it crosses (3, 3) itself
      {"coordinates_int_range_polygon.mf", {CD_OK, true}},
      {"coordinate_beyond_int.mf", {CD_ERROR, false}},
      {"empty.mf", {CD_ERROR, false}},
      {"end_polygon_without_begin.mf", {CD_OK, true}},
      {"font_size_million.mf", {CD_ERROR, false}},
      {"header_negative_size.mf", {CD_ERROR, false}},
      {"header_truncated.mf", {CD_ERROR, false}},
      {"image_cols_rows_int_max.mf", {CD_ERROR, false}},
      {"image_size_1e9.mf", {CD_ERROR, false}},
      {"image_size_negative.mf", {CD_ERROR, false}},
      {"image_truncated_cells.mf", {CD_ERROR, false}},
      {"line_style_99.mf", {CD_ERROR, false}},
      {"map_image_size_1e9.mf", {CD_ERROR, false}},
      {"map_image_without_colors.mf", {CD_ERROR, false}},
      {"megabyte_native_font.mf", {CD_OK, true}},
      {"megabyte_number.mf", {CD_ERROR, false}},
      {"megabyte_text.mf", {CD_OK, true}},
      {"megabyte_vector_font_name.mf", {CD_OK, false}},
      {"nan_angle.mf", {CD_ERROR, false}},
      {"nul_byte_in_record.mf", {CD_ERROR, false}},
      {"palette_count_negative.mf", {CD_ERROR, false}},
      {"pattern_size_1e9.mf", {CD_ERROR, false}},
      {"pattern_size_negative.mf", {CD_ERROR, false}},
      {"record_code_58.mf", {CD_ERROR, false}},
      {"record_code_negative.mf", {CD_ERROR, false}},
      {"record_truncated.mf", {CD_ERROR, false}},
      {"rgba_image_size_1e9.mf", {CD_ERROR, false}},
      {"stipple_size_negative.mf", {CD_ERROR, false}},
      {"stipple_value_2.mf", {CD_ERROR, false}},
      {"text_at_end_without_newline.mf", {CD_OK, false}},
      {"vertex_without_begin.mf", {CD_OK, true}},
      {"world_window_empty.mf", {CD_OK, true}},
  };
  std::string folder = std::string(VARKO_TEST_DATA) + "/bad";
  DIR* d = opendir(folder.c_str());
  ASSERT_NE(d, nullptr);
  std::set<std::string> present;
  while (dirent* e = readdir(d))
    if (e->d_name[0] != '.') present.insert(e->d_name);
  closedir(d);
  for (const std::string& name : present) EXPECT_TRUE(expected.count(name)) << "unlisted " << name;
  for (const auto& [name, want] : expected) {
    ASSERT_TRUE(present.count(name)) << "missing " << name;
    std::string path = folder + "/" + name;
    Rgb rgb(64, 48);
    EXPECT_EQ(cdPlay(CD_METAFILE, 0, 0, 0, 0, (void*)path.c_str()), want.result) << name;
    EXPECT_EQ(rgb.At(3, 3) == 0, want.line_drawn) << name;
    // the same bytes from memory
    std::string bytes = ReadFile(path);
    EXPECT_EQ(cdPlayMetafileBuffer(0, 0, 0, 0, bytes.data(), bytes.size()), want.result) << name;
  }
}

// What was replayed before a bad record stays drawn.
TEST_F(Metafile, RecordsBeforeAnErrorStayDrawn) {
  Rgb rgb(20, 20);
  const char bytes[] = "CDMF 20 20\n5 0 9 0 9\n99 1 2 3\n5 10 19 10 19\n";
  EXPECT_EQ(cdPlayMetafileBuffer(0, 0, 0, 0, bytes, sizeof bytes - 1), CD_ERROR);
  EXPECT_EQ(rgb.At(5, 5), 0);
  EXPECT_EQ(rgb.At(15, 15), 0xFFFFFF);
}

// ---- the byte golden ----

// The fields each record code has by the format's table: a count of
// numbers, or -1 when a text runs to the end of the line after `fixed`
// numbers (second value), for the codes of the small scene.
struct Fields {
  int numbers, text_after;
};
const std::map<int, Fields> kFields = {
    {2, {1, 0}},  {3, {4, 0}},  {4, {4, 0}},  {5, {4, 0}},  {6, {6, 0}},  {7, {6, 0}},
    {8, {-1, 2}}, {9, {1, 0}},  {10, {2, 0}}, {11, {0, 0}}, {12, {2, 0}}, {13, {1, 0}},
    {14, {1, 0}}, {15, {1, 0}}, {16, {1, 0}}, {17, {1, 0}}, {18, {1, 0}}, {21, {3, 0}},
    {23, {1, 0}}, {24, {1, 0}}, {25, {1, 0}}, {27, {3, 0}}, {28, {3, 0}}, {31, {5, 0}},
    {33, {1, 0}}, {34, {4, 0}}, {36, {4, 0}}, {42, {2, 0}}, {48, {4, 0}},
};

void SmallScene() {
  cdForeground(cdEncodeColor(255, 0, 0));
  cdLineWidth(2);
  cdLine(10, 10, 90, 40);
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
  cdClipArea(0, 50, 0, 50);
  cdClip(CD_CLIPAREA);
  wdWindow(0, 1, 0, 1);
  wdLine(0, 0, 1, 1);
  cdBegin(CD_FILL);
  wdVertex(0.5, 0.5);
  wdVertex(0.75, 0.5);
  wdVertex(0.5, 0.75);
  cdEnd();
  cdClip(CD_CLIPOFF);
  cdMarkType(CD_DIAMOND);
  cdMark(30, 30);
  cdPixel(1, 2, 0x00FF80);
}

TEST_F(Metafile, GoldenFile) {
  std::string file = Record("small.mf", "25x20 4", SmallScene);
  std::string now = ReadFile(file);
  // read against the format: the header, then known codes with their fields
  std::vector<std::string> lines = Lines(now);
  ASSERT_FALSE(lines.empty());
  EXPECT_EQ(lines[0], "CDMF 100 80");
  for (size_t i = 1; i < lines.size(); i++) {
    std::stringstream s(lines[i]);
    int code;
    ASSERT_TRUE(s >> code) << lines[i];
    ASSERT_TRUE(kFields.count(code)) << "unexpected record " << lines[i];
    Fields f = kFields.at(code);
    int numbers = f.numbers < 0 ? f.text_after : f.numbers;
    for (int k = 0; k < numbers; k++) {
      double v;
      EXPECT_TRUE(s >> v) << lines[i];
    }
    std::string rest;
    std::getline(s, rest);
    if (f.numbers >= 0) {
      EXPECT_EQ(rest, "") << lines[i];
    } else {
      EXPECT_EQ(rest, " x(1)") << lines[i];
    }
  }
  // our player reads it, into the picture drawn directly
  Rgb direct(100, 80);
  SmallScene();
  Rgb played(100, 80);
  EXPECT_EQ(cdPlay(CD_METAFILE, 0, 0, 0, 0, (void*)file.c_str()), CD_OK);
  EXPECT_EQ(played.r, direct.r);
  EXPECT_EQ(played.g, direct.g);
  EXPECT_EQ(played.b, direct.b);

  std::string golden = std::string(VARKO_TEST_DATA) + "/golden/small.mf";
  if (std::getenv("VARKO_UPDATE_GOLDENS")) {
    std::ofstream(golden, std::ios::binary) << now;
    return;
  }
  ASSERT_TRUE(Exists(golden));
  EXPECT_EQ(ReadFile(golden), now);
}

}  // namespace
