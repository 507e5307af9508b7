// Shared pieces of the DXF and DGN driver tests: a scratch folder, file
// reading, the independent readers run as child processes, and the varied
// scene both drivers draw, in device or in world coordinates.
#ifndef VARKO_TESTS_CDDXFDGN_SUPPORT_H
#define VARKO_TESTS_CDDXFDGN_SUPPORT_H

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "cd.h"
#include "wd.h"

namespace dxfdgn {

inline std::string TestData(const std::string& name) {
  return std::string(VARKO_TEST_DATA) + "/" + name;
}

/* a fresh folder per test, removed afterwards */
class Scratch {
 public:
  Scratch() {
    char pattern[] = "/tmp/cddxfdgn_XXXXXX";
    const char* made = mkdtemp(pattern);
    dir_ = made ? made : "";
  }
  ~Scratch() {
    std::error_code ignored;
    std::filesystem::remove_all(dir_, ignored);
  }
  std::string Path(const std::string& name) const { return dir_ + "/" + name; }
  /* the names of the files in the folder */
  std::vector<std::string> Files() const {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(dir_))
      names.push_back(entry.path().filename().string());
    return names;
  }

 private:
  std::string dir_;
};

inline std::string ReadFile(const std::string& path) {
  std::string out;
  FILE* f = std::fopen(path.c_str(), "rb");
  if (!f) return out;
  char buf[65536];
  size_t n;
  while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) out.append(buf, n);
  std::fclose(f);
  return out;
}

inline bool Exists(const std::string& path) {
  struct stat st;
  return stat(path.c_str(), &st) == 0;
}

/* runs a command, returns its standard output; status is its exit code */
inline std::string Run(const std::string& command, int* status) {
  std::string out;
  FILE* p = popen(command.c_str(), "r");
  if (!p) {
    *status = -1;
    return out;
  }
  char buf[65536];
  size_t n;
  while ((n = std::fread(buf, 1, sizeof buf, p)) > 0) out.append(buf, n);
  int raw = pclose(p);
  *status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
  return out;
}

inline std::string Python(const std::string& script, const std::string& args, int* status) {
  return Run(std::string(VARKO_PYTHON) + " " + TestData(script) + " " + args + " 2>&1", status);
}

inline std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  std::string line;
  while (std::getline(in, line)) lines.push_back(line);
  return lines;
}

inline std::vector<std::string> Split(const std::string& line) {
  std::vector<std::string> words;
  std::istringstream in(line);
  std::string w;
  while (in >> w) words.push_back(w);
  return words;
}

/* a canvas created, active while the object lives, killed at the end */
class Canvas {
 public:
  Canvas(cdDriver* driver, const std::string& data) {
    canvas_ = cdCreateCanvas(driver, const_cast<char*>(data.c_str()));
    if (canvas_) cdActivate(canvas_);
  }
  ~Canvas() { Kill(); }
  void Kill() {
    if (canvas_) cdKillCanvas(canvas_);
    canvas_ = nullptr;
  }
  bool ok() const { return canvas_ != nullptr; }

 private:
  cdCanvasHandle canvas_ = nullptr;
};

/* Draws through the integer calls, or through the world calls on a window
 * of half the pixels (so that world value v lands on pixel 2v exactly). */
class Pen {
 public:
  explicit Pen(bool world) : world_(world) {
    if (world_) {
      int w, h;
      cdGetCanvasSize(&w, &h, nullptr, nullptr);
      wdViewport(0, w - 1, 0, h - 1);
      wdWindow(0, (w - 1) / 2.0, 0, (h - 1) / 2.0);
    }
  }
  void Line(int x1, int y1, int x2, int y2) {
    if (world_)
      wdLine(x1 / 2.0, y1 / 2.0, x2 / 2.0, y2 / 2.0);
    else
      cdLine(x1, y1, x2, y2);
  }
  void Box(int x1, int x2, int y1, int y2) {
    if (world_)
      wdBox(x1 / 2.0, x2 / 2.0, y1 / 2.0, y2 / 2.0);
    else
      cdBox(x1, x2, y1, y2);
  }
  void Rect(int x1, int x2, int y1, int y2) {
    if (world_)
      wdRect(x1 / 2.0, x2 / 2.0, y1 / 2.0, y2 / 2.0);
    else
      cdRect(x1, x2, y1, y2);
  }
  void Arc(int xc, int yc, int w, int h, double a1, double a2) {
    if (world_)
      wdArc(xc / 2.0, yc / 2.0, w / 2.0, h / 2.0, a1, a2);
    else
      cdArc(xc, yc, w, h, a1, a2);
  }
  void Sector(int xc, int yc, int w, int h, double a1, double a2) {
    if (world_)
      wdSector(xc / 2.0, yc / 2.0, w / 2.0, h / 2.0, a1, a2);
    else
      cdSector(xc, yc, w, h, a1, a2);
  }
  void Vertex(int x, int y) {
    if (world_)
      wdVertex(x / 2.0, y / 2.0);
    else
      cdVertex(x, y);
  }
  void Mark(int x, int y) {
    if (world_)
      wdMark(x / 2.0, y / 2.0);
    else
      cdMark(x, y);
  }
  void Text(int x, int y, const char* s) {
    if (world_)
      wdText(x / 2.0, y / 2.0, s);
    else
      cdText(x, y, s);
  }
  void Pixel(int x, int y, long color) {
    if (world_)
      wdPixel(x / 2.0, y / 2.0, color);
    else
      cdPixel(x, y, color);
  }
  void Image(int iw, int ih, const unsigned char* r, const unsigned char* g, const unsigned char* b,
             int x, int y, int w, int h) {
    if (world_)
      wdPutImageRectRGB(iw, ih, r, g, b, x / 2.0, y / 2.0, w / 2.0, h / 2.0, 0, 0, 0, 0);
    else
      cdPutImageRGB(iw, ih, r, g, b, x, y, w, h);
  }
  void Clip(int x1, int x2, int y1, int y2) {
    if (world_)
      wdClipArea(x1 / 2.0, x2 / 2.0, y1 / 2.0, y2 / 2.0);
    else
      cdClipArea(x1, x2, y1, y2);
  }

