// The hand-written format drivers, driven through their driver tables:
// files written by Pillow, ImageMagick and netpbm load with the right pixels,
// files we write load right in them, and hostile files fail with their error
// code (leaks and overruns show under the sanitizers).
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "imformat.h"

namespace {

namespace fs = std::filesystem;

// A picture top row first, as the PPM files of the peers hold it.
struct Picture {
  int width = 0, height = 0;
  std::vector<unsigned char> rgb;  // 3 bytes per pixel, top row first
  bool operator==(const Picture&) const = default;
};

struct Loaded {
  int error = IM_ERR_NONE;
  int type = 0, compression = 0, pal_count = 0;
  Picture picture;
};

// A file opened for a reader, closed after the reader's record.
using Source = std::unique_ptr<imBinFile, int (*)(imBinFile*)>;
Source OpenSource(const std::string& path) {
  return Source(imBinFileOpen(path.c_str(), IM_LITTLEENDIAN), imBinFileClose);
}

// Whether the driver's sniffer knows the file's first bytes.
bool Sniffs(const imFormat& driver, const std::string& path) {
  unsigned char prefix[IM_SNIFF_BYTES];
  std::ifstream in(path, std::ios::binary);
  in.read(reinterpret_cast<char*>(prefix), sizeof prefix);
  return driver.sniff(prefix, static_cast<size_t>(in.gcount())) != 0;
}

// Loads through a driver table as the registry does, expanding maps to RGB.
Loaded Load(imFormat& driver, const std::string& path) {
  Loaded out;
  int error = 0;
  Source source = OpenSource(path);
  imFile* f = driver.read_open(source.get(), path.c_str(), &error);
  // detection shows the file to this reader only when its sniffer knows it
  if (error != IM_ERR_FORMAT && error != IM_ERR_OPEN) {
    EXPECT_TRUE(Sniffs(driver, path)) << path;
  }
  if (error != IM_ERR_NONE) {
    if (f) driver.close(f);
    out.error = error;
    return out;
  }
  const int w = f->width, h = f->height;
  out.type = f->type, out.compression = f->compression, out.pal_count = f->pal_count;
  std::vector<unsigned char> planes[3];
  for (auto& p : planes) p.assign(static_cast<size_t>(w) * h, 0);
  auto at = [&](int plane) { return planes[plane].data() + static_cast<size_t>(f->cur_row) * w; };
  if (f->type == IM_MAP) {
    std::vector<uint32_t> palette(256, 0);
    std::vector<unsigned char> line(static_cast<size_t>(w));
    error = driver.read_palette(f, palette.data());
    for (int i = 0; i < h && error == IM_ERR_NONE; ++i) {
      unsigned char* r = at(0);
      unsigned char* g = at(1);
      unsigned char* b = at(2);
      error = driver.read_line_map(f, line.data());
      for (int x = 0; x < w; ++x) {
        uint32_t c = palette[line[static_cast<size_t>(x)]];
        r[x] = static_cast<unsigned char>(c >> 16), g[x] = static_cast<unsigned char>(c >> 8),
        b[x] = static_cast<unsigned char>(c);
      }
    }
  } else if (f->planar) {
    for (int p = 0; p < 3; ++p)
      for (int i = 0; i < h && error == IM_ERR_NONE; ++i)
        error = driver.read_line_map(f, at(f->plane[p]));
  } else {
    for (int i = 0; i < h && error == IM_ERR_NONE; ++i)
      error = driver.read_line_rgb(f, at(0), at(1), at(2));
  }
  driver.close(f);
  out.error = error;
  if (error != IM_ERR_NONE) return out;
  out.picture.width = w, out.picture.height = h;
  for (int y = h - 1; y >= 0; --y)
    for (int x = 0; x < w; ++x)
      for (int p = 0; p < 3; ++p)
        out.picture.rgb.push_back(planes[p][static_cast<size_t>(y) * w + x]);
  return out;
}

// Saves a picture through a driver table; as a map when it has at most 256 colours and map is set.
int Save(imFormat& driver, const std::string& path, const Picture& pic, bool map, int compression) {
  const int w = pic.width, h = pic.height;
  std::vector<unsigned char> planes[3], index(static_cast<size_t>(w) * h);
  std::vector<uint32_t> palette;
  for (auto& p : planes) p.resize(static_cast<size_t>(w) * h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      const unsigned char* s = &pic.rgb[(static_cast<size_t>(y) * w + x) * 3];
      size_t d = static_cast<size_t>(h - 1 - y) * w + x;
      for (int p = 0; p < 3; ++p) planes[p][d] = s[p];
      uint32_t c = (s[0] << 16) | (s[1] << 8) | s[2];
      size_t k = 0;
      while (k < palette.size() && palette[k] != c) ++k;
      if (k == palette.size()) palette.push_back(c);
      index[d] = static_cast<unsigned char>(k);
    }
  int error = 0;
  imFile* f = driver.write_open(path.c_str(), w, h, map ? IM_MAP : IM_RGB, compression,
                                map ? static_cast<int>(palette.size()) : 0, &error);
  if (f == nullptr) return error;
  auto at = [&](int plane) { return planes[plane].data() + static_cast<size_t>(f->cur_row) * w; };
  if (map) {
    if (!f->palette_after) error = driver.write_palette(f, palette.data());
    for (int i = 0; i < h && error == 0; ++i)
      error = driver.write_line_map(f, index.data() + static_cast<size_t>(f->cur_row) * w);
    if (f->palette_after && error == 0) error = driver.write_palette(f, palette.data());
  } else if (f->planar) {
    for (int p = 0; p < 3; ++p)
      for (int i = 0; i < h && error == 0; ++i) error = driver.write_line_map(f, at(f->plane[p]));
  } else {
    for (int i = 0; i < h && error == 0; ++i) error = driver.write_line_rgb(f, at(0), at(1), at(2));
  }
  int closed = driver.close(f);
  return error != 0 ? error : closed;
}

std::string ReadText(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

// Binary PPM (P6), the exchange format with the peers.
Picture ReadPpm(const std::string& path) {
  Picture p;
  std::string data = ReadText(path);
  std::istringstream in(data);
  std::string magic;
  int max = 0;
  in >> magic >> p.width >> p.height >> max;
  in.get();
  if (magic != "P6" || max != 255) return Picture{};
  p.rgb.resize(static_cast<size_t>(p.width) * p.height * 3);
  in.read(reinterpret_cast<char*>(p.rgb.data()), static_cast<std::streamsize>(p.rgb.size()));
  return p;
}

void WritePpm(const std::string& path, const Picture& p) {
  std::ofstream out(path, std::ios::binary);
  out << "P6\n" << p.width << " " << p.height << "\n255\n";
  out.write(reinterpret_cast<const char*>(p.rgb.data()),
            static_cast<std::streamsize>(p.rgb.size()));
}

int Shell(const std::string& command) {
  return std::system(command.c_str());
}

// Test pictures: odd sizes so that line padding shows.
Picture Make(int w, int h, int kind) {
  Picture p{w, h, {}};
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      unsigned char r, g, b;
      if (kind == 0) {  // 12 colours in runs and noise
        int k = ((x / 3) + y * 5 + (x * y) % 7) % 12;
        r = static_cast<unsigned char>(k * 21), g = static_cast<unsigned char>(255 - k * 17),
        b = static_cast<unsigned char>((k * 97) & 255);
      } else if (kind == 1) {  // grey levels
        r = g = b = static_cast<unsigned char>((x * 7 + y * 13) & 255);
      } else if (kind == 2) {  // black and white
        r = g = b = ((x + y / 2) % 3 == 0) ? 255 : 0;
      } else {  // true colour
        r = static_cast<unsigned char>(x * 9 + y), g = static_cast<unsigned char>(y * 11),
        b = static_cast<unsigned char>(x ^ y);
      }
      p.rgb.push_back(r), p.rgb.push_back(g), p.rgb.push_back(b);
    }
  return p;
}

class Codecs : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() /
           ("imcodecs_" + std::to_string(::getpid()) + "_" +
            ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::create_directories(dir_);
    for (int k = 0; k < 4; ++k) WritePpm(Path(kSources[k]), Make(37, 23, k));
  }
  void TearDown() override { fs::remove_all(dir_); }
  std::string Path(const std::string& name) const { return (dir_ / name).string(); }
  static constexpr const char* kSources[4] = {"colour.ppm", "grey.ppm", "bw.ppm", "true.ppm"};
  fs::path dir_;
};

