// The registry and the TIFF, JPEG and PNG drivers, checked against Pillow
// as an independent writer and reader, and against netpbm as a reader.
#include <gtest/gtest.h>
#include <zlib.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "im.h"
#include "imformat.h"

namespace {

namespace fs = std::filesystem;

const char* Python() {
  return fs::exists("/usr/bin/python3") ? "/usr/bin/python3" : "python3";
}

bool HavePillow() {
  std::string command = std::string(Python()) + " -c 'import PIL' 2>/dev/null";
  return std::system(command.c_str()) == 0;
}

fs::path TempDir(const std::string& name) {
  fs::path dir = fs::temp_directory_path() / ("varko_im_" + name + "_" + std::to_string(getpid()));
  fs::remove_all(dir);
  fs::create_directories(dir);
  return dir;
}

std::vector<unsigned char> ReadBytes(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<unsigned char>(std::istreambuf_iterator<char>(in), {});
}
void WriteBytes(const fs::path& path, const std::vector<unsigned char>& bytes) {
  std::ofstream(path, std::ios::binary)
      .write(reinterpret_cast<const char*>(bytes.data()), bytes.size());
}

// An RGB picture with row 0 at the bottom.
struct Rgb {
  int w = 0, h = 0;
  std::vector<unsigned char> r, g, b;
};

// Binary PPM as Pillow writes it: top row first.
bool ReadPpm(const fs::path& path, Rgb* out) {
  std::ifstream in(path, std::ios::binary);
  std::string magic;
  int max = 0;
  in >> magic >> out->w >> out->h >> max;
  in.get();
  if (magic != "P6" || max != 255 || out->w <= 0 || out->h <= 0) return false;
  const size_t n = static_cast<size_t>(out->w) * out->h;
  out->r.resize(n), out->g.resize(n), out->b.resize(n);
  std::vector<unsigned char> line(out->w * 3);
  for (int top = 0; top < out->h; ++top) {
    if (!in.read(reinterpret_cast<char*>(line.data()), line.size())) return false;
    const size_t row = static_cast<size_t>(out->h - 1 - top) * out->w;
    for (int x = 0; x < out->w; ++x) {
      out->r[row + x] = line[3 * x], out->g[row + x] = line[3 * x + 1],
                   out->b[row + x] = line[3 * x + 2];
    }
  }
  return true;
}

int LoadRgb(const fs::path& path, Rgb* out) {
  int type = 0, pal = 0;
  int error = imImageInfo(path.c_str(), &out->w, &out->h, &type, &pal);
  if (error != IM_ERR_NONE) return error;
  const size_t n = static_cast<size_t>(out->w) * out->h;
  out->r.assign(n, 0), out->g.assign(n, 0), out->b.assign(n, 0);
  return imLoadRGB(path.c_str(), out->r.data(), out->g.data(), out->b.data());
}

double Psnr(const Rgb& a, const Rgb& b) {
  double sum = 0;
  for (size_t i = 0; i < a.r.size(); ++i) {
    double dr = a.r[i] - b.r[i], dg = a.g[i] - b.g[i], db = a.b[i] - b.b[i];
    sum += dr * dr + dg * dg + db * db;
  }
  double mse = sum / (3.0 * a.r.size());
  return mse == 0 ? 99 : 10 * std::log10(255.0 * 255.0 / mse);
}

Rgb Pattern(int w, int h) {
  Rgb p{w, h, {}, {}, {}};
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      // smooth enough for JPEG, and the bottom row differs from the top one
      p.r.push_back(static_cast<unsigned char>(x * 255 / (w - 1)));
      p.g.push_back(static_cast<unsigned char>(y * 255 / (h - 1)));
      p.b.push_back(static_cast<unsigned char>((x + y) * 2));
    }
  return p;
}

TEST(ImFiles, PeerFilesLoadAsTheirPictures) {
  if (!HavePillow()) GTEST_SKIP() << "python3 with PIL (python3-pil) is missing";
  fs::path dir = TempDir("peers");
  std::string command =
      std::string(Python()) + " " VARKO_TEST_DATA "/make_peers.py " + dir.string();
  ASSERT_EQ(std::system(command.c_str()), 0);
  std::ifstream manifest(dir / "manifest.txt");
  std::string name, kind, ppm;
  int code = 0, count = 0;
  while (manifest >> name >> code >> kind >> ppm) {
    SCOPED_TRACE(name);
    ++count;
    int format = -1;
    EXPECT_EQ(imFileFormat((dir / name).c_str(), &format), IM_ERR_NONE);
    EXPECT_EQ(format, code);
    Rgb ours, expected;
    ASSERT_EQ(LoadRgb(dir / name, &ours), IM_ERR_NONE);
    ASSERT_TRUE(ReadPpm(dir / ppm, &expected));
    ASSERT_EQ(ours.w, expected.w);
    ASSERT_EQ(ours.h, expected.h);
    if (kind == "exact") {
      EXPECT_EQ(ours.r, expected.r);
      EXPECT_EQ(ours.g, expected.g);
      EXPECT_EQ(ours.b, expected.b);
    } else {
      EXPECT_GT(Psnr(ours, expected), 30.0);
    }
  }
  EXPECT_EQ(count, 18);
  fs::remove_all(dir);
}