 private:
  bool world_;
};

constexpr long kRed = 0xFF0000, kGreen = 0x00FF00, kBlue = 0x0000FF, kYellow = 0xFFFF00;
constexpr long kGrey = 0x808080, kBlack = 0x000000;

struct SceneText {
  int face, style, size;
  double angle;
  int alignment;
  const char* text;
};

/* the texts of the scene: several faces, sizes (points and pixels),
 * angles and alignments */
inline const std::vector<SceneText>& SceneTexts() {
  static const std::vector<SceneText> texts = {
      {CD_SYSTEM, CD_PLAIN, 12, 0, CD_BASE_LEFT, "System 12"},
      {CD_COURIER, CD_BOLD, 10, 0, CD_NORTH_WEST, "Courier bold"},
      {CD_TIMES_ROMAN, CD_ITALIC, -20, 45, CD_BASE_CENTER, "Times 20 px"},
      {CD_HELVETICA, CD_BOLD_ITALIC, 18, 90, CD_CENTER, "Helvetica"},
  };
  return texts;
}

/* All coordinates are even, so the world form draws the same pixels. */
inline void DrawScene(bool world) {
  Pen pen(world);
  /* lines in every style, at widths 1 and 4 */
  cdForeground(kRed);
  int y = 20;
  for (int width : {1, 4})
    for (int style = CD_CONTINUOUS; style <= CD_DASH_DOT_DOT; style++) {
      cdLineWidth(width);
      cdLineStyle(style);
      pen.Line(20, y, 180, y + 10);
      y += 20;
    }
  cdLineStyle(CD_CONTINUOUS);
  cdLineWidth(1);
  /* a filled convex polygon and a hatched concave one */
  cdForeground(kGreen);
  cdBegin(CD_FILL);
  for (auto [x, yv] : {std::pair{220, 20}, {300, 20}, {320, 80}, {240, 100}}) pen.Vertex(x, yv);
  cdEnd();
  cdForeground(kBlue);
  cdHatch(CD_DIAGCROSS);
  cdBegin(CD_FILL);
  for (auto [x, yv] : {std::pair{340, 20}, {420, 20}, {380, 50}, {420, 100}, {340, 100}})
    pen.Vertex(x, yv);
  cdEnd();
  cdInteriorStyle(CD_SOLID);
  /* boxes, arcs and sectors */
  cdForeground(kYellow);
  pen.Box(20, 80, 220, 260);
  pen.Rect(100, 160, 220, 260);
  cdForeground(kBlue);
  pen.Arc(220, 240, 60, 40, 0, 90);
  pen.Arc(300, 240, 40, 40, 350, 10);
  pen.Sector(380, 240, 60, 60, 30, 200);
  pen.Sector(460, 240, 40, 40, 0, 360);
  /* marks */
  cdMarkSize(10);
  int x = 30;
  for (int type : {CD_STAR, CD_CIRCLE, CD_HOLLOW_BOX, CD_DIAMOND}) {
    cdMarkType(type);
    pen.Mark(x, 300);
    x += 30;
  }
  /* texts */
  cdForeground(kBlack);
  y = 340;
  for (const SceneText& t : SceneTexts()) {
    cdFont(t.face, t.style, t.size);
    cdTextOrientation(t.angle);
    cdTextAlignment(t.alignment);
    pen.Text(40, y, t.text);
    y += 40;
  }
  cdTextOrientation(0);
  cdTextAlignment(CD_BASE_LEFT);
  /* a 4 x 3 image stretched to 8 x 6 */
  static const unsigned char r[12] = {255, 0, 0, 255, 0, 0, 255, 0, 0, 255, 0, 0};
  static const unsigned char g[12] = {0, 255, 0, 0, 255, 0, 0, 255, 0, 0, 255, 0};
  static const unsigned char b[12] = {0, 0, 255, 0, 0, 255, 0, 0, 255, 0, 0, 255};
  pen.Image(4, 3, r, g, b, 300, 300, 8, 6);
  /* clipping: the line reaches past the clip rectangle */
  cdForeground(kGrey);
  pen.Clip(0, 100, 0, 100);
  cdClip(CD_CLIPAREA);
  pen.Line(50, 50, 150, 150);
  cdClip(CD_CLIPOFF);
  pen.Pixel(10, 10, kGreen);
}

}  // namespace dxfdgn

#endif