std::string Py(const std::string& code) {
  return std::string(VARKO_PYTHON) + " -c \"" + code + "\"";
}

struct PeerFile {
  const char* name;     // file made in the test folder
  const char* command;  // {src} source PPM, {out} the file
  int source;           // kind of picture
  imFormat* driver;
  int type, compression;
};

std::string Expand(std::string c, const std::string& src, const std::string& out) {
  for (size_t at; (at = c.find("{src}")) != std::string::npos;) c.replace(at, 5, src);
  for (size_t at; (at = c.find("{out}")) != std::string::npos;) c.replace(at, 5, out);
  return c;
}

#define PIL(x) "PIL:from PIL import Image; Image.open('{src}')" x
const PeerFile kPeerFiles[] = {
    {"p8.bmp", PIL(".convert('P', palette=Image.ADAPTIVE).save('{out}')"), 0, &imFormatBMP, IM_MAP,
     0},
    {"p1.bmp", PIL(".convert('1').save('{out}')"), 2, &imFormatBMP, IM_MAP, 0},
    {"rgb.bmp", PIL(".save('{out}')"), 3, &imFormatBMP, IM_RGB, 0},
    {"im4.bmp", "convert {src} -type Palette BMP3:{out}", 0, &imFormatBMP, IM_MAP, 0},
    {"rle8.bmp", "convert {src} -type Palette -compress RLE BMP3:{out}", 0, &imFormatBMP, IM_MAP,
     256},
    {"os2.bmp", "convert {src} -type Palette BMP2:{out}", 0, &imFormatBMP, IM_MAP, 0},
    {"os2rgb.bmp", "convert {src} -type TrueColor BMP2:{out}", 3, &imFormatBMP, IM_RGB, 0},
    {"ppm.bmp", "ppmtobmp -windows {src} > {out}", 3, &imFormatBMP, IM_RGB, 0},
    {"p.pcx", PIL(".convert('P', palette=Image.ADAPTIVE).save('{out}')"), 0, &imFormatPCX, IM_MAP,
     256},
    {"rgb.pcx", PIL(".save('{out}')"), 3, &imFormatPCX, IM_RGB, 256},
    {"bw.pcx", PIL(".convert('1').save('{out}')"), 2, &imFormatPCX, IM_MAP, 256},
    {"im.pcx", "convert {src} -type Palette PCX:{out}", 0, &imFormatPCX, IM_MAP, 256},
    {"ppm.pcx", "ppmtopcx -8bit {src} > {out}", 0, &imFormatPCX, IM_MAP, 256},
    {"planes.pcx", "ppmtopcx -planes 4 {src} > {out}", 0, &imFormatPCX, IM_MAP, 256},
    {"p.gif", PIL(".convert('P', palette=Image.ADAPTIVE).save('{out}')"), 0, &imFormatGIF, IM_MAP,
     256},
    {"inter.gif", PIL(".convert('P', palette=Image.ADAPTIVE).save('{out}', interlace=True)"), 0,
     &imFormatGIF, IM_MAP, 256},
    {"grey.gif", PIL(".convert('L').save('{out}')"), 1, &imFormatGIF, IM_MAP, 256},
    {"iminter.gif", "convert {src} -interlace GIF GIF:{out}", 0, &imFormatGIF, IM_MAP, 256},
    {"ppm.gif", "ppmtogif {src} > {out} 2>/dev/null", 0, &imFormatGIF, IM_MAP, 256},
    {"rgb.ras", "convert {src} SUN:{out}", 3, &imFormatRAS, IM_RGB, 0},
    {"map.ras", "pnmtorast -standard {src} > {out} 2>/dev/null", 0, &imFormatRAS, IM_MAP, 0},
    {"rle.ras", "pnmtorast -rle {src} > {out} 2>/dev/null", 0, &imFormatRAS, IM_MAP, 256},
    {"rgbrle.ras", "convert {src} -compress RLE SUN:{out}", 3, &imFormatRAS, IM_RGB,
     0},  // ImageMagick stores RGB plain
    {"rgb.sgi", PIL(".save('{out}', format='SGI')"), 3, &imFormatSGI, IM_RGB, 0},
    {"grey.sgi", PIL(".convert('L').save('{out}', format='SGI')"), 1, &imFormatSGI, IM_MAP, 0},
    {"rle.sgi", "convert {src} -compress RLE SGI:{out}", 3, &imFormatSGI, IM_RGB, 256},
    {"ppmrle.sgi", "pnmtosgi -rle {src} > {out}", 3, &imFormatSGI, IM_RGB, 256},
    {"p.tga", PIL(".convert('P', palette=Image.ADAPTIVE).save('{out}')"), 0, &imFormatTGA, IM_MAP,
     0},
    {"l.tga", PIL(".convert('L').save('{out}')"), 1, &imFormatTGA, IM_MAP, 0},
    {"rgb.tga", PIL(".save('{out}')"), 3, &imFormatTGA, IM_RGB, 0},
    {"rle.tga", PIL(".save('{out}', compression='tga_rle')"), 3, &imFormatTGA, IM_RGB, 256},
    {"prle.tga", PIL(".convert('P', palette=Image.ADAPTIVE).save('{out}', compression='tga_rle')"),
     0, &imFormatTGA, IM_MAP, 256},
    {"lrle.tga", PIL(".convert('L').save('{out}', compression='tga_rle')"), 1, &imFormatTGA, IM_MAP,
     256},
    // (ImageMagick 6.9 Targa files put the rows in the wrong order for Pillow too)
    {"ppm.tga", "ppmtotga -rgb {src} > {out}", 3, &imFormatTGA, IM_RGB, 256},
};