TEST(ImFiles, OurFilesLoadInPillowAndNetpbm) {
  if (!HavePillow()) GTEST_SKIP() << "python3 with PIL (python3-pil) is missing";
  fs::path dir = TempDir("ours");
  const Rgb picture = Pattern(41, 29);
  std::vector<unsigned char> map(picture.r.size());
  uint32_t palette[256];
  int used = imRGB2Map(picture.w, picture.h, picture.r.data(), picture.g.data(), picture.b.data(),
                       map.data(), 256, palette);
  ASSERT_GT(used, 0);
  Rgb as_map = picture;
  imMap2RGB(picture.w, picture.h, map.data(), used, palette, as_map.r.data(), as_map.g.data(),
            as_map.b.data());
  struct Case {
    const char* name;
    int code;
    bool is_map, lossy;
  } cases[] = {{"rgb.tif", IM_TIF, false, false},       {"rgb_lzw.tif", IM_TIF | 256, false, false},
               {"map.tif", IM_TIF, true, false},        {"map_lzw.tif", IM_TIF | 256, true, false},
               {"rgb.png", IM_PNG | 256, false, false}, {"map.png", IM_PNG | 256, true, false},
               {"map_stored.png", IM_PNG, true, false}, {"rgb.jpg", IM_JPG, false, true}};
  std::string command = std::string(Python()) + " " VARKO_TEST_DATA "/to_ppm.py";
  for (const Case& c : cases) {
    fs::path path = dir / c.name;
    int error =
        c.is_map ? imSaveMap(picture.w, picture.h, c.code, map.data(), used, palette, path.c_str())
                 : imSaveRGB(picture.w, picture.h, c.code, picture.r.data(), picture.g.data(),
                             picture.b.data(), path.c_str());
    ASSERT_EQ(error, IM_ERR_NONE) << c.name;
    command += ' ';
    command += path.string();
  }
  ASSERT_EQ(std::system(command.c_str()), 0);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Rgb decoded, ours;
    ASSERT_TRUE(ReadPpm(dir / (std::string(c.name) + ".ppm"), &decoded));
    const Rgb& expected = c.is_map ? as_map : picture;
    const auto expect_picture = [&](const Rgb& read, const std::string& reader) {
      SCOPED_TRACE(reader);
      if (c.lossy) {
        EXPECT_GT(Psnr(read, expected), 40.0);
      } else {
        EXPECT_EQ(read.r, expected.r);
        EXPECT_EQ(read.g, expected.g);
        EXPECT_EQ(read.b, expected.b);
      }
    };
    expect_picture(decoded, "Pillow");
    // netpbm, a second independent reader
    const std::string ext = fs::path(c.name).extension().string();
    const std::string tool = ext == ".tif" ? "tifftopnm" : ext == ".png" ? "pngtopnm" : "jpegtopnm";
    const fs::path pnm = dir / (std::string(c.name) + ".netpbm.ppm");
    const std::string read =
        tool + " " + (dir / c.name).string() + " 2>/dev/null | ppmtoppm > " + pnm.string();
    ASSERT_EQ(std::system(read.c_str()), 0) << tool;
    Rgb by_netpbm;
    ASSERT_TRUE(ReadPpm(pnm, &by_netpbm));
    expect_picture(by_netpbm, tool);
    // and our reader agrees with Pillow's on our own file
    ASSERT_EQ(LoadRgb(dir / c.name, &ours), IM_ERR_NONE);
    EXPECT_EQ(ours.r, decoded.r);
    EXPECT_EQ(ours.b, decoded.b);
  }
  // a map saved as JPEG becomes one grey component with the luminance of its colours
  fs::path grey = dir / "map.jpg";
  ASSERT_EQ(imSaveMap(picture.w, picture.h, IM_JPG, map.data(), used, palette, grey.c_str()),
            IM_ERR_NONE);
  int w, h, type = -1, pal = 0;
  ASSERT_EQ(imImageInfo(grey.c_str(), &w, &h, &type, &pal), IM_ERR_NONE);
  EXPECT_EQ(type, IM_MAP);
  EXPECT_EQ(pal, 256);
  fs::remove_all(dir);
}

