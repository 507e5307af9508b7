// The graph printed to PostScript: the file "imagem" in the current folder
// holds the whole graph (Ghostscript reads it and finds its texts and its
// ink), and the graph goes back to its own canvas afterwards.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "picture.h"
#include "xychart.h"

namespace {

namespace fs = std::filesystem;

// Runs a command, returning its exit status and what it printed.
int RunCommand(const std::string& command, std::string* out) {
  out->clear();
  FILE* pipe = popen((command + " 2>&1").c_str(), "r");
  if (!pipe) return -1;
  char buf[4096];
  size_t n;
  while ((n = std::fread(buf, 1, sizeof buf, pipe)) > 0) out->append(buf, n);
  return pclose(pipe);
}

// Changes into a new empty folder for the life of the object.
struct InFreshFolder {
  fs::path old = fs::current_path(), dir;
  explicit InFreshFolder(const char* name) : dir(fs::temp_directory_path() / name) {
    fs::remove_all(dir);
    fs::create_directories(dir);
    fs::current_path(dir);
  }
  ~InFreshFolder() {
    fs::current_path(old);
    fs::remove_all(dir);
  }
};

XYChart* ProfileChart(cdCanvasHandle cv, std::vector<double>* xs, std::vector<double>* ys) {
  XYChart* c = XYChartCreateOnCanvas(cv, {}, 0.15, 0.9, 0.15, 0.85, 0xffffff, 0xc0c0c0, 1);
  XYChartShowGrids(c, 1);
  XYChartSetTitles(c, "sampled every 20 m", "Elevation", 0x000080);
  for (int i = 0; i <= 40; i++) {
    xs->push_back(i * 20.0);
    ys->push_back(40 + (i % 9) * 5);
  }
  XYChartSetRanges(c, 0.0, xs->back(), 0, 100, 10, 10);
  XYChartAddLineCurve(c, "route", 8, xs->data(), ys->data(), int(xs->size()) - 1, 0xff0000, 2, 0);
  return c;
}

// Reads a binary PPM as Ghostscript writes it (a comment after the magic).
bool ReadPpm(const std::string& file, int* w, int* h, std::vector<unsigned char>* pixels) {
  std::ifstream in(file, std::ios::binary);
  std::string token;
  std::vector<int> numbers;
  in >> token;
  if (token != "P6") return false;
  while (numbers.size() < 3 && in >> token) {
    if (token[0] == '#') {
      std::getline(in, token);
      continue;
    }
    numbers.push_back(std::atoi(token.c_str()));
  }
  if (numbers.size() < 3) return false;
  in.get();
  *w = numbers[0], *h = numbers[1];
  pixels->resize(size_t(*w) * *h * 3);
  in.read(reinterpret_cast<char*>(pixels->data()), std::streamsize(pixels->size()));
  return bool(in);
}

// The graph, double buffered or not, prints as vectors: Ghostscript finds
// its titles as text and the red curve as ink; then it draws on its own
// canvas again as before.
TEST(XYPrint, PostScriptHoldsTheGraphAndTheCanvasComesBack) {
  InFreshFolder folder("varko_xy_print");
  for (bool buffered : {false, true}) {
    SCOPED_TRACE(buffered ? "double buffered" : "direct");
    Picture p(400, 300);
    std::vector<double> xs, ys;
    XYChart* c = ProfileChart(p.cv, &xs, &ys);
    XYChartRefresh(c);
    const std::vector<unsigned char> before = p.r;
    // (a buffer needs the server-image driver, which this test has not:
    // the flag is what printing must look past)
    c->graph->setDoubleBuffer(buffered);

    c->graph->printPostScript();
    c->graph->setDoubleBuffer(false);
    EXPECT_EQ(c->graph->getCanvas(), p.cv);
    std::fill(p.r.begin(), p.r.end(), 0);
    XYChartRefresh(c);
    EXPECT_EQ(p.r, before);
    XYChartDestroy(c);

    ASSERT_TRUE(fs::exists("imagem"));
    std::string out;
    ASSERT_EQ(
        RunCommand("gs -q -dSAFER -dBATCH -dNOPAUSE -sDEVICE=txtwrite -sOutputFile=- imagem", &out),
        0)
        << out;
    EXPECT_NE(out.find("Elevation"), std::string::npos) << out;
    EXPECT_NE(out.find("sampled every 20 m"), std::string::npos) << out;
    ASSERT_EQ(
        RunCommand(
            "gs -q -dSAFER -dBATCH -dNOPAUSE -sDEVICE=ppmraw -r36 -sOutputFile=page.ppm imagem",
            &out),
        0)
        << out;
    int w = 0, h = 0;
    std::vector<unsigned char> pixels;
    ASSERT_TRUE(ReadPpm("page.ppm", &w, &h, &pixels));
    size_t red = 0;
    for (size_t i = 0; i + 2 < pixels.size(); i += 3)
      if (pixels[i] > 200 && pixels[i + 1] < 80 && pixels[i + 2] < 80) red++;
    EXPECT_GT(red, 100u);
    fs::remove("imagem");
  }
}

TEST(XYPrint, UnwritableFolderLeavesTheGraphAsItWas) {
  InFreshFolder folder("varko_xy_print_ro");
  fs::create_directory("imagem");  // a folder where the file would go
  Picture p(200, 150);
  std::vector<double> xs, ys;
  XYChart* c = ProfileChart(p.cv, &xs, &ys);
  c->graph->printPostScript();
  EXPECT_EQ(c->graph->getCanvas(), p.cv);
  XYChartDestroy(c);
  EXPECT_TRUE(fs::is_directory("imagem"));
}

}  // namespace