std::string Command(const char* command) {
  std::string c = command;
  if (c.rfind("PIL:", 0) == 0) return Py(c.substr(4));
  return c;
}

TEST_F(Codecs, FilesWrittenByPeersLoadWithTheirPixels) {
  for (const PeerFile& p : kPeerFiles) {
    SCOPED_TRACE(p.name);
    std::string src = Path(kSources[p.source]), out = Path(p.name);
    ASSERT_EQ(Shell(Expand(Command(p.command), src, out)), 0);
    Loaded l = Load(*p.driver, out);
    ASSERT_EQ(l.error, IM_ERR_NONE);
    EXPECT_EQ(l.type, p.type);
    EXPECT_EQ(l.compression, p.compression);
    EXPECT_TRUE(l.picture == ReadPpm(src));
  }
}

struct OurFile {
  const char* name;
  imFormat* driver;
  int source;
  bool map;
  int compression;
};

const OurFile kOurFiles[] = {
    {"map.bmp", &imFormatBMP, 0, true, 0},       {"rle.bmp", &imFormatBMP, 0, true, 256},
    {"rgb.bmp", &imFormatBMP, 3, false, 0},      {"map.pcx", &imFormatPCX, 0, true, 0},
    {"rle.pcx", &imFormatPCX, 0, true, 256},     {"rgb.pcx", &imFormatPCX, 3, false, 256},
    {"map.gif", &imFormatGIF, 0, true, 256},     {"grey.gif", &imFormatGIF, 1, true, 512},
    {"map.ras", &imFormatRAS, 0, true, 0},       {"rgb.ras", &imFormatRAS, 3, false, 0},
    {"rgb.sgi", &imFormatSGI, 3, false, 0},      {"grey.sgi", &imFormatSGI, 1, true, 0},
    {"map.sgi", &imFormatSGI, 0, true, 0},       {"map.tga", &imFormatTGA, 0, true, 0},
    {"rle.tga", &imFormatTGA, 0, true, 256},     {"rgb.tga", &imFormatTGA, 3, false, 0},
    {"rlergb.tga", &imFormatTGA, 3, false, 256},
};