std::vector<int> progress_calls;
int interrupt_at = -1;  // stop at the call with this number
int RecordProgress(const char*, int percent, int) {
  progress_calls.push_back(percent);
  return static_cast<int>(progress_calls.size()) == interrupt_at ? 1 : 0;
}

TEST(ImFiles, ProgressSequenceAndInterruption) {
  fs::path dir = TempDir("progress");
  fs::path path = dir / "four.png";
  const unsigned char map[8] = {0, 1, 1, 0, 0, 1, 1, 0};
  const uint32_t palette[2] = {0, 0xFFFFFF};
  ASSERT_EQ(imSetCallback(reinterpret_cast<imCallback>(RecordProgress), IM_CB_PROGRESS, -1), 1);
  progress_calls.clear();
  interrupt_at = -1;
  ASSERT_EQ(imSaveMap(2, 4, IM_PNG, map, 2, palette, path.c_str()), IM_ERR_NONE);
  EXPECT_EQ(progress_calls, (std::vector<int>{0, 0, 25, 50, 75, 100}));
  unsigned char r[8], g[8], b[8];
  progress_calls.clear();
  ASSERT_EQ(imLoadRGB(path.c_str(), r, g, b), IM_ERR_NONE);
  EXPECT_EQ(progress_calls, (std::vector<int>{0, 0, 25, 50, 75, 100}));
  EXPECT_EQ(r[1], 255);
  EXPECT_EQ(r[0], 0);
  progress_calls.clear();
  interrupt_at = 2;  // the answer after the first line
  EXPECT_EQ(imLoadRGB(path.c_str(), r, g, b), IM_INTERRUPTED);
  EXPECT_EQ(progress_calls, (std::vector<int>{0, 0}));
  progress_calls.clear();
  uint32_t loaded[256];
  unsigned char indices[8];
  EXPECT_EQ(imLoadMap(path.c_str(), indices, loaded), IM_INTERRUPTED);
  EXPECT_EQ(progress_calls, (std::vector<int>{0, 0}));
  imSetCallback(nullptr, IM_CB_PROGRESS, -1);
  fs::remove_all(dir);
}

double stored_x, stored_y;
int stored_unit;
int ResolutionCallback(const char*, double* x, double* y, int* unit) {
  if (*unit == -1) {  // asked by a writer
    *x = 150, *y = 75, *unit = 1;
  } else {
    stored_x = *x, stored_y = *y, stored_unit = *unit;
  }
  return 0;
}
int AskResolution(const char*, double* x, double* y, int* unit) {
  *x = 150, *y = 75, *unit = 1;
  return 0;
}

TEST(ImFiles, ResolutionRoundTrips) {
  fs::path dir = TempDir("resolution");
  const unsigned char map[4] = {0, 1, 1, 0};
  const uint32_t palette[2] = {0, 0xFFFFFF};
  for (int code : {int{IM_TIF}, int{IM_JPG}, int{IM_PNG}}) {
    SCOPED_TRACE(code);
    fs::path path = dir / ("res" + std::to_string(code));
    imSetCallback(reinterpret_cast<imCallback>(AskResolution), IM_CB_RESOLUTION, -1);
    ASSERT_EQ(imSaveMap(2, 2, code, map, 2, palette, path.c_str()), IM_ERR_NONE);
    imSetCallback(reinterpret_cast<imCallback>(ResolutionCallback), IM_CB_RESOLUTION, -1);
    stored_unit = -5;
    int format;
    ASSERT_EQ(imFileFormat(path.c_str(), &format), IM_ERR_NONE);
    if (code == IM_PNG) {  // PNG keeps pixels per metre: reported per centimetre
      EXPECT_EQ(stored_unit, 2);
      EXPECT_NEAR(stored_x, 150 / 2.54, 0.01);
      EXPECT_NEAR(stored_y, 75 / 2.54, 0.01);
    } else {
      EXPECT_EQ(stored_unit, 1);
      EXPECT_DOUBLE_EQ(stored_x, 150);
      EXPECT_DOUBLE_EQ(stored_y, 75);
    }
  }
  imSetCallback(nullptr, IM_CB_RESOLUTION, -1);
  fs::remove_all(dir);
}

void PutBig32(std::vector<unsigned char>& v, size_t at, uint32_t value) {
  for (int i = 0; i < 4; ++i) v[at + i] = static_cast<unsigned char>(value >> (24 - 8 * i));
}

