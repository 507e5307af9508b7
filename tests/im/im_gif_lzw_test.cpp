// GIF LZW coding: pictures that fill the string table many times over, in
// alphabets that take the direct table (up to 64 colours) and the hashed
// one, with strings longer than a line, read back by Pillow as an
// independent decoder and by our reader.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "im.h"

namespace {

namespace fs = std::filesystem;

const char* Python() {
  return fs::exists("/usr/bin/python3") ? "/usr/bin/python3" : "python3";
}

// Pillow's indices of a GIF, top row first; empty when it fails.
std::vector<unsigned char> PillowIndices(const fs::path& gif, const fs::path& raw) {
  std::string command = std::string(Python()) + " -c \"from PIL import Image; im = Image.open('" +
                        gif.string() + "'); assert im.mode == 'P', im.mode; open('" + raw.string() +
                        "', 'wb').write(im.tobytes())\"";
  if (std::system(command.c_str()) != 0) return {};
  std::ifstream in(raw, std::ios::binary);
  return std::vector<unsigned char>(std::istreambuf_iterator<char>(in), {});
}

struct Case {
  const char* what;
  int width, height, colours;
  int kind;  // 0 noise, 1 runs with noise, 2 one colour
};

unsigned char Index(const Case& c, int x, int y) {
  unsigned h = static_cast<unsigned>(x) * 2654435761u ^ static_cast<unsigned>(y) * 40503u;
  h ^= h >> 15;
  if (c.kind == 2) return static_cast<unsigned char>(c.colours - 1);
  if (c.kind == 1 && h % 8 != 0) return static_cast<unsigned char>((x / 37 + y / 23) % c.colours);
  return static_cast<unsigned char>(h % static_cast<unsigned>(c.colours));
}

TEST(ImGifLzw, TablesFilledManyTimesReadBackExactly) {
  if (std::system((std::string(Python()) + " -c 'import PIL' 2>/dev/null").c_str()) != 0)
    GTEST_SKIP() << "python3 with PIL (python3-pil) is missing";
  fs::path dir = fs::temp_directory_path() / ("varko_giflzw_" + std::to_string(::getpid()));
  fs::create_directories(dir);
  const Case cases[] = {
      {"2 colours, noise", 613, 411, 2, 0},
      {"24 colours, runs", 613, 411, 24, 1},
      {"64 colours, noise", 500, 300, 64, 0},
      {"65 colours, noise (hashed)", 500, 300, 65, 0},
      {"256 colours, noise", 640, 480, 256, 0},
      {"256 colours, runs", 640, 480, 256, 1},
      {"one colour, strings longer than a line", 7, 3000, 3, 2},
      {"one column", 1, 5000, 16, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    std::vector<unsigned char> map(static_cast<size_t>(c.width) * c.height);
    for (int y = 0; y < c.height; ++y)  // map row 0 is the bottom line
      for (int x = 0; x < c.width; ++x)
        map[static_cast<size_t>(c.height - 1 - y) * c.width + x] = Index(c, x, y);
    std::vector<uint32_t> palette(static_cast<size_t>(c.colours));
    for (int i = 0; i < c.colours; ++i)
      palette[static_cast<size_t>(i)] =
          imEncodeColor(static_cast<unsigned char>(i), 255 - i, 7 * i);
    fs::path gif = dir / "t.gif";
    ASSERT_EQ(imSaveMap(c.width, c.height, IM_GIF | (IM_DEFAULT << 8), map.data(), c.colours,
                        palette.data(), gif.c_str()),
              IM_ERR_NONE);
    std::vector<unsigned char> back(map.size());
    uint32_t loaded[256] = {};
    ASSERT_EQ(imLoadMap(gif.c_str(), back.data(), loaded), IM_ERR_NONE);
    EXPECT_TRUE(back == map);
    for (int i = 0; i < c.colours; ++i) EXPECT_EQ(loaded[i], palette[static_cast<size_t>(i)]);
    std::vector<unsigned char> peer = PillowIndices(gif, dir / "t.raw");
    ASSERT_EQ(peer.size(), map.size());
    size_t wrong = 0;
    for (int y = 0; y < c.height; ++y)
      for (int x = 0; x < c.width; ++x)
        wrong += peer[static_cast<size_t>(y) * c.width + x] != Index(c, x, y);
    EXPECT_EQ(wrong, 0u);
  }
  fs::remove_all(dir);
}

// An index beyond the colour table is coded as its low bits, the first
// pixel of the picture as any other (it used to go out as a bare code).
TEST(ImGifLzw, IndicesBeyondTheTableKeepTheirLowBits) {
  fs::path file =
      fs::temp_directory_path() / ("varko_gifbeyond_" + std::to_string(::getpid()) + ".gif");
  const int width = 5, height = 2;
  const unsigned char map[width * height] = {1, 2, 3, 0, 1, 7, 0, 2, 1, 6};  // top row 7 0 2 1 6
  const uint32_t palette[4] = {0x000000, 0xFF0000, 0x00FF00, 0x0000FF};
  ASSERT_EQ(imSaveMap(width, height, IM_GIF | (IM_DEFAULT << 8), map, 4, palette, file.c_str()),
            IM_ERR_NONE);
  unsigned char back[width * height] = {};
  uint32_t loaded[256] = {};
  ASSERT_EQ(imLoadMap(file.c_str(), back, loaded), IM_ERR_NONE);
  for (int i = 0; i < width * height; ++i) EXPECT_EQ(back[i], map[i] & 3) << i;
  fs::remove(file);
}

}  // namespace