// The netpbm reader of each driver's files; ppmtoppm widens its grey and
// black-and-white output to PPM.
std::string NetpbmReader(const imFormat* driver) {
  const struct {
    const imFormat* driver;
    const char* tool;
  } readers[] = {{&imFormatBMP, "bmptopnm"}, {&imFormatPCX, "pcxtoppm"},
                 {&imFormatGIF, "giftopnm"}, {&imFormatRAS, "rasttopnm"},
                 {&imFormatSGI, "sgitopnm"}, {&imFormatTGA, "tgatoppm"}};
  for (const auto& r : readers)
    if (r.driver == driver) return r.tool;
  return "";
}

// Every file we write reads back in Pillow, ImageMagick and netpbm, and in our reader.
TEST_F(Codecs, FilesWeWriteLoadInPeersAndInOurReader) {
  ASSERT_EQ(Shell("command -v ppmtoppm >/dev/null"), 0)
      << "netpbm is missing (tools/install-deps.sh installs it)";
  for (const OurFile& o : kOurFiles) {
    for (int size = 0; size < 2; ++size) {
      SCOPED_TRACE(std::string(o.name) + (size ? " big" : " small"));
      Picture pic = size ? Make(300, 211, o.source) : ReadPpm(Path(kSources[o.source]));
      std::string file = Path(std::to_string(size) + o.name);
      ASSERT_EQ(Save(*o.driver, file, pic, o.map, o.compression), IM_ERR_NONE);
      Loaded l = Load(*o.driver, file);
      ASSERT_EQ(l.error, IM_ERR_NONE);
      EXPECT_TRUE(l.picture == pic);
      std::string pil = Path("pil.ppm"), im = Path("im.ppm");
      ASSERT_EQ(Shell(Py("from PIL import Image; Image.open('" + file + "').convert('RGB').save('" +
                         pil + "')")),
                0);
      EXPECT_TRUE(ReadPpm(pil) == pic);
      // pcxtoppm knows encoding 1 (RLE) only and refuses our plain PCX files
      if (o.driver != &imFormatPCX || o.compression != 0) {
        std::string pnm = Path("netpbm.ppm");
        ASSERT_EQ(Shell(NetpbmReader(o.driver) + " " + file + " 2>/dev/null | ppmtoppm > " + pnm),
                  0);
        EXPECT_TRUE(ReadPpm(pnm) == pic) << NetpbmReader(o.driver);
      }
      // ImageMagick 6.9 shows bottom-up Targa files upside down (Pillow and
      // the Targa origin bit agree with us), so it checks the others only.
      if (o.driver == &imFormatTGA) continue;
      ASSERT_EQ(Shell("convert " + file + " -depth 8 " + im), 0);
      EXPECT_TRUE(ReadPpm(im) == pic);
    }
  }
}