std::vector<unsigned char> ValidFile(const fs::path& dir, int code, bool rgb) {
  fs::path path = dir / ("valid" + std::to_string(code));
  Rgb p = Pattern(64, 48);
  std::vector<unsigned char> map(p.r.size(), 1);
  uint32_t palette[2] = {0, 0xFFFFFF};
  int error = rgb ? imSaveRGB(p.w, p.h, code, p.r.data(), p.g.data(), p.b.data(), path.c_str())
                  : imSaveMap(p.w, p.h, code, map.data(), 2, palette, path.c_str());
  EXPECT_EQ(error, IM_ERR_NONE);
  return ReadBytes(path);
}

TEST(ImFiles, HostileFilesFailCleanly) {
  fs::path dir = TempDir("hostile");
  std::vector<unsigned char> png = ValidFile(dir, IM_PNG | 256, true);
  std::vector<unsigned char> tif = ValidFile(dir, IM_TIF | 256, true);
  std::vector<unsigned char> jpg = ValidFile(dir, IM_JPG, true);
  std::vector<unsigned char> huge_png = png;  // IHDR says 100000 x 100000, with a good CRC
  PutBig32(huge_png, 16, 100000);
  PutBig32(huge_png, 20, 100000);
  PutBig32(huge_png, 29, static_cast<uint32_t>(crc32(0, huge_png.data() + 12, 17)));
  std::vector<unsigned char> huge_jpg = jpg;  // SOF0 height and width 60000 (0xEA60)
  for (size_t i = 2; i + 9 < huge_jpg.size(); ++i)
    if (huge_jpg[i] == 0xFF && huge_jpg[i + 1] == 0xC0) {
      huge_jpg[i + 5] = huge_jpg[i + 7] = 0xEA;
      huge_jpg[i + 6] = huge_jpg[i + 8] = 0x60;
      break;
    }
  // a little-endian TIFF with one directory: 70000 x 70000, 8-bit grey
  std::vector<unsigned char> huge_tif = {'I', 'I', 42, 0, 8, 0, 0, 0, 4, 0};
  auto entry = [&](uint16_t tag, uint16_t type, uint32_t value) {
    unsigned char e[12] = {static_cast<unsigned char>(tag),
                           static_cast<unsigned char>(tag >> 8),
                           static_cast<unsigned char>(type),
                           0,
                           1,
                           0,
                           0,
                           0,
                           static_cast<unsigned char>(value),
                           static_cast<unsigned char>(value >> 8),
                           static_cast<unsigned char>(value >> 16),
                           static_cast<unsigned char>(value >> 24)};
    for (unsigned char byte : e) huge_tif.push_back(byte);
  };
  entry(256, 4, 70000), entry(257, 4, 70000), entry(262, 3, 1), entry(273, 4, 0);
  huge_tif.insert(huge_tif.end(), 4, 0);
  auto half = [](std::vector<unsigned char> v) {
    v.resize(v.size() / 2);
    return v;
  };
  auto flipped = [](std::vector<unsigned char> v) {
    for (size_t i = v.size() / 3; i < v.size() / 2; ++i) v[i] ^= 0x5A;
    return v;
  };
  struct Case {
    const char* name;
    std::vector<unsigned char> bytes;
    std::vector<int> allowed;
  } cases[] = {
      {"truncated.png", half(png), {IM_ERR_READ}},
      {"corrupt.png", flipped(png), {IM_ERR_READ}},
      {"huge.png", huge_png, {IM_ERR_TYPE, IM_ERR_FORMAT}},
      {"signature_only.png",
       std::vector<unsigned char>(png.begin(), png.begin() + 8),
       {IM_ERR_READ}},
      {"truncated.tif", half(tif), {IM_ERR_READ}},
      {"huge.tif", huge_tif, {IM_ERR_TYPE, IM_ERR_FORMAT}},
      {"truncated.jpg", half(jpg), {IM_ERR_READ}},
      {"huge.jpg", huge_jpg, {IM_ERR_TYPE, IM_ERR_FORMAT}},
      {"unknown.bin", std::vector<unsigned char>(100, 0x11), {IM_ERR_FORMAT}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    fs::path path = dir / c.name;
    WriteBytes(path, c.bytes);
    std::vector<unsigned char> r(64 * 48), g(64 * 48), b(64 * 48);
    int error = imLoadRGBSized(path.c_str(), 64, 48, r.data(), g.data(), b.data());
    EXPECT_NE(std::find(c.allowed.begin(), c.allowed.end(), error), c.allowed.end())
        << "got " << error;
  }
  int w = 0, h = 0, type = 0, pal = 0;
  EXPECT_EQ(imImageInfo((dir / "nothing_here").c_str(), &w, &h, &type, &pal), IM_ERR_OPEN);
  fs::remove_all(dir);
}

TEST(ImFiles, WriteFailuresAreReported) {
  if (!fs::exists("/dev/full")) GTEST_SKIP() << "no /dev/full";
  const unsigned char map[4] = {0, 1, 1, 0};
  const uint32_t palette[2] = {0, 0xFFFFFF};
  for (int code : {int{IM_TIF}, IM_TIF | 256, int{IM_JPG}, int{IM_PNG}, IM_PNG | 256})
    EXPECT_EQ(imSaveMap(2, 2, code, map, 2, palette, "/dev/full"), IM_ERR_WRITE) << code;
  EXPECT_EQ(imSaveRGB(2, 2, IM_PNG, map, map, map, "/dev/full"), IM_ERR_WRITE);
  EXPECT_EQ(imSaveMap(2, 2, IM_PNG, map, 2, palette, "/no/such/folder/x.png"), IM_ERR_OPEN);
}

int AcceptCallback(imCallback, int) {
  return 1;
}

TEST(ImRegistry, CodesSizesAndCallbacks) {
  const unsigned char map[4] = {0, 1, 1, 0};
  const uint32_t palette[2] = {0, 0xFFFFFF};
  fs::path dir = TempDir("registry");
  fs::path path = dir / "m.png";
  for (int code : {-1, 10, 99, IM_PNG | 0x300, 0x10000})
    EXPECT_NE(imSaveMap(2, 2, code, map, 2, palette, path.c_str()), IM_ERR_NONE) << code;
  EXPECT_FALSE(fs::exists(path));
  EXPECT_EQ(imSaveMap(0, 2, IM_PNG, map, 2, palette, path.c_str()), IM_ERR_TYPE);
  EXPECT_EQ(imSaveMap(2, 2, IM_PNG, map, 300, palette, path.c_str()), IM_ERR_TYPE);
  ASSERT_EQ(imSaveMap(2, 2, IM_PNG, map, 2, palette, path.c_str()), IM_ERR_NONE);
  unsigned char out[4];
  uint32_t loaded[256];
  EXPECT_EQ(imLoadMapSized(path.c_str(), 2, 3, out, loaded, 256), IM_ERR_TYPE);
  EXPECT_EQ(imLoadMapSized(path.c_str(), 2, 2, out, loaded, 1), IM_ERR_TYPE);
  ASSERT_EQ(imLoadMapSized(path.c_str(), 2, 2, out, loaded, 2), IM_ERR_NONE);
  EXPECT_EQ((std::vector<int>{out[0], out[1], out[2], out[3]}), (std::vector<int>{0, 1, 1, 0}));
  EXPECT_EQ(loaded[1], 0xFFFFFFu);
  // an RGB file does not load as a map
  fs::path rgb = dir / "rgb.png";
  ASSERT_EQ(imSaveRGB(2, 2, IM_PNG, map, map, map, rgb.c_str()), IM_ERR_NONE);
  EXPECT_EQ(imLoadMap(rgb.c_str(), out, loaded), IM_ERR_TYPE);
  unsigned char r[4], g[4], b[4];
  EXPECT_EQ(imLoadRGBSized(rgb.c_str(), 4, 1, r, g, b), IM_ERR_TYPE);

  EXPECT_STREQ(imVersion(), "2.2");
  EXPECT_EQ(imSetCallback(nullptr, 7, -1), 0);
  EXPECT_EQ(imSetCallback(nullptr, IM_CB_PROGRESS, IM_TIF), 0);  // built-in drivers take none
  EXPECT_EQ(imSetCallback(nullptr, IM_CB_PROGRESS, 40), 0);
  static imFormat extra = {0,       AcceptCallback, nullptr, nullptr, nullptr, nullptr,
                           nullptr, nullptr,        nullptr, nullptr, nullptr, nullptr};
  int id = imAddFormat(&extra);
  EXPECT_GE(id, 10);  // after the nine built-in drivers and PNG
  EXPECT_EQ(extra.id, id);
  EXPECT_EQ(imSetCallback(nullptr, IM_CB_PROGRESS, id), 1);
  EXPECT_EQ(imFormatPNG.id, IM_PNG);
  EXPECT_EQ(imFormatTGA.id, IM_TGA);
  fs::remove_all(dir);
}

}  // namespace