TEST_F(Codecs, LedRoundTripAndExactText) {
  Picture pic{3, 2, {255, 0, 0, 0, 255, 0, 255, 0, 0, /**/ 1, 2, 3, 1, 2, 3, 0, 255, 0}};
  std::string file = Path("x.led");
  ASSERT_EQ(Save(imFormatLED, file, pic, true, 0), IM_ERR_NONE);
  EXPECT_EQ(ReadText(file),
            "LEDImage = IMAGE[\n0 = \"255 0 0\",\n1 = \"0 255 0\",\n2 = \"1 2 3\"]\n(3,2\n"
            ",0,1,0\n,2,2,1\n)");
  Loaded l = Load(imFormatLED, file);
  ASSERT_EQ(l.error, IM_ERR_NONE);
  EXPECT_EQ(l.pal_count, 3);
  EXPECT_TRUE(l.picture == pic);
  Picture big = Make(300, 211, 0);
  ASSERT_EQ(Save(imFormatLED, file, big, true, 256), IM_ERR_NONE);
  EXPECT_TRUE(Load(imFormatLED, file).picture == big);
}

// What writers refuse, before they create anything.
TEST_F(Codecs, WritersRefuseWhatTheirFormatCannotHold) {
  struct Case {
    imFormat* driver;
    int width, type, compression, pal_count, error;
  } cases[] = {
      {&imFormatBMP, 8, IM_RGB, 512, 0, IM_ERR_COMP},
      {&imFormatGIF, 8, IM_RGB, 256, 0, IM_ERR_TYPE},
      {&imFormatGIF, 8, IM_MAP, 0, 4, IM_ERR_COMP},
      {&imFormatLED, 8, IM_RGB, 0, 0, IM_ERR_TYPE},
      {&imFormatLED, 8, IM_MAP, 512, 4, IM_ERR_COMP},
      {&imFormatSGI, 8, IM_RGB, 512, 0, IM_ERR_COMP},
      {&imFormatBMP, 8, IM_MAP, 0, 257, IM_ERR_TYPE},
      {&imFormatTGA, 8, IM_MAP, 0, 0, IM_ERR_TYPE},
      {&imFormatTGA, 70000, IM_RGB, 0, 0, IM_ERR_TYPE},
      {&imFormatPCX, 0, IM_RGB, 0, 0, IM_ERR_TYPE},
      {&imFormatRAS, -5, IM_MAP, 0, 4, IM_ERR_TYPE},
  };
  for (const Case& c : cases) {
    std::string file = Path("refused");
    int error = 0;
    imFile* f =
        c.driver->write_open(file.c_str(), c.width, 4, c.type, c.compression, c.pal_count, &error);
    EXPECT_EQ(f, nullptr);
    EXPECT_EQ(error, c.error) << c.width << " " << c.type << " " << c.compression;
    EXPECT_FALSE(fs::exists(file));
  }
}

// Crafted files, each named after what it breaks.
TEST(CodecsHostile, BadFilesFailWithTheirErrorCode) {
  struct Case {
    const char* file;
    imFormat* driver;
    int error;
  } cases[] = {
      {"bmp_truncated_pixels.bmp", &imFormatBMP, IM_ERR_READ},
      {"bmp_huge_dimensions.bmp", &imFormatBMP, IM_ERR_TYPE},
      {"bmp_zero_width.bmp", &imFormatBMP, IM_ERR_FORMAT},
      {"bmp_colours_used_300.bmp", &imFormatBMP, IM_ERR_READ},
      {"bmp_rle8_run_past_row.bmp", &imFormatBMP, IM_ERR_READ},
      {"bmp_rle8_delta_past_row.bmp", &imFormatBMP, IM_ERR_READ},
      {"bmp_rle8_no_end.bmp", &imFormatBMP, IM_ERR_READ},
      {"bmp_header_64.bmp", &imFormatBMP, IM_ERR_FORMAT},
      {"bmp_depth_2.bmp", &imFormatBMP, IM_ERR_TYPE},
      {"bmp_bitfields_24bit.bmp", &imFormatBMP, IM_ERR_TYPE},
      {"bmp_jpeg_compression.bmp", &imFormatBMP, IM_ERR_COMP},
      {"pcx_first_byte_only.pcx", &imFormatPCX, IM_ERR_FORMAT},
      {"pcx_run_past_row.pcx", &imFormatPCX, IM_ERR_READ},
      {"pcx_truncated.pcx", &imFormatPCX, IM_ERR_READ},
      {"pcx_short_bytes_per_line.pcx", &imFormatPCX, IM_ERR_READ},
      {"pcx_depth_16.pcx", &imFormatPCX, IM_ERR_TYPE},
      {"gif_lzw_code_beyond_table.gif", &imFormatGIF, IM_ERR_READ},
      {"gif_lzw_ends_early.gif", &imFormatGIF, IM_ERR_READ},
      {"gif_code_size_12.gif", &imFormatGIF, IM_ERR_READ},
      {"gif_no_image.gif", &imFormatGIF, IM_ERR_READ},
      {"gif_zero_width.gif", &imFormatGIF, IM_ERR_FORMAT},
      {"ras_huge_dimensions.ras", &imFormatRAS, IM_ERR_TYPE},
      {"ras_map_300_entries.ras", &imFormatRAS, IM_ERR_READ},
      {"ras_rle_past_end.ras", &imFormatRAS, IM_ERR_READ},
      {"ras_truncated.ras", &imFormatRAS, IM_ERR_READ},
      {"sgi_rle_run_past_row.sgi", &imFormatSGI, IM_ERR_READ},
      {"sgi_rle_offset_past_end.sgi", &imFormatSGI, IM_ERR_READ},
      {"sgi_tables_truncated.sgi", &imFormatSGI, IM_ERR_READ},
      {"sgi_two_bytes_per_channel.sgi", &imFormatSGI, IM_ERR_TYPE},
      {"led_no_equals.led", &imFormatLED, IM_ERR_READ},
      {"led_only_title.led", &imFormatLED, IM_ERR_READ},
      {"led_index_beyond_palette.led", &imFormatLED, IM_ERR_READ},
      {"led_eleven_digits.led", &imFormatLED, IM_ERR_READ},
      {"led_missing_pixels.led", &imFormatLED, IM_ERR_READ},
      {"led_huge_dimensions.led", &imFormatLED, IM_ERR_TYPE},
      {"tga_grey_16bit.tga", &imFormatTGA, IM_ERR_TYPE},
      {"tga_map_16bit_pixels.tga", &imFormatTGA, IM_ERR_TYPE},
      {"tga_map_missing.tga", &imFormatTGA, IM_ERR_FORMAT},
      {"tga_map_300_entries.tga", &imFormatTGA, IM_ERR_READ},
      {"tga_rle_packet_past_row.tga", &imFormatTGA, IM_ERR_READ},
      {"tga_truncated.tga", &imFormatTGA, IM_ERR_READ},
      {"tga_type_4.tga", &imFormatTGA, IM_ERR_FORMAT},
  };
  for (const Case& c : cases) {
    std::string path = std::string(VARKO_TEST_DATA) + "/bad/" + c.file;
    ASSERT_TRUE(fs::exists(path)) << path;
    EXPECT_EQ(Load(*c.driver, path).error, c.error) << c.file;
  }
}

// Peak memory, in kilobytes, that asking a file's header adds; measured in a
// child process so earlier tests' peaks do not hide it.
long HeaderPeakKilobytes(const std::string& path) {
  pid_t child = fork();
  if (child == 0) {
    rusage before{}, after{};
    getrusage(RUSAGE_SELF, &before);
    int width = 0, height = 0, type = 0, pal_count = 0;
    int error = imImageInfo(path.c_str(), &width, &height, &type, &pal_count);
    getrusage(RUSAGE_SELF, &after);
    long added = (after.ru_maxrss - before.ru_maxrss) / 1024;  // in MB, capped for the status
    _exit(error != IM_ERR_NONE ? 255 : static_cast<int>(added < 254 ? added : 254));
  }
  int status = 0;
  if (child < 0 || waitpid(child, &status, 0) != child || !WIFEXITED(status)) return -1;
  return WEXITSTATUS(status) == 255 ? -2 : WEXITSTATUS(status) * 1024L;
}

// Tiny files that claim huge lines: their header is reported without
// making line buffers, and loading them fails as truncated.
TEST(CodecsHostile, HugeLinesInATinyFileCostNoMemory) {
  struct Case {
    const char* file;
    imFormat* driver;
  } cases[] = {
      {"bmp_wide_lines_tiny_file.bmp", &imFormatBMP},
  };
  for (const Case& c : cases) {
    std::string path = std::string(VARKO_TEST_DATA) + "/bad/" + c.file;
    long added = HeaderPeakKilobytes(path);
    EXPECT_GE(added, 0) << c.file << ": header not reported";
    EXPECT_LT(added, 32 * 1024) << c.file;
    int error = 0;
    Source source = OpenSource(path);
    imFile* f = c.driver->read_open(source.get(), path.c_str(), &error);
    ASSERT_NE(f, nullptr) << c.file;
    EXPECT_EQ(error, IM_ERR_NONE) << c.file;
    std::vector<unsigned char> line(1);  // never written: the first line is missing
    EXPECT_EQ(f->type == IM_MAP ? c.driver->read_line_map(f, line.data())
                                : c.driver->read_line_rgb(f, line.data(), line.data(), line.data()),
              IM_ERR_READ)
        << c.file;
    c.driver->close(f);
  }
}

TEST(CodecsHostile, MissingFileIsAnOpenError) {
  for (imFormat* d : {&imFormatBMP, &imFormatPCX, &imFormatGIF, &imFormatRAS, &imFormatSGI,
                      &imFormatLED, &imFormatTGA})
    EXPECT_EQ(Load(*d, "/nonexistent/file").error, IM_ERR_OPEN);
}

}  // namespace

namespace {

// Resolution asked from the callback when writing and reported when reading.
double g_xres, g_yres;
int g_unit;
bool g_writing;
int Resolution(const char*, double* xres, double* yres, int* unit) {
  if (g_writing) {
    *xres = 300, *yres = 150, *unit = 1;
  } else {
    g_xres = *xres, g_yres = *yres, g_unit = *unit;
  }
  return 0;
}

TEST_F(Codecs, ResolutionGoesThroughTheCallback) {
  ASSERT_EQ(imSetCallback(reinterpret_cast<imCallback>(Resolution), IM_CB_RESOLUTION, -1), 1);
  struct Case {
    imFormat* driver;
    double xres, yres;
    int unit;
  } cases[] = {{&imFormatBMP, 118.11, 59.06, 2}, {&imFormatPCX, 300, 150, 1}};
  for (const Case& c : cases) {
    std::string file = Path("res");
    g_writing = true;
    ASSERT_EQ(Save(*c.driver, file, Make(5, 3, 3), false, 0), IM_ERR_NONE);
    g_writing = false, g_unit = 0;
    ASSERT_EQ(Load(*c.driver, file).error, IM_ERR_NONE);
    EXPECT_EQ(g_unit, c.unit);
    EXPECT_NEAR(g_xres, c.xres, 0.01);
    EXPECT_NEAR(g_yres, c.yres, 0.01);
  }
  imSetCallback(nullptr, IM_CB_RESOLUTION, -1);
}

}  // namespace
